#include "productdialog.h"
#include "moduledocument.h"
#include "qdataset.h"
#include "qdatatable.h"

#include <QCoreApplication>
#include <QEvent>
#include <QStandardItemModel>
#include <QElapsedTimer>
#include <QTimer>
#include <QTreeWidgetItem>

#include <memory>

namespace {

// Item data roles of the nodes; the unit editor reads the version's.
enum NodeRole {
    ProductIdRole = Qt::UserRole + 1,
    VersionIdRole = Qt::UserRole + 2,
    ItemIdRole = Qt::UserRole + 4,
    ItemFamilyRole = Qt::UserRole + 5,
    TypeIdRole = Qt::UserRole + 6,
};

// The longest the event loop may run in a pause, and the time between two
// pauses, in milliseconds.
const int pauseLimit = 2;
const int pauseEvery = 10;

// The rows of a cached table that hold a value, read in place: copying
// them into a scratch table, a big catalogue's tens of thousands of rows,
// cost more than the nodes made from them. A fill that gives way in a
// pause (to a newer fill, which reloads the tables) never reads them again.
class TableRows
{
public:
    TableRows(QDataTable *table, const QString &field, const QVariant &value)
        : m_table(table), m_rows(table->findRows({field}, {value}))
    {
    }
    int count() const { return m_rows.size(); }
    int column(const QString &field) const
    {
        const infoList &columns = m_table->columns();
        for (int i = 0; i < columns.size(); ++i) {
            if (columns.at(i).fieldName == field)
                return i;
        }
        return -1;
    }
    QVariant value(int row, int column) const
    {
        const QStandardItem *item = column < 0 ? nullptr : m_table->getModel()->item(m_rows.at(row), column);
        return item ? item->data(CurrentValueRole) : QVariant();
    }

private:
    QDataTable *m_table;
    QVector<int> m_rows;
};

} // namespace

ProductDialog::ProductDialog(QDataSet *document, qint64 unitId, QWidget *parent)
    : QDialog(parent)
    , m_document(document)
    , m_unitId(unitId)
    , m_typeIcon(QStringLiteral(":/Icons/TYPE"))
    , m_virtualIcon(QStringLiteral(":/Icons/V_PRODUCT"))
    , m_productIcon(QStringLiteral(":/Icons/PRODMAIN"))
    , m_versionIcon(QStringLiteral(":/Icons/VERSION"))
{
    setupUi(this);
    if (m_document) {
        // The types are loaded once for the life of the data set: an open
        // table stays as it is.
        QDataTable *types = m_document->getTable(QStringLiteral("t_types_for_products"));
        QDataTable *free = m_document->getTable(QStringLiteral("t_product_free"));
        if (free) {
            free->close();
            free->setSelectParam(QStringLiteral("id_unit"), QVariant::fromValue<qlonglong>(m_unitId));
        }
        loadTables({types, free}, this);
        for (int row = 0; types && row < types->rowCount(); ++row)
            m_productTypes.append(types->getField(QStringLiteral("id"), row).toLongLong());
    }
    connect(trvProducts, &QTreeWidget::currentItemChanged, this, &ProductDialog::updateButtons);
    // A big catalogue takes a while: the dialog is on screen before the tree fills.
    QTimer::singleShot(1, Qt::CoarseTimer, this, &ProductDialog::refresh);
}

ProductDialog::~ProductDialog() = default;

void ProductDialog::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange)
        retranslateUi(this);
    QDialog::changeEvent(event);
}

bool ProductDialog::FillRun::goesOn() const
{
    return dialog && dialog->m_generation == generation;
}

ProductDialog::FillRun ProductDialog::currentRun()
{
    return {this, m_generation};
}

// Events go through every few milliseconds rather than after every node: a
// big catalogue has tens of thousands of nodes, and a pass of the event loop
// costs more than a node.
bool ProductDialog::pause(const FillRun &run)
{
    static QElapsedTimer sincePause;
    if (sincePause.isValid() && sincePause.elapsed() < pauseEvery)
        return run.goesOn();
    QCoreApplication::processEvents(QEventLoop::AllEvents, pauseLimit);
    sincePause.start();
    return run.goesOn();
}

void ProductDialog::refresh()
{
    // A fill waiting in one of its pauses gives way to this one.
    ++m_generation;
    if (m_loading) {
        m_refreshAgain = true;
        return;
    }
    const FillRun run = currentRun();
    trvProducts->clear();
    if (!m_document)
        return;
    QDataTable *products = m_document->getTable(QStringLiteral("t_product"));
    QDataTable *versions = m_document->getTable(QStringLiteral("t_product_version"));
    QDataTable *types = m_document->getTable(QStringLiteral("t_item_type"));
    if (!products || !versions || !types)
        return;
    products->close();
    versions->close();
    types->close();
    // The tables load with the event loop running, so that the dialog answers
    // at once; the dialog may be gone when they are in, and the warning of a
    // failed load runs an event loop of its own.
    m_loading = true;
    const bool loaded = loadTables({products, versions, types}, this, true);
    if (!run.dialog)
        return;
    m_loading = false;
    if (m_refreshAgain) {
        m_refreshAgain = false;
        refresh();
        return;
    }
    if (!loaded && !run.goesOn())
        return;

    const TableRows top(types, QStringLiteral("id_parent"), QVariant());
    const int idColumn = top.column(QStringLiteral("id"));
    const int nameColumn = top.column(QStringLiteral("c_name"));
    for (int row = 0; row < top.count(); ++row) {
        const QVariant id = top.value(row, idColumn);
        if (!m_productTypes.contains(id.toLongLong()))
            continue;
        // The node joins the tree only when its branch is complete; until
        // then it belongs to this frame.
        std::unique_ptr<QTreeWidgetItem> node(new QTreeWidgetItem);
        node->setText(0, top.value(row, nameColumn).toString());
        node->setIcon(0, m_typeIcon);
        node->setData(0, TypeIdRole, id);
        fillType(node.get());
        if (!run.goesOn())
            return;
        trvProducts->addTopLevelItem(node.release());
        if (row % 2 == 0 && !pause(run))
            return;
    }
}

