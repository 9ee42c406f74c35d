#include "ScreeningSession.h"

#include <algorithm>
#include <cstdlib>

#include "core/rows/ReadableRow.h"
#include "core/session/BackgroundCheck.h"
#include "core/session/PurgeJournal.h"

ScreeningSession::ScreeningSession(IScreeningListener& engineQueue, ISessionListener& owner)
    : m_owner(owner),
      m_pEngine(std::make_unique<ScreeningEngine>(engineQueue))
{ }

void ScreeningSession::LoadChoices(const Account& account)
{
    LoadChoicesFrom(RememberedChoices::PathFor(account.m_sServer, account.m_sUser, account.m_sPort));
}

void ScreeningSession::LoadChoicesFrom(const std::string& path)
{
    m_choices.Load(path);
}

void ScreeningSession::SetAdvanceChecks(AdvanceChecks checks)
{
    m_pAdvance = std::make_unique<AdvanceChecks>(std::move(checks));
}

void ScreeningSession::StartScan(const Account& account, const FilterLists& lists, RowKeeping keeping, bool bBackground)
{
    m_machine.StartScan(bBackground);
    ClearRows();
    m_nKeeping = keeping;
    m_pEngine->StartScan(account, lists, keeping);
}

void ScreeningSession::StopScan()
{
    m_machine.Stop();
    ClearRows();
    // Quits the connection: a read pending on the scan's thread fails at
    // once, and the scan sends nothing more.
    m_pEngine->Stop();
}

void ScreeningSession::Answered()
{
    const bool bAwaited = m_machine.AwaitsAnswer();
    m_machine.Answered();
    if (bAwaited)
        m_owner.OnAnswerWaitOver(AnswerWaitOver{false});
}

void ScreeningSession::AnswerWaitRanOut()
{
    if (!m_machine.AwaitsAnswer())
        return;
    // An answer already on its way to the owner's thread is no time-out.
    if (m_pEngine->IsAnswered()) {
        Answered();
        return;
    }
    // The scan goes on; its outcome still arrives as OnScanDone.
    m_machine.AnswerTimedOut();
    m_owner.OnAnswerWaitOver(AnswerWaitOver{true});
}

// A stopped scan's log-in is nobody's news.
void ScreeningSession::OnScanLoggedIn(const ScanLoggedIn& note)
{
    if (m_machine.IsScanning())
        m_owner.OnLoggedIn(note);
}

void ScreeningSession::OnScanDone(const ScanDone& note)
{
    const bool bBackground = m_machine.IsBackground();
    const SessionMachine::AfterScan after = m_machine.ScanDone(note.m_nResult == -1, Count() > 0);
    // A background check's rows stay; nothing is marked, so its QUIT
    // changes nothing, and a purge of them logs in again. A failed scan or
    // one with nothing to review has ended its session already.
    if (after == SessionMachine::AfterScan::kEndSession)
        m_pEngine->EndSession(false);
    m_owner.OnScanFinished(ScanFinished{note, after, bBackground, OutcomeOfScan(note)});
}

void ScreeningSession::KeepAlive()
{
    // RFC 1939 §3: the server may end an idle session after ten minutes; a
    // NOOP keeps it. The engine answers with OnSessionChecked.
    if (m_machine.KeepsAlive())
        m_pEngine->KeepAlive();
}

void ScreeningSession::OnSessionChecked(const SessionChecked& note)
{
    switch (m_machine.SessionChecked(note.m_bAlive, note.m_bCanReconnect)) {
    case SessionMachine::AfterCheck::kNothing:
        return;
    case SessionMachine::AfterCheck::kSessionLost:
        // The rows and the user's checks stay: the purge logs in again and
        // finds each message by its UIDL.
        m_owner.OnSessionLost(SessionLost{false});
        return;
    case SessionMachine::AfterCheck::kCancel:
        CancelReview();
        m_owner.OnSessionLost(SessionLost{true});
        return;
    }
}

void ScreeningSession::EndSession()
{
    m_machine.EndSession();
    m_pEngine->EndSession(false);
}

void ScreeningSession::CancelReview()
{
    m_machine.Cancel();
    ClearRows();
    // RFC 1939 §5: RSET unmarks anything marked as deleted, so the QUIT that
    // follows removes nothing. The engine sends both on its own thread.
    m_pEngine->EndSession(true);
}

