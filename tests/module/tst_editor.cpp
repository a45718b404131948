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
    void asksBeforeLeavingChanges_data() { TestDatabases::addBackendRows(); }
    void asksBeforeLeavingChanges();
    void warnsWhenNothingIsLeft();
    void followsTheRoadOfOneEdit_data() { TestDatabases::addBackendRows(); }
    void followsTheRoadOfOneEdit();

private:
    bool start(const QString &backend);
    QString firstUnit(bool outside);
    void selectUnit(const QString &name);
    qlonglong query(const QString &sql) { return m_connection->connection().execScript(sql).toLongLong(); }
    qlonglong unitId(const QString &name) { return query("SELECT id FROM t_prod_units WHERE c_name = '" + name + "'"); }
    bool applyEnabled() const { return m_panel->bButtons->button(QDialogButtonBox::Ok)->isEnabled(); }
    QString apply();
    QStringList work(const std::function<void()> &trigger, const std::function<void(QDialog *)> &hands,
                     const std::function<bool(QDialog *)> &ready = nullptr);
    int addWorkplace(int choice = 0);
    qlonglong addProduct();

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
    // A table that fails to load says so in a box: answered, and a failed start.
    BoxAnswerer answerer;
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
    return m_editor && m_view && m_panel && answerer.titles().isEmpty();
}

// The first unit, inside or outside, that has workplaces.
QString tst_Editor::firstUnit(bool outside)
{
    return m_connection->connection().execScript(QStringLiteral(
            "SELECT c_name FROM t_prod_units WHERE b_is_side = %1 AND id IN "
            "(SELECT id_unit FROM t_prod_workplace) ORDER BY id").arg(outside ? "TRUE" : "FALSE")).toString();
}

void tst_Editor::selectUnit(const QString &name)
{
    m_view->tvContent->setCurrentIndex(m_units->getModel()->index(m_units->locate("c_name", name), 1));
}

// Clicks Apply and answers the box a failed save shows, so that a fault
// fails the test at once; returns the box's title and text, or nothing.
QString tst_Editor::apply()
{
    BoxAnswerer answerer;
    m_panel->bButtons->button(QDialogButtonBox::Ok)->click();
    return answerer.titles().isEmpty() ? QString() : answerer.titles().join('|') + '|' + answerer.texts().join('|');
}

// Works the dialog the trigger opens with the hands and answers any message
// box, so that none can hang the test; returns the boxes' titles and texts,
// after a note when no dialog came up.
QStringList tst_Editor::work(const std::function<void()> &trigger, const std::function<void(QDialog *)> &hands,
                             const std::function<bool(QDialog *)> &ready)
{
    BoxAnswerer answerer;
    const bool worked = workModalDialog(trigger, hands, ready);
    return (worked ? QStringList() : QStringList{"no dialog"}) + answerer.titles() + answerer.texts();
}

// Adds a storage the unit lacks as a workplace, the first offered or the
// chosen one; returns how many were offered, or -1 without a dialog.
int tst_Editor::addWorkplace(int choice)
{
    int offered = -1;
    QString chosen;
    work([this] { m_editor->buttonNew->click(); }, [&](QDialog *dialog) {
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Рабочее место"));
        auto *combo = dialog->findChild<QComboBox *>(QStringLiteral("comboBox"));
        QCOMPARE(combo->currentIndex(), -1);
        offered = combo->count();
        combo->setCurrentIndex(choice);
        chosen = combo->currentText();
        dialog->findChild<QPushButton *>(QStringLiteral("buttonAccept"))->click();
    });
    // The new row shows the storage chosen.
    const QString shown = m_workplaces->getViewCurrentRecord().value(QStringLiteral("c_name")).toString();
    return QTest::qCompare(shown, chosen, "shown", "chosen", __FILE__, __LINE__) ? offered : -1;
}

