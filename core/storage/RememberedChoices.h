#pragma once

#include <cstddef>
#include <string>
#include <unordered_map>
#include <vector>

// The check boxes a user set against the lists' verdict, kept per account and
// keyed by UIDL (RFC 1939 §7: unique and unchanging for as long as the
// message is on the server), so the next scans show the row as the user left
// it. Only departures from the verdict are kept; one undone is forgotten.
// Stored in a small private file; no toolkit. Used on one thread.
class RememberedChoices {
public:
    // Choices kept at most: a mailbox's listing is bounded far below this,
    // and the file is read back whole.
    static constexpr size_t kMaxChoices = 100000;
    // RFC 1939 §7: a unique-id is 1 to 70 characters 0x21..0x7E.
    static constexpr size_t kMaxUidl = 70;
    // The file read back at most: the first line and kMaxChoices lines of
    // "1 <uidl>"; a longer file is not one we wrote.
    static constexpr size_t kMaxFileBytes = 64 + kMaxChoices * (kMaxUidl + 3);

    // The file of an account: "$XDG_STATE_HOME/Mavix/choices-<name>" (else
    // "~/.local/state/Mavix/..."), <name> told apart by server, user and port.
    static std::string PathFor(const std::string& server, const std::string& user, const std::string& port);
    // "<user>@<server>-<hash>", made safe for a file name: the part of an
    // account's file names that tells accounts apart.
    static std::string AccountFileName(const std::string& server, const std::string& user, const std::string& port);

    // Forgets what was held and reads the file at `path` (absent: no
    // choices). False when it exists but cannot be read, or when the file or
    // its folder is a link or the folder is not ours: nothing is read then.
    bool Load(const std::string& path);
    // Writes every choice, replacing the file atomically; the file is 0600
    // and its folder is created 0700. False on failure, and when the folder
    // is a link or not ours. Nothing without a path.
    bool Save() const;

    // 1 checked, 0 unchecked, -1 no choice kept for this UIDL.
    int Find(const std::string& uidl) const;
    // The user left the row checked or not; bVerdict is what the lists said.
    // True when what is kept changed.
    bool Record(const std::string& uidl, bool bChecked, bool bVerdict);
    // Keeps only the UIDLs the server still lists; true when any went.
    bool Prune(const std::vector<std::string>& listed);
    size_t Count() const { return m_choices.size(); }
    const std::string& Path() const { return m_sPath; }

private:
    static bool IsUidl(const std::string& text);

    std::string m_sPath;
    std::unordered_map<std::string, bool> m_choices;
};
