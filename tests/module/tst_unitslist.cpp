#include "hostcontract.h"
#include "messagecatcher.h"
#include "modulefixture.h"
#include "qdataset.h"
#include "qdatatable.h"

#include <QtTest>

extern "C" QDataSet *getDocument(QObject *parent);
extern "C" QWidget *getView(QDataSet *document, QWidget *parent);
extern "C" QWidget *getEditor(QDataSet *document, QWidget *parent);

namespace {

void fill(QDialog *dialog, const QString &name)
{
    child<QLineEdit>(dialog, "leName")->setText(name);
    child<QPushButton>(dialog, "buttonAccept")->click();
}

} // namespace

// The module's data set and its list of units, reached through the module's
// entry points as the host reaches them, on a real database of each back end.
class tst_UnitsList : public QObject
{
    Q_OBJECT
private slots:
    void init() { m_fixture.reset(new ModuleFixture); }
    void cleanup() { m_fixture.reset(); }
    void buildsTheDataSet();
    void createsEditsAndDeletesUnits_data() { TestDatabases::addBackendRows(); }
    void createsEditsAndDeletesUnits();
    void showsWhatTheDatabaseHolds_data() { TestDatabases::addBackendRows(); }
    void showsWhatTheDatabaseHolds();
    void goesInEitherOrderWithItsTables();

private:
    bool openList(const QString &backend);
    QStringList units() { return m_fixture->rows(QStringLiteral(
            "SELECT c_name, id_division, CASE WHEN b_is_side THEN 'outside' END FROM t_prod_units ORDER BY id")); }
    QStringList shownUnits();
    QStringList storedUnits();
    QStringList run(const char *action, const std::function<void(QDialog *)> &hands)
    {
        return workDialog([this, action] { child<QAction>(m_view, action)->trigger(); }, hands);
    }
    bool canEdit()
    {
        return child<QAction>(m_view, "actEdit")->isEnabled() && child<QAction>(m_view, "actDel")->isEnabled();
    }

    std::unique_ptr<ModuleFixture> m_fixture;
    QWidget *m_view = nullptr;
    QDataTable *m_units = nullptr;
};

bool tst_UnitsList::openList(const QString &backend)
{
    if (!m_fixture->open(backend))
        return false;
    QDataSet *document = getDocument(m_fixture->host());
    m_view = getView(document, m_fixture->host());
    m_units = document->getTable(QStringLiteral("t_prod_units"));
    // A table that fails to load says so in a box: answered, and a failed start.
    return boxesOf([this] { QMetaObject::invokeMethod(m_view, "refresh"); }).isEmpty();
}

// Name, a mark for an outside unit and its company's name, in any order.
QStringList tst_UnitsList::shownUnits()
{
    QStringList rows;
    const QStandardItemModel *model = m_units->getModel();
    for (int row = 0; row < m_units->rowCount(); ++row)
        rows << model->item(row, 1)->text() + '|' + model->item(row, 2)->text()
                        + (model->item(row, 2)->icon().isNull() ? "" : "*") + '|' + model->item(row, 3)->text();
    rows.sort();
    return rows;
}

QStringList tst_UnitsList::storedUnits()
{
    QStringList rows = m_fixture->rows(QStringLiteral(
            "SELECT u.c_name, CASE WHEN u.b_is_side THEN '*' ELSE '' END, d.c_name "
            "FROM t_prod_units u LEFT JOIN sys.t_division d ON d.id = u.id_division"));
    rows.sort();
    return rows;
}

// The host finds the entry points by name and shares one data set; new
// rows get temporary keys counting down from -1.
void tst_UnitsList::buildsTheDataSet()
{
    QDataSet *document = getDocument(m_fixture->host());
    QWidget other;
    QCOMPARE(getDocument(&other), document);
    QDataTable *workplaces = document->getTable(QStringLiteral("t_prod_workplace"));
    workplaces->open();
    for (const char *keys : {"-1|-1|-1||false", "-2|-2|-2||false"})
        QCOMPARE(rowText(workplaces->newRow(true)), QString(keys));
}

