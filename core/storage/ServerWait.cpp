#include "ServerWait.h"

#include "core/storage/SettingsKeys.h"
#include "core/storage/SettingsStore.h"

#include <algorithm>

ServerWait ServerWait::Load(const SettingsStore& settings)
{
    const int nStored = settings.ReadInt(settings_keys::kPrefs, settings_keys::kWaitSeconds, kDefaultSeconds);
    return {std::clamp(nStored, kMinSeconds, kMaxSeconds)};
}

bool ServerWait::Save(SettingsStore& settings) const
{
    return settings.WriteInt(settings_keys::kPrefs, settings_keys::kWaitSeconds,
                             std::clamp(m_nSeconds, kMinSeconds, kMaxSeconds));
}
