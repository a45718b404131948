#include "attributedialog.h"
#include "hostlanguage.h"
#include "mainwindow.h"
#include "messagecatcher.h"
#include "modulefixture.h"
#include "productdialog.h"
#include "qbubbletip.h"
#include "qdataeditor.h"
#include "qdataset.h"
#include "qdatatable.h"
#include "qdoccreator.h"
#include "unitdocuments.h"
#include "varkolincontent.h"
#include "varkolineditor.h"
#include "varkolinview.h"

#include <QtTest>

extern "C" QWidget *getInterface(QWidget *parent);
extern "C" QList<QAction *> *getToolBarActions();
extern "C" QDataSet *getDocument(QObject *parent);
extern "C" QWidget *getView(QDataSet *document, QWidget *parent);
extern "C" QWidget *getEditor(QDataSet *document, QWidget *parent);

namespace {

// Of the demo data: an inside unit with two workplaces, an outside one with its storage.
const qlonglong insideUnit = 1;
const qlonglong outsideUnit = 7;

void fill(QDialog *dialog, const QString &name)
{
    child<QLineEdit>(dialog, "leName")->setText(name);
    child<QPushButton>(dialog, "buttonAccept")->click();
}

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

// The module's content as the host gets it, on a real database of each back
// end: the units list with its dialog, and the editor of the current unit
// with its buttons, dialogs, storage mark, Apply and Cancel, down to the road
// of one edit from the list to the database and back; and the product choice
// tree of a unit against the catalogue; and the host's documents of a unit.
class tst_Content : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase_data() { TestDatabases::addBackendRows(); }
    void init() { m_fixture.reset(new ModuleFixture); }
    void cleanup() { m_fixture.reset(); }
    void keepsNothingTheHostFrees();
    void createsEditsAndDeletesUnits();
    void showsWhatTheDatabaseHolds();
    void setsButtonsAndMarkByUnit();
    void asksBeforeLeavingChanges();
    void followsTheRoadOfOneEdit();
    void showsTheFreeCatalogueOfEachUnit();
    void findsUnitsFromTheFindPanel();
    void makesAndStoresTheUnitCard();
    void speaksTheLanguageChosen();

private:
    bool start();
    void selectUnit(qlonglong id) { setCurrent(m_view->tvContent, m_units->locate("id", id), 1); }
    void setCurrent(QTableView *view, int row, int col = 3) { view->setCurrentIndex(view->model()->index(row, col)); }
    bool applyEnabled() const { return m_panel->bButtons->button(QDialogButtonBox::Ok)->isEnabled(); }
    QStringList apply() { return boxesOf([this] { m_panel->bButtons->button(QDialogButtonBox::Ok)->click(); }); }
    qlonglong pickStorage(QAbstractButton *button, int choice = 0);
    qlonglong addProduct();
    QString stored(const QString &unit);
    bool openCatalogue();
    QStringList catalogue(qint64 unit, const QString &type = QString(), const QString &indent = QString());

    std::unique_ptr<ModuleFixture> m_fixture;
    VarkolinContent *m_content = nullptr;
    VarkolinEditor *m_editor = nullptr;
    VarkolinView *m_view = nullptr;
    QDataEditor *m_panel = nullptr;
    QDataTable *m_units = nullptr;
    QDataTable *m_workplaces = nullptr;
    QDataTable *m_products = nullptr;
};

// The content of the run's back end with the demo data, refreshed by the host.
bool tst_Content::start()
{
    QFETCH_GLOBAL(QString, backend);
    if (!m_fixture->open(backend))
        return false;
    // A table that fails to load says so in a box: answered, and a failed start.
    const QStringList boxes = boxesOf([this] {
        m_content = static_cast<VarkolinContent *>(getInterface(m_fixture->host()));
        QMetaObject::invokeMethod(m_content, "refresh");
    });
    m_editor = m_content->findChild<VarkolinEditor *>();
    m_view = m_content->findChild<VarkolinView *>();
    m_panel = m_content->findChild<QDataEditor *>();
    m_units = m_editor->document()->getTable(QStringLiteral("t_prod_units"));
    m_workplaces = m_editor->document()->getTable(QStringLiteral("t_prod_workplace"));
    m_products = m_editor->document()->getTable(QStringLiteral("t_prod_product"));
    return boxes.isEmpty();
}

