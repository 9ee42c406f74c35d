#pragma once

#include <string>
#include <string_view>
#include <utility>

// The user's own folders and files: where the XDG base directory rules put
// state and data, making the missing levels of a path, each private, and
// writing a whole text to a file.
namespace platform {

// $<variable> when it holds an absolute path (the rules ignore a relative
// one), else $HOME/<fallback>, e.g. XdgFolder("XDG_STATE_HOME",
// ".local/state"). Empty when neither is known.
std::string XdgFolder(const char* pszVariable, const char* pszFallback);

// Makes every missing level of `dir` with mode 0700; levels that exist are
// left as they are. True when `dir` is then a folder.
bool MakePrivateFolders(const std::string& dir);

// A descriptor, closed when it goes out of scope or is replaced.
class UniqueFd {
public:
    explicit UniqueFd(int fd = -1)
        : m_fd(fd)
    { }
    ~UniqueFd() { Reset(); }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    int Get() const { return m_fd; }
    void Reset(int fd = -1);
    // Hands the descriptor over to the caller.
    int Release() { return std::exchange(m_fd, -1); }

private:
    int m_fd;
};

// A folder of this user's, opened without following a link: `name` below
// the folder `parent`, or the path `name` when parent is -1. With
// bMakePrivate, a folder others may enter is made 0700; without, it is
// opened as it is. -1 when it cannot be opened or belongs to someone else.
int OpenOwnFolder(int parent, const char* name, bool bMakePrivate);

// Writes every byte of `text` to `fd`, going on after EINTR; false with
// errno set on any other failure.
bool WriteAll(int fd, std::string_view text);

}  // namespace platform
