#include "driversession.h"
#include "passwordhash.h"
#include "scriptfolders.h"
#include "sqlliteral.h"
#include "sqltext.h"

#include <QDebug>
#include <QFile>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlRecord>

namespace {

const char formatterConnection[] = "varkolin-driver-literals";

bool isScriptName(const QString &name)
{
    static const QRegularExpression pattern(QStringLiteral("^[A-Z0-9_]+$"));
    return pattern.match(name).hasMatch();
}

// Table names come from callers as identifiers; anything else must never
// reach the statement text.
bool isTableName(const QString &name)
{
    static const QRegularExpression pattern(
            QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*(\\.[A-Za-z_][A-Za-z0-9_]*)?$"));
    return pattern.match(name).hasMatch();
}

QString readResource(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll());
}

// A script from one source: the dialect's text before the common one, then
// the dialect's addition to it (NAME.post.sql).
QString readScript(const QString &root, const QString &dialect, const QString &name)
{
    QString text;
    if (!dialect.isEmpty())
        text = readResource(QStringLiteral("%1/%2/%3.sql").arg(root, dialect, name));
    if (text.isEmpty())
        text = readResource(QStringLiteral("%1/common/%2.sql").arg(root, name));
    if (text.isEmpty() || dialect.isEmpty())
        return text;
    return text + QLatin1Char('\n') + readResource(QStringLiteral("%1/%2/%3.post.sql").arg(root, dialect, name));
}

// A batch that began a transaction and then failed must not leave it open.
class TransactionWatch
{
public:
    void seen(const QString &statement)
    {
        const QString head = statement.section(QLatin1Char(' '), 0, 0).toUpper();
        if (head == QLatin1String("BEGIN") || head == QLatin1String("START"))
            m_open = true;
        else if (head == QLatin1String("COMMIT") || head == QLatin1String("END")
                 || head == QLatin1String("ROLLBACK"))
            m_open = false;
    }
    bool open() const { return m_open; }

private:
    bool m_open = false;
};

void writeLog(QPlainTextEdit *log, const QString &text)
{
    if (log)
        log->appendPlainText(text);
}

} // namespace

DriverSession &DriverSession::instance()
{
    static DriverSession session;
    return session;
}

QSqlDatabase DriverSession::database() const
{
    if (m_connectionName.isEmpty() || !QSqlDatabase::contains(m_connectionName))
        return QSqlDatabase();
    return QSqlDatabase::database(m_connectionName, false);
}

QSqlDatabase DriverSession::registerDatabase(const QString &connectionName, const QString &qtDriver)
{
    if (QSqlDatabase::contains(connectionName)) {
        QSqlDatabase existing = QSqlDatabase::database(connectionName, false);
        existing.close();
        if (existing.driverName() == qtDriver)
            return existing;
        existing = QSqlDatabase();
        QSqlDatabase::removeDatabase(connectionName);
    }
    return QSqlDatabase::addDatabase(qtDriver, connectionName);
}

QString DriverSession::connect(const QString &connectionName)
{
    m_user.clear();
    m_admin = false;
    const DatabaseUrl url = DatabaseUrl::parse(DatabaseUrl::configured());
    if (!url.isValid())
        return url.error();
    m_backend.reset(Backend::create(url));
    m_connectionName = connectionName;
    QSqlDatabase db = registerDatabase(connectionName, m_backend->qtDriverName());
    if (!db.isValid())
        return QStringLiteral("The Qt SQL driver %1 is not installed.").arg(m_backend->qtDriverName());
    QString error = m_backend->configure(db);
    if (!error.isEmpty())
        return error;
    if (!db.open())
        return m_backend->openError(db);
    error = m_backend->prepare(db);
    if (!error.isEmpty()) {
        db.close();
        return error;
    }
    error = checkSchema(db, url);
    if (!error.isEmpty()) {
        if (error != QLatin1String("INVALID"))
            db.close();
        return error;
    }
    // A user without the right to create tables can still work: only what
    // needs the new tables fails, and says so then.
    if (!batchExec(m_backend->upgradeScript(), nullptr, nullptr))
        qWarning().noquote() << "Cannot add the newer tables to" << url.display() << "; see the log.";
    const QString session = m_backend->sessionScript();
    if (!session.isEmpty() && !batchExec(session, nullptr, nullptr))
        return QStringLiteral("Cannot set up the session on %1; see the log.").arg(url.display());
    return QStringLiteral("Ok");
}

