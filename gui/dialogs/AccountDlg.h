#pragma once

#include <QDialog>
#include <functional>
#include <string>

#include "core/storage/AccountSettings.h"
#include "core/storage/PasswordStore.h"

class AutoconfigLookup;
class CStaticLink;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
struct MailSetup;

// The POP3 account: server, user name, password, port, connection security,
// how to log in and, optionally, the fingerprint of a server certificate to
// trust. An e-mail address and "Set Up" fill the fields from the provider
// table or, asked for by that button only, the domain's autoconfig file.
//
// The owner copies the account into m_account, runs the dialog modally and
// reads it back only when it was accepted.
class CAccountDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAccountDlg(QWidget* parent = nullptr);

    AccountSettings m_account;
    // Whether OAuth 2.0 can sign in for a server (a client ID is set up);
    // empty: it can. Set Up picks the password where it cannot and the
    // provider takes an app password too.
    std::function<bool(const std::string& server)> m_fnCanSignIn;
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

    // The autoconfig lookup "Set Up" runs when the table has no provider for
    // the domain (tests point it at their own server).
    AutoconfigLookup* Lookup() const { return m_pLookup; }

    // The server and user name as typed now (Windows-1252 bytes, blanks
    // around the server trimmed): whose sign-in "Sign in..." is for.
    std::string CurrentServer() const;
    std::string CurrentUser() const;
    // Says how the sign-in goes, under the Authentication choice; while
    // bBusy, "Sign in..." cannot be pressed again.
    void SetSignInStatus(const QString& text, bool bBusy);

public slots:
    void accept() override;

signals:
    // "Sign in..." was pressed with OAuth 2.0 chosen.
    void SignInRequested();

protected:
    void showEvent(QShowEvent* event) override;

private slots:
    void OnSecurityChanged(int index);
    void OnSetUp();
    void OnLookupFinished(bool bFound);
    void OnAuthChanged();

private:
    // Fills the fields from a setup and shows its notice.
    void ApplySetup(const MailSetup& setup, const QString& source);
    void ShowNotice(const std::string& note, const std::string& url);
    // The stored method's entry, added when it is not one of the list's.
    int AuthIndexOf(const std::string& stored);
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
    QLineEdit* m_pAddress;
    QPushButton* m_pSetUp;
    QLabel* m_pSetupStatus;
    QLabel* m_pNotice;
    CStaticLink* m_pNoticeLink;
    QComboBox* m_pAuth;
    QPushButton* m_pSignIn;
    AutoconfigLookup* m_pLookup;
    int m_nAuthStored = 0;                 // the entry the stored method showed as
    int m_nSecurityShown = kSecurityNone;  // the choice before the current one
    bool m_bInitialised = false;
};
