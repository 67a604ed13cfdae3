#include "comms/SerialComms.h"

#include "comms/ComPortDevices.h"
#include "comms/PortWorker.h"
#include "core/Logging.h"
#include "core/Strings.h"
#include "core/ThreadCall.h"
#include "core/UserMessages.h"

#include <QThread>

#include <memory>

CSerialComms::CSerialComms(QObject* parent)
    : QObject(parent)
{
}

CSerialComms::~CSerialComms()
{
    StopWorker();
}

int CSerialComms::OpenPort(int nPort)
{
    if (QThread::currentThread() != thread())
        return CallOnThread(this, [this, nPort] { return OpenPort(nPort); });
    ClosePort();
    if (nPort != m_nPort)
        m_bInUseShown = false;
    m_nPort = nPort;
    m_openFailure = OpenFailure::Device;
    const QString device = ComPortDevices::DevicePath(nPort);
    if (device.isEmpty()) {
        qCWarning(lcComms) << "no device for COM" << nPort;
        return 0;
    }
    return OpenDevice(device);
}

int CSerialComms::OpenDevice(const QString& devicePath)
{
    ClosePort();
    m_openFailure = OpenFailure::Device;
    if (!StartWorker())
        return 0;
    bool inUse = false;
    if (!m_pWorker->Open(devicePath, &inUse)) {
        StopWorker();
        if (inUse)
            ReportInUse();
        return 0;
    }
    if (!ConfigurePort()) {
        m_openFailure = OpenFailure::Settings;
        StopWorker();
        return 0;
    }
    m_bConnected = 1;
    m_openFailure = OpenFailure::None;
    m_bWakeUpFailureShown = false;
    m_bInUseShown = false;
    return 1;
}

// Told once while the port stays held, not at every attempt of the retries.
void CSerialComms::ReportInUse()
{
    m_openFailure = OpenFailure::InUse;
    if (m_bInUseShown)
        return;
    m_bInUseShown = true;
    UserMessages().MessageBox(QString::fromLatin1(Str::kPortInUse).arg(m_nPort), IUserMessages::Buttons::Ok,
                              IUserMessages::Icon::Exclamation);
}

int CSerialComms::ConfigurePort()
{
    if (!m_pWorker)
        return 0;
    LoadPortSettings();
    const LineSettings line = Line();
    LineRefusal refusal;
    if (!m_pWorker->Configure(line, line.WriteTimeoutPerByte(), &refusal)) {
        // A setting the device refused is named: it may have been stored while the line was closed.
        QString text = QString::fromLatin1(Str::kPortSetupFailed).arg(m_nPort);
        if (!refusal.setting.isEmpty())
            text += QString::fromLatin1(Str::kPortSettingRefused).arg(refusal.setting, refusal.reason);
        UserMessages().ReportError(text, IUserMessages::Icon::Information);
        return 0;
    }
    return 1;
}

int CSerialComms::ClosePort()
{
    if (QThread::currentThread() != thread())
        return CallOnThread(this, [this] { return ClosePort(); });
    m_bConnected = 0;
    StopWorker();
    return 1;
}

int CSerialComms::WriteBytes(const char* buffer, int count)
{
    if (!m_bConnected || count < 0)
        return 0;
    if (m_nWriteHolds > 0) {
        m_heldWrites.append(buffer, count);
        return 1;
    }
    m_pWorker->Write(buffer, count);
    return 1;
}

CSerialComms::WriteBatch::~WriteBatch()
{
    if (--m_comms.m_nWriteHolds > 0 || m_comms.m_heldWrites.isEmpty())
        return;
    if (m_comms.m_pWorker)
        m_comms.m_pWorker->Write(m_comms.m_heldWrites.constData(), int(m_comms.m_heldWrites.size()));
    m_comms.m_heldWrites.resize(0);  // keeps its allocation for the next batch
}

int CSerialComms::ChangeLineFormat(const LineSettings& line, LineRefusal* refusal)
{
    if (QThread::currentThread() != thread())
        return CallOnThread(this, [this, line, refusal] { return ChangeLineFormat(line, refusal); });
    if (!m_bConnected || !m_pWorker || !m_pWorker->ChangeFormat(line, line.WriteTimeoutPerByte(), refusal))
        return 0;
    m_nBaud = line.baud;
    m_nDataBits = line.dataBits;
    m_nParity = line.parity;
    m_nStopBits = line.stopBits;
    return 1;
}

void CSerialComms::LoadPortSettings()
{
    // The stored "Port" value replaces the number asked for; a missing record gives port 0.
    const PortSettingsRecord record = ::LoadPortSettings(m_nPort);
    m_nPort = record.port;
    m_nBaud = record.line.baud;
    m_nDataBits = record.line.dataBits;
    m_nStopBits = record.line.stopBits;
    m_nParity = record.line.parity;
    m_nFlowControl = record.line.shake;
}

LineSettings CSerialComms::Line() const
{
    if (QThread::currentThread() != thread())
        return CallOnThread(const_cast<CSerialComms*>(this), [this] { return Line(); });
    return LineSettings{m_nBaud, m_nDataBits, m_nParity, m_nStopBits, m_nFlowControl};
}

bool CSerialComms::StartWorker()
{
    auto made = std::make_unique<PortWorker>(this);
    if (!made->HasWakeUp()) {
        // Told once, not at every reconnect attempt while the shortage lasts.
        if (!m_bWakeUpFailureShown)
            UserMessages().MessageBox(QString::fromLatin1(Str::kThreadEventFailed), IUserMessages::Buttons::Ok,
                                      IUserMessages::Icon::Exclamation);
        m_bWakeUpFailureShown = true;
        return false;
    }
    m_pWorker = made.release();
    PortWorker* worker = m_pWorker;
    m_pThread = QThread::create([worker] { worker->Run(); });
    m_pThread->setObjectName(QStringLiteral("COM%1 reader").arg(m_nPort));
    const int generation = ++m_nGeneration;
    connect(worker, &PortWorker::Lost, this, [this, generation] { OnWorkerLost(generation); },
            Qt::QueuedConnection);
    m_pThread->start();
    return true;
}

void CSerialComms::StopWorker()
{
    if (!m_pThread)
        return;
    m_pWorker->Stop();
    m_pThread->wait();
    delete m_pThread;
    delete m_pWorker;
    m_pThread = nullptr;
    m_pWorker = nullptr;
}

void CSerialComms::OnWorkerLost(int generation)
{
    if (generation != m_nGeneration || !m_bConnected)
        return;
    ClosePort();
    emit PortLost();
}
