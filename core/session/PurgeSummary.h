#pragma once

#include <QtGlobal>

#include <string>
#include <vector>

struct PurgeResult;

// What the user is told, after a session broke, about what the server did.
// Marked for translation (lupdate reads QT_TRANSLATE_NOOP); the summary translates it.
inline constexpr const char* kDroppedNote =
    QT_TRANSLATE_NOOP("PurgeSummary", " The session was closed without QUIT, so nothing was deleted.");

// "N deleted, M refused by the server, K not deleted (changed on the server)",
// and what else the user must know.
std::string PurgeSummaryText(const PurgeResult& result);

// One account's purge, for the summary of a purge over several accounts.
struct AccountPurge {
    std::string m_sAccount;  // the account's display name
    const PurgeResult* m_pResult = nullptr;
};

// One line per account purged, in order: "name: " and its PurgeSummaryText.
std::string AccountsSummaryText(const std::vector<AccountPurge>& purges);
