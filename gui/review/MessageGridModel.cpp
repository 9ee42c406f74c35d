#include "MessageGridModel.h"

#include "core/filters/LookAlike.h"
#include "core/session/PurgeJournal.h"
#include "core/rows/ReadableRow.h"
#include "core/platform/Ascii.h"
#include "gui/widgets/Text.h"

#include <QBrush>
#include <QColor>
#include <QDateTime>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <numeric>

namespace {

const char* const kTitles[MessageGridModel::kColumnCount] = {"#",
                                                             QT_TRANSLATE_NOOP("MessageGridModel", "Size"),
                                                             QT_TRANSLATE_NOOP("MessageGridModel", "Att."),
                                                             QT_TRANSLATE_NOOP("MessageGridModel", "Subject"),
                                                             QT_TRANSLATE_NOOP("MessageGridModel", "From"),
                                                             QT_TRANSLATE_NOOP("MessageGridModel", "Email"),
                                                             QT_TRANSLATE_NOOP("MessageGridModel", "Date"),
                                                             QT_TRANSLATE_NOOP("MessageGridModel", "To"),
                                                             QT_TRANSLATE_NOOP("MessageGridModel", "CC")};

// Suspect rows: a light wash of red over whatever the row's own background
// is, so it reads on light and dark palettes alike.
const QColor kSuspectTint(230, 60, 40, 40);

std::string_view Field(const PackedRow& row, int column)
{
    return row.Get(static_cast<PackedRow::Text>(std::clamp(column, 0, MessageGridModel::kColumnCount - 1)));
}

// The address with its domain's IDNA A-labels ("xn--...") decoded, for the
// Email column; empty when it has none.
QString DecodedAddress(std::string_view email)
{
    const size_t at = email.rfind('@');
    if (at == std::string_view::npos
        || platform::AsciiUpper(std::string(email.substr(at))).find("XN--") == std::string::npos)
        return {};
    const std::string domain = look_alike::UnicodeDomain(email.substr(at + 1));
    if (domain.find("xn--") != std::string::npos)
        return {};
    return FromCp1252(email.substr(0, at + 1)) + ShownUtf8(domain);
}

// What a cell shows: the decoded text where the row has one, else the bytes
// as Windows-1252.
QString Shown(const PackedRow& row, int column)
{
    if (column == MessageGridModel::kEmail) {
        const QString decoded = DecodedAddress(row.Get(PackedRow::kEmail));
        if (!decoded.isEmpty())
            return decoded;
    }
    std::string_view decoded;
    switch (column) {
    case MessageGridModel::kSubject:
        decoded = row.Get(PackedRow::kSubjectText);
        break;
    case MessageGridModel::kFrom:
        decoded = row.Get(PackedRow::kFromText);
        break;
    case MessageGridModel::kTo:
        decoded = row.Get(PackedRow::kToText);
        break;
    case MessageGridModel::kCC:
        decoded = row.Get(PackedRow::kCCText);
        break;
    default:
        break;
    }
    if (!decoded.empty())
        return ShownUtf8(decoded);
    return FromCp1252(Field(row, column));
}

// The Date column's value in seconds since 1970; false when it does not parse
// (RFC 5322 §3.3, with the obsolete zone names and a trailing comment).
bool DateValue(std::string_view text, qint64& value)
{
    QString date = FromCp1252(text).trimmed();
    const qsizetype comment = date.indexOf(QLatin1Char('('));
    if (comment > 0)
        date = date.left(comment).trimmed();
    for (const char* zone : {" GMT", " UT", " UTC", " Z"}) {
        if (date.endsWith(QLatin1String(zone))) {
            date = date.left(date.size() - qsizetype(std::strlen(zone))) + QStringLiteral(" +0000");
            break;
        }
    }
    const QDateTime parsed = QDateTime::fromString(date, Qt::RFC2822Date);
    if (!parsed.isValid())
        return false;
    value = parsed.toSecsSinceEpoch();
    return true;
}

// A number column's value: "12", or "127K" read as 127.
qint64 LeadingNumber(std::string_view text)
{
    return platform::LeadingDecimal(text).value_or(0);
}

struct SortKey {
    qint64 m_nValue = 0;
    bool m_bValid = true;
    QString m_sText;
};

}  // namespace

MessageGridModel::MessageGridModel(ScreeningSession& session, QObject* parent)
    : QAbstractTableModel(parent),
      m_pSession(&session)
{ }

