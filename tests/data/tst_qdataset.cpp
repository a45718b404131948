#include "datalookup.h"
#include "qdataset.h"
#include "qdatatable.h"
#include "testdatabases.h"
#include "trimB_helpers.h"

#include <QComboBox>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardItemModel>
#include <QTableView>
#include <QtTest>

// Data sets: links, commit in one transaction on each back end; and the
// look-up helpers that read their tables.
class tst_QDataSet : public QObject
{
    Q_OBJECT
private slots:
    void propagatesKeys();
    void keepsWorkWhenCommitFails_data();
    void keepsWorkWhenCommitFails();
    void looksUpValues_data() { TestDatabases::addBackendRows(); }
    void looksUpValues();
};

namespace {

// A table without a connection, holding the rows (id, id_ref) as loaded ones.
QDataTable *memoryTable(const QString &name, QObject *parent, const QList<QVariantList> &rows)
{
    auto *table = new QDataTable(name, nullptr, parent);
    for (const char *field : {"id", "id_ref"})
        table->addColumn(field, QVariant::LongLong, true);
    openWithRows(table, rows);
    return table;
}

// A table of the set on the driver's scripts of the prefix; field names carry their types.
QDataTable *scriptedTable(QSqlConnection *c, QDataSet &set, const QString &name, const QString &scripts,
                          const QStringList &fields)
{
    auto *table = new QDataTable(name, c, &set);
    table->setScripts(scripts + "_SELECT", scripts + "_UPDATE", scripts + "_INSERT", scripts + "_DELETE");
    for (const QString &field : fields) {
        const int type = field.startsWith("c_") ? QVariant::String : field.startsWith("b_") ? QVariant::Bool : QVariant::LongLong;
        table->addColumn(field, type, true, QString(), field == "id" ? -1 : 0);
    }
    table->setKeyField("id");
    set.addTable(table);
    return table;
}

// A new unit; with a workplace on the storage when the workplaces are given,
// linked by the unit's temporary key.
void addUnit(QDataTable *units, const QString &name, QDataTable *workplaces = nullptr, qlonglong storage = 0)
{
    QSqlRecord unit = units->newRow(true);
    unit.setValue("c_name", name);
    units->setRow(units->lastRow(), unit, false);
    if (!workplaces)
        return;
    QSqlRecord workplace = workplaces->newRow(true);
    workplace.setValue("id_unit", unit.value("id"));
    workplace.setValue("id_attribute", storage);
    workplaces->setRow(workplaces->lastRow(), workplace, false);
}

// The first value a select returns, read through a connection of its own,
// which sees only committed data; by default what the database holds of the
// pending work: renamed units, new units, workplaces.
QString committed(const QSqlDatabase &db,
                  const QString &sql = "SELECT (SELECT count(*) FROM t_prod_units WHERE c_name LIKE 'Правка %') || '/' ||"
                                       " (SELECT count(*) FROM t_prod_units WHERE c_name LIKE 'Новое %') || '/' ||"
                                       " (SELECT count(*) FROM t_prod_workplace)")
{
    QString value;
    {
        QSqlDatabase observer = QSqlDatabase::cloneDatabase(db, "observer");
        QSqlQuery query(observer);
        value = observer.open() && query.exec(sql) && query.next() ? query.value(0).toString() : query.lastError().text();
    }
    QSqlDatabase::removeDatabase("observer");
    return value;
}

// Everything a user could see or a commit would send, as text: rows with
// their states, the values loaded, the pending lists.
QString clientState(QDataTable *table)
{
    QString state = table->prepareDump(true);
    for (int row = 0; row < table->rowCount(); ++row) {
        for (int column = 0; column < table->columns().size(); ++column)
            state += table->getModel()->index(row, column).data(OriginalValueRole).toString() + ';';
    }
    return state + QStringLiteral("pending %1/%2/%3").arg(table->pendingInserts().size())
            .arg(table->pendingUpdates().size()).arg(table->pendingDeletes().size());
}

} // namespace

