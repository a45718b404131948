#include "messagecatcher.h"
#include "qdatatable.h"

#include <QAbstractItemModelTester>
#include <QSqlField>
#include <QStandardItemModel>
#include <QTableView>
#include <QtTest>

// Searching, copying rows and filters on tables filled in memory.
class tst_QDataTableSearch : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase_data();
    void locatesWithAndWithoutIndex_data();
    void locatesWithAndWithoutIndex();
    void locatesAfterSortAndEdits();
    void matchesRecords_data();
    void matchesRecords();
    void copiesRows();
    void filtersOnTwoColumns();

private:
    QDataTable *makeTable(bool indexed);
};

namespace {

// id, c_name, c_group, n_code (= id * 10), c_tag (text that looks like a number, or null)
const QList<QVariantList> sampleRows = {
    {1, "Цех 1", "A", 10, "5"},
    {2, "Цех 2", "B", 20, "05"},
    {3, "Склад", "A", 30, "x"},
    {4, "Цех 2", "X", 40, "5"},
    {5, "Склад", "A", 50, QVariant()},
};

} // namespace

QDataTable *tst_QDataTableSearch::makeTable(bool indexed)
{
    auto *table = new QDataTable(QStringLiteral("t"), nullptr, this);
    const int hashed = indexed ? ColumnHashIndex : 0;
    table->addColumn(QStringLiteral("id"), QVariant::LongLong, true, QString(), 0, 100, QVariant(), hashed);
    table->addColumn(QStringLiteral("c_name"), QVariant::String, true, QString(), 0, 100, QVariant(),
                     hashed | ColumnTextIndex);
    table->addColumn(QStringLiteral("c_group"), QVariant::String, true, QString(), 0, 100, QVariant(), ColumnTextIndex);
    table->addColumn(QStringLiteral("n_code"), QVariant::LongLong, true, QString(), 0, 100, QVariant(), hashed);
    table->addColumn(QStringLiteral("c_tag"), QVariant::String, true, QString(), 0, 100, QVariant(), hashed);
    table->open();
    for (const QVariantList &values : sampleRows) {
        QSqlRecord record = table->newRow(false);
        for (int i = 0; i < values.size(); ++i)
            record.setValue(i, values.at(i));
        record.setValue(3, values.at(0).toLongLong() * 10);
        table->setRow(table->lastRow(), record, true);
    }
    new QAbstractItemModelTester(table->getModel(), QAbstractItemModelTester::FailureReportingMode::QtTest, table);
    return table;
}

void tst_QDataTableSearch::locatesWithAndWithoutIndex_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QVariantList>("values");
    QTest::addColumn<int>("row");
    QTest::newRow("by id") << QStringList{"id"} << QVariantList{Q_INT64_C(4)} << 3;
    QTest::newRow("int for a 64-bit column") << QStringList{"id"} << QVariantList{4} << 3;
    QTest::newRow("first of equal names") << QStringList{"c_name"} << QVariantList{"Склад"} << 2;
    QTest::newRow("two fields") << QStringList{"c_name", "id"} << QVariantList{"Склад", 5} << 4;
    QTest::newRow("no such value") << QStringList{"id"} << QVariantList{99} << -1;
    QTest::newRow("number against text") << QStringList{"c_tag"} << QVariantList{5} << 0;
    QTest::newRow("text against number") << QStringList{"n_code"} << QVariantList{"30"} << 2;
    // A null and an empty text are different values to a search.
    QTest::newRow("empty text, null held") << QStringList{"c_tag"} << QVariantList{""} << -1;
    QTest::newRow("null") << QStringList{"c_tag"} << QVariantList{QVariant()} << 4;
    QTest::newRow("unknown field") << QStringList{"nothing"} << QVariantList{1} << -1;
    QTest::newRow("unequal lists") << QStringList{"id", "c_name"} << QVariantList{1} << -1;
}

void tst_QDataTableSearch::locatesWithAndWithoutIndex()
{
    QFETCH_GLOBAL(bool, indexed);
    QFETCH(QStringList, names);
    QFETCH(QVariantList, values);
    QFETCH(int, row);
    QDataTable *table = makeTable(indexed);
    QCOMPARE(table->locate(names, values), row);
    if (row >= 0)
        QCOMPARE(table->currentRow(), row);
}

