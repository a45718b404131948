#include "hostcontract.h"
#include "messagecatcher.h"
#include "qdataeditor.h"
#include "qdataset.h"
#include "qdatatable.h"
#include "testdatabases.h"
#include "attributedialog.h"
#include "varkolincontent.h"
#include "varkolineditor.h"
#include "varkolinview.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTreeWidget>
#include <QtTest>

#include <functional>

// The unit editor inside the module's content, on a real database of each
// back end: buttons, dialogs, the storage mark, Apply and Cancel, and the
// road of one edit from the list to the database and back.
class tst_Editor : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void setsButtonsByTabAndUnit_data() { TestDatabases::addBackendRows(); }
    void setsButtonsByTabAndUnit();
    void editsWorkplacesAndProducts_data() { TestDatabases::addBackendRows(); }
    void editsWorkplacesAndProducts();
    void movesTheStorageMark_data() { TestDatabases::addBackendRows(); }
    void movesTheStorageMark();
    void cancelsAndKeepsWorkWhenApplyFails_data() { TestDatabases::addBackendRows(); }
    void cancelsAndKeepsWorkWhenApplyFails();
    void asksBeforeLeavingChanges_data() { TestDatabases::addBackendRows(); }
    void asksBeforeLeavingChanges();
    void warnsWhenNothingIsLeft();
    void followsTheRoadOfOneEdit_data() { TestDatabases::addBackendRows(); }
    void followsTheRoadOfOneEdit();
    void offersProductsInProductMode();
    void movesWorkplaces();

private:
    bool start(const QString &backend);
    int selectUnit(const QString &name);
    qlonglong unitId(const QString &name);
    int count(const QString &sql);
    void withDialog(const std::function<void()> &trigger, const std::function<void(QDialog *)> &hands,
                    const std::function<bool(QDialog *)> &ready = nullptr);
    bool applyEnabled() const { return m_panel->bButtons->button(QDialogButtonBox::Ok)->isEnabled(); }
    void apply() { m_panel->bButtons->button(QDialogButtonBox::Ok)->click(); }

    QWidget *m_host = nullptr;
    TestConnection *m_connection = nullptr;
    VarkolinContent *m_content = nullptr;
    VarkolinEditor *m_editor = nullptr;
    VarkolinView *m_view = nullptr;
    QDataEditor *m_panel = nullptr;
    QDataTable *m_units = nullptr;
    QDataTable *m_workplaces = nullptr;
    QDataTable *m_products = nullptr;
};

void tst_Editor::init()
{
    m_host = new QWidget;
    m_host->resize(1000, 800);
    m_connection = new TestConnection;
}

void tst_Editor::cleanup()
{
    delete m_host;
    delete m_connection;
    qApp->setProperty("Connection", QVariant());
}

bool tst_Editor::start(const QString &backend)
{
    if (!m_connection->open(backend, true))
        return false;
    qApp->setProperty("Connection", objToVar(&m_connection->connection()));
    m_content = new VarkolinContent(m_host);
    VarkolinContent::setInstance(m_content);
    m_editor = m_content->findChild<VarkolinEditor *>();
    m_view = m_content->findChild<VarkolinView *>();
    m_panel = m_content->findChild<QDataEditor *>();
    m_content->refresh();
    QDataSet *document = m_editor->document();
    m_units = document->getTable(QStringLiteral("t_prod_units"));
    m_workplaces = document->getTable(QStringLiteral("t_prod_workplace"));
    m_products = document->getTable(QStringLiteral("t_prod_product"));
    return m_editor && m_view && m_panel;
}

int tst_Editor::selectUnit(const QString &name)
{
    const int row = m_units->locate(QStringLiteral("c_name"), name);
    m_view->tvContent->setCurrentIndex(m_units->getModel()->index(row, 1));
    return row;
}

qlonglong tst_Editor::unitId(const QString &name)
{
    return m_connection->connection().execScript(
            QStringLiteral("SELECT id FROM t_prod_units WHERE c_name = '%1'").arg(name)).toLongLong();
}

int tst_Editor::count(const QString &sql)
{
    return m_connection->connection().execScript(sql).toInt();
}

