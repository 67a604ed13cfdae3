#include "SearchCriteria.h"

#include "ToolTexts.h"

#include "events/RecordScanner.h"

bool SearchCriteria::SetText(const QString& pattern, QString& error)
{
    m_text.setPattern(pattern);
    if (!m_text.isValid()) {
        error = QString::fromLatin1(Tool::kBadRegex).arg(pattern, m_text.errorString()).arg(m_text.patternErrorOffset());
        return false;
    }
    m_text.optimize();
    m_hasText = true;
    m_required = RequiredText(pattern);
    return true;
}

bool SearchCriteria::ParseDate(const QString& text, QDate& date)
{
    date = QDate::fromString(text, Qt::ISODate);
    if (!date.isValid() && text.size() == 8)
        date = QDate::fromString(text, QStringLiteral("yyyyMMdd"));
    return date.isValid();
}

bool SearchCriteria::ParseKind(const QString& text, int& kind)
{
    for (int k = 0; k < 4; ++k) {
        if (text.compare(QLatin1String(Tool::kKindNames[k]), Qt::CaseInsensitive) == 0 || text == QString::number(k)) {
            kind = k;
            return true;
        }
    }
    return false;
}

bool SearchCriteria::ArchiveWanted(const ArchiveName& name) const
{
    return (channels.isEmpty() || channels.contains(name.channel)) && (!from.isValid() || name.date >= from)
        && (!to.isValid() || name.date <= to);
}

bool SearchCriteria::RecordWanted(const RecordView& record)
{
    if (!kinds.isEmpty() && !kinds.contains(record.kind))
        return false;
    if (!m_hasText)
        return true;
    if (!m_required.In(record.text))
        return false;
    if (m_required.IsWholePattern())
        return true;
    // The line as the program draws it (Latin-1), in a buffer kept from record to record.
    const QByteArrayView text = record.text;
    m_subject.resize(text.size());
    QChar* out = m_subject.data();
    for (const char c : text)
        *out++ = QChar(uchar(c));
    return m_text.match(QStringView(m_subject)).hasMatch();
}
