#include "trimB_helpers.h"

void openWithRows(QDataTable *table, const QList<QVariantList> &rows)
{
    table->open();
    for (const QVariantList &values : rows) {
        QSqlRecord record = table->newRow(false);
        for (int i = 0; i < values.size(); ++i)
            record.setValue(i, values.at(i));
        table->setRow(table->lastRow(), record, true);
        table->setRowState(table->lastRow(), RowUnchanged);
    }
}