// Adds the first version of the product tree, chosen in the dialog placed
// over the content; returns the version's id.
qlonglong tst_Editor::addProduct()
{
    m_editor->tabWidget->setCurrentIndex(1);
    qlonglong version = 0;
    QString chosen;
    const auto tree = [](QDialog *dialog) { return dialog->findChild<QTreeWidget *>(QStringLiteral("trvProducts")); };
    work([this] { m_editor->buttonNew->click(); }, [&](QDialog *dialog) {
        // The platform may nudge the window a little.
        QCOMPARE(dialog->size(), VarkolinContent::bounds().size());
        QVERIFY((dialog->pos() - VarkolinContent::bounds().topLeft()).manhattanLength() <= 4);
        for (QTreeWidgetItemIterator it(tree(dialog)); *it && !version; ++it) {
            version = (*it)->data(0, 258).toLongLong();
            tree(dialog)->setCurrentItem(*it);
            chosen = (*it)->parent() ? (*it)->parent()->text(0) + QLatin1Char(' ') + (*it)->text(0) : QString();
        }
        dialog->findChild<QPushButton *>(QStringLiteral("buttonOk"))->click();
    }, [&](QDialog *dialog) { return tree(dialog)->topLevelItemCount() > 0; });
    // The new row shows the product and version chosen.
    const QString shown = m_products->getViewCurrentRecord().value(QStringLiteral("c_name")).toString();
    return QTest::qCompare(shown, chosen, "shown", "chosen", __FILE__, __LINE__) ? version : 0;
}

void tst_Editor::setsButtonsByTabAndUnit()
{
    QFETCH(QString, backend);
    QVERIFY2(start(backend), qPrintable(m_connection->error()));
    // Nothing here is an edit: leaving a unit must not ask.
    BoxAnswerer unasked;
    QVERIFY(!m_editor->buttonEdit->isEnabled() && !m_editor->buttonDelete->isEnabled());
    const QString inside = firstUnit(false);
    selectUnit(inside);
    QCOMPARE(m_panel->lbCaption->text(), inside);
    QVERIFY(!m_content->editFrame->isVisible());
    QVERIFY(m_editor->buttonStorage->isHidden() && m_editor->tvWorkplace->isColumnHidden(4));
    QVERIFY(m_editor->buttonMove->isHidden());
    m_editor->tvWorkplace->setCurrentIndex(m_workplaces->getModel()->index(0, 3));
    QVERIFY(m_editor->buttonEdit->isEnabled() && m_editor->buttonDelete->isEnabled());
    m_editor->tabWidget->setCurrentIndex(1);

    selectUnit(firstUnit(true));
    QVERIFY(m_editor->buttonStorage->isHidden());
    m_editor->tabWidget->setCurrentIndex(0);
    QVERIFY(!m_editor->buttonStorage->isHidden() && !m_editor->tvWorkplace->isColumnHidden(4));
    // Loading marks the storage workplace; that is no edit of the user's.
    const int marked = m_workplaces->locate(QStringLiteral("v"), true);
    QVERIFY(marked >= 0);
    QCOMPARE(m_workplaces->getModel()->item(marked, 4)->text(), QString());
    QVERIFY(!applyEnabled() && !m_editor->hasUnsavedChanges());
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
    QCOMPARE(unasked.titles(), QStringList());
}

