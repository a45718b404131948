#include "messagecatcher.h"
#include "qdatatable.h"
#include "testdatabases.h"

#include <QAbstractItemModelTester>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QStandardItemModel>
#include <QtTest>
#include <memory>

// The data table on the real driver and a real database of each back end:
// loading, the row write, row states and pending lists, commit, failures
// and rollback.
class tst_QDataTable : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void loadsDeclaredColumns_data() { TestDatabases::addBackendRows(); }
    void loadsDeclaredColumns();
    void generatesColumnsFromResult_data() { TestDatabases::addBackendRows(); }
    void generatesColumnsFromResult();
    void bindsSelectParameters_data() { TestDatabases::addBackendRows(); }
    void bindsSelectParameters();
    void opensWithoutData_data();
    void opensWithoutData();
    void keepsEventLoopAliveInBackground();
    void writesRows();
    void tracksStatesAndPendingLists_data();
    void tracksStatesAndPendingLists();
    void givesTemporaryKeys();
    void refusesEditsOutsideRows();
    void commitsMixedChanges_data() { TestDatabases::addBackendRows(); }
    void commitsMixedChanges();
    void fetchesIdentityWithoutStoredProcedures_data() { TestDatabases::addBackendRows(); }
    void fetchesIdentityWithoutStoredProcedures();
    void keepsRowsPendingWithoutScripts();
    void stopsAtFailingDelete_data() { TestDatabases::addBackendRows(); }
    void stopsAtFailingDelete();
    void stopsAtFailingInsert_data() { TestDatabases::addBackendRows(); }
    void stopsAtFailingInsert();
    void keepsValuesWhenUpdateFindsNoRow_data() { TestDatabases::addBackendRows(); }
    void keepsValuesWhenUpdateFindsNoRow();
    void rollsBack_data() { TestDatabases::addBackendRows(); }
    void rollsBack();
    void loadsMoreRowsByKey_data() { TestDatabases::addBackendRows(); }
    void loadsMoreRowsByKey();

private:
    QDataTable *unitsTable(QSqlConnection *connection);
    QStringList databaseUnits(QSqlConnection &c);
};

namespace {

QString rowText(QDataTable *table, int row)
{
    const QSqlRecord record = table->getRecord(row, false);
    QStringList cells;
    for (int i = 0; i < record.count(); ++i) {
        const QVariant value = record.value(i);
        cells << (value.isNull() ? QStringLiteral("NULL")
                 : value.type() == QVariant::Bool ? QString::number(value.toInt()) : value.toString());
    }
    return cells.join(QLatin1Char('|'));
}

QStringList allRows(QDataTable *table)
{
    QStringList rows;
    for (int row = 0; row < table->rowCount(); ++row)
        rows << rowText(table, row);
    return rows;
}

QStringList sortedRows(QDataTable *table)
{
    QStringList rows = allRows(table);
    rows.sort();
    return rows;
}

QString states(QDataTable *table)
{
    QString text;
    for (int row = 0; row < table->rowCount(); ++row)
        text += QString::number(table->getRowState(row));
    return text;
}

QSqlRecord withName(QSqlRecord record, const QString &name)
{
    record.setValue(QStringLiteral("c_name"), name);
    return record;
}

} // namespace

void tst_QDataTable::init()
{
    qApp->setProperty("bNoStoredProc", QVariant());
}

QDataTable *tst_QDataTable::unitsTable(QSqlConnection *connection)
{
    auto *table = new QDataTable(QStringLiteral("t_prod_units"), connection, this);
    table->setScripts(QStringLiteral("PROD_UNITS_SELECT"), QStringLiteral("PROD_UNITS_UPDATE"),
                      QStringLiteral("PROD_UNITS_INSERT"), QStringLiteral("PROD_UNITS_DELETE"), false);
    table->addColumn(QStringLiteral("id"), 4, false, QString(), -1, 100);
    table->addColumn(QStringLiteral("c_name"), 10, true, QStringLiteral("Подразделение"), 0, 300, QVariant(), 64);
    table->addColumn(QStringLiteral("b_is_side"), 1, true, QStringLiteral("Внешнее"), 0, 150, QVariant(), 16);
    table->addColumn(QStringLiteral("id_division"), 4, true, QStringLiteral("Компания"), 0, 200);
    table->addColumn(QStringLiteral("id_storage"), 4, false, QString(), 0, 100);
    table->setKeyField(QStringLiteral("id"));
    new QAbstractItemModelTester(table->getModel(), QAbstractItemModelTester::FailureReportingMode::QtTest, table);
    return table;
}

