// The "Manage Filters" sheet, its three pages and the entry dialog, driven
// through their buttons, with the real filter lists and settings file.

#include "DialogDriver.h"
#include "gui/dialogs/FilterEditDlg.h"
#include "gui/dialogs/FilterManager.h"
#include "gui/dialogs/FilterPage.h"
#include "gui/dialogs/FilterSizePage.h"
#include "core/storage/Filters.h"
#include "core/storage/SettingsStore.h"
#include "gui/widgets/Text.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QTest>
#include <algorithm>
#include <deque>

using Entries = std::vector<std::string>;

namespace {

CFilterPage* OpenPage(QDialog& sheet, int index)
{
    auto* tabs = sheet.findChild<QTabWidget*>();
    tabs->setCurrentIndex(index);
    return qobject_cast<CFilterPage*>(tabs->widget(index));
}

QStringList Shown(const CFilterPage* page)
{
    QStringList texts;
    for (int i = 0; i < page->List()->count(); ++i)
        texts << page->List()->item(i)->text();
    return texts;
}

void ClickRow(CFilterPage* page, int row)
{
    QListWidget* list = page->List();
    list->scrollToItem(list->item(row));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(row)).center());
}

void Click(QPushButton* button)
{
    QTest::mouseClick(button, Qt::LeftButton);
}

}  // namespace

class TestFilterManager : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void defaultsHintIsNoBox();
    void pagesOpenUnselected();
    void addPreparesEntry_data();
    void addPreparesEntry();
    void sortedAndDuplicatesKept();
    void deleteMovesSelection();
    void editReplacesEntry();
    void entryDialogRefuses_data();
    void entryDialogRefuses();
    void restoreDefaultsThenCancel();
    void restoreDefaultsThenOk();
    void okAfterFirstPageOnly();
    void widestEntryReachable();
    void saveFailureIsReported();

private:
    // Runs the sheet; body drives it while it is open.
    int RunSheet(std::function<void(QDialog&)> body);
    // Answers the next entry dialogs in order: the text to type, and whether
    // to press OK (else Cancel). Records each dialog's caption and initial text.
    void Answer(const QString& text, bool bOk = true) { m_answers.push_back({text, bOk}); }
    Filters Reloaded() const;

    QTemporaryDir m_dir;
    std::unique_ptr<DialogDriver> m_pDriver;
    SettingsStore m_settings;
    Filters m_filters;
    std::deque<std::pair<QString, bool>> m_answers;
    QStringList m_asCaptions;
    QStringList m_asInitial;
};

void TestFilterManager::initTestCase()
{
    // No "defaults.txt" here: the built-in defaults apply.
    QVERIFY(QDir::setCurrent(m_dir.path()));
}

void TestFilterManager::init()
{
    QFile::remove(QString::fromStdString(m_settings.FilePath()));
    bool bCreated = false;
    QVERIFY(m_settings.Open(&bCreated));
    m_filters = Filters();
    m_filters.LoadDefaults();
    m_filters.LoadFilters(m_settings);
    m_answers.clear();
    m_asCaptions.clear();
    m_asInitial.clear();
    m_pDriver = std::make_unique<DialogDriver>();
    m_pDriver->On<CFilterEditDlg>([this](CFilterEditDlg& dlg) {
        auto* edit = dlg.findChild<QLineEdit*>();
        m_asCaptions << dlg.windowTitle();
        m_asInitial << edit->text();
        QVERIFY(!m_answers.empty());
        const auto [text, bOk] = m_answers.front();
        m_answers.pop_front();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        DialogDriver::Type(edit, text);
        DialogDriver::Press(dlg, bOk ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel);
    });
}

void TestFilterManager::cleanup()
{
    m_pDriver.reset();
}

int TestFilterManager::RunSheet(std::function<void(QDialog&)> body)
{
    m_pDriver->On<QDialog>(body);
    return ManageFilters(nullptr, m_filters, m_settings);
}

Filters TestFilterManager::Reloaded() const
{
    Filters filters;
    filters.LoadFilters(m_settings);
    return filters;
}

