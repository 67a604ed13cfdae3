#include "archive/QuorvelDoc.h"
#include "core/Clock.h"
#include "core/Station.h"
#include "events/DisplayObj.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/ui/ChannelWindows.h"
#include "ui/CommandIds.h"
#include "ui/MainFrm.h"
#include "ui/WindowDialogs.h"
#include "ui/QuorvelView.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPageLayout>
#include <QPrinter>
#include <QProcess>
#include <QProgressDialog>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <cstring>
#include <memory>

namespace {

const QDateTime kNow(QDate(2026, 12, 9), QTime(10, 11, 12));
const QString kStamp = QStringLiteral("Wed Dec 09 2026 10:11:12");

// Event n (from 1) of a list: "10:11:12 Alarm: Zone 0007".
void AddZones(CQuorvelDoc& doc, int count, const QByteArray& zone = "Zone ")
{
    for (int n = 1; n <= count; ++n) {
        const QByteArray message = QByteArray("\x94\x00", 2) + zone + QByteArray::number(n).rightJustified(4, '0');
        doc.AddEvent(new CDisplayObj(message.constData(), int(message.size()), 1));
    }
}

// A PDF printer whose page, without margins, is as high as `lines` line spacings of the
// printer's font.
void SetUpPdf(QPrinter& printer, const QString& path, int lines)
{
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    const int lineSpacing = QFontMetrics(QApplication::font(), &printer).lineSpacing();
    const double points = (lines + 0.5) * lineSpacing * 72.0 / printer.resolution();
    printer.setPageSize(QPageSize(QSize(595, int(points)), QStringLiteral("test"), QPageSize::ExactMatch));
    printer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Point);
}

// The print dialog answers OK (accept) or Cancel, having set the printer up as SetUpPdf does.
void AnswerWithPdf(ScriptedDialogs& dialogs, const QString& path, int lines, bool accept)
{
    dialogs.onPrint = [path, lines, accept](QPrinter& printer) {
        SetUpPdf(printer, path, lines);
        return accept;
    };
}

// The text of each page of a PDF, as pdftotext lays it out.
QStringList PdfPages(const QString& path)
{
    QProcess pdftotext;
    pdftotext.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
    if (!pdftotext.waitForFinished(60000) || pdftotext.exitCode() != 0)
        return {};
    QStringList pages = QString::fromUtf8(pdftotext.readAllStandardOutput()).split(QLatin1Char('\f'));
    if (!pages.isEmpty() && pages.constLast().trimmed().isEmpty())
        pages.removeLast();
    return pages;
}

// The pages the Print command makes of the window's list, on a PDF page `pageLines` line
// spacings high; from and to give the dialog's page range, 0 for all pages.
QStringList PrintedPages(ChannelWindows& windows, ScriptedDialogs& dialogs, int pageLines, int from = 0, int to = 0)
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("pages.pdf"));
    dialogs.onPrint = [&](QPrinter& printer) {
        SetUpPdf(printer, pdf, pageLines);
        if (from > 0) {
            printer.setPrintRange(QPrinter::PageRange);
            printer.setFromTo(from, to);
        }
        return true;
    };
    windows.Frame().CommandAction(ID_FILE_PRINT)->trigger();
    return PdfPages(pdf);
}

// The zone numbers of the event lines on a page, top to bottom.
QList<int> ZonesOn(const QString& page)
{
    QList<int> zones;
    static const QRegularExpression line(QStringLiteral("10:11:12 Alarm: Zone (\\d{4})"));
    for (auto it = line.globalMatch(page); it.hasNext();)
        zones.append(it.next().captured(1).toInt());
    return zones;
}

QList<int> Range(int first, int last)
{
    QList<int> numbers;
    for (int n = first; n <= last && first > 0; ++n)
        numbers.append(n);
    return numbers;
}

QByteArray Lines(int count, const QByteArray& zone)
{
    QByteArray bytes;
    for (int n = 1; n <= count; ++n)
        bytes += "10:11:12 Alarm: " + zone + QByteArray::number(n).rightJustified(4, '0') + "\r\n";
    return bytes;
}

} // namespace

