#include "attributemovedialog.h"
#include "moduledocument.h"
#include "qdataset.h"
#include "qdatatable.h"
#include "varkolineditor.h"

AttributeMoveDialog::AttributeMoveDialog(QWidget *parent)
    : QDialog(parent)
{
    setupUi(this);
    auto *editor = qobject_cast<VarkolinEditor *>(parent);
    if (!editor)
        return;
    QDataTable *units = editor->document() ? editor->document()->getTable(QStringLiteral("t_prod_units")) : nullptr;
    if (units) {
        comboBox->clear();
        loadTables({units}, this);
        for (int row = 0; row < units->rowCount(); ++row) {
            const QSqlRecord record = units->getRecord(row, false);
            comboBox->addItem(record.value(QStringLiteral("c_name")).toString(), record.value(QStringLiteral("id")));
        }
    }
    comboBox->setCurrentIndex(comboBox->findData(editor->unitRecord().value(QStringLiteral("id")), Qt::UserRole,
                                                 Qt::MatchExactly | Qt::MatchCaseSensitive));
}

void AttributeMoveDialog::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange)
        retranslateUi(this);
    QDialog::changeEvent(event);
}
