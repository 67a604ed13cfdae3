#pragma once
#include <QString>

#include <functional>

class QWidget;

// What the file dialog that picks an archive is shown with.
struct ArchiveDialogRequest
{
    QString title;
    QString filter;
    QString folder;  // where it opens
};

// Asks for an existing archive file; the full path, or empty when the user cancels.
using ArchiveChooser = std::function<QString(QWidget* owner, const ArchiveDialogRequest& request)>;

// View Archives, with a window active: the "View Archive" dialog in the station's Archives folder.
// One of today's archives (its name holds today's date) is refused by name, since the live
// channels are still writing them. The file to open as an archive window; empty when there is none.
QString ChooseArchiveToView(QWidget* owner);
// Open, with no window active: the dialog with the document type's filter, in the current folder.
QString ChooseFileToOpen(QWidget* owner);

// Tests answer the dialog through a chooser of their own; an empty one restores the dialog.
void SetArchiveChooser(ArchiveChooser chooser);
