#pragma once

// The states of one screening session and the rules that move between
// them, for both front ends: the window and mavix-cli. No toolkit and no
// network: the owner tells the machine what happened (a click, a
// notification from the engine) and does what the answer says; the owner
// keeps its widgets or its output and maps each state to them.
//
//   kIdle -> kConnecting -> kScanning -> kReviewing -> kPurging -> kIdle
//
// with the edges a stop, a cancel, a lost session, the end of a background
// check and a session end the owner waits for add to it.
class SessionMachine {
public:
    enum class State {
        kIdle,        // no scan, no review
        kConnecting,  // a scan logs in; its answer is awaited
        kScanning,    // the scan's rows arrive
        kReviewing,   // the rows are shown; the scan's session stays open for the purge
        kPurging,     // the checked rows are read again and deleted
        kEnding,      // a session end the owner waits for
    };

    State Current() const { return m_nState; }
    // A scan is under way (its rows are wanted).
    bool IsScanning() const { return m_nState == State::kConnecting || m_nState == State::kScanning; }
    bool IsReviewing() const { return m_nState == State::kReviewing; }
    bool IsPurging() const { return m_nState == State::kPurging; }
    // The scan, or the session end, under way belongs to a background check.
    bool IsBackground() const { return m_bBackground; }
    // Reviewing, but the server ended the session: the purge logs in again.
    bool IsSessionLost() const { return m_bSessionLost; }
    // The owner waits for the scan's connection phase to end (not for a
    // background check).
    bool AwaitsAnswer() const { return m_bAwaitingAnswer; }
    // The user can stop the scan: it runs and its answer did not time out.
    bool CanStop() const { return IsScanning() && !m_bAnswerTimedOut; }
    // NOOPs are due: a review on a session that is still there.
    bool KeepsAlive() const { return IsReviewing() && !m_bSessionLost; }
    // A background check starts only while nothing else uses the session.
    bool MayStartBackground() const;

    // The preference: close once a purge has ended, or the session a
    // Cancel ended.
    void SetCloseWhenDone(bool bClose) { m_bCloseWhenDone = bClose; }
    bool CloseWhenDone() const { return m_bCloseWhenDone; }

    // A scan starts (a review it replaces is over): kConnecting.
    void StartScan(bool bBackground);
    // The connection phase ended, or the first rows came: kScanning.
    void Answered();
    // The answer wait ran out: the scan goes on, but no longer as the one
    // the user can stop.
    void AnswerTimedOut();
    // The owner stops waiting for the scan or the session end: kIdle.
    void Stop();

    // What follows the end of a scan.
    enum class AfterScan {
        kIdle,        // failed, stopped or nothing to review
        kReview,      // the rows wait for the user: kReviewing
        kEndSession,  // a background check with rows: its session is ended (kEnding)
    };
    AfterScan ScanDone(bool bFailed, bool bHasRows);

    // The keep-alive's answer, during a review.
    enum class AfterCheck {
        kNothing,      // alive, or no review to keep
        kSessionLost,  // gone, but the rows can be found again by UIDL
        kCancel,       // gone for good: the review is cancelled
    };
    AfterCheck SessionChecked(bool bAlive, bool bCanReconnect);

    // The owner ends the review's session and waits for it: kEnding.
    void EndSession();
    // The review is cancelled; its session ends without being waited for:
    // kIdle.
    void Cancel();
    // What follows the end of a session.
    enum class AfterSessionEnd {
        kBackgroundDone,  // the background check is over (kIdle, its rows kept)
        kTell,            // tell the user what the server refused, if anything
        kTellAndClose,    // the same, then close (a Cancel with the preference set)
    };
    AfterSessionEnd SessionEnded();

    // The purge of the rows shown: kPurging.
    void StartPurge();
    // The purge ended: kIdle. True: close now, as the preference asks.
    bool PurgeDone();

private:
    State m_nState = State::kIdle;
    bool m_bBackground = false;
    bool m_bSessionLost = false;
    bool m_bAwaitingAnswer = false;
    bool m_bAnswerTimedOut = false;
    bool m_bCloseWhenDone = false;
    bool m_bCloseOnSessionEnd = false;  // a Cancel asked to close once its session has ended
};
