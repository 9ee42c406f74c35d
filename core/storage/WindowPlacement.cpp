#include "WindowPlacement.h"
#include "core/storage/SettingsKeys.h"

namespace {

constexpr const char* kSection = settings_keys::kScreen;

}  // namespace

WindowPlacement WindowPlacement::Load(const SettingsStore& settings)
{
    using namespace settings_keys;
    return {settings.ReadInt(kSection, kScreenX, 0), settings.ReadInt(kSection, kScreenY, 0),
            settings.ReadInt(kSection, kScreenWidth, 0), settings.ReadInt(kSection, kScreenHeight, 0)};
}

SettingsStore::Section WindowPlacement::ToSection() const
{
    return {kSection,
            {{settings_keys::kScreenX, std::to_string(m_nX)},
             {settings_keys::kScreenY, std::to_string(m_nY)},
             {settings_keys::kScreenWidth, std::to_string(m_nWidth)},
             {settings_keys::kScreenHeight, std::to_string(m_nHeight)}}};
}
