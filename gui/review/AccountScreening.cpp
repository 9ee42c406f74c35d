#include "AccountScreening.h"

#include "core/auth/TokenSources.h"
#include "core/platform/Secrets.h"
#include "core/storage/AccountList.h"
#include "core/storage/PasswordStore.h"
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
// once the account is gone.
class AccountScreening::EngineListener : public NoteQueueListener {
public:
    explicit EngineListener(AccountScreening& owner)
        : m_owner(owner)
    { }

protected:
    void Queue(ScreeningNote note) override
    {
        QPointer<AccountScreening> pOwner(&m_owner);
        QMetaObject::invokeMethod(
            &m_owner,
            [pOwner, note = std::move(note)] {
                if (pOwner && !pOwner->m_bClosing && pOwner->m_pSession && pOwner->m_pSession->HasEngine())
                    DeliverNote(note, *pOwner->m_pSession);
            },
            Qt::QueuedConnection);
    }

private:
    AccountScreening& m_owner;
};

AccountScreening::AccountScreening(SettingsStore& settings, AccountSettings account, QObject* parent)
    : QObject(parent),
      m_settings(settings),
      m_account(std::move(account))
{
    m_pListener = std::make_unique<EngineListener>(*this);
    ISessionListener& owner = *this;
    m_pSession = std::make_unique<ScreeningSession>(*m_pListener, owner);
    m_pModel = new MessageGridModel(*m_pSession, this);
    m_pModel->SetAccountName(FromCp1252(m_account.DisplayName()));
    m_pSession->SetTokenSource(TokenSourceFor(m_settings, m_account, this));
    m_pSession->LoadChoices(m_account);
    m_pSession->SetHeaderCache(HeaderCacheUse::kUse);
    m_pSession->Engine().StartThreads();
}

void AccountScreening::SetAccount(AccountSettings account)
{
    m_account = std::move(account);
    m_pModel->SetAccountName(FromCp1252(m_account.DisplayName()));
    m_pSession->SetTokenSource(TokenSourceFor(m_settings, m_account, this));
    m_pSession->LoadChoices(m_account);
}

AccountScreening::~AccountScreening()
{
    // The engine joins its workers first: they may queue notes until then.
    m_pSession.reset();
}

pop3::TokenSource AccountScreening::TokenSourceFor(SettingsStore& settings, const AccountSettings& account,
                                                   QObject* context)
{
    pop3::AuthMethod method = pop3::AuthMethod::kAutomatic;
    if (!pop3::ParseAuthMethod(account.m_sAuth, method) || !pop3::UsesToken(method))
        return nullptr;
    oauth::Provider provider;
    std::string why;
    oauth::Tokens tokens;
    const AccountKey key = account_list::KeyOf(settings, account);
    if (oauth::LoadProvider(settings, account, provider, &why))
        tokens.m_sRefresh = PasswordStore(settings).LoadToken(key, account.m_sSection);
    if (tokens.m_sRefresh.empty()) {
        // Nothing to refresh: each log-in says why, without connecting.
        if (why.empty())
            return nullptr;  // nobody has signed in yet
        return [why](bool, std::string* psError) {
            if (psError)
                *psError = why;
            return std::string();
        };
    }
    // A refresh token the server replaced is stored on this thread, under
    // the account it was issued for.
    QPointer<QObject> guard(context);
    SettingsStore* pSettings = &settings;
    const std::string section = account.m_sSection;
    return oauth::MakeRefreshTokenSource(std::move(provider), std::move(tokens),
                                         [guard, pSettings, key, section](const std::string& refresh) {
                                             auto pRefresh = std::make_shared<std::string>(refresh);
                                             QMetaObject::invokeMethod(
                                                 qApp,
                                                 [guard, pSettings, key, section, pRefresh] {
                                                     if (guard)
                                                         PasswordStore(*pSettings).SaveToken(key, section, *pRefresh);
                                                     platform::SecureWipe(*pRefresh);
                                                 },
                                                 Qt::QueuedConnection);
                                         });
}

void AccountScreening::ApplyPreferences(bool bCloseWhenDone, uint64_t nKeepCopyBytes,
                                        std::chrono::milliseconds serverWait)
{
    m_pSession->SetCloseWhenDone(bCloseWhenDone);
    m_pSession->SetQuarantine(QuarantineOptions{nKeepCopyBytes, {}});
    m_pSession->Engine().SetServerWait(serverWait);
}

bool AccountScreening::StartScan(const FilterLists& lists, bool bBackground)
{
    if (!m_account.IsComplete()) {
        SetStatus(tr("failed: some field of the account is blank"), true);
        return false;
    }
    if (bBackground && !m_pSession->MayStartBackground())
        return false;
    // A review left open is quit by the engine before it logs in again.
    m_pModel->Clear();
    if (!bBackground || !m_bFailed)
        SetStatus(tr("scanning…"));
    FilterLists withSignals = lists;
    withSignals.SetSignals(Preferences::Load(m_settings).Signals(m_account));
    m_pSession->StartScan(m_account, withSignals, RowKeeping::kEveryRow, bBackground);
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