// What the database holds, read past the table, in the table's text form.
QStringList tst_QDataTable::databaseUnits(QSqlConnection &c)
{
    QDataTable *check = unitsTable(&c);
    check->setObjectName(QStringLiteral("check"));
    check->open();
    const QStringList rows = sortedRows(check);
    delete check;
    return rows;
}

void tst_QDataTable::loadsDeclaredColumns()
{
    QFETCH(QString, backend);
    TestConnection tc;
    OPEN_TEST_CONNECTION(tc, backend, true);
    QDataTable *table = unitsTable(&tc.connection());
    QList<int> displayedColumns;
    connect(table, &QDataTable::getDispInfo, this, [&](int column, QVariant *, QCellData *, QSqlRecord *, int) {
        displayedColumns << column;
    });
    QCOMPARE(table->getTableState(), -2);
    QVERIFY(table->open());
    QCOMPARE(table->getTableState(), 0);
    QCOMPARE(table->rowCount(), 8);
    QCOMPARE(table->currentRow(), 0);
    QVERIFY(!table->isModified());

    QStandardItemModel *model = table->getModel();
    QCOMPARE(model->objectName(), QStringLiteral("t_prod_units_data_"));
    QCOMPARE(model->columnCount(), 5);
    QCOMPARE(model->horizontalHeaderItem(1)->text(), QStringLiteral("Подразделение"));
    QCOMPARE(model->horizontalHeaderItem(1)->toolTip(), QStringLiteral("Подразделение"));
    // Only visible columns go through the display callback.
    QCOMPARE(displayedColumns.count(0) + displayedColumns.count(4), 0);
    QCOMPARE(displayedColumns.count(2), 8);

    bool sawOutside = false;
    for (int row = 0; row < table->rowCount(); ++row) {
        const QSqlRecord record = table->getRecord(row);
        QCOMPARE(record.value(QStringLiteral("id")).type(), QVariant::LongLong);
        QCOMPARE(record.value(QStringLiteral("b_is_side")).type(), QVariant::Bool);
        sawOutside = sawOutside || record.value(QStringLiteral("b_is_side")).toBool();
        QCOMPARE(table->getRowState(row), 0);
        QCOMPARE(table->getLock(row), 0);
        QCOMPARE(model->item(row, 1)->data(OriginalValueRole), model->item(row, 1)->data(CurrentValueRole));
    }
    QVERIFY(sawOutside);
    QCOMPARE(table->getRowState(table->rowCount()), 3);
    QVERIFY(table->getField(QStringLiteral("c_name")).isValid());
    QVERIFY(table->last());
    QVERIFY(!table->next());
    QCOMPARE(table->currentRow(), 7);

    // A reload starts from scratch with the same definition.
    table->close();
    QCOMPARE(table->getTableState(), -2);
    QCOMPARE(table->rowCount(), 0);
    QVERIFY(!table->first());
    QVERIFY(!table->getField(QStringLiteral("c_name")).isValid());
    QVERIFY(table->open());
    QCOMPARE(table->rowCount(), 8);
}

void tst_QDataTable::generatesColumnsFromResult()
{
    QFETCH(QString, backend);
    TestConnection tc;
    OPEN_TEST_CONNECTION(tc, backend, true);
    QDataTable table(QStringLiteral("t_product"), &tc.connection());
    table.setScripts(QStringLiteral("PRODUCT_SELECT"));
    QVERIFY(table.open());
    QCOMPARE(table.getTableState(), 0);
    QVERIFY(table.rowCount() >= 100);
    QStringList names;
    for (const colInfo &column : table.columns()) {
        names << column.fieldName;
        QVERIFY(column.visible);
        QCOMPARE(column.width, 100);
        QCOMPARE(column.label, column.fieldName);
        QCOMPARE(column.flags, 0x01);
    }
    QCOMPARE(names, QStringList({"id", "id_type", "c_name", "b_virtual", "id_item_family"}));
}

