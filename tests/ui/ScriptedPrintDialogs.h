#pragma once
#include "ui/PrintDialogs.h"

#include <QList>
#include <QString>

#include <functional>

// Stands for the person answering the print and file dialogs; installs itself for its lifetime.
// Unanswered dialogs are cancelled; the preview shows nothing unless told how.
class ScriptedPrintDialogs : public IPrintDialogs
{
public:
    ScriptedPrintDialogs();
    ~ScriptedPrintDialogs() override;

    bool ExecPrintDialog(QPrinter& printer, QWidget* parent) override;
    bool ExecPrintSetup(QPrinter& printer, QWidget* parent) override;
    void ExecPreview(QPrinter& printer, QWidget* parent, const std::function<void(QPrinter&)>& paint) override;
    QString GetSaveFileName(QWidget* parent, const SaveFileRequest& request) override;

    std::function<bool(QPrinter&)> onPrint;  // sets the printer as the person would; true prints
    std::function<bool(QPrinter&)> onSetup;
    // Runs in the preview, given the printer and the preview's way of painting.
    std::function<void(QPrinter&, const std::function<void(QPrinter&)>&)> onPreview;
    QString savePath;  // the file chosen in the save dialog; empty cancels

    int printDialogs = 0;
    int setupDialogs = 0;
    int previews = 0;
    QList<SaveFileRequest> saveRequests;
};
