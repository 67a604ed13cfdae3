#pragma once
#include "comms/PortSettings.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class CMessageInterpreter;
class CQuorvelDoc;
class IChannelViews;
class QThread;

// One channel of the station: its number, name and COM port, its document (on the logging thread)
// and its comms stack (on the comms thread), and the keeping of its line: opened at start-up,
// noticed when it goes away, tried again while it is missing. Losing and retrying the line happen
// on the comms thread, so a line comes back however long the windows are held; what the windows
// show of it is posted to the user-interface thread, where this object lives, and the system
// events that explain the archive's gaps go to the logging thread in the order they happened.
class Channel : public QObject
{
    Q_OBJECT
public:
    // The document is made with the channel's name as title and shown through `views` (which
    // outlive the channel); the stack feeds it. Both stay on this thread until MoveToThreads.
    Channel(int number, int port, IChannelViews& views);
    // The comms stack goes before the document it feeds; the document flushes its archive.
    ~Channel() override;

    int Number() const { return m_number; }
    QString Name() const;
    int Port() const { return m_port; }
    CQuorvelDoc* Document() const { return m_document.get(); }
    CMessageInterpreter* Interpreter() const { return m_interpreter.get(); }

    void MoveToThreads(QThread* comms, QThread* logging);
    // Start-up, on this thread: opens the line; when it does not open, the windows say so at
    // once. False when it is not open.
    bool Open();
    // On the comms thread: a line with a port that is not open is tried again with its stored
    // settings. One whose settings were refused waits until the record `storedRecord` reads for its
    // port differs: trying the same record again would only repeat the message and toggle the line.
    void Retry(const std::function<PortSettingsRecord(int port)>& storedRecord);

private:
    // On the comms thread: opens the port, notes a refused record and the line's state; true when
    // it is open.
    bool OpenLine();
    // On the comms thread, as the port reports it gone.
    void OnPortLost();
    // The line's state to the document and the windows, on this thread.
    void PostConnection(bool connected, bool show);
    // Archives a system event of the channel, on the logging thread.
    void PostSystemEvent(const char* text);

    const int m_number;
    const int m_port;  // the port map's COM number; 0 for none
    IChannelViews& m_views;
    std::unique_ptr<CQuorvelDoc> m_document;
    std::unique_ptr<CMessageInterpreter> m_interpreter;
    // Comms thread only, once the stack is there: the record the port's device refused (or that
    // held a value out of range), and whether the line went away (its coming back is then an
    // event of its archive).
    std::optional<PortSettingsRecord> m_refusedRecord;
    bool m_lost = false;
};