void ScreeningSession::ClearRows()
{
    m_aFlags = {};
    m_aRows = {};
    m_aTaken = {};
    m_signalReasons = {};
    m_nChecked = 0;
    m_nSuspects = 0;
    m_bFromLastScan = false;
    m_previews.clear();
}

void ScreeningSession::RequestPreview(size_t nIndex, int nLines)
{
    if (nLines <= 0 || nIndex >= m_aFlags.size() || m_machine.IsPurging())
        return;
    PreviewRequest request{static_cast<int>(nIndex) + 1, {}, nLines};
    if (nIndex < m_aRows.size()) {
        request.m_sUidl = m_aRows[nIndex].m_sUidl;
        request.m_sSubject = m_aRows[nIndex].m_sSubject;
        request.m_sIdentity = m_aRows[nIndex].m_sIdentity;
    }
    const auto it = request.m_sUidl.empty() ? m_previews.end() : m_previews.find(request.m_sUidl);
    if (it != m_previews.end() && (it->second.m_request.m_nLines >= nLines || !it->second.m_preview.m_bCut)) {
        m_owner.OnPreviewReady(it->second);
        return;
    }
    m_pEngine->Preview(std::move(request));
}

// A preview of a row this review no longer shows (a new scan numbered the
// messages anew) is dropped.
void ScreeningSession::OnPreviewReady(const PreviewReady& note)
{
    const size_t nIndex = static_cast<size_t>(std::max(note.m_request.m_nNum, 1)) - 1;
    if (nIndex >= m_aFlags.size() || (nIndex < m_aRows.size() && m_aRows[nIndex].m_sUidl != note.m_request.m_sUidl))
        return;
    if (note.m_bShown && !note.m_request.m_sUidl.empty())
        m_previews[note.m_request.m_sUidl] = note;
    m_owner.OnPreviewReady(note);
}

void ScreeningSession::OnScanRow(const ScanRowsWaiting&)
{
    // No rows: they belonged to a scan that was stopped or abandoned, or an
    // earlier wake-up took them already.
    if (!m_pEngine->TakeRows(m_aTaken) || !m_machine.IsScanning())
        return;
    AddRows(m_aTaken);
    m_aTaken.clear();
}

uint8_t ScreeningSession::Decide(const ScanRow& row, int nNum) const
{
    uint8_t flags = row.m_nSuspect ? kSuspect : 0;
    if (row.m_row.m_bUnavailable)
        flags |= kUnavailable;
    const int choice = row.m_row.m_sUidl.empty() ? -1 : m_choices.Find(row.m_row.m_sUidl);
    if (choice >= 0)
        flags |= static_cast<uint8_t>(kByChoice | (choice == 1 ? kPreChecked : 0));
    else if (row.m_nSuspect)
        flags |= kPreChecked;
    if (m_pAdvance)
        return flags | ((m_pAdvance->m_bAll || m_pAdvance->m_rows.count(nNum)) ? kChecked : 0);
    return flags | ((flags & kPreChecked) ? kChecked : 0);
}

void ScreeningSession::KeepRow(const MessageRow& row, int nNum, bool bChecked)
{
    if (m_nKeeping == RowKeeping::kNone)
        return;
    // The window's user may check any row later: every row carries what the
    // journal records. mavix-cli's checks are final as the row arrives.
    PurgeRow purge = PurgeRowOf(row, nNum, bChecked || m_nKeeping == RowKeeping::kEveryRow);
    purge.m_bChecked = bChecked;
    m_aRows.push_back(std::move(purge));
}

