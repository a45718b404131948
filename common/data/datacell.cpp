#include "datacell.h"
#include "tabletypes.h"

namespace {

const cellData &defaultLook()
{
    static const cellData look;
    return look;
}

} // namespace

// A cell that holds its value, or holds nothing yet, keeps the new one
// itself. Otherwise an item takes a value equal to the one it holds as no
// change, and a null text equals an empty one: a change of nullness clears
// the value first.
void DataCell::setLoadedValue(const QVariant &value)
{
    const QVariant held = m_valueHeld ? QVariant() : QStandardItem::data(CurrentValueRole);
    if (!held.isValid()) {
        m_value = value;
        m_valueHeld = true;
        m_originalIsValue = false;
        return;
    }
    // The server mostly sends back what the cell holds: the value then only
    // becomes the original too. QStandardItem would find it unchanged the
    // same way, after allocating the list of roles it would have announced;
    // a null is told from a false or 0, which Qt 5 finds equal to it.
    if (held.userType() == value.userType() && held.isNull() == value.isNull() && held == value) {
        m_originalIsValue = true;
        return;
    }
    if (held.isNull() != value.isNull())
        QStandardItem::setData(QVariant(), CurrentValueRole);
    QStandardItem::setData(value, CurrentValueRole);
    m_originalIsValue = true;
}

QVariant DataCell::currentValue() const
{
    return m_valueHeld ? m_value : QStandardItem::data(CurrentValueRole);
}

void DataCell::releaseValue()
{
    m_valueHeld = false;
    QStandardItem::setData(m_value, CurrentValueRole);
    m_value = QVariant();
    m_originalIsValue = true;
}

void DataCell::setTextFromValue(bool on)
{
    m_textFromValue = on;
    if (on && QStandardItem::data(Qt::DisplayRole).isValid())
        QStandardItem::setData(QVariant(), Qt::DisplayRole);
}

QVariant DataCell::data(int role) const
{
    if (role == Qt::EditRole)
        role = Qt::DisplayRole;
    if (role == CurrentValueRole || (role == OriginalValueRole && (m_valueHeld || m_originalIsValue)))
        return currentValue();
    if (role == Qt::DisplayRole && m_textFromValue)
        return valueText();
    if (m_defaultLook && role == Qt::ForegroundRole)
        return defaultLook().foreground;
    if (m_defaultLook && role == Qt::FontRole)
        return defaultLook().font;
    return QStandardItem::data(role);
}

// Whatever a write may change is stored first as it was answered, so that
// the cell then behaves as an item that held it all along.
void DataCell::setData(const QVariant &value, int role)
{
    if (role == Qt::EditRole)
        role = Qt::DisplayRole;
    if (m_valueHeld && (role == CurrentValueRole || role == OriginalValueRole))
        releaseValue();
    if (m_originalIsValue && (role == CurrentValueRole || role == OriginalValueRole)) {
        m_originalIsValue = false;
        QStandardItem::setData(QStandardItem::data(CurrentValueRole), OriginalValueRole);
    }
    if (m_textFromValue && (role == CurrentValueRole || role == Qt::DisplayRole)) {
        m_textFromValue = false;
        QStandardItem::setData(valueText(), Qt::DisplayRole);
    }
    if (m_defaultLook && (role == Qt::ForegroundRole || role == Qt::FontRole || role == Qt::DecorationRole
                          || role == Qt::BackgroundRole)) {
        m_defaultLook = false;
        QStandardItem::setData(defaultLook().foreground, Qt::ForegroundRole);
        QStandardItem::setData(defaultLook().font, Qt::FontRole);
    }
    QStandardItem::setData(value, role);
}

QString DataCell::valueText() const
{
    const QVariant value = currentValue();
    return value.isNull() ? QString() : value.toString();
}
