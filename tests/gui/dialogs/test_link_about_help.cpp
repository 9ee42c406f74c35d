// The hyperlink label, the About box that carries two of them, and the
// in-program manual.

#include "DialogDriver.h"
#include "core/platform/Trace.h"
#include "gui/dialogs/AboutDlg.h"
#include "gui/dialogs/HelpWindow.h"
#include "gui/widgets/StaticLink.h"

#include <QApplication>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QRegularExpression>
#include <QSet>
#include <QTest>
#include <QTextBrowser>
#include <QUrl>

namespace {

QColor TextColour(const CStaticLink* link)
{
    return link->palette().color(QPalette::WindowText);
}

}  // namespace

class TestLinkAboutHelp : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void targetDefaultsToText();
    void mailLinkOpensSameAddressTwice();
    void visitedColourOutlivesAboutBox();
    void failedOpenOnlyBeeps();
    void clickPauseAndHover();
    void aboutBoxTextsAndClosing();
    void manualShowsAndLinksResolve();

private:
    std::unique_ptr<DialogDriver> m_pDriver;
    QList<QUrl> m_aOpened;
    bool m_bOpenSucceeds = true;
};

void TestLinkAboutHelp::init()
{
    m_pDriver = std::make_unique<DialogDriver>();
    m_aOpened.clear();
    m_bOpenSucceeds = true;
    CStaticLink::SetOpener([this](const QUrl& url) {
        m_aOpened << url;
        return m_bOpenSucceeds;
    });
}

void TestLinkAboutHelp::cleanup()
{
    CStaticLink::SetOpener({});
    platform::SetTraceSink({});
    m_pDriver.reset();
}

void TestLinkAboutHelp::targetDefaultsToText()
{
    CStaticLink link(QStringLiteral("https://www.example.org/other"));
    link.show();
    QTest::mouseClick(&link, Qt::LeftButton);
    QCOMPARE(m_aOpened, QList<QUrl>{QUrl(QStringLiteral("https://www.example.org/other"))});
    QCOMPARE(link.Target(), QStringLiteral("https://www.example.org/other"));

    // A target set by the owner wins over the text.
    CStaticLink named(QStringLiteral("Our web page"));
    named.SetTarget(QStringLiteral("https://www.example.org/mavix"));
    named.Click();
    QCOMPARE(m_aOpened.last(), QUrl(QStringLiteral("https://www.example.org/mavix")));
}

void TestLinkAboutHelp::mailLinkOpensSameAddressTwice()
{
    int bMail = 0;
    int bWeb = 0;
    CAboutDlg about(&bMail, &bWeb);
    about.show();
    CStaticLink* mail = about.MailLink();
    QCOMPARE(mail->text(), QStringLiteral("mavix@example.org"));
    QTest::mouseClick(mail, Qt::LeftButton);
    QTRY_VERIFY(!mail->InClickPause());
    QTest::mouseClick(mail, Qt::LeftButton);
    const QUrl expected(QStringLiteral("mailto:mavix@example.org"));
    QCOMPARE(m_aOpened, (QList<QUrl>{expected, expected}));
    QCOMPARE(m_aOpened[0].scheme(), QStringLiteral("mailto"));
    QCOMPARE(bMail, 1);
    QCOMPARE(bWeb, 0);
}

void TestLinkAboutHelp::visitedColourOutlivesAboutBox()
{
    int bMail = 0;
    int bWeb = 0;
    {
        CAboutDlg about(&bMail, &bWeb);
        about.show();
        QCOMPARE(TextColour(about.WebLink()), QColor(0, 0, 255));
        QVERIFY(about.WebLink()->font().underline());
        QTest::mouseClick(about.WebLink(), Qt::LeftButton);
        QCOMPARE(m_aOpened, QList<QUrl>{QUrl(QStringLiteral("https://www.example.org/mavix"))});
        // Purple at once, the other link untouched.
        QCOMPARE(TextColour(about.WebLink()), QColor(128, 0, 128));
        QCOMPARE(TextColour(about.MailLink()), QColor(0, 0, 255));
        QTest::keyClick(&about, Qt::Key_Escape);
    }
    QCOMPARE(bWeb, 1);
    CAboutDlg again(&bMail, &bWeb);
    again.show();
    QVERIFY(QTest::qWaitForWindowExposed(&again));
    QCOMPARE(TextColour(again.WebLink()), QColor(128, 0, 128));
    QCOMPARE(TextColour(again.MailLink()), QColor(0, 0, 255));
    // The colour is really painted, not only set.
    const QImage image = again.WebLink()->grab().toImage();
    bool bPurple = false;
    for (int y = 0; y < image.height() && !bPurple; ++y) {
        for (int x = 0; x < image.width() && !bPurple; ++x)
            bPurple = image.pixelColor(x, y) == QColor(128, 0, 128);
    }
    QVERIFY(bPurple);
}

