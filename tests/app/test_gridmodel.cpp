// The grid's model: what a cell shows, check states, and the one change a
// bulk check announces.

#include "screening/MessageGridModel.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
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

}  // namespace

class TestGridModel : public QObject {
    Q_OBJECT
private slots:
    void cellsShowWindows1252AsUnicode();
    void checkStatesAndBulkChanges();
    void snapshotNumbersRowsInGridOrder();
    void modelStaysConsistent();
};

void TestGridModel::cellsShowWindows1252AsUnicode()
{
    MessageGridModel model;
    // 0x80 is the euro sign and 0x93/0x94 curly quotes in Windows-1252,
    // control characters in Latin-1.
    model.AppendRow(Row(1, "\x80" "5 off \x93today\x94 \xe9t\xe9"), false);
    QCOMPARE(model.data(model.index(0, MessageGridModel::kSubject)).toString(),
             QString::fromUtf8("€5 off “today” été"));
    QCOMPARE(model.Text(0, MessageGridModel::kSubject), std::string("\x80" "5 off \x93today\x94 \xe9t\xe9"));

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
    MessageGridModel model;
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
    MessageGridModel model;
    model.AppendRow(Row(1, "first"), true);
    model.AppendRow(Row(2, "\x80 second"), false);
    model.AppendRow(Row(3, ""), true);
    const std::vector<PurgeRow> rows = model.Snapshot();
    QCOMPARE(rows.size(), size_t(3));
    QCOMPARE(rows[0].m_nNum, 1);
    QVERIFY(rows[0].m_bChecked);
    QCOMPARE(rows[1].m_sSubject, std::string("\x80 second"));   // the bytes the scan read
    QVERIFY(!rows[1].m_bChecked);
    QCOMPARE(rows[2].m_nNum, 3);
    QCOMPARE(rows[2].m_sSubject, std::string());
}

void TestGridModel::modelStaysConsistent()
{
    MessageGridModel model;
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

QTEST_GUILESS_MAIN(TestGridModel)
#include "test_gridmodel.moc"
