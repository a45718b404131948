#include "qdbsettings.h"
#include "hostcontract.h"
#include "qdatatable.h"
#include "qsqlconnection.h"

#include <QDebug>
#include <QHeaderView>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTableView>

namespace {

const QString globalGroup = QStringLiteral("GLOBAL");

QSqlRecord settingRecord(const QString &group, const QString &key)
{
    QSqlRecord record;
    for (const QString &name : {QStringLiteral("group"), QStringLiteral("key")}) {
        QSqlField field(name, QVariant::String);
        field.setValue(name == QLatin1String("group") ? group : key);
        record.append(field);
    }
    return record;
}

// The stored form is Qt 5's binary JSON, which later Qt versions deprecate;
// settings already stored must stay readable.
QByteArray binaryJson(const QJsonArray &array)
{
    QT_WARNING_PUSH
    QT_WARNING_DISABLE_DEPRECATED
    return QJsonDocument(array).toBinaryData();
    QT_WARNING_POP
}

QJsonArray jsonOfBinary(const QByteArray &data)
{
    QT_WARNING_PUSH
    QT_WARNING_DISABLE_DEPRECATED
    return QJsonDocument::fromBinaryData(data, QJsonDocument::Validate).array();
    QT_WARNING_POP
}

} // namespace

QDbSettings::QDbSettings(QObject *parent)
    : QObject(parent), m_group(globalGroup)
{
    qDebug() << "QDbSettings::QDbSettings(QObject*)" << m_group;
}

void QDbSettings::beginGroup(const QString &group)
{
    m_group = group;
}

void QDbSettings::endGroup()
{
    m_group = globalGroup;
}

QStringList QDbSettings::splitPath(const QString &path)
{
    QStringList parts = path.split(QLatin1Char('/'));
    if (parts.size() < 2)
        return {globalGroup, path};
    const QString key = parts.takeLast();
    while (!parts.isEmpty() && parts.first().isEmpty())
        parts.removeFirst();
    return {parts.join(QLatin1Char('/')), key};
}

QString QDbSettings::valueText(const QVariant &value)
{
    switch (value.type()) {
    case QVariant::Bool:
        return value.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    case QVariant::ByteArray:
        return QString::fromLatin1(value.toByteArray().toHex());
    default:
        return value.toString();
    }
}

QVariant QDbSettings::valueOf(const QString &text, int type)
{
    switch (type) {
    case QVariant::Bool:
        return text.toLongLong() > 0;
    case QVariant::Int:
    case QVariant::LongLong:
        return text.toLongLong();
    case QVariant::UInt:
    case QVariant::ULongLong:
        return text.toULongLong();
    case QVariant::Double:
        return text.toDouble();
    case QVariant::ByteArray:
        return QByteArray::fromHex(text.toLatin1());
    default:
        return text;
    }
}

bool QDbSettings::setValue(const QString &path, const QVariant &value)
{
    QSqlConnection *connection = hostConnection();
    if (!connection)
        return false;
    const QStringList split = splitPath(path);
    m_group = split.first();
    QSqlRecord record = settingRecord(m_group, split.last());
    record.append(QSqlField(QStringLiteral("value"), QVariant::String));
    record.append(QSqlField(QStringLiteral("type"), QVariant::Int));
    record.setValue(QStringLiteral("value"), valueText(value));
    record.setValue(QStringLiteral("type"), int(value.type()));
    const QString script = connection->getScript(QStringLiteral("USER_ATTR_WRITE"));
    if (script.isEmpty())
        return false;
    QSqlQuery query(connection->db);
    connection->execScript(script, &query, record, false);
    // A statement that never ran leaves no error behind either.
    return query.isActive() && query.lastError().type() == QSqlError::NoError;
}

QVariant QDbSettings::value(const QString &path, const QVariant &defaultValue)
{
    QSqlConnection *connection = hostConnection();
    if (!connection)
        return defaultValue;
    const QStringList split = splitPath(path);
    m_group = split.first();
    const QString script = connection->getScript(QStringLiteral("USER_ATTR_READ"));
    if (script.isEmpty())
        return defaultValue;
    QSqlQuery query(connection->db);
    connection->execScript(script, &query, settingRecord(m_group, split.last()), false);
    if (!query.isSelect() || !query.first() || query.isNull(0))
        return defaultValue;
    const QString text = query.value(0).toString();
    return text.isEmpty() ? defaultValue : valueOf(text, query.value(1).toInt());
}

void QDbSettings::saveTableHeader(const QString &path, QDataTable *table)
{
    QTableView *view = table ? table->getView() : nullptr;
    if (path.isEmpty() || !view)
        return;
    QJsonArray layout;
    for (int i = 0; i < table->columns().size(); ++i) {
        const colInfo &column = table->columns().at(i);
        layout.append(QJsonObject{{QStringLiteral("name"), column.fieldName},
                                  {QStringLiteral("visible"), column.visible},
                                  {QStringLiteral("width"), view->columnWidth(i)},
                                  {QStringLiteral("index"), view->horizontalHeader()->visualIndex(i)}});
    }
    setValue(path, binaryJson(layout));
}

void QDbSettings::restoreTableHeader(const QString &path, QDataTable *table)
{
    QTableView *view = table ? table->getView() : nullptr;
    if (path.isEmpty() || !view)
        return;
    const QJsonArray layout = jsonOfBinary(value(path, QString()).toByteArray());
    if (layout.size() != table->columns().size())
        return;
    const QByteArray before = view->horizontalHeader()->saveState();
    if (!applyLayout(layout, table))
        view->horizontalHeader()->restoreState(before);
}

// Widths first, column by column, then the order; false at the first column
// that no longer fits the layout.
bool QDbSettings::applyLayout(const QJsonArray &layout, QDataTable *table)
{
    QTableView *view = table->getView();
    QVector<int> columnAt(layout.size(), 0);
    for (int i = 0; i < layout.size(); ++i) {
        const QJsonObject entry = layout.at(i).toObject();
        const colInfo &column = table->columns().at(i);
        if (entry.value(QStringLiteral("name")).toString() != column.fieldName
                || entry.value(QStringLiteral("visible")).toBool() != column.visible)
            return false;
        view->setColumnWidth(i, entry.value(QStringLiteral("width")).toInt());
        const int index = entry.value(QStringLiteral("index")).toInt();
        if (index >= 0 && index < columnAt.size())
            columnAt[index] = i;
    }
    QHeaderView *header = view->horizontalHeader();
    for (int visual = 0; visual < columnAt.size(); ++visual) {
        const int current = header->visualIndex(columnAt.at(visual));
        if (current != visual)
            header->moveSection(current, visual);
    }
    return true;
}
