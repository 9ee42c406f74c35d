#include "AccountScreening.h"

#include "core/platform/Secrets.h"
#include "core/storage/AccountList.h"
#include "core/storage/AccountList.h"
#include "core/storage/Preferences.h"
#include "core/storage/SettingsStore.h"
#include "gui/review/MessageGridModel.h"
#include "gui/widgets/Text.h"

#include <QCoreApplication>
#include <QPointer>
#include <algorithm>

namespace {

// Rows the model makes room for at once: a server's count beyond this (it
// may lie) only grows the model as rows really arrive.
constexpr int kMaxReservedRows = 200000;

}  // namespace

// Queues each of the engine's notes for the GUI thread, in order; dropped
// once the account is gone, or its session was replaced (each session's
// engine has a listener of its own generation).
class AccountScreening::EngineListener : public NoteQueueListener {
public:
    EngineListener(AccountScreening& owner, int nGeneration)
        : m_owner(owner),
          m_nGeneration(nGeneration)
    { }

protected:
    void Queue(ScreeningNote note) override
    {
        QPointer<AccountScreening> pOwner(&m_owner);
        QMetaObject::invokeMethod(
            &m_owner,
            [pOwner, nGeneration = m_nGeneration, note = std::move(note)] {
                if (pOwner && !pOwner->m_bClosing && pOwner->m_nGeneration == nGeneration && pOwner->m_pAccount
                    && pOwner->m_pSession->HasEngine())
                    DeliverNote(note, *pOwner->m_pSession);
            },
            Qt::QueuedConnection);
    }

private:
    AccountScreening& m_owner;
    const int m_nGeneration;
};

AccountScreening::AccountScreening(SettingsStore& settings, const Preferences& prefs, AccountSettings account,
                                   const std::vector<AccountSettings>& all, QObject* parent)
    : QObject(parent),
      m_settings(settings)
{
    Open(prefs, std::move(account), all);
    m_pModel = new MessageGridModel(m_pAccount->Session(), this);
    m_pModel->SetAccountName(FromCp1252(Account().DisplayName()));
}

void AccountScreening::Open(const Preferences& prefs, AccountSettings account, const std::vector<AccountSettings>& all)
{
    ISessionListener& owner = *this;
    m_pListener = std::make_unique<EngineListener>(*this, ++m_nGeneration);
    m_pAccount = AccountSession::Open(m_settings, prefs, std::move(account), all, *m_pListener, owner);
    m_pSession = &m_pAccount->Session();
    m_pSession->Engine().StartThreads();
    // A refresh token the provider replaced is stored on this thread, under
    // this account, while it lives.
    QPointer<AccountScreening> guard(this);
    m_pAccount->SetRotationNotice([guard] {
        QMetaObject::invokeMethod(
            qApp,
            [guard] {
                if (guard && guard->m_pAccount)
                    guard->m_pAccount->StoreRotatedToken();
            },
            Qt::QueuedConnection);
    });
}

void AccountScreening::SetAccount(AccountSettings account)
{
    m_pending = std::move(account);
    m_pModel->SetAccountName(FromCp1252(m_pending->DisplayName()));
    if (!m_pSession->CanStop() && !m_pSession->IsPurging() && !m_pSession->IsReviewing())
        TakePendingAccount();
}

// The edited account takes the place of the old one between scans: a
// session is opened for one account and stays with it.
void AccountScreening::TakePendingAccount()
{
    if (!m_pending)
        return;
    AccountSettings account = std::move(*m_pending);
    m_pending.reset();
    const std::vector<AccountSettings> all = account_list::Load(m_settings);
    // The old engine joins its workers before its listener goes; its notes
    // still queued are dropped (another generation).
    std::unique_ptr<AccountSession> pOld = std::move(m_pAccount);
    std::unique_ptr<EngineListener> pOldListener = std::move(m_pListener);
    Open(Preferences::Load(m_settings), std::move(account), all);
    m_pModel->SetSession(*m_pSession);
    pOld.reset();
    pOldListener.reset();
}

AccountScreening::~AccountScreening()
{
    // The engine joins its workers first: they may queue notes until then.
    m_pAccount.reset();
    m_pListener.reset();
}

void AccountScreening::ApplyPreferences(const Preferences& prefs)
{
    m_pAccount->ApplyPreferences(prefs);
    // The view closes the window once every account's purge has ended.
    m_pSession->SetCloseWhenDone(false);
}

bool AccountScreening::StartScan(const FilterLists& lists, bool bBackground)
{
    if (bBackground && !m_pSession->MayStartBackground())
        return false;
    if (!m_pSession->CanStop() && !m_pSession->IsPurging())
        TakePendingAccount();
    switch (m_pAccount->GetReadiness()) {
    case AccountSession::Readiness::kReady:
        break;
    case AccountSession::Readiness::kIncomplete:
        SetStatus(tr("failed: some field of the account is blank"), true);
        return false;
    case AccountSession::Readiness::kNoSignIn:
        SetStatus(tr("failed: sign in under Manage Account first"), true);
        return false;
    case AccountSession::Readiness::kNoProvider:
        SetStatus(tr("failed: ") + FromCp1252(m_pAccount->ReadinessText()), true);
        return false;
    }
    // A review left open is quit by the engine before it logs in again.
    m_pModel->Clear();
    if (!bBackground || !m_bFailed)
        SetStatus(tr("scanning…"));
    m_pAccount->StartScan(lists, RowKeeping::kEveryRow, bBackground);
    return true;
}

void AccountScreening::Stop()
{
    if (m_pSession->IsPurging()) {
        m_pSession->CancelPurge();
        return;
    }
    if (!m_pSession->CanStop())
        return;
    const bool bBackground = m_pSession->IsBackground();
    m_pSession->StopScan();
    m_pModel->Clear();
    SetStatus(tr("stopped"));
    if (bBackground)
        emit BackgroundCheckEnded(0);
    emit ScanEnded();
}

