#pragma once
#include <QIcon>

// The program's icon: the one the desktop's icon theme has for it once it is installed, else the
// same picture (an alarm lamp over the lines of a log) drawn here, so no image plug-in is needed.
QIcon ProgramIcon();
