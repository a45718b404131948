#include "qrecentlistdialog.h"

#include "qdatatable.h"

#include <QEvent>
#include <QPushButton>
#include <QSqlRecord>
#include <QStandardItemModel>
#include <QTimer>

// Typing pauses this long before the list moves, so that it does not jump
// about with every key.
static const int searchDelayMs = 400;

QRecentListDialog::QRecentListDialog(QDataTable *table, const QString &title, int column, QWidget *parent)
    : QDialog(parent)
    , m_table(table)
    , m_column(column)
{
    setupUi(this);
    connect(edFind, SIGNAL(textEdited(QString)), this, SLOT(onFindChanged()));
    connect(lvFavor, SIGNAL(doubleClicked(QModelIndex)), this, SLOT(onDblClick()));
    if (m_table)
        showTable(title);
}

void QRecentListDialog::showTable(const QString &title)
{
    lvFavor->setModel(m_table->getModel());
    lvFavor->setModelColumn(m_column);
    setWindowTitle(title);
    buttonBox->button(QDialogButtonBox::Ok)->setEnabled(false);
    connect(lvFavor->selectionModel(), SIGNAL(currentRowChanged(QModelIndex, QModelIndex)), this,
            SLOT(selectionChanged()));
    m_timer = new QTimer(this);
    connect(m_timer, SIGNAL(timeout()), this, SLOT(onTimeout()));
}

void QRecentListDialog::selectionChanged()
{
    m_selectedText.clear();
    const QModelIndex current = lvFavor->currentIndex();
    if (current.isValid() && m_table)
        m_selectedText = m_table->getRecord(current.row(), false).value(m_column).toString();
    buttonBox->button(QDialogButtonBox::Ok)->setEnabled(!m_selectedText.isEmpty());
}

void QRecentListDialog::onFindChanged()
{
    if (!m_timer)
        return;
    if (edFind->text().isEmpty())
        m_timer->stop();
    else
        m_timer->start(searchDelayMs);
}

void QRecentListDialog::onTimeout()
{
    if (m_timer)
        m_timer->stop();
    if (!m_table)
        return;
    // Without Qt::MatchCaseSensitive the match ignores case.
    const QList<QStandardItem *> found =
        m_table->getModel()->findItems(edFind->text(), Qt::MatchContains, m_column);
    if (!found.isEmpty())
        lvFavor->setCurrentIndex(found.first()->index());
}

void QRecentListDialog::onDblClick()
{
    if (!m_selectedText.isEmpty())
        accept();
}

void QRecentListDialog::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange) {
        // A dialog built on a table (the one that has a search timer) shows the
        // caller's title, which the form's own must not replace, even after
        // the table is gone.
        const QString title = windowTitle();
        retranslateUi(this);
        if (m_timer)
            setWindowTitle(title);
    }
    QDialog::changeEvent(event);
}
