#pragma once

#include <QString>
#include <QStringList>

// Lexical work on SQL text that must respect quoted text and comments:
// string literals, quoted identifiers, PostgreSQL escape and dollar-quoted
// strings, line and block comments.
namespace SqlText {

// Length of the quoted text or comment that begins at pos; 0 when none does.
// An unterminated one reaches the end of the text.
int quotedLength(const QString &sql, int pos);

// Replaces each whole ":name" token outside quoted text and comments by the
// literal. ":id" never matches ":id_unit", and "::name" casts are left alone.
QString bindParameter(const QString &sql, const QString &name, const QString &literal);

// Drops comments, turns line breaks and tabs outside quoted text into spaces
// and puts a space between a parameter and a directly following ';', so the
// text splits into parameter tokens at spaces, commas and parentheses.
QString normalize(const QString &sql);

// Splits a multi-statement script at ';', keeping quoted text, dollar-quoted
// bodies and trigger bodies (BEGIN ... END) whole. Empty statements are dropped.
QStringList splitStatements(const QString &script);

} // namespace SqlText
