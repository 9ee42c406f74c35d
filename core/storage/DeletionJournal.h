#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/storage/AccountKey.h"

// One message a purge removed from the server, or was about to remove when
// it sent QUIT. Texts are UTF-8 (header bytes go through
// platform::Cp1252ToUtf8 first) and may hold anything: the journal escapes
// them.
struct JournalEntry {
    // What is known of the deletion. A purge writes its marked messages as
    // kPending before it sends QUIT (RFC 1939 §6: the server removes them
    // while it answers), then kDeleted once QUIT is accepted. A pending
    // entry whose QUIT went unanswered (a late or lost reply, an interrupt,
    // a crash) is settled by the next scan of the account: kDeleted when the
    // server no longer lists its UIDL, kNotDeleted when it does.
    enum class State { kDeleted, kPending, kNotDeleted };

    std::int64_t m_nTime = 0;  // seconds since 1970-01-01 UTC; 0: the time of Append
    std::string m_sAccount;    // AccountKey::JournalName(); earlier versions wrote LegacyJournalName()
    std::string m_sUidl;       // empty when the server has no UIDL
    std::int64_t m_nSize = 0;  // bytes, as LIST gave it
    std::string m_sFrom;
    std::string m_sSubject;
    std::string m_sReason;  // kCheckedByHand, or why the row was suspect
    State m_nState = State::kDeleted;

    // The same message: a later entry of the same account with the same
    // UIDL (or, without one, the same size, From and Subject) settles an
    // earlier pending one.
    bool SameMessage(const JournalEntry& other) const;
};

// The record of deletions: $XDG_STATE_HOME/Mavix/deleted.log (by default
// ~/.local/state/Mavix), one line per message, folder 0700 and file 0600,
// neither followed through a symbolic link. A line is seven tab-separated
// fields:
//   time (UTC, 2026-12-07T11:04:25Z), account, UIDL, size, From, Subject, reason
// for a deletion, and an eighth, "pending" or "not deleted", for a deletion
// asked for but not (yet) confirmed and for one the server did not carry
// out; readers that know only seven fields skip those lines. A ninth, the
// kept copy's path (`mavix-cli log --tsv`, after an empty eighth for a
// deletion), is read and ignored; the file never holds it. The file is
// only ever appended to: a later line settles an earlier pending one.
// Inside a field, backslash, tab, CR and LF are written as \\, \t, \r and
// \n, other control characters as \xHH (C0, DEL) or \u00HH (C1), and bytes
// that are not UTF-8 as \xHH, so no text can break a line or reach a
// terminal as a control sequence, and every byte reads back as written.
//
// The file is rotated when an append would take it past kRotateBytes: it
// becomes deleted.log.1 (replacing the older one) and a new file starts.
// Appends of several processes are serialised by a lock on the folder.
// No toolkit: plain POSIX files.
class DeletionJournal {
public:
    // The journal at its usual place.
    DeletionJournal();
    // The journal in `folder` (tests); the file is folder + "/deleted.log".
    explicit DeletionJournal(std::string folder);

    // Appends the entries in one write, synced before it returns. False
    // (and nothing written) when the folder or file cannot be opened safely.
    bool Append(const std::vector<JournalEntry>& entries);

    // The deletions of the previous file and the current one, oldest first,
    // each pending entry settled by the later lines of the same message and
    // shown with its time: kDeleted, or kPending while nothing settled it;
    // those the server did not carry out are left out. Lines that do not
    // parse are skipped. At most kReadBytes of each file (its end) are read.
    std::vector<JournalEntry> Read() const;
    // The entries of the account still pending, oldest first: those it
    // wrote, and those of earlier versions when it owns them (NamesOf).
    std::vector<JournalEntry> Pending(const AccountKey& key) const;

    // "possibly deleted" for a pending entry, empty for a deletion: what
    // the log and the "Recently Deleted" window add to the reason.
    static const char* StateText(JournalEntry::State state);

    const std::string& Folder() const { return m_sFolder; }
    std::string FilePath() const { return m_sFolder + "/" + kFileName; }

    // How the account is named in the journal's lines: its JournalName
    // ("user@server:port"), and the "user@server" of earlier versions when
    // the key owns their lines.
    static std::vector<std::string> NamesOf(const AccountKey& key);

    static std::string FormatLine(const JournalEntry& entry);  // with the final '\n'
    static bool ParseLine(std::string_view line, JournalEntry& entry);
    // Backslash, tab, CR and LF as \\, \t, \r, \n; other C0 controls, DEL
    // and bytes that are not UTF-8 as \xHH; C1 controls and the direction
    // controls (platform::DirectionControlAt) as \uHHHH. ParseLine reads
    // each back to the bytes it stands for.
    static std::string Escape(std::string_view text);
    static std::string FormatTime(std::int64_t time);  // 2026-12-07T11:04:25Z

    static constexpr const char* kCheckedByHand = "checked by hand";
    static constexpr const char* kPendingField = "pending";
    static constexpr const char* kNotDeletedField = "not deleted";
    static constexpr const char* kFileName = "deleted.log";
    // About 4000 deletions of typical lines: months of screening, and small
    // enough to read whole into the "Recently Deleted" window.
    static constexpr std::int64_t kRotateBytes = 1 << 20;
    // A file grown past rotation by someone else is read from its end only.
    static constexpr std::int64_t kReadBytes = 2 * kRotateBytes;

private:
    // Every parsed line of both files, oldest first, unsettled.
    std::vector<JournalEntry> ReadLines() const;

    std::string m_sFolder;
};
