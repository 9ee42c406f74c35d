#include "RecentlyDeletedWindow.h"

#include "screening/DeletionJournal.h"

#include <QDateTime>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

// The journal's texts are UTF-8; shown escaped as the journal keeps them,
// so a control character in a Subject is visible rather than acted on.
QString Shown(const std::string& text)
{
    return QString::fromStdString(DeletionJournal::Escape(text));
}

// Sizes as the grid shows them: "1K" below 1000 bytes, else thousands.
QString SizeText(std::int64_t bytes)
{
    return QStringLiteral("%1K").arg(bytes < 1000 ? 1 : bytes / 1000);
}

// A cell that sorts by a number rather than by its text.
class NumberItem : public QTableWidgetItem {
public:
    NumberItem(const QString& text, qint64 value) : QTableWidgetItem(text) { setData(Qt::UserRole, value); }
    bool operator<(const QTableWidgetItem& other) const override
    {
        return data(Qt::UserRole).toLongLong() < other.data(Qt::UserRole).toLongLong();
    }
};

}  // namespace

CRecentlyDeletedWindow::CRecentlyDeletedWindow(QWidget* parent, std::string journalFolder)
    : QDialog(parent), m_sFolder(std::move(journalFolder))
{
    setWindowTitle(QStringLiteral("Recently Deleted"));
    setObjectName(QStringLiteral("recentlyDeleted"));

    m_pSummary = new QLabel(this);
    m_pSummary->setObjectName(QStringLiteral("summary"));
    m_pSummary->setWordWrap(true);
    m_pSummary->setTextInteractionFlags(Qt::TextSelectableByMouse);

    m_pTable = new QTableWidget(0, kColumns, this);
    m_pTable->setHorizontalHeaderLabels({QStringLiteral("Deleted"), QStringLiteral("Size"), QStringLiteral("From"),
                                         QStringLiteral("Subject"), QStringLiteral("Why"), QStringLiteral("Account"),
                                         QStringLiteral("UIDL")});
    m_pTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_pTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_pTable->verticalHeader()->hide();
    m_pTable->horizontalHeader()->setStretchLastSection(true);
    m_pTable->setWordWrap(false);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    QPushButton* reload = buttons->addButton(QStringLiteral("&Reload"), QDialogButtonBox::ActionRole);
    connect(reload, &QPushButton::clicked, this, &CRecentlyDeletedWindow::Reload);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pSummary);
    layout->addWidget(m_pTable, 1);
    layout->addWidget(buttons);

    const int nChar = fontMetrics().averageCharWidth();
    resize(120 * nChar, 30 * fontMetrics().height());
}

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
        size->setToolTip(QStringLiteral("%1 bytes").arg(e.m_nSize));
        m_pTable->setItem(row, kSize, size);
        m_pTable->setItem(row, kFrom, new QTableWidgetItem(Shown(e.m_sFrom)));
        m_pTable->setItem(row, kSubject, new QTableWidgetItem(Shown(e.m_sSubject)));
        std::string reason = e.m_sReason;
        if (e.m_nState != JournalEntry::State::kDeleted)
            reason += std::string(" (") + DeletionJournal::StateText(e.m_nState) + ")";
        m_pTable->setItem(row, kReason, new QTableWidgetItem(Shown(reason)));
        m_pTable->setItem(row, kAccount, new QTableWidgetItem(Shown(e.m_sAccount)));
        m_pTable->setItem(row, kUidl, new QTableWidgetItem(Shown(e.m_sUidl)));
    }
    m_pTable->setSortingEnabled(true);
    m_pTable->sortItems(kTime, Qt::DescendingOrder);
    m_pTable->resizeColumnsToContents();
    const int nWide = 40 * fontMetrics().averageCharWidth();
    for (int column : {kFrom, kSubject})
        m_pTable->setColumnWidth(column, std::min(m_pTable->columnWidth(column), nWide));

    const QString path = QString::fromStdString(journal.FilePath());
    m_pSummary->setText(entries.empty()
        ? QStringLiteral("Nothing has been deleted yet. Deletions are recorded in %1.").arg(path)
        : QStringLiteral("%1 deleted messages, newest first, from %2.").arg(entries.size()).arg(path));
}
