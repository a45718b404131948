#include "driverinterface.h"
#include "messagecatcher.h"
#include "testdatabases.h"

#include <QPlainTextEdit>
#include <QRandomGenerator>
#include <QSqlError>
#include <QSqlField>
#include <QtTest>

// The driver library through the connection, on a real database of each back end.
class tst_Driver : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase_data() { TestDatabases::addBackendRows(); }
    void createsSchemaOnlyWhenAsked();
    void reportsConnectionProblems_data();
    void reportsConnectionProblems();
    void logsInUsers_data();
    void logsInUsers();
    void servesScriptsAndGuardsTheData();
    void runsBatches();
    void storesExactlyEachHostileValue();
};

namespace {

// Each row as "cell|cell", wherever the query stands.
QStringList rows(QSqlQuery &&query)
{
    QStringList lines;
    for (bool more = query.isValid() || query.next(); more; more = query.next()) {
        QStringList cells;
        for (int i = 0; i < query.record().count(); ++i)
            cells << (query.isNull(i) ? QStringLiteral("NULL") : query.value(i).toString());
        lines << cells.join(QLatin1Char('|'));
    }
    return lines;
}

QStringList rows(QSqlConnection &c, const QString &select)
{
    return rows(c.execScript(select, QSqlRecord()));
}

int count(QSqlConnection &c, const QString &table)
{
    return c.execScript(QStringLiteral("SELECT count(*) FROM %1").arg(table)).toInt();
}

// The user's salt and hash as "salt|hash", replaced first when a text is given.
QString storedHash(QSqlConnection &c, const QString &login, const QString &replacement = QString())
{
    if (!replacement.isEmpty())
        c.execScript(QStringLiteral("UPDATE sys.t_user SET c_salt = :salt, c_pass_hash = :hash WHERE c_login = :login"),
                     {replacement.section(QLatin1Char('|'), 0, 0), replacement.section(QLatin1Char('|'), 1), login});
    return rows(c.execScript(QStringLiteral("SELECT c_salt, c_pass_hash FROM sys.t_user WHERE c_login = :login"), {login})).join(QString());
}

QVariant rawConnect(TestConnection &tc, const QString &url)
{
    const driverEntryPoints driver = resolveDriverEntryPoints(tc.library());
    qApp->setProperty(databaseUrlProperty, url);
    return driver.Connect ? driver.Connect(QStringLiteral("raw"), false) : QVariant();
}

QSqlRecord record(const QVariantMap &values)
{
    QSqlRecord result;
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        result.append(QSqlField(it.key(), it.value().type()));
        result.setValue(it.key(), it.value());
    }
    return result;
}

const QStringList hostilePieces = {
    "'", "''", "\"", "\\", "\\'", "E'", ":value", ":key", ":id", ":c_name", ":logged_user", "--", "/*",
    "*/", ";", "$$", "$a$", ",", "(", ")", " ", "\n", "\r\n", "\t", "NULL", "') OR 1=1 --", "Цех", "x",
    QString(QChar::Null)};

// Surrogates come one half at a time, so that unpaired ones are common; any
// BMP unit brings controls and noncharacters. Keys stay short: PostgreSQL
// cannot index a very long text.
QString randomText(QRandomGenerator &random, bool mayBeLong = true)
{
    const int pieces = mayBeLong && random.bounded(100) == 0 ? 20000 + random.bounded(30000) : random.bounded(16);
    QString text(QLatin1String(""));
    for (int i = 0; i < pieces; ++i) {
        const uint supplementary = 0x10000 + random.bounded(0x100000);
        switch (random.bounded(16)) {
        case 0: text += QChar(ushort(0xD800 + random.bounded(0x800))); break;
        case 1: text += QString::fromUcs4(&supplementary, 1); break;
        case 2: text += QChar(ushort(random.bounded(0x10000))); break;
        default: text += hostilePieces.at(random.bounded(hostilePieces.size()));
        }
    }
    return text;
}

