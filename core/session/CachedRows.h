#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "core/filters/FilterLists.h"
#include "core/rows/MessageRow.h"
#include "core/storage/DumpFile.h"
#include "core/storage/HeaderCache.h"

// The rows of the messages an account's header cache holds, built and
// classified on a thread of their own while the server is still answering
// STAT, LIST and UIDL: a second scan of a mailbox then costs little more
// than its listing. Only a head start: the scan takes a row for message n
// only when the listing gives n the UIDL and size the header was kept
// under, then numbers it and dumps it as it does every other row.
//
// The thread also writes the dump ahead, on the guess that the mailbox
// still numbers its messages as the cache file lists them (the order of the
// scan that wrote it). The scan keeps the records up to the first message
// the listing numbers otherwise and takes back the rest (CDumpFile::Rewind).
class CachedRows {
public:
    // One message the cache holds.
    struct Entry {
        std::string_view m_uidl;  // in the cache's bytes
        std::string_view m_text;  // the header text as kept (in the cache's bytes)
        uint64_t m_nSize = 0;     // its LIST size
        bool m_bBuilt = false;    // m_row and m_nSuspect hold its row, not yet taken
        bool m_bDumped = false;   // its record is in the dump ahead, numbered by its place
        uint64_t m_nDumpAt = 0;   // there, where its text starts
        uint64_t m_nDumpEnd = 0;  // and where its record ends
        MessageRow m_row;         // numbered 0
        int m_nSuspect = 0;       // what ClassifyRow found
    };

    CachedRows() = default;
    CachedRows(const CachedRows&) = delete;
    CachedRows& operator=(const CachedRows&) = delete;
    ~CachedRows();

    // Reads the cache at `path` (HeaderCache::Load) and builds a row for
    // each message in it, with these lists, until the rows hold `budget`
    // bytes; the messages past that are built by the scan itself. With
    // `pDump`, opens it and writes the built rows' records into it, message
    // k+1 for the cache's k-th entry; the thread owns it until Finish or
    // Drop.
    void Start(std::string path, std::string identity, FilterLists lists, uint64_t budget, CDumpFile* pDump);
    // Waits for the thread. False when a cache file was there but ignored.
    bool Finish();
    // Stops the thread early and forgets what it read.
    void Drop();
    // The message kept with this UIDL and size; nullptr when there is none.
    // Looks first at the entry at `place` (the message's number less one),
    // where an unchanged mailbox has it.
    Entry* Find(std::string_view uidl, uint64_t size, size_t place);
    // The entry at `place` in the cache's order.
    const Entry* At(size_t place) const { return place < m_aEntries.size() ? &m_aEntries[place] : nullptr; }
    // The messages the cache holds (after Finish).
    size_t Count() const { return m_aEntries.size(); }

private:
    void Build(const std::string& path, const std::string& identity, const FilterLists& lists, uint64_t budget,
               CDumpFile* pDump);

    std::thread m_thread;
    std::atomic<bool> m_bStop{false};
    bool m_bLoaded = true;
    HeaderCache m_cache;
    std::vector<Entry> m_aEntries;  // in the cache's order
};
