#include "PurgeSummary.h"

#include "core/platform/CoreText.h"
#include "core/session/ScreeningEngine.h"

#include <initializer_list>

namespace {

std::string Say(const char* source, std::initializer_list<std::string> values = {})
{
    return core_text::Say("PurgeSummary", source, values);
}

std::string Count(size_t n)
{
    return std::to_string(n);
}

}  // namespace

std::string PurgeSummaryText(const PurgeResult& result)
{
    if (!result.m_sNotStarted.empty())
        return result.m_sNotStarted;
    if (result.m_bBroken)
        return Say(QT_TRANSLATE_NOOP("PurgeSummary", "Nothing was deleted: %1"), {result.m_sReason})
            + Say(kDroppedNote);
    if (result.m_bNotRecorded)
        return Say(
            QT_TRANSLATE_NOOP("PurgeSummary", "Nothing was deleted: %1, so the session was closed without QUIT."),
            {result.m_sReason});
    if (result.m_bCancelled)
        return Say(QT_TRANSLATE_NOOP("PurgeSummary", "Cancelled: nothing was deleted."));
    if (result.m_bUnconfirmed)
        return Say(QT_TRANSLATE_NOOP("PurgeSummary",
                                     "The server did not confirm the deletions (QUIT): the %1 messages marked may or "
                                     "may not have been deleted. Recently Deleted lists them as possibly deleted "
                                     "until the next scan of the account settles it."),
                   {Count(result.m_aMarked.size())});
    if (!result.m_bCommitted && !result.m_aMarked.empty())
        return Say(QT_TRANSLATE_NOOP(
            "PurgeSummary",
            "The server did not confirm the deletions: the checked messages may still be on the server."));
    const size_t nDeleted = result.m_bCommitted ? result.m_aMarked.size() : 0;
    std::string text =
        Say(QT_TRANSLATE_NOOP("PurgeSummary",
                              "%1 deleted, %2 refused by the server, %3 not deleted (changed on the server)"),
            {Count(nDeleted), Count(result.m_aRefused.size()), Count(result.m_aChanged.size())});
    if (!result.m_aGone.empty())
        text += Say(QT_TRANSLATE_NOOP("PurgeSummary", ", %1 already removed"), {Count(result.m_aGone.size())});
    if (!result.m_aLeft.empty())
        text += Say(QT_TRANSLATE_NOOP("PurgeSummary", ", %1 not deleted (could not be read or found)"),
                    {Count(result.m_aLeft.size())});
    const size_t nDiffered = result.m_aCopyDiffered.size();
    if (result.m_aNotKept.size() > nDiffered)
        text += Say(QT_TRANSLATE_NOOP("PurgeSummary", ", %1 not deleted (no copy could be kept)"),
                    {Count(result.m_aNotKept.size() - nDiffered)});
    if (nDiffered > 0)
        text += Say(QT_TRANSLATE_NOOP("PurgeSummary", ", %1 not deleted (the copy did not match)"), {Count(nDiffered)});
    if (result.m_nWithoutId > 0)
        text += Say(QT_TRANSLATE_NOOP("PurgeSummary", "; %1 checked by Subject only (the server gave no usable id)"),
                    {Count(static_cast<size_t>(result.m_nWithoutId))});
    if (result.m_bJournalBehind && nDeleted > 0)
        text += Say(QT_TRANSLATE_NOOP("PurgeSummary",
                                      ". The deletions were not recorded: Recently Deleted lists them as possibly "
                                      "deleted until the next scan of the account settles them."));
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
