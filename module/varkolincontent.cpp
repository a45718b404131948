#include "varkolincontent.h"
#include "dialogplacement.h"
#include "moduledocument.h"
#include "qbubbletip.h"
#include "qdataeditor.h"
#include "qdataset.h"
#include "qdatatable.h"
#include "varkolineditor.h"
#include "varkolinview.h"

#include <QAction>
#include <QDialogButtonBox>
#include <QMessageBox>
#include <QPointer>
#include <QScopedValueRollback>
#include <QStandardItemModel>

namespace {

// Guarded: a host that destroys the content gets a new one from the next
// getInterface instead of a dangling pointer.
QPointer<VarkolinContent> content;

const int savedTipMs = 4000;

const char caption[] = QT_TRANSLATE_NOOP("VarkolinContent", "Справочник участков производства");

} // namespace

VarkolinContent::VarkolinContent(QWidget *parent)
    : QUserInterface(parent)
{
    setCaption(tr(caption));
    document = moduleDocument(this);
    initView();
    initEditor();
    onConnectPopupEditor();
    onConnectSelectionChanged();
    publishActions();
    connect(this, &QUserInterface::findFirst, this, [this] { findUnit(1, true); });
    connect(this, &QUserInterface::findNext, this, [this] { findUnit(1, false); });
    connect(this, &QUserInterface::findPrev, this, [this] { findUnit(-1, false); });
}

// A balloon left behind would point at a panel that is gone.
VarkolinContent::~VarkolinContent()
{
    QBubbleTip::hideBubble();
}

VarkolinContent *VarkolinContent::instance()
{
    return content;
}

void VarkolinContent::setInstance(VarkolinContent *newContent)
{
    content = newContent;
    setDialogArea(newContent);
}

QList<QAction *> *VarkolinContent::moduleActions()
{
    static QList<QAction *> actions;
    return &actions;
}

QRect VarkolinContent::bounds()
{
    return dialogBounds();
}

// The host keeps the list's address, so the list stays and its entries
// follow the actions: this view's actions join it, and each leaves it when
// it is destroyed, so a content made again after its predecessor was
// destroyed lists only its own actions.
void VarkolinContent::publishActions()
{
    if (!view)
        return;
    for (QAction *action : {view->actNew, view->actEdit, view->actDel}) {
        moduleActions()->append(action);
        connect(action, &QObject::destroyed, [action] { moduleActions()->removeAll(action); });
    }
}

bool VarkolinContent::initDocument()
{
    document = moduleDocument(this);
    return true;
}

bool VarkolinContent::initView()
{
    view = new VarkolinView(document, this);
    viewLayout->addWidget(view);
    return true;
}

bool VarkolinContent::initEditor()
{
    dataEditor = new QDataEditor(this);
    editor = new VarkolinEditor(document, this);
    dataEditor->initEditor(editor);
    connect(dataEditor->bButtons, &QDialogButtonBox::accepted, editor, &VarkolinEditor::commitData);
    editLayout->addWidget(dataEditor);
    connect(editor, &VarkolinEditor::dataChanged, dataEditor, &QDataEditor::OnChange);
    connect(dataEditor, &QDataEditor::cancel, this, &VarkolinContent::canceled);
    connect(dataEditor, &QDataEditor::popup, this, &QUserInterface::toggleEditorPopup);
    connect(editor, &VarkolinEditor::signalCommitData, this, &VarkolinContent::tableScroll);
    connect(editor, &VarkolinEditor::signalCommitData, this, &VarkolinContent::announceSaved);
    return true;
}

bool VarkolinContent::onConnectPopupEditor()
{
    if (view)
        connect(view->tvContent, &QAbstractItemView::doubleClicked, this, &VarkolinContent::showEditor);
    return true;
}

bool VarkolinContent::onDisconnectPopupEditor()
{
    if (view)
        disconnect(view->tvContent, &QAbstractItemView::doubleClicked, this, &VarkolinContent::showEditor);
    return true;
}

bool VarkolinContent::onConnectSelectionChanged()
{
    if (!view || !view->tvContent->selectionModel())
        return false;
    return connect(view->tvContent->selectionModel(), &QItemSelectionModel::currentChanged,
                   this, &VarkolinContent::tableScroll);
}

