#pragma once
#include <QByteArray>

// printf into bytes: event lines are built from bytes of the alarm file and of messages,
// which are not text in any particular encoding.
QByteArray FormatBytes(const char* format, ...) Q_ATTRIBUTE_FORMAT_PRINTF(1, 2);
