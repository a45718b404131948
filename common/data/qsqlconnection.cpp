#include "qsqlconnection.h"
#include "hostcontract.h"
#include "qconnectionprompts.h"

#include <QApplication>
#include <QDebug>
#include <QFile>
#include <QLibrary>
#include <QMessageBox>
#include <QSqlError>
#include <QSqlField>

namespace {

// Parameters stand between spaces, commas and parentheses; a token that
// begins with a colon is one. (A hand-written split: a regular expression
// here cost a commit more than the statements themselves.)
QStringList colonTokens(const QString &script)
{
    QStringList tokens;
    const int size = script.size();
    int start = 0;
    for (int i = 0; i <= size; ++i) {
        const QChar c = i < size ? script.at(i) : QChar(QLatin1Char(' '));
        if (c != QLatin1Char(' ') && c != QLatin1Char(',') && c != QLatin1Char('(') && c != QLatin1Char(')'))
            continue;
        if (i > start && script.at(start) == QLatin1Char(':'))
            tokens.append(script.mid(start, i - start));
        start = i + 1;
    }
    return tokens;
}

QString parameterName(QString token)
{
    return token.remove(QLatin1Char(':'));
}

// QSqlRecord::indexOf ignores case, but column names match exactly. A
// select usually delivers the columns in their order, so the expected
// place is tried first.
int exactIndex(const QSqlRecord &record, const QString &name, int expected)
{
    if (expected < record.count() && record.fieldName(expected) == name)
        return expected;
    for (int i = 0; i < record.count(); ++i) {
        if (record.fieldName(i) == name)
            return i;
    }
    return -1;
}

bool canShowBoxes()
{
    return qobject_cast<QApplication *>(QCoreApplication::instance()) != nullptr;
}

} // namespace

QSqlConnection::QSqlConnection(QLibrary *library, QObject *parent)
    : QObject(parent)
{
    if (library)
        init(library);
}

QSqlConnection::~QSqlConnection()
{
    const QString name = db.connectionName();
    db.close();
    resetState();
    // The handle must be gone before Qt forgets the connection name, or Qt
    // warns that the connection is still in use.
    db = QSqlDatabase();
    if (!name.isEmpty())
        QSqlDatabase::removeDatabase(name);
}

void QSqlConnection::init(QLibrary *library)
{
    if (!library)
        return;
    if (!library->isLoaded() && !library->load())
        qWarning() << "Cannot load driver library:" << library->errorString();
    db.close();
    resetState();
    resolveEntryPoints(library);
    m_library = library;
}

void QSqlConnection::clear()
{
    db.close();
    resetState();
}

QLibrary *QSqlConnection::currentDriver() const
{
    return m_library;
}

void QSqlConnection::resetState()
{
    m_loginError = false;
    m_connected = false;
    m_inTransaction = false;
    m_loggedIn = false;
    m_loginName.clear();
    m_loginPassword.clear();
    m_entries = driverEntryPoints();
}

// Missing entry points stay null; each caller decides what their absence means.
void QSqlConnection::resolveEntryPoints(QLibrary *library)
{
    m_entries = resolveDriverEntryPoints(*library);
}

bool QSqlConnection::Connect(const QString &connectionName, bool consoleMode)
{
    if (!m_entries.Connect) {
        qWarning() << "Connect: the driver library has no Connect entry point";
        return m_connected;
    }
    const QString answer = m_entries.Connect(connectionName, consoleMode).toString();
    db = QSqlDatabase::database(connectionName, true);

    if (answer == QLatin1String("Ok")) {
        m_connected = true;
        return true;
    }
    if (answer == QLatin1String("LOGIN ERROR")) {
        m_loginError = true;
        return m_connected;
    }
    if (answer != QLatin1String("INVALID")) {
        QConnectionPrompts::current()->connectFailed(answer, consoleMode);
        return m_connected;
    }
    if (!askToCreate(consoleMode))
        return false;
    return createDatabase(consoleMode);
}

bool QSqlConnection::askToCreate(bool consoleMode)
{
    return QConnectionPrompts::current()->confirmCreate(consoleMode);
}

bool QSqlConnection::createDatabase(bool consoleMode)
{
    if (!m_entries.getStart)
        return internalError(1001, consoleMode);
    const QString script = m_entries.getStart();
    if (script.isEmpty())
        return internalError(1002, consoleMode);
    m_connected = batchExec(script, nullptr, nullptr);
    if (!m_connected)
        return internalError(1003, consoleMode);
    return true;
}

bool QSqlConnection::internalError(int code, bool consoleMode)
{
    QConnectionPrompts::current()->internalError(code, consoleMode);
    return false;
}

bool QSqlConnection::remakeConnection(QLibrary *library, const QString &connectionName)
{
    if (!library)
        return false;
    db.close();
    resetState();
    resolveEntryPoints(library);
    m_library = library;
    return Connect(connectionName, false);
}

