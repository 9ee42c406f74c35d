// The main window: placement, columns, menu, status bar, start-up and close.

#include "tests/gui/review/ViewHarness.h"
#include "gui/app/MavixApp.h"
#include "gui/dialogs/AccountDlg.h"

#include <QAction>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QtTest>
#include <chrono>
#include <cmath>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QSize WorkArea()
{
    return QGuiApplication::primaryScreen()->availableGeometry().size();
}

QRect StoredScreen(const SettingsStore& s)
{
    return QRect(s.ReadInt("Screen", "x", -999), s.ReadInt("Screen", "y", -999), s.ReadInt("Screen", "cx", -999),
                 s.ReadInt("Screen", "cy", -999));
}

void WriteScreen(SettingsStore& s, int x, int y, int cx, int cy)
{
    s.WriteInt("Screen", "x", x);
    s.WriteInt("Screen", "y", y);
    s.WriteInt("Screen", "cx", cx);
    s.WriteInt("Screen", "cy", cy);
}

}  // namespace

class TestMainFrame : public QObject {
    Q_OBJECT
private slots:
    void init() { RemoveSettingsFile(); }

    void firstStart();
    void defaultPlacementTruncates_data();
    void defaultPlacementTruncates();
    void storedPlacement_data();
    void storedPlacement();
    void columnWidths_data();
    void columnWidths();
    void menu();
    void keys();
    void statusBar();
    void resizeKeepsMarginsAndStoresPlacement();
    void closeSavesWidthsAndPlacement();
    void scaleChangeKeepsTheSize_data();
    void scaleChangeKeepsTheSize();
    void subjectTakesTheExtraWidth();
    void hiddenColumnsAreRemembered();
    void closeWhileIdleEndsWorkersQuickly();
    void desktopLaunchWorksInDataDirectory();
};

// A first start with nothing stored, through the program's own start-up.
void TestMainFrame::firstStart()
{
    QStringList boxes;
    QStringList dialogs;
    std::string sPortShown;
    Prompter::SetMessageBoxHook([&](QWidget*, const QString& text) { boxes << text; });
    Prompter::SetModalHook([&](QDialog& dialog) {
        dialogs << QString::fromLatin1(dialog.metaObject()->className());
        if (auto* pAccount = qobject_cast<CAccountDlg*>(&dialog))
            sPortShown = pAccount->m_account.m_sPort;
        return int(QDialog::Rejected);
    });

    {
        CMavixApp app;
        QVERIFY(app.InitInstance());
        CMainFrame* pFrame = app.MainFrame();
        QVERIFY(QTest::qWaitForWindowExposed(pFrame));
        QCOMPARE(pFrame->windowTitle(), QStringLiteral("Mavix"));

        // 95 % of the work area, truncated, centred from the screen origin,
        // and stored at once.
        const QSize area = WorkArea();
        const int cx = static_cast<int>(area.width() * static_cast<double>(0.95f));
        const int cy = static_cast<int>(area.height() * static_cast<double>(0.95f));
        const QRect expected((area.width() - cx) / 2, (area.height() - cy) / 2, cx, cy);
        QCOMPARE(pFrame->Placement(), expected);
        QCOMPARE(pFrame->geometry(), expected);
        QCOMPARE(StoredScreen(app.m_settings), expected);

        // Nine columns of a tenth of the grid each.
        CMavixView* pView = pFrame->View();
        const int w = pView->Grid()->contentsRect().width();
        QCOMPARE(pView->Grid()->header()->count(), 9);
        for (int i = 0; i < 9; ++i)
            QCOMPARE(pView->Grid()->header()->sectionSize(i), w / 10);

        // Only the Show button and the grid.
        const QStringList hidden{"checkAll", "uncheckAll", "cancel", "removeChecked"};
        for (const QString& name : hidden)
            QVERIFY(!pView->findChild<QPushButton*>(name)->isVisible());
        QCOMPARE(pView->findChild<QPushButton*>("showStop")->text(), QStringLiteral("&Show Mavix"));

        // 200 ms later: no server, so the prompt, then the account dialog
        // with the usual port.
        QTRY_COMPARE(dialogs.size(), 1);
        QCOMPARE(boxes, QStringList{"Please set up an account using \"Edit\" on the menu."});
        QCOMPARE(dialogs.first(), QStringLiteral("CAccountDlg"));
        QCOMPARE(sPortShown, std::string("110"));
    }
    Prompter::SetMessageBoxHook({});
    Prompter::SetModalHook({});
}

