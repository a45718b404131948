#pragma once

#include <QMessageBox>
#include <QObject>
#include <QStringList>
#include <QTimer>

// Collects what the code under test writes to Qt's log while it lives.
class MessageCatcher
{
public:
    MessageCatcher();
    ~MessageCatcher();

    QStringList warnings() const;
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
