#pragma once
#include "archive/QuorvelDoc.h"
#include "ui/ChannelNameSource.h"

#include <QMdiSubWindow>
#include <QPointer>

class CQuorvelView;

// The child window of a channel or an archive: the document's view, titled by the document. It
// has no close box; Close Archive closes it unless its title is one of the sixteen channel names.
class CChildFrame : public QMdiSubWindow
{
    Q_OBJECT
public:
    CChildFrame(CQuorvelDoc* document, ChannelNameSource channelNames, QWidget* parent = nullptr);

    CQuorvelView* View() const { return m_pView; }
    CQuorvelDoc* GetDocument() const { return m_pDocument; }

    // The "Properites" command: asks for the channel property sheet of this window's channel.
    void OnProperties();
    // The document's title, marked while the window flashes.
    void UpdateTitle();
    // Lets the program's end close channel windows too.
    void SetProgramEnding() { m_bProgramEnding = true; }

signals:
    // The property sheet of this window's channel is asked for (-1 for an archive).
    void openChannelProperties(int channel);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    bool IsChannelName(const QString& title) const;

    QPointer<CQuorvelDoc> m_pDocument;
    ChannelNameSource m_pfnChannelNames;
    CQuorvelView* m_pView;
    int m_nChannel = 0;
    bool m_bFlashHighlighted = false;
    bool m_bProgramEnding = false;
};