QString VarkolinContent::helpContext()
{
    QString key = QStringLiteral("Varkolin");
    if (view && view->tvContent->hasFocus())
        return key + QStringLiteral("#tvVarkolin");
    if (editFrame->isVisible()) {
        key += QStringLiteral("#VarkolinEditor");
        const int tab = editor ? editor->tabWidget->currentIndex() : -1;
        if (tab == 0)
            key += QStringLiteral("#tabWorkplace");
        else if (tab == 1)
            key += QStringLiteral("#tabProduct");
    }
    return key;
}

void VarkolinContent::refresh()
{
    setProperty("blockAutoRefresh", true);
    if (view)
        view->refresh();
    onUpdateUI();
}

// The frame's form keeps no caption or status of its own: both are set again
// in the new language. A status still empty waits for the first refresh.
void VarkolinContent::changeEvent(QEvent *event)
{
    QUserInterface::changeEvent(event);
    if (event->type() != QEvent::LanguageChange)
        return;
    setCaption(tr(caption));
    if (!Status->text().isEmpty())
        onUpdateUI();
}

void VarkolinContent::onUpdateUI()
{
    QDataTable *units = document ? document->getTable(QStringLiteral("t_prod_units")) : nullptr;
    if (units)
        Status->setText(tr("Всего подразделений: %1").arg(units->rowCount()));
}

// The unit found becomes the list's current one, which loads it into the editor.
void VarkolinContent::findUnit(int step, bool fromTop)
{
    const QString text = edFind->text();
    if (!view || text.isEmpty())
        return;
    if (view->selectMatch(text, step, fromTop))
        onUpdateUI();
    else
        Status->setText(tr("Нет подразделения, в названии которого есть «%1»").arg(text));
}

// Apply gives no other sign of success: the balloon says it, pointing at
// the button, and goes by itself.
void VarkolinContent::announceSaved()
{
    const QWidget *apply = dataEditor->bButtons->button(QDialogButtonBox::Ok);
    if (!apply || !apply->isVisible())
        return;
    QBubbleTip::info(tr("Сохранено"), tr("Изменения подразделения «%1» сохранены.").arg(dataEditor->lbCaption->text()),
                     apply->mapToGlobal(QPoint(apply->width() / 2, 0)), savedTipMs, true, true);
}

void VarkolinContent::showEditor()
{
    editFrame->setVisible(true);
}

void VarkolinContent::closeEditor()
{
    editFrame->setVisible(false);
}

void VarkolinContent::canceled()
{
    editFrame->setVisible(false);
    if (document)
        document->rollback();
    if (editor)
        editor->forgetChanges();
}

void VarkolinContent::tableScroll()
{
    if (m_leaving)
        return;
    QDataTable *units = document ? document->getTable(QStringLiteral("t_prod_units")) : nullptr;
    if (!units) {
        editFrame->setVisible(false);
        return;
    }
    const QSqlRecord record = units->getViewCurrentRecord();
    if (record.isEmpty()) {
        editFrame->setVisible(false);
        return;
    }
    if (!editor || !leaveUnit(record))
        return;
    dataEditor->lbCaption->setText(record.value(QStringLiteral("c_name")).toString());
    editor->setData(record);
}

// Whether the editor may load the next unit. Changes of the unit being left
// are saved or discarded as the user says; a refused save keeps them, and the
// list goes back to their unit.
bool VarkolinContent::leaveUnit(const QSqlRecord &next)
{
    if (!editor->hasUnsavedChanges())
        return true;
    if (next.value(QStringLiteral("id")).toLongLong() == editor->unitId())
        return false;
    const QScopedValueRollback<bool> leaving(m_leaving, true);
    const QString name = editor->unitRecord().value(QStringLiteral("c_name")).toString();
    const int answer = QMessageBox::question(this, tr("Несохранённые изменения"),
                                             tr("Сохранить изменения подразделения \"%1\"?").arg(name),
                                             QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes);
    if (answer == QMessageBox::Yes) {
        if (!editor->saveChanges()) {
            reselectEditedUnit();
            return false;
        }
    } else {
        document->rollback();
        editor->forgetChanges();
    }
    dataEditor->onReset();
    return true;
}

void VarkolinContent::reselectEditedUnit()
{
    QDataTable *units = document->getTable(QStringLiteral("t_prod_units"));
    const int row = units->locate(QStringLiteral("id"), editor->unitId());
    if (row >= 0)
        view->tvContent->setCurrentIndex(units->getModel()->index(row, 1));
}
