// Help › "Recently Deleted…": the journal as a read-only table, newest first.

#include "tests/gui/review/ViewHarness.h"
#include "gui/dialogs/RecentlyDeletedWindow.h"
#include "core/storage/DeletionJournal.h"
#include "core/storage/QuarantineMaildir.h"

#include <QFileDialog>
#include <QPushButton>
#include <QTemporaryDir>

#include <QAction>
#include <QLabel>
#include <QTableWidget>
#include <QtTest>

class TestRecentlyDeleted : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        RemoveSettingsFile();
        const QString file = QString::fromStdString(DeletionJournal().FilePath());
        QFile::remove(file);
        QFile::remove(file + ".1");
    }

    void showsTheJournalNewestFirst()
    {
        auto entry = [](std::int64_t time, const char* subject, const char* reason, std::int64_t size) {
            JournalEntry e;
            e.m_nTime = time;
            e.m_sAccount = "ann@pop.example.org";
            e.m_sUidl = "U" + std::to_string(time);
            e.m_nSize = size;
            e.m_sFrom = "Eve <eve@example.org>";
            e.m_sSubject = subject;
            e.m_sReason = reason;
            return e;
        };
        QVERIFY(
            DeletionJournal().Append({entry(1796641000, "Older", DeletionJournal::kCheckedByHand, 800),
                                      entry(1796642000, "Caf\xc3\xa9\x1b[2J", "subject contains \"CAFE\"", 12345)}));

        ViewHarness h;
        QVERIFY(h.Build());
        auto* pAction = h.m_pFrame->findChild<QAction*>(QStringLiteral("actionRecentlyDeleted"));
        QVERIFY(pAction);
        pAction->trigger();
        auto* pWindow = h.m_pFrame->findChild<CRecentlyDeletedWindow*>();
        QVERIFY(pWindow);
        QTRY_VERIFY(pWindow->isVisible());
        QCOMPARE(pWindow->windowTitle(), QStringLiteral("Recently Deleted"));
        QTableWidget* pTable = pWindow->Table();
        QCOMPARE(pTable->rowCount(), 2);
        QCOMPARE(pTable->editTriggers(), QAbstractItemView::NoEditTriggers);
        using W = CRecentlyDeletedWindow;
        QCOMPARE(pTable->item(0, W::kSubject)->text(), QString::fromUtf8("Caf\xc3\xa9\\x1B[2J"));
        QCOMPARE(pTable->item(0, W::kSize)->text(), QStringLiteral("12K"));
        QCOMPARE(pTable->item(0, W::kReason)->text(), QStringLiteral("subject contains \"CAFE\""));
        QCOMPARE(pTable->item(1, W::kSubject)->text(), QStringLiteral("Older"));
        QCOMPARE(pTable->item(1, W::kSize)->text(), QStringLiteral("1K"));
        QCOMPARE(pTable->item(1, W::kReason)->text(), QStringLiteral("checked by hand"));
        QCOMPARE(pTable->item(1, W::kUidl)->text(), QStringLiteral("U1796641000"));

        // Asked for again, the same window shows what was added since.
        QVERIFY(DeletionJournal().Append({entry(1796643000, "Newest", DeletionJournal::kCheckedByHand, 5)}));
        pAction->trigger();
        QCOMPARE(h.m_pFrame->findChildren<CRecentlyDeletedWindow*>().size(), 1);
        QCOMPARE(pTable->rowCount(), 3);
        QCOMPARE(pTable->item(0, W::kSubject)->text(), QStringLiteral("Newest"));
    }

    // A row whose copy was kept saves it as an .eml file; a row without one
    // offers nothing.
    void savesKeptCopy()
    {
        const std::string account = "ann@pop.example.org";
        const QString copies = QString::fromStdString(QuarantineMaildir::DefaultFolder());
        QDir(copies).removeRecursively();
        QVERIFY(QuarantineMaildir().Store("Subject: Kept\r\n\r\nBody\r\n", QuarantineMaildir::CopyKey(account, "U2")));
        JournalEntry kept, lost;
        kept.m_nTime = 1796642000;
        kept.m_sAccount = lost.m_sAccount = account;
        kept.m_sUidl = "U2";
        lost.m_sUidl = "U1";
        lost.m_nTime = 1796641000;
        QVERIFY(DeletionJournal().Append({lost, kept}));

        ViewHarness h;
        QTemporaryDir target;
        const QString file = target.filePath("saved.eml");
        h.m_fnModal = [&](QDialog& dialog) {
            auto& files = static_cast<QFileDialog&>(dialog);
            files.setOption(QFileDialog::DontUseNativeDialog);
            files.selectFile(file);
            return int(QDialog::Accepted);
        };
        CRecentlyDeletedWindow window;
        window.show();
        using W = CRecentlyDeletedWindow;
        QCOMPARE(window.Table()->item(0, W::kCopy)->text(), QStringLiteral("kept"));
        QCOMPARE(window.Table()->item(1, W::kCopy)->text(), QStringLiteral("\u2014"));
        QVERIFY(window.findChild<QLabel*>(QStringLiteral("summary"))
                    ->text()
                    .contains(QStringLiteral("POP3 cannot put a message back on the server")));
        auto* pSave = window.findChild<QPushButton*>(QStringLiteral("saveCopy"));
        window.Table()->setCurrentCell(1, 0);
        QVERIFY(!pSave->isEnabled());
        window.Table()->setCurrentCell(0, 0);
        QVERIFY(pSave->isEnabled());
        QVERIFY(window.SaveCopy());
        QFile saved(file);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QCOMPARE(saved.readAll(), QByteArray("Subject: Kept\n\nBody\n"));
        QCOMPARE(h.m_asDialogs, QStringList{QStringLiteral("QFileDialog")});
    }

    void emptyJournal()
    {
        CRecentlyDeletedWindow window;
        window.show();
        QCOMPARE(window.Table()->rowCount(), 0);
        QVERIFY(window.findChild<QLabel*>(QStringLiteral("summary"))
                    ->text()
                    .startsWith(QStringLiteral("Nothing has been deleted yet.")));
    }
};

QTEST_MAIN(TestRecentlyDeleted)
#include "test_recently_deleted.moc"
