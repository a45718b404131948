#pragma once

#include <QList>
#include <QMainWindow>
#include <QPointer>

class HostLanguage;
class QAction;
class QActionGroup;
class QIcon;
class QLabel;
class QMenu;
class QToolBar;

// The frame around the module: its content in the middle, its actions in
// the toolbar, who is logged in where in the status bar.
class MainWindow : public QMainWindow
{
    Q_OBJECT
public:
    explicit MainWindow(QList<QWidget *> *popups, QWidget *parent = nullptr);

    void setContent(QWidget *content, const QList<QAction *> &actions, const QIcon &icon);
    void setSession(const QString &user, const QString &database);
    // The Language menu, which switches the program between Russian and
    // English while it runs.
    void setLanguages(HostLanguage *languages);

public slots:
    void refreshContent();

signals:
    void refreshed();

protected:
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void createActions();
    void createLanguageMenu();
    void chooseLanguage(QAction *action);
    void retranslate();
    void showSession();
    void showTitle(const QString &title);

    QList<QWidget *> *m_popups;
    QPointer<QWidget> m_content;
    QToolBar *m_toolBar;
    QAction *m_refresh = nullptr;
    QAction *m_quit = nullptr;
    QMenu *m_languageMenu = nullptr;
    QAction *m_russian = nullptr;
    QAction *m_english = nullptr;
    HostLanguage *m_languages = nullptr;
    QLabel *m_session;
    QString m_user;
    QString m_database;
};