// Row numbers move under the indexes when the view sorts, rows go, or
// values change; every search must still find the row that holds the value.
void tst_QDataTableSearch::locatesAfterSortAndEdits()
{
    QFETCH_GLOBAL(bool, indexed);
    QDataTable *table = makeTable(indexed);
    QCOMPARE(table->locate(QStringLiteral("n_code"), 30), 2);
    table->getModel()->sort(0, Qt::DescendingOrder);
    QCOMPARE(table->locate(QStringLiteral("id"), 1), 4);
    QCOMPARE(table->locate(QStringLiteral("n_code"), 30), 2);
    QCOMPARE(table->locate(QStringLiteral("c_name"), QStringLiteral("Цех 2")), 1);

    QSqlRecord record = table->getRecord(1);
    record.setValue(QStringLiteral("n_code"), 77);
    QVERIFY(table->setRow(1, record, false));
    QCOMPARE(table->locate(QStringLiteral("n_code"), 77), 1);
    QCOMPARE(table->locate(QStringLiteral("n_code"), 40), -1);

    QVERIFY(table->killRow(0));
    QCOMPARE(table->locate(QStringLiteral("n_code"), 77), 0);
    QCOMPARE(table->locate(QStringLiteral("id"), 1), 3);
    table->newRow(true);
    QVERIFY(table->setField(QStringLiteral("n_code"), 500));
    QCOMPARE(table->locate(QStringLiteral("n_code"), 500), table->lastRow());
    table->resetOriginalData(0, false);
    QCOMPARE(table->locate(QStringLiteral("n_code"), 40), 0);

    QDataTable copy(QStringLiteral("copy"), nullptr);
    table->getRows(&copy, QStringLiteral("c_group"), QStringLiteral("A"));
    QCOMPARE(copy.rowCount(), 2);
    QCOMPARE(copy.getField(QStringLiteral("id"), 0).toLongLong() + copy.getField(QStringLiteral("id"), 1).toLongLong(), 4);
}

void tst_QDataTableSearch::matchesRecords_data()
{
    QTest::addColumn<QVariant>("field");
    QTest::addColumn<QVariant>("wanted");
    QTest::addColumn<bool>("matches");
    QTest::newRow("number and text") << QVariant(5) << QVariant(QStringLiteral("5")) << true;
    QTest::newRow("null wanted, null held") << QVariant(QVariant::LongLong) << QVariant(QVariant::Int) << true;
    QTest::newRow("null wanted, value held") << QVariant(0) << QVariant(QVariant::Int) << false;
    // Qt would call a null number equal to 0; a search for 0 must not find nulls.
    QTest::newRow("0 wanted, null held") << QVariant(QVariant::LongLong) << QVariant(0) << false;
    QTest::newRow("empty text wanted, null held") << QVariant(QVariant::String) << QVariant(QString(QLatin1String(""))) << false;
    QTest::newRow("different") << QVariant(5) << QVariant(6) << false;
}

void tst_QDataTableSearch::matchesRecords()
{
    QFETCH(QVariant, field);
    QFETCH(QVariant, wanted);
    QFETCH(bool, matches);
    QSqlRecord record;
    record.append(QSqlField(QStringLiteral("a"), field.type()));
    record.append(QSqlField(QStringLiteral("b"), QVariant::String));
    record.setValue(0, field);
    record.setValue(1, QStringLiteral("x"));
    QCOMPARE(QDataTable::match(record, {"a", "b"}, {wanted, "x"}), matches);
    QVERIFY(!QDataTable::match(record, {"a", "b"}, {wanted, "y"}));
    QVERIFY(!QDataTable::match(record, {"a"}, {}));
    QVERIFY(QDataTable::match(record, {}, {}));
}

