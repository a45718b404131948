#pragma once

#include <QList>
#include <QMainWindow>
#include <QPointer>

class QAction;
class QIcon;
class QLabel;
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

public slots:
    void refreshContent();

signals:
    void refreshed();

protected:
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void createActions();
    void retranslate();
    void showSession();

    QList<QWidget *> *m_popups;
    QPointer<QWidget> m_content;
    QToolBar *m_toolBar;
    QAction *m_refresh = nullptr;
    QAction *m_quit = nullptr;
    QLabel *m_session;
    QString m_user;
    QString m_database;
};
