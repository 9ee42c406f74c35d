// The whole job through the window against a real Dovecot: scan, review,
// purge of the checked rows, and what is left on the server.

#include "DovecotServer.h"
#include "ViewHarness.h"

#include <QTemporaryDir>
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

private:
    QTemporaryDir m_dir;
};

void TestViewDovecot::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY(QDir::setCurrent(m_dir.path()));
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
    QCOMPARE(h.Pane(1), QStringLiteral("  4 eMails :   2 Suspect"));
    // The scan wrote the header dump in the working directory.
    QVERIFY(ReadFile("message.txt").find("WIN A PRIZE now") != std::string::npos);

    QSignalSpy idle(h.m_pView, &CMavixView::BecameIdle);
    h.Click("removeChecked");
    QVERIFY(idle.wait(15000));
    QCOMPARE(h.Model().Count(), 0);
    QVERIFY(h.m_asBoxes.isEmpty());
    QVERIFY(h.ReviewButtonsHidden());
    QCOMPARE(h.Button("showStop")->text(), QStringLiteral("Show Mavix"));

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
    server.AddMessage(Mail("Keep me"));
    std::string error;
    QVERIFY2(server.Start(&error), error.c_str());
    ViewHarness h;
    h.SetAccount(server.Port(), server.User(), server.Password());
    h.m_settings.WriteInt("Prefs", "End", 1);
    QVERIFY(h.Build());
    h.Click("showStop");
    QTRY_VERIFY_WITH_TIMEOUT(h.m_pView->IsReviewing(), 15000);
    h.Click("removeChecked");   // nothing checked: nothing deleted
    QTRY_VERIFY_WITH_TIMEOUT(!h.m_pFrame->isVisible(), 15000);
    QCOMPARE(server.MessageFileCount(), 1);
    QVERIFY(h.m_pView->Engine().ScanEnded());
    QVERIFY(h.m_pView->Engine().PurgeEnded());
}

QTEST_MAIN(TestViewDovecot)
#include "test_view_dovecot.moc"
