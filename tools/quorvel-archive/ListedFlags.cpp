#include "ListedFlags.h"

#include "core/SettingsStore.h"
#include "events/DisplayObj.h"
#include "events/RecordScanner.h"

ListedFlags::ListedFlags()
{
    ReadEventViewSettings(m_call, m_fault, m_normal, m_system);
}

bool ListedFlags::Listed(const RecordView& record) const
{
    return CDisplayObj::KindPassesFilter(record.kind, m_call, m_fault, m_normal, m_system) != 0;
}
