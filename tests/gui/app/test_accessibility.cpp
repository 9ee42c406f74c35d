// The main window and each dialog as a screen reader and the keyboard meet
// them, in English, German and French: every control that takes focus has a
// role and a name, every button, labelled field and menu entry has its own
// mnemonic, every window fits the screen with its buttons in reach and its
// tabs in view, and the grid's check boxes say what they are. Run again at
// twice the scale on a 1,400 x 900 screen (test_accessibility_scale2).

#include "tests/gui/review/ViewHarness.h"
#include "gui/dialogs/AboutDlg.h"
#include "gui/dialogs/FilterEditDlg.h"
#include "gui/dialogs/HelpWindow.h"
#include "gui/dialogs/RecentlyDeletedWindow.h"
#include "gui/review/MessageGridModel.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QDialogButtonBox>
#include <QAction>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QTabBar>
#include <QTabWidget>
#include <QTranslator>
#include <QTreeView>
#include <QtTest>

namespace {

// The letter after the single '&' of a caption; 0 without one.
QChar Mnemonic(const QString& text)
{
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != QLatin1Char('&'))
            continue;
        if (text[i + 1] != QLatin1Char('&'))
            return text[i + 1].toLower();
        ++i;
    }
    return {};
}

// Every fault a keyboard or screen-reader user would meet in this window.
QStringList Audit(QWidget& top)
{
    QStringList faults;
    QHash<QChar, QString> taken;
    const QString window = QString::fromLatin1(top.metaObject()->className()) + QStringLiteral(": ");
    const auto claim = [&](const QString& text) {
        const QChar c = Mnemonic(text);
        if (c.isNull())
            faults << window + QStringLiteral("no mnemonic: ") + text;
        else if (taken.contains(c))
            faults << window + QStringLiteral("'%1' twice: %2, %3").arg(c).arg(taken[c], text);
        else
            taken.insert(c, text);
    };
    if (auto* pWindow = qobject_cast<QMainWindow*>(&top))
        for (QAction* pMenu : pWindow->menuBar()->actions())
            claim(pMenu->text());
    for (QWidget* w : top.findChildren<QWidget*>()) {
        const bool bShown = w->isVisibleTo(&top);
        auto* pButton = qobject_cast<QAbstractButton*>(w);
        auto* pLabel = qobject_cast<QLabel*>(w);
        // Hidden buttons count too: they come and go on the same form. OK
        // and Cancel answer Enter and Escape.
        auto* pBox = qobject_cast<QDialogButtonBox*>(w->parentWidget());
        if (pBox && pButton && pBox->standardButton(pButton) != QDialogButtonBox::NoButton)
            pButton = nullptr;
        QWidget* pForm = w->parentWidget();
        const bool bOnShownForm = pForm && (pForm == &top || pForm->isVisibleTo(&top));
        if (pButton && !pButton->text().isEmpty() && bOnShownForm)
            claim(pButton->text());
        else if (pLabel && pLabel->buddy() && bShown)
            claim(pLabel->text());
        if (!bShown || !(w->focusPolicy() & Qt::TabFocus) || w->focusProxy())
            continue;
        QAccessibleInterface* pFace = QAccessible::queryAccessibleInterface(w);
        const QString id = QString::fromLatin1(w->metaObject()->className()) + QLatin1Char(' ') + w->objectName();
        if (!pFace || pFace->role() == QAccessible::NoRole || pFace->role() == QAccessible::Client)
            faults << window + QStringLiteral("no role: ") + id;
        else if (pFace->text(QAccessible::Name).trimmed().isEmpty())
            faults << window + QStringLiteral("no name: ") + id;
    }
    return faults;
}

// Every fault of a window's fit: shown, it lies on the screen's free area,
// its dialog buttons are in view, and its tabs need no scroll arrows.
QStringList Fit(QWidget& top)
{
    QStringList faults;
    const QString window = QString::fromLatin1(top.metaObject()->className()) + QStringLiteral(": ");
    const bool bShown = top.isVisible();
    top.show();
    QCoreApplication::processEvents();
    const QRect free = top.screen()->availableGeometry();
    if (!free.contains(top.geometry()))
        faults << window
                + QStringLiteral("off the screen: %1,%2 %3x%4 on %5x%6")
                      .arg(top.x())
                      .arg(top.y())
                      .arg(top.width())
                      .arg(top.height())
                      .arg(free.width())
                      .arg(free.height());
    for (QDialogButtonBox* pBox : top.findChildren<QDialogButtonBox*>()) {
        if (!pBox->isVisible())
            continue;
        for (QAbstractButton* pButton : pBox->buttons()) {
            const QRect at(pButton->mapTo(&top, QPoint()), pButton->size());
            if (!pButton->visibleRegion().boundingRect().contains(pButton->rect()) || !top.rect().contains(at))
                faults << window + QStringLiteral("out of reach: ") + pButton->text();
        }
    }
    for (QTabWidget* pTabs : top.findChildren<QTabWidget*>()) {
        if (pTabs->isVisible() && pTabs->tabBar()->sizeHint().width() > pTabs->tabBar()->width())
            faults << window + QStringLiteral("tabs behind arrows: ") + pTabs->tabText(pTabs->count() - 1);
    }
    if (!bShown)
        top.hide();
    return faults;
}

