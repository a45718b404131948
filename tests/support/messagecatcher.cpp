#include "messagecatcher.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QMutex>

namespace {

struct Caught
{
    QMutex mutex;
    QStringList warnings;
    QStringList debugLines;
    QtMessageHandler previous = nullptr;
};

Caught &caught()
{
    static Caught instance;
    return instance;
}

} // namespace

MessageCatcher::MessageCatcher()
{
    QMutexLocker lock(&caught().mutex);
    caught().warnings.clear();
    caught().debugLines.clear();
    caught().previous = qInstallMessageHandler(&MessageCatcher::handler);
}

MessageCatcher::~MessageCatcher()
{
    qInstallMessageHandler(caught().previous);
}

void MessageCatcher::handler(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    {
        QMutexLocker lock(&caught().mutex);
        if (type == QtWarningMsg || type == QtCriticalMsg)
            caught().warnings.append(message);
        else if (type == QtDebugMsg)
            caught().debugLines.append(message);
    }
    if (caught().previous && type != QtDebugMsg)
        caught().previous(type, context, message);
}

QStringList MessageCatcher::debugLines() const
{
    QMutexLocker lock(&caught().mutex);
    return caught().debugLines;
}

bool MessageCatcher::warned(const QString &text) const
{
    QMutexLocker lock(&caught().mutex);
    for (const QString &warning : qAsConst(caught().warnings)) {
        if (warning.contains(text))
            return true;
    }
    return false;
}

BoxAnswerer::BoxAnswerer(QMessageBox::StandardButton answer)
    : m_answer(answer)
{
    connect(&m_timer, &QTimer::timeout, this, &BoxAnswerer::answerOpenBoxes);
    m_timer.start(20);
}

void BoxAnswerer::answerOpenBoxes()
{
    const QWidgetList widgets = QApplication::topLevelWidgets();
    for (QWidget *widget : widgets) {
        auto *box = qobject_cast<QMessageBox *>(widget);
        if (!box || !box->isVisible())
            continue;
        m_titles.append(box->windowTitle());
        m_texts.append(box->text());
        if (QAbstractButton *button = box->button(m_answer))
            button->click();
        else
            box->reject();
    }
}

bool workModalDialog(const std::function<void()> &trigger, const std::function<void(QDialog *)> &hands,
                     const std::function<bool(QDialog *)> &ready)
{
    bool worked = false;
    QElapsedTimer waited;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!dialog || worked || qobject_cast<QMessageBox *>(dialog))
            return;
        if (ready && !ready(dialog)) {
            // A dialog that never gets ready (nothing loaded into it) is
            // closed, so that the fault fails the test instead of hanging it.
            if (!waited.isValid())
                waited.start();
            else if (waited.hasExpired(5000))
                dialog->reject();
            return;
        }
        worked = true;
        hands(dialog);
        if (dialog->isVisible())
            dialog->reject();
    });
    poll.start(10);
    trigger();
    return worked;
}
