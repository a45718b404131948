#pragma once

#include "varkolin_export.h"

#include <QLabel>

// A label that reports double-clicks, for captions that act as handles.
class VARKOLIN_EXPORT QClicableLabel : public QLabel
{
    Q_OBJECT
public:
    explicit QClicableLabel(const QString &text, QWidget *parent = nullptr,
                            Qt::WindowFlags f = Qt::WindowFlags());
    explicit QClicableLabel(QWidget *parent = nullptr, Qt::WindowFlags f = Qt::WindowFlags());

signals:
    // The label was double-clicked with any mouse button.
    void doubleClicked();

protected:
    // Emits doubleClicked(); the event is consumed here.
    void mouseDoubleClickEvent(QMouseEvent *event) override;
};
