#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>
#include <thread>
#include <unordered_map>

#include "core/filters/FilterLists.h"
#include "core/rows/MessageRow.h"
#include "core/storage/HeaderCache.h"

// The rows of the messages an account's header cache holds, built and
// classified on a thread of their own while the server is still answering
// STAT, LIST and UIDL: a second scan of a mailbox then costs little more
// than its listing. Only a head start: the scan takes a row for message n
// only when the listing gives n the UIDL and size the header was kept
// under, then numbers it and dumps it as it does every other row.
class CachedRows {
public:
    struct Row {
        MessageRow m_row;    // numbered 0, not yet dumped
        int m_nSuspect = 0;  // what ClassifyRow found
    };

    CachedRows() = default;
    CachedRows(const CachedRows&) = delete;
    CachedRows& operator=(const CachedRows&) = delete;
    ~CachedRows();

    // Reads the cache at `path` (HeaderCache::Load) and builds a row for
    // each message in it, with these lists, until the rows hold `budget`
    // bytes; the messages past that are built by the scan itself.
    void Start(std::string path, std::string identity, FilterLists lists, uint64_t budget);
    // Waits for the thread. The cache as read; empty when it was ignored
    // (bLoaded false) or never started.
    HeaderCache& Finish(bool& bLoaded);
    // Stops the thread early and drops what it built.
    void Drop();
    // The row built for this message, moved out; false when there is none.
    bool Take(std::string_view uidl, uint64_t size, Row& row);

private:
    void Build(const std::string& path, const std::string& identity, const FilterLists& lists, uint64_t budget);

    std::thread m_thread;
    std::atomic<bool> m_bStop{false};
    bool m_bLoaded = false;
    HeaderCache m_cache;
    struct Kept {
        uint64_t m_nSize;
        Row m_row;
    };
    std::unordered_map<std::string_view, Kept> m_rows;  // keys point into the cache's bytes
};