void tst_QDataTable::bindsSelectParameters()
{
    QFETCH(QString, backend);
    TestConnection tc;
    OPEN_TEST_CONNECTION(tc, backend, true);
    QDataTable table(QStringLiteral("t_prod_workplace"), &tc.connection());
    table.setScripts(QStringLiteral("PROD_WORKPLACE_SELECT"));
    const qlonglong unit = tc.connection().execScript(
            QStringLiteral("SELECT min(id_unit) FROM t_prod_workplace")).toLongLong();
    const int expected = tc.connection().execScript(
            QStringLiteral("SELECT count(*) FROM t_prod_workplace WHERE id_unit = %1").arg(unit)).toInt();
    QVERIFY(expected > 0);
    QVERIFY(table.setSelectParam(QStringLiteral("id_unit"), unit));
    table.open();
    QCOMPARE(table.rowCount(), expected);
    for (int row = 0; row < table.rowCount(); ++row)
        QCOMPARE(table.getField(QStringLiteral("id_unit"), row).toLongLong(), unit);

    // Without the parameter the script binds NULL and finds nothing.
    QVERIFY(table.setSelectParam(QStringLiteral("id_unit"), QVariant()));
    table.close();
    table.open();
    QCOMPARE(table.getTableState(), 0);
    QCOMPARE(table.rowCount(), 0);
    QVERIFY(table.first());
    QVERIFY(!table.getField(QStringLiteral("id")).isValid());
}

void tst_QDataTable::opensWithoutData_data()
{
    QTest::addColumn<QString>("select");
    QTest::addColumn<bool>("warns");
    QTest::newRow("empty select") << QString() << false;
    QTest::newRow("failing select") << QStringLiteral("SELECT nothing FROM nowhere") << true;
    QTest::newRow("not a select") << QStringLiteral("UPDATE sys.t_division SET c_name = c_name WHERE 1 = 0") << false;
    // The first row loaded and the second failed: the list passed for whole.
    QTest::newRow("fails after a row")
            << QStringLiteral("SELECT id, CASE WHEN id > 1 THEN json('x') END AS c_name FROM (SELECT 1 AS id UNION ALL SELECT 2)")
            << false;
}

void tst_QDataTable::opensWithoutData()
{
    QFETCH(QString, select);
    QFETCH(bool, warns);
    TestConnection tc;
    OPEN_TEST_CONNECTION(tc, QStringLiteral("sqlite"), false);
    QDataTable table(QStringLiteral("t"), &tc.connection());
    table.setScripts(select, QString(), QString(), QString(), true);
    table.addColumn(QStringLiteral("id"), 4, false, QStringLiteral("Ключ"), -1);
    table.addColumn(QStringLiteral("c_name"), 10, true, QStringLiteral("Имя"), 0, 100, QStringLiteral("?"));
    MessageCatcher catcher;
    QVERIFY(table.open());
    QCOMPARE(catcher.warned(QStringLiteral("Error executing query")), warns);
    QCOMPARE(table.getTableState(), -1);
    QCOMPARE(table.lastError().isEmpty(), select.isEmpty());
    QCOMPARE(table.getModel()->horizontalHeaderItem(1)->text(), QStringLiteral("Имя"));
    QVERIFY(!table.deleteRow(0));
    QVERIFY(!table.killRow(0));
    const QSqlRecord created = table.newRow(true);
    QCOMPARE(table.getTableState(), 0);
    QCOMPARE(created.value(QStringLiteral("id")).toInt(), -1);
    QCOMPARE(rowText(&table, 0), QStringLiteral("-1|?"));
}

void tst_QDataTable::keepsEventLoopAliveInBackground()
{
    auto tc = std::make_unique<TestConnection>();
    OPEN_TEST_CONNECTION(*tc, QStringLiteral("sqlite"), true);
    QDataTable table(QStringLiteral("t_product_version"), &tc->connection());
    table.setScripts(QStringLiteral("PRODUCT_VERSION_SELECT"));
    int ticks = 0;
    QTimer timer;
    connect(&timer, &QTimer::timeout, [&ticks] { ++ticks; });
    timer.start(0);
    table.open(true, false);
    QVERIFY(table.rowCount() >= 300);
    QVERIFY(ticks > 0);
    // The host may delete the connection first: the table lets go of it.
    table.newRow(true);
    tc.reset();
    QVERIFY(!table.connection());
    QVERIFY(!table.commit());
    table.close();
    QVERIFY(table.open());
    QCOMPARE(table.getTableState(), int(TableOpenWithoutData));
}

