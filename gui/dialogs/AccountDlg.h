#pragma once

#include <QDialog>
#include <string>

#include "core/storage/AccountSettings.h"
#include "core/storage/PasswordStore.h"

class QComboBox;
class QLabel;
class QLineEdit;

// The POP3 account: server, user name, password, port, connection security
// and, optionally, the fingerprint of a server certificate to trust.
//
// The owner copies the account into m_account, runs the dialog modally and
// reads it back only when it was accepted.
class CAccountDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAccountDlg(QWidget* parent = nullptr);

    AccountSettings m_account;
    // Where the password will be kept; the dialog says so under the field.
    PasswordStore::Home m_nPasswordHome = PasswordStore::kSettingsFile;

    // The note under the password field for each home.
    static QString PasswordHomeText(PasswordStore::Home home);

    // The entries of the security choice, in order (its index is the value
    // stored).
    enum {
        kSecurityNone = AccountSettings::kSecurityNone,
        kSecurityStls = AccountSettings::kSecurityStls,
        kSecurityImplicitTls = AccountSettings::kSecurityImplicitTls
    };

    // Longest user name or password the connection sends: the USER and PASS
    // command lines must stay well inside RFC 1939's 255-octet argument limit
    // and the server's line limit.
    static constexpr int kMaxCredential = 120;

    // The reason a user name or password cannot be sent, or empty when it can.
    // what names the field in the message ("user name", "password").
    static QString CredentialProblem(const QString& text, const QString& what);
    // The port as canonical decimal text ("110"), or empty when the text is
    // not a whole number from 1 to 65535 (blanks around it are allowed).
    static QString NormalisePort(const QString& text);

public slots:
    void accept() override;

protected:
    void showEvent(QShowEvent* event) override;

private slots:
    void OnSecurityChanged(int index);

private:
    // Shows why a field was refused beside it (empty text hides the note).
    static void SetProblem(QLabel* label, const QString& text);

    QLineEdit* m_pServer;
    QLineEdit* m_pUser;
    QLineEdit* m_pPass;
    QLineEdit* m_pPort;
    QLabel* m_pServerProblem;
    QLabel* m_pUserProblem;
    QLabel* m_pPassProblem;
    QLabel* m_pPassHome;
    QLabel* m_pPortProblem;
    QLabel* m_pPortHint;
    QComboBox* m_pSecurity;
    QLineEdit* m_pFingerprint;
    QLabel* m_pFingerprintProblem;
    int m_nSecurityShown = kSecurityNone;  // the choice before the current one
    bool m_bInitialised = false;
};
