#include "FilterEditDlg.h"

#include "filters/FilterLists.h"
#include "platform/Cp1252.h"
#include "ui/Text.h"

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
    // The note goes away as soon as the user starts correcting the text.
    connect(m_edit, &QLineEdit::textEdited, m_pProblem, &QLabel::hide);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_edit);
    layout->addWidget(m_pProblem);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

QString CFilterEditDlg::EntryProblem(const QString& text)
{
    // The stored list ends at its first empty value, so an empty entry would
    // cut off every entry after it at the next start; an entry of blanks
    // alone would match almost every subject and mark it for deletion.
    if (text.trimmed().isEmpty())
        return QStringLiteral("Type the text of the filter.");
    bool bLossy = false;
    const std::string bytes = platform::Utf8ToCp1252(text.toStdString(), &bLossy);
    if (bLossy)
        return QStringLiteral("A filter can only hold Western (Windows-1252) characters.");
    // A longer value reads back as absent and would end the stored list.
    if (bytes.size() > kMaxFilterEntry) {
        return QStringLiteral("A filter can be at most %1 characters long; this one has %2.")
            .arg(kMaxFilterEntry)
            .arg(bytes.size());
    }
    return {};
}

void CFilterEditDlg::accept()
{
    const QString problem = EntryProblem(m_edit->text());
    if (!problem.isEmpty()) {
        m_pProblem->setText(problem);
        m_pProblem->show();
        m_edit->setFocus();
        return;
    }
    m_sFilter = ToCp1252(m_edit->text());
    QDialog::accept();
}

void CFilterEditDlg::showEvent(QShowEvent* event)
{
    if (!m_bInitialised) {
        m_bInitialised = true;
        m_edit->setText(FromCp1252(m_sFilter));
        if (m_bEdit)
            setWindowTitle(QStringLiteral("Edit Filter"));
        m_edit->setFocus();
    }
    QDialog::showEvent(event);
}
