#pragma once

#include <cstdint>
#include <ctime>
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
    // cannot be written and synced; FailureReason() says why.
    bool Store(std::string_view message);
    // Removes the copies in new/ and cur/ last changed more than `days`
    // days before `now`. Returns how many went.
    int Prune(int days, std::time_t now = std::time(nullptr));

    const std::string& Folder() const { return m_sFolder; }
    const std::string& FailureReason() const { return m_sFailure; }

    // The usual place, from XDG_DATA_HOME (or HOME).
    static std::string DefaultFolder();

    // How long copies are kept unless the user says otherwise.
    static constexpr int kDefaultDays = 30;
    // The largest copy a user may ask for, in KB: far above ordinary mail,
    // and below the reply cap of the POP3 reader (64 MiB).
    static constexpr int kMaxKeepKB = 50 * 1024;

private:
    std::string m_sFolder;
    std::string m_sFailure;
};
