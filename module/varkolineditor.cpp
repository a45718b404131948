#include "varkolineditor.h"
#include "attributecontext.h"
#include "attributedialog.h"
#include "attributemovedialog.h"
#include "dialogplacement.h"
#include "hostcontract.h"
#include "moduledocument.h"
#include "productdialog.h"
#include "qdataset.h"
#include "qdatatable.h"
#include "qsqlconnection.h"

#include <QDebug>
#include <QMessageBox>
#include <QStandardItemModel>

namespace {

const int workplaceTab = 0;
const int productTab = 1;
const int markColumn = 4;

bool readEditorContext(const QWidget *parent, AttributeContext *context)
{
    const auto *editor = qobject_cast<const VarkolinEditor *>(parent);
    if (!editor)
        return false;
    context->tab = editor->tabWidget->currentIndex();
    context->document = editor->document();
    context->unitId = editor->unitId();
    return true;
}

} // namespace

VarkolinEditor::VarkolinEditor(QDataSet *document, QWidget *parent)
    : QWidget(parent)
    , m_document(document)
{
    setupUi(this);
    setAttributeContextReader(&readEditorContext);
    m_workplaces = bindTable("t_prod_workplace", tvWorkplace);
    m_products = bindTable("t_prod_product", tvProduct);
    connect(tabWidget, &QTabWidget::currentChanged, this, &VarkolinEditor::updateButtons);
    updateButtons();
}

VarkolinEditor::~VarkolinEditor()
{
    if (m_workplaces && m_workplaces->getView() == tvWorkplace)
        m_workplaces->setView(nullptr);
    if (m_products && m_products->getView() == tvProduct)
        m_products->setView(nullptr);
}

QDataSet *VarkolinEditor::document() const
{
    return m_document;
}

QDataTable *VarkolinEditor::bindTable(const char *name, QTableView *view)
{
    QDataTable *table = m_document ? m_document->getTable(QLatin1String(name)) : nullptr;
    if (!table)
        return nullptr;
    table->setView(view);
    table->setSelectParam(QStringLiteral("id_unit"), -1);
    loadTables({table}, this);
    connect(view->selectionModel(), &QItemSelectionModel::currentRowChanged, this, &VarkolinEditor::updateButtons);
    connect(table, SIGNAL(getDispInfo(int, QVariant*, QCellData*, QSqlRecord*, int)),
            this, SLOT(onGetDispInfo(int, QVariant*, QCellData*, QSqlRecord*, int)));
    return table;
}

// The lists' captions are the data set's, made once from translated texts.
void VarkolinEditor::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange) {
        retranslateUi(this);
        labelColumns(m_workplaces);
        labelColumns(m_products);
    }
    QWidget::changeEvent(event);
}

void VarkolinEditor::setData(QSqlRecord rec)
{
    m_unit = rec;
    m_unitId = rec.value(QStringLiteral("id")).toLongLong();
    m_unsaved = false;
    tvWorkplace->setColumnHidden(markColumn, !rec.value(QStringLiteral("b_is_side")).toBool());
    refreshContentData();
}

void VarkolinEditor::refreshContentData()
{
    for (QDataTable *table : {m_workplaces, m_products}) {
        if (!table)
            continue;
        table->close();
        table->setSelectParam(QStringLiteral("id_unit"), m_unitId);
    }
    loadTables({m_workplaces, m_products}, this);
    // The mark is the editor's own doing, not the user's: no dataChanged.
    if (m_workplaces && m_unit.value(QStringLiteral("b_is_side")).toBool()) {
        const int row = m_workplaces->locate(QStringLiteral("id_attribute"), m_unit.value(QStringLiteral("id_storage")));
        if (row >= 0)
            markStorage(m_workplaces, row, true);
    }
    updateButtons();
}

void VarkolinEditor::markStorage(QDataTable *workplaces, int row, bool mark)
{
    QSqlRecord record = workplaces->getRecord(row, false);
    record.setValue(QStringLiteral("v"), mark);
    workplaces->setRow(row, record, false);
}

