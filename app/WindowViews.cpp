#include "app/WindowViews.h"

#include "app/ChannelTables.h"
#include "app/QuorvelApp.h"
#include "archive/QuorvelDoc.h"
#include "core/Labels.h"
#include "core/RemovableDrives.h"
#include "ui/ChildFrm.h"
#include "ui/MainFrm.h"
#include "ui/ProgramIcon.h"
#include "ui/QuorvelView.h"

#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMdiArea>
#include <QScreen>
#include <QTimer>

namespace {

// One file by two names: compared by where they lead (links and "." or ".." resolved). File
// names keep their case here: two names differing in case are two files.
bool SameFile(const QString& one, const QString& other)
{
    const QFileInfo a(one), b(other);
    const QString canonicalA = a.canonicalFilePath(), canonicalB = b.canonicalFilePath();
    if (!canonicalA.isEmpty() && !canonicalB.isEmpty())
        return canonicalA == canonicalB;
    return QDir::cleanPath(a.absoluteFilePath()) == QDir::cleanPath(b.absoluteFilePath());
}

} // namespace

WindowViews::WindowViews(CQuorvelApp& app)
    : m_frame(std::make_unique<CMainFrame>(GetChannelName))
{
    QApplication::setWindowIcon(ProgramIcon());
    // Made at the size it is shown at, so the channel windows are tiled for that size.
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        m_frame->setGeometry(screen->availableGeometry());
    // Direct: the ports are closed before the frame closes its first window.
    connect(m_frame.get(), &CMainFrame::closeChannelPorts, &app, [&app] { app.CloseChannelPorts(); },
            Qt::DirectConnection);
    connect(m_frame.get(), &CMainFrame::openDocumentFile, &app,
            [&app](const QString& path) { app.OpenDocumentFile(path); });
    m_frame->SetAvailablePorts([&app] { return app.AvailablePorts(); });
    connect(m_frame.get(), &CMainFrame::openChannelProperties, &app,
            [this, &app](int channel) { app.OpenChannelProperties(channel, m_frame.get()); });
}

WindowViews::~WindowViews() = default;

CChildFrame* WindowViews::Window(int channel) const
{
    return channel >= 1 && channel <= kChannelCount ? m_windows[size_t(channel - 1)].data() : nullptr;
}

void WindowViews::CreateView(int channel, CQuorvelDoc& document)
{
    CChildFrame* window = m_frame->CreateChannelWindow(&document);
    m_windows[size_t(channel - 1)] = window;
    // Lines the operator is not looking at also reach the desktop; the window flashes as well.
    connect(window->View(), &CQuorvelView::alertLines, this,
            [this, channel, window, &document](int count, bool fault, const QString& last) {
                if (m_frame->isActiveWindow() && m_frame->MdiArea()->activeSubWindow() == window)
                    return;
                m_notifier.Alert(channel, document.GetTitle(), last, count, fault);
            });
}

void WindowViews::ShowConnection(int channel, int port, bool connected)
{
    if (CChildFrame* window = Window(channel))
        window->View()->ShowConnection(port, connected);
}

void WindowViews::ShowViewingOnly()
{
    m_frame->SetTitle(QString::fromLatin1(Str::kViewingTitle));
}

void WindowViews::ShowMainWindow()
{
    m_frame->SetBackupAvailable(IsBackupAvailable());
    m_frame->showMaximized();
    m_notifier.Start();
    // Tiled once shown: only shown windows are tiled, in the area the frame now has.
    m_frame->MDITile(Qt::Horizontal);
    // The window system settles the window's size a while after it is shown; until then the
    // channel windows are tiled again for each size it takes.
    m_settling = true;
    m_frame->MdiArea()->viewport()->installEventFilter(this);
    QTimer::singleShot(kSettleMs, this, [this] {
        m_settling = false;
        m_frame->MdiArea()->viewport()->removeEventFilter(this);
    });
}

bool WindowViews::eventFilter(QObject* watched, QEvent* event)
{
    if (m_settling && event->type() == QEvent::Resize)
        QTimer::singleShot(0, this, [this] {
            if (m_settling)
                m_frame->MDITile(Qt::Horizontal);
        });
    return QObject::eventFilter(watched, event);
}

void WindowViews::Activate()
{
    // Restored if minimised, to the maximised window it was; then in front of the others.
    m_frame->setWindowState((m_frame->windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    m_frame->show();
    m_frame->raise();
    m_frame->activateWindow();
}

void WindowViews::UpdateTitles()
{
    m_frame->UpdateChannelTitles();
}

void WindowViews::ShowRecentFiles(const QStringList& files)
{
    m_frame->SetRecentFiles(files);
}

bool WindowViews::ActivateArchive(const QString& path)
{
    for (CChildFrame* window : m_frame->ChildFrames()) {
        const CQuorvelDoc* document = window->GetDocument();
        if (!document || document->GetChannel() > 0 || !SameFile(document->GetArchivePath(), path))
            continue;
        Activate();
        if (window->isMinimized())
            window->showNormal();
        m_frame->MdiArea()->setActiveSubWindow(window);
        return true;
    }
    return false;
}

void WindowViews::ShowArchive(std::unique_ptr<CQuorvelDoc> document)
{
    CChildFrame* window = m_frame->CreateChannelWindow(document.get());
    document.release()->setParent(window);
    // Over the middle of the channel windows, large enough to read a day's lines in, leaving the
    // tiled channels around it in sight.
    const QRect area = m_frame->MdiArea()->viewport()->rect();
    const QSize size(area.width() * kArchiveSizePercent / 100, area.height() * kArchiveSizePercent / 100);
    window->setGeometry(QRect(area.center() - QPoint(size.width() / 2, size.height() / 2), size));
    m_frame->MdiArea()->setActiveSubWindow(window);
}
