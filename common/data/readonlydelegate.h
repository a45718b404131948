#pragma once

#include "varkolin_export.h"

#include <QItemDelegate>

// Lets the user open a cell's editor to select and copy its text, never to change it.
class VARKOLIN_EXPORT ReadOnlyDelegate : public QItemDelegate
{
    Q_OBJECT
public:
    using QItemDelegate::QItemDelegate;

    // The usual editor of the cell, made read-only.
    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override;
    // Nothing the editor holds is written back to the model.
    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override;
};
