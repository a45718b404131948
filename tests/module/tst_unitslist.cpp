#include "hostcontract.h"
#include "messagecatcher.h"
#include "qdataset.h"
#include "qdatatable.h"
#include "testdatabases.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableView>
#include <QTemporaryFile>
#include <QtTest>

#include <functional>

extern "C" QDataSet *getDocument(QObject *parent);
extern "C" QWidget *getView(QDataSet *document, QWidget *parent);
extern "C" QWidget *getEditor(QDataSet *document, QWidget *parent);
extern "C" QStringList getContent();

namespace {

template<class T> T *child(QWidget *parent, const char *name)
{
    return parent->findChild<T *>(QLatin1String(name));
}

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
    void init();
    void cleanup();
    void buildsTheDataSet();
    void showsUnits_data() { TestDatabases::addBackendRows(); }
    void showsUnits();
    void createsEditsAndDeletesUnits_data() { TestDatabases::addBackendRows(); }
    void createsEditsAndDeletesUnits();
    void appliesDialogRules();
    void saysWhatTheDatabaseRefuses_data() { TestDatabases::addBackendRows(); }
    void saysWhatTheDatabaseRefuses();
    void goesInEitherOrderWithItsTables();

private:
    bool openList(const QString &backend);
    QStringList databaseUnits();
    QStringList run(const char *action, const std::function<void(QDialog *)> &hands);
    void select(int row) { child<QTableView>(m_view, "tvContent")->setCurrentIndex(m_units->getModel()->index(row, 1)); }

    QWidget *m_host = nullptr;
    QWidget *m_view = nullptr;
    QDataTable *m_units = nullptr;
    TestConnection *m_connection = nullptr;
};

void tst_UnitsList::init()
{
    m_host = new QWidget;
    m_connection = new TestConnection;
}

void tst_UnitsList::cleanup()
{
    // The data set is a child of the host widget: the next test gets a new one.
    delete m_host;
    delete m_connection;
    qApp->setProperty("Connection", QVariant());
}

bool tst_UnitsList::openList(const QString &backend)
{
    if (!m_connection->open(backend, true))
        return false;
    qApp->setProperty("Connection", objToVar(&m_connection->connection()));
    // A table that fails to load says so in a box: answered, and a failed start.
    BoxAnswerer answerer;
    QDataSet *document = getDocument(m_host);
    m_view = getView(document, m_host);
    m_units = document->getTable(QStringLiteral("t_prod_units"));
    QMetaObject::invokeMethod(m_view, "refresh");
    return m_units && answerer.titles().isEmpty();
}

QStringList tst_UnitsList::databaseUnits()
{
    QStringList rows;
    QSqlQuery query(m_connection->connection().db);
    query.exec(QStringLiteral("SELECT c_name, id_division FROM t_prod_units ORDER BY id"));
    while (query.next())
        rows << query.value(0).toString() + QLatin1Char('|') + query.value(1).toString();
    return rows;
}

// Runs the action and works the dialog it opens with the hands; answers any
// message box, so that none can hang the test. Returns the boxes' titles and
// texts, after a note when no dialog came up.
QStringList tst_UnitsList::run(const char *action, const std::function<void(QDialog *)> &hands)
{
    BoxAnswerer answerer;
    const bool worked = workModalDialog([this, action] { child<QAction>(m_view, action)->trigger(); }, hands);
    return (worked ? QStringList() : QStringList{"no dialog"}) + answerer.titles() + answerer.texts();
}

// The host finds the entry points by name and shares one data set per host;
// new rows get temporary keys counting down from -1.
void tst_UnitsList::buildsTheDataSet()
{
    QCOMPARE(getContent(), QStringList({"getInterface", "getToolBarActions"}));
    QDataSet *document = getDocument(m_host);
    QWidget other;
    QCOMPARE(getDocument(&other), document);
    QDataTable *workplaces = document->getTable(QStringLiteral("t_prod_workplace"));
    workplaces->open();
    const QSqlRecord first = workplaces->newRow(true);
    const QSqlRecord second = workplaces->newRow(true);
    for (const char *field : {"id", "id_unit", "id_attribute"}) {
        QCOMPARE(first.value(QLatin1String(field)).toInt(), -1);
        QCOMPARE(second.value(QLatin1String(field)).toInt(), -2);
    }
    QCOMPARE(second.value(QStringLiteral("v")).toBool(), false);
}

