#include "PrefsDlg.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QVBoxLayout>

CPrefsDlg::CPrefsDlg(QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Preferences"));

    m_pAutoStart = new QCheckBox(QStringLiteral("Automatically Get Mavix on Launch"), this);
    m_pAutoStart->setObjectName(QStringLiteral("autoStart"));
    m_pExitAfter = new QCheckBox(QStringLiteral("Automatically Exit After Cancel or Purge"), this);
    m_pExitAfter->setObjectName(QStringLiteral("exitAfter"));
    m_pDefaultFilters = new QCheckBox(
        QStringLiteral("Automatically Set the Filter lists to the Default on Launch"), this);
    m_pDefaultFilters->setObjectName(QStringLiteral("defaultFilters"));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CPrefsDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CPrefsDlg::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pAutoStart);
    layout->addWidget(m_pExitAfter);
    layout->addWidget(m_pDefaultFilters);
    layout->addSpacing(8);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    // OK holds the focus when the dialog opens, so Enter confirms at once;
    // Tab goes on to Cancel and then walks the boxes from the top.
    QPushButton* ok = buttons->button(QDialogButtonBox::Ok);
    QPushButton* cancel = buttons->button(QDialogButtonBox::Cancel);
    setTabOrder(ok, cancel);
    setTabOrder(cancel, m_pAutoStart);
    setTabOrder(m_pAutoStart, m_pExitAfter);
    setTabOrder(m_pExitAfter, m_pDefaultFilters);
}

void CPrefsDlg::accept()
{
    m_bExitAfter = m_pExitAfter->isChecked() ? 1 : 0;
    m_bAutoStart = m_pAutoStart->isChecked() ? 1 : 0;
    m_bDefaultFilters = m_pDefaultFilters->isChecked() ? 1 : 0;
    QDialog::accept();
}

void CPrefsDlg::showEvent(QShowEvent* event)
{
    if (!m_bInitialised) {
        m_bInitialised = true;
        m_pExitAfter->setChecked(m_bExitAfter != 0);
        m_pAutoStart->setChecked(m_bAutoStart != 0);
        m_pDefaultFilters->setChecked(m_bDefaultFilters != 0);
        if (auto* buttons = findChild<QDialogButtonBox*>())
            buttons->button(QDialogButtonBox::Ok)->setFocus();
    }
    QDialog::showEvent(event);
}
