#include "app/QuorvelApp.h"
#include "app/WindowViews.h"
#include "archive/ArchiveFormat.h"
#include "archive/QuorvelDoc.h"
#include "events/DisplayObj.h"
#include "core/Clock.h"
#include "tests/events/AlarmFixture.h"
#include "tests/support/Pty.h"
#include "tests/support/SpinUntil.h"
#include "tests/support/TestStation.h"
#include "tests/ui/ScriptedDialogs.h"
#include "tests/ui/TextRecorder.h"
#include "tests/ui/WindowStation.h"
#include "tools/quorvel-sim/SimFrames.h"
#include "ui/ChildFrm.h"
#include "ui/CommandIds.h"
#include "ui/MainFrm.h"
#include "ui/QuorvelView.h"

#include <QDir>
#include <QFile>
#include <QMdiArea>
#include <QMenuBar>
#include <QScrollBar>
#include <QtTest>

#include <functional>
#include <sys/file.h>
#include <sys/stat.h>
#include <memory>

namespace {

const QMap<int, QByteArrayList> kAlarms{{0, {"ALARM", "N", "", "", "Door open"}}};
const QString kNotConnected = QStringLiteral("Port COM0 not connected.");
const QString kAlreadyOpen = QStringLiteral("Archive %1 is already open");

QString DateKey(int daysFromToday)
{
    return QDate::currentDate().addDays(daysFromToday).toString(QStringLiteral("yyyyMMdd"));
}

// Asks for an archive as a person does: "View Archives", "recent file" or "second copy".
void OpenByRoute(const QString& route, CMainFrame& frame, CQuorvelApp& app, ScriptedDialogs& dialogs,
                 const QString& path)
{
    if (route == QLatin1String("View Archives")) {
        dialogs.openPath = path;
        frame.CommandAction(ID_FILE_OPEN)->trigger();
        dialogs.openPath.clear();
    } else if (route == QLatin1String("recent file")) {
        emit frame.openDocumentFile(path);
    } else {
        app.OnActivateRequested({path});
    }
}

// A station started with its windows as the program starts it: sixteen live channel windows
// (no line assigned to any of them), boxes answered by script. Or, when files are named, the
// program started with them: their archive windows only.
class ArchiveStation
{
public:
    explicit ArchiveStation(const std::function<QStringList(ArchiveStation&)>& files = {})
    {
        station.WriteFile(QStringLiteral("almdata.txt"), AlarmFileBytes(kAlarms));
        station.WriteFile(QStringLiteral("config/Brannock/Quorvel.ini"), "[Backup]\nDrives=.\n");
        app = std::make_unique<CQuorvelApp>();
        auto windows = std::make_unique<WindowViews>(*app);
        views = windows.get();
        app->SetChannelViews(std::move(windows));
        started = app->InitInstance(files ? files(*this) : QStringList());
        messages.texts.clear();
        messages.beeps.clear();
    }
    ~ArchiveStation()
    {
        app.reset();
    }

    // A channel's archive of a day as the channel writes it, one record per value, in the station's
    // Archives folder; its full path.
    QString WriteArchive(const QString& channelName, int daysFromToday, const QList<int>& values) const
    {
        Clock::SetNow(QDateTime(QDate::currentDate().addDays(daysFromToday), QTime(12, 0)));
        {
            CQuorvelDoc writer(channelName);
            for (int value : values)
                writer.HandleMessage(QByteArray::fromHex("0100") + char(value));
        }
        Clock::Reset();
        return station.Path(QStringLiteral("Archives/%1 %2.krv").arg(channelName, DateKey(daysFromToday)));
    }

