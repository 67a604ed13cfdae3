#include "ui/PrintDialogs.h"

#include <QFileDialog>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>

namespace {

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
        QPageSetupDialog dialog(&printer, parent);
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