class TestPrinting : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init() { Clock::SetNow(kNow); }
    void cleanup() { Clock::Reset(); }
    void printedPages_data();
    void printedPages();
    void pageTooShortForThreeLines_data();
    void pageTooShortForThreeLines();
    void previewShowsEveryPage();
    void setupIsKeptForLaterPrints();
    void cancelledPrintDialogPrintsNothing();
    void stoppedPdfLeavesNoFile();
    void pageSetupWithoutSystemPrinterIsQuiet();
    void printToFileOffers_data();
    void printToFileOffers();
    void printToFileWrites_data();
    void printToFileWrites();
    void printToFileRefuses_data();
    void printToFileRefuses();
    void printToFileFullDisk_data();
    void printToFileFullDisk();

private:
    static constexpr int kPageLines = 70;  // the page's height in line spacings of the printer's font
    int m_nLines = 0;                       // event lines on such a page
};

void TestPrinting::initTestCase()
{
    // The event lines a page holds, read from the first page of a long list; the rows below
    // are laid out in it.
    Clock::SetNow(kNow);
    ChannelWindows windows(1);
    ScriptedDialogs& dialogs = windows.dialogs;
    AddZones(windows.Doc(1), 200);
    const QStringList printed = PrintedPages(windows, dialogs, kPageLines);
    QVERIFY(!printed.isEmpty());
    m_nLines = int(ZonesOn(printed[0]).size());
    QVERIFY2(m_nLines > kPageLines / 2 && m_nLines < kPageLines, qPrintable(printed[0]));
}

void TestPrinting::printedPages_data()
{
    const int n = m_nLines;
    QTest::addColumn<int>("events");
    QTest::addColumn<int>("from");  // the dialog's page range; 0 for all pages
    QTest::addColumn<int>("to");
    QTest::addColumn<int>("lastPage");
    QTest::addColumn<QList<int>>("pages");         // the page numbers printed, in order
    QTest::addColumn<QList<QList<int>>>("zones");  // the event lines of each printed page
    // n lines a page; an exact multiple of it adds a page with header and footer only.
    QTest::newRow("empty list") << 0 << 0 << 0 << 1 << QList<int>{1} << QList<QList<int>>{{}};
    QTest::newRow("one event") << 1 << 0 << 0 << 1 << QList<int>{1} << QList<QList<int>>{{1}};
    QTest::newRow("a full page") << n << 0 << 0 << 2 << QList<int>{1, 2} << QList<QList<int>>{Range(1, n), {}};
    QTest::newRow("a page and one") << n + 1 << 0 << 0 << 2 << QList<int>{1, 2}
                                    << QList<QList<int>>{Range(1, n), {n + 1}};
    QTest::newRow("three pages") << 2 * n + 22 << 0 << 0 << 3 << QList<int>{1, 2, 3}
                                 << QList<QList<int>>{Range(1, n), Range(n + 1, 2 * n), Range(2 * n + 1, 2 * n + 22)};
    QTest::newRow("three pages, pages 2 to 3") << 2 * n + 22 << 2 << 3 << 3 << QList<int>{2, 3}
                                               << QList<QList<int>>{Range(n + 1, 2 * n), Range(2 * n + 1, 2 * n + 22)};
    QTest::newRow("three pages, page 2") << 2 * n + 22 << 2 << 2 << 3 << QList<int>{2}
                                         << QList<QList<int>>{Range(n + 1, 2 * n)};
    QTest::newRow("range past the last page") << n + 1 << 2 << 9 << 2 << QList<int>{2} << QList<QList<int>>{{n + 1}};
}

void TestPrinting::printedPages()
{
    QFETCH(int, events);
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(int, lastPage);
    QFETCH(QList<int>, pages);
    QFETCH(QList<QList<int>>, zones);
    ChannelWindows windows(1);
    ScriptedDialogs& dialogs = windows.dialogs;
    AddZones(windows.Doc(1), events);
    const QStringList printed = PrintedPages(windows, dialogs, kPageLines, from, to);
    QCOMPARE(dialogs.printDialogs, 1);
    QCOMPARE(printed.size(), pages.size());
    for (int i = 0; i < printed.size(); ++i) {
        const QString& page = printed[i];
        const QString where = QStringLiteral("page %1:\n%2").arg(pages[i]).arg(page);
        QVERIFY2(page.contains(QStringLiteral("Event Log: Channel 1")), qPrintable(where));
        QVERIFY2(page.contains(kStamp), qPrintable(where));
        QVERIFY2(page.contains(QStringLiteral("Brannock")), qPrintable(where));
        QVERIFY2(page.contains(QStringLiteral("Page %1 of %2").arg(pages[i]).arg(lastPage)), qPrintable(where));
        QCOMPARE(ZonesOn(page), zones[i]);
    }
    QVERIFY(windows.messages.texts.isEmpty());
}

