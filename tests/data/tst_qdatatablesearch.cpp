#include "trimB_helpers.h"

#include <QAbstractItemModelTester>
#include <QSqlField>
#include <QStandardItemModel>
#include <QTableView>
#include <QtTest>

// Searching, copying rows and filters on tables filled in memory. Every
// search runs through the indexes and by the scan.
class tst_QDataTableSearch : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase_data();
    void locates_data();
    void locates();
    void locatesAfterSortAndEdits();
    void copiesRows();
    void filtersOnTwoColumns();

private:
    QDataTable *makeTable();
};

namespace {

// id (64-bit, as the server sends it), c_name, c_group, n_code (a null
// before a 0), c_tag (text that looks like a number, or null)
const QList<QVariantList> sampleRows = {
    {qlonglong(1), "Цех 1", "A", 10, "5"},
    {qlonglong(2), "Цех 2", "B", 20, "05"},
    {qlonglong(3), "Склад", "A", QVariant(QVariant::LongLong), "x"},
    {qlonglong(4), "Цех 2", "X", 40, "5"},
    {qlonglong(5), "Склад", "A", 0, QVariant(QVariant::String)},
};

// The ids of the rows, or of the rows the view shows, in row order.
QStringList ids(QDataTable *table, QTableView *view = nullptr)
{
    QStringList found;
    for (int row = 0; row < table->rowCount(); ++row) {
        if (!view || !view->isRowHidden(row))
            found << table->getField(QStringLiteral("id"), row).toString();
    }
    return found;
}

} // namespace

QDataTable *tst_QDataTableSearch::makeTable()
{
    QFETCH_GLOBAL(bool, indexed);
    auto *table = new QDataTable(QStringLiteral("t"), nullptr, this);
    const int hashed = indexed ? ColumnHashIndex : 0;
    table->addColumn(QStringLiteral("id"), QVariant::LongLong, true, QString(), 0, 100, QVariant(), hashed);
    table->addColumn(QStringLiteral("c_name"), QVariant::String, true, QString(), 0, 100, QVariant(),
                     hashed | ColumnTextIndex);
    table->addColumn(QStringLiteral("c_group"), QVariant::String, true, QString(), 0, 100, QVariant(), ColumnTextIndex);
    table->addColumn(QStringLiteral("n_code"), QVariant::LongLong, true, QString(), 0, 100, QVariant(), hashed);
    table->addColumn(QStringLiteral("c_tag"), QVariant::String, true, QString(), 0, 100, QVariant(), hashed);
    openWithRows(table, sampleRows);
    new QAbstractItemModelTester(table->getModel(), QAbstractItemModelTester::FailureReportingMode::QtTest, table);
    return table;
}

void tst_QDataTableSearch::locates_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QVariantList>("values");
    QTest::addColumn<int>("row");
    QTest::newRow("int for a 64-bit column") << QStringList{"id"} << QVariantList{4} << 3;
    QTest::newRow("64-bit key") << QStringList{"id"} << QVariantList{qlonglong(4)} << 3;
    QTest::newRow("first of equal names") << QStringList{"c_name"} << QVariantList{"Склад"} << 2;
    QTest::newRow("two fields") << QStringList{"c_name", "id"} << QVariantList{"Склад", 5} << 4;
    QTest::newRow("no such value") << QStringList{"id"} << QVariantList{99} << -1;
    QTest::newRow("number against text") << QStringList{"c_tag"} << QVariantList{5} << 0;
    QTest::newRow("text against number") << QStringList{"n_code"} << QVariantList{"40"} << 3;
    QTest::newRow("padded text against number") << QStringList{"n_code"} << QVariantList{"040"} << 3;
    // Qt 5 finds a null number equal to 0 and a null text equal to "": a
    // search must not, or a null parent turns up among the children of 0.
    QTest::newRow("0, a null before it") << QStringList{"n_code"} << QVariantList{0} << 4;
    QTest::newRow("null number") << QStringList{"n_code"} << QVariantList{QVariant()} << 2;
    QTest::newRow("empty text, null held") << QStringList{"c_tag"} << QVariantList{""} << -1;
    QTest::newRow("null text") << QStringList{"c_tag"} << QVariantList{QVariant()} << 4;
    QTest::newRow("unknown field") << QStringList{"nothing"} << QVariantList{1} << -1;
    QTest::newRow("unequal lists") << QStringList{"id", "c_name"} << QVariantList{1} << -1;
}