// The row write: partial records, the display callback, and own writes
// that must not count as edits.
void tst_QDataTable::writesRows()
{
    TestConnection tc;
    OPEN_TEST_CONNECTION(tc, QStringLiteral("sqlite"), true);
    QDataTable *table = unitsTable(&tc.connection());
    table->addColumn(QStringLiteral("c_tag"), 10, true, QString(), 0, 100, QVariant(), ColumnTextIndex);
    connect(table, &QDataTable::getDispInfo, this, [](int column, QVariant *value, QCellData *cell, QSqlRecord *, int state) {
        if (column == 3)
            cell->text = QStringLiteral("Компания %1").arg(value->toLongLong());
        if (state == 3)
            cell->font.setStrikeOut(true);
    });
    QSignalSpy edits(table, &QDataTable::dataChanged);
    table->open();
    const QString before = rowText(table, 1);
    QStandardItem *company = table->getModel()->item(0, 3);
    QVERIFY(company->text().startsWith(QStringLiteral("Компания ")));
    QCOMPARE(table->getRecord(0).value(QStringLiteral("id_division")).type(), QVariant::LongLong);

    QSqlRecord partial;
    partial.append(QSqlField(QStringLiteral("c_tag"), QVariant::String));
    partial.setValue(0, QStringLiteral("A"));
    QVERIFY(table->setRow(1, partial, false));
    QCOMPARE(table->getRowState(1), 2);
    QCOMPARE(rowText(table, 1), before.section(QLatin1Char('|'), 0, 4) + QStringLiteral("|A"));
    partial.setValue(0, QStringLiteral("B"));
    QVERIFY(table->setRow(1, partial, false));
    // The display-text index forgets the text a cell no longer shows.
    QStringList tags = table->getValuesList(QStringLiteral("c_tag"));
    tags.sort();
    QCOMPARE(tags, QStringList({"", "B"}));
    QVERIFY(!table->setRow(table->rowCount(), partial, false));
    QVERIFY(!table->setRow(-1, partial, false));

    QVERIFY(table->deleteRow(2));
    QVERIFY(table->getModel()->item(2, 1)->font().strikeOut());
    // None of the table's own writes is an edit.
    QCOMPARE(edits.count(), 0);
    QVERIFY(table->isModified());
}

void tst_QDataTable::tracksStatesAndPendingLists_data()
{
    QTest::addColumn<QString>("steps");
    QTest::addColumn<QString>("state");
    QTest::addColumn<QString>("lists");
    // n: new row; e: edit it; d: delete it; i / u: force insert / update.
    QTest::newRow("edited") << "e" << "2" << "-u-";
    QTest::newRow("new then edited") << "ne" << "1" << "i--";
    QTest::newRow("modified then deleted") << "ed" << "3" << "-ud";
    QTest::newRow("new then deleted") << "nd" << "3" << "i-d";
    QTest::newRow("deleted then edited") << "de" << "3" << "--d";
    QTest::newRow("forced insert") << "i" << "1" << "i--";
    QTest::newRow("modified then forced insert") << "ei" << "1" << "i--";
    QTest::newRow("forced update of new") << "nu" << "2" << "-u-";
}

void tst_QDataTable::tracksStatesAndPendingLists()
{
    QFETCH(QString, steps);
    QFETCH(QString, state);
    QFETCH(QString, lists);
    TestConnection tc;
    OPEN_TEST_CONNECTION(tc, QStringLiteral("sqlite"), true);
    QDataTable *table = unitsTable(&tc.connection());
    table->open();
    int row = 0;
    // The table's own silencing nests: it must not unblock a caller's block.
    const QSignalBlocker callerBlock(table->getModel());
    for (const QChar step : steps) {
        switch (step.toLatin1()) {
        case 'n': table->newRow(true); row = table->lastRow(); break;
        case 'e': QVERIFY(table->setRow(row, withName(table->getRecord(row), QStringLiteral("x")), false)); break;
        case 'd': QVERIFY(table->deleteRow(row)); break;
        case 'i': table->forceInsert(row); break;
        case 'u': table->forceUpdate(row); break;
        }
        QVERIFY(table->getModel()->signalsBlocked());
    }
    QCOMPARE(QString::number(table->getRowState(row)), state);
    const qlonglong id = table->rowId(row);
    const QString actual = QString(table->pendingInserts().contains(id) ? QLatin1Char('i') : QLatin1Char('-'))
            + (table->pendingUpdates().contains(id) ? QLatin1Char('u') : QLatin1Char('-'))
            + (table->pendingDeletes().contains(id) ? QLatin1Char('d') : QLatin1Char('-'));
    QCOMPARE(actual, lists);
    // No other row was touched.
    QCOMPARE(table->pendingInserts().size() + table->pendingUpdates().size() + table->pendingDeletes().size(),
             lists.count(QRegularExpression(QStringLiteral("[iud]"))));
}

