#include "datalookup.h"
#include "messagecatcher.h"
#include "qdataset.h"
#include "qdatatable.h"
#include "testdatabases.h"

#include <QComboBox>
#include <QSqlError>
#include <QStandardItemModel>
#include <QTableView>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>

// Data sets: membership, links, commit in one transaction on each back end,
// dumps; and the look-up helpers that read their tables.
class tst_QDataSet : public QObject
{
    Q_OBJECT
private slots:
    void keepsMembersByName();
    void propagatesKeys_data();
    void propagatesKeys();
    void ignoresDisplayTextOfKeys();
    void commitsInOneTransaction_data() { TestDatabases::addBackendRows(); }
    void commitsInOneTransaction();
    void commitsWithoutConnection();
    void keepsWorkWhenCommitFails_data();
    void keepsWorkWhenCommitFails();
    void dumpsMembers();
    void looksUpValues_data() { TestDatabases::addBackendRows(); }
    void looksUpValues();
};

namespace {

QDataTable *memoryTable(const QString &name, QObject *parent, const QList<QVariantList> &rows,
                        int idFlags = 0)
{
    auto *table = new QDataTable(name, nullptr, parent);
    table->addColumn(QStringLiteral("id"), QVariant::LongLong, true, QString(), 0, 100, QVariant(), idFlags);
    table->addColumn(QStringLiteral("id_ref"), QVariant::LongLong, true, QString(), 0, 100, QVariant(), idFlags);
    table->open();
    for (const QVariantList &values : rows) {
        QSqlRecord record = table->newRow(false);
        record.setValue(0, values.at(0));
        record.setValue(1, values.at(1));
        table->setRow(table->lastRow(), record, true);
        table->setRowState(table->lastRow(), RowUnchanged);
    }
    return table;
}

QString refs(QDataTable *table)
{
    QStringList values;
    for (int row = 0; row < table->rowCount(); ++row)
        values << table->getField(QStringLiteral("id_ref"), row).toString();
    return values.join(QLatin1Char(','));
}

QDataTable *unitsTable(QSqlConnection *c, QObject *parent)
{
    auto *table = new QDataTable(QStringLiteral("t_prod_units"), c, parent);
    table->setScripts(QStringLiteral("PROD_UNITS_SELECT"), QStringLiteral("PROD_UNITS_UPDATE"),
                      QStringLiteral("PROD_UNITS_INSERT"), QStringLiteral("PROD_UNITS_DELETE"), false);
    table->addColumn(QStringLiteral("id"), 4, false, QString(), -1);
    table->addColumn(QStringLiteral("c_name"), 10, true, QStringLiteral("Подразделение"));
    table->addColumn(QStringLiteral("b_is_side"), 1, true);
    table->addColumn(QStringLiteral("id_division"), 4, true);
    table->addColumn(QStringLiteral("id_storage"), 4, false);
    table->setKeyField(QStringLiteral("id"));
    return table;
}

QDataTable *workplacesTable(QSqlConnection *c, QObject *parent)
{
    auto *table = new QDataTable(QStringLiteral("t_prod_workplace"), c, parent);
    table->setScripts(QStringLiteral("PROD_WORKPLACE_SELECT"), QStringLiteral("PROD_WORKPLACE_UPDATE"),
                      QStringLiteral("PROD_WORKPLACE_INSERT"), QStringLiteral("PROD_WORKPLACE_DELETE"), false);
    table->addColumn(QStringLiteral("id"), 4, false, QString(), -1);
    table->addColumn(QStringLiteral("id_unit"), 4, false, QString(), -1);
    table->addColumn(QStringLiteral("id_attribute"), 4, false, QString(), -1);
    table->addColumn(QStringLiteral("c_name"), 10, true);
    table->addColumn(QStringLiteral("v"), 1, true, QStringLiteral("v"), 0, 50, false);
    table->setKeyField(QStringLiteral("id"));
    table->setSelectParam(QStringLiteral("id_unit"), -1);
    return table;
}

// Units and their workplaces, opened, in the set, the workplaces following the units' keys.
void linkUnitsAndWorkplaces(QDataSet &set, QSqlConnection *c, QDataTable *&units, QDataTable *&workplaces)
{
    units = unitsTable(c, &set);
    workplaces = workplacesTable(c, &set);
    for (QDataTable *table : {units, workplaces}) {
        table->open();
        set.addTable(table);
    }
    set.createDataLink(QStringLiteral("t_prod_units"), QStringLiteral("id"), QStringLiteral("t_prod_workplace"),
                       QStringLiteral("id_unit"));
}

// A new unit with one new workplace on the given storage, linked by the unit's key.
void addUnitWithWorkplace(QDataTable *units, QDataTable *workplaces, qlonglong storage)
{
    QSqlRecord unit = units->newRow(true);
    unit.setValue(QStringLiteral("c_name"), QStringLiteral("Новый цех"));
    unit.setValue(QStringLiteral("b_is_side"), false);
    unit.setValue(QStringLiteral("id_division"), 1);
    units->setRow(units->lastRow(), unit, false);
    QSqlRecord workplace = workplaces->newRow(true);
    workplace.setValue(QStringLiteral("id_unit"), unit.value(QStringLiteral("id")));
    workplace.setValue(QStringLiteral("id_attribute"), storage);
    workplaces->setRow(workplaces->lastRow(), workplace, false);
}

// A count read through a connection of its own, which sees only committed data.
int committedCount(const QString &url, const QString &sql)
{
    const QString name = QStringLiteral("observer");
    int result = -1;
    {
        QSqlDatabase db;
        if (url.startsWith(QLatin1String("sqlite:"))) {
            db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
            db.setDatabaseName(url.mid(7));
        } else {
            const QUrl parsed(url);
            db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
            db.setHostName(parsed.host());
            db.setPort(parsed.port());
            db.setUserName(parsed.userName());
            db.setPassword(parsed.password());
            db.setDatabaseName(parsed.path().mid(1));
        }
        QSqlQuery query(db);
        if (db.open() && query.exec(sql) && query.next())
            result = query.value(0).toInt();
    }
    QSqlDatabase::removeDatabase(name);
    return result;
}

int count(QSqlConnection &c, const QString &sql)
{
    return c.execScript(sql).toInt();
}

// Everything a user could see or a commit would send, as text.
QString clientState(QDataTable *table)
{
    QString state = table->prepareDump(true);
    for (int row = 0; row < table->rowCount(); ++row) {
        for (int column = 0; column < table->columns().size(); ++column) {
            const QStandardItem *item = table->getModel()->item(row, column);
            state += item ? item->data(OriginalValueRole).toString() + QLatin1Char('|') + item->text()
                          : QStringLiteral("-");
            state += QLatin1Char(';');
        }
    }
    return state + QStringLiteral("pending %1/%2/%3 modified %4")
            .arg(table->pendingInserts().size()).arg(table->pendingUpdates().size())
            .arg(table->pendingDeletes().size()).arg(table->isModified());
}

// Pending work of every kind: each stored unit renamed, a stored workplace
// deleted, many new units.
void makePendingWork(QDataTable *units, QDataTable *workplaces, int newUnits)
{
    const int stored = units->rowCount();
    for (int row = 0; row < stored; ++row) {
        QSqlRecord unit = units->getRecord(row);
        unit.setValue(QStringLiteral("c_name"), QStringLiteral("Правка %1").arg(row));
        units->setRow(row, unit, false);
    }
    workplaces->deleteRow(0);
    for (int i = 0; i < newUnits; ++i) {
        QSqlRecord unit = units->newRow(true);
        unit.setValue(QStringLiteral("c_name"), QStringLiteral("Новое %1").arg(i));
        unit.setValue(QStringLiteral("b_is_side"), false);
        unit.setValue(QStringLiteral("id_division"), 1);
        units->setRow(units->lastRow(), unit, false);
    }
}

// What the database holds of that work: renamed units, new units, workplaces.
QString storedWork(const QString &url)
{
    return QStringLiteral("%1/%2/%3")
            .arg(committedCount(url, QStringLiteral("SELECT count(*) FROM t_prod_units WHERE c_name LIKE 'Правка %'")))
            .arg(committedCount(url, QStringLiteral("SELECT count(*) FROM t_prod_units WHERE c_name LIKE 'Новое %'")))
            .arg(committedCount(url, QStringLiteral("SELECT count(*) FROM t_prod_workplace")));
}

} // namespace