void TestMainFrame::defaultPlacementTruncates_data()
{
    QTest::addColumn<int>("w");
    QTest::addColumn<int>("h");
    QTest::addColumn<QRect>("expected");
    // 0.95 as a single-precision constant is slightly below 0.95.
    QTest::newRow("1280x1024") << 1280 << 1024 << QRect(32, 26, 1215, 972);
    QTest::newRow("800x600") << 800 << 600 << QRect(20, 15, 759, 569);
    QTest::newRow("1920x1040") << 1920 << 1040 << QRect(48, 26, 1823, 987);
}

void TestMainFrame::defaultPlacementTruncates()
{
    QFETCH(int, w);
    QFETCH(int, h);
    QFETCH(QRect, expected);
    bool bDefault = false;
    QCOMPARE(CMainFrame::ChoosePlacement(0, 0, 0, 0, QSize(w, h), &bDefault), expected);
    QVERIFY(bDefault);
}

void TestMainFrame::storedPlacement_data()
{
    const QSize area = WorkArea();
    const int w = area.width();
    const int h = area.height();
    QTest::addColumn<QRect>("stored");
    QTest::addColumn<bool>("usable");
    QTest::newRow("usable") << QRect(10, 20, 400, 300) << true;
    QTest::newRow("x -4 (left by a maximised window)") << QRect(-4, -4, w, h) << false;
    QTest::newRow("x equal to W") << QRect(w, 0, 300, 200) << true;
    QTest::newRow("y equal to H") << QRect(0, h, 300, 200) << true;
    QTest::newRow("x beyond W") << QRect(w + 1, 0, 300, 200) << false;
    QTest::newRow("width equal to W") << QRect(0, 0, w, 200) << true;
    QTest::newRow("width beyond W") << QRect(0, 0, w + 1, 200) << false;
    QTest::newRow("height beyond H") << QRect(0, 0, 300, h + 1) << false;
    QTest::newRow("zero height") << QRect(5, 5, 300, 0) << false;
}

void TestMainFrame::storedPlacement()
{
    QFETCH(QRect, stored);
    QFETCH(bool, usable);
    ViewHarness h;
    WriteScreen(h.m_settings, stored.x(), stored.y(), stored.width(), stored.height());
    CMainFrame frame(h.m_settings);
    bool bDefault = false;
    const QRect expected = usable ? stored : CMainFrame::ChoosePlacement(0, 0, 0, 0, WorkArea(), &bDefault);
    QCOMPARE(frame.Placement(), expected);
    // An unusable rectangle is replaced in the store at once.
    QCOMPARE(StoredScreen(h.m_settings), expected);
}

void TestMainFrame::columnWidths_data()
{
    QTest::addColumn<int>("change");  // 0 exact fit, 1 one pixel too wide, 2 a zero, 3 negative
    QTest::addColumn<bool>("kept");
    QTest::newRow("sum exactly the grid's width") << 0 << true;
    QTest::newRow("sum one pixel too wide") << 1 << false;
    QTest::newRow("one column zero") << 2 << false;
    QTest::newRow("one column negative") << 3 << false;
}

// Stored widths come back as a whole set or not at all.
void TestMainFrame::columnWidths()
{
    QFETCH(int, change);
    QFETCH(bool, kept);
    int w = 0;
    {
        ViewHarness h;
        WriteScreen(h.m_settings, 10, 10, 700, 500);
        QVERIFY(h.Build());
        w = h.m_pView->Grid()->contentsRect().width();
    }
    QVERIFY(w > 400);
    // Eight columns of 40 px, the ninth takes the rest: the sum is exactly w.
    int widths[9];
    for (int i = 0; i < 8; ++i)
        widths[i] = 40;
    widths[8] = w - 320;
    if (change == 1)
        widths[8] += 1;
    else if (change == 2)
        widths[4] = 0;
    else if (change == 3)
        widths[4] = -10;

    ViewHarness h;
    WriteScreen(h.m_settings, 10, 10, 700, 500);
    for (int i = 0; i < 9; ++i)
        h.m_settings.WriteInt("List", "col" + std::to_string(i), widths[i]);
    QVERIFY(h.Build());
    QCOMPARE(h.m_pView->Grid()->contentsRect().width(), w);
    for (int i = 0; i < 9; ++i)
        QCOMPARE(h.m_pView->Grid()->header()->sectionSize(i), kept ? widths[i] : w / 10);
}

