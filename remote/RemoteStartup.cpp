#include "remote/RemoteStartup.h"

#include "comms/ComPortDevices.h"
#include "comms/PortSettings.h"
#include "core/Logging.h"
#include "core/Strings.h"
#include "core/UserMessages.h"
#include "remote/RemotePort.h"
#include "remote/RemoteSettings.h"

#include <QSerialPort>

QStringList BuildPortList()
{
    QStringList ports;
    for (int n = 1; n <= ComPortDevices::kMaxPort; ++n) {
        QSerialPort probe(ComPortDevices::DevicePath(n));
        if (probe.open(QIODevice::ReadWrite)) {
            ports << QString::fromLatin1(Str::kComPortName).arg(n);
            probe.close();
        }
    }
    qCDebug(lcRemote) << "free COM ports:" << ports;
    return ports;
}

int OpenRemotePort()
{
    int enabled = 0, port = 0, baud = 0, dataBits = 0, parity = 0, stopBits = 0, flowControl = 0;
    if (!ReadRemoteSettings(enabled, port, baud, dataBits, parity, stopBits, flowControl)) {
        UserMessages().MessageBeep(IUserMessages::Beep::Hand);
        UserMessages().MessageBox(QString::fromLatin1(Str::kRemoteSettingsMissing));
        return 0;
    }
    if (g_nRemoteMonitorEnabled == 0)
        return 0;
    const int error = RemotePort().Open(ComPortDevices::DevicePath(port),
                                        LineSettings{baud, dataBits, parity, stopBits, flowControl});
    if (error != 0) {
        qCWarning(lcRemote) << "remote monitor port COM" << port << "not opened, error" << error;
        UserMessages().MessageBeep(IUserMessages::Beep::Asterisk);
        ReportSystemError(error, IUserMessages::Icon::Information);
        return 0;
    }
    return 1;
}
