#pragma once
#include <QString>

class QWidget;

// View Archives, with a window active: the "View Archive" dialog in the station's Archives folder.
// One of today's archives (its name holds today's date) is refused by name, since the live
// channels are still writing them. The file to open as an archive window; empty when there is none.
QString ChooseArchiveToView(QWidget* owner);
// Open, with no window active: the dialog with the document type's filter, in the current folder.
QString ChooseFileToOpen(QWidget* owner);
