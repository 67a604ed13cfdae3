#pragma once
#include <QByteArray>

// Whether the X display named (as in DISPLAY) accepts a connection now. The windowing library ends
// the process when its display cannot be reached, so the station asks first and logs without
// windows instead: an unattended workstation must never stop logging for want of a screen.
bool XDisplayAnswers(const QByteArray& display);