void TestFilterManager::defaultsHintIsNoBox()
{
    // Nothing stored: the sheet says where the defaults are on its first
    // page, with no box to dismiss, every time it opens; lists stored: not.
    for (int stored : {0, 0, 1}) {
        m_filters.m_bNoStoredFilters = stored ? 0 : 1;
        RunSheet([&](QDialog& sheet) {
            const auto* hint = sheet.findChild<QLabel*>(QStringLiteral("defaultsHint"));
            QCOMPARE(hint != nullptr && hint->isVisible(), !stored);
            DialogDriver::Press(sheet, QDialogButtonBox::Cancel);
        });
    }
    QCOMPARE(m_pDriver->m_asBoxes, QStringList());
}

void TestFilterManager::pagesOpenUnselected()
{
    m_filters.m_bNoStoredFilters = 0;
    m_filters.m_filters.Replace(kFilterSize, {"9K", "113K"});
    m_filters.m_filters.Replace(kFilterSubject, {"b", "A"});
    m_filters.m_filters.Replace(kFilterSubjectExact, {"Exact"});
    RunSheet([&](QDialog& sheet) {
        QCOMPARE(sheet.windowTitle(), QStringLiteral("Manage Filters"));
        auto* tabs = sheet.findChild<QTabWidget*>();
        QCOMPARE(tabs->count(), 5);
        QCOMPARE(tabs->tabText(0), QStringLiteral("Size Filter"));
        QCOMPARE(tabs->tabText(1), QStringLiteral("Subject Filter"));
        QCOMPARE(tabs->tabText(2), QStringLiteral("Subject Exact Filter"));
        QCOMPARE(tabs->tabText(3), QStringLiteral("Senders"));
        QCOMPARE(tabs->tabText(4), QStringLiteral("Trusted senders"));
        QCOMPARE(tabs->currentIndex(), 0);
        // OK and Cancel only: every change waits for OK.
        QCOMPARE(sheet.findChild<QDialogButtonBox*>()->buttons().size(), 2);

        const QStringList shown[] = {{"113K", "9K"}, {"A", "b"}, {"Exact"}};
        const QString notes[] = {
            QStringLiteral("An entry is a size as the Size column shows it, such as 113K, or \">\" and a size a "
                           "message must exceed, such as >500K or >2M."),
            QStringLiteral("If the Subject holds an entry's text (anywhere, or as a whole word, as shown "
                           "beside it) or matches its regular expression, the email is marked for "
                           "deletion. Case and accents do not matter."),
            QStringLiteral("If the Subject of the email exactly matches the text shown above, "
                           "the email is marked for deletion.")};
        for (int i = 0; i < 3; ++i) {
            CFilterPage* page = OpenPage(sheet, i);
            QCOMPARE(Shown(page), shown[i]);
            QCOMPARE(page->SelectedIndex(), -1);
            QVERIFY(!page->DeleteButton()->isEnabled());
            QVERIFY(page->EditButton()->isEnabled());
            auto* note = page->findChild<QLabel*>(QStringLiteral("note"));
            QCOMPARE(note ? note->text() : QString(), notes[i]);
            // Edit with nothing selected does nothing.
            Click(page->EditButton());
            QCOMPARE(m_pDriver->m_nModal, 1);
        }
        DialogDriver::Press(sheet, QDialogButtonBox::Cancel);
    });
}

void TestFilterManager::addPreparesEntry_data()
{
    QTest::addColumn<int>("page");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");

    QTest::newRow("size upper-cased") << 0 << "113k"
                                      << "113K";
    QTest::newRow("size larger than") << 0 << "> 500 k"
                                      << ">500K";
    QTest::newRow("size letters only") << 0 << "a-z ok"
                                       << "A-Z OK";
    QTest::newRow("subject accents folded, whole word") << 1 << QStringLiteral("déjà vu") << "dEjA vu   (whole word)";
    QTest::newRow("exact accents folded") << 2 << QStringLiteral("Ça Ÿ straße œ") << QStringLiteral("Ca Y straße œ");
    QTest::newRow("sender brackets dropped") << 3 << " <Bob@Spam.example> "
                                             << "Bob@Spam.example";
    QTest::newRow("trusted domain kept") << 4 << "@Home.example"
                                         << "@Home.example";
}