void tst_Editor::editsWorkplacesAndProducts()
{
    QFETCH(QString, backend);
    QVERIFY2(start(backend), qPrintable(m_connection->error()));
    const QString unit = firstUnit(false);
    const qlonglong id = unitId(unit);
    const QString stored = QStringLiteral("SELECT count(*) FROM t_prod_workplace WHERE id_unit = %1").arg(id);
    selectUnit(unit);
    const int workplaces = m_workplaces->rowCount();
    const int freeStorages = query(QStringLiteral(
            "SELECT count(*) FROM dirs.t_storage s WHERE NOT s.b_is_del AND NOT EXISTS "
            "(SELECT 1 FROM t_prod_workplace w WHERE w.id_storage = s.id AND w.id_unit = %1)").arg(id));
    QCOMPARE(addWorkplace(), freeStorages);
    QCOMPARE(m_workplaces->rowCount(), workplaces + 1);
    QCOMPARE(m_workplaces->getViewCurrentRecord().value(QStringLiteral("id_unit")).toLongLong(), id);

    // Edit the first old workplace to another storage; delete the second.
    m_editor->tvWorkplace->setCurrentIndex(m_workplaces->getModel()->index(0, 3));
    QString edited;
    QCOMPARE(work([this] { m_editor->buttonEdit->click(); }, [&](QDialog *dialog) {
        auto *combo = dialog->findChild<QComboBox *>(QStringLiteral("comboBox"));
        edited = combo->itemText(1);
        combo->setCurrentIndex(1);
        dialog->findChild<QPushButton *>(QStringLiteral("buttonAccept"))->click();
    }), QStringList());
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
    const int products = m_products->rowCount();
    QVERIFY(addProduct() > 0);
    QCOMPARE(m_products->rowCount(), products + 1);
    QCOMPARE(apply(), QString());
    QVERIFY(!applyEnabled());
    QCOMPARE(query(stored), workplaces);
    QCOMPARE(query(QStringLiteral("SELECT count(*) FROM t_prod_product WHERE id_unit = %1").arg(id)), products + 1);
    QCOMPARE(query(QStringLiteral("SELECT count(*) FROM t_prod_workplace w JOIN dirs.t_storage s ON s.id = w.id_storage "
                                  "WHERE w.id_unit = %1 AND s.c_name = '%2'").arg(id).arg(doomed)), 0);
    // Reloaded from the database: what it shows is what is stored.
    QCOMPARE(m_workplaces->rowCount(), workplaces);
    QCOMPARE(m_products->rowCount(), products + 1);
    QCOMPARE(m_workplaces->pendingUpdates().size() + m_workplaces->pendingInserts().size(), 0);

    // A new workplace and one moved to another unit; Cancel drops both and hides the panel.
    m_editor->tabWidget->setCurrentIndex(0);
    m_content->editFrame->show();
    QVERIFY(addWorkplace() > 0);
    m_editor->tvWorkplace->setCurrentIndex(m_workplaces->getModel()->index(0, 3));
    qlonglong target = 0;
    QCOMPARE(work([this] { QMetaObject::invokeMethod(m_editor, "on_buttonMove_clicked"); }, [&](QDialog *dialog) {
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Переместить атрибут"));
        auto *combo = dialog->findChild<QComboBox *>(QStringLiteral("comboBox"));
        QCOMPARE(combo->count(), m_units->rowCount());
        QCOMPARE(combo->currentData().toLongLong(), id);
        combo->setCurrentIndex(combo->currentIndex() == 0 ? 1 : 0);
        target = combo->currentData().toLongLong();
        dialog->findChild<QPushButton *>(QStringLiteral("buttonAccept"))->click();
    }), QStringList());
    QCOMPARE(m_workplaces->getField(QStringLiteral("id_unit"), 0).toLongLong(), target);
    QCOMPARE(m_workplaces->getRowState(0), 2);
    m_panel->bButtons->button(QDialogButtonBox::Cancel)->click();
    QVERIFY(!m_content->editFrame->isVisible());
    QCOMPARE(m_workplaces->rowCount(), workplaces);
    QCOMPARE(m_workplaces->getField(QStringLiteral("id_unit"), 0).toLongLong(), id);
    QCOMPARE(query(stored), workplaces);
}

