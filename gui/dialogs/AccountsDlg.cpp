#include "AccountsDlg.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "core/storage/AccountList.h"
#include "core/storage/PasswordStore.h"
#include "core/storage/SettingsStore.h"
#include "gui/widgets/Text.h"
#include "gui/widgets/Prompter.h"
#include "gui/widgets/ScreenFit.h"

namespace {

// What a line of the list says: the name, where the account is, and
// whether it is switched off.
QString EntryText(const AccountSettings& account)
{
    QString text = FromCp1252(account.DisplayName());
    if (!account.m_sName.empty())
        text += QStringLiteral("  (%1@%2)").arg(FromCp1252(account.m_sUser), FromCp1252(account.m_sServer));
    if (!account.m_bEnabled)
        text += QCoreApplication::translate("CAccountsDlg", "  — off");
    return text;
}

}  // namespace

CAccountsDlg::CAccountsDlg(SettingsStore& settings, PasswordStore& passwords, EditAccount edit, QWidget* parent)
    : QDialog(parent),
      m_settings(settings),
      m_passwords(passwords),
      m_fnEdit(std::move(edit)),
      m_pList(new QListWidget(this))
{
    screen_fit::FitToScreen(this);
    setWindowTitle(tr("Accounts"));
    m_pList->setObjectName(QStringLiteral("accountList"));
    m_pList->setAccessibleName(tr("Accounts"));

    auto* pButtons = new QVBoxLayout;
    auto add = [&](const char* caption, const char* name, auto slot) {
        auto* pButton = new QPushButton(tr(caption), this);
        pButton->setObjectName(QString::fromLatin1(name));
        pButton->setAutoDefault(false);
        connect(pButton, &QPushButton::clicked, this, slot);
        pButtons->addWidget(pButton);
        return pButton;
    };
    add(QT_TR_NOOP("&Add..."), "addAccount", [this] { AddAccount(); });
    m_pEdit = add(QT_TR_NOOP("&Edit..."), "editAccount", [this] { EditCurrent(); });
    m_pRename = add(QT_TR_NOOP("Re&name..."), "renameAccount", [this] { AskRename(); });
    m_pUp = add(QT_TR_NOOP("Move &Up"), "moveUp", [this] { MoveCurrent(-1); });
    m_pDown = add(QT_TR_NOOP("Move &Down"), "moveDown", [this] { MoveCurrent(1); });
    m_pSwitch = add(QT_TR_NOOP("&Switch Off"), "switchAccount", [this] { SwitchCurrent(); });
    m_pRemove = add(QT_TR_NOOP("&Remove..."), "removeAccount", [this] { RemoveCurrent(); });
    pButtons->addStretch();

    auto* pRow = new QHBoxLayout;
    pRow->addWidget(m_pList, 1);
    pRow->addLayout(pButtons);
    auto* pClose = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(pClose, &QDialogButtonBox::rejected, this, &QDialog::accept);
    auto* pLayout = new QVBoxLayout(this);
    pLayout->addLayout(pRow);
    pLayout->addWidget(pClose);

    connect(m_pList, &QListWidget::currentRowChanged, this, [this] { UpdateButtons(); });
    connect(m_pList, &QListWidget::itemActivated, this, [this] { EditCurrent(); });
    Reload(0);
}

int CAccountsDlg::Current() const
{
    const int row = m_pList->currentRow();
    return row >= 0 && row < static_cast<int>(m_accounts.size()) ? row : -1;
}

void CAccountsDlg::Reload(int nSelect)
{
    m_accounts = account_list::Load(m_settings);
    m_pList->clear();
    for (const AccountSettings& account : m_accounts) {
        auto* pItem = new QListWidgetItem(EntryText(account), m_pList);
        pItem->setToolTip(
            QStringLiteral("%1@%2:%3")
                .arg(FromCp1252(account.m_sUser), FromCp1252(account.m_sServer), FromCp1252(account.m_sPort)));
    }
    m_pList->setCurrentRow(std::clamp(nSelect, 0, static_cast<int>(m_accounts.size()) - 1));
    UpdateButtons();
}

void CAccountsDlg::UpdateButtons()
{
    const int row = Current();
    const int count = static_cast<int>(m_accounts.size());
    for (QPushButton* pButton : {m_pEdit, m_pRename, m_pSwitch, m_pRemove})
        pButton->setEnabled(row >= 0);
    m_pUp->setEnabled(row > 0);
    m_pDown->setEnabled(row >= 0 && row + 1 < count);
    const bool bOn = row < 0 || m_accounts[static_cast<size_t>(row)].m_bEnabled;
    m_pSwitch->setText(bOn ? tr("&Switch Off") : tr("&Switch On"));
}

