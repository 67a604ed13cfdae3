#pragma once
#include "tests/support/ScriptedMessages.h"
#include "ui/UserDialogs.h"

#include <QList>
#include <QString>

#include <functional>

// Stands for the person at the station in the windowed program: records and answers the boxes (as
// ScriptedMessages does), the print dialogs and the file dialogs. Installs itself for its lifetime.
// Unanswered dialogs are cancelled; the preview shows nothing unless told how.
class ScriptedDialogs : public IUserDialogs
{
public:
    ScriptedDialogs();
    ~ScriptedDialogs() override;

    void MessageBeep(Beep kind) override { boxes.MessageBeep(kind); }
    int MessageBox(const QString& text, Buttons buttons, Icon icon) override
    {
        return boxes.MessageBox(text, buttons, icon);
    }
    bool ExecPrintDialog(QPrinter& printer, QWidget* parent) override;
    bool ExecPrintSetup(QPrinter& printer, QWidget* parent) override;
    void ExecPreview(QPrinter& printer, QWidget* parent, const std::function<void(QPrinter&)>& paint) override;
    QString GetSaveFileName(QWidget* parent, const SaveFileRequest& request) override;
    QString GetOpenFileName(QWidget* parent, const OpenFileRequest& request) override;

    ScriptedMessages boxes;  // every beep and box, and their answers

    std::function<bool(QPrinter&)> onPrint;  // sets the printer as the person would; true prints
    std::function<bool(QPrinter&)> onSetup;
    // Runs in the preview, given the printer and the preview's way of painting.
    std::function<void(QPrinter&, const std::function<void(QPrinter&)>&)> onPreview;
    QString savePath;  // the file chosen in the save dialog; empty cancels
    QString openPath;  // the file chosen in the open dialog; empty cancels

    int printDialogs = 0;
    int setupDialogs = 0;
    int previews = 0;
    QList<SaveFileRequest> saveRequests;
    QList<OpenFileRequest> openRequests;
};