// Only an empty database may be offered for creation: the schema script
// would fail on a partial one, which would otherwise pass for whole until a
// missing table turned up as a wrong password or an empty list.
QString DriverSession::checkSchema(const QSqlDatabase &db, const DatabaseUrl &url) const
{
    QString error;
    const QStringList missing = m_backend->missingTables(db, &error);
    if (!error.isEmpty())
        return error;
    if (missing.isEmpty())
        return QString();
    if (missing.size() == m_backend->requiredTables().size())
        return QStringLiteral("INVALID");
    return QStringLiteral("The database %1 is incomplete; these tables are missing: %2.")
            .arg(url.display(), missing.join(QStringLiteral(", ")));
}

QString DriverSession::startScript() const
{
    return m_backend ? m_backend->startScript() : QString();
}

// The driver's own scripts come first, so that no file outside it can change
// what one of its names means; the folders serve only names it lacks.
QString DriverSession::scriptText(const QString &name) const
{
    if (!isScriptName(name))
        return QString();
    const QString dialect = m_backend ? m_backend->dialect() : QString();
    QString text = readScript(QStringLiteral(":/sql"), dialect, name);
    if (!text.isEmpty())
        return text;
    const QStringList folders = scriptFolders();
    for (const QString &folder : folders) {
        text = readScript(folder, dialect, name);
        if (!text.isEmpty())
            break;
    }
    return text;
}

QString DriverSession::script(const QString &name) const
{
    const QString text = scriptText(name);
    if (text.isEmpty())
        return QString();
    // Settings scripts belong to whoever logged in; no caller can name
    // another user.
    const QVariant user = m_user.isEmpty() ? QVariant() : QVariant(m_user);
    return bind(SqlText::normalize(text), QStringLiteral("logged_user"), user);
}

QString DriverSession::literal(const QString &name, const QVariant &value) const
{
    // The connection binds the placeholder NULL with the text "NULL" to mean
    // the SQL keyword.
    if (name == QLatin1String("NULL") && value.toString() == QLatin1String("NULL"))
        return QStringLiteral("NULL");
    QSqlDatabase db = database();
    if (db.isValid() && db.driver())
        return sqlLiteral(value, db.driver());
    if (!QSqlDatabase::contains(QLatin1String(formatterConnection)))
        QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QLatin1String(formatterConnection));
    return sqlLiteral(value, QSqlDatabase::database(QLatin1String(formatterConnection), false).driver());
}

QString DriverSession::bind(const QString &sql, const QString &name, const QVariant &value) const
{
    return SqlText::bindParameter(sql, name, literal(name, value));
}

QSqlQuery DriverSession::runBound(const QString &sql, const QString &name, const QVariant &value) const
{
    QSqlQuery query(database());
    if (!query.exec(bind(sql, name, value)))
        qWarning().noquote() << "Driver query failed:" << query.lastError().text();
    return query;
}

bool DriverSession::login(const QString &login, const QString &password)
{
    m_user.clear();
    m_admin = false;
    QSqlQuery query = runBound(QStringLiteral(
            "SELECT c_salt, c_pass_hash, b_is_admin FROM sys.t_user WHERE c_login = :login AND NOT b_is_del"),
            QStringLiteral("login"), login);
    if (!query.next())
        return false;
    const QString stored = query.value(1).toString();
    const PasswordHash::Verdict verdict = PasswordHash::verify(stored, query.value(0).toString(), password);
    if (verdict == PasswordHash::Refused)
        return false;
    if (verdict == PasswordHash::AcceptedOldKind)
        replaceOldHash(login, stored, password);
    m_user = login;
    m_admin = convertValue(query.value(2), QMetaType::Bool).toBool();
    return true;
}

