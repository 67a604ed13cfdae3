#pragma once
#include <QStringList>

#include <memory>

class CQuorvelDoc;

// What the application shows its channels on: the windows, or standard output and error when the
// station runs without them. The application makes one first view per channel document through it
// and tells it what the person at the station should see of the channels' lines.
class IChannelViews
{
public:
    virtual ~IChannelViews() = default;

    // Makes channel n's first view of its document; the view becomes the document's view.
    virtual void CreateView(int channel, CQuorvelDoc& document) = 0;
    // The state of channel n's line, after the document's SetConnection.
    virtual void ShowConnection(int channel, int port, bool connected) = 0;
    // Start-up has set the station up (the views were made from 16 down to 1): the main window is
    // shown with them arranged, channel 1 active. What start-up found is told after this.
    virtual void ShowMainWindow() {}
    // This copy only views archives: it starts no channel and says so.
    virtual void ShowViewingOnly() {}
    // Another copy was started on this station.
    virtual void Activate() {}
    // The archives most recently opened for viewing, newest first.
    virtual void ShowRecentFiles(const QStringList& files) { Q_UNUSED(files); }
    // The documents' titles changed (a channel was renamed): whatever shows them shows them anew.
    virtual void UpdateTitles() {}

    // Whether archives can be viewed here (in windows).
    virtual bool CanShowArchives() const { return false; }
    // Brings the window of the archive document read from this file forward, with the main
    // window; false when no window shows that file.
    virtual bool ActivateArchive(const QString& path) { Q_UNUSED(path); return false; }
    // Shows a document read from an archive in a window of its own, active; the window owns it
    // and closes it with Close Archive.
    virtual void ShowArchive(std::unique_ptr<CQuorvelDoc> document) { Q_UNUSED(document); }
};
