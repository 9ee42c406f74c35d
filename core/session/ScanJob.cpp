#include "ScanJob.h"

#include <cerrno>
#include <unordered_set>
#include <utility>
#include <vector>

#include "core/platform/CoreText.h"
#include "core/filters/Classify.h"
#include "core/platform/LastError.h"
#include "core/platform/Secrets.h"
#include "core/platform/Trace.h"
#include "core/rows/ReadableRow.h"
#include "core/rows/RowBuilder.h"
#include "core/storage/PurgeLock.h"

namespace {

// The bytes a row's texts take, for the scan's budget.
uint64_t RowBytes(const MessageRow& row)
{
    size_t bytes = sizeof(MessageRow);
    for (const std::string* text : row.Texts())
        bytes += text->size();
    return bytes;
}

// The bytes of a row its owner keeps, for the scan's budget.
uint64_t KeptBytes(const ScanRow& row, RowKeeping keeping)
{
    switch (keeping) {
    case RowKeeping::kEveryRow:
        return RowBytes(row.m_row);
    case RowKeeping::kPurgeRows: {
        const uint64_t share = sizeof(PurgeRow) + row.m_row.m_sSubject.size() + row.m_row.m_sUidl.size();
        return row.m_nSuspect ? share + RowBytes(row.m_row) : share;
    }
    case RowKeeping::kNone:
        break;
    }
    return 0;
}

}  // namespace

ScanJob::ScanJob(CPop3Connection& connection, JobContext& context)
    : m_connection(connection),
      m_ctx(context),
      m_dump(CDumpFile::PathFor(context.m_account.m_sSection))
{ }

int ScanJob::Run()
{
    m_ctx.ApplyTiming(m_connection);
    // The cached messages' rows are built while the server logs in and
    // lists its messages, which is most of a second scan's time.
    if (m_ctx.m_nHeaderCache == HeaderCacheUse::kUse) {
        const Account& account = m_ctx.m_account;
        m_cachedRows.Start(HeaderCache::PathFor(account.m_sServer, account.m_sUser, account.m_sPort),
                           HeaderCache::Identity(account.m_sServer, account.m_sUser, account.m_sPort), m_ctx.m_lists,
                           m_ctx.m_nRowBudget, &m_dump);
    }
    const std::optional<int> loggedOut = LogIn();
    // The scan's copy of the password is not needed past the log-in.
    platform::SecureWipe(m_ctx.m_account.m_sPass);
    // Ended before the listing: the rows and dump begun ahead are not wanted.
    std::optional<int> ended = loggedOut ? loggedOut : ReadListing();
    if (ended) {
        m_cachedRows.Drop();
        return *ended;
    }
    if (m_bHaveUidl)
        SettleJournal();
    // The dump may have been begun ahead, from the header cache.
    OpenHeaderCache();
    if (!m_dump.IsOpen())
        m_dump.Open();
    if (m_dump.Failed())
        return FailInConnectionPhase(m_dump.FailureStatus());
    Answered();

    // With PIPELINING the TOP commands run up to a window ahead of the
    // replies, which are read strictly in order; without, one at a time.
    m_nWindow = m_connection.CanPipeline() ? ScreeningEngine::kPipelineWindow : 1;
    int result = 0;
    for (int n = 1; n <= m_nCount && result == 0 && !m_ctx.Stopped(); ++n) {
        if (m_ctx.m_fnWaitForRoom && !m_ctx.m_fnWaitForRoom())
            break;
        result = ReadNextRow(n);
    }
    if (!m_ctx.Stopped() && m_ctx.m_fnRowsEnd)
        m_ctx.m_fnRowsEnd();
    return FinishScan(result);
}

// The scan failed; m_sStatus says why.
int ScanJob::ScanFailed(const std::string& status)
{
    m_sStatus = status;
    return -1;
}

// The scan ends in its connection phase (stopped, failed or no mail), with
// this result.
int ScanJob::EndInConnectionPhase(int result)
{
    Answered();
    return result;
}

// A failure in the connection phase, which it ends.
int ScanJob::FailInConnectionPhase(const std::string& status)
{
    Answered();
    return ScanFailed(status);
}

