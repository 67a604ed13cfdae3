#include "ui/MainFrm.h"

#include "archive/QuorvelDoc.h"
#include "core/Clock.h"
#include "core/Labels.h"
#include "core/Strings.h"
#include "core/UserMessages.h"
#include "ui/AboutDlg.h"
#include "ui/ArchiveChoice.h"
#include "ui/ChildFrm.h"
#include "ui/CommandIds.h"
#include "ui/DialogCommands.h"
#include "ui/MdiTiling.h"
#include "ui/PrintToFile.h"
#include "ui/QuorvelView.h"
#include "ui/ViewPrinting.h"
#include "ui/SendMail.h"

#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QLabel>
#include <QLocale>
#include <QMdiArea>
#include <QMenuBar>
#include <QMimeData>
#include <QPrinter>
#include <QShortcut>
#include <QStatusBar>
#include <QUrl>

#include <algorithm>
#include <limits>

CMainFrame::CMainFrame(ChannelNameSource channelNames, QWidget* parent)
    : QMainWindow(parent)
    , m_channelNames(std::move(channelNames))
    , m_mdiArea(new QMdiArea(this))
{
    setCentralWidget(m_mdiArea);
    setAcceptDrops(true);
    ConnectCommands();
    m_childMenus = m_commands.BuildMenus(ChildMenus(), this);
    m_frameMenus = m_commands.BuildMenus(FrameMenus(), this);
    for (QMenu* menu : m_childMenus) {
        if (menu->title() == QLatin1String(Str::kMenuWindow))
            m_windowMenu = menu;
    }
    connect(m_windowMenu, &QMenu::aboutToShow, this, &CMainFrame::FillWindowMenu);
    for (const Accelerator& accelerator : Accelerators()) {
        auto* shortcut = new QShortcut(accelerator.keys, this);
        const int id = accelerator.id;
        connect(shortcut, &QShortcut::activated, this, [this, id] { OnAccelerator(id); });
    }
    CreateStatusBar();
    SetRecentFiles({});
    connect(m_mdiArea, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow* window) {
        if (window && window != m_active) {
            m_activeBefore = m_active;
            m_active = window;
        }
        UpdateMenus();
        UpdateTitle();
    });
    UpdateMenus();
    UpdateTitle();
}

CMainFrame::~CMainFrame()
{
    // The child windows go after the menu bar and status bar; their last activations change nothing.
    m_mdiArea->disconnect(this);
    for (QMdiSubWindow* window : m_mdiArea->subWindowList())
        window->disconnect(this);
}