void TestFilterManager::addPreparesEntry()
{
    QFETCH(int, page);
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    const FilterKind kinds[] = {kFilterSize, kFilterSubject, kFilterSubjectExact, kFilterSender, kFilterTrusted};

    m_filters.m_bNoStoredFilters = 0;
    Answer(typed);
    RunSheet([&](QDialog& sheet) {
        CFilterPage* p = OpenPage(sheet, page);
        Click(p->AddButton());
        QCOMPARE(Shown(p), QStringList{shown});
        QCOMPARE(p->SelectedIndex(), 0);
        QVERIFY(p->DeleteButton()->isEnabled());
        QVERIFY(p->EditButton()->isEnabled());
        DialogDriver::Press(sheet, QDialogButtonBox::Ok);
    });
    QCOMPARE(m_asCaptions, QStringList{QStringLiteral("Add Filter")});
    QCOMPARE(m_asInitial, QStringList{QString()});
    QCOMPARE(m_filters.m_filters.List(kinds[page]), Entries{ToCp1252(shown.section(QStringLiteral("   ("), 0, 0))});
}

void TestFilterManager::sortedAndDuplicatesKept()
{
    m_filters.m_filters.Replace(kFilterSubject, {"banana", "Apple", "cherry", "apple"});
    Answer(QStringLiteral("BANANA"));
    Answer(QStringLiteral("cherry"));
    RunSheet([&](QDialog& sheet) {
        CFilterPage* page = OpenPage(sheet, 1);
        QCOMPARE(Shown(page), (QStringList{"Apple", "apple", "banana", "cherry"}));
        Click(page->AddButton());
        // Added entries are whole-word unless the user picks another mode.
        QCOMPARE(Shown(page), (QStringList{"Apple", "apple", "banana", "BANANA   (whole word)", "cherry"}));
        QCOMPARE(page->SelectedIndex(), 3);
        Click(page->AddButton());
        QCOMPARE(Shown(page),
                 (QStringList{"Apple", "apple", "banana", "BANANA   (whole word)", "cherry", "cherry   (whole word)"}));
        QCOMPARE(page->SelectedIndex(), 5);
        DialogDriver::Press(sheet, QDialogButtonBox::Ok);
    });
    const Entries expected{"Apple", "apple", "banana", "BANANA", "cherry", "cherry"};
    QCOMPARE(m_filters.m_filters.List(kFilterSubject), expected);
    QCOMPARE(Reloaded().m_filters.List(kFilterSubject),
             (Entries{"APPLE", "APPLE", "BANANA", "BANANA", "CHERRY", "CHERRY"}));
}

void TestFilterManager::deleteMovesSelection()
{
    m_filters.m_filters.Replace(kFilterSize, {"1K", "2K", "3K", "4K"});
    RunSheet([&](QDialog& sheet) {
        CFilterPage* page = OpenPage(sheet, 0);
        // The last entry: the new last one is selected.
        ClickRow(page, 3);
        QVERIFY(page->DeleteButton()->isEnabled());
        Click(page->DeleteButton());
        QCOMPARE(Shown(page), (QStringList{"1K", "2K", "3K"}));
        QCOMPARE(page->SelectedIndex(), 2);
        // A middle entry: the one that moved up into its place.
        ClickRow(page, 1);
        Click(page->DeleteButton());
        QCOMPARE(Shown(page), (QStringList{"1K", "3K"}));
        QCOMPARE(page->SelectedIndex(), 1);
        Click(page->DeleteButton());
        Click(page->DeleteButton());
        // Emptied: nothing selected, nothing to delete or edit.
        QCOMPARE(page->List()->count(), 0);
        QCOMPARE(page->SelectedIndex(), -1);
        QVERIFY(!page->DeleteButton()->isEnabled());
        QVERIFY(!page->EditButton()->isEnabled());
        DialogDriver::Press(sheet, QDialogButtonBox::Ok);
    });
    QCOMPARE(m_filters.m_filters.List(kFilterSize), Entries{});
    QCOMPARE(Reloaded().m_filters.List(kFilterSize), Entries{});
}