    CMainFrame& Frame() const { return views->Frame(); }
    // Archives are read beside the running channels: their windows follow.
    bool WaitForArchiveWindows(int count) const
    {
        return SpinUntil([&] { return ArchiveWindows().size() == count; }, 30000);
    }
    // The windows that show archives, in the order they were made.
    QList<CChildFrame*> ArchiveWindows() const
    {
        QList<CChildFrame*> windows;
        for (CChildFrame* window : Frame().ChildFrames()) {
            if (window->GetDocument() && window->GetDocument()->GetChannel() < 0)
                windows.append(window);
        }
        return windows;
    }
    static QStringList Shown(CChildFrame* window)
    {
        QStringList texts;
        for (const TextRecorder::Text& text : TextRecorder::Record(window->View()->viewport()))
            texts.append(text.text);
        return texts;
    }
    // Command 57601: View Archives with a window active, Open without; the dialog answered with
    // `answer` (empty: cancelled).
    void ChooseArchive(const QString& answer)
    {
        dialogs.openPath = answer;
        Frame().CommandAction(ID_FILE_OPEN)->trigger();
    }
    // What the last file dialog was shown with.
    IUserDialogs::OpenFileRequest LastRequest() const
    {
        return dialogs.openRequests.isEmpty() ? IUserDialogs::OpenFileRequest() : dialogs.openRequests.constLast();
    }

    ScriptedDialogs dialogs;
    ScriptedMessages& messages = dialogs.boxes;
    TestStation station;
    std::unique_ptr<CQuorvelApp> app;
    WindowViews* views = nullptr;
    bool started = false;
};

// 300,000 copies of a record the channel's own writer wrote yesterday: an archive that takes a
// while to read. Its path; empty when it could not be written.
QString WriteLargeArchive(const TestStation& station)
{
    Clock::SetNow(QDateTime(QDate::currentDate().addDays(-1), QTime(12, 0)));
    {
        CQuorvelDoc writer(QStringLiteral("Channel 2"));
        writer.HandleMessage(QByteArray::fromHex("010007"));
    }
    Clock::Reset();
    QFile file(station.Path(QStringLiteral("Archives/Channel 2 %1.krv").arg(DateKey(-1))));
    if (!file.open(QIODevice::ReadWrite))
        return {};
    const QByteArray written = file.readAll();
    const QByteArray bytes = written.left(kArchiveHeaderSize) + written.mid(kArchiveHeaderSize).repeated(300000);
    if (written.size() <= kArchiveHeaderSize || !file.resize(0) || file.write(bytes) != bytes.size())
        return {};
    return file.fileName();
}

} // namespace

// Archive windows: an earlier day's archive chosen, opened, shown, brought forward, sent and closed,
// as the person at the station does it.
class TestArchiveWindows : public QObject
{
    Q_OBJECT

private slots:
    void viewArchives_data();
    void viewArchives();
    void openedTwiceShownOnce();
    void closeArchive();
    void archiveContents_data();
    void archiveContents();
    void askedAgainWhileOpening();
    void newestAtTheBottom();
    void send_data();
    void send();
    void startedWithAFile();
    void channelsAnswerWhileOpening();
    void endsWhileOpening();
    void notAFileThatCanBeViewed_data();
    void notAFileThatCanBeViewed();
    void goneArchiveIsNamed_data();
    void goneArchiveIsNamed();
    void closingLetsGoOfTheRecords();
};

void TestArchiveWindows::viewArchives_data()
{
    QTest::addColumn<QString>("chosen");    // in the station directory; %t today's key, %y yesterday's
    QTest::addColumn<QStringList>("boxes");  // %p the chosen file's full path, %n its name
    QTest::newRow("yesterday's") << "Archives/Channel 1 %y.krv" << QStringList{};
    QTest::newRow("today's, of another channel") << "Archives/Channel 3 %t.krv" << QStringList{kAlreadyOpen.arg("%n")};
    QTest::newRow("yesterday's in a folder named for today") << "%t/Channel 1 %y.krv" << QStringList{kAlreadyOpen.arg("%p")};
    QTest::newRow("cancelled") << "" << QStringList{};
}

