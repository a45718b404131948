#include "messagecatcher.h"
#include "qdatatable.h"

#include <QDate>
#include <QLineEdit>
#include <QStyledItemDelegate>
#include <QLocale>
#include <QStandardItemModel>
#include <QTableView>
#include <QTemporaryDir>
#include <QTextCodec>
#include <QtTest>

// A table bound to a view: preparation, edits coming back through the
// model, the id request, dumps and the report.
class tst_QDataTableView : public QObject
{
    Q_OBJECT
private slots:
    void preparesViewOnce();
    void takesEditsFromTheView_data();
    void takesEditsFromTheView();
    void showsRowIdOnRequest();
    void makesEditorsReadOnly();
    void dumpsTables();
    void writesReport();

private:
    QDataTable *makeTable(QObject *parent);
};

QDataTable *tst_QDataTableView::makeTable(QObject *parent)
{
    auto *table = new QDataTable(QStringLiteral("units"), nullptr, parent);
    table->addColumn(QStringLiteral("id"), QVariant::LongLong, false, QStringLiteral("Ключ"), 0, 40);
    table->addColumn(QStringLiteral("c_name"), QVariant::String, true, QStringLiteral("Имя"), 0, 120, QVariant(),
                     ColumnFixedWidth | ColumnResizeToContents);
    table->addColumn(QStringLiteral("n_sum"), QVariant::Double, true, QStringLiteral("Сумма"), 0, 80, QVariant(),
                     ColumnStretch);
    table->addColumn(QStringLiteral("d_day"), QVariant::Date, true, QStringLiteral("День"));
    return table;
}

