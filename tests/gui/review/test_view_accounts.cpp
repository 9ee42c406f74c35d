// Three accounts in one window, each on a scripted server of its own:
// changing any of them (the Accounts dialog, F2), purging what one account
// shows, and one account that never answers while the others are reviewed.

#include "ScratchDirectory.h"
#include "ViewHarness.h"
#include "gui/dialogs/AccountDlg.h"
#include "gui/dialogs/AccountsDlg.h"

#include <QDialogButtonBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QtTest>
#include <array>

namespace {

constexpr int kAccounts = 3;
const std::array<const char*, kAccounts> kSections{"Acct", "Acct2", "Acct3"};
const std::array<const char*, kAccounts> kNames{"Home", "Work", "Club"};

// Each account: a mailbox with one message and one the Subject list flags.
struct ThreeAccounts {
    explicit ThreeAccounts(ViewHarness& h, int nSilent = -1)
    {
        for (int i = 0; i < kAccounts; ++i) {
            const std::string user = "user" + std::to_string(i);
            ScriptedPop3Server::Override silent;
            if (i == nSilent)
                silent = [](const std::string& command, int) -> std::optional<std::string> {
                    return command.empty() ? std::optional<std::string>("") : std::nullopt;
                };
            m_aServers[size_t(i)].ServeMailbox({Mail(std::string(kNames[size_t(i)]) + " news"), Mail("WIN A PRIZE")},
                                               user, "pass" + std::to_string(i), silent);
            m_aServers[size_t(i)].Start();
            h.AddAccount(kSections[size_t(i)], m_aServers[size_t(i)].Port(), user, "pass" + std::to_string(i),
                         kNames[size_t(i)]);
        }
        h.m_settings.WriteString("SubList", "0", "PRIZE");
    }
    std::array<ScriptedPop3Server, kAccounts> m_aServers;
};

// Presses OK in the account dialog after `fill` changed its fields.
int AcceptAccount(QDialog& dialog, const std::function<void(QDialog&)>& fill)
{
    dialog.show();
    fill(dialog);
    QTest::mouseClick(dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok), Qt::LeftButton);
    return dialog.result();
}

void SetField(QDialog& dialog, const char* name, const QString& text)
{
    dialog.findChild<QLineEdit*>(QLatin1String(name))->setText(text);
}

}  // namespace

class TestViewAccounts : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY(m_dir.Enter()); }
    void init() { RemoveSettingsFile(); }
    void changeThroughAccountsDialog_data();
    void changeThroughAccountsDialog();
    void manageAccountEditsSelected_data();
    void manageAccountEditsSelected();
    void purgeFollowsWhatIsShown_data();
    void purgeFollowsWhatIsShown();
    void silentAccountHoldsNoReview();
    void failedAccountOffersAWayOut();
    void backgroundRowsPreview();

private:
    ScratchDirectory m_dir;
};

// Every change in Edit › Accounts… is stored, and the window goes on with
// the accounts as they now are.
void TestViewAccounts::changeThroughAccountsDialog_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<int>("account");
    for (int i = 0; i < kAccounts; ++i) {
        QTest::addRow("rename %d", i) << "rename" << i;
        QTest::addRow("edit %d", i) << "edit" << i;
    }
    QTest::addRow("add") << "add" << kAccounts;
}

void TestViewAccounts::changeThroughAccountsDialog()
{
    QFETCH(QString, action);
    QFETCH(int, account);
    ViewHarness h;
    ThreeAccounts servers(h);
    QVERIFY(h.Build());
    QCOMPARE(h.m_pView->AccountCount(), kAccounts);
    h.m_fnModal = [&](QDialog& dialog) {
        if (auto* pList = qobject_cast<CAccountsDlg*>(&dialog)) {
            pList->List()->setCurrentRow(std::min(account, kAccounts - 1));
            if (action == QLatin1String("rename"))
                pList->RenameCurrent(QStringLiteral("Renamed"));
            else if (action == QLatin1String("edit"))
                pList->EditCurrent();
            else
                pList->AddAccount();
            return int(QDialog::Accepted);
        }
        return AcceptAccount(dialog, [&](QDialog& account) {
            if (action == QLatin1String("add")) {
                SetField(account, "server", QStringLiteral("127.0.0.1"));
                SetField(account, "port", QString::number(servers.m_aServers[0].Port()));
                SetField(account, "user", QStringLiteral("added"));
            }
            SetField(account, "password", QStringLiteral("changed"));
        });
    };
    h.m_pFrame->Editing()->OnManageAccounts();
    QCOMPARE(h.m_asDialogs.first(), QStringLiteral("CAccountsDlg"));
    QVERIFY(h.m_asBoxes.isEmpty());
    QCOMPARE(h.m_pView->AccountCount(), action == QLatin1String("add") ? kAccounts + 1 : kAccounts);
    const QString line = h.m_pView->AccountList()->item(account + 1)->text();
    if (action == QLatin1String("rename"))
        QVERIFY2(line.startsWith(QStringLiteral("Renamed")), qPrintable(line));
    else if (action == QLatin1String("add"))
        QVERIFY2(line.startsWith(QStringLiteral("added@127.0.0.1")), qPrintable(line));
    // Only the account edited has the new password.
    for (int i = 0; i < kAccounts && action == QLatin1String("edit"); ++i)
        QCOMPARE(h.m_settings.ReadString(kSections[size_t(i)], "Pass", "?"),
                 i == account ? std::string("changed") : "pass" + std::to_string(i));
    // And every account still scans, the edited one with its new password
    // (which its server refuses).
    h.Click("showStop");
    const auto bScanned = [&] {
        for (int i = 0; i < kAccounts; ++i) {
            const bool bRefused = action == QLatin1String("edit") && i == account;
            if (bRefused ? !h.m_pView->AccountStatus(i).startsWith(QStringLiteral("failed"))
                         : !h.m_pView->SessionAt(i).IsReviewing())
                return false;
        }
        return true;
    };
    QTRY_VERIFY_WITH_TIMEOUT(bScanned(), 10000);
}