void tst_Editor::withDialog(const std::function<void()> &trigger, const std::function<void(QDialog *)> &hands,
                            const std::function<bool(QDialog *)> &ready)
{
    QVERIFY(workModalDialog(trigger, hands, ready));
}

namespace {

// The first unit, inside or outside, that has workplaces.
QString firstUnit(QSqlConnection &c, bool outside)
{
    return c.execScript(QStringLiteral("SELECT c_name FROM t_prod_units WHERE b_is_side = %1 AND id IN "
                                       "(SELECT id_unit FROM t_prod_workplace) ORDER BY id")
                        .arg(outside ? QStringLiteral("TRUE") : QStringLiteral("FALSE"))).toString();
}

void chooseFirst(QDialog *dialog)
{
    auto *combo = dialog->findChild<QComboBox *>(QStringLiteral("comboBox"));
    QCOMPARE(combo->currentIndex(), -1);
    QVERIFY(combo->count() > 0);
    combo->setCurrentIndex(0);
    dialog->findChild<QPushButton *>(QStringLiteral("buttonAccept"))->click();
}

// The first version node of the product tree.
QTreeWidgetItem *firstVersion(QTreeWidgetItem *item)
{
    if (item->data(0, 258).toLongLong() != 0)
        return item;
    for (int i = 0; i < item->childCount(); ++i) {
        if (QTreeWidgetItem *found = firstVersion(item->child(i)))
            return found;
    }
    return nullptr;
}

} // namespace

void tst_Editor::setsButtonsByTabAndUnit()
{
    QFETCH(QString, backend);
    QVERIFY2(start(backend), qPrintable(m_connection->error()));
    QVERIFY(!m_editor->buttonEdit->isEnabled());
    QVERIFY(!m_editor->buttonDelete->isEnabled());
    QVERIFY(m_editor->buttonNew->isEnabled());
    QCOMPARE(m_editor->windowTitle(), QStringLiteral("Form"));
    QCOMPARE(m_panel->lbCaption->text(), QStringLiteral("Form"));

    const QString inside = firstUnit(m_connection->connection(), false);
    selectUnit(inside);
    QCOMPARE(m_panel->lbCaption->text(), inside);
    QVERIFY(!m_content->editFrame->isVisible());
    QVERIFY(m_editor->buttonStorage->isHidden());
    QVERIFY(m_editor->tvWorkplace->isColumnHidden(4));
    QVERIFY(m_editor->buttonMove->isHidden());
    m_editor->tvWorkplace->setCurrentIndex(m_workplaces->getModel()->index(0, 3));
    QVERIFY(m_editor->buttonEdit->isEnabled());
    m_editor->tabWidget->setCurrentIndex(1);
    QCOMPARE(m_editor->buttonEdit->isEnabled(), m_editor->tvProduct->currentIndex().row() >= 0);
    QVERIFY(m_editor->buttonMove->isHidden());

    const QString outside = firstUnit(m_connection->connection(), true);
    selectUnit(outside);
    QVERIFY(m_editor->buttonStorage->isHidden());
    m_editor->tabWidget->setCurrentIndex(0);
    QVERIFY(!m_editor->buttonStorage->isHidden());
    QVERIFY(!m_editor->tvWorkplace->isColumnHidden(4));
    // Loading marks the storage workplace; that is no edit of the user's.
    const int marked = m_workplaces->locate(QStringLiteral("v"), true);
    QVERIFY(marked >= 0);
    QCOMPARE(m_workplaces->getModel()->item(marked, 4)->text(), QString());
    QVERIFY(!applyEnabled());
    QVERIFY(!m_editor->hasUnsavedChanges());
    m_editor->tvWorkplace->setCurrentIndex(m_workplaces->getModel()->index(marked, 3));
    QVERIFY(!m_editor->buttonStorage->isEnabled());

    // Help keys follow the focus and the tab.
    m_view->tvContent->doubleClicked(m_view->tvContent->currentIndex());
    QVERIFY(m_content->editFrame->isVisibleTo(m_content));
    m_host->show();
    m_editor->tabWidget->setCurrentIndex(1);
    m_editor->buttonNew->setFocus();
    QCOMPARE(m_content->helpContext(), QStringLiteral("Varkolin#VarkolinEditor#tabProduct"));
    // No current unit: the panel goes.
    m_view->tvContent->setCurrentIndex(QModelIndex());
    QVERIFY(!m_content->editFrame->isVisible());
}