void tst_UnitsList::createsEditsAndDeletesUnits()
{
    QFETCH(QString, backend);
    QVERIFY2(openList(backend), qPrintable(m_fixture->error()));
    const QStringList before = units();
    QString company;
    QCOMPARE(run("actNew", [&company](QDialog *dialog) {
        QVERIFY(!child<QPushButton>(dialog, "buttonAccept")->isEnabled());
        // A name of spaces counts as a name.
        child<QLineEdit>(dialog, "leName")->setText(QStringLiteral("  "));
        QVERIFY(child<QPushButton>(dialog, "buttonAccept")->isEnabled());
        child<QComboBox>(dialog, "cbDivision")->setCurrentIndex(1);
        company = child<QComboBox>(dialog, "cbDivision")->currentData().toString();
        fill(dialog, QStringLiteral("Литейный цех"));
    }), QStringList());
    QCOMPARE(units(), before + QStringList{"Литейный цех|" + company + '|'});

    // Accepting the dialog without a change writes nothing.
    QTemporaryFile trace;
    QVERIFY(trace.open());
    setHostSqlTraceFile(trace.fileName());
    QCOMPARE(run("actEdit", [](QDialog *dialog) {
        QVERIFY(child<QCheckBox>(dialog, "cbSide")->isHidden());
        child<QPushButton>(dialog, "buttonAccept")->click();
    }), QStringList());
    QVERIFY(!trace.readAll().contains("UPDATE"));
    QCOMPARE(run("actEdit", [](QDialog *dialog) { fill(dialog, QStringLiteral("Литейный цех № 2")); }), QStringList());
    QCOMPARE(units().last(), "Литейный цех № 2|" + company + '|');

    // Delete asks first; Cancel keeps the unit.
    for (const QMessageBox::StandardButton answer : {QMessageBox::Cancel, QMessageBox::Ok}) {
        QCOMPARE(boxesOf([this] { child<QAction>(m_view, "actDel")->trigger(); }, answer),
                 QStringList{"Удаление|Вы действительно хотите удалить подразделение\n\"Литейный цех № 2\" ?"});
        QCOMPARE(units().size(), before.size() + (answer == QMessageBox::Cancel));
    }

    // An outside unit has no company, and its dialog shows only its name.
    QCOMPARE(run("actNew", [](QDialog *dialog) {
        child<QCheckBox>(dialog, "cbSide")->setChecked(true);
        QVERIFY(!child<QComboBox>(dialog, "cbDivision")->isEnabled());
        fill(dialog, QStringLiteral("Подрядчик"));
    }), QStringList());
    QCOMPARE(units(), before + QStringList{"Подрядчик||outside"});
    QCOMPARE(run("actEdit", [](QDialog *dialog) {
        QVERIFY(!child<QComboBox>(dialog, "cbDivision")->isVisibleTo(dialog));
        QVERIFY(!child<QCheckBox>(dialog, "cbSide")->isVisibleTo(dialog));
        QCOMPARE(child<QLineEdit>(dialog, "leName")->text(), QStringLiteral("Подрядчик"));
    }), QStringList());

    // Without companies only an outside unit can be accepted.
    setHostConnection(nullptr);
    QCOMPARE(run("actNew", [](QDialog *dialog) {
        child<QLineEdit>(dialog, "leName")->setText(QStringLiteral("Цех"));
        const bool inside = child<QPushButton>(dialog, "buttonAccept")->isEnabled();
        child<QCheckBox>(dialog, "cbSide")->setChecked(true);
        QVERIFY(!inside && child<QPushButton>(dialog, "buttonAccept")->isEnabled());
    }), QStringList());
}

// Each unit with a mark when outside and its company's name. A change the
// database refuses is said, and the list shows again what the database holds
// instead of a row that only looks saved; a list that failed to load was
// shown empty, as if there were no units.
void tst_UnitsList::showsWhatTheDatabaseHolds()
{
    QFETCH(QString, backend);
    QVERIFY2(openList(backend), qPrintable(m_fixture->error()));
    QCOMPARE(shownUnits().size(), 8);
    QCOMPARE(shownUnits(), storedUnits());
    // Edit and delete need a current unit.
    QVERIFY(!canEdit());
    child<QTableView>(m_view, "tvContent")->setCurrentIndex(m_units->getModel()->index(2, 1));
    QVERIFY(canEdit());
    // Another user removes the unit meanwhile.
    QVERIFY(m_fixture->connection().batchExec(
            "DELETE FROM t_prod_units WHERE id = " + m_units->getField(QStringLiteral("id"), 2).toString()));
    const QStringList saved = run("actEdit", [](QDialog *dialog) { fill(dialog, QStringLiteral("Переименован")); });
    QVERIFY2(saved.size() == 1 && saved[0].startsWith("Ошибка сохранения|Изменения не сохранены:\n"),
             qPrintable(saved.join('\n')));
    QCOMPARE(shownUnits().size(), 7);
    QCOMPARE(shownUnits(), storedUnits());

    QVERIFY(m_fixture->connection().batchExec(QStringLiteral("ALTER TABLE t_prod_units RENAME TO t_gone")));
    const QStringList loaded = boxesOf([this] { QMetaObject::invokeMethod(m_view, "refresh"); });
    // The table and the database's own reason.
    QVERIFY2(loaded.size() == 1 && loaded[0].startsWith("Ошибка загрузки|") && loaded[0].contains("t_prod_units")
             && loaded[0].contains(backend == QLatin1String("sqlite") ? "no such table" : "does not exist"),
             qPrintable(loaded.join('\n')));
    QCOMPARE(m_units->rowCount(), 0);
}

// Qt deletes children in the order they came: the list and the editor go
// before their tables (the content's order) or after them (a test host's,
// where the sanitizer run catches a touch of a freed table).
void tst_UnitsList::goesInEitherOrderWithItsTables()
{
    MessageCatcher quiet; // no connection: the editor's tables do not open
    auto *frame = new QWidget(m_fixture->host());
    QDataSet *document = getDocument(m_fixture->host());
    for (QWidget *parent : {frame, m_fixture->host()}) {
        getView(document, parent);
        getEditor(document, parent);
    }
    QDataTable *units = document->getTable(QStringLiteral("t_prod_units"));
    delete frame;
    // The view that went must not unbind the table from the one that took it.
    QVERIFY(units->getView());
}

QTEST_MAIN(tst_UnitsList)
#include "tst_unitslist.moc"