QDataTable *VarkolinEditor::lookupTable(const char *name) const
{
    return m_document ? m_document->getTable(QLatin1String(name)) : nullptr;
}

QDataTable *VarkolinEditor::currentTable() const
{
    switch (tabWidget->currentIndex()) {
    case workplaceTab:
        return m_workplaces;
    case productTab:
        return m_products;
    default:
        return nullptr;
    }
}

bool VarkolinEditor::getCurrentAttribute(qlonglong &id, QString &name)
{
    id = -1;
    name = QStringLiteral("???");
    const int tab = tabWidget->currentIndex();
    if (tab != workplaceTab && tab != productTab)
        return false;
    QDataTable *table = currentTable();
    const int row = (tab == workplaceTab ? tvWorkplace : tvProduct)->currentIndex().row();
    if (row < 0 || !table)
        return false;
    const QSqlRecord record = table->getRecord(row, false);
    name = record.value(QStringLiteral("c_name")).toString();
    id = record.value(QStringLiteral("id_attribute")).toLongLong();
    return true;
}

void VarkolinEditor::updateButtons()
{
    qlonglong id;
    QString name;
    const bool has = getCurrentAttribute(id, name);
    buttonEdit->setEnabled(has);
    buttonDelete->setEnabled(has);
    buttonMove->setVisible(false);
    const bool onWorkplaces = tabWidget->currentIndex() == workplaceTab;
    buttonStorage->setVisible(onWorkplaces && m_unit.value(QStringLiteral("b_is_side")).toBool());
    buttonStorage->setEnabled(onWorkplaces && has && m_workplaces
                              && !m_workplaces->getViewCurrentRecord().value(QStringLiteral("v")).toBool());
}

void VarkolinEditor::onGetDispInfo(int colNum, QVariant *data, QCellData *cData, QSqlRecord *, int state)
{
    QFont font = (tabWidget->currentIndex() == productTab ? tvProduct : tvWorkplace)->font();
    if (state == RowDeleted) {
        font.setItalic(true);
        font.setStrikeOut(true);
        cData->foreground = QBrush(Qt::gray, Qt::SolidPattern);
        cData->font = font;
    }
    if (colNum == markColumn) {
        cData->text.clear();
        if (data->toBool())
            cData->icon = QIcon(QStringLiteral(":/commonIcon/CHECK"));
    }
}

// The attribute dialog of the current tab; false when nothing usable was chosen.
bool VarkolinEditor::chooseAttribute(qlonglong &id, QString &name, QDataTable *&table)
{
    switch (tabWidget->currentIndex()) {
    case productTab: {
        ProductDialog dialog(m_document, m_unitId, this);
        // Without a content there is nowhere to place it; the window system decides.
        const QRect bounds = dialogBounds();
        if (bounds.isValid())
            dialog.setGeometry(bounds);
        if (dialog.exec() != QDialog::Accepted)
            return false;
        id = dialog.getCurrentVersion();
        name = dialog.getCurrentVersionName();
        table = m_products;
        break;
    }
    case workplaceTab: {
        AttributeDialog dialog(this);
        if (dialog.exec() != QDialog::Accepted)
            return false;
        id = dialog.comboBox->currentData(Qt::UserRole).toLongLong();
        name = dialog.comboBox->currentText();
        table = m_workplaces;
        break;
    }
    default:
        return false;
    }
    return id >= 1 && table;
}

void VarkolinEditor::on_buttonNew_clicked()
{
    qlonglong id = 0;
    QString name;
    QDataTable *table = nullptr;
    if (!chooseAttribute(id, name, table))
        return;
    QSqlRecord record = table->newRow(true);
    record.setValue(QStringLiteral("id_unit"), m_unitId);
    record.setValue(QStringLiteral("id_attribute"), id);
    record.setValue(QStringLiteral("c_name"), name);
    table->setRow(table->lastRow(), record, false);
    if (table->getView())
        table->getView()->setCurrentIndex(table->getModel()->index(table->lastRow(), 0));
    edited();
}

