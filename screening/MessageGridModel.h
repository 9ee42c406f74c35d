#pragma once

#include "screening/MessageRow.h"
#include "screening/ScreeningEngine.h"

#include <QAbstractTableModel>
#include <string>
#include <vector>

// The rows of one scan, in the order the server numbered them. Texts stay the
// Windows-1252 bytes the scan produced; they become Unicode only when a cell
// is painted, so appending thousands of rows costs no conversions. The check
// box of a row lives on column 0 (checked = delete on the server).
class MessageGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { kNum, kSize, kAtt, kSubject, kFrom, kEmail, kDate, kTo, kCC, kColumnCount };

    explicit MessageGridModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    struct GridRow {
        MessageRow m_row;
        bool m_bChecked = false;
    };

    void AppendRow(const MessageRow& row, bool bChecked);
    // Appends a run of rows as one insertion: a view lays itself out and
    // repaints once for the run, not once per row.
    void AppendRows(std::vector<GridRow>& rows);
    void Clear();
    // Every row on or off, announced as one change so a large grid repaints once.
    void SetAllChecked(bool bChecked);
    // Flips the given rows: checked ones off, the others on (Space on a selection).
    void ToggleChecked(const std::vector<int>& rows);

    int Count() const { return static_cast<int>(m_aRows.size()); }
    bool IsChecked(int row) const;
    const MessageRow& Row(int row) const { return m_aRows[static_cast<size_t>(row)].m_row; }
    // Column texts as bytes, column numbers as in Column.
    const std::string& Text(int row, int column) const;
    int CheckedCount() const { return m_nChecked; }

    // What the purge works from: row r stands for message r + 1, as the scan
    // numbered them, with its check state and the Subject the user saw.
    std::vector<PurgeRow> Snapshot() const;

signals:
    void CheckedCountChanged(int nChecked);

private:
    std::vector<GridRow> m_aRows;
    int m_nChecked = 0;
};
