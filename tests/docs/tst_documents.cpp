#include "hostcontract.h"
#include "messagecatcher.h"
#include "qdoccreator.h"
#include "qscriptguiadapter.h"
#include "qscriptparams.h"
#include "testdatabases.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QScriptEngine>
#include <QSpinBox>
#include <QSqlField>
#include <QSqlQuery>
#include <QStandardItemModel>
#include <QtTest>

// Documents from database templates, and the objects their scripts see.
class tst_Documents : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase_data() { TestDatabases::addBackendRows(); }
    void walksParameters_data();
    void walksParameters();
    void talksToUserAndForm();
    void buildsDocuments_data();
    void buildsDocuments();
    void offersTemplatesOfType();
    void savesAndHandsOver();

private:
    bool openDatabase();
    bool addTemplate(qlonglong id, const QString &type, const QString &html, const QString &script);

    std::unique_ptr<TestConnection> m_tc;
    QString m_backend;
};

// One step of a walk over the parameters, as text.
static QString step(QScriptParams &params, const QString &op)
{
    if (op == "clear")
        params.clear();
    if (op == "clear")
        return "-";
    if (op == "count")
        return QString::number(params.count());
    if (op == "name")
        return params.getCurrentName();
    const QVariant value = op.startsWith("get:") ? params.getParam(op.mid(4)) : params.getCurrentValue();
    if (op == "value" || op.startsWith("get:"))
        return value.isValid() ? value.toString() : "?";
    const bool moved = op == "first" ? params.first() : op == "last" ? params.last() : op == "next" ? params.next() : params.prev();
    return moved ? "T" : "F";
}

void tst_Documents::walksParameters_data()
{
    QTest::addColumn<QStringList>("fields"); // of the record, "name=value"
    QTest::addColumn<QStringList>("calls");  // of setData, "names:values"
    QTest::addColumn<QString>("ops");
    QTest::addColumn<QString>("expected");
    QTest::newRow("record without fields") << QStringList() << QStringList() << "count first name value last name"
                                           << "0|F||?|F|";
    QTest::newRow("order of names, cursor stops at the ends")
        << QStringList() << QStringList({"b,a:2,1"}) << "first name next name next name prev prev name value" << "T|a|T|b|F|b|T|F|a|1";
    QTest::newRow("record fields, the later of one name wins")
        << QStringList({"id_reason=5", "c_user=x", "c_user=y"}) << QStringList() << "count first name value next name value"
        << "2|T|c_user|y|T|id_reason|5";
    QTest::newRow("uneven lists change nothing, even ones replace and add")
        << QStringList({"a=1"}) << QStringList({"a,b:9", "a,c:2,3"}) << "count get:a get:b get:c" << "2|2|?|3";
    QTest::newRow("clear keeps the cursor") << QStringList() << QStringList({"a,b,c:1,2,3"}) << "last clear count name value first"
                                            << "T|-|0||?|F";
    QTest::newRow("names are case-sensitive") << QStringList({"id_reason=5"}) << QStringList() << "get:id_reason get:ID_REASON"
                                              << "5|?";
}

void tst_Documents::walksParameters()
{
    QFETCH(QStringList, fields);
    QFETCH(QStringList, calls);
    QFETCH(QString, ops);
    QSqlRecord record;
    for (const QString &field : fields) {
        record.append(QSqlField(field.section('=', 0, 0), QVariant::String));
        record.setValue(record.count() - 1, field.section('=', 1));
    }
    QScriptParams params(nullptr, &record);
    for (const QString &call : calls) {
        QList<QVariant> values;
        for (const QString &value : call.section(':', 1).split(','))
            values << value;
        params.setData(call.section(':', 0, 0).split(','), values);
    }
    QStringList results;
    for (const QString &op : ops.split(' '))
        results << step(params, op);
    QTEST(results.join('|'), "expected");
}