void TestArchiveWindows::viewArchives()
{
    QFETCH(QString, chosen);
    QFETCH(QStringList, boxes);
    ArchiveStation station;
    QVERIFY(station.started);
    const QString yesterday = station.WriteArchive(QStringLiteral("Channel 1"), -1, {1, 2});
    station.WriteArchive(QStringLiteral("Channel 3"), 0, {1});
    QString path;
    if (!chosen.isEmpty()) {
        path = station.station.Path(chosen.replace(QStringLiteral("%t"), DateKey(0)).replace(QStringLiteral("%y"), DateKey(-1)));
        QDir().mkpath(QFileInfo(path).path());
        if (!QFileInfo::exists(path))
            QVERIFY(QFile::copy(yesterday, path));
    }
    const QString name = QFileInfo(path).fileName();
    for (QString& box : boxes)
        box.replace(QStringLiteral("%p"), path).replace(QStringLiteral("%n"), name);

    station.ChooseArchive(path);
    const bool opens = !path.isEmpty() && boxes.isEmpty();
    // A box comes once the chosen file has been read, off the user-interface thread: wait for it too.
    QVERIFY(SpinUntil([&] {
        return station.ArchiveWindows().size() == (opens ? 1 : 0) && station.messages.texts.size() == boxes.size();
    }, 30000));
    QCOMPARE(station.LastRequest().folder, station.station.Path(QStringLiteral("Archives")));
    QCOMPARE(station.messages.texts, boxes);
    QCOMPARE(station.messages.beeps,
             boxes.isEmpty() ? QList<IUserMessages::Beep>{} : QList<IUserMessages::Beep>{IUserMessages::Beep::Asterisk});
    QCOMPARE(station.ArchiveWindows().size(), opens ? 1 : 0);
    QCOMPARE(station.app->RecentFiles().Files(), opens ? QStringList{path} : QStringList{});
    if (!opens)
        return;

    // Titled by its file, active, the newest lines at the bottom, under the line of port 0.
    CChildFrame* window = station.ArchiveWindows().constFirst();
    QCOMPARE(station.Frame().ActiveChildFrame(), window);
    QCOMPARE(window->windowTitle(), name);
    QCOMPARE(station.Frame().windowTitle(), QStringLiteral("Quorvel - ") + name);
    const QStringList shown = ArchiveStation::Shown(window);
    QCOMPARE(shown.size(), 3);
    QCOMPARE(shown.constFirst(), kNotConnected);
    QVERIFY(shown[1].contains(QStringLiteral("Door open")) && shown[2].contains(QStringLiteral("Door open")));

    // Its title stays its file's when it gets the focus; the recent-file entry opens it again.
    QFocusEvent focusIn(QEvent::FocusIn, Qt::MouseFocusReason);
    QCoreApplication::sendEvent(window->View(), &focusIn);
    QCOMPARE(window->windowTitle(), name);
    QAction* entry = nullptr;
    for (QAction* menu : station.Frame().menuBar()->actions()) {
        for (QAction* item : menu->menu()->actions()) {
            if (item->isVisible() && item->text() == QStringLiteral("&1 ") + path)
                entry = item;
        }
    }
    QVERIFY(entry);
    station.Frame().MdiArea()->setActiveSubWindow(station.views->Window(1));
    entry->trigger();
    QCOMPARE(station.ArchiveWindows(), QList<CChildFrame*>{window});
    QCOMPARE(station.Frame().ActiveChildFrame(), window);
}

// The same file by another name (a link, a "..") is the same archive: its window comes forward.
void TestArchiveWindows::openedTwiceShownOnce()
{
    ArchiveStation station;
    const QString path = station.WriteArchive(QStringLiteral("Channel 2"), -2, {1});
    QVERIFY(QFile::link(path, station.station.Path(QStringLiteral("link.krv"))));
    QVERIFY(station.app->OpenDocumentFile(path));
    QVERIFY(station.WaitForArchiveWindows(1));
    CChildFrame* first = station.ArchiveWindows().constFirst();
    first->showMinimized();
    for (const QString& again : {station.station.Path(QStringLiteral("Archives/../link.krv")), path}) {
        station.Frame().MdiArea()->setActiveSubWindow(station.views->Window(1));
        QVERIFY(station.app->OpenDocumentFile(again));
        QCOMPARE(station.ArchiveWindows(), QList<CChildFrame*>{first});
        QCOMPARE(station.Frame().ActiveChildFrame(), first);
        QVERIFY(!first->isMinimized());
    }
    QCOMPARE(station.messages.texts, QStringList{});
}

