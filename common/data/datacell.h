#pragma once

#include <QStandardItem>

// A cell of a data table as loaded: it keeps only its value, in itself
// rather than in the item's list of roles, which would cost an allocation
// a cell. Until someone writes them, its original value is its value, its
// text is the value's text and its look is the default one, all answered
// on demand, so that a loaded table holds one value a cell rather than five
// and loading builds no text a view may never show. Whatever is written is
// kept and answered as by any item. QStandardItemModel::itemData, which
// reads the item's list directly, does not see what the cell answers.
class DataCell : public QStandardItem
{
public:
    DataCell() = default;

    // The loaded (or saved) value, which is also the original value until
    // either is written.
    void setLoadedValue(const QVariant &value);
    // The text is the value's own until a text is written; off, the cell
    // answers the text it holds, if any, until it is on again.
    void setTextFromValue(bool on);
    // Whether the cell answers the default look: no icon, no background,
    // the default foreground and font.
    bool hasDefaultLook() const { return m_defaultLook; }

    QVariant data(int role = Qt::UserRole + 1) const override;
    void setData(const QVariant &value, int role = Qt::UserRole + 1) override;
    QStandardItem *clone() const override { return new DataCell(*this); }

private:
    DataCell(const DataCell &other) = default;
    QString valueText() const;
    QVariant currentValue() const;
    // Hands the held value to the item's list, which takes every write.
    void releaseValue();

    // The loaded value, current and original at once, while m_valueHeld.
    QVariant m_value;
    bool m_valueHeld = false;
    bool m_originalIsValue = false;
    bool m_textFromValue = false;
    bool m_defaultLook = true;
};