MessageGridModel::~MessageGridModel() = default;

int MessageGridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : Count();
}

int MessageGridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : kColumnCount + (m_sAccountName.isEmpty() ? 0 : 1);
}

void MessageGridModel::SetAccountName(const QString& name)
{
    if (name.isEmpty() != m_sAccountName.isEmpty()) {
        beginResetModel();
        m_sAccountName = name;
        endResetModel();
        return;
    }
    m_sAccountName = name;
    if (!m_aRows.empty())
        emit dataChanged(index(0, kAccountColumn), index(Count() - 1, kAccountColumn));
}

QVariant MessageGridModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= Count() || index.column() >= columnCount())
        return {};
    if (index.column() == kAccountColumn && (role == Qt::DisplayRole || role == Qt::ToolTipRole))
        return m_sAccountName;
    const int nIndex = MessageIndex(index.row());
    const StoredRow& row = m_aRows[static_cast<size_t>(nIndex)];
    const bool bFromLastScan = m_pSession->IsFromLastScan();
    switch (role) {
    case Qt::DisplayRole:
        return Shown(row.m_texts, index.column());
    case Qt::ToolTipRole:
        if (index.column() == kNum && bFromLastScan)
            return tr("From the last scan: scan again to check or remove it");
        if (index.column() == kNum && !row.m_texts.Get(PackedRow::kReason).empty()) {
            return ShownUtf8(row.m_texts.Get(PackedRow::kReason));
        }
        if (Field(row.m_texts, index.column()).empty())
            return {};
        // A decoded domain shows its ASCII form beside it: the form the
        // mail really came from.
        if ((index.column() == kFrom || index.column() == kEmail)
            && !DecodedAddress(row.m_texts.Get(PackedRow::kEmail)).isEmpty())
            return Shown(row.m_texts, index.column()) + QLatin1Char('\n')
                + FromCp1252(row.m_texts.Get(PackedRow::kEmail));
        return Shown(row.m_texts, index.column());
    case Qt::CheckStateRole:
        if (index.column() == kNum)
            return m_pSession->IsChecked(static_cast<size_t>(nIndex)) ? Qt::Checked : Qt::Unchecked;
        return {};
    case Qt::AccessibleTextRole:
        // A screen reader says the number with the check box's state.
        if (index.column() == kNum)
            return tr("%1, %2").arg(Shown(row.m_texts, kNum), CheckText(nIndex, row));
        return {};
    case Qt::AccessibleDescriptionRole:
        if (index.column() == kNum)
            return CheckText(nIndex, row);
        return {};
    case Qt::ForegroundRole:
        // A message the server would not show: nothing of it can be judged.
        if (Fixed(nIndex))
            return QColor(Qt::gray);
        return {};
    case Qt::BackgroundRole:
        if (IsSuspect(nIndex) && !bFromLastScan)
            return QBrush(kSuspectTint);
        return {};
    case Qt::TextAlignmentRole:
        if (index.column() == kSize)
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    default:
        return {};
    }
}

QString MessageGridModel::CheckText(int nIndex, const StoredRow& row) const
{
    const bool bChecked = m_pSession->IsChecked(static_cast<size_t>(nIndex));
    const std::string_view reason = row.m_texts.Get(PackedRow::kReason);
    if (!IsSuspect(nIndex) || reason.empty())
        return bChecked ? tr("checked") : tr("not checked");
    return (bChecked ? tr("checked, suspect: %1") : tr("not checked, suspect: %1")).arg(ShownUtf8(reason));
}

bool MessageGridModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::CheckStateRole || !index.isValid() || index.column() != kNum || index.row() >= Count())
        return false;
    // The session remembers the click and tells of the change.
    return m_pSession->SetChecked(static_cast<size_t>(MessageIndex(index.row())),
                                  value.value<Qt::CheckState>() != Qt::Unchecked);
}

QVariant MessageGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount())
        return {};
    if (section == kAccountColumn)
        return role == Qt::DisplayRole ? QVariant(tr("Account")) : QVariant();
    if (role == Qt::DisplayRole)
        return tr(kTitles[section]);
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue((section == kSize ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
    return {};
}

Qt::ItemFlags MessageGridModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (index.column() == kNum && index.row() < Count() && !Fixed(MessageIndex(index.row())))
        f |= Qt::ItemIsUserCheckable;
    return f;
}

