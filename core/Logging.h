#pragma once
#include <QLoggingCategory>

// Diagnostics of each layer; silent unless QT_LOGGING_RULES enables them (e.g. "quorvel.*=true").
// Nothing here logs at critical level, so by default they print nothing.
Q_DECLARE_LOGGING_CATEGORY(lcComms)
Q_DECLARE_LOGGING_CATEGORY(lcEvents)
Q_DECLARE_LOGGING_CATEGORY(lcArchive)
Q_DECLARE_LOGGING_CATEGORY(lcRemote)
Q_DECLARE_LOGGING_CATEGORY(lcApp)
// Enabled at info level, the program measures how long its event loop goes without coming round
// and reports the longest such stall when it ends ("quorvel.stall.info=true").
Q_DECLARE_LOGGING_CATEGORY(lcStall)
