#include "core/Logging.h"

Q_LOGGING_CATEGORY(lcComms, "quorvel.comms", QtCriticalMsg)
Q_LOGGING_CATEGORY(lcEvents, "quorvel.events", QtCriticalMsg)
Q_LOGGING_CATEGORY(lcArchive, "quorvel.archive", QtCriticalMsg)
Q_LOGGING_CATEGORY(lcRemote, "quorvel.remote", QtCriticalMsg)
Q_LOGGING_CATEGORY(lcApp, "quorvel.app", QtCriticalMsg)
Q_LOGGING_CATEGORY(lcStall, "quorvel.stall", QtWarningMsg)