// Worked out apart from the driver: Qt's UCS-4 conversion reads unpaired
// surrogates as U+FFFD; NUL, which neither back end keeps in text, and the
// two noncharacters that SQLite gives back as U+FFFD become it too.
QString madeValid(const QString &text)
{
    const QVector<uint> codes = text.toUcs4();
    QString valid = QString::fromUcs4(codes.constData(), codes.size());
    for (const QChar c : {QChar(QChar::Null), QChar(0xFFFE), QChar(0xFFFF)})
        valid.replace(c, QChar::ReplacementCharacter);
    return valid;
}

bool returns(QSqlQuery &query, int column, const QString &text)
{
    return query.isValid() && query.value(column).toString() == madeValid(text) && !query.next();
}

} // namespace

void tst_Driver::createsSchemaOnlyWhenAsked()
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
    QCOMPARE(tc.connection().getSystemAttr(QStringLiteral("schemaVersion")).toString(), QStringLiteral("1"));
    QCOMPARE(count(tc.connection(), QStringLiteral("t_prod_units")), 0);
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
    if (junk.open() && junk.write(QByteArray(4096, 'j')) && junk.flush())
        QTest::newRow("not a database") << "sqlite:" + junk.fileName() << "is not a usable SQLite database";
    QTest::newRow("empty URL") << "" << "The database URL is empty";
    // A partial schema was taken for a whole one: the program started
    // without its panels and turned users away as a wrong password.
    for (const QString &backend : TestDatabases::backends()) {
        TestConnection tc;
        OPEN_TEST_CONNECTION(tc, backend, false);
        QVERIFY(tc.connection().batchExec(QStringLiteral("DROP TABLE sys.t_panel; DROP TABLE t_prod_product;")));
        QTest::newRow(qPrintable(backend + ": incomplete schema")) << tc.url() << "sys.t_panel, t_prod_product.";
    }
    QString error;
    if (!TestDatabases::backends().contains(QStringLiteral("postgres")))
        return;
    const QUrl server(TestDatabases::serverUrl(&error));
    QUrl url = server;
    url.setPort(1);
    QTest::newRow("server unreachable") << url.toString() << "Cannot reach the PostgreSQL server";
    url = server;
    url.setPassword(QStringLiteral("wrong"));
    QTest::newRow("bad password") << url.toString() << "Authentication failed for user \"postgres\"";
    url = server;
    url.setPath(QStringLiteral("/no_such_database"));
    QTest::newRow("no such database") << url.toString() << "does not exist";
}

