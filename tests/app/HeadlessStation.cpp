#include "tests/app/HeadlessStation.h"
#include "tests/events/AlarmFixture.h"
#include "tests/support/Pty.h"
#include "tools/quorvel-sim/SimFrames.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QSocketNotifier>
#include <QTest>
#include <QtEndian>

#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Far longer than the program takes from opening a line to reading it, even sanitized on a busy machine.
constexpr int kLineSetUpMs = 250;

// Alarm numbers 0..5; 0 and 5 count, 1 is a line-state alarm, 2 is a fault, 4 a kind never listed.
const QMap<int, QByteArrayList> kAlarms = {
    {0, {"ALARM", "Y", "10", "", "Door open"}},
    {1, {"EVENT", "Y", "0", "ALM_LINE_INCOMING", "Line busy"}},
    {2, {"FAULT", "N", "", "", "Mains failure"}},
    {3, {"SYSTEM", "N", "", "", "Printer restarted"}},
    {4, {"TEST", "N", "", "", "Walk test"}},
    {5, {"ALARM", "Y", "10", "", "Fire zone"}},
};

QString Program()
{
    return qEnvironmentVariable("QUORVEL_BUILD_DIR") + QStringLiteral("/quorvel");
}

} // namespace

HeadlessStation::HeadlessStation()
{
    WriteFile(QStringLiteral("almdata.txt"), AlarmFileBytes(kAlarms));
    m_process.setStandardErrorFile(Path(QStringLiteral("stderr.txt")));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), Path(QStringLiteral("config")));
    env.remove(QStringLiteral("QUORVEL_STATION"));
    m_process.setProcessEnvironment(env);
}

HeadlessStation::~HeadlessStation()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
    m_outputReady.reset();
    if (m_outputReader >= 0)
        ::close(m_outputReader);
}

void HeadlessStation::WriteFile(const QString& name, const QByteArray& bytes) const
{
    QDir().mkpath(QFileInfo(Path(name)).absolutePath());
    QFile file(Path(name));
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
}

void HeadlessStation::SetSetting(const QString& key, const QVariant& value) const
{
    QSettings settings(Path(QStringLiteral("config/Brannock/Quorvel.ini")), QSettings::IniFormat);
    settings.setValue(key, value);
}

void HeadlessStation::WritePortMap(const std::map<int, int>& channelPorts, const std::map<int, QString>& devices) const
{
    QByteArray map = "[ComPortAssignments]\n";
    for (const auto& [channel, port] : channelPorts)
        map += "Channel" + QByteArray::number(channel) + "=COM" + QByteArray::number(port) + "\n";
    map += "[ComPortDevices]\n";
    for (const auto& [port, device] : devices)
        map += "COM" + QByteArray::number(port) + "=" + device.toLocal8Bit() + "\n";
    WriteFile(QStringLiteral("qvportmap.ini"), map);
}

void HeadlessStation::SetEnvironment(const QString& name, const QString& value)
{
    QProcessEnvironment env = m_process.processEnvironment();
    env.insert(name, value);
    m_process.setProcessEnvironment(env);
}

QStringList HeadlessStation::Arguments(const QString& stationPath, const QStringList& files) const
{
    const QStringList mode = m_windows ? QStringList() : QStringList{QStringLiteral("--headless")};
    return mode + QStringList{QStringLiteral("--station"), stationPath} + files;
}

void HeadlessStation::SetCommandLine(const QStringList& files, const QString& workingDir)
{
    m_files = files;
    m_process.setWorkingDirectory(workingDir);
}

bool HeadlessStation::Start(Output output)
{
    if (output == Output::File) {
        m_process.setStandardOutputFile(Path(QStringLiteral("stdout.txt")));
        m_process.start(Program(), Arguments(Dir(), m_files));
        return m_process.waitForStarted(10000);
    }
    // A named pipe with a reader while the program starts; from then on none, or one that reads
    // only when told.
    const QString pipe = Path(QStringLiteral("stdout.pipe"));
    if (::mkfifo(QFile::encodeName(pipe).constData(), 0600) != 0)
        return false;
    const int reader = ::open(QFile::encodeName(pipe).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    const bool stalled = output == Output::StalledPipe;
    // One page, the least a pipe holds: the program's writer is held after a few lines.
    const bool sized = !stalled || ::fcntl(reader, F_SETPIPE_SZ, 4096) == 4096;
    m_process.setStandardOutputFile(pipe);
    m_process.start(Program(), Arguments(Dir(), m_files));
    const bool started = m_process.waitForStarted(10000);
    if (stalled && reader >= 0) {
        m_outputReader = reader;
        m_outputReady = std::make_unique<QSocketNotifier>(reader, QSocketNotifier::Read);
        m_outputReady->setEnabled(false);
        QObject::connect(m_outputReady.get(), &QSocketNotifier::activated, [this] { TakeOutput(); });
    } else if (reader >= 0) {
        ::close(reader);
    }
    return reader >= 0 && sized && started;
}

void HeadlessStation::ReadOutput(bool reading)
{
    if (m_outputReady)
        m_outputReady->setEnabled(reading);
}

void HeadlessStation::TakeOutput()
{
    QFile file(Path(QStringLiteral("stdout.txt")));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(m_outputReader, buffer, sizeof buffer);
        if (n <= 0) {
            if (n == 0)  // the program has ended: nothing more comes
                m_outputReady->setEnabled(false);
            return;
        }
        file.write(buffer, n);
    }
}

