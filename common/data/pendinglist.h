#pragma once

#include <QHash>
#include <QList>
#include <QMap>

// Row identities waiting for a commit pass: kept in the order they were
// first added, each at most once. Adding, removing and asking are cheap, so
// committing many rows stays linear.
class PendingList
{
public:
    // Appends the identity unless it is already there.
    void add(qlonglong id)
    {
        if (m_position.contains(id))
            return;
        m_position.insert(id, m_next);
        m_order.insert(m_next++, id);
    }
    void remove(qlonglong id)
    {
        const auto it = m_position.find(id);
        if (it == m_position.end())
            return;
        m_order.remove(it.value());
        m_position.erase(it);
    }
    bool contains(qlonglong id) const { return m_position.contains(id); }
    bool isEmpty() const { return m_position.isEmpty(); }
    int size() const { return m_position.size(); }
    void clear()
    {
        m_position.clear();
        m_order.clear();
    }
    // The identities in the order they were added.
    QList<qlonglong> toList() const { return m_order.values(); }

private:
    QHash<qlonglong, quint64> m_position;
    QMap<quint64, qlonglong> m_order;
    quint64 m_next = 0;
};
