#include "hostcontract.h"
#include "messagecatcher.h"
#include "qdoccreator.h"
#include "qscriptguiadapter.h"
#include "qscriptparams.h"
#include "testdatabases.h"

#include <QComboBox>
#include <QListWidget>
#include <QScriptEngine>
#include <QSpinBox>
#include <QSqlField>
#include <QSqlQuery>
#include <QtTest>

// Documents from database templates, and the objects their scripts see.
class tst_Documents : public QObject
{
    Q_OBJECT
    std::unique_ptr<TestConnection> m_tc;
    qlonglong m_lastId = 100;

    // A fresh demo database of the run's back end, published as the host's with a logged-in user.
    bool openDatabase()
    {
        QFETCH_GLOBAL(QString, backend);
        m_tc.reset(new TestConnection);
        const bool opened = m_tc->open(backend, true);
        setHostConnection(opened ? &m_tc->connection() : nullptr);
        setHostLoggedIn("Тестов Т.", "test", QString());
        return opened;
    }

    // A template with a new id, titled after its HTML.
    bool addTemplate(const QString &type, const QString &html, const QString &script)
    {
        QSqlQuery query(m_tc->connection().db);
        if (!query.prepare("INSERT INTO sys.t_doc_template (id, c_type, c_title, c_html, c_script) VALUES (?, ?, ?, ?, ?)"))
            return false;
        for (const QVariant &value : QVariantList{++m_lastId, type, "Шаблон " + html, html, script})
            query.addBindValue(value);
        return query.exec();
    }

private slots:
    void initTestCase_data() { TestDatabases::addBackendRows(); }

    void walksParameters_data()
    {
        QTest::addColumn<QStringList>("fields"); // of the record, "name=value"
        QTest::addColumn<QStringList>("calls");  // "names:values" for setData, or "last" and "clear"
        QTest::addColumn<QString>("walk");       // what a script reads
        QTest::addColumn<QString>("expected");
        QTest::newRow("order of names, cursor stops at the ends") << QStringList() << QStringList({"b,a:2,1"})
            << "p.first(), p.getCurrentName(), p.next(), p.getCurrentName(), p.next(), p.getCurrentName(), p.prev(), p.prev(), p.getCurrentValue()"
            << "true|a|true|b|false|b|true|false|1";
        QTest::newRow("record fields, the later of one name wins") << QStringList({"id_reason=5", "c_user=x", "c_user=y"})
            << QStringList() << "p.count(), p.getCurrentName(), p.getCurrentValue(), p.last(), p.getCurrentName()" << "2|c_user|y|true|id_reason";
        QTest::newRow("uneven lists change nothing, even ones replace and add; names are case-sensitive") << QStringList({"a=1"})
            << QStringList({"a,b:9", "a,c:2,3"}) << "p.count(), p.getParam('a'), p.getParam('b'), p.getParam('c'), p.getParam('A')"
            << "2|2|undefined|3|undefined";
        QTest::newRow("clear keeps the cursor; an empty set has no current name") << QStringList() << QStringList({"a,b,c:1,2,3", "last", "clear"})
            << "p.count(), p.getCurrentName(), p.getCurrentValue(), p.first(), p.last(), p.getCurrentName()" << "0||undefined|false|false|";
    }

    void walksParameters()
    {
        QFETCH(QStringList, fields);
        QFETCH(QStringList, calls);
        QFETCH(QString, walk);
        QSqlRecord record;
        for (const QString &field : fields) {
            record.append(QSqlField(field.section('=', 0, 0), QVariant::String));
            record.setValue(record.count() - 1, field.section('=', 1));
        }
        QScriptParams params(nullptr, &record);
        for (const QString &call : calls) {
            const QStringList values = call.section(':', 1).split(',');
            if (call == "last" || call == "clear")
                call == "last" ? void(params.last()) : params.clear();
            else
                params.setData(call.section(':', 0, 0).split(','), QList<QVariant>(values.begin(), values.end()));
        }
        QScriptEngine engine;
        engine.globalObject().setProperty("p", engine.newQObject(&params));
        QTEST(engine.evaluate("[" + walk + "].map(String).join('|')").toString(), "expected");
    }