void TestPrinting::pageTooShortForThreeLines_data()
{
    QTest::addColumn<int>("pageLines");  // the page's height in line spacings
    QTest::addColumn<bool>("linesOnPaper");
    QTest::newRow("no room for a line") << 5 << true;
    QTest::newRow("less than three lines high") << 2 << false;  // the lines fall below the paper
}

void TestPrinting::pageTooShortForThreeLines()
{
    // Header and footer fill the page: each page still carries one event line.
    QFETCH(int, pageLines);
    QFETCH(bool, linesOnPaper);
    ChannelWindows windows(1);
    ScriptedDialogs& dialogs = windows.dialogs;
    AddZones(windows.Doc(1), 3);
    const QStringList printed = PrintedPages(windows, dialogs, pageLines);
    QCOMPARE(printed.size(), 4);
    for (int i = 0; i < printed.size(); ++i) {
        QVERIFY2(printed[i].contains(QStringLiteral("Page %1 of 4").arg(i + 1)), qPrintable(printed[i]));
        if (linesOnPaper)
            QCOMPARE(ZonesOn(printed[i]), i < 3 ? QList<int>{i + 1} : QList<int>{});
    }
}

void TestPrinting::previewShowsEveryPage()
{
    // A page range chosen for one print does not narrow the next preview.
    ChannelWindows windows(1);
    ScriptedDialogs& dialogs = windows.dialogs;
    AddZones(windows.Doc(1), 2 * m_nLines + 22);
    QCOMPARE(PrintedPages(windows, dialogs, kPageLines, 2, 2).size(), 1);
    QTemporaryDir dir;

    const QString pdf = dir.filePath(QStringLiteral("preview.pdf"));
    dialogs.onPreview = [&](QPrinter& printer, const std::function<void(QPrinter&)>& paint) {
        printer.setOutputFileName(pdf);
        paint(printer);
    };
    windows.Frame().CommandAction(ID_FILE_PRINT_PREVIEW)->trigger();
    QCOMPARE(dialogs.previews, 1);
    const QStringList printed = PdfPages(pdf);
    QCOMPARE(printed.size(), 3);
    QCOMPARE(ZonesOn(printed[0]), Range(1, m_nLines));
    QCOMPARE(ZonesOn(printed[2]), Range(2 * m_nLines + 1, 2 * m_nLines + 22));
}

void TestPrinting::setupIsKeptForLaterPrints()
{
    ChannelWindows windows(1);
    ScriptedDialogs& dialogs = windows.dialogs;
    dialogs.onSetup = [](QPrinter& printer) {
        printer.setPageOrientation(QPageLayout::Landscape);
        return true;
    };
    windows.Frame().CommandAction(ID_FILE_PRINT_SETUP)->trigger();
    QCOMPARE(dialogs.setupDialogs, 1);
    QPageLayout::Orientation seen = QPageLayout::Portrait;
    dialogs.onPrint = [&](QPrinter& printer) {
        seen = printer.pageLayout().orientation();
        return false;
    };
    windows.Frame().CommandAction(ID_FILE_PRINT)->trigger();
    QCOMPARE(seen, QPageLayout::Landscape);
}

void TestPrinting::cancelledPrintDialogPrintsNothing()
{
    ChannelWindows windows(1);
    ScriptedDialogs& dialogs = windows.dialogs;
    AddZones(windows.Doc(1), 3);
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("none.pdf"));
    AnswerWithPdf(dialogs, pdf, kPageLines, false);
    windows.Frame().CommandAction(ID_FILE_PRINT)->trigger();
    QCOMPARE(dialogs.printDialogs, 1);
    QVERIFY(!QFile::exists(pdf));
}