// Each problem is an answer a person can act on, shown in a box; never a crash.
void tst_Driver::reportsConnectionProblems()
{
    QFETCH(QString, url);
    QFETCH(QString, message);
    TestConnection tc;
    QVERIFY(tc.library().load());
    const QString answer = rawConnect(tc, url).toString();
    QVERIFY2(answer.contains(message) && !answer.contains(QLatin1String("wrong")), qPrintable(answer));
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
    // A database made before the slow hashes: one salted SHA-256 of "admin".
    const QString oldHex = "a9f6b979495e3326275dc5943139e87220596693fdae907a4de050290cea6708";
    const QString oldKind = "k7Qz3vP1|" + oldHex;
    // Salt and Argon2id hash of "admin" at a cost far below the production one.
    const QString saltAndHash = "$zCAYm3ywq52sBUAamh0pgw$ulzEDZuuNvYZqL1ylc+0r3fyvr15lvcDNRRW2tUqrtI";
    const QString cheap = "|$argon2id$v=19$m=64,t=1,p=1" + saltAndHash;
    QTest::newRow("administrator") << "admin" << "admin" << "" << "Администратор";
    QTest::newRow("operator") << "operator" << "operator" << "" << "Оператор Иванов";
    QTest::newRow("wrong password") << "admin" << "Admin" << "" << "";
    QTest::newRow("unknown user") << "nobody" << "admin" << "" << "";
    QTest::newRow("empty") << "" << "" << "" << "";
    QTest::newRow("comment out the check") << "admin' --" << "x" << "" << "";
    QTest::newRow("always true") << "' OR '1'='1" << "' OR '1'='1" << "" << "";
    QTest::newRow("stacked delete") << "x'; DELETE FROM sys.t_user; --" << "x" << "" << "";
    QTest::newRow("parameter inside") << ":login" << "admin" << "" << "";
    QTest::newRow("old kind replaced") << "admin" << "admin" << oldKind << "Администратор";
    QTest::newRow("old kind, upper case") << "admin" << "admin" << "k7Qz3vP1|" + oldHex.toUpper() << "Администратор";
    QTest::newRow("old kind, wrong password") << "admin" << "Admin" << oldKind << "";
    QTest::newRow("cost read from the hash") << "admin" << "admin" << cheap << "Администратор";
    QTest::newRow("truncated") << "admin" << "admin" << cheap.chopped(3) << "";
    // Either would hold a login for minutes or allocate gigabytes.
    QTest::newRow("huge memory") << "admin" << "admin" << "|$argon2id$v=19$m=4294967295,t=1,p=1" + saltAndHash << "";
    QTest::newRow("endless passes") << "admin" << "admin" << "|$argon2id$v=19$m=64,t=4294967295,p=1" + saltAndHash << "";
}

void tst_Driver::logsInUsers()
{
    QFETCH_GLOBAL(QString, backend);
    QFETCH(QString, login);
    QFETCH(QString, password);
    QFETCH(QString, stored);
    QFETCH(QString, displayName);
    TestConnection tc;
    OPEN_TEST_CONNECTION(tc, backend, true);
    QSqlConnection &c = tc.connection();
    const int users = count(c, QStringLiteral("sys.t_user"));
    const QString before = storedHash(c, login, stored);
    QVERIFY2(before.endsWith(stored.section(QLatin1Char('|'), 1)), qPrintable(before));
    qApp->setProperty("LogedIn", QStringLiteral("before"));
    const bool accepted = c.login(login, password);
    QCOMPARE(accepted, !displayName.isEmpty());
    QCOMPARE(qApp->property("LogedIn").toString(), accepted ? displayName : QStringLiteral("before"));
    QCOMPARE(count(c, QStringLiteral("sys.t_user")), users);
    QCOMPARE(c.canDo(QStringLiteral("PROD_UNITS_EDIT")), accepted);
    QCOMPARE(c.canDo(QStringLiteral("DROP_EVERYTHING")), accepted && login == QLatin1String("admin"));
    if (!accepted) {
        QCOMPARE(storedHash(c, login), before);
        return;
    }
    // A hash of the old kind is rewritten at the first good login and keeps working.
    QVERIFY2(storedHash(c, login).startsWith(QLatin1String("|$argon2id$")), qPrintable(storedHash(c, login)));
    QVERIFY(c.login(login, password));
}

