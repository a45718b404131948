// Connects in console mode through the driver named on the command line, so
// that a test can answer the y/n prompt on standard input.

#include "qsqlconnection.h"

#include <QCoreApplication>
#include <QLibrary>
#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc < 2)
        return 2;
    QLibrary driver(QString::fromLocal8Bit(argv[1]));
    QSqlConnection connection(&driver);
    const bool connected = connection.Connect(QStringLiteral("console"), true);
    std::printf("\nconnected=%d\n", connected ? 1 : 0);
    return 0;
}