void tst_QDataTable::givesTemporaryKeys()
{
    TestConnection tc;
    OPEN_TEST_CONNECTION(tc, QStringLiteral("sqlite"), true);
    QDataTable *table = unitsTable(&tc.connection());
    table->open();
    const QSqlRecord first = table->newRow(true);
    const QSqlRecord second = table->newRow(false);
    QCOMPARE(first.value(QStringLiteral("id")).toInt(), -1);
    QCOMPARE(second.value(QStringLiteral("id")).toInt(), -2);
    QCOMPARE(table->currentRow(), table->lastRow());
    // Without a fill the cells stay empty until the caller writes the record.
    QVERIFY(table->getRecord(table->lastRow()).value(QStringLiteral("id")).isNull());
    QCOMPARE(table->getRowState(table->lastRow()), 1);
    const qlonglong killed = table->rowId(table->lastRow());
    QVERIFY(table->killRow(table->lastRow()));
    QVERIFY(table->killRow(table->rowCount() + 5));
    QCOMPARE(table->pendingInserts().size(), 1);
    // A new row may reuse the killed row's memory, never its identity.
    table->newRow(false);
    QCOMPARE(table->rowOf(killed), -1);
    QCOMPARE(table->rowOf(table->rowId(table->lastRow())), table->lastRow());
    table->close();
    table->open();
    QCOMPARE(table->newRow(true).value(QStringLiteral("id")).toInt(), -1);
    table->setConnection(nullptr);
    QVERIFY(!table->connection());
    QVERIFY(!table->commit());
}

void tst_QDataTable::refusesEditsOutsideRows()
{
    TestConnection tc;
    OPEN_TEST_CONNECTION(tc, QStringLiteral("sqlite"), true);
    QDataTable *table = unitsTable(&tc.connection());
    QVERIFY(!table->setField(QStringLiteral("c_name"), QStringLiteral("x")));
    QVERIFY(table->newRow(true).isEmpty());
    table->open();
    QVERIFY(!table->setField(QStringLiteral("no_such"), 1));
    QVERIFY(!table->setField(QStringLiteral("C_NAME"), QStringLiteral("x")));
    QVERIFY(table->deleteRow(0));
    QVERIFY(!table->setField(QStringLiteral("c_name"), QStringLiteral("x")));
    QVERIFY(table->next());
    QVERIFY(table->setField(QStringLiteral("c_name"), QStringLiteral("x")));
    QVERIFY(table->setNull(QStringLiteral("id_storage")));
    QCOMPARE(table->getRowState(1), 2);
    QVERIFY(table->getField(QStringLiteral("id_storage")).isNull());
    QVERIFY(!table->deleteRow(table->rowCount()));
}

void tst_QDataTable::commitsMixedChanges()
{
    QFETCH(QString, backend);
    TestConnection tc;
    OPEN_TEST_CONNECTION(tc, backend, true);
    QSqlConnection &c = tc.connection();
    QDataTable *table = unitsTable(&c);
    table->open();
    QSignalSpy keys(table, &QDataTable::dataChanged);

    QVERIFY(table->setRow(0, withName(table->getRecord(0), QStringLiteral("Изменён")), false));
    QVERIFY(table->setRow(1, withName(table->getRecord(1), QStringLiteral("Сначала изменён")), false));
    QVERIFY(table->deleteRow(1));
    QVERIFY(table->deleteRow(2));
    QSqlRecord added = table->newRow(true);
    QVERIFY(table->setRow(table->lastRow(), withName(added, QStringLiteral("Новый")), false));
    QVERIFY(table->setField(QStringLiteral("id_division"), 1));
    QSqlRecord dropped = table->newRow(true);
    QVERIFY(table->setRow(table->lastRow(), withName(dropped, QStringLiteral("Передумал")), false));
    QVERIFY(table->deleteRow(table->lastRow()));

    QVERIFY(table->commit());
    QVERIFY(!table->isModified());
    QCOMPARE(states(table), QString(table->rowCount(), QLatin1Char('0')));
    QVERIFY(table->pendingInserts().isEmpty() && table->pendingUpdates().isEmpty()
            && table->pendingDeletes().isEmpty());
    QCOMPARE(table->rowCount(), 7);

    // The one inserted row took the server's key and announced it.
    const int row = table->lastRow();
    const qlonglong key = table->getField(QStringLiteral("id"), row).toLongLong();
    QVERIFY(key > 0);
    QCOMPARE(keys.count(), 1);
    QCOMPARE(keys.first(), QVariantList({"id", -1, key, "t_prod_units"}));
    QCOMPARE(table->getModel()->item(row, 0)->data(OriginalValueRole).toLongLong(), key);
    // The server's row takes the column types, as a loaded row does.
    QCOMPARE(table->getRecord(row).value(QStringLiteral("b_is_side")).type(), QVariant::Bool);
    QCOMPARE(table->getRecord(row).value(QStringLiteral("id")).type(), QVariant::LongLong);

    QCOMPARE(databaseUnits(c), sortedRows(table));
}

