#include "SessionMachine.h"

#include "core/session/BackgroundCheck.h"

bool SessionMachine::MayStartBackground() const
{
    return BackgroundCheck::MayStart(CanStop() || m_nState == State::kEnding, IsReviewing(), IsPurging());
}

void SessionMachine::StartScan(bool bBackground)
{
    m_nState = State::kConnecting;
    m_bBackground = bBackground;
    m_bSessionLost = false;
    m_bAwaitingAnswer = !bBackground;
    m_bAnswerTimedOut = false;
}

void SessionMachine::Answered()
{
    m_bAwaitingAnswer = false;
    if (m_nState == State::kConnecting)
        m_nState = State::kScanning;
}

void SessionMachine::AnswerTimedOut()
{
    m_bAwaitingAnswer = false;
    m_bAnswerTimedOut = true;
}

void SessionMachine::Stop()
{
    m_nState = State::kIdle;
    m_bBackground = false;
    m_bAwaitingAnswer = false;
}

SessionMachine::AfterScan SessionMachine::ScanDone(bool bFailed, bool bHasRows)
{
    m_bAwaitingAnswer = false;
    const bool bRows = bHasRows && !bFailed;
    if (m_bBackground && bRows) {
        // Nothing is marked, so its QUIT changes nothing; the rows stay.
        m_nState = State::kEnding;
        return AfterScan::kEndSession;
    }
    m_bBackground = false;
    m_nState = bRows ? State::kReviewing : State::kIdle;
    m_bSessionLost = false;
    return bRows ? AfterScan::kReview : AfterScan::kIdle;
}

SessionMachine::AfterCheck SessionMachine::SessionChecked(bool bAlive, bool bCanReconnect)
{
    if (!KeepsAlive() || bAlive)
        return AfterCheck::kNothing;
    if (!bCanReconnect)
        return AfterCheck::kCancel;
    m_bSessionLost = true;
    return AfterCheck::kSessionLost;
}

void SessionMachine::EndSession()
{
    m_nState = State::kEnding;
}

void SessionMachine::Cancel()
{
    m_nState = State::kIdle;
    m_bSessionLost = false;
    m_bCloseOnSessionEnd = m_bCloseWhenDone;
}

SessionMachine::AfterSessionEnd SessionMachine::SessionEnded()
{
    if (m_nState == State::kEnding) {
        m_nState = State::kIdle;
        if (m_bBackground) {
            m_bBackground = false;
            return AfterSessionEnd::kBackgroundDone;
        }
    }
    const bool bClose = m_bCloseOnSessionEnd;
    m_bCloseOnSessionEnd = false;
    return bClose ? AfterSessionEnd::kTellAndClose : AfterSessionEnd::kTell;
}

void SessionMachine::StartPurge()
{
    m_nState = State::kPurging;
    m_bSessionLost = false;
}

bool SessionMachine::PurgeDone()
{
    m_nState = State::kIdle;
    return m_bCloseWhenDone;
}
