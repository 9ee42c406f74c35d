// The whole job through the window against a real Dovecot: scan, review,
// purge of the checked rows, and what is left on the server.

#include "DovecotServer.h"
#include "ScratchDirectory.h"
#include "ViewHarness.h"
#include "tests/core/preview/PreviewSamples.h"

#include <QAction>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QElapsedTimer>
#include <QTcpServer>
#include <QtTest>
#include <fstream>
#include <sstream>

namespace {

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

class TestViewDovecot : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init() { RemoveSettingsFile(); }
    void purgeDeletesCheckedMessages();
    void purgeWithEndClosesWindow();
    void choicesReasonsAndSortedPurge();
    void severalAccounts();
    void selectingRowShowsPreview();

private:
    ScratchDirectory m_dir;
};

void TestViewDovecot::initTestCase()
{
    QVERIFY(m_dir.Enter());
}

// Selecting a row asks for its preview without waiting for it; the HTML's
// remote image is never fetched (a listener given as its address is never
// connected to) and the link's real target shows beside its words.
void TestViewDovecot::selectingRowShowsPreview()
{
    QTcpServer images;
    QVERIFY(images.listen(QHostAddress::LocalHost, 0));
    int nConnections = 0;
    connect(&images, &QTcpServer::newConnection, this, [&nConnections] { ++nConnections; });
    const std::string url = "http://127.0.0.1:" + std::to_string(images.serverPort()) + "/logo.png";
    DovecotServer server;
    server.AddMessage(preview_samples::HtmlOnly(url));
    server.AddMessage(preview_samples::DoubleExtension());
    std::string error;
    QVERIFY2(server.Start(&error), error.c_str());

    ViewHarness h;
    h.SetAccount(server.Port(), server.User(), server.Password());
    QVERIFY(h.Build());
    h.Click("showStop");
    QTRY_VERIFY_WITH_TIMEOUT(h.m_pView->IsReviewing(), 15000);
    auto* text = h.m_pView->findChild<QPlainTextEdit*>(QStringLiteral("previewText"));
    QVERIFY(text);
    QElapsedTimer clock;
    clock.start();
    h.m_pView->Grid()->setCurrentIndex(h.Model().index(0, 0));
    QVERIFY(clock.elapsed() < 100);  // asked, not waited for
    QTRY_VERIFY_WITH_TIMEOUT(text->toPlainText().contains(QStringLiteral("PayPal [https://evil.example/login]")), 5000);
    QVERIFY(text->toPlainText().contains(QStringLiteral("[image: logo]")));
    h.m_pView->Grid()->setCurrentIndex(h.Model().index(1, 0));
    QTRY_VERIFY_WITH_TIMEOUT(text->toPlainText().contains(QStringLiteral("a program named like a document")), 5000);
    if (const QString shot = qEnvironmentVariable("MAVIX_PREVIEW_SHOT"); !shot.isEmpty())
        h.m_pFrame->grab().save(shot);
    QCoreApplication::processEvents();
    QCOMPARE(nConnections, 0);
    QCOMPARE(server.MessageFileCount(), 2);
}

void TestViewDovecot::purgeDeletesCheckedMessages()
{
    DovecotServer server;
    const char* subjects[] = {"Quarterly report", "WIN A PRIZE now", "Holiday photos", "Another PRIZE draw"};
    for (const char* subject : subjects)
        server.AddMessage(Mail(subject));
    std::string error;
    QVERIFY2(server.Start(&error), error.c_str());

    ViewHarness h;
    h.SetAccount(server.Port(), server.User(), server.Password());
    h.m_settings.WriteString("SubList", "0", "PRIZE");
    QVERIFY(h.Build());
    h.Click("showStop");
    QTRY_VERIFY_WITH_TIMEOUT(h.m_pView->IsReviewing(), 15000);
    QCOMPARE(h.Model().Count(), 4);
    QCOMPARE(h.CheckedRows(), 2);
    QVERIFY(h.Model().IsChecked(1));
    QVERIFY(h.Model().IsChecked(3));
    // Dovecot's default offers only a cleartext password on the plain connection.
    QCOMPARE(h.Pane(1), QStringLiteral("  4 eMails :   2 Suspect  (the password travelled unencrypted)"));
    // The scan wrote the header dump in the working directory.
    QVERIFY(ReadFile("message.txt").find("WIN A PRIZE now") != std::string::npos);

    QSignalSpy idle(h.m_pView, &CMavixView::BecameIdle);
    h.Click("removeChecked");
    QVERIFY(idle.wait(15000));
    QCOMPARE(h.Model().Count(), 2);  // the messages kept, until the next scan
    QVERIFY(h.Model().IsFromLastScan());
    QVERIFY(h.m_asBoxes.isEmpty());
    QVERIFY(h.ReviewButtonsHidden());
    QCOMPARE(h.Button("showStop")->text(), QStringLiteral("&Show Mavix"));

    QCOMPARE(server.MessageFileCount(), 2);
    std::string left;
    for (const std::string& file : server.MessageFiles())
        left += ReadFile(file);
    QVERIFY(left.find("Quarterly report") != std::string::npos);
    QVERIFY(left.find("Holiday photos") != std::string::npos);
    QVERIFY(left.find("PRIZE") == std::string::npos);
}

