#pragma once

#include "ui_attributedialog.h"
#include "varkolin_export.h"

#include <QDialog>

class QDataTable;

// Picks a storage (workplace mode) or a product version (product mode) that
// a unit does not use yet; the choice is the current item of comboBox.
class VARKOLIN_EXPORT AttributeDialog : public QDialog, public Ui::AttributeDialog
{
    Q_OBJECT
public:
    enum Mode { WorkplaceMode, ProductMode };

    // With the unit editor as parent, fills comboBox for the editor's
    // current tab as the mode constructor does; otherwise the form alone.
    explicit AttributeDialog(QWidget *parent = nullptr);
    // Reloads the free attributes of the unit into comboBox: the data set's
    // "t_workplace_free" or "t_product_free" for the mode. Warns and ends
    // rejected when there is nothing to choose.
    AttributeDialog(Mode mode, QDataTable *freeAttributes, qlonglong unitId, QWidget *parent = nullptr);

    // Rejected at once, without showing, when there was nothing to choose.
    int exec() override;

protected:
    void changeEvent(QEvent *event) override;

private:
    void fillFor(Mode mode, QDataTable *freeAttributes, qlonglong unitId);
    void fill(QDataTable *table, qlonglong unitId, const char *textField, const char *dataField,
              const QString &empty);

    bool m_finished = false;
};
