#pragma once
#include "ui/UserDialogs.h"
#include "ui/WindowMessages.h"

// The real dialogs of the windowed program: the beeps and boxes of WindowMessages, and Qt's print,
// page set-up, preview and file dialogs.
class WindowDialogs : public IUserDialogs
{
public:
    void MessageBeep(Beep kind) override { m_boxes.MessageBeep(kind); }
    int MessageBox(const QString& text, Buttons buttons = Buttons::Ok, Icon icon = Icon::None) override
    {
        return m_boxes.MessageBox(text, buttons, icon);
    }

    bool ExecPrintDialog(QPrinter& printer, QWidget* parent) override;
    bool ExecPrintSetup(QPrinter& printer, QWidget* parent) override;
    void ExecPreview(QPrinter& printer, QWidget* parent, const std::function<void(QPrinter&)>& paint) override;
    QString GetSaveFileName(QWidget* parent, const SaveFileRequest& request) override;
    // Opens where the request says, showing hidden files too, wide enough for each archive's name,
    // size and time.
    QString GetOpenFileName(QWidget* parent, const OpenFileRequest& request) override;

    const WindowMessages& Boxes() const { return m_boxes; }

private:
    WindowMessages m_boxes;
};
