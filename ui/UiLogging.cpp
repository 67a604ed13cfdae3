#include "ui/UiLogging.h"

Q_LOGGING_CATEGORY(lcUi, "quorvel.ui", QtCriticalMsg)