// The connection phase is over, in success or failure.
void ScanJob::Answered()
{
    if (m_ctx.m_fnAnswered)
        m_ctx.m_fnAnswered();
}

// The connection phase up to the session. Empty once logged in; else the
// scan's result.
std::optional<int> ScanJob::LogIn()
{
    const Account& account = m_ctx.m_account;
    if (m_ctx.Stopped())
        return EndInConnectionPhase(0);
    // A security setting we do not know must not be taken for plain text.
    CPop3Connection::Security security = CPop3Connection::Security::kNone;
    if (!CPop3Connection::ParseSecurity(account.m_sSecurity, security))
        return FailInConnectionPhase(core_text::Say(
            "Scan",
            QT_TRANSLATE_NOOP("Scan", "Unknown connection security setting \"%1\": choose one under Manage Account."),
            {account.m_sSecurity}));
    m_connection.SetSecurity(security, account.m_sTlsFingerprint);
    if (const std::string problem = m_ctx.ApplyAuthentication(m_connection); !problem.empty())
        return FailInConnectionPhase(problem);
    // A stop after this is seen by the log-in; one before it, here.
    if (!m_ctx.ClearAbort(m_connection))
        return EndInConnectionPhase(0);
    const int port = ParsePort(account.m_sPort);
    if (port == 0 || !m_connection.Login(account.m_sServer, account.m_sUser, account.m_sPass, port)) {
        if (m_ctx.Stopped())
            return EndInConnectionPhase(0);
        // A host that cannot be reached keeps its old summary; every other
        // failure names its cause.
        const std::string reason = port == 0 ? std::string() : m_connection.GetFailureReason();
        return FailInConnectionPhase(
            reason.empty() ? core_text::Say("Scan", QT_TRANSLATE_NOOP("Scan", "Server Not Found")) : reason);
    }
    // Which account the session is of, without its password.
    m_ctx.m_sessionAccount = account;
    platform::SecureWipe(m_ctx.m_sessionAccount.m_sPass);
    if (m_ctx.m_fnLoggedIn)
        m_ctx.m_fnLoggedIn();
    // Stopped while logging in: whoever runs the scan ends the session; the
    // dump of the last scan is left as it is.
    if (m_ctx.Stopped())
        return EndInConnectionPhase(0);
    return std::nullopt;
}

// STAT, LIST and UIDL. Empty when there are rows to read; else the scan's
// result.
std::optional<int> ScanJob::ReadListing()
{
    int count = 0, total = 0;
    if (!m_connection.Stat(count, total) || count < 0) {
        if (platform::GetLastError() == EOVERFLOW)
            return FailInConnectionPhase(core_text::Say(
                "Scan",
                QT_TRANSLATE_NOOP(
                    "Scan", "The server reports more than %1 messages, more than one scan can show: nothing was read."),
                {std::to_string(pop3::kMaxMessages)}));
        return FailInConnectionPhase(SessionStatus(
            m_connection, core_text::Say("Scan", QT_TRANSLATE_NOOP("Scan", "Server Refused STAT Response"))));
    }
    if (m_ctx.m_fnCounted)
        m_ctx.m_fnCounted(count);
    m_nCount = count;
    if (count == 0) {
        m_sStatus = core_text::Say("Scan", QT_TRANSLATE_NOOP("Scan", "No emails waiting for you at the Server"));
        return EndInConnectionPhase(0);
    }
    if (!m_connection.List()) {
        if (m_connection.ListingProblem() != pop3::ReplyError::kNone)
            return FailInConnectionPhase(
                core_text::Say("Scan", QT_TRANSLATE_NOOP("Scan", "The server's message list (LIST) cannot be used: %1"),
                               {core_text::Say("Pop3", pop3::ReplyErrorText(m_connection.ListingProblem()))}));
        return FailInConnectionPhase(SessionStatus(
            m_connection,
            core_text::Say("Scan", QT_TRANSLATE_NOOP("Scan", "The server refused to list its messages (LIST): %1"),
                           {m_connection.GetLastReply()})));
    }
    // UIDL is optional (RFC 1939 §7): without it the rows have no lasting
    // ids, and a purge can only ever use this session.
    if (!m_connection.Uidl() && m_connection.IsBroken())
        return FailInConnectionPhase(SessionStatus(m_connection, ""));
    if (m_connection.ListingProblem() != pop3::ReplyError::kNone)
        return FailInConnectionPhase(core_text::Say(
            "Scan", QT_TRANSLATE_NOOP("Scan", "The server's list of message ids (UIDL) cannot be used: %1"),
            {core_text::Say("Pop3", pop3::ReplyErrorText(m_connection.ListingProblem()))}));
    m_bHaveUidl = m_connection.HasUidlListing();
    // A LIST shorter than the STAT count leaves a number without a size: the
    // server contradicts itself, so the scan fails rather than show a row
    // with a made-up size.
    uint64_t size = 0;
    if (!m_connection.GetSize(1, size))
        return FailInConnectionPhase(core_text::Say("Pop3", pop3::kListMismatchStatus));
    return std::nullopt;
}

