#include "attributedialog.h"
#include "modulefixture.h"
#include "qdataeditor.h"
#include "qdataset.h"
#include "qdatatable.h"
#include "varkolincontent.h"
#include "varkolineditor.h"
#include "varkolinview.h"

#include <QtTest>

// The unit editor inside the module's content, on a real database of each
// back end: buttons, dialogs, the storage mark, Apply and Cancel, and the
// road of one edit from the list to the database and back.
class tst_Editor : public QObject
{
    Q_OBJECT
private slots:
    void init() { m_fixture.reset(new ModuleFixture); }
    void cleanup() { m_fixture.reset(); }
    void setsButtonsAndMarkByUnit_data() { TestDatabases::addBackendRows(); }
    void setsButtonsAndMarkByUnit();
    void asksBeforeLeavingChanges_data() { TestDatabases::addBackendRows(); }
    void asksBeforeLeavingChanges();
    void warnsWhenNothingIsLeft();
    void followsTheRoadOfOneEdit_data() { TestDatabases::addBackendRows(); }
    void followsTheRoadOfOneEdit();

private:
    bool start(const QString &backend);
    QString firstUnit(bool outside);
    qlonglong unitId(const QString &name) { return sqlValue("SELECT id FROM t_prod_units WHERE c_name = '" + name + "'"); }
    qlonglong sqlValue(const QString &sql) { return m_fixture->rows(sql).value(0).toLongLong(); }
    void selectUnit(const QString &name) { setCurrent(m_view->tvContent, m_units->locate("c_name", name), 1); }
    void setCurrent(QTableView *view, int row, int column = 3) { view->setCurrentIndex(view->model()->index(row, column)); }
    bool applyEnabled() const { return m_panel->bButtons->button(QDialogButtonBox::Ok)->isEnabled(); }
    QStringList apply() { return boxesOf([this] { m_panel->bButtons->button(QDialogButtonBox::Ok)->click(); }); }
    int addWorkplace(int choice = 0);
    qlonglong addProduct();

    std::unique_ptr<ModuleFixture> m_fixture;
    VarkolinContent *m_content = nullptr;
    VarkolinEditor *m_editor = nullptr;
    VarkolinView *m_view = nullptr;
    QDataEditor *m_panel = nullptr;
    QDataTable *m_units = nullptr;
    QDataTable *m_workplaces = nullptr;
    QDataTable *m_products = nullptr;
};

bool tst_Editor::start(const QString &backend)
{
    if (!m_fixture->open(backend))
        return false;
    // A table that fails to load says so in a box: answered, and a failed start.
    const QStringList boxes = boxesOf([this] {
        m_content = new VarkolinContent(m_fixture->host());
        VarkolinContent::setInstance(m_content);
        m_content->refresh();
    });
    m_editor = m_content->findChild<VarkolinEditor *>();
    m_view = m_content->findChild<VarkolinView *>();
    m_panel = m_content->findChild<QDataEditor *>();
    m_units = m_editor->document()->getTable(QStringLiteral("t_prod_units"));
    m_workplaces = m_editor->document()->getTable(QStringLiteral("t_prod_workplace"));
    m_products = m_editor->document()->getTable(QStringLiteral("t_prod_product"));
    return boxes.isEmpty();
}

// The first unit, inside or outside, that has workplaces.
QString tst_Editor::firstUnit(bool outside)
{
    return m_fixture->rows(QStringLiteral("SELECT c_name FROM t_prod_units WHERE b_is_side = %1 AND id IN "
            "(SELECT id_unit FROM t_prod_workplace) ORDER BY id").arg(outside ? "TRUE" : "FALSE")).value(0);
}

// Adds the storage offered at the choice as a workplace; returns how many
// were offered, or -1 without a dialog or when the new row shows another.
int tst_Editor::addWorkplace(int choice)
{
    int offered = -1;
    QString chosen;
    workDialog([this] { m_editor->buttonNew->click(); }, [&](QDialog *dialog) {
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Рабочее место"));
        auto *combo = child<QComboBox>(dialog, "comboBox");
        QCOMPARE(combo->currentIndex(), -1);
        offered = combo->count();
        combo->setCurrentIndex(choice);
        chosen = combo->currentText();
        child<QPushButton>(dialog, "buttonAccept")->click();
    });
    const QString shown = m_workplaces->getViewCurrentRecord().value(QStringLiteral("c_name")).toString();
    return QTest::qCompare(shown, chosen, "shown", "chosen", __FILE__, __LINE__) ? offered : -1;
}