void TestArchiveWindows::closeArchive()
{
    ArchiveStation station;
    QVERIFY(station.app->OpenDocumentFile(station.WriteArchive(QStringLiteral("Channel 1"), -1, {1})));
    QVERIFY(station.WaitForArchiveWindows(1));
    const QPointer<CChildFrame> archive = station.ArchiveWindows().constFirst();
    const QPointer<CQuorvelDoc> document = archive->GetDocument();

    // In a live channel window: a beep, and the window stays.
    station.Frame().MdiArea()->setActiveSubWindow(station.views->Window(4));
    station.Frame().CommandAction(ID_CLOSE_ARCHIVE)->trigger();
    QCOMPARE(station.messages.beeps, QList<IUserMessages::Beep>{IUserMessages::Beep::Asterisk});
    QCOMPARE(station.Frame().ChildFrames().size(), 17);

    // In the archive window: it closes with its document, and nothing else does; the window
    // active before it is active again.
    station.Frame().MdiArea()->setActiveSubWindow(archive);
    station.Frame().CommandAction(ID_CLOSE_ARCHIVE)->trigger();
    QTRY_VERIFY(archive.isNull());
    QVERIFY(document.isNull());
    QCOMPARE(station.Frame().ChildFrames().size(), 16);
    QCOMPARE(station.Frame().MdiArea()->activeSubWindow(), station.views->Window(4));
    QCOMPARE(station.messages.beeps.size(), 1);
    QCOMPARE(station.messages.texts, QStringList{});
}

// A record whose text length is damaged (far beyond any text), appended to an archive: the
// reader keeps what it read of it, warns, and goes on.
const QByteArray kDamagedRecord = QByteArray(8, '\0') + QByteArray("\x01\0\0\0", 4) + QByteArray(8, '\0')
                                  + QByteArray("\xFF\xFF\xFF\xFF\xFF\xFF\x7F", 7);
// %1: the archive's path, named below the warning.
const QString kCorruptWarning = QStringLiteral("Warning, Archive file is corrupt, data inconsistensies possible.\n%1");

void TestArchiveWindows::archiveContents_data()
{
    QTest::addColumn<int>("keep");        // bytes of a three-record archive kept; -1 all of them
    QTest::addColumn<QByteArray>("bytes");  // instead, when not empty
    QTest::addColumn<QByteArray>("append");
    QTest::addColumn<int>("lines");       // event lines shown; -1 no window
    QTest::addColumn<QString>("box");     // %1 the path
    QTest::newRow("whole") << -1 << QByteArray() << QByteArray() << 3 << QString();
    QTest::newRow("header only") << kArchiveHeaderSize << QByteArray() << QByteArray() << 0 << QString();
    QTest::newRow("cut in its last record") << -4 << QByteArray() << QByteArray() << 2 << QString();
    // The damaged record is listed with what was read of it: no text, so no line to see.
    QTest::newRow("a damaged text length") << -1 << QByteArray() << kDamagedRecord << 3 << kCorruptWarning;
    QTest::newRow("shorter than its header") << kArchiveHeaderSize - 1 << QByteArray() << QByteArray() << -1
                                             << QStringLiteral("The file %1 is not a valid KRV archive");
    QTest::newRow("not an archive") << 0 << QByteArray("Door open, nothing more\n").repeated(4) << QByteArray() << -1
                                    << QStringLiteral("The file %1 is not a valid KRV archive");
}

