#include "comms/PortSettings.h"

#include "comms/XonResume.h"
#include "core/Labels.h"
#include "core/SettingsKeys.h"
#include "core/Logging.h"
#include "core/SettingsStore.h"

#include <QSerialPort>

#include <utility>

namespace {

QString SectionFor(int port)
{
    return QString::fromLatin1(Str::kPortSettingsSection).arg(port);
}

// A missing key, or one that is not a number, reads as 0. Read from `store`, else from the
// program-wide store.
int ReadValue(QSettings* store, const QString& section, const char* key, bool* readable = nullptr)
{
    const QString name = QString::fromLatin1(key);
    return store ? GetProfileInt(*store, section, name, 0, readable) : GetProfileInt(section, name, 0, readable);
}

// A missing key reads as 0; a stored value that is no number, or too large, as -1, which lies
// outside every table and so refuses the line.
int ReadSetting(QSettings* store, const QString& section, const char* key)
{
    bool readable = true;
    const int value = ReadValue(store, section, key, &readable);
    return readable ? value : -1;
}

PortSettingsRecord ReadRecord(int port, QSettings* store)
{
    const QString section = SectionFor(port);
    PortSettingsRecord record;
    // "Port" only names the port in the set-up message; an unreadable one reads as missing.
    record.port = ReadValue(store, section, Str::kPortValuePort);
    record.line.baud = ReadSetting(store, section, Str::kPortValueBaud);
    record.line.dataBits = ReadSetting(store, section, Str::kPortValueData);
    record.line.stopBits = ReadSetting(store, section, Str::kPortValueStop);
    record.line.parity = ReadSetting(store, section, Str::kPortValueParity);
    record.line.shake = ReadSetting(store, section, Str::kPortValueShake);
    return record;
}

constexpr QSerialPort::Parity kParities[PortTables::kParityCount] = {
    QSerialPort::NoParity, QSerialPort::OddParity, QSerialPort::EvenParity,
    QSerialPort::MarkParity, QSerialPort::SpaceParity};

constexpr QSerialPort::StopBits kStops[PortTables::kStopBitsCount] = {
    QSerialPort::OneStop, QSerialPort::OneAndHalfStop, QSerialPort::TwoStop};

} // namespace

bool LineSettings::IsValid() const
{
    return baud >= 0 && baud < PortTables::kBaudCount && dataBits >= 0 && dataBits < PortTables::kDataCount
        && parity >= 0 && parity < PortTables::kParityCount && stopBits >= 0 && stopBits < PortTables::kStopBitsCount
        && shake >= 0;
}

int LineSettings::BaudRate() const
{
    return baud >= 0 && baud < PortTables::kBaudCount ? PortTables::kBaudRates[baud] : 0;
}

int LineSettings::WriteTimeoutPerByte() const
{
    const int rate = BaudRate();
    return rate > 0 ? 19200 / rate : 0;
}

PortSettingsRecord LoadPortSettings(int port)
{
    return ReadRecord(port, nullptr);
}

PortSettingsRecord LoadPortSettings(int port, QSettings& store)
{
    return ReadRecord(port, &store);
}

namespace {

// Writes "Port" and the five settings in the record's order; with keepUnchosen false a negative
// value (a list without a selection) leaves the stored one as it is.
void WriteRecord(int port, const PortSettingsRecord& record, bool keepUnchosen)
{
    const QString section = SectionFor(port);
    WriteProfileInt(section, QString::fromLatin1(Str::kPortValuePort), record.port);
    const std::pair<const char*, int> values[] = {{Str::kPortValueBaud, record.line.baud},
                                                  {Str::kPortValueData, record.line.dataBits},
                                                  {Str::kPortValueStop, record.line.stopBits},
                                                  {Str::kPortValueParity, record.line.parity},
                                                  {Str::kPortValueShake, record.line.shake}};
    for (const auto& [key, value] : values) {
        if (value >= 0 || keepUnchosen)
            WriteProfileInt(section, QString::fromLatin1(key), value);
    }
}

} // namespace

