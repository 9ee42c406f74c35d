#pragma once

#include "core/rows/MessageRow.h"
#include "gui/review/PackedRow.h"
#include "core/session/ScreeningSession.h"

#include <QAbstractTableModel>
#include <QStringList>
#include <string>
#include <string_view>
#include <vector>

// The rows of one scan. They are held in the order the server numbered them
// ("message order": Row, Text, IsChecked, Snapshot count that way) and shown
// in the order the user sorted them by ("display order": the model's indexes
// and ToggleChecked). Cells show the decoded texts, made Unicode only when
// painted, so appending thousands of rows costs no conversions. The check
// box of a row lives on column 0 (checked = delete on the server); its
// tooltip says why the row is suspect, and suspect rows are tinted.
//
// The model renders a ScreeningSession: the session decides every check
// box (a click is ScreeningSession::SetChecked) and keeps what the purge
// needs; the model keeps the texts. The session's owner tells the model of
// the session's notes (ShowRows, OnCheckChanged).
class MessageGridModel : public QAbstractTableModel, private IRowTexts {
    Q_OBJECT
public:
    enum Column { kNum, kSize, kAtt, kSubject, kFrom, kEmail, kDate, kTo, kCC, kColumnCount };
    // With several accounts, one more column after the message's own: the
    // account's name, kept once per model (no row grows by it).
    static constexpr int kAccountColumn = kColumnCount;

    // The session whose rows this shows; it outlives the model's use.
    explicit MessageGridModel(ScreeningSession& session, QObject* parent = nullptr);
    ~MessageGridModel() override;

    ScreeningSession& Session() { return *m_pSession; }
    // Renders another session (the account's was opened anew): no rows.
    void SetSession(ScreeningSession& session);
    // The account column's text; empty (the one-account window): no column.
    void SetAccountName(const QString& name);
    const QString& AccountName() const { return m_sAccountName; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // Numbers, sizes and dates by value (unparsable dates last either way),
    // texts case-insensitively; rows that compare equal stay in message order.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

    // A row as it is appended: the row the scan built and the lists' verdict.
    struct GridRow {
        MessageRow m_row;
        bool m_bChecked = false;
    };

    // Hands rows to the session, which decides them (bChecked: the lists'
    // verdict) and has them shown.
    void AppendRow(const MessageRow& row, bool bChecked);
    void AppendRows(std::vector<GridRow>& rows);
    // Shows the session's next rows (their texts moved from) as one
    // insertion: a view lays itself out and repaints once for the run.
    void ShowRows(std::vector<ScanRow>& rows);
    // The session's check boxes changed.
    void OnCheckChanged(const CheckChanged& changed);
    // Room for this many rows, taken once the scan's count is known.
    void Reserve(size_t nRows);
    // The rows go, here and in the session.
    void Clear();
    // Every row on or off, announced as one change so a large grid repaints once.
    void SetAllChecked(bool bChecked);
    // Flips the given rows (display order): checked ones off, the others on
    // (Space on a selection). Remembered as the user's choice.
    void ToggleChecked(const std::vector<int>& rows);

    // Classifies every row again (after a list changed): reasons and tints
    // follow, and a row whose verdict changed takes it as its check state
    // unless the user's choice for it is remembered.
    void Reclassify(const FilterLists& lists);
    int SuspectCount() const;
    // The message-order index of a display row, and back.
    int MessageIndex(int displayRow) const { return m_aOrder[static_cast<size_t>(displayRow)]; }
    int DisplayRow(int messageIndex) const { return m_aDisplay[static_cast<size_t>(messageIndex)]; }
    bool IsSuspect(int row) const { return m_pSession->IsSuspect(static_cast<size_t>(row)); }

    int Count() const { return static_cast<int>(m_aRows.size()); }
    bool IsChecked(int row) const;
    // A copy of the row: the grid keeps its rows packed.
    MessageRow Row(int row) const { return m_aRows[static_cast<size_t>(row)].m_texts.Unpack(); }
    // Column texts as bytes, column numbers as in Column.
    std::string_view Text(int row, int column) const;
    std::string_view Uidl(int row) const { return m_aRows[static_cast<size_t>(row)].m_texts.Get(PackedRow::kUidl); }
    int CheckedCount() const { return m_pSession->CheckedCount(); }

    // After a purge: the rows of the deleted (or possibly deleted) messages
    // go, numbers as in Snapshot; the others stay in view, greyed and
    // unchecked, "from the last scan". Their numbers and check boxes no
    // longer match the server, so none can be checked again; the next scan
    // (Clear) ends this.
    void KeepAfterPurge(const std::vector<int>& removed);
    bool IsFromLastScan() const { return m_pSession->IsFromLastScan(); }
    // The first nMax checked rows' Subjects as shown (message order), for
    // the question before a purge.
    QStringList CheckedSubjects(int nMax) const;
    int SortColumn() const { return m_nSortColumn; }

    // What the purge works from, in message order whatever the display order:
    // row r stands for message r + 1, as the scan numbered them, with its
    // check state and the Subject bytes the scan read.
    std::vector<PurgeRow> Snapshot() const;

signals:
    void CheckedCountChanged(int nChecked);

private:
    struct StoredRow {
        PackedRow m_texts;
    };

    // A row whose check box cannot change: the server would not show the
    // message, or the row is from the last scan.
    bool Fixed(int nIndex) const { return m_pSession->IsFixed(static_cast<size_t>(nIndex)); }
    // What a screen reader says of row nIndex's check box (message order).
    QString CheckText(int nIndex, const StoredRow& row) const;
    void Resort();
    void ApplyOrder(std::vector<int> order);
    // The texts the session classifies again.
    size_t RowCount() const override { return m_aRows.size(); }
    MessageRow RowAt(size_t nIndex) const override { return m_aRows[nIndex].m_texts.Unpack(); }
    void SetReason(size_t nIndex, const std::string& reason) override { m_aRows[nIndex].m_texts.SetReason(reason); }

    std::vector<StoredRow> m_aRows;
    std::vector<int> m_aOrder;    // display row -> message-order index
    std::vector<int> m_aDisplay;  // message-order index -> display row
    int m_nSortColumn = kNum;
    Qt::SortOrder m_nSortOrder = Qt::AscendingOrder;
    ScreeningSession* m_pSession;
    QString m_sAccountName;
};