// Works the workplace dialog the button opens and takes the storage offered
// at the choice; returns its id, 0 when no dialog came up or the current row
// does not show the choice.
qlonglong tst_Content::pickStorage(QAbstractButton *button, int choice)
{
    qlonglong id = 0;
    QString chosen;
    const QStringList boxes = workDialog([button] { button->click(); }, [&](QDialog *dialog) {
        auto *combo = child<QComboBox>(dialog, "comboBox");
        QCOMPARE(combo->currentIndex(), -1);
        combo->setCurrentIndex(choice);
        id = combo->currentData().toLongLong();
        chosen = combo->currentText();
        child<QPushButton>(dialog, "buttonAccept")->click();
    });
    const QString shown = m_workplaces->getViewCurrentRecord().value(QStringLiteral("c_name")).toString();
    return boxes.isEmpty() && shown == chosen ? id : 0;
}

// Adds the first version that the product dialog, placed over the content,
// offers; returns its id, 0 when none was added.
qlonglong tst_Content::addProduct()
{
    m_editor->tabWidget->setCurrentIndex(1);
    qlonglong version = 0;
    const QStringList boxes = workDialog([this] { m_editor->buttonNew->click(); }, [&](QDialog *dialog) {
        // The platform may nudge the window a little.
        QCOMPARE(dialog->size(), VarkolinContent::bounds().size());
        QVERIFY((dialog->pos() - VarkolinContent::bounds().topLeft()).manhattanLength() <= 4);
        for (QTreeWidgetItemIterator it(treeOf(dialog)); *it && !version; ++it) {
            treeOf(dialog)->setCurrentItem(*it);
            version = static_cast<ProductDialog *>(dialog)->getCurrentVersion();
        }
        child<QPushButton>(dialog, "buttonOk")->click();
    }, [](QDialog *dialog) { return treeOf(dialog)->topLevelItemCount() > 0; });
    return boxes.isEmpty() && m_products->getViewCurrentRecord().value(QStringLiteral("id_attribute")) == version
            ? version : 0;
}

// What the database holds of the unit: its storage, its workplaces' storages
// and its products' versions.
QString tst_Content::stored(const QString &unit)
{
    const QString of = " WHERE id_unit = " + unit + " ORDER BY id";
    return QStringList{m_fixture->rows("SELECT id_storage FROM t_prod_units WHERE id = " + unit).join(','),
                       m_fixture->rows("SELECT id_storage FROM t_prod_workplace" + of).join(','),
                       m_fixture->rows("SELECT id_version FROM t_prod_product" + of).join(',')}.join('|');
}

// The host finds one content and one data set whoever asks. A host that
// destroys the content and asks again must find the new content's three
// actions, none of the freed ones.
void tst_Content::keepsNothingTheHostFrees()
{
    QWidget other;
    for (int round = 0; round < 2; ++round) {
        QWidget *content = getInterface(m_fixture->host());
        QCOMPARE(getInterface(&other), content);
        QStringList names;
        for (const QAction *action : *getToolBarActions())
            names << action->objectName();
        QCOMPARE(names, QStringList({"actNew", "actEdit", "actDel"}));
        delete content;
    }
    // Qt deletes children in the order they came: the list and the editor go
    // before their tables (the content's order) or after them (a test host's,
    // where the sanitizer run catches a touch of a freed table).
    MessageCatcher quiet; // no connection: the editor's tables do not open
    auto *frame = new QWidget(m_fixture->host());
    QDataSet *document = getDocument(m_fixture->host());
    QCOMPARE(getDocument(frame), document);
    for (QWidget *parent : {frame, m_fixture->host()}) {
        getView(document, parent);
        getEditor(document, parent);
    }
    QDataTable *units = document->getTable(QStringLiteral("t_prod_units"));
    delete frame;
    // The view that went must not unbind the table from the one that took it.
    QVERIFY(units->getView());
}