void tst_QDataTableSearch::copiesRows()
{
    QFETCH_GLOBAL(bool, indexed);
    QDataTable *table = makeTable(indexed);
    // A deleted row is never found, neither through an index nor by the scan:
    // a data link that found it again and again would never end.
    QVERIFY(table->deleteRow(2));
    QCOMPARE(table->locate(QStringLiteral("c_name"), QStringLiteral("Склад")), 4);
    QCOMPARE(table->locate(QStringLiteral("id"), 3), -1);
    QDataTable target(QStringLiteral("target"), nullptr);
    target.addColumn(QStringLiteral("other"), QVariant::Int, true);
    table->getRows(&target, QStringLiteral("c_name"), QStringLiteral("Склад"));
    QCOMPARE(target.columns().size(), 5);
    QCOMPARE(target.rowCount(), 1);
    QCOMPARE(target.getRowState(0), 1);
    QCOMPARE(target.getField(QStringLiteral("id"), 0).toLongLong(), 5);
    QCOMPARE(target.getModel()->item(0, 3)->data(OriginalValueRole).toLongLong(), 50);

    table->getRows(&target, {"c_group", "c_name"}, {"A", "Цех 1"});
    QCOMPARE(target.rowCount(), 1);
    table->getRows(&target, QStringLiteral("nothing"), 1);
    QCOMPARE(target.rowCount(), 0);
    QCOMPARE(target.getTableState(), -1);
    table->getRows(&target, QStringList(), QList<QVariant>());
    QCOMPARE(target.rowCount(), 4);
    table->getRows(nullptr, QStringLiteral("id"), 1);

    // Rows with a null never turn up in a search for 0.
    QDataTable tree(QStringLiteral("tree"), nullptr);
    tree.addColumn(QStringLiteral("id_parent"), QVariant::LongLong, true, QString(), 0, 100, QVariant(),
                   indexed ? ColumnHashIndex : 0);
    tree.open();
    for (const QVariant &parent : {QVariant(QVariant::LongLong), QVariant(Q_INT64_C(0)), QVariant(QVariant::LongLong)}) {
        QSqlRecord record = tree.newRow(false);
        record.setValue(0, parent);
        tree.setRow(tree.lastRow(), record, true);
    }
    QCOMPARE(tree.locate(QStringLiteral("id_parent"), 0), 1);
    tree.getRows(&target, QStringLiteral("id_parent"), 0);
    QCOMPARE(target.rowCount(), 1);
    tree.getRows(&target, QStringLiteral("id_parent"), QVariant());
    QCOMPARE(target.rowCount(), 2);

    // An index declared after the rows came in still finds them.
    table->setKeyField(QStringLiteral("c_group"));
    table->getRows(&target, QStringLiteral("c_group"), QStringLiteral("A"));
    QCOMPARE(target.rowCount(), 2);
    QVERIFY(table->deleteRow(4));
    QCOMPARE(table->locate(QStringLiteral("c_name"), QStringLiteral("Склад")), -1);
}

// Filters on two columns combine with AND, the values of one filter with OR.
void tst_QDataTableSearch::filtersOnTwoColumns()
{
    QFETCH_GLOBAL(bool, indexed);
    QDataTable *table = makeTable(indexed);
    table->setFilter(QStringLiteral("c_group"), QStringLiteral("A"), FilterKeep);
    QCOMPARE(table->visibleRowCount(), table->rowCount());

    QTableView view;
    table->setView(&view);
    table->setFilter(QStringLiteral("c_group"), QStringList{"A", "B"}, FilterKeep);
    QCOMPARE(table->visibleRowCount(), 4);
    table->setFilter(QStringLiteral("c_name"), QStringLiteral("Склад"), FilterHide);
    QCOMPARE(table->visibleRowCount(), 2);
    // The view sorts the rows when it is bound; the filters follow the rows.
    QStringList shown;
    for (int row = 0; row < table->rowCount(); ++row) {
        if (!view.isRowHidden(row))
            shown << table->getField(QStringLiteral("id"), row).toString();
    }
    shown.sort();
    QCOMPARE(shown, QStringList({"1", "2"}));

    table->clearFilter(QStringLiteral("c_group"));
    QCOMPARE(table->visibleRowCount(), 3);
    // A column without a display-text index: keep hides all, hide hides none.
    table->setFilter(QStringLiteral("n_code"), QStringLiteral("10"), FilterHide);
    QCOMPARE(table->visibleRowCount(), 3);
    table->setFilter(QStringLiteral("n_code"), QStringLiteral("10"), FilterKeep);
    QCOMPARE(table->visibleRowCount(), 0);
    table->setFilter(QStringLiteral("unknown"), QStringLiteral("10"), FilterKeep);
    table->clearAllFilters();
    QCOMPARE(table->visibleRowCount(), 5);
    for (int row = 0; row < table->rowCount(); ++row)
        QVERIFY(!view.isRowHidden(row));
    table->setView(nullptr);
}

// Every search runs through the indexes and by the scan.
void tst_QDataTableSearch::initTestCase_data()
{
    QTest::addColumn<bool>("indexed");
    QTest::newRow("scanned") << false;
    QTest::newRow("indexed") << true;
}

QTEST_MAIN(tst_QDataTableSearch)
#include "tst_qdatatablesearch.moc"
