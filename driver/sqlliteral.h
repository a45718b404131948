#pragma once

#include <QSqlDriver>
#include <QString>
#include <QVariant>

// The value written as an SQL literal of the driver's dialect: NULL for a null
// or invalid value, numbers as numbers, text quoted with quotes doubled, byte
// arrays as blobs, dates in ISO form. Types without a literal of their own are
// written as text, never pasted raw. Unpaired UTF-16 surrogates, NUL, U+FFFE
// and U+FFFF are written as U+FFFD: no value can end its literal early, and
// every value reads back the same on both back ends.
QString sqlLiteral(const QVariant &value, const QSqlDriver *driver);

// The value converted to the QVariant type, or a null QVariant when it cannot
// be: SQLite's 0/1 and 't'/'f' become booleans, ISO text becomes dates.
QVariant convertValue(const QVariant &value, int type);
