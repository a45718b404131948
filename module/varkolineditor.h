#pragma once

#include "ui_varkolineditor.h"
#include "varkolin_export.h"

#include <QPointer>
#include <QSqlRecord>
#include <QWidget>

class QDataSet;
class QDataTable;
struct cellData;
typedef cellData QCellData;

// The workplaces and products of one production unit, in two tabs. Edits
// stay pending in the data set's tables until commitData (the panel's Apply).
class VARKOLIN_EXPORT VarkolinEditor : public QWidget, public Ui::VarkolinEditor
{
    Q_OBJECT
public:
    VarkolinEditor(QDataSet *document, QWidget *parent = nullptr);
    ~VarkolinEditor() override;

    // The id and name of the current row's attribute on the current tab;
    // false (-1, "???") without a table or a current row.
    bool getCurrentAttribute(qlonglong &id, QString &name);
    // Reloads both tables for the current unit and marks an outside unit's storage.
    void refreshContentData();

    QDataSet *document() const;
    qlonglong unitId() const { return m_unitId; }
    QSqlRecord unitRecord() const { return m_unit; }
    // Whether the user changed something here since the last load, Apply or Cancel.
    bool hasUnsavedChanges() const { return m_unsaved; }
    // Forgets that there were changes (after they were discarded).
    void forgetChanges() { m_unsaved = false; }
    // Commits the data set; on failure says so and keeps every pending change.
    bool saveChanges();

signals:
    void dataChanged();
    void signalCommitData();

public slots:
    void updateButtons();
    // Makes the record the current unit and reloads both tabs.
    void setData(QSqlRecord rec);
    // Saves every pending change of the data set (the panel's Apply).
    void commitData();

private slots:
    void onGetDispInfo(int colNum, QVariant *data, QCellData *cData, QSqlRecord *rec, int state);
    void on_buttonStorage_clicked();
    void on_buttonNew_clicked();
    void on_buttonEdit_clicked();
    void on_buttonDelete_clicked();
    void on_buttonMove_clicked();

protected:
    void changeEvent(QEvent *event) override;

private:
    QDataTable *bindTable(const char *name, QTableView *view);
    QDataTable *lookupTable(const char *name) const;
    QDataTable *currentTable() const;
    bool chooseAttribute(qlonglong &id, QString &name, QDataTable *&table);
    void markStorage(QDataTable *workplaces, int row, bool mark);
    void edited();

    // The set and its tables belong to the editor's parent, which may destroy
    // them before the editor (Qt deletes children in the order they came).
    QPointer<QDataSet> m_document;
    QPointer<QDataTable> m_workplaces;
    QPointer<QDataTable> m_products;
    QSqlRecord m_unit;
    qlonglong m_unitId = -1;
    bool m_unsaved = false;
};
