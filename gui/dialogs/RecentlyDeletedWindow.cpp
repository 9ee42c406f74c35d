#include "RecentlyDeletedWindow.h"

#include "core/storage/DeletionJournal.h"
#include "core/storage/QuarantineMaildir.h"
#include "gui/widgets/Prompter.h"

#include <QDateTime>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QSaveFile>
#include <QTemporaryDir>
#include <QUrl>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTableWidget>
#include <QVBoxLayout>
#include <map>

#include "core/storage/AccountList.h"
#include "core/storage/SettingsStore.h"
#include "gui/widgets/Text.h"

namespace {

// The journal's texts are UTF-8; shown escaped as the journal keeps them,
// so a control character in a Subject is visible rather than acted on.
QString Shown(const std::string& text)
{
    return QString::fromStdString(DeletionJournal::Escape(text));
}

// The names the user gave the accounts, by the journal's account text
// (DeletionJournal::NamesOf): a deletion shows the account as the rest of
// the window names it.
std::map<std::string, QString> AccountNames()
{
    std::map<std::string, QString> names;
    SettingsStore settings;
    const std::vector<AccountSettings> accounts = account_list::Load(settings);
    for (const AccountSettings& account : accounts)
        if (!account.m_sName.empty())
            for (const std::string& name : DeletionJournal::NamesOf(AccountKey::Of(account, accounts)))
                names.emplace(name, FromCp1252(account.m_sName));
    return names;
}

// Sizes as the grid shows them: "1K" below 1000 bytes, else thousands.
QString SizeText(std::int64_t bytes)
{
    return QStringLiteral("%1K").arg(bytes < 1000 ? 1 : bytes / 1000);
}

// A cell that sorts by a number rather than by its text.
class NumberItem : public QTableWidgetItem {
public:
    NumberItem(const QString& text, qint64 value)
        : QTableWidgetItem(text)
    {
        setData(Qt::UserRole, value);
    }
    bool operator<(const QTableWidgetItem& other) const override
    {
        return data(Qt::UserRole).toLongLong() < other.data(Qt::UserRole).toLongLong();
    }
};

}  // namespace

CRecentlyDeletedWindow::CRecentlyDeletedWindow(QWidget* parent, std::string journalFolder)
    : QDialog(parent),
      m_sFolder(std::move(journalFolder))
{
    setWindowTitle(tr("Recently Deleted"));
    setObjectName(QStringLiteral("recentlyDeleted"));

    m_pSummary = new QLabel(this);
    m_pSummary->setObjectName(QStringLiteral("summary"));
    m_pSummary->setWordWrap(true);
    m_pSummary->setTextInteractionFlags(Qt::TextSelectableByMouse);

    m_pTable = new QTableWidget(0, kColumns, this);
    m_pTable->setAccessibleName(tr("Deleted messages"));
    m_pTable->setHorizontalHeaderLabels(
        {tr("Deleted"), tr("Size"), tr("From"), tr("Subject"), tr("Why"), tr("Copy"), tr("Account"), tr("UIDL")});
    m_pTable->setSelectionMode(QAbstractItemView::SingleSelection);
    m_pTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_pTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_pTable->verticalHeader()->hide();
    m_pTable->horizontalHeader()->setStretchLastSection(true);
    m_pTable->setWordWrap(false);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    QPushButton* reload = buttons->addButton(tr("&Reload"), QDialogButtonBox::ActionRole);
    connect(reload, &QPushButton::clicked, this, &CRecentlyDeletedWindow::Reload);
    m_pSave = buttons->addButton(tr("&Save Copy As…"), QDialogButtonBox::ActionRole);
    m_pSave->setObjectName(QStringLiteral("saveCopy"));
    m_pOpen = buttons->addButton(tr("&Open in Mail Program"), QDialogButtonBox::ActionRole);
    m_pOpen->setObjectName(QStringLiteral("openCopy"));
    connect(m_pSave, &QPushButton::clicked, this, &CRecentlyDeletedWindow::SaveCopy);
    connect(m_pOpen, &QPushButton::clicked, this, &CRecentlyDeletedWindow::OpenCopy);
    connect(m_pTable, &QTableWidget::currentCellChanged, this, &CRecentlyDeletedWindow::UpdateButtons);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pSummary);
    layout->addWidget(m_pTable, 1);
    layout->addWidget(buttons);

    const int nChar = fontMetrics().averageCharWidth();
    resize(120 * nChar, 30 * fontMetrics().height());
}

CRecentlyDeletedWindow::~CRecentlyDeletedWindow() = default;

void CRecentlyDeletedWindow::showEvent(QShowEvent* event)
{
    Reload();
    if (!m_bSized) {
        // Wide enough for every column when the screen allows it.
        m_bSized = true;
        int width = m_pTable->frameWidth() * 2 + m_pTable->verticalScrollBar()->sizeHint().width()
            + 4 * fontMetrics().averageCharWidth();
        for (int column = 0; column < kColumns; ++column)
            width += m_pTable->columnWidth(column);
        width += layout()->contentsMargins().left() + layout()->contentsMargins().right();
        if (const QScreen* screen = this->screen())
            width = std::min(width, screen->availableGeometry().width() * 9 / 10);
        resize(std::max(width, this->width()), height());
    }
    QDialog::showEvent(event);
}