namespace {

void addRow(QDataTable *table, const QVariantList &values)
{
    QSqlRecord record = table->newRow(false);
    for (int i = 0; i < values.size(); ++i)
        record.setValue(i, values.at(i));
    table->setRow(table->lastRow(), record, true);
}

void fill(QDataTable *table)
{
    table->open();
    addRow(table, {Q_INT64_C(42), QStringLiteral("Цех №1"), 1.5, QDate(2026, 3, 1)});
    addRow(table, {Q_INT64_C(43), QStringLiteral("Склад"), 2.0, QDate()});
    addRow(table, {Q_INT64_C(44), QStringLiteral("Удалённый"), 3.25, QDate(2026, 3, 2)});
    for (int row = 0; row < table->rowCount(); ++row)
        table->setRowState(row, RowUnchanged);
    table->deleteRow(2);
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

void tst_QDataTableView::preparesViewOnce()
{
    QDataTable *table = makeTable(this);
    QTableView view;
    table->setView(&view);
    QCOMPARE(view.model(), table->getModel());
    table->open();
    QVERIFY(view.isColumnHidden(0));
    QVERIFY(!view.isColumnHidden(1));

    // Another table on the same view does not prepare it again.
    QDataTable other(QStringLiteral("other"), nullptr);
    other.addColumn(QStringLiteral("a"), QVariant::Int, true, QString(), 0, 300);
    other.open();
    other.setView(&view);
    QCOMPARE(view.model(), other.getModel());
    QVERIFY(view.isColumnHidden(0));
    table->setView(nullptr);
    QCOMPARE(table->getViewCurrentRow(), -1);
    QVERIFY(table->getViewCurrentRecord().isEmpty());
}

void tst_QDataTableView::takesEditsFromTheView_data()
{
    QTest::addColumn<bool>("directEdit");
    QTest::newRow("direct edit off") << false;
    QTest::newRow("direct edit on") << true;
}

void tst_QDataTableView::takesEditsFromTheView()
{
    QFETCH(bool, directEdit);
    QDataTable *table = makeTable(this);
    QTableView view;
    table->setView(&view);
    fill(table);
    table->setDirectEdit(directEdit);
    int displayed = 0;
    connect(table, &QDataTable::getDispInfo, this, [&displayed](int, QVariant *, QCellData *, QSqlRecord *, int) {
        ++displayed;
    });
    QSignalSpy edits(table, &QDataTable::dataChanged);
    const int row = table->locate(QStringLiteral("id"), 43);
    view.setCurrentIndex(table->getModel()->index(row, 2));
    QCOMPARE(table->getViewCurrentRow(), row);
    QCOMPARE(table->getViewCurrentRecord().value(QStringLiteral("id")).toLongLong(), 43);

    // A real edit in the grid, with an editing delegate in place of the read-only one.
    auto *delegate = new QStyledItemDelegate(&view);
    view.setItemDelegate(delegate);
    view.show();
    view.edit(table->getModel()->index(row, 2));
    auto *editor = view.viewport()->findChild<QLineEdit *>();
    QVERIFY(editor);
    editor->setText(QStringLiteral("6"));
    // What the delegate does when the user confirms the edit.
    emit delegate->commitData(editor);
    QCOMPARE(edits.count(), 1);
    QCOMPARE(edits.first(), QVariantList({"n_sum", 2.0, "6", "units"}));
    QCOMPARE(table->getRowState(row), 2);
    QCOMPARE(table->getField(QStringLiteral("n_sum"), row).toString(), directEdit ? QStringLiteral("6") : QStringLiteral("2"));
    QCOMPARE(displayed > 0, directEdit);
}

void tst_QDataTableView::showsRowIdOnRequest()
{
    QDataTable *table = makeTable(this);
    QTableView view;
    table->setView(&view);
    fill(table);
    view.setCurrentIndex(table->getModel()->index(table->locate(QStringLiteral("id"), 42), 1));
    BoxAnswerer answerer;
    QVERIFY(QMetaObject::invokeMethod(table, "onIDRequest"));
    QCOMPARE(answerer.titles(), QStringList{"Отладка"});
    QCOMPARE(answerer.texts(), QStringList{"Таблица 'units'\nID = 42"});
}

void tst_QDataTableView::makesEditorsReadOnly()
{
    QDataTable *table = makeTable(this);
    QTableView view;
    table->setView(&view);
    fill(table);
    QStyleOptionViewItem option;
    QWidget *editor = view.itemDelegate()->createEditor(&view, option, table->getModel()->index(0, 1));
    auto *line = qobject_cast<QLineEdit *>(editor);
    QVERIFY(line);
    QVERIFY(line->isReadOnly());
    line->setText(QStringLiteral("changed"));
    view.itemDelegate()->setModelData(editor, table->getModel(), table->getModel()->index(0, 1));
    QCOMPARE(table->getModel()->item(0, 1)->text(), QStringLiteral("Цех №1"));
    delete editor;
}

void tst_QDataTableView::dumpsTables()
{
    QDataTable *table = makeTable(this);
    QCOMPARE(table->prepareDump(), QStringLiteral("\"id\";\"c_name\";\"n_sum\";\"d_day\";\n"));
    fill(table);
    QCOMPARE(table->prepareDump(false),
             QStringLiteral("\"id\";\"c_name\";\"n_sum\";\"d_day\";\n"
                            "\"42\";\"Цех №1\";\"1.5\";\"2026-03-01\";;\n"
                            "\"43\";\"Склад\";\"2\";\"\";;\n"));
    QCOMPARE(table->prepareDump(true),
             QStringLiteral("ROW_STATE;\"id\";\"c_name\";\"n_sum\";\"d_day\";\n"
                            "O;\"42\";\"Цех №1\";\"1.5\";\"2026-03-01\";;\n"
                            "O;\"43\";\"Склад\";\"2\";\"\";;\n"
                            "D;\"44\";\"Удалённый\";\"3.25\";\"2026-03-02\";;\n"));
    QTemporaryDir base;
    const QString dir = base.filePath(QStringLiteral("dumps"));
    table->dumpTable(dir, true);
    const QStringList files = QDir(dir).entryList(QDir::Files);
    QCOMPARE(files.size(), 1);
    QVERIFY2(QRegularExpression(QStringLiteral("^units_\\d{4}_\\d\\d_\\d\\d \\d\\d_\\d\\d\\.csv$")).match(files.first()).hasMatch(),
             qPrintable(files.first()));
    QCOMPARE(readAll(QDir(dir).filePath(files.first())), table->prepareDump(true).toLocal8Bit());
}

// The report opens in a spreadsheet program with the Cyrillic intact: labels,
// visible columns only, no deleted rows, decimal commas, cp1251 bytes.
void tst_QDataTableView::writesReport()
{
    QDataTable *table = makeTable(this);
    fill(table);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("report.csv"));
    table->makeReport(path);
    const QString day = QLocale::system().toString(QDate(2026, 3, 1), QLocale::ShortFormat);
    const QString expected = QStringLiteral("\"Имя\";\"Сумма\";\"День\"\n"
                                            "\"Цех №1\";\"1,5\";\"%1\"\n"
                                            "\"Склад\";\"2\";\"\"\n").arg(day);
    const QByteArray bytes = readAll(path);
    QCOMPARE(bytes, QTextCodec::codecForName("cp1251")->fromUnicode(expected));
    QCOMPARE(bytes.left(5), QByteArray("\"\xc8\xec\xff\"", 5));
    table->makeReport(dir.filePath(QStringLiteral("no/such/folder/report.csv")));
}

QTEST_MAIN(tst_QDataTableView)
#include "tst_qdatatableview.moc"
