#pragma once

#include "varkolin_export.h"
#include "ui_qwaitdialog.h"

#include <QWidget>

class QChaseWidget;

// A window without a frame that stays on top while a long operation runs:
// an optional text, "Пожалуйста подождите..." and a busy indicator that
// turns from construction until the window is destroyed.
class VARKOLIN_EXPORT QWaitDialog : public QWidget, private Ui::QWaitDialog
{
    Q_OBJECT
public:
    // An empty text hides the text line; only the wait line and the indicator show.
    explicit QWaitDialog(const QString &text = QString(), QWidget *parent = nullptr);

    // Changes the text line; a line hidden at construction stays hidden.
    void setText(const QString &text);
    // The busy indicator below the texts.
    QChaseWidget *chaseWidget() const { return m_chase; }

protected:
    void changeEvent(QEvent *event) override;

private:
    QChaseWidget *m_chase;
};
