#include "pendinglist.h"

#include <QtTest>

class tst_PendingList : public QObject
{
    Q_OBJECT
private slots:
    void keepsFirstOrderWithoutDuplicates();
};

// The commit runs rows in the order they first became pending; a row that
// is added again keeps its place, one removed and added again goes last.
void tst_PendingList::keepsFirstOrderWithoutDuplicates()
{
    PendingList list;
    for (qlonglong id : {30, 10, 20, 10, 30})
        list.add(id);
    QCOMPARE(list.toList(), QList<qlonglong>({30, 10, 20}));
    list.remove(10);
    list.remove(99);
    list.add(10);
    QCOMPARE(list.toList(), QList<qlonglong>({30, 20, 10}));
    QVERIFY(list.contains(20));
    QCOMPARE(list.size(), 3);
    list.clear();
    QVERIFY(list.isEmpty());
    list.add(5);
    QCOMPARE(list.toList(), QList<qlonglong>({5}));
}

QTEST_GUILESS_MAIN(tst_PendingList)
#include "tst_pendinglist.moc"