// The adapter as a script calls it (overloads by argument count), questions
// answered by a box or a dialog, and files read up to a zero byte.
void tst_Documents::talksToUserAndForm()
{
    QWidget form;
    auto *inner = new QWidget(&form);
    auto *combo = new QComboBox(inner);
    combo->setObjectName("cbKind");
    auto *list = new QListWidget(inner);
    list->setObjectName("lwItems");
    QScriptGUIAdapter adapter;
    QScriptEngine engine;
    engine.globalObject().setProperty("gui", engine.newQObject(&adapter));
    engine.evaluate("gui.addToCombo('cbKind', 'без формы')");
    adapter.setForm(&form);
    const QString reads = "[gui.getComboData('cbKind'), gui.getComboData('cbNone'), gui.getListText('lwItems'), gui.getListData('lwItems')].join('|')";
    QCOMPARE(engine.evaluate("gui.addToList('lwItems', 'A', 7); gui.addToList('lwItems', 'B');" + reads).toString(), "|||");
    engine.evaluate("gui.addToCombo('cbKind', 'Один', 1); gui.addToCombo('cbKind', 'Два'); gui.addToCombo('cbNone', 'x', 3); gui.addToCombo('lwItems', 'x')");
    list->setCurrentRow(0);
    QCOMPARE(engine.evaluate(reads).toString(), "1||A|7");
    QCOMPARE(combo->count() + list->count(), 4);

    QScriptParams params;
    QStringList answers;
    for (QMessageBox::StandardButton button : {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel}) {
        BoxAnswerer answerer(button);
        const bool yes = params.askToUser("Вопрос", "Удалить?");
        answers << QString::number(yes) + answerer.titles().join(',');
    }
    QCOMPARE(answers, QStringList({"1Вопрос", "0Вопрос", "0Вопрос"}));
    QTemporaryDir dir;
    QFile file(dir.filePath("zero.txt"));
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(QByteArray("до нуля\0после", 20)) == 20);
    file.close();
    QCOMPARE(params.getFromFile(file.fileName()) + '|' + params.getFromFile(dir.filePath("none.txt")), "до нуля|");

    QStringList got;
    const auto ask = [&](int type, const QVariant &initial, const std::function<void(QDialog *)> &hands) {
        QVariant value;
        QVERIFY(workModalDialog([&] { value = params.getFromUser("Ввод", "Значение", type, initial); }, hands));
        got << (value.isValid() ? QString(value.typeName()) + ':' + value.toString() : "cancelled");
    };
    ask(QVariant::String, "было", [](QDialog *d) { d->findChild<QLineEdit *>()->setText("стало"); d->accept(); });
    ask(QVariant::LongLong, 5, [](QDialog *d) { d->findChild<QSpinBox *>()->setValue(12); d->accept(); });
    ask(QVariant::Date, QDate(2026, 12, 6), [](QDialog *d) { d->reject(); });
    QVERIFY(workModalDialog([&] { got << params.getFromFile(); }, [](QDialog *d) { d->reject(); }));
    QCOMPARE(got, QStringList({"QString:стало", "qlonglong:12", "cancelled", ""}));
}

bool tst_Documents::openDatabase()
{
    QFETCH_GLOBAL(QString, backend);
    if (m_tc && m_backend == backend)
        return true;
    m_tc.reset(new TestConnection);
    m_backend = backend;
    if (!m_tc->open(backend, true))
        return false;
    setHostConnection(&m_tc->connection());
    setHostLoggedIn("Тестов Т.", "test", QString());
    return true;
}

bool tst_Documents::addTemplate(qlonglong id, const QString &type, const QString &html, const QString &script)
{
    QSqlQuery query(m_tc->connection().db);
    const QVariantList values{id, type, "Шаблон " + html, html, script};
    if (!query.prepare("DELETE FROM sys.t_doc_template WHERE id = ?") || (query.addBindValue(id), !query.exec()))
        return false;
    if (!query.prepare("INSERT INTO sys.t_doc_template (id, c_type, c_title, c_html, c_script) VALUES (?, ?, ?, ?, ?)"))
        return false;
    for (const QVariant &value : values)
        query.addBindValue(value);
    return query.exec();
}

void tst_Documents::buildsDocuments_data()
{
    QTest::addColumn<QString>("script"); // empty: the demo template
    QTest::addColumn<QString>("text");   // the document's text; "null" when none is made
    QTest::addColumn<QString>("box");    // part of the error box's text
    QTest::newRow("demo template names the user") << QString() << "Карточка подразделения\nПодготовил Тестов Т." << QString();
    QTest::newRow("globals and parameters")
        << "document.setPlainText([VBool, VDateTime, VDouble, VString, VInt, VLongLong, params.getParam('id_reason'), params.c_user, params.count()].join('|'))"
        << "1|16|6|10|2|4|1|Тестов Т.|3" << QString();
    QTest::newRow("rows of real tables")
        << "table.setScripts('PROD_UNITS_SELECT'); table.open(); var rows = [];"
           "for (var i = 0; i < table.rowCount(); ++i) if (table.getField('id', i) == params.id_reason) rows.push(table.getField('c_name', i));"
           "auxtable.setScripts('PROD_WORKPLACE_SELECT'); auxtable.setSelectParam('id_unit', params.id_reason); auxtable.open();"
           "for (var ok = auxtable.first(); ok; ok = auxtable.next()) rows.push(auxtable.getField('c_name'));"
           "document.setHtml(params.c_html.replace('%USER%', rows.join(', ')));"
        << "Механообрабатывающий цех №1, Кладовая цеха №1, Склад металлопроката" << QString();
    QTest::newRow("empty script makes nothing") << "" << "null" << QString();
    QTest::newRow("syntax error runs nothing") << "document.setPlainText('partial'); var = ;" << "" << "SyntaxError";
    QTest::newRow("error keeps what was written") << "document.setPlainText('partial'); missing();" << "partial" << "ReferenceError";
    QTest::newRow("endless loop is stopped") << "document.setPlainText('partial'); while (true) {}" << "partial"
                                             << "Error: The script ran longer than 0.5 seconds and was stopped.";
}

