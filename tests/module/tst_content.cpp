#include "hostcontract.h"
#include "qdataset.h"
#include "qdatatable.h"
#include "quserinterface.h"
#include "testdatabases.h"

#include <QAction>
#include <QLabel>
#include <QTableView>
#include <QtTest>

extern "C" QWidget *getInterface(QWidget *parent);
extern "C" QList<QAction *> *getToolBarActions();
extern "C" QDataSet *getDocument(QObject *parent);

// The module's content as the host gets it: one widget per library, its
// actions and its refresh.
class tst_Content : public QObject
{
    Q_OBJECT
private slots:
    void noActionsBeforeTheContent();
    void givesOneContent();
    void refreshesAndCounts_data() { TestDatabases::addBackendRows(); }
    void refreshesAndCounts();

private:
    QWidget m_host;
    QWidget m_other;
};

void tst_Content::noActionsBeforeTheContent()
{
    QCOMPARE(getToolBarActions()->size(), 0);
}

void tst_Content::givesOneContent()
{
    QWidget *content = getInterface(&m_host);
    QVERIFY(content);
    QCOMPARE(getInterface(&m_other), content);
    QCOMPARE(content->parentWidget(), &m_host);
    QCOMPARE(content->windowTitle(), QStringLiteral("Справочник участков производства"));
    QCOMPARE(content->findChild<QLabel *>(QStringLiteral("lbCaption"))->text(), content->windowTitle());
    QStringList names;
    for (const QAction *action : *getToolBarActions())
        names << action->objectName();
    QCOMPARE(names, QStringList({"actNew", "actEdit", "actDel"}));
    QCOMPARE(getDocument(nullptr)->parent(), content);
}

void tst_Content::refreshesAndCounts()
{
    QFETCH(QString, backend);
    TestConnection tc;
    OPEN_TEST_CONNECTION(tc, backend, true);
    QWidget *content = getInterface(&m_host);
    QDataTable *units = getDocument(nullptr)->getTable(QStringLiteral("t_prod_units"));
    // The set was built before this connection existed.
    units->setConnection(&tc.connection());
    getDocument(nullptr)->getTable(QStringLiteral("t_division"))->setConnection(&tc.connection());
    getDocument(nullptr)->getTable(QStringLiteral("t_division"))->close();
    QVERIFY(!content->property("blockAutoRefresh").toBool());
    QVERIFY(QMetaObject::invokeMethod(content, "refresh"));
    QCOMPARE(content->property("blockAutoRefresh"), QVariant(true));
    QCOMPARE(units->rowCount(), 8);
    QCOMPARE(content->findChild<QLabel *>(QStringLiteral("Status"))->text(), QStringLiteral("Всего подразделений: 8"));

    auto *frame = qobject_cast<QUserInterface *>(content);
    QVERIFY(frame);
    QCOMPARE(frame->helpContext(), QStringLiteral("Varkolin"));
    m_host.show();
    QVERIFY(QTest::qWaitForWindowActive(&m_host));
    content->findChild<QTableView *>(QStringLiteral("tvContent"))->setFocus();
    QCOMPARE(frame->helpContext(), QStringLiteral("Varkolin#tvVarkolin"));
    units->setConnection(nullptr);
}

QTEST_MAIN(tst_Content)
#include "tst_content.moc"
