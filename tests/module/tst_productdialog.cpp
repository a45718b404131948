#include "hostcontract.h"
#include "messagecatcher.h"
#include "productdialog.h"
#include "qdataset.h"
#include "testdatabases.h"

#include <QPushButton>
#include <QSqlQuery>
#include <QTreeWidget>
#include <QtTest>

extern "C" QDataSet *getDocument(QObject *parent);

// The product choice tree of a unit against the catalogue in a real
// database of each back end.
class tst_ProductDialog : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void showsTheFreeCatalogueOfEachUnit_data() { TestDatabases::addBackendRows(); }
    void showsTheFreeCatalogueOfEachUnit();
    void survivesWhatHappensDuringTheFill_data() { TestDatabases::addBackendRows(); }
    void survivesWhatHappensDuringTheFill();
    void staysEmptyWithoutData();

private:
    bool openDatabase(const QString &backend);
    bool exec(const QString &sql);
    ProductDialog *filledDialog(qint64 unit);
    QStringList databaseOutline(qint64 unit, const QString &type = QString(), const QString &indent = QString());

    QWidget *m_host = nullptr;
    TestConnection *m_connection = nullptr;
    QDataSet *m_document = nullptr;
    BoxAnswerer *m_boxes = nullptr;
};

namespace {

// Qt 5 spells a null number "0": a null must read as nothing.
QString textOf(const QVariant &value)
{
    return value.isNull() ? QString() : value.toString();
}

QTreeWidget *treeOf(QWidget *dialog)
{
    return dialog->findChild<QTreeWidget *>(QStringLiteral("trvProducts"));
}

QPushButton *okOf(QWidget *dialog)
{
    return dialog->findChild<QPushButton *>(QStringLiteral("buttonOk"));
}

// One line per node, indented by depth: its kind, text and carried ids.
void outline(const QTreeWidgetItem *node, int depth, QStringList &lines)
{
    const auto role = [node](int r) { return textOf(node->data(0, r)); };
    QString line(depth * 2, QLatin1Char(' '));
    if (node->data(0, 262).isValid())
        line += QStringLiteral("T %1 #%2").arg(node->text(0), role(262));
    else if (node->data(0, 257).isValid())
        line += QStringLiteral("P %1 #%2 f%3").arg(node->text(0), role(257), role(261));
    else
        line += QStringLiteral("V %1 #%2 i%3").arg(node->text(0), role(258), role(260));
    lines << line;
    for (int i = 0; i < node->childCount(); ++i)
        outline(node->child(i), depth + 1, lines);
}

QStringList treeOutline(QTreeWidget *tree)
{
    QStringList lines;
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        outline(tree->topLevelItem(i), 0, lines);
    return lines;
}

QTreeWidgetItem *findNode(QTreeWidget *tree, int role, qint64 id)
{
    for (QTreeWidgetItemIterator it(tree); *it; ++it) {
        if ((*it)->data(0, role).isValid() && (*it)->data(0, role).toLongLong() == id)
            return *it;
    }
    return nullptr;
}

} // namespace

void tst_ProductDialog::init()
{
    m_host = new QWidget;
    m_connection = new TestConnection;
}

void tst_ProductDialog::cleanup()
{
    // The data set goes with its parent: the next test gets a new one.
    delete m_host;
    delete m_connection;
    qApp->setProperty("Connection", QVariant());
    const QStringList boxes = m_boxes ? m_boxes->titles() + m_boxes->texts() : QStringList();
    delete m_boxes;
    m_boxes = nullptr;
    QCOMPARE(boxes, QStringList());
}

// The demo data, and beside it a top-level type numbered 0 (which a search
// may confuse with "no parent") and names that look like placeholders.
bool tst_ProductDialog::openDatabase(const QString &backend)
{
    if (!m_connection->open(backend, true))
        return false;
    qApp->setProperty("Connection", objToVar(&m_connection->connection()));
    // A table that fails to load says so in a box: none may hang a test.
    m_boxes = new BoxAnswerer;
    m_document = getDocument(m_host);
    return exec("INSERT INTO dirs.t_item_type (id, id_parent, c_name) VALUES (0, NULL, 'Нулевой')")
            && exec("INSERT INTO dirs.t_types_for_products (id) VALUES (0)")
            && exec("INSERT INTO dirs.t_product (id, id_type, c_name, b_virtual) VALUES "
                    "(900, 0, 'Z', FALSE), (901, 4, 'A 5%1', TRUE)")
            && exec("INSERT INTO dirs.t_product_version (id, id_product, c_name, c_part_num) VALUES "
                    "(901, 901, 'B', 'P-1'), (902, 901, 'исп. %2', '%1')");
}

bool tst_ProductDialog::exec(const QString &sql)
{
    QSqlQuery query(m_connection->connection().db);
    return query.exec(sql);
}

