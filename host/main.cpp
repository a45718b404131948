#include "hostapplication.h"
#include "hostoptions.h"

#include <QApplication>
#include <QTextStream>

int main(int argc, char *argv[])
{
    // A picture or the help text needs no screen: unless a platform was
    // chosen, the program draws off-screen.
    if (HostOptions::needsNoScreen(argc, argv) && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    app.setOrganizationName(QStringLiteral("Varkolin"));
    app.setApplicationName(QStringLiteral("Varkolin"));

    HostOptions options;
    switch (options.parse(app.arguments())) {
    case HostOptions::ShowHelp:
        QTextStream(stdout) << options.helpText();
        return 0;
    case HostOptions::Invalid:
        QTextStream(stderr) << options.errorText() << '\n'
                            << QCoreApplication::translate("main", "Try --help for the options.")
                            << Qt::endl;
        return 2;
    case HostOptions::Run:
        break;
    }
    HostApplication host(options);
    return host.run();
}
