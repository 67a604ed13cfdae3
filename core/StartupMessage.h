#pragma once
#include <QString>

// A message found during start-up that is shown (with a beep) once the main window is up.
// A later message replaces an earlier one.
void SetStartupMessage(const QString& message);
// Returns the pending message and clears it; empty when there is none.
QString TakeStartupMessage();