// Every named script is served as text the connection can split into
// parameter tokens, and every select delivers the fields the module reads.
// Bad references fail when written instead of corrupting the data, and no
// name or table given as text reaches the database as SQL.
void tst_Driver::servesScriptsAndGuardsTheData()
{
    QFETCH_GLOBAL(QString, backend);
    TestConnection tc;
    OPEN_TEST_CONNECTION(tc, backend, true);
    QSqlConnection &c = tc.connection();
    QVERIFY(c.login(QStringLiteral("admin"), QStringLiteral("admin")));
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
    const QStringList writes = QStringLiteral("PROD_UNITS_UPDATE PROD_UNITS_INSERT PROD_UNITS_DELETE PROD_WORKPLACE_UPDATE "
            "PROD_WORKPLACE_INSERT PROD_WORKPLACE_DELETE PROD_PRODUCT_UPDATE PROD_PRODUCT_INSERT PROD_PRODUCT_DELETE "
            "USER_ATTR_READ USER_ATTR_WRITE DOC_TEMPLATE_SELECT_GROUP DOC_TEMPLATE_SELECT_ONCE").split(QLatin1Char(' '));
    static const QRegularExpression unsplittable(QStringLiteral("[\\n\\t]|:[A-Za-z_]+[;\\r]|:logged_user"));
    for (const QString &name : selects.keys() + writes) {
        const QString text = c.getScript(name);
        QVERIFY2(!text.isEmpty() && !unsplittable.match(text).hasMatch(), qPrintable(name + ": " + text));
    }
    QVERIFY(c.getScript(QStringLiteral("NO_SUCH_SCRIPT")).isEmpty());
    QVERIFY(c.getScript(QStringLiteral("../schema")).isEmpty());
    for (auto it = selects.cbegin(); it != selects.cend(); ++it) {
        QSqlQuery query = c.execScript(c.getScript(it.key()), record({{"id_unit", Q_INT64_C(1)}}));
        QVERIFY2(query.isActive() && query.isValid(), qPrintable(it.key() + query.lastError().text()));
        QStringList fields;
        for (int i = 0; i < query.record().count(); ++i)
            fields << query.record().fieldName(i);
        QCOMPARE(fields.join(QLatin1Char('|')), it.value());
    }

    const QString units = QStringLiteral("SELECT id, c_name, b_is_side, id_division, id_storage FROM t_prod_units ORDER BY id");
    const QStringList before = rows(c, units);
    for (const char *sql : {"INSERT INTO t_prod_units (c_name, b_is_side, id_division) VALUES ('x', FALSE, 99999)",
                            "UPDATE t_prod_units SET id_storage = 99999 WHERE id = 1",
                            "INSERT INTO t_prod_units (c_name, b_is_side, id_division) VALUES (NULL, FALSE, 1)",
                            "DELETE FROM sys.t_division WHERE id = 1"})
        QVERIFY2(!c.batchExec(QLatin1String(sql)), sql);
    QCOMPARE(rows(c, units), before);
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
    QCOMPARE(rows(c, units).size(), before.size() + 1);
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
    log.clear();
    QVERIFY(!c.batchExec(QStringLiteral(
            "BEGIN; INSERT INTO sys.t_division (id, c_name) VALUES (2, 'b'); INSERT INTO nowhere VALUES (1); "
            "INSERT INTO sys.t_division (id, c_name) VALUES (3, 'c'); COMMIT;"), &log, nullptr));
    QVERIFY(log.toPlainText().contains(QLatin1String("ERROR: ")) && !log.toPlainText().contains(QLatin1String("'c'")));
    // The connection is usable again, outside any transaction.
    QVERIFY(c.batchExec(QStringLiteral("INSERT INTO sys.t_division (id, c_name) VALUES (4, 'd')")));
    QVERIFY(c.db.transaction() && c.db.rollback());
    QCOMPARE(rows(c, QStringLiteral("SELECT id FROM sys.t_division ORDER BY id")), QStringList({"1", "4"}));

    QPanelList panels;
    QVERIFY(c.GetList(panels) && panels.isEmpty());
    QVERIFY(c.batchExec(QStringLiteral(
            "INSERT INTO sys.t_panel (c_name, c_library, c_caption, n_order) VALUES ('units', 'Varkolin', 'Участки', 2);"
            "INSERT INTO sys.t_panel (c_name, c_library, n_order) VALUES ('stock', 'Pelmarin', 1);")));
    QVERIFY(c.GetList(panels));
    QCOMPARE(panels.size(), 2);
    QCOMPARE(panels.at(0).library, QStringLiteral("Pelmarin"));
    QCOMPARE(panels.at(1).caption, QStringLiteral("Участки"));
}

