#include "AccountDlg.h"

#include "platform/Cp1252.h"
#include "ui/Text.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
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

}  // namespace

CAccountDlg::CAccountDlg(QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Account"));

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

    const int nChar = fontMetrics().averageCharWidth();
    m_pServer->setMinimumWidth(36 * nChar);
    m_pUser->setMinimumWidth(36 * nChar);
    m_pPass->setMinimumWidth(22 * nChar);
    m_pPort->setFixedWidth(8 * nChar);

    m_pServerProblem = MakeProblemLabel(this);
    m_pUserProblem = MakeProblemLabel(this);
    m_pPassProblem = MakeProblemLabel(this);
    m_pPortProblem = MakeProblemLabel(this);

    auto* serverLabel = new QLabel(QStringLiteral("Server"), this);
    serverLabel->setBuddy(m_pServer);
    auto* userLabel = new QLabel(QStringLiteral("User Name"), this);
    userLabel->setBuddy(m_pUser);
    auto* passLabel = new QLabel(QStringLiteral("Password"), this);
    passLabel->setBuddy(m_pPass);
    auto* portLabel = new QLabel(QStringLiteral("Port Number"), this);
    portLabel->setBuddy(m_pPort);
    auto* portHint = new QLabel(QStringLiteral("The usual port number is 110"), this);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CAccountDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CAccountDlg::reject);

    auto* layout = new QVBoxLayout(this);
    auto addField = [layout](QLabel* label, QWidget* field, QLabel* problem) {
        layout->addWidget(label);
        layout->addWidget(field, 0, Qt::AlignLeft);
        layout->addWidget(problem);
        layout->addSpacing(4);
    };
    addField(serverLabel, m_pServer, m_pServerProblem);
    addField(userLabel, m_pUser, m_pUserProblem);
    addField(passLabel, m_pPass, m_pPassProblem);
    layout->addWidget(portLabel);
    auto* portRow = new QHBoxLayout;
    portRow->addWidget(m_pPort);
    portRow->addSpacing(nChar);
    portRow->addWidget(portHint);
    portRow->addStretch(1);
    layout->addLayout(portRow);
    layout->addWidget(m_pPortProblem);
    layout->addSpacing(4);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    setTabOrder(m_pServer, m_pUser);
    setTabOrder(m_pUser, m_pPass);
    setTabOrder(m_pPass, m_pPort);
    setTabOrder(m_pPort, buttons);
}

QString CAccountDlg::CredentialProblem(const QString& text, const QString& what)
{
    // CR or LF would end the USER/PASS command line early and let the rest
    // be read as a further command (RFC 1939 §3); no other control
    // character belongs in a user name or password either.
    if (HasControl(text))
        return QStringLiteral("The %1 cannot contain control characters.").arg(what);
    if (text.size() > kMaxCredential) {
        return QStringLiteral("The %1 can be at most %2 characters long; this one has %3.")
            .arg(what)
            .arg(kMaxCredential)
            .arg(text.size());
    }
    if (!FitsCp1252(text))
        return QStringLiteral("The %1 can only hold Western (Windows-1252) characters.").arg(what);
    return {};
}

QString CAccountDlg::NormalisePort(const QString& text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return {};
    for (QChar c : trimmed) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return {};
    }
    bool bOk = false;
    const qulonglong value = trimmed.toULongLong(&bOk);
    if (!bOk || value < 1 || value > 65535)
        return {};
    return QString::number(value);
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
        serverProblem = QStringLiteral("The server name cannot contain control characters.");
    else if (!FitsCp1252(server))
        serverProblem = QStringLiteral("The server name can only hold Western (Windows-1252) characters.");
    const QString userProblem = CredentialProblem(m_pUser->text(), QStringLiteral("user name"));
    const QString passProblem = CredentialProblem(m_pPass->text(), QStringLiteral("password"));
    const QString portProblem = port.isEmpty()
        ? QStringLiteral("Enter the port as a whole number from 1 to 65535.")
        : QString();

    SetProblem(m_pServerProblem, serverProblem);
    SetProblem(m_pUserProblem, userProblem);
    SetProblem(m_pPassProblem, passProblem);
    SetProblem(m_pPortProblem, portProblem);

    // Nothing is stored while any field is refused; the first refused field
    // takes the focus so the user can correct it at once.
    const std::pair<const QString*, QLineEdit*> checks[] = {
        {&serverProblem, m_pServer}, {&userProblem, m_pUser},
        {&passProblem, m_pPass}, {&portProblem, m_pPort}};
    for (const auto& [problem, field] : checks) {
        if (!problem->isEmpty()) {
            field->setFocus();
            field->selectAll();
            return;
        }
    }

    m_pServer->setText(server);
    m_pPort->setText(port);
    m_sServer = ToCp1252(server);
    m_sUser = ToCp1252(m_pUser->text());
    m_sPass = ToCp1252(m_pPass->text());
    m_sPort = ToCp1252(port);
    QDialog::accept();
}

void CAccountDlg::showEvent(QShowEvent* event)
{
    if (!m_bInitialised) {
        m_bInitialised = true;
        m_pServer->setText(FromCp1252(m_sServer));
        m_pUser->setText(FromCp1252(m_sUser));
        m_pPass->setText(FromCp1252(m_sPass));
        m_pPort->setText(FromCp1252(m_sPort));
        m_pServer->setFocus();
    }
    QDialog::showEvent(event);
}
