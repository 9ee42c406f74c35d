#pragma once

#include <string>

struct PurgeResult;

// What the user is told, after a session broke, about what the server did.
inline constexpr const char* kDroppedNote = " The session was closed without QUIT, so nothing was deleted.";

// "N deleted, M refused by the server, K not deleted (changed on the server)",
// and what else the user must know.
std::string PurgeSummaryText(const PurgeResult& result);
