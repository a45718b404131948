#pragma once

#include <QObject>
#include <QPointer>
#include <QSet>

class QDataTable;
class QMainWindow;
class QTableView;
class QWidget;

// Keeps the main window's geometry and the header layouts of the content's
// tables (column widths and order) in the database for the logged-in user,
// so that the next start looks the way the user left it. Each table is
// known by its view's object name.
class LayoutKeeper : public QObject
{
    Q_OBJECT
public:
    LayoutKeeper(QMainWindow *window, QWidget *content);

    // Before the window is shown: its size and place of the last session.
    void restoreGeometry();
    // A layout is applied once its view has its columns, which for an
    // editor's table may be long after the start.
    void restoreTables();
    // Only views that got their columns in this session are saved: a view
    // the user never saw keeps the layout of an earlier session.
    void save();

private:
    QList<QDataTable *> namedTables() const;
    void restoreWhenReady(QDataTable *table);
    void restoreNow(QDataTable *table);
    static bool hasColumns(QTableView *view);

    QPointer<QMainWindow> m_window;
    QPointer<QWidget> m_content;
    QSet<QTableView *> m_restored;
};
