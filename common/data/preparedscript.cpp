#include "preparedscript.h"
#include "hostcontract.h"
#include "qsqlconnection.h"

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
        m_query.bindValue(i, value);
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
// would take another text form, and a NaN would become NULL.
bool PreparedScript::bindsAsLiteral(const QVariant &value)
{
    if (value.isNull())
        return true;
    switch (value.userType()) {
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::QString:
    case QMetaType::QDate:
        return true;
    case QMetaType::Double:
        return std::isfinite(value.toDouble());
    default:
        return false;
    }
}