void MessageGridModel::AppendRow(const MessageRow& row, bool bChecked)
{
    std::vector<GridRow> rows{GridRow{row, bChecked}};
    AppendRows(rows);
}

void MessageGridModel::Reserve(size_t nRows)
{
    m_aRows.reserve(nRows);
    m_aOrder.reserve(nRows);
    m_aDisplay.reserve(nRows);
}

void MessageGridModel::AppendRows(std::vector<GridRow>& rows)
{
    std::vector<ScanRow> scanned;
    scanned.reserve(rows.size());
    for (GridRow& row : rows)
        scanned.push_back(ScanRow{std::move(row.m_row), row.m_bChecked ? 1 : 0, 0});
    m_pSession->AddRows(scanned);
}

void MessageGridModel::ShowRows(std::vector<ScanRow>& rows)
{
    if (rows.empty())
        return;
    const int n = Count();
    beginInsertRows(QModelIndex(), n, n + static_cast<int>(rows.size()) - 1);
    // Grown by half at least: an exact reserve per batch would copy every
    // row again for each batch.
    if (m_aRows.capacity() < m_aRows.size() + rows.size())
        Reserve(std::max(m_aRows.size() + rows.size(), m_aRows.capacity() * 3 / 2));
    int nNewlyChecked = 0;
    for (const ScanRow& row : rows) {
        nNewlyChecked += m_pSession->IsChecked(m_aRows.size()) ? 1 : 0;
        m_aOrder.push_back(static_cast<int>(m_aRows.size()));
        m_aDisplay.push_back(static_cast<int>(m_aRows.size()));
        m_aRows.push_back(StoredRow{PackedRow(row.m_row)});
    }
    endInsertRows();
    // New rows arrive at the end; a sorted grid puts them in their places.
    if (m_nSortColumn != kNum || m_nSortOrder != Qt::AscendingOrder)
        Resort();
    if (nNewlyChecked)
        emit CheckedCountChanged(CheckedCount());
}

void MessageGridModel::OnCheckChanged(const CheckChanged& changed)
{
    if (m_aRows.empty())
        return;
    // The display rows of the changed messages, or the whole column for a
    // long run.
    constexpr size_t kMaxMapped = 1024;
    const size_t nLast = std::min(changed.m_nLast, m_aRows.size() - 1);
    int nFirstRow = 0;
    int nLastRow = Count() - 1;
    if (changed.m_nFirst <= nLast && nLast - changed.m_nFirst < kMaxMapped) {
        nFirstRow = Count();
        nLastRow = -1;
        for (size_t i = changed.m_nFirst; i <= nLast; ++i) {
            nFirstRow = std::min(nFirstRow, DisplayRow(static_cast<int>(i)));
            nLastRow = std::max(nLastRow, DisplayRow(static_cast<int>(i)));
        }
    }
    emit dataChanged(index(nFirstRow, kNum), index(nLastRow, kNum), {Qt::CheckStateRole});
    emit CheckedCountChanged(changed.m_nChecked);
}

void MessageGridModel::SetSession(ScreeningSession& session)
{
    Clear();
    m_pSession = &session;
}

void MessageGridModel::Clear()
{
    m_pSession->ClearRows();
    if (m_aRows.empty())
        return;
    beginResetModel();
    m_aRows.clear();
    m_aRows.shrink_to_fit();
    m_aOrder.clear();
    m_aOrder.shrink_to_fit();
    m_aDisplay.clear();
    m_aDisplay.shrink_to_fit();
    endResetModel();
    emit CheckedCountChanged(0);
}

void MessageGridModel::SetAllChecked(bool bChecked)
{
    if (!m_aRows.empty())
        m_pSession->SetAllChecked(bChecked);
}

void MessageGridModel::ToggleChecked(const std::vector<int>& rows)
{
    std::vector<size_t> indexes;
    for (int r : rows)
        if (r >= 0 && r < Count())
            indexes.push_back(static_cast<size_t>(MessageIndex(r)));
    m_pSession->ToggleChecked(indexes);
}

void MessageGridModel::Reclassify(const FilterLists& lists)
{
    // The session's rule decides; the reasons land in the packed texts.
    m_pSession->Reclassify(lists, *this);
    // Reasons and tints follow.
    if (!m_aRows.empty())
        emit dataChanged(index(0, 0), index(Count() - 1, columnCount() - 1));
}