// After the listings: a purge whose QUIT went unanswered (or a process that
// ended before it heard) left its messages pending. The server's UIDL
// listing settles them: an id no longer listed was deleted, one still
// listed was not (RFC 1939 §7: ids are not reused). Only while no purge of
// the account runs, which may be waiting for its own QUIT reply.
void ScanJob::SettleJournal()
{
    std::string account;
    DeletionJournal journal = m_ctx.SessionJournal(&account);
    const auto withId = [&] {
        std::vector<JournalEntry> pending = journal.Pending(m_ctx.SessionKey());
        std::erase_if(pending, [](const JournalEntry& entry) { return entry.m_sUidl.empty(); });
        return pending;
    };
    if (withId().empty())
        return;
    PurgeLock lock(journal.Folder(), account);
    if (!lock.Acquire(std::chrono::milliseconds(0)))
        return;
    std::vector<JournalEntry> pending = withId();
    std::unordered_set<std::string> listed;
    std::string uidl;
    for (int n = 1; n <= m_nCount; ++n)
        if (m_connection.GetUidl(n, uidl))
            listed.insert(uidl);
    for (JournalEntry& entry : pending) {
        // An id the server lists twice is still there, whichever it is.
        const bool bListed = listed.count(entry.m_sUidl) || m_connection.IsUidlAmbiguous(entry.m_sUidl);
        entry.m_nState = bListed ? JournalEntry::State::kNotDeleted : JournalEntry::State::kDeleted;
        entry.m_nTime = 0;
    }
    journal.Append(pending);
}

// The account's header cache, read unless the scan is to fetch everything
// again, and its new file begun. Without a UIDL listing a message has no
// lasting name, so nothing is kept or taken; an id the server lists twice
// (GetUidl refuses it) or a size that differs has its message fetched.
void ScanJob::OpenHeaderCache()
{
    if (!m_bHaveUidl || m_ctx.m_nHeaderCache == HeaderCacheUse::kOff) {
        m_cachedRows.Drop();
        m_dump.Rewind(0);
        return;
    }
    const Account& account = m_ctx.m_sessionAccount;
    const std::string path = HeaderCache::PathFor(account.m_sServer, account.m_sUser, account.m_sPort);
    const std::string identity = HeaderCache::Identity(account.m_sServer, account.m_sUser, account.m_sPort);
    if (!m_cachedRows.Finish())
        platform::Trace("The header cache %s was ignored; it is written again.", path.c_str());
    size_t found = 0;
    // The dump written ahead holds message n's record while the messages
    // up to n stand where the cache has them.
    bool bAhead = true;
    if (m_cachedRows.Count() > 0) {
        m_aCached.assign(static_cast<size_t>(m_nCount) + 1, nullptr);
        std::string uidl;
        uint64_t size = 0;
        for (int n = 1; n <= m_nCount; ++n) {
            const size_t place = static_cast<size_t>(n) - 1;
            CachedRows::Entry*& pEntry = m_aCached[static_cast<size_t>(n)];
            if (m_connection.GetUidl(n, uidl) && m_connection.GetSize(n, size)
                && (pEntry = m_cachedRows.Find(uidl, size, place)))
                ++found;
            bAhead = bAhead && pEntry && pEntry == m_cachedRows.At(place) && pEntry->m_bDumped;
            if (bAhead)
                m_nDumpedAhead = n;
        }
    }
    KeepDumpedAhead(m_nDumpedAhead);
    // Every message cached and no entry left over: the new file would say
    // the same as the old one, which FinishScan then keeps; not writing it
    // spares the scan a file of the mailbox's headers.
    if (found != static_cast<size_t>(m_nCount) || m_cachedRows.Count() != found)
        m_cacheOut.Open(path, identity);
}

