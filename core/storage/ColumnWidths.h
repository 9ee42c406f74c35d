#pragma once

#include "core/storage/SettingsStore.h"

#include <optional>
#include <vector>

// The grid's column widths in pixels, in the section "List" as col0, col1 ...
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

    // The whole section, for one atomic write (alone or with others).
    SettingsStore::Section ToSection() const;

private:
    std::vector<std::optional<int>> m_anWidths;
};
