#pragma once

#include "ui_attributemovedialog.h"
#include "varkolin_export.h"

#include <QDialog>

// Picks the unit to move the editor's current workplace to, starting on the
// editor's own unit. The parent must be the unit editor.
class VARKOLIN_EXPORT AttributeMoveDialog : public QDialog, public Ui::AttributeMoveDialog
{
    Q_OBJECT
public:
    explicit AttributeMoveDialog(QWidget *parent = nullptr);

protected:
    void changeEvent(QEvent *event) override;
};