void tst_QDataTableSearch::locates()
{
    QFETCH(QStringList, names);
    QFETCH(QVariantList, values);
    QFETCH(int, row);
    QDataTable *table = makeTable();
    QCOMPARE(table->locate(names, values), row);
    if (names.size() == 1 && values.size() == 1)
        QCOMPARE(table->locate(names.first(), values.first()), row);
    if (row >= 0)
        QCOMPARE(table->currentRow(), row);
    // match() answers as the search does, record by record, and the rows
    // it accepts are the ones copied. A row's id is its number plus one.
    QStringList matching;
    for (int r = 0; r < table->rowCount(); ++r) {
        if (QDataTable::match(table->getRecord(r), names, values))
            matching << table->getField(QStringLiteral("id"), r).toString();
    }
    QCOMPARE(matching.value(0, QStringLiteral("0")).toInt() - 1, row);
    QDataTable target(QStringLiteral("target"), nullptr);
    table->getRows(&target, names, values);
    QCOMPARE(ids(&target), matching);
    // Copies are new rows.
    QVERIFY(matching.isEmpty() || target.getRowState(0) == RowNew);
}

// Row numbers move under the indexes when the view sorts, rows go, or
// values change; every search must still find the row that holds the value.
void tst_QDataTableSearch::locatesAfterSortAndEdits()
{
    QDataTable *table = makeTable();
    // The first search builds the indexes; the sort must not leave them stale.
    QCOMPARE(table->locate(QStringLiteral("n_code"), 40), 3);
    table->getModel()->sort(0, Qt::DescendingOrder);
    QCOMPARE(table->locate(QStringLiteral("n_code"), 40), 1);

    QSqlRecord record = table->getRecord(1);
    record.setValue(QStringLiteral("n_code"), 77);
    QVERIFY(table->setRow(1, record, false));
    QCOMPARE(table->locate(QStringLiteral("n_code"), 77), 1);
    QCOMPARE(table->locate(QStringLiteral("n_code"), 40), -1);

    QVERIFY(table->killRow(0));
    QCOMPARE(table->locate(QStringLiteral("n_code"), 77), 0);
    QCOMPARE(table->locate(QStringLiteral("id"), 1), 3);
    table->resetOriginalData(0, false);
    QCOMPARE(table->locate(QStringLiteral("n_code"), 40), 0);
}

void tst_QDataTableSearch::copiesRows()
{
    QDataTable *table = makeTable();
    QDataTable target(QStringLiteral("target"), nullptr);
    // Copies take the source's columns.
    target.addColumn(QStringLiteral("other"), QVariant::Int, true);

    // A deleted row is never found, neither through an index nor by the scan:
    // a data link that found it again and again would never end.
    QVERIFY(table->deleteRow(2));
    QCOMPARE(table->locate(QStringLiteral("c_name"), QStringLiteral("Склад")), 4);
    QCOMPARE(table->locate(QStringLiteral("id"), qlonglong(3)), -1);
    table->getRows(&target, {"c_group", "c_name"}, {"A", "Склад"});
    QCOMPARE(ids(&target), QStringList{"5"});
    table->getRows(nullptr, QStringLiteral("id"), 1);

    // An index declared after the rows came in still finds them.
    table->setKeyField(QStringLiteral("c_group"));
    table->getRows(&target, QStringLiteral("c_group"), QStringLiteral("A"));
    QCOMPARE(ids(&target), QStringList({"1", "5"}));
}

// Filters on two columns combine with AND, the values of one filter with OR.
void tst_QDataTableSearch::filtersOnTwoColumns()
{
    QDataTable *table = makeTable();
    table->setFilter(QStringLiteral("c_group"), QStringLiteral("A"), FilterKeep);

    QTableView view;
    table->setView(&view);
    // The display-text index forgets the text a cell no longer shows.
    QSqlRecord partial;
    partial.append(QSqlField(QStringLiteral("c_group"), QVariant::String));
    partial.setValue(0, QStringLiteral("X"));
    QVERIFY(table->setRow(table->locate(QStringLiteral("id"), 2), partial, false));
    table->setFilter(QStringLiteral("c_group"), QStringList{"A", "B"}, FilterKeep);
    table->setFilter(QStringLiteral("c_name"), QStringLiteral("Склад"), FilterHide);
    // The view sorts the rows when it is bound; the filters follow the rows.
    QCOMPARE(ids(table, &view), QStringList({"1"}));

    table->clearFilter(QStringLiteral("c_group"));
    // A column without a display-text index: keep hides all, hide hides none.
    table->setFilter(QStringLiteral("n_code"), QStringLiteral("10"), FilterHide);
    QCOMPARE(table->visibleRowCount(), 3);
    table->setFilter(QStringLiteral("n_code"), QStringLiteral("10"), FilterKeep);
    QCOMPARE(table->visibleRowCount(), 0);
    table->setFilter(QStringLiteral("unknown"), QStringLiteral("10"), FilterKeep);
    table->clearAllFilters();
    QCOMPARE(ids(table, &view), ids(table));
}

void tst_QDataTableSearch::initTestCase_data()
{
    QTest::addColumn<bool>("indexed");
    QTest::newRow("scanned") << false;
    QTest::newRow("indexed") << true;
}

QTEST_MAIN(tst_QDataTableSearch)
#include "tst_qdatatablesearch.moc"