void TestArchiveWindows::archiveContents()
{
    QFETCH(int, keep);
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, append);
    QFETCH(int, lines);
    QFETCH(QString, box);
    ArchiveStation station;
    const QString path = station.WriteArchive(QStringLiteral("Channel 5"), -3, {1, 2, 3});
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    if (bytes.isEmpty()) {
        QVERIFY(file.resize(keep >= 0 ? keep : file.size() + keep + 1));
    } else {
        QVERIFY(file.resize(0));
        file.write(bytes);
    }
    QVERIFY(file.seek(file.size()));
    file.write(append);
    file.close();

    // Taken up at once; a file found to be no archive is refused with its box.
    QVERIFY(station.app->OpenDocumentFile(path));
    if (lines >= 0)
        QVERIFY(station.WaitForArchiveWindows(1));
    else
        QVERIFY(SpinUntil([&] { return !station.messages.texts.isEmpty(); }, 30000));
    QCOMPARE(station.messages.texts, box.isEmpty() ? QStringList{} : QStringList{box.arg(path)});
    QCOMPARE(station.ArchiveWindows().size(), lines >= 0 ? 1 : 0);
    QCOMPARE(station.app->RecentFiles().Files().size(), lines >= 0 ? 1 : 0);
    if (lines < 0)
        return;
    const QStringList shown = ArchiveStation::Shown(station.ArchiveWindows().constFirst());
    QCOMPARE(shown.size(), lines + 1);
    QCOMPARE(shown.constFirst(), kNotConnected);
    QCOMPARE(shown.filter(QStringLiteral("Door open")).size(), lines);
}

// While a box of its opening waits, the same archive is asked for again (dropped twice, say): it
// still gets one window.
void TestArchiveWindows::askedAgainWhileOpening()
{
    ArchiveStation station;
    const QString path = station.WriteArchive(QStringLiteral("Channel 6"), -1, {1});
    QFile file(path);
    QVERIFY(file.open(QIODevice::Append));
    file.write(kDamagedRecord);
    file.close();
    bool again = false;
    station.messages.onBox = [&] {
        if (!again)
            again = station.app->OpenDocumentFile(path);
    };
    QVERIFY(station.app->OpenDocumentFile(path));
    QVERIFY(station.WaitForArchiveWindows(1));
    QVERIFY(again);
    QCOMPARE(station.messages.texts, QStringList{kCorruptWarning.arg(path)});
    QCOMPARE(station.ArchiveWindows().size(), 1);
}

// More records than the window holds: it opens on the newest, the last at the bottom.
void TestArchiveWindows::newestAtTheBottom()
{
    ArchiveStation station;
    QList<int> values;
    for (int value = 0; value < 200; ++value)
        values.append(value);
    QVERIFY(station.app->OpenDocumentFile(station.WriteArchive(QStringLiteral("Channel 7"), -1, values)));
    QVERIFY(station.WaitForArchiveWindows(1));
    CChildFrame* window = station.ArchiveWindows().constFirst();
    const CQuorvelDoc* document = window->GetDocument();
    QCOMPARE(document->GetEventCount(), 200);
    const int visible = window->View()->VisibleLines();
    QVERIFY(visible > 0 && visible < 200);
    const QStringList shown = ArchiveStation::Shown(window);
    QCOMPARE(shown.size(), visible + 1);
    QCOMPARE(shown[1], document->GetEvent(200 - visible).GetDisplayText());
    QCOMPARE(shown.constLast(), document->GetEvent(199).GetDisplayText());
    const QScrollBar* bar = window->View()->verticalScrollBar();
    QCOMPARE(bar->maximum(), 200 - visible);
    QCOMPARE(bar->value(), bar->maximum());
}