bool QSqlConnection::login(const QString &login, const QString &password)
{
    if (!m_entries.login)
        qFatal("login procedure not valid");
    if (!m_entries.login(login, password))
        return false;

    // The login is bound as a literal by the driver, never pasted into the
    // statement: a quote in it must not change what runs.
    const QString sql = parseQuery(
            QStringLiteral("select c_name from sys.t_user where c_login = :login"),
            QStringLiteral("login"), login);
    QSqlQuery query(db);
    QString displayName;
    if (query.exec(sql)) {
        if (query.first())
            displayName = query.record().value(QStringLiteral("c_name")).toString();
    } else {
        displayName = login.isEmpty() ? getSystemAttr(QStringLiteral("superAdminId")).toString()
                                      : login;
    }
    m_loggedIn = true;
    m_loginName = login;
    m_loginPassword = password;
    setHostLoggedIn(displayName, login, password);
    return true;
}

QString QSqlConnection::getScript(const QString &scriptName)
{
    return m_entries.getScript ? m_entries.getScript(scriptName) : QString();
}

bool QSqlConnection::canDo(const QString &name)
{
    return m_entries.canDo && m_entries.canDo(name);
}

QVariant QSqlConnection::getSystemAttr(const QString &attributeName)
{
    return m_entries.getSystemAttr ? m_entries.getSystemAttr(attributeName) : QVariant();
}

QString QSqlConnection::parseQuery(const QString &script, const QString &param, const QVariant &data)
{
    return m_entries.bindQueryParam ? m_entries.bindQueryParam(script, param, data) : script;
}

QString QSqlConnection::parseQuery(const QString &script, QSqlRecord *record)
{
    QString text = script;
    const QStringList tokens = colonTokens(script);
    for (const QString &token : tokens) {
        const QString name = parameterName(token);
        const QVariant value = record ? record->value(name) : QVariant();
        text = parseQuery(text, name, value);
    }
    return text;
}

QVariant QSqlConnection::execScript(const QString &script)
{
    return m_entries.resultExecSQL ? m_entries.resultExecSQL(script, QString()) : QVariant();
}

QString QSqlConnection::bindPositional(const QString &script, const QList<QVariant> &values)
{
    QString text = parseQuery(script, QStringLiteral("NULL"), QStringLiteral("NULL"));
    const QStringList tokens = colonTokens(text);
    if (tokens.isEmpty() || tokens.size() != values.size())
        return text;
    for (int i = 0; i < tokens.size(); ++i)
        text = parseQuery(text, parameterName(tokens.at(i)), values.at(i));
    return text;
}

void QSqlConnection::execScript(const QString &script, QSqlQuery *query, const QList<QVariant> &values)
{
    if (!m_connected)
        return;
    const QString sql = bindPositional(script, values);
    if (!query)
        return;
    trace(sql);
    run(query, sql, false);
}

QSqlQuery QSqlConnection::execScript(const QString &script, const QList<QVariant> &values)
{
    QSqlQuery query(db);
    execScript(script, &query, values);
    return query;
}

void QSqlConnection::execScript(const QString &script, QSqlQuery *query, QSqlRecord record, bool debug)
{
    if (!m_connected)
        return;
    const QString sql = parseQuery(script, &record);
    if (!query)
        return;
    trace(sql);
    if (debug)
        qDebug().noquote() << sql;
    run(query, sql, true);
}

QSqlQuery QSqlConnection::execScript(const QString &script, const QSqlRecord &record)
{
    QSqlQuery query(db);
    execScript(script, &query, record, false);
    return query;
}

void QSqlConnection::trace(const QString &sql)
{
    const QString fileName = hostSqlTraceFile();
    if (fileName.isEmpty())
        return;
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return;
    file.write(sql.toLocal8Bit());
    file.write("\r\n");
}

// A closed or lost connection is reopened before a statement that runs
// outside a transaction, and a statement that failed because the connection
// was gone runs once more on the new one. Inside a transaction nothing is
// reopened: the work before it went with the old connection, and the caller
// must see the failure and roll back.
bool QSqlConnection::run(QSqlQuery *query, const QString &sql, bool namedWay)
{
    if (!m_inTransaction)
        ensureOpen();
    bool ran = query->exec(sql);
    if (!ran && !m_inTransaction && !isAlive() && reconnect())
        ran = query->exec(sql);
    if (ran)
        query->first();
    else
        reportFailure(*query, sql, namedWay);
    return ran;
}

bool QSqlConnection::ensureOpen()
{
    return db.isOpen() || reconnect();
}

// Connects again through the driver with the URL and credentials it was
// given, and logs the same user in again.
bool QSqlConnection::reconnect()
{
    const QString name = db.connectionName();
    if (!m_connected || !m_entries.Connect || name.isEmpty())
        return false;
    qWarning() << "The connection to the database was lost; connecting again";
    const QString answer = m_entries.Connect(name, true).toString();
    db = QSqlDatabase::database(name, false);
    if (answer != QLatin1String("Ok") || !db.isOpen()) {
        qWarning().noquote() << "Cannot connect to the database again:" << answer;
        return false;
    }
    if (m_loggedIn && m_entries.login && !m_entries.login(m_loginName, m_loginPassword))
        qWarning() << "The user could not log in again after reconnecting";
    return true;
}