void ScreeningSession::AddRows(std::vector<ScanRow>& rows)
{
    const size_t nFirst = m_aFlags.size();
    size_t nCount = 0;
    bool bRepeated = false;
    // Grown by half at least: an exact reserve per take would copy every
    // row again each time.
    const size_t nWanted = m_aFlags.size() + rows.size();
    if (m_nKeeping != RowKeeping::kNone && m_aRows.capacity() < nWanted)
        m_aRows.reserve(std::max(nWanted, m_aRows.capacity() * 3 / 2));
    for (const ScanRow& row : rows) {
        if (row.m_nRepeat) {
            bRepeated = true;
            break;
        }
        const int nNum = static_cast<int>(m_aFlags.size()) + 1;
        const uint8_t flags = Decide(row, nNum);
        if (row.m_nSuspect == kSuspectBySignal)
            m_signalReasons[m_aFlags.size()] = row.m_row.m_sReason;
        m_aFlags.push_back(flags);
        m_nChecked += (flags & kChecked) ? 1 : 0;
        m_nSuspects += (flags & kSuspect) ? 1 : 0;
        KeepRow(row.m_row, nNum, (flags & kChecked) != 0);
        ++nCount;
    }
    rows.resize(nCount);
    if (nCount > 0) {
        Answered();
        m_owner.OnRowsAdded(RowsAdded{nFirst, nCount, &rows});
    }
    if (bRepeated) {
        // Nothing on this session can be trusted; the engine delivers no
        // further row of this scan, nor its end.
        m_pEngine->Stop();
        const bool bBackground = m_machine.IsBackground();
        m_machine.ScanDone(true, false);
        m_owner.OnRepeatedNumber(RepeatedNumber{bBackground});
    }
}

std::vector<std::string> ScreeningSession::SuspectKeys() const
{
    std::vector<std::string> keys;
    for (size_t i = 0; i < m_aFlags.size() && i < m_aRows.size(); ++i) {
        if (m_aFlags[i] & kSuspect)
            keys.push_back(BackgroundCheck::SuspectKey(m_aRows[i].m_sUidl, std::to_string(m_aRows[i].m_nNum),
                                                       m_aRows[i].m_sSubject));
    }
    return keys;
}

bool ScreeningSession::Flip(size_t nIndex, bool bChecked)
{
    if (nIndex >= m_aFlags.size() || IsFixed(nIndex) || IsChecked(nIndex) == bChecked)
        return false;
    m_aFlags[nIndex] = static_cast<uint8_t>(bChecked ? (m_aFlags[nIndex] | kChecked) : (m_aFlags[nIndex] & ~kChecked));
    if (nIndex < m_aRows.size())
        m_aRows[nIndex].m_bChecked = bChecked;
    m_nChecked += bChecked ? 1 : -1;
    return true;
}

void ScreeningSession::Remember(size_t nIndex)
{
    if (nIndex < m_aRows.size())
        m_choices.Record(m_aRows[nIndex].m_sUidl, IsChecked(nIndex), IsSuspect(nIndex));
}

void ScreeningSession::SaveChoices()
{
    // Written at once: the choice must outlive a crash or a killed session.
    if (!m_choices.Path().empty())
        m_choices.Save();
}

bool ScreeningSession::SetChecked(size_t nIndex, bool bChecked)
{
    if (nIndex >= m_aFlags.size() || IsFixed(nIndex))
        return false;
    if (Flip(nIndex, bChecked)) {
        Remember(nIndex);
        SaveChoices();
        m_owner.OnCheckChanged(CheckChanged{nIndex, nIndex, m_nChecked});
    }
    return true;
}

void ScreeningSession::ToggleChecked(const std::vector<size_t>& indexes)
{
    size_t nFirst = m_aFlags.size();
    size_t nLast = 0;
    bool bAny = false;
    for (size_t i : indexes) {
        if (!Flip(i, !IsChecked(i)))
            continue;
        Remember(i);
        nFirst = std::min(nFirst, i);
        nLast = std::max(nLast, i);
        bAny = true;
    }
    if (!bAny)
        return;
    SaveChoices();
    m_owner.OnCheckChanged(CheckChanged{nFirst, nLast, m_nChecked});
}

void ScreeningSession::SetAllChecked(bool bChecked)
{
    if (m_aFlags.empty())
        return;
    for (size_t i = 0; i < m_aFlags.size(); ++i)
        Flip(i, bChecked);
    m_owner.OnCheckChanged(CheckChanged{0, m_aFlags.size() - 1, m_nChecked});
}