void tst_Content::createsEditsAndDeletesUnits()
{
    QVERIFY2(start(), qPrintable(m_fixture->error()));
    const QString units = QStringLiteral("SELECT c_name, id_division, CASE WHEN b_is_side THEN 'outside' END, "
                                         "id_storage FROM t_prod_units ORDER BY id");
    const QStringList before = m_fixture->rows(units);
    QString company;
    QCOMPARE(workDialog([this] { m_view->actNew->trigger(); }, [&company](QDialog *dialog) {
        auto *accept = child<QPushButton>(dialog, "buttonAccept");
        auto *division = child<QComboBox>(dialog, "cbDivision");
        // A name of spaces counts as a name; an inside unit needs its company.
        const bool unnamed = accept->isEnabled();
        child<QLineEdit>(dialog, "leName")->setText(QStringLiteral("  "));
        division->setCurrentIndex(-1);
        QVERIFY(!unnamed && !accept->isEnabled());
        division->setCurrentIndex(1);
        company = division->currentData().toString();
        fill(dialog, QStringLiteral("Литейный цех"));
    }), QStringList());
    QCOMPARE(workDialog([this] { m_view->actEdit->trigger(); },
                        [](QDialog *dialog) { fill(dialog, QStringLiteral("Литейный цех № 2")); }), QStringList());
    // Accepted unchanged, the dialog writes nothing: what another user changed meanwhile
    // stays. New units get keys above the demo data's.
    QVERIFY(m_fixture->connection().batchExec("UPDATE t_prod_units SET id_storage = 5 WHERE id > 8"));
    QCOMPARE(workDialog([this] { m_view->actEdit->trigger(); },
                        [](QDialog *dialog) { child<QPushButton>(dialog, "buttonAccept")->click(); }), QStringList());
    QCOMPARE(m_fixture->rows(units), before + QStringList{"Литейный цех № 2|" + company + "||5"});
    // Delete asks first; Cancel keeps the unit. The unit another user changed
    // is not deleted over that change, only once the list is read again.
    for (const int step : {0, 1, 2}) {
        const QStringList boxes = boxesOf([this] { m_view->actDel->trigger(); }, step ? QMessageBox::Ok : QMessageBox::Cancel);
        QCOMPARE(boxes.value(0), QStringLiteral("Удаление|Вы действительно хотите удалить подразделение\n\"Литейный цех № 2\" ?"));
        QVERIFY2(boxes.size() == 1 + (step == 1) && (step != 1 || boxes[1].contains("изменена или удалена другим")), qPrintable(boxes.join('\n')));
        QCOMPARE(m_fixture->rows(units).size(), before.size() + (step < 2));
        if (step == 1) {
            m_content->refresh();
            setCurrent(m_view->tvContent, m_units->locate("c_name", QStringLiteral("Литейный цех № 2")), 1);
        }
    }
}

// Each unit with a mark when outside and its company's name. A change the
// database refuses is said, and the list shows again what the database holds
// instead of a row that only looks saved; a list that failed to load was
// shown empty, as if there were no units.
void tst_Content::showsWhatTheDatabaseHolds()
{
    QVERIFY2(start(), qPrintable(m_fixture->error()));
    QStringList stored = m_fixture->rows(QStringLiteral(
            "SELECT u.c_name, CASE WHEN u.b_is_side THEN '*' ELSE '' END, d.c_name "
            "FROM t_prod_units u LEFT JOIN sys.t_division d ON d.id = u.id_division"));
    // Name, a mark for an outside unit and its company's name, in any order.
    QStringList shown;
    const QStandardItemModel *model = m_units->getModel();
    for (int row = 0; row < model->rowCount(); ++row)
        shown << model->item(row, 1)->text() + '|' + model->item(row, 2)->text()
                         + (model->item(row, 2)->icon().isNull() ? "" : "*") + '|' + model->item(row, 3)->text();
    stored.sort();
    shown.sort();
    QCOMPARE(shown, stored);
    selectUnit(insideUnit);
    // Another user removes the unit meanwhile.
    QVERIFY(m_fixture->connection().batchExec("DELETE FROM t_prod_units WHERE id = " + QString::number(insideUnit)));
    const QStringList saved = workDialog([this] { m_view->actEdit->trigger(); },
                                         [](QDialog *dialog) { fill(dialog, QStringLiteral("Новое имя")); });
    QVERIFY2(saved.size() == 1 && saved[0].startsWith("Ошибка сохранения|Изменения не сохранены:\nЗапись \"Новое имя\" изменена"),
             qPrintable(saved.join('\n')));
    QCOMPARE(m_units->rowCount(), stored.size() - 1);

    QVERIFY(m_fixture->connection().batchExec(QStringLiteral("ALTER TABLE t_prod_units RENAME TO t_gone")));
    const QStringList loaded = boxesOf([this] { m_content->refresh(); });
    // The table and the database's own reason.
    QFETCH_GLOBAL(QString, backend);
    QVERIFY2(loaded.size() == 1 && loaded[0].startsWith("Ошибка загрузки|") && loaded[0].contains("t_prod_units")
             && loaded[0].contains(backend == QLatin1String("sqlite") ? "no such table" : "does not exist"),
             qPrintable(loaded.join('\n')));
    QCOMPARE(m_units->rowCount(), 0);
}