// F2 edits the account selected in the list; the title names it.
void TestViewAccounts::manageAccountEditsSelected_data()
{
    QTest::addColumn<int>("account");
    for (int i = 0; i < kAccounts; ++i)
        QTest::addRow("%s", kNames[size_t(i)]) << i;
}

void TestViewAccounts::manageAccountEditsSelected()
{
    QFETCH(int, account);
    ViewHarness h;
    ThreeAccounts servers(h);
    QVERIFY(h.Build());
    h.m_pView->AccountList()->setCurrentRow(account + 1);
    QString title;
    h.m_fnModal = [&](QDialog& dialog) {
        title = dialog.windowTitle();
        return AcceptAccount(dialog, [](QDialog& d) { SetField(d, "password", QStringLiteral("changed")); });
    };
    h.m_pFrame->Editing()->OnManageAccount();
    QCOMPARE(h.m_asDialogs, QStringList{"CAccountDlg"});
    QVERIFY2(title.contains(QLatin1String(kNames[size_t(account)])), qPrintable(title));
    for (int i = 0; i < kAccounts; ++i)
        QCOMPARE(h.m_settings.ReadString(kSections[size_t(i)], "Pass", "?"),
                 i == account ? std::string("changed") : "pass" + std::to_string(i));
}

// "Removed Checked Items" purges the checked rows of the accounts shown;
// the question names each of them with its count.
void TestViewAccounts::purgeFollowsWhatIsShown_data()
{
    QTest::addColumn<int>("shown");  // -1: "All accounts"
    QTest::addColumn<QString>("question");
    QTest::addRow("Work") << 1 << "Delete 1 message from Work on the server?";
    QTest::addRow("Club") << 2 << "Delete 1 message from Club on the server?";
    QTest::addRow("all") << -1 << "Delete 3 messages from 3 accounts on the server (Home: 1, Work: 1, Club: 1)?";
}

void TestViewAccounts::purgeFollowsWhatIsShown()
{
    QFETCH(int, shown);
    QFETCH(QString, question);
    ViewHarness h;
    ThreeAccounts servers(h);
    QVERIFY(h.Build());
    h.Click("showStop");
    QTRY_VERIFY_WITH_TIMEOUT(h.m_pView->SessionAt(0).IsReviewing() && h.m_pView->SessionAt(1).IsReviewing()
                                 && h.m_pView->SessionAt(2).IsReviewing(),
                             10000);
    QTRY_VERIFY(h.ReviewButtonsVisible());
    h.m_pView->ChooseAccount(shown);
    QSignalSpy idle(h.m_pView, &CMavixView::BecameIdle);
    h.Click("removeChecked");
    QCOMPARE(h.m_asQuestions.size(), 1);
    QVERIFY2(h.m_asQuestions.at(0).startsWith(question), qPrintable(h.m_asQuestions.at(0)));
    QVERIFY(idle.wait(10000));
    for (int i = 0; i < kAccounts; ++i) {
        const bool bPurged = shown < 0 || shown == i;
        QCOMPARE(servers.m_aServers[size_t(i)].Messages().size(), bPurged ? size_t(1) : size_t(2));
        // An account not shown keeps its review and its checks.
        if (!bPurged) {
            QVERIFY(h.m_pView->SessionAt(i).IsReviewing());
            QCOMPARE(h.m_pView->ModelAt(i).CheckedCount(), 1);
        }
    }
    QVERIFY(h.m_asBoxes.isEmpty());
}

