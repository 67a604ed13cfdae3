#include "remote/RemoteStartup.h"

#include "comms/ComPortDevices.h"
#include "comms/PortLock.h"
#include "comms/PortSettings.h"
#include "core/Labels.h"
#include "core/Strings.h"
#include "core/Logging.h"
#include "core/UserMessages.h"
#include "remote/RemotePort.h"
#include "remote/RemoteSettings.h"

#include <QSerialPort>

#include <cerrno>
#include <cstring>

QStringList BuildPortList()
{
    QStringList ports;
    for (int n = 1; n <= ComPortDevices::kMaxPort; ++n) {
        // A port another program holds is left untouched; a free one is opened once by the name
        // its lock files use, so that a lock file of another program counts as well.
        PortLock lock;
        if (lock.Acquire(ComPortDevices::DevicePath(n)) != PortLock::Result::Locked)
            continue;
        QSerialPort probe(lock.CanonicalPath());
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
    const QString device = ComPortDevices::DevicePath(port);
    const int error = SharedRemotePort().Open(device, LineSettings{baud, dataBits, parity, stopBits, flowControl});
    if (error != 0) {
        qCWarning(lcRemote) << "remote monitor port COM" << port << "not opened, error" << error;
        UserMessages().MessageBeep(IUserMessages::Beep::Asterisk);
        // The box names the port, and the device it stands for, so the operator knows what to check.
        QString text;
        if (device.isEmpty())
            text = QString::fromLatin1(Str::kRemotePortNotSet);
        else if (error == EBUSY)
            text = QString::fromLatin1(Str::kPortInUse).arg(port);
        else
            text = QString::fromLatin1(Str::kRemotePortOpenFailed)
                       .arg(port)
                       .arg(device, QString::fromLocal8Bit(std::strerror(error)));
        UserMessages().MessageBox(text, IUserMessages::Buttons::Ok, IUserMessages::Icon::Information);
        return 0;
    }
    return 1;
}