// Each menu's entries: a mnemonic each, none twice, no key in the text.
QStringList AuditMenu(QMenu& menu)
{
    QStringList faults;
    QHash<QChar, QString> taken;
    for (QAction* pAction : menu.actions()) {
        if (pAction->isSeparator())
            continue;
        const QString text = pAction->text();
        const QChar c = Mnemonic(text);
        if (text.contains(QLatin1Char('\t')))
            faults << QStringLiteral("key in the text: ") + text;
        if (c.isNull())
            faults << QStringLiteral("no mnemonic: ") + text;
        else if (taken.contains(c))
            faults << QStringLiteral("'%1' twice: %2, %3").arg(c).arg(taken[c], text);
        taken.insert(c, text);
        if (pAction->menu()) {
            emit pAction->menu()->aboutToShow();
            faults << AuditMenu(*pAction->menu());
        }
    }
    return faults;
}

}  // namespace

class TestAccessibility : public QObject {
    Q_OBJECT
private slots:
    void mainWindowAndDialogs_data();
    void mainWindowAndDialogs();
    void gridCheckBoxesSayWhy();
};

void TestAccessibility::mainWindowAndDialogs_data()
{
    QTest::addColumn<QString>("language");  // empty: English
    QTest::newRow("en") << QString();
    QTest::newRow("de") << QStringLiteral("de");
    QTest::newRow("fr") << QStringLiteral("fr");
}

void TestAccessibility::mainWindowAndDialogs()
{
    QFETCH(QString, language);
    QTranslator texts;
    if (!language.isEmpty()) {
        QVERIFY(texts.load(QStringLiteral("mavix_") + language, QStringLiteral(":/i18n")));
        QCoreApplication::installTranslator(&texts);
    }
    const auto removeTexts = qScopeGuard([&] { QCoreApplication::removeTranslator(&texts); });
    ViewHarness h;
    h.SetAccount(110);
    QVERIFY(h.Build());
    QStringList faults = Audit(*h.m_pFrame);
    for (QAction* pMenu : h.m_pFrame->menuBar()->actions())
        faults << AuditMenu(*pMenu->menu());
    QCOMPARE(h.m_pFrame->findChild<QAction*>("actionHelpTopics")->shortcut(), QKeySequence(Qt::Key_F1));
    // Tab walks the form top to bottom.
    const QStringList form{"showStop", "accountList", "grid",   "previewText",  "previewMore",
                           "checkAll", "uncheckAll",  "cancel", "removeChecked"};
    QStringList order;
    QWidget* pStart = h.Button("showStop");
    for (QWidget* w = pStart; order.size() < form.size(); w = w->nextInFocusChain()) {
        if (form.contains(w->objectName()))
            order << w->objectName();
        if (w->nextInFocusChain() == pStart)
            break;
    }
    QCOMPARE(order, form);

    // The modal dialogs the menu opens, each as it is about to show.
    h.m_fnModal = [&](QDialog& dialog) {
        faults << Audit(dialog) << Fit(dialog);
        return int(QDialog::Rejected);
    };
    for (const char* action : {"actionManageAccount", "actionAccounts", "actionManageFilter", "actionPreferences"})
        h.m_pFrame->findChild<QAction*>(QLatin1String(action))->trigger();
    QCOMPARE(h.m_asDialogs.size(), 4);
    int bMailVisited = 0;
    int bWebVisited = 0;
    CAboutDlg about(&bMailVisited, &bWebVisited);
    faults << Audit(about) << Fit(about);
    CFilterEditDlg edit;
    CHelpWindow help;
    CRecentlyDeletedWindow deleted;
    for (QWidget* pWindow : std::initializer_list<QWidget*>{&edit, &help, &deleted})
        faults << Audit(*pWindow) << Fit(*pWindow);
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QLatin1Char('\n'))));
}

// A screen reader reads the number cell with its check box's state and the
// reason a row is suspect.
void TestAccessibility::gridCheckBoxesSayWhy()
{
    ViewHarness h;
    QVERIFY(h.Build());
    auto* pModel = qobject_cast<MessageGridModel*>(h.m_pView->Grid()->model());
    QVERIFY(pModel);
    MessageRow row;
    row.m_sNum = "1";
    row.m_sSubject = "WIN NOW";
    row.m_sReason = "Subject contains \"WIN\"";
    pModel->AppendRow(row, true);
    row.m_sNum = "2";
    row.m_sReason.clear();
    pModel->AppendRow(row, false);
    QTRY_COMPARE(pModel->rowCount(), 2);

    QAccessibleInterface* pGrid = QAccessible::queryAccessibleInterface(h.m_pView->Grid());
    QVERIFY(pGrid && pGrid->tableInterface());
    QCOMPARE(pGrid->text(QAccessible::Name), QStringLiteral("Messages"));
    const QStringList expected{QStringLiteral("checked, suspect: Subject contains \"WIN\""),
                               QStringLiteral("not checked")};
    for (int i = 0; i < 2; ++i) {
        QAccessibleInterface* pCell = pGrid->tableInterface()->cellAt(i, MessageGridModel::kNum);
        QVERIFY(pCell);
        QCOMPARE(pCell->text(QAccessible::Description), expected[i]);
        QCOMPARE(pCell->text(QAccessible::Name), QString::number(i + 1) + QStringLiteral(", ") + expected[i]);
        QCOMPARE(pCell->state().checked, i == 0);
    }
    // Space on the current row unchecks it, and the cell says so.
    h.m_pView->Grid()->setFocus();
    h.m_pView->Grid()->setCurrentIndex(pModel->index(0, 0));
    QTest::keyClick(h.m_pView->Grid(), Qt::Key_Space);
    QTRY_COMPARE(pGrid->tableInterface()->cellAt(0, 0)->text(QAccessible::Description),
                 QStringLiteral("not checked, suspect: Subject contains \"WIN\""));
}

QTEST_MAIN(TestAccessibility)
#include "test_accessibility.moc"
