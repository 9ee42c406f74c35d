#pragma once

#include "core/storage/AccountSettings.h"

#include <QObject>
#include <memory>
#include <string>

class CAccountDlg;
class CMavixView;
class QWidget;
class SettingsStore;
namespace oauth {
class AuthorizationFlow;
}

// The window's commands that change what is stored: Edit › Manage Account
// (F2: the account selected in the view), Edit › Accounts…, the browser
// sign-in inside the account dialog, and Edit › Preferences. The view only
// shows the accounts; it is told what changed (ApplyEditedAccount,
// ReloadAccounts, ApplyPreferences) and asks for an account's dialog with
// AccountEditWanted.
class CAccountEditing : public QObject {
    Q_OBJECT
public:
    CAccountEditing(SettingsStore& settings, CMavixView& view, QWidget& window);
    ~CAccountEditing() override;

    void OnManageAccount();
    // The account dialog for the view's account nAccount; stored and handed
    // to the view when accepted.
    void EditAccount(int nAccount);
    // Edit › Accounts...: refused while an account is scanned or reviewed.
    void OnManageAccounts();
    // Edits `account` in the account dialog (its title names it) and stores
    // it when accepted (an account with no section is added as the next
    // one), with its sign-in.
    bool EditAndStore(AccountSettings& account);
    void OnPreferences();

private:
    // "Sign in..." in the account dialog: the browser sign-in for the
    // dialog's server and user, with the provider of the account's own
    // section; the refresh token goes where passwords go.
    void SignIn(CAccountDlg& dlg);

    SettingsStore& m_settings;
    CMavixView& m_view;
    QWidget& m_window;
    std::unique_ptr<oauth::AuthorizationFlow> m_pSignIn;  // while a sign-in runs
    // The account dialog's last sign-in, stored when the dialog is accepted.
    struct SignedIn {
        std::string m_sServer, m_sUser, m_sRefresh;
    } m_signedIn;
};
