#include "qconnectionprompts.h"

#include <QApplication>
#include <QDebug>
#include <QMessageBox>
#include <QTextStream>

#include <cstdio>

namespace {

QConnectionPrompts defaultPrompts;
QConnectionPrompts *installedPrompts = &defaultPrompts;

bool canShowBoxes()
{
    return qobject_cast<QApplication *>(QCoreApplication::instance()) != nullptr;
}

} // namespace

QConnectionPrompts::~QConnectionPrompts() = default;

QConnectionPrompts *QConnectionPrompts::current()
{
    return installedPrompts;
}

QConnectionPrompts *QConnectionPrompts::install(QConnectionPrompts *prompts)
{
    QConnectionPrompts *previous = installedPrompts;
    installedPrompts = prompts ? prompts : &defaultPrompts;
    return previous;
}

void QConnectionPrompts::connectFailed(const QString &answer, bool consoleMode)
{
    if (!consoleMode && canShowBoxes())
        QMessageBox::critical(nullptr, QStringLiteral("ERROR"), answer, QMessageBox::Ok);
    else
        qWarning().noquote() << answer;
}

bool QConnectionPrompts::confirmCreate(bool consoleMode)
{
    if (!consoleMode) {
        const int button = QMessageBox::question(
            nullptr, QApplication::translate("QApplication", "Unknown database"),
            QApplication::translate("QApplication", "Database is invalid or corrupted. Want for create?"),
            QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::NoButton);
        return button == QMessageBox::Ok;
    }
    QTextStream out(stdout);
    QTextStream in(stdin);
    for (;;) {
        out << "Database is invalid or corrupted. Want for create? (y/n): ";
        out.flush();
        const QString line = in.readLine(1024);
        // A closed input can never say yes; asking again would never end.
        if (line.isNull())
            return false;
        const QChar first = line.isEmpty() ? QChar() : line.at(0).toUpper();
        if (first == QLatin1Char('Y'))
            return true;
        if (first == QLatin1Char('N'))
            return false;
    }
}

void QConnectionPrompts::internalError(int code, bool consoleMode)
{
    if (consoleMode || !canShowBoxes()) {
        qDebug().noquote() << QStringLiteral("Internal error #%1. System can not startup.").arg(code);
        return;
    }
    const QString text = QApplication::translate("QApplication", "Internal error ")
            + QStringLiteral("#%1. ").arg(code)
            + QApplication::translate("QApplication", "System can not startup,");
    QMessageBox::critical(nullptr, QStringLiteral("ERROR"), text, QMessageBox::Ok);
}
