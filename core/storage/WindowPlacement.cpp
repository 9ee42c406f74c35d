#include "WindowPlacement.h"

namespace {

constexpr const char* kSection = "Screen";

}  // namespace

WindowPlacement WindowPlacement::Load(const SettingsStore& settings)
{
    return {settings.ReadInt(kSection, "x", 0), settings.ReadInt(kSection, "y", 0),
            settings.ReadInt(kSection, "cx", 0), settings.ReadInt(kSection, "cy", 0)};
}

SettingsStore::Section WindowPlacement::ToSection() const
{
    return {kSection,
            {{"x", std::to_string(m_nX)},
             {"y", std::to_string(m_nY)},
             {"cx", std::to_string(m_nWidth)},
             {"cy", std::to_string(m_nHeight)}}};
}