// Random hostile texts (quotes, parameters, statements, comments, line
// breaks, NUL, surrogates, very long texts) through the binder and the real
// named scripts: each statement stores exactly its value, made valid, and
// nothing else changes. A key ending in an unpaired surrogate once swallowed
// its literal's closing quote on SQLite, and the value ran as SQL: case 0
// stored the admin's password hash in the operator's settings.
void tst_Driver::storesExactlyEachHostileValue()
{
    QFETCH_GLOBAL(QString, backend);
    TestConnection tc;
    OPEN_TEST_CONNECTION(tc, backend, true);
    QSqlConnection &c = tc.connection();
    QVERIFY(c.login(QStringLiteral("operator"), QStringLiteral("operator")));
    QMap<QString, QString> scripts;
    // Scripts read from files end in white space, which the fault needed.
    for (const char *name : {"USER_ATTR_WRITE", "USER_ATTR_READ", "PROD_UNITS_INSERT", "PROD_UNITS_UPDATE"})
        scripts[name] = c.getScript(QLatin1String(name)) + QStringLiteral(" \n");
    const QString everything = QStringLiteral(
            "SELECT 'u', id, c_login, c_pass_hash, c_salt, c_name FROM sys.t_user UNION ALL "
            "SELECT 'a', 0, c_login, c_group, c_key, c_value FROM sys.t_user_attr UNION ALL "
            "SELECT 'p', id, c_name, CAST(b_is_side AS TEXT), CAST(id_division AS TEXT), NULL FROM t_prod_units");
    QStringList expected = rows(c, everything);
    const QString falseText = rows(c, QStringLiteral("SELECT CAST(FALSE AS TEXT)")).value(0);
    const quint32 seed = 20261206;
    QRandomGenerator random(seed);
    // One transaction, as a data set commits, keeps SQLite from syncing each row to disk.
    QVERIFY(c.beginTransaction());
    int changed = 0;
    for (int i = 0; i < 2000; ++i) {
        const QString key = i ? QString::number(i) + randomText(random, false) : QStringLiteral("k") + QChar(0xD800);
        const QString value = i ? randomText(random)
                                : QStringLiteral(", (SELECT c_pass_hash FROM sys.t_user WHERE id = 1), 10) --");
        const QString name = randomText(random);
        QSqlQuery written = c.execScript(scripts["USER_ATTR_WRITE"],
                                         record({{"group", "fuzz"}, {"key", key}, {"value", value}, {"type", 10}}));
        QSqlQuery read = c.execScript(scripts["USER_ATTR_READ"], record({{"group", "fuzz"}, {"key", key}}));
        QVariantMap unit{{"c_name", name}, {"b_is_side", false}, {"id_division", {}}, {"id_storage", {}}};
        QSqlQuery inserted = c.execScript(scripts["PROD_UNITS_INSERT"], record(unit));
        unit["id"] = inserted.value(QStringLiteral("id"));
        unit["c_name"] = value;
        QSqlQuery renamed = c.execScript(scripts["PROD_UNITS_UPDATE"], record(unit));
        changed += int(!written.isActive()) + int(!returns(read, 0, value)) + int(!returns(inserted, 1, name))
                + int(!returns(renamed, 1, value));
        expected << QStringLiteral("a|0|operator|fuzz|%1|%2").arg(madeValid(key), madeValid(value))
                 << QStringLiteral("p|%1|%2|%3|NULL|NULL").arg(unit["id"].toString(), madeValid(value), falseText);
    }
    qInfo("%s: seed %u, %d statements changed", qPrintable(backend), seed, changed);
    QVERIFY(c.commitTransaction());
    QCOMPARE(changed, 0);
    QStringList stored = rows(c, everything);
    stored.sort();
    expected.sort();
    QCOMPARE(stored, expected);
}

QTEST_MAIN(tst_Driver)
#include "tst_driver.moc"
