#pragma once
#include <QString>

#include <functional>

class QPrinter;
class QWidget;

// The dialogs of printing and print to file, behind one interface so that tests can answer
// them the way a person would. The program shows the real ones; printing itself is always real.
class IPrintDialogs
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

    virtual ~IPrintDialogs() = default;
    // The print dialog: printer, page range, copies. True when the user chose to print.
    virtual bool ExecPrintDialog(QPrinter& printer, QWidget* parent) = 0;
    // Printer set-up: paper and orientation, kept in the printer for later prints.
    virtual bool ExecPrintSetup(QPrinter& printer, QWidget* parent) = 0;
    // The preview window; it calls paint for every rendering it needs, with the printer to draw on.
    virtual void ExecPreview(QPrinter& printer, QWidget* parent, const std::function<void(QPrinter&)>& paint) = 0;
    // The save-file dialog; the full path chosen, empty when cancelled. It asks before replacing a file.
    virtual QString GetSaveFileName(QWidget* parent, const SaveFileRequest& request) = 0;
};

// The program-wide instance; the real dialogs until another is installed.
IPrintDialogs& PrintDialogs();
// Installs dialogs (not owned); nullptr restores the real ones.
void SetPrintDialogs(IPrintDialogs* dialogs);
