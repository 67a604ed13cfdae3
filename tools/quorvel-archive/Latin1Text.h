#pragma once
#include <QByteArray>
#include <QByteArrayView>

// Appends the UTF-8 form of a display line's Latin-1 bytes; with controlsVisible, each control
// character as '?'.
void AppendLatin1AsUtf8(QByteArray& out, QByteArrayView text, bool controlsVisible);