void tst_Editor::editsWorkplacesAndProducts()
{
    QFETCH(QString, backend);
    QVERIFY2(start(backend), qPrintable(m_connection->error()));
    const QString unit = firstUnit(m_connection->connection(), false);
    const qlonglong id = unitId(unit);
    selectUnit(unit);
    const int workplaces = m_workplaces->rowCount();
    const int freeStorages = count(QStringLiteral(
            "SELECT count(*) FROM dirs.t_storage s WHERE NOT s.b_is_del AND NOT EXISTS "
            "(SELECT 1 FROM t_prod_workplace w WHERE w.id_storage = s.id AND w.id_unit = %1)").arg(id));

    QString added;
    withDialog([this] { m_editor->buttonNew->click(); }, [&](QDialog *dialog) {
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Рабочее место"));
        auto *combo = dialog->findChild<QComboBox *>(QStringLiteral("comboBox"));
        QCOMPARE(combo->count(), freeStorages);
        added = combo->itemText(0);
        chooseFirst(dialog);
    });
    QCOMPARE(m_workplaces->rowCount(), workplaces + 1);
    QCOMPARE(m_workplaces->getViewCurrentRecord().value(QStringLiteral("c_name")).toString(), added);
    QCOMPARE(m_workplaces->getViewCurrentRecord().value(QStringLiteral("id_unit")).toLongLong(), id);
    QVERIFY(applyEnabled());

    // Edit the first old workplace to another storage; delete the second.
    m_editor->tvWorkplace->setCurrentIndex(m_workplaces->getModel()->index(0, 3));
    QString edited;
    withDialog([this] { m_editor->buttonEdit->click(); }, [&](QDialog *dialog) {
        auto *combo = dialog->findChild<QComboBox *>(QStringLiteral("comboBox"));
        edited = combo->itemText(1);
        combo->setCurrentIndex(1);
        dialog->findChild<QPushButton *>(QStringLiteral("buttonAccept"))->click();
    });
    QCOMPARE(m_workplaces->getField(QStringLiteral("c_name"), 0).toString(), edited);
    m_editor->tvWorkplace->setCurrentIndex(m_workplaces->getModel()->index(1, 3));
    const QString doomed = m_workplaces->getField(QStringLiteral("c_name"), 1).toString();
    {
        BoxAnswerer ok(QMessageBox::Ok);
        m_editor->buttonDelete->click();
        QCOMPARE(ok.texts(), QStringList{QStringLiteral("Вы действительно хотите удалить рабочее место\n\"%1\" ?").arg(doomed)});
    }
    QCOMPARE(m_workplaces->getRowState(1), 3);
    QVERIFY(m_workplaces->getModel()->item(1, 3)->font().strikeOut());

    // A product version, chosen in the tree placed over the content.
    m_editor->tabWidget->setCurrentIndex(1);
    const int products = m_products->rowCount();
    QString version;
    withDialog([this] { m_editor->buttonNew->click(); }, [&](QDialog *dialog) {
        // Placed over the content; the platform may nudge the window a little.
        QCOMPARE(dialog->size(), VarkolinContent::bounds().size());
        QVERIFY((dialog->pos() - VarkolinContent::bounds().topLeft()).manhattanLength() <= 4);
        auto *tree = dialog->findChild<QTreeWidget *>(QStringLiteral("trvProducts"));
        QTreeWidgetItem *item = nullptr;
        for (int i = 0; i < tree->topLevelItemCount() && !item; ++i)
            item = firstVersion(tree->topLevelItem(i));
        QVERIFY(item);
        tree->setCurrentItem(item);
        version = item->parent()->text(0) + QLatin1Char(' ') + item->text(0);
        dialog->findChild<QPushButton *>(QStringLiteral("buttonOk"))->click();
    }, [](QDialog *dialog) {
        return dialog->findChild<QTreeWidget *>(QStringLiteral("trvProducts"))->topLevelItemCount() > 0;
    });
    QCOMPARE(m_products->rowCount(), products + 1);
    QCOMPARE(m_products->getViewCurrentRecord().value(QStringLiteral("c_name")).toString(), version);

    apply();
    QVERIFY(!applyEnabled());
    QCOMPARE(count(QStringLiteral("SELECT count(*) FROM t_prod_workplace WHERE id_unit = %1").arg(id)), workplaces);
    QCOMPARE(count(QStringLiteral("SELECT count(*) FROM t_prod_product WHERE id_unit = %1").arg(id)), products + 1);
    QCOMPARE(count(QStringLiteral("SELECT count(*) FROM t_prod_workplace w JOIN dirs.t_storage s ON s.id = w.id_storage "
                                  "WHERE w.id_unit = %1 AND s.c_name = '%2'").arg(id).arg(doomed)), 0);
    // Reloaded from the database: what it shows is what is stored.
    QCOMPARE(m_workplaces->rowCount(), workplaces);
    QCOMPARE(m_products->rowCount(), products + 1);
    QCOMPARE(m_workplaces->pendingUpdates().size() + m_workplaces->pendingInserts().size(), 0);
}

