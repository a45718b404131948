#include "screenshot.h"

#include <QFileInfo>
#include <QImageWriter>
#include <QPixmap>
#include <QTextStream>
#include <QTimer>
#include <QWidget>

Screenshot::Screenshot(QWidget *window, const QString &fileName, QObject *parent)
    : QObject(parent)
    , m_window(window)
    , m_fileName(QFileInfo(fileName).absoluteFilePath())
{
}

void Screenshot::takeAfter(int milliseconds)
{
    QTimer::singleShot(milliseconds, this, &Screenshot::take);
}

void Screenshot::take()
{
    QTextStream err(stderr);
    if (!m_window) {
        err << tr("The window is gone; no screenshot was taken.") << Qt::endl;
        emit finished(1);
        return;
    }
    QImageWriter writer(m_fileName, "png");
    if (!writer.write(m_window->grab().toImage())) {
        err << tr("Cannot save the screenshot to %1: %2").arg(m_fileName, writer.errorString()) << Qt::endl;
        emit finished(1);
        return;
    }
    QTextStream(stdout) << m_fileName << Qt::endl;
    emit finished(0);
}
