#include "backend.h"
#include "sqltext.h"

#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

QString Backend::startScript() const
{
    return schemaScript() + QLatin1Char('\n') + upgradeScript() + QLatin1Char('\n') + sessionScript();
}

QString Backend::upgradeScript() const
{
    return resourceText(QStringLiteral(":/sql/%1/upgrade.sql").arg(dialect()));
}

QString Backend::schemaScript() const
{
    return resourceText(QStringLiteral(":/sql/%1/schema.sql").arg(dialect()));
}

// Read from the schema script itself, so that a table added there is
// required at once.
QStringList Backend::requiredTables() const
{
    static const QRegularExpression createTable(
            QStringLiteral("^CREATE\\s+TABLE\\s+([A-Za-z_][A-Za-z0-9_]*(\\.[A-Za-z_][A-Za-z0-9_]*)?)"),
            QRegularExpression::CaseInsensitiveOption);
    QStringList tables;
    const QStringList statements = SqlText::splitStatements(SqlText::normalize(schemaScript()));
    for (const QString &statement : statements) {
        const QRegularExpressionMatch match = createTable.match(statement.trimmed());
        if (match.hasMatch())
            tables.append(match.captured(1));
    }
    return tables;
}

QStringList Backend::missingTables(const QSqlDatabase &db, QString *error) const
{
    QSqlQuery query(db);
    if (!query.exec(tableListQuery())) {
        *error = QStringLiteral("Cannot read the list of tables of %1: %2")
                .arg(url().display(), query.lastError().text());
        return QStringList();
    }
    QSet<QString> present;
    while (query.next())
        present.insert(query.value(0).toString());
    QStringList missing;
    const QStringList required = requiredTables();
    for (const QString &table : required) {
        if (!present.contains(table))
            missing.append(table);
    }
    return missing;
}

QString Backend::resourceText(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll());
}