void tst_UnitsList::showsUnits()
{
    QFETCH(QString, backend);
    QVERIFY2(openList(backend), qPrintable(m_connection->error()));
    QCOMPARE(m_units->rowCount(), 8);
    QVERIFY(!child<QAction>(m_view, "actEdit")->isEnabled() && !child<QAction>(m_view, "actDel")->isEnabled());
    int outside = 0;
    for (int row = 0; row < m_units->rowCount(); ++row) {
        const QSqlRecord record = m_units->getRecord(row);
        const QStandardItem *side = m_units->getModel()->item(row, 2);
        QCOMPARE(side->text(), QString());
        QCOMPARE(!side->icon().isNull(), record.value(QStringLiteral("b_is_side")).toBool());
        outside += record.value(QStringLiteral("b_is_side")).toBool();
        const QString company = record.isNull("id_division") ? QString() : m_connection->connection().execScript(
                "SELECT c_name FROM sys.t_division WHERE id = " + record.value("id_division").toString()).toString();
        QCOMPARE(m_units->getModel()->item(row, 3)->text(), company);
    }
    QCOMPARE(outside, 2);
    auto *view = child<QTableView>(m_view, "tvContent");
    QVERIFY(view->isColumnHidden(0) && view->isColumnHidden(4));
    select(1);
    QVERIFY(child<QAction>(m_view, "actEdit")->isEnabled() && child<QAction>(m_view, "actDel")->isEnabled());
}

void tst_UnitsList::createsEditsAndDeletesUnits()
{
    QFETCH(QString, backend);
    QVERIFY2(openList(backend), qPrintable(m_connection->error()));
    const QStringList before = databaseUnits();
    QCOMPARE(run("actNew", [](QDialog *dialog) {
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Подразделение"));
        QVERIFY(!child<QPushButton>(dialog, "buttonAccept")->isEnabled());
        child<QComboBox>(dialog, "cbDivision")->setCurrentIndex(1);
        fill(dialog, QStringLiteral("Литейный цех"));
    }), QStringList());
    QCOMPARE(databaseUnits().size(), before.size() + 1);
    QVERIFY(databaseUnits().last().startsWith(QStringLiteral("Литейный цех|")));
    QVERIFY(m_units->getField(QStringLiteral("id"), m_units->getViewCurrentRow()).toLongLong() > 0);

    // Accepting the dialog without a change writes nothing.
    QTemporaryFile trace;
    QVERIFY(trace.open());
    qApp->setProperty("SQLTraceFile", trace.fileName());
    QCOMPARE(run("actEdit", [](QDialog *dialog) {
        QVERIFY(child<QCheckBox>(dialog, "cbSide")->isHidden());
        child<QPushButton>(dialog, "buttonAccept")->click();
    }), QStringList());
    QVERIFY(!trace.readAll().contains("UPDATE"));
    QCOMPARE(run("actEdit", [](QDialog *dialog) { fill(dialog, QStringLiteral("Литейный цех № 2")); }), QStringList());
    qApp->setProperty("SQLTraceFile", QVariant());
    QVERIFY(databaseUnits().last().startsWith(QStringLiteral("Литейный цех № 2|")));

    // Delete asks first; Cancel keeps the unit.
    for (const QMessageBox::StandardButton answer : {QMessageBox::Cancel, QMessageBox::Ok}) {
        BoxAnswerer answerer(answer);
        child<QAction>(m_view, "actDel")->trigger();
        QCOMPARE(answerer.titles(), QStringList{"Удаление"});
        QCOMPARE(answerer.texts(), QStringList{"Вы действительно хотите удалить подразделение\n\"Литейный цех № 2\" ?"});
        QCOMPARE(databaseUnits().size(), before.size() + (answer == QMessageBox::Cancel));
    }
    QCOMPARE(databaseUnits(), before);
}

