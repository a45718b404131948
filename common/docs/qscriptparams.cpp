#include "qscriptparams.h"

#include "qinputdialogex.h"

#include <QDebug>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QSqlField>
#include <QSqlRecord>

#include <limits>

QScriptParams::QScriptParams(QObject *parent, QSqlRecord *record)
    : QObject(parent)
{
    if (!record)
        return;
    for (int i = 0; i < record->count(); ++i)
        m_params.insert(record->fieldName(i), record->value(i));
}

void QScriptParams::clear()
{
    m_params.clear();
}

void QScriptParams::setData(const QStringList &names, const QList<QVariant> &values)
{
    if (names.isEmpty() || names.size() != values.size())
        return;
    for (int i = 0; i < names.size(); ++i)
        m_params.insert(names.at(i), values.at(i));
}

int QScriptParams::count()
{
    return m_params.size();
}

QVariant QScriptParams::getParam(QString cName)
{
    return m_params.value(cName);
}

bool QScriptParams::first()
{
    m_current = 0;
    return !m_params.isEmpty();
}

bool QScriptParams::last()
{
    m_current = m_params.size() - 1;
    return !m_params.isEmpty();
}

bool QScriptParams::next()
{
    if (m_current >= m_params.size() - 1)
        return false;
    ++m_current;
    return true;
}

bool QScriptParams::prev()
{
    if (m_current < 1)
        return false;
    --m_current;
    return true;
}

bool QScriptParams::cursorInside() const
{
    return m_current >= 0 && m_current < m_params.size();
}

QString QScriptParams::getCurrentName()
{
    return cursorInside() ? (m_params.constBegin() + m_current).key() : QString();
}

QVariant QScriptParams::getCurrentValue()
{
    return cursorInside() ? (m_params.constBegin() + m_current).value() : QVariant();
}

QVariant QScriptParams::getFromUser(QString title, QString label, int dataType, QVariant data)
{
    bool ok = false;
    QVariant value;
    switch (dataType) {
    case QMetaType::Bool:
        value = QInputDialogEx::getBool(nullptr, title, label, data.toBool(), &ok);
        break;
    case QMetaType::Int:
        value = int(QInputDialogEx::getInt(nullptr, title, label, data.toInt(), std::numeric_limits<int>::min(),
                                           std::numeric_limits<int>::max(), &ok));
        break;
    case QMetaType::LongLong:
        // The dialog's spin box holds an int; that is the range a script may ask for.
        value = QInputDialogEx::getInt(nullptr, title, label, data.toLongLong(), std::numeric_limits<int>::min(),
                                       std::numeric_limits<int>::max(), &ok);
        break;
    case QMetaType::Double:
        value = QInputDialogEx::getDouble(nullptr, title, label, data.toDouble(), 6, -1e15, 1e15, &ok);
        break;
    case QMetaType::QString:
        value = QInputDialogEx::getString(nullptr, title, label, data.toString(), &ok);
        break;
    case QMetaType::QDate:
        value = QInputDialogEx::getDate(nullptr, title, label, data.toDate(), &ok);
        break;
    case QMetaType::QTime:
        value = QInputDialogEx::getTime(nullptr, title, label, data.toTime(), &ok);
        break;
    case QMetaType::QDateTime:
        value = QInputDialogEx::getDateTime(nullptr, title, label, data.toDateTime(), &ok);
        break;
    default:
        qWarning() << "getFromUser: no way to ask for a value of type" << dataType;
    }
    return ok ? value : QVariant();
}

bool QScriptParams::askToUser(QString title, QString ask)
{
    return QMessageBox::question(nullptr, title, ask, QMessageBox::Yes | QMessageBox::No, QMessageBox::NoButton)
        == QMessageBox::Yes;
}

QString QScriptParams::getFromFile(QString sFileName)
{
    if (sFileName.isEmpty())
        sFileName = QFileDialog::getOpenFileName(nullptr, tr("Open file"), QString(), QStringLiteral("*"));
    if (sFileName.isEmpty())
        return QString();
    QFile file(sFileName);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    const QByteArray bytes = file.readAll();
    // The text ends at the first zero byte, as a C string would.
    const int end = bytes.indexOf('\0');
    return QString::fromUtf8(end < 0 ? bytes : bytes.left(end));
}

QString QScriptParams::getFromFile()
{
    return getFromFile(QString());
}
