#pragma once

#include <QDialog>
#include <functional>
#include <vector>

#include "core/storage/AccountSettings.h"

class PasswordStore;
class QListWidget;
class QPushButton;
class SettingsStore;

// Edit › "Accounts...": the accounts in the order they are shown, and the
// buttons that add, edit, rename, reorder, switch off and remove them. Every
// change is written at once (account_list); the owner reloads its sessions
// when Changed() says something was written.
class CAccountsDlg : public QDialog {
    Q_OBJECT
public:
    // Edits an account in the account dialog (with the owner's sign-in and
    // keyring wiring) and stores it; true when it was stored. A new account
    // comes with no section (account_list::Add gives it the next one), or
    // with the empty first account's.
    using EditAccount = std::function<bool(AccountSettings& account)>;

    CAccountsDlg(SettingsStore& settings, PasswordStore& passwords, EditAccount edit, QWidget* parent = nullptr);

    bool Changed() const { return m_bChanged; }
    QListWidget* List() const { return m_pList; }
    // The account the list shows selected, -1 when none is.
    int Current() const;

    // The buttons' work, for the buttons and for tests.
    bool AddAccount();
    bool EditCurrent();
    bool RenameCurrent(const QString& name);
    bool MoveCurrent(int nBy);
    bool SwitchCurrent();
    // Asks first; false when the user said no or nothing was removed.
    bool RemoveCurrent();

private:
    void Reload(int nSelect);
    void AskRename();
    void UpdateButtons();

    SettingsStore& m_settings;
    PasswordStore& m_passwords;
    EditAccount m_fnEdit;
    std::vector<AccountSettings> m_accounts;
    QListWidget* m_pList;
    QPushButton* m_pEdit;
    QPushButton* m_pRename;
    QPushButton* m_pUp;
    QPushButton* m_pDown;
    QPushButton* m_pSwitch;
    QPushButton* m_pRemove;
    bool m_bChanged = false;
};