void TestViewDovecot::purgeWithEndClosesWindow()
{
    DovecotServer server;
    server.AddMessage(Mail("Remove me"));
    std::string error;
    QVERIFY2(server.Start(&error), error.c_str());
    ViewHarness h;
    h.SetAccount(server.Port(), server.User(), server.Password());
    h.m_settings.WriteInt("Prefs", "End", 1);
    QVERIFY(h.Build());
    h.Click("showStop");
    QTRY_VERIFY_WITH_TIMEOUT(h.m_pView->IsReviewing(), 15000);
    QVERIFY(h.Model().setData(h.Model().index(0, 0), Qt::Checked, Qt::CheckStateRole));
    h.Click("removeChecked");
    QTRY_VERIFY_WITH_TIMEOUT(!h.m_pFrame->isVisible(), 15000);
    QCOMPARE(server.MessageFileCount(), 0);
    QVERIFY(h.m_pView->Engine().ScanEnded());
    QVERIFY(h.m_pView->Engine().PurgeEnded());
}

namespace {

void Trigger(CMavixView* pView, int nDisplayRow, const QString& text)
{
    std::unique_ptr<QMenu> pMenu(pView->RowMenu(nDisplayRow));
    for (QAction* pAction : pMenu->actions())
        if (pAction->text() == text)
            pAction->trigger();
}

}  // namespace

// Reasons for each list, a choice kept across scans by UIDL, a trusted sender,
// and a purge started from a sorted grid deleting exactly the checked messages.
void TestViewDovecot::choicesReasonsAndSortedPurge()
{
    DovecotServer server;
    server.AddMessage(Mail("Quarterly report"));
    server.AddMessage(Mail("WIN A PRIZE now"));
    server.AddMessage(Mail("=?UTF-8?B?R3JhbmQgUFLDjlpFIMOgIGdhZ25lcg==?="));  // "Grand PRÎZE à gagner"
    server.AddMessage(Mail("Holiday photos", "=?UTF-8?Q?Bj=C3=B6rn?= <bjorn@spam.example>"));
    std::string error;
    QVERIFY2(server.Start(&error), error.c_str());

    ViewHarness h;
    h.SetAccount(server.Port(), server.User(), server.Password());
    h.m_settings.WriteString("SubList", "0", "PRIZE");
    h.m_settings.WriteString("SenderList", "0", "@spam.example");
    QVERIFY(h.Build());
    QVERIFY(h.ScanToReview());
    MessageGridModel& m = h.Model();
    const auto tip = [&m](int r) { return m.data(m.index(r, 0), Qt::ToolTipRole).toString(); };
    QCOMPARE(m.data(m.index(2, MessageGridModel::kSubject)).toString(),
             QStringLiteral("Grand PR\u00CEZE \u00E0 gagner"));
    QCOMPARE(tip(2), QStringLiteral("Subject contains \"PRIZE\""));
    QCOMPARE(m.data(m.index(3, MessageGridModel::kFrom)).toString(), QStringLiteral("Bj\u00F6rn"));
    QCOMPARE(tip(3), QStringLiteral("Sender spam.example is on the sender list"));
    QCOMPARE(h.CheckedRows(), 3);

    // View Headers shows the block the scan read, decoded.
    QString shown;
    h.m_fnModal = [&shown](QDialog& dialog) {
        shown = dialog.findChild<QPlainTextEdit*>()->toPlainText();
        return int(QDialog::Rejected);
    };
    Trigger(h.m_pView, 3, QStringLiteral("View Headers\u2026"));
    QVERIFY2(shown.contains(QStringLiteral("From: Bj\u00F6rn <bjorn@spam.example>")), qPrintable(shown));

    // The user keeps the PRIZE mail and marks the report; the next scan
    // shows both as left.
    m.setData(m.index(1, 0), Qt::Unchecked, Qt::CheckStateRole);
    m.setData(m.index(0, 0), Qt::Checked, Qt::CheckStateRole);
    h.Click("cancel");
    QTRY_VERIFY(!h.m_pView->IsReviewing());
    QVERIFY(h.ScanToReview());
    QVERIFY(m.IsChecked(0));
    QVERIFY(!m.IsChecked(1));
    QVERIFY(m.IsSuspect(1));

    // Trusting the sender clears the row and outlives the session.
    Trigger(h.m_pView, 3, QStringLiteral("Trust this sender"));
    QVERIFY(!m.IsChecked(3));
    QVERIFY(tip(3) != QStringLiteral("Sender spam.example is on the sender list"));
    QCOMPARE(h.m_settings.ReadString("TrustedList", "0", ""), std::string("BJORN@SPAM.EXAMPLE"));
    QVERIFY2(h.Pane(1).contains(QString::number(m.SuspectCount()) + " Suspect"), qPrintable(h.Pane(1)));

    // Sorted by Subject, descending: the purge still deletes messages 1 and 3.
    h.m_pView->Grid()->sortByColumn(MessageGridModel::kSubject, Qt::DescendingOrder);
    QCOMPARE(m.data(m.index(0, MessageGridModel::kSubject)).toString(), QStringLiteral("WIN A PRIZE now"));
    QSignalSpy idle(h.m_pView, &CMavixView::BecameIdle);
    h.Click("removeChecked");
    QVERIFY(idle.wait(15000));
    QVERIFY2(h.m_asBoxes.isEmpty(), qPrintable(h.m_asBoxes.join('|')));
    std::string left;
    for (const std::string& file : server.MessageFiles())
        left += ReadFile(file);
    QCOMPARE(server.MessageFileCount(), 2);
    QVERIFY(left.find("WIN A PRIZE now") != std::string::npos);
    QVERIFY(left.find("Holiday photos") != std::string::npos);

    // The next complete scan forgets the choice of the deleted report.
    QCOMPARE(h.m_pView->Choices().Count(), size_t(2));
    QVERIFY(h.ScanToReview());
    QCOMPARE(h.m_pView->Choices().Count(), size_t(1));
    QVERIFY(!m.IsChecked(m.DisplayRow(0)));
}

