#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>
#include <thread>
#include <unordered_map>
#include <vector>

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
    // One message the cache holds.
    struct Entry {
        std::string_view m_text;  // the header text as kept (in the cache's bytes)
        uint64_t m_nSize = 0;     // its LIST size
        bool m_bBuilt = false;    // m_row and m_nSuspect hold its row, not yet taken
        MessageRow m_row;         // numbered 0, not yet dumped
        int m_nSuspect = 0;       // what ClassifyRow found
    };

    CachedRows() = default;
    CachedRows(const CachedRows&) = delete;
    CachedRows& operator=(const CachedRows&) = delete;
    ~CachedRows();

    // Reads the cache at `path` (HeaderCache::Load) and builds a row for
    // each message in it, with these lists, until the rows hold `budget`
    // bytes; the messages past that are built by the scan itself.
    void Start(std::string path, std::string identity, FilterLists lists, uint64_t budget);
    // Waits for the thread. False when a cache file was there but ignored.
    bool Finish();
    // Stops the thread early and forgets what it read.
    void Drop();
    // The message kept with this UIDL and size; nullptr when there is none.
    Entry* Find(std::string_view uidl, uint64_t size);
    // The messages the cache holds (after Finish).
    size_t Count() const { return m_aEntries.size(); }

private:
    void Build(const std::string& path, const std::string& identity, const FilterLists& lists, uint64_t budget);

    std::thread m_thread;
    std::atomic<bool> m_bStop{false};
    bool m_bLoaded = true;
    HeaderCache m_cache;
    std::vector<Entry> m_aEntries;
    std::unordered_map<std::string_view, size_t> m_index;  // UIDL (in the cache's bytes) to m_aEntries
};
