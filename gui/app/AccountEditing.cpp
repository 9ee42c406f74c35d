#include "AccountEditing.h"

#include "core/auth/AuthorizationFlow.h"
#include "core/auth/OAuthProvider.h"
#include "core/platform/Cp1252.h"
#include "core/platform/Secrets.h"
#include "core/storage/AccountList.h"
#include "core/storage/PasswordStore.h"
#include "core/storage/Preferences.h"
#include "core/storage/ServerWait.h"
#include "core/storage/SettingsStore.h"
#include "gui/dialogs/AccountDlg.h"
#include "gui/dialogs/AccountsDlg.h"
#include "gui/dialogs/PrefsDlg.h"
#include "gui/review/MavixView.h"
#include "gui/widgets/Prompter.h"
#include "gui/widgets/Text.h"

#include <QDesktopServices>
#include <QPointer>
#include <QTimer>
#include <QUrl>
#include <utility>

CAccountEditing::CAccountEditing(SettingsStore& settings, CMavixView& view, QWidget& window)
    : QObject(&window),
      m_settings(settings),
      m_view(view),
      m_window(window)
{
    connect(&m_view, &CMavixView::AccountEditWanted, this, &CAccountEditing::EditAccount);
}

CAccountEditing::~CAccountEditing()
{
    platform::SecureWipe(m_signedIn.m_sRefresh);
}

void CAccountEditing::OnManageAccount()
{
    EditAccount(m_view.SelectedAccount());
}

void CAccountEditing::EditAccount(int nAccount)
{
    if (nAccount < 0 || nAccount >= m_view.AccountCount())
        return;
    AccountSettings account = m_view.AccountAt(nAccount);
    if (EditAndStore(account))
        m_view.ApplyEditedAccount(nAccount, std::move(account));
}

bool CAccountEditing::EditAndStore(AccountSettings& account)
{
    CAccountDlg dlg(&m_window);
    dlg.m_account = account;
    // The title names the account: F2 edits the one selected.
    if (account.m_sSection.empty())
        dlg.setWindowTitle(tr("New Account"));
    else if (!account.m_sServer.empty() || !account.m_sName.empty())
        dlg.setWindowTitle(tr("Account “%1”").arg(FromCp1252(account.DisplayName())));
    PasswordStore passwords(m_settings);
    dlg.m_nPasswordHome = passwords.Where();
    connect(&dlg, &CAccountDlg::SignInRequested, this, [this, &dlg] { SignIn(dlg); });
    dlg.m_fnCanSignIn = [this, section = account.m_sSection](const std::string& server) {
        AccountSettings probe;
        probe.m_sSection = section;
        probe.m_sServer = server;
        oauth::Provider provider;
        return oauth::LoadProvider(m_settings, probe, provider, nullptr);
    };
    const int result = Prompter::RunModal(dlg);
    if (m_pSignIn)
        m_pSignIn->Cancel();  // its answer would find no dialog
    SignedIn signedIn = std::exchange(m_signedIn, {});
    bool bStored = result == QDialog::Accepted;
    if (bStored && account.m_sSection.empty())
        bStored = account_list::Add(m_settings, passwords, dlg.m_account);
    else if (bStored)
        dlg.m_account.Save(m_settings, passwords, account);
    // After the account, which forgets the sign-in of a server or user
    // that changed.
    if (bStored && !signedIn.m_sRefresh.empty() && signedIn.m_sServer == dlg.m_account.m_sServer
        && signedIn.m_sUser == dlg.m_account.m_sUser)
        passwords.SaveToken(account_list::KeyOf(m_settings, dlg.m_account), dlg.m_account.m_sSection,
                            signedIn.m_sRefresh);
    platform::SecureWipe(signedIn.m_sRefresh);
    if (bStored)
        account = std::move(dlg.m_account);
    return bStored;
}

void CAccountEditing::OnManageAccounts()
{
    if (m_view.AnyBusy()) {
        Prompter::MessageBox(&m_window,
                             tr("The accounts can be changed once no account is being scanned or "
                                "reviewed: finish or cancel the review first."));
        return;
    }
    PasswordStore passwords(m_settings);
    CAccountsDlg dlg(
        m_settings, passwords, [this](AccountSettings& account) { return EditAndStore(account); }, &m_window);
    Prompter::RunModal(dlg);
    if (dlg.Changed())
        m_view.ReloadAccounts();
}

