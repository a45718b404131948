#include "sqltext.h"

namespace {

bool isIdentChar(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_');
}

bool isIdentStart(QChar c)
{
    return c.isLetter() || c == QLatin1Char('_');
}

// Up to and including the closing quote; a doubled quote stays inside.
int quotedRun(const QString &sql, int pos, QChar quote, bool backslashEscapes)
{
    int i = pos + 1;
    while (i < sql.size()) {
        const QChar c = sql.at(i);
        if (backslashEscapes && c == QLatin1Char('\\')) {
            i += 2;
            continue;
        }
        if (c == quote) {
            if (i + 1 < sql.size() && sql.at(i + 1) == quote) {
                i += 2;
                continue;
            }
            return i + 1 - pos;
        }
        ++i;
    }
    return sql.size() - pos;
}

// The "$tag$" that opens a dollar-quoted string at pos, or an empty string.
QString dollarTag(const QString &sql, int pos)
{
    if (pos > 0 && (isIdentChar(sql.at(pos - 1)) || sql.at(pos - 1) == QLatin1Char('$')))
        return QString();
    int i = pos + 1;
    if (i < sql.size() && sql.at(i) != QLatin1Char('$') && !isIdentStart(sql.at(i)))
        return QString();
    while (i < sql.size() && isIdentChar(sql.at(i)))
        ++i;
    if (i >= sql.size() || sql.at(i) != QLatin1Char('$'))
        return QString();
    return sql.mid(pos, i + 1 - pos);
}

int dollarRun(const QString &sql, int pos)
{
    const QString tag = dollarTag(sql, pos);
    if (tag.isEmpty())
        return 0;
    const int close = sql.indexOf(tag, pos + tag.size());
    return close < 0 ? sql.size() - pos : close + tag.size() - pos;
}

bool startsEscapeString(const QString &sql, int pos)
{
    if (pos == 0 || sql.at(pos - 1).toUpper() != QLatin1Char('E'))
        return false;
    return pos < 2 || !isIdentChar(sql.at(pos - 2));
}

// A ':' at pos that begins a parameter: not part of a "::" cast, not glued
// to a preceding word, and followed by a name.
int parameterEnd(const QString &sql, int pos)
{
    if (sql.at(pos) != QLatin1Char(':'))
        return -1;
    if (pos > 0 && (sql.at(pos - 1) == QLatin1Char(':') || isIdentChar(sql.at(pos - 1))))
        return -1;
    int i = pos + 1;
    if (i >= sql.size() || !isIdentChar(sql.at(i)))
        return -1;
    while (i < sql.size() && isIdentChar(sql.at(i)))
        ++i;
    return i;
}

// Follows BEGIN ... END nesting in a CREATE TRIGGER statement, where the
// body holds semicolons of its own.
class TriggerTracker
{
public:
    void reset()
    {
        m_words.clear();
        m_trigger = false;
        m_depth = 0;
    }
    void word(const QString &w)
    {
        const QString upper = w.toUpper();
        if (m_words.size() < 3) {
            m_words.append(upper);
            m_trigger = m_trigger || isTriggerHead();
        }
        if (!m_trigger)
            return;
        if (upper == QLatin1String("BEGIN") || upper == QLatin1String("CASE"))
            ++m_depth;
        else if (upper == QLatin1String("END") && m_depth > 0) {
            --m_depth;
        }
    }
    // A PostgreSQL trigger has no body of its own and ends at its first ';'.
    bool insideBody() const { return m_trigger && m_depth > 0; }

private:
    bool isTriggerHead() const
    {
        if (m_words.value(0) != QLatin1String("CREATE"))
            return false;
        const QString second = m_words.value(1);
        if (second == QLatin1String("TRIGGER"))
            return true;
        return (second == QLatin1String("TEMP") || second == QLatin1String("TEMPORARY"))
                && m_words.value(2) == QLatin1String("TRIGGER");
    }

