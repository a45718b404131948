#include "datalookup.h"
#include "qdataset.h"
#include "qdatatable.h"

#include <QComboBox>

void fillComboBox(QComboBox *box, QDataTable *table, const QString &textField, const QString &dataField,
                  const QString &firstText, const QVariant &firstData)
{
    if (!box || !table || textField.isEmpty())
        return;
    box->clear();
    table->close();
    table->open(false, false);
    if (!firstText.isEmpty())
        box->insertItem(box->count(), firstText, firstData);
    if (table->getTableState() != TableOpenWithData)
        return;
    for (int row = 0; row < table->rowCount(); ++row) {
        const QSqlRecord record = table->getRecord(row, false);
        box->addItem(record.value(textField).toString(), record.value(dataField));
    }
}

QVariant getValueById(QDataTable *table, qlonglong id, const QString &field)
{
    if (!table)
        return QVariant();
    if (table->getTableState() == TableClosed)
        table->open(false, false);
    const int row = table->locate(QStringLiteral("id"), id);
    return row < 0 ? QVariant() : table->getField(field, row);
}

QVariant getValueById(QDataSet *set, const QString &tableName, qlonglong id, const QString &field)
{
    return set ? getValueById(set->getTable(tableName), id, field) : QVariant();
}

QSqlRecord getCurrentRecord(QDataTable *table)
{
    return table ? table->getViewCurrentRecord() : QSqlRecord();
}