void CRecentlyDeletedWindow::Reload()
{
    const DeletionJournal journal = m_sFolder.empty() ? DeletionJournal() : DeletionJournal(m_sFolder);
    const std::vector<JournalEntry> entries = journal.Read();
    const std::map<std::string, std::string> copies = QuarantineMaildir().Copies();
    const std::map<std::string, QString> names = AccountNames();

    m_pTable->setSortingEnabled(false);
    m_pTable->setRowCount(static_cast<int>(entries.size()));
    int row = 0;
    // Newest first.
    for (auto it = entries.rbegin(); it != entries.rend(); ++it, ++row) {
        const JournalEntry& e = *it;
        const QDateTime when = QDateTime::fromSecsSinceEpoch(e.m_nTime);
        m_pTable->setItem(row, kTime, new NumberItem(when.toString(QStringLiteral("yyyy-MM-dd HH:mm")), e.m_nTime));
        auto* size = new NumberItem(SizeText(e.m_nSize), e.m_nSize);
        size->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        size->setToolTip(tr("%1 bytes").arg(e.m_nSize));
        m_pTable->setItem(row, kSize, size);
        m_pTable->setItem(row, kFrom, new QTableWidgetItem(Shown(e.m_sFrom)));
        m_pTable->setItem(row, kSubject, new QTableWidgetItem(Shown(e.m_sSubject)));
        std::string reason = e.m_sReason;
        if (e.m_nState != JournalEntry::State::kDeleted)
            reason += std::string(" (") + DeletionJournal::StateText(e.m_nState) + ")";
        m_pTable->setItem(row, kReason, new QTableWidgetItem(Shown(reason)));
        const auto copy =
            e.m_sUidl.empty() ? copies.end() : copies.find(QuarantineMaildir::CopyKey(e.m_sAccount, e.m_sUidl));
        auto* kept = new QTableWidgetItem(copy != copies.end() ? tr("kept") : QStringLiteral("\u2014"));
        if (copy != copies.end()) {
            kept->setData(Qt::UserRole, QString::fromStdString(copy->second));
            kept->setToolTip(QString::fromStdString(copy->second));
        }
        m_pTable->setItem(row, kCopy, kept);
        const auto name = names.find(e.m_sAccount);
        auto* account = new QTableWidgetItem(name != names.end() ? name->second : Shown(e.m_sAccount));
        account->setToolTip(Shown(e.m_sAccount));
        m_pTable->setItem(row, kAccount, account);
        m_pTable->setItem(row, kUidl, new QTableWidgetItem(Shown(e.m_sUidl)));
    }
    m_pTable->setSortingEnabled(true);
    m_pTable->sortItems(kTime, Qt::DescendingOrder);
    m_pTable->resizeColumnsToContents();
    const int nWide = 40 * fontMetrics().averageCharWidth();
    for (int column : {kFrom, kSubject})
        m_pTable->setColumnWidth(column, std::min(m_pTable->columnWidth(column), nWide));

    const QString path = QString::fromStdString(journal.FilePath());
    const QString back =
        tr("\nPOP3 cannot put a message back on the server. Where a copy was kept, select its row to save it as a "
           "file or open it in your mail program.");
    m_pSummary->setText((entries.empty()
                             ? tr("Nothing has been deleted yet. Deletions are recorded in %1.").arg(path)
                             : tr("%1 deleted messages, newest first, from %2.").arg(entries.size()).arg(path))
                        + back);
    UpdateButtons();
}

QString CRecentlyDeletedWindow::CurrentCopy() const
{
    const int row = m_pTable->currentRow();
    const QTableWidgetItem* item = row >= 0 ? m_pTable->item(row, kCopy) : nullptr;
    const QString path = item ? item->data(Qt::UserRole).toString() : QString();
    // The mail program or a prune may have taken it since.
    return !path.isEmpty() && QFile::exists(path) ? path : QString();
}

void CRecentlyDeletedWindow::UpdateButtons()
{
    const int row = m_pTable->currentRow();
    const QTableWidgetItem* item = row >= 0 ? m_pTable->item(row, kCopy) : nullptr;
    const bool bCopy = item && !item->data(Qt::UserRole).toString().isEmpty();
    m_pSave->setEnabled(bCopy);
    m_pOpen->setEnabled(bCopy);
}

bool CRecentlyDeletedWindow::SaveCopy()
{
    const QString copy = CurrentCopy();
    if (copy.isEmpty()) {
        Prompter::MessageBox(this, tr("The kept copy of this message is gone."));
        return false;
    }
    QFileDialog dialog(this, tr("Save Copy As"));
    dialog.setObjectName(QStringLiteral("saveCopyDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilter(tr("Mail messages (*.eml)"));
    dialog.setDefaultSuffix(QStringLiteral("eml"));
    dialog.selectFile(QStringLiteral("message.eml"));
    if (Prompter::RunModal(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    const QString target = dialog.selectedFiles().constFirst();
    QFile in(copy);
    QSaveFile out(target);
    if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly) || out.write(in.readAll()) < 0
        || !out.commit()) {
        Prompter::MessageBox(this, tr("The copy could not be saved as %1.").arg(target));
        return false;
    }
    return true;
}

bool CRecentlyDeletedWindow::OpenCopy()
{
    const QString copy = CurrentCopy();
    if (copy.isEmpty()) {
        Prompter::MessageBox(this, tr("The kept copy of this message is gone."));
        return false;
    }
    // A private copy: the mail program may change or move what it opens,
    // and the Maildir stays Mavix's own.
    if (!m_pOpened)
        m_pOpened = std::make_unique<QTemporaryDir>();
    const QString target = m_pOpened->filePath(QStringLiteral("message-%1.eml").arg(m_pTable->currentRow() + 1));
    QFile::remove(target);
    if (!m_pOpened->isValid() || !QFile::copy(copy, target)
        || !QFile::setPermissions(target, QFileDevice::ReadOwner | QFileDevice::WriteOwner)
        || !QDesktopServices::openUrl(QUrl::fromLocalFile(target))) {
        Prompter::MessageBox(this, tr("The copy could not be opened in your mail program."));
        return false;
    }
    return true;
}
