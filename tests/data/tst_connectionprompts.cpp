#include "hostcontract.h"
#include "messagecatcher.h"
#include "qsqlconnection.h"

#include <QLibrary>
#include <QProcess>
#include <QtTest>

// Connecting and logging in on a driver that can be told to give the answers
// a real database never gives. (The answers a real one gives are tested
// with the real driver.)
class tst_ConnectionPrompts : public QObject
{
    Q_OBJECT
private slots:
    void reportsFailedConnections_data();
    void reportsFailedConnections();
    void asksOnConsole_data();
    void asksOnConsole();
    void logsIn();
};

namespace {

// Every test says all of it, so that none depends on the one before.
void tellFakeDriver(const QByteArray &answer, const QByteArray &startScript = QByteArray(), bool batchFails = false)
{
    qputenv("FAKE_CONNECT_ANSWER", answer);
    qputenv("FAKE_START_SCRIPT", startScript);
    qputenv("FAKE_BATCH_FAILS", batchFails ? "1" : "0");
}

} // namespace

void tst_ConnectionPrompts::reportsFailedConnections_data()
{
    QTest::addColumn<int>("code");
    QTest::newRow("login refused") << 0;
    QTest::newRow("no create script entry") << 1001;
    QTest::newRow("empty create script") << 1002;
    QTest::newRow("create script fails") << 1003;
}

// The user agreed to create the database, and learns why it was not. A
// refused login (code 0) is told apart from other failures, without a box.
void tst_ConnectionPrompts::reportsFailedConnections()
{
    QFETCH(int, code);
    tellFakeDriver(code ? "INVALID" : "LOGIN ERROR", code == 1003 ? "CREATE" : "", code == 1003);
    QLibrary driver(code == 1001 ? FAKE_DRIVER_NOSTART_FILE : FAKE_DRIVER_FILE);
    QSqlConnection c(&driver);
    BoxAnswerer answerer(QMessageBox::Ok);
    QVERIFY(!c.Connect("prompts", false) && !c.isConnected() && c.hasLoginError() == !code);
    const QStringList boxes = {"Unknown database", "ERROR", "Database is invalid or corrupted. Want for create?",
                               QStringLiteral("Internal error #%1. System can not startup,").arg(code)};
    QCOMPARE(answerer.titles() + answerer.texts(), code ? boxes : QStringList());
}

void tst_ConnectionPrompts::asksOnConsole_data()
{
    QTest::addColumn<QByteArray>("input");
    // How many times the prompt was shown, and the connection's outcome.
    QTest::addColumn<QString>("outcome");
    QTest::newRow("yes") << QByteArray("y\n") << "1 connected=1";
    QTest::newRow("Yes, capital") << QByteArray("Yes\n") << "1 connected=1";
    QTest::newRow("no") << QByteArray("no\n") << "1 connected=0";
    QTest::newRow("asks again") << QByteArray("maybe\n\ny\n") << "3 connected=1";
    QTest::newRow("input ends") << QByteArray() << "1 connected=0";
    QTest::newRow("input ends after a bad answer") << QByteArray("x\n") << "2 connected=0";
}

// A closed input once had the prompt ask for ever.
void tst_ConnectionPrompts::asksOnConsole()
{
    QFETCH(QByteArray, input);
    QFETCH(QString, outcome);
    tellFakeDriver("INVALID", "CREATE TABLE x (a int)");
    QProcess process;
    process.start(CONSOLE_CONNECT_FILE, {FAKE_DRIVER_FILE});
    process.write(input);
    process.closeWriteChannel();
    QVERIFY(process.waitForFinished(20000));
    const QString output = QString::fromUtf8(process.readAllStandardOutput());
    QCOMPARE(QString::number(output.count("Want for create? (y/n): ")) + ' ' + output.section('\n', -2, -2), outcome);
}

// After a login the driver accepted, a failing name query leaves the login
// itself as the name (the super administrator's for an empty login).
void tst_ConnectionPrompts::logsIn()
{
    QLibrary driver(FAKE_DRIVER_FILE);
    tellFakeDriver("Ok");
    QSqlConnection c(&driver);
    QVERIFY(c.Connect("prompts", false) && !c.hasLoginError());
    QVERIFY(c.login(QString(), "pw"));
    QCOMPARE(hostLoggedInName(), QStringLiteral("super-admin"));
    QVERIFY(c.login("ivanov", "pw"));
    QCOMPARE(hostLoggedInName() + '/' + hostLoggedUser() + '/' + hostLoggedPassword(), QStringLiteral("ivanov/ivanov/pw"));
}

QTEST_MAIN(tst_ConnectionPrompts)
#include "tst_connectionprompts.moc"
