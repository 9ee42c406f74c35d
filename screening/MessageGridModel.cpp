#include "MessageGridModel.h"

#include "ui/Text.h"

#include <QColor>
#include <algorithm>

namespace {

const char* const kTitles[MessageGridModel::kColumnCount] = {
    "#", "Size", "Att.", "Subject", "From", "Email", "Date", "To", "CC"};

const std::string& Field(const MessageRow& row, int column)
{
    switch (column) {
    case MessageGridModel::kNum: return row.m_sNum;
    case MessageGridModel::kSize: return row.m_sSize;
    case MessageGridModel::kAtt: return row.m_sAtt;
    case MessageGridModel::kSubject: return row.m_sSubject;
    case MessageGridModel::kFrom: return row.m_sFrom;
    case MessageGridModel::kEmail: return row.m_sEmail;
    case MessageGridModel::kDate: return row.m_sDate;
    case MessageGridModel::kTo: return row.m_sTo;
    default: return row.m_sCC;
    }
}

}  // namespace

MessageGridModel::MessageGridModel(QObject* parent) : QAbstractTableModel(parent) {}

int MessageGridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : Count();
}

int MessageGridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant MessageGridModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= Count() || index.column() >= kColumnCount)
        return {};
    const GridRow& row = m_aRows[static_cast<size_t>(index.row())];
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole: {
        const std::string& text = Field(row.m_row, index.column());
        if (role == Qt::ToolTipRole && text.empty())
            return {};
        return FromCp1252(text);
    }
    case Qt::CheckStateRole:
        if (index.column() == kNum)
            return row.m_bChecked ? Qt::Checked : Qt::Unchecked;
        return {};
    case Qt::ForegroundRole:
        // A message the server would not show: nothing of it can be judged.
        if (row.m_row.m_bUnavailable)
            return QColor(Qt::gray);
        return {};
    case Qt::TextAlignmentRole:
        if (index.column() == kSize)
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    default:
        return {};
    }
}

bool MessageGridModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::CheckStateRole || !index.isValid() || index.column() != kNum
        || index.row() >= Count() || m_aRows[static_cast<size_t>(index.row())].m_row.m_bUnavailable)
        return false;
    const bool bChecked = value.value<Qt::CheckState>() != Qt::Unchecked;
    GridRow& row = m_aRows[static_cast<size_t>(index.row())];
    if (row.m_bChecked != bChecked) {
        row.m_bChecked = bChecked;
        m_nChecked += bChecked ? 1 : -1;
        emit dataChanged(index, index, {Qt::CheckStateRole});
        emit CheckedCountChanged(m_nChecked);
    }
    return true;
}

QVariant MessageGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= kColumnCount)
        return {};
    if (role == Qt::DisplayRole)
        return QString::fromLatin1(kTitles[section]);
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue((section == kSize ? Qt::AlignRight : Qt::AlignLeft)
                                   | Qt::AlignVCenter);
    return {};
}

Qt::ItemFlags MessageGridModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (index.column() == kNum && !m_aRows[static_cast<size_t>(index.row())].m_row.m_bUnavailable)
        f |= Qt::ItemIsUserCheckable;
    return f;
}

void MessageGridModel::AppendRow(const MessageRow& row, bool bChecked)
{
    const int n = Count();
    beginInsertRows(QModelIndex(), n, n);
    m_aRows.push_back(GridRow{row, bChecked});
    if (bChecked)
        ++m_nChecked;
    endInsertRows();
    if (bChecked)
        emit CheckedCountChanged(m_nChecked);
}

void MessageGridModel::AppendRows(std::vector<GridRow>& rows)
{
    if (rows.empty())
        return;
    const int n = Count();
    int nNewlyChecked = 0;
    beginInsertRows(QModelIndex(), n, n + static_cast<int>(rows.size()) - 1);
    m_aRows.reserve(m_aRows.size() + rows.size());
    for (GridRow& row : rows) {
        nNewlyChecked += row.m_bChecked ? 1 : 0;
        m_aRows.push_back(std::move(row));
    }
    m_nChecked += nNewlyChecked;
    endInsertRows();
    if (nNewlyChecked)
        emit CheckedCountChanged(m_nChecked);
}

void MessageGridModel::Clear()
{
    if (m_aRows.empty())
        return;
    beginResetModel();
    m_aRows.clear();
    m_aRows.shrink_to_fit();
    m_nChecked = 0;
    endResetModel();
    emit CheckedCountChanged(0);
}

void MessageGridModel::SetAllChecked(bool bChecked)
{
    if (m_aRows.empty())
        return;
    m_nChecked = 0;
    for (GridRow& row : m_aRows) {
        row.m_bChecked = bChecked && !row.m_row.m_bUnavailable;
        m_nChecked += row.m_bChecked ? 1 : 0;
    }
    emit dataChanged(index(0, kNum), index(Count() - 1, kNum), {Qt::CheckStateRole});
    emit CheckedCountChanged(m_nChecked);
}

void MessageGridModel::ToggleChecked(const std::vector<int>& rows)
{
    int nFirst = Count();
    int nLast = -1;
    for (int r : rows) {
        if (r < 0 || r >= Count())
            continue;
        GridRow& row = m_aRows[static_cast<size_t>(r)];
        if (row.m_row.m_bUnavailable)
            continue;
        row.m_bChecked = !row.m_bChecked;
        m_nChecked += row.m_bChecked ? 1 : -1;
        nFirst = std::min(nFirst, r);
        nLast = std::max(nLast, r);
    }
    if (nLast < 0)
        return;
    emit dataChanged(index(nFirst, kNum), index(nLast, kNum), {Qt::CheckStateRole});
    emit CheckedCountChanged(m_nChecked);
}

bool MessageGridModel::IsChecked(int row) const
{
    return row >= 0 && row < Count() && m_aRows[static_cast<size_t>(row)].m_bChecked;
}

const std::string& MessageGridModel::Text(int row, int column) const
{
    return Field(m_aRows[static_cast<size_t>(row)].m_row, column);
}

std::vector<PurgeRow> MessageGridModel::Snapshot() const
{
    std::vector<PurgeRow> rows;
    rows.reserve(m_aRows.size());
    int n = 0;
    for (const GridRow& row : m_aRows)
        rows.push_back(PurgeRow{++n, row.m_bChecked, row.m_row.m_sSubject, row.m_row.m_sUidl,
                                !row.m_row.m_bUnavailable});
    return rows;
}
