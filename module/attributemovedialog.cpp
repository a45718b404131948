#include "attributemovedialog.h"
#include "attributecontext.h"
#include "moduledocument.h"
#include "qdataset.h"
#include "qdatatable.h"

AttributeMoveDialog::AttributeMoveDialog(QWidget *parent)
    : QDialog(parent)
{
    setupUi(this);
    AttributeContext editor;
    if (readAttributeContext(parent, &editor))
        fill(editor.document ? editor.document->getTable(QStringLiteral("t_prod_units")) : nullptr, editor.unitId);
}

AttributeMoveDialog::AttributeMoveDialog(QDataTable *units, qlonglong unitId, QWidget *parent)
    : QDialog(parent)
{
    setupUi(this);
    fill(units, unitId);
}

void AttributeMoveDialog::fill(QDataTable *units, qlonglong unitId)
{
    if (units) {
        comboBox->clear();
        loadTables({units}, this);
        for (int row = 0; row < units->rowCount(); ++row) {
            const QSqlRecord record = units->getRecord(row, false);
            comboBox->addItem(record.value(QStringLiteral("c_name")).toString(), record.value(QStringLiteral("id")));
        }
    }
    comboBox->setCurrentIndex(comboBox->findData(unitId, Qt::UserRole, Qt::MatchExactly | Qt::MatchCaseSensitive));
}

void AttributeMoveDialog::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange)
        retranslateUi(this);
    QDialog::changeEvent(event);
}
