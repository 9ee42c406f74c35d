#include "AccountDlg.h"

#include "core/platform/Cp1252.h"
#include "core/platform/TlsStream.h"
#include "core/pop3/Authentication.h"
#include "core/setup/AutoconfigLookup.h"
#include "core/setup/ProviderTable.h"
#include "gui/widgets/Prompter.h"
#include "gui/widgets/ScreenFit.h"
#include "gui/widgets/StaticLink.h"
#include "gui/widgets/Text.h"

#include <QCoreApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace {

// The user sees a '?' in place of a character the settings file and the
// server would never receive as typed; refuse it instead of storing it.
bool FitsCp1252(const QString& text)
{
    bool bLossy = false;
    platform::Utf8ToCp1252(text.toStdString(), &bLossy);
    return !bLossy;
}

bool HasControl(const QString& text)
{
    for (QChar c : text) {
        if (c.category() == QChar::Other_Control)
            return true;
    }
    return false;
}

QString PortHint(int security)
{
    return QCoreApplication::translate("CAccountDlg", "The usual port number is %1")
        .arg(QLatin1String(AccountSettings::StandardPort(static_cast<AccountSettings::Security>(security))));
}

QLabel* MakeProblemLabel(QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setWordWrap(true);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, QColor(0xB0, 0x00, 0x20));
    label->setPalette(palette);
    label->hide();
    return label;
}

// The authentication choices, in order: what the list shows, and the
// pop3::ParseAuthMethod name stored.
struct AuthEntry {
    const char* m_sLabel;
    const char* m_sName;
};
constexpr AuthEntry kAuthEntries[] = {
    {QT_TRANSLATE_NOOP("CAccountDlg", "Automatic"), "auto"},
    {QT_TRANSLATE_NOOP("CAccountDlg", "Password (USER/PASS)"), "user"},
    {"APOP", "apop"},
    {"PLAIN", "plain"},
    {"LOGIN", "login"},
    {"CRAM-MD5", "cram-md5"},
    {"SCRAM-SHA-1", "scram-sha-1"},
    {"SCRAM-SHA-256", "scram-sha-256"},
    {"OAuth 2.0", "oauth2"},
};

// A label that shows text from outside (a provider's configuration, a
// network error) as it is, never as markup.
QLabel* MakeNoteLabel(QWidget* parent, const char* name)
{
    auto* label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->hide();
    return label;
}

void SetNote(QLabel* label, const QString& text)
{
    label->setText(text);
    label->setVisible(!text.isEmpty());
}

}  // namespace

