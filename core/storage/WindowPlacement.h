#pragma once

#include "core/storage/SettingsStore.h"

// Where the main window was, in the section "Screen" as x, y, cx, cy, in
// the window system's pixels at the scale named beside them.
struct WindowPlacement {
    int m_nX = 0;
    int m_nY = 0;
    int m_nWidth = 0;
    int m_nHeight = 0;
    // Device pixels per window pixel in percent when stored; 0: unknown (a
    // file of an earlier version), taken as the scale in use.
    int m_nScale = 0;

    // A missing value reads as 0, which no usable placement has as a size.
    static WindowPlacement Load(const SettingsStore& settings);

    // The same place on the screen in window pixels at another scale (in
    // percent), so a window stored at 200 % opens as large at 100 %.
    WindowPlacement AtScale(int nScale) const;

    // The whole section, for one atomic write (alone or with others).
    SettingsStore::Section ToSection() const;
};
