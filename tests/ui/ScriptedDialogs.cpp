#include "tests/ui/ScriptedDialogs.h"

ScriptedDialogs::ScriptedDialogs()
{
    SetUserDialogs(this);
}

ScriptedDialogs::~ScriptedDialogs()
{
    SetUserDialogs(nullptr);
}

bool ScriptedDialogs::ExecPrintDialog(QPrinter& printer, QWidget*)
{
    ++printDialogs;
    return onPrint && onPrint(printer);
}

bool ScriptedDialogs::ExecPrintSetup(QPrinter& printer, QWidget*)
{
    ++setupDialogs;
    return onSetup && onSetup(printer);
}

void ScriptedDialogs::ExecPreview(QPrinter& printer, QWidget*, const std::function<void(QPrinter&)>& paint)
{
    ++previews;
    if (onPreview)
        onPreview(printer, paint);
}

QString ScriptedDialogs::GetSaveFileName(QWidget*, const SaveFileRequest& request)
{
    saveRequests.append(request);
    return savePath;
}

QString ScriptedDialogs::GetOpenFileName(QWidget*, const OpenFileRequest& request)
{
    openRequests.append(request);
    return openPath;
}