void TestArchiveWindows::send_data()
{
    QTest::addColumn<bool>("installed");
    QTest::addColumn<bool>("archiveWindow");  // else channel 1's live window, which has no record today
    QTest::addColumn<int>("exitStatus");      // the mail program's
    QTest::newRow("archive window") << true << true << 0;
    QTest::newRow("live window without today's archive") << true << false << 0;
    QTest::newRow("mail program not installed") << false << true << 0;
    QTest::newRow("mail program fails") << true << true << 3;
}

// xdg-email stands in for the desktop's mail program here: a script on the search path that
// writes down what it was given.
void TestArchiveWindows::send()
{
    QFETCH(bool, installed);
    QFETCH(bool, archiveWindow);
    QFETCH(int, exitStatus);
    QTemporaryDir bin;
    const QString given = bin.filePath(QStringLiteral("given"));
    const QString said = QStringLiteral("xdg-email: no method available for opening 'mailto:'");
    if (installed) {
        QFile script(bin.filePath(QStringLiteral("xdg-email")));
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write(QStringLiteral("#!/bin/sh\nprintf '%s\\n' \"$@\" > '%1.part' && /bin/mv '%1.part' '%1'\n").arg(given).toLocal8Bit());
        if (exitStatus != 0)
            script.write(QStringLiteral("echo \"%1\" >&2\nexit %2\n").arg(said).arg(exitStatus).toLocal8Bit());
        script.close();
        QVERIFY(script.setPermissions(script.permissions() | QFileDevice::ExeOwner));
    }
    // The search path names only the script's folder while the station runs.
    const QByteArray oldPath = qgetenv("PATH");
    const auto restorePath = qScopeGuard([&oldPath] { qputenv("PATH", oldPath); });
    qputenv("PATH", bin.path().toLocal8Bit());
    ArchiveStation station;
    const QString path = station.WriteArchive(QStringLiteral("Channel 1"), -1, {1});
    if (archiveWindow) {
        QVERIFY(station.app->OpenDocumentFile(path));
        QVERIFY(station.WaitForArchiveWindows(1));
    }

    QAction* send = station.Frame().CommandAction(ID_FILE_SEND_MAIL);
    QVERIFY(send);
    QCOMPARE(send->isEnabled(), installed);
    if (!installed)
        return;
    send->trigger();
    if (archiveWindow) {
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(given), 10000);
        QFile file(given);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromLocal8Bit(file.readAll()), QStringLiteral("--attach\n%1\n").arg(path));
        if (exitStatus == 0) {
            QTest::qWait(200);  // a failure would be told as the program ends
            QCOMPARE(station.messages.texts, QStringList{});
        } else {
            QVERIFY(SpinUntil([&] { return !station.messages.texts.isEmpty(); }, 10000));
            QCOMPARE(station.messages.texts,
                     QStringList{QStringLiteral("xdg-email could not send %1 (exit status %2): %3").arg(path).arg(exitStatus).arg(said)});
        }
    } else {
        const QString today = station.station.Path(QStringLiteral("Archives/Channel 1 %1.krv").arg(DateKey(0)));
        QCOMPARE(station.messages.texts, QStringList{QStringLiteral("Unable to find archive %1.").arg(today)});
        QVERIFY(!QFileInfo::exists(given));
    }
}

