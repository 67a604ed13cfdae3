#include "comms/SerialComms.h"

#include "comms/ComPortDevices.h"
#include "comms/PortWorker.h"
#include "core/Logging.h"
#include "core/Strings.h"
#include "core/UserMessages.h"

#include <QThread>

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
    m_nPort = nPort;
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
    StartWorker();
    bool opened = false;
    QMetaObject::invokeMethod(
        m_pWorker, [worker = m_pWorker, devicePath] { return worker->Open(devicePath); },
        Qt::BlockingQueuedConnection, &opened);
    if (!opened || !ConfigurePort()) {
        StopWorker();
        return 0;
    }
    m_bConnected = 1;
    return 1;
}

int CSerialComms::ConfigurePort()
{
    if (!m_pWorker)
        return 0;
    LoadPortSettings();
    const LineSettings line = Line();
    bool configured = false;
    QMetaObject::invokeMethod(
        m_pWorker,
        [worker = m_pWorker, line] { return worker->Configure(line, line.WriteTimeoutPerByte()); },
        Qt::BlockingQueuedConnection, &configured);
    if (!configured) {
        UserMessages().MessageBox(QString::fromLatin1(Str::kPortSetupFailed).arg(m_nPort),
                                  IUserMessages::Buttons::Ok, IUserMessages::Icon::Information);
        return 0;
    }
    return 1;
}

int CSerialComms::ClosePort()
{
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
    m_pWorker->Enqueue(buffer, count);
    m_pWorker->Kick();
    return 1;
}

CSerialComms::WriteBatch::~WriteBatch()
{
    if (--m_comms.m_nWriteHolds > 0 || m_comms.m_heldWrites.isEmpty())
        return;
    if (m_comms.m_pWorker) {
        m_comms.m_pWorker->Enqueue(m_comms.m_heldWrites.constData(), int(m_comms.m_heldWrites.size()));
        m_comms.m_pWorker->Kick();
    }
    m_comms.m_heldWrites.resize(0);  // keeps its allocation for the next batch
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
    return LineSettings{m_nBaud, m_nDataBits, m_nParity, m_nStopBits, m_nFlowControl};
}

void CSerialComms::StartWorker()
{
    m_pThread = new QThread;
    m_pThread->setObjectName(QStringLiteral("COM%1 reader").arg(m_nPort));
    m_pWorker = new CPortWorker(this);
    m_pWorker->moveToThread(m_pThread);
    // The worker closes the device and goes away on its own thread, as the last thing that thread does.
    CPortWorker* worker = m_pWorker;
    connect(m_pThread, &QThread::finished, worker, [worker] {
        worker->Close();
        delete worker;
    }, Qt::DirectConnection);
    const int generation = ++m_nGeneration;
    connect(worker, &CPortWorker::Lost, this, [this, generation] { OnWorkerLost(generation); },
            Qt::QueuedConnection);
    m_pThread->start();
}

void CSerialComms::StopWorker()
{
    if (!m_pThread)
        return;
    m_pThread->quit();
    m_pThread->wait();
    delete m_pThread;
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
