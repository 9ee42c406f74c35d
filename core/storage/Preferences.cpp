#include "Preferences.h"

#include <algorithm>
#include <utility>

#include "core/storage/AccountSettings.h"
#include "core/storage/QuarantineMaildir.h"
#include "core/storage/SettingsKeys.h"
#include "core/storage/SettingsStore.h"

using namespace settings_keys;

Preferences::Preferences()
    : m_nKeepCopyDays(QuarantineMaildir::kDefaultDays)
{ }

Preferences Preferences::Load(const SettingsStore& settings)
{
    Preferences prefs;
    prefs.m_bCloseWhenDone = settings.ReadInt(kPrefs, kCloseWhenDone, 0);
    prefs.m_bAutoStart = settings.ReadInt(kPrefs, kAutoStart, 0);
    prefs.m_bDefaultFilters = settings.ReadInt(kPrefs, kDefaultFilters, 0);
    prefs.m_nCheckEvery = settings.ReadInt(kPrefs, kCheckEvery, 0);
    prefs.m_nKeepCopyKB = settings.ReadInt(kPrefs, kKeepCopyKB, 0);
    prefs.m_nKeepCopyDays = settings.ReadInt(kPrefs, kKeepCopyDays, QuarantineMaildir::kDefaultDays);
    prefs.m_bAskBeforeDelete = settings.ReadInt(kPrefs, kAskBeforeDelete, kDefaultAskBeforeDelete);
    prefs.m_wait = ServerWait::Load(settings);
    prefs.m_bCheckAuthentication = settings.ReadInt(kPrefs, kCheckAuthentication, 1);
    prefs.m_bCheckNames = settings.ReadInt(kPrefs, kCheckNames, 1);
    prefs.m_bCheckLookAlikes = settings.ReadInt(kPrefs, kCheckLookAlikes, 1);
    prefs.m_nPreviewLines = settings.ReadInt(kPrefs, kPreviewLines, kDefaultPreviewLines);
    return prefs;
}

bool Preferences::Save(SettingsStore& settings) const
{
    bool ok = settings.WriteInt(kPrefs, kCloseWhenDone, m_bCloseWhenDone);
    ok = settings.WriteInt(kPrefs, kAutoStart, m_bAutoStart) && ok;
    ok = settings.WriteInt(kPrefs, kDefaultFilters, m_bDefaultFilters) && ok;
    ok = settings.WriteInt(kPrefs, kCheckEvery, m_nCheckEvery) && ok;
    ok = settings.WriteInt(kPrefs, kKeepCopyKB, m_nKeepCopyKB) && ok;
    ok = settings.WriteInt(kPrefs, kKeepCopyDays, m_nKeepCopyDays) && ok;
    ok = settings.WriteInt(kPrefs, kAskBeforeDelete, m_bAskBeforeDelete) && ok;
    ok = m_wait.Save(settings) && ok;
    // On is the default: stored only when off, so a file that never chose
    // keeps its bytes.
    const std::pair<const char*, int> signals[] = {{kCheckAuthentication, m_bCheckAuthentication},
                                                   {kCheckNames, m_bCheckNames},
                                                   {kCheckLookAlikes, m_bCheckLookAlikes}};
    // A file that never chose another preview length keeps its bytes.
    if (m_nPreviewLines != kDefaultPreviewLines)
        ok = settings.WriteInt(kPrefs, kPreviewLines, m_nPreviewLines) && ok;
    else if (!settings.ReadString(kPrefs, kPreviewLines, {}).empty())
        ok = settings.DeleteValue(kPrefs, kPreviewLines) && ok;
    for (const auto& [key, value] : signals) {
        if (value == 0)
            ok = settings.WriteInt(kPrefs, key, 0) && ok;
        else if (!settings.ReadString(kPrefs, key, "").empty())
            ok = settings.DeleteValue(kPrefs, key) && ok;
    }
    return ok;
}

SignalOptions Preferences::Signals(const AccountSettings& account) const
{
    SignalOptions options;
    options.m_bAuthentication = m_bCheckAuthentication != 0;
    options.m_bNames = m_bCheckNames != 0;
    options.m_bLookAlike = m_bCheckLookAlikes != 0;
    options.m_sServer = account.m_sServer;
    options.m_aAuthServIds = account.AuthServIds();
    return options;
}

bool Preferences::SaveAskBeforeDelete(SettingsStore& settings, bool bAsk)
{
    return settings.WriteInt(kPrefs, kAskBeforeDelete, bAsk ? 1 : 0);
}

bool Preferences::TrayNoted(const SettingsStore& settings)
{
    return settings.ReadInt(kPrefs, kTrayNoted, 0) != 0;
}

bool Preferences::NoteTray(SettingsStore& settings)
{
    return settings.WriteInt(kPrefs, kTrayNoted, 1);
}

uint64_t Preferences::KeepCopyBytes() const
{
    return static_cast<uint64_t>(std::clamp(m_nKeepCopyKB, 0, QuarantineMaildir::kMaxKeepKB)) * 1024;
}

int Preferences::PreviewLines() const
{
    return std::clamp(m_nPreviewLines, 0, kMaxPreviewLines);
}

int Preferences::KeepCopyDaysAtLeastOne() const
{
    return std::max(1, m_nKeepCopyDays);
}
