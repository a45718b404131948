#include "modulefixture.h"
#include "productdialog.h"
#include "qdataset.h"

#include <QtTest>

extern "C" QDataSet *getDocument(QObject *parent);

namespace {

QTreeWidget *treeOf(QWidget *dialog)
{
    return child<QTreeWidget>(dialog, "trvProducts");
}

// One line per node below the node, indented by depth: its kind, id, text
// and the id it carries beside.
QStringList outline(const QTreeWidgetItem *node, const QString &indent = QString())
{
    QStringList lines;
    for (int i = 0; i < node->childCount(); ++i) {
        const QTreeWidgetItem *item = node->child(i);
        // Qt 5 spells a null number "0": a null must read as nothing.
        const auto role = [item](int r) { return item->data(0, r).isNull() ? QString() : item->data(0, r).toString(); };
        if (item->data(0, 262).isValid())
            lines << indent + QStringList{"T", role(262), item->text(0)}.join('|');
        else if (item->data(0, 257).isValid())
            lines << indent + QStringList{"P", role(257), item->text(0), role(261)}.join('|');
        else
            lines << indent + QStringList{"V", role(258), item->text(0), role(260)}.join('|');
        lines << outline(item, indent + "  ");
    }
    return lines;
}

} // namespace

// The product choice tree of a unit against the catalogue in a real
// database of each back end.
class tst_ProductDialog : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase_data() { TestDatabases::addBackendRows(); }
    void init() { m_fixture.reset(new ModuleFixture); }
    void cleanup() { m_fixture.reset(); }
    void showsTheFreeCatalogueOfEachUnit();
    void survivesWhatHappensDuringTheFill();

private:
    bool openDatabase();
    ProductDialog *filledDialog(qint64 unit);
    QStringList databaseOutline(qint64 unit, const QString &type = QString(), const QString &indent = QString());

    std::unique_ptr<ModuleFixture> m_fixture;
};

// The demo data, and beside it a top-level type numbered 0 (which a search
// may confuse with "no parent") and names that look like placeholders.
bool tst_ProductDialog::openDatabase()
{
    QFETCH_GLOBAL(QString, backend);
    return m_fixture->open(backend) && m_fixture->connection().batchExec(QStringLiteral(
            "INSERT INTO dirs.t_item_type (id, id_parent, c_name) VALUES (0, NULL, 'Нулевой');"
            "INSERT INTO dirs.t_types_for_products (id) VALUES (0);"
            "INSERT INTO dirs.t_product (id, id_type, c_name, b_virtual) VALUES (900, 0, 'Z', FALSE), "
            "(901, 4, 'A 5%1', TRUE);"
            "INSERT INTO dirs.t_product_version (id, id_product, c_name, c_part_num) VALUES "
            "(901, 901, 'B', 'P-1'), (902, 901, 'исп. %2', '%1');"));
}

ProductDialog *tst_ProductDialog::filledDialog(qint64 unit)
{
    auto *dialog = new ProductDialog(getDocument(m_fixture->host()), unit, m_fixture->host());
    // The tree fills in one go once the dialog's timer fires.
    if (!QTest::qWaitFor([dialog] { return treeOf(dialog)->topLevelItemCount() > 0; }))
        QTest::qWarn("the tree did not fill");
    return dialog;
}

