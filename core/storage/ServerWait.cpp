#include "ServerWait.h"

#include "core/storage/SettingsStore.h"

#include <algorithm>

ServerWait ServerWait::Load(const SettingsStore& settings)
{
    return {std::clamp(settings.ReadInt(kSection, kKey, kDefaultSeconds), kMinSeconds, kMaxSeconds)};
}

bool ServerWait::Save(SettingsStore& settings) const
{
    return settings.WriteInt(kSection, kKey, std::clamp(m_nSeconds, kMinSeconds, kMaxSeconds));
}
