#pragma once

#include "varkolin_export.h"
#include "ui_qrecentlistdialog.h"

#include <QDialog>
#include <QPointer>

class QDataTable;
class QTimer;

// Picks one value from a column of a data table, with a quick search that
// moves to the first matching row once typing has paused. The caller reads
// selectedText() after exec().
class VARKOLIN_EXPORT QRecentListDialog : public QDialog, public Ui::QRecentListDialog
{
    Q_OBJECT
public:
    // Lists the table's model at the model column; the table is not owned.
    // Without a table the list is empty and Ok stays enabled.
    explicit QRecentListDialog(QDataTable *table, const QString &title = QString(), int column = 0,
                               QWidget *parent = nullptr);

    // The column text of the current row; empty when no row is current.
    QString selectedText() const { return m_selectedText; }

protected:
    void changeEvent(QEvent *event) override;

private slots:
    void selectionChanged();
    void onTimeout();
    void onFindChanged();
    void onDblClick();

private:
    void showTable(const QString &title);

    QPointer<QDataTable> m_table;
    int m_column;
    QString m_selectedText;
    QTimer *m_timer = nullptr;
};
