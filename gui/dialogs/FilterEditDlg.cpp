#include "FilterEditDlg.h"

#include "core/filters/Classify.h"
#include "core/filters/FilterLists.h"
#include "core/platform/Cp1252.h"
#include "gui/widgets/Text.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

CFilterEditDlg::CFilterEditDlg(QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Add Filter"));

    m_edit = new QLineEdit(this);
    m_edit->setObjectName(QStringLiteral("filter"));
    m_edit->setMinimumWidth(50 * fontMetrics().averageCharWidth());

    // In the order of SubjectMatch.
    m_pMatch = new QComboBox(this);
    m_pMatch->setObjectName(QStringLiteral("match"));
    m_pMatch->addItem(QStringLiteral("contains this text anywhere, even inside a word"));
    m_pMatch->addItem(QStringLiteral("has this text as a whole word or phrase"));
    m_pMatch->addItem(QStringLiteral("matches this regular expression"));
    m_pMatchLabel = new QLabel(QStringLiteral("Flag a Subject that"), this);
    m_pMatchLabel->setBuddy(m_pMatch);

    m_pProblem = new QLabel(this);
    m_pProblem->setObjectName(QStringLiteral("problem"));
    m_pProblem->setWordWrap(true);
    QPalette palette = m_pProblem->palette();
    palette.setColor(QPalette::WindowText, QColor(0xB0, 0x00, 0x20));
    m_pProblem->setPalette(palette);
    m_pProblem->hide();

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CFilterEditDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CFilterEditDlg::reject);
    // The note goes away as soon as the user starts correcting the entry.
    connect(m_edit, &QLineEdit::textEdited, m_pProblem, &QLabel::hide);
    connect(m_pMatch, &QComboBox::activated, m_pProblem, &QLabel::hide);

    auto* match = new QHBoxLayout;
    match->addWidget(m_pMatchLabel);
    match->addWidget(m_pMatch, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(match);
    layout->addWidget(m_edit);
    layout->addWidget(m_pProblem);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

QString CFilterEditDlg::EntryProblem(const QString& text)
{
    return EntryProblem(text, false, SubjectMatch::kContains);
}

QString CFilterEditDlg::EntryProblem(const QString& text, bool bUnicode, SubjectMatch match)
{
    // The stored list ends at its first empty value, so an empty entry would
    // cut off every entry after it at the next start; an entry of blanks
    // alone would match almost every subject and mark it for deletion.
    if (text.trimmed().isEmpty())
        return QStringLiteral("Type the text of the filter.");
    const std::string utf8 = text.toStdString();
    if (match == SubjectMatch::kPattern) {
        const std::string problem = PatternProblem(utf8);
        if (!problem.empty())
            return QString::fromStdString(problem);
    }
    bool bLossy = false;
    const std::string bytes = platform::Utf8ToCp1252(utf8, &bLossy);
    if (bLossy && !bUnicode)
        return QStringLiteral("This list can only hold Western (Windows-1252) characters.");
    // A longer value reads back as absent and would end the stored list.
    if (!bLossy && match != SubjectMatch::kPattern && bytes.size() > kMaxFilterEntry) {
        return QStringLiteral("A filter can be at most %1 characters long; this one has %2.")
            .arg(kMaxFilterEntry)
            .arg(bytes.size());
    }
    std::string why;
    if (!FilterLists::IsStorable(FilterEntry::FromUtf8(utf8, match), &why))
        return QString::fromStdString(why);
    return {};
}

SubjectMatch CFilterEditDlg::ChosenMatch() const
{
    return m_bModes ? static_cast<SubjectMatch>(m_pMatch->currentIndex()) : SubjectMatch::kContains;
}

void CFilterEditDlg::accept()
{
    const SubjectMatch match = ChosenMatch();
    const QString problem = EntryProblem(m_edit->text(), m_bUnicode, match);
    if (!problem.isEmpty()) {
        m_pProblem->setText(problem);
        m_pProblem->show();
        m_edit->setFocus();
        return;
    }
    if (m_bUnicode) {
        const FilterEntry entry = FilterEntry::FromUtf8(m_edit->text().toStdString(), match);
        m_sFilter = entry.m_sText;
        m_bUtf8 = entry.m_bUtf8;
    } else {
        m_sFilter = ToCp1252(m_edit->text());
        m_bUtf8 = false;
    }
    m_match = match;
    QDialog::accept();
}

void CFilterEditDlg::showEvent(QShowEvent* event)
{
    if (!m_bInitialised) {
        m_bInitialised = true;
        m_edit->setText(m_bUtf8 ? QString::fromStdString(m_sFilter) : FromCp1252(m_sFilter));
        m_pMatch->setCurrentIndex(static_cast<int>(m_match));
        m_pMatch->setVisible(m_bModes);
        m_pMatchLabel->setVisible(m_bModes);
        if (m_bEdit)
            setWindowTitle(QStringLiteral("Edit Filter"));
        m_edit->setFocus();
    }
    QDialog::showEvent(event);
}