void VarkolinEditor::on_buttonEdit_clicked()
{
    qlonglong id = 0;
    QString name;
    QDataTable *table = nullptr;
    if (!chooseAttribute(id, name, table))
        return;
    qlonglong currentId;
    QString currentName;
    if (!getCurrentAttribute(currentId, currentName) || id == currentId)
        return;
    const int row = table->locate(QStringLiteral("id_attribute"), currentId);
    if (row < 0)
        return;
    QSqlRecord record = table->getRecord(row, false);
    record.setValue(QStringLiteral("id_attribute"), id);
    record.setValue(QStringLiteral("c_name"), name);
    table->setRow(row, record, false);
    edited();
}

void VarkolinEditor::on_buttonDelete_clicked()
{
    const int tab = tabWidget->currentIndex();
    QDataTable *table = currentTable();
    qlonglong id;
    QString name;
    if ((tab != workplaceTab && tab != productTab) || !table || !getCurrentAttribute(id, name))
        return;
    const QString prompt = tab == workplaceTab ? QStringLiteral("Вы действительно хотите удалить рабочее место\n")
                                               : QStringLiteral("Вы действительно хотите удалить продукт\n");
    if (QMessageBox::question(this, QStringLiteral("Удаление"), prompt + QLatin1Char('"') + name
                              + QStringLiteral("\" ?"), QMessageBox::Ok | QMessageBox::Cancel,
                              QMessageBox::NoButton) != QMessageBox::Ok)
        return;
    qDebug().noquote() << QStringLiteral("DELETING... %1, %2").arg(id).arg(name);
    const int row = table->locate(QStringLiteral("id_attribute"), id);
    if (row < 0)
        return;
    table->deleteRow(row);
    edited();
}

void VarkolinEditor::on_buttonStorage_clicked()
{
    QDataTable *units = lookupTable("t_prod_units");
    if (!units || !m_workplaces)
        return;
    const int unitRow = units->locate(QStringLiteral("id"), m_unit.value(QStringLiteral("id")));
    if (unitRow < 0)
        return;
    m_unit.setValue(QStringLiteral("id_storage"),
                    m_workplaces->getViewCurrentRecord().value(QStringLiteral("id_attribute")));
    units->setRow(unitRow, m_unit, false);
    edited();
    const int marked = m_workplaces->locate(QStringLiteral("v"), true);
    if (marked >= 0)
        markStorage(m_workplaces, marked, false);
    const int current = m_workplaces->getViewCurrentRow();
    if (current >= 0)
        markStorage(m_workplaces, current, true);
    updateButtons();
}

void VarkolinEditor::on_buttonMove_clicked()
{
    if (!m_workplaces || tabWidget->currentIndex() != workplaceTab)
        return;
    AttributeMoveDialog dialog(this);
    qlonglong id;
    QString name;
    if (!getCurrentAttribute(id, name) || dialog.exec() != QDialog::Accepted)
        return;
    const qlonglong target = dialog.comboBox->currentData(Qt::UserRole).toLongLong();
    if (target == m_unitId)
        return;
    const int row = m_workplaces->locate(QStringLiteral("id_attribute"), id);
    if (row < 0)
        return;
    QSqlRecord record = m_workplaces->getRecord(row, false);
    record.setValue(QStringLiteral("id_unit"), target);
    m_workplaces->setRow(row, record, false);
    edited();
}

void VarkolinEditor::edited()
{
    m_unsaved = true;
    emit dataChanged();
}

bool VarkolinEditor::saveChanges()
{
    if (m_document && m_document->commit(hostConnection())) {
        m_unsaved = false;
        return true;
    }
    // The data set is as it was before the attempt: the user corrects and applies again.
    QMessageBox::warning(this, tr("Ошибка сохранения"),
                         tr("Изменения не сохранены:\n%1").arg(m_document ? m_document->lastError() : QString()));
    return false;
}

void VarkolinEditor::commitData()
{
    if (!saveChanges()) {
        // Apply was switched off by the panel; the work is still there to apply.
        emit dataChanged();
        return;
    }
    emit signalCommitData();
    refreshContentData();
}