void TestFilterManager::editReplacesEntry()
{
    m_filters.m_filters.Replace(kFilterSubject, {"alpha", "beta", "gamma"});
    Answer(QStringLiteral("beta"));        // unchanged
    Answer(QStringLiteral("Ärger"));       // re-sorted and folded
    Answer(QStringLiteral("zzz"), false);  // cancelled
    RunSheet([&](QDialog& sheet) {
        CFilterPage* page = OpenPage(sheet, 1);
        ClickRow(page, 1);
        Click(page->EditButton());
        QCOMPARE(Shown(page), (QStringList{"alpha", "beta", "gamma"}));
        QCOMPARE(page->SelectedIndex(), 1);

        ClickRow(page, 2);
        Click(page->EditButton());
        QCOMPARE(Shown(page), (QStringList{"alpha", "Arger", "beta"}));
        QCOMPARE(page->SelectedIndex(), 1);

        Click(page->EditButton());
        QCOMPARE(Shown(page), (QStringList{"alpha", "Arger", "beta"}));
        QCOMPARE(page->SelectedIndex(), 1);
        DialogDriver::Press(sheet, QDialogButtonBox::Ok);
    });
    QCOMPARE(m_asCaptions, (QStringList{"Edit Filter", "Edit Filter", "Edit Filter"}));
    QCOMPARE(m_asInitial, (QStringList{"beta", "gamma", "Arger"}));
    QCOMPARE(m_filters.m_filters.List(kFilterSubject), (Entries{"alpha", "Arger", "beta"}));
}

void TestFilterManager::entryDialogRefuses_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("accepted");

    QTest::newRow("empty") << QString() << false;
    QTest::newRow("blanks only") << QStringLiteral("   ") << false;
    QTest::newRow("260 characters") << QString(260, QLatin1Char('x')) << false;
    QTest::newRow("259 characters") << QString(259, QLatin1Char('x')) << true;
    QTest::newRow("259 accented") << QString(259, QChar(0xE9)) << true;
    QTest::newRow("not Western") << QStringLiteral("\u4E2D\u6587") << false;
}

void TestFilterManager::entryDialogRefuses()
{
    QFETCH(QString, text);
    QFETCH(bool, accepted);

    CFilterEditDlg dlg;
    dlg.show();
    auto* edit = dlg.findChild<QLineEdit*>();
    edit->setText(text);
    DialogDriver::Press(dlg, QDialogButtonBox::Ok);
    auto* problem = dlg.findChild<QLabel*>(QStringLiteral("problem"));
    if (accepted) {
        QVERIFY(!dlg.isVisible());
        QCOMPARE(dlg.m_sFilter, ToCp1252(text));
        return;
    }
    QVERIFY(dlg.isVisible());
    QVERIFY(problem->isVisible());
    QVERIFY(!problem->text().isEmpty());
    QCOMPARE(dlg.m_sFilter, std::string());
    // Put right, the same dialog takes it.
    edit->setText(QStringLiteral("fixed"));
    DialogDriver::Press(dlg, QDialogButtonBox::Ok);
    QVERIFY(!dlg.isVisible());
    QCOMPARE(dlg.m_sFilter, std::string("fixed"));
}

void TestFilterManager::restoreDefaultsThenCancel()
{
    m_filters.m_filters.Replace(kFilterSize, {"200K"});
    m_filters.m_filters.Replace(kFilterSubject, {"mine"});
    QVERIFY(m_filters.SaveFilters(m_settings));
    const FilterLists before = m_filters.m_filters;
    RunSheet([&](QDialog& sheet) {
        for (int i = 0; i < 3; ++i) {
            CFilterPage* page = OpenPage(sheet, i);
            Click(page->RestoreButton());
        }
        QCOMPARE(Shown(OpenPage(sheet, 0)).size(), 7);
        DialogDriver::Press(sheet, QDialogButtonBox::Cancel);
    });
    QVERIFY(m_filters.m_filters == before);
    QCOMPARE(Reloaded().m_filters.List(kFilterSize), Entries{"200K"});
    QCOMPARE(Reloaded().m_filters.List(kFilterSubject), Entries{"MINE"});
}

