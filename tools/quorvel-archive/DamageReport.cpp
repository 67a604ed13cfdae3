#include "DamageReport.h"

#include "ArchiveReader.h"
#include "ToolTexts.h"

#include <cstdio>

void PrintError(const QString& text)
{
    std::fflush(stdout);
    std::fprintf(stderr, "%s: %s\n", Tool::kProgram, qPrintable(text));
}

DamageReport::DamageReport(ArchiveReader& reader, const QString& path)
    : m_reader(reader)
    , m_path(path)
{
    m_reader.SetDamageHandler([this](const QString& what, qint64 offset, int record) {
        if (++m_count <= kShown)
            PrintError(QString::fromLatin1(Tool::kDamageAt).arg(m_path).arg(record).arg(offset).arg(what));
    });
}

DamageReport::~DamageReport()
{
    m_reader.SetDamageHandler({});
    if (m_count > kShown)
        PrintError(QString::fromLatin1(Tool::kMoreDamage).arg(m_path).arg(m_count - kShown));
}