void tst_QDataSet::keepsMembersByName()
{
    QDataSet set;
    QDataTable *a = memoryTable(QStringLiteral("a"), this, {});
    QDataTable *b = memoryTable(QStringLiteral("b"), this, {});
    QDataTable *twin = memoryTable(QStringLiteral("a"), this, {});
    QVERIFY(set.addTable(a));
    QVERIFY(set.addTable(b));
    QVERIFY(!set.addTable(twin));
    QCOMPARE(set.tables(), QStringList({"a", "b"}));
    QCOMPARE(set.getTable(QStringLiteral("b")), b);
    {
        MessageCatcher catcher;
        QVERIFY(!set.getTable(QStringLiteral("A")));
        QCOMPARE(catcher.debugLines(), QStringList{"table not found [ \"A\" ]"});
    }
    set.createDataLink(QStringLiteral("a"), QStringLiteral("id"), QStringLiteral("c"), QStringLiteral("id_ref"));
    QDataTable *c = memoryTable(QStringLiteral("c"), this, {});
    QVERIFY(set.addTable(c));
    QVERIFY(set.links().isEmpty());

    QVERIFY(!set.isModified());
    a->newRow(true);
    QVERIFY(set.isModified());
    set.closeAll();
    QCOMPARE(a->getTableState(), -2);

    QDataSet other;
    QDataTable *d = memoryTable(QStringLiteral("d"), this, {});
    other.addTable(twin);
    other.addTable(d);
    set.intersect(&other);
    QCOMPARE(set.tables(), QStringList({"a", "b", "c", "d"}));
    QCOMPARE(set.getTable(QStringLiteral("a")), a);
    QCOMPARE(set.getTable(QStringLiteral("d")), d);
}