void tst_Content::setsButtonsAndMarkByUnit()
{
    QVERIFY2(start(), qPrintable(m_fixture->error()));
    // The host skips its own refresh when the content has one.
    QCOMPARE(m_content->property("blockAutoRefresh"), QVariant(true));
    QCOMPARE(m_content->Status->text(), QStringLiteral("Всего подразделений: 8"));
    selectUnit(insideUnit);
    // An inside unit has no storage.
    QVERIFY(m_editor->buttonStorage->isHidden() && m_editor->tvWorkplace->isColumnHidden(4));
    selectUnit(outsideUnit);
    QVERIFY(!m_editor->buttonStorage->isHidden() && !m_editor->tvWorkplace->isColumnHidden(4));
    // Loading marks the storage workplace with an icon; that this is no edit
    // of the user's, asksBeforeLeavingChanges finds as it leaves the unit.
    const int marked = m_workplaces->locate(QStringLiteral("v"), true);
    QVERIFY(marked >= 0 && m_workplaces->getModel()->item(marked, 4)->text().isEmpty());
    m_editor->tvWorkplace->setCurrentIndex(QModelIndex());
    QVERIFY(!m_editor->buttonEdit->isEnabled() && !m_editor->buttonDelete->isEnabled());
    // The help key follows the tab; the panel goes without a current unit.
    m_view->tvContent->doubleClicked(m_view->tvContent->currentIndex());
    m_fixture->host()->show();
    m_editor->tabWidget->setCurrentIndex(1);
    m_editor->buttonNew->setFocus();
    QCOMPARE(m_content->helpContext(), QStringLiteral("Varkolin#VarkolinEditor#tabProduct"));
    m_view->tvContent->setCurrentIndex(QModelIndex());
    QVERIFY(!m_content->editFrame->isVisible() && !m_view->actEdit->isEnabled() && !m_view->actDel->isEnabled());
    // The larger dialogs sit over the content: 20 pixels narrower, as high,
    // around the centre of its geometry.
    m_content->setGeometry(10, 20, 500, 300);
    QCOMPARE(VarkolinContent::bounds(), QRect(m_content->mapToGlobal(QPoint(259 - 239, 169 - 149)), QSize(480, 300)));
}

