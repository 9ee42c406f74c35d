// The accounts dialog: each button's change reaches the settings file in
// the order and the sections the rest of the program reads.

#include "core/storage/AccountList.h"
#include "core/storage/PasswordStore.h"
#include "core/storage/SettingsStore.h"
#include "gui/dialogs/AccountsDlg.h"
#include "gui/widgets/Prompter.h"

#include <QFile>
#include <QListWidget>
#include <QTest>

class TestAccountsDlg : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void everyButtonWritesTheList();

private:
    // "name user@server on|off" for each stored account, in order.
    QStringList Stored();

    SettingsStore m_settings;
    PasswordStore m_passwords{m_settings};
    bool m_bConfirm = true;
    QStringList m_asBoxes;
};

void TestAccountsDlg::init()
{
    QFile::remove(QString::fromStdString(m_settings.FilePath()));
    QVERIFY(m_settings.Open());
    Prompter::SetConfirmHook([this](QWidget*, const Prompter::Confirmation&) {
        return Prompter::ConfirmAnswer{m_bConfirm, false};
    });
    Prompter::SetMessageBoxHook([this](QWidget*, const QString& text) { m_asBoxes << text; });
}

void TestAccountsDlg::cleanup()
{
    Prompter::SetConfirmHook({});
    Prompter::SetMessageBoxHook({});
}

QStringList TestAccountsDlg::Stored()
{
    QStringList lines;
    for (const AccountSettings& a : account_list::Load(m_settings))
        lines << QString::fromStdString(a.m_sSection + " " + a.DisplayName() + (a.m_bEnabled ? " on" : " off"));
    return lines;
}

void TestAccountsDlg::everyButtonWritesTheList()
{
    int nAdded = 0;
    // Stores as the window does: a new account without a section is added.
    CAccountsDlg dlg(m_settings, m_passwords, [&](AccountSettings& account) {
        const AccountSettings before = account;
        ++nAdded;
        account.m_sServer = "pop" + std::to_string(nAdded) + ".example";
        account.m_sUser = "u" + std::to_string(nAdded);
        account.m_sPass = "secret";
        if (account.m_sSection.empty())
            return account_list::Add(m_settings, m_passwords, account);
        account.Save(m_settings, m_passwords, before);
        return true;
    });
    // A new settings file's empty account is filled by the first one added.
    QVERIFY(dlg.AddAccount());
    QVERIFY(dlg.AddAccount());
    QVERIFY(dlg.AddAccount());
    QCOMPARE(Stored(),
             QStringList({"Acct u1@pop1.example on", "Acct2 u2@pop2.example on", "Acct3 u3@pop3.example on"}));
    QCOMPARE(dlg.List()->count(), 3);

    QCOMPARE(dlg.Current(), 2);
    // Editing one account changes its own section only.
    QVERIFY(dlg.EditCurrent());
    QCOMPARE(Stored(),
             QStringList({"Acct u1@pop1.example on", "Acct2 u2@pop2.example on", "Acct3 u4@pop4.example on"}));
    QVERIFY(dlg.RenameCurrent(QStringLiteral("  Old provider ")));
    // A name another account answers to is refused.
    for (const char* taken : {"Old provider", "u2@pop2.example"}) {
        dlg.List()->setCurrentRow(0);
        m_asBoxes.clear();
        QVERIFY(!dlg.RenameCurrent(QString::fromLatin1(taken)));
        QCOMPARE(m_asBoxes.size(), 1);
    }
    m_asBoxes.clear();
    dlg.List()->setCurrentRow(2);
    QVERIFY(dlg.MoveCurrent(-1));
    QVERIFY(!dlg.MoveCurrent(-5));
    QVERIFY(dlg.SwitchCurrent());
    QCOMPARE(Stored(), QStringList({"Acct u1@pop1.example on", "Acct2 Old provider off", "Acct3 u2@pop2.example on"}));
    QVERIFY(dlg.List()->item(1)->text().contains(QStringLiteral("off")));

    dlg.List()->setCurrentRow(0);
    m_bConfirm = false;
    QVERIFY(!dlg.RemoveCurrent());
    m_bConfirm = true;
    QVERIFY(dlg.RemoveCurrent());
    QCOMPARE(Stored(), QStringList({"Acct Old provider off", "Acct2 u2@pop2.example on"}));
    QVERIFY(dlg.Changed());
    QVERIFY(m_asBoxes.isEmpty());
}

QTEST_MAIN(TestAccountsDlg)
#include "test_accounts_dlg.moc"
