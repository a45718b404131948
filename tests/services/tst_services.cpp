#include "hostcontract.h"
#include "messagecatcher.h"
#include "qdatatable.h"
#include "qdbsettings.h"
#include "testdatabases.h"
#include "utilities.h"

#include <QHeaderView>
#include <QSqlQuery>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

// The shared helpers against known values; settings, the file store and
// named scripts on the host's connection to a real database of each back end.
class tst_Services : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase_data() { TestDatabases::addBackendRows(); }
    void givesKnownValues();
    void worksOnTheHostConnection();
    void keepsSettingsAndLayouts();
};

void tst_Services::givesKnownValues()
{
    const QByteArray digits("123456789");
    QStringList phones;
    for (const char *phone : {"123", "1234", "12345", "123456", "1234567", "1234567890", "89161234567"})
        phones << formatPhone(phone);
    const QRegularExpression uuid("^[0-9A-F]{8}(-[0-9A-F]{4}){3}-[0-9A-F]{12}$");
    QCOMPARE(QStringList({QString::number(crc32(digits, 0, 0), 16), QString::number(crc32(digits, 2, 3) == crc32("345", 0, 0)),
                          QString::number(crc32(digits, 9, 0)), makeMD5(QString()),
                          toHexString("\x0a\x1b\xff") + '|' + toHexString("\x0a") + '|' + toHexString({}),
                          phones.join(' '), uuid.match(newUUID()).hasMatch() ? "uuid" : newUUID()}),
             QStringList({"cbf43926", "1", "0", "d41d8cd98f00b204e9800998ecf8427e", "0A 1B FF|0A|",
                          "123 12-34 123-45 123-456 123-45-67 1234567890 8(916)123-45-67", "uuid"}));
}

// A file name from the database that leads out of the store reaches
// nothing: the user gets the warning of a missing file, and nothing is
// opened or copied. A named script runs with positional values.
void tst_Services::worksOnTheHostConnection()
{
    QFETCH_GLOBAL(QString, backend);
    runScript("PROD_WORKPLACE_SELECT", {1}); // no connection: nothing runs
    TestConnection tc;
    OPEN_TEST_CONNECTION(tc, backend, true);
    setHostConnection(&tc.connection());
    QSqlQuery query(tc.connection().db);
    runScript("PROD_WORKPLACE_SELECT", &query, {1});
    QVERIFY(query.isValid() && query.next() && !query.next());

    QTemporaryDir root;
    QVERIFY(QDir(root.path()).mkpath("store") && QDir(root.path()).mkpath("out"));
    for (const char *name : {"store/a.txt", "secret.txt"})
        QVERIFY(QFile(root.filePath(name)).open(QIODevice::WriteOnly));
    QVERIFY(tc.connection().batchExec("UPDATE sys.t_sys_attr SET c_value = '" + root.filePath("store") + "' WHERE c_attr = 'FilePath'"));
    QStringList opened;
    QString chosen;
    setFileStoreHands({[&] { return chosen; }, [&](const QString &path) { opened << path; }});
    BoxAnswerer answerer;
    for (const char *name : {"a.txt", "../secret.txt", "missing.txt", "../store/../secret.txt"})
        openFileFromBase(name);
    loadFileFromBase("a.txt"); // the user cancels
    chosen = root.filePath("out");
    loadFileFromBase("../secret.txt");
    loadFileFromBase("a.txt");
    setFileStoreHands({});
    setHostConnection(nullptr);
    QCOMPARE(opened, QStringList({root.filePath("store/a.txt"), root.filePath("out/a.txt")}));
    QVERIFY(QFile::exists(root.filePath("out/a.txt")) && !QFile::exists(root.filePath("out/secret.txt")));
    QCOMPARE(answerer.texts(), QStringList({"Файл ../secret.txt не найден", "Файл missing.txt не найден",
                                            "Файл ../store/../secret.txt не найден", "Файл ../secret.txt не найден"}));
}

// Every type comes back as the stored form says; a layout comes back on a
// fresh view, and is refused by a table whose columns changed.
void tst_Services::keepsSettingsAndLayouts()
{
    QFETCH_GLOBAL(QString, backend);
    TestConnection tc;
    OPEN_TEST_CONNECTION(tc, backend, true);
    QDbSettings settings;
    QVERIFY(!settings.setValue("x", 1)); // no connection: no write
    QCOMPARE(settings.splitPath("a//b") + settings.splitPath("/a/b") + settings.splitPath("w"),
             QStringList({"a/", "b", "a", "b", "GLOBAL", "w"}));
    // Settings belong to the logged-in user.
    QVERIFY(tc.connection().login("operator", "operator"));
    setHostConnection(&tc.connection());
    const QVariantList values{5, true, Q_UINT64_C(18446744073709551615), 2.5, "текст", QByteArray("\x00\xff", 2),
                              QDate(2026, 12, 6), QChar('x'), QString()};
    QStringList read;
    for (int i = 0; i < values.size(); ++i) {
        const QString path = QStringLiteral("/g/h/k%1").arg(i);
        QVERIFY(settings.setValue(path, values.at(i)));
        const QVariant value = settings.value(path, "default");
        read << QString(value.typeName()) + ':' + (value.type() == QVariant::ByteArray ? value.toByteArray().toHex() : value.toString());
    }
    QCOMPARE(read, QStringList({"qlonglong:5", "bool:true", "qulonglong:18446744073709551615", "double:2.5", "QString:текст",
                                "QByteArray:00ff", "QString:2026-12-06", "QString:x", "QString:default"}));

    QDataTable table("t", nullptr), changed("t", nullptr);
    for (const char *field : {"a", "b", "c"}) {
        table.addColumn(field, QVariant::String, true);
        changed.addColumn(field == QByteArray("c") ? "d" : field, QVariant::String, true);
    }
    QVERIFY(table.open() && changed.open());
    QTableView view, restored, kept;
    table.setView(&view);
    for (int i = 0; i < 3; ++i)
        view.setColumnWidth(i, 51 + 11 * i);
    view.horizontalHeader()->moveSection(2, 0);
    settings.saveTableHeader("layouts/t", &table);
    table.setView(&restored);
    settings.restoreTableHeader("layouts/t", &table);
    changed.setView(&kept);
    settings.restoreTableHeader("layouts/t", &changed);
    setHostConnection(nullptr);
    QStringList layouts;
    for (QTableView *shown : {&restored, &kept}) {
        for (int i = 0; i < 3; ++i)
            layouts << QStringLiteral("%1:%2").arg(shown->horizontalHeader()->visualIndex(i)).arg(shown->columnWidth(i));
    }
    QCOMPARE(layouts.join(' '), QStringLiteral("1:51 2:62 0:73 0:100 1:100 2:100"));
}

QTEST_MAIN(tst_Services)
#include "tst_services.moc"
