#include "WindowPlacement.h"
#include "core/storage/SettingsKeys.h"

#include <cmath>

namespace {

constexpr const char* kSection = settings_keys::kScreen;

// A hand-edited scale outside this range is no scale a screen has.
constexpr int kMinScale = 25;
constexpr int kMaxScale = 800;

}  // namespace

WindowPlacement WindowPlacement::Load(const SettingsStore& settings)
{
    using namespace settings_keys;
    return {settings.ReadInt(kSection, kScreenX, 0), settings.ReadInt(kSection, kScreenY, 0),
            settings.ReadInt(kSection, kScreenWidth, 0), settings.ReadInt(kSection, kScreenHeight, 0),
            settings.ReadInt(kSection, kScreenScale, 0)};
}

WindowPlacement WindowPlacement::AtScale(int nScale) const
{
    const bool bKnown = m_nScale >= kMinScale && m_nScale <= kMaxScale;
    if (!bKnown || nScale < kMinScale || nScale > kMaxScale || nScale == m_nScale)
        return {m_nX, m_nY, m_nWidth, m_nHeight, nScale};
    const auto scaled = [&](int n) {
        return static_cast<int>(std::lround(static_cast<double>(n) * m_nScale / nScale));
    };
    return {scaled(m_nX), scaled(m_nY), scaled(m_nWidth), scaled(m_nHeight), nScale};
}

SettingsStore::Section WindowPlacement::ToSection() const
{
    SettingsStore::Section section{kSection,
                                   {{settings_keys::kScreenX, std::to_string(m_nX)},
                                    {settings_keys::kScreenY, std::to_string(m_nY)},
                                    {settings_keys::kScreenWidth, std::to_string(m_nWidth)},
                                    {settings_keys::kScreenHeight, std::to_string(m_nHeight)}}};
    if (m_nScale > 0)
        section.second.emplace_back(settings_keys::kScreenScale, std::to_string(m_nScale));
    return section;
}
