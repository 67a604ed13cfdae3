#include "app/PortMap.h"

#include "app/ChannelTables.h"
#include "comms/ComPortDevices.h"
#include "core/LeadingNumber.h"
#include "core/Logging.h"
#include "core/ProfileFile.h"
#include "core/SettingsKeys.h"
#include "core/Strings.h"
#include "core/UserMessages.h"

int ParsePortAssignment(const QString& value)
{
    const qint64 number = LeadingNumber(value.left(5).mid(3).toLatin1());
    return number > 0 ? int(number) : 0;
}

int ReadPortMap(const QString& path)
{
    ProfileFile file;
    if (!file.Load(path) && file.IsRefused()) {
        UserMessages().MessageBeep(IUserMessages::Beep::Hand);
        UserMessages().MessageBox(QString::fromLatin1(Str::kPortMapUnreadable) + path
                                      + QString::fromLatin1(Str::kNotRegularFile),
                                  IUserMessages::Buttons::Ok, IUserMessages::Icon::Stop);
    }
    ComPortDevices::Load(file);
    int count = 0;
    for (int channel = 1; channel <= kChannelCount; ++channel) {
        const QString key = QStringLiteral("Channel%1").arg(channel);
        qCDebug(lcApp) << " Channel =" << key;
        const int port = ParsePortAssignment(
            file.Value(QString::fromLatin1(Str::kPortMapSection), key, QStringLiteral("COM0")));
        SetChannelPort(channel, port);
        if (port > 0)
            ++count;
        else
            qCDebug(lcApp) << "Port Mapping failure" << key;
    }
    return count;
}
