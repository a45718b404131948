#include "hostcontract.h"
#include "messagecatcher.h"
#include "modulefixture.h"
#include "testdatabases.h"

#include <QSqlRecord>
#include <QTemporaryFile>
#include <QtTest>

// Binding, execution, tracing and failure reports of the connection, on the
// real driver and a real database of each back end.
class tst_QSqlConnection : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase_data() { TestDatabases::addBackendRows(); }
    void init();
    void bindsPositionally();
    void bindsByName();

private:
    QStringList tracedLines() const;

    std::unique_ptr<QTemporaryFile> m_trace;
    std::unique_ptr<TestConnection> m_tc;
};

// Each test has a new database, traces to a file of its own and starts
// without debug settings.
void tst_QSqlConnection::init()
{
    QFETCH_GLOBAL(QString, backend);
    m_tc.reset(new TestConnection);
    OPEN_TEST_CONNECTION(*m_tc, backend, false);
    m_trace.reset(new QTemporaryFile);
    QVERIFY(m_trace->open());
    setHostSqlTraceFile(m_trace->fileName());
    setHostDebugDb(false);
    setHostNoGui(false);
}

QStringList tst_QSqlConnection::tracedLines() const
{
    QFile file(m_trace->fileName());
    return file.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(file.readAll()).split("\r\n", Qt::SkipEmptyParts)
                                          : QStringList();
}

// The cases of positional binding, each seen in the trace of what ran.
// Before Connect nothing runs. A record shaped by columns gets exactly the
// listed ones: missing ones with their default, values converted by the
// driver, unconvertible ones kept as they were.
void tst_QSqlConnection::bindsPositionally()
{
    QSqlConnection unconnected(&m_tc->library());
    QVERIFY(!unconnected.execScript("SELECT 1", QList<QVariant>()).isActive() && !unconnected.remakeConnection(nullptr, "x"));
    QVERIFY(!unconnected.execScript("SELECT 1", QSqlRecord()).isActive());
    QSqlConnection &c = m_tc->connection();
    const QString select = "SELECT 1 AS b_flag, 'abc' AS n_count, 'x' AS c_extra";
    infoList columns;
    columns << colInfo{"c_missing", {}, {}, QVariant::String, "default"} << colInfo{"b_flag", {}, {}, QVariant::Bool, {}}
            << colInfo{"n_count", {}, {}, QVariant::LongLong, {}};
    const QSqlRecord shaped = c.convert(c.execScript(select, QList<QVariant>()).record(), columns);
    QCOMPARE(shaped.fieldName(0) + '|' + rowText(shaped), QStringLiteral("c_missing|default|true|abc"));
    // The same name twice is two tokens and needs two values; the driver
    // binds every occurrence of a name at once, so the first value wins.
    QCOMPARE(rowText(c.execScript("SELECT :a , :a", {QVariant(1), QVariant(2)}).record()), QStringLiteral("1|1"));
    // Too few values: nothing is bound and the placeholders reach the server.
    QVERIFY(!c.execScript("SELECT :a , :b , :c", {QVariant(1), QVariant(2)}).isActive());
    // No query: bound, but neither traced nor run.
    c.execScript("SELECT :x", nullptr, {QVariant(3)});
    QCOMPARE(tracedLines(), QStringList({select, "SELECT 1 , 1", "SELECT :a , :b , :c"}));
}

// Also the failure reports: a failing statement is named in a warning, in a
// box only while debugging with a GUI; a database closed under the
// connection is opened again for the next statement.
void tst_QSqlConnection::bindsByName()
{
    QSqlConnection &c = m_tc->connection();
    const QSqlRecord record = c.execScript("SELECT 5 AS id, 12 AS id_unit, ':id (x)' AS c_name", QList<QVariant>()).record();

    MessageCatcher catcher;
    QSqlQuery query(c.db);
    c.execScript("SELECT :id_unit , (:id) , :c_name , :missing", &query, record, true);
    QCOMPARE(rowText(query.record()), QStringLiteral("12|5|:id (x)|"));
    QCOMPARE(tracedLines().mid(1), QStringList{"SELECT 12 , (5) , ':id (x)' , NULL"});

    const QString bad = "SELECT * FROM no_such_table";
    BoxAnswerer answerer;
    // Every combination of the two settings, the one that shows a box last.
    for (const int settings : {0, 1, 2, 3}) {
        setHostDebugDb(settings & 2);
        setHostNoGui(!(settings & 1));
        c.execScript(bad, QSqlRecord());
    }
    QCOMPARE(answerer.titles(), QStringList{"Database error"});
    QVERIFY(catcher.warned("Error executing query: " + bad + '\n'));
    c.db.close();
    QCOMPARE(rowText(c.execScript("SELECT 7", QSqlRecord()).record()), QStringLiteral("7"));
    QVERIFY(catcher.warned("The connection to the database was lost"));
}

QTEST_MAIN(tst_QSqlConnection)
#include "tst_qsqlconnection.moc"