CAccountDlg::CAccountDlg(QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(tr("Account"));
    screen_fit::FitToScreen(this);

    m_pServer = new QLineEdit(this);
    m_pServer->setObjectName(QStringLiteral("server"));
    m_pUser = new QLineEdit(this);
    m_pUser->setObjectName(QStringLiteral("user"));
    m_pPass = new QLineEdit(this);
    m_pPass->setObjectName(QStringLiteral("password"));
    // Masked on screen; kept and stored as typed.
    m_pPass->setEchoMode(QLineEdit::Password);
    m_pPort = new QLineEdit(this);
    m_pPort->setObjectName(QStringLiteral("port"));
    m_pSecurity = new QComboBox(this);
    m_pSecurity->setObjectName(QStringLiteral("security"));
    m_pSecurity->addItem(tr("None"));
    m_pSecurity->addItem(tr("STARTTLS (STLS)"));
    m_pSecurity->addItem(tr("TLS (implicit)"));
    m_pFingerprint = new QLineEdit(this);
    m_pFingerprint->setObjectName(QStringLiteral("fingerprint"));
    m_pAddress = new QLineEdit(this);
    m_pAddress->setObjectName(QStringLiteral("address"));
    m_pSetUp = new QPushButton(tr("S&et Up"), this);
    m_pSetUp->setObjectName(QStringLiteral("setUp"));
    m_pSetUp->setAutoDefault(false);
    m_pSetUp->setToolTip(tr("Fills in the settings from Mavix's list of providers or, failing that, "
                            "from the configuration the address's domain publishes."));
    m_pSetupStatus = MakeNoteLabel(this, "setupStatus");
    m_pNotice = MakeNoteLabel(this, "setupNotice");
    m_pNoticeLink = new CStaticLink(tr("Open the provider's help page"), this);
    m_pNoticeLink->setObjectName(QStringLiteral("setupHelp"));
    m_pNoticeLink->hide();
    m_pAuth = new QComboBox(this);
    m_pAuth->setObjectName(QStringLiteral("authentication"));
    for (const AuthEntry& entry : kAuthEntries)
        m_pAuth->addItem(tr(entry.m_sLabel), QLatin1String(entry.m_sName));
    m_pSignIn = new QPushButton(tr("Sign &in…"), this);
    m_pSignIn->setObjectName(QStringLiteral("signIn"));
    m_pSignIn->setAutoDefault(false);
    m_pSignIn->hide();
    m_pLookup = new AutoconfigLookup(this);

    const int nChar = fontMetrics().averageCharWidth();
    m_pServer->setMinimumWidth(36 * nChar);
    m_pUser->setMinimumWidth(36 * nChar);
    m_pPass->setMinimumWidth(22 * nChar);
    m_pPort->setFixedWidth(8 * nChar);
    m_pFingerprint->setMinimumWidth(50 * nChar);
    m_pAddress->setMinimumWidth(36 * nChar);
    m_pSetupStatus->setMaximumWidth(60 * nChar);
    m_pNotice->setMaximumWidth(60 * nChar);

    m_pServerProblem = MakeProblemLabel(this);
    m_pUserProblem = MakeProblemLabel(this);
    m_pPassProblem = MakeProblemLabel(this);
    m_pPortProblem = MakeProblemLabel(this);
    m_pFingerprintProblem = MakeProblemLabel(this);

    auto* serverLabel = new QLabel(tr("&Server"), this);
    serverLabel->setBuddy(m_pServer);
    auto* userLabel = new QLabel(tr("&User Name"), this);
    userLabel->setBuddy(m_pUser);
    auto* passLabel = new QLabel(tr("&Password"), this);
    passLabel->setBuddy(m_pPass);
    auto* addressLabel = new QLabel(tr("E-&mail Address"), this);
    addressLabel->setBuddy(m_pAddress);
    auto* authLabel = new QLabel(tr("&Authentication"), this);
    authLabel->setBuddy(m_pAuth);
    auto* portLabel = new QLabel(tr("P&ort Number"), this);
    portLabel->setBuddy(m_pPort);
    m_pPortHint = new QLabel(PortHint(kSecurityNone), this);
    auto* securityLabel = new QLabel(tr("Se&curity"), this);
    securityLabel->setBuddy(m_pSecurity);
    auto* fingerprintLabel = new QLabel(tr("Certificate &fingerprint (SHA-256)"), this);
    fingerprintLabel->setBuddy(m_pFingerprint);
    auto* fingerprintHint =
        new QLabel(tr("Optional. Trusts the server's certificate with exactly this fingerprint even when it "
                      "cannot be verified (a self-signed one); enter it only as your provider gives it."),
                   this);
    fingerprintHint->setWordWrap(true);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CAccountDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CAccountDlg::reject);

    m_pPassHome = new QLabel(PasswordHomeText(m_nPasswordHome), this);
    m_pPassHome->setObjectName(QStringLiteral("passwordHome"));
    m_pPassHome->setWordWrap(true);

    auto* layout = new QVBoxLayout(this);
    auto addField = [layout](QLabel* label, QWidget* field, QLabel* problem) {
        layout->addWidget(label);
        layout->addWidget(field, 0, Qt::AlignLeft);
        layout->addWidget(problem);
        layout->addSpacing(4);
    };
    layout->addWidget(addressLabel);
    auto* addressRow = new QHBoxLayout;
    addressRow->addWidget(m_pAddress);
    addressRow->addWidget(m_pSetUp);
    addressRow->addStretch(1);
    layout->addLayout(addressRow);
    layout->addWidget(m_pSetupStatus);
    layout->addWidget(m_pNotice);
    layout->addWidget(m_pNoticeLink, 0, Qt::AlignLeft);
    layout->addSpacing(8);
    addField(serverLabel, m_pServer, m_pServerProblem);
    addField(userLabel, m_pUser, m_pUserProblem);
    layout->addWidget(passLabel);
    layout->addWidget(m_pPass, 0, Qt::AlignLeft);
    layout->addWidget(m_pPassProblem);
    layout->addWidget(m_pPassHome);
    layout->addSpacing(4);
    layout->addWidget(portLabel);
    auto* portRow = new QHBoxLayout;
    portRow->addWidget(m_pPort);
    portRow->addSpacing(nChar);
    portRow->addWidget(m_pPortHint);
    portRow->addStretch(1);
    layout->addLayout(portRow);
    layout->addWidget(m_pPortProblem);
    layout->addSpacing(4);
    layout->addWidget(securityLabel);
    layout->addWidget(m_pSecurity, 0, Qt::AlignLeft);
    layout->addSpacing(4);
    layout->addWidget(authLabel);
    auto* authRow = new QHBoxLayout;
    authRow->addWidget(m_pAuth);
    authRow->addWidget(m_pSignIn);
    authRow->addStretch(1);
    layout->addLayout(authRow);
    layout->addSpacing(4);
    layout->addWidget(fingerprintLabel);
    layout->addWidget(m_pFingerprint, 0, Qt::AlignLeft);
    layout->addWidget(m_pFingerprintProblem);
    layout->addWidget(fingerprintHint);
    layout->addSpacing(4);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    setTabOrder(m_pAddress, m_pSetUp);
    setTabOrder(m_pSetUp, m_pServer);
    setTabOrder(m_pServer, m_pUser);
    setTabOrder(m_pUser, m_pPass);
    setTabOrder(m_pPass, m_pPort);
    setTabOrder(m_pPort, m_pSecurity);
    setTabOrder(m_pSecurity, m_pAuth);
    setTabOrder(m_pAuth, m_pSignIn);
    setTabOrder(m_pSignIn, m_pFingerprint);
    setTabOrder(m_pFingerprint, buttons);

    connect(m_pSecurity, &QComboBox::currentIndexChanged, this, &CAccountDlg::OnSecurityChanged);
    connect(m_pAuth, &QComboBox::currentIndexChanged, this, &CAccountDlg::OnAuthChanged);
    connect(m_pSetUp, &QPushButton::clicked, this, &CAccountDlg::OnSetUp);
    connect(m_pSignIn, &QPushButton::clicked, this, &CAccountDlg::SignInRequested);
    connect(m_pLookup, &AutoconfigLookup::Finished, this, &CAccountDlg::OnLookupFinished);
}

