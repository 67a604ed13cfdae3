#pragma once
#include <QString>

class ArchiveReader;

// Reports an archive's damage on standard error as the reader meets it: the first few places
// one by one, then how many more there were (bytes misread after a damaged length can look
// like many damaged records).
class DamageReport
{
public:
    static constexpr int kShown = 10;

    DamageReport(ArchiveReader& reader, const QString& path);
    ~DamageReport();
    DamageReport(const DamageReport&) = delete;
    DamageReport& operator=(const DamageReport&) = delete;

private:
    ArchiveReader& m_reader;
    QString m_path;
    int m_count = 0;
};

// One line on standard error, after whatever standard output holds so far.
void PrintError(const QString& text);
