#include "ColumnWidths.h"
#include "core/storage/SettingsKeys.h"

#include <algorithm>
#include <string_view>
#include <string>

namespace {

constexpr const char* kSection = settings_keys::kList;

std::string Name(size_t column)
{
    return "col" + std::to_string(column);
}

}  // namespace

std::vector<int> ColumnWidths::ParseHidden(std::string_view text, int nColumns)
{
    std::vector<int> anHidden;
    size_t nStart = 0;
    while (nStart <= text.size()) {
        const size_t nEnd = std::min(text.find(',', nStart), text.size());
        const auto n = SettingsStore::ParseInt(text.substr(nStart, nEnd - nStart));
        if (n && *n >= 0 && *n < nColumns && std::find(anHidden.begin(), anHidden.end(), *n) == anHidden.end())
            anHidden.push_back(*n);
        nStart = nEnd + 1;
    }
    return anHidden;
}

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
    // No number is ever this text, so it tells a missing key from an empty one.
    const std::string kAbsent = "-";
    const std::string hidden = settings.ReadString(kSection, settings_keys::kHiddenColumns, kAbsent);
    if (hidden != kAbsent)
        widths.m_anHidden = ParseHidden(hidden, nColumns);
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
    if (m_anHidden) {
        std::string hidden;
        for (const int n : *m_anHidden)
            hidden += (hidden.empty() ? "" : ",") + std::to_string(n);
        section.second.emplace_back(settings_keys::kHiddenColumns, hidden);
    }
    return section;
}
