#pragma once

#include "varkolin_export.h"

#include <QSqlRecord>
#include <QString>
#include <QVariant>

class QComboBox;
class QDataSet;
class QDataTable;

// Reading tables without handling rows: combo boxes, values by id, the
// record of a view's current row.

// Reloads the table and fills the box: an optional first item, then one item
// per row (text field as text, data field as item data).
VARKOLIN_EXPORT void fillComboBox(QComboBox *box, QDataTable *table, const QString &textField,
                                  const QString &dataField, const QString &firstText = QString(),
                                  const QVariant &firstData = QVariant());
// The field of the row whose "id" is the id, opening the table when closed;
// invalid for no table or no such row.
VARKOLIN_EXPORT QVariant getValueById(QDataTable *table, qlonglong id, const QString &field);
VARKOLIN_EXPORT QVariant getValueById(QDataSet *set, const QString &tableName, qlonglong id,
                                      const QString &field);
// The record of the bound view's current row; empty for no table, view or row.
VARKOLIN_EXPORT QSqlRecord getCurrentRecord(QDataTable *table);
