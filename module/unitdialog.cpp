#include "unitdialog.h"
#include "datalookup.h"
#include "hostcontract.h"
#include "moduledocument.h"
#include "qdatatable.h"
#include "qsqlconnection.h"

UnitDialog::UnitDialog(QWidget *parent)
    : QDialog(parent)
{
    setupUi(this);
    QSqlConnection *connection = hostConnection();
    // The company list is read afresh for every dialog; the table goes with the dialog.
    auto *divisions = new QDataTable(QStringLiteral("t_division"), connection, this);
    divisions->setScripts(QStringLiteral("SELECT id, c_name FROM sys.t_division WHERE NOT b_is_del;"),
                          QString(), QString(), QString(), true);
    loadTables({divisions}, this);
    cbDivision->clear();
    fillComboBox(cbDivision, divisions, QStringLiteral("c_name"), QStringLiteral("id"), QString(), QVariant());
    connect(leName, &QLineEdit::textChanged, this, &UnitDialog::updateButtons);
    connect(cbSide, &QCheckBox::stateChanged, this, &UnitDialog::updateButtons);
    connect(cbDivision, QOverload<int>::of(&QComboBox::currentIndexChanged), this, &UnitDialog::updateButtons);
    updateButtons();
}

void UnitDialog::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange)
        retranslateUi(this);
    QDialog::changeEvent(event);
}

void UnitDialog::setRecord(const QSqlRecord &rec)
{
    const bool outside = rec.value(QStringLiteral("b_is_side")).toBool();
    cbSide->hide();
    labelDivision->setVisible(!outside);
    cbDivision->setVisible(!outside);
    leName->setText(rec.value(QStringLiteral("c_name")).toString());
    cbSide->setChecked(outside);
    cbDivision->setCurrentIndex(cbDivision->findData(rec.value(QStringLiteral("id_division")), Qt::UserRole,
                                                     Qt::MatchExactly | Qt::MatchCaseSensitive));
}

void UnitDialog::getRecord(QSqlRecord &rec) const
{
    rec.setValue(QStringLiteral("c_name"), leName->text());
    rec.setValue(QStringLiteral("b_is_side"), cbSide->isChecked());
    if (cbSide->isChecked())
        rec.setNull(QStringLiteral("id_division"));
    else
        rec.setValue(QStringLiteral("id_division"), cbDivision->currentData(Qt::UserRole));
}

void UnitDialog::updateButtons()
{
    buttonAccept->setEnabled(!leName->text().isEmpty()
                             && (cbSide->isChecked() || cbDivision->currentData(Qt::UserRole).isValid()));
}

void UnitDialog::on_cbSide_stateChanged(int arg1)
{
    cbDivision->setEnabled(arg1 == 0);
}
