#include "ui/EventDialog.h"

#include "core/Labels.h"
#include "ui/OkCancelColumn.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace {

QCheckBox* FlagBox(const char* text, bool set)
{
    auto* box = new QCheckBox(QString::fromLatin1(text));
    box->setChecked(set);
    return box;
}

} // namespace

EventDialog::EventDialog(const EventViewFlags& flags, QWidget* parent)
    : QDialog(parent)
    , m_pShowFault(FlagBox(Str::kShowFault, flags.fault))
    , m_pShowNormal(FlagBox(Str::kShowNormal, flags.normal))
    , m_pShowCall(FlagBox(Str::kShowCall, flags.call))
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
    layout->addLayout(OkCancelColumn(this, [this] { accept(); }));
}

EventViewFlags EventDialog::Flags() const
{
    EventViewFlags flags;
    flags.call = m_pShowCall->isChecked();
    flags.fault = m_pShowFault->isChecked();
    flags.normal = m_pShowNormal->isChecked();
    return flags;
}
