#pragma once
#include "ArchiveName.h"
#include "LineMatcher.h"
#include "RequiredText.h"

#include <QList>
#include <QStringList>

struct RecordView;

// The conditions of a search; an empty one lets everything through.
class SearchCriteria
{
public:
    QStringList channels;
    QDate from;
    QDate to;
    QList<int> kinds;

    // False with error for a pattern that does not compile.
    bool SetText(const QString& pattern, QString& error);
    static bool ParseDate(const QString& text, QDate& date);
    static bool ParseKind(const QString& text, int& kind);

    bool ArchiveWanted(const ArchiveName& name) const;
    bool RecordWanted(const RecordView& record);
    // Why the last record was not wanted when its pattern match failed with an error (see
    // LineMatcher::Failure); empty otherwise.
    bool MatchFailed() const { return m_text.Failed(); }
    QString MatchFailure() const { return m_text.Failure(); }

private:
    LineMatcher m_text;
    bool m_hasText = false;
    RequiredText m_required;
};
