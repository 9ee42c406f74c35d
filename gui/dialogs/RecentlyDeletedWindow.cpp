#include "RecentlyDeletedWindow.h"

#include "core/storage/DeletionJournal.h"
#include "core/storage/QuarantineMaildir.h"
#include "gui/dialogs/MessageFileName.h"
#include "gui/widgets/Prompter.h"
#include "gui/widgets/ScreenFit.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QSaveFile>
#include <QTemporaryDir>
#include <QUrl>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QSet>
#include <QStandardPaths>
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

// The most of what xdg-open said that the user is shown.
constexpr qint64 kMaxOpenerMessage = 500;

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
    // Several rows (Ctrl+A, Shift and Ctrl with the mouse) for Save All.
    m_pTable->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_pTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_pTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_pTable->verticalHeader()->hide();
    m_pTable->horizontalHeader()->setStretchLastSection(true);
    m_pTable->setWordWrap(false);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    QPushButton* reload = buttons->addButton(tr("&Reload"), QDialogButtonBox::ActionRole);
    connect(reload, &QPushButton::clicked, this, &CRecentlyDeletedWindow::Reload);
    // What can be done with the kept copies, in a row of its own above the
    // window's buttons: one row of all would not fit a narrow screen.
    m_pSave = new QPushButton(tr("&Save Copy As…"), this);
    m_pSave->setObjectName(QStringLiteral("saveCopy"));
    m_pSaveAll = new QPushButton(tr("Save &All…"), this);
    m_pSaveAll->setObjectName(QStringLiteral("saveAll"));
    m_pSaveAll->setToolTip(tr("Save the kept copies of the selected rows into a folder"));
    m_pOpen = new QPushButton(tr("&Open in Mail Program"), this);
    m_pOpen->setObjectName(QStringLiteral("openCopy"));
    connect(m_pSave, &QPushButton::clicked, this, &CRecentlyDeletedWindow::SaveCopy);
    connect(m_pSaveAll, &QPushButton::clicked, this, &CRecentlyDeletedWindow::SaveAll);
    connect(m_pOpen, &QPushButton::clicked, this, &CRecentlyDeletedWindow::OpenCopy);
    connect(m_pTable, &QTableWidget::currentCellChanged, this, &CRecentlyDeletedWindow::UpdateButtons);
    connect(m_pTable, &QTableWidget::itemSelectionChanged, this, &CRecentlyDeletedWindow::UpdateButtons);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pSummary);
    layout->addWidget(m_pTable, 1);
    auto* copies = new QHBoxLayout;
    for (QPushButton* button : {m_pSave, m_pSaveAll, m_pOpen}) {
        button->setAutoDefault(false);
        copies->addWidget(button);
    }
    copies->addStretch(1);
    layout->addLayout(copies);
    layout->addWidget(buttons);

    const int nChar = fontMetrics().averageCharWidth();
    resize(120 * nChar, 30 * fontMetrics().height());
    screen_fit::FitToScreen(this);
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
        auto* subject = new QTableWidgetItem(Shown(e.m_sSubject));
        subject->setData(Qt::UserRole, QString::fromStdString(e.m_sSubject));  // for file names
        m_pTable->setItem(row, kSubject, subject);
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
           "file or open it in your mail program; select several rows (Ctrl+A: all) to save their copies at once.");
    m_pSummary->setText((entries.empty()
                             ? tr("Nothing has been deleted yet. Deletions are recorded in %1.").arg(path)
                             : tr("%1 deleted messages, newest first, from %2.").arg(entries.size()).arg(path))
                        + back);
    UpdateButtons();
}

QString CRecentlyDeletedWindow::CopyOf(int row) const
{
    const QTableWidgetItem* item = row >= 0 ? m_pTable->item(row, kCopy) : nullptr;
    const QString path = item ? item->data(Qt::UserRole).toString() : QString();
    // The mail program or a prune may have taken it since.
    return !path.isEmpty() && QFile::exists(path) ? path : QString();
}

QString CRecentlyDeletedWindow::CurrentCopy() const
{
    return CopyOf(m_pTable->currentRow());
}

QList<int> CRecentlyDeletedWindow::SelectedRows() const
{
    QList<int> rows;
    for (const QModelIndex& index : m_pTable->selectionModel()->selectedRows())
        rows << index.row();
    std::sort(rows.begin(), rows.end());
    return rows;
}