void tst_QDataSet::propagatesKeys_data()
{
    QTest::addColumn<int>("idFlags");
    QTest::newRow("scanned") << 0;
    QTest::newRow("indexed") << int(ColumnHashIndex);
}

void tst_QDataSet::propagatesKeys()
{
    QFETCH(int, idFlags);
    QDataSet set;
    // A tree in one table: rows refer to their parent's id.
    QDataTable *tree = memoryTable(QStringLiteral("tree"), this, {{5, 0}, {6, 5}, {7, 5}, {8, 6}}, idFlags);
    QDataTable *first = memoryTable(QStringLiteral("first"), this, {{1, 5}, {2, 5}, {3, 4}}, idFlags);
    QDataTable *second = memoryTable(QStringLiteral("second"), this, {{1, 5}}, idFlags);
    QDataTable *closed = memoryTable(QStringLiteral("closed"), this, {}, idFlags);
    closed->close();
    for (QDataTable *table : {tree, first, second, closed})
        QVERIFY(set.addTable(table));
    set.createDataLink(QStringLiteral("tree"), QStringLiteral("id"), QStringLiteral("id_ref"));
    set.createDataLink(QStringLiteral("tree"), QStringLiteral("id"), QStringLiteral("first"), QStringLiteral("id_ref"));
    set.createDataLink(QStringLiteral("tree"), QStringLiteral("id"), QStringLiteral("second"), QStringLiteral("id_ref"));
    set.createDataLink(QStringLiteral("tree"), QStringLiteral("id"), QStringLiteral("closed"), QStringLiteral("id_ref"));
    QCOMPARE(set.links().size(), 4);

    // A detail row that is deleted keeps the old key and is never found again.
    QVERIFY(first->deleteRow(1));
    emit tree->dataChanged(QStringLiteral("id"), 5, 9, QStringLiteral("tree"));
    QCOMPARE(refs(tree), QStringLiteral("0,9,9,6"));
    QCOMPARE(refs(first), QStringLiteral("9,5,4"));
    QCOMPARE(refs(second), QStringLiteral("9"));
    QCOMPARE(first->getRowState(0), 2);
    QCOMPARE(closed->getTableState(), -2);

    // Equal values, another field or another table rewrite nothing.
    emit tree->dataChanged(QStringLiteral("id"), 9, 9, QStringLiteral("tree"));
    emit tree->dataChanged(QStringLiteral("id_ref"), 9, 1, QStringLiteral("tree"));
    emit first->dataChanged(QStringLiteral("id"), 9, 1, QStringLiteral("first"));
    QCOMPARE(refs(tree), QStringLiteral("0,9,9,6"));
    QCOMPARE(refs(second), QStringLiteral("9"));
}

