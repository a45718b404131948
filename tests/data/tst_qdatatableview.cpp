#include "messagecatcher.h"
#include "trimB_helpers.h"

#include <QDate>
#include <QLineEdit>
#include <QStandardItemModel>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTemporaryDir>
#include <QTextCodec>
#include <QtTest>

#include <memory>

// A table bound to a view: preparation, edits coming back through the
// model, the id request, dumps and the report. Each test function gets a
// fresh table of three rows, the last one deleted.
class tst_QDataTableView : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void takesEditsFromTheView_data();
    void takesEditsFromTheView();
    void writesDumpsAndReport();

private:
    std::unique_ptr<QDataTable> m_table;
};

void tst_QDataTableView::init()
{
    m_table = std::make_unique<QDataTable>(QStringLiteral("units"), nullptr);
    m_table->addColumn(QStringLiteral("id"), QVariant::LongLong, false, QStringLiteral("Ключ"), 0, 40);
    m_table->addColumn(QStringLiteral("c_name"), QVariant::String, true, QStringLiteral("Имя"), 0, 120, QVariant(),
                       ColumnFixedWidth | ColumnResizeToContents);
    m_table->addColumn(QStringLiteral("n_sum"), QVariant::Double, true, QStringLiteral("Сумма"), 0, 80, QVariant(),
                       ColumnStretch);
    m_table->addColumn(QStringLiteral("d_day"), QVariant::Date, true, QStringLiteral("День"));
    openWithRows(m_table.get(), {{Q_INT64_C(42), QStringLiteral("Цех №1"), 1.5, QDate(2026, 3, 1)},
                                 {Q_INT64_C(43), QStringLiteral("Склад"), 2.0, QDate()},
                                 {Q_INT64_C(44), QStringLiteral("Удалённый"), 3.25, QDate(2026, 3, 2)}});
    m_table->deleteRow(2);
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
    QTableView view;
    m_table->setView(&view);
    m_table->setDirectEdit(directEdit);
    int displayed = 0;
    connect(m_table.get(), &QDataTable::getDispInfo, this, [&displayed] { ++displayed; });
    QSignalSpy edits(m_table.get(), &QDataTable::dataChanged);
    const int row = m_table->locate(QStringLiteral("id"), 43);
    const QModelIndex sum = m_table->getModel()->index(row, 2);
    view.setCurrentIndex(sum);
    BoxAnswerer answerer;
    QVERIFY(QMetaObject::invokeMethod(m_table.get(), "onIDRequest"));
    QCOMPARE(answerer.titles() + answerer.texts(), QStringList({"Отладка", "Таблица 'units'\nID = 43"}));

    // The view's own delegate writes nothing back.
    QLineEdit typed(QStringLiteral("9"));
    view.itemDelegate()->setModelData(&typed, m_table->getModel(), sum);
    QCOMPARE(m_table->getModel()->itemFromIndex(sum)->text(), QStringLiteral("2"));

    // A real edit in the grid, with an editing delegate in place of the read-only one.
    auto *delegate = new QStyledItemDelegate(&view);
    view.setItemDelegate(delegate);
    view.show();
    view.edit(sum);
    auto *editor = view.viewport()->findChild<QLineEdit *>();
    QVERIFY(editor);
    editor->setText(QStringLiteral("6"));
    // What the delegate does when the user confirms the edit.
    emit delegate->commitData(editor);
    QCOMPARE(QList<QVariantList>(edits), QList<QVariantList>({{"n_sum", 2.0, "6", "units"}}));
    QCOMPARE(m_table->getRowState(row), int(RowModified));
    QCOMPARE(m_table->getField(QStringLiteral("n_sum"), row).toString(), directEdit ? QStringLiteral("6") : QStringLiteral("2"));
    QCOMPARE(displayed > 0, directEdit);

    // The view is prepared once: a table bound to it later leaves its columns as they are.
    QDataTable other(QStringLiteral("other"), nullptr);
    other.addColumn(QStringLiteral("a"), QVariant::Int, true, QString(), 0, 300);
    other.open();
    other.setView(&view);
    QVERIFY(view.isColumnHidden(0));
    m_table->setView(nullptr);
    QVERIFY(m_table->getViewCurrentRow() == -1 && m_table->getViewCurrentRecord().isEmpty());
}

// The dump keeps every row as stored; the report opens in a spreadsheet
// program with the Cyrillic intact: labels, visible columns only, no
// deleted rows, decimal commas, cp1251 bytes.
void tst_QDataTableView::writesDumpsAndReport()
{
    const QString full = QStringLiteral("ROW_STATE;\"id\";\"c_name\";\"n_sum\";\"d_day\";\n"
                                        "O;\"42\";\"Цех №1\";\"1.5\";\"2026-03-01\";;\n"
                                        "O;\"43\";\"Склад\";\"2\";\"\";;\n"
                                        "D;\"44\";\"Удалённый\";\"3.25\";\"2026-03-02\";;\n");
    QTemporaryDir dir;
    m_table->dumpTable(dir.filePath(QStringLiteral("dumps")), true);
    const QFileInfoList files = QDir(dir.filePath(QStringLiteral("dumps"))).entryInfoList(QDir::Files);
    QCOMPARE(files.size(), 1);
    QFile dump(files.first().filePath());
    QVERIFY(dump.open(QIODevice::ReadOnly));
    QCOMPARE(dump.readAll(), full.toLocal8Bit());

    const QString report = dir.filePath(QStringLiteral("report.csv"));
    m_table->makeReport(report);
    const QString expected = QStringLiteral("\"Имя\";\"Сумма\";\"День\"\n"
                                            "\"Цех №1\";\"1,5\";\"%1\"\n"
                                            "\"Склад\";\"2\";\"\"\n")
            .arg(QLocale::system().toString(QDate(2026, 3, 1), QLocale::ShortFormat));
    QFile written(report);
    QVERIFY(written.open(QIODevice::ReadOnly));
    QCOMPARE(written.readAll(), QTextCodec::codecForName("cp1251")->fromUnicode(expected));
    m_table->makeReport(dir.filePath(QStringLiteral("no/such/folder/report.csv")));
}

QTEST_MAIN(tst_QDataTableView)
#include "tst_qdatatableview.moc"
