#include "core/Logging.h"

Q_LOGGING_CATEGORY(lcComms, "quorvel.comms", QtWarningMsg)
Q_LOGGING_CATEGORY(lcEvents, "quorvel.events", QtWarningMsg)
Q_LOGGING_CATEGORY(lcArchive, "quorvel.archive", QtWarningMsg)
Q_LOGGING_CATEGORY(lcRemote, "quorvel.remote", QtWarningMsg)
Q_LOGGING_CATEGORY(lcApp, "quorvel.app", QtWarningMsg)