void tst_Editor::movesTheStorageMark()
{
    QFETCH(QString, backend);
    QVERIFY2(start(backend), qPrintable(m_connection->error()));
    const QString unit = firstUnit(m_connection->connection(), true);
    const qlonglong id = unitId(unit);
    selectUnit(unit);
    // Give the unit a second workplace to move the mark to.
    withDialog([this] { m_editor->buttonNew->click(); }, chooseFirst);
    const qlonglong storage = m_workplaces->getViewCurrentRecord().value(QStringLiteral("id_attribute")).toLongLong();
    apply();
    const int row = m_workplaces->locate(QStringLiteral("id_attribute"), storage);
    m_editor->tvWorkplace->setCurrentIndex(m_workplaces->getModel()->index(row, 3));
    QVERIFY(m_editor->buttonStorage->isEnabled());
    m_editor->buttonStorage->click();
    QVERIFY(applyEnabled());
    QVERIFY(!m_editor->buttonStorage->isEnabled());
    QCOMPARE(m_workplaces->locate(QStringLiteral("v"), true), row);
    int marks = 0;
    for (int r = 0; r < m_workplaces->rowCount(); ++r)
        marks += m_workplaces->getField(QStringLiteral("v"), r).toBool();
    QCOMPARE(marks, 1);
    QVERIFY(count(QStringLiteral("SELECT id_storage FROM t_prod_units WHERE id = %1").arg(id)) != storage);
    apply();
    QCOMPARE(count(QStringLiteral("SELECT id_storage FROM t_prod_units WHERE id = %1").arg(id)), storage);
    QCOMPARE(m_workplaces->getField(QStringLiteral("v"), m_workplaces->locate(QStringLiteral("id_attribute"), storage)).toBool(), true);
}

void tst_Editor::cancelsAndKeepsWorkWhenApplyFails()
{
    QFETCH(QString, backend);
    QVERIFY2(start(backend), qPrintable(m_connection->error()));
    const QString unit = firstUnit(m_connection->connection(), false);
    const qlonglong id = unitId(unit);
    selectUnit(unit);
    m_content->findChild<QWidget *>(QStringLiteral("editFrame"))->show();
    const int stored = count(QStringLiteral("SELECT count(*) FROM t_prod_workplace WHERE id_unit = %1").arg(id));

    withDialog([this] { m_editor->buttonNew->click(); }, chooseFirst);
    m_panel->bButtons->button(QDialogButtonBox::Cancel)->click();
    QVERIFY(!m_content->editFrame->isVisible());
    QCOMPARE(m_workplaces->rowCount(), stored);
    QCOMPARE(count(QStringLiteral("SELECT count(*) FROM t_prod_workplace WHERE id_unit = %1").arg(id)), stored);

    // The chosen storage disappears from the database before Apply.
    withDialog([this] { m_editor->buttonNew->click(); }, chooseFirst);
    const qlonglong storage = m_workplaces->getViewCurrentRecord().value(QStringLiteral("id_attribute")).toLongLong();
    QVERIFY(m_connection->connection().batchExec(QStringLiteral("DELETE FROM dirs.t_storage WHERE id = %1").arg(storage)));
    BoxAnswerer answerer;
    apply();
    QCOMPARE(answerer.titles(), QStringList{"Ошибка сохранения"});
    QVERIFY(answerer.texts().value(0).startsWith(QStringLiteral("Изменения не сохранены:\n")));
    QVERIFY(answerer.texts().value(0).size() > QStringLiteral("Изменения не сохранены:\n").size());
    QCOMPARE(m_workplaces->rowCount(), stored + 1);
    QCOMPARE(m_workplaces->pendingInserts().size(), 1);
    QVERIFY(applyEnabled());
    QVERIFY(m_editor->hasUnsavedChanges());
    QCOMPARE(count(QStringLiteral("SELECT count(*) FROM t_prod_workplace WHERE id_unit = %1").arg(id)), stored);
}

