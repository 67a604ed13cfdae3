// The channel property sheet and what confirming it changes: the application's side of it.
#include "app/QuorvelApp.h"

#include "app/ChannelTables.h"
#include "app/ChannelViews.h"
#include "app/MessageInterpreter.h"
#include "archive/QuorvelDoc.h"
#include "comms/PortSettings.h"
#include "core/SettingsStore.h"
#include "core/Labels.h"
#include "core/SettingsKeys.h"
#include "core/Strings.h"
#include "core/UserMessages.h"
#include "ui/ChannelDialog.h"
#include "ui/CommsDialog.h"
#include "ui/NumLinesDialog.h"
#include "ui/PropertySheet.h"

namespace {

// Puts a confirmed COM page's choice on the channel's open line and stores it. The stored record
// is the one the line runs with: a change the open line refuses is told and not stored, or the
// next start would leave the line closed. A line that is not open takes the stored record when it
// next opens.
void ApplyComSettings(int port, CSerialComms* comms, const LineSettings& chosen)
{
    if (comms && comms->IsConnected()) {
        // What a list without a selection stands for stays on the line as it runs now.
        LineSettings line = comms->Line();
        for (auto [index, setting] : {std::pair{chosen.baud, &line.baud}, std::pair{chosen.dataBits, &line.dataBits},
                                      std::pair{chosen.stopBits, &line.stopBits},
                                      std::pair{chosen.parity, &line.parity}}) {
            if (index >= 0)
                *setting = index;
        }
        LineRefusal refusal;
        if (comms->ChangeLineFormat(line, &refusal) == 0) {
            UserMessages().MessageBox(
                QString::fromLatin1(Str::kComSettingRefused).arg(QString::number(port), refusal.setting, refusal.reason),
                IUserMessages::Buttons::Ok, IUserMessages::Icon::Exclamation);
            return;
        }
    }
    WriteChosenPortSettings(port, chosen);
}

} // namespace

void CQuorvelApp::OpenChannelProperties(int n, QWidget* parent)
{
    if (n < 1 || n > kChannelCount)
        return;
    // The sheet goes after its pages, which leave it as they go.
    PropertySheet sheet(QString::fromLatin1(Str::kChannelSettingsCaption).arg(n), parent);
    CChannelDialog namePage(n, ReadChannelName);
    const int port = GetChannelPort(n);
    CCommsDialog commsPage(n, port, LoadPortSettings(port).line);
    const int storedLines = StoredLineCount(n);
    NumLinesDialog linesPage(n, storedLines == -1 ? 64 : storedLines);
    // A channel with no count stored has 64 from the page's first showing on, even when the sheet
    // is then cancelled.
    if (storedLines == -1)
        QObject::connect(&linesPage, &CPropertyPage::FirstShown, [n] { StoreLineCount(n, 64); });
    sheet.AddPage(&namePage);
    sheet.AddPage(&commsPage);
    sheet.AddPage(&linesPage);

    const QString channels = QString::fromLatin1(Str::kSectionChannels);
    const QString key = QString::number(n);
    namePage.m_strName = GetProfileString(channels, key, QString());
    if (sheet.DoModal() != QDialog::Accepted)
        return;

    if (commsPage.Confirmed())
        ApplyComSettings(port, GetChannelInterpreter(n), commsPage.Chosen());
    if (linesPage.IsInitialised())
        StoreLineCount(n, linesPage.SelectedLineCount());
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
    m_pViews->UpdateTitles();
}
