#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/platform/PrivateFile.h"
#include "core/pop3/Pop3Message.h"

// What a scan may do with the account's header cache.
enum class HeaderCacheUse {
    kOff,      // neither read nor written
    kUse,      // read, and rewritten after a scan that ran to its end
    kRebuild,  // not read (every header fetched again), then rewritten
};

// The header blocks a scan read, kept per account and keyed by UIDL and LIST
// size, so the next scan fetches (TOP n 0) only what it has not seen: a
// message's unique-id names it for good (RFC 1939 §7), and a size that
// differs says the id was given to another message. Only a cache; nothing
// is deleted on its word (the purge reads every message again).
//
// One file per account, "$XDG_CACHE_HOME/Mavix/headers-<name>" (else
// "~/.cache/Mavix/..."), written whole through platform::PrivateFile. Its
// format:
//   "Mavix header cache 1\n"
//   "account <length>\n" <server LF user LF port> "\n"
//   per message: "<uidl> <size> <length>\n" <header text, as the scan kept
//   it> "\n"
//   "end <count>\n"
// A file that is not exactly that (damaged, cut short, another version or
// another account's) is ignored whole, and the scan rebuilds it.
//
// Not thread-safe; one scan owns it.
class HeaderCache {
public:
    // The messages kept at most: five times the largest mailbox measured
    // (50,000 messages); a larger one has the rest fetched as before.
    static constexpr size_t kMaxEntries = 250000;
    // The file at most, as the dump of a scan (CDumpFile::kMaxDumpBytes):
    // the same header blocks; an honest mailbox of 100,000 messages fits.
    // Messages past it are not kept, and are fetched at every scan.
    static constexpr uint64_t kMaxFileBytes = uint64_t{256} << 20;
    // RFC 1939 §7: a unique-id is 1 to 70 characters 0x21..0x7E.
    static constexpr size_t kMaxUidl = 70;
    // A header text as a scan keeps it (CPop3Message::SetText's bound).
    static constexpr size_t kMaxTextBytes = CPop3Message::kMaxTextBytes;

    // The file of an account, told apart by server, user and port as the
    // remembered choices are; empty when there is no home to put it in.
    static std::string PathFor(const std::string& server, const std::string& user, const std::string& port);
    // What the file names as its account.
    static std::string Identity(const std::string& server, const std::string& user, const std::string& port);

    // Forgets what was held, then reads the file at `path` if it is this
    // account's: a plain file of this user's, opened without following a
    // link, within kMaxFileBytes. False when a file was there but ignored;
    // nothing is held then.
    bool Load(const std::string& path, const std::string& identity);
    // As Load, from the file's bytes (kept).
    bool Parse(std::string bytes, const std::string& identity);
    // Drops the messages with these UIDLs from the account's file (written
    // again whole without them), so that the next scan fetches them: a
    // message read again that differs from its kept header (a UIDL the
    // server gave to another message of the same size) must not be shown
    // from the cache again. True when none of them is left in the file.
    static bool Forget(const std::string& path, const std::string& identity, const std::vector<std::string>& uidls);

    // The header text kept for the message with this UIDL and size.
    std::optional<std::string_view> Find(std::string_view uidl, uint64_t size) const;
    // Where the message with this UIDL stands in the file (ForEach's order).
    std::optional<size_t> PositionOf(std::string_view uidl) const;
    size_t Count() const { return m_entries.size(); }
    // Calls visit(uidl, size, text) for every message held, in the file's
    // order (the order of the scan that wrote it); stops when it returns
    // false.
    template <class Visit> void ForEach(Visit visit) const
    {
        for (const Entry& entry : m_entries)
            if (!visit(entry.m_uidl, entry.m_nSize, std::string_view(m_sBytes).substr(entry.m_nAt, entry.m_nLength)))
                return;
    }

private:
    struct Entry {
        std::string_view m_uidl;  // in m_sBytes
        uint64_t m_nSize;
        size_t m_nAt;  // the text's offset in m_sBytes
        size_t m_nLength;
    };
    bool ParseEntries(std::string_view rest);
    bool IndexEntries();
    void Clear();

    std::string m_sBytes;
    std::vector<Entry> m_entries;   // in the file's order
    std::vector<uint32_t> m_slots;  // by UIDL's hash: 0 free, else a place in m_entries plus 1
};

// Writes an account's header cache during a scan: a new file beside the old
// one, one entry per message read, put in place by Commit only, so a scan
// that stopped or failed leaves the old file as it was.
class HeaderCacheWriter {
public:
    // False when the file cannot be created (no folder, a folder that is a
    // link or not ours); nothing is written then.
    bool Open(const std::string& path, const std::string& identity);
    // Keeps one message, unless the UIDL is unusable or a bound is reached.
    void Add(std::string_view uidl, uint64_t size, std::string_view text);
    bool Commit();
    void Abort();
    bool IsOpen() const { return m_bOpen; }

private:
    bool Flush();

    platform::PrivateFile m_file;
    std::string m_buffer;
    uint64_t m_nBytes = 0;          // the file's bytes so far, buffered or not
    uint64_t m_nInFile = 0;         // bytes handed to the file
    uint64_t m_nWritebackFrom = 0;  // where the disk has not been asked to start yet
    size_t m_nCount = 0;
    bool m_bOpen = false;
    bool m_bFailed = false;
};