// Moving to another unit with unsaved edits asks; No discards, Yes saves.
void tst_Editor::asksBeforeLeavingChanges()
{
    QFETCH(QString, backend);
    QVERIFY2(start(backend), qPrintable(m_connection->error()));
    QSqlConnection &c = m_connection->connection();
    const QString first = firstUnit(c, false);
    const QString outside = firstUnit(c, true);
    const qlonglong id = unitId(first);
    const int stored = count(QStringLiteral("SELECT count(*) FROM t_prod_workplace WHERE id_unit = %1").arg(id));
    {
        // An outside unit's own mark is no edit: leaving it asks nothing.
        BoxAnswerer none;
        selectUnit(outside);
        selectUnit(first);
        QCOMPARE(none.titles(), QStringList());
    }
    withDialog([this] { m_editor->buttonNew->click(); }, chooseFirst);
    {
        BoxAnswerer no(QMessageBox::No);
        selectUnit(outside);
        QCOMPARE(no.titles(), QStringList{"Несохранённые изменения"});
        QCOMPARE(no.texts(), QStringList{QStringLiteral("Сохранить изменения подразделения \"%1\"?").arg(first)});
    }
    QCOMPARE(m_editor->unitId(), unitId(outside));
    QCOMPARE(count(QStringLiteral("SELECT count(*) FROM t_prod_workplace WHERE id_unit = %1").arg(id)), stored);
    QVERIFY(!applyEnabled());

    selectUnit(first);
    withDialog([this] { m_editor->buttonNew->click(); }, chooseFirst);
    {
        BoxAnswerer yes(QMessageBox::Yes);
        selectUnit(outside);
        QCOMPARE(yes.titles(), QStringList{"Несохранённые изменения"});
    }
    QCOMPARE(count(QStringLiteral("SELECT count(*) FROM t_prod_workplace WHERE id_unit = %1").arg(id)), stored + 1);
    QCOMPARE(m_editor->unitId(), unitId(outside));
}

void tst_Editor::warnsWhenNothingIsLeft()
{
    QVERIFY2(start(QStringLiteral("sqlite")), qPrintable(m_connection->error()));
    const QString unit = firstUnit(m_connection->connection(), false);
    const qlonglong id = unitId(unit);
    QVERIFY(m_connection->connection().batchExec(QStringLiteral(
            "INSERT INTO t_prod_workplace (id_unit, id_storage) SELECT %1, s.id FROM dirs.t_storage s "
            "WHERE NOT s.b_is_del AND s.id NOT IN (SELECT id_storage FROM t_prod_workplace WHERE id_unit = %1)").arg(id)));
    selectUnit(unit);
    const int rows = m_workplaces->rowCount();
    BoxAnswerer answerer;
    m_editor->buttonNew->click();
    QCOMPARE(answerer.titles(), QStringList{"Внимание"});
    QCOMPARE(answerer.texts(), QStringList{"Нет не связанных рабочих мест"});
    QCOMPARE(m_workplaces->rowCount(), rows);
    QVERIFY(!applyEnabled());
}