void TestLinkAboutHelp::failedOpenOnlyBeeps()
{
    QStringList trace;
    platform::SetTraceSink([&trace](const std::string& line) { trace << QString::fromStdString(line); });
    m_bOpenSucceeds = false;
    int bMail = 0;
    int bWeb = 0;
    CAboutDlg about(&bMail, &bWeb);
    about.show();
    QTest::mouseClick(about.MailLink(), Qt::LeftButton);
    QCOMPARE(m_aOpened.size(), 1);
    QCOMPARE(m_pDriver->m_nBeeps, 1);
    QCOMPARE(m_pDriver->m_asBoxes, QStringList{});
    QCOMPARE(bMail, 0);
    QCOMPARE(TextColour(about.MailLink()), QColor(0, 0, 255));
    QCOMPARE(
        trace,
        QStringList{QStringLiteral("*** WARNING: CStaticLink: unable to execute file mailto:mavix@example.org\n")});
    // After the pause it can be tried again, and the prefix is still single.
    QTRY_VERIFY(!about.MailLink()->InClickPause());
    m_bOpenSucceeds = true;
    QTest::mouseClick(about.MailLink(), Qt::LeftButton);
    QCOMPARE(m_aOpened.last(), QUrl(QStringLiteral("mailto:mavix@example.org")));
    QCOMPARE(bMail, 1);
}

void TestLinkAboutHelp::clickPauseAndHover()
{
    QWidget window;
    auto* link = new CStaticLink(QStringLiteral("https://www.example.org/mavix"), &window);
    link->setGeometry(10, 10, 200, 20);
    window.resize(300, 100);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    QTest::mouseMove(link, QPoint(20, 10));
    QTRY_VERIFY(link->IsHovered());
    QCOMPARE(link->cursor().shape(), Qt::PointingHandCursor);

    QTest::mouseClick(link, Qt::LeftButton, {}, QPoint(20, 10));
    QCOMPARE(m_aOpened.size(), 1);
    QVERIFY(link->InClickPause());
    QVERIFY(!link->IsHovered());
    QCOMPARE(link->cursor().shape(), Qt::ArrowCursor);
    // During the pause a move does not hover, and a second click (the rest
    // of a double click) does not open the page again.
    QTest::mouseMove(link, QPoint(30, 10));
    QVERIFY(!link->IsHovered());
    QTest::mouseClick(link, Qt::LeftButton, {}, QPoint(30, 10));
    QCOMPARE(m_aOpened.size(), 1);

    // After it, the first move over the link hovers again; leaving ends it.
    QTRY_VERIFY(!link->InClickPause());
    QTest::mouseMove(link, QPoint(40, 10));
    QTRY_VERIFY(link->IsHovered());
    QTest::mouseMove(&window, QPoint(280, 90));
    QTRY_VERIFY(!link->IsHovered());
    QCOMPARE(link->cursor().shape(), Qt::ArrowCursor);
}

void TestLinkAboutHelp::aboutBoxTextsAndClosing()
{
    int bMail = 0;
    int bWeb = 0;
    m_pDriver->On<CAboutDlg>([](CAboutDlg& about) {
        QStringList texts;
        for (QLabel* label : about.findChildren<QLabel*>())
            texts << label->text();
        QVERIFY(texts.contains(QStringLiteral("Mavix Version 1.5")));
        QVERIFY(texts.contains(sizeof(void*) == 8 ? QStringLiteral("A 64 bit application")
                                                  : QStringLiteral("A 32 bit application")));
        QVERIFY(texts.contains(QStringLiteral("Lets you screen incoming emails and delete before downloading")));
        QVERIFY(texts.contains(QStringLiteral("mavix@example.org")));
        QVERIFY(texts.contains(QStringLiteral("https://www.example.org/mavix")));
        QStringList groups;
        for (QGroupBox* group : about.findChildren<QGroupBox*>())
            groups << group->title();
        QCOMPARE(groups, (QStringList{"What Mavix Does", "Legal Stuff"}));
        QCOMPARE(about.windowTitle(), QStringLiteral("About Mavix"));
        QTest::mouseClick(about.findChild<QPushButton*>(), Qt::LeftButton);
    });
    CAboutDlg about(&bMail, &bWeb);
    QCOMPARE(Prompter::RunModal(about), int(QDialog::Rejected));
    QVERIFY(!about.isVisible());

    CAboutDlg escaped(&bMail, &bWeb);
    escaped.show();
    QTest::keyClick(&escaped, Qt::Key_Escape);
    QVERIFY(!escaped.isVisible());
}

void TestLinkAboutHelp::manualShowsAndLinksResolve()
{
    ShowHelp(nullptr);
    CHelpWindow* help = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* candidate = qobject_cast<CHelpWindow*>(w); candidate && candidate->isVisible())
            help = candidate;
    }
    QVERIFY(help);
    QCOMPARE(help->Browser()->documentTitle(), QStringLiteral("Mavix User Manual"));

    // A second request raises the same window.
    ShowHelp(nullptr);
    int nWindows = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        nWindows += qobject_cast<CHelpWindow*>(w) && w->isVisible() ? 1 : 0;
    QCOMPARE(nWindows, 1);

    QFile file(QStringLiteral(":/manual/index.html"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString html = QString::fromUtf8(file.readAll());
    QSet<QString> ids;
    for (const auto& m : QRegularExpression(QStringLiteral("id=\"([^\"]+)\"")).globalMatch(html))
        ids.insert(m.captured(1));
    for (const auto& m : QRegularExpression(QStringLiteral("href=\"#([^\"]+)\"")).globalMatch(html))
        QVERIFY2(ids.contains(m.captured(1)), qPrintable(m.captured(1)));
    // Following a contents link keeps the reader in the manual.
    help->Browser()->setSource(QUrl(QStringLiteral("qrc:/manual/index.html#defaults")));
    QCOMPARE(help->Browser()->source().fragment(), QStringLiteral("defaults"));
    help->close();
}

QTEST_MAIN(TestLinkAboutHelp)
#include "test_link_about_help.moc"
