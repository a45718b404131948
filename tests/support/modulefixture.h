#pragma once

#include "testdatabases.h"

// The module's tests work its widgets.
#include <QtWidgets>

#include <functional>
#include <memory>

// A host widget and, once opened, a database with the demo data that the
// module finds as the host's connection. A message box that nobody answers
// within half a second is answered and fails the test as it goes, so that
// a fault fails the test instead of hanging it.
class ModuleFixture
{
public:
    ModuleFixture();
    // The host and with it the module's data set go before the connection.
    // Fails the current test on stray boxes.
    ~ModuleFixture();

    // False with the reason in error().
    bool open(const QString &backend);
    QString error() const { return m_connection.error(); }
    QWidget *host() { return m_host.get(); }
    QSqlConnection &connection() { return m_connection.connection(); }
    // The statement's rows, their fields joined by "|", a null as nothing.
    QStringList rows(const QString &sql);

private:
    TestConnection m_connection;
    std::unique_ptr<QWidget> m_host;
    QTimer m_guard;
    QList<QWidget *> m_open;
    QStringList m_strays;
};

// The record's fields joined by "|", a null as nothing.
QString rowText(const QSqlRecord &record);

// Runs the work and answers every message box it meets with the answer;
// returns each box as "title|text".
QStringList boxesOf(const std::function<void()> &work, QMessageBox::StandardButton answer = QMessageBox::Ok);

// Works the dialog the trigger opens, as workModalDialog does, answering
// every message box; returns each box as "title|text", after "no dialog"
// when none came up.
QStringList workDialog(const std::function<void()> &trigger, const std::function<void(QDialog *)> &hands,
                       const std::function<bool(QDialog *)> &ready = nullptr);

template<class T> T *child(const QObject *parent, const char *name)
{
    return parent->findChild<T *>(QLatin1String(name));
}
