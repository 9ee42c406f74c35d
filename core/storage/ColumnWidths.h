#pragma once

#include "core/storage/SettingsStore.h"

#include <optional>
#include <string_view>
#include <vector>

// The grid's column widths in pixels, in the section "List" as col0, col1 ...,
// and the columns the user hid ("hidden": their numbers, once chosen).
class ColumnWidths {
public:
    ColumnWidths() = default;
    explicit ColumnWidths(const std::vector<int>& widths);

    // The stored widths of the first nColumns columns; a missing one stays
    // unknown.
    static ColumnWidths Load(const SettingsStore& settings, int nColumns);

    // The widths for nColumns columns of a grid nGridWidth pixels wide. The
    // stored ones come back only as a complete set that fits the grid (a
    // missing width counting as a tenth of it); anything else (a zero, a
    // column wider than the grid, a sum too wide) means the set belongs to
    // another screen, and every column gets a tenth.
    std::vector<int> ForGrid(int nColumns, int nGridWidth) const;

    // The hidden columns' numbers (each below nColumns at Load); none
    // stored: the user never chose, and ToSection writes none either.
    const std::optional<std::vector<int>>& Hidden() const { return m_anHidden; }
    void SetHidden(std::vector<int> anHidden) { m_anHidden = std::move(anHidden); }
    // A stored "hidden" value ("2,7,8"): the numbers below nColumns, each
    // once; anything else in it is skipped.
    static std::vector<int> ParseHidden(std::string_view text, int nColumns);

    // The whole section, for one atomic write (alone or with others).
    SettingsStore::Section ToSection() const;

private:
    std::vector<std::optional<int>> m_anWidths;
    std::optional<std::vector<int>> m_anHidden;
};
