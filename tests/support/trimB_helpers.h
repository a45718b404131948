#pragma once

#include "qdatatable.h"

// Opens the table, which has no connection, and gives it the rows as if it
// had loaded them: unchanged, their values the original ones.
void openWithRows(QDataTable *table, const QList<QVariantList> &rows);
