#pragma once

#include <cstdint>
#include <ctime>
#include <map>
#include <string>
#include <string_view>

// Copies of messages kept before the purge deletes them on the server: a
// Maildir (tmp/, new/, cur/) that any mail program can open, by default
// $XDG_DATA_HOME/Mavix/Quarantine (~/.local/share/Mavix/Quarantine).
// Folders 0700 and files 0600, none followed through a symbolic link. A
// copy is written to tmp/, synced, then renamed into new/ and the folder
// synced, so a copy that is there is whole and survives a crash. No toolkit:
// plain POSIX files.
class QuarantineMaildir {
public:
    QuarantineMaildir();
    explicit QuarantineMaildir(std::string folder);

    // Stores one message as RETR gave it (CR LF line ends; stored with LF,
    // as Maildir files are). False, with nothing left behind, when the copy
    // cannot be written and synced; FailureReason() says why. A non-empty
    // key (CopyKey) goes into the file's name, so the copy can be found
    // again from the journal's entry; mail programs keep the name's part
    // before ':' when they move a message from new/ to cur/.
    bool Store(std::string_view message, std::string_view key = {});
    // Removes the copies in new/, cur/ and tmp/ last changed more than
    // `days` days before `now`, then the oldest others until the rest take
    // at most maxBytes. Returns how many went.
    int Prune(int days, std::uint64_t maxBytes = kMaxTotalBytes, std::time_t now = std::time(nullptr));

    // What names the copy of the message with this UIDL on this account
    // (DeletionJournal::AccountName): 32 hex digits of SHA-256, since a
    // UIDL may hold any printable character (RFC 1939 §7). RFC 1939 keeps a
    // UIDL unique within its maildrop, so the pair finds one message. Empty
    // without a UIDL: such a copy can only be found by opening the Maildir.
    static std::string CopyKey(std::string_view account, std::string_view uidl);
    // Every kept copy that has a key, by key: its path (the newest where a
    // key names more than one). One listing of new/ and cur/.
    std::map<std::string, std::string> Copies() const;

    const std::string& Folder() const { return m_sFolder; }
    const std::string& FailureReason() const { return m_sFailure; }

    // The usual place, from XDG_DATA_HOME (or HOME).
    static std::string DefaultFolder();

    // How long copies are kept unless the user says otherwise.
    static constexpr int kDefaultDays = 30;
    // The largest copy a user may ask for, in KB: far above ordinary mail,
    // and below the reply cap of the POP3 reader (64 MiB).
    static constexpr int kMaxKeepKB = 50 * 1024;
    // The per-message limit new settings start with (SettingsStore writes
    // it into a file it creates): copies are on unless the user turned them
    // off, since POP3 cannot put a deleted message back (RFC 1939 has no
    // command for it).
    static constexpr int kDefaultKeepKB = 500;
    // All copies together: 200 MB, the oldest going first, so a busy purge
    // of large mail cannot fill the user's disk.
    static constexpr std::uint64_t kMaxTotalBytes = 200ull * 1000 * 1000;

private:
    std::string m_sFolder;
    std::string m_sFailure;
};
