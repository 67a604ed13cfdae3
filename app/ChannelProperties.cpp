// The channel property sheet and what confirming it changes: the application's side of it.
#include "app/QuorvelApp.h"

#include "app/ChannelTables.h"
#include "app/ChannelViews.h"
#include "app/MessageInterpreter.h"
#include "archive/QuorvelDoc.h"
#include "core/Labels.h"
#include "core/SettingsKeys.h"
#include "core/SettingsStore.h"
#include "ui/ChannelDialog.h"
#include "ui/CommsDialog.h"
#include "ui/NumLinesDialog.h"
#include "ui/PropertySheet.h"

void CQuorvelApp::OpenChannelProperties(int n, QWidget* parent)
{
    if (n < 1 || n > kChannelCount)
        return;
    // The sheet goes after its pages, which leave it as they go.
    CPropertySheet sheet(QString::fromLatin1(Str::kChannelSettingsCaption).arg(n), parent);
    CChannelDialog namePage(n, ReadChannelName);
    CCommsDialog commsPage(n, GetChannelPort(n), GetChannelInterpreter(n));
    NumLinesDialog linesPage(n);
    sheet.AddPage(&namePage);
    sheet.AddPage(&commsPage);
    sheet.AddPage(&linesPage);

    const QString channels = QString::fromLatin1(Str::kSectionChannels);
    const QString key = QString::number(n);
    namePage.m_strName = GetProfileString(channels, key, QString());
    if (sheet.DoModal() != QDialog::Accepted)
        return;

    if (linesPage.IsInitialised())
        WriteProfileInt(QString::fromLatin1(Str::kSectionLines), key, linesPage.SelectedLineCount());
    SetChannelName(n - 1, namePage.m_strName);
    UpdateChannelTitles();
    // Stored as typed: an empty name is the default again at the next start.
    WriteProfileString(channels, key, namePage.m_strName);
}

void CQuorvelApp::UpdateChannelTitles()
{
    for (int n = 1; n <= kChannelCount; ++n) {
        CQuorvelDoc* document = Document(n);
        QString name;
        if (document && GetChannelName(document->GetChannel() - 1, name))
            document->SetTitle(name);
    }
    m_views->UpdateTitles();
}
