#include "app/QuorvelApp.h"

#include <QCommandLineParser>
#include <QCoreApplication>

int RunQuorvel(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quorvel"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QUORVEL_VERSION));
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Alarm-logging workstation"));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.process(app);
    return 0;
}
