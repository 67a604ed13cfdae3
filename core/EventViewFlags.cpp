#include "core/EventViewFlags.h"

#include "core/SettingsStore.h"
#include "core/SettingsKeys.h"

namespace {

void WriteFlag(const char* flag, bool set)
{
    WriteProfileInt(QString::fromLatin1(Str::kSectionSettings), QString::fromLatin1(flag), set ? 1 : 0);
}

} // namespace

EventViewFlags EventViewFlags::Load()
{
    int call = 0, fault = 0, normal = 0, system = 0;
    ReadEventViewSettings(call, fault, normal, system);
    EventViewFlags flags;
    flags.call = call != 0;
    flags.fault = fault != 0;
    flags.normal = normal != 0;
    return flags;
}

void EventViewFlags::Store() const
{
    WriteFlag(Str::kFlagCall, call);
    WriteFlag(Str::kFlagFault, fault);
    WriteFlag(Str::kFlagNormal, normal);
}
