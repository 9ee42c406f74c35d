#pragma once

#include "core/storage/SettingsStore.h"

// Where the main window was, in the section "Screen" as x, y, cx, cy.
struct WindowPlacement {
    int m_nX = 0;
    int m_nY = 0;
    int m_nWidth = 0;
    int m_nHeight = 0;

    // A missing value reads as 0, which no usable placement has as a size.
    static WindowPlacement Load(const SettingsStore& settings);

    // The whole section, for one atomic write (alone or with others).
    SettingsStore::Section ToSection() const;
};
