#pragma once
#include "app/ChannelViews.h"
#include "ui/DesktopNotifier.h"

#include <QObject>
#include <QPointer>

#include <array>
#include <memory>

class CChildFrame;
class CMainFrame;
class CQuorvelApp;
class CQuorvelView;

// The channels in windows: the main frame with a child window per channel, tiled once the frame
// is shown, channel 1 active. The frame's quit closes the application's channel ports before any window closes, and
// what is dropped on it or chosen from its recent files goes to the application to open.
class WindowViews : public QObject, public IChannelViews
{
    Q_OBJECT
public:
    explicit WindowViews(CQuorvelApp& app);
    ~WindowViews() override;

    CMainFrame& Frame() const { return *m_frame; }
    CChildFrame* Window(int channel) const;

    void CreateView(int channel, CQuorvelDoc& document) override;
    void ShowConnection(int channel, int port, bool connected) override;
    void ShowMainWindow() override;
    void ShowViewingOnly() override;
    void Activate() override;
    void ShowRecentFiles(const QStringList& files) override;
    void UpdateTitles() override;
    bool CanShowArchives() const override { return true; }
    bool ActivateArchive(const QString& path) override;
    void ShowArchive(std::unique_ptr<CQuorvelDoc> document) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // How long after the main window is shown the start-up tiling follows its size as the window
    // system maximises it.
    static constexpr int kSettleMs = 2000;
    // An archive window's size, in percent of the main window's client area each way.
    static constexpr int kArchiveSizePercent = 75;

    DesktopNotifier m_notifier;  // made first: the windows' alerts reach it until they are gone
    std::unique_ptr<CMainFrame> m_frame;
    std::array<QPointer<CChildFrame>, 16> m_windows;  // index channel - 1
    bool m_settling = false;
};
