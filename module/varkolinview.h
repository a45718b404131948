#pragma once

#include "ui_varkolinview.h"
#include "varkolin_export.h"

#include <QList>
#include <QPointer>
#include <QSqlRecord>
#include <QWidget>

class QAction;
class QDataSet;
class QDataTable;
struct cellData;
typedef cellData QCellData;

// The list of production units, bound to the data set's "t_prod_units",
// with the New, Edit and Delete actions. Every change is committed at once.
class VARKOLIN_EXPORT VarkolinView : public QWidget, public Ui::VarkolinView
{
    Q_OBJECT
public:
    VarkolinView(QDataSet *document, QWidget *parent = nullptr);
    ~VarkolinView() override;

    // The actions of every units list, New, Edit, Delete, for the host's toolbar.
    static QList<QAction *> *toolBarActions();

    // Makes current the next unit (step 1) or the previous one (step -1)
    // after the current one, or with fromTop the first one, whose name
    // contains the text, ignoring letter case and wrapping around the list.
    // False when none matches: the current unit stays.
    bool selectMatch(const QString &text, int step, bool fromTop);

public slots:
    // Reloads the units and updates the actions.
    void refresh();
    void updateButtons();

private slots:
    void onGetDispInfo(int colNum, QVariant *data, QCellData *cData, QSqlRecord *rec);
    void on_actNew_triggered();
    void on_actEdit_triggered();
    void on_actDel_triggered();

protected:
    void changeEvent(QEvent *event) override;

private:
    bool commitUnits();

    // The set and its tables belong to the view's parent, which may destroy
    // them before the view (Qt deletes children in the order they came).
    QPointer<QDataSet> m_document;
    QPointer<QDataTable> m_units;
};