// Adds the first version of the product tree, chosen in the dialog placed
// over the content; returns the version's id, or 0.
qlonglong tst_Editor::addProduct()
{
    m_editor->tabWidget->setCurrentIndex(1);
    qlonglong version = 0;
    QString chosen;
    const auto tree = [](QDialog *dialog) { return child<QTreeWidget>(dialog, "trvProducts"); };
    workDialog([this] { m_editor->buttonNew->click(); }, [&](QDialog *dialog) {
        // The platform may nudge the window a little.
        QCOMPARE(dialog->size(), VarkolinContent::bounds().size());
        QVERIFY((dialog->pos() - VarkolinContent::bounds().topLeft()).manhattanLength() <= 4);
        for (QTreeWidgetItemIterator it(tree(dialog)); *it && !version; ++it) {
            version = (*it)->data(0, 258).toLongLong();
            tree(dialog)->setCurrentItem(*it);
            chosen = (*it)->parent() ? (*it)->parent()->text(0) + QLatin1Char(' ') + (*it)->text(0) : QString();
        }
        child<QPushButton>(dialog, "buttonOk")->click();
    }, [&](QDialog *dialog) { return tree(dialog)->topLevelItemCount() > 0; });
    const QString shown = m_products->getViewCurrentRecord().value(QStringLiteral("c_name")).toString();
    return QTest::qCompare(shown, chosen, "shown", "chosen", __FILE__, __LINE__) ? version : 0;
}

void tst_Editor::setsButtonsAndMarkByUnit()
{
    QFETCH(QString, backend);
    QVERIFY2(start(backend), qPrintable(m_fixture->error()));
    // Nothing here is an edit: leaving a unit must not ask.
    const QStringList boxes = boxesOf([this] {
        QVERIFY(!m_editor->buttonEdit->isEnabled() && !m_editor->buttonDelete->isEnabled());
        selectUnit(firstUnit(false));
        QCOMPARE(m_panel->lbCaption->text(), firstUnit(false));
        // An inside unit has no storage.
        QVERIFY(m_editor->buttonStorage->isHidden() && m_editor->tvWorkplace->isColumnHidden(4));
        setCurrent(m_editor->tvWorkplace, 0);
        QVERIFY(m_editor->buttonEdit->isEnabled() && m_editor->buttonDelete->isEnabled());
        selectUnit(firstUnit(true));
        QVERIFY(!m_editor->buttonStorage->isHidden() && !m_editor->tvWorkplace->isColumnHidden(4));
        // Loading marks the storage workplace with an icon; that is no edit of the user's.
        const int marked = m_workplaces->locate(QStringLiteral("v"), true);
        QVERIFY(marked >= 0 && m_workplaces->getModel()->item(marked, 4)->text().isEmpty());
        QVERIFY(!applyEnabled() && !m_editor->hasUnsavedChanges());
        // Help keys follow the focus and the tab; the panel goes without a current unit.
        m_view->tvContent->doubleClicked(m_view->tvContent->currentIndex());
        m_fixture->host()->show();
        m_editor->tabWidget->setCurrentIndex(1);
        m_editor->buttonNew->setFocus();
        QCOMPARE(m_content->helpContext(), QStringLiteral("Varkolin#VarkolinEditor#tabProduct"));
        m_view->tvContent->setCurrentIndex(QModelIndex());
        QVERIFY(!m_content->editFrame->isVisible());
    });
    QCOMPARE(boxes, QStringList());
}

