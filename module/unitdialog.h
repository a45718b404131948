#pragma once

#include "ui_unitdialog.h"
#include "varkolin_export.h"

#include <QDialog>
#include <QSqlRecord>

// Name, company and outside mark of one production unit, for a new unit or an existing one.
class VARKOLIN_EXPORT UnitDialog : public QDialog, private Ui::UnitDialog
{
    Q_OBJECT
public:
    explicit UnitDialog(QWidget *parent = nullptr);

    // Shows an existing unit; whether it is an outside company can no longer change.
    void setRecord(const QSqlRecord &rec);
    // Writes "c_name", "b_is_side" and "id_division" into the record; other fields stay.
    void getRecord(QSqlRecord &rec) const;

private slots:
    void updateButtons();
    void on_cbSide_stateChanged(int arg1);

protected:
    void changeEvent(QEvent *event) override;
};