bool AccountScreening::StartPurge()
{
    if (m_pSession->CheckedCount() == 0 || m_pSession->IsFromLastScan()
        || !(m_pSession->IsReviewing() || m_pModel->Count() > 0))
        return false;
    SetStatus(tr("removing checked items…"));
    m_pSession->StartPurge();
    return true;
}

void AccountScreening::CancelReview()
{
    if (!m_pSession->IsReviewing() && m_pModel->Count() == 0)
        return;
    m_pSession->CancelReview();
    m_pModel->Clear();
    SetStatus(QString());
}

void AccountScreening::KeepAlive()
{
    m_pSession->KeepAlive();
}

void AccountScreening::BeginClose()
{
    m_bClosing = true;
    if (m_pSession->HasEngine())
        m_pSession->Engine().SignalQuit();
}

bool AccountScreening::WaitEnded(std::chrono::milliseconds budget)
{
    return !m_pSession->HasEngine() || m_pSession->Engine().WaitEnded(budget);
}

void AccountScreening::Abandon()
{
    // A worker that would not end keeps its engine; see CMavixView::AbandonWorkers.
    (void)m_pSession->ReleaseEngine();
}

void AccountScreening::SetStatus(QString status, bool bFailed)
{
    m_sStatus = std::move(status);
    m_bFailed = bFailed;
    emit Changed();
}

QString AccountScreening::CountText() const
{
    return tr("%1 messages, %2 suspect").arg(m_pSession->MsgCount()).arg(m_pSession->SuspectCount());
}

void AccountScreening::Fail(const std::string& why, bool bBackground)
{
    m_pModel->Clear();
    const std::string reason = why.empty() ? ToCp1252(tr("Server Not Found")) : why;
    if (bBackground)
        m_sBackgroundFailure = reason;
    SetStatus(tr("failed: ") + FromCp1252(reason), true);
}

void AccountScreening::OnAnswerWaitOver(const AnswerWaitOver&)
{ }

void AccountScreening::OnRowsAdded(const RowsAdded& added)
{
    if (m_pModel->Count() == 0)
        m_pModel->Reserve(static_cast<size_t>(std::clamp(m_pSession->MsgCount(), 0, kMaxReservedRows)));
    m_pModel->ShowRows(*added.m_pRows);
    SetStatus(tr("scanning: ") + CountText());
}

void AccountScreening::OnRepeatedNumber(const RepeatedNumber& repeated)
{
    Fail(ToCp1252(tr("Protocol Error - restart")), repeated.m_bBackground);
    if (repeated.m_bBackground)
        emit BackgroundCheckEnded(-1);
    emit ScanEnded();
}

void AccountScreening::OnCheckChanged(const CheckChanged& changed)
{
    m_pModel->OnCheckChanged(changed);
    emit Changed();
}

void AccountScreening::OnScanFinished(const ScanFinished& finished)
{
    const ScanDone& done = finished.m_done;
    if (done.m_nResult == -1) {
        Fail(done.m_sStatus, finished.m_bBackground);
        if (finished.m_bBackground)
            emit BackgroundCheckEnded(-1);
        emit ScanEnded();
        return;
    }
    m_sBackgroundFailure.clear();
    // A background check's rows stay; its session ends first (OnSessionOver).
    if (finished.m_nAfter == SessionMachine::AfterScan::kEndSession)
        return;
    QString status = CountText();
    if (!done.m_sStatus.empty())
        status += QStringLiteral(" (") + FromCp1252(done.m_sStatus) + QStringLiteral(")");
    SetStatus(status);
    if (finished.m_bBackground)
        emit BackgroundCheckEnded(1);
    if (finished.m_nAfter == SessionMachine::AfterScan::kReview)
        m_pSession->PruneChoices();
    emit ScanEnded();
}

void AccountScreening::OnPurgeFinished(const PurgeFinished& done)
{
    m_lastPurge = done.m_result;
    m_lastOutcome = done.m_outcome;
    m_pModel->KeepAfterPurge(done.m_aRemoved);
    SetStatus(FromCp1252(done.m_outcome.m_sText), done.m_outcome.NeedsAttention());
    emit PurgeEnded();
}

void AccountScreening::OnSessionLost(const SessionLost& lost)
{
    if (!lost.m_bCancelled) {
        SetStatus(CountText() + tr(" (the server ended the session: a purge logs in again)"));
        return;
    }
    m_pModel->Clear();
    SetStatus(tr("the server ended the session and gives no lasting ids: scan again"), true);
    emit ScanEnded();
}

void AccountScreening::OnSessionOver(const SessionOver& over)
{
    if (over.m_nAfter == SessionMachine::AfterSessionEnd::kBackgroundDone) {
        SetStatus(CountText());
        emit BackgroundCheckEnded(1);
        emit ScanEnded();
        return;
    }
    const SessionEnd& end = over.m_end;
    if (end.m_bRsetRefused || end.m_bQuitRefused)
        SetStatus(FromCp1252(end.m_bQuitRefused ? end.m_sQuitReply : end.m_sRsetReply), true);
}

void AccountScreening::OnServerWaiting(const ServerWaiting& waiting)
{
    if (!m_pSession->IsScanning() && !m_pSession->IsPurging())
        return;
    if (waiting.m_nSeconds > 0)
        SetStatus(tr("waiting for the server (%1 s)…").arg(waiting.m_nSeconds));
}

void AccountScreening::OnPreviewReady(const PreviewReady& ready)
{
    if (m_fnPreview)
        m_fnPreview(*m_pSession, ready);
}
