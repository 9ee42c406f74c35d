#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/filters/FilterLists.h"
#include "core/session/ScreeningEngine.h"
#include "core/session/SessionMachine.h"
#include "core/session/SessionOutcome.h"
#include "core/storage/RememberedChoices.h"

// The session's states, for its owner to render.
using SessionState = SessionMachine::State;

// The notes a session gives its owner, each a value. The session has made
// its move before it tells: each note says where the flow went and what the
// owner must show or do. The engine's ScanLoggedIn, PurgeProgress and
// ServerWaiting pass through as they came.
struct AnswerWaitOver {  // the owner's wait for the scan's answer is over
    // The answer did not come in time: the scan goes on (its end still
    // arrives), but the user can no longer stop it. Otherwise it came.
    bool m_bTimedOut = false;
};
struct RowsAdded {        // rows joined the session, message order
    size_t m_nFirst = 0;  // the session's index of the first
    size_t m_nCount = 0;
    // Their texts, the owner's to move from during the call; the session
    // has kept what deciding and purging need.
    std::vector<ScanRow>* m_pRows = nullptr;
};
struct RepeatedNumber {          // the server numbered two messages alike: the scan is stopped (kIdle)
    bool m_bBackground = false;  // it was a background check
};
struct CheckChanged {  // check boxes changed, message-order indexes
    size_t m_nFirst = 0;
    size_t m_nLast = 0;
    int m_nChecked = 0;  // rows checked now
};
struct ScanFinished {  // the scan ended
    ScanDone m_done;
    // kReview: the rows wait for the user (kReviewing); kEndSession: a
    // background check's rows stay and its session is being ended
    // (kEnding); kIdle: failed, or nothing to review.
    SessionMachine::AfterScan m_nAfter = SessionMachine::AfterScan::kIdle;
    bool m_bBackground = false;  // it was a background check
    SessionOutcome m_outcome;    // OutcomeOfScan(m_done)
};
struct SessionLost {  // the keep-alive found the review's session gone
    // The rows cannot be matched to messages again (no UIDL): the review is
    // cancelled (kIdle) and what is left of its session ended. Otherwise
    // the review stays and its purge logs in again.
    bool m_bCancelled = false;
};
struct SessionOver {   // a session's end the engine was asked for is done
    SessionEnd m_end;  // what the server refused, if anything
    // kBackgroundDone: the background check is over, its rows kept;
    // kTell: tell the user m_end's refusals; kTellAndClose: then close, as
    // the preference asks after a Cancel.
    SessionMachine::AfterSessionEnd m_nAfter = SessionMachine::AfterSessionEnd::kTell;
};
struct PurgeFinished {
    PurgeResult m_result;
    std::string m_sSummary;       // PurgeSummaryText(m_result)
    SessionOutcome m_outcome;     // OutcomeOfPurge: what every front end renders
    std::vector<int> m_aRemoved;  // row numbers gone (or possibly gone) from the server
    int m_nChecked = 0;           // rows the purge was given checked
    bool m_bClose = false;        // close now, as the preference asks
};

// The owner of a session, on the owner's thread: one method per note.
class ISessionListener {
public:
    virtual ~ISessionListener() = default;
    virtual void OnAnswerWaitOver(const AnswerWaitOver&) { }
    // The scan logged in: how, and whether the password travelled
    // unencrypted (the owner says so beside the count).
    virtual void OnLoggedIn(const ScanLoggedIn&) { }
    virtual void OnRowsAdded(const RowsAdded&) { }
    virtual void OnRepeatedNumber(const RepeatedNumber&) { }
    virtual void OnCheckChanged(const CheckChanged&) { }
    virtual void OnScanFinished(const ScanFinished&) { }
    virtual void OnPurgeProgress(const PurgeProgress&) { }
    virtual void OnPurgeFinished(const PurgeFinished&) { }
    virtual void OnSessionLost(const SessionLost&) { }
    virtual void OnSessionOver(const SessionOver&) { }
    virtual void OnServerWaiting(const ServerWaiting&) { }
    // A row's preview (RequestPreview), or why there is none.
    virtual void OnPreviewReady(const PreviewReady&) { }
};

// The texts of the rows shown, for classifying them again: the session keeps
// no display texts.
class IRowTexts {
public:
    virtual ~IRowTexts() = default;
    virtual size_t RowCount() const = 0;
    virtual MessageRow RowAt(size_t nIndex) const = 0;
    virtual void SetReason(size_t nIndex, const std::string& reason) = 0;
};