QTEST_MAIN(TestViewDovecot)
#include "test_view_dovecot.moc"

// Two mailboxes on one Dovecot and a third account whose server is down:
// one grid with every account's rows, each account's checked rows purged in
// its own session, and the failure in the account list, not in a box.
void TestViewDovecot::severalAccounts()
{
    DovecotServer server;
    server.AddUser("work", "Work-Pass-1");
    server.AddMessage(Mail("Quarterly report"));
    server.AddMessage(Mail("WIN A PRIZE now"));
    for (const char* subject : {"Team lunch", "Another PRIZE draw", "Minutes"})
        server.AddMessage(Mail(subject), "work");
    std::string error;
    QVERIFY2(server.Start(&error), error.c_str());
    uint16_t nClosedPort = 0;
    {
        ScriptedPop3Server gone;
        gone.ServeMailbox({}, "u", "p");
        gone.Start();
        nClosedPort = gone.Port();
    }

    ViewHarness h;
    h.SetAccount(server.Port(), server.User(), server.Password());
    h.AddAccount("Acct2", server.Port(), "work", "Work-Pass-1", "Work");
    h.AddAccount("Acct3", nClosedPort, "old", "p", "Old");
    h.m_settings.WriteString("SubList", "0", "PRIZE");
    QVERIFY(h.Build());
    QCOMPARE(h.m_pView->AccountCount(), 3);
    QVERIFY(h.m_pView->AccountList()->isVisible());
    h.Click("showStop");
    QTRY_VERIFY_WITH_TIMEOUT(h.m_pView->SessionAt(0).IsReviewing() && h.m_pView->SessionAt(1).IsReviewing()
                                 && h.m_pView->AccountStatus(2).startsWith(QStringLiteral("failed: ")),
                             15000);
    QTRY_VERIFY(h.ReviewButtonsVisible());
    QVERIFY(h.m_asBoxes.isEmpty());
    QVERIFY(h.m_pView->AccountList()->item(3)->text().contains(QStringLiteral("failed: ")));

    // "All accounts": every row, with the account it came from.
    const QAbstractItemModel* pGrid = h.m_pView->Grid()->model();
    QCOMPARE(pGrid->rowCount(), 5);
    QCOMPARE(pGrid->headerData(MessageGridModel::kAccountColumn, Qt::Horizontal).toString(), QStringLiteral("Account"));
    QStringList accounts;
    for (int r = 0; r < pGrid->rowCount(); ++r)
        accounts << pGrid->index(r, MessageGridModel::kAccountColumn).data().toString();
    QCOMPARE(accounts.count(QStringLiteral("Work")), 3);
    QCOMPARE(accounts.count(QStringLiteral("mavix@127.0.0.1")), 2);
    h.m_pView->ChooseAccount(1);
    QCOMPARE(pGrid->rowCount(), 3);
    h.m_pView->ChooseAccount(-1);
    QCOMPARE(pGrid->rowCount(), 5);

    // One question for both accounts' checked rows, then one summary.
    QSignalSpy idle(h.m_pView, &CMavixView::BecameIdle);
    h.Click("removeChecked");
    QVERIFY(idle.wait(15000));
    QCOMPARE(h.m_asQuestions.size(), 1);
    QVERIFY(h.m_asQuestions.at(0).startsWith(QStringLiteral("Delete 2 messages from 2 accounts on the server (mavix@127.0.0.1: 1, Work: 1)?")));
    QVERIFY(h.m_asBoxes.isEmpty());
    QCOMPARE(h.Pane(1),
             QStringLiteral("mavix@127.0.0.1: 1 deleted, 0 refused by the server, 0 not deleted (changed "
                            "on the server); Work: 1 deleted, 0 refused by the server, 0 not deleted "
                            "(changed on the server)"));
    QCOMPARE(server.MessageFileCount(), 1);
    QCOMPARE(server.MessageFileCount("work"), 2);
    for (const std::string& file : server.MessageFiles("work"))
        QVERIFY(ReadFile(file).find("PRIZE") == std::string::npos);
}
