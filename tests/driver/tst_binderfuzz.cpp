#include "testdatabases.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QSqlField>
#include <QtTest>

// Random hostile texts (quotes, parameters, statements, comments, line
// breaks, surrogates, very long texts) through the driver's binder and the
// real named scripts: each statement stores exactly its value, made valid,
// and nothing else in the database changes.
class tst_BinderFuzz : public QObject
{
    Q_OBJECT
private slots:
    void storesExactlyEachValue_data();
    void storesExactlyEachValue();
};

namespace {

const quint32 fuzzSeed = 20261206;
const int fuzzCases = 2000;

const QStringList hostilePieces = {
    "'", "''", "\"", "\\", "\\'", "E'", ":value", ":key", ":id", ":c_name", ":logged_user", "--", "/*",
    "*/", ";", "$$", "$a$", ",", "(", ")", " ", "\n", "\r\n", "\t", "NULL", "') OR 1=1 --", "Цех", "x",
    QString(QChar::Null)};

// Surrogates are drawn one half at a time, so that unpaired ones, lone and
// in reversed order, are common; any BMP unit brings controls and noncharacters.
QString randomPiece(QRandomGenerator &random)
{
    const uint supplementary = 0x10000 + random.bounded(0x100000);
    const int kind = random.bounded(16);
    if (kind < 2)
        return kind == 0 ? QChar(ushort(0xD800 + random.bounded(0x800))) : QString::fromUcs4(&supplementary, 1);
    if (kind == 2)
        return QChar(ushort(random.bounded(0x10000)));
    return hostilePieces.at(random.bounded(hostilePieces.size()));
}

// Keys stay short: PostgreSQL cannot index a very long text.
QString randomText(QRandomGenerator &random, bool mayBeLong = true)
{
    const bool isLong = mayBeLong && random.bounded(100) == 0;
    const int pieces = isLong ? 20000 + random.bounded(30000) : random.bounded(16);
    QString text(QLatin1String(""));
    for (int i = 0; i < pieces; ++i)
        text += randomPiece(random);
    return text;
}

// What the database must hold: Qt's UCS-4 conversion reads unpaired
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

// A setting's key, its value and a unit's first name. Case 0 is the attack
// once seen: the key's lone surrogate took its closing quote, and the value
// ran as SQL and stored the admin's password hash.
QStringList caseTexts(int i, QRandomGenerator &random)
{
    if (i == 0)
        return {QStringLiteral("k") + QChar(0xD800),
                QStringLiteral(", (SELECT c_pass_hash FROM sys.t_user WHERE id = 1), 10) --"), "x"};
    return {QString::number(i) + randomText(random, false), randomText(random), randomText(random)};
}

// Thousands of failing statements would each log their whole text.
QString firstWarning;
void keepFirstWarning(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtWarningMsg && firstWarning.isEmpty())
        firstWarning = message.left(300);
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
    return lines;
}

QStringList sortedUnits(QSqlConnection &c, const QString &select)
{
    QStringList units = rows(c.execScript(select, QSqlRecord()));
    units.sort();
    return units;
}

// One case: a setting written and read back, a unit inserted and renamed.
// Returns how many of the four statements did not do exactly their job.
int changedStatements(QSqlConnection &c, const QMap<QString, QString> &scripts, const QStringList &texts,
                      qlonglong *unit)
{
    const QString &key = texts.at(0), &value = texts.at(1), &name = texts.at(2);
    QSqlQuery written = c.execScript(scripts["USER_ATTR_WRITE"],
                                     record({{"group", "fuzz"}, {"key", key}, {"value", value}, {"type", 10}}));
    QSqlQuery read = c.execScript(scripts["USER_ATTR_READ"], record({{"group", "fuzz"}, {"key", key}}));
    QVariantMap unitValues{{"c_name", name}, {"b_is_side", false}, {"id_division", {}}, {"id_storage", {}}};
    QSqlQuery inserted = c.execScript(scripts["PROD_UNITS_INSERT"], record(unitValues));
    *unit = inserted.value(QStringLiteral("id")).toLongLong();
    unitValues["id"] = *unit;
    unitValues["c_name"] = value;
    QSqlQuery renamed = c.execScript(scripts["PROD_UNITS_UPDATE"], record(unitValues));
    const auto returns = [](QSqlQuery &query, int column, const QString &text) {
        return query.isValid() && query.value(column).toString() == madeValid(text) && !query.next();
    };
    return int(!written.isActive()) + int(!returns(read, 0, value)) + int(!returns(inserted, 1, name))
            + int(!returns(renamed, 1, value));
}

} // namespace

