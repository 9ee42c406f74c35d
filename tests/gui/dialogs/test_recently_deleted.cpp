// Help › "Recently Deleted…": the journal as a read-only table, newest first.

#include "tests/gui/review/ViewHarness.h"
#include "gui/dialogs/RecentlyDeletedWindow.h"
#include "core/storage/DeletionJournal.h"
#include "core/storage/QuarantineMaildir.h"
#include "gui/dialogs/MessageFileName.h"

#include <QFileDialog>
#include <QProcess>
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
        kept.m_sSubject = "Kept: March/April";
        lost.m_sUidl = "U1";
        lost.m_nTime = 1796641000;
        QVERIFY(DeletionJournal().Append({lost, kept}));

        ViewHarness h;
        QTemporaryDir target;
        const QString file = target.filePath("saved.eml");
        h.m_fnModal = [&](QDialog& dialog) {
            auto& files = static_cast<QFileDialog&>(dialog);
            files.setOption(QFileDialog::DontUseNativeDialog);
            // Offered under its Subject's name, not one name for every copy.
            if (!files.selectedFiles().value(0).endsWith(QStringLiteral("/Kept_ March_April.eml")))
                return int(QDialog::Rejected);
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

    void fileNames_data()
    {
        QTest::addColumn<QString>("subject");
        QTest::addColumn<QString>("name");
        QTest::newRow("plain") << QStringLiteral("Invoice 42") << QStringLiteral("Invoice 42.eml");
        QTest::newRow("separators and reserved")
            << QStringLiteral("Re: a/b\\c*?\"<>|") << QStringLiteral("Re_ a_b_c______.eml");
        QTest::newRow("climbs no folder") << QStringLiteral("../../.bashrc") << QStringLiteral("_.._.bashrc.eml");
        QTest::newRow("hidden or an option") << QStringLiteral(".-.profile") << QStringLiteral("profile.eml");
        QTest::newRow("controls and direction marks")
            << QStringLiteral("pay\u202Egpj.exe\x1b[2J") << QStringLiteral("pay_gpj.exe_[2J.eml");
        QTest::newRow("blanks folded") << QStringLiteral("  a \t\n b  ") << QStringLiteral("a b.eml");
        QTest::newRow("trailing dots") << QStringLiteral("Wait...") << QStringLiteral("Wait.eml");
        QTest::newRow("empty") << QString() << QStringLiteral("message.eml");
        QTest::newRow("nothing usable") << QStringLiteral("///") << QStringLiteral("message.eml");
        QTest::newRow("other scripts kept")
            << QStringLiteral("\u4F1A\u8BAE Caf\u00E9") << QStringLiteral("\u4F1A\u8BAE Caf\u00E9.eml");
        // Cut at a character, within the bound in UTF-8 bytes.
        QTest::newRow("long") << QString(200, QChar(0x4F1A)) << QString(40, QChar(0x4F1A)) + QStringLiteral(".eml");
    }

    void fileNames()
    {
        QFETCH(QString, subject);
        QFETCH(QString, name);
        QCOMPARE(message_file::NameFromSubject(subject), name);
        QVERIFY(name.chopped(4).toUtf8().size() <= message_file::kMaxStemBytes);
    }

    // Ctrl+A, then Save All: every kept copy into the folder under its
    // Subject, names made unique, nothing there overwritten, the rows
    // without a copy counted.
    void savesAllSelected()
    {
        const std::string account = "ann@pop.example.org";
        QDir(QString::fromStdString(QuarantineMaildir::DefaultFolder())).removeRecursively();
        std::vector<JournalEntry> entries;
        const char* subjects[] = {"Invoice", "invoice", "../x", "Invoice", "No copy"};
        for (int i = 0; i < 5; ++i) {
            JournalEntry e;
            e.m_nTime = 1796640000 + i;
            e.m_sAccount = account;
            e.m_sUidl = "U" + std::to_string(i);
            e.m_sSubject = subjects[i];
            entries.push_back(e);
            if (i < 4)
                QVERIFY(QuarantineMaildir().Store("Subject: " + std::to_string(i) + "\r\n\r\n",
                                                  QuarantineMaildir::CopyKey(account, e.m_sUidl)));
        }
        QVERIFY(DeletionJournal().Append(entries));

        ViewHarness h;
        QTemporaryDir folder;
        QFile earlier(folder.filePath(QStringLiteral("Invoice.eml")));
        QVERIFY(earlier.open(QIODevice::WriteOnly) && earlier.write("mine") == 4);
        earlier.close();
        h.m_fnModal = [&](QDialog& dialog) {
            auto& files = static_cast<QFileDialog&>(dialog);
            files.setOption(QFileDialog::DontUseNativeDialog);
            files.setDirectory(folder.path());
            files.selectFile(folder.path());
            return int(QDialog::Accepted);
        };
        CRecentlyDeletedWindow window;
        window.show();
        auto* pSaveAll = window.findChild<QPushButton*>(QStringLiteral("saveAll"));
        QVERIFY(!pSaveAll->isEnabled());
        window.Table()->setFocus();
        QTest::keyClick(window.Table(), Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(window.Table()->selectionModel()->selectedRows().size(), 5);
        QVERIFY(pSaveAll->isEnabled());
        QCOMPARE(window.SaveAll(), 4);

        QStringList names = QDir(folder.path()).entryList(QDir::Files, QDir::Name);
        QCOMPARE(names, (QStringList{"Invoice (2).eml", "Invoice (3).eml", "Invoice.eml", "_x.eml", "invoice.eml"}));
        QVERIFY(earlier.open(QIODevice::ReadOnly));
        QCOMPARE(earlier.readAll(), QByteArray("mine"));
        QCOMPARE(h.m_asBoxes.size(), 1);
        QCOMPARE(h.m_asBoxes[0],
                 QStringLiteral("Copies saved in %1: 4.\nSelected rows without a kept copy: 1.")
                     .arg(QDir(folder.path()).absolutePath()));
    }

    // xdg-open tells only by its exit status that no program took the
    // message: the user is told, with what it said.
    void openSaysWhenNoMailProgram_data()
    {
        QTest::addColumn<QByteArray>("script");
        QTest::addColumn<QString>("box");  // empty: none
        QTest::newRow("no program") << QByteArray("echo 'xdg-open: no method available' >&2; exit 3")
                                    << QStringLiteral("xdg-open: no method available");
        QTest::newRow("opened") << QByteArray("exit 0") << QString();
    }

    void openSaysWhenNoMailProgram()
    {
        QFETCH(QByteArray, script);
        QFETCH(QString, box);
        const std::string account = "ann@pop.example.org";
        QDir(QString::fromStdString(QuarantineMaildir::DefaultFolder())).removeRecursively();
        QVERIFY(QuarantineMaildir().Store("Subject: Kept\r\n\r\n", QuarantineMaildir::CopyKey(account, "U1")));
        JournalEntry e;
        e.m_sAccount = account;
        e.m_sUidl = "U1";
        QVERIFY(DeletionJournal().Append({e}));

        QTemporaryDir bin;
        QFile opener(bin.filePath(QStringLiteral("xdg-open")));
        QVERIFY(opener.open(QIODevice::WriteOnly));
        opener.write("#!/bin/sh\n" + script + "\n");
        opener.close();
        QVERIFY(opener.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", bin.path().toLocal8Bit() + ':' + path);

        ViewHarness h;
        CRecentlyDeletedWindow window;
        window.show();
        window.Table()->setCurrentCell(0, 0);
        QVERIFY(window.OpenCopy());
        // The opener has ended and is gone: what it had to say was said.
        QVERIFY(QCoreApplication::instance()->findChild<QProcess*>());
        QTRY_VERIFY(QCoreApplication::instance()->findChildren<QProcess*>().isEmpty());
        if (box.isEmpty()) {
            QCOMPARE(h.m_asBoxes, QStringList());
        } else {
            QCOMPARE(h.m_asBoxes.size(), 1);
            QVERIFY(h.m_asBoxes[0].startsWith(QStringLiteral("No mail program could be opened")));
            QVERIFY2(h.m_asBoxes[0].endsWith(box), qPrintable(h.m_asBoxes[0]));
        }
        qputenv("PATH", path);
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