// The menu as the user reads it: entries, prompts, tool tips and keys.
void TestMainFrame::menu()
{
    ViewHarness h;
    QVERIFY(h.Build());
    QStringList titles;
    for (QAction* pMenu : h.m_pFrame->menuBar()->actions())
        titles << pMenu->text();
    QCOMPARE(titles, (QStringList{"&File", "&Edit", "&View", "&Help"}));

    struct Entry {
        const char* m_name;
        const char* m_text;
        const char* m_status;
        const char* m_tip;
        QKeySequence m_key;
    };
    const Entry entries[] = {
        {"actionRescanEverything",
         "&Rescan Everything",
         "Fetch every message's header again, ignoring the header cache",
         "Rescan Everything",
         {}},
        {"actionExit", "E&xit", "Quit the application; prompts to save documents", "Exit", {}},
        {"actionManageAccount", "&Manage Account", "Account", "Account", QKeySequence(Qt::Key_F2)},
        {"actionManageFilter", "Manage &Filter", "Manage Filter", "Manage Filter", QKeySequence(Qt::Key_F3)},
        {"actionPreferences", "&Preferences", "Preferences", "Preferences", QKeySequence(Qt::Key_F4)},
        {"actionStatusBar", "&Status Bar", "Show or hide the status bar", "Toggle StatusBar", {}},
        {"actionAbout", "&About Mavix...", "Display program information, version number and copyright", "About", {}},
    };
    for (const Entry& e : entries) {
        auto* pAction = h.m_pFrame->findChild<QAction*>(QLatin1String(e.m_name));
        QVERIFY2(pAction, e.m_name);
        QCOMPARE(pAction->text(), QString::fromLatin1(e.m_text));
        QCOMPARE(pAction->statusTip(), QString::fromLatin1(e.m_status));
        QCOMPARE(pAction->toolTip(), QString::fromLatin1(e.m_tip));
        QCOMPARE(pAction->shortcut(), e.m_key);
    }
    // The Help menu: topics, the journal of deletions, a separator, the
    // About box.
    QMenu* pHelp = h.m_pFrame->menuBar()->actions().at(3)->menu();
    QCOMPARE(pHelp->actions().size(), 4);
    QCOMPARE(pHelp->actions().at(0)->text(), QStringLiteral("Help &Topics"));
    QCOMPARE(pHelp->actions().at(1)->text(), QStringLiteral("Recently &Deleted\u2026"));
    QVERIFY(pHelp->actions().at(2)->isSeparator());
    QCOMPARE(pHelp->actions().at(3)->text(), QStringLiteral("&About Mavix..."));

    // No entry is there that could never be used; the status bar's entry
    // really hides and shows it.
    QMenu* pViewMenu = h.m_pFrame->menuBar()->actions().at(2)->menu();
    for (const QAction* pAction : pViewMenu->actions())
        QVERIFY2(pAction->isEnabled(), qPrintable(pAction->text()));
    auto* pStatus = h.m_pFrame->findChild<QAction*>("actionStatusBar");
    QVERIFY(pStatus->isChecked());
    pStatus->trigger();
    QVERIFY(!h.m_pFrame->statusBar()->isVisible());
    pStatus->trigger();
    QVERIFY(h.m_pFrame->statusBar()->isVisible());
}

// F2, F3 and F4 open their dialogs from the window.
void TestMainFrame::keys()
{
    ViewHarness h;
    h.SetAccount(110);
    QVERIFY(h.Build());
    h.m_pFrame->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(h.m_pFrame.get()));
    QTest::keyClick(h.m_pFrame.get(), Qt::Key_F2);
    QTest::keyClick(h.m_pFrame.get(), Qt::Key_F3);
    QTest::keyClick(h.m_pFrame.get(), Qt::Key_F4);
    QTRY_COMPARE(h.m_asDialogs.size(), 3);
    QCOMPARE(h.m_asDialogs.at(0), QStringLiteral("CAccountDlg"));
    QCOMPARE(h.m_asDialogs.at(2), QStringLiteral("CPrefsDlg"));
}

void TestMainFrame::statusBar()
{
    ViewHarness h;
    QVERIFY(h.Build());
    QCOMPARE(h.Pane(0), QStringLiteral("Ready"));
    QLabel* pPane = h.m_pFrame->StatusPane(1);
    const QString longText = QStringLiteral("Shutting down... May take 20 seconds");
    QVERIFY(h.m_pFrame->SetStatusPaneText(1, longText));
    const int nLong = pPane->width();
    QCOMPARE(nLong, pPane->fontMetrics().horizontalAdvance(longText) + 2);
    QVERIFY(h.m_pFrame->SetStatusPaneText(1, QStringLiteral("  3 eMails :   1 Suspect")));
    QVERIFY(pPane->width() < nLong);
    QVERIFY(h.m_pFrame->SetStatusPaneText(1, QString()));
    QCOMPARE(pPane->width(), 2);
    QVERIFY(!h.m_pFrame->SetStatusPaneText(3, longText));
}