int CAccountDlg::AuthIndexOf(const std::string& stored)
{
    pop3::AuthMethod method = pop3::AuthMethod::kAutomatic;
    if (!pop3::ParseAuthMethod(stored, method))
        return 0;  // shown as automatic; kept as stored unless the user picks another
    const QString name = QLatin1String(pop3::AuthMethodName(method));
    int index = m_pAuth->findData(name);
    if (index < 0) {
        // A mechanism fixed on the command line (XOAUTH2, OAUTHBEARER).
        m_pAuth->addItem(name.toUpper(), name);
        index = m_pAuth->count() - 1;
    }
    return index;
}

void CAccountDlg::OnAuthChanged()
{
    pop3::AuthMethod method = pop3::AuthMethod::kAutomatic;
    const bool bToken =
        pop3::ParseAuthMethod(m_pAuth->currentData().toString().toStdString(), method) && pop3::UsesToken(method);
    // A token takes the password's place.
    m_pPass->setEnabled(!bToken);
    m_pSignIn->setVisible(bToken);
}

std::string CAccountDlg::CurrentServer() const
{
    return ToCp1252(m_pServer->text().trimmed());
}

std::string CAccountDlg::CurrentUser() const
{
    return ToCp1252(m_pUser->text());
}

void CAccountDlg::SetSignInStatus(const QString& text, bool bBusy)
{
    SetNote(m_pSetupStatus, text);
    m_pSignIn->setEnabled(!bBusy);
}

void CAccountDlg::ShowNotice(const std::string& note, const std::string& url)
{
    SetNote(m_pNotice, QString::fromStdString(note));
    m_pNoticeLink->SetTarget(QString::fromStdString(url));
    m_pNoticeLink->setToolTip(QString::fromStdString(url));
    m_pNoticeLink->setVisible(!url.empty());
}

void CAccountDlg::ApplySetup(const MailSetup& setup, const QString& source)
{
    const int security = AccountSettings::SecurityOf(setup.m_sSecurity);
    {
        const QSignalBlocker blocker(m_pSecurity);
        m_pSecurity->setCurrentIndex(security);
    }
    m_nSecurityShown = security;
    m_pPortHint->setText(PortHint(security));
    m_pServer->setText(QString::fromStdString(setup.m_sServer));
    m_pPort->setText(QString::fromStdString(setup.m_sPort));
    if (!setup.m_sUser.empty())
        m_pUser->setText(QString::fromStdString(setup.m_sUser));
    // Without an OAuth client to sign in with, an app password is the way in
    // where the provider takes one.
    const bool bNoClient =
        setup.m_sAuth == "oauth2" && setup.m_bPasswordToo && m_fnCanSignIn && !m_fnCanSignIn(setup.m_sServer);
    m_pAuth->setCurrentIndex(AuthIndexOf(bNoClient ? std::string("auto") : setup.m_sAuth));
    const QString provider =
        setup.m_sProvider.empty() ? m_pAddress->text().section('@', -1) : QString::fromStdString(setup.m_sProvider);
    QString status = tr("Filled in the settings for %1 from %2.").arg(provider, source);
    if (bNoClient)
        status += tr(" No OAuth 2.0 client is set up, so enter an app password.");
    SetNote(m_pSetupStatus, status);
    ShowNotice(setup.m_sNote, setup.m_sHelpUrl);
}

