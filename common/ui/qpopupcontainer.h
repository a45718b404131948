#pragma once

#include "varkolin_export.h"

#include <QDialog>

// The window that holds a floated editor panel. It never closes by itself:
// every way out asks for the panel to be docked again, and docking hides it.
class VARKOLIN_EXPORT QPopupContainer : public QDialog
{
    Q_OBJECT
public:
    explicit QPopupContainer(QWidget *parent = nullptr, Qt::WindowFlags flags = Qt::WindowFlags());

public slots:
    // Only emits goBack(); the window stays open.
    void accept() override;
    // Only emits goBack() (Escape lands here); the window stays open.
    void reject() override;

signals:
    // The user wants the floated widget docked again.
    void goBack();

protected:
    // Refuses to close and emits goBack().
    void closeEvent(QCloseEvent *event) override;
};
