// The grid's model: what a cell shows, check states, and the one change a
// bulk check announces.

#include "core/filters/FilterLists.h"
#include "gui/review/MessageGridModel.h"
#include "core/storage/RememberedChoices.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

namespace {

MessageRow Row(int n, const std::string& subject)
{
    MessageRow row;
    row.m_sNum = std::to_string(n);
    row.m_sSize = "12K";
    row.m_sSubject = subject;
    row.m_sFrom = "Ann";
    row.m_sEmail = "ann@example.org";
    return row;
}

// A model and the session it renders, whose notes come straight back to the
// model (the engine is never started).
class GridFixture : public NoteQueueListener, public ISessionListener {
public:
    GridFixture()
        : m_session(*this, *this),
          m_model(m_session)
    { }
    void OnRowsAdded(const RowsAdded& added) override { m_model.ShowRows(*added.m_pRows); }
    void OnCheckChanged(const CheckChanged& changed) override { m_model.OnCheckChanged(changed); }
    ScreeningSession m_session;
    MessageGridModel m_model;

protected:
    void Queue(ScreeningNote) override { }
};

}  // namespace

class TestGridModel : public QObject {
    Q_OBJECT
private slots:
    void cellsShowWindows1252AsUnicode();
    void checkStatesAndBulkChanges();
    void snapshotNumbersRowsInGridOrder();
    void modelStaysConsistent();
    void readableCellsReasonAndRememberedChoice();
    void sorts_data();
    void sorts();
    void checksAndPurgeFollowMessagesWhenSorted();
};

void TestGridModel::cellsShowWindows1252AsUnicode()
{
    GridFixture grid;
    MessageGridModel& model = grid.m_model;
    // 0x80 is the euro sign and 0x93/0x94 curly quotes in Windows-1252,
    // control characters in Latin-1.
    model.AppendRow(Row(1,
                        "\x80"
                        "5 off \x93today\x94 \xe9t\xe9"),
                    false);
    QCOMPARE(model.data(model.index(0, MessageGridModel::kSubject)).toString(),
             QString::fromUtf8("€5 off “today” été"));
    QCOMPARE(model.Text(0, MessageGridModel::kSubject),
             std::string("\x80"
                         "5 off \x93today\x94 \xe9t\xe9"));
    // A decoded override shows as a mark, so "fdp.exe" cannot read "exe.pdf";
    // a right-to-left mark stays for the text it belongs to.
    MessageRow tricked = Row(2, "=?UTF-8?Q?...?=");
    tricked.m_sSubjectText = "Invoice \xE2\x80\xAE"
                             "fdp.exe \xD7\x90\xE2\x80\x8F";
    model.AppendRow(tricked, false);
    QCOMPARE(model.data(model.index(1, MessageGridModel::kSubject)).toString(),
             QString::fromUtf8("Invoice ⟨U+202E⟩fdp.exe \xD7\x90\xE2\x80\x8F"));

    const QStringList titles{"#", "Size", "Att.", "Subject", "From", "Email", "Date", "To", "CC"};
    QCOMPARE(model.columnCount(), 9);
    for (int c = 0; c < 9; ++c)
        QCOMPARE(model.headerData(c, Qt::Horizontal).toString(), titles.at(c));
    const auto alignment = [&](int c) {
        return model.data(model.index(0, c), Qt::TextAlignmentRole).value<Qt::Alignment>() & Qt::AlignHorizontal_Mask;
    };
    QCOMPARE(alignment(MessageGridModel::kSize), Qt::AlignRight);
    QCOMPARE(alignment(MessageGridModel::kSubject), Qt::AlignLeft);
    // Only column 0 carries the check box.
    QVERIFY(model.flags(model.index(0, 0)) & Qt::ItemIsUserCheckable);
    QVERIFY(!(model.flags(model.index(0, 3)) & Qt::ItemIsUserCheckable));
    QVERIFY(!model.data(model.index(0, 3), Qt::CheckStateRole).isValid());
}

