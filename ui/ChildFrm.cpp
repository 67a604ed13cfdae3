#include "ui/ChildFrm.h"

#include "archive/QuorvelDoc.h"
#include "core/Labels.h"
#include "core/UserMessages.h"
#include "ui/NoCloseBoxStyle.h"
#include "ui/QuorvelView.h"

#include <QCloseEvent>
#include <QMenu>
#include <QStyle>

CChildFrame::CChildFrame(CQuorvelDoc* document, ChannelNameSource channelNames, QWidget* parent)
    : QMdiSubWindow(parent)
    , m_pDocument(document)
    , m_pfnChannelNames(std::move(channelNames))
    , m_pView(new CQuorvelView(document, m_pfnChannelNames))
{
    // No close box, and the system menu's Close greyed: a child window closes by Close Archive.
    setStyle(NoCloseBoxStyle::Instance());
    for (QAction* action : systemMenu()->actions()) {
        if (action->shortcuts().contains(QKeySequence(QKeySequence::Close)))
            action->setEnabled(false);
    }
    setWindowIcon(style()->standardIcon(QStyle::SP_FileIcon));
    setAttribute(Qt::WA_DeleteOnClose);
    setWidget(m_pView);
    connect(m_pView, &CQuorvelView::documentTitleChanged, this, &CChildFrame::UpdateTitle);
    connect(m_pView, &CQuorvelView::propertiesRequested, this, &CChildFrame::OnProperties);
    connect(m_pView, &CQuorvelView::flashToggled, this, [this](bool highlighted) {
        m_bFlashHighlighted = highlighted;
        UpdateTitle();
    });
    UpdateTitle();
}

void CChildFrame::UpdateTitle()
{
    const QString title = m_pDocument ? m_pDocument->GetTitle() : QString();
    setWindowTitle(m_bFlashHighlighted ? QString::fromLatin1(Str::kFlashingTitle).arg(title) : title);
}

void CChildFrame::OnProperties()
{
    m_nChannel = m_pDocument ? m_pDocument->GetChannel() : 0;
    emit openChannelProperties(m_nChannel);
}

bool CChildFrame::IsChannelName(const QString& title) const
{
    QString name;
    for (int index = 0; m_pfnChannelNames && m_pfnChannelNames(index, name); ++index) {
        if (name == title)
            return true;
    }
    return false;
}

void CChildFrame::closeEvent(QCloseEvent* event)
{
    // A channel's window stays until the program ends.
    if (!m_bProgramEnding && IsChannelName(m_pDocument ? m_pDocument->GetTitle() : QString())) {
        UserMessages().MessageBeep(IUserMessages::Beep::Asterisk);
        event->ignore();
        return;
    }
    QMdiSubWindow::closeEvent(event);
}
