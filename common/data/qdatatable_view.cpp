// View binding and the way item changes come back into QDataTable.

#include "qdatatable.h"
#include "rowindex.h"
#include "viewbinding.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QMessageBox>
#include <QShortcut>
#include <QStandardItemModel>
#include <QTableView>
#include <QTextCodec>

void QDataTable::setView(QTableView *view)
{
    QShortcut *shortcut = m_binding->bind(view);
    if (!shortcut)
        return;
    if (m_state != TableClosed)
        prepareView(view);
    connect(shortcut, &QShortcut::activated, this, &QDataTable::onIDRequest);
}

QTableView *QDataTable::getView() const
{
    return m_binding->view();
}

void QDataTable::prepareView(QTableView *view)
{
    m_binding->prepare(view);
}

int QDataTable::getViewCurrentRow() const
{
    return m_binding->currentRow();
}

QSqlRecord QDataTable::getViewCurrentRecord() const
{
    const int row = getViewCurrentRow();
    return row < 0 ? QSqlRecord() : getRecord(row, false);
}

// Only changes from outside the table's own writes are edits: while a row is
// written its cells briefly show display text (a name in place of an id),
// which must never be taken for a new value.
void QDataTable::onItemChanged(QStandardItem *item)
{
    // A closed table takes no edits.
    if (m_ownWrites > 0 || m_state == TableClosed || !item || item->column() >= m_columns.size())
        return;
    const int row = item->row();
    const QVariant edited = item->data(Qt::EditRole);
    const QVariant current = item->data(CurrentValueRole);
    if (edited != current)
        emit dataChanged(m_columns.at(item->column()).fieldName, current, edited, objectName());
    const int state = getRowState(row);
    if (state != RowNew && state != RowDeleted)
        setRowState(row, RowModified);
    if (m_directEdit && getRowState(row) != RowDeleted) {
        {
            const OwnWrite quiet(this, OwnWrite::Quiet);
            m_index->forgetRowNumbers();
            setItemValue(item, edited, CurrentValueRole);
            setRow(row, getRecord(row, false), false);
        }
        refreshRow(row);
    }
}

void QDataTable::onIDRequest()
{
    const int row = getViewCurrentRow();
    if (row < 0)
        return;
    const QSqlRecord record = getRecord(row, false);
    const qlonglong id = record.value(QStringLiteral("id")).toLongLong();
    QMessageBox::information(nullptr, tr("Отладка"), tr("Таблица '%1'\nID = %2").arg(objectName()).arg(id),
                             QMessageBox::Ok);
}

QString QDataTable::prepareDump(bool bFullInfo)
{
    static const char stateLetters[] = "OAMD";
    QString text;
    QStringList header;
    if (bFullInfo)
        header << QStringLiteral("ROW_STATE");
    for (const colInfo &column : qAsConst(m_columns))
        header << QLatin1Char('"') + column.fieldName + QLatin1Char('"');
    text += header.join(QLatin1Char(';')) + QStringLiteral(";\n");
    for (int row = 0; row < m_model->rowCount(); ++row) {
        const int state = getRowState(row);
        if (state == RowDeleted && !bFullInfo)
            continue;
        if (bFullInfo)
            text += QString(QLatin1Char(stateLetters[qBound(0, state, 3)])) + QLatin1Char(';');
        for (int column = 0; column < m_model->columnCount(); ++column)
            text += QLatin1Char('"') + cellValue(row, column).toString() + QStringLiteral("\";");
        text += QStringLiteral(";\n");
    }
    return text;
}

void QDataTable::dumpTable(QString dmpDir, bool bFullInfo)
{
    QDir dir(dmpDir);
    if (!dir.exists())
        QDir().mkdir(dmpDir);
    const QString name = objectName() + QLatin1Char('_')
            + QDateTime::currentDateTime().toString(QStringLiteral("yyyy_MM_dd hh_mm")) + QStringLiteral(".csv");
    QFile file(dir.absoluteFilePath(name));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return;
    file.write(prepareDump(bFullInfo).toLocal8Bit());
}

QString QDataTable::reportText(const QVariant &value)
{
    switch (value.type()) {
    // The system locale's short formats, as the user's spreadsheet expects.
    case QVariant::Date:
        return QLocale::system().toString(value.toDate(), QLocale::ShortFormat);
    case QVariant::Time:
        return QLocale::system().toString(value.toTime(), QLocale::ShortFormat);
    case QVariant::DateTime:
        return QLocale::system().toString(value.toDateTime(), QLocale::ShortFormat);
    case QVariant::Double:
        return value.toString().replace(QLatin1Char('.'), QLatin1Char(','));
    default:
        return value.toString();
    }
}

void QDataTable::makeReport(QString fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return;
    // Spreadsheet programs on the users' desks read CSV in the Windows code page.
    QTextCodec *codec = QTextCodec::codecForName("cp1251");
    QStringList header;
    for (const colInfo &column : qAsConst(m_columns)) {
        if (column.visible)
            header << QLatin1Char('"') + column.label + QLatin1Char('"');
    }
    file.write(codec->fromUnicode(header.join(QLatin1Char(';')) + QLatin1Char('\n')));
    for (int row = 0; row < m_model->rowCount(); ++row) {
        if (getRowState(row) == RowDeleted)
            continue;
        QStringList cells;
        for (int column = 0; column < m_columns.size(); ++column) {
            if (m_columns.at(column).visible)
                cells << QLatin1Char('"') + reportText(cellValue(row, column)) + QLatin1Char('"');
        }
        file.write(codec->fromUnicode(cells.join(QLatin1Char(';')) + QLatin1Char('\n')));
    }
}
