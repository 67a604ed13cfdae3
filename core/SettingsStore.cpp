#include "core/SettingsStore.h"

#include "core/HandWrittenValues.h"
#include "core/SettingsKeys.h"

#include <QRecursiveMutex>
#include <QSettings>

#include <array>
#include <memory>

namespace {

std::unique_ptr<QSettings> g_store;
// Texts typed by hand that QSettings reads otherwise, taken from the file when the store opens.
QHash<QString, QString> g_handWritten;

// Bumped by every write and reset, so the hot readers below can keep their last answer: they run
// for every event and a store lookup per flag would cost more than the rest of the event.
quint64 g_generation = 1;

// The logging threads read values (port settings, display flags, line counts) while the
// user-interface thread writes them: every access through this module holds the lock.
QRecursiveMutex g_lock;

QString KeyPath(const QString& section, const QString& key)
{
    return section + QLatin1Char('/') + key;
}

} // namespace

QSettings& ProfileStore()
{
    const QMutexLocker lock(&g_lock);
    if (!g_store) {
        g_store = OpenThreadStore();
        g_handWritten = ReadHandWrittenValues(g_store->fileName());
    }
    return *g_store;
}

std::unique_ptr<QSettings> OpenThreadStore()
{
    return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                       QString::fromLatin1(Str::kCompanyKey), QString::fromLatin1(Str::kApplicationKey));
}

void ResetProfileStore()
{
    const QMutexLocker lock(&g_lock);
    g_store.reset();
    g_handWritten.clear();
    ++g_generation;
}

int GetProfileInt(const QString& section, const QString& key, int defaultValue, bool* readable)
{
    const QMutexLocker lock(&g_lock);
    return GetProfileInt(ProfileStore(), section, key, defaultValue, readable);
}

int GetProfileInt(QSettings& store, const QString& section, const QString& key, int defaultValue, bool* readable)
{
    const QVariant stored = store.value(KeyPath(section, key));
    bool ok = !stored.isValid();
    int value = defaultValue;
    if (stored.typeId() == QMetaType::Int) {
        ok = true;
        value = stored.toInt();
    } else if (stored.typeId() == QMetaType::QString) {
        // Read as text, never through a wider type: a number too large for an int must not wrap.
        const int number = stored.toString().trimmed().toInt(&ok, 10);
        if (ok)
            value = number;
    }
    if (readable)
        *readable = ok;
    return value;
}

QString GetProfileString(const QString& section, const QString& key, const QString& defaultValue)
{
    const QMutexLocker lock(&g_lock);
    QSettings& store = ProfileStore();
    const auto handWritten = g_handWritten.constFind(KeyPath(section, key));
    if (handWritten != g_handWritten.constEnd()) {
        // Read as typed, and stored back as one text: QSettings would otherwise write its own
        // reading (a list, or the text cut at the semicolon) over it when it next saves the file.
        const QString text = *handWritten;
        WriteProfileString(section, key, text);
        return text;
    }
    return store.value(KeyPath(section, key), defaultValue).toString();
}

void WriteProfileInt(const QString& section, const QString& key, int value)
{
    const QMutexLocker lock(&g_lock);
    ProfileStore().setValue(KeyPath(section, key), value);
    g_handWritten.remove(KeyPath(section, key));
    ++g_generation;
}

void WriteProfileString(const QString& section, const QString& key, const QString& value)
{
    const QMutexLocker lock(&g_lock);
    ProfileStore().setValue(KeyPath(section, key), value);
    g_handWritten.remove(KeyPath(section, key));
    ++g_generation;
}

void ReadEventViewSettings(int& call, int& fault, int& normal, int& system)
{
    const QMutexLocker lock(&g_lock);
    static quint64 seen = 0;
    static std::array<int, 4> flags{};
    if (seen != g_generation) {
        const QString section = QString::fromLatin1(Str::kSectionSettings);
        flags = {GetProfileInt(section, QString::fromLatin1(Str::kFlagCall), 1),
                 GetProfileInt(section, QString::fromLatin1(Str::kFlagFault), 1),
                 GetProfileInt(section, QString::fromLatin1(Str::kFlagNormal), 1),
                 GetProfileInt(section, QString::fromLatin1(Str::kFlagSystem), 0)};
        seen = g_generation;
    }
    call = flags[0];
    fault = flags[1];
    normal = flags[2];
    system = flags[3];
}

int GetLineCount(int channel)
{
    const QMutexLocker lock(&g_lock);
    static quint64 seen = 0;
    static std::array<int, 17> counts{};
    if (channel < 1 || channel > 16)
        return 64;
    if (seen != g_generation) {
        counts.fill(0);
        seen = g_generation;
    }
    if (counts[size_t(channel)] == 0)
        counts[size_t(channel)] = GetProfileInt(QString::fromLatin1(Str::kSectionLines), QString::number(channel), 64);
    return counts[size_t(channel)];
}

int StoredLineCount(int channel)
{
    return GetProfileInt(QString::fromLatin1(Str::kSectionLines), QString::number(channel), -1);
}

void StoreLineCount(int channel, int count)
{
    WriteProfileInt(QString::fromLatin1(Str::kSectionLines), QString::number(channel), count);
}
