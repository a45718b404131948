#pragma once

#include "varkolin_export.h"
#include "ui_qdataeditor.h"

#include <QWidget>

class QDialog;

// The panel around a module's editor: a caption that floats or docks the panel
// on a double-click, the editor in a scroll area, and the buttons
// "Применить" and "Отмена". "Применить" is enabled only between a change
// reported through OnChange() and the next apply or cancel.
class VARKOLIN_EXPORT QDataEditor : public QWidget, public Ui::QDataEditorClass
{
    Q_OBJECT
public:
    explicit QDataEditor(QWidget *parent = nullptr);

    // Puts the module's editor into the panel and takes its window title as caption.
    // A null editor is ignored.
    void initEditor(QWidget *editor);
    // As initEditor(), and lets the buttons answer the dialog: through its slots
    // accepted() and rejected() when it declares them, else through accept() and reject().
    void initModal(const QDialog *dialog, QWidget *editor);

    // The module's editor given to initEditor(); null until then.
    QWidget *editorWidget = nullptr;

signals:
    // Apply was pressed; emitted after the button is disabled.
    void ok();
    // Cancel was pressed; emitted after the button is disabled.
    void cancel();
    // The caption was double-clicked: float the panel, or dock it back.
    void popup(QWidget *panel);

public slots:
    // Enables "Применить".
    void OnChange();
    // Disables "Применить".
    void onReset();
    // Emits popup(this).
    void onDblClick();

protected:
    bool event(QEvent *event) override;
    void changeEvent(QEvent *event) override;

private slots:
    void OnOK();
    void OnCancel();

private:
    void nameButtons();
    void keepButtonsFromEnter();
};
