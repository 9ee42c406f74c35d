#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/pop3/Pop3Connection.h"
#include "core/pop3/Pop3Message.h"
#include "core/session/CachedRows.h"
#include "core/session/JobContext.h"
#include "core/storage/DumpFile.h"
#include "core/storage/HeaderCache.h"

// The header scan on one connection: log-in, STAT, LIST, UIDL, a TOP n 0
// per message (a window of them outstanding where the server lists
// PIPELINING), each row dumped, classified and handed to the context's row
// sink, then LIST n to prove the replies still paired with the commands.
// Leaves the session open; whoever runs it ends it.
class ScanJob {
public:
    ScanJob(CPop3Connection& connection, JobContext& context);

    // 0 when the scan ran to its end, was stopped or found no mail; -1 when
    // it failed, Status() saying why.
    int Run();
    // What the user is told (why it failed, or a note); empty: nothing.
    const std::string& Status() const { return m_sStatus; }
    // The number of the last row handed over; 0: none.
    int LastNum() const { return m_nLastNum; }
    // The scan succeeded with every message's UIDL: a purge may find the
    // rows again on a new session.
    bool CanReconnect() const { return m_bCanReconnect; }

private:
    std::optional<int> LogIn();
    std::optional<int> ReadListing();
    void SettleJournal();
    void OpenHeaderCache();
    void KeepDumpedAhead(int n);
    std::optional<int> FetchTop(int n, bool& bRead);
    int ReadNextRow(int n);
    MessageRow ReadRow(int n, uint64_t size);
    ScanRow BuiltRow(int n, uint64_t size, CachedRows::Entry& cached);
    int HandOver(int n, std::string& uidl, ScanRow queued, int nCached);
    MessageRow UnavailableRow(int n, uint64_t size);
    int FinishScan(int result);
    int ScanFailed(const std::string& status);
    int FailInConnectionPhase(const std::string& status);
    int EndInConnectionPhase(int result);
    void Answered();

    CPop3Connection& m_connection;
    JobContext& m_ctx;
    CDumpFile m_dump;
    CPop3Message m_message;  // the reply being read, reused
    int m_nCount = 0;        // the messages STAT announced
    bool m_bHaveUidl = false;
    int m_nWindow = 1;         // TOP commands kept outstanding
    int m_nQueued = 0;         // the last message whose TOP is sent
    uint64_t m_nRowBytes = 0;  // what the owner keeps, against m_ctx.m_nRowBudget
    int m_nLastNum = 0;
    bool m_bCanReconnect = false;
    std::string m_sStatus;
    CachedRows m_cachedRows;
    HeaderCacheWriter m_cacheOut;
    // Per message number, what the cache holds for it; nullptr: to be
    // fetched. Sized only when the cache is read.
    std::vector<CachedRows::Entry*> m_aCached;
    int m_nDumpedAhead = 0;   // messages 1 to this have their records in the dump already
    int m_nReachedAhead = 0;  // the last of those the scan came to
    int m_nFromCache = 0;     // rows whose header came from the cache
};