void CAccountDlg::OnSetUp()
{
    std::string local, domain;
    ShowNotice({}, {});
    if (!mail_setup::SplitAddress(m_pAddress->text().toStdString(), local, domain)) {
        SetNote(m_pSetupStatus, tr("Enter the whole address, such as name@example.org (the domain in plain letters)."));
        return;
    }
    if (const provider_table::Provider* provider = provider_table::Find(domain)) {
        if (!provider->m_sServer) {
            SetNote(m_pSetupStatus, tr("%1 offers no POP3 access.").arg(provider->m_sName));
            ShowNotice(provider_table::Note(*provider), provider->m_sHelpUrl);
            return;
        }
        ApplySetup(provider_table::SetupFor(*provider, local, domain), tr("Mavix's list of providers"));
        return;
    }
    // Only now, at the user's request, does anything go out on the network.
    m_pSetUp->setEnabled(false);
    SetNote(m_pSetupStatus, tr("Looking up the settings %1 publishes…").arg(QString::fromStdString(domain)));
    m_pLookup->Start(local, domain);
}

void CAccountDlg::OnLookupFinished(bool bFound)
{
    m_pSetUp->setEnabled(true);
    if (bFound) {
        const MailSetup& setup = m_pLookup->Setup();
        const QString domain = m_pAddress->text().section('@', -1).trimmed();
        QStringList findings;
        for (const std::string& finding : setup.m_aFindings)
            findings << QString::fromStdString(finding);
        // A plain-text server or another domain's is never filled in
        // without the user's word.
        if (!findings.isEmpty()
            && !Prompter::Confirm(
                    this,
                    {tr("Use the settings %1 publishes?").arg(domain), findings.join('\n'), tr("Use These Settings")})
                    .m_bYes) {
            SetNote(m_pSetupStatus,
                    tr("The settings %1 publishes were not used: %2 Enter the server's details "
                       "yourself.")
                        .arg(domain, findings.join(' ')));
            return;
        }
        ApplySetup(setup, tr("the configuration its domain publishes"));
        if (!findings.isEmpty())
            SetNote(m_pSetupStatus, m_pSetupStatus->text() + ' ' + findings.join(' '));
        return;
    }
    SetNote(m_pSetupStatus,
            tr("No settings were found (%1). Enter the server's details yourself.")
                .arg(QString::fromStdString(m_pLookup->Problem())));
}

QString CAccountDlg::PasswordHomeText(PasswordStore::Home home)
{
    return home == PasswordStore::kKeyring ? tr("The password is kept in the desktop's keyring.")
                                           : tr("No keyring was found: the password is kept in Mavix's settings file, "
                                                "readable only by you.");
}

void CAccountDlg::OnSecurityChanged(int index)
{
    // Only a change between implicit TLS and the plain port's choices can
    // make another port standard.
    if ((index == kSecurityImplicitTls) != (m_nSecurityShown == kSecurityImplicitTls)) {
        const QString port = m_pPort->text().trimmed();
        const QString follow = QString::fromStdString(
            AccountSettings::PortFor(static_cast<AccountSettings::Security>(index), port.toStdString()));
        if (follow != port)
            m_pPort->setText(follow);
    }
    m_nSecurityShown = index;
    m_pPortHint->setText(PortHint(index));
}

QString CAccountDlg::CredentialProblem(const QString& text, const QString& what)
{
    // CR or LF would end the USER/PASS command line early and let the rest
    // be read as a further command (RFC 1939 §3); no other control
    // character belongs in a user name or password either.
    if (HasControl(text))
        return tr("The %1 cannot contain control characters.").arg(what);
    if (text.size() > kMaxCredential) {
        return tr("The %1 can be at most %2 characters long; this one has %3.")
            .arg(what)
            .arg(kMaxCredential)
            .arg(text.size());
    }
    if (!FitsCp1252(text))
        return tr("The %1 can only hold Western (Windows-1252) characters.").arg(what);
    return {};
}