bool CAccountsDlg::AddAccount()
{
    if (m_accounts.size() >= static_cast<size_t>(account_list::kMaxAccounts)) {
        Prompter::MessageBox(this, tr("Mavix keeps at most %1 accounts.").arg(account_list::kMaxAccounts));
        return false;
    }
    // A new settings file holds one empty account: the first one added fills
    // it. Any other new account has no section yet: it is added as the next.
    const bool bFirstEmpty = m_accounts.size() == 1 && m_accounts[0].m_sServer.empty() && m_accounts[0].m_sUser.empty();
    AccountSettings account;
    account.m_sSection = bFirstEmpty ? m_accounts[0].m_sSection : std::string();
    if (!m_fnEdit || !m_fnEdit(account))
        return false;
    m_bChanged = true;
    Reload(bFirstEmpty ? 0 : static_cast<int>(m_accounts.size()));
    return true;
}

bool CAccountsDlg::EditCurrent()
{
    const int row = Current();
    if (row < 0 || !m_fnEdit)
        return false;
    AccountSettings account = AccountSettings::Load(m_settings, &m_passwords, m_accounts[size_t(row)].m_sSection);
    if (!m_fnEdit(account))
        return false;
    m_bChanged = true;
    Reload(row);
    return true;
}

void CAccountsDlg::AskRename()
{
    const int row = Current();
    if (row < 0)
        return;
    QInputDialog dialog(this);
    dialog.setWindowTitle(tr("Rename Account"));
    dialog.setLabelText(
        tr("Name (empty: %1@%2):")
            .arg(FromCp1252(m_accounts[size_t(row)].m_sUser), FromCp1252(m_accounts[size_t(row)].m_sServer)));
    dialog.setTextValue(FromCp1252(m_accounts[size_t(row)].m_sName));
    if (Prompter::RunModal(dialog) == QDialog::Accepted)
        RenameCurrent(dialog.textValue());
}

bool CAccountsDlg::RenameCurrent(const QString& name)
{
    const int row = Current();
    if (row < 0)
        return false;
    AccountSettings account = AccountSettings::Load(m_settings, &m_passwords, m_accounts[size_t(row)].m_sSection);
    const AccountSettings before = account;
    account.m_sName = ToCp1252(name.trimmed());
    if (account_list::NameTaken(m_accounts, account)) {
        Prompter::MessageBox(this,
                             tr("Another account is already called “%1”: choose another name.").arg(name.trimmed()));
        return false;
    }
    account.Save(m_settings, m_passwords, before);
    m_bChanged = true;
    Reload(row);
    return true;
}

bool CAccountsDlg::MoveCurrent(int nBy)
{
    const int row = Current();
    const int to = row + nBy;
    if (row < 0 || to < 0 || to >= static_cast<int>(m_accounts.size()) || !account_list::Move(m_settings, row, to))
        return false;
    m_bChanged = true;
    Reload(to);
    return true;
}

bool CAccountsDlg::SwitchCurrent()
{
    const int row = Current();
    if (row < 0)
        return false;
    AccountSettings account = AccountSettings::Load(m_settings, &m_passwords, m_accounts[size_t(row)].m_sSection);
    const AccountSettings before = account;
    account.m_bEnabled = !account.m_bEnabled;
    account.Save(m_settings, m_passwords, before);
    m_bChanged = true;
    Reload(row);
    return true;
}

bool CAccountsDlg::RemoveCurrent()
{
    const int row = Current();
    if (row < 0)
        return false;
    Prompter::Confirmation question;
    question.m_sQuestion = tr("Remove the account \"%1\"?").arg(FromCp1252(m_accounts[size_t(row)].DisplayName()));
    question.m_sDetails =
        tr("Its password or sign-in, its remembered choices and its header cache are removed with it. "
           "Messages on the server are not touched.");
    question.m_sYes = tr("Remove");
    if (!Prompter::Confirm(this, question).m_bYes)
        return false;
    const bool bDone = account_list::Remove(m_settings, m_passwords, row);
    if (!bDone)
        Prompter::MessageBox(this, tr("The account could not be removed: the settings file could not be written."));
    m_bChanged |= bDone;
    Reload(row);
    return bDone;
}