void TestGridModel::checkStatesAndBulkChanges()
{
    GridFixture grid;
    MessageGridModel& model = grid.m_model;
    for (int i = 1; i <= 500; ++i)
        model.AppendRow(Row(i, "s"), i % 7 == 0);
    QCOMPARE(model.CheckedCount(), 71);
    QCOMPARE(model.data(model.index(6, 0), Qt::CheckStateRole).value<Qt::CheckState>(), Qt::Checked);
    QCOMPARE(model.data(model.index(5, 0), Qt::CheckStateRole).value<Qt::CheckState>(), Qt::Unchecked);

    // A click on a check box flips that row alone.
    QVERIFY(model.setData(model.index(5, 0), Qt::Checked, Qt::CheckStateRole));
    QVERIFY(model.IsChecked(5));
    QVERIFY(!model.setData(model.index(5, 3), Qt::Unchecked, Qt::CheckStateRole));
    QVERIFY(model.IsChecked(5));

    // Check All / Uncheck All: every row, announced once for the whole range.
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    model.SetAllChecked(true);
    QCOMPARE(changed.size(), 1);
    QCOMPARE(changed.at(0).at(0).toModelIndex(), model.index(0, 0));
    QCOMPARE(changed.at(0).at(1).toModelIndex(), model.index(499, 0));
    QCOMPARE(model.CheckedCount(), 500);
    model.SetAllChecked(false);
    QCOMPARE(changed.size(), 2);
    QCOMPARE(model.CheckedCount(), 0);
    for (int r = 0; r < model.Count(); ++r)
        QVERIFY(!model.IsChecked(r));

    model.ToggleChecked({3, 4, 10});
    QCOMPARE(changed.size(), 3);
    QCOMPARE(model.CheckedCount(), 3);
    model.ToggleChecked({4, 9999});
    QCOMPARE(model.CheckedCount(), 2);
    QVERIFY(!model.IsChecked(4));
}

void TestGridModel::snapshotNumbersRowsInGridOrder()
{
    GridFixture grid;
    MessageGridModel& model = grid.m_model;
    model.AppendRow(Row(1, "first"), true);
    model.AppendRow(Row(2, "\x80 second"), false);
    model.AppendRow(Row(3, ""), true);
    const std::vector<PurgeRow> rows = model.Snapshot();
    QCOMPARE(rows.size(), size_t(3));
    QCOMPARE(rows[0].m_nNum, 1);
    QVERIFY(rows[0].m_bChecked);
    QCOMPARE(rows[1].m_sSubject, std::string("\x80 second"));  // the bytes the scan read
    QVERIFY(!rows[1].m_bChecked);
    QCOMPARE(rows[2].m_nNum, 3);
    QCOMPARE(rows[2].m_sSubject, std::string());
}

void TestGridModel::modelStaysConsistent()
{
    GridFixture grid;
    MessageGridModel& model = grid.m_model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    for (int i = 1; i <= 50; ++i)
        model.AppendRow(Row(i, "subject " + std::to_string(i)), i % 2 == 0);
    model.SetAllChecked(true);
    model.setData(model.index(3, 0), Qt::Unchecked, Qt::CheckStateRole);
    model.Clear();
    QCOMPARE(model.rowCount(), 0);
    model.AppendRow(Row(1, "again"), false);
    QCOMPARE(model.rowCount(), 1);
}

void TestGridModel::readableCellsReasonAndRememberedChoice()
{
    GridFixture grid;
    MessageGridModel& model = grid.m_model;
    QTemporaryDir dir;
    RememberedChoices earlier;
    earlier.Load(dir.path().toStdString() + "/choices");
    earlier.Record("U2", false, true);
    QVERIFY(earlier.Save());
    model.Session().LoadChoicesFrom(earlier.Path());
    const RememberedChoices& choices = model.Session().Choices();
    MessageRow row = Row(1, "=?UTF-8?B?UsOpdW5pb24=?=");
    row.m_sSubjectText = "R\xC3\xA9union";
    row.m_sReason = "Subject contains \"UNION\"";
    row.m_sUidl = "U1";
    model.AppendRow(row, true);
    row.m_sUidl = "U2";
    model.AppendRow(row, true);
    QCOMPARE(model.data(model.index(0, MessageGridModel::kSubject)).toString(), QStringLiteral("R\u00E9union"));
    QCOMPARE(model.Text(0, MessageGridModel::kSubject), std::string("=?UTF-8?B?UsOpdW5pb24=?="));
    QCOMPARE(model.data(model.index(0, MessageGridModel::kNum), Qt::ToolTipRole).toString(),
             QStringLiteral("Subject contains \"UNION\""));
    QVERIFY(model.data(model.index(0, MessageGridModel::kDate), Qt::BackgroundRole).isValid());
    // The user unchecked U2 at an earlier scan; clicking it back forgets that.
    QVERIFY(model.IsChecked(0));
    QVERIFY(!model.IsChecked(1));
    QVERIFY(model.IsSuspect(1));
    model.setData(model.index(1, 0), Qt::Checked, Qt::CheckStateRole);
    QCOMPARE(choices.Find("U2"), -1);
    model.ToggleChecked({0});
    QCOMPARE(choices.Find("U1"), 0);

    // The grid packs its rows: every text comes back whole, and a new verdict
    // replaces the reason alone.
    row.m_sAtt = "Y";
    row.m_sDate = "Mon, 7 Dec 2026 10:00:00 +0000";
    row.m_sTo = "bob@example.org";
    row.m_sCC = "";
    row.m_sToText = "Bob";
    row.m_nHeaderAt = 4096;
    row.m_nHeaderLength = 321;
    row.m_nSize = 12345;
    model.AppendRow(row, true);
    QVERIFY(model.Row(2) == row);
    model.Reclassify(FilterLists());
    row.m_sReason.clear();
    QVERIFY(model.Row(2) == row);
    QVERIFY(!model.IsSuspect(2));
}