// The grid keeps its margins to the right and bottom edges, and the window's
// placement is stored after every resize.
void TestMainFrame::resizeKeepsMarginsAndStoresPlacement()
{
    ViewHarness h;
    WriteScreen(h.m_settings, 10, 10, 600, 400);
    QVERIFY(h.Build());
    const QRect target(30, 40, 700, 450);
    h.m_pFrame->setGeometry(target);
    QTRY_COMPARE(h.m_pFrame->geometry(), target);
    QTRY_COMPARE(StoredScreen(h.m_settings), target);
    // The grid with the preview pane below it, in their splitter.
    const QRect grid = h.m_pView->Grid()->parentWidget()->geometry();
    QCOMPARE(h.m_pView->width() - (grid.x() + grid.width()), 17);
    QCOMPARE(h.m_pView->height() - (grid.y() + grid.height()), 13);
}

void TestMainFrame::closeSavesWidthsAndPlacement()
{
    ViewHarness h;
    WriteScreen(h.m_settings, 10, 10, 640, 420);
    QVERIFY(h.Build());
    // Resized first: a narrower window narrows Subject (column 3).
    h.m_pFrame->setGeometry(25, 35, 600, 410);
    QTRY_COMPARE(h.m_pFrame->geometry(), QRect(25, 35, 600, 410));
    h.m_pView->Grid()->header()->resizeSection(3, 123);
    h.m_pView->Grid()->header()->resizeSection(8, 57);
    const auto widths = h.m_pView->ColumnWidths();
    QVERIFY(h.m_pFrame->close());
    for (int i = 0; i < 9; ++i)
        QCOMPARE(h.m_settings.ReadInt("List", "col" + std::to_string(i), -1), widths[static_cast<size_t>(i)]);
    QCOMPARE(h.m_settings.ReadInt("List", "col3", -1), 123);
    QCOMPARE(h.m_settings.ReadInt("List", "col8", -1), 57);
    QCOMPARE(StoredScreen(h.m_settings), h.m_pFrame->geometry());
    QCOMPARE(h.Pane(1), QStringLiteral("Shutting down... May take 20 seconds"));
}

// A placement stored at one scale (QT_SCALE_FACTOR, the desktop's
// scaling) opens as large on the screen at another; one stored by an
// earlier version, without its scale, opens as stored.
void TestMainFrame::scaleChangeKeepsTheSize_data()
{
    QTest::addColumn<QString>("scale");  // as stored; empty: none
    QTest::addColumn<double>("factor");  // stored size to window pixels at 100 %

    QTest::newRow("earlier version") << QString() << 1.0;
    QTest::newRow("same scale") << "100" << 1.0;
    QTest::newRow("stored at 200 %") << "200" << 2.0;
    QTest::newRow("stored at 150 %") << "150" << 1.5;
    QTest::newRow("hand-edited nonsense") << "0" << 1.0;
}

void TestMainFrame::scaleChangeKeepsTheSize()
{
    QFETCH(QString, scale);
    QFETCH(double, factor);
    const int nNow = static_cast<int>(std::lround(QGuiApplication::primaryScreen()->devicePixelRatio() * 100));
    if (scale.isEmpty() || scale == "0")
        factor = 1.0;
    else
        factor = factor * 100 / nNow;  // the test may run at another scale
    ViewHarness h;
    WriteScreen(h.m_settings, 20, 10, 300, 200);
    if (!scale.isEmpty())
        h.m_settings.WriteString("Screen", "scale", scale.toStdString());
    QVERIFY(h.Build());
    const QRect expected(static_cast<int>(std::lround(20 * factor)), static_cast<int>(std::lround(10 * factor)),
                         static_cast<int>(std::lround(300 * factor)), static_cast<int>(std::lround(200 * factor)));
    QCOMPARE(h.m_pFrame->Placement(), expected);
    QVERIFY(h.m_pFrame->close());
    QCOMPARE(StoredScreen(h.m_settings), h.m_pFrame->geometry());
    QCOMPARE(h.m_settings.ReadInt("Screen", "scale", -1), nNow);
}