// A master whose key column shows a name: loading and writing it must never
// send the name down a link as if it were a new key.
void tst_QDataSet::ignoresDisplayTextOfKeys()
{
    QDataSet set;
    QDataTable *master = memoryTable(QStringLiteral("master"), this, {});
    QDataTable *detail = memoryTable(QStringLiteral("detail"), this, {{1, 5}});
    set.addTable(master);
    set.addTable(detail);
    set.createDataLink(QStringLiteral("master"), QStringLiteral("id"), QStringLiteral("detail"), QStringLiteral("id_ref"));
    connect(master, &QDataTable::getDispInfo, this, [](int, QVariant *value, QCellData *cell, QSqlRecord *, int) {
        cell->text = QStringLiteral("Компания %1").arg(value->toLongLong());
    });
    QTableView view;
    master->setView(&view);
    QSqlRecord record = master->newRow(false);
    record.setValue(0, 5);
    master->setRow(master->lastRow(), record, true);
    master->setRowState(0, RowUnchanged);
    QVERIFY(master->setField(QStringLiteral("id_ref"), 3));
    master->resetOriginalData(0, false);
    QCOMPARE(refs(detail), QStringLiteral("5"));
    QCOMPARE(detail->getRowState(0), 0);
}

void tst_QDataSet::commitsInOneTransaction()
{
    QFETCH(QString, backend);
    TestConnection tc;
    OPEN_TEST_CONNECTION(tc, backend, true);
    QSqlConnection &c = tc.connection();
    QDataSet set;
    QDataTable *units = nullptr;
    QDataTable *workplaces = nullptr;
    linkUnitsAndWorkplaces(set, &c, units, workplaces);
    QDataTable *divisions = new QDataTable(QStringLiteral("t_division"), &c, this);
    divisions->setScripts(QStringLiteral("SELECT id, c_name FROM sys.t_division ORDER BY id"), QString(), QString(),
                          QStringLiteral("DELETE FROM sys.t_division WHERE id = :id"), true);
    divisions->open();
    set.addTable(divisions);
    const qlonglong storage = c.execScript(QStringLiteral("SELECT min(id) FROM dirs.t_storage")).toLongLong();
    addUnitWithWorkplace(units, workplaces, storage);
    QVERIFY(divisions->deleteRow(0));
    // The third table is neither committed nor rolled back.
    set.setChangingOrder({"t_prod_units", "no_such_table", "t_prod_workplace"});

    QVERIFY(set.commit(&c));
    const qlonglong unit = units->getField(QStringLiteral("id"), units->lastRow()).toLongLong();
    QVERIFY(unit > 0);
    QCOMPARE(workplaces->getField(QStringLiteral("id_unit"), 0).toLongLong(), unit);
    QCOMPARE(workplaces->getRowState(0), 0);
    QCOMPARE(count(c, QStringLiteral("SELECT count(*) FROM t_prod_workplace WHERE id_unit = %1").arg(unit)), 1);
    QCOMPARE(divisions->getRowState(0), 3);
    QCOMPARE(count(c, QStringLiteral("SELECT count(*) FROM sys.t_division")), 3);
    set.rollback();
    QCOMPARE(divisions->getRowState(0), 3);
    // Another session sees the rows: the transaction was committed.
    QCOMPARE(committedCount(tc.url(), QStringLiteral("SELECT count(*) FROM t_prod_workplace WHERE id_unit = %1").arg(unit)), 1);
}

void tst_QDataSet::commitsWithoutConnection()
{
    QDataSet empty;
    QVERIFY(empty.commit(nullptr));
    QDataSet set;
    QDataTable *table = memoryTable(QStringLiteral("a"), this, {{1, 2}});
    set.addTable(table);
    QVERIFY(set.commit(nullptr));
    table->newRow(true);
    QVERIFY(!set.commit(nullptr));
    QCOMPARE(table->pendingInserts().size(), 1);
}

