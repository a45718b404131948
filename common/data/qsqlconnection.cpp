#include "qsqlconnection.h"

#include <QApplication>
#include <QDebug>
#include <QFile>
#include <QLibrary>
#include <QMessageBox>
#include <QSqlError>
#include <QSqlField>
#include <QTextStream>

#include <cstdio>
#include <cstdlib>

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

// Not qApp: a console program has no QApplication, and qApp here is a
// downcast to one.
QVariant appProperty(const char *name)
{
    const QCoreApplication *app = QCoreApplication::instance();
    return app ? app->property(name) : QVariant();
}

bool appFlag(const char *name)
{
    return appProperty(name).toBool();
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
    m_connect = nullptr;
    m_getScript = nullptr;
    m_canDo = nullptr;
    m_getSystemAttr = nullptr;
    m_bindQueryParam = nullptr;
    m_getPanels = nullptr;
    m_convert = nullptr;
    m_login = nullptr;
    m_batchExec = nullptr;
    m_resultExecSQL = nullptr;
    m_scopeIdentity = nullptr;
}

void QSqlConnection::resolveEntryPoints(QLibrary *library)
{
    m_connect = reinterpret_cast<ConnectFn>(library->resolve("Connect"));
    m_getScript = reinterpret_cast<ScriptFn>(library->resolve("getScript"));
    m_canDo = reinterpret_cast<CanDoFn>(library->resolve("canDo"));
    m_getSystemAttr = reinterpret_cast<SystemAttrFn>(library->resolve("getSystemAttr"));
    m_bindQueryParam = reinterpret_cast<BindFn>(library->resolve("bindQueryParam"));
    m_getPanels = reinterpret_cast<PanelsFn>(library->resolve("GetPanels"));
    m_convert = reinterpret_cast<ConvertFn>(library->resolve("convert"));
    m_login = reinterpret_cast<LoginFn>(library->resolve("login"));
    m_batchExec = reinterpret_cast<BatchFn>(library->resolve("batchExec"));
    m_resultExecSQL = reinterpret_cast<ResultFn>(library->resolve("resultExecSQL"));
    m_scopeIdentity = reinterpret_cast<IdentityFn>(library->resolve("scopeIdentity"));
}

bool QSqlConnection::Connect(const QString &connectionName, bool consoleMode)
{
    if (!m_connect) {
        qWarning() << "Connect: the driver library has no Connect entry point";
        return m_connected;
    }
    const QString answer = m_connect(connectionName, consoleMode).toString();
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
        if (!consoleMode && canShowBoxes())
            QMessageBox::critical(nullptr, QStringLiteral("ERROR"), answer, QMessageBox::Ok);
        else
            qWarning().noquote() << answer;
        return m_connected;
    }
    if (!askToCreate(consoleMode))
        return false;
    return createDatabase(consoleMode);
}

bool QSqlConnection::askToCreate(bool consoleMode)
{
    if (!consoleMode) {
        const int button = QMessageBox::question(
            nullptr, QApplication::translate("QApplication", "Unknown database"),
            QApplication::translate("QApplication", "Database is invalid or corrupted. Want for create?"),
            QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::NoButton);
        return button == QMessageBox::Ok;
    }
    QTextStream out(stdout);
    QTextStream in(stdin);
    for (;;) {
        out << "Database is invalid or corrupted. Want for create? (y/n): ";
        out.flush();
        const QString line = in.readLine(1024);
        // A closed input can never say yes; asking again would never end.
        if (line.isNull())
            return false;
        const QChar first = line.isEmpty() ? QChar() : line.at(0).toUpper();
        if (first == QLatin1Char('Y'))
            return true;
        if (first == QLatin1Char('N'))
            return false;
    }
}

bool QSqlConnection::createDatabase(bool consoleMode)
{
    const StartFn getStart = m_library
            ? reinterpret_cast<StartFn>(m_library->resolve("getStart")) : nullptr;
    if (!getStart)
        return internalError(1001, consoleMode);
    const QString script = getStart();
    if (script.isEmpty())
        return internalError(1002, consoleMode);
    m_connected = batchExec(script, nullptr, nullptr);
    if (!m_connected)
        return internalError(1003, consoleMode);
    return true;
}

bool QSqlConnection::internalError(int code, bool consoleMode)
{
    if (consoleMode || !canShowBoxes()) {
        qDebug().noquote() << QStringLiteral("Internal error #%1. System can not startup.").arg(code);
        return false;
    }
    const QString text = QApplication::translate("QApplication", "Internal error ")
            + QStringLiteral("#%1. ").arg(code)
            + QApplication::translate("QApplication", "System can not startup,");
    QMessageBox::critical(nullptr, QStringLiteral("ERROR"), text, QMessageBox::Ok);
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
    if (!m_login)
        qFatal("login procedure not valid");
    if (!m_login(login, password))
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
    QCoreApplication::instance()->setProperty("LogedIn", displayName);
    QCoreApplication::instance()->setProperty("LogedUser", login);
    QCoreApplication::instance()->setProperty("LogedPass", password);
    return true;
}

QString QSqlConnection::getScript(const QString &scriptName)
{
    return m_getScript ? m_getScript(scriptName) : QString();
}

bool QSqlConnection::canDo(const QString &name)
{
    return m_canDo && m_canDo(name);
}

QVariant QSqlConnection::getSystemAttr(const QString &attributeName)
{
    return m_getSystemAttr ? m_getSystemAttr(attributeName) : QVariant();
}

QString QSqlConnection::parseQuery(const QString &script, const QString &param, const QVariant &data)
{
    return m_bindQueryParam ? m_bindQueryParam(script, param, data) : script;
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
    return m_resultExecSQL ? m_resultExecSQL(script, QString()) : QVariant();
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
    const QString fileName = appProperty("SQLTraceFile").toString();
    if (fileName.isEmpty())
        return;
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return;
    file.write(sql.toLocal8Bit());
    file.write("\r\n");
}

void QSqlConnection::run(QSqlQuery *query, const QString &sql, bool namedWay)
{
    if (query->exec(sql))
        query->first();
    else
        reportFailure(*query, sql, namedWay);
}

void QSqlConnection::reportFailure(const QSqlQuery &query, const QString &sql, bool namedWay)
{
    const QString error = query.lastError().text();
    if (namedWay) {
        qWarning().noquote() << QStringLiteral("Error executing query: ") + sql
                                + QLatin1Char('\n') + error;
    } else {
        if (error.trimmed().isEmpty())
            return;
        qWarning().noquote() << QStringLiteral("Error executing query: ") + error;
    }
    if (appFlag("bDebugDB") && !appFlag("bNoGUI") && canShowBoxes())
        QMessageBox::critical(nullptr, QStringLiteral("Database error"), error, QMessageBox::Ok);
}

bool QSqlConnection::batchExec(const QString &script, QPlainTextEdit *log, QList<QSqlQuery> *results)
{
    return m_batchExec && m_batchExec(script, log, results);
}

void QSqlConnection::scopeIdentity(const QString &tableName, QSqlQuery *query)
{
    if (!m_scopeIdentity || !query)
        return;
    query->finish();
    m_scopeIdentity(tableName, query);
}

QVariant QSqlConnection::convert(const QVariant &value, QVariant::Type type)
{
    return m_convert ? m_convert(value, static_cast<int>(type)) : QVariant();
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
             << reinterpret_cast<void *>(m_getPanels);
    if (!m_getPanels)
        return false;
    qDebug() << "Loading plugin list";
    return m_getPanels(&list);
}
