#pragma once

#include <string>
#include <string_view>

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

// Writes every byte of `text` to `fd`, going on after EINTR; false with
// errno set on any other failure.
bool WriteAll(int fd, std::string_view text);

}  // namespace platform
