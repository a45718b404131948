#include "driverinterface.h"
#include "messagecatcher.h"
#include "testdatabases.h"

#include <QPlainTextEdit>
#include <QSqlError>
#include <QSqlField>
#include <QtTest>

// The driver library through the connection, on a real database of each back end.
class tst_Driver : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase_data();
    void createsSchemaOnNewDatabase();
    void reportsConnectionProblems_data();
    void reportsConnectionProblems();
    void logsInUsers_data();
    void logsInUsers();
    void servesNamedScripts();
    void guardsTheData();
    void runsBatches();

private:
    QVariant rawConnect(TestConnection &tc, const QString &url);
};

namespace {

const QStringList scriptNames = {
    "PROD_UNITS_SELECT", "PROD_UNITS_UPDATE", "PROD_UNITS_INSERT", "PROD_UNITS_DELETE",
    "PROD_WORKPLACE_SELECT", "PROD_WORKPLACE_UPDATE", "PROD_WORKPLACE_INSERT", "PROD_WORKPLACE_DELETE",
    "PROD_PRODUCT_SELECT", "PROD_PRODUCT_UPDATE", "PROD_PRODUCT_INSERT", "PROD_PRODUCT_DELETE",
    "PROD_WORKPLACE_NOT_USED_SELECT", "PROD_PRODUCT_NOT_USED_SELECT", "ALL_ITEM_TYPE_SELECT",
    "TYPES_FOR_PRODUCTS_SELECT", "PRODUCT_SELECT", "PRODUCT_VERSION_SELECT",
    "USER_ATTR_READ", "USER_ATTR_WRITE", "DOC_TEMPLATE_SELECT_GROUP", "DOC_TEMPLATE_SELECT_ONCE",
};

// Every unit as one line of text, to see that nothing else changed.
QStringList unitRows(QSqlConnection &c)
{
    QStringList rows;
    QSqlQuery query(c.db);
    if (!query.exec(QStringLiteral("SELECT id, c_name, b_is_side, id_division, id_storage FROM t_prod_units ORDER BY id")))
        return {query.lastError().text()};
    while (query.next()) {
        QStringList cells;
        for (int i = 0; i < 5; ++i)
            cells << (query.isNull(i) ? QStringLiteral("NULL") : query.value(i).toString());
        rows << cells.join(QLatin1Char('|'));
    }
    return rows;
}

int count(QSqlConnection &c, const QString &table)
{
    return c.execScript(QStringLiteral("SELECT count(*) FROM %1").arg(table)).toInt();
}

// The user's salt and hash as "salt|hash", replaced first when a text is given.
QString storedHash(QSqlConnection &c, const QString &login, const QString &replacement = QString())
{
    const QString where = c.parseQuery(QStringLiteral(" WHERE c_login = :login"), QStringLiteral("login"), login);
    const QString update = c.parseQuery(QStringLiteral("UPDATE sys.t_user SET c_salt = :salt, c_pass_hash = :hash") + where,
                                        QStringLiteral("salt"), replacement.section(QLatin1Char('|'), 0, 0));
    if (!replacement.isEmpty())
        c.execScript(c.parseQuery(update, QStringLiteral("hash"), replacement.section(QLatin1Char('|'), 1)));
    return c.execScript(QStringLiteral("SELECT c_salt || '|' || c_pass_hash FROM sys.t_user") + where).toString();
}

} // namespace

QVariant tst_Driver::rawConnect(TestConnection &tc, const QString &url)
{
    const driverEntryPoints driver = resolveDriverEntryPoints(tc.library());
    if (!driver.Connect)
        return QVariant();
    qApp->setProperty(databaseUrlProperty, url);
    return driver.Connect(QStringLiteral("raw"), false);
}