// Moving to another unit with unsaved edits asks; No discards, Yes saves.
void tst_Editor::asksBeforeLeavingChanges()
{
    QFETCH(QString, backend);
    QVERIFY2(start(backend), qPrintable(m_connection->error()));
    const QString first = firstUnit(false);
    const QString outside = firstUnit(true);
    const QString stored = QStringLiteral("SELECT count(*) FROM t_prod_workplace WHERE id_unit = %1").arg(unitId(first));
    const int before = query(stored);
    const struct { QMessageBox::StandardButton answer; int stored; } cases[] = {{QMessageBox::No, before}, {QMessageBox::Yes, before + 1}};
    for (const auto &c : cases) {
        selectUnit(first);
        {
            // An outside unit's own mark is no edit: leaving it asks nothing.
            BoxAnswerer none;
            selectUnit(outside);
            selectUnit(first);
            QCOMPARE(none.titles(), QStringList());
        }
        QVERIFY(addWorkplace() > 0);
        BoxAnswerer answerer(c.answer);
        selectUnit(outside);
        QCOMPARE(answerer.titles(), QStringList{"Несохранённые изменения"});
        QCOMPARE(answerer.texts(), QStringList{QStringLiteral("Сохранить изменения подразделения \"%1\"?").arg(first)});
        QCOMPARE(m_editor->unitId(), unitId(outside));
        QCOMPARE(query(stored), c.stored);
        QVERIFY(!applyEnabled());
    }
}

// Workplaces, and products in the attribute dialog's product mode, warn
// when the unit already has them all.
void tst_Editor::warnsWhenNothingIsLeft()
{
    QVERIFY2(start(QStringLiteral("sqlite")), qPrintable(m_connection->error()));
    const QString unit = firstUnit(false);
    const qlonglong id = unitId(unit);
    selectUnit(unit);
    m_editor->tabWidget->setCurrentIndex(1);
    const QString freeVersions = QStringLiteral("SELECT %2 FROM dirs.t_product_version v WHERE NOT EXISTS "
            "(SELECT 1 FROM t_prod_product p WHERE p.id_version = v.id AND p.id_unit = %1)").arg(id);
    QDataTable *free = m_editor->document()->getTable(QStringLiteral("t_product_free"));
    {
        AttributeDialog dialog(AttributeDialog::ProductMode, free, id, m_editor);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Продукт"));
        QCOMPARE(dialog.comboBox->count(), query(freeVersions.arg("count(*)")));
    }
    QVERIFY(m_connection->connection().batchExec(
            QStringLiteral("INSERT INTO t_prod_product (id_unit, id_version) ") + freeVersions.arg(QStringLiteral("%1, v.id").arg(id))));
    QVERIFY(m_connection->connection().batchExec(QStringLiteral(
            "INSERT INTO t_prod_workplace (id_unit, id_storage) SELECT %1, s.id FROM dirs.t_storage s "
            "WHERE NOT s.b_is_del AND s.id NOT IN (SELECT id_storage FROM t_prod_workplace WHERE id_unit = %1)").arg(id)));
    BoxAnswerer answerer;
    AttributeDialog dialog(AttributeDialog::ProductMode, free, id, m_editor);
    QCOMPARE(dialog.exec(), int(QDialog::Rejected));
    // Another unit and back: the editor reads the new workplaces.
    selectUnit(firstUnit(true));
    selectUnit(unit);
    m_editor->tabWidget->setCurrentIndex(0);
    const int rows = m_workplaces->rowCount();
    m_editor->buttonNew->click();
    QCOMPARE(answerer.texts(), QStringList({"Данное подразделение выпускает все изделия", "Нет не связанных рабочих мест"}));
    QCOMPARE(answerer.titles().value(1), QStringLiteral("Внимание"));
    QCOMPARE(m_workplaces->rowCount(), rows);
    QVERIFY(!applyEnabled());
}