// Moving to another unit with unsaved edits asks; No discards, Yes saves.
void tst_Editor::asksBeforeLeavingChanges()
{
    QFETCH(QString, backend);
    QVERIFY2(start(backend), qPrintable(m_fixture->error()));
    const QString first = firstUnit(false);
    const QString outside = firstUnit(true);
    const QString stored = "SELECT count(*) FROM t_prod_workplace WHERE id_unit = " + QString::number(unitId(first));
    const QStringList before = m_fixture->rows(stored);
    for (const QMessageBox::StandardButton answer : {QMessageBox::No, QMessageBox::Yes}) {
        selectUnit(first);
        QVERIFY(addWorkplace() > 0);
        QCOMPARE(boxesOf([&] { selectUnit(outside); }, answer),
                 QStringList{"Несохранённые изменения|Сохранить изменения подразделения \"" + first + "\"?"});
        QCOMPARE(m_editor->unitId(), unitId(outside));
        QCOMPARE(m_fixture->rows(stored).value(0).toInt(), before.value(0).toInt() + (answer == QMessageBox::Yes));
        QVERIFY(!applyEnabled());
    }
}

// With nothing left to add, the attribute dialogs warn instead of opening.
void tst_Editor::warnsWhenNothingIsLeft()
{
    QVERIFY2(start(QStringLiteral("sqlite")), qPrintable(m_fixture->error()));
    const QString unit = firstUnit(false);
    QVERIFY(m_fixture->connection().batchExec(QStringLiteral(
            "INSERT INTO t_prod_workplace (id_unit, id_storage) SELECT %1, s.id FROM dirs.t_storage s WHERE NOT s.b_is_del "
            "AND s.id NOT IN (SELECT id_storage FROM t_prod_workplace WHERE id_unit = %1)").arg(unitId(unit))));
    selectUnit(unit);
    const int rows = m_workplaces->rowCount();
    QCOMPARE(boxesOf([this] { m_editor->buttonNew->click(); }), QStringList{"Внимание|Нет не связанных рабочих мест"});
    QCOMPARE(m_workplaces->rowCount(), rows);
    QVERIFY(!applyEnabled());
    QCOMPARE(boxesOf([] { QCOMPARE(AttributeDialog(AttributeDialog::ProductMode, nullptr, 1).exec(), 0); }),
             QStringList{"Внимание|Данное подразделение выпускает все изделия"});
}