void tst_Driver::createsSchemaOnNewDatabase()
{
    QFETCH_GLOBAL(QString, backend);
    QString error;
    const QString url = TestDatabases::freshUrl(backend, &error);
    QVERIFY2(!url.isEmpty(), qPrintable(error));
    TestConnection tc;
    QVERIFY(tc.library().load());
    QStringList missing;
    resolveDriverEntryPoints(tc.library(), &missing);
    QCOMPARE(missing, QStringList());
    QCOMPARE(rawConnect(tc, url).toString(), QStringLiteral("INVALID"));

    {
        // Refusing to create leaves the database empty.
        QSqlConnection refused(&tc.library());
        BoxAnswerer answerer(QMessageBox::Cancel);
        QVERIFY(!refused.Connect(QStringLiteral("refused"), false));
        QCOMPARE(answerer.titles(), QStringList{"Unknown database"});
    }
    QCOMPARE(rawConnect(tc, url).toString(), QStringLiteral("INVALID"));

    QVERIFY2(tc.connectTo(url), qPrintable(tc.error()));
    QSqlConnection &c = tc.connection();
    QVERIFY(c.isConnected());
    QCOMPARE(c.getSystemAttr(QStringLiteral("schemaVersion")).toString(), QStringLiteral("1"));
    QCOMPARE(count(c, QStringLiteral("t_prod_units")), 0);
    QCOMPARE(count(c, QStringLiteral("sys.t_division")), 0);
    QCOMPARE(count(c, QStringLiteral("dirs.t_item")), 0);
    QCOMPARE(rawConnect(tc, url).toString(), QStringLiteral("Ok"));
}

void tst_Driver::reportsConnectionProblems_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("message");
    QTest::newRow("unknown scheme") << "mysql://u@h/d" << "Unsupported database URL";
    QTest::newRow("relative file") << "sqlite:data/app.db" << "absolute file path";
    QTest::newRow("folder is a file") << "sqlite:/dev/null/app.db" << "Cannot create the folder";
    static QTemporaryFile junk;
    if (junk.open()) {
        junk.write(QByteArray(4096, 'j'));
        junk.flush();
        QTest::newRow("not a database") << "sqlite:" + junk.fileName() << "is not a usable SQLite database";
    }
    QTest::newRow("empty URL") << "" << "The database URL is empty";
    const QStringList backends = qEnvironmentVariable("VARKOLIN_TEST_BACKENDS", "sqlite").split(QLatin1Char(','));
    // A partial schema was taken for a whole one: the program started
    // without its panels and turned users away as a wrong password.
    for (const QString &backend : backends) {
        TestConnection tc;
        OPEN_TEST_CONNECTION(tc, backend, false);
        QVERIFY(tc.connection().batchExec(QStringLiteral("DROP TABLE sys.t_panel; DROP TABLE t_prod_product;")));
        QTest::newRow(qPrintable(backend + ": incomplete schema")) << tc.url() << "sys.t_panel, t_prod_product.";
    }
    if (!backends.contains(QStringLiteral("postgres")))
        return;
    QString error;
    QUrl server(TestDatabases::serverUrl(&error));
    QUrl unreachable = server;
    unreachable.setPort(1);
    QTest::newRow("server unreachable") << unreachable.toString() << "Cannot reach the PostgreSQL server";
    QUrl badPassword = server;
    badPassword.setPassword(QStringLiteral("wrong"));
    QTest::newRow("bad password") << badPassword.toString() << "Authentication failed for user \"postgres\"";
    QUrl missing = server;
    missing.setPath(QStringLiteral("/no_such_database"));
    QTest::newRow("no such database") << missing.toString() << "does not exist";
}

// Each problem is an answer a person can act on, shown in a box; never a crash.
void tst_Driver::reportsConnectionProblems()
{
    QFETCH(QString, url);
    QFETCH(QString, message);
    TestConnection tc;
    QVERIFY(tc.library().load());
    const QString answer = rawConnect(tc, url).toString();
    QVERIFY2(answer.contains(message), qPrintable(answer));
    QVERIFY(!answer.contains(QLatin1String("wrong")));

    QSqlConnection c(&tc.library());
    BoxAnswerer answerer;
    QVERIFY(!c.Connect(QStringLiteral("problem"), false));
    QCOMPARE(answerer.titles(), QStringList{"ERROR"});
    QCOMPARE(answerer.texts(), QStringList{answer});
}