// Moving to another unit with unsaved edits asks; No discards, Yes saves.
void tst_Content::asksBeforeLeavingChanges()
{
    QVERIFY2(start(), qPrintable(m_fixture->error()));
    for (const QMessageBox::StandardButton answer : {QMessageBox::No, QMessageBox::Yes}) {
        selectUnit(insideUnit);
        QVERIFY(pickStorage(m_editor->buttonNew) > 0);
        QCOMPARE(boxesOf([this] { selectUnit(outsideUnit); }, answer), QStringList{"Несохранённые изменения|"
                 "Сохранить изменения подразделения \"Механообрабатывающий цех №1\"?"});
        QCOMPARE(m_editor->unitId(), outsideUnit);
        QCOMPARE(m_fixture->rows("SELECT count(*) FROM t_prod_workplace WHERE id_unit = 1"),
                 QStringList(answer == QMessageBox::Yes ? "3" : "2"));
        QVERIFY(!applyEnabled());
    }
    // A save refused on leaving asks once, says why, and keeps the unit and its work.
    selectUnit(insideUnit);
    QVERIFY(pickStorage(m_editor->buttonNew) > 0);
    QVERIFY(m_workplaces->setField("id_attribute", -5));
    const QStringList boxes = boxesOf([this] { selectUnit(outsideUnit); }, QMessageBox::Yes);
    QVERIFY2(boxes.size() == 2 && boxes.last().startsWith("Ошибка сохранения|"), qPrintable(boxes.join('\n')));
    QVERIFY(m_editor->unitId() == insideUnit && applyEnabled());
}

// From a new outside unit to the database and back: create it in the list,
// add workplaces and a product, mark the storage and move the mark, apply
// and find it stored; edit, delete and cancel; a refused Apply keeps the work.
void tst_Content::followsTheRoadOfOneEdit()
{
    QVERIFY2(start(), qPrintable(m_fixture->error()));
    // An outside unit keeps no company, though one is offered.
    QCOMPARE(workDialog([this] { m_view->actNew->trigger(); }, [](QDialog *dialog) {
        child<QCheckBox>(dialog, "cbSide")->setChecked(true);
        QVERIFY(!child<QComboBox>(dialog, "cbDivision")->isEnabled());
        fill(dialog, QStringLiteral("ООО «Новый подрядчик»"));
    }), QStringList());
    const QString unit = QString::number(m_editor->unitId());
    QCOMPARE(m_fixture->rows("SELECT c_name, id_division, CASE WHEN b_is_side THEN 'outside' END "
                             "FROM t_prod_units WHERE id = " + unit), QStringList("ООО «Новый подрядчик»||outside"));
    // Its dialog shows only its name.
    QCOMPARE(workDialog([this] { m_view->actEdit->trigger(); }, [](QDialog *dialog) {
        QVERIFY(!child<QComboBox>(dialog, "cbDivision")->isVisibleTo(dialog)
                && !child<QCheckBox>(dialog, "cbSide")->isVisibleTo(dialog));
        QCOMPARE(child<QLineEdit>(dialog, "leName")->text(), QStringLiteral("ООО «Новый подрядчик»"));
    }), QStringList());
    m_view->tvContent->doubleClicked(m_view->tvContent->currentIndex());
    // Two workplaces: the storage mark given to the first moves to the second.
    const qlonglong first = pickStorage(m_editor->buttonNew, 0);
    m_editor->buttonStorage->click();
    const qlonglong storage = pickStorage(m_editor->buttonNew, 1);
    m_editor->buttonStorage->click();
    QVERIFY(first > 0 && storage > 0 && !m_editor->buttonStorage->isEnabled());
    QCOMPARE(m_workplaces->locate(QStringLiteral("v"), true), m_workplaces->getViewCurrentRow());
    QCOMPARE(m_workplaces->locate(QStringLiteral("v"), false), 1 - m_workplaces->getViewCurrentRow());
    const qlonglong version = addProduct();
    m_fixture->host()->show();
    QCOMPARE(apply(), QStringList());
    QCOMPARE(stored(unit), QStringLiteral("%1|%2,%1|%3").arg(storage).arg(first).arg(version));
    // The balloon that says so points at Apply.
    QBubbleTip *saved = nullptr;
    for (QWidget *widget : QApplication::topLevelWidgets())
        saved = saved ? saved : dynamic_cast<QBubbleTip *>(widget);
    const QPoint button = m_panel->bButtons->button(QDialogButtonBox::Ok)->mapToGlobal(QPoint());
    QVERIFY(saved && saved->isVisible() && qAbs(saved->geometry().bottom() - button.y()) <= 2);
    QStringList texts;
    for (const QLabel *label : saved->findChildren<QLabel *>())
        texts << label->text();
    QVERIFY2(texts.contains("Изменения подразделения «ООО «Новый подрядчик»» сохранены."), qPrintable(texts.join('|')));

    // One workplace to another storage, the other deleted; the product kept.
    m_editor->tabWidget->setCurrentIndex(0);
    setCurrent(m_editor->tvWorkplace, 0);
    const qlonglong edited = pickStorage(m_editor->buttonEdit);
    setCurrent(m_editor->tvWorkplace, 1);
    QCOMPARE(boxesOf([this] { m_editor->buttonDelete->click(); }), QStringList{"Удаление|Вы действительно хотите "
             "удалить рабочее место\n\"" + m_workplaces->getField(QStringLiteral("c_name"), 1).toString() + "\" ?"});
    // Struck out until Apply.
    QVERIFY(m_workplaces->getModel()->item(1, 3)->font().strikeOut());
    m_editor->tabWidget->setCurrentIndex(1);
    setCurrent(m_editor->tvProduct, 0);
    QCOMPARE(boxesOf([this] { m_editor->buttonDelete->click(); }, QMessageBox::Cancel), QStringList{"Удаление|Вы "
             "действительно хотите удалить продукт\n\"" + m_products->getField("c_name", 0).toString() + "\" ?"});
    QCOMPARE(apply(), QStringList());
    QCOMPARE(stored(unit), QStringLiteral("%1|%2|%3").arg(storage).arg(edited).arg(version));

    // Cancel drops a new workplace and hides the panel.
    m_editor->tabWidget->setCurrentIndex(0);
    QVERIFY(pickStorage(m_editor->buttonNew) > 0);
    m_panel->bButtons->button(QDialogButtonBox::Cancel)->click();
    QVERIFY(!m_content->editFrame->isVisibleTo(m_content) && m_workplaces->rowCount() == 1);

    // A refused Apply: another user removes the unit meanwhile.
    QVERIFY(addProduct() > 0);
    QVERIFY(m_fixture->connection().batchExec("DELETE FROM t_prod_units WHERE id = " + unit));
    const QStringList refused = apply();
    QVERIFY2(refused.size() == 1 && refused[0].startsWith("Ошибка сохранения|Изменения не сохранены:\n")
             && refused[0].size() > 40, qPrintable(refused.join('\n')));
    QVERIFY(m_products->pendingInserts().size() == 1 && applyEnabled() && m_editor->hasUnsavedChanges());
}

