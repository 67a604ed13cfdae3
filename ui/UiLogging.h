#pragma once
#include <QLoggingCategory>

// Diagnostics of the windows; silent unless QT_LOGGING_RULES enables "quorvel.ui".
Q_DECLARE_LOGGING_CATEGORY(lcUi)