// Started with an archive named: its window alone, in a main window that says it logs nothing. Once
// it is closed, Open (the only way in with no window) offers the archives of the folder the program
// runs in.
void TestArchiveWindows::startedWithAFile()
{
    QString second;
    ArchiveStation station([&second](ArchiveStation& self) {
        // Written before start-up has made the Archives folder and read the alarm texts.
        QDir().mkpath(self.station.Path(QStringLiteral("Archives")));
        if (!LoadAlarmFixture(kAlarms))
            return QStringList();
        second = self.WriteArchive(QStringLiteral("Channel 2"), -2, {1, 2});
        return QStringList{self.WriteArchive(QStringLiteral("Channel 1"), -1, {1})};
    });
    QVERIFY(station.started);
    QCOMPARE(station.Frame().ChildFrames().size(), 1);
    QCOMPARE(station.Frame().ActiveChildFrame()->windowTitle(), QStringLiteral("Channel 1 %1.krv").arg(DateKey(-1)));
    QCOMPARE(station.app->Document(1), nullptr);
    QCOMPARE(station.Frame().windowTitle(),
             QStringLiteral("Quorvel - viewing archives - Channel 1 %1.krv").arg(DateKey(-1)));

    station.Frame().CommandAction(ID_CLOSE_ARCHIVE)->trigger();
    QTRY_COMPARE(station.Frame().ChildFrames().size(), 0);
    QCOMPARE(station.Frame().windowTitle(), QStringLiteral("Quorvel - viewing archives"));
    station.ChooseArchive(second);
    QVERIFY(station.WaitForArchiveWindows(1));
    QCOMPARE(station.LastRequest().title, QStringLiteral("Open"));
    QCOMPARE(station.LastRequest().folder, QDir::currentPath());
    QCOMPARE(station.Frame().ChildFrames().size(), 1);
    QCOMPARE(station.Frame().ActiveChildFrame()->windowTitle(), QStringLiteral("Channel 2 %1.krv").arg(DateKey(-2)));
    QCOMPARE(ArchiveStation::Shown(station.Frame().ActiveChildFrame()).size(), 3);
    QCOMPARE(station.messages.texts, QStringList{});
}

// A large archive is read while the channels go on: a message that comes in as its opening starts
// is acknowledged and listed before the archive's window appears.
void TestArchiveWindows::channelsAnswerWhileOpening()
{
    Pty line;
    QVERIFY(line.IsOpen());
    WindowStation station({{1, &line}});
    ScriptedMessages messages;
    QVERIFY(station.Start());
    QVERIFY(SendAlarm(line, 1));
    CQuorvelDoc* channel = station.app->Document(1);
    QTRY_COMPARE_WITH_TIMEOUT(channel->GetEventCount(), 1, 10000);

    const QString path = WriteLargeArchive(station.station);
    QVERIFY(!path.isEmpty());

    // When the archive's window appears: what the line had been answered by then, what listed.
    const QByteArray ack = SimFrames::TerminalAck();
    QByteArray answered;
    int listed = -1;
    QObject::connect(station.Frame().MdiArea(), &QMdiArea::subWindowActivated, station.Frame().MdiArea(),
                     [&](QMdiSubWindow* window) {
                         const auto* frame = qobject_cast<CChildFrame*>(window);
                         if (listed >= 0 || !frame || !frame->GetDocument() || frame->GetDocument()->GetChannel() > 0)
                             return;
                         answered += line.Read(int(ack.size()), 1);
                         listed = channel->GetEventCount();
                     });
    QVERIFY(line.Write(SimFrames::BlockFrame(QByteArray::fromHex("010002"), false)));
    QVERIFY(station.app->OpenDocumentFile(path));
    QVERIFY(SpinUntil([&] { return listed >= 0; }, 120000));
    QCOMPARE(answered, ack);
    QCOMPARE(listed, 2);
    QCOMPARE(station.Frame().ActiveChildFrame()->GetDocument()->GetEventCount(), 300000);
    QCOMPARE(messages.texts, QStringList{});
}

// The program ends while an archive is being read: it ends cleanly, and leaves the file unlocked.
// No channels here, so that it ends at once: the read is still under way.
void TestArchiveWindows::endsWhileOpening()
{
    TestStation station;
    ScriptedMessages messages;
    QDir().mkpath(station.Path(QStringLiteral("Archives")));
    const QString path = WriteLargeArchive(station);
    QVERIFY(!path.isEmpty());
    auto app = std::make_unique<CQuorvelApp>();
    app->SetChannelViews(std::make_unique<WindowViews>(*app));
    QVERIFY(app->OpenDocumentFile(path));
    app.reset();
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(::flock(file.handle(), LOCK_EX | LOCK_NB), 0);
    QCOMPARE(messages.texts, QStringList{});
}

