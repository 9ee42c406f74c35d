// Saves filter lists in an endless loop, printing the number of each save
// once it is on disk, until it is killed.
#include <cstdio>

#include "core/storage/Filters.h"
#include "core/storage/SettingsStore.h"
#include "savefilters_lists.h"

int main()
{
    SettingsStore store;
    if (!store.Open())
        return 2;
    for (unsigned g = 1;; ++g) {
        Filters filters;
        filters.m_filters = ListsOfSave(g);
        if (!filters.SaveFilters(store))
            return 3;
        std::printf("%u\n", g);
        std::fflush(stdout);
    }
}
