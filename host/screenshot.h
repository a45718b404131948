#pragma once

#include <QCoreApplication>
#include <QObject>
#include <QPointer>
#include <QString>

class QWidget;

// Saves a picture of a window once it has settled and reports the outcome
// as an exit status.
class Screenshot : public QObject
{
    Q_OBJECT
public:
    Screenshot(QWidget *window, const QString &fileName, QObject *parent = nullptr);

    // The picture may be of another window than the one first named, such
    // as a dialog opened meanwhile.
    void setWindow(QWidget *window) { m_window = window; }

public slots:
    // Takes the picture after the delay, so that pending layouts and paints are done.
    void takeAfter(int milliseconds = 300);

signals:
    void finished(int exitCode);

private slots:
    void take();

private:
    QPointer<QWidget> m_window;
    QString m_fileName;
};