void CRecentlyDeletedWindow::UpdateButtons()
{
    const auto hasCopy = [this](int row) {
        const QTableWidgetItem* item = row >= 0 ? m_pTable->item(row, kCopy) : nullptr;
        return item && !item->data(Qt::UserRole).toString().isEmpty();
    };
    const bool bCopy = hasCopy(m_pTable->currentRow());
    m_pSave->setEnabled(bCopy);
    m_pOpen->setEnabled(bCopy);
    const QList<int> rows = SelectedRows();
    m_pSaveAll->setEnabled(std::any_of(rows.begin(), rows.end(), hasCopy));
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
    const QTableWidgetItem* subject = m_pTable->item(m_pTable->currentRow(), kSubject);
    dialog.selectFile(message_file::NameFromSubject(subject ? subject->data(Qt::UserRole).toString() : QString()));
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

int CRecentlyDeletedWindow::SaveAll()
{
    const QList<int> rows = SelectedRows();
    QFileDialog dialog(this, tr("Save All Copies Into"));
    dialog.setObjectName(QStringLiteral("saveAllDialog"));
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    if (Prompter::RunModal(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return 0;
    const QDir folder(dialog.selectedFiles().constFirst());
    // Names are compared without case: the folder may be on a stick whose
    // file system ignores it.
    QSet<QString> used;
    const auto taken = [&](const QString& name) {
        return used.contains(name.toCaseFolded()) || QFileInfo::exists(folder.filePath(name));
    };
    int nSaved = 0;
    int nWithout = 0;
    QStringList failed;
    for (int row : rows) {
        const QString copy = CopyOf(row);
        if (copy.isEmpty()) {
            ++nWithout;
            continue;
        }
        const QString name = message_file::UniqueName(
            message_file::NameFromSubject(m_pTable->item(row, kSubject)->data(Qt::UserRole).toString()), taken);
        QFile in(copy);
        QSaveFile out(folder.filePath(name));
        if (name.isEmpty() || !in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly)
            || out.write(in.readAll()) < 0 || !out.commit()) {
            failed << (name.isEmpty() ? m_pTable->item(row, kSubject)->text() : name);
            continue;
        }
        used.insert(name.toCaseFolded());
        ++nSaved;
    }
    QString text = tr("Copies saved in %1: %2.").arg(folder.absolutePath()).arg(nSaved);
    if (nWithout > 0)
        text += QLatin1Char('\n') + tr("Selected rows without a kept copy: %1.").arg(nWithout);
    if (!failed.isEmpty())
        text += QLatin1Char('\n') + tr("Could not be saved: %1").arg(failed.join(QStringLiteral(", ")));
    Prompter::MessageBox(this, text);
    return nSaved;
}

void CRecentlyDeletedWindow::TellOpenFailed(const QString& detail)
{
    QString text = tr("No mail program could be opened for this message. Save it with \"Save Copy As…\" and "
                      "open the file in your mail program.");
    if (!detail.isEmpty())
        text += QStringLiteral("\n\n") + detail;
    Prompter::MessageBox(this, text);
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
        || !QFile::setPermissions(target, QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
        Prompter::MessageBox(this, tr("The copy could not be opened in your mail program."));
        return false;
    }
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (opener.isEmpty()) {
        if (!QDesktopServices::openUrl(QUrl::fromLocalFile(target))) {
            TellOpenFailed({});
            return false;
        }
        return true;
    }
    // xdg-open says only by its exit status that it found no program ("no
    // method available"), and may run until the program it started ends:
    // its end is awaited on the event loop, never here. It outlives the
    // window (the application holds it); a started mail program is not its
    // child to stop.
    // Its messages go to a file, not a pipe: the mail program inherits them
    // and must not meet a closed pipe once xdg-open has ended.
    const QString errors = m_pOpened->filePath(QStringLiteral("xdg-open.err"));
    auto* process = new QProcess(QCoreApplication::instance());
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(errors);
    QPointer<CRecentlyDeletedWindow> self(this);
    connect(process, &QProcess::finished, process, [process, self, errors](int nExit, QProcess::ExitStatus status) {
        if ((status != QProcess::NormalExit || nExit != 0) && self) {
            QFile said(errors);
            const QByteArray text = said.open(QIODevice::ReadOnly) ? said.read(kMaxOpenerMessage) : QByteArray();
            self->TellOpenFailed(QString::fromLocal8Bit(text).trimmed());
        }
        process->deleteLater();
    });
    connect(process, &QProcess::errorOccurred, process, [process, self](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart)
            return;
        if (self)
            self->TellOpenFailed(process->errorString());
        process->deleteLater();
    });
    process->start(opener, {target});
    return true;
}
