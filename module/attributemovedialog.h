#pragma once

#include "ui_attributemovedialog.h"
#include "varkolin_export.h"

#include <QDialog>

class QDataTable;

// Picks the unit to move a workplace to; the choice is the current item of
// comboBox.
class VARKOLIN_EXPORT AttributeMoveDialog : public QDialog, public Ui::AttributeMoveDialog
{
    Q_OBJECT
public:
    // With the unit editor as parent, lists its data set's units as the
    // other constructor does, starting on the editor's unit; otherwise the form alone.
    explicit AttributeMoveDialog(QWidget *parent = nullptr);
    // Lists every unit of the units table, starting on the workplace's own
    // unit (none current when it is not listed).
    AttributeMoveDialog(QDataTable *units, qlonglong unitId, QWidget *parent = nullptr);

protected:
    void changeEvent(QEvent *event) override;

private:
    void fill(QDataTable *units, qlonglong unitId);
};