// Of the records written ahead, keeps those of messages 1 to n.
void ScanJob::KeepDumpedAhead(int n)
{
    m_nDumpedAhead = n;
    m_dump.Rewind(n > 0 ? m_aCached[static_cast<size_t>(n)]->m_nDumpEnd : 0);
}

// Sends TOP for the window's messages that are to be fetched, and reads
// message n's reply into m_message. Empty: go on (bRead false when the
// server would not show it); else the scan's result.
std::optional<int> ScanJob::FetchTop(int n, bool& bRead)
{
    const auto fetched = [this](int k) { return m_aCached.empty() || !m_aCached[static_cast<size_t>(k)]; };
    // Tops the window up once half of it has been read: one write per half
    // window. A number the listing lacks ends the batch; the scan fails on
    // it when it gets there.
    if (m_nQueued < n || (m_nQueued - n < m_nWindow / 2 && m_nQueued < m_nCount)) {
        for (int k = m_nQueued + 1; k <= m_nCount && k < n + m_nWindow && (!fetched(k) || m_connection.QueueTop(k));
             ++k)
            m_nQueued = k;
        if (!m_connection.SendQueued())
            return ScanFailed(SessionStatus(
                m_connection, core_text::Say("Scan", QT_TRANSLATE_NOOP("Scan", "The connection was lost."))));
    }
    // Rows taken from the header cache were queued without telling the
    // owner; it is told before the scan waits on the server.
    if (n > 1 && !m_aCached.empty() && m_aCached[static_cast<size_t>(n) - 1] && m_ctx.m_fnRowsEnd)
        m_ctx.m_fnRowsEnd();
    bRead = m_connection.ReadTop(n, m_message);
    // A stop wakes the read above; its empty result must not reach the
    // dump as if it were this message's header.
    if (m_ctx.Stopped())
        return 0;
    if (!bRead && m_connection.IsBroken())
        return ScanFailed(SessionStatus(m_connection, ""));
    return std::nullopt;
}

// Message n read (or taken from the header cache), dumped, classified and
// handed to the row sink. 0: go on (or stopped); -1: the scan failed.
int ScanJob::ReadNextRow(int n)
{
    std::string uidl;
    if (m_bHaveUidl)
        m_connection.GetUidl(n, uidl);  // none usable: the row is checked by Subject alone
    uint64_t size = 0;
    if (!m_connection.GetSize(n, size))
        return ScanFailed(core_text::Say("Pop3", pop3::kListMismatchStatus));
    CachedRows::Entry* const pCached = m_aCached.empty() ? nullptr : m_aCached[static_cast<size_t>(n)];
    if (pCached && pCached->m_bBuilt) {
        if (!uidl.empty())
            m_cacheOut.Add(uidl, size, pCached->m_text);
        return HandOver(n, uidl, BuiltRow(n, size, *pCached), 1);
    }
    bool bRead = true;
    if (pCached)
        m_message.SetText(pCached->m_text);
    else if (const std::optional<int> ended = FetchTop(n, bRead))
        return *ended;

    ScanRow queued{bRead ? ReadRow(n, size) : UnavailableRow(n, size)};
    if (bRead && !uidl.empty())
        m_cacheOut.Add(uidl, size, m_message.Text());
    if (bRead)
        queued.m_nSuspect = ClassifyRow(m_ctx.m_lists, queued.m_row, &m_message);
    return HandOver(n, uidl, std::move(queued), pCached ? 1 : 0);
}

