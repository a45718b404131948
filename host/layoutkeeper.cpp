#include "layoutkeeper.h"
#include "qdatatable.h"
#include "qdbsettings.h"

#include <QHeaderView>
#include <QMainWindow>
#include <QTableView>

namespace {

const char geometryKey[] = "Layout/MainWindow";

QString tableKey(QTableView *view)
{
    return QStringLiteral("Layout/") + view->objectName();
}

} // namespace

LayoutKeeper::LayoutKeeper(QMainWindow *window, QWidget *content)
    : m_window(window)
    , m_content(content)
{
}

void LayoutKeeper::restoreGeometry()
{
    const QByteArray geometry = QDbSettings().value(QLatin1String(geometryKey)).toByteArray();
    if (m_window && !geometry.isEmpty())
        m_window->restoreGeometry(geometry);
}

void LayoutKeeper::restoreTables()
{
    const QList<QDataTable *> tables = namedTables();
    for (QDataTable *table : tables)
        restoreWhenReady(table);
}

void LayoutKeeper::save()
{
    QDbSettings settings;
    if (m_window && !settings.setValue(QLatin1String(geometryKey), m_window->saveGeometry()))
        qWarning("The window's size and place were not saved.");
    const QList<QDataTable *> tables = namedTables();
    for (QDataTable *table : tables) {
        if (m_restored.contains(table->getView()))
            settings.saveTableHeader(tableKey(table->getView()), table);
    }
}

QList<QDataTable *> LayoutKeeper::namedTables() const
{
    QList<QDataTable *> named;
    const QList<QDataTable *> tables = m_content ? m_content->findChildren<QDataTable *>() : QList<QDataTable *>();
    for (QDataTable *table : tables) {
        if (table->getView() && !table->getView()->objectName().isEmpty())
            named.append(table);
    }
    return named;
}

// The table gives its view the columns when it opens and sets their widths
// right after; the layout is applied once that is done, from the event loop.
void LayoutKeeper::restoreWhenReady(QDataTable *table)
{
    QTableView *view = table->getView();
    if (hasColumns(view)) {
        restoreNow(table);
        return;
    }
    QPointer<QDataTable> guarded(table);
    connect(view->horizontalHeader(), &QHeaderView::sectionCountChanged, this, [this, guarded, view]() {
        if (guarded && guarded->getView() == view && hasColumns(view) && !m_restored.contains(view))
            restoreNow(guarded);
    }, Qt::QueuedConnection);
}

void LayoutKeeper::restoreNow(QDataTable *table)
{
    QTableView *view = table->getView();
    // Prepared first, so that the table's own widths do not come after ours.
    table->prepareView(view);
    QDbSettings().restoreTableHeader(tableKey(view), table);
    m_restored.insert(view);
}

bool LayoutKeeper::hasColumns(QTableView *view)
{
    return view && view->horizontalHeader()->count() > 0;
}
