#include "events/AlarmTexts.h"

#include "core/Logging.h"
#include "core/RegularFile.h"
#include "core/SettingsKeys.h"
#include "core/Strings.h"
#include "core/Station.h"
#include "core/UserMessages.h"

#include <QByteArrayList>
#include <QFile>

#include <array>

namespace {

QByteArrayList g_alarmLines;
int g_nAlarmTextStart = -1;

const std::array<QByteArray, 12> g_lineStateNames = {
    QByteArrayLiteral("ALM_CONNECT_REQUEST_CH1"),     QByteArrayLiteral("ALM_CONNECT_REQUEST_CH2"),
    QByteArrayLiteral("ALM_DISCONNECT_REQUEST_CH1"),  QByteArrayLiteral("ALM_DISCONNECT_REQUEST_CH2"),
    QByteArrayLiteral("ALM_LINE_IDLE"),               QByteArrayLiteral("ALM_LINE_INCOMING"),
    QByteArrayLiteral("ALM_LINE_EMERGENCY_INCOMING"), QByteArrayLiteral("ALM_LINE_CONNECTED_CH1"),
    QByteArrayLiteral("ALM_LINE_CONNECTED_CH2"),      QByteArrayLiteral("ALM_LINE_PARKED"),
    QByteArrayLiteral("ALM_LINE_HELD"),               QByteArrayLiteral("ALM_LINE_ANSWERED"),
};

// CRLF and LF end a line; a last line without a line end is still a line.
QByteArrayList SplitLines(const QByteArray& bytes)
{
    QByteArrayList lines;
    qsizetype start = 0;
    while (start < bytes.size()) {
        qsizetype end = bytes.indexOf('\n', start);
        if (end < 0)
            end = bytes.size();
        qsizetype length = end - start;
        if (end < bytes.size() && length > 0 && bytes.at(end - 1) == '\r')
            --length;
        lines.append(bytes.mid(start, length));
        start = end + 1;
    }
    return lines;
}

} // namespace

int LoadAlarmTexts()
{
    const QString path = StationPath(QString::fromLatin1(Str::kAlarmFileName));
    QFile file;
    switch (OpenRegularFile(file, path)) {
    case RegularFileOpen::Opened:
        break;
    case RegularFileOpen::Failed:
        UserMessages().MessageBox(QString::fromLatin1(Str::kAlarmFileOpenFailed) + path);
        return 0;
    case RegularFileOpen::NotRegular:
        UserMessages().MessageBox(QString::fromLatin1(Str::kAlarmFileOpenFailed) + path
                                  + QString::fromLatin1(Str::kNotRegularFile));
        return 0;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        UserMessages().MessageBox(file.errorString());
        return 0;
    }

    g_alarmLines = SplitLines(bytes);
    g_nAlarmTextStart = -1;
    bool headerFound = false;
    const QByteArray header(Str::kAlarmFileHeader);
    const QByteArray endOfHeader(Str::kAlarmFileEndOfHeader);
    for (int i = 0; i < g_alarmLines.size(); ++i) {
        const QByteArray& line = g_alarmLines.at(i);
        if (line == header)
            headerFound = true;
        if (line == endOfHeader)
            g_nAlarmTextStart = i + 1;  // a later marker replaces an earlier one
    }
    qCDebug(lcEvents) << "alarm texts:" << g_alarmLines.size() << "lines, blocks from" << g_nAlarmTextStart;

    if (headerFound && g_nAlarmTextStart > 0)
        return 1;
    UserMessages().MessageBox(QString::fromLatin1(Str::kAlarmFileInvalid).arg(path));
    return 0;
}

QByteArray GetAlarmField(int n, int f)
{
    const qint64 index = qint64(g_nAlarmTextStart) + 1 + 8 * qint64(n) + f;
    if (index < 0 || index >= g_alarmLines.size())
        return {};
    return g_alarmLines.at(index);
}

int IsLineStateAlarm(int n)
{
    const QByteArray name = GetAlarmField(n, 4);
    for (const QByteArray& stateName : g_lineStateNames) {
        if (name == stateName)
            return 1;
    }
    return 0;
}
