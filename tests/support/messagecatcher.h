#pragma once

#include <QMessageBox>
#include <QObject>
#include <QStringList>
#include <QTimer>

#include <functional>

class QDialog;

// Collects what the code under test writes to Qt's log while it lives.
class MessageCatcher
{
public:
    MessageCatcher();
    ~MessageCatcher();

    QStringList debugLines() const;
    // Whether some warning contains the text.
    bool warned(const QString &text) const;

private:
    static void handler(QtMsgType type, const QMessageLogContext &context, const QString &message);
};

// Answers every message box that comes up while it lives, so that a prompt
// can never hang a test; remembers each box's title and text.
class BoxAnswerer : public QObject
{
    Q_OBJECT
public:
    explicit BoxAnswerer(QMessageBox::StandardButton answer = QMessageBox::Ok);

    QStringList titles() const { return m_titles; }
    QStringList texts() const { return m_texts; }

private slots:
    void answerOpenBoxes();

private:
    QMessageBox::StandardButton m_answer;
    QTimer m_timer;
    QStringList m_titles;
    QStringList m_texts;
};

// Runs the trigger, which opens a modal dialog, and works the dialog with the
// hands once it is up (and ready, when a readiness test is given). The hands
// must not wait inside: a dialog that fills itself between events would never
// get on. A dialog the hands leave open, or that is not ready within five
// seconds, is rejected. Message boxes are left to a BoxAnswerer. Returns
// whether a dialog came up ready and was worked.
bool workModalDialog(const std::function<void()> &trigger, const std::function<void(QDialog *)> &hands,
                     const std::function<bool(QDialog *)> &ready = nullptr);
