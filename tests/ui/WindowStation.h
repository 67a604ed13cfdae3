#pragma once
#include "tests/support/Pty.h"
#include "tests/support/TestStation.h"

#include <QBasicTimer>
#include <QByteArray>
#include <QObject>
#include <QStringList>

#include <functional>
#include <map>
#include <memory>

class CMainFrame;
class CQuorvelApp;
class CQuorvelView;
class WindowViews;
class QMessageBox;

// A station started as the program starts it with windows: its channels on lines the test holds
// or on device names that are absent, each window made through the application. The alarm file
// knows alarm 0 as an ALARM "Door open", 1 as an EVENT "Mains restored", 2 as a SYSTEM
// "Printer offline" and 4 as a FAULT "Mains failure" (3 would be an end of frame in a block-check frame).
class WindowStation
{
public:
    // `lines` by COM number, which is the channel's for channels 1 to mappedChannels; those
    // channels not given a line get a device name nothing answers to. `settings` is put into the
    // settings store before start.
    explicit WindowStation(const std::map<int, Pty*>& lines, int mappedChannels = 16, const QByteArray& settings = {});
    ~WindowStation();

    // The device name of a channel with no line of the test's: absent until Plug() names a line.
    QString LinePath(int channel) const;
    bool Plug(int channel, Pty& line) const;

    bool Start();

    CMainFrame& Frame() const;
    CQuorvelView* View(int channel) const;
    // The texts the channel's window shows now.
    QStringList Shown(int channel) const;
    QByteArray Archive(int channel) const;

    TestStation station;
    std::unique_ptr<CQuorvelApp> app;
    WindowViews* views = nullptr;
};

// Sends the coded message and is true once it is acknowledged. The program runs in this thread:
// its events are processed while the answer is awaited.
bool SendMessage(Pty& line, const QByteArray& message);
// Alarm 0 ("Door open") with `value`.
bool SendAlarm(Pty& line, int value);

// Runs `step` every 20 ms while a box's loop (or the test's) runs, until it returns true.
class Ticker : public QObject
{
public:
    explicit Ticker(std::function<bool()> step);
    bool Done() const { return m_done; }

protected:
    void timerEvent(QTimerEvent*) override;

private:
    std::function<bool()> m_step;
    QBasicTimer m_timer;
    bool m_done = false;
};

// The message box open now, if any.
QMessageBox* OpenBox();
