#pragma once

// The types and roles of a data table's rows, cells and filters, apart from
// the table itself so that its helpers can use them without knowing it.

#include "varkolin_export.h"

#include <QBrush>
#include <QFont>
#include <QIcon>
#include <QString>
#include <QStringList>

// Row state, under Qt::UserRole + 3 of a row's first item.
typedef int rowState;
enum : rowState { RowUnchanged = 0, RowNew = 1, RowModified = 2, RowDeleted = 3 };
// Lock of a row, under Qt::UserRole + 4 of its first item; only 0 has a meaning.
typedef int lockState;
// Kind of search index of a field; only IndexHash builds one.
typedef int idxType;
enum : idxType { IndexHash = 2 };
// Kind of a filter: 0 keeps the matching rows, anything else hides them.
typedef int filterType;
enum : filterType { FilterKeep = 0, FilterHide = 1 };

// State of a table (getTableState): closed, open with nothing loaded (rows
// are readable only while new), or open with the loaded rows.
enum TableState : int { TableClosed = -2, TableOpenWithoutData = -1, TableOpenWithData = 0 };

// Column flag bits.
enum ColumnFlag {
    ColumnHashIndex = 0x01,
    ColumnTextIndex = 0x02,
    ColumnFixedWidth = 0x04,
    ColumnResizeToContents = 0x10,
    ColumnStretch = 0x40,
};

// Item roles of a table's model.
enum DataRole {
    OriginalValueRole = Qt::UserRole + 1,
    CurrentValueRole = Qt::UserRole + 2,
    RowStateRole = Qt::UserRole + 3,
    LockRole = Qt::UserRole + 4,
};

// How one cell is shown; a getDispInfo listener fills it in.
struct VARKOLIN_EXPORT cellData
{
    QString text;
    QIcon icon;
    QBrush foreground = QBrush(Qt::black, Qt::SolidPattern);
    QBrush background;
    QString toolTip;
    QFont font;
};
typedef cellData QCellData;

// One filter of a column.
struct VARKOLIN_EXPORT filterStruct
{
    filterType type = FilterKeep;
    QStringList values;
};
