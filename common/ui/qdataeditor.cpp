#include "qdataeditor.h"

#include <QDialog>
#include <QPushButton>

QDataEditor::QDataEditor(QWidget *parent)
    : QWidget(parent)
{
    setupUi(this);
    nameButtons();
    keepButtonsFromEnter();
    onReset();
    connect(bButtons, SIGNAL(accepted()), this, SLOT(OnOK()));
    connect(bButtons, SIGNAL(rejected()), this, SLOT(OnCancel()));
    connect(lbCaption, SIGNAL(doubleClicked()), this, SLOT(onDblClick()));
}

void QDataEditor::nameButtons()
{
    bButtons->button(QDialogButtonBox::Ok)->setText(tr("Применить"));
    bButtons->button(QDialogButtonBox::Cancel)->setText(tr("Отмена"));
}

// Enter in the module's editor must not apply or discard its changes.
void QDataEditor::keepButtonsFromEnter()
{
    for (QPushButton *button : {bButtons->button(QDialogButtonBox::Ok),
                                bButtons->button(QDialogButtonBox::Cancel)}) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }
}

void QDataEditor::initEditor(QWidget *editor)
{
    if (!editor)
        return;
    editorWidget = editor;
    editorLayout->addWidget(editor);
    lbCaption->setText(editor->windowTitle());
}

// QDialog has no slots named accepted() and rejected(), only signals; a plain
// dialog is therefore answered through accept() and reject(), which close it
// and emit those signals.
static void connectToDialog(QObject *sender, const char *signal, const QDialog *dialog,
                            const char *slot, const char *fallback)
{
    const bool declared = dialog->metaObject()->indexOfSlot(slot + 1) >= 0;
    QObject::connect(sender, signal, dialog, declared ? slot : fallback);
}

void QDataEditor::initModal(const QDialog *dialog, QWidget *editor)
{
    initEditor(editor);
    if (!dialog)
        return;
    connectToDialog(bButtons, SIGNAL(accepted()), dialog, SLOT(accepted()), SLOT(accept()));
    connectToDialog(bButtons, SIGNAL(rejected()), dialog, SLOT(rejected()), SLOT(reject()));
}

void QDataEditor::OnChange()
{
    bButtons->button(QDialogButtonBox::Ok)->setEnabled(true);
}

void QDataEditor::onReset()
{
    bButtons->button(QDialogButtonBox::Ok)->setEnabled(false);
}

void QDataEditor::onDblClick()
{
    emit popup(this);
}

void QDataEditor::OnOK()
{
    onReset();
    emit ok();
}

void QDataEditor::OnCancel()
{
    onReset();
    emit cancel();
}

bool QDataEditor::event(QEvent *event)
{
    const bool handled = QWidget::event(event);
    // The button box gives its buttons their stock names when it hears of the
    // change, which is after this panel's changeEvent(); rename them after that.
    if (event->type() == QEvent::LanguageChange)
        nameButtons();
    // Shown inside a dialog (the popup window), the button box makes its
    // accept button the default again; the panel's show comes after the box's.
    if (event->type() == QEvent::Show)
        keepButtonsFromEnter();
    return handled;
}

void QDataEditor::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange)
        retranslateUi(this);
    QWidget::changeEvent(event);
}