void tst_Driver::logsInUsers_data()
{
    QTest::addColumn<QString>("login");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("displayName");
    QTest::addColumn<QString>("allowed");
    // A database made before the slow hashes: one salted SHA-256 of "admin".
    const QString oldHex = "a9f6b979495e3326275dc5943139e87220596693fdae907a4de050290cea6708";
    const QString oldKind = "k7Qz3vP1|" + oldHex;
    // Salt and Argon2id hash of "admin" at a cost far below the production one.
    const QString saltAndHash = "$zCAYm3ywq52sBUAamh0pgw$ulzEDZuuNvYZqL1ylc+0r3fyvr15lvcDNRRW2tUqrtI";
    const QString cheap = "|$argon2id$v=19$m=64,t=1,p=1" + saltAndHash;
    QTest::newRow("administrator") << "admin" << "admin" << "" << "Администратор" << "ANYTHING";
    QTest::newRow("operator") << "operator" << "operator" << "" << "Оператор Иванов" << "PROD_UNITS_EDIT";
    QTest::newRow("wrong password") << "admin" << "Admin" << "" << "" << "";
    QTest::newRow("unknown user") << "nobody" << "admin" << "" << "" << "";
    QTest::newRow("empty") << "" << "" << "" << "" << "";
    QTest::newRow("comment out the check") << "admin' --" << "x" << "" << "" << "";
    QTest::newRow("always true") << "' OR '1'='1" << "' OR '1'='1" << "" << "" << "";
    QTest::newRow("stacked delete") << "x'; DELETE FROM sys.t_user; --" << "x" << "" << "" << "";
    QTest::newRow("parameter inside") << ":login" << "admin" << "" << "" << "";
    QTest::newRow("old kind replaced") << "admin" << "admin" << oldKind << "Администратор" << "ANYTHING";
    QTest::newRow("old kind, upper case") << "admin" << "admin" << "k7Qz3vP1|" + oldHex.toUpper() << "Администратор" << "ANYTHING";
    QTest::newRow("old kind, wrong password") << "admin" << "Admin" << oldKind << "" << "";
    QTest::newRow("cost read from the hash") << "admin" << "admin" << cheap << "Администратор" << "ANYTHING";
    QTest::newRow("truncated") << "admin" << "admin" << cheap.chopped(3) << "" << "";
    // Either would hold a login for minutes or allocate gigabytes.
    QTest::newRow("huge memory") << "admin" << "admin" << "|$argon2id$v=19$m=4294967295,t=1,p=1" + saltAndHash << "" << "";
    QTest::newRow("endless passes") << "admin" << "admin" << "|$argon2id$v=19$m=64,t=4294967295,p=1" + saltAndHash << "" << "";
}

void tst_Driver::logsInUsers()
{
    QFETCH_GLOBAL(QString, backend);
    QFETCH(QString, login);
    QFETCH(QString, password);
    QFETCH(QString, stored);
    QFETCH(QString, displayName);
    QFETCH(QString, allowed);
    TestConnection tc;
    OPEN_TEST_CONNECTION(tc, backend, true);
    QSqlConnection &c = tc.connection();
    const int users = count(c, QStringLiteral("sys.t_user"));
    const QString before = storedHash(c, login, stored);
    qApp->setProperty("LogedIn", QStringLiteral("before"));

    const bool accepted = c.login(login, password);
    QCOMPARE(accepted, !displayName.isEmpty());
    QCOMPARE(qApp->property("LogedIn").toString(), accepted ? displayName : QStringLiteral("before"));
    QCOMPARE(count(c, QStringLiteral("sys.t_user")), users);
    if (accepted) {
        QVERIFY(c.canDo(allowed));
        QCOMPARE(c.canDo(QStringLiteral("DROP_EVERYTHING")), login == QLatin1String("admin"));
        // A hash of the old kind is rewritten at the first good login and keeps working.
        QVERIFY2(storedHash(c, login).startsWith(QLatin1String("|$argon2id$")), qPrintable(storedHash(c, login)));
        QVERIFY(c.login(login, password));
    } else {
        QVERIFY(!c.canDo(QStringLiteral("PROD_UNITS_VIEW")));
        QCOMPARE(storedHash(c, login), before);
    }
}