// The initial widths stay; a wider window widens Subject alone.
void TestMainFrame::subjectTakesTheExtraWidth()
{
    ViewHarness h;
    WriteScreen(h.m_settings, 10, 10, 600, 400);
    QVERIFY(h.Build());
    const auto before = h.m_pView->ColumnWidths();
    const int nGrid = h.m_pView->Grid()->width();
    h.m_pFrame->resize(h.m_pFrame->width() + 300, h.m_pFrame->height());
    QTRY_COMPARE(h.m_pView->Grid()->width(), nGrid + 300);
    const auto after = h.m_pView->ColumnWidths();
    for (size_t i = 0; i < before.size(); ++i)
        QCOMPARE(after[i], before[i] + (i == MessageGridModel::kSubject ? 300 : 0));
}

// The header's menu hides and shows columns, Subject never; the choice is
// stored with the widths, and a file that never chose gets no key.
void TestMainFrame::hiddenColumnsAreRemembered()
{
    {
        ViewHarness h;
        QVERIFY(h.Build());
        QVERIFY(h.m_pFrame->close());
        QCOMPARE(h.m_settings.ReadString("List", "hidden", "absent"), std::string("absent"));
    }
    ViewHarness h;
    h.m_settings.WriteString("List", "hidden", "7,8,x,42");
    QVERIFY(h.Build());
    QHeaderView* pHeader = h.m_pView->Grid()->header();
    QVERIFY(pHeader->isSectionHidden(7) && pHeader->isSectionHidden(8) && !pHeader->isSectionHidden(1));
    const int nSize = pHeader->sectionSize(1);
    QMenu menu;
    h.m_pView->FillColumnsMenu(&menu);
    QCOMPARE(menu.actions().size(), 9);
    QVERIFY(!menu.actions().at(MessageGridModel::kSubject)->isEnabled());
    menu.actions().at(1)->trigger();  // Size off
    menu.actions().at(8)->trigger();  // CC on
    QVERIFY(pHeader->isSectionHidden(1) && !pHeader->isSectionHidden(8));
    h.m_pView->SetColumnHidden(MessageGridModel::kSubject, true);
    QVERIFY(!pHeader->isSectionHidden(MessageGridModel::kSubject));
    QVERIFY(h.m_pFrame->close());
    QCOMPARE(h.m_settings.ReadString("List", "hidden", ""), std::string("1,7"));
    QCOMPARE(h.m_settings.ReadInt("List", "col1", -1), nSize);
}

void TestMainFrame::closeWhileIdleEndsWorkersQuickly()
{
    ViewHarness h;
    QVERIFY(h.Build());
    ScreeningEngine& engine = h.m_pView->Engine();
    QVERIFY(!engine.ScanEnded());
    QVERIFY(!engine.PurgeEnded());
    const auto start = std::chrono::steady_clock::now();
    QVERIFY(h.m_pFrame->close());
    const auto elapsed = std::chrono::steady_clock::now() - start;
    QVERIFY(engine.ScanEnded());
    QVERIFY(engine.PurgeEnded());
    QVERIFY(!CMavixView::WorkersAbandoned());
    QVERIFY2(elapsed < std::chrono::seconds(2), "idle workers must end at once");
}

// A launch from the desktop menu works in $XDG_DATA_HOME/Mavix, made private.
void TestMainFrame::desktopLaunchWorksInDataDirectory()
{
    QTemporaryDir home;
    QVERIFY(home.isValid());
    const QByteArray oldData = qgetenv("XDG_DATA_HOME");
    const QString oldDir = QDir::currentPath();
    qputenv("XDG_DATA_HOME", QFile::encodeName(home.path() + "/deep/share"));
    std::string dir;
    const bool bEntered = CMavixApp::EnterDataDirectory(&dir);
    const QString now = QDir::currentPath();
    QDir::setCurrent(oldDir);
    qputenv("XDG_DATA_HOME", oldData);
    QVERIFY(bEntered);
    QCOMPARE(QString::fromStdString(dir), home.path() + "/deep/share/Mavix");
    QCOMPARE(QFileInfo(now).canonicalFilePath(), QFileInfo(home.path() + "/deep/share/Mavix").canonicalFilePath());
    struct stat st { };
    QCOMPARE(stat(dir.c_str(), &st), 0);
    QCOMPARE(st.st_mode & 0777, 0700u);
}

QTEST_MAIN(TestMainFrame)
#include "test_mainframe.moc"
