#include "app/WindowViews.h"

#include "app/ChannelTables.h"
#include "app/QuorvelApp.h"
#include "core/RemovableDrives.h"
#include "ui/ChildFrm.h"
#include "ui/MainFrm.h"
#include "ui/QuorvelView.h"

#include <QEvent>
#include <QGuiApplication>
#include <QMdiArea>
#include <QScreen>
#include <QTimer>

CWindowViews::CWindowViews(CQuorvelApp& app)
    : m_frame(std::make_unique<CMainFrame>(GetChannelName))
{
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

CWindowViews::~CWindowViews() = default;

CChildFrame* CWindowViews::Window(int channel) const
{
    return channel >= 1 && channel <= kChannelCount ? m_windows[size_t(channel - 1)].data() : nullptr;
}

void CWindowViews::CreateView(int channel, CQuorvelDoc& document)
{
    m_windows[size_t(channel - 1)] = m_frame->CreateChannelWindow(&document);
}

void CWindowViews::ShowConnection(int channel, int port, bool connected)
{
    if (CChildFrame* window = Window(channel))
        window->View()->ShowConnection(port, connected);
}

void CWindowViews::ShowMainWindow()
{
    m_frame->SetBackupAvailable(IsBackupAvailable());
    m_frame->showMaximized();
    // Tiled once shown: only shown windows are tiled, in the area the frame now has.
    m_frame->MDITile(Qt::Horizontal);
    // The window system settles the window's size a while after it is shown; until then the
    // channel windows are tiled again for each size it takes.
    m_bSettling = true;
    m_frame->MdiArea()->viewport()->installEventFilter(this);
    QTimer::singleShot(kSettleMs, this, [this] {
        m_bSettling = false;
        m_frame->MdiArea()->viewport()->removeEventFilter(this);
    });
}

bool CWindowViews::eventFilter(QObject* watched, QEvent* event)
{
    if (m_bSettling && event->type() == QEvent::Resize)
        QTimer::singleShot(0, this, [this] {
            if (m_bSettling)
                m_frame->MDITile(Qt::Horizontal);
        });
    return QObject::eventFilter(watched, event);
}

void CWindowViews::Activate()
{
    // Restored if minimised, to the maximised window it was; then in front of the others.
    m_frame->setWindowState((m_frame->windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    m_frame->show();
    m_frame->raise();
    m_frame->activateWindow();
}

void CWindowViews::UpdateTitles()
{
    m_frame->UpdateChannelTitles();
}

void CWindowViews::ShowRecentFiles(const QStringList& files)
{
    m_frame->SetRecentFiles(files);
}