// A row made: counted against the budget and handed to the row sink.
// 0: go on; -1: the scan failed.
int ScanJob::HandOver(int n, std::string& uidl, ScanRow queued, int nCached)
{
    queued.m_row.m_sUidl = std::move(uidl);
    queued.m_nCached = nCached;
    m_nFromCache += nCached;
    if (m_dump.Failed())
        return ScanFailed(m_dump.FailureStatus());
    m_nRowBytes += KeptBytes(queued, m_ctx.m_nKeeping);
    if (m_nRowBytes > m_ctx.m_nRowBudget)
        return ScanFailed(core_text::Say(
            "Scan",
            QT_TRANSLATE_NOOP(
                "Scan",
                "The server's headers are larger than one scan can hold (%1 MiB); the scan stopped at message %2."),
            {std::to_string(m_ctx.m_nRowBudget >> 20), std::to_string(n)}));
    if (m_nLastNum == n)
        queued.m_nRepeat = 1;
    else
        m_nLastNum = n;
    if (m_ctx.m_fnRow)
        m_ctx.m_fnRow(std::move(queued));
    return 0;
}

// The row of a message whose header the server showed.
MessageRow ScanJob::ReadRow(int n, uint64_t size)
{
    m_dump.WriteRecord(n, size, m_message.Text());
    MessageRow row = BuildMessageRow(n, size, m_message);
    row.m_sIdentity = MessageIdentity(m_message);
    AddReadableTexts(row);
    row.m_nHeaderAt = static_cast<long long>(m_dump.LastTextOffset());
    row.m_nHeaderLength = m_message.Text().size();
    return row;
}

// A cached message's row as CachedRows built it, numbered and dumped as
// ReadRow does (unless its record was written ahead).
ScanRow ScanJob::BuiltRow(int n, uint64_t size, CachedRows::Entry& cached)
{
    uint64_t at = cached.m_nDumpAt;
    if (n > m_nDumpedAhead) {
        m_dump.WriteRecord(n, size, cached.m_text);
        at = m_dump.LastTextOffset();
    } else {
        m_nReachedAhead = n;
    }
    cached.m_bBuilt = false;  // taken
    ScanRow queued{std::move(cached.m_row), cached.m_nSuspect};
    queued.m_row.m_sNum = std::to_string(n);
    queued.m_row.m_nHeaderAt = static_cast<long long>(at);
    return queued;
}

// The server would not show this message: its row carries no text of any
// other message, is never checked and never deleted.
MessageRow ScanJob::UnavailableRow(int n, uint64_t size)
{
    const std::string mark = "(message unavailable: " + m_connection.GetLastReply() + ")";
    m_dump.WriteRecord(n, size, mark + "\r\n");
    MessageRow row = BuildMessageRow(n, size, CPop3Message());
    row.m_sSubject = mark;
    row.m_bUnavailable = true;
    return row;
}

// The checks after the last row, and the dump put in place.
int ScanJob::FinishScan(int result)
{
    // A reply that came late, or twice, sits ahead of later replies: the
    // rows after it would show the wrong messages. LIST n names its number,
    // so it proves the replies still pair with the commands.
    uint64_t lastSize = 0;
    if (result == 0 && m_nLastNum > 0 && !m_ctx.Stopped() && !m_connection.ListOne(m_nLastNum, lastSize))
        result =
            ScanFailed(SessionStatus(m_connection,
                                     core_text::Say("Scan", QT_TRANSLATE_NOOP("Scan", "The server refused LIST %1: %2"),
                                                    {std::to_string(m_nLastNum), m_connection.GetLastReply()})));
    if (result == 0)
        m_bCanReconnect = m_bHaveUidl;
    // The header cache is replaced only by a scan that read every message:
    // a stopped or failed one leaves the last as it was, and so does one
    // that took every message from it and left none of it unused (the new
    // file would say the same, at the cost of writing and syncing it).
    const bool bUnchanged = m_nFromCache == m_nCount && m_cachedRows.Count() == static_cast<size_t>(m_nCount);
    if (result == 0 && !m_ctx.Stopped() && m_nLastNum == m_nCount && !bUnchanged)
        m_cacheOut.Commit();
    else
        m_cacheOut.Abort();

    // The dump replaces the last one once the scan has ended or stopped; a
    // dump that cannot be completed is a failed scan. What was written ahead
    // for messages the scan did not reach is not part of it.
    if (m_nReachedAhead < m_nDumpedAhead)
        KeepDumpedAhead(m_nReachedAhead);
    if (!m_dump.Commit() && result == 0)
        result = ScanFailed(m_dump.FailureStatus());
    else if (result == 0 && m_dump.WasCut())
        m_sStatus = m_dump.CutStatus();
    return result;
}