// One account's screening, from the log-in to the end of the review, without
// a toolkit: the engine and the session's flow (SessionMachine: every move
// is made here, on an engine's note or the owner's request, and told to the
// owner as a note), the account's remembered
// choices, and the one rule that says which rows are checked: the lists'
// verdict, then the choice the user left at an earlier scan, then the
// user's own checks in this review. It keeps per row what deciding and
// purging need (the purge's PurgeRow, built as the row arrives); the front
// ends keep the display texts and only render what it says.
//
// Runs on its owner's thread. The engine's notes reach it through the
// owner's queue: the owner builds the engine's listener and hands each
// queued note to DeliverNote(note, session).
class ScreeningSession {
public:
    ScreeningSession(IScreeningListener& engineQueue, ISessionListener& owner);
    ScreeningSession(const ScreeningSession&) = delete;
    ScreeningSession& operator=(const ScreeningSession&) = delete;

    ScreeningEngine& Engine() { return *m_pEngine; }
    const ScreeningEngine& Engine() const { return *m_pEngine; }
    // The engine, for an owner that lets the program leave without waiting
    // for its workers (they are never killed).
    ScreeningEngine* ReleaseEngine() { return m_pEngine.release(); }
    bool HasEngine() const { return m_pEngine != nullptr; }

    // The account's remembered choices: read from the account's file, or
    // from `path` (tests); an empty path keeps none.
    void LoadChoices(const Account& account);
    void LoadChoicesFrom(const std::string& path);
    const RememberedChoices& Choices() const { return m_choices; }
    // The copies kept before each DELE; the journal's folder (empty: the
    // usual place).
    void SetQuarantine(QuarantineOptions options) { m_pEngine->SetQuarantine(std::move(options)); }
    void SetJournalFolder(std::string folder) { m_pEngine->SetJournalFolder(std::move(folder)); }
    // Where log-ins with an OAuth method get their access token.
    void SetTokenSource(pop3::TokenSource tokens) { m_pEngine->SetTokenSource(std::move(tokens)); }
    // What the next scans do with the account's header cache.
    void SetHeaderCache(HeaderCacheUse use) { m_pEngine->SetHeaderCache(use); }

    // The user's checks given before the rows come (mavix-cli's --all and
    // --rows): they replace every row's pre-check and are not remembered.
    struct AdvanceChecks {
        bool m_bAll = false;
        std::set<int> m_rows;  // message numbers
    };
    void SetAdvanceChecks(AdvanceChecks checks);

    // Where the flow is (read-only; the moves are the session's).
    SessionState State() const { return m_machine.Current(); }
    bool IsScanning() const { return m_machine.IsScanning(); }
    bool IsReviewing() const { return m_machine.IsReviewing(); }
    bool IsPurging() const { return m_machine.IsPurging(); }
    bool IsBackground() const { return m_machine.IsBackground(); }
    bool AwaitsAnswer() const { return m_machine.AwaitsAnswer(); }
    bool CanStop() const { return m_machine.CanStop(); }
    bool KeepsAlive() const { return m_machine.KeepsAlive(); }
    bool MayStartBackground() const { return m_machine.MayStartBackground(); }
    // The preference: close once a purge has ended, or the session a
    // Cancel ended (PurgeFinished::m_bClose, SessionOver's kTellAndClose).
    void SetCloseWhenDone(bool bClose) { m_machine.SetCloseWhenDone(bClose); }
    bool CloseWhenDone() const { return m_machine.CloseWhenDone(); }

    // A scan of the account with the lists (kConnecting); the rows of the
    // last one go.
    void StartScan(const Account& account, const FilterLists& lists, RowKeeping keeping, bool bBackground);
    // The scan is stopped and its rows go (kIdle); no note of it follows.
    void StopScan();
    // The owner's wait for the scan's answer ran out: OnAnswerWaitOver says
    // whether the answer came after all. Nothing while no answer is awaited.
    void AnswerWaitRanOut();
    // The review's session is kept with a NOOP, while there is one to keep;
    // a gone one is told as OnSessionLost.
    void KeepAlive();
    // The review's session ends (nothing is marked, so its QUIT changes
    // nothing) and the owner waits for it: kEnding, then OnSessionOver.
    void EndSession();
    // The review is cancelled and its rows go (kIdle): RSET and QUIT, not
    // waited for; OnSessionOver tells what the server refused.
    void CancelReview();
    // The owner no longer waits for a session's end: kIdle.
    void StopWaiting() { m_machine.Stop(); }
    // The rows go (a cancelled review, a failed scan).
    void ClearRows();
    // Rows as the engine hands them over, in message order (the seam the
    // engine's note uses, and tests): each is decided by the rule. A row
    // numbered twice stops the scan (OnRepeatedNumber).
    void AddRows(std::vector<ScanRow>& rows);

