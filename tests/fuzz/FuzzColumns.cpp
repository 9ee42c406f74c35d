// The settings file's "hidden" value of the grid's columns, as a hand edit
// may leave it.
#include "FuzzEntries.h"

#include <algorithm>
#include <cstdlib>
#include <string_view>

#include "core/storage/ColumnWidths.h"

void FuzzHiddenColumns(const uint8_t* data, size_t size)
{
    // The first byte is the number of columns; the rest is the value.
    if (size == 0)
        return;
    const int nColumns = data[0] % 32;
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    std::vector<int> anHidden = ColumnWidths::ParseHidden(text, nColumns);
    for (const int n : anHidden)
        if (n < 0 || n >= nColumns)
            std::abort();
    std::sort(anHidden.begin(), anHidden.end());
    if (std::adjacent_find(anHidden.begin(), anHidden.end()) != anHidden.end())
        std::abort();
}
