#pragma once

#include "varkolin_export.h"

#include <QIcon>
#include <QList>
#include <QString>
#include <QVariant>

// Description of one column of a data table.
struct VARKOLIN_EXPORT colInfo
{
    QString fieldName;      // database field name, matched case-sensitively
    QString label;          // header caption
    QString toolTip;        // header tool tip; the label when empty
    int dataType = 0;       // a QVariant::Type
    QVariant defValue;      // value of the field in a new row
    int width = 100;        // column width in the view, pixels
    bool visible = false;   // shown in the view
    int flags = 0;          // column flag bits
    int autoInc = 0;        // auto-increment step; 0 = none
    QIcon *headerIcon = nullptr; // not owned
};

// The columns of a table, in model column order.
class VARKOLIN_EXPORT infoList : public QList<colInfo>
{
public:
    // True when some column's fieldName equals name exactly.
    bool contains(const QString &name) const
    {
        for (const colInfo &column : *this) {
            if (column.fieldName == name)
                return true;
        }
        return false;
    }
};