// From a new outside unit to the database and back: create it in the list,
// add workplaces and a product, mark the storage and move the mark, apply,
// reload and find it all stored; then a refused Apply keeps the work.
void tst_Editor::followsTheRoadOfOneEdit()
{
    QFETCH(QString, backend);
    QVERIFY2(start(backend), qPrintable(m_connection->error()));
    const QString name = QStringLiteral("ООО «Новый подрядчик»");
    QCOMPARE(work([this] { m_view->actNew->trigger(); }, [&](QDialog *dialog) {
        dialog->findChild<QLineEdit *>(QStringLiteral("leName"))->setText(name);
        dialog->findChild<QCheckBox *>(QStringLiteral("cbSide"))->setChecked(true);
        dialog->findChild<QPushButton *>(QStringLiteral("buttonAccept"))->click();
    }), QStringList());
    const qlonglong unit = unitId(name);
    QVERIFY(unit > 0);
    QCOMPARE(m_editor->unitId(), unit);
    m_view->tvContent->doubleClicked(m_view->tvContent->currentIndex());
    // The storage mark, given and moved to a second workplace: one row holds it.
    for (int i = 0; i < 2; ++i) {
        // The list offers what the database holds, so the second takes another.
        QVERIFY(addWorkplace(i) > i);
        QVERIFY(m_editor->buttonStorage->isEnabled());
        m_editor->buttonStorage->click();
    }
    QVERIFY(!m_editor->buttonStorage->isEnabled());
    const qlonglong storage = m_workplaces->getViewCurrentRecord().value(QStringLiteral("id_attribute")).toLongLong();
    int marks = 0;
    for (int r = 0; r < m_workplaces->rowCount(); ++r)
        marks += m_workplaces->getField(QStringLiteral("v"), r).toBool();
    QCOMPARE(marks, 1);
    const qlonglong version = addProduct();
    QVERIFY(version > 0);
    QCOMPARE(apply(), QString());

    m_content->refresh();
    selectUnit(name);
    QCOMPARE(query(QStringLiteral("SELECT id_storage FROM t_prod_units WHERE id = %1").arg(unit)), storage);
    QCOMPARE(query(QStringLiteral("SELECT count(*) FROM t_prod_workplace WHERE id_unit = %1 AND id_storage = %2")
                   .arg(unit).arg(storage)), 1);
    QCOMPARE(query(QStringLiteral("SELECT count(*) FROM t_prod_product WHERE id_unit = %1 AND id_version = %2")
                   .arg(unit).arg(version)), 1);
    QCOMPARE(m_workplaces->rowCount(), 2);
    QCOMPARE(m_workplaces->getField(QStringLiteral("id_attribute"), m_workplaces->locate(QStringLiteral("v"), true)).toLongLong(), storage);
    QCOMPARE(m_products->rowCount(), 1);
    {
        BoxAnswerer ok(QMessageBox::Cancel);
        m_editor->tvProduct->setCurrentIndex(m_products->getModel()->index(0, 3));
        m_editor->buttonDelete->click();
        QCOMPARE(ok.texts(), QStringList{QStringLiteral("Вы действительно хотите удалить продукт\n\"%1\" ?")
                                         .arg(m_products->getField(QStringLiteral("c_name"), 0).toString())});
    }
    QCOMPARE(m_products->getRowState(0), 0);

    // A refused Apply: another user removes the unit meanwhile.
    QVERIFY(addProduct() > 0);
    QVERIFY(m_connection->connection().batchExec(QStringLiteral("DELETE FROM t_prod_units WHERE id = %1").arg(unit)));
    const QString box = apply();
    const QString failed = QStringLiteral("Ошибка сохранения|Изменения не сохранены:\n");
    QVERIFY2(box.startsWith(failed) && box.size() > failed.size(), qPrintable(box));
    QCOMPARE(m_products->rowCount(), 2);
    QCOMPARE(m_products->pendingInserts().size(), 1);
    QCOMPARE(m_editor->unitId(), unit);
    QVERIFY(applyEnabled());
    QVERIFY(m_editor->hasUnsavedChanges());
    QCOMPARE(query(QStringLiteral("SELECT count(*) FROM t_prod_product WHERE id_unit = %1").arg(unit)), 0);
}

QTEST_MAIN(tst_Editor)
#include "tst_editor.moc"