    // The adapter as a script calls it (overloads by argument count; a widget
    // of the name but of another class is not taken), values asked in a
    // dialog, and files read up to a zero byte.
    void talksToUserAndForm()
    {
        QWidget form;
        (new QComboBox(new QWidget(&form)))->setObjectName("cbKind");
        auto *list = new QListWidget(&form);
        list->setObjectName("lwItems");
        QScriptGUIAdapter adapter;
        adapter.setForm(&form);
        QScriptEngine engine;
        engine.globalObject().setProperty("gui", engine.newQObject(&adapter));
        const QString reads = "[gui.getComboData('cbKind'), gui.getComboData('cbNone'), gui.getListText('lwItems'), gui.getListData('lwItems')].join('|')";
        QCOMPARE(engine.evaluate("gui.addToList('lwItems', 'A', 7); gui.addToList('lwItems', 'B');" + reads).toString(), "|||");
        engine.evaluate("gui.addToCombo('cbKind', 'Один', 1); gui.addToCombo('cbKind', 'Два'); gui.addToCombo('cbNone', 'x', 3); gui.addToCombo('lwItems', 'x')");
        list->setCurrentRow(0);
        QCOMPARE(engine.evaluate(reads).toString() + QString::number(form.findChild<QComboBox *>()->count() + list->count()), "1||A|74");

        QScriptParams params;
        QTemporaryFile file;
        QVERIFY(file.open() && file.write(QByteArray("до нуля\0после", 20)) == 20 && file.flush());
        QCOMPARE(params.getFromFile(file.fileName()) + '|' + params.getFromFile(file.fileName() + "none"), "до нуля|");
        QVariant typed, cancelled;
        QVERIFY(workModalDialog([&] { typed = params.getFromUser("Ввод", "Число", QVariant::LongLong, 5); },
                                [](QDialog *d) { d->findChild<QSpinBox *>()->setValue(12); d->accept(); }));
        QVERIFY(workModalDialog([&] { cancelled = params.getFromUser("Ввод", "Дата", QVariant::Date, QDate(2026, 12, 6)); },
                                [](QDialog *) {}));
        QVERIFY(typed == QVariant(12LL) && !cancelled.isValid());
    }

