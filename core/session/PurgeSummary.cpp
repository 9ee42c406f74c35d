#include "PurgeSummary.h"

#include "core/session/ScreeningEngine.h"

std::string PurgeSummaryText(const PurgeResult& result)
{
    if (!result.m_sNotStarted.empty())
        return result.m_sNotStarted;
    if (result.m_bBroken)
        return "Nothing was deleted: " + result.m_sReason + kDroppedNote;
    if (result.m_bNotRecorded)
        return "Nothing was deleted: " + result.m_sReason + ", so the session was closed without QUIT.";
    if (result.m_bCancelled)
        return "Cancelled: nothing was deleted.";
    if (result.m_bUnconfirmed)
        return "The server did not confirm the deletions (QUIT): the " + std::to_string(result.m_aMarked.size())
            + " messages marked may or may not have been deleted. Recently Deleted lists them as possibly "
              "deleted until the next scan of the account settles it.";
    if (!result.m_bCommitted && !result.m_aMarked.empty())
        return "The server did not confirm the deletions: the checked messages may still be on the server.";
    const size_t nDeleted = result.m_bCommitted ? result.m_aMarked.size() : 0;
    std::string text = std::to_string(nDeleted) + " deleted, " + std::to_string(result.m_aRefused.size())
        + " refused by the server, " + std::to_string(result.m_aChanged.size())
        + " not deleted (changed on the server)";
    if (!result.m_aGone.empty())
        text += ", " + std::to_string(result.m_aGone.size()) + " already removed";
    if (!result.m_aLeft.empty())
        text += ", " + std::to_string(result.m_aLeft.size()) + " not deleted (could not be read or found)";
    const size_t nDiffered = result.m_aCopyDiffered.size();
    if (result.m_aNotKept.size() > nDiffered)
        text += ", " + std::to_string(result.m_aNotKept.size() - nDiffered) + " not deleted (no copy could be kept)";
    if (nDiffered > 0)
        text += ", " + std::to_string(nDiffered) + " not deleted (the copy did not match)";
    if (result.m_nWithoutId > 0)
        text += "; " + std::to_string(result.m_nWithoutId) + " checked by Subject only (the server gave no usable id)";
    return text;
}

std::string AccountsSummaryText(const std::vector<AccountPurge>& purges)
{
    std::string text;
    for (const AccountPurge& purge : purges) {
        if (!purge.m_pResult)
            continue;
        if (!text.empty())
            text += '\n';
        text += purge.m_sAccount + ": " + PurgeSummaryText(*purge.m_pResult);
    }
    return text;
}