// An account whose server accepts and never greets holds nobody else's
// review: the others' buttons act at once, Stop stops only the silent one,
// and the failed account offers its way out.
void TestViewAccounts::silentAccountHoldsNoReview()
{
    ViewHarness h;
    ThreeAccounts servers(h, 1);
    QVERIFY(h.Build());
    h.Click("showStop");
    QTRY_VERIFY_WITH_TIMEOUT(h.m_pView->SessionAt(0).IsReviewing() && h.m_pView->SessionAt(2).IsReviewing(), 10000);
    QVERIFY(h.m_pView->SessionAt(1).CanStop());
    QTRY_VERIFY(h.ReviewButtonsVisible());
    QCOMPARE(h.Button("showStop")->text(), QStringLiteral("&Stop"));

    h.Click("showStop");
    QTRY_VERIFY(!h.m_pView->SessionAt(1).CanStop());
    QVERIFY(h.m_pView->SessionAt(0).IsReviewing() && h.m_pView->SessionAt(2).IsReviewing());
    QCOMPARE(h.m_pView->ModelAt(0).CheckedCount(), 1);
    QVERIFY(h.ReviewButtonsVisible());
    QCOMPARE(h.Button("showStop")->text(), QStringLiteral("&Show Mavix"));
    // The status bar and the account list count alike.
    QVERIFY2(h.Pane(1).startsWith(QStringLiteral("  4 eMails :   2 Suspect")), qPrintable(h.Pane(1)));
    QCOMPARE(h.m_pView->AccountList()->item(0)->text(), QStringLiteral("All accounts\n4 waiting, 2 suspect"));

    // The purge takes the accounts reviewed; the stopped one has nothing.
    QSignalSpy idle(h.m_pView, &CMavixView::BecameIdle);
    h.Click("removeChecked");
    QVERIFY(idle.wait(10000));
    QCOMPARE(servers.m_aServers[0].Messages().size(), size_t(1));
    QCOMPARE(servers.m_aServers[1].Messages().size(), size_t(2));
    QCOMPARE(servers.m_aServers[2].Messages().size(), size_t(1));
    QVERIFY(h.m_asBoxes.isEmpty());
}

// A failed account's line: a double-click edits it, its menu edits it or
// tries again, and a second try that works brings its rows.
void TestViewAccounts::failedAccountOffersAWayOut()
{
    ViewHarness h;
    ThreeAccounts servers(h);
    h.m_settings.WriteString("Acct2", "Pass", "wrong");
    QVERIFY(h.Build());
    h.Click("showStop");
    QTRY_VERIFY_WITH_TIMEOUT(h.m_pView->AccountFailed(1) && h.m_pView->SessionAt(0).IsReviewing(), 10000);
    QStringList titles;
    h.m_fnModal = [&](QDialog& dialog) {
        titles << dialog.windowTitle();
        return AcceptAccount(dialog, [](QDialog& d) { SetField(d, "password", QStringLiteral("pass1")); });
    };
    QListWidget* pList = h.m_pView->AccountList();
    emit pList->itemDoubleClicked(pList->item(2));
    QCOMPARE(titles, QStringList{QStringLiteral("Account “Work”")});
    std::unique_ptr<QMenu> pMenu(h.m_pView->AccountMenu(1));
    QStringList actions;
    for (QAction* pAction : pMenu->actions())
        actions << pAction->text();
    QCOMPARE(actions, QStringList({QStringLiteral("Edit Account…"), QStringLiteral("Try Again")}));
    pMenu->actions().at(1)->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(h.m_pView->SessionAt(1).IsReviewing(), 10000);
    QVERIFY(!h.m_pView->AccountFailed(1));
    QVERIFY(h.m_pView->SessionAt(0).IsReviewing() && h.m_pView->SessionAt(2).IsReviewing());
}

// A background check's session has ended when its rows are shown: a row's
// preview logs in again, finds the message by its UIDL and quits.
void TestViewAccounts::backgroundRowsPreview()
{
    ViewHarness h;
    ThreeAccounts servers(h);
    QVERIFY(h.Build());
    QSignalSpy ended(h.m_pView, &CMavixView::OtherCheckEnded);
    QVERIFY(h.m_pView->StartBackgroundCheck(1));
    QTRY_COMPARE_WITH_TIMEOUT(ended.size(), 1, 10000);
    QCOMPARE(ended.at(0).at(1).toInt(), 1);
    QVERIFY(servers.m_aServers[1].WaitNoSession(5000));
    h.m_pView->ChooseAccount(1);
    auto* pText = h.m_pView->findChild<QPlainTextEdit*>(QStringLiteral("previewText"));
    QVERIFY(pText);
    h.m_pView->Grid()->setCurrentIndex(h.m_pView->Grid()->model()->index(0, 0));
    QTRY_VERIFY_WITH_TIMEOUT(pText->toPlainText().contains(QStringLiteral("Body of Work news")), 5000);
    QVERIFY(servers.m_aServers[1].WaitNoSession(5000));
    QCOMPARE(servers.m_aServers[1].SessionCount(), 2);
    QCOMPARE(servers.m_aServers[1].Messages().size(), size_t(2));
}

QTEST_MAIN(TestViewAccounts)
#include "test_view_accounts.moc"
