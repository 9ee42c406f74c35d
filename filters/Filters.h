#pragma once

#include "filters/FilterLists.h"

class SettingsStore;

// The active and the default filter lists, owned by the screening view for
// the whole run. All members are used on the user-interface thread only; a
// scan works on its own copy of m_filters.
class Filters {
public:
    FilterLists m_filters;           // active lists: classification and the filter manager
    FilterLists m_filterDefaults;    // built once by LoadDefaults, never stored
    int m_bNoStoredFilters = 0;      // set by LoadFilters when the subject, exact and size sections were empty

    // Fills m_filterDefaults from "defaults.txt" in the current directory, or
    // with the built-in lists when that file cannot be opened.
    void LoadDefaults();
    // True when "defaults.txt" could be opened (even when it held nothing).
    bool ReadDefaultsFile();

    // Loads the five lists, upper-cased, each up to its first absent or
    // empty value.
    void LoadFilters(const SettingsStore& settings);
    // Stores exactly the five active lists, numbered 0..n-1, in one atomic
    // write. False when the file could not be written.
    bool SaveFilters(SettingsStore& settings) const;

    // The default size and subject lists replace the active ones; the exact
    // list is kept. Nothing is saved.
    void ApplyDefaultsOnLaunch();
};
