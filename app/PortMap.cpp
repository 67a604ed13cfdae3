#include "app/PortMap.h"

#include "app/ChannelTables.h"
#include "comms/ComPortDevices.h"
#include "core/Logging.h"
#include "core/ProfileFile.h"
#include "core/Strings.h"

int ParsePortAssignment(const QString& value)
{
    const QByteArray digits = value.left(5).mid(3).toLatin1();
    // Leading blanks and one sign allowed; reading stops at the first non-digit.
    int i = 0;
    while (i < digits.size() && (digits[i] == ' ' || digits[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < digits.size() && (digits[i] == '+' || digits[i] == '-'))
        negative = digits[i++] == '-';
    int number = 0;
    while (i < digits.size() && digits[i] >= '0' && digits[i] <= '9')
        number = number * 10 + (digits[i++] - '0');
    return !negative && number > 0 ? number : 0;
}

int ReadPortMap(const QString& path)
{
    ProfileFile file;
    file.Load(path);
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