// Cancel in the progress box, once it shows, of a print long enough to need one.
void TestPrinting::stoppedPdfLeavesNoFile()
{
    ChannelWindows windows(1);
    ScriptedDialogs& dialogs = windows.dialogs;
    AddZones(windows.Doc(1), 60000);
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("stopped.pdf"));
    AnswerWithPdf(dialogs, pdf, kPageLines, true);
    bool cancelled = false;
    QTimer watch;
    connect(&watch, &QTimer::timeout, this, [&] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* progress = qobject_cast<QProgressDialog*>(widget);
            if (progress && progress->isVisible() && !cancelled) {
                QVERIFY(QFile::exists(pdf));  // pages are being made
                QCOMPARE(progress->windowTitle(), QStringLiteral("Quorvel"));
                progress->cancel();
                cancelled = true;
            }
        }
    });
    watch.start(20);
    windows.Frame().CommandAction(ID_FILE_PRINT)->trigger();
    QVERIFY(cancelled);
    QVERIFY(!QFile::exists(pdf));
}

// A machine without printers has only PDF printers; the page set-up dialog is still offered for
// them, without a word on standard error.
void TestPrinting::pageSetupWithoutSystemPrinterIsQuiet()
{
    WindowDialogs dialogs;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    QTest::failOnWarning(QRegularExpression(QStringLiteral("QPageSetupDialog")));
    bool shown = false;
    QTimer::singleShot(0, this, [&] {
        QTRY_VERIFY(QApplication::activeModalWidget());
        shown = true;
        QApplication::activeModalWidget()->close();
    });
    QVERIFY(!dialogs.ExecPrintSetup(printer, nullptr));
    QVERIFY(shown);
}

void TestPrinting::printToFileOffers_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("offered");
    QTest::newRow("channel window") << "Channel 1" << "Channel 1";
    QTest::newRow("archive window") << "Channel 1 20261208.krv" << "Channel 1 20261208";
    QTest::newRow("cut at the first dot") << "Gate.house 20261208.krv" << "Gate";
    QTest::newRow("leading dot kept whole") << ".Gate 20261208" << ".Gate 20261208";
}

void TestPrinting::printToFileOffers()
{
    QFETCH(QString, title);
    QFETCH(QString, offered);
    ChannelWindows windows(1);
    ScriptedDialogs& dialogs = windows.dialogs;
    windows.Doc(1).SetTitle(title);
    windows.Frame().CommandAction(ID_PRINT_TO_FILE)->trigger();
    QCOMPARE(dialogs.saveRequests.size(), 1);
    const IUserDialogs::SaveFileRequest& request = dialogs.saveRequests[0];
    QCOMPARE(request.fileName, offered);
    QCOMPARE(request.title, QStringLiteral("Print to File"));
    QCOMPARE(QDir::cleanPath(QDir(StationDir()).absoluteFilePath(request.folder)),
             QDir(StationDir()).absoluteFilePath(QStringLiteral("Print")));
    QCOMPARE(request.filter, QStringLiteral("Text File (*.txt)"));
    QCOMPARE(request.defaultSuffix, QStringLiteral("txt"));
    // Cancelled: nothing is said.
    QVERIFY(windows.messages.texts.isEmpty());
}

void TestPrinting::printToFileWrites_data()
{
    QTest::addColumn<int>("events");
    QTest::addColumn<QByteArray>("zone");
    QTest::addColumn<QByteArray>("before");  // the file's bytes before, or null for none
    QTest::newRow("one line") << 1 << QByteArray("Zone ") << QByteArray();
    QTest::newRow("many lines") << 2500 << QByteArray("Zone ") << QByteArray();
    QTest::newRow("longer file replaced") << 2 << QByteArray("Zone ") << QByteArray(100000, 'x');
    QTest::newRow("bytes above 127 kept") << 2 << QByteArray("Caf\xE9 \xA7") << QByteArray();
}