void tst_QDataTable::fetchesIdentityWithoutStoredProcedures()
{
    QFETCH(QString, backend);
    TestConnection tc;
    OPEN_TEST_CONNECTION(tc, backend, true);
    // A plain insert that returns nothing: the driver fetches the stored row.
    QDataTable table(QStringLiteral("t_prod_units"), &tc.connection());
    table.setScripts(QStringLiteral("SELECT id, c_name, b_is_side, id_division, id_storage FROM t_prod_units"),
                     QString(), QStringLiteral("INSERT INTO t_prod_units (c_name, b_is_side) VALUES ( :c_name , FALSE)"),
                     QString(), true);
    table.addColumn(QStringLiteral("id"), 4, false, QString(), -1);
    table.addColumn(QStringLiteral("c_name"), 10, true);
    table.setKeyField(QStringLiteral("id"));
    table.open();
    qApp->setProperty("bNoStoredProc", true);
    QSignalSpy keys(&table, &QDataTable::dataChanged);
    QSqlRecord record = table.newRow(false);
    record.setValue(QStringLiteral("c_name"), QStringLiteral("Без процедур"));
    table.setRow(table.lastRow(), record, false);
    QVERIFY(table.commit());
    QCOMPARE(table.getRowState(table.lastRow()), 0);
    const qlonglong key = table.getField(QStringLiteral("id"), table.lastRow()).toLongLong();
    QCOMPARE(key, tc.connection().execScript(QStringLiteral("SELECT max(id) FROM t_prod_units")).toLongLong());
    QCOMPARE(table.getField(QStringLiteral("c_name"), table.lastRow()).toString(), QStringLiteral("Без процедур"));
    QCOMPARE(keys.count(), 1);
    QCOMPARE(keys.first(), QVariantList({"id", -1, key, "t_prod_units"}));
}

void tst_QDataTable::keepsRowsPendingWithoutScripts()
{
    {
        // Without a connection nothing can be written, and nothing is lost.
        MessageCatcher catcher;
        QDataTable detached(QStringLiteral("detached"), nullptr);
        detached.addColumn(QStringLiteral("id"), 4, true, QString(), -1);
        detached.open();
        QCOMPARE(detached.getTableState(), -1);
        detached.newRow(true);
        QVERIFY(!detached.commit());
        QCOMPARE(detached.pendingInserts().size(), 1);
        QVERIFY(catcher.warned(QStringLiteral("Connection not defined")));
    }
    TestConnection tc;
    OPEN_TEST_CONNECTION(tc, QStringLiteral("sqlite"), true);
    QDataTable table(QStringLiteral("t_division"), &tc.connection());
    table.setScripts(QStringLiteral("SELECT id, c_name FROM sys.t_division WHERE NOT b_is_del;"),
                     QString(), QString(), QString(), true);
    table.open();
    QVERIFY(table.setRow(0, withName(table.getRecord(0), QStringLiteral("x")), false));
    table.newRow(true);
    QVERIFY(table.deleteRow(1));
    MessageCatcher catcher;
    QVERIFY(table.commit());
    for (const char *pass : {"delete", "insert", "update"})
        QVERIFY(catcher.debugLines().contains(QStringLiteral("WARNING: %1 script is empty. \"t_division\"").arg(QLatin1String(pass))));
    QCOMPARE(table.pendingUpdates().size(), 1);
    QCOMPARE(table.pendingInserts().size(), 1);
    QCOMPARE(table.pendingDeletes().size(), 1);
    QCOMPARE(table.getRowState(0), 2);
}