// Every named script is served as text the connection can split into
// parameter tokens, and every select runs and delivers its fields.
void tst_Driver::servesNamedScripts()
{
    QFETCH_GLOBAL(QString, backend);
    TestConnection tc;
    OPEN_TEST_CONNECTION(tc, backend, true);
    QSqlConnection &c = tc.connection();
    QVERIFY(c.login(QStringLiteral("admin"), QStringLiteral("admin")));
    static const QRegularExpression gluedParameter(QStringLiteral(":[A-Za-z_]+[;\\n\\t\\r]"));
    for (const QString &name : scriptNames) {
        const QString text = c.getScript(name);
        QVERIFY2(!text.isEmpty(), qPrintable(name));
        QVERIFY2(!text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\t')), qPrintable(name));
        QVERIFY2(!gluedParameter.match(text).hasMatch(), qPrintable(text));
        QVERIFY2(!text.contains(QLatin1String(":logged_user")), qPrintable(text));
    }
    QVERIFY(c.getScript(QStringLiteral("NO_SUCH_SCRIPT")).isEmpty());
    QVERIFY(c.getScript(QStringLiteral("../schema")).isEmpty());

    const QMap<QString, QString> selects = {
        {"PROD_UNITS_SELECT", "id|c_name|b_is_side|id_division|id_storage"},
        {"PROD_WORKPLACE_SELECT", "id|id_unit|id_attribute|c_name|v"},
        {"PROD_PRODUCT_SELECT", "id|id_unit|id_attribute|c_name"},
        {"PROD_WORKPLACE_NOT_USED_SELECT", "id_storage|c_store"},
        {"PROD_PRODUCT_NOT_USED_SELECT", "id|c_name"},
        {"ALL_ITEM_TYPE_SELECT", "id|id_parent|c_name"},
        {"TYPES_FOR_PRODUCTS_SELECT", "id"},
        {"PRODUCT_SELECT", "id|id_type|c_name|b_virtual|id_item_family"},
        {"PRODUCT_VERSION_SELECT", "id|id_product|c_name|c_part_num|id_item"},
    };
    QSqlRecord parameters;
    parameters.append(QSqlField(QStringLiteral("id_unit"), QVariant::LongLong));
    parameters.setValue(0, 1);
    for (auto it = selects.cbegin(); it != selects.cend(); ++it) {
        QSqlQuery query = c.execScript(c.getScript(it.key()), parameters);
        QVERIFY2(query.isActive() && query.isValid(), qPrintable(it.key() + query.lastError().text()));
        QStringList fields;
        for (int i = 0; i < query.record().count(); ++i)
            fields << query.record().fieldName(i);
        QCOMPARE(fields.join(QLatin1Char('|')), it.value());
    }
}

// Bad references fail when written instead of corrupting the data, and no
// name or table given as text reaches the database as SQL.
void tst_Driver::guardsTheData()
{
    QFETCH_GLOBAL(QString, backend);
    TestConnection tc;
    OPEN_TEST_CONNECTION(tc, backend, true);
    QSqlConnection &c = tc.connection();
    const QStringList before = unitRows(c);
    const QStringList refused = {
        "INSERT INTO t_prod_units (c_name, b_is_side, id_division) VALUES ('x', FALSE, 99999)",
        "UPDATE t_prod_units SET id_storage = 99999 WHERE id = 1",
        "INSERT INTO t_prod_units (c_name, b_is_side, id_division) VALUES (NULL, FALSE, 1)",
        "DELETE FROM sys.t_division WHERE id = 1"};
    for (const QString &sql : refused)
        QVERIFY2(!c.batchExec(sql), qPrintable(sql));
    QCOMPARE(unitRows(c), before);
    QVERIFY(!c.getSystemAttr(QStringLiteral("nothing' OR '1'='1")).isValid());
    QCOMPARE(c.getSystemAttr(QStringLiteral("superAdminId")).toString(), QStringLiteral("1"));
    QCOMPARE(c.execScript(QStringLiteral("SELECT c_value FROM sys.t_sys_attr WHERE c_attr = 'FilePath';")),
             QVariant(QString(QLatin1String(""))));

    QSqlQuery query(c.db);
    QVERIFY(query.exec(QStringLiteral("INSERT INTO t_prod_units (c_name, b_is_side) VALUES ('Новый', FALSE)")));
    c.scopeIdentity(QStringLiteral("t_prod_units"), &query);
    QVERIFY(query.isSelect());
    QCOMPARE(query.value(QStringLiteral("c_name")).toString(), QStringLiteral("Новый"));
    QCOMPARE(query.value(QStringLiteral("id")).toLongLong(),
             c.execScript(QStringLiteral("SELECT max(id) FROM t_prod_units")).toLongLong());
    MessageCatcher catcher;
    QSqlQuery hostile(c.db);
    c.scopeIdentity(QStringLiteral("t_prod_units; DELETE FROM t_prod_units"), &hostile);
    QVERIFY(!hostile.isActive());
    QCOMPARE(unitRows(c).size(), before.size() + 1);
}

void tst_Driver::runsBatches()
{
    QFETCH_GLOBAL(QString, backend);
    TestConnection tc;
    OPEN_TEST_CONNECTION(tc, backend, false);
    QSqlConnection &c = tc.connection();
    QPlainTextEdit log;
    QList<QSqlQuery> results;
    QVERIFY(c.batchExec(QStringLiteral(
            "INSERT INTO sys.t_division (id, c_name) VALUES (1, 'a;b'); -- first\n"
            "SELECT c_name FROM sys.t_division; SELECT count(*) FROM sys.t_division;"), &log, &results));
    QCOMPARE(results.size(), 3);
    QVERIFY(results.at(1).isSelect());
    QVERIFY(log.toPlainText().contains(QLatin1String("SELECT count(*)")));

    // A failing statement stops the batch and undoes the transaction it began.
    QPlainTextEdit failed;
    QVERIFY(!c.batchExec(QStringLiteral(
            "BEGIN; INSERT INTO sys.t_division (id, c_name) VALUES (2, 'b'); INSERT INTO nowhere VALUES (1); "
            "INSERT INTO sys.t_division (id, c_name) VALUES (3, 'c'); COMMIT;"), &failed, nullptr));
    QVERIFY(failed.toPlainText().contains(QLatin1String("ERROR: ")));
    QVERIFY(!failed.toPlainText().contains(QLatin1String("'c'")));
    QCOMPARE(count(c, QStringLiteral("sys.t_division")), 1);
    // The connection is usable again, outside any transaction.
    QVERIFY(c.batchExec(QStringLiteral("INSERT INTO sys.t_division (id, c_name) VALUES (4, 'd')")));
    QVERIFY(c.db.transaction());
    QVERIFY(c.db.rollback());
    QCOMPARE(count(c, QStringLiteral("sys.t_division")), 2);

    QPanelList panels;
    QVERIFY(c.GetList(panels));
    QVERIFY(panels.isEmpty());
    QVERIFY(c.batchExec(QStringLiteral(
            "INSERT INTO sys.t_panel (c_name, c_library, c_caption, n_order) VALUES ('units', 'Varkolin', 'Участки', 2);"
            "INSERT INTO sys.t_panel (c_name, c_library, n_order) VALUES ('stock', 'Pelmarin', 1);")));
    QVERIFY(c.GetList(panels));
    QCOMPARE(panels.size(), 2);
    QCOMPARE(panels.at(0).library, QStringLiteral("Pelmarin"));
    QCOMPARE(panels.at(1).caption, QStringLiteral("Участки"));
}

// Every test runs on each back end of the run.
void tst_Driver::initTestCase_data()
{
    TestDatabases::addBackendRows();
}

QTEST_MAIN(tst_Driver)
#include "tst_driver.moc"
