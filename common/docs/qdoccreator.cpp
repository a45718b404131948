#include "qdoccreator.h"

#include "hostcontract.h"
#include "qdatatable.h"
#include "qscriptparams.h"
#include "qsqlconnection.h"

#include <QApplication>
#include <QDebug>
#include <QDir>
#include <QElapsedTimer>
#include <QEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QItemSelectionModel>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPointer>
#include <QPrinterInfo>
#include <QScriptEngine>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStandardItemModel>
#include <QTimer>

namespace {

QDocCreator::SaveFileAsker &saveFileAsker()
{
    static QDocCreator::SaveFileAsker asker;
    return asker;
}

// Stops a script that runs longer than the limit. The engine serves events
// while it runs, so the watch's timer gets its turn. Time spent in a dialog
// the script opened is the user's, not the script's, and does not count; the
// dialog of a caller that was up before the script started is not such a one.
class ScriptWatch
{
public:
    ScriptWatch(QScriptEngine *engine, QWidget *window, int limitMs)
        : m_engine(engine)
        , m_window(window)
        , m_outer(QApplication::activeModalWidget())
        , m_limit(limitMs)
    {
        // Made before the script starts: the engine is busy once it must be used.
        const QString text = QDocCreator::tr("The script ran longer than %1 seconds and was stopped.")
                                 .arg(limitMs / 1000.0);
        m_error = engine->globalObject().property(QStringLiteral("Error")).construct(QScriptValueList() << text);
        engine->setProcessEventsInterval(qBound(1, limitMs / 10, 100));
        QObject::connect(&m_timer, &QTimer::timeout, [this] { tick(); });
        m_clock.start();
        m_timer.start(qBound(1, limitMs / 20, 50));
    }

private:
    void tick()
    {
        const qint64 step = m_clock.restart();
        const QWidget *modal = QApplication::activeModalWidget();
        if (modal && modal != m_window && modal != m_outer)
            return;
        m_spent += step;
        if (m_spent <= m_limit)
            return;
        m_timer.stop();
        m_engine->abortEvaluation(m_error);
    }

    QScriptEngine *m_engine;
    QWidget *m_window;
    QPointer<QWidget> m_outer;
    qint64 m_limit;
    qint64 m_spent = 0;
    QScriptValue m_error;
    QElapsedTimer m_clock;
    QTimer m_timer;
};

// The QVariant type codes a script hands to calls that take a data type.
void setTypeCodes(QScriptEngine &engine)
{
    const QList<QPair<const char *, int>> types{{"VBool", QMetaType::Bool},     {"VDateTime", QMetaType::QDateTime},
                                                {"VDouble", QMetaType::Double}, {"VString", QMetaType::QString},
                                                {"VInt", QMetaType::Int},       {"VLongLong", QMetaType::LongLong}};
    for (const auto &type : types)
        engine.globalObject().setProperty(QLatin1String(type.first), type.second);
}

void setGlobal(QScriptEngine &engine, const char *name, QObject *object)
{
    // The script must not delete what the creator owns and deletes itself.
    engine.globalObject().setProperty(QLatin1String(name),
                                      engine.newQObject(object, QScriptEngine::QtOwnership,
                                                        QScriptEngine::ExcludeDeleteLater));
}

} // namespace

QDocCreator::QDocCreator(const QString &templateType, QWidget *parent)
    : QMainWindow(parent)
    , templateType(templateType)
{
    setupUi(this);
    setWindowFlags(windowFlags() | Qt::Dialog);
    lbTemplates->hide();
    lvTemplates->hide();
    templateTable = new QDataTable(QStringLiteral("t_dec_templates"), hostConnection());
    templateTable->setScripts(QStringLiteral("DOC_TEMPLATE_SELECT_GROUP"));
    acSaveToBase->setVisible(false);
}

QDocCreator::~QDocCreator()
{
    lvTemplates->setModel(nullptr);
    delete templateTable;
}

void QDocCreator::setSaveFileAsker(const SaveFileAsker &asker)
{
    saveFileAsker() = asker;
}