void TestFilterManager::restoreDefaultsThenOk()
{
    m_filters.m_filters.Replace(kFilterSubject, {"mine"});
    m_filters.m_filters.Replace(kFilterSubjectExact, {"kept"});
    RunSheet([&](QDialog& sheet) {
        CFilterPage* page = OpenPage(sheet, 1);
        ClickRow(page, 0);
        Click(page->RestoreButton());
        QCOMPARE(page->SelectedIndex(), -1);
        QVERIFY(!page->DeleteButton()->isEnabled());
        DialogDriver::Press(sheet, QDialogButtonBox::Ok);
    });
    const Entries& active = m_filters.m_filters.List(kFilterSubject);
    Entries defaults = m_filters.m_filterDefaults.List(kFilterSubject);
    QCOMPARE(active.size(), size_t(104));
    // The defaults, duplicate included, in the list box's order.
    Entries sortedActive = active;
    std::sort(sortedActive.begin(), sortedActive.end());
    std::sort(defaults.begin(), defaults.end());
    QCOMPARE(sortedActive, defaults);
    for (size_t i = 1; i < active.size(); ++i) {
        QVERIFY2(QString::compare(FromCp1252(active[i - 1]), FromCp1252(active[i]), Qt::CaseInsensitive) <= 0,
                 active[i].c_str());
    }
    const Filters reloaded = Reloaded();
    QCOMPARE(reloaded.m_filters.List(kFilterSubject).size(), size_t(104));
    QCOMPARE(reloaded.m_filters.List(kFilterSubject).front(), std::string("=?"));
    QCOMPARE(reloaded.m_filters.List(kFilterSubjectExact), Entries{"KEPT"});
}

void TestFilterManager::okAfterFirstPageOnly()
{
    m_filters.m_filters.Replace(kFilterSize, {"9K", "113K"});
    m_filters.m_filters.Replace(kFilterSubject, {"zeta", "Alpha"});
    m_filters.m_filters.Replace(kFilterSubjectExact, {"Hello"});
    RunSheet([&](QDialog& sheet) { DialogDriver::Press(sheet, QDialogButtonBox::Ok); });

    // The page shown takes its box's order; the unseen ones keep theirs.
    QCOMPARE(m_filters.m_filters.List(kFilterSize), (Entries{"113K", "9K"}));
    QCOMPARE(m_filters.m_filters.List(kFilterSubject), (Entries{"zeta", "Alpha"}));
    QCOMPARE(m_filters.m_filters.List(kFilterSubjectExact), Entries{"Hello"});
    const Filters reloaded = Reloaded();
    QCOMPARE(reloaded.m_filters.List(kFilterSize), (Entries{"113K", "9K"}));
    QCOMPARE(reloaded.m_filters.List(kFilterSubject), (Entries{"ZETA", "ALPHA"}));
    QCOMPARE(reloaded.m_filters.List(kFilterSubjectExact), Entries{"HELLO"});
}

void TestFilterManager::widestEntryReachable()
{
    const QString wide = QString(80, QLatin1Char('W')) + QStringLiteral(" end");
    Answer(wide);
    RunSheet([&](QDialog& sheet) {
        CFilterPage* page = OpenPage(sheet, 2);
        Click(page->AddButton());
        QListWidget* list = page->List();
        const int nText = list->fontMetrics().horizontalAdvance(wide);
        QVERIFY(nText > list->viewport()->width());
        QScrollBar* bar = list->horizontalScrollBar();
        QTRY_VERIFY(bar->maximum() > 0);
        QVERIFY(bar->maximum() + list->viewport()->width() >= nText);
        DialogDriver::Press(sheet, QDialogButtonBox::Cancel);
    });
}

void TestFilterManager::saveFailureIsReported()
{
    m_filters.m_bNoStoredFilters = 0;
    // A settings home below a plain file cannot be created, not even by root.
    QTemporaryFile blocker;
    QVERIFY(blocker.open());
    const QByteArray oldHome = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(blocker.fileName() + QStringLiteral("/config")));
    Answer(QStringLiteral("500K"));
    RunSheet([&](QDialog& sheet) {
        Click(OpenPage(sheet, 0)->AddButton());
        DialogDriver::Press(sheet, QDialogButtonBox::Ok);
    });
    qputenv("XDG_CONFIG_HOME", oldHome);
    QCOMPARE(m_pDriver->m_asBoxes.size(), 1);
    QVERIFY(m_pDriver->m_asBoxes[0].startsWith(QStringLiteral("The filter lists could not be saved")));
    // The change still applies for this run.
    QCOMPARE(m_filters.m_filters.List(kFilterSize), Entries{"500K"});
}

QTEST_MAIN(TestFilterManager)
#include "test_filter_manager.moc"