    QStringList m_words;
    bool m_trigger = false;
    int m_depth = 0;
};

bool isBlank(const QString &statement)
{
    return SqlText::normalize(statement).trimmed().isEmpty();
}

} // namespace

namespace SqlText {

int quotedLength(const QString &sql, int pos)
{
    const QChar c = sql.at(pos);
    const QChar next = pos + 1 < sql.size() ? sql.at(pos + 1) : QChar();
    if (c == QLatin1Char('\''))
        return quotedRun(sql, pos, c, startsEscapeString(sql, pos));
    if (c == QLatin1Char('"'))
        return quotedRun(sql, pos, c, false);
    if (c == QLatin1Char('-') && next == QLatin1Char('-')) {
        const int end = sql.indexOf(QLatin1Char('\n'), pos);
        return end < 0 ? sql.size() - pos : end - pos;
    }
    if (c == QLatin1Char('/') && next == QLatin1Char('*')) {
        const int end = sql.indexOf(QLatin1String("*/"), pos + 2);
        return end < 0 ? sql.size() - pos : end + 2 - pos;
    }
    if (c == QLatin1Char('$'))
        return dollarRun(sql, pos);
    return 0;
}

QString bindParameter(const QString &sql, const QString &name, const QString &literal)
{
    if (name.isEmpty())
        return sql;
    QString out;
    out.reserve(sql.size() + literal.size());
    int i = 0;
    while (i < sql.size()) {
        const int quoted = quotedLength(sql, i);
        if (quoted > 0) {
            out += sql.midRef(i, quoted);
            i += quoted;
            continue;
        }
        const int end = parameterEnd(sql, i);
        if (end > 0) {
            if (sql.midRef(i + 1, end - i - 1) == name)
                out += literal;
            else
                out += sql.midRef(i, end - i);
            i = end;
            continue;
        }
        out += sql.at(i++);
    }
    return out;
}

QString normalize(const QString &sql)
{
    QString out;
    out.reserve(sql.size());
    int i = 0;
    bool afterParameter = false;
    while (i < sql.size()) {
        const QChar c = sql.at(i);
        const int quoted = quotedLength(sql, i);
        if (quoted > 0) {
            const bool comment = c == QLatin1Char('-') || c == QLatin1Char('/');
            if (comment)
                out += QLatin1Char(' ');
            else
                out += sql.midRef(i, quoted);
            i += quoted;
            afterParameter = false;
            continue;
        }
        const int end = parameterEnd(sql, i);
        if (end > 0) {
            out += sql.midRef(i, end - i);
            i = end;
            afterParameter = true;
            continue;
        }
        if (c == QLatin1Char(';') && afterParameter)
            out += QLatin1Char(' ');
        if (c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QLatin1Char('\t'))
            out += QLatin1Char(' ');
        else
            out += c;
        afterParameter = false;
        ++i;
    }
    return out.trimmed();
}

QStringList splitStatements(const QString &script)
{
    QStringList statements;
    TriggerTracker trigger;
    int start = 0;
    int i = 0;
    auto finish = [&](int end) {
        const QString statement = script.mid(start, end - start).trimmed();
        if (!isBlank(statement))
            statements.append(statement);
        start = end + 1;
        trigger.reset();
    };
    while (i < script.size()) {
        const int quoted = quotedLength(script, i);
        if (quoted > 0) {
            i += quoted;
            continue;
        }
        const QChar c = script.at(i);
        if (isIdentStart(c) && (i == 0 || !isIdentChar(script.at(i - 1)))) {
            int end = i;
            while (end < script.size() && isIdentChar(script.at(end)))
                ++end;
            trigger.word(script.mid(i, end - i));
            i = end;
            continue;
        }
        if (c == QLatin1Char(';') && !trigger.insideBody())
            finish(i);
        ++i;
    }
    finish(script.size());
    return statements;
}

} // namespace SqlText