// The password is only at hand while its owner logs in: that is when a hash
// of the old, fast kind can be replaced. The login stands even when the
// database refuses the write; the old hash then stays until the next login.
void DriverSession::replaceOldHash(const QString &login, const QString &oldHash, const QString &password) const
{
    const QString hash = PasswordHash::make(password);
    if (hash.isEmpty())
        return;
    // Matching the old hash leaves a password changed meanwhile alone.
    QString sql = bind(QStringLiteral(
            "UPDATE sys.t_user SET c_salt = '', c_pass_hash = :hash WHERE c_login = :login AND c_pass_hash = :old"),
            QStringLiteral("hash"), hash);
    sql = bind(sql, QStringLiteral("login"), login);
    QSqlQuery query(database());
    if (!query.exec(bind(sql, QStringLiteral("old"), oldHash)))
        qWarning().noquote() << QStringLiteral("Cannot replace the old password hash of %1: %2")
                                .arg(login, query.lastError().text());
}

bool DriverSession::canDo(const QString &action) const
{
    if (m_user.isEmpty())
        return false;
    if (m_admin)
        return true;
    const QString sql = bind(QStringLiteral(
            "SELECT 1 FROM sys.t_user_right r JOIN sys.t_user u ON u.id = r.id_user "
            "WHERE u.c_login = :login AND r.c_action = :action"), QStringLiteral("login"), m_user);
    QSqlQuery query = runBound(sql, QStringLiteral("action"), action);
    return query.next();
}

QVariant DriverSession::systemAttr(const QString &name) const
{
    QSqlQuery query = runBound(
            QStringLiteral("SELECT c_value FROM sys.t_sys_attr WHERE c_attr = :attr"),
            QStringLiteral("attr"), name);
    return query.next() ? query.value(0) : QVariant();
}

bool DriverSession::panels(QPanelList *list) const
{
    if (!list)
        return false;
    QSqlQuery query(database());
    if (!query.exec(QStringLiteral(
                "SELECT c_name, c_library, c_caption, n_order FROM sys.t_panel ORDER BY n_order, id"))) {
        qWarning().noquote() << "Cannot read the panel list:" << query.lastError().text();
        return false;
    }
    while (query.next()) {
        panelData panel;
        panel.name = query.value(0).toString();
        panel.library = query.value(1).toString();
        panel.caption = query.value(2).toString();
        panel.order = query.value(3).toInt();
        list->append(panel);
    }
    return true;
}

bool DriverSession::batchExec(const QString &script, QPlainTextEdit *log, QList<QSqlQuery> *results) const
{
    const QSqlDatabase db = database();
    if (!db.isOpen()) {
        writeLog(log, QStringLiteral("No open database."));
        return false;
    }
    TransactionWatch transaction;
    const QStringList statements = SqlText::splitStatements(script);
    for (const QString &statement : statements) {
        QSqlQuery query(db);
        writeLog(log, statement);
        if (!query.exec(statement)) {
            const QString error = query.lastError().text();
            writeLog(log, QStringLiteral("ERROR: ") + error);
            qWarning().noquote() << "Batch stopped at:" << statement << "\n" << error;
            if (transaction.open())
                QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
            return false;
        }
        transaction.seen(SqlText::normalize(statement));
        if (results)
            results->append(query);
        else
            query.finish();
    }
    return true;
}

QVariant DriverSession::resultExec(const QString &sql) const
{
    QSqlQuery query(database());
    if (!query.exec(sql)) {
        qWarning().noquote() << "Error executing query:" << sql << "\n" << query.lastError().text();
        return QVariant();
    }
    return query.next() ? query.value(0) : QVariant();
}

void DriverSession::scopeIdentity(const QString &table, QSqlQuery *query) const
{
    if (!query || !m_backend)
        return;
    if (!isTableName(table)) {
        qWarning().noquote() << "scopeIdentity: not a table name:" << table;
        return;
    }
    if (query->exec(m_backend->identitySelect(table)))
        query->first();
    else
        qWarning().noquote() << "scopeIdentity failed:" << query->lastError().text();
}
