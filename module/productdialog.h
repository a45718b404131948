#pragma once

#include "ui_productdialog.h"
#include "varkolin_export.h"

#include <QDialog>
#include <QIcon>
#include <QList>
#include <QPointer>

class QDataSet;
class QTreeWidgetItem;

// Picks one product version that the unit does not make yet, from a tree of
// item types, their products and the products' free versions.
class VARKOLIN_EXPORT ProductDialog : public QDialog, private Ui::ProductDialog
{
    Q_OBJECT
public:
    ProductDialog(QDataSet *document, qint64 unitId, QWidget *parent = nullptr);
    ~ProductDialog() override;

    // The chosen version's id; 0 while no version is current.
    qint64 getCurrentVersion() const;
    // "product version (part number)" of the chosen version; empty while no version is current.
    QString getCurrentVersionName() const;

public slots:
    // Reloads the catalogue and builds the tree again.
    void refresh();

private slots:
    void updateButtons();
    void fillType(QTreeWidgetItem *parent);
    void fillProduct(QTreeWidgetItem *parent);

protected:
    void changeEvent(QEvent *event) override;

private:
    // The tree fills with the event loop running between nodes, so that the
    // dialog may be gone, or a newer fill begun, when a pause returns.
    struct FillRun
    {
        QPointer<ProductDialog> dialog;
        quint64 generation;
        bool goesOn() const;
    };
    FillRun currentRun();
    // Lets pending events through for a moment; false when the fill must stop.
    static bool pause(const FillRun &run);

    QDataSet *m_document = nullptr;
    qint64 m_unitId = 0;
    QList<qint64> m_productTypes;
    quint64 m_generation = 0;
    // The catalogue loads with the event loop running; a refresh asked for
    // meanwhile waits for the load, which must not begin again under itself.
    bool m_loading = false;
    bool m_refreshAgain = false;
    // Made once: an icon reads its file when made, and the tree has one per node.
    QIcon m_typeIcon;
    QIcon m_virtualIcon;
    QIcon m_productIcon;
    QIcon m_versionIcon;
};