void QDocCreator::connectTemplateList(bool on)
{
    QItemSelectionModel *selection = lvTemplates->selectionModel();
    if (!selection)
        return;
    if (on)
        connect(selection, SIGNAL(selectionChanged(QItemSelection, QItemSelection)), this, SLOT(onTemplateSelected()));
    else
        disconnect(selection, SIGNAL(selectionChanged(QItemSelection, QItemSelection)), this, SLOT(onTemplateSelected()));
}

void QDocCreator::initTemplateList()
{
    connectTemplateList(false);
    templateTable->close();
    templateTable->setSelectParam(QStringLiteral("c_type"), templateType);
    templateTable->open(false, false);
    acSaveToBase->setEnabled(templateTable->rowCount() > 0);
    lvTemplates->setModel(templateTable->getModel());
    lvTemplates->setModelColumn(2);
    connectTemplateList(true);
}

void QDocCreator::makeDocument(long long idSource, bool canSave)
{
    acSaveToBase->setVisible(canSave);
    lbTemplates->hide();
    lvTemplates->hide();
    initTemplateList();
    const int templates = templateTable->rowCount();
    if (templates == 1)
        createDocument(templateTable->getField(QStringLiteral("id")).toLongLong(), idSource);
    if (templates < 2)
        return;
    m_idSource = idSource;
    // Quietly: the document is built once below, not once more for the
    // selection, which would run the script (and its questions) twice.
    connectTemplateList(false);
    lvTemplates->setCurrentIndex(templateTable->getModel()->index(0, 2));
    connectTemplateList(true);
    lbTemplates->show();
    lvTemplates->show();
    onTemplateSelected();
}

void QDocCreator::onTemplateSelected()
{
    const QSqlRecord record = templateTable->getRecord(lvTemplates->currentIndex().row());
    if (!record.isEmpty())
        createDocument(record.value(QStringLiteral("id")).toLongLong(), m_idSource);
}

QTextDocument *QDocCreator::createDocument(long long idTemplate, long long idSource)
{
    // The engine serves events while a script runs; a template chosen
    // meanwhile must not start a second script inside the first.
    if (m_scriptRunning) {
        qWarning() << "createDocument: a template script is still running";
        return nullptr;
    }
    QString html;
    QString script;
    if (!loadTemplate(idTemplate, &html, &script))
        return nullptr;
    m_scriptRunning = true;
    runScript(script, html, idSource);
    m_scriptRunning = false;
    return tbDocument->document();
}

bool QDocCreator::loadTemplate(long long idTemplate, QString *html, QString *script)
{
    QSqlConnection *connection = hostConnection();
    if (!connection) {
        qWarning() << "Connection not defined";
        return false;
    }
    QSqlQuery query = connection->execScript(connection->getScript(QStringLiteral("DOC_TEMPLATE_SELECT_ONCE")),
                                             QList<QVariant>{idTemplate});
    if (!query.isSelect())
        return false;
    const QSqlRecord record = query.record();
    *html = query.isValid() ? query.value(record.indexOf(QStringLiteral("c_html"))).toString() : QString();
    *script = query.isValid() ? query.value(record.indexOf(QStringLiteral("c_script"))).toString() : QString();
    return !html->isEmpty() && !script->isEmpty();
}

void QDocCreator::runScript(const QString &script, const QString &html, long long idSource)
{
    QSqlConnection *connection = hostConnection();
    QDataTable mainTable(QStringLiteral("t_main"), connection);
    QDataTable auxTable(QStringLiteral("t_aux"), connection);
    QScriptParams params;
    const QStringList names{QStringLiteral("c_html"), QStringLiteral("id_reason"), QStringLiteral("c_user")};
    const QList<QVariant> values{html, QVariant(qlonglong(idSource)), hostLoggedInName()};
    params.setData(names, values);

    QScriptEngine engine;
    setGlobal(engine, "table", &mainTable);
    setGlobal(engine, "auxtable", &auxTable);
    setGlobal(engine, "params", &params);
    setGlobal(engine, "document", tbDocument);
    // Templates also read the parameters as properties (params.c_html).
    QScriptValue paramsValue = engine.globalObject().property(QStringLiteral("params"));
    for (int i = 0; i < names.size(); ++i)
        paramsValue.setProperty(names.at(i), engine.toScriptValue(values.at(i)));
    setTypeCodes(engine);
    const QScriptValue result = evaluateWatched(engine, script);
    if (engine.hasUncaughtException() || result.isError())
        QMessageBox::critical(nullptr, tr("Script error"), result.toString(), QMessageBox::Ok);
}

