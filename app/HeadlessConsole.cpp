#include "app/HeadlessConsole.h"

#include "app/OutputQueue.h"
#include "archive/QuorvelDoc.h"
#include "core/JournalStream.h"
#include "core/Strings.h"
#include "events/ByteFormat.h"
#include "events/DisplayObj.h"

#include <algorithm>
#include <cstdio>
#include <unistd.h>

namespace {

OutputQueue* g_output = nullptr;

bool IsControl(char c)
{
    return IsControlByte(static_cast<unsigned char>(c));
}

} // namespace

HeadlessConsole::HeadlessConsole(CQuorvelDoc& document)
    : m_document(document)
{
}

void HeadlessConsole::SetOutput(OutputQueue* output)
{
    g_output = output;
}

void HeadlessConsole::ScrollBy(int, int lines)
{
    if (!g_output)
        return;
    const QByteArray& prefix = LinePrefix();
    static const QByteArray priority = JournalStream::Prefix(STDOUT_FILENO, JournalStream::Info);
    const int count = m_document.GetEventCount();
    for (int i = qMax(0, count - lines); i < count; ++i) {
        // Record texts are bytes and go out as they are, like the archive holds them; only
        // control bytes, which a message may carry, are made visible so one record stays one line.
        QByteArrayView text = m_document.GetEvent(i).TextView();
        QByteArray printable;
        if (std::any_of(text.begin(), text.end(), IsControl)) {
            printable = PrintableText(text);
            text = printable;
        }
        g_output->AppendLine({priority, prefix, text});
    }
}

QByteArray HeadlessConsole::PrintableText(QByteArrayView text)
{
    QByteArray printable = text.toByteArray();
    std::replace_if(printable.begin(), printable.end(), IsControl, '?');
    return printable;
}

QString HeadlessConsole::PrintableTitle(QString title)
{
    std::replace_if(
        title.begin(), title.end(),
        [](QChar c) {
            const QChar::Category category = c.category();
            return category == QChar::Other_Control || category == QChar::Separator_Line
                   || category == QChar::Separator_Paragraph;
        },
        QLatin1Char('?'));
    return title;
}

const QByteArray& HeadlessConsole::LinePrefix()
{
    // Made once per title rather than once per line: this runs for every event.
    if (m_prefix.isEmpty() || m_document.GetTitle() != m_title) {
        m_title = m_document.GetTitle();
        m_prefix = PrintableTitle(m_title).toLocal8Bit() + ": ";
    }
    return m_prefix;
}

void HeadlessConsole::ShowConnection(int port, bool connected)
{
    const QString text = QString::fromLatin1(connected ? Str::kPortConnectedAgain : Str::kPortNotConnected).arg(port);
    // A line that went away is a warning; one back again, a notice.
    const QByteArray line = JournalStream::Prefix(STDERR_FILENO, connected ? JournalStream::Notice : JournalStream::Warning)
        + (PrintableTitle(m_document.GetTitle()) + QStringLiteral(": ") + text).toLocal8Bit() + '\n';
    std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
    std::fflush(stderr);
}
