#include "varkolinview.h"
#include "datalookup.h"
#include "moduledocument.h"
#include "qdataset.h"
#include "qdatatable.h"
#include "unitdialog.h"

#include <QMessageBox>
#include <QStandardItemModel>

namespace {

const int nameColumn = 1;
const int sideColumn = 2;
const int divisionColumn = 3;

} // namespace

QList<QAction *> *VarkolinView::toolBarActions()
{
    static QList<QAction *> actions;
    return &actions;
}

VarkolinView::VarkolinView(QDataSet *document, QWidget *parent)
    : QWidget(parent)
    , m_document(document)
{
    setupUi(this);
    toolBarActions()->append(actNew);
    toolBarActions()->append(actEdit);
    toolBarActions()->append(actDel);
    // The list of actions holds plain pointers; a view that goes must not
    // leave them behind.
    for (QAction *action : {actNew, actEdit, actDel})
        connect(action, &QObject::destroyed, [action] { toolBarActions()->removeAll(action); });
    m_units = document ? document->getTable(QStringLiteral("t_prod_units")) : nullptr;
    if (m_units) {
        m_units->setView(tvContent);
        connect(m_units, SIGNAL(getDispInfo(int, QVariant*, QCellData*, QSqlRecord*, int)),
                this, SLOT(onGetDispInfo(int, QVariant*, QCellData*, QSqlRecord*)));
        connect(tvContent->selectionModel(), &QItemSelectionModel::currentRowChanged,
                this, &VarkolinView::updateButtons);
    }
    updateButtons();
}

VarkolinView::~VarkolinView()
{
    if (m_units && m_units->getView() == tvContent)
        m_units->setView(nullptr);
}

// The list's captions are the data set's, made once from translated texts.
void VarkolinView::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange) {
        retranslateUi(this);
        labelColumns(m_units);
    }
    QWidget::changeEvent(event);
}

void VarkolinView::refresh()
{
    if (m_units) {
        m_units->close();
        // The first company name looked up while the units load opens the
        // companies: their failure is as much the list's.
        const TableLoadWatch watch({m_units, m_document->getTable(QStringLiteral("t_division"))});
        m_units->open(false, false);
        watch.report(this);
    }
    updateButtons();
}

bool VarkolinView::selectMatch(const QString &text, int step, bool fromTop)
{
    const int rows = m_units && !text.isEmpty() ? m_units->rowCount() : 0;
    int row = fromTop ? -1 : tvContent->currentIndex().row();
    if (row < 0)
        row = step > 0 ? -1 : rows;
    for (int i = 0; i < rows; ++i) {
        row = (row + step + rows) % rows;
        const QString name = m_units->getRecord(row, true).value(QStringLiteral("c_name")).toString();
        if (!tvContent->isRowHidden(row) && name.contains(text, Qt::CaseInsensitive)) {
            tvContent->setCurrentIndex(m_units->getModel()->index(row, nameColumn));
            return true;
        }
    }
    return false;
}

void VarkolinView::updateButtons()
{
    const bool hasCurrent = m_units && m_units->getViewCurrentRow() >= 0;
    actEdit->setEnabled(hasCurrent);
    actDel->setEnabled(hasCurrent);
}

void VarkolinView::onGetDispInfo(int colNum, QVariant *data, QCellData *cData, QSqlRecord *)
{
    if (colNum == sideColumn) {
        cData->text.clear();
        if (data->toBool())
            cData->icon = QIcon(QStringLiteral(":/commonIcon/CHECK"));
    } else if (colNum == divisionColumn) {
        cData->text = data->isNull() ? QString()
                : getValueById(m_document, QStringLiteral("t_division"), data->toLongLong(),
                               QStringLiteral("c_name")).toString();
    }
}

void VarkolinView::on_actNew_triggered()
{
    if (!m_units)
        return;
    UnitDialog dialog(this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    QSqlRecord record = m_units->newRow(true);
    dialog.getRecord(record);
    m_units->setRow(m_units->lastRow(), record, false);
    if (commitUnits())
        tvContent->setCurrentIndex(m_units->getModel()->index(m_units->lastRow(), 0));
}

void VarkolinView::on_actEdit_triggered()
{
    if (!m_units)
        return;
    const int row = m_units->getViewCurrentRow();
    const QSqlRecord record = m_units->getViewCurrentRecord();
    if (row < 0 || record.isEmpty())
        return;
    UnitDialog dialog(this);
    dialog.setRecord(record);
    if (dialog.exec() != QDialog::Accepted)
        return;
    QSqlRecord changed = record;
    dialog.getRecord(changed);
    if (changed == record)
        return;
    m_units->setRow(row, changed, false);
    commitUnits();
}

void VarkolinView::on_actDel_triggered()
{
    if (!m_units)
        return;
    const int row = m_units->getViewCurrentRow();
    const QSqlRecord record = m_units->getViewCurrentRecord();
    if (row < 0 || record.isEmpty())
        return;
    const QString text = QStringLiteral("Вы действительно хотите удалить подразделение\n\"%1\" ?")
            .arg(record.value(QStringLiteral("c_name")).toString());
    if (QMessageBox::question(this, tr("Удаление"), text, QMessageBox::Ok | QMessageBox::Cancel,
                              QMessageBox::NoButton) != QMessageBox::Ok)
        return;
    m_units->deleteRow(row);
    commitUnits();
}

// A refused change is said, and the list shows again what the database
// holds rather than a row that only looks saved.
bool VarkolinView::commitUnits()
{
    if (m_units->commit(false))
        return true;
    QMessageBox::warning(this, tr("Ошибка сохранения"), tr("Изменения не сохранены:\n%1").arg(m_units->lastError()));
    refresh();
    return false;
}
