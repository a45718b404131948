#include "readonlydelegate.h"

#include <QAbstractSpinBox>
#include <QComboBox>
#include <QLineEdit>

QWidget *ReadOnlyDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                                        const QModelIndex &index) const
{
    QWidget *editor = QItemDelegate::createEditor(parent, option, index);
    if (auto *line = qobject_cast<QLineEdit *>(editor))
        line->setReadOnly(true);
    else if (auto *spin = qobject_cast<QAbstractSpinBox *>(editor))
        spin->setReadOnly(true);
    else if (auto *combo = qobject_cast<QComboBox *>(editor))
        combo->setEnabled(false);
    return editor;
}

void ReadOnlyDelegate::setModelData(QWidget *, QAbstractItemModel *, const QModelIndex &) const
{
}
