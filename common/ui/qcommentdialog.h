#pragma once

#include "varkolin_export.h"
#include "ui_qcommentdialog.h"

#include <QDialog>

// Shows, edits or adds a comment. The caller reads the result from
// teComment after exec(); Ok is enabled only once the text has been changed
// and is not empty.
class VARKOLIN_EXPORT QCommentDialog : public QDialog, public Ui::qCommentDialog
{
    Q_OBJECT
public:
    // An empty comment opens an editable, empty editor titled "Add comment";
    // otherwise the comment is shown, read-only when asked.
    explicit QCommentDialog(const QString &comment = QString(), bool readOnly = false,
                            QWidget *parent = nullptr);

protected:
    void changeEvent(QEvent *event) override;

private slots:
    void onCheckControls();

private:
    // The untranslated title, applied again when the language changes.
    const char *m_title;
};
