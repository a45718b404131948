// Connects in console mode through the driver named on the command line, so
// that a test can answer the y/n prompt on standard input.

#include "qsqlconnection.h"

#include <QCoreApplication>
#include <QLibrary>
#include <cstdio>

// Without an argument the driver's name is empty: nothing loads, and the
// connection says so.
int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QLibrary driver(QString::fromLocal8Bit(argv[1]));
    QSqlConnection connection(&driver);
    std::printf("\nconnected=%d\n", connection.Connect(QStringLiteral("console"), true) ? 1 : 0);
}
