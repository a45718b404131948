#pragma once

#include "backend.h"
#include "driverinterface.h"

#include <QList>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariant>

#include <memory>

class QPlainTextEdit;

// The driver's state for the process: the back end chosen by the database
// URL, the Qt SQL connection it registered, and the user who logged in.
class DriverSession
{
public:
    static DriverSession &instance();

    // "Ok", "INVALID" for a reachable database without schema, or an error text.
    QString connect(const QString &connectionName);
    QString startScript() const;
    // The named script's SQL text ready for binding; empty for an unknown name.
    QString script(const QString &name) const;
    // The SQL text with each whole ":name" token outside quotes replaced by the value's literal.
    QString bind(const QString &sql, const QString &name, const QVariant &value) const;
    bool login(const QString &login, const QString &password);
    bool canDo(const QString &action) const;
    QVariant systemAttr(const QString &name) const;
    bool panels(QPanelList *list) const;
    bool batchExec(const QString &script, QPlainTextEdit *log, QList<QSqlQuery> *results) const;
    QVariant resultExec(const QString &sql) const;
    void scopeIdentity(const QString &table, QSqlQuery *query) const;

private:
    DriverSession() = default;
    QSqlDatabase database() const;
    QSqlDatabase registerDatabase(const QString &connectionName, const QString &qtDriver);
    // Empty for a whole schema, "INVALID" for none, else what is missing.
    QString checkSchema(const QSqlDatabase &db, const DatabaseUrl &url) const;
    QString literal(const QString &name, const QVariant &value) const;
    QString scriptText(const QString &name) const;
    QSqlQuery runBound(const QString &sql, const QString &name, const QVariant &value) const;
    void replaceOldHash(const QString &login, const QString &oldHash, const QString &password) const;

    std::unique_ptr<Backend> m_backend;
    QString m_connectionName;
    QString m_user;
    bool m_admin = false;
};
