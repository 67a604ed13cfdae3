#include "ListedFlags.h"

#include "core/SettingsStore.h"
#include "events/DisplayObj.h"

ListedFlags::ListedFlags()
{
    ReadEventViewSettings(m_call, m_fault, m_normal, m_system);
}

bool ListedFlags::Listed(const CDisplayObj& record) const
{
    return record.PassesFilter(m_call, m_fault, m_normal, m_system) != 0;
}
