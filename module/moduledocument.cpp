#include "moduledocument.h"
#include "hostcontract.h"
#include "qdataset.h"
#include "qdatatable.h"
#include "qsqlconnection.h"

#include <QApplication>
#include <QDebug>
#include <QMessageBox>

namespace {

// The translation context of the column labels.
struct ModuleDocument
{
    Q_DECLARE_TR_FUNCTIONS(ModuleDocument)
};

struct TableDefinition
{
    const char *name;
    const char *select;
    const char *update;
    const char *insert;
    const char *remove;
    bool native;
};

// In the order of commit: units before the workplaces and products that refer to them.
const TableDefinition tableDefinitions[] = {
    {"t_prod_units", "PROD_UNITS_SELECT", "PROD_UNITS_UPDATE", "PROD_UNITS_INSERT", "PROD_UNITS_DELETE", false},
    {"t_prod_workplace", "PROD_WORKPLACE_SELECT", "PROD_WORKPLACE_UPDATE", "PROD_WORKPLACE_INSERT",
     "PROD_WORKPLACE_DELETE", false},
    {"t_prod_product", "PROD_PRODUCT_SELECT", "PROD_PRODUCT_UPDATE", "PROD_PRODUCT_INSERT", "PROD_PRODUCT_DELETE",
     false},
    {"t_workplace_free", "PROD_WORKPLACE_NOT_USED_SELECT", "", "", "", false},
    {"t_product_free", "PROD_PRODUCT_NOT_USED_SELECT", "", "", "", false},
    {"t_item_type", "ALL_ITEM_TYPE_SELECT", "", "", "", false},
    {"t_types_for_products", "TYPES_FOR_PRODUCTS_SELECT", "", "", "", false},
    {"t_product", "PRODUCT_SELECT", "", "", "", false},
    {"t_product_version", "PRODUCT_VERSION_SELECT", "", "", "", false},
    {"t_division", "SELECT id, c_name FROM sys.t_division WHERE NOT b_is_del;", "", "", "", true},
};

// Every translated label and tool tip of the module's columns, in one place,
// so that the language change sets them again as the tables were made.
struct ColumnLabel
{
    const char *table;
    const char *field;
    const char *label;   // translated unless translateLabel is false
    const char *toolTip; // translated; none when null
    bool translateLabel;
};

const ColumnLabel columnLabels[] = {
    {"t_prod_units", "c_name", QT_TRANSLATE_NOOP("ModuleDocument", "Подразделение"), nullptr, true},
    {"t_prod_units", "b_is_side", QT_TRANSLATE_NOOP("ModuleDocument", "Внешнее"), nullptr, true},
    {"t_prod_units", "id_division", QT_TRANSLATE_NOOP("ModuleDocument", "Компания"), nullptr, true},
    {"t_prod_workplace", "c_name", QT_TRANSLATE_NOOP("ModuleDocument", "Рабочее место"), nullptr, true},
    // The mark column's caption is a sign, the same in every language.
    {"t_prod_workplace", "v", "v", QT_TRANSLATE_NOOP("ModuleDocument", "Персональный склад стороннего предприятия"),
     false},
    {"t_prod_product", "c_name", QT_TRANSLATE_NOOP("ModuleDocument", "Выпускаемые изделия"), nullptr, true},
};

void addUnitColumns(QDataTable *table)
{
    table->addColumn(QStringLiteral("id"), 4, false, QString(), -1, 100);
    table->addColumn(QStringLiteral("c_name"), 10, true, QString(), 0, 300, QVariant(), 64);
    table->addColumn(QStringLiteral("b_is_side"), 1, true, QString(), 0, 150, QVariant(), 16);
    table->addColumn(QStringLiteral("id_division"), 4, true, QString(), 0, 200);
    table->addColumn(QStringLiteral("id_storage"), 4, false, QString(), 0, 100);
}

// Workplaces and products share their first four columns: the row, its
// unit and the attribute (a storage or a product version) with its name.
void addAttributeColumns(QDataTable *table)
{
    table->addColumn(QStringLiteral("id"), 4, false, QString(), -1, 100);
    table->addColumn(QStringLiteral("id_unit"), 4, false, QString(), -1, 100);
    table->addColumn(QStringLiteral("id_attribute"), 4, false, QString(), -1, 100);
    table->addColumn(QStringLiteral("c_name"), 10, true, QString(), 0, 300, QVariant(), 64);
}

void addColumns(QDataTable *table)
{
    const QString name = table->objectName();
    if (name == QLatin1String("t_prod_units")) {
        addUnitColumns(table);
    } else if (name == QLatin1String("t_prod_workplace")) {
        addAttributeColumns(table);
        table->addColumn(QStringLiteral("v"), 1, true, QString(), 0, 50, false, 16);
    } else if (name == QLatin1String("t_prod_product")) {
        addAttributeColumns(table);
    }
    labelColumns(table);
}

} // namespace

void labelColumns(QDataTable *table)
{
    if (!table)
        return;
    for (const ColumnLabel &column : columnLabels) {
        if (table->objectName() != QLatin1String(column.table))
            continue;
        const QString label = column.translateLabel ? ModuleDocument::tr(column.label) : QString::fromUtf8(column.label);
        table->setColumnLabel(QString::fromUtf8(column.field), label,
                              column.toolTip ? ModuleDocument::tr(column.toolTip) : QString());
    }
}

namespace {

// Guarded: a host that destroys the set's parent gets a new set next time
// instead of a dangling one.
QPointer<QDataSet> theDocument;

} // namespace

QDataSet *moduleDocument(QObject *parent)
{
    if (!theDocument) {
        // Remembered before the tables are built, so that anything asking
        // for the set meanwhile gets this one.
        theDocument = new QDataSet(parent);
        addModuleTables(theDocument, parent);
    }
    return theDocument;
}

void addModuleTables(QDataSet *document, QObject *parent)
{
    QSqlConnection *connection = hostConnection();
    for (const TableDefinition &definition : tableDefinitions) {
        auto *table = new QDataTable(QString::fromUtf8(definition.name), connection, parent);
        table->setScripts(QString::fromUtf8(definition.select), QString::fromUtf8(definition.update),
                          QString::fromUtf8(definition.insert), QString::fromUtf8(definition.remove),
                          definition.native);
        addColumns(table);
        document->addTable(table);
    }
}

TableLoadWatch::TableLoadWatch(const QList<QDataTable *> &tables)
{
    for (QDataTable *table : tables) {
        if (table && table->getTableState() == TableClosed)
            m_closed.append(table);
    }
}

bool TableLoadWatch::report(QWidget *parent) const
{
    QStringList failures;
    for (const QPointer<QDataTable> &table : m_closed) {
        if (table && table->getTableState() == TableOpenWithoutData && !table->lastError().isEmpty())
            failures << tr("Таблица %1: %2").arg(table->objectName(), table->lastError());
    }
    if (failures.isEmpty())
        return true;
    const QString text = tr("Данные не загружены из базы данных:\n%1").arg(failures.join(QLatin1Char('\n')));
    qWarning().noquote() << text;
    const bool screen = qobject_cast<QApplication *>(QCoreApplication::instance())
            && !qApp->property("bNoGUI").toBool();
    if (screen)
        QMessageBox::warning(parent, tr("Ошибка загрузки"), text);
    return false;
}

bool loadTables(const QList<QDataTable *> &tables, QWidget *parent, bool backGround)
{
    const TableLoadWatch watch(tables);
    for (QDataTable *table : tables) {
        if (table)
            table->open(backGround, false);
    }
    return watch.report(parent);
}
