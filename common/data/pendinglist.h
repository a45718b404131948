#pragma once

#include <QHash>
#include <QList>
#include <QVector>

// Row identities waiting for a commit pass: kept in the order they were
// first added, each at most once. Adding, removing and asking are cheap, so
// committing many rows stays linear: a commit removes every row it writes.
class PendingList
{
public:
    // Appends the identity unless it is already there.
    void add(qlonglong id)
    {
        if (m_position.contains(id))
            return;
        m_position.insert(id, m_order.size());
        m_order.append({id, true});
    }
    // A removed identity leaves a gap in the order, closed up once the gaps
    // outnumber the identities.
    void remove(qlonglong id)
    {
        const auto it = m_position.find(id);
        if (it == m_position.end())
            return;
        m_order[it.value()].live = false;
        m_position.erase(it);
        if (m_order.size() > 32 && m_position.size() < m_order.size() / 2)
            closeGaps();
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
    QList<qlonglong> toList() const
    {
        QList<qlonglong> ids;
        ids.reserve(m_position.size());
        for (const Entry &entry : m_order) {
            if (entry.live)
                ids.append(entry.id);
        }
        return ids;
    }

private:
    struct Entry
    {
        qlonglong id;
        bool live;
    };

    void closeGaps()
    {
        int kept = 0;
        for (int i = 0; i < m_order.size(); ++i) {
            const Entry entry = m_order.at(i);
            if (!entry.live)
                continue;
            m_position[entry.id] = kept;
            m_order[kept++] = entry;
        }
        m_order.resize(kept);
    }

    // Where each identity sits in the order.
    QHash<qlonglong, int> m_position;
    QVector<Entry> m_order;
};
