#include "messagecatcher.h"
#include "modulefixture.h"
#include "qdatatable.h"
#include "qdoccreator.h"
#include "unitdocuments.h"

#include <QtTest>

extern "C" QWidget *getInterface(QWidget *parent);

// The host's document action on the real module and the demo templates of
// each back end: the unit card shows what the database holds of the unit,
// and "Save to DB" stores it, or says why not and keeps it unsaved.
class tst_UnitDocuments : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase_data() { TestDatabases::addBackendRows(); }
    void makesAndStoresTheUnitCard();
};

void tst_UnitDocuments::makesAndStoresTheUnitCard()
{
    QFETCH_GLOBAL(QString, backend);
    ModuleFixture fixture;
    QVERIFY2(fixture.open(backend), qPrintable(fixture.error()));
    QVERIFY(fixture.connection().login(QStringLiteral("operator"), QStringLiteral("operator")));
    QWidget *content = getInterface(fixture.host());
    QMetaObject::invokeMethod(content, "refresh");
    auto *list = content->findChild<QTableView *>(QStringLiteral("tvContent"));
    list->setCurrentIndex(list->model()->index(content->findChild<QDataTable *>("t_prod_units")->locate("id", 1), 1));
    UnitDocuments documents(content, fixture.host());
    documents.openDocuments();
    auto *creator = fixture.host()->findChild<QDocCreator *>();
    QVERIFY(creator && creator->lvTemplates->isVisible() && creator->lvTemplates->model()->rowCount() == 2);
    const QString html = creator->tbDocument->toPlainText();
    const QStringList expected = fixture.rows(QStringLiteral(
            "SELECT s.c_name FROM t_prod_workplace w JOIN dirs.t_storage s ON s.id = w.id_storage WHERE w.id_unit = 1 "
            "UNION SELECT p.c_name FROM t_prod_product u JOIN dirs.t_product_version v ON v.id = u.id_version "
            "JOIN dirs.t_product p ON p.id = v.id_product WHERE u.id_unit = 1 UNION SELECT c_name FROM t_prod_units "
            "WHERE id = 1 UNION SELECT c_name FROM sys.t_user WHERE c_login = 'operator' UNION SELECT d.c_name "
            "FROM sys.t_division d JOIN t_prod_units u ON u.id_division = d.id WHERE u.id = 1"));
    for (const QString &text : expected)
        QVERIFY2(html.contains(text), qPrintable(text + " not in:\n" + html));

    creator->acSaveToBase->trigger();
    QCOMPARE(fixture.rows(QStringLiteral("SELECT id_source, c_type, c_login FROM sys.t_doc_store")),
             QStringList{"1|PROD_UNIT|operator"});
    QVERIFY(!creator->acSaveToBase->isVisible());
    // A store that fails is told, and the document can be saved again.
    creator->setDocumentSaved(false);
    QVERIFY(fixture.connection().batchExec(QStringLiteral("DROP TABLE sys.t_doc_store")));
    const QStringList boxes = boxesOf([creator] { creator->acSaveToBase->trigger(); });
    QVERIFY2(boxes.size() == 1 && boxes[0].startsWith("Document not saved|The document was not saved:"), qPrintable(boxes.join('\n')));
    QVERIFY(creator->acSaveToBase->isVisible());
}

QTEST_MAIN(tst_UnitDocuments)
#include "tst_unitdocuments.moc"
