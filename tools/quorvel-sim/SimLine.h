#pragma once
#include <QByteArray>
#include <QString>

// One simulated line: the master of a pseudo-terminal whose slave the program opens as a COM port.
// The simulator keeps no slave open itself, so it can see when the program opens the line (the
// master stops reporting a hang-up) and closes it again.
class SimLine
{
public:
    SimLine() = default;
    virtual ~SimLine();
    SimLine(const SimLine&) = delete;
    SimLine& operator=(const SimLine&) = delete;

    bool Create();
    int Fd() const { return m_fd; }
    QString SlavePath() const { return m_slavePath; }
    bool IsOpened() const { return m_opened; }
    bool HasOutput() const { return !m_out.isEmpty(); }

    // For a line nobody holds: true once the program has opened it.
    bool CheckOpened();
    void SetClosed() { m_opened = false; }
    // Reads what is pending and hands it to OnBytes.
    void ReadPending();
    // Writes as much of the queued output as the line takes now.
    void Flush();

protected:
    virtual void OnBytes(const char* bytes, int count) = 0;
    void Queue(const QByteArray& bytes) { m_out.append(bytes); }

private:
    int m_fd = -1;
    QString m_slavePath;
    bool m_opened = false;
    QByteArray m_out;
};