void CMainFrame::ConnectCommands()
{
    // The frame's windows.
    m_commands.SetHandler(ID_WINDOW_CASCADE, [this] { m_mdiArea->cascadeSubWindows(); });
    m_commands.SetHandler(ID_WINDOW_TILE_HORZ, [this] { MDITile(Qt::Horizontal); });
    m_commands.SetHandler(ID_WINDOW_TILE_VERT, [this] { MDITile(Qt::Vertical); });
    m_commands.SetHandler(ID_WINDOW_ARRANGE, [this] { ArrangeIcons(); });
    m_commands.SetHandler(ID_RESTORE_WINDOWS, [this] { RestoreChannelWindows(); });
    // Windows are made from channel 16 down to 1, so the next channel's window is the one made before.
    m_commands.SetHandler(ID_NEXT_PANE, [this] { m_mdiArea->activatePreviousSubWindow(); });
    m_commands.SetHandler(ID_PREV_PANE, [this] { m_mdiArea->activateNextSubWindow(); });
    m_commands.SetHandler(ID_CLOSE_ARCHIVE, [this] {
        if (CChildFrame* frame = ActiveChildFrame())
            CloseChild(frame);
    });
    m_commands.SetHandler(ID_PROPERTIES, [this] {
        if (CChildFrame* frame = ActiveChildFrame())
            frame->OnProperties();
    });
    m_commands.SetHandler(ID_VIEW_STATUS_BAR, [this] {
        statusBar()->setVisible(Commands::Find(m_frameMenus, ID_VIEW_STATUS_BAR)->isChecked());
    });
    m_commands.SetHandler(ID_FILE_OPEN, [this] { OnFileOpen(); });
    m_commands.SetHandler(ID_APP_EXIT, [this] { close(); });
    m_commands.SetHandler(ID_APP_ABOUT, [this] {
        CAboutDlg about(this);
        about.exec();
    });

    // The active window's document, with the window's view as the owner of what they show.
    m_commands.SetHandler(ID_FILE_PRINT, [this] {
        if (CChildFrame* frame = ActiveChildFrame())
            OnFilePrint(frame->GetDocument(), Printer(), frame->View());
    });
    m_commands.SetHandler(ID_FILE_PRINT_PREVIEW, [this] {
        if (CChildFrame* frame = ActiveChildFrame())
            OnFilePrintPreview(frame->GetDocument(), Printer(), frame->View());
    });
    m_commands.SetHandler(ID_PRINT_TO_FILE, [this] {
        if (CChildFrame* frame = ActiveChildFrame())
            OnPrintToFile(frame->GetDocument(), frame->View());
    });
    m_commands.SetHandler(ID_FILE_SEND_MAIL, [this] {
        if (const CChildFrame* frame = ActiveChildFrame(); frame && frame->GetDocument())
            OnFileSendMail(frame->GetDocument()->GetArchivePath());
    });
    m_commands.SetHandler(ID_FILE_PRINT_SETUP, [this] { OnFilePrintSetup(Printer(), this); });

    // The dialogs of the Tools menu and the backup.
    m_commands.SetHandler(ID_EVENT_VIEW, [this] { OnEventView(this); });
    m_commands.SetHandler(ID_REMOTE_MONITORING, [this] { OnRemoteMonitoring(AvailablePorts(), this); });
    m_commands.SetHandler(ID_BACKUP_ARCHIVES, [this] {
        if (CChildFrame* frame = ActiveChildFrame())
            OnBackupArchives(frame->View());
    });
}

void CMainFrame::CreateStatusBar()
{
    // The ready text is a normal pane, so a menu item's prompt covers it while the menu is open.
    statusBar()->addWidget(new QLabel(QString::fromLatin1(Str::kReady)), 1);
    m_datePane = new QLabel(QString::fromLatin1(Str::kDatePaneInitial));
    m_datePane->setObjectName(QStringLiteral("datePane"));
    m_datePane->setTextFormat(Qt::PlainText);
    statusBar()->addPermanentWidget(m_datePane);
    QAction* toggle = Commands::Find(m_frameMenus, ID_VIEW_STATUS_BAR);
    toggle->setCheckable(true);
    toggle->setChecked(true);
    // The date turns at midnight within a refresh, whatever the clock was set to.
    connect(&m_dateTimer, &QTimer::timeout, this, &CMainFrame::OnUpdateDate);
    m_dateTimer.start(kDateRefreshMs);
    OnUpdateDate();
}

void CMainFrame::OnUpdateDate()
{
    const QString date = QLocale::c().toString(Clock::Now().date(), QLatin1String(Str::kDatePaneFormat));
    const QString text = QStringLiteral("  ") + date + QStringLiteral("  ");
    if (m_datePane->text() == text)
        return;
    m_datePane->setMinimumWidth(6 * int(date.size()));
    m_datePane->setText(text);
}

CChildFrame* CMainFrame::CreateChannelWindow(CQuorvelDoc* document)
{
    auto* frame = new CChildFrame(document, m_channelNames);
    m_mdiArea->addSubWindow(frame);
    connect(frame, &QWidget::windowTitleChanged, this, &CMainFrame::UpdateTitle);
    connect(frame, &CChildFrame::openChannelProperties, this, &CMainFrame::openChannelProperties);
    frame->show();
    frame->View()->UpdateAllViews();
    return frame;
}

CChildFrame* CMainFrame::ActiveChildFrame() const
{
    return qobject_cast<CChildFrame*>(m_mdiArea->activeSubWindow());
}

QList<CChildFrame*> CMainFrame::ChildFrames() const
{
    QList<CChildFrame*> frames;
    for (QMdiSubWindow* window : m_mdiArea->subWindowList()) {
        if (auto* frame = qobject_cast<CChildFrame*>(window))
            frames.append(frame);
    }
    return frames;
}