    void buildsDocuments_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("text"); // the document's text; "null" when none is made
        QTest::addColumn<QString>("box");  // titles and texts of the boxes, closed without Yes
        QTest::newRow("globals and parameters")
            << "document.setPlainText([VBool, VDateTime, VDouble, VString, VInt, VLongLong, params.getParam('id_reason'), params.c_user, params.count(),"
           " params.askToUser('Вопрос', 'Ясно?')].join('|'))"
            << "1|16|6|10|2|4|1|Тестов Т.|3|false" << "Вопрос|Ясно?";
        QTest::newRow("empty script makes nothing") << "" << "null" << "";
        QTest::newRow("syntax error runs nothing") << "document.setPlainText('partial'); var = ;" << ""
                                                   << "Script error|SyntaxError: Parse error";
        QTest::newRow("endless loop is stopped in time") << "document.setPlainText('partial'); while (true) {}" << "partial"
            << "Script error|Error: The script ran longer than 0.5 seconds and was stopped.";
    }

    void buildsDocuments()
    {
        QFETCH(QString, script);
        QVERIFY2(openDatabase(), qPrintable(m_tc->error()));
        QVERIFY(addTemplate("TEST", "<p>%ROWS%</p>", script));
        QDocCreator creator("TEST");
        creator.setScriptTimeLimit(500);
        BoxAnswerer answerer;
        const QDeadlineTimer deadline(3000);
        QTextDocument *document = nullptr;
        QDialog caller; // documents are made from within the callers' own modal dialogs
        QTimer::singleShot(0, &caller, [&] { document = creator.createDocument(m_lastId, 1); caller.reject(); });
        caller.exec();
        QVERIFY(!deadline.hasExpired());
        QTEST(document ? document->toPlainText() : QString("null"), "text");
        QTEST((answerer.titles() + answerer.texts()).join('|'), "box");
    }

    // A type with several templates offers them; choosing one builds it for the
    // same source. The script runs once a choice: a second run would ask twice.
    void offersTemplatesOfType()
    {
        QVERIFY2(openDatabase(), qPrintable(m_tc->error()));
        const QString script = "params.askToUser('Вопрос', params.c_html); document.setPlainText(params.c_html + ':' + params.id_reason)";
        for (const char *html : {"A", "B", "C"})
            QVERIFY(addTemplate("TRIO", html, script));
        QVERIFY(addTemplate("SOLO", "Подготовил %USER%", "document.setPlainText(params.c_html.replace('%USER%', params.c_user))"));
        BoxAnswerer answerer(QMessageBox::Yes);
        QDocCreator trio("TRIO"), one("SOLO");
        trio.makeDocument(7, true);
        const QAbstractItemModel *shown = trio.lvTemplates->model();
        QVERIFY(shown->rowCount() == 3 && shown->index(1, trio.lvTemplates->modelColumn()).data() == "Шаблон B");
        QVERIFY(!trio.lvTemplates->isHidden() && trio.lvTemplates->currentIndex().row() == 0 && trio.acSaveToBase->isEnabled());
        QCOMPARE(trio.tbDocument->toPlainText() + answerer.texts().join(','), "A:7A");
        trio.lvTemplates->setCurrentIndex(trio.lvTemplates->model()->index(1, 2));
        QCOMPARE(trio.tbDocument->toPlainText() + answerer.texts().join(','), "B:7A,B");
        // The only template of its type is built at once; it gets the user's name.
        one.makeDocument(1, true);
        QVERIFY(one.lvTemplates->isHidden() && one.tbDocument->toPlainText() == "Подготовил Тестов Т.");
    }

    // Files get their suffix when they have none; a file that cannot be written
    // is told to the user instead of passing for saved.
    void savesAndHandsOver()
    {
        QVERIFY2(openDatabase(), qPrintable(m_tc->error()));
        QDocCreator creator("NONE");
        QTemporaryDir dir;
        QString answer;
        QDocCreator::setSaveFileAsker([&](QWidget *, const QString &, const QString &) { return answer; });
        BoxAnswerer answerer;
        creator.setDocument("<h1>Заголовок</h1>");
        for (const QString &name : QStringList{"doc", "doc.htm", "", "no/such/dir"}) {
            answer = name.isEmpty() ? name : dir.filePath(name);
            creator.onSaveHTML();
            creator.onSavePDF();
        }
        QDocCreator::setSaveFileAsker(nullptr);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList({"doc.htm", "doc.html", "doc.pdf"}));
        QFile html(dir.filePath("doc.html")), pdf(dir.filePath("doc.pdf"));
        QVERIFY(html.open(QIODevice::ReadOnly) && QString::fromUtf8(html.readAll()).contains("Заголовок"));
        QVERIFY(pdf.open(QIODevice::ReadOnly) && pdf.peek(4) == "%PDF" && pdf.readAll().count("/Type /Page\n") >= 1);
        QCOMPARE(answerer.titles(), QStringList({"Save failed", "Save failed"}));

        creator.makeDocument(1, false); // no template of the type: the document stays
        QVERIFY(!creator.acSaveToBase->isVisible() && !creator.acSaveToBase->isEnabled()
                && creator.tbDocument->toPlainText() == "Заголовок");
    }
};

QTEST_MAIN(tst_Documents)
#include "tst_documents.moc"
