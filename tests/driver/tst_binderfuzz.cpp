#include "testdatabases.h"

#include <QRandomGenerator>
#include <QSqlField>
#include <QtTest>

// Random hostile texts (quotes, parameters, statements, comments, line
// breaks, NUL, surrogates, very long texts) through the driver's binder and
// the real named scripts: each statement stores exactly its value, made
// valid, and nothing else in the database changes.
class tst_BinderFuzz : public QObject
{
    Q_OBJECT
private slots:
    void storesExactlyEachValue_data() { TestDatabases::addBackendRows(); }
    void storesExactlyEachValue();
};

namespace {

const quint32 fuzzSeed = 20261206;
const int fuzzCases = 2000;
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

QSqlRecord record(const QVariantMap &values)
{
    QSqlRecord result;
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        result.append(QSqlField(it.key(), it.value().type()));
        result.setValue(it.key(), it.value());
    }
    return result;
}

QStringList rows(QSqlQuery &&query)
{
    QStringList lines;
    for (bool more = query.isValid(); more; more = query.next()) {
        QStringList cells;
        for (int i = 0; i < query.record().count(); ++i)
            cells << (query.isNull(i) ? QStringLiteral("NULL") : query.value(i).toString());
        lines << cells.join(QLatin1Char('|'));
    }
    lines.sort();
    return lines;
}

bool returns(QSqlQuery &query, int column, const QString &text)
{
    return query.isValid() && query.value(column).toString() == madeValid(text) && !query.next();
}

} // namespace

// A key ending in an unpaired surrogate once swallowed its literal's closing
// quote on SQLite, and the value ran as SQL: case 0 stored the admin's
// password hash in the operator's settings.
void tst_BinderFuzz::storesExactlyEachValue()
{
    QFETCH(QString, backend);
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
    QStringList expected = rows(c.execScript(everything, QSqlRecord()));
    const QString falseText = rows(c.execScript(QStringLiteral("SELECT CAST(FALSE AS TEXT)"), QSqlRecord())).value(0);

    QRandomGenerator random(fuzzSeed);
    // One transaction, as a data set commits, keeps SQLite from syncing each row to disk.
    QVERIFY(c.beginTransaction());
    int changed = 0;
    for (int i = 0; i < fuzzCases; ++i) {
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
    qInfo("%s: seed %u, %d cases, %d statements changed", qPrintable(backend), fuzzSeed, fuzzCases, changed);
    QVERIFY(c.commitTransaction());
    QCOMPARE(changed, 0);
    expected.sort();
    QCOMPARE(rows(c.execScript(everything, QSqlRecord())), expected);
}

QTEST_MAIN(tst_BinderFuzz)
#include "tst_binderfuzz.moc"