void CMainFrame::MDITile(Qt::Orientation orientation)
{
    QList<QMdiSubWindow*> windows;
    const QList<QMdiSubWindow*> stacked = m_mdiArea->subWindowList(QMdiArea::StackingOrder);
    for (auto it = stacked.rbegin(); it != stacked.rend(); ++it) {
        if ((*it)->isVisible() && !(*it)->isMinimized())
            windows.append(*it);
    }
    const QList<QRect> tiles = TileRects(m_mdiArea->viewport()->rect(), int(windows.size()), orientation);
    for (int i = 0; i < windows.size(); ++i) {
        if (windows[i]->isMaximized())
            windows[i]->showNormal();
        windows[i]->setGeometry(tiles[i]);
    }
}

void CMainFrame::RestoreChannelWindows()
{
    for (QMdiSubWindow* window : m_mdiArea->subWindowList()) {
        if (window->isMinimized())
            window->showNormal();
    }
}

void CMainFrame::ArrangeIcons()
{
    QList<QWidget*> icons;
    for (QMdiSubWindow* window : m_mdiArea->subWindowList()) {
        if (window->isMinimized())
            icons.append(window);
    }
    const QList<QRect> places = IconRects(m_mdiArea->viewport()->rect(), icons);
    for (int i = 0; i < icons.size(); ++i)
        icons[i]->move(places[i].topLeft());
}

void CMainFrame::SetBackupAvailable(bool available)
{
    m_backupAvailable = available;
    UpdateMenus();
}

QAction* CMainFrame::CommandAction(int id) const
{
    return Commands::Find(m_childMenusShown ? m_childMenus : m_frameMenus, id);
}

void CMainFrame::UpdateMenus()
{
    const bool child = ActiveChildFrame() != nullptr;
    if (child != m_childMenusShown || menuBar()->actions().isEmpty()) {
        menuBar()->clear();
        for (QMenu* menu : child ? m_childMenus : m_frameMenus)
            menuBar()->addMenu(menu);
        m_childMenusShown = child;
    }
    Commands::Find(m_childMenus, ID_BACKUP_ARCHIVES)->setEnabled(m_backupAvailable);
    Commands::Find(m_childMenus, ID_FILE_SEND_MAIL)->setEnabled(!FindSendProgram().isEmpty());
}

void CMainFrame::SetRecentFiles(const QStringList& files)
{
    m_recentFiles = files;
    FillRecentFiles(m_childMenus, m_childRecentEntries);
    FillRecentFiles(m_frameMenus, m_frameRecentEntries);
}

void CMainFrame::FillRecentFiles(const QList<QMenu*>& menus, QList<QAction*>& entries)
{
    QAction* placeholder = Commands::Find(menus, ID_FILE_MRU_FILE1);
    auto* menu = qobject_cast<QMenu*>(placeholder->parent());
    qDeleteAll(entries);
    entries.clear();
    for (int i = 0; i < m_recentFiles.size(); ++i) {
        const QString path = m_recentFiles[i];
        auto* entry = new QAction(QString::fromLatin1(Str::kRecentFileItem).arg(i + 1).arg(path), menu);
        entry->setStatusTip(placeholder->statusTip());
        connect(entry, &QAction::triggered, this, [this, path] { emit openDocumentFile(path); });
        menu->insertAction(placeholder, entry);
        entries.append(entry);
    }
    placeholder->setEnabled(false);
    placeholder->setVisible(m_recentFiles.isEmpty());
}

void CMainFrame::SetTitle(const QString& title)
{
    m_title = title;
    UpdateTitle();
}

void CMainFrame::UpdateTitle()
{
    QString title = m_title.isEmpty() ? QString::fromLatin1(Str::kMainFrameTitle) : m_title;
    if (const CChildFrame* frame = ActiveChildFrame(); frame && frame->GetDocument())
        title += QLatin1String(Str::kTitleSeparator) + frame->GetDocument()->GetTitle();
    setWindowTitle(title);
}

void CMainFrame::UpdateChannelTitles()
{
    for (CChildFrame* frame : ChildFrames())
        frame->UpdateTitle();
    UpdateTitle();
}