// A tree in one table (rows refer to their parent's id) and the tables
// linked to it follow a changed key. The tree's view shows names in place of
// ids, which must never travel down a link as keys while rows are written.
void tst_QDataSet::propagatesKeys()
{
    QDataSet set;
    QDataTable *tree = memoryTable("tree", this, {{5, 0}, {6, 5}, {7, 5}, {8, 6}});
    QDataTable *detail = memoryTable("detail", this, {{1, 5}, {2, 5}, {3, 4}});
    connect(tree, &QDataTable::getDispInfo, this, [](int, QVariant *value, QCellData *cell, QSqlRecord *, int) {
        cell->text = QStringLiteral("Компания %1").arg(value->toLongLong());
    });
    QTableView view;
    tree->setView(&view);
    for (QDataTable *table : {tree, detail}) {
        QVERIFY(set.addTable(table));
        set.createDataLink("tree", "id", table->objectName(), "id_ref");
    }

    // A deleted detail row keeps the old key, and is never found again.
    QVERIFY(detail->deleteRow(1));
    emit tree->dataChanged("id", 5, 9, "tree");
    // An equal value rewrites nothing (it would be found again for ever).
    emit tree->dataChanged("id", 9, 9, "tree");
    QStringList refs;
    for (QDataTable *table : {tree, detail}) {
        for (int row = 0; row < table->rowCount(); ++row)
            refs << table->getField("id_ref", row).toString();
    }
    QCOMPARE(refs.join(','), QStringLiteral("0,9,9,6,9,5,4"));
    // Without a connection pending rows are refused, and stay pending.
    QVERIFY(!set.commit(nullptr));
    QCOMPARE(detail->pendingUpdates().size(), 1);
    // A member deleted elsewhere leaves the set and its links.
    delete detail;
    emit tree->dataChanged("id", 9, 10, "tree");
    QCOMPARE(set.tables(), QStringList{"tree"});
}

void tst_QDataSet::keepsWorkWhenCommitFails_data()
{
    QTest::addColumn<QString>("backend");
    QTest::addColumn<QString>("cause");
    QTest::addColumn<bool>("firstCommitWrites");
    for (const QString &backend : TestDatabases::backends()) {
        QTest::addRow("%s, detail refused", qPrintable(backend)) << backend << "refused" << false;
        QTest::addRow("%s, database closed", qPrintable(backend)) << backend << "closed" << true;
        QTest::addRow("%s, connection cleared", qPrintable(backend)) << backend << "cleared" << false;
        if (backend != "postgres")
            continue;
        QTest::addRow("%s, server restarted before commit", qPrintable(backend)) << backend << "restarted" << true;
        QTest::addRow("%s, server stopped mid-commit", qPrintable(backend)) << backend << "stopped" << false;
    }
}