// The demo data, and beside it a top-level type numbered 0 (which a search
// may confuse with "no parent") and names that look like placeholders.
bool tst_Content::openCatalogue()
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

// The branch below a type, or the listed top-level types for none, as the
// catalogue calls for it, read with plain SQL.
QStringList tst_Content::catalogue(qint64 unit, const QString &type, const QString &indent)
{
    QStringList lines;
    const QString types = type.isEmpty() ? "id_parent IS NULL AND id IN (SELECT id FROM dirs.t_types_for_products)"
                                         : "id_parent = " + type;
    for (const QString &row : m_fixture->rows("SELECT 'T', id, c_name FROM dirs.t_item_type WHERE " + types
                                              + " ORDER BY id"))
        lines << indent + row << catalogue(unit, row.section('|', 1, 1), indent + "  ");
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

// Each dialog loads the free versions of its own unit, only a version can be
// chosen, and the tree gets through refreshes and the dialog's end while it
// fills. With nothing to offer, the attribute dialogs warn instead of opening,
// and a product dialog without a data set, or with one that lacks the tables,
// offers nothing.
void tst_Content::showsTheFreeCatalogueOfEachUnit()
{
    QCOMPARE(boxesOf([] {
        for (const auto mode : {AttributeDialog::WorkplaceMode, AttributeDialog::ProductMode})
            QCOMPARE(AttributeDialog(mode, nullptr, 1).exec(), 0);
    }), QStringList({"Внимание|Нет не связанных рабочих мест", "Внимание|Данное подразделение выпускает все изделия"}));
    QDataSet empty;
    for (QDataSet *document : {static_cast<QDataSet *>(nullptr), &empty}) {
        ProductDialog bare(document, 1);
        bare.refresh();
        QCOMPARE(treeOf(&bare)->topLevelItemCount() + child<QPushButton>(&bare, "buttonOk")->isEnabled(), 0);
    }
    QVERIFY2(openCatalogue(), qPrintable(m_fixture->error()));
    QPointer<ProductDialog> dialog;
    // Unit 1 last: its dialog stays for the rest.
    for (const qint64 unit : {3, 7, 999, 1}) {
        delete dialog;
        dialog = new ProductDialog(getDocument(m_fixture->host()), unit, m_fixture->host());
        // The tree fills in one go once the dialog's timer fires.
        QVERIFY(QTest::qWaitFor([&dialog] { return treeOf(dialog)->topLevelItemCount() > 0; }));
        QCOMPARE(outline(treeOf(dialog)->invisibleRootItem()), catalogue(unit));
    }
    QTreeWidget *tree = treeOf(dialog);
    // The version, its name and whether it may be taken, for each node chosen.
    const char *const cases[][2] = {{"Нулевой", "0||"}, {"A 5%1", "0||"}, {"B (P-1)", "901|A 5%1 B (P-1)|ok"},
                                    {"исп. %2 (%1)", "902|A 5%1 исп. %2 (%1)|ok"}, {"", "0||"}};
    for (const auto &c : cases) {
        tree->setCurrentItem(tree->findItems(QString::fromUtf8(c[0]), Qt::MatchExactly | Qt::MatchRecursive).value(0));
        QVERIFY2(tree->currentItem() || !*c[0], c[0]);
        QCOMPARE(QString::number(dialog->getCurrentVersion()) + '|' + dialog->getCurrentVersionName() + '|'
                         + (child<QPushButton>(dialog, "buttonOk")->isEnabled() ? "ok" : ""), QString(c[1]));
    }
    // Every refresh reads the catalogue again. One asked for from inside a
    // pause takes over: the first must not add its half-built branches after it.
    QVERIFY(m_fixture->connection().batchExec("INSERT INTO dirs.t_product (id, id_type, c_name, b_virtual) "
                                              "VALUES (902, 13, 'New', FALSE)"));
    QTimer::singleShot(0, dialog, &ProductDialog::refresh);
    dialog->refresh();
    QCOMPARE(outline(tree->invisibleRootItem()), catalogue(1));
    // The dialog may go while the tree fills: the fill must end quietly.
    QTimer::singleShot(0, [&dialog] { delete dialog; });
    dialog->refresh();
    QVERIFY(dialog.isNull());
}

// Enter finds the first unit whose name holds the text in any letter case
// and loads it into the editor; the arrows walk the matches both ways,
// wrapping around; a text that nothing holds leaves the unit where it was.
void tst_Content::findsUnitsFromTheFindPanel()
{
    QVERIFY2(start(), qPrintable(m_fixture->error()));
    QStringList walked;
    const auto find = [&](QWidget *key, const char *text = nullptr) {
        if (text)
            m_content->edFind->setText(QString::fromUtf8(text));
        key == m_content->edFind ? QTest::keyClick(key, Qt::Key_Return) : static_cast<QAbstractButton *>(key)->click();
        walked << m_panel->lbCaption->text() + '|' + m_units->getViewCurrentRecord().value("c_name").toString();
    };
    find(m_content->edFind, "ЦЕХ");
    for (int i = 0; i < 4; ++i)
        find(m_content->btFindNext);
    find(m_content->btFindPrev);
    find(m_content->edFind, "нет такого");
    // The list is in name order.
    QStringList expected;
    for (const char *name : {"Литейный цех", "Механообрабатывающий цех №1", "Сборочный цех", "Цех металлоконструкций",
                             "Литейный цех", "Цех металлоконструкций", "Цех металлоконструкций"})
        expected << QString::fromUtf8(name) + '|' + QString::fromUtf8(name);
    QCOMPARE(walked, expected);
    QCOMPARE(m_content->Status->text(), QStringLiteral("Нет подразделения, в названии которого есть «нет такого»"));
}

// The host's document action on the demo templates: the unit card shows what
// the database holds of the unit, and "Save to DB" stores it, or says why not
// and keeps it unsaved.
void tst_Content::makesAndStoresTheUnitCard()
{
    QVERIFY2(start(), qPrintable(m_fixture->error()));
    QVERIFY(m_fixture->connection().login(QStringLiteral("operator"), QStringLiteral("operator")));
    selectUnit(insideUnit);
    UnitDocuments documents(m_content, m_fixture->host());
    documents.openDocuments();
    auto *creator = m_fixture->host()->findChild<QDocCreator *>();
    QVERIFY(creator && creator->lvTemplates->isVisible() && creator->lvTemplates->model()->rowCount() == 2);
    const QString html = creator->tbDocument->toPlainText();
    const QStringList expected = m_fixture->rows(QStringLiteral(
            "SELECT s.c_name FROM t_prod_workplace w JOIN dirs.t_storage s ON s.id = w.id_storage WHERE w.id_unit = 1 "
            "UNION SELECT p.c_name FROM t_prod_product u JOIN dirs.t_product_version v ON v.id = u.id_version "
            "JOIN dirs.t_product p ON p.id = v.id_product WHERE u.id_unit = 1 UNION SELECT c_name FROM t_prod_units "
            "WHERE id = 1 UNION SELECT c_name FROM sys.t_user WHERE c_login = 'operator' UNION SELECT d.c_name "
            "FROM sys.t_division d JOIN t_prod_units u ON u.id_division = d.id WHERE u.id = 1"));
    for (const QString &text : expected)
        QVERIFY2(html.contains(text), qPrintable(text + " not in:\n" + html));

    creator->acSaveToBase->trigger();
    QCOMPARE(m_fixture->rows(QStringLiteral("SELECT id_source, c_type, c_login FROM sys.t_doc_store")),
             QStringList{"1|PROD_UNIT|operator"});
    QVERIFY(!creator->acSaveToBase->isVisible());
    // A store that fails is told, and the document can be saved again.
    creator->setDocumentSaved(false);
    QVERIFY(m_fixture->connection().batchExec(QStringLiteral("DROP TABLE sys.t_doc_store")));
    const QStringList boxes = boxesOf([creator] { creator->acSaveToBase->trigger(); });
    QVERIFY2(boxes.size() == 1 && boxes[0].startsWith("Document not saved|The document was not saved:"), qPrintable(boxes.join('\n')));
    QVERIFY(creator->acSaveToBase->isVisible());
}

// The host's Language menu retranslates at once what is open, the list's
// captions too, which the data set made once from translated texts.
void tst_Content::speaksTheLanguageChosen()
{
    QVERIFY2(start(), qPrintable(m_fixture->error()));
    HostLanguage languages(QStringLiteral(VARKOLIN_TRANSLATIONS_DIR));
    languages.addPart(QStringLiteral("host"), QStringLiteral("en"));
    languages.addPart(QStringLiteral("varkolin"), QStringLiteral("ru"));
    auto *window = new MainWindow(nullptr, m_fixture->host());
    window->setContent(m_content, *getToolBarActions(), QIcon());
    window->setLanguages(&languages);
    const auto texts = [&](QDialog *dialog) {
        return QStringList{window->windowTitle(), m_view->actNew->text(), m_editor->tabWidget->tabText(0),
                           m_units->getModel()->headerData(1, Qt::Horizontal).toString(), dialog->windowTitle(),
                           child<QMenu>(window, "menuLanguage")->title()};
    };
    for (const char *language : {"En", "Ru"}) {
        QStringList seen;
        workDialog([this] { m_view->actNew->trigger(); }, [&](QDialog *dialog) {
            child<QAction>(window, qPrintable(QStringLiteral("actLanguage") + language))->trigger();
            QCoreApplication::sendPostedEvents();
            seen = texts(dialog);
            dialog->reject();
        });
        QCOMPARE(seen.join(QLatin1Char('|')), QString(qstrcmp(language, "En") == 0
                 ? "Production sites|Add|Workplaces|Unit|Unit|Language"
                 : "Справочник участков производства|Добавить|Рабочие места|Подразделение|Подразделение|Язык"));
    }
}

QTEST_MAIN(tst_Content)
#include "tst_content.moc"
