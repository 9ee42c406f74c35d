#include "FilterPage.h"

#include "core/filters/Classify.h"
#include "core/filters/EntryRules.h"
#include "gui/dialogs/FilterEditDlg.h"
#include "core/storage/Filters.h"
#include "gui/widgets/Prompter.h"
#include "gui/widgets/Text.h"

#include <QCoreApplication>
#include <QByteArray>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// The entry's bytes ride along with the item, so that what is stored is
// exactly what was loaded or typed, whatever the display makes of it; so do
// its mode and encoding, and the text it sorts by (without the mode).
constexpr int kBytesRole = Qt::UserRole;
constexpr int kMatchRole = Qt::UserRole + 1;
constexpr int kUtf8Role = Qt::UserRole + 2;
constexpr int kSortRole = Qt::UserRole + 3;

std::string ItemBytes(const QListWidgetItem* item)
{
    const QByteArray bytes = item->data(kBytesRole).toByteArray();
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

FilterEntry ItemEntry(const QListWidgetItem* item)
{
    return FilterEntry{ItemBytes(item), static_cast<SubjectMatch>(item->data(kMatchRole).toInt()),
                       item->data(kUtf8Role).toBool()};
}

// What the list box shows: the text, and the mode where it is not the
// plain "contains".
QString Shown(const FilterEntry& entry)
{
    const QString text = QString::fromStdString(entry.Utf8());
    if (entry.m_match != SubjectMatch::kPattern && entry.m_sText == kEncodedWordEntry)
        return text + QCoreApplication::translate("CFilterPage", "   (an encoded word that does not decode)");
    switch (entry.m_match) {
    case SubjectMatch::kWholeWord:
        return text + QCoreApplication::translate("CFilterPage", "   (whole word)");
    case SubjectMatch::kPattern:
        return text + QCoreApplication::translate("CFilterPage", "   (regular expression)");
    case SubjectMatch::kContains:
    default:
        return text;
    }
}

}  // namespace

CFilterPage::CFilterPage(FilterKind kind, Filters& filters, const QString& note, QWidget* parent)
    : QWidget(parent),
      m_filters(filters),
      m_nKind(kind)
{
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("list"));
    m_list->setAccessibleName(tr("Filters"));
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    // The whole of the widest entry must be reachable: no eliding, and a
    // horizontal scroll bar as soon as an entry is wider than the box.
    m_list->setTextElideMode(Qt::ElideNone);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_list->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    const int nChar = fontMetrics().averageCharWidth();
    m_list->setMinimumSize(32 * nChar, 16 * fontMetrics().height());

    m_btnAdd = new QPushButton(tr("&Add Filter"), this);
    m_btnDelete = new QPushButton(tr("&Delete Filter"), this);
    m_btnEdit = new QPushButton(tr("&Edit Filter"), this);
    m_btnRestore = new QPushButton(tr("&Restore Defaults"), this);
    for (QPushButton* button : {m_btnAdd, m_btnDelete, m_btnEdit, m_btnRestore})
        button->setAutoDefault(false);  // Enter in the sheet means OK

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(m_btnAdd);
    buttons->addWidget(m_btnDelete);
    buttons->addWidget(m_btnEdit);
    buttons->addWidget(m_btnRestore);
    buttons->addStretch(1);

    auto* row = new QHBoxLayout;
    row->addWidget(m_list, 1);
    row->addLayout(buttons);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row, 1);
    if (!note.isEmpty()) {
        auto* text = new QLabel(note, this);
        text->setObjectName(QStringLiteral("note"));
        text->setWordWrap(true);
        layout->addWidget(text);
    }

    connect(m_btnAdd, &QPushButton::clicked, this, &CFilterPage::OnAddFilter);
    connect(m_btnDelete, &QPushButton::clicked, this, &CFilterPage::OnDeleteFilter);
    connect(m_btnEdit, &QPushButton::clicked, this, &CFilterPage::OnEditFilter);
    connect(m_btnRestore, &QPushButton::clicked, this, &CFilterPage::OnRestoreDefaults);
    connect(m_list, &QListWidget::itemSelectionChanged, this, &CFilterPage::OnSelchangeList);
    connect(m_list, &QListWidget::itemDoubleClicked, this, &CFilterPage::OnEditFilter);
}

std::vector<std::string> CFilterPage::Entries() const
{
    std::vector<std::string> entries;
    entries.reserve(static_cast<size_t>(m_list->count()));
    for (int i = 0; i < m_list->count(); ++i)
        entries.push_back(ItemBytes(m_list->item(i)));
    return entries;
}

std::vector<FilterEntry> CFilterPage::FilterEntries() const
{
    std::vector<FilterEntry> entries;
    entries.reserve(static_cast<size_t>(m_list->count()));
    for (int i = 0; i < m_list->count(); ++i)
        entries.push_back(ItemEntry(m_list->item(i)));
    return entries;
}

int CFilterPage::SelectedIndex() const
{
    const QList<QListWidgetItem*> selected = m_list->selectedItems();
    return selected.isEmpty() ? -1 : m_list->row(selected.first());
}