void tst_Editor::movesWorkplaces()
{
    QVERIFY2(start(QStringLiteral("sqlite")), qPrintable(m_connection->error()));
    const QString unit = firstUnit(m_connection->connection(), false);
    selectUnit(unit);
    m_editor->tvWorkplace->setCurrentIndex(m_workplaces->getModel()->index(0, 3));
    qlonglong target = 0;
    withDialog([this] { QMetaObject::invokeMethod(m_editor, "on_buttonMove_clicked"); }, [&](QDialog *dialog) {
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Переместить атрибут"));
        auto *combo = dialog->findChild<QComboBox *>(QStringLiteral("comboBox"));
        QCOMPARE(combo->count(), m_units->rowCount());
        QCOMPARE(combo->currentData().toLongLong(), m_editor->unitId());
        combo->setCurrentIndex(combo->currentIndex() == 0 ? 1 : 0);
        target = combo->currentData().toLongLong();
        dialog->findChild<QPushButton *>(QStringLiteral("buttonAccept"))->click();
    });
    QCOMPARE(m_workplaces->getField(QStringLiteral("id_unit"), 0).toLongLong(), target);
    QCOMPARE(m_workplaces->getRowState(0), 2);
    QVERIFY(applyEnabled());
}

// From a new outside unit to the database and back: create it in the list,
// add a workplace and a product, mark the storage, apply, reload and find it
// all stored; cancel a second change; then a refused Apply keeps the work.
void tst_Editor::followsTheRoadOfOneEdit()
{
    QFETCH(QString, backend);
    QVERIFY2(start(backend), qPrintable(m_connection->error()));
    withDialog([this] { m_view->actNew->trigger(); }, [](QDialog *dialog) {
        dialog->findChild<QLineEdit *>(QStringLiteral("leName"))->setText(QStringLiteral("ООО «Новый подрядчик»"));
        dialog->findChild<QCheckBox *>(QStringLiteral("cbSide"))->setChecked(true);
        dialog->findChild<QPushButton *>(QStringLiteral("buttonAccept"))->click();
    });
    const qlonglong unit = unitId(QStringLiteral("ООО «Новый подрядчик»"));
    QVERIFY(unit > 0);
    QCOMPARE(m_editor->unitId(), unit);
    m_view->tvContent->doubleClicked(m_view->tvContent->currentIndex());

    withDialog([this] { m_editor->buttonNew->click(); }, chooseFirst);
    const qlonglong storage = m_workplaces->getViewCurrentRecord().value(QStringLiteral("id_attribute")).toLongLong();
    m_editor->buttonStorage->click();
    m_editor->tabWidget->setCurrentIndex(1);
    qlonglong version = 0;
    withDialog([this] { m_editor->buttonNew->click(); }, [&](QDialog *dialog) {
        auto *tree = dialog->findChild<QTreeWidget *>(QStringLiteral("trvProducts"));
        QTreeWidgetItem *item = firstVersion(tree->topLevelItem(0));
        QVERIFY(item);
        tree->setCurrentItem(item);
        version = item->data(0, 258).toLongLong();
        dialog->findChild<QPushButton *>(QStringLiteral("buttonOk"))->click();
    }, [](QDialog *dialog) {
        return dialog->findChild<QTreeWidget *>(QStringLiteral("trvProducts"))->topLevelItemCount() > 0;
    });
    QVERIFY(version > 0);
    QVERIFY(applyEnabled());
    apply();

    m_content->refresh();
    selectUnit(QStringLiteral("ООО «Новый подрядчик»"));
    QCOMPARE(count(QStringLiteral("SELECT id_storage FROM t_prod_units WHERE id = %1").arg(unit)), storage);
    QCOMPARE(count(QStringLiteral("SELECT count(*) FROM t_prod_workplace WHERE id_unit = %1 AND id_storage = %2")
                   .arg(unit).arg(storage)), 1);
    QCOMPARE(count(QStringLiteral("SELECT count(*) FROM t_prod_product WHERE id_unit = %1 AND id_version = %2")
                   .arg(unit).arg(version)), 1);
    QCOMPARE(m_workplaces->rowCount(), 1);
    QVERIFY(m_workplaces->getField(QStringLiteral("v"), 0).toBool());
    QCOMPARE(m_products->rowCount(), 1);

    // A second change, cancelled: nothing reaches the database.
    m_content->editFrame->show();
    {
        BoxAnswerer ok(QMessageBox::Ok);
        m_editor->tvProduct->setCurrentIndex(m_products->getModel()->index(0, 3));
        m_editor->buttonDelete->click();
        QCOMPARE(ok.texts(), QStringList{QStringLiteral("Вы действительно хотите удалить продукт\n\"%1\" ?")
                                         .arg(m_products->getField(QStringLiteral("c_name"), 0).toString())});
    }
    m_panel->bButtons->button(QDialogButtonBox::Cancel)->click();
    QCOMPARE(count(QStringLiteral("SELECT count(*) FROM t_prod_product WHERE id_unit = %1").arg(unit)), 1);
    QCOMPARE(m_products->getRowState(0), 0);

    // A refused Apply: another user removes the unit meanwhile.
    m_editor->tabWidget->setCurrentIndex(1);
    qlonglong second = 0;
    withDialog([this] { m_editor->buttonNew->click(); }, [&](QDialog *dialog) {
        auto *tree = dialog->findChild<QTreeWidget *>(QStringLiteral("trvProducts"));
        QTreeWidgetItem *item = firstVersion(tree->topLevelItem(0));
        tree->setCurrentItem(item);
        second = item->data(0, 258).toLongLong();
        dialog->findChild<QPushButton *>(QStringLiteral("buttonOk"))->click();
    }, [](QDialog *dialog) {
        return dialog->findChild<QTreeWidget *>(QStringLiteral("trvProducts"))->topLevelItemCount() > 0;
    });
    QVERIFY(second > 0);
    QVERIFY(m_connection->connection().batchExec(QStringLiteral("DELETE FROM t_prod_units WHERE id = %1").arg(unit)));
    BoxAnswerer answerer;
    apply();
    QCOMPARE(answerer.titles(), QStringList{"Ошибка сохранения"});
    QCOMPARE(m_products->rowCount(), 2);
    QCOMPARE(m_products->pendingInserts().size(), 1);
    QCOMPARE(m_editor->unitId(), unit);
    QVERIFY(applyEnabled());
    QCOMPARE(count(QStringLiteral("SELECT count(*) FROM t_prod_product WHERE id_unit = %1").arg(unit)), 0);
}