void tst_QDataSet::keepsWorkWhenCommitFails_data()
{
    QTest::addColumn<QString>("backend");
    QTest::addColumn<QString>("cause");
    QTest::addColumn<bool>("firstApplyWrites");
    const QStringList backends = TestDatabases::backends();
    for (const QString &backend : backends) {
        const QByteArray b = backend.toLatin1();
        QTest::addRow("%s, detail refused", b.data()) << backend << "refused" << false;
        QTest::addRow("%s, database closed", b.data()) << backend << "closed" << true;
        QTest::addRow("%s, connection cleared", b.data()) << backend << "cleared" << false;
        if (backend != QLatin1String("postgres"))
            continue;
        QTest::addRow("%s, server restarted before apply", b.data()) << backend << "restarted" << true;
        QTest::addRow("%s, server stopped mid-commit", b.data()) << backend << "stopped" << false;
    }
}

// A commit that fails (a detail the database refuses after its master was
// written, a lost connection) writes nothing and leaves every table exactly
// as it was; once the cause is gone, the next commit writes each row once.
// (A commit without a transaction once reported success and dropped the
// rows; a statement on a closed database once passed for run.)
void tst_QDataSet::keepsWorkWhenCommitFails()
{
    QFETCH(QString, backend);
    QFETCH(QString, cause);
    QFETCH(bool, firstApplyWrites);
    std::unique_ptr<PrivateTestServer> server;
    if (cause == QLatin1String("restarted") || cause == QLatin1String("stopped")) {
        server.reset(new PrivateTestServer);
        QVERIFY(server->isRunning());
    }
    TestConnection tc;
    OPEN_TEST_CONNECTION(tc, backend, true);
    QSqlConnection &c = tc.connection();
    QDataSet set;
    QDataTable *units = nullptr;
    QDataTable *workplaces = nullptr;
    linkUnitsAndWorkplaces(set, &c, units, workplaces);
    const qlonglong storage = c.execScript(QStringLiteral("SELECT min(id) FROM dirs.t_storage")).toLongLong();
    addUnitWithWorkplace(units, workplaces, storage);
    QVERIFY(set.commit(&c));
    const int stored = units->rowCount();
    const int newUnits = 3000;
    makePendingWork(units, workplaces, newUnits);
    addUnitWithWorkplace(units, workplaces, cause == QLatin1String("refused") ? 99999 : storage);
    const QString unitsBefore = clientState(units);
    const QString workplacesBefore = clientState(workplaces);
    const QString nothingStored = storedWork(tc.url());
    const int workplacesStored = nothingStored.section(QLatin1Char('/'), 2).toInt();
    QCOMPARE(nothingStored, QStringLiteral("0/0/%1").arg(workplacesStored));

    int inserted = 0;
    connect(units, &QDataTable::dataChanged, this, [&] {
        if (++inserted == newUnits / 2 && cause == QLatin1String("stopped"))
            QVERIFY(TestDatabases::controlServer(QStringLiteral("halt")));
    });
    if (cause == QLatin1String("closed"))
        c.db.close();
    else if (cause == QLatin1String("cleared"))
        c.clear();
    else if (cause == QLatin1String("restarted"))
        QVERIFY(TestDatabases::controlServer(QStringLiteral("halt"))
                && TestDatabases::controlServer(QStringLiteral("resume")));
    MessageCatcher catcher;
    const bool written = set.commit(&c);
    if (cause == QLatin1String("stopped"))
        QVERIFY(TestDatabases::controlServer(QStringLiteral("resume")));
    QCOMPARE(written, firstApplyWrites);
    if (!written) {
        QCOMPARE(set.lastError().startsWith(QSqlConnection::noConnectionText()), cause != QLatin1String("refused"));
        QCOMPARE(clientState(units), unitsBefore);
        QCOMPARE(clientState(workplaces), workplacesBefore);
        QCOMPARE(storedWork(tc.url()), nothingStored);
        QCOMPARE(units->newRow(true).value(QStringLiteral("id")).toInt(), -newUnits - 3);
        units->killRow(units->lastRow());
        if (cause == QLatin1String("cleared"))
            QVERIFY(c.remakeConnection(&tc.library(), tc.connectionName()));
        if (cause == QLatin1String("refused"))
            QVERIFY(workplaces->setField(QStringLiteral("id_attribute"), storage));
        QVERIFY2(set.commit(&c), qPrintable(set.lastError()));
    }
    QCOMPARE(storedWork(tc.url()), QStringLiteral("%1/%2/%3").arg(stored).arg(newUnits).arg(workplacesStored));
    const qlonglong unit = units->getField(QStringLiteral("id"), units->lastRow()).toLongLong();
    QCOMPARE(count(c, QStringLiteral("SELECT count(*) FROM t_prod_workplace WHERE id_unit = %1").arg(unit)), 1);
    QVERIFY(units->pendingInserts().isEmpty() && workplaces->pendingDeletes().isEmpty() && !set.isModified());
}

