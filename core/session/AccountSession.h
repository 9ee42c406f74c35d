#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "core/session/ScreeningSession.h"
#include "core/storage/AccountKey.h"
#include "core/storage/AccountSettings.h"

struct Preferences;
class SettingsStore;

// One account's screening as every front end holds it: the account as
// stored (its section and its AccountKey), its ScreeningSession, and what is
// stored back for it (a refresh token the provider replaced). Built by Open
// alone, from the account's own section, the preferences and the settings
// store: the password or the OAuth token source, the remembered choices, the
// kept copies, the header cache, the server's wait, the sender signals and
// the journal's name of the account. No account is special: the window, the
// tray and mavix-cli hold a list of these and treat each alike.
//
// Runs on its owner's thread, like the ScreeningSession it owns; the
// engine's notes reach it through the owner's queue (DeliverNote(note,
// Session())), its notes go to the owner's ISessionListener.
class AccountSession {
public:
    // What a front end gives in place of what is stored (mavix-cli's
    // MAVIX_PASSWORD and --token-command).
    struct Overrides {
        std::optional<std::string> m_sPassword;      // Windows-1252 bytes
        std::optional<std::string> m_sTokenCommand;  // OAuth access tokens from this command
        // The stored account, when the front end changed its server, user
        // or port for this run: its secrets are still the ones used.
        std::optional<AccountSettings> m_stored;
    };

    // Whether a log-in can be tried, and what is missing if not.
    enum class Readiness {
        kReady,
        kIncomplete,  // server, user, password or port is blank
        kNoSignIn,    // an OAuth method, and nobody has signed in (no refresh token)
        kNoProvider,  // an OAuth method, and no provider is known (ReadinessText says what to set)
    };

    // The one assembly of an account's session. `account` as stored
    // (m_sSection set; a front end may have changed its server, user, port
    // or security for this run); `all`, every stored account: whether the
    // account owns the entries of earlier versions (AccountKey::Of).
    // The password is read here unless the account logs in with a token.
    static std::unique_ptr<AccountSession> Open(SettingsStore& settings, const Preferences& prefs,
                                                AccountSettings account, const std::vector<AccountSettings>& all,
                                                IScreeningListener& engineQueue, ISessionListener& owner,
                                                Overrides overrides = {});
    ~AccountSession();
    AccountSession(const AccountSession&) = delete;
    AccountSession& operator=(const AccountSession&) = delete;

    // The account, its password filled in (wiped with the session).
    const AccountSettings& Account() const { return m_account; }
    const AccountKey& Key() const { return m_key; }
    ScreeningSession& Session() { return *m_pSession; }
    const ScreeningSession& Session() const { return *m_pSession; }

    Readiness GetReadiness() const { return m_nReadiness; }
    // kNoProvider: what to set (Windows-1252); empty otherwise.
    const std::string& ReadinessText() const { return m_sReadiness; }

    // The preferences every account takes (again, after the dialog): close
    // when done, kept copies, the server's wait, this account's signals.
    void ApplyPreferences(const Preferences& prefs);
    // `lists` with this account's sender signals, as its scans classify.
    FilterLists ListsFor(const FilterLists& lists) const;
    // A scan of the account with `lists` (its signals added), the engine's
    // workers started first; false, and nothing started, unless the account
    // is kReady.
    bool StartScan(const FilterLists& lists, RowKeeping keeping, bool bBackground);

    // Told, on the worker that logged in, that the provider replaced the
    // refresh token: the owner then calls StoreRotatedToken on its own
    // thread (the keyring belongs to it). Before the first scan.
    void SetRotationNotice(std::function<void()> notice);
    // Stores a replaced refresh token under this account, on the owner's
    // thread; nothing when none was replaced. True when one was stored.
    bool StoreRotatedToken();

private:
    struct Rotation {
        std::mutex m_mutex;
        std::string m_sToken;
        std::function<void()> m_fnNotice;
    };

    AccountSession(SettingsStore& settings, AccountSettings account, AccountKey key, AccountKey secretsKey,
                   IScreeningListener& engineQueue, ISessionListener& owner);
    void SetUpTokens(const std::optional<std::string>& command);

    SettingsStore& m_settings;
    AccountSettings m_account;
    AccountKey m_key;
    AccountKey m_secretsKey;  // where the password and the refresh token are filed
    std::unique_ptr<ScreeningSession> m_pSession;
    std::shared_ptr<Rotation> m_pRotation;
    Readiness m_nReadiness = Readiness::kReady;
    std::string m_sReadiness;
    SignalOptions m_signals;
};