// A commit that fails (a detail the database refuses after its master was
// written, a lost connection) writes nothing and leaves every table exactly
// as it was; once the cause is gone, the next commit writes each row once,
// in one transaction, with the new keys passed down to the details.
// (A commit without a transaction once reported success and dropped the
// rows; a statement on a closed database once passed for run.)
void tst_QDataSet::keepsWorkWhenCommitFails()
{
    QFETCH(QString, backend);
    QFETCH(QString, cause);
    QFETCH(bool, firstCommitWrites);
    const bool stopped = cause == "stopped";
    std::unique_ptr<PrivateTestServer> server(stopped || cause == "restarted" ? new PrivateTestServer : nullptr);
    TestConnection tc;
    OPEN_TEST_CONNECTION(tc, backend, true);
    QSqlConnection &c = tc.connection();
    QDataSet set;
    QDataTable *units = scriptedTable(&c, set, "t_prod_units", "PROD_UNITS",
                                      {"id", "c_name", "b_is_side", "id_division", "id_storage"});
    QDataTable *workplaces = scriptedTable(&c, set, "t_prod_workplace", "PROD_WORKPLACE", {"id", "id_unit", "id_attribute"});
    workplaces->setSelectParam("id_unit", -1);
    QVERIFY(units->open() && workplaces->open());
    // Left out by the set's order; committed, its deletion would fail for want of a connection.
    set.addTable(memoryTable("outside", &set, {{1, 0}}));
    set.getTable("outside")->deleteRow(0);
    set.setChangingOrder({"t_prod_units", "no_such_table", "t_prod_workplace"});
    set.createDataLink("t_prod_units", "id", "t_prod_workplace", "id_unit");
    const qlonglong storage = c.execScript("SELECT min(id) FROM dirs.t_storage").toLongLong();
    addUnit(units, "Новый цех", workplaces, storage);
    QVERIFY2(set.commit(&c), qPrintable(set.lastError()));

    // Pending work of every kind: each stored unit renamed, the stored workplace deleted, many new units.
    const int stored = units->rowCount();
    for (bool more = units->first(); more; more = units->next())
        units->setField("c_name", QStringLiteral("Правка %1").arg(units->currentRow()));
    workplaces->deleteRow(0);
    const int newUnits = 3000;
    for (int i = 0; i < newUnits; ++i)
        addUnit(units, QStringLiteral("Новое %1").arg(i));
    addUnit(units, "Новый цех", workplaces, cause == "refused" ? 99999 : storage);
    const QString before = clientState(units) + clientState(workplaces);
    const QString nothingStored = committed(c.db);

    int inserted = 0;
    connect(units, &QDataTable::dataChanged, this, [&] {
        if (++inserted == newUnits / 2 && stopped)
            QVERIFY(TestDatabases::controlServer("halt"));
    });
    if (cause == "closed")
        c.db.close();
    if (cause == "cleared")
        c.clear();
    QVERIFY(cause != "restarted" || (TestDatabases::controlServer("halt") && TestDatabases::controlServer("resume")));
    const bool written = set.commit(&c);
    QVERIFY(!stopped || TestDatabases::controlServer("resume"));
    QCOMPARE(written, firstCommitWrites);
    if (!written) {
        QCOMPARE(set.lastError().startsWith(QSqlConnection::noConnectionText()), cause != "refused");
        QCOMPARE(clientState(units) + clientState(workplaces) + committed(c.db), before + nothingStored);
        QCOMPARE(units->newRow(true).value("id").toInt(), -newUnits - 3);
        units->killRow(units->lastRow());
        if (cause == "cleared")
            QVERIFY(c.remakeConnection(&tc.library(), tc.connectionName()));
        if (cause == "refused")
            QVERIFY(workplaces->setField("id_attribute", storage));
        QVERIFY2(set.commit(&c), qPrintable(set.lastError()));
    }
    set.rollback();
    QCOMPARE(committed(c.db), QStringLiteral("%1/%2/%3").arg(stored).arg(newUnits).arg(nothingStored.section('/', 2)));
    const QString unit = units->getField("id", units->lastRow()).toString();
    QCOMPARE(workplaces->getField("id_unit", workplaces->lastRow()).toString() + '/'
                     + committed(c.db, "SELECT count(*) FROM t_prod_workplace WHERE id_unit = " + unit),
             unit + "/1");
    QVERIFY(!units->isModified() && !workplaces->isModified());
}

// A box filled again shows each row once; a closed table is opened for a
// look-up, an open one is searched as it is, not loaded again.
void tst_QDataSet::looksUpValues()
{
    QFETCH(QString, backend);
    TestConnection tc;
    OPEN_TEST_CONNECTION(tc, backend, true);
    QDataSet set;
    auto *divisions = new QDataTable("t_division", &tc.connection(), &set);
    divisions->setScripts("SELECT id, c_name FROM sys.t_division WHERE NOT b_is_del;", QString(), QString(), QString(), true);
    set.addTable(divisions);
    QComboBox box;
    fillComboBox(&box, divisions, "c_name", "id", "(нет)", 0);
    QCOMPARE(box.itemText(0) + '/' + QString::number(box.count()), QStringLiteral("(нет)/4"));
    fillComboBox(&box, divisions, "c_name", "id");
    QVERIFY(box.count() == 3 && box.itemData(0) == divisions->getField("id", 0));

    divisions->close();
    QVERIFY(!getValueById(&set, "t_division", 2, "c_name").toString().isEmpty());
    QVERIFY(tc.connection().batchExec("INSERT INTO sys.t_division (id, c_name) VALUES (50, 'Новая')"));
    QVERIFY(!getValueById(divisions, 50, "c_name").isValid());
    QVERIFY(!getValueById(&set, "nothing", 2, "c_name").isValid());
}

QTEST_MAIN(tst_QDataSet)
#include "tst_qdataset.moc"
