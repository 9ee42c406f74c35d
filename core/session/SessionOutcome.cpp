#include "SessionOutcome.h"

#include "core/platform/CoreText.h"
#include "core/session/PurgeSummary.h"
#include "core/session/ScreeningEngine.h"

namespace {

bool AnyLeft(const PurgeResult& result)
{
    return !result.m_aRefused.empty() || !result.m_aChanged.empty() || !result.m_aLeft.empty()
        || !result.m_aNotKept.empty();
}

SessionOutcome::Kind KindOf(const PurgeResult& result, int nChecked)
{
    using Kind = SessionOutcome::Kind;
    if (!result.m_sNotStarted.empty() || result.m_bBroken || result.m_bNotRecorded || result.m_bUnconfirmed)
        return Kind::kFailed;
    if (result.m_bCancelled)
        return Kind::kCancelled;
    if (!result.m_bCommitted)
        return nChecked > 0 ? Kind::kFailed : Kind::kDone;
    if (result.m_bJournalBehind && !result.m_aMarked.empty())
        return Kind::kNotRecorded;
    return AnyLeft(result) ? Kind::kShortfall : Kind::kDone;
}

}  // namespace

SessionOutcome OutcomeOfPurge(const PurgeResult& result, int nChecked)
{
    SessionOutcome outcome;
    outcome.m_nKind = KindOf(result, nChecked);
    outcome.m_sText = PurgeSummaryText(result);
    // The summary names a broken session's reason already.
    if (!result.m_bCommitted && !result.m_bBroken && !result.m_bNotRecorded && result.m_sNotStarted.empty())
        outcome.m_sDetail = result.m_sReason;
    else if (!result.m_aNotKept.empty() || !result.m_aRefused.empty())
        outcome.m_sDetail = result.m_sLastReply;
    return outcome;
}

SessionOutcome OutcomeOfScan(const ScanDone& done)
{
    SessionOutcome outcome;
    outcome.m_sText = done.m_sStatus;
    if (done.m_nResult == -1) {
        outcome.m_nKind = SessionOutcome::Kind::kFailed;
        if (outcome.m_sText.empty())
            outcome.m_sText = core_text::Say("Scan", QT_TRANSLATE_NOOP("Scan", "The scan failed."));
    }
    return outcome;
}
