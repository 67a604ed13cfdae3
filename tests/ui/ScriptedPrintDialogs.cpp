#include "tests/ui/ScriptedPrintDialogs.h"

ScriptedPrintDialogs::ScriptedPrintDialogs()
{
    SetPrintDialogs(this);
}

ScriptedPrintDialogs::~ScriptedPrintDialogs()
{
    SetPrintDialogs(nullptr);
}

bool ScriptedPrintDialogs::ExecPrintDialog(QPrinter& printer, QWidget*)
{
    ++printDialogs;
    return onPrint && onPrint(printer);
}

bool ScriptedPrintDialogs::ExecPrintSetup(QPrinter& printer, QWidget*)
{
    ++setupDialogs;
    return onSetup && onSetup(printer);
}

void ScriptedPrintDialogs::ExecPreview(QPrinter& printer, QWidget*, const std::function<void(QPrinter&)>& paint)
{
    ++previews;
    if (onPreview)
        onPreview(printer, paint);
}

QString ScriptedPrintDialogs::GetSaveFileName(QWidget*, const SaveFileRequest& request)
{
    saveRequests.append(request);
    return savePath;
}
