#pragma once

#include <cstdint>

#include "core/filters/SenderSignals.h"
#include "core/storage/ServerWait.h"

struct AccountSettings;
class SettingsStore;

// The section "Prefs", typed: what the preferences dialog sets and the
// screening reads. Values are kept as stored (a flag may hold any number);
// the readers below give them their meaning and bounds.
struct Preferences {
    // Whether a purge asks first, when the key is missing.
    static constexpr int kDefaultAskBeforeDelete = 1;
    // "Preview the first L lines": the body lines a row's preview fetches
    // (TOP n L); 0 turns previews off. Stored only once changed from this.
    static constexpr int kDefaultPreviewLines = 40;
    // The most lines the dialog offers: "Show more" goes further, up to
    // PreviewJob::kMaxLines.
    static constexpr int kMaxPreviewLines = 1000;

    int m_bCloseWhenDone = 0;                          // "End": close the window once the purge is done
    int m_bAutoStart = 0;                              // "Start": scan as the window opens
    int m_bDefaultFilters = 0;                         // "Def": use the built-in lists, not the stored ones
    int m_nCheckEvery = 0;                             // "CheckEvery": minutes between background checks, 0: off
    int m_nKeepCopyKB = 0;                             // "KeepCopyKB": 0 or missing, no copies
    int m_nKeepCopyDays;                               // "KeepCopyDays"
    int m_bAskBeforeDelete = kDefaultAskBeforeDelete;  // "AskBeforeDelete"
    ServerWait m_wait;                                 // "WaitSeconds"
    // The sender signals, on unless the file says "0"; stored only when off,
    // so a file that never chose keeps its bytes.
    int m_bCheckAuthentication = 1;              // "CheckAuthentication": failed sender authentication
    int m_bCheckNames = 1;                       // "CheckNames": impersonated names
    int m_bCheckLookAlikes = 1;                  // "CheckLookAlikes": look-alike domains
    int m_nPreviewLines = kDefaultPreviewLines;  // "PreviewLines"

    Preferences();
    static Preferences Load(const SettingsStore& settings);
    // Writes what the preferences dialog sets, in the order it always has.
    bool Save(SettingsStore& settings) const;
    // "Don't ask again" under the purge's question.
    static bool SaveAskBeforeDelete(SettingsStore& settings, bool bAsk);
    // The tray's one-time notice that Mavix stays in the tray.
    static bool TrayNoted(const SettingsStore& settings);
    static bool NoteTray(SettingsStore& settings);

    // The signals switched on, with the account's side they trust: what the
    // scan takes beside the filter lists (FilterLists::SetSignals).
    SignalOptions Signals(const AccountSettings& account) const;

    // The largest message a purge keeps a copy of, in bytes (0: none).
    uint64_t KeepCopyBytes() const;
    // How long kept copies stay, at least a day.
    int KeepCopyDaysAtLeastOne() const;
    // The preview's lines within 0..kMaxPreviewLines (0: no previews).
    int PreviewLines() const;
};
