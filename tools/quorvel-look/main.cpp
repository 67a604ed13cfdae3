// Shows the main window with sixteen channel windows filled with event lines of every colour,
// some channels without their line and one fault unseen, and saves a picture of it:
//   quorvel-look [out.png] [--station DIR] [--size WxH] [--about about.png]
// Run with QT_QPA_PLATFORM=offscreen to save the picture without a display.
#include "archive/QuorvelDoc.h"
#include "core/Labels.h"
#include "core/Station.h"
#include "events/AlarmTexts.h"
#include "events/DisplayObj.h"
#include "ui/AboutDlg.h"
#include "ui/ChildFrm.h"
#include "ui/MainFrm.h"
#include "ui/QuorvelView.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QTimer>

#include <memory>
#include <vector>

namespace {

int DefaultChannelName(int index, QString& name)
{
    if (index < 0 || index >= 16)
        return 0;
    name = QString::fromLatin1(Str::kDefaultChannelName).arg(index + 1);
    return 1;
}

// Coded messages of the alarm file's first alarms in all four states, and the text messages.
void Fill(CQuorvelDoc& doc, int channel, int lines)
{
    static const QByteArrayList texts{QByteArray("\x94\x00" "Intruder zone 4", 17), QByteArray("\x84\x00" "Intruder zone 4", 17),
                                      QByteArray("\x8f\x00" "03", 4), QByteArray("\x9b\x00" "07", 4)};
    for (int i = 0; i < lines; ++i) {
        const int pick = (i * 7 + channel * 3) % 13;
        if (pick < 9)
            doc.AddEvent(new CDisplayObj(quint8(pick % 4), quint8(pick), quint8(i % 10), channel));
        else
            doc.AddEvent(new CDisplayObj(texts[pick - 9].constData(), int(texts[pick - 9].size()), channel));
    }
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addPositionalArgument(QStringLiteral("out"), QStringLiteral("picture to write"));
    parser.addOption({QStringLiteral("station"), QStringLiteral("station directory with almdata.txt"),
                      QStringLiteral("DIR"), QStringLiteral(QUORVEL_DEMO_STATION)});
    parser.addOption({QStringLiteral("size"), QStringLiteral("window size"), QStringLiteral("WxH"),
                      QStringLiteral("1600x1000")});
    parser.addOption({QStringLiteral("about"), QStringLiteral("also write a picture of the about box"),
                      QStringLiteral("FILE")});
    parser.addHelpOption();
    parser.process(app);
    const QString out = parser.positionalArguments().value(0, QStringLiteral("/tmp/quorvel-look.png"));
    const QStringList size = parser.value(QStringLiteral("size")).split(QLatin1Char('x'));

    SetStationDir(parser.value(QStringLiteral("station")));
    if (!LoadAlarmTexts())
        return 1;

    std::vector<std::unique_ptr<CQuorvelDoc>> documents;
    CMainFrame frame(DefaultChannelName);
    frame.resize(size.value(0).toInt(), size.value(1).toInt());
    frame.show();
    for (int n = 16; n >= 1; --n) {
        QString name;
        DefaultChannelName(n - 1, name);
        documents.push_back(std::make_unique<CQuorvelDoc>(name));
        CQuorvelDoc& doc = *documents.back();
        CChildFrame* child = frame.CreateChannelWindow(&doc);
        const bool connected = n % 5 != 0;
        doc.SetConnection(connected, n);
        child->View()->ShowConnection(n + 2, connected);
    }
    frame.MDITile(Qt::Horizontal);
    for (int n = 16; n >= 1; --n)
        Fill(*documents[size_t(16 - n)], n, 10 + n * 4);

    // Long enough for the unseen faults to flash once.
    QTimer::singleShot(800, &app, [&] {
        bool saved = frame.grab().save(out);
        if (parser.isSet(QStringLiteral("about"))) {
            CAboutDlg about(&frame);
            about.adjustSize();
            saved = about.grab().save(parser.value(QStringLiteral("about"))) && saved;
        }
        std::printf("%s %s\n", saved ? "wrote" : "could not write", qPrintable(out));
        app.exit(saved ? 0 : 1);
    });
    return app.exec();
}
