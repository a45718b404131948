#include "showcase.h"
#include "hostoptions.h"

#include <QAbstractButton>
#include <QDialog>
#include <QTabWidget>
#include <QTableView>
#include <QTreeWidget>

namespace {

const int productTab = 1;
// The dialog fills its tree a branch at a time; a tree that has not grown
// for this long is taken as complete.
const int settleMilliseconds = 300;
const int watchMilliseconds = 50;
const int timeoutMilliseconds = 20000;

} // namespace

Showcase::Showcase(QWidget *window, const HostOptions &options, QObject *parent)
    : QObject(parent)
    , m_window(window)
    , m_unit(options.showUnit())
    , m_products(options.showProducts())
    // Only a picture needs to know when the tree is complete; a person sees it fill.
    , m_awaitDialog(options.screenshotMode())
{
    m_watch.setInterval(watchMilliseconds);
    connect(&m_watch, &QTimer::timeout, this, &Showcase::watchDialog);
}

void Showcase::start()
{
    if (!showUnit())
        return;
    if (!m_products) {
        emit ready(m_window);
        return;
    }
    openProducts();
}

void Showcase::close()
{
    m_watch.stop();
    if (m_dialog)
        m_dialog->reject();
}

bool Showcase::showUnit()
{
    auto *units = m_window ? m_window->findChild<QTableView *>(QStringLiteral("tvContent")) : nullptr;
    QAbstractItemModel *model = units ? units->model() : nullptr;
    if (!model || model->columnCount() < 2)
        return fail(tr("The window has no list of units to look for \"%1\" in.").arg(m_unit));
    // A lazy model would otherwise hide the units past its first batch.
    while (model->canFetchMore(QModelIndex()))
        model->fetchMore(QModelIndex());
    QModelIndex found;
    for (int row = 0; row < model->rowCount() && !found.isValid(); ++row) {
        const QModelIndex name = model->index(row, 1);
        if (name.data().toString() == m_unit)
            found = name;
    }
    if (!found.isValid())
        return fail(tr("No unit is named \"%1\".").arg(m_unit));
    // Becoming current loads the unit into the editor; the double-click shows it.
    units->setCurrentIndex(found);
    units->scrollTo(found);
    QMetaObject::invokeMethod(units, "doubleClicked", Q_ARG(QModelIndex, found));
    auto *editFrame = m_window->findChild<QWidget *>(QStringLiteral("editFrame"));
    if (editFrame && !editFrame->isVisible())
        return fail(tr("The editor of the unit \"%1\" did not open.").arg(m_unit));
    return true;
}

bool Showcase::openProducts()
{
    auto *editor = m_window->findChild<QWidget *>(QStringLiteral("VarkolinEditor"));
    auto *tabs = editor ? editor->findChild<QTabWidget *>(QStringLiteral("tabWidget")) : nullptr;
    auto *add = editor ? editor->findChild<QAbstractButton *>(QStringLiteral("buttonNew")) : nullptr;
    if (!tabs || !add || tabs->count() <= productTab)
        return fail(tr("The unit editor offers no way to add products."));
    tabs->setCurrentIndex(productTab);
    // A click on a disabled button does nothing: waiting for its dialog
    // would only end in the time-out.
    if (!add->isEnabled())
        return fail(tr("Products cannot be added to the unit \"%1\" now.").arg(m_unit));
    // The dialog is modal: its event loop must not start inside the refresh
    // that called us.
    QTimer::singleShot(0, add, &QAbstractButton::click);
    if (m_awaitDialog) {
        m_waited.start();
        m_watch.start();
    }
    return true;
}

// Polled rather than waited for: the dialog runs its own event loop, and
// blocking in it would stop the very fill being waited for.
void Showcase::watchDialog()
{
    if (m_waited.hasExpired(timeoutMilliseconds)) {
        m_watch.stop();
        fail(tr("The product dialog did not open or fill within %1 seconds.")
             .arg(timeoutMilliseconds / 1000));
        return;
    }
    if (!m_dialog && m_window)
        m_dialog = m_window->findChild<QDialog *>(QStringLiteral("ProductDialog"));
    auto *tree = m_dialog && m_dialog->isVisible()
            ? m_dialog->findChild<QTreeWidget *>(QStringLiteral("trvProducts")) : nullptr;
    if (!tree)
        return;
    const int count = tree->topLevelItemCount();
    if (count != m_topLevelCount) {
        m_topLevelCount = count;
        m_unchanged.start();
        return;
    }
    if (count == 0 || !m_unchanged.hasExpired(settleMilliseconds))
        return;
    m_watch.stop();
    unfold(tree);
    emit ready(m_dialog);
}

// Types nest before the products, so opening each of the first two branches
// down its first path to the leaves shows every level: types, products and
// their versions.
void Showcase::unfold(QTreeWidget *tree)
{
    for (int i = 0; i < qMin(2, tree->topLevelItemCount()); ++i) {
        QTreeWidgetItem *item = tree->topLevelItem(i);
        while (item) {
            item->setExpanded(true);
            QTreeWidgetItem *next = nullptr;
            for (int child = 0; child < item->childCount() && !next; ++child) {
                if (item->child(child)->childCount() > 0)
                    next = item->child(child);
            }
            item = next;
        }
    }
}

bool Showcase::fail(const QString &text)
{
    emit failed(text);
    return false;
}