void tst_UnitsList::appliesDialogRules()
{
    QVERIFY2(openList(QStringLiteral("sqlite")), qPrintable(m_connection->error()));
    QCOMPARE(run("actNew", [](QDialog *dialog) {
        auto *side = child<QCheckBox>(dialog, "cbSide");
        auto *division = child<QComboBox>(dialog, "cbDivision");
        QVERIFY(side->isVisibleTo(dialog));
        QCOMPARE(division->count(), 3);
        QCOMPARE(division->currentIndex(), 0);
        // A name of spaces counts as a name.
        child<QLineEdit>(dialog, "leName")->setText(QStringLiteral("  "));
        QVERIFY(child<QPushButton>(dialog, "buttonAccept")->isEnabled());
        side->setChecked(true);
        QVERIFY(!division->isEnabled());
        fill(dialog, QStringLiteral("Подрядчик"));
    }), QStringList());
    const int created = m_units->getViewCurrentRow();
    QVERIFY(m_units->getField(QStringLiteral("id_division"), created).isNull());
    QVERIFY(m_units->getField(QStringLiteral("b_is_side"), created).toBool());

    // An outside unit shows only its name.
    select(created);
    QCOMPARE(run("actEdit", [](QDialog *dialog) {
        QVERIFY(!child<QComboBox>(dialog, "cbDivision")->isVisibleTo(dialog));
        QVERIFY(!child<QCheckBox>(dialog, "cbSide")->isVisibleTo(dialog));
        QCOMPARE(child<QLineEdit>(dialog, "leName")->text(), QStringLiteral("Подрядчик"));
    }), QStringList());

    // Without companies only an outside unit can be accepted.
    qApp->setProperty("Connection", QVariant());
    QCOMPARE(run("actNew", [](QDialog *dialog) {
        child<QLineEdit>(dialog, "leName")->setText(QStringLiteral("Цех"));
        QVERIFY(!child<QPushButton>(dialog, "buttonAccept")->isEnabled());
        child<QCheckBox>(dialog, "cbSide")->setChecked(true);
        QVERIFY(child<QPushButton>(dialog, "buttonAccept")->isEnabled());
    }), QStringList());
}

// A change the database refuses is said, and the list shows again what the
// database holds instead of a row that only looks saved; a list that failed
// to load was shown empty, as if there were no units.
void tst_UnitsList::saysWhatTheDatabaseRefuses()
{
    QFETCH(QString, backend);
    QVERIFY2(openList(backend), qPrintable(m_connection->error()));
    const QString name = m_units->getField(QStringLiteral("c_name"), 2).toString();
    select(2);
    // Another user removes the unit meanwhile.
    QVERIFY(m_connection->connection().batchExec(
            "DELETE FROM t_prod_units WHERE id = " + m_units->getField(QStringLiteral("id"), 2).toString()));
    const QStringList boxes = run("actEdit", [](QDialog *dialog) { fill(dialog, QStringLiteral("Переименован")); });
    QCOMPARE(boxes.value(0), QStringLiteral("Ошибка сохранения"));
    QVERIFY(boxes.value(1).startsWith(QStringLiteral("Изменения не сохранены:\n")));
    QCOMPARE(m_units->rowCount(), 7);
    QCOMPARE(m_units->locate(QStringLiteral("c_name"), name), -1);
    QCOMPARE(m_units->locate(QStringLiteral("c_name"), QStringLiteral("Переименован")), -1);

    QVERIFY(m_connection->connection().batchExec(QStringLiteral("ALTER TABLE t_prod_units RENAME TO t_gone")));
    BoxAnswerer answerer;
    QMetaObject::invokeMethod(m_view, "refresh");
    QCOMPARE(answerer.titles(), QStringList{"Ошибка загрузки"});
    // The table and the database's own reason.
    const QString text = answerer.texts().value(0);
    QVERIFY2(text.contains(QStringLiteral("t_prod_units"))
             && text.contains(backend == QLatin1String("sqlite") ? "no such table" : "does not exist"), qPrintable(text));
    QCOMPARE(m_units->rowCount(), 0);
}

// Qt deletes children in the order they came: the list and the editor go
// before their tables (the content's order) or after them (a test host's,
// where the sanitizer run catches a touch of a freed table).
void tst_UnitsList::goesInEitherOrderWithItsTables()
{
    MessageCatcher quiet; // no connection: the editor's tables do not open
    auto *frame = new QWidget(m_host);
    QDataSet *document = getDocument(m_host);
    for (QWidget *parent : {frame, m_host}) {
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
