#include "messagecatcher.h"
#include "qsqlconnection.h"

#include <QLibrary>
#include <QProcess>
#include <QtTest>

// Connecting and logging in on a driver that can be told to give the answers
// a real database never gives.
class tst_ConnectionPrompts : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void handlesConnectAnswers_data();
    void handlesConnectAnswers();
    void asksOnConsole_data();
    void asksOnConsole();
    void namesUserWhenNameQueryFails();
};

void tst_ConnectionPrompts::init()
{
    qunsetenv("FAKE_CONNECT_ANSWER");
    qunsetenv("FAKE_START_SCRIPT");
    qunsetenv("FAKE_BATCH_FAILS");
}

void tst_ConnectionPrompts::handlesConnectAnswers_data()
{
    QTest::addColumn<QString>("library");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("startScript");
    QTest::addColumn<bool>("batchFails");
    QTest::addColumn<bool>("connected");
    QTest::addColumn<bool>("loginError");
    QTest::addColumn<QStringList>("boxes");
    const QString fake = QStringLiteral(FAKE_DRIVER_FILE);
    const QString noStart = QStringLiteral(FAKE_DRIVER_NOSTART_FILE);
    const QString question = QStringLiteral("Unknown database|Database is invalid or corrupted. Want for create?");
    QTest::newRow("ok") << fake << "Ok" << "" << false << true << false << QStringList();
    QTest::newRow("login error") << fake << "LOGIN ERROR" << "" << false << false << true << QStringList();
    QTest::newRow("error text") << fake << "Server is down" << "" << false << false << false
                                << QStringList{"ERROR|Server is down"};
    QTest::newRow("created") << fake << "INVALID" << "CREATE TABLE x (a int)" << false << true << false
                             << QStringList{question};
    QTest::newRow("no create script entry") << noStart << "INVALID" << "" << false << false << false
            << QStringList{question, "ERROR|Internal error #1001. System can not startup,"};
    QTest::newRow("empty create script") << fake << "INVALID" << "" << false << false << false
            << QStringList{question, "ERROR|Internal error #1002. System can not startup,"};
    QTest::newRow("create script fails") << fake << "INVALID" << "CREATE" << true << false << false
            << QStringList{question, "ERROR|Internal error #1003. System can not startup,"};
}

void tst_ConnectionPrompts::handlesConnectAnswers()
{
    QFETCH(QString, library);
    QFETCH(QString, answer);
    QFETCH(QString, startScript);
    QFETCH(bool, batchFails);
    QFETCH(bool, connected);
    QFETCH(bool, loginError);
    QFETCH(QStringList, boxes);
    qputenv("FAKE_CONNECT_ANSWER", answer.toUtf8());
    qputenv("FAKE_START_SCRIPT", startScript.toUtf8());
    qputenv("FAKE_BATCH_FAILS", batchFails ? "1" : "0");

    QLibrary driver(library);
    QSqlConnection c(&driver);
    BoxAnswerer answerer(QMessageBox::Ok);
    QCOMPARE(c.Connect(QStringLiteral("prompts"), false), connected);
    QCOMPARE(c.isConnected(), connected);
    QCOMPARE(c.hasLoginError(), loginError);
    QStringList shown;
    for (int i = 0; i < answerer.titles().size(); ++i)
        shown << answerer.titles().at(i) + QLatin1Char('|') + answerer.texts().at(i);
    QCOMPARE(shown, boxes);
}

void tst_ConnectionPrompts::asksOnConsole_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<bool>("connected");
    QTest::addColumn<int>("prompts");
    QTest::newRow("yes") << QByteArray("y\n") << true << 1;
    QTest::newRow("Yes, capital") << QByteArray("Yes\n") << true << 1;
    QTest::newRow("no") << QByteArray("no\n") << false << 1;
    QTest::newRow("asks again") << QByteArray("maybe\n\ny\n") << true << 3;
    QTest::newRow("input ends") << QByteArray() << false << 1;
    QTest::newRow("input ends after a bad answer") << QByteArray("x\n") << false << 2;
}

void tst_ConnectionPrompts::asksOnConsole()
{
    QFETCH(QByteArray, input);
    QFETCH(bool, connected);
    QFETCH(int, prompts);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("FAKE_CONNECT_ANSWER"), QStringLiteral("INVALID"));
    environment.insert(QStringLiteral("FAKE_START_SCRIPT"), QStringLiteral("CREATE TABLE x (a int)"));
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(CONSOLE_CONNECT_FILE), {QStringLiteral(FAKE_DRIVER_FILE)});
    QVERIFY(process.waitForStarted());
    process.write(input);
    process.closeWriteChannel();
    QVERIFY(process.waitForFinished(20000));
    const QString output = QString::fromUtf8(process.readAllStandardOutput());
    QCOMPARE(output.count(QStringLiteral("Want for create? (y/n): ")), prompts);
    QVERIFY2(output.contains(connected ? QStringLiteral("connected=1") : QStringLiteral("connected=0")),
             qPrintable(output));
}

void tst_ConnectionPrompts::namesUserWhenNameQueryFails()
{
    // The fake's database has no sys.t_user, so the name query fails after
    // the driver accepted the login.
    QLibrary driver(QStringLiteral(FAKE_DRIVER_FILE));
    QSqlConnection c(&driver);
    QVERIFY(c.Connect(QStringLiteral("prompts"), false));
    QVERIFY(c.login(QString(), QStringLiteral("pw")));
    QCOMPARE(qApp->property("LogedIn").toString(), QStringLiteral("super-admin"));
    QVERIFY(c.login(QStringLiteral("ivanov"), QStringLiteral("pw")));
    QCOMPARE(qApp->property("LogedIn").toString(), QStringLiteral("ivanov"));
    QCOMPARE(qApp->property("LogedUser").toString(), QStringLiteral("ivanov"));
    QCOMPARE(qApp->property("LogedPass").toString(), QStringLiteral("pw"));
}

QTEST_MAIN(tst_ConnectionPrompts)
#include "tst_connectionprompts.moc"