// A delete that the database refuses stops the commit at that row.
void tst_QDataTable::stopsAtFailingDelete()
{
    QFETCH(QString, backend);
    TestConnection tc;
    OPEN_TEST_CONNECTION(tc, backend, true);
    QSqlConnection &c = tc.connection();
    QVERIFY(c.batchExec(QStringLiteral("INSERT INTO sys.t_division (id, c_name) VALUES (10, 'Свободная');"
                                       "INSERT INTO sys.t_division (id, c_name) VALUES (11, 'Тоже свободная');")));
    QDataTable table(QStringLiteral("t_division"), &c);
    table.setScripts(QStringLiteral("SELECT id, c_name FROM sys.t_division ORDER BY id"),
                     QStringLiteral("UPDATE sys.t_division SET c_name = :c_name WHERE id = :id"), QString(),
                     QStringLiteral("DELETE FROM sys.t_division WHERE id = :id"), true);
    table.open();
    QCOMPARE(allRows(&table).join(QLatin1Char(',')).count(QLatin1Char('|')), 5);
    const int free1 = 3, used = 0, free2 = 4;
    QVERIFY(table.deleteRow(free1));
    QVERIFY(table.deleteRow(used));
    QVERIFY(table.deleteRow(free2));
    QVERIFY(table.setRow(1, withName(table.getRecord(1), QStringLiteral("Не дойдёт")), false));

    MessageCatcher catcher;
    QVERIFY(!table.commit());
    QVERIFY(catcher.warned(QStringLiteral("Error executing query: ")));
    QCOMPARE(table.rowCount(), 4);
    QCOMPARE(states(&table), QStringLiteral("3203"));
    QCOMPARE(table.pendingDeletes().size(), 2);
    QCOMPARE(table.pendingUpdates().size(), 1);
    QVERIFY(table.isModified());
    QCOMPARE(c.execScript(QStringLiteral("SELECT count(*) FROM sys.t_division WHERE id = 10")).toInt(), 0);
    QCOMPARE(c.execScript(QStringLiteral("SELECT count(*) FROM sys.t_division")).toInt(), 4);
    QVERIFY(c.execScript(QStringLiteral("SELECT c_name FROM sys.t_division WHERE id = 2")).toString()
            != QStringLiteral("Не дойдёт"));
}

void tst_QDataTable::stopsAtFailingInsert()
{
    QFETCH(QString, backend);
    TestConnection tc;
    OPEN_TEST_CONNECTION(tc, backend, true);
    QSqlConnection &c = tc.connection();
    QDataTable *table = unitsTable(&c);
    table->open();
    for (const QVariant &name : {QVariant(QStringLiteral("Первый")), QVariant(QVariant::String),
                                 QVariant(QStringLiteral("Третий"))}) {
        QSqlRecord record = table->newRow(true);
        record.setValue(QStringLiteral("c_name"), name);
        table->setRow(table->lastRow(), record, false);
    }
    QVERIFY(table->setRow(0, withName(table->getRecord(0), QStringLiteral("Не дойдёт")), false));
    const QStringList before = databaseUnits(c);

    QVERIFY(!table->commit());
    QCOMPARE(states(table).right(3), QStringLiteral("011"));
    QCOMPARE(table->getRowState(0), 2);
    QVERIFY(table->getField(QStringLiteral("id"), 8).toLongLong() > 0);
    QCOMPARE(table->getField(QStringLiteral("id"), 9).toInt(), -2);
    QCOMPARE(table->pendingInserts().size(), 2);
    QVERIFY(table->isModified());
    QStringList after = databaseUnits(c);
    QCOMPARE(after.size(), before.size() + 1);

    // Once the name is there, the next commit sends the rest exactly once.
    table->setRow(9, withName(table->getRecord(9), QStringLiteral("Второй")), false);
    QVERIFY(table->commit());
    QCOMPARE(databaseUnits(c).size(), before.size() + 3);
    QCOMPARE(databaseUnits(c), sortedRows(table));
}

// An update whose returning select finds no row (another user removed it)
// fails; the user's values stay, still waiting to be written.
void tst_QDataTable::keepsValuesWhenUpdateFindsNoRow()
{
    QFETCH(QString, backend);
    TestConnection tc;
    OPEN_TEST_CONNECTION(tc, backend, true);
    QSqlConnection &c = tc.connection();
    QDataTable *table = unitsTable(&c);
    table->open();
    const qlonglong id = table->getField(QStringLiteral("id"), 3).toLongLong();
    QVERIFY(table->setRow(3, withName(table->getRecord(3), QStringLiteral("Моя правка")), false));
    QVERIFY(c.batchExec(QStringLiteral("DELETE FROM t_prod_units WHERE id = %1").arg(id)));

    MessageCatcher catcher;
    QVERIFY(!table->commit());
    QVERIFY(catcher.warned(QStringLiteral("Commit of table t_prod_units stopped: the update script returned no row for id = %1").arg(id)));
    QCOMPARE(table->getRowState(3), 2);
    QCOMPARE(table->getField(QStringLiteral("c_name"), 3).toString(), QStringLiteral("Моя правка"));
    QCOMPARE(table->getField(QStringLiteral("id"), 3).toLongLong(), id);
    QCOMPARE(table->pendingUpdates().size(), 1);
}