void ScreeningSession::Reclassify(const FilterLists& lists, IRowTexts& texts)
{
    const size_t nRows = std::min(texts.RowCount(), m_aFlags.size());
    if (nRows == 0)
        return;
    for (size_t i = 0; i < nRows; ++i) {
        // A message the server would not show is never judged, nor one
        // from the last scan.
        if (IsFixed(i))
            continue;
        MessageRow judged = texts.RowAt(i);
        const auto signal = m_signalReasons.find(i);
        const bool bSuspect =
            ClassifyRow(lists, judged, nullptr, signal == m_signalReasons.end() ? nullptr : &signal->second) != 0;
        texts.SetReason(i, judged.m_sReason);
        // The journal records why the row is checked as it is now.
        if (i < m_aRows.size() && m_aRows[i].m_pJournal)
            m_aRows[i].m_pJournal = PurgeRowOf(judged, m_aRows[i].m_nNum, true).m_pJournal;
        if (bSuspect == IsSuspect(i))
            continue;
        m_aFlags[i] = static_cast<uint8_t>(bSuspect ? (m_aFlags[i] | kSuspect) : (m_aFlags[i] & ~kSuspect));
        m_nSuspects += bSuspect ? 1 : -1;
        const bool bRemembered = m_choices.Find(judged.m_sUidl) >= 0;
        if (!bRemembered)
            Flip(i, bSuspect);
    }
    m_owner.OnCheckChanged(CheckChanged{0, nRows - 1, m_nChecked});
}

std::vector<PurgeRow> ScreeningSession::PurgeSnapshot() const
{
    std::vector<PurgeRow> rows = m_aRows;
    // An unchecked row is never journaled.
    for (PurgeRow& row : rows)
        if (!row.m_bChecked)
            row.m_pJournal = nullptr;
    return rows;
}

void ScreeningSession::StartPurge()
{
    m_machine.StartPurge();
    m_nPurgeChecked = m_nChecked;
    m_pEngine->StartPurge(PurgeSnapshot());
    if (m_nKeeping != RowKeeping::kEveryRow)
        m_aRows = {};
}

void ScreeningSession::PruneChoices()
{
    // Only a complete listing says which messages are gone.
    if (m_aRows.size() != m_aFlags.size() || static_cast<int>(m_aFlags.size()) != m_pEngine->MsgCount())
        return;
    std::vector<std::string> uidls;
    uidls.reserve(m_aRows.size());
    // A server without UIDL gives nothing to key on.
    for (const PurgeRow& row : m_aRows) {
        if (row.m_sUidl.empty())
            return;
        uidls.push_back(row.m_sUidl);
    }
    if (m_choices.Prune(uidls))
        SaveChoices();
}

void ScreeningSession::OnPurgeDone(const PurgeDone& note)
{
    PurgeFinished finished{note.m_result,
                           PurgeSummaryText(note.m_result),
                           OutcomeOfPurge(note.m_result, m_nPurgeChecked),
                           {},
                           m_nPurgeChecked,
                           false};
    finished.m_bClose = m_machine.PurgeDone();
    m_nPurgeChecked = 0;
    // What was (or may have been) deleted goes; the rest stays until the
    // next scan, unchecked and fixed.
    if (note.m_result.m_bCommitted || note.m_result.m_bUnconfirmed)
        finished.m_aRemoved = note.m_result.m_aMarked;
    finished.m_aRemoved.insert(finished.m_aRemoved.end(), note.m_result.m_aGone.begin(), note.m_result.m_aGone.end());
    KeepAfterPurge(finished.m_aRemoved);
    m_owner.OnPurgeFinished(finished);
}

void ScreeningSession::KeepAfterPurge(const std::vector<int>& removed)
{
    std::vector<bool> gone(m_aFlags.size(), false);
    for (int num : removed)
        if (num >= 1 && static_cast<size_t>(num) <= gone.size())
            gone[static_cast<size_t>(num - 1)] = true;
    std::vector<uint8_t> flags;
    std::vector<PurgeRow> rows;
    std::unordered_map<size_t, std::string> signalReasons;
    m_nSuspects = 0;
    for (size_t i = 0; i < m_aFlags.size(); ++i) {
        if (gone[i])
            continue;
        if (const auto signal = m_signalReasons.find(i); signal != m_signalReasons.end())
            signalReasons[flags.size()] = std::move(signal->second);
        flags.push_back(static_cast<uint8_t>(m_aFlags[i] & ~kChecked));
        m_nSuspects += (m_aFlags[i] & kSuspect) ? 1 : 0;
        if (i < m_aRows.size()) {
            rows.push_back(std::move(m_aRows[i]));
            rows.back().m_bChecked = false;
        }
    }
    m_aFlags = std::move(flags);
    m_aRows = std::move(rows);
    m_signalReasons = std::move(signalReasons);
    m_nChecked = 0;
    m_bFromLastScan = true;
}
