#pragma once
#include "tests/support/TestStation.h"
#include "tests/ui/ScriptedDialogs.h"

#include <QByteArray>

#include <memory>
#include <vector>

class CChildFrame;
class CMainFrame;
class CQuorvelDoc;
class CQuorvelView;

// A station's windows as start-up makes them: the channel names from the store, documents from
// `channels` down to 1, a window for each, tiled, channel 1 active. Boxes and dialogs are answered by
// script.
// The alarm file knows alarm 1 as a FAULT, 2 as an ALARM and 3 as an EVENT.
class ChannelWindows
{
public:
    explicit ChannelWindows(int channels = 16);
    ~ChannelWindows();

    CMainFrame& Frame() { return *m_frame; }
    CQuorvelDoc& Doc(int channel);
    CChildFrame* Window(int channel);
    CQuorvelView* View(int channel);
    // Adds a coded message's record to a channel's list, as the interpreter's document would.
    void Add(int channel, const QByteArray& message);
    void SetConnected(int channel, bool connected);

    ScriptedDialogs dialogs;
    ScriptedMessages& messages = dialogs.boxes;

private:
    TestStation m_station;
    std::vector<std::unique_ptr<CQuorvelDoc>> m_documents;  // index channel - 1
    std::vector<CChildFrame*> m_windows;
    std::unique_ptr<CMainFrame> m_frame;
};

// Messages of the fixture's alarm file, by colour: status R fault red, L fault green, alarm blue,
// event black; the text message "Alarm Clear" grey.
extern const QByteArray kRedFault;
extern const QByteArray kGreenFault;
extern const QByteArray kBlueAlarm;
extern const QByteArray kBlackEvent;
extern const QByteArray kGreyClear;
