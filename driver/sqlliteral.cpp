#include "sqlliteral.h"

#include <QDate>
#include <QDateTime>
#include <QSqlField>
#include <QTime>

#include <cmath>

namespace {

QString fieldLiteral(const QVariant &value, const QSqlDriver *driver)
{
    QSqlField field(QString(), value.type());
    field.setValue(value);
    return driver->formatValue(field);
}

QString doubleLiteral(double number, const QSqlDriver *driver)
{
    // Qt's generic formatting would paste "nan" or "inf" as bare words.
    if (std::isnan(number))
        return QStringLiteral("'NaN'");
    if (std::isinf(number))
        return number > 0 ? QStringLiteral("'Infinity'") : QStringLiteral("'-Infinity'");
    return fieldLiteral(number, driver);
}

QString blobLiteral(const QByteArray &bytes, const QSqlDriver *driver)
{
    // Qt's SQLite driver writes bytes as a quoted hex string, which would be
    // stored as text; X'..' is SQLite's blob literal.
    if (driver->dbmsType() == QSqlDriver::SQLite)
        return QStringLiteral("X'") + QString::fromLatin1(bytes.toHex()) + QLatin1Char('\'');
    return fieldLiteral(bytes, driver);
}

bool isWholeNumber(int type)
{
    return type == QMetaType::Int || type == QMetaType::UInt || type == QMetaType::LongLong
            || type == QMetaType::ULongLong || type == QMetaType::Short
            || type == QMetaType::UShort || type == QMetaType::Long || type == QMetaType::ULong
            || type == QMetaType::SChar || type == QMetaType::UChar;
}

QVariant toBool(const QVariant &value)
{
    // SQLite hands booleans over as integers; no need to go through text.
    if (isWholeNumber(value.userType()))
        return value.toLongLong() != 0;
    const QString text = value.toString().trimmed().toLower();
    if (text == QLatin1String("t") || text == QLatin1String("true") || text == QLatin1String("y")
            || text == QLatin1String("yes"))
        return true;
    if (text == QLatin1String("f") || text == QLatin1String("false") || text == QLatin1String("n")
            || text == QLatin1String("no"))
        return false;
    bool ok = false;
    const double number = text.toDouble(&ok);
    return ok ? QVariant(number != 0) : QVariant();
}

// SQLite hands every date over as "yyyy-MM-dd" text: read it digit by digit,
// which QDate::fromString takes ten times as long to do through the locale.
// Anything else goes the general way, which reads this form the same.
QDate plainIsoDate(const QString &text)
{
    if (text.size() < 10)
        return QDate();
    int parts[3] = {0, 0, 0};
    static const int starts[3] = {0, 5, 8};
    static const int ends[3] = {4, 7, 10};
    for (int part = 0; part < 3; ++part) {
        for (int i = starts[part]; i < ends[part]; ++i) {
            const ushort c = text.at(i).unicode();
            if (c < '0' || c > '9')
                return QDate();
            parts[part] = parts[part] * 10 + (c - '0');
        }
    }
    if (text.at(4) != QLatin1Char('-') || text.at(7) != QLatin1Char('-') || parts[0] == 0)
        return QDate();
    return QDate(parts[0], parts[1], parts[2]);
}

QVariant toDate(const QVariant &value)
{
    if (value.type() == QVariant::DateTime)
        return value.toDateTime().date();
    if (value.userType() == QMetaType::QString) {
        const QDate date = plainIsoDate(*static_cast<const QString *>(value.constData()));
        if (date.isValid())
            return date;
    }
    const QString text = value.toString().trimmed();
    QDate date = QDate::fromString(text.left(10), Qt::ISODate);
    return date.isValid() ? QVariant(date) : QVariant();
}

QVariant toDateTime(const QVariant &value)
{
    if (value.type() == QVariant::Date)
        return QDateTime(value.toDate(), QTime(0, 0));
    QString text = value.toString().trimmed();
    // SQLite's own form has a space where ISO has a 'T'.
    if (text.size() > 10 && text.at(10) == QLatin1Char(' '))
        text[10] = QLatin1Char('T');
    QDateTime dateTime = QDateTime::fromString(text, Qt::ISODateWithMs);
    if (!dateTime.isValid() && text.size() == 10)
        dateTime = QDateTime(QDate::fromString(text, Qt::ISODate), QTime(0, 0));
    return dateTime.isValid() ? QVariant(dateTime) : QVariant();
}

QVariant toTime(const QVariant &value)
{
    const QTime time = QTime::fromString(value.toString().trimmed(), Qt::ISODateWithMs);
    return time.isValid() ? QVariant(time) : QVariant();
}

QString formattedLiteral(const QVariant &value, const QSqlDriver *driver)
{
    if (!value.isValid() || value.isNull())
        return QStringLiteral("NULL");
    const int type = value.userType();
    if (type == QMetaType::Bool || isWholeNumber(type))
        return fieldLiteral(value, driver);
    if (type == QMetaType::Double || type == QMetaType::Float)
        return doubleLiteral(value.toDouble(), driver);
    if (type == QMetaType::QByteArray)
        return blobLiteral(value.toByteArray(), driver);
    if (type == QMetaType::QDate || type == QMetaType::QTime || type == QMetaType::QDateTime) {
        const QString formatted = fieldLiteral(value, driver);
        return formatted.isEmpty() ? QStringLiteral("NULL") : formatted;
    }
    return fieldLiteral(value.toString(), driver);
}

// Text the server would read otherwise than it was quoted: SQLite's UTF-16
// decoder joins an unpaired surrogate with the next unit, swallowing a closing
// quote so that the next value runs as SQL, and ends the statement at NUL;
// Qt sends a lone surrogate to PostgreSQL as '?', and PostgreSQL refuses NUL.
// SQLite stores the noncharacters U+FFFE and U+FFFF but reads them back as
// U+FFFD. All of these become U+FFFD, so that a value reads back the same on
// both back ends.
QString validText(const QString &text)
{
    QString valid = text;
    for (int i = 0; i < valid.size(); ++i) {
        const QChar c = valid.at(i);
        if (c.isHighSurrogate() && i + 1 < valid.size() && valid.at(i + 1).isLowSurrogate())
            ++i;
        else if (c.isSurrogate() || c.isNull() || c.unicode() >= 0xFFFE)
            valid[i] = QChar::ReplacementCharacter;
    }
    return valid;
}

} // namespace

QString sqlLiteral(const QVariant &value, const QSqlDriver *driver)
{
    // Every value, whatever its type, passes here on its way into SQL text.
    return validText(formattedLiteral(value, driver));
}

QVariant convertValue(const QVariant &value, int type)
{
    if (!value.isValid() || value.isNull() || type == QMetaType::UnknownType)
        return QVariant();
    if (value.userType() == type)
        return value;
    switch (type) {
    case QMetaType::Bool:
        return toBool(value);
    case QMetaType::QDate:
        return toDate(value);
    case QMetaType::QDateTime:
        return toDateTime(value);
    case QMetaType::QTime:
        return toTime(value);
    default:
        break;
    }
    QVariant converted = value;
    if (!converted.convert(type))
        return QVariant();
    return converted;
}