// The attribute dialog in product mode lists the versions the unit does not
// make yet, and says so when it makes them all.
void tst_Editor::offersProductsInProductMode()
{
    QVERIFY2(start(QStringLiteral("sqlite")), qPrintable(m_connection->error()));
    const QString unit = firstUnit(m_connection->connection(), false);
    const qlonglong id = unitId(unit);
    QDataTable *freeVersions = m_editor->document()->getTable(QStringLiteral("t_product_free"));
    {
        AttributeDialog dialog(AttributeDialog::ProductMode, freeVersions, id, m_editor);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Продукт"));
        QCOMPARE(dialog.label->text(), QStringLiteral("Выберите продукт"));
        QCOMPARE(dialog.comboBox->currentIndex(), -1);
        QCOMPARE(dialog.comboBox->count(), count(QStringLiteral(
                "SELECT count(*) FROM dirs.t_product_version v WHERE NOT EXISTS "
                "(SELECT 1 FROM t_prod_product p WHERE p.id_version = v.id AND p.id_unit = %1)").arg(id)));
    }
    QVERIFY(m_connection->connection().batchExec(QStringLiteral(
            "INSERT INTO t_prod_product (id_unit, id_version) SELECT %1, v.id FROM dirs.t_product_version v "
            "WHERE v.id NOT IN (SELECT id_version FROM t_prod_product WHERE id_unit = %1)").arg(id)));
    BoxAnswerer answerer;
    AttributeDialog dialog(AttributeDialog::ProductMode, freeVersions, id, m_editor);
    QCOMPARE(answerer.texts(), QStringList{"Данное подразделение выпускает все изделия"});
    QCOMPARE(dialog.exec(), int(QDialog::Rejected));
}

QTEST_MAIN(tst_Editor)
#include "tst_editor.moc"
