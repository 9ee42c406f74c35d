#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "core/pop3/Pop3Connection.h"
#include "core/session/ScreeningEngine.h"
#include "core/storage/AccountKey.h"
#include "core/storage/DeletionJournal.h"
#include "core/storage/HeaderCache.h"

// What one job on the session is given: value snapshots of what it needs,
// taken when it starts, and the callbacks it reports through. A job never
// sees who runs it: the engine fills these on its worker; a test fills
// only what its job uses. An empty callback does nothing (an empty
// m_fnStopped: never stopped).
struct JobContext {
    JobContext() = default;
    JobContext(const JobContext&) = delete;
    JobContext& operator=(const JobContext&) = delete;
    ~JobContext();  // wipes the password

    // The account to log in with (the scan, or a purge whose session was
    // lost), password filled in; the job wipes the password once it has
    // logged in.
    Account m_account;
    // The account the review's session was opened with, without its
    // password: whose journal it is, and whether m_account still names the
    // same mailbox. The scan sets it once it has logged in.
    Account m_sessionAccount;
    FilterLists m_lists;  // the scan classifies with these
    RowKeeping m_nKeeping = RowKeeping::kEveryRow;
    uint64_t m_nRowBudget = ScreeningEngine::kMaxScanRowBytes;
    QuarantineOptions m_quarantine;
    std::string m_sJournalFolder;  // empty: the usual place
    // The account owns the journal lines of earlier versions
    // (AccountKey::m_bOwnsLegacy).
    bool m_bOwnsLegacyJournal = true;
    // The server's wait (ScreeningEngine::SetServerWait); empty: the
    // connection keeps its own timing.
    std::optional<CPop3Connection::Timing> m_timing;
    // Where the OAuth methods get their access token
    // (ScreeningEngine::SetTokenSource); empty: none.
    pop3::TokenSource m_fnTokens;
    // Whether the scan reads and writes the account's header cache.
    HeaderCacheUse m_nHeaderCache = HeaderCacheUse::kOff;
    // The last scan's rows can be found again by UIDL on a new session.
    bool m_bCanReconnect = false;

    // The scan was stopped, or the purge cancelled: every job asks between
    // its steps. Whoever sets it also aborts the connection.
    std::function<bool()> m_fnStopped;
    // Clears the connection's Abort before a log-in, unless stopped: in one
    // step with the stop, which aborts the connection (the engine takes its
    // lock). False: stopped, the Abort stays. Empty: m_fnStopped, then
    // CPop3Connection::ClearAbort.
    std::function<bool()> m_fnClearAbort;

    // The scan's reports: the connection phase ended; STAT's count; the
    // session opened (m_sessionAccount is set); room for one more row
    // (false: stopped); a row for the owner; the last row was handed over.
    std::function<void()> m_fnAnswered;
    std::function<void(int)> m_fnCounted;
    std::function<void()> m_fnLoggedIn;
    std::function<bool()> m_fnWaitForRoom;
    std::function<void(ScanRow)> m_fnRow;
    std::function<void()> m_fnRowsEnd;
    // The purge's report, one per row visited.
    std::function<void(const PurgeProgress&)> m_fnProgress;

    bool Stopped() const { return m_fnStopped && m_fnStopped(); }
    bool ClearAbort(CPop3Connection& connection) const;
    void ApplyTiming(CPop3Connection& connection) const;
    // Before every log-in: m_account's Authentication and m_fnTokens on the
    // connection. Empty when set; else why no log-in may be tried (a stored
    // method nobody knows, or an OAuth method without a token source), in
    // the user's words.
    std::string ApplyAuthentication(CPop3Connection& connection) const;
    // The key of the account the review's session was opened with.
    AccountKey SessionKey() const;
    // The journal of the review's session; `pAccount` gets its account name
    // (SessionKey().JournalName()).
    DeletionJournal SessionJournal(std::string* pAccount) const;
};

// The user's words for a session that broke, or `fallback` when it did not.
std::string SessionStatus(const CPop3Connection& connection, const std::string& fallback);

// The port text as the account holds it (leading blanks, an optional sign,
// then decimal digits up to the first non-digit); 0 when it is no usable
// TCP port.
int ParsePort(const std::string& text);
