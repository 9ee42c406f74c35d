#include "FilterEditDlg.h"

#include "core/filters/EntryRules.h"
#include "gui/widgets/ScreenFit.h"
#include "gui/widgets/Text.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

CFilterEditDlg::CFilterEditDlg(QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(tr("Add Filter"));

    m_edit = new QLineEdit(this);
    m_edit->setObjectName(QStringLiteral("filter"));
    m_edit->setAccessibleName(tr("Filter"));
    m_edit->setMinimumWidth(50 * fontMetrics().averageCharWidth());

    // In the order of SubjectMatch.
    m_pMatch = new QComboBox(this);
    m_pMatch->setObjectName(QStringLiteral("match"));
    m_pMatch->addItem(tr("contains this text anywhere, even inside a word"));
    m_pMatch->addItem(tr("has this text as a whole word or phrase"));
    m_pMatch->addItem(tr("matches this regular expression"));
    m_pMatchLabel = new QLabel(tr("&Flag a Subject that"), this);
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
    screen_fit::FitToScreen(this);
}

QString CFilterEditDlg::EntryProblem(const QString& text)
{
    return EntryProblem(text, false, SubjectMatch::kContains);
}

QString CFilterEditDlg::EntryProblem(const QString& text, bool bUnicode, SubjectMatch match)
{
    return QString::fromStdString(entry_rules::EntryProblem(text.toStdString(), bUnicode, match));
}

SubjectMatch CFilterEditDlg::ChosenMatch() const
{
    return m_bModes ? static_cast<SubjectMatch>(m_pMatch->currentIndex()) : SubjectMatch::kContains;
}

void CFilterEditDlg::accept()
{
    const SubjectMatch match = ChosenMatch();
    QString problem = EntryProblem(m_edit->text(), m_bUnicode, match);
    if (problem.isEmpty() && m_bSizes)
        problem = QString::fromStdString(entry_rules::SizeEntryProblem(m_edit->text().toStdString()));
    if (!problem.isEmpty()) {
        m_pProblem->setText(problem);
        m_pProblem->show();
        m_edit->setFocus();
        return;
    }
    const FilterEntry entry = entry_rules::TypedEntry(m_edit->text().toStdString(), m_bUnicode, match);
    m_sFilter = entry.m_sText;
    m_bUtf8 = entry.m_bUtf8;
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
            setWindowTitle(tr("Edit Filter"));
        m_edit->setFocus();
    }
    QDialog::showEvent(event);
}
