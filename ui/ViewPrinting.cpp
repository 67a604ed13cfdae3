#include "ui/ViewPrinting.h"

#include "archive/QuorvelDoc.h"
#include "core/Labels.h"
#include "core/Strings.h"
#include "core/UserMessages.h"
#include "ui/PagePrinter.h"
#include "ui/PrintToFile.h"
#include "ui/SteppedJob.h"
#include "ui/UiLogging.h"
#include "ui/UserDialogs.h"

#include <QFile>
#include <QPaintEngine>
#include <QPainter>
#include <QPrinter>

bool PrintDocument(CQuorvelDoc* document, QPrinter& printer, QWidget* parent)
{
    PagePrinter pages(document);
    QPainter painter;
    if (!painter.begin(&printer)) {
        qCWarning(lcUi) << "cannot start printing on" << printer.printerName() << printer.outputFileName();
        UserMessages().MessageBox(QString::fromLatin1(Str::kPrintJobFailed), IUserMessages::Buttons::Ok,
                                  IUserMessages::Icon::Stop);
        return false;
    }
    pages.OnBeginPrinting(painter);
    const bool range = printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0;
    const int first = range ? printer.fromPage() : 1;
    const int last = qMin(range && printer.toPage() > 0 ? printer.toPage() : pages.GetMaxPage(), pages.GetMaxPage());

    SteppedJob job(parent, QString::fromLatin1(Str::kPrintingPages).arg(document->GetTitle()));
    const bool done = job.Run(qMax(0, last - first + 1), [&](int k) {
        if (!pages.HasDocument())
            return false;
        if (k > 0 && !printer.newPage())
            return false;
        pages.OnPrint(painter, first + k);
        return true;
    });
    // Qt cannot abort a PDF: it is ended like a whole one. A PDF the user stopped is no record of
    // the list, so it goes, as a stopped Print to File does; a printer's job is cancelled instead.
    const bool toPdfFile = painter.paintEngine()->type() == QPaintEngine::Pdf && !printer.outputFileName().isEmpty();
    if (!done)
        printer.abort();
    painter.end();
    if (job.WasCancelled() && toPdfFile && !QFile::remove(printer.outputFileName()))
        qCWarning(lcUi) << "could not remove the stopped print" << printer.outputFileName();
    return done;
}

namespace {

// Every print and preview starts from all pages, whatever range the last one asked for. The job
// carries the window's name, as Print to File offers it.
void PreparePrinter(QPrinter& printer, const CQuorvelDoc& document)
{
    printer.setPrintRange(QPrinter::AllPages);
    printer.setFromTo(0, 0);
    printer.setDocName(PrintFileTitle(document.GetTitle()));
}

} // namespace

void OnFilePrint(CQuorvelDoc* document, QPrinter& printer, QWidget* parent)
{
    if (!document)
        return;
    PreparePrinter(printer, *document);
    if (UserDialogs().ExecPrintDialog(printer, parent))
        PrintDocument(document, printer, parent);
}

void OnFilePrintPreview(CQuorvelDoc* document, QPrinter& printer, QWidget* parent)
{
    if (!document)
        return;
    PreparePrinter(printer, *document);
    UserDialogs().ExecPreview(printer, parent, [document, parent](QPrinter& target) {
        PrintDocument(document, target, parent);
    });
}

void OnFilePrintSetup(QPrinter& printer, QWidget* parent)
{
    UserDialogs().ExecPrintSetup(printer, parent);
}
