#pragma once

#include "colinfo.h"
#include "driverinterface.h"
#include "varkolin_export.h"

#include <QList>
#include <QObject>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QVariant>

class QLibrary;
class QPlainTextEdit;

// The one connection of the process. It forwards what depends on the database
// server to a driver library and does itself what is the same for every server:
// binding parameters, running statements, tracing and reporting failures.
class VARKOLIN_EXPORT QSqlConnection : public QObject
{
    Q_OBJECT
public:
    explicit QSqlConnection(QLibrary *library = nullptr, QObject *parent = nullptr);
    ~QSqlConnection() override;

    // Loads the library when needed and looks up its entry points; resets the connection.
    void init(QLibrary *library);
    // Forgets the connection and the entry points; keeps the library.
    void clear();
    QLibrary *currentDriver() const;

    // Connects through the driver, creating the database after asking when the
    // driver finds it empty. Returns whether the connection is usable.
    bool Connect(const QString &connectionName, bool consoleMode = false);
    // Switches to another driver library and connects again; false for a null library.
    bool remakeConnection(QLibrary *library, const QString &connectionName);
    // Checks the credentials through the driver and publishes the logged-in user
    // as the application properties "LogedIn", "LogedUser", "LogedPass".
    bool login(const QString &login, const QString &password);

    bool canDo(const QString &name);
    QVariant getSystemAttr(const QString &attributeName);
    // Binds every parameter of the script from the record's field of the same name.
    QString parseQuery(const QString &script, QSqlRecord *record);

    // Positional binding; runs into the query unless it is null.
    void execScript(const QString &script, QSqlQuery *query, const QList<QVariant> &values);
    QSqlQuery execScript(const QString &script, const QList<QVariant> &values);
    // Named binding from the record; runs into the query unless it is null.
    void execScript(const QString &script, QSqlQuery *query, QSqlRecord record, bool debug);
    QSqlQuery execScript(const QString &script, const QSqlRecord &record);

    // Runs a multi-statement script through the driver; false when it stopped early.
    bool batchExec(const QString &script, QPlainTextEdit *log = nullptr,
                   QList<QSqlQuery> *results = nullptr);
    // Leaves in the query a select of the row just inserted into the table.
    void scopeIdentity(const QString &tableName, QSqlQuery *query);
    // The value converted by the driver; a null value when it cannot convert.
    QVariant convert(const QVariant &value, QVariant::Type type);
    // A record with exactly the listed columns, in the list's order.
    QSqlRecord convert(const QSqlRecord &record, infoList &columns);
    // Fills the host's panel list; false when the driver has no list.
    bool GetList(QPanelList &list);

    bool isConnected() const { return m_connected; }
    bool hasLoginError() const { return m_loginError; }

    // Transactions go through the connection so that it never reconnects in
    // the middle of one. beginTransaction reopens a closed or lost connection
    // first; false, with the reason in error, when no transaction was begun.
    bool beginTransaction(QString *error = nullptr);
    // False when the database refused the commit; the transaction is over either way.
    bool commitTransaction(QString *error = nullptr);
    bool rollbackTransaction();
    bool inTransaction() const { return m_inTransaction; }
    // Whether the database answers a statement now; asks the server outside a transaction.
    bool isAlive();
    // Why a statement run by execScript failed, for a person: the database's
    // error, or "no connection to the database" when it never reached one.
    QString failureText(const QSqlQuery &query);
    // "no connection to the database", with the database's detail when there is one.
    static QString noConnectionText(const QString &detail = QString());

    // Data tables and data sets run their queries on this handle.
    QSqlDatabase db;

public slots:
    QString getScript(const QString &scriptName);
    QString parseQuery(const QString &script, const QString &param = QString(),
                       const QVariant &data = QVariant());
    // The single value of a statement, through the driver; invalid when it has none.
    QVariant execScript(const QString &script);

private:
    void resetState();
    void resolveEntryPoints(QLibrary *library);
    bool askToCreate(bool consoleMode);
    bool createDatabase(bool consoleMode);
    bool internalError(int code, bool consoleMode);
    QString bindPositional(const QString &script, const QList<QVariant> &values);
    void trace(const QString &sql);
    bool run(QSqlQuery *query, const QString &sql, bool namedWay);
    bool ensureOpen();
    bool reconnect();
    void reportFailure(const QSqlQuery &query, const QString &sql, bool namedWay);

    bool m_loginError = false;
    QLibrary *m_library = nullptr;
    driverEntryPoints m_entries;
    bool m_connected = false;
    bool m_inTransaction = false;
    // Kept to log in again after a reconnection: the driver forgets its user when it connects.
    QString m_loginName;
    QString m_loginPassword;
    bool m_loggedIn = false;
};
