#include "messagecatcher.h"
#include "testdatabases.h"

#include <QSqlError>
#include <QSqlField>
#include <QTemporaryFile>
#include <QtTest>

// Binding, execution, tracing and failure reports of the connection, on the
// real driver and a real database of each back end.
class tst_QSqlConnection : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase_data();
    void init();
    void cleanup();
    void bindsPositionally();
    void bindsByName();
    void doesNothingBeforeConnect();
    void showsDatabaseErrorsOnlyWhenDebugging_data();
    void showsDatabaseErrorsOnlyWhenDebugging();
    void shapesRecordsByColumns();

private:
    QStringList tracedLines() const;

    QTemporaryFile *m_trace = nullptr;
};

void tst_QSqlConnection::init()
{
    m_trace = new QTemporaryFile(this);
    QVERIFY(m_trace->open());
    qApp->setProperty("SQLTraceFile", m_trace->fileName());
    qApp->setProperty("bDebugDB", QVariant());
    qApp->setProperty("bNoGUI", QVariant());
}

void tst_QSqlConnection::cleanup()
{
    qApp->setProperty("SQLTraceFile", QVariant());
    delete m_trace;
    m_trace = nullptr;
}

QStringList tst_QSqlConnection::tracedLines() const
{
    QFile file(m_trace->fileName());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList lines = QString::fromLocal8Bit(file.readAll()).split(QStringLiteral("\r\n"));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

// The cases of positional binding, each seen in the trace of what ran.
void tst_QSqlConnection::bindsPositionally()
{
    QFETCH_GLOBAL(QString, backend);
    TestConnection tc;
    OPEN_TEST_CONNECTION(tc, backend, false);
    QSqlConnection &c = tc.connection();

    QSqlQuery plain = c.execScript(QStringLiteral("SELECT 7"), QList<QVariant>());
    QCOMPARE(plain.value(0).toInt(), 7);

    // The same name twice is two tokens and needs two values; the driver
    // binds every occurrence of a name at once, so the first value wins.
    QSqlQuery twice = c.execScript(QStringLiteral("SELECT :a , :a"), {QVariant(1), QVariant(2)});
    QCOMPARE(twice.value(0).toInt(), 1);
    QCOMPARE(twice.value(1).toInt(), 1);
    QSqlQuery once = c.execScript(QStringLiteral("SELECT :a , :a"), {QVariant(1)});
    QVERIFY(!once.isActive());

    // Too few values: nothing is bound and the placeholders reach the server.
    {
        MessageCatcher catcher;
        QSqlQuery mismatch = c.execScript(QStringLiteral("SELECT :a , :b , :c"), {QVariant(1), QVariant(2)});
        QVERIFY(!mismatch.isActive());
        QVERIFY(catcher.warned(QStringLiteral("Error executing query: ")));
    }

    // No query: bound, but neither traced nor run.
    c.execScript(QStringLiteral("SELECT :x"), nullptr, {QVariant(3)});

    QCOMPARE(tracedLines(), QStringList({"SELECT 7", "SELECT 1 , 1", "SELECT :a , :a",
                                         "SELECT :a , :b , :c"}));
}

void tst_QSqlConnection::bindsByName()
{
    QFETCH_GLOBAL(QString, backend);
    TestConnection tc;
    OPEN_TEST_CONNECTION(tc, backend, false);
    QSqlConnection &c = tc.connection();

    QSqlRecord record;
    record.append(QSqlField(QStringLiteral("id"), QVariant::LongLong));
    record.append(QSqlField(QStringLiteral("id_unit"), QVariant::LongLong));
    record.append(QSqlField(QStringLiteral("c_name"), QVariant::String));
    record.setValue(QStringLiteral("id"), 5);
    record.setValue(QStringLiteral("id_unit"), 12);
    record.setValue(QStringLiteral("c_name"), QStringLiteral(":id (x)"));

    MessageCatcher catcher;
    QSqlQuery query(c.db);
    c.execScript(QStringLiteral("SELECT :id_unit , (:id) , :c_name , :missing"), &query, record, true);
    QVERIFY2(query.isActive(), qPrintable(query.lastError().text()));
    QCOMPARE(query.value(0).toLongLong(), 12);
    QCOMPARE(query.value(1).toLongLong(), 5);
    QCOMPARE(query.value(2).toString(), QStringLiteral(":id (x)"));
    QVERIFY(query.value(3).isNull());
    const QString expected = QStringLiteral("SELECT 12 , (5) , ':id (x)' , NULL");
    QCOMPARE(tracedLines(), QStringList{expected});
    // Debug mode writes the final text to the log.
    QVERIFY(catcher.debugLines().contains(expected));

    // A failing statement leaves a warning that names it.
    const QString bad = QStringLiteral("SELECT * FROM no_such_table");
    c.execScript(bad, QSqlRecord());
    QVERIFY(catcher.warned(QStringLiteral("Error executing query: ") + bad + QLatin1Char('\n')));
    // A database closed under the connection is opened again before the
    // next statement, which then runs.
    c.db.close();
    QSqlQuery reopened = c.execScript(QStringLiteral("SELECT 7"), QSqlRecord());
    QCOMPARE(reopened.value(0).toInt(), 7);
    QVERIFY(catcher.warned(QStringLiteral("The connection to the database was lost")));
}

void tst_QSqlConnection::doesNothingBeforeConnect()
{
    QLibrary driver(QStringLiteral(VARKOLIN_DRIVER_FILE));
    QSqlConnection c(&driver);
    QVERIFY(!c.execScript(QStringLiteral("SELECT 1"), QList<QVariant>()).isActive());
    QVERIFY(!c.execScript(QStringLiteral("SELECT 1"), QSqlRecord()).isActive());
    QVERIFY(tracedLines().isEmpty());
    QVERIFY(!c.remakeConnection(nullptr, QStringLiteral("x")));
}

void tst_QSqlConnection::showsDatabaseErrorsOnlyWhenDebugging_data()
{
    QTest::addColumn<QVariant>("debugDb");
    QTest::addColumn<QVariant>("noGui");
    QTest::addColumn<bool>("boxShown");
    QTest::newRow("debugging") << QVariant(true) << QVariant() << true;
    QTest::newRow("debugging without GUI") << QVariant(true) << QVariant(true) << false;
    QTest::newRow("not debugging") << QVariant(false) << QVariant() << false;
}

void tst_QSqlConnection::showsDatabaseErrorsOnlyWhenDebugging()
{
    QFETCH(QVariant, debugDb);
    QFETCH(QVariant, noGui);
    QFETCH(bool, boxShown);
    TestConnection tc;
    OPEN_TEST_CONNECTION(tc, QStringLiteral("sqlite"), false);
    qApp->setProperty("bDebugDB", debugDb);
    qApp->setProperty("bNoGUI", noGui);
    MessageCatcher catcher;
    BoxAnswerer answerer;
    tc.connection().execScript(QStringLiteral("SELECT * FROM no_such_table"), QList<QVariant>());
    QCOMPARE(answerer.titles().contains(QStringLiteral("Database error")), boxShown);
}

// The record gets exactly the listed columns: missing ones with their
// default, values converted by the driver, unconvertible ones kept as they were.
void tst_QSqlConnection::shapesRecordsByColumns()
{
    QFETCH_GLOBAL(QString, backend);
    TestConnection tc;
    OPEN_TEST_CONNECTION(tc, backend, false);
    QSqlQuery query = tc.connection().execScript(
            QStringLiteral("SELECT 1 AS b_flag, 'abc' AS n_count, 'x' AS c_extra"), QList<QVariant>());
    QVERIFY(query.isActive());
    infoList columns;
    for (const auto &column : {std::make_pair("c_missing", QVariant::String), std::make_pair("b_flag", QVariant::Bool),
                               std::make_pair("n_count", QVariant::LongLong)}) {
        columns << colInfo();
        columns.last().fieldName = QLatin1String(column.first);
        columns.last().dataType = column.second;
    }
    columns.first().defValue = QStringLiteral("default");

    const QSqlRecord shaped = tc.connection().convert(query.record(), columns);
    QCOMPARE(shaped.count(), 3);
    QCOMPARE(shaped.fieldName(0), QStringLiteral("c_missing"));
    QCOMPARE(shaped.value(0), QVariant(QStringLiteral("default")));
    QCOMPARE(shaped.value(1), QVariant(true));
    QCOMPARE(shaped.value(2).toString(), QStringLiteral("abc"));
}

// Every test runs on each back end of the run.
void tst_QSqlConnection::initTestCase_data()
{
    TestDatabases::addBackendRows();
}

QTEST_MAIN(tst_QSqlConnection)
#include "tst_qsqlconnection.moc"
