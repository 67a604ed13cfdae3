// Logs messages into a channel document, says "idle" once the program has gone idle, and waits
// to be killed.
#include "archive/QuorvelDoc.h"
#include "core/Station.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QDir>
#include <QTimer>

#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 3)
        return 2;
    SetStationDir(QString::fromLocal8Bit(argv[1]));
    QDir().mkpath(StationPath(QStringLiteral("Archives")));
    const int count = atoi(argv[2]);
    CQuorvelDoc doc(QStringLiteral("Crash"));
    doc.SetConnection(1, 1);

    QTimer::singleShot(0, [&] {
        for (int i = 0; i < count; ++i) {
            const QByteArray line = QByteArray::number(i % 100).rightJustified(2, '0');
            doc.HandleMessage(QByteArray("\x9e\x00", 2) + line);
        }
        // Connected after the document's own idle handler, so it runs after it.
        QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, &app, [] {
            static bool said = false;
            if (!said) {
                said = true;
                std::fputs("idle\n", stdout);
                std::fflush(stdout);
            }
        });
    });
    return app.exec();
}
