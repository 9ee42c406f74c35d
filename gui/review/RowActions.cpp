#include "RowActions.h"

#include "core/platform/Ascii.h"
#include "core/platform/Cp1252.h"
#include "core/rows/ReadableRow.h"
#include "core/storage/SettingsStore.h"
#include "gui/dialogs/FilterSubPage.h"
#include "gui/widgets/Prompter.h"
#include "gui/widgets/Text.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QMenu>
#include <QPlainTextEdit>
#include <QVBoxLayout>
#include <algorithm>
#include <fstream>

namespace {

// The most characters of a Subject the row menu shows in its action: a
// sender's Subject can be 16 KiB, a menu is one line wide.
constexpr qsizetype kMaxMenuSubject = 60;

}  // namespace

CRowActions::CRowActions(Filters& filters, SettingsStore& settings, QWidget* pParent)
    : QObject(pParent),
      m_filters(filters),
      m_settings(settings),
      m_pParent(pParent)
{ }

QMenu* CRowActions::Menu(const MessageRow& row, const std::string& dump, QWidget* pParent)
{
    auto* pMenu = new QMenu(pParent);
    pMenu->setObjectName(QStringLiteral("rowMenu"));
    const std::string email = row.m_sEmail;
    // The Subject as the user reads it, as an exact entry: a contained one
    // would also flag "Invoice 12" for "Invoice 1". Outside Windows-1252 the
    // entry holds the decoded text.
    FilterEntry subject = row.m_sSubjectText.empty()
        ? FilterEntry{row.m_sSubject, SubjectMatch::kContains, false}
        : FilterEntry::FromUtf8(row.m_sSubjectText, SubjectMatch::kContains);
    if (!subject.m_bUtf8)
        subject.m_sText = CFilterSubPage::FoldEntry(subject.m_sText);
    QString shown = QString::fromStdString(subject.Utf8());
    if (shown.size() > kMaxMenuSubject)
        shown = shown.left(kMaxMenuSubject - 1) + QChar(0x2026);

    QAction* pTrust =
        pMenu->addAction(tr("Trust this sender"), [this, email] { AddToList(kFilterTrusted, FilterEntry{email}); });
    QAction* pFlag = pMenu->addAction(tr("Always flag this sender"),
                                      [this, email] { AddToList(kFilterSender, FilterEntry{email}); });
    QAction* pSubject = pMenu->addAction(tr("Flag Subjects that are exactly “%1”").arg(shown),
                                         [this, subject] { AddToList(kFilterSubjectExact, subject); });
    pSubject->setObjectName(QStringLiteral("flagSubject"));
    pMenu->addSeparator();
    QAction* pView = pMenu->addAction(tr("View Headers…"), [this, row, dump, pParent] { ViewHeaders(row, dump, pParent); });
    pTrust->setEnabled(!email.empty());
    pFlag->setEnabled(!email.empty());
    pSubject->setEnabled(!subject.m_sText.empty());
    pView->setEnabled(row.m_nHeaderAt >= 0);
    return pMenu;
}

void CRowActions::AddToList(FilterKind kind, FilterEntry entry)
{
    entry.m_sText = platform::AsciiUpper(entry.m_sText);
    const FilterEntry& upper = entry;
    const std::vector<FilterEntry>& list = m_filters.m_filters.Entries(kind);
    std::string why;
    if (std::find(list.begin(), list.end(), upper) != list.end()) {
        emit ListsChanged();
        return;
    }
    if (!m_filters.m_filters.Append(kind, upper, &why)) {
        Prompter::MessageBox(m_pParent, FromCp1252(why));
        return;
    }
    if (!m_filters.SaveFilters(m_settings)) {
        Prompter::MessageBox(m_pParent,
                             tr("The filter lists could not be saved in %1.\n\n"
                                "The changes apply until Mavix is closed.")
                                 .arg(QString::fromLocal8Bit(m_settings.FilePath())));
    }
    emit ListsChanged();
}

void CRowActions::ViewHeaders(const MessageRow& row, const std::string& dump, QWidget* pParent)
{
    // The scan wrote the header text to the dump; it is read back from there
    // rather than kept in memory for every row.
    std::string text(std::min(row.m_nHeaderLength, kMaxHeaderView), '\0');
    std::ifstream in(dump, std::ios::binary);
    if (row.m_nHeaderAt < 0 || !in.seekg(row.m_nHeaderAt)
        || !in.read(text.data(), static_cast<std::streamsize>(text.size()))) {
        Prompter::MessageBox(
            pParent, tr("The headers of this message cannot be read from %1.").arg(QString::fromStdString(dump)));
        return;
    }
    QDialog dlg(pParent->window());
    dlg.setObjectName(QStringLiteral("viewHeaders"));
    dlg.setWindowTitle(tr("Headers of message %1").arg(FromCp1252(row.m_sNum)));
    auto* pText = new QPlainTextEdit(&dlg);
    pText->setObjectName(QStringLiteral("headers"));
    pText->setReadOnly(true);
    pText->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    pText->setPlainText(ShownUtf8(ReadableHeaderBlock(text)));
    const int nChar = pText->fontMetrics().averageCharWidth();
    pText->setMinimumSize(80 * nChar, 24 * pText->fontMetrics().height());
    auto* pButtons = new QDialogButtonBox(QDialogButtonBox::Close, &dlg);
    connect(pButtons, &QDialogButtonBox::rejected, &dlg, &QDialog::reject);
    auto* pLayout = new QVBoxLayout(&dlg);
    pLayout->addWidget(pText, 1);
    pLayout->addWidget(pButtons);
    Prompter::RunModal(dlg);
}