QString CAccountDlg::NormalisePort(const QString& text)
{
    // Any blank Qt knows around it; within it, nothing but ASCII digits.
    const QString trimmed = text.trimmed();
    for (QChar c : trimmed) {
        if (c.unicode() > 0x7F)
            return {};
    }
    return QString::fromStdString(AccountSettings::NormalisePort(trimmed.toStdString()));
}

void CAccountDlg::SetProblem(QLabel* label, const QString& text)
{
    label->setText(text);
    label->setVisible(!text.isEmpty());
}

void CAccountDlg::accept()
{
    const QString server = m_pServer->text().trimmed();
    const QString port = NormalisePort(m_pPort->text());

    QString serverProblem;
    if (HasControl(server))
        serverProblem = tr("The server name cannot contain control characters.");
    else if (!FitsCp1252(server))
        serverProblem = tr("The server name can only hold Western (Windows-1252) characters.");
    const QString userProblem = CredentialProblem(m_pUser->text(), tr("user name"));
    const QString passProblem = CredentialProblem(m_pPass->text(), tr("password"));
    const QString portProblem = port.isEmpty() ? tr("Enter the port as a whole number from 1 to 65535.") : QString();
    const QString fingerprintText = m_pFingerprint->text().trimmed();
    const std::string fingerprint = platform::NormaliseFingerprint(fingerprintText.toStdString());
    const QString fingerprintProblem = !fingerprintText.isEmpty() && fingerprint.empty()
        ? tr("Enter the SHA-256 fingerprint as 64 hex digits, with or without colons, or leave it empty.")
        : QString();

    SetProblem(m_pServerProblem, serverProblem);
    SetProblem(m_pUserProblem, userProblem);
    SetProblem(m_pPassProblem, passProblem);
    SetProblem(m_pPortProblem, portProblem);
    SetProblem(m_pFingerprintProblem, fingerprintProblem);

    // Nothing is stored while any field is refused; the first refused field
    // takes the focus so the user can correct it at once.
    const std::pair<const QString*, QLineEdit*> checks[] = {{&serverProblem, m_pServer},
                                                            {&userProblem, m_pUser},
                                                            {&passProblem, m_pPass},
                                                            {&portProblem, m_pPort},
                                                            {&fingerprintProblem, m_pFingerprint}};
    for (const auto& [problem, field] : checks) {
        if (!problem->isEmpty()) {
            field->setFocus();
            field->selectAll();
            return;
        }
    }

    m_pServer->setText(server);
    m_pPort->setText(port);
    m_account.m_sServer = ToCp1252(server);
    m_account.m_sUser = ToCp1252(m_pUser->text());
    m_account.m_sPass = ToCp1252(m_pPass->text());
    m_account.m_sPort = ToCp1252(port);
    m_account.m_sSecurity = std::to_string(m_pSecurity->currentIndex());
    m_account.m_sTlsFingerprint = fingerprint;
    // A method left as it was shown keeps its stored text (absent stays absent).
    if (m_pAuth->currentIndex() != m_nAuthStored)
        m_account.m_sAuth = m_pAuth->currentData().toString().toStdString();
    m_pFingerprint->setText(QString::fromStdString(fingerprint));
    QDialog::accept();
}

void CAccountDlg::showEvent(QShowEvent* event)
{
    if (!m_bInitialised) {
        m_bInitialised = true;
        m_pServer->setText(FromCp1252(m_account.m_sServer));
        m_pUser->setText(FromCp1252(m_account.m_sUser));
        m_pPass->setText(FromCp1252(m_account.m_sPass));
        m_pPassHome->setText(PasswordHomeText(m_nPasswordHome));
        m_pPort->setText(FromCp1252(m_account.m_sPort));
        // The stored choice is shown as it is: the port is not adjusted.
        const int security = AccountSettings::SecurityOf(m_account.m_sSecurity);
        m_nSecurityShown = security;
        {
            const QSignalBlocker blocker(m_pSecurity);
            m_pSecurity->setCurrentIndex(security);
        }
        m_pPortHint->setText(PortHint(security));
        m_pFingerprint->setText(FromCp1252(m_account.m_sTlsFingerprint));
        m_nAuthStored = AuthIndexOf(m_account.m_sAuth);
        m_pAuth->setCurrentIndex(m_nAuthStored);
        OnAuthChanged();
        // A user name that is an address is the likely address to set up from.
        if (m_account.m_sUser.find('@') != std::string::npos)
            m_pAddress->setText(FromCp1252(m_account.m_sUser));
        m_pServer->setFocus();
    }
    QDialog::showEvent(event);
}