void tst_Documents::buildsDocuments()
{
    QFETCH(QString, script);
    QFETCH(QString, text);
    QFETCH(QString, box);
    QVERIFY2(openDatabase(), qPrintable(m_tc->error()));
    const qlonglong id = script.isNull() ? 1 : 100;
    QVERIFY(script.isNull() || addTemplate(id, "TEST", "<p>%USER%</p>", script));
    QDocCreator creator("TEST");
    creator.setScriptTimeLimit(500);
    BoxAnswerer answerer;
    QElapsedTimer clock;
    clock.start();
    QTextDocument *document = creator.createDocument(id, 1);
    QVERIFY(clock.elapsed() < 3000);
    QCOMPARE(document ? document->toPlainText() : QString("null"), text);
    QCOMPARE(answerer.titles(), box.isEmpty() ? QStringList() : QStringList({"Script error"}));
    QVERIFY2(answerer.texts().value(0).contains(box), qPrintable(answerer.texts().value(0)));
}

// A type with several templates offers them; choosing one builds it for the
// same source. The script runs once a choice: a second run would ask twice.
void tst_Documents::offersTemplatesOfType()
{
    QVERIFY2(openDatabase(), qPrintable(m_tc->error()));
    const QString script = "params.askToUser('Вопрос', params.c_html); document.setPlainText(params.c_html + ':' + params.id_reason)";
    for (int i = 0; i < 3; ++i)
        QVERIFY(addTemplate(201 + i, "TRIO", QString("ABC").at(i), script));
    BoxAnswerer answerer(QMessageBox::Yes);
    QDocCreator trio("TRIO"), one("PROD_UNIT_CARD"), none("NONE");
    trio.makeDocument(7, true);
    QStringList titles;
    for (int row = 0; row < trio.lvTemplates->model()->rowCount(); ++row)
        titles << trio.lvTemplates->model()->index(row, 2).data().toString();
    QCOMPARE(titles, QStringList({"Шаблон A", "Шаблон B", "Шаблон C"}));
    QVERIFY(!trio.lvTemplates->isHidden() && trio.lvTemplates->currentIndex().row() == 0);
    QCOMPARE(trio.tbDocument->toPlainText() + answerer.texts().join(','), "A:7A");
    trio.lvTemplates->setCurrentIndex(trio.lvTemplates->model()->index(1, 2));
    QCOMPARE(trio.tbDocument->toPlainText() + answerer.texts().join(','), "B:7A,B");
    QVERIFY(trio.acSaveToBase->isVisible() && trio.acSaveToBase->isEnabled());

    one.makeDocument(1, true);
    QVERIFY(one.lvTemplates->isHidden() && one.lbTemplates->isHidden() && one.tbDocument->toPlainText().endsWith("Тестов Т."));
    none.setDocument("<p>было</p>");
    none.makeDocument(1, true);
    QVERIFY(!none.acSaveToBase->isEnabled() && none.tbDocument->toPlainText() == "было");
}

// Files get their suffix when they have none; a file that cannot be written
// is told to the user instead of passing for saved.
void tst_Documents::savesAndHandsOver()
{
    QDocCreator creator("NONE");
    QTemporaryDir dir;
    QStringList asked;
    QString answer;
    QDocCreator::setSaveFileAsker([&](QWidget *, const QString &caption, const QString &filter) {
        asked << caption + ' ' + filter;
        return answer.isEmpty() ? answer : dir.filePath(answer);
    });
    BoxAnswerer answerer;
    creator.onSaveHTML(); // an empty document is not saved
    creator.setDocument("<h1>Заголовок</h1>");
    for (const char *name : {"doc", "doc.htm", "", "no/such/dir"}) {
        answer = name;
        creator.onSaveHTML();
        creator.onSavePDF();
    }
    QDocCreator::setSaveFileAsker(nullptr);
    QCOMPARE(asked.size(), 8);
    QCOMPARE(asked.mid(0, 2), QStringList({"Save to HTML HTML documents (*.html)", "Save to PDF PDF documents (*.pdf)"}));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList({"doc.htm", "doc.html", "doc.pdf"}));
    QFile html(dir.filePath("doc.html")), pdf(dir.filePath("doc.pdf"));
    QVERIFY(html.open(QIODevice::ReadOnly) && QString::fromUtf8(html.readAll()).contains("Заголовок"));
    QVERIFY(pdf.open(QIODevice::ReadOnly));
    const QByteArray bytes = pdf.readAll();
    QVERIFY(bytes.startsWith("%PDF") && bytes.count("/Type /Page\n") >= 1);
    QCOMPARE(answerer.titles(), QStringList({"Save failed", "Save failed"}));

    QSignalSpy handed(&creator, &QDocCreator::saveToBase);
    creator.onSaveToBase();
    QVERIFY(handed.size() == 1 && handed.at(0).at(0).toString().contains("Заголовок"));
    QStringList shown;
    creator.setDocumentSaved(false);
    shown << QString::number(creator.acSaveToBase->isVisible());
    creator.setDocumentSaved(true);
    shown << QString::number(creator.acSaveToBase->isVisible());
    creator.setDocumentSaved(false);
    creator.makeDocument(1, false);
    shown << QString::number(creator.acSaveToBase->isVisible());
    QCOMPARE(shown.join(""), "100");
}

QTEST_MAIN(tst_Documents)
#include "tst_documents.moc"