void ProductDialog::fillType(QTreeWidgetItem *parent)
{
    if (!parent || !m_document)
        return;
    QDataTable *types = m_document->getTable(QStringLiteral("t_item_type"));
    QDataTable *products = m_document->getTable(QStringLiteral("t_product"));
    if (!types || !products)
        return;
    const QVariant type = parent->data(0, TypeIdRole);
    // Searching for a null would hand out every top-level type as a child.
    if (type.isNull())
        return;
    const FillRun run = currentRun();

    const TableRows subs(types, QStringLiteral("id_parent"), type);
    const int parentColumn = subs.column(QStringLiteral("id_parent"));
    const int typeIdColumn = subs.column(QStringLiteral("id"));
    const int typeNameColumn = subs.column(QStringLiteral("c_name"));
    for (int row = 0; row < subs.count(); ++row) {
        // The search may take a null parent for 0 (Qt 5 finds a null number
        // equal to 0): a top-level type is never a sub-type, and taking it
        // for one under type 0 would recurse for ever.
        if (subs.value(row, parentColumn).isNull())
            continue;
        std::unique_ptr<QTreeWidgetItem> node(new QTreeWidgetItem);
        node->setText(0, subs.value(row, typeNameColumn).toString());
        node->setIcon(0, m_typeIcon);
        node->setData(0, TypeIdRole, subs.value(row, typeIdColumn));
        fillType(node.get());
        if (!run.goesOn())
            return;
        parent->addChild(node.release());
        if (!pause(run))
            return;
    }

    const TableRows rows(products, QStringLiteral("id_type"), type);
    const int idColumn = rows.column(QStringLiteral("id"));
    const int nameColumn = rows.column(QStringLiteral("c_name"));
    const int virtualColumn = rows.column(QStringLiteral("b_virtual"));
    const int familyColumn = rows.column(QStringLiteral("id_item_family"));
    for (int row = 0; row < rows.count(); ++row) {
        std::unique_ptr<QTreeWidgetItem> node(new QTreeWidgetItem);
        node->setText(0, rows.value(row, nameColumn).toString());
        node->setIcon(0, rows.value(row, virtualColumn).toBool() ? m_virtualIcon : m_productIcon);
        node->setData(0, ProductIdRole, rows.value(row, idColumn));
        node->setData(0, ItemFamilyRole, rows.value(row, familyColumn));
        fillProduct(node.get());
        if (!run.goesOn())
            return;
        parent->addChild(node.release());
        if (!pause(run))
            return;
    }
}

void ProductDialog::fillProduct(QTreeWidgetItem *parent)
{
    if (!parent || !m_document)
        return;
    QDataTable *free = m_document->getTable(QStringLiteral("t_product_free"));
    QDataTable *versions = m_document->getTable(QStringLiteral("t_product_version"));
    if (!free || !versions)
        return;
    const QVariant product = parent->data(0, ProductIdRole);
    if (product.isNull())
        return;
    const FillRun run = currentRun();

    const TableRows rows(versions, QStringLiteral("id_product"), product);
    const int idColumn = rows.column(QStringLiteral("id"));
    const int nameColumn = rows.column(QStringLiteral("c_name"));
    const int partColumn = rows.column(QStringLiteral("c_part_num"));
    const int itemColumn = rows.column(QStringLiteral("id_item"));
    for (int row = 0; row < rows.count(); ++row) {
        const QVariant id = rows.value(row, idColumn);
        // Versions the unit already makes are not offered again.
        if (free->locate(QStringLiteral("id"), id) < 0)
            continue;
        auto *node = new QTreeWidgetItem;
        // Both values in one pass: a "%2" inside the name must stay as it is.
        node->setText(0, QStringLiteral("%1 (%2)").arg(rows.value(row, nameColumn).toString(),
                                                        rows.value(row, partColumn).toString()));
        node->setIcon(0, m_versionIcon);
        node->setData(0, VersionIdRole, id);
        node->setData(0, ItemIdRole, rows.value(row, itemColumn));
        parent->addChild(node);
        if (!pause(run))
            return;
    }
}

void ProductDialog::updateButtons()
{
    const QTreeWidgetItem *item = trvProducts->currentItem();
    buttonOk->setEnabled(item && item->data(0, VersionIdRole).toLongLong() != 0);
}

qint64 ProductDialog::getCurrentVersion() const
{
    const QTreeWidgetItem *item = trvProducts->currentItem();
    return item ? item->data(0, VersionIdRole).toLongLong() : 0;
}

QString ProductDialog::getCurrentVersionName() const
{
    const QTreeWidgetItem *item = trvProducts->currentItem();
    if (!item || item->data(0, VersionIdRole).toLongLong() == 0)
        return QString();
    const QTreeWidgetItem *product = item->parent();
    return product ? product->text(0) + QLatin1Char(' ') + item->text(0) : item->text(0);
}
