#include "hostcontract.h"
#include "qdataset.h"
#include "qdatatable.h"
#include "quserinterface.h"
#include "testdatabases.h"
#include "varkolincontent.h"

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
    void placesDialogsOverTheContent();

private:
    QWidget m_host;
    QWidget m_other;
};

void tst_Content::noActionsBeforeTheContent()
{
    QCOMPARE(getToolBarActions()->size(), 0);
    QCOMPARE(VarkolinContent::bounds(), QRect(QPoint(0, 0), QPoint(-1, -1)));
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

    // A host that destroys the content and asks again must find only the new
    // content's actions, none of the freed ones.
    delete content;
    content = getInterface(&m_host);
    QCOMPARE(getToolBarActions()->size(), 3);
    for (const QAction *action : *getToolBarActions())
        QVERIFY(content->isAncestorOf(qobject_cast<QWidget *>(action->parent())));
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

// The module's larger dialogs sit over the content: 20 pixels narrower, as
// high, around the content's centre.
void tst_Content::placesDialogsOverTheContent()
{
    QWidget *content = getInterface(&m_host);
    m_host.resize(700, 500);
    m_host.show();
    content->setGeometry(10, 20, 500, 300);
    const QRect rect = VarkolinContent::bounds();
    QCOMPARE(rect.size(), QSize(480, 300));
    QCOMPARE(rect.topLeft(), content->mapToGlobal(QPoint((10 + 509) / 2, (20 + 319) / 2)) - QPoint(239, 149));
}

QTEST_MAIN(tst_Content)
#include "tst_content.moc"