void CAccountEditing::SignIn(CAccountDlg& dlg)
{
    if (m_pSignIn)
        return;
    const std::string server = dlg.CurrentServer(), user = dlg.CurrentUser();
    oauth::Provider provider;
    std::string why;
    AccountSettings probe = dlg.m_account;
    probe.m_sServer = server;
    if (server.empty() || !oauth::LoadProvider(m_settings, probe, provider, &why)) {
        QString text = server.empty() ? tr("Enter the server first.") : FromCp1252(why);
        if (!text.isEmpty())
            text[0] = text[0].toUpper();
        dlg.SetSignInStatus(text, false);
        return;
    }
    const auto open = [](const std::string& url) {
        return QDesktopServices::openUrl(QUrl(QString::fromStdString(url), QUrl::StrictMode));
    };
    m_pSignIn = std::make_unique<oauth::AuthorizationFlow>(std::move(provider), open, platform::Cp1252ToUtf8(user));
    dlg.SetSignInStatus(tr("Waiting for the sign-in in your browser…"), true);
    QPointer<CAccountDlg> pDlg(&dlg);
    m_pSignIn->Start([this, pDlg, server, user](oauth::FlowResult result) {
        QString text;
        if (result.m_bOk && !result.m_tokens.m_sRefresh.empty()) {
            // Kept once the account is: a cancelled dialog changes nothing.
            platform::SecureWipe(m_signedIn.m_sRefresh);
            m_signedIn = {server, user, result.m_tokens.m_sRefresh};
            text = tr("Signed in. Press OK to keep the sign-in with the account.");
        } else {
            text = tr("Sign-in failed: ")
                + QString::fromStdString(result.m_bOk ? "the provider gave no refresh token" : result.m_sError);
        }
        result.m_tokens.Wipe();
        if (pDlg)
            pDlg->SetSignInStatus(text, false);
        QTimer::singleShot(0, this, [this] { m_pSignIn.reset(); });
    });
}

void CAccountEditing::OnPreferences()
{
    CPrefsDlg dlg(&m_window);
    Preferences prefs = Preferences::Load(m_settings);
    dlg.m_bExitAfter = prefs.m_bCloseWhenDone;
    dlg.m_bAutoStart = prefs.m_bAutoStart;
    dlg.m_bDefaultFilters = prefs.m_bDefaultFilters;
    dlg.m_nCheckEvery = prefs.m_nCheckEvery;
    dlg.m_nKeepCopyKB = prefs.m_nKeepCopyKB;
    dlg.m_bAskBeforeDelete = prefs.m_bAskBeforeDelete;
    dlg.m_nKeepCopyDays = prefs.m_nKeepCopyDays;
    dlg.m_nWaitSeconds = prefs.m_wait.m_nSeconds;
    dlg.m_bCheckAuthentication = prefs.m_bCheckAuthentication;
    dlg.m_bCheckNames = prefs.m_bCheckNames;
    dlg.m_bCheckLookAlikes = prefs.m_bCheckLookAlikes;
    dlg.m_nPreviewLines = prefs.PreviewLines();
    if (Prompter::RunModal(dlg) != QDialog::Accepted)
        return;
    prefs.m_bCloseWhenDone = dlg.m_bExitAfter;
    prefs.m_bAutoStart = dlg.m_bAutoStart;
    prefs.m_bDefaultFilters = dlg.m_bDefaultFilters;
    // Read by the tray's background checks after this.
    prefs.m_nCheckEvery = dlg.m_nCheckEvery;
    prefs.m_nKeepCopyKB = dlg.m_nKeepCopyKB;
    prefs.m_nKeepCopyDays = dlg.m_nKeepCopyDays;
    prefs.m_bAskBeforeDelete = dlg.m_bAskBeforeDelete;
    prefs.m_wait = ServerWait{dlg.m_nWaitSeconds};
    // Read by the next scan.
    prefs.m_bCheckAuthentication = dlg.m_bCheckAuthentication;
    prefs.m_bCheckNames = dlg.m_bCheckNames;
    prefs.m_bCheckLookAlikes = dlg.m_bCheckLookAlikes;
    prefs.m_nPreviewLines = dlg.m_nPreviewLines;
    prefs.Save(m_settings);
    m_view.ApplyPreferences(prefs);
}
