#include "preparedscript.h"
#include "hostcontract.h"
#include "qsqlconnection.h"

#include <QDate>
#include <QSqlDriver>
#include <QSqlRecord>

#include <cmath>

PreparedScript::PreparedScript(QSqlConnection &connection, const QString &script) : m_query(connection.db)
{
    const QSqlDriver *driver = connection.db.driver();
    if (!connection.inTransaction() || !driver || driver->dbmsType() != QSqlDriver::SQLite
            || !hostSqlTraceFile().isEmpty())
        return;
    const QString text = placeholderText(script, &m_names);
    // A commit reads at most the one row a statement returns.
    m_query.setForwardOnly(true);
    m_ready = !text.isEmpty() && m_query.prepare(text);
}

bool PreparedScript::exec(const QSqlRecord &record)
{
    if (!m_ready)
        return false;
    for (int i = 0; i < m_names.size(); ++i) {
        const int field = fieldOf(record, i);
        const QVariant value = field < 0 ? QVariant() : record.value(field);
        if (!bindsAsLiteral(value))
            return false;
        m_query.bindValue(i, value.userType() == QMetaType::QDate ? isoDate(value.toDate()) : value);
    }
    if (!m_query.exec())
        return false;
    m_query.first();
    return true;
}

int PreparedScript::fieldOf(const QSqlRecord &record, int name)
{
    if (m_fields.size() != m_names.size())
        m_fields.fill(-1, m_names.size());
    const int known = m_fields.at(name);
    if (known >= 0 && known < record.count() && record.fieldName(known) == m_names.at(name))
        return known;
    m_fields[name] = record.indexOf(m_names.at(name));
    return m_fields.at(name);
}

// The text the driver binds for a date, made without QDate::toString's
// formatting, which took a twentieth of a commit. Dates outside four-digit
// years are left to the driver.
QVariant PreparedScript::isoDate(const QDate &date)
{
    int year = 0;
    int month = 0;
    int day = 0;
    date.getDate(&year, &month, &day);
    if (year < 1 || year > 9999)
        return date;
    const int digits[] = {year / 1000, year / 100 % 10, year / 10 % 10, year % 10, -1,
                          month / 10, month % 10, -1, day / 10, day % 10};
    QString text(10, QLatin1Char('-'));
    for (int i = 0; i < 10; ++i) {
        if (digits[i] >= 0)
            text[i] = QLatin1Char(char('0' + digits[i]));
    }
    return text;
}

// Parameters are told apart as the connection tells them: a word starting
// with ':' between spaces, commas and parentheses. Inside quotes a word is
// not a parameter, and a cast ("::") is not one either: such scripts go
// the usual way.
QString PreparedScript::placeholderText(const QString &script, QStringList *names)
{
    if (script.contains(QLatin1Char('\'')) || script.contains(QLatin1Char('"')))
        return QString();
    QString text;
    int start = 0;
    for (int i = 0; i <= script.size(); ++i) {
        const QChar c = i < script.size() ? script.at(i) : QChar(QLatin1Char(' '));
        if (c != QLatin1Char(' ') && c != QLatin1Char(',') && c != QLatin1Char('(') && c != QLatin1Char(')'))
            continue;
        const QStringRef word = script.midRef(start, i - start);
        if (word.startsWith(QLatin1Char(':'))) {
            if (word.size() < 2 || word.mid(1).contains(QLatin1Char(':')))
                return QString();
            names->append(word.mid(1).toString());
            text += QLatin1Char('?');
        } else {
            text += word;
        }
        if (i < script.size())
            text += c;
        start = i + 1;
    }
    return text;
}

// SQLite stores these bound exactly as their literals; dates and times bound
// would take another text form, and a NaN would become NULL. A text goes
// the literal way when its literal mends it: SQLite would join a lone
// surrogate with the next character, and read a noncharacter back as
// another one. A pair of surrogates is left to the literal way too.
bool PreparedScript::bindsAsLiteral(const QVariant &value)
{
    if (value.isNull())
        return true;
    switch (value.userType()) {
    case QMetaType::QString:
        for (const QChar c : *static_cast<const QString *>(value.constData())) {
            if (c.isSurrogate() || c.isNull() || c.unicode() >= 0xFFFE)
                return false;
        }
        return true;
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::QDate:
        return true;
    case QMetaType::Double:
        return std::isfinite(value.toDouble());
    default:
        return false;
    }
}