// The watch ends with the evaluation, before any message box.
QScriptValue QDocCreator::evaluateWatched(QScriptEngine &engine, const QString &script)
{
    ScriptWatch watch(&engine, this, m_scriptTimeLimit);
    return engine.evaluate(script, QString(), 1);
}

void QDocCreator::setDocument(const QString &html)
{
    tbDocument->setHtml(html);
    lbTemplates->hide();
    lvTemplates->hide();
}

void QDocCreator::setDocumentSaved(bool saved)
{
    acSaveToBase->setVisible(!saved);
}

void QDocCreator::onSaveToBase()
{
    emit saveToBase(tbDocument->toHtml());
}

QString QDocCreator::askFileName(const QString &caption, const QString &filter, const QString &suffix)
{
    const SaveFileAsker &asker = saveFileAsker();
    QString name = asker ? asker(this, caption, filter) : QFileDialog::getSaveFileName(this, caption, QString(), filter);
    if (!name.isEmpty() && QFileInfo(name).suffix().isEmpty())
        name += QLatin1Char('.') + suffix;
    return name;
}

void QDocCreator::saveFailed(const QString &fileName, const QString &reason)
{
    qWarning() << "The document was not saved to" << fileName << reason;
    QMessageBox::warning(this, tr("Save failed"),
                         tr("The document was not saved to %1:\n%2").arg(QDir::toNativeSeparators(fileName), reason));
}

void QDocCreator::onSaveHTML()
{
    if (tbDocument->document()->isEmpty())
        return;
    const QString name = askFileName(tr("Save to HTML"), tr("HTML documents (*.html)"), QStringLiteral("html"));
    if (name.isEmpty())
        return;
    QFile file(name);
    const QByteArray bytes = tbDocument->document()->toHtml().toUtf8();
    // A failed open used to leave the user believing the document was saved.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size() || !file.flush())
        saveFailed(name, file.errorString());
}

void QDocCreator::onSavePDF()
{
    if (tbDocument->document()->isEmpty())
        return;
    const QString name = askFileName(tr("Save to PDF"), tr("PDF documents (*.pdf)"), QStringLiteral("pdf"));
    if (name.isEmpty())
        return;
    // The printer says nothing when it cannot write the file; ask the file first.
    QFile probe(name);
    if (!probe.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        saveFailed(name, probe.errorString());
        return;
    }
    probe.close();
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(name);
    printer.setFullPage(true);
    tbDocument->document()->print(&printer);
    if (printer.printerState() == QPrinter::Error)
        saveFailed(name, tr("the PDF could not be written"));
}

void QDocCreator::onPrint()
{
    if (tbDocument->document()->isEmpty())
        return;
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, this);
    if (tbDocument->textCursor().hasSelection())
        dialog.addEnabledOption(QAbstractPrintDialog::PrintSelection);
    dialog.setWindowTitle(tr("Print document"));
    if (dialog.exec() == QDialog::Accepted)
        tbDocument->print(&printer);
}

void QDocCreator::onPreview()
{
    if (tbDocument->document()->isEmpty() || QPrinterInfo::defaultPrinterName().isEmpty())
        return;
    QPrinter printer(QPrinter::HighResolution);
    QPrintPreviewDialog preview(&printer, this);
    connect(&preview, SIGNAL(paintRequested(QPrinter *)), this, SLOT(printPreview(QPrinter *)));
    preview.exec();
}

void QDocCreator::printPreview(QPrinter *printer)
{
    tbDocument->print(printer);
}

void QDocCreator::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange)
        retranslateUi(this);
    QMainWindow::changeEvent(event);
}