// The branch below a type, or the listed top-level types for none, as the
// catalogue calls for it, read with plain SQL.
QStringList tst_ProductDialog::databaseOutline(qint64 unit, const QString &type, const QString &indent)
{
    QStringList lines;
    const QString types = type.isEmpty() ? "id_parent IS NULL AND id IN (SELECT id FROM dirs.t_types_for_products)"
                                         : "id_parent = " + type;
    for (const QString &row : m_fixture->rows("SELECT 'T', id, c_name FROM dirs.t_item_type WHERE " + types
                                              + " ORDER BY id"))
        lines << indent + row << databaseOutline(unit, row.section('|', 1, 1), indent + "  ");
    for (const QString &row : m_fixture->rows("SELECT 'P', id, c_name, id_item_family FROM dirs.t_product "
                                              "WHERE id_type = " + (type.isEmpty() ? "NULL" : type) + " ORDER BY id")) {
        lines << indent + row;
        for (const QString &version : m_fixture->rows(QStringLiteral(
                 "SELECT 'V', id, c_name || ' (' || COALESCE(c_part_num, '') || ')', id_item "
                 "FROM dirs.t_product_version WHERE id_product = %1 AND id NOT IN "
                 "(SELECT id_version FROM t_prod_product WHERE id_unit = %2) ORDER BY id").arg(row.section('|', 1, 1)).arg(unit)))
            lines << indent + "  " + version;
    }
    return lines;
}

// Each dialog loads the free versions of its own unit, and only a version
// can be chosen.
void tst_ProductDialog::showsTheFreeCatalogueOfEachUnit()
{
    QVERIFY2(openDatabase(), qPrintable(m_fixture->error()));
    std::unique_ptr<ProductDialog> dialog;
    // Unit 1 last: its dialog stays for the choice.
    for (const qint64 unit : {3, 7, 999, 1}) {
        dialog.reset(filledDialog(unit));
        QCOMPARE(outline(treeOf(dialog.get())->invisibleRootItem()), databaseOutline(unit));
    }
    QTreeWidget *tree = treeOf(dialog.get());
    // The version, its name and whether it may be taken, for each node chosen.
    const char *const cases[][2] = {{"Нулевой", "0||"}, {"A 5%1", "0||"}, {"B (P-1)", "901|A 5%1 B (P-1)|ok"},
                                    {"исп. %2 (%1)", "902|A 5%1 исп. %2 (%1)|ok"}, {"", "0||"}};
    for (const auto &c : cases) {
        const QString node = QString::fromUtf8(c[0]);
        tree->setCurrentItem(tree->findItems(node, Qt::MatchExactly | Qt::MatchRecursive).value(0));
        QVERIFY2(tree->currentItem() || node.isEmpty(), c[0]);
        QCOMPARE(QString::number(dialog->getCurrentVersion()) + '|' + dialog->getCurrentVersionName() + '|'
                         + (child<QPushButton>(dialog.get(), "buttonOk")->isEnabled() ? "ok" : ""), QString(c[1]));
    }
}

void tst_ProductDialog::survivesWhatHappensDuringTheFill()
{
    // Without a data set, or with one that lacks the tables, nothing is offered.
    QDataSet empty;
    for (QDataSet *document : {static_cast<QDataSet *>(nullptr), &empty}) {
        ProductDialog bare(document, 1);
        bare.refresh();
        QCOMPARE(treeOf(&bare)->topLevelItemCount() + child<QPushButton>(&bare, "buttonOk")->isEnabled(), 0);
    }
    QVERIFY2(openDatabase(), qPrintable(m_fixture->error()));
    QPointer<ProductDialog> dialog = filledDialog(2);
    // Every refresh reads the catalogue again. One asked for from inside a
    // pause takes over: the first must not add its half-built branches after it.
    QVERIFY(m_fixture->connection().batchExec("INSERT INTO dirs.t_product (id, id_type, c_name, b_virtual) "
                                              "VALUES (902, 13, 'New', FALSE)"));
    QTimer::singleShot(0, dialog, &ProductDialog::refresh);
    dialog->refresh();
    QCOMPARE(outline(treeOf(dialog)->invisibleRootItem()), databaseOutline(2));
    // The dialog may go while the tree fills: the fill must end quietly.
    QTimer::singleShot(0, [&dialog] { delete dialog; });
    dialog->refresh();
    QVERIFY(dialog.isNull());
}

QTEST_MAIN(tst_ProductDialog)
#include "tst_productdialog.moc"
