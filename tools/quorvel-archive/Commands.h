#pragma once
#include "RecordWriter.h"

#include <QString>
#include <QStringList>

class SearchCriteria;

// Exit statuses of the tool.
enum ExitStatus { kFound = 0, kNothingFound = 1, kError = 2 };

int RunList(const QString& station);
int RunShow(const QString& path, RecordWriter::Format format);
int RunSearch(const QString& station, SearchCriteria& criteria, RecordWriter::Format format);
int RunVerify(const QStringList& targets);
int RunStats(const QString& station, const SearchCriteria& criteria, RecordWriter::Format format);
