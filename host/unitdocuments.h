#pragma once

#include <QObject>
#include <QPointer>

class QAction;
class QDocCreator;
class QWidget;

// The documents of the current unit of the module's list: the toolbar
// action opens the document window for it, and a document handed over with
// "Save to DB" is stored in the database for that unit.
class UnitDocuments : public QObject
{
    Q_OBJECT
public:
    UnitDocuments(QWidget *content, QWidget *window);

    QAction *action() const { return m_action; }

public slots:
    void openDocuments();

private:
    // The id of the list's current unit; 0 when none is chosen.
    qlonglong currentUnit() const;
    void store(QDocCreator *creator, qlonglong unit, const QString &html);
    void retranslate();
    bool eventFilter(QObject *watched, QEvent *event) override;

    QPointer<QWidget> m_content;
    QWidget *m_window;
    QAction *m_action;
};
