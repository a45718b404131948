#pragma once

#include "ui_attributedialog.h"
#include "varkolin_export.h"

#include <QDialog>

// Picks a storage (workplace tab) or a product version (product tab) that
// the editor's unit does not use yet. The parent must be the unit editor;
// the choice is the current item of comboBox.
class VARKOLIN_EXPORT AttributeDialog : public QDialog, public Ui::AttributeDialog
{
    Q_OBJECT
public:
    explicit AttributeDialog(QWidget *parent = nullptr);

    // Rejected at once, without showing, when there was nothing to choose.
    int exec() override;

protected:
    void changeEvent(QEvent *event) override;

private:
    void fill(const char *tableName, const char *textField, const char *dataField, const QString &empty);

    bool m_finished = false;
};
