#pragma once

#include "core/session/AccountSession.h"
#include "core/storage/AccountSettings.h"

#include <optional>
#include <vector>

#include <QObject>
#include <QString>
#include <chrono>
#include <functional>
#include <memory>
#include <string>

class MessageGridModel;
class SettingsStore;

// One more account's screening in the window, beside the first one the view
// drives itself: the account (with its password), its own session, engine
// and remembered choices, and the model of its rows. It renders the
// session's notes as a status line for the account list, never as a
// message box: with several accounts, one that fails must not stop the
// others, nor ask the user once per account.
//
// Everything here runs on the GUI thread; the engine's notes are queued to
// it as they are for the view.
class AccountScreening : public QObject, private ISessionListener {
    Q_OBJECT
public:
    // The account's session, opened from its section (AccountSession::Open);
    // `all`: every stored account.
    AccountScreening(SettingsStore& settings, const Preferences& prefs, AccountSettings account,
                     const std::vector<AccountSettings>& all, QObject* parent = nullptr);

    // Who is handed this account's previews (the window's pane).
    using PreviewHandler = std::function<void(const ScreeningSession&, const PreviewReady&)>;
    void SetPreviewHandler(PreviewHandler handler) { m_fnPreview = std::move(handler); }
    ~AccountScreening() override;

    const AccountSettings& Account() const { return m_pending ? *m_pending : m_pAccount->Account(); }
    // The account as it was edited: a session of its own from its next scan
    // (at once when nothing is under way).
    void SetAccount(AccountSettings account);
    ScreeningSession& Session() { return *m_pSession; }
    MessageGridModel& Model() { return *m_pModel; }
    // The account's line in the account list: "scanning…", "12 messages,
    // 3 suspect", "failed: why".
    const QString& Status() const { return m_sStatus; }
    bool Failed() const { return m_bFailed; }
    // Why the last background check failed (Windows-1252 bytes).
    const std::string& BackgroundFailure() const { return m_sBackgroundFailure; }

    // The preferences every account takes (the view closes the window
    // itself once every purge has ended).
    void ApplyPreferences(const Preferences& prefs);
    // A scan with the lists; false (nothing started) when the account is
    // incomplete, or a background check may not start now.
    bool StartScan(const FilterLists& lists, bool bBackground);
    // Stops a scan, or wakes a running purge's waits.
    void Stop();
    // Purges the checked rows (a review with some checked): true when started.
    bool StartPurge();
    void CancelReview();
    void KeepAlive();
    // The close sequence: tells the workers to end; the engine is dropped
    // without joining them when they would not.
    void BeginClose();
    bool WaitEnded(std::chrono::milliseconds budget);
    void Abandon();

    // The last purge's outcome, for the window's one summary.
    const PurgeResult& LastPurge() const { return m_lastPurge; }
    const SessionOutcome& LastOutcome() const { return m_lastOutcome; }

signals:
    // The status line or the counts changed.
    void Changed();
    // A scan ended (reviewing, nothing to review, or failed).
    void ScanEnded();
    void PurgeEnded();
    // A background check ended: 1 done, 0 stopped, -1 failed.
    void BackgroundCheckEnded(int nResult);

private:
    class EngineListener;

    void SetStatus(QString status, bool bFailed = false);
    QString CountText() const;
    void OnAnswerWaitOver(const AnswerWaitOver& over) override;
    void OnRowsAdded(const RowsAdded& added) override;
    void OnRepeatedNumber(const RepeatedNumber& repeated) override;
    void OnCheckChanged(const CheckChanged& changed) override;
    void OnScanFinished(const ScanFinished& finished) override;
    void OnPurgeFinished(const PurgeFinished& done) override;
    void OnSessionLost(const SessionLost& lost) override;
    void OnSessionOver(const SessionOver& over) override;
    void OnServerWaiting(const ServerWaiting& waiting) override;
    void OnPreviewReady(const PreviewReady& ready) override;
    void Fail(const std::string& why, bool bBackground);

    void Open(const Preferences& prefs, AccountSettings account, const std::vector<AccountSettings>& all);
    void TakePendingAccount();

    SettingsStore& m_settings;
    PreviewHandler m_fnPreview;
    // The engine's listener outlives the session's engine.
    std::unique_ptr<EngineListener> m_pListener;
    std::unique_ptr<AccountSession> m_pAccount;
    ScreeningSession* m_pSession = nullptr;    // m_pAccount's
    std::optional<AccountSettings> m_pending;  // edited while a scan, review or purge was under way
    int m_nGeneration = 0;
    MessageGridModel* m_pModel;
    QString m_sStatus;
    bool m_bFailed = false;
    bool m_bClosing = false;
    std::string m_sBackgroundFailure;
    PurgeResult m_lastPurge;
    SessionOutcome m_lastOutcome;
};
