#pragma once

#include "varkolin_export.h"
#include "ui_qdoccreator.h"

#include <QMainWindow>
#include <QString>

#include <functional>

class QDataTable;
class QPrinter;
class QScriptEngine;
class QScriptValue;
class QTextDocument;

// A window that makes a document from one of the database templates of a
// type: the template's script gets the template HTML, two data tables and the
// document view, and writes the document. The user saves it as HTML or PDF,
// prints it, or hands it over with saveToBase for storing.
class VARKOLIN_EXPORT QDocCreator : public QMainWindow, public Ui::QDocCreatorClass
{
    Q_OBJECT
public:
    explicit QDocCreator(const QString &templateType, QWidget *parent = nullptr);
    ~QDocCreator() override;

    // Builds the document for the source record: at once when the type has
    // one template, from the first one with the list to choose when it has
    // more; nothing when it has none.
    void makeDocument(long long idSource, bool canSave);
    // Reloads the templates of the type into the list.
    void initTemplateList();
    // Shows existing HTML without the template list.
    void setDocument(const QString &html);
    // Hides "Save to DB" once the document is stored.
    void setDocumentSaved(bool saved);

    // How long one template script may run, in milliseconds, before it is stopped.
    void setScriptTimeLimit(int milliseconds) { m_scriptTimeLimit = milliseconds; }
    int scriptTimeLimit() const { return m_scriptTimeLimit; }

    // How the window asks where to save (parent, caption, filter); an empty
    // name means cancelled. Tests and hosts without a desktop replace it;
    // null restores the file dialog.
    using SaveFileAsker = std::function<QString(QWidget *parent, const QString &caption, const QString &filter)>;
    static void setSaveFileAsker(const SaveFileAsker &asker);

    QDataTable *templateTable = nullptr;
    QString templateType;

signals:
    void saveToBase(QString html);

public slots:
    // Runs the template's script for the source; the document of the view,
    // or null when the template is missing or has no HTML or no script.
    QTextDocument *createDocument(long long idTemplate, long long idSource);
    void onTemplateSelected();
    void onSaveToBase();
    void onSavePDF();
    void onSaveHTML();
    void onPrint();
    void onPreview();
    void printPreview(QPrinter *printer);

protected:
    void changeEvent(QEvent *event) override;

private:
    void connectTemplateList(bool on);
    bool loadTemplate(long long idTemplate, QString *html, QString *script);
    void runScript(const QString &script, const QString &html, long long idSource);
    QScriptValue evaluateWatched(QScriptEngine &engine, const QString &script);
    // The name the user chose, with the suffix added when it has none; empty when cancelled.
    QString askFileName(const QString &caption, const QString &filter, const QString &suffix);
    // Tells the user that the document did not reach the file.
    void saveFailed(const QString &fileName, const QString &reason);

    long long m_idSource = 0;
    int m_scriptTimeLimit = 5000;
    bool m_scriptRunning = false;
};