void CFilterPage::SelectEntry(int index)
{
    if (index >= 0 && index < m_list->count()) {
        m_list->setCurrentRow(index, QItemSelectionModel::ClearAndSelect);
        m_list->scrollToItem(m_list->item(index));
    } else {
        m_list->clearSelection();
        m_list->setCurrentItem(nullptr);
    }
}

int CFilterPage::InsertSorted(const FilterEntry& entry)
{
    // The list stays in case-insensitive order whatever order entries arrive
    // in; an entry equal to others goes after them. QListWidget's own sorting
    // is case-sensitive, hence the explicit search.
    const QString sortText = QString::fromStdString(entry.Utf8());
    int nLow = 0;
    int nHigh = m_list->count();
    while (nLow < nHigh) {
        const int nMid = nLow + (nHigh - nLow) / 2;
        if (QString::compare(m_list->item(nMid)->data(kSortRole).toString(), sortText, Qt::CaseInsensitive) <= 0)
            nLow = nMid + 1;
        else
            nHigh = nMid;
    }
    const std::string& text = entry.m_sText;
    auto* item = new QListWidgetItem(Shown(entry));
    item->setData(kBytesRole, QByteArray(text.data(), static_cast<qsizetype>(text.size())));
    item->setData(kMatchRole, static_cast<int>(entry.m_match));
    item->setData(kUtf8Role, entry.m_bUtf8);
    item->setData(kSortRole, sortText);
    m_list->insertItem(nLow, item);
    return nLow;
}

void CFilterPage::FillListBox(const std::vector<FilterEntry>& entries)
{
    for (const FilterEntry& entry : entries)
        InsertSorted(entry);
}

void CFilterPage::AddFilter(const std::string& text)
{
    AddFilter(FilterEntry{text, SubjectMatch::kContains, false});
}

void CFilterPage::AddFilter(FilterEntry entry)
{
    SelectEntry(InsertSorted(entry_rules::PrepareEntry(m_nKind, std::move(entry))));
    OnSelchangeList();
}

void CFilterPage::SetUpEditor(CFilterEditDlg& dlg) const
{
    dlg.m_bUnicode = m_nKind == kFilterSubject || m_nKind == kFilterSubjectExact;
    dlg.m_bModes = m_nKind == kFilterSubject;
    dlg.m_bSizes = m_nKind == kFilterSize;
}

void CFilterPage::DeleteSelected()
{
    const int index = SelectedIndex();
    if (index < 0)
        return;
    delete m_list->takeItem(index);
    // The entry that moved up into the deleted place, or else the new last
    // one; an emptied box selects nothing.
    const int count = m_list->count();
    SelectEntry(index < count ? index : count - 1);
}

void CFilterPage::OnInitDialog()
{
    FillListBox(m_filters.m_filters.Entries(m_nKind));
    m_btnDelete->setEnabled(false);
    m_btnEdit->setEnabled(true);
}

void CFilterPage::showEvent(QShowEvent* event)
{
    if (!m_bInitialised) {
        m_bInitialised = true;
        OnInitDialog();
    }
    QWidget::showEvent(event);
}

void CFilterPage::OnAddFilter()
{
    CFilterEditDlg dlg(this);
    dlg.m_bEdit = 0;
    SetUpEditor(dlg);
    // A new Subject entry is whole-word unless the user says otherwise.
    if (dlg.m_bModes)
        dlg.m_match = SubjectMatch::kWholeWord;
    if (Prompter::RunModal(dlg) == QDialog::Accepted)
        AddFilter(FilterEntry{dlg.m_sFilter, dlg.m_match, dlg.m_bUtf8});
}

void CFilterPage::OnDeleteFilter()
{
    DeleteSelected();
    OnSelchangeList();
}

void CFilterPage::OnEditFilter()
{
    const int index = SelectedIndex();
    if (index < 0)
        return;
    CFilterEditDlg dlg(this);
    dlg.m_bEdit = 1;
    SetUpEditor(dlg);
    const FilterEntry old = ItemEntry(m_list->item(index));
    dlg.m_sFilter = old.m_sText;
    dlg.m_match = old.m_match;
    dlg.m_bUtf8 = old.m_bUtf8;
    if (Prompter::RunModal(dlg) != QDialog::Accepted)
        return;
    // The old entry goes only now that the new text is confirmed; the new
    // one is prepared like any added entry and sorted into its place.
    delete m_list->takeItem(index);
    AddFilter(FilterEntry{dlg.m_sFilter, dlg.m_match, dlg.m_bUtf8});
}

void CFilterPage::OnRestoreDefaults()
{
    m_list->clear();
    FillListBox(m_filters.m_filterDefaults.Entries(m_nKind));
    SelectEntry(-1);
    OnSelchangeList();
}

void CFilterPage::OnSelchangeList()
{
    const bool bSelected = SelectedIndex() >= 0;
    m_btnDelete->setEnabled(bSelected);
    m_btnEdit->setEnabled(bSelected);
}

void CFilterPage::OnOK()
{
    m_filters.m_filters.ReplaceEntries(m_nKind, FilterEntries());
}