bool QSqlConnection::isAlive()
{
    if (!m_connected || !db.isOpen())
        return false;
    // Inside a transaction a probe would fail after any failed statement on
    // PostgreSQL; the transaction's own end tells.
    if (m_inTransaction)
        return true;
    QSqlQuery probe(db);
    return probe.exec(QStringLiteral("SELECT 1"));
}

QString QSqlConnection::noConnectionText(const QString &detail)
{
    const QString text = tr("no connection to the database");
    if (detail.startsWith(text))
        return detail;
    return detail.trimmed().isEmpty() ? text : QStringLiteral("%1 (%2)").arg(text, detail.trimmed());
}

QString QSqlConnection::failureText(const QSqlQuery &query)
{
    const QString error = query.lastError().text().trimmed();
    if (!m_connected || !db.isOpen())
        return noConnectionText(error);
    return error.isEmpty() ? tr("the statement did not run") : error;
}

bool QSqlConnection::beginTransaction(QString *error)
{
    if (m_inTransaction) {
        if (error)
            *error = tr("a transaction is already open");
        return false;
    }
    // A server that was restarted since the last statement shows it only
    // now: the first statement on the old connection fails.
    m_inTransaction = m_connected && ensureOpen()
            && (db.transaction() || (!isAlive() && reconnect() && db.transaction()));
    if (!m_inTransaction && error)
        *error = isAlive() ? db.lastError().text().trimmed() : noConnectionText();
    return m_inTransaction;
}

bool QSqlConnection::commitTransaction(QString *error)
{
    if (!m_inTransaction) {
        if (error)
            *error = tr("no transaction is open");
        return false;
    }
    const bool committed = db.commit();
    m_inTransaction = false;
    if (!committed) {
        if (error)
            *error = isAlive() ? db.lastError().text().trimmed() : noConnectionText(db.lastError().text());
        // A refused commit may leave the transaction open on the server.
        db.rollback();
    }
    return committed;
}

bool QSqlConnection::rollbackTransaction()
{
    if (!m_inTransaction)
        return false;
    m_inTransaction = false;
    return db.rollback();
}

void QSqlConnection::reportFailure(const QSqlQuery &query, const QString &sql, bool namedWay)
{
    QString error = query.lastError().text();
    // A closed database fails a statement without any error text.
    if (!db.isOpen() && error.trimmed().isEmpty())
        error = noConnectionText();
    if (namedWay) {
        qWarning().noquote() << QStringLiteral("Error executing query: ") + sql
                                + QLatin1Char('\n') + error;
    } else {
        if (error.trimmed().isEmpty())
            return;
        qWarning().noquote() << QStringLiteral("Error executing query: ") + error;
    }
    if (hostDebugDb() && !hostNoGui() && canShowBoxes())
        QMessageBox::critical(nullptr, QStringLiteral("Database error"), error, QMessageBox::Ok);
}

bool QSqlConnection::batchExec(const QString &script, QPlainTextEdit *log, QList<QSqlQuery> *results)
{
    return m_entries.batchExec && m_entries.batchExec(script, log, results);
}

void QSqlConnection::scopeIdentity(const QString &tableName, QSqlQuery *query)
{
    if (!m_entries.scopeIdentity || !query)
        return;
    query->finish();
    m_entries.scopeIdentity(tableName, query);
}

QVariant QSqlConnection::convert(const QVariant &value, QVariant::Type type)
{
    return m_entries.convert ? m_entries.convert(value, static_cast<int>(type)) : QVariant();
}

QSqlRecord QSqlConnection::convert(const QSqlRecord &record, infoList &columns)
{
    QSqlRecord shaped;
    for (int i = 0; i < columns.size(); ++i) {
        const colInfo &column = columns.at(i);
        const int index = exactIndex(record, column.fieldName, i);
        if (index < 0) {
            QSqlField field(column.fieldName, static_cast<QVariant::Type>(column.dataType));
            field.setValue(column.defValue);
            shaped.append(field);
            continue;
        }
        QSqlField field = record.field(index);
        const QVariant converted = convert(field.value(), static_cast<QVariant::Type>(column.dataType));
        if (!converted.isNull())
            field.setValue(converted);
        shaped.append(field);
    }
    return shaped;
}

bool QSqlConnection::GetList(QPanelList &list)
{
    qDebug() << "bool QSqlConnection::GetList(QPanelList&)"
             << reinterpret_cast<void *>(m_entries.GetPanels);
    if (!m_entries.GetPanels)
        return false;
    qDebug() << "Loading plugin list";
    return m_entries.GetPanels(&list);
}
