#include "SearchCriteria.h"

#include "ToolTexts.h"

#include "events/RecordScanner.h"

bool SearchCriteria::SetText(const QString& pattern, QString& error)
{
    if (!m_text.SetPattern(pattern, error))
        return false;
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
    return m_text.Matches(record.text);
}