void TestGridModel::sorts_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("order");
    QTest::addColumn<QString>("numbers");  // message numbers, display order

    QTest::newRow("number down") << int(MessageGridModel::kNum) << int(Qt::DescendingOrder) << "4 3 2 1";
    QTest::newRow("size by value") << int(MessageGridModel::kSize) << int(Qt::AscendingOrder) << "3 4 1 2";
    QTest::newRow("size down") << int(MessageGridModel::kSize) << int(Qt::DescendingOrder) << "2 1 4 3";
    QTest::newRow("date, unparsable last") << int(MessageGridModel::kDate) << int(Qt::AscendingOrder) << "3 1 4 2";
    QTest::newRow("date down, unparsable last")
        << int(MessageGridModel::kDate) << int(Qt::DescendingOrder) << "4 1 3 2";
    QTest::newRow("subject, decoded, any case")
        << int(MessageGridModel::kSubject) << int(Qt::AscendingOrder) << "4 3 2 1";
    QTest::newRow("subject down") << int(MessageGridModel::kSubject) << int(Qt::DescendingOrder) << "1 2 3 4";
}

void TestGridModel::sorts()
{
    QFETCH(int, column);
    QFETCH(int, order);
    QFETCH(QString, numbers);
    GridFixture grid;
    MessageGridModel& model = grid.m_model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    const char* const sizes[] = {"10K", "120K", "1K", "9K"};
    const char* const dates[] = {"Tue, 02 Jan 2024 10:00:00 +0000", "yesterday", "Mon, 01 Jan 2024 10:00:00 +0000",
                                 "Wed, 03 Jan 2024 09:00:00 GMT"};
    const char* const subjects[] = {"zebra", "=?UTF-8?Q?Pear?=", "Mango", "banana"};
    for (int i = 0; i < 4; ++i) {
        MessageRow row = Row(i + 1, subjects[i]);
        row.m_sSize = sizes[i];
        row.m_sDate = dates[i];
        if (i == 1)
            row.m_sSubjectText = "Pear";
        model.AppendRow(row, false);
    }
    model.sort(column, static_cast<Qt::SortOrder>(order));
    QStringList shown;
    for (int r = 0; r < model.rowCount(); ++r)
        shown << model.data(model.index(r, MessageGridModel::kNum)).toString();
    QCOMPARE(shown.join(' '), numbers);
    // A row arriving later finds its place.
    model.AppendRow(Row(5, "aardvark"), false);
    if (column == MessageGridModel::kSubject && order == Qt::AscendingOrder)
        QCOMPARE(model.data(model.index(0, MessageGridModel::kNum)).toString(), QStringLiteral("5"));
    model.sort(MessageGridModel::kNum, Qt::AscendingOrder);
    QCOMPARE(model.data(model.index(4, MessageGridModel::kNum)).toString(), QStringLiteral("5"));
}

void TestGridModel::checksAndPurgeFollowMessagesWhenSorted()
{
    GridFixture grid;
    MessageGridModel& model = grid.m_model;
    for (int i = 1; i <= 5; ++i) {
        MessageRow row = Row(i, "s");
        row.m_bUnavailable = i == 2;  // shown grey, never checked
        model.AppendRow(row, false);
    }
    model.sort(MessageGridModel::kNum, Qt::DescendingOrder);
    // Display row 0 is message 5: a click there checks message 5 only.
    model.setData(model.index(0, 0), Qt::Checked, Qt::CheckStateRole);
    model.ToggleChecked({4});  // display row 4: message 1
    // Display row 3 is message 2, which nobody has seen; display row 1 is message 4.
    QVERIFY(!model.setData(model.index(3, 0), Qt::Checked, Qt::CheckStateRole));
    QVERIFY(!(model.flags(model.index(3, 0)) & Qt::ItemIsUserCheckable));
    QVERIFY(model.flags(model.index(1, 0)) & Qt::ItemIsUserCheckable);
    const std::vector<PurgeRow> rows = model.Snapshot();
    QCOMPARE(rows.size(), size_t(5));
    for (int r = 0; r < 5; ++r) {
        QCOMPARE(rows[size_t(r)].m_nNum, r + 1);  // the purge walks message order
        QCOMPARE(rows[size_t(r)].m_bChecked, r == 0 || r == 4);
    }
    model.SetAllChecked(true);
    QCOMPARE(model.CheckedCount(), 4);
    model.SetAllChecked(false);
    for (const PurgeRow& row : model.Snapshot())
        QVERIFY(!row.m_bChecked);
}

QTEST_GUILESS_MAIN(TestGridModel)
#include "test_gridmodel.moc"