int HeadlessStation::WaitForExit(int timeoutMs)
{
    if (!m_process.waitForFinished(timeoutMs))
        return -1;
    return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
}

void HeadlessStation::Kill()
{
    m_process.kill();
    m_process.waitForFinished(10000);
}

int HeadlessStation::RunAnotherCopy(const QString& stationPath, QByteArray* output, QString* errors,
                                    const QStringList& files, const QString& workingDir) const
{
    QProcess copy;
    const bool ended = StartCopy(copy, stationPath, files, workingDir) && copy.waitForFinished(15000);
    if (!ended) {
        copy.kill();
        copy.waitForFinished(5000);
    }
    *output = copy.readAllStandardOutput();
    *errors = QString::fromLocal8Bit(copy.readAllStandardError());
    return ended && copy.exitStatus() == QProcess::NormalExit ? copy.exitCode() : -1;
}

bool HeadlessStation::StartAnotherCopy(QProcess& copy, const QStringList& files, const QString& workingDir) const
{
    return StartCopy(copy, Dir(), files, workingDir);
}

bool HeadlessStation::StartCopy(QProcess& copy, const QString& stationPath, const QStringList& files,
                                const QString& workingDir) const
{
    copy.setProcessEnvironment(m_process.processEnvironment());
    copy.setWorkingDirectory(workingDir);
    copy.setChildProcessModifier(m_process.childProcessModifier());
    copy.start(Program(), Arguments(stationPath, files));
    return copy.waitForStarted(10000);
}

void HeadlessStation::SetFileLimit(int soft, int hard)
{
    m_process.setChildProcessModifier([soft, hard] {
        const rlimit limit = {rlim_t(soft), rlim_t(hard)};
        ::setrlimit(RLIMIT_NOFILE, &limit);
    });
}

int HeadlessStation::Stop(int signal)
{
    ::kill(pid_t(m_process.processId()), signal);
    if (!m_process.waitForFinished(10000))
        return -1;
    return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
}

QStringList HeadlessStation::OutputLines() const
{
    QFile file(Path(QStringLiteral("stdout.txt")));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLatin1(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QStringList HeadlessStation::LinesOf(const QString& channelName) const
{
    QStringList lines;
    const QString prefix = channelName + QStringLiteral(": ");
    for (const QString& line : OutputLines()) {
        if (line.startsWith(prefix))
            lines.append(line.mid(prefix.size()));
    }
    return lines;
}

bool HeadlessStation::StartOnLine(Pty& line, Output output)
{
    line.ReleaseSlave();
    WritePortMap({{1, 1}}, {{1, line.SlavePath()}});
    return Start(output) && WaitForPeers({&line});
}

bool HeadlessStation::SendAlarm(Pty& line, int value)
{
    return SendFrames(line, {SimFrames::BlockFrame(QByteArray::fromHex("0100") + char(0x10 + value), false)});
}

bool HeadlessStation::SendFrames(Pty& line, const QByteArrayList& frames)
{
    const QByteArray acks = SimFrames::TerminalAck().repeated(frames.size());
    return line.Write(frames.join()) && line.Read(int(acks.size()), 10000) == acks;
}

bool HeadlessStation::WaitForPeers(const QList<Pty*>& lines)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 15000) {
        if (std::all_of(lines.begin(), lines.end(), [](Pty* line) { return line->PeerOpen(); })) {
            QTest::qWait(kLineSetUpMs);
            return true;
        }
        QTest::qWait(20);
    }
    return false;
}

QString HeadlessStation::Errors() const
{
    QFile file(Path(QStringLiteral("stderr.txt")));
    return file.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(file.readAll()) : QString();
}

QList<QPair<int, QByteArray>> HeadlessStation::ArchiveRecords(const QString& channelName) const
{
    const QString name = QStringLiteral("Archives/%1 %2.krv").arg(channelName, QDate::currentDate().toString(QStringLiteral("yyyyMMdd")));
    QFile file(Path(name));
    QList<QPair<int, QByteArray>> records;
    if (!file.open(QIODevice::ReadOnly))
        return records;
    const QByteArray bytes = file.readAll();
    if (!bytes.startsWith("KRV Archive [CDL] <19-98-9-7>%s @@###$$$$"))
        return records;
    // Each record: status colour, text colour, kind, fault, length, a counted string, text flag.
    qsizetype at = 41;
    while (at + 21 <= bytes.size()) {
        const int kind = qFromLittleEndian<qint32>(bytes.constData() + at + 8);
        const int length = quint8(bytes[at + 20]);
        if (length == 0xFF || at + 21 + length + 4 > bytes.size())
            break;
        records.append({kind, bytes.mid(at + 21, length)});
        at += 21 + length + 4;
    }
    if (at != bytes.size())
        records.append({-1, "trailing bytes"});
    return records;
}