void tst_QDataTable::rollsBack()
{
    QFETCH(QString, backend);
    TestConnection tc;
    OPEN_TEST_CONNECTION(tc, backend, true);
    QDataTable *table = unitsTable(&tc.connection());
    table->open();
    const QStringList loaded = allRows(table);
    const QString shown = table->getModel()->item(0, 1)->text();
    QVERIFY(table->setRow(0, withName(table->getRecord(0), QStringLiteral("Правка")), false));
    QVERIFY(table->setRow(1, withName(table->getRecord(1), QStringLiteral("Правка и удаление")), false));
    QVERIFY(table->deleteRow(1));
    QVERIFY(table->deleteRow(2));
    table->newRow(true);
    // Qt finds null equal to 0: the null must still come back.
    int plain = 3;
    while (!table->getField(QStringLiteral("id_storage"), plain).isNull())
        ++plain;
    QSqlRecord zero = table->getRecord(plain);
    zero.setValue(QStringLiteral("id_storage"), 0);
    QVERIFY(table->setRow(plain, zero, false));
    QVERIFY(!table->getField(QStringLiteral("id_storage"), plain).isNull());
    QVERIFY(table->rollback());
    QCOMPARE(allRows(table), loaded);
    QCOMPARE(table->getModel()->item(0, 1)->text(), shown);
    QCOMPARE(states(table), QString(loaded.size(), QLatin1Char('0')));
    QVERIFY(!table->isModified());
    QVERIFY(table->pendingInserts().isEmpty() && table->pendingUpdates().isEmpty()
            && table->pendingDeletes().isEmpty());
    // Nothing reached the database, and the table commits nothing now.
    QVERIFY(table->commit());
    QCOMPARE(databaseUnits(tc.connection()), [&] { QStringList l = loaded; l.sort(); return l; }());
}

// Rows for more parameter values join the table, merged by the key field:
// a value loaded once is not loaded again unless asked, and a reload
// replaces rows in place instead of adding them twice.
void tst_QDataTable::loadsMoreRowsByKey()
{
    QFETCH(QString, backend);
    TestConnection tc;
    OPEN_TEST_CONNECTION(tc, backend, true);
    QSqlConnection &c = tc.connection();
    QDataTable table(QStringLiteral("t_prod_workplace"), &c);
    table.setScripts(QStringLiteral("PROD_WORKPLACE_SELECT"));
    QVERIFY(!table.append(QStringLiteral("id_unit"), 1));
    table.setKeyField(QStringLiteral("id"));
    QVERIFY(!table.append({"id_unit"}, {1, 2}));

    QSqlQuery units(c.db);
    QVERIFY(units.exec(QStringLiteral("SELECT id_unit, count(*) FROM t_prod_workplace GROUP BY id_unit ORDER BY id_unit")));
    QList<QPair<qlonglong, int>> counts;
    while (units.next())
        counts.append({units.value(0).toLongLong(), units.value(1).toInt()});
    QVERIFY(counts.size() >= 2);

    // Closed: the first value opens the table with it.
    QVERIFY(table.append(QStringLiteral("id_unit"), counts.at(0).first));
    QCOMPARE(table.getTableState(), 0);
    QCOMPARE(table.rowCount(), counts.at(0).second);
    QVERIFY(table.append(QStringLiteral("id_unit"), counts.at(1).first));
    QCOMPARE(table.rowCount(), counts.at(0).second + counts.at(1).second);

    // Already loaded: nothing runs, even after the database changed.
    QVERIFY(c.batchExec(QStringLiteral("DELETE FROM t_prod_workplace WHERE id_unit = %1").arg(counts.at(1).first)));
    QVERIFY(table.append(QStringLiteral("id_unit"), counts.at(0).first));
    QCOMPARE(table.rowCount(), counts.at(0).second + counts.at(1).second);

    const int row = table.locate(QStringLiteral("id_unit"), counts.at(0).first);
    QSqlRecord edited = table.getRecord(row);
    edited.setValue(QStringLiteral("c_name"), QStringLiteral("правка"));
    table.setRow(row, edited, false);
    QVERIFY(table.append(QStringLiteral("id_unit"), counts.at(0).first, true));
    QCOMPARE(table.rowCount(), counts.at(0).second + counts.at(1).second);
    QVERIFY(table.getField(QStringLiteral("c_name"), row).toString() != QStringLiteral("правка"));
    QCOMPARE(table.getRowState(row), 0);
    // A value whose select returns nothing answers false.
    QVERIFY(!table.append(QStringLiteral("id_unit"), counts.at(1).first, true));
}

QTEST_MAIN(tst_QDataTable)
#include "tst_qdatatable.moc"