void TestArchiveWindows::notAFileThatCanBeViewed_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("route");
    for (const char* kind : {"named pipe", "link to a named pipe", "directory", "device"}) {
        for (const char* route : {"View Archives", "recent file", "second copy"})
            QTest::newRow(qPrintable(QStringLiteral("%1 by %2").arg(QLatin1String(kind), QLatin1String(route))))
                << kind << route;
    }
}

void TestArchiveWindows::notAFileThatCanBeViewed()
{
    // Opening a pipe waits for a writer and reading a device never ends: refused at once, while the
    // line goes on being answered.
    QFETCH(QString, kind);
    QFETCH(QString, route);
    Pty line;
    QVERIFY(line.IsOpen());
    WindowStation station({{1, &line}});
    ScriptedDialogs dialogs;
    const ScriptedMessages& messages = dialogs.boxes;
    QVERIFY(station.Start());
    const QString pipe = station.station.Path(QStringLiteral("Archives/pipe"));
    QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    QString path = station.station.Path(QStringLiteral("Archives/Channel 1 %1.krv").arg(DateKey(-1)));
    if (kind == QLatin1String("named pipe"))
        QVERIFY(QFile::rename(pipe, path));
    else if (kind == QLatin1String("link to a named pipe"))
        QVERIFY(QFile::link(pipe, path));
    else if (kind == QLatin1String("directory"))
        QVERIFY(QDir().mkpath(path));
    else
        path = QStringLiteral("/dev/zero");

    OpenByRoute(route, station.Frame(), *station.app, dialogs, path);
    const QString refusal = QStringLiteral("%1 is not a file that can be viewed").arg(path);
    QVERIFY(SpinUntil([&] { return messages.texts.contains(refusal); }, 5000));
    QVERIFY(SendAlarm(line, 1));
    QCOMPARE(messages.texts, QStringList{refusal});
}

void TestArchiveWindows::goneArchiveIsNamed_data()
{
    QTest::addColumn<QString>("route");
    for (const char* route : {"View Archives", "recent file", "second copy"})
        QTest::newRow(route) << route;
}

// An archive removed since it was named (a recent entry, a file another copy handed over): the box
// names the file and says why it cannot be opened.
void TestArchiveWindows::goneArchiveIsNamed()
{
    QFETCH(QString, route);
    ArchiveStation station;
    const QString path = station.WriteArchive(QStringLiteral("Channel 1"), -2, {1});
    QVERIFY(QFile::remove(path));
    OpenByRoute(route, station.Frame(), *station.app, station.dialogs, path);
    QVERIFY(SpinUntil([&] { return !station.messages.texts.isEmpty(); }, 10000));
    QCOMPARE(station.messages.texts,
             QStringList{QStringLiteral("Failed to open document.\n%1: No such file or directory").arg(path)});
    QCOMPARE(station.ArchiveWindows().size(), 0);
}

// Close Archive lets go of the records: nothing holds the list once the window is gone.
void TestArchiveWindows::closingLetsGoOfTheRecords()
{
    ArchiveStation station;
    QList<int> values;
    for (int i = 0; i < 5000; ++i)
        values.append(i % 200);
    const QString path = station.WriteArchive(QStringLiteral("Channel 2"), -1, values);
    QVERIFY(station.app->OpenDocumentFile(path));
    QVERIFY(station.WaitForArchiveWindows(1));
    CChildFrame* window = station.ArchiveWindows().constFirst();
    std::weak_ptr<const EventList> records = window->GetDocument()->Events();
    QCOMPARE(records.lock()->Count(), 5000);

    station.Frame().MdiArea()->setActiveSubWindow(window);
    station.Frame().CommandAction(ID_CLOSE_ARCHIVE)->trigger();
    QVERIFY(SpinUntil([&] { return station.ArchiveWindows().isEmpty() && records.expired(); }, 10000));
}

QTEST_MAIN(TestArchiveWindows)
#include "tst_archivewindows.moc"
