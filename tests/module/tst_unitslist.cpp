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
extern "C" QIcon getIcon();

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
    void reloadsAfterRefusedChange_data() { TestDatabases::addBackendRows(); }
    void reloadsAfterRefusedChange();
    void warnsWhenTheListFailsToLoad_data() { TestDatabases::addBackendRows(); }
    void warnsWhenTheListFailsToLoad();
    void goesInEitherOrderWithItsTables();

private:
    bool openList(const QString &backend, bool demo = true);
    QStringList databaseUnits();
    // Runs the action and works the modal dialog it opens with the given hands.
    void withDialog(QAction *action, const std::function<void(QDialog *)> &hands);

    QWidget *m_host = nullptr;
    QDataSet *m_document = nullptr;
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
    m_host = nullptr;
    delete m_connection;
    qApp->setProperty("Connection", QVariant());
}

bool tst_UnitsList::openList(const QString &backend, bool demo)
{
    if (!m_connection->open(backend, demo))
        return false;
    qApp->setProperty("Connection", objToVar(&m_connection->connection()));
    m_document = getDocument(m_host);
    m_view = getView(m_document, m_host);
    m_units = m_document->getTable(QStringLiteral("t_prod_units"));
    QMetaObject::invokeMethod(m_view, "refresh");
    return m_units;
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

void tst_UnitsList::withDialog(QAction *action, const std::function<void(QDialog *)> &hands)
{
    QVERIFY(workModalDialog([action] { action->trigger(); }, hands));
}

namespace {

template<class T> T *child(QWidget *parent, const char *name)
{
    return parent->findChild<T *>(QLatin1String(name));
}

} // namespace

void tst_UnitsList::buildsTheDataSet()
{
    QCOMPARE(getContent(), QStringList({"getInterface", "getToolBarActions"}));
    QCOMPARE(getIcon().availableSizes().value(0), QSize(128, 128));
    QDataSet *document = getDocument(m_host);
    QWidget other;
    QCOMPARE(getDocument(&other), document);
    QCOMPARE(document->tables(), QStringList({"t_prod_units", "t_prod_workplace", "t_prod_product",
                                              "t_workplace_free", "t_product_free", "t_item_type",
                                              "t_types_for_products", "t_product", "t_product_version",
                                              "t_division"}));
    const QMap<QString, QString> visible = {
        {"t_prod_units", "c_name,b_is_side,id_division"},
        {"t_prod_workplace", "c_name,v"},
        {"t_prod_product", "c_name"},
    };
    for (auto it = visible.cbegin(); it != visible.cend(); ++it) {
        QDataTable *table = document->getTable(it.key());
        QVERIFY(table);
        QStringList shown;
        for (const colInfo &column : table->columns()) {
            if (column.visible)
                shown << column.fieldName;
        }
        QCOMPARE(shown.join(QLatin1Char(',')), it.value());
        QCOMPARE(table->getTableState(), -2);
    }
    QCOMPARE(document->getTable(QStringLiteral("t_prod_workplace"))->columns().size(), 5);
    QCOMPARE(document->getTable(QStringLiteral("t_prod_product"))->columns().size(), 4);

    // Temporary keys: the automatic columns count down from -1 after each open.
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
    auto *view = child<QTableView>(m_view, "tvContent");
    QCOMPARE(m_units->rowCount(), 8);
    QCOMPARE(m_units->getTableState(), 0);
    QVERIFY(!child<QAction>(m_view, "actEdit")->isEnabled());
    QVERIFY(!child<QAction>(m_view, "actDel")->isEnabled());
    QVERIFY(child<QAction>(m_view, "actNew")->isEnabled());

    int outside = 0;
    for (int row = 0; row < m_units->rowCount(); ++row) {
        const QSqlRecord record = m_units->getRecord(row);
        const QStandardItem *side = m_units->getModel()->item(row, 2);
        QCOMPARE(side->text(), QString());
        QCOMPARE(!side->icon().isNull(), record.value(QStringLiteral("b_is_side")).toBool());
        outside += record.value(QStringLiteral("b_is_side")).toBool();
        const QString company = m_units->getModel()->item(row, 3)->text();
        if (record.isNull(QStringLiteral("id_division"))) {
            QCOMPARE(company, QString());
        } else {
            QCOMPARE(company, m_connection->connection().execScript(
                    QStringLiteral("SELECT c_name FROM sys.t_division WHERE id = %1")
                    .arg(record.value(QStringLiteral("id_division")).toLongLong())).toString());
            QVERIFY(!company.isEmpty());
        }
    }
    QCOMPARE(outside, 2);
    QVERIFY(view->isColumnHidden(0));
    QVERIFY(view->isColumnHidden(4));
    view->setCurrentIndex(m_units->getModel()->index(1, 1));
    QVERIFY(child<QAction>(m_view, "actEdit")->isEnabled());
    QVERIFY(child<QAction>(m_view, "actDel")->isEnabled());
}

void tst_UnitsList::createsEditsAndDeletesUnits()
{
    QFETCH(QString, backend);
    QVERIFY2(openList(backend), qPrintable(m_connection->error()));
    auto *view = child<QTableView>(m_view, "tvContent");
    const QStringList before = databaseUnits();

    withDialog(child<QAction>(m_view, "actNew"), [](QDialog *dialog) {
        QCOMPARE(dialog->metaObject()->className(), "UnitDialog");
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Подразделение"));
        auto *accept = child<QPushButton>(dialog, "buttonAccept");
        QVERIFY(!accept->isEnabled());
        child<QLineEdit>(dialog, "leName")->setText(QStringLiteral("Литейный цех"));
        QVERIFY(accept->isEnabled());
        child<QComboBox>(dialog, "cbDivision")->setCurrentIndex(1);
        accept->click();
    });
    QCOMPARE(databaseUnits().size(), before.size() + 1);
    QVERIFY(databaseUnits().last().startsWith(QStringLiteral("Литейный цех|")));
    const int created = m_units->getViewCurrentRow();
    QCOMPARE(m_units->getField(QStringLiteral("c_name"), created).toString(), QStringLiteral("Литейный цех"));
    QVERIFY(m_units->getField(QStringLiteral("id"), created).toLongLong() > 0);

    // Accepting the dialog without a change writes nothing.
    QTemporaryFile trace;
    QVERIFY(trace.open());
    qApp->setProperty("SQLTraceFile", trace.fileName());
    withDialog(child<QAction>(m_view, "actEdit"), [](QDialog *dialog) {
        QVERIFY(child<QCheckBox>(dialog, "cbSide")->isHidden());
        child<QPushButton>(dialog, "buttonAccept")->click();
    });
    QVERIFY(!trace.readAll().contains("UPDATE"));
    withDialog(child<QAction>(m_view, "actEdit"), [](QDialog *dialog) {
        child<QLineEdit>(dialog, "leName")->setText(QStringLiteral("Литейный цех № 2"));
        child<QPushButton>(dialog, "buttonAccept")->click();
    });
    qApp->setProperty("SQLTraceFile", QVariant());
    QVERIFY(databaseUnits().last().startsWith(QStringLiteral("Литейный цех № 2|")));

    // Delete asks first; Cancel keeps the unit.
    {
        BoxAnswerer cancel(QMessageBox::Cancel);
        child<QAction>(m_view, "actDel")->trigger();
        QCOMPARE(cancel.texts(), QStringList{"Вы действительно хотите удалить подразделение\n\"Литейный цех № 2\" ?"});
        QCOMPARE(cancel.titles(), QStringList{"Удаление"});
    }
    QCOMPARE(databaseUnits().size(), before.size() + 1);
    {
        BoxAnswerer ok(QMessageBox::Ok);
        view->setCurrentIndex(m_units->getModel()->index(m_units->locate(QStringLiteral("c_name"), QStringLiteral("Литейный цех № 2")), 1));
        child<QAction>(m_view, "actDel")->trigger();
    }
    QCOMPARE(databaseUnits(), before);
}

void tst_UnitsList::appliesDialogRules()
{
    QVERIFY2(openList(QStringLiteral("sqlite")), qPrintable(m_connection->error()));
    auto *view = child<QTableView>(m_view, "tvContent");
    withDialog(child<QAction>(m_view, "actNew"), [](QDialog *dialog) {
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
        child<QLineEdit>(dialog, "leName")->setText(QStringLiteral("Подрядчик"));
        child<QPushButton>(dialog, "buttonAccept")->click();
    });
    const int created = m_units->getViewCurrentRow();
    QVERIFY(m_units->getField(QStringLiteral("id_division"), created).isNull());
    QVERIFY(m_units->getField(QStringLiteral("b_is_side"), created).toBool());

    // An outside unit shows only its name.
    view->setCurrentIndex(m_units->getModel()->index(created, 1));
    withDialog(child<QAction>(m_view, "actEdit"), [](QDialog *dialog) {
        QVERIFY(!child<QComboBox>(dialog, "cbDivision")->isVisibleTo(dialog));
        QVERIFY(!child<QCheckBox>(dialog, "cbSide")->isVisibleTo(dialog));
        QCOMPARE(child<QLineEdit>(dialog, "leName")->text(), QStringLiteral("Подрядчик"));
    });

    // Without companies only an outside unit can be accepted.
    qApp->setProperty("Connection", QVariant());
    withDialog(child<QAction>(m_view, "actNew"), [](QDialog *dialog) {
        child<QLineEdit>(dialog, "leName")->setText(QStringLiteral("Цех"));
        QVERIFY(!child<QPushButton>(dialog, "buttonAccept")->isEnabled());
        child<QCheckBox>(dialog, "cbSide")->setChecked(true);
        QVERIFY(child<QPushButton>(dialog, "buttonAccept")->isEnabled());
    });
}

// A change the database refuses is said, and the list shows again what the
// database holds instead of a row that only looks saved.
void tst_UnitsList::reloadsAfterRefusedChange()
{
    QFETCH(QString, backend);
    QVERIFY2(openList(backend), qPrintable(m_connection->error()));
    auto *view = child<QTableView>(m_view, "tvContent");
    const QString name = m_units->getField(QStringLiteral("c_name"), 2).toString();
    const qlonglong id = m_units->getField(QStringLiteral("id"), 2).toLongLong();
    view->setCurrentIndex(m_units->getModel()->index(2, 1));
    // Another user removes the unit meanwhile.
    QVERIFY(m_connection->connection().batchExec(QStringLiteral("DELETE FROM t_prod_units WHERE id = %1").arg(id)));
    BoxAnswerer answerer;
    withDialog(child<QAction>(m_view, "actEdit"), [](QDialog *dialog) {
        child<QLineEdit>(dialog, "leName")->setText(QStringLiteral("Переименован"));
        child<QPushButton>(dialog, "buttonAccept")->click();
    });
    QCOMPARE(answerer.titles(), QStringList{"Ошибка сохранения"});
    QVERIFY(answerer.texts().value(0).startsWith(QStringLiteral("Изменения не сохранены:\n")));
    QCOMPARE(m_units->rowCount(), 7);
    QCOMPARE(m_units->locate(QStringLiteral("c_name"), name), -1);
    QCOMPARE(m_units->locate(QStringLiteral("c_name"), QStringLiteral("Переименован")), -1);
}

// A list that failed to load was shown empty, as if there were no units.
void tst_UnitsList::warnsWhenTheListFailsToLoad()
{
    QFETCH(QString, backend);
    QVERIFY2(openList(backend), qPrintable(m_connection->error()));
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
