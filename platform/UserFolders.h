#pragma once

#include <string>

// The user's own folders: where the XDG base directory rules put state and
// data, and making the missing levels of a path, each private.
namespace platform {

// $<variable> when it holds an absolute path (the rules ignore a relative
// one), else $HOME/<fallback>, e.g. XdgFolder("XDG_STATE_HOME",
// ".local/state"). Empty when neither is known.
std::string XdgFolder(const char* pszVariable, const char* pszFallback);

// Makes every missing level of `dir` with mode 0700; levels that exist are
// left as they are. True when `dir` is then a folder.
bool MakePrivateFolders(const std::string& dir);

}  // namespace platform
