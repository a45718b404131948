// Stands in for the host application until it exists: opens the database
// the driver is configured for (creating it and loading the demo data when it
// is new), logs in and says where the database is.

#include "qsqlconnection.h"

#include <QCoreApplication>
#include <QLibrary>
#include <QTextStream>

namespace {

bool seedDemoData(QSqlConnection &connection)
{
    if (connection.execScript(QStringLiteral("SELECT count(*) FROM sys.t_user")).toInt() > 0)
        return true;
    return connection.batchExec(connection.getScript(QStringLiteral("DEMO_DATA_INSERT")));
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    app.setOrganizationName(QStringLiteral("Varkolin"));
    app.setApplicationName(QStringLiteral("Varkolin"));
    QTextStream out(stdout);
    QTextStream err(stderr);

    QLibrary driver(QStringLiteral(VARKOLIN_DRIVER_FILE));
    if (!driver.load()) {
        err << "Cannot load the database driver: " << driver.errorString() << Qt::endl;
        return 1;
    }
    QSqlConnection connection(&driver);
    if (!connection.Connect(QStringLiteral("MainConnection"), true)) {
        err << "Cannot open the database." << Qt::endl;
        return 1;
    }
    if (!seedDemoData(connection)) {
        err << "Cannot load the demo data." << Qt::endl;
        return 1;
    }
    if (!connection.login(QStringLiteral("admin"), QStringLiteral("admin"))) {
        err << "The demo administrator cannot log in." << Qt::endl;
        return 1;
    }
    using FullNameFn = QString (*)();
    const auto fullName = reinterpret_cast<FullNameFn>(driver.resolve("fullName"));
    out << "Database: " << connection.db.databaseName() << Qt::endl;
    out << "Driver: " << (fullName ? fullName() : QStringLiteral("?")) << Qt::endl;
    out << "Logged in as: " << app.property("LogedIn").toString() << Qt::endl;
    return 0;
}