void tst_QDataSet::dumpsMembers()
{
    QDataSet set;
    set.setObjectName(QStringLiteral("units"));
    QDataTable *a = memoryTable(QStringLiteral("a"), this, {{1, 2}});
    QDataTable *b = memoryTable(QStringLiteral("b"), this, {});
    set.addTable(a);
    set.addTable(b);
    QTemporaryDir base;
    const QString dir = base.filePath(QStringLiteral("dump"));
    set.dump(dir, false, QString(), {"b"});
    set.dump(dir, true);
    const QStringList files = QDir(dir).entryList(QDir::Files);
    QCOMPARE(files.size(), 1);
    QVERIFY2(QRegularExpression(QStringLiteral("^dataset_units_\\d{4}_\\d\\d_\\d\\d \\d\\d_\\d\\d\\.csv$")).match(files.first()).hasMatch(),
             qPrintable(files.first()));
    QFile file(QDir(dir).filePath(files.first()));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromLocal8Bit(file.readAll()),
             QStringLiteral("\"TABLE:\";\"a\";\n") + a->prepareDump(true) + QStringLiteral(";\n;\n;\n")
             + QStringLiteral("\"TABLE:\";\"b\";\n") + b->prepareDump(true) + QStringLiteral(";\n;\n;\n"));
    set.dump(dir, false, QStringLiteral("named"), {"b"});
    QCOMPARE(QDir(dir).entryList(QDir::Files).size(), 2);
}

void tst_QDataSet::looksUpValues()
{
    QFETCH(QString, backend);
    TestConnection tc;
    OPEN_TEST_CONNECTION(tc, backend, true);
    QSqlConnection &c = tc.connection();
    QDataSet set;
    QDataTable *divisions = new QDataTable(QStringLiteral("t_division"), &c, this);
    divisions->setScripts(QStringLiteral("SELECT id, c_name FROM sys.t_division WHERE NOT b_is_del;"), QString(),
                          QString(), QString(), true);
    set.addTable(divisions);

    QComboBox box;
    fillComboBox(&box, divisions, QStringLiteral("c_name"), QStringLiteral("id"), QStringLiteral("(нет)"), 0);
    QCOMPARE(box.count(), 4);
    QCOMPARE(box.itemText(0), QStringLiteral("(нет)"));
    QCOMPARE(box.itemData(1).toLongLong(), divisions->getField(QStringLiteral("id"), 0).toLongLong());
    fillComboBox(&box, divisions, QStringLiteral("c_name"), QStringLiteral("id"));
    QCOMPARE(box.count(), 3);

    divisions->close();
    const QString name = getValueById(&set, QStringLiteral("t_division"), 2, QStringLiteral("c_name")).toString();
    QVERIFY(!name.isEmpty());
    QCOMPARE(divisions->getTableState(), 0);
    // An open table is searched as it is, not loaded again.
    QVERIFY(c.batchExec(QStringLiteral("INSERT INTO sys.t_division (id, c_name) VALUES (50, 'Новая')")));
    QVERIFY(!getValueById(divisions, 50, QStringLiteral("c_name")).isValid());
    QVERIFY(!getValueById(&set, QStringLiteral("nothing"), 2, QStringLiteral("c_name")).isValid());
    QVERIFY(!getValueById(static_cast<QDataTable *>(nullptr), 2, QStringLiteral("c_name")).isValid());

    QVERIFY(getCurrentRecord(divisions).isEmpty());
    QTableView view;
    divisions->setView(&view);
    view.setCurrentIndex(divisions->getModel()->index(1, 1));
    QCOMPARE(getCurrentRecord(divisions).value(QStringLiteral("id")), divisions->getField(QStringLiteral("id"), 1));
}

QTEST_MAIN(tst_QDataSet)
#include "tst_qdataset.moc"