void tst_BinderFuzz::storesExactlyEachValue_data()
{
    TestDatabases::addBackendRows();
}

// A text ending in an unpaired surrogate once swallowed its literal's closing
// quote on SQLite, so that the next value ran as SQL.
void tst_BinderFuzz::storesExactlyEachValue()
{
    QFETCH(QString, backend);
    TestConnection tc;
    OPEN_TEST_CONNECTION(tc, backend, true);
    QSqlConnection &c = tc.connection();
    QVERIFY(c.login(QStringLiteral("operator"), QStringLiteral("operator")));
    QMap<QString, QString> scripts;
    // Scripts read from files end in white space, which the fault needed.
    for (const char *name : {"USER_ATTR_WRITE", "USER_ATTR_READ", "PROD_UNITS_INSERT", "PROD_UNITS_UPDATE",
                             "PROD_UNITS_SELECT"})
        scripts[name] = c.getScript(QLatin1String(name)) + QStringLiteral(" \n");
    const QString userSelect = QStringLiteral("SELECT * FROM sys.t_user ORDER BY id");
    const QString attrSelect = QStringLiteral(
            "SELECT c_login, c_group, c_key, c_value, n_type FROM sys.t_user_attr ORDER BY id");
    const QStringList users = rows(c.execScript(userSelect, QSqlRecord()));
    QStringList attrs = rows(c.execScript(attrSelect, QSqlRecord()));
    QStringList units = sortedUnits(c, scripts["PROD_UNITS_SELECT"]);
    const QString falseText = c.execScript(QStringLiteral("SELECT FALSE")).toString();

    QRandomGenerator random(fuzzSeed);
    QElapsedTimer timer;
    timer.start();
    // One transaction, as a data set commits, keeps SQLite from syncing each row to disk.
    QVERIFY(c.beginTransaction());
    const QtMessageHandler logHandler = qInstallMessageHandler(keepFirstWarning);
    int changed = 0;
    for (int i = 0; i < fuzzCases; ++i) {
        const QStringList texts = caseTexts(i, random);
        qlonglong unit = 0;
        changed += changedStatements(c, scripts, texts, &unit);
        attrs << QStringLiteral("operator|fuzz|%1|%2|10").arg(madeValid(texts.at(0)), madeValid(texts.at(1)));
        units << QStringLiteral("%1|%2|%3|NULL|NULL").arg(unit).arg(madeValid(texts.at(1)), falseText);
    }
    qInstallMessageHandler(logHandler);
    qInfo("%s: seed %u, %d cases, %d statements changed, %lld ms", qPrintable(backend), fuzzSeed, fuzzCases,
          changed, timer.elapsed());
    QVERIFY(c.commitTransaction());
    QVERIFY2(changed == 0, qPrintable(firstWarning));
    QCOMPARE(rows(c.execScript(userSelect, QSqlRecord())), users);
    QCOMPARE(rows(c.execScript(attrSelect, QSqlRecord())), attrs);
    units.sort();
    QCOMPARE(sortedUnits(c, scripts["PROD_UNITS_SELECT"]), units);
}

QTEST_MAIN(tst_BinderFuzz)
#include "tst_binderfuzz.moc"
