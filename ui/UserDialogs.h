#pragma once
#include "core/UserMessages.h"

#include <QString>

#include <functional>

class QPrinter;
class QWidget;

// Everything the windowed program asks of the person at the station, behind one interface: the
// beeps and boxes of IUserMessages, the print dialogs and the file choosers. The program shows the
// real ones; tests install one fake that answers them all as a person would. Printing itself is
// always real.
class IUserDialogs : public IUserMessages
{
public:
    struct SaveFileRequest
    {
        QString title;
        QString folder;
        QString fileName;       // offered without folder or extension
        QString filter;
        QString defaultSuffix;  // added to a name typed without one
    };

    struct OpenFileRequest
    {
        QString title;
        QString filter;
        QString folder;  // where it opens
    };

    // The print dialog: printer, page range, copies. True when the user chose to print.
    virtual bool ExecPrintDialog(QPrinter& printer, QWidget* parent) = 0;
    // Printer set-up: paper and orientation, kept in the printer for later prints.
    virtual bool ExecPrintSetup(QPrinter& printer, QWidget* parent) = 0;
    // The preview window; it calls paint for every rendering it needs, with the printer to draw on.
    virtual void ExecPreview(QPrinter& printer, QWidget* parent, const std::function<void(QPrinter&)>& paint) = 0;
    // The save-file dialog; the full path chosen, empty when cancelled. It asks before replacing a file.
    virtual QString GetSaveFileName(QWidget* parent, const SaveFileRequest& request) = 0;
    // The open-file dialog for an existing archive; the full path chosen, empty when cancelled.
    virtual QString GetOpenFileName(QWidget* parent, const OpenFileRequest& request) = 0;
};

// The program-wide dialogs; the real ones until others are installed.
IUserDialogs& UserDialogs();
// Installs dialogs (not owned) for the whole program, its beeps and boxes included: UserMessages()
// answers with them on the user-interface thread. nullptr restores the real dialogs, and the
// console for the boxes.
void SetUserDialogs(IUserDialogs* dialogs);
