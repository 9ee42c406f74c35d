#pragma once

#include <string>

#include "core/filters/FilterLists.h"

class SettingsStore;

// The active and the default filter lists, owned by the screening view for
// the whole run. All members are used on the user-interface thread only; a
// scan works on its own copy of m_filters.
class Filters {
public:
    FilterLists m_filters;         // active lists: classification and the filter manager
    FilterLists m_filterDefaults;  // built once by LoadDefaults, never stored
    int m_bNoStoredFilters = 0;    // set by LoadFilters when the subject, exact and size sections were empty

    // Fills m_filterDefaults from "defaults.txt" in the current directory, or
    // with the built-in lists when that file cannot be opened or is not
    // trusted.
    void LoadDefaults();
    // True when "defaults.txt" could be opened and is trusted (even when it
    // held nothing). Trusted: a plain file (no link), owned by the user or
    // root, that neither group nor others may write; anything else in a
    // shared folder could be planted by another user to make every message a
    // suspect. An untrusted file is not read and DefaultsWarning() says why.
    bool ReadDefaultsFile();
    // The warning for a "defaults.txt" that was ignored, for the front ends
    // to show (status text, stderr); empty when there is none.
    const std::string& DefaultsWarning() const { return m_sDefaultsWarning; }

    // Loads the five lists, each up to its first absent or empty value:
    // the Windows-1252 entries upper-cased, "contains" unless marked whole
    // word, then the tagged ones (patterns, Unicode) as stored.
    void LoadFilters(const SettingsStore& settings);
    // Stores exactly the five active lists in one atomic write: the
    // Windows-1252 entries numbered 0..n-1 as always, the others tagged
    // (Filters.cpp). False when the file could not be written.
    bool SaveFilters(SettingsStore& settings) const;

    // The default size and subject entries are merged into the active
    // lists: the user's own entries stay (an entry added from a row is the
    // user's), one with a default's text gives way to that default, and the
    // defaults follow them. The exact list is kept. Nothing is saved.
    void ApplyDefaultsOnLaunch();

private:
    std::string m_sDefaultsWarning;
};
