#include "ui/PrintDialogs.h"

#include <QFileDialog>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>

#include <cstdio>
#include <optional>

namespace {

// Qt warns on standard error whenever the page set-up dialog is made for a printer that is not a
// system printer (a PDF file, the only kind a machine without printers has), although the dialog
// works for it. The warning says nothing to the operator, so it is left out while the dialog is
// made; every other message goes on as usual.
class QuietPageSetupWarning
{
public:
    QuietPageSetupWarning() { s_previous = qInstallMessageHandler(&Filter); }
    ~QuietPageSetupWarning() { qInstallMessageHandler(s_previous); }
    QuietPageSetupWarning(const QuietPageSetupWarning&) = delete;
    QuietPageSetupWarning& operator=(const QuietPageSetupWarning&) = delete;

private:
    static void Filter(QtMsgType type, const QMessageLogContext& context, const QString& text)
    {
        if (type == QtWarningMsg && text.startsWith(QLatin1String("QPageSetupDialog: Cannot be used on non-native")))
            return;
        if (s_previous)
            s_previous(type, context, text);
        else
            std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, text)));
    }
    static inline QtMessageHandler s_previous = nullptr;
};

class QtPrintDialogs : public IPrintDialogs
{
public:
    bool ExecPrintDialog(QPrinter& printer, QWidget* parent) override
    {
        QPrintDialog dialog(&printer, parent);
        dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
        dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
        return dialog.exec() == QDialog::Accepted;
    }

    bool ExecPrintSetup(QPrinter& printer, QWidget* parent) override
    {
        std::optional<QuietPageSetupWarning> quiet;
        if (printer.outputFormat() != QPrinter::NativeFormat)
            quiet.emplace();
        QPageSetupDialog dialog(&printer, parent);
        quiet.reset();
        return dialog.exec() == QDialog::Accepted;
    }

    void ExecPreview(QPrinter& printer, QWidget* parent, const std::function<void(QPrinter&)>& paint) override
    {
        QPrintPreviewDialog dialog(&printer, parent);
        QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, [&paint](QPrinter* target) {
            paint(*target);
        });
        dialog.exec();
    }

    QString GetSaveFileName(QWidget* parent, const SaveFileRequest& request) override
    {
        QFileDialog dialog(parent, request.title, request.folder, request.filter);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setDefaultSuffix(request.defaultSuffix);
        dialog.selectFile(request.fileName);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return {};
        return dialog.selectedFiles().constFirst();
    }
};

QtPrintDialogs g_qtDialogs;
IPrintDialogs* g_pDialogs = &g_qtDialogs;

} // namespace

IPrintDialogs& PrintDialogs()
{
    return *g_pDialogs;
}

void SetPrintDialogs(IPrintDialogs* dialogs)
{
    g_pDialogs = dialogs ? dialogs : &g_qtDialogs;
}
