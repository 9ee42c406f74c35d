#include "ColumnWidths.h"
#include "core/storage/SettingsKeys.h"

#include <algorithm>
#include <string>

namespace {

constexpr const char* kSection = settings_keys::kList;

std::string Name(size_t column)
{
    return "col" + std::to_string(column);
}

}  // namespace

ColumnWidths::ColumnWidths(const std::vector<int>& widths)
    : m_anWidths(widths.begin(), widths.end())
{ }

ColumnWidths ColumnWidths::Load(const SettingsStore& settings, int nColumns)
{
    ColumnWidths widths;
    for (size_t i = 0; i < static_cast<size_t>(std::max(nColumns, 0)); ++i) {
        // As ReadInt reads it, but a text without a number stays unknown
        // instead of taking a default.
        widths.m_anWidths.push_back(SettingsStore::ParseInt(settings.ReadString(kSection, Name(i), "")));
    }
    return widths;
}

std::vector<int> ColumnWidths::ForGrid(int nColumns, int nGridWidth) const
{
    const int nDefault = nGridWidth / 10;
    const std::vector<int> fallback(static_cast<size_t>(std::max(nColumns, 0)), nDefault);
    std::vector<int> widths = fallback;
    long long nSum = 0;
    for (size_t i = 0; i < widths.size(); ++i) {
        if (i < m_anWidths.size() && m_anWidths[i])
            widths[i] = *m_anWidths[i];
        if (widths[i] <= 0 || widths[i] > nGridWidth)
            return fallback;
        nSum += widths[i];
    }
    return nSum > nGridWidth ? fallback : widths;
}

SettingsStore::Section ColumnWidths::ToSection() const
{
    SettingsStore::Section section(kSection, {});
    for (size_t i = 0; i < m_anWidths.size(); ++i)
        if (m_anWidths[i])
            section.second.emplace_back(Name(i), std::to_string(*m_anWidths[i]));
    return section;
}
