#include "qcommentdialog.h"

#include <QEvent>
#include <QPushButton>

QCommentDialog::QCommentDialog(const QString &comment, bool readOnly, QWidget *parent)
    : QDialog(parent)
    , m_title(QT_TR_NOOP("Add comment"))
{
    setupUi(this);
    if (!comment.isEmpty()) {
        teComment->setReadOnly(readOnly);
        teComment->setPlainText(comment);
        m_title = readOnly ? QT_TR_NOOP("View comment") : QT_TR_NOOP("Edit comment");
    }
    setWindowTitle(tr(m_title));
    // Connected after the comment is in, so that only the user's own change
    // offers Ok: a comment merely viewed has nothing to save.
    buttonBox->button(QDialogButtonBox::Ok)->setEnabled(false);
    connect(teComment, SIGNAL(textChanged()), this, SLOT(onCheckControls()));
}

void QCommentDialog::onCheckControls()
{
    buttonBox->button(QDialogButtonBox::Ok)->setEnabled(!teComment->toPlainText().isEmpty());
}

void QCommentDialog::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange) {
        retranslateUi(this);
        setWindowTitle(tr(m_title));
    }
    QDialog::changeEvent(event);
}