ProductDialog *tst_ProductDialog::filledDialog(qint64 unit)
{
    auto *dialog = new ProductDialog(m_document, unit, m_host);
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
    QSqlQuery q(m_connection->connection().db);
    const auto text = [&q](int field) { return textOf(q.value(field)); };
    q.exec(type.isEmpty() ? "SELECT id, c_name FROM dirs.t_item_type WHERE id_parent IS NULL "
                            "AND id IN (SELECT id FROM dirs.t_types_for_products) ORDER BY id"
                          : "SELECT id, c_name FROM dirs.t_item_type WHERE id_parent = " + type + " ORDER BY id");
    while (q.next())
        lines << indent + "T " + text(1) + " #" + text(0) << databaseOutline(unit, text(0), indent + "  ");
    if (type.isEmpty())
        return lines;
    q.exec("SELECT id, c_name, id_item_family FROM dirs.t_product WHERE id_type = " + type + " ORDER BY id");
    while (q.next()) {
        lines << indent + "P " + text(1) + " #" + text(0) + " f" + text(2);
        QSqlQuery v(m_connection->connection().db);
        v.exec(QStringLiteral("SELECT id, c_name, c_part_num, id_item FROM dirs.t_product_version "
                              "WHERE id_product = %1 AND id NOT IN "
                              "(SELECT id_version FROM t_prod_product WHERE id_unit = %2) ORDER BY id")
               .arg(text(0)).arg(unit));
        while (v.next())
            lines << indent + "  V " + v.value(1).toString() + " (" + v.value(2).toString() + ") #"
                            + v.value(0).toString() + " i" + textOf(v.value(3));
    }
    return lines;
}

// Each dialog loads the free versions of its own unit, and only a version
// can be chosen.
void tst_ProductDialog::showsTheFreeCatalogueOfEachUnit()
{
    QFETCH(QString, backend);
    QVERIFY2(openDatabase(backend), qPrintable(m_connection->error()));
    ProductDialog *dialog = nullptr;
    // Unit 1 last: its dialog stays for the choice.
    for (const qint64 unit : {3, 7, 999, 1}) {
        delete dialog;
        dialog = filledDialog(unit);
        QTreeWidget *tree = treeOf(dialog);
        QCOMPARE(treeOutline(tree), databaseOutline(unit));
        // Type 3 is not listed: it goes with its sub-types; unlisted sub-types of listed ones stay.
        QVERIFY(!findNode(tree, 262, 3) && !findNode(tree, 262, 9) && !findNode(tree, 262, 16));
        QVERIFY(findNode(tree, 262, 4) && findNode(tree, 262, 15));
        // Unit 1 makes versions 1 and 2 of product 1, which stays with its third.
        QCOMPARE(findNode(tree, 257, 1)->childCount(), unit == 1 ? 1 : 3);
    }
    QTreeWidget *tree = treeOf(dialog);
    QVERIFY(!okOf(dialog)->isEnabled());
    // Role 0: no current node, after a version was current.
    const struct
    {
        int role;
        qint64 id;
        qint64 version;
        QString name;
    } cases[] = {
        {262, 11, 0, QString()},
        {257, 1, 0, QString()},
        {258, 3, 3, "Насос центробежный КМ 50-32-125 исп. 03 (НЦ-101-03)"},
        {262, 0, 0, QString()},
        {258, 901, 901, "A 5%1 B (P-1)"},
        {257, 901, 0, QString()},
        {258, 902, 902, "A 5%1 исп. %2 (%1)"},
        {0, 0, 0, QString()},
    };
    for (const auto &c : cases) {
        tree->setCurrentItem(c.role ? findNode(tree, c.role, c.id) : nullptr);
        QVERIFY(!c.role || tree->currentItem());
        QCOMPARE(okOf(dialog)->isEnabled(), c.version != 0);
        QCOMPARE(dialog->getCurrentVersion(), c.version);
        QCOMPARE(dialog->getCurrentVersionName(), c.name);
    }
    dialog->setWindowTitle("x");
    QEvent change(QEvent::LanguageChange);
    QCoreApplication::sendEvent(dialog, &change);
    QCOMPARE(dialog->windowTitle(), QStringLiteral("Изделия"));
}

void tst_ProductDialog::survivesWhatHappensDuringTheFill()
{
    QFETCH(QString, backend);
    QVERIFY2(openDatabase(backend), qPrintable(m_connection->error()));
    QPointer<ProductDialog> dialog = filledDialog(2);

    // A refresh asked for from inside a pause takes over; the first one
    // must not add its half-built branches after it.
    QTimer::singleShot(0, dialog, &ProductDialog::refresh);
    dialog->refresh();
    QCOMPARE(treeOutline(treeOf(dialog)), databaseOutline(2));

    // Every refresh reads the catalogue again.
    QVERIFY(exec("INSERT INTO dirs.t_product (id, id_type, c_name, b_virtual) VALUES (902, 13, 'New', FALSE)"));
    dialog->refresh();
    QVERIFY(findNode(treeOf(dialog), 257, 902));

    // The dialog may go while the tree fills: the fill must end quietly.
    QTimer::singleShot(0, [&dialog] { delete dialog; });
    dialog->refresh();
    QVERIFY(dialog.isNull());
}

void tst_ProductDialog::staysEmptyWithoutData()
{
    QDataSet empty;
    for (QDataSet *document : {static_cast<QDataSet *>(nullptr), &empty}) {
        ProductDialog dialog(document, 1);
        dialog.refresh();
        QCOMPARE(treeOf(&dialog)->topLevelItemCount(), 0);
        QCOMPARE(dialog.getCurrentVersion(), qint64(0));
        QVERIFY(!okOf(&dialog)->isEnabled());
    }
}

QTEST_MAIN(tst_ProductDialog)
#include "tst_productdialog.moc"
