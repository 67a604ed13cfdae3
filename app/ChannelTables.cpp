#include "app/ChannelTables.h"

#include "app/Channel.h"

#include "core/SettingsStore.h"
#include "core/Labels.h"
#include "core/SettingsKeys.h"
#include "core/Strings.h"
#include "core/UserMessages.h"

#include <array>

namespace {

std::array<QString, kChannelCount> g_astrChannelNames;
std::array<int, kChannelCount> g_anChannelPort{};
std::array<Channel*, kChannelCount> g_channels{};

bool IsIndex(int index)
{
    return index >= 0 && index < kChannelCount;
}

QString DefaultName(int index)
{
    return QString::fromLatin1(Str::kDefaultChannelName).arg(index + 1);
}

// The first channel of indexes [from, to) other than `index` whose name is `name` compared as the
// channel properties compare names (in upper case); -1 when there is none.
int FindChannelNamed(const QString& name, int index, int from, int to)
{
    // Blanks before or after a name do not tell it apart to someone reading a title or a file list.
    const QString upper = name.trimmed().toUpper();
    for (int i = from; i < to; ++i) {
        if (i != index && g_astrChannelNames[size_t(i)].trimmed().toUpper() == upper)
            return i;
    }
    return -1;
}

} // namespace

bool IsUsableChannelName(const QString& name)
{
    static const QString forbidden = QString::fromLatin1(Str::kForbiddenNameChars);
    if (name.trimmed().isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return false;
    for (QChar c : name) {
        if (forbidden.contains(c) || c.unicode() < 0x20)
            return false;
    }
    return true;
}

QString ReadChannelName(int index)
{
    const QString section = QString::fromLatin1(Str::kSectionChannels);
    const QString key = QString::number(index + 1);
    const QString stored = GetProfileString(section, key, QString());
    if (IsUsableChannelName(stored))
        return stored;
    WriteProfileString(section, key, DefaultName(index));
    return DefaultName(index);
}

void LoadChannelNames()
{
    for (int i = 0; i < kChannelCount; ++i)
        g_astrChannelNames[size_t(i)] = ReadChannelName(i);

    // Each channel's archives are named after it, so two channels of one name would share (and
    // fight over) one file. A name that an earlier channel already has gives way to the channel's
    // default, numbered on when that is taken too, and the store is corrected.
    const QString section = QString::fromLatin1(Str::kSectionChannels);
    for (int i = 0; i < kChannelCount; ++i) {
        const QString duplicate = g_astrChannelNames[size_t(i)];
        const int earlier = FindChannelNamed(duplicate, i, 0, i);
        if (earlier < 0)
            continue;
        QString unique = DefaultName(i);
        for (int number = 2; FindChannelNamed(unique, i, 0, kChannelCount) >= 0; ++number)
            unique = QString::fromLatin1(Str::kNumberedChannelName).arg(DefaultName(i)).arg(number);
        g_astrChannelNames[size_t(i)] = unique;
        WriteProfileString(section, QString::number(i + 1), unique);
        UserMessages().MessageBeep(IUserMessages::Beep::Asterisk);
        UserMessages().MessageBox(QString::fromLatin1(Str::kDuplicateChannelRenamed)
                                      .arg(QString::number(i + 1), duplicate, QString::number(earlier + 1), unique),
                                  IUserMessages::Buttons::Ok, IUserMessages::Icon::Information);
    }
}

int GetChannelName(int index, QString& name)
{
    if (!IsIndex(index))
        return 0;
    name = g_astrChannelNames[size_t(index)];
    return 1;
}

void SetChannelName(int index, const QString& name)
{
    if (IsIndex(index))
        g_astrChannelNames[size_t(index)] = IsUsableChannelName(name) ? name : DefaultName(index);
}

int GetChannelPort(int channel)
{
    return IsIndex(channel - 1) ? g_anChannelPort[size_t(channel - 1)] : 0;
}

void SetChannelPort(int channel, int port)
{
    if (IsIndex(channel - 1))
        g_anChannelPort[size_t(channel - 1)] = port;
}

CMessageInterpreter* GetChannelInterpreter(int channel)
{
    const Channel* made = IsIndex(channel - 1) ? g_channels[size_t(channel - 1)] : nullptr;
    return made ? made->Interpreter() : nullptr;
}

void SetChannel(int channel, Channel* made)
{
    if (IsIndex(channel - 1))
        g_channels[size_t(channel - 1)] = made;
}