void TestPrinting::printToFileWrites()
{
    QFETCH(int, events);
    QFETCH(QByteArray, zone);
    QFETCH(QByteArray, before);
    ChannelWindows windows(1);
    ScriptedDialogs& dialogs = windows.dialogs;
    AddZones(windows.Doc(1), events, zone);
    QVERIFY(QDir().mkpath(StationPath(QStringLiteral("Print"))));
    dialogs.savePath = StationPath(QStringLiteral("Print/Channel 1.txt"));
    QFile file(dialogs.savePath);
    if (!before.isNull()) {
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(before);
        file.close();
    }
    windows.Frame().CommandAction(ID_PRINT_TO_FILE)->trigger();
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), Lines(events, zone));
    QVERIFY(windows.messages.texts.isEmpty());
}

void TestPrinting::printToFileRefuses_data()
{
    QTest::addColumn<int>("events");
    QTest::addColumn<QString>("path");  // in the station directory
    QTest::addColumn<QString>("message");
    QTest::newRow("empty list") << 0 << "Print/Channel 1.txt" << "There are no events to write to a file.";
    QTest::newRow("no such folder") << 3 << "Missing/Channel 1.txt"
                                    << "Unable to open %1/Missing/Channel 1.txt for writing: No such file or directory";
    QTest::newRow("a folder") << 3 << "Print" << "Unable to open %1/Print for writing: Is a directory";
}

void TestPrinting::printToFileRefuses()
{
    QFETCH(int, events);
    QFETCH(QString, path);
    QFETCH(QString, message);
    ChannelWindows windows(1);
    ScriptedDialogs& dialogs = windows.dialogs;
    AddZones(windows.Doc(1), events);
    QVERIFY(QDir().mkpath(StationPath(QStringLiteral("Print"))));
    dialogs.savePath = QDir(StationDir()).absoluteFilePath(path);
    windows.Frame().CommandAction(ID_PRINT_TO_FILE)->trigger();
    if (message.contains(QLatin1String("%1")))
        message = message.arg(QDir(StationDir()).absolutePath());
    QCOMPARE(windows.messages.texts, QStringList{message});
    QCOMPARE(windows.messages.beeps, QList<IUserMessages::Beep>{IUserMessages::Beep::Asterisk});
    QCOMPARE(windows.messages.icons, QList<IUserMessages::Icon>{IUserMessages::Icon::Information});
    QVERIFY(!QFileInfo(dialogs.savePath).isFile());
}

void TestPrinting::printToFileFullDisk_data()
{
    QTest::addColumn<QString>("path");  // in the station directory, or a device
    QTest::addColumn<int>("room");      // bytes the file may take, -1 for no limit
    QTest::addColumn<int>("error");
    QTest::newRow("device full from the first byte") << "/dev/full" << -1 << ENOSPC;
    // Room ends inside a line: the device takes part of a write, then refuses.
    QTest::newRow("room ends inside a line") << "Print/Channel 1.txt" << 1000 << EFBIG;
    QTest::newRow("room ends after many lines") << "Print/Channel 1.txt" << 100003 << EFBIG;
}

// A write the disk refuses is told with the system's own reason.
void TestPrinting::printToFileFullDisk()
{
    QFETCH(QString, path);
    QFETCH(int, room);
    QFETCH(int, error);
    if (path.startsWith(QLatin1String("/dev/")) && !QFileInfo(path).isWritable())
        QSKIP("no such device here");
    ChannelWindows windows(1);
    ScriptedDialogs& dialogs = windows.dialogs;
    AddZones(windows.Doc(1), 5000);
    QVERIFY(QDir().mkpath(StationPath(QStringLiteral("Print"))));
    dialogs.savePath = QDir(StationDir()).absoluteFilePath(path);
    {
        std::unique_ptr<FileSizeLimit> limit;
        if (room >= 0)
            limit = std::make_unique<FileSizeLimit>(room);
        windows.Frame().CommandAction(ID_PRINT_TO_FILE)->trigger();
    }
    const QString expected = QStringLiteral("An error occurred while writing %1: %2")
                                 .arg(QDir::toNativeSeparators(dialogs.savePath), QString::fromLocal8Bit(std::strerror(error)));
    QCOMPARE(windows.messages.texts, QStringList{expected});
}

QTEST_MAIN(TestPrinting)
#include "tst_printing.moc"