    size_t Count() const { return m_aFlags.size(); }
    bool IsChecked(size_t nIndex) const { return Has(nIndex, kChecked); }
    bool IsSuspect(size_t nIndex) const { return Has(nIndex, kSuspect); }
    // What Mavix pre-checks, whatever checks were given in advance: the
    // verdict, then the remembered choice.
    bool IsPreChecked(size_t nIndex) const { return Has(nIndex, kPreChecked); }
    // The row's check box cannot change: the server would not show the
    // message, or the row is from the last scan.
    bool IsFixed(size_t nIndex) const { return m_bFromLastScan || Has(nIndex, kUnavailable); }
    bool IsFromLastScan() const { return m_bFromLastScan; }
    int CheckedCount() const { return m_nChecked; }
    int SuspectCount() const { return m_nSuspects; }
    // The mailbox's messages: the STAT count until the scan ends, then the
    // rows it delivered.
    int MsgCount() const { return m_pEngine->MsgCount(); }
    // The suspect rows as BackgroundCheck tells them apart.
    std::vector<std::string> SuspectKeys() const;

    // The user's click: remembered for the row's UIDL. False: the row's
    // check box cannot change.
    bool SetChecked(size_t nIndex, bool bChecked);
    // Flips the rows (Space on a selection), remembered.
    void ToggleChecked(const std::vector<size_t>& indexes);
    // Check All / Uncheck All: every row that can change, not remembered.
    void SetAllChecked(bool bChecked);
    // Classifies the rows shown again after a list changed: a row whose
    // verdict changed takes it unless the user's choice for it is kept.
    void Reclassify(const FilterLists& lists, IRowTexts& texts);

    // What the purge works from, in message order: row r is message r + 1.
    std::vector<PurgeRow> PurgeSnapshot() const;
    // Purges the checked rows (kPurging), until OnPurgeFinished.
    void StartPurge();
    // Wakes the purge's waits at once; before QUIT nothing is deleted.
    void CancelPurge() { m_pEngine->CancelPurge(); }
    // The start of row nIndex's message, nLines body lines of it: from what
    // this review fetched already when that was as much, else fetched on the
    // review's session (never while a purge runs); OnPreviewReady follows,
    // at once from the cache. nLines 0 (previews are off): nothing.
    void RequestPreview(size_t nIndex, int nLines);
    // The choices of UIDLs the server no longer lists are forgotten, once a
    // complete scan has listed them all.
    void PruneChoices();

    // The engine's notes, on the owner's thread (DeliverNote).
    void OnScanAnswered(const ScanAnswered&) { Answered(); }
    void OnScanLoggedIn(const ScanLoggedIn& note);
    void OnScanRow(const ScanRowsWaiting& note);
    void OnScanDone(const ScanDone& note);
    void OnPurgeProgress(const PurgeProgress& note) { m_owner.OnPurgeProgress(note); }
    void OnPurgeDone(const PurgeDone& note);
    void OnSessionChecked(const SessionChecked& note);
    void OnSessionEnded(const SessionEnd& note) { m_owner.OnSessionOver(SessionOver{note, m_machine.SessionEnded()}); }
    void OnServerWaiting(const ServerWaiting& note) { m_owner.OnServerWaiting(note); }
    void OnPreviewReady(const PreviewReady& note);

private:
    enum Flag : uint8_t { kChecked = 1, kSuspect = 2, kByChoice = 4, kUnavailable = 8, kPreChecked = 16 };
    bool Has(size_t nIndex, uint8_t flag) const { return nIndex < m_aFlags.size() && (m_aFlags[nIndex] & flag); }
    // The scan answered, or its first rows came: kScanning.
    void Answered();
    // The rule at a row's arrival: the verdict, then the remembered choice,
    // or the checks given in advance.
    uint8_t Decide(const ScanRow& row, int nNum) const;
    void KeepRow(const MessageRow& row, int nNum, bool bChecked);
    bool Flip(size_t nIndex, bool bChecked);
    void Remember(size_t nIndex);
    void SaveChoices();
    void KeepAfterPurge(const std::vector<int>& removed);

    ISessionListener& m_owner;
    std::unique_ptr<ScreeningEngine> m_pEngine;
    SessionMachine m_machine;
    RememberedChoices m_choices;
    std::unique_ptr<AdvanceChecks> m_pAdvance;
    RowKeeping m_nKeeping = RowKeeping::kEveryRow;
    // Per row: its flags always; its PurgeRow unless nothing is kept.
    std::vector<uint8_t> m_aFlags;
    std::vector<PurgeRow> m_aRows;
    std::vector<ScanRow> m_aTaken;  // the last take from the engine, reused
    // By row index: the reason a sender signal gave at the scan. The header
    // it read is gone by a reclassification, which keeps this instead.
    std::unordered_map<size_t, std::string> m_signalReasons;
    int m_nChecked = 0;
    int m_nSuspects = 0;
    int m_nPurgeChecked = 0;
    bool m_bFromLastScan = false;
    // The previews this review fetched, by UIDL: a row without one is
    // fetched each time.
    std::map<std::string, PreviewReady> m_previews;
};
