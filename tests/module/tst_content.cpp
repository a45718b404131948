#include "modulefixture.h"
#include "quserinterface.h"
#include "varkolincontent.h"

#include <QtTest>

extern "C" QWidget *getInterface(QWidget *parent);
extern "C" QList<QAction *> *getToolBarActions();

// The module's content as the host gets it: one widget per library, its
// actions, its refresh and the place of its dialogs.
class tst_Content : public QObject
{
    Q_OBJECT
private slots:
    void init() { m_fixture.reset(new ModuleFixture); }
    void cleanup() { m_fixture.reset(); }
    void givesOneContentWithLiveActions();
    void refreshesCountsAndPlacesDialogs_data() { TestDatabases::addBackendRows(); }
    void refreshesCountsAndPlacesDialogs();

private:
    std::unique_ptr<ModuleFixture> m_fixture;
};

// A host that destroys the content and asks again must find the new
// content's three actions, none of the freed ones.
void tst_Content::givesOneContentWithLiveActions()
{
    QWidget other;
    for (int round = 0; round < 2; ++round) {
        QWidget *content = getInterface(m_fixture->host());
        QCOMPARE(getInterface(&other), content);
        QCOMPARE(content->parentWidget(), m_fixture->host());
        QCOMPARE(child<QLabel>(content, "lbCaption")->text(), QStringLiteral("Справочник участков производства"));
        QStringList names;
        for (const QAction *action : *getToolBarActions()) {
            QVERIFY(content->isAncestorOf(qobject_cast<QWidget *>(action->parent())));
            names << action->objectName();
        }
        QCOMPARE(names, QStringList({"actNew", "actEdit", "actDel"}));
        delete content;
    }
    QCOMPARE(getToolBarActions()->size(), 0);
}

void tst_Content::refreshesCountsAndPlacesDialogs()
{
    QFETCH(QString, backend);
    QVERIFY2(m_fixture->open(backend), qPrintable(m_fixture->error()));
    QWidget *content = getInterface(m_fixture->host());
    QCOMPARE(boxesOf([content] { QMetaObject::invokeMethod(content, "refresh"); }), QStringList());
    // The host skips its own refresh when the content has one.
    QCOMPARE(content->property("blockAutoRefresh"), QVariant(true));
    QCOMPARE(child<QLabel>(content, "Status")->text(), QStringLiteral("Всего подразделений: 8"));
    auto *frame = qobject_cast<QUserInterface *>(content);
    QCOMPARE(frame->helpContext(), QStringLiteral("Varkolin"));
    m_fixture->host()->show();
    QVERIFY(QTest::qWaitForWindowActive(m_fixture->host()));
    child<QTableView>(content, "tvContent")->setFocus();
    QCOMPARE(frame->helpContext(), QStringLiteral("Varkolin#tvVarkolin"));
    // The larger dialogs sit over the content: 20 pixels narrower, as high,
    // around the centre of its geometry.
    content->setGeometry(10, 20, 500, 300);
    QCOMPARE(VarkolinContent::bounds(), QRect(content->mapToGlobal(QPoint(259 - 239, 169 - 149)), QSize(480, 300)));
}

QTEST_MAIN(tst_Content)
#include "tst_content.moc"
