#include "ui/EventDialog.h"

#include "core/Labels.h"
#include "core/SettingsKeys.h"
#include "core/SettingsStore.h"
#include "ui/OkCancelColumn.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace {

QString Section()
{
    return QString::fromLatin1(Str::kSectionSettings);
}

// Each box shows the flag the lists follow now, as the documents read it: their defaults when
// nothing (or no number) is stored, and a stored value other than 0 (only a hand-edited store has
// one) as set.
QCheckBox* FlagBox(const char* text, int inForce)
{
    auto* box = new QCheckBox(QString::fromLatin1(text));
    box->setChecked(inForce != 0);
    return box;
}

struct FlagsInForce
{
    int call = 0, fault = 0, normal = 0, system = 0;
    FlagsInForce() { ReadEventViewSettings(call, fault, normal, system); }
};

void WriteFlag(const char* flag, const QCheckBox* box)
{
    WriteProfileInt(Section(), QString::fromLatin1(flag), box->isChecked() ? 1 : 0);
}

} // namespace

EventDialog::EventDialog(QWidget* parent)
    : QDialog(parent)
    , m_pShowFault(FlagBox(Str::kShowFault, FlagsInForce().fault))
    , m_pShowNormal(FlagBox(Str::kShowNormal, FlagsInForce().normal))
    , m_pShowCall(FlagBox(Str::kShowCall, FlagsInForce().call))
{
    setWindowTitle(QString::fromLatin1(Str::kEventViewTitle));

    auto* display = new QGroupBox(QString::fromLatin1(Str::kEventDisplayGroup));
    auto* boxes = new QVBoxLayout(display);
    boxes->addWidget(m_pShowFault);
    boxes->addWidget(m_pShowNormal);
    boxes->addWidget(m_pShowCall);

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(display);
    layout->addSpacing(24);
    layout->addLayout(OkCancelColumn(this, [this] { OnOK(); }));
}

void EventDialog::OnOK()
{
    WriteFlag(Str::kFlagCall, m_pShowCall);
    WriteFlag(Str::kFlagFault, m_pShowFault);
    WriteFlag(Str::kFlagNormal, m_pShowNormal);
    accept();
}
