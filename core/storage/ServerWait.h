#pragma once

#include <chrono>

class SettingsStore;

// How long the server may stay silent within one reply before the session
// is given up: the preference "Wait for the server up to N seconds", in the
// section "Prefs" as "WaitSeconds" (SettingsKeys.h). The window, its background checks and
// mavix-cli all read it here.
struct ServerWait {
    static constexpr int kDefaultSeconds = 30;
    // Below 5 s the ordinary pause of a busy server or a slow link ends a
    // scan; past 5 minutes a silent server is gone, and Stop is there for
    // anyone who knows it sooner.
    static constexpr int kMinSeconds = 5;
    static constexpr int kMaxSeconds = 300;

    int m_nSeconds = kDefaultSeconds;

    // A missing value gives the default; one out of range, the nearest bound.
    static ServerWait Load(const SettingsStore& settings);
    bool Save(SettingsStore& settings) const;
    std::chrono::seconds Duration() const { return std::chrono::seconds(m_nSeconds); }
};