int MessageGridModel::SuspectCount() const
{
    return m_pSession->SuspectCount();
}

void MessageGridModel::sort(int column, Qt::SortOrder order)
{
    if (column < 0 || column >= kColumnCount)
        column = kNum;
    m_nSortColumn = column;
    m_nSortOrder = order;
    Resort();
}

void MessageGridModel::Resort()
{
    const int column = m_nSortColumn;
    std::vector<SortKey> keys(m_aRows.size());
    for (size_t i = 0; i < m_aRows.size(); ++i) {
        const PackedRow& row = m_aRows[i].m_texts;
        SortKey& key = keys[i];
        switch (column) {
        case kNum:
            key.m_nValue = LeadingNumber(row.Get(PackedRow::kNum));
            break;
        case kSize:
            key.m_nValue = LeadingNumber(row.Get(PackedRow::kSize));
            break;  // "127K": thousands
        case kDate:
            key.m_bValid = DateValue(row.Get(PackedRow::kDate), key.m_nValue);
            break;
        default:
            key.m_sText = Shown(row, column).toCaseFolded();
            break;
        }
    }
    const bool bText = column != kNum && column != kSize && column != kDate;
    const bool bAscending = m_nSortOrder == Qt::AscendingOrder;
    std::vector<int> order(m_aRows.size());
    std::iota(order.begin(), order.end(), 0);
    // Stable: equal rows keep message order.
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        const SortKey& ka = keys[static_cast<size_t>(a)];
        const SortKey& kb = keys[static_cast<size_t>(b)];
        if (ka.m_bValid != kb.m_bValid)
            return ka.m_bValid;
        const int cmp = bText ? ka.m_sText.compare(kb.m_sText)
                              : (ka.m_nValue < kb.m_nValue       ? -1
                                     : ka.m_nValue > kb.m_nValue ? 1
                                                                 : 0);
        return bAscending ? cmp < 0 : cmp > 0;
    });
    ApplyOrder(std::move(order));
}

void MessageGridModel::ApplyOrder(std::vector<int> order)
{
    if (order == m_aOrder)
        return;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<int> display(order.size());
    for (size_t d = 0; d < order.size(); ++d)
        display[static_cast<size_t>(order[d])] = static_cast<int>(d);
    // Selection and current row follow their messages.
    const QModelIndexList from = persistentIndexList();
    QModelIndexList to;
    to.reserve(from.size());
    for (const QModelIndex& old : from)
        to.append(index(display[static_cast<size_t>(MessageIndex(old.row()))], old.column()));
    m_aOrder = std::move(order);
    m_aDisplay = std::move(display);
    changePersistentIndexList(from, to);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

bool MessageGridModel::IsChecked(int row) const
{
    return row >= 0 && row < Count() && m_pSession->IsChecked(static_cast<size_t>(row));
}

std::string_view MessageGridModel::Text(int row, int column) const
{
    return Field(m_aRows[static_cast<size_t>(row)].m_texts, column);
}

std::vector<PurgeRow> MessageGridModel::Snapshot() const
{
    return m_pSession->PurgeSnapshot();
}

void MessageGridModel::KeepAfterPurge(const std::vector<int>& removed)
{
    beginResetModel();
    std::vector<bool> gone(m_aRows.size(), false);
    for (int num : removed)
        if (num >= 1 && num <= Count())
            gone[static_cast<size_t>(num - 1)] = true;
    std::vector<StoredRow> kept;
    kept.reserve(m_aRows.size() - static_cast<size_t>(std::count(gone.begin(), gone.end(), true)));
    for (size_t i = 0; i < m_aRows.size(); ++i) {
        if (gone[i])
            continue;
        kept.push_back(std::move(m_aRows[i]));
    }
    m_aRows = std::move(kept);
    m_aOrder.resize(m_aRows.size());
    std::iota(m_aOrder.begin(), m_aOrder.end(), 0);
    m_aDisplay = m_aOrder;
    endResetModel();
    Resort();
    emit CheckedCountChanged(0);
}

QStringList MessageGridModel::CheckedSubjects(int nMax) const
{
    QStringList subjects;
    for (size_t i = 0; i < m_aRows.size(); ++i) {
        if (subjects.size() >= nMax)
            break;
        if (m_pSession->IsChecked(i))
            subjects << Shown(m_aRows[i].m_texts, kSubject);
    }
    return subjects;
}