void WritePortSettings(int port, const PortSettingsRecord& record)
{
    WriteRecord(port, record, true);
}

void WriteChosenPortSettings(int port, const LineSettings& chosen)
{
    WriteRecord(port, PortSettingsRecord{port, chosen}, false);
}

namespace {

// False, with the refusal filled in when one is asked for.
bool Refused(const QSerialPort& serial, const char* label, const QString& value, LineRefusal* refusal)
{
    if (refusal)
        *refusal = {QString::fromLatin1(label).remove(QLatin1Char('&')).remove(QLatin1Char(':')) + QLatin1Char(' ') + value,
                    serial.errorString()};
    return false;
}

bool SetLineFormat(QSerialPort& serial, const LineSettings& line, LineRefusal* refusal)
{
    if (!serial.setBaudRate(line.BaudRate()))
        return Refused(serial, Str::kBaudLabel, QString::number(line.BaudRate()), refusal);
    if (!serial.setDataBits(QSerialPort::DataBits(PortTables::kDataBits[line.dataBits])))
        return Refused(serial, Str::kDataBitsLabel, QString::number(PortTables::kDataBits[line.dataBits]), refusal);
    if (!serial.setParity(kParities[line.parity]))
        return Refused(serial, Str::kParityLabel, QString::fromLatin1(Str::kParityEntries[line.parity]), refusal);
    if (!serial.setStopBits(kStops[line.stopBits]))
        return Refused(serial, Str::kStopBitsLabel, QString::fromLatin1(Str::kStopBitsEntries[line.stopBits]), refusal);
    return true;
}

} // namespace

bool ChangeLineFormat(QSerialPort& serial, const LineSettings& line, LineRefusal* refusal)
{
    if (!line.IsValid()) {
        qCWarning(lcComms) << "line format out of range" << line.baud << line.dataBits << line.parity << line.stopBits;
        return false;
    }
    const qint32 baud = serial.baudRate();
    const QSerialPort::DataBits dataBits = serial.dataBits();
    const QSerialPort::Parity parity = serial.parity();
    const QSerialPort::StopBits stopBits = serial.stopBits();
    if (SetLineFormat(serial, line, refusal))
        return true;
    qCWarning(lcComms) << "line format refused:" << serial.errorString();
    // Back to what the line ran at, so that it goes on logging as before.
    if (!(serial.setBaudRate(baud) && serial.setDataBits(dataBits) && serial.setParity(parity)
          && serial.setStopBits(stopBits)))
        qCWarning(lcComms) << "restoring the line format failed:" << serial.errorString();
    serial.clearError();
    return false;
}

bool ApplyLineSettings(QSerialPort& serial, const LineSettings& line, LineRefusal* refusal)
{
    if (!line.IsValid()) {
        qCWarning(lcComms) << "stored line settings out of range" << line.baud << line.dataBits << line.parity
                           << line.stopBits << line.shake;
        return false;
    }
    // DTR/DSR handshaking has no counterpart on Linux: the bit is kept in the store, not applied.
    if (line.shake & ShakeDtrDsr)
        qCDebug(lcComms) << "DTR/DSR handshake requested; not available, ignored";
    QSerialPort::FlowControl flow = QSerialPort::NoFlowControl;
    if (line.shake & ShakeRtsCts)
        flow = QSerialPort::HardwareControl;
    else if (line.shake & ShakeXonXoff)
        flow = QSerialPort::SoftwareControl;
    bool ok = SetLineFormat(serial, line, refusal);
    if (ok && !(serial.setFlowControl(flow) && (flow != QSerialPort::SoftwareControl || ResumeOnXonOnly(int(serial.handle()))))) {
        const int entry = flow == QSerialPort::NoFlowControl ? 0 : flow == QSerialPort::HardwareControl ? 1 : 2;
        ok = Refused(serial, Str::kFlowControlLabel, QString::fromLatin1(Str::kFlowEntries[entry]), refusal);
    }
    if (!ok)
        qCWarning(lcComms) << "line settings refused:" << serial.errorString();
    return ok;
}
