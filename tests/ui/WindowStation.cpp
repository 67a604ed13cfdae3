#include "tests/ui/WindowStation.h"

#include "app/QuorvelApp.h"
#include "app/WindowViews.h"
#include "tests/events/AlarmFixture.h"
#include "tests/support/SpinUntil.h"
#include "tests/ui/TextRecorder.h"
#include "tools/quorvel-sim/SimFrames.h"
#include "ui/ChildFrm.h"
#include "ui/MainFrm.h"
#include "ui/QuorvelView.h"
#include "ui/UserDialogs.h"

#include <QApplication>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QMessageBox>

WindowStation::WindowStation(const std::map<int, Pty*>& lines, int mappedChannels, const QByteArray& settings)
{
    station.WriteFile(QStringLiteral("almdata.txt"),
                      AlarmFileBytes({{0, {"ALARM", "N", "", "", "Door open"}},
                                      {1, {"EVENT", "N", "", "", "Mains restored"}},
                                      {2, {"SYSTEM", "N", "", "", "Printer offline"}},
                                      {4, {"FAULT", "N", "", "", "Mains failure"}}}));
    QByteArray map = "[ComPortAssignments]\n";
    QByteArray devices = "[ComPortDevices]\n";
    for (int n = 1; n <= mappedChannels; ++n) {
        map += QByteArray("Channel") + QByteArray::number(n) + "=COM" + QByteArray::number(n) + '\n';
        const auto line = lines.find(n);
        devices += QByteArray("COM") + QByteArray::number(n) + '='
            + (line != lines.end() ? line->second->SlavePath() : LinePath(n)).toLocal8Bit() + '\n';
    }
    for (const auto& line : lines) {
        if (line.first > mappedChannels)
            devices += QByteArray("COM") + QByteArray::number(line.first) + '=' + line.second->SlavePath().toLocal8Bit() + '\n';
    }
    station.WriteFile(QStringLiteral("config/Brannock/Quorvel.ini"), "[Backup]\nDrives=.\n" + settings);
    station.WriteFile(QStringLiteral("qvportmap.ini"), map + devices);
    QDir().mkpath(station.Path(QStringLiteral("lines")));
    for (const auto& line : lines)
        line.second->ReleaseSlave();
}

WindowStation::~WindowStation()
{
    app.reset();
    SetUserDialogs(nullptr);
}

QString WindowStation::LinePath(int channel) const
{
    return station.Path(QStringLiteral("lines/%1").arg(channel));
}

bool WindowStation::Plug(int channel, Pty& line) const
{
    line.ReleaseSlave();
    return QFile::link(line.SlavePath(), LinePath(channel));
}

bool WindowStation::Start()
{
    app = std::make_unique<CQuorvelApp>();
    auto windows = std::make_unique<WindowViews>(*app);
    views = windows.get();
    app->SetChannelViews(std::move(windows));
    return app->InitInstance();
}

CMainFrame& WindowStation::Frame() const
{
    return views->Frame();
}

CQuorvelView* WindowStation::View(int channel) const
{
    return views->Window(channel)->View();
}

QStringList WindowStation::Shown(int channel) const
{
    QStringList texts;
    for (const TextRecorder::Text& text : TextRecorder::Record(View(channel)->viewport()))
        texts.append(text.text);
    return texts;
}

QByteArray WindowStation::Archive(int channel) const
{
    QFile file(station.Path(QStringLiteral("Archives/Channel %1 %2.krv")
                                .arg(channel)
                                .arg(QDate::currentDate().toString(QStringLiteral("yyyyMMdd")))));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool SendMessage(Pty& line, const QByteArray& message)
{
    const QByteArray ack = SimFrames::TerminalAck();
    if (!line.Write(SimFrames::BlockFrame(message, false)))
        return false;
    QByteArray reply;
    return SpinUntil([&] {
        reply += line.Read(int(ack.size() - reply.size()), 1);
        return reply == ack;
    });
}

bool SendAlarm(Pty& line, int value)
{
    return SendMessage(line, QByteArray::fromHex("0100") + char(value));
}

Ticker::Ticker(std::function<bool()> step)
    : m_step(std::move(step))
{
    m_timer.start(20, this);
}

void Ticker::timerEvent(QTimerEvent*)
{
    if (!m_done && m_step())
        m_done = true;
}

QMessageBox* OpenBox()
{
    return qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
}
