#include "ui/WindowDialogs.h"

#include "core/SettingsKeys.h"

#include <QDir>
#include <QFileDialog>
#include <QHeaderView>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QTreeView>

#include <cstdio>
#include <optional>

namespace {

const QSize kOpenDialogSize(860, 520);

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

} // namespace

bool WindowDialogs::ExecPrintDialog(QPrinter& printer, QWidget* parent)
{
    QPrintDialog dialog(&printer, parent);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    return dialog.exec() == QDialog::Accepted;
}

bool WindowDialogs::ExecPrintSetup(QPrinter& printer, QWidget* parent)
{
    std::optional<QuietPageSetupWarning> quiet;
    if (printer.outputFormat() != QPrinter::NativeFormat)
        quiet.emplace();
    QPageSetupDialog dialog(&printer, parent);
    quiet.reset();
    return dialog.exec() == QDialog::Accepted;
}

void WindowDialogs::ExecPreview(QPrinter& printer, QWidget* parent, const std::function<void(QPrinter&)>& paint)
{
    QPrintPreviewDialog dialog(&printer, parent);
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, [&paint](QPrinter* target) {
        paint(*target);
    });
    dialog.exec();
}

QString WindowDialogs::GetSaveFileName(QWidget* parent, const SaveFileRequest& request)
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

QString WindowDialogs::GetOpenFileName(QWidget* parent, const OpenFileRequest& request)
{
    QFileDialog dialog(parent, request.title, request.folder, request.filter);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(QString::fromLatin1(Str::kArchiveExtension));
    // The archives of a channel whose name starts with a dot are hidden files.
    dialog.setFilter(dialog.filter() | QDir::Hidden);
    // Wide enough for a channel's name, the date and the size and time of each archive.
    dialog.resize(dialog.sizeHint().expandedTo(kOpenDialogSize));
    // Qt's own dialog (where the desktop offers none): each archive's size and time in full.
    if (auto* list = dialog.findChild<QTreeView*>()) {
        list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
        list->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}