void CMainFrame::CloseChild(CChildFrame* frame)
{
    const QPointer<QMdiSubWindow> before = frame == m_active ? m_activeBefore : QPointer<QMdiSubWindow>();
    if (!frame->close() || !before)
        return;
    m_mdiArea->setActiveSubWindow(before);
}

void CMainFrame::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    // Back from a box or a dialog (or from another program), the keyboard goes to the active
    // window's view, which stops its flashing as a click would.
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && !m_closing) {
        if (CChildFrame* frame = ActiveChildFrame(); frame && frame->View())
            frame->View()->setFocus(Qt::ActiveWindowFocusReason);
    }
}

void CMainFrame::FillWindowMenu()
{
    qDeleteAll(m_windowList);
    m_windowList.clear();
    QList<QMdiSubWindow*> windows = m_mdiArea->subWindowList();
    if (windows.isEmpty())
        return;
    // The channels in their order, then the archive windows as they were opened.
    const auto channelOf = [](QMdiSubWindow* window) {
        const CChildFrame* frame = qobject_cast<CChildFrame*>(window);
        const int channel = frame && frame->GetDocument() ? frame->GetDocument()->GetChannel() : 0;
        return channel > 0 ? channel : std::numeric_limits<int>::max();
    };
    std::stable_sort(windows.begin(), windows.end(),
                     [&](QMdiSubWindow* a, QMdiSubWindow* b) { return channelOf(a) < channelOf(b); });
    m_windowList.append(m_windowMenu->addSeparator());
    for (int i = 0; i < windows.size(); ++i) {
        QMdiSubWindow* window = windows[i];
        const CChildFrame* frame = qobject_cast<CChildFrame*>(window);
        const QString title = frame && frame->GetDocument() ? frame->GetDocument()->GetTitle() : window->windowTitle();
        // Only 1 to 9 can be typed as one key; later entries are chosen by arrow or mouse.
        const char* format = i < kWindowMnemonics ? Str::kWindowListEntry : Str::kWindowListEntryPlain;
        QAction* entry = m_windowMenu->addAction(QString::fromLatin1(format).arg(i + 1).arg(title));
        entry->setCheckable(true);
        entry->setChecked(window == m_mdiArea->activeSubWindow());
        connect(entry, &QAction::triggered, this, [this, window] { m_mdiArea->setActiveSubWindow(window); });
        m_windowList.append(entry);
    }
}

void CMainFrame::OnAccelerator(int id)
{
    if (id == ID_NEXT_PANE || id == ID_PREV_PANE) {
        m_commands.Run(id);
        return;
    }
    // Like a menu item, an accelerator does nothing while its command is disabled or not offered.
    if (QAction* action = CommandAction(id); action && action->isEnabled())
        action->trigger();
}

void CMainFrame::OnFileOpen()
{
    // With a window active the command is View Archives; without, Open.
    const QString path = ActiveChildFrame() ? ChooseArchiveToView(this) : ChooseFileToOpen(this);
    if (!path.isEmpty())
        emit openDocumentFile(path);
}

QPrinter& CMainFrame::Printer()
{
    if (!m_printer)
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *m_printer;
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    if (!m_closing) {
        UserMessages().MessageBeep(IUserMessages::Beep::Question);
        const int answer = UserMessages().MessageBox(QString::fromLatin1(Str::kQuitQuestion),
                                                     IUserMessages::Buttons::YesNo, IUserMessages::Icon::Question);
        if (answer != IUserMessages::AnswerYes) {
            event->ignore();
            return;
        }
        emit closeChannelPorts();
        m_closing = true;
    }
    for (CChildFrame* frame : ChildFrames())
        frame->SetProgramEnding();
    m_mdiArea->closeAllSubWindows();
    event->accept();
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event)
{
    // Each dropped file opens as an archive for viewing; after the drop, so that what the
    // opening has to say does not keep the program the file came from waiting.
    event->acceptProposedAction();
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile())
            paths.append(url.toLocalFile());
    }
    QTimer::singleShot(0, this, [this, paths] {
        for (const QString& path : paths)
            emit openDocumentFile(path);
    });
}