// From a new outside unit to the database and back: create it in the list,
// add workplaces and a product, mark the storage and move the mark, apply
// and find it stored; edit, delete, move and cancel; a refused Apply keeps
// the work.
void tst_Editor::followsTheRoadOfOneEdit()
{
    QFETCH(QString, backend);
    QVERIFY2(start(backend), qPrintable(m_fixture->error()));
    const QString name = QStringLiteral("ООО «Новый подрядчик»");
    QCOMPARE(workDialog([this] { m_view->actNew->trigger(); }, [&](QDialog *dialog) {
        child<QLineEdit>(dialog, "leName")->setText(name);
        child<QCheckBox>(dialog, "cbSide")->setChecked(true);
        child<QPushButton>(dialog, "buttonAccept")->click();
    }), QStringList());
    const qlonglong unit = unitId(name);
    QVERIFY(unit > 0 && m_editor->unitId() == unit);
    m_view->tvContent->doubleClicked(m_view->tvContent->currentIndex());
    QVERIFY(m_content->editFrame->isVisibleTo(m_content));
    // The storage mark, given and moved to a second workplace: one row holds it.
    // The list offers every storage the database holds for the new unit.
    const int storages = m_fixture->rows("SELECT count(*) FROM dirs.t_storage WHERE NOT b_is_del").value(0).toInt();
    for (int i = 0; i < 2; ++i) {
        QCOMPARE(addWorkplace(i), storages);
        QVERIFY(m_editor->buttonStorage->isEnabled());
        m_editor->buttonStorage->click();
    }
    QVERIFY(!m_editor->buttonStorage->isEnabled());
    const QString storage = m_workplaces->getViewCurrentRecord().value(QStringLiteral("id_attribute")).toString();
    QCOMPARE(m_workplaces->locate(QStringLiteral("v"), true), m_workplaces->getViewCurrentRow());
    QCOMPARE(m_workplaces->locate(QStringLiteral("v"), false), 1 - m_workplaces->getViewCurrentRow());
    const qlonglong version = addProduct();
    QVERIFY(version > 0);
    QCOMPARE(apply(), QStringList());
    // The unit's storage, its workplaces, the one of them at the storage, its products.
    const QString stored = QStringLiteral(
            "SELECT u.id_storage, (SELECT count(*) FROM t_prod_workplace w WHERE w.id_unit = u.id), "
            "(SELECT count(*) FROM t_prod_workplace w WHERE w.id_unit = u.id AND w.id_storage = u.id_storage), "
            "(SELECT count(*) FROM t_prod_product p WHERE p.id_unit = u.id) FROM t_prod_units u WHERE u.id = %1").arg(unit);
    QCOMPARE(m_fixture->rows(stored), QStringList{storage + "|2|1|1"});
    // Reloaded from the database: what it shows is what is stored.
    QCOMPARE(m_workplaces->rowCount(), 2);
    QCOMPARE(m_workplaces->getField("id_attribute", m_workplaces->locate("v", true)).toString(), storage);
    QCOMPARE(m_products->getField(QStringLiteral("id_attribute"), 0).toLongLong(), version);

    // Edit the first workplace to another storage and delete the second; keep the product.
    m_editor->tabWidget->setCurrentIndex(0);
    setCurrent(m_editor->tvWorkplace, 0);
    qlonglong edited = 0;
    QCOMPARE(workDialog([this] { m_editor->buttonEdit->click(); }, [&](QDialog *dialog) {
        child<QComboBox>(dialog, "comboBox")->setCurrentIndex(0);
        edited = child<QComboBox>(dialog, "comboBox")->currentData().toLongLong();
        child<QPushButton>(dialog, "buttonAccept")->click();
    }), QStringList());
    setCurrent(m_editor->tvWorkplace, 1);
    QCOMPARE(boxesOf([this] { m_editor->buttonDelete->click(); }), QStringList{"Удаление|Вы действительно хотите "
             "удалить рабочее место\n\"" + m_workplaces->getField(QStringLiteral("c_name"), 1).toString() + "\" ?"});
    QVERIFY(m_workplaces->getRowState(1) == 3 && m_workplaces->getModel()->item(1, 3)->font().strikeOut());
    m_editor->tabWidget->setCurrentIndex(1);
    setCurrent(m_editor->tvProduct, 0);
    QCOMPARE(boxesOf([this] { m_editor->buttonDelete->click(); }, QMessageBox::Cancel), QStringList{"Удаление|Вы "
             "действительно хотите удалить продукт\n\"" + m_products->getField("c_name", 0).toString() + "\" ?"});
    QCOMPARE(m_products->getRowState(0), 0);
    QCOMPARE(apply(), QStringList());
    QCOMPARE(sqlValue("SELECT id_storage FROM t_prod_workplace WHERE id_unit = " + QString::number(unit)), edited);
    QCOMPARE(m_products->rowCount() + m_workplaces->rowCount(), 2);

    // Cancel drops a new workplace and hides the panel.
    m_editor->tabWidget->setCurrentIndex(0);
    QVERIFY(addWorkplace() > 0);
    m_panel->bButtons->button(QDialogButtonBox::Cancel)->click();
    QVERIFY(!m_content->editFrame->isVisible());
    QCOMPARE(m_workplaces->rowCount(), 1);

    // A refused Apply: another user removes the unit meanwhile.
    QVERIFY(addProduct() > 0);
    QVERIFY(m_fixture->connection().batchExec("DELETE FROM t_prod_units WHERE id = " + QString::number(unit)));
    const QStringList refused = apply();
    QVERIFY2(refused.size() == 1 && refused[0].startsWith("Ошибка сохранения|Изменения не сохранены:\n")
             && refused[0].size() > 40, qPrintable(refused.join('\n')));
    QVERIFY(m_products->rowCount() == 2 && m_products->pendingInserts().size() == 1);
    QVERIFY(m_editor->unitId() == unit && applyEnabled() && m_editor->hasUnsavedChanges());
    QCOMPARE(sqlValue("SELECT count(*) FROM t_prod_product WHERE id_unit = " + QString::number(unit)), 0);
}

QTEST_MAIN(tst_Editor)
#include "tst_editor.moc"
