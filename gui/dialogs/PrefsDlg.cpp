#include "PrefsDlg.h"

#include "gui/dialogs/Autostart.h"
#include "gui/widgets/Prompter.h"
#include "gui/widgets/ScreenFit.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSpinBox>
#include <QPushButton>
#include <QVBoxLayout>

CPrefsDlg::CPrefsDlg(QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(tr("Preferences"));

    m_pAutoStart = new QCheckBox(tr("Automatically &Get Mavix on Launch"), this);
    m_pAutoStart->setObjectName(QStringLiteral("autoStart"));
    m_pExitAfter = new QCheckBox(tr("Automatically E&xit After Cancel or Purge"), this);
    m_pExitAfter->setObjectName(QStringLiteral("exitAfter"));
    m_pDefaultFilters = new QCheckBox(tr("Automatically Set the &Filter lists to the Default on Launch"), this);
    m_pDefaultFilters->setObjectName(QStringLiteral("defaultFilters"));

    // Off unless ticked: background checks, and copies of what is deleted
    // (they download whole messages).
    m_pCheck = new QCheckBox(tr("&Check for mail every"), this);
    m_pCheck->setObjectName(QStringLiteral("checkEvery"));
    m_pCheckMinutes = new QSpinBox(this);
    m_pCheckMinutes->setObjectName(QStringLiteral("checkMinutes"));
    // The spin boxes inside a sentence have no label of their own.
    m_pCheckMinutes->setAccessibleName(tr("Minutes between checks"));
    m_pCheckMinutes->setRange(kMinCheckMinutes, kMaxCheckMinutes);
    m_pKeepCopy = new QCheckBox(tr("&Keep a copy of deleted messages up to"), this);
    m_pKeepCopy->setObjectName(QStringLiteral("keepCopy"));
    m_pKeepKB = new QSpinBox(this);
    m_pKeepKB->setObjectName(QStringLiteral("keepKB"));
    m_pKeepKB->setAccessibleName(tr("Largest copy kept, in KB"));
    m_pKeepKB->setRange(1, kMaxKeepKB);
    m_pKeepDays = new QSpinBox(this);
    m_pKeepDays->setObjectName(QStringLiteral("keepDays"));
    m_pKeepDays->setAccessibleName(tr("Days a copy is kept"));
    m_pKeepDays->setRange(1, kMaxKeepDays);
    m_pWaitSeconds = new QSpinBox(this);
    m_pWaitSeconds->setObjectName(QStringLiteral("waitSeconds"));
    m_pWaitSeconds->setRange(ServerWait::kMinSeconds, ServerWait::kMaxSeconds);
    m_pAskBeforeDelete = new QCheckBox(tr("&Ask before deleting messages"), this);
    m_pAskBeforeDelete->setObjectName(QStringLiteral("askBeforeDelete"));
    m_pCheckAuthentication =
        new QCheckBox(tr("Mark mail whose sender failed the receiving server's checks (&DMARC, SPF)"), this);
    m_pCheckAuthentication->setObjectName(QStringLiteral("checkAuthentication"));
    m_pCheckNames = new QCheckBox(tr("Mark mail whose sender's &name shows another address or domain"), this);
    m_pCheckNames->setObjectName(QStringLiteral("checkNames"));
    m_pCheckLookAlikes = new QCheckBox(tr("Mark mail from domains that &look like well-known ones"), this);
    m_pCheckLookAlikes->setObjectName(QStringLiteral("checkLookAlikes"));
    m_pPreviewLines = new QSpinBox(this);
    m_pPreviewLines->setObjectName(QStringLiteral("previewLines"));
    m_pPreviewLines->setRange(0, kMaxPreviewLines);
    m_pPreviewLines->setSpecialValueText(tr("0 (no previews)"));
    m_pStartAtLogin = new QCheckBox(tr("S&tart Mavix when I log in"), this);
    m_pStartAtLogin->setObjectName(QStringLiteral("startAtLogin"));
    // Said only when the entry there would start nothing.
    m_pStartAtLoginNote = new QLabel(this);
    m_pStartAtLoginNote->setObjectName(QStringLiteral("startAtLoginNote"));
    m_pStartAtLoginNote->setWordWrap(true);
    m_pStartAtLoginNote->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_pStartAtLoginNote->hide();
    connect(m_pCheck, &QCheckBox::toggled, m_pCheckMinutes, &QWidget::setEnabled);
    connect(m_pKeepCopy, &QCheckBox::toggled, m_pKeepKB, &QWidget::setEnabled);
    connect(m_pKeepCopy, &QCheckBox::toggled, m_pKeepDays, &QWidget::setEnabled);

    auto* checkRow = new QHBoxLayout;
    checkRow->addWidget(m_pCheck);
    checkRow->addWidget(m_pCheckMinutes);
    checkRow->addWidget(new QLabel(tr("minutes"), this));
    checkRow->addStretch(1);
    auto* keepRow = new QHBoxLayout;
    keepRow->addWidget(m_pKeepCopy);
    keepRow->addWidget(m_pKeepKB);
    keepRow->addWidget(new QLabel(tr("KB, for"), this));
    keepRow->addWidget(m_pKeepDays);
    keepRow->addWidget(new QLabel(tr("days"), this));
    keepRow->addStretch(1);
    auto* waitRow = new QHBoxLayout;
    auto* waitLabel = new QLabel(tr("&Wait for the server up to"), this);
    waitLabel->setBuddy(m_pWaitSeconds);
    waitRow->addWidget(waitLabel);
    waitRow->addWidget(m_pWaitSeconds);
    waitRow->addWidget(new QLabel(tr("seconds"), this));
    waitRow->addStretch(1);
    auto* previewRow = new QHBoxLayout;
    auto* previewLabel = new QLabel(tr("&Preview the first"), this);
    previewLabel->setBuddy(m_pPreviewLines);
    previewRow->addWidget(previewLabel);
    previewRow->addWidget(m_pPreviewLines);
    previewRow->addWidget(new QLabel(tr("lines of a selected message"), this));
    previewRow->addStretch(1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CPrefsDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CPrefsDlg::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pAutoStart);
    layout->addWidget(m_pExitAfter);
    layout->addWidget(m_pDefaultFilters);
    layout->addWidget(m_pStartAtLogin);
    layout->addWidget(m_pStartAtLoginNote);
    layout->addLayout(checkRow);
    layout->addLayout(keepRow);
    layout->addLayout(waitRow);
    layout->addWidget(m_pAskBeforeDelete);
    layout->addLayout(previewRow);
    layout->addWidget(m_pCheckAuthentication);
    layout->addWidget(m_pCheckNames);
    layout->addWidget(m_pCheckLookAlikes);
    layout->addSpacing(8);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    screen_fit::FitToScreen(this);

    // OK holds the focus when the dialog opens, so Enter confirms at once;
    // Tab goes on to Cancel and then walks the boxes from the top.
    QPushButton* ok = buttons->button(QDialogButtonBox::Ok);
    QPushButton* cancel = buttons->button(QDialogButtonBox::Cancel);
    setTabOrder(ok, cancel);
    setTabOrder(cancel, m_pAutoStart);
    setTabOrder(m_pAutoStart, m_pExitAfter);
    setTabOrder(m_pExitAfter, m_pDefaultFilters);
    setTabOrder(m_pDefaultFilters, m_pStartAtLogin);
    setTabOrder(m_pStartAtLogin, m_pCheck);
    setTabOrder(m_pCheck, m_pCheckMinutes);
    setTabOrder(m_pCheckMinutes, m_pKeepCopy);
    setTabOrder(m_pKeepCopy, m_pKeepKB);
    setTabOrder(m_pKeepKB, m_pKeepDays);
    setTabOrder(m_pKeepDays, m_pWaitSeconds);
    setTabOrder(m_pWaitSeconds, m_pAskBeforeDelete);
    setTabOrder(m_pAskBeforeDelete, m_pPreviewLines);
    setTabOrder(m_pPreviewLines, m_pCheckAuthentication);
    setTabOrder(m_pCheckAuthentication, m_pCheckNames);
    setTabOrder(m_pCheckNames, m_pCheckLookAlikes);
}

void CPrefsDlg::accept()
{
    m_bExitAfter = m_pExitAfter->isChecked() ? 1 : 0;
    m_bAutoStart = m_pAutoStart->isChecked() ? 1 : 0;
    m_bDefaultFilters = m_pDefaultFilters->isChecked() ? 1 : 0;
    m_nCheckEvery = m_pCheck->isChecked() ? m_pCheckMinutes->value() : 0;
    m_nKeepCopyKB = m_pKeepCopy->isChecked() ? m_pKeepKB->value() : 0;
    m_nKeepCopyDays = m_pKeepDays->value();
    m_nWaitSeconds = m_pWaitSeconds->value();
    m_bAskBeforeDelete = m_pAskBeforeDelete->isChecked() ? 1 : 0;
    m_bCheckAuthentication = m_pCheckAuthentication->isChecked() ? 1 : 0;
    m_bCheckNames = m_pCheckNames->isChecked() ? 1 : 0;
    m_bCheckLookAlikes = m_pCheckLookAlikes->isChecked() ? 1 : 0;
    m_nPreviewLines = m_pPreviewLines->value();
    QString error;
    // An entry for another program, or for none, is written again for this one.
    const bool bOn = m_pStartAtLogin->isChecked();
    const Autostart::State state = Autostart::Inspect().m_state;
    const bool bCurrent = bOn ? state == Autostart::State::kThisProgram : state == Autostart::State::kOff;
    if (!bCurrent && !Autostart::Set(bOn, &error))
        Prompter::MessageBox(this, error);
    QDialog::accept();
}

void CPrefsDlg::showEvent(QShowEvent* event)
{
    if (!m_bInitialised) {
        m_bInitialised = true;
        const Autostart::Found entry = Autostart::Inspect();
        m_pStartAtLogin->setChecked(entry.m_state != Autostart::State::kOff);
        if (entry.m_state == Autostart::State::kNowhere) {
            const QString program = entry.m_sProgram.isEmpty() ? tr("no program") : entry.m_sProgram;
            m_pStartAtLoginNote->setText(tr("Mavix does not start when you log in: its entry %1 starts %2, which "
                                            "is not there. OK writes it again for %3.")
                                             .arg(Autostart::EntryPath(), program, Autostart::Program()));
            m_pStartAtLoginNote->show();
        }
        m_pExitAfter->setChecked(m_bExitAfter != 0);
        m_pAutoStart->setChecked(m_bAutoStart != 0);
        m_pDefaultFilters->setChecked(m_bDefaultFilters != 0);
        m_pCheck->setChecked(m_nCheckEvery > 0);
        m_pCheckMinutes->setValue(m_nCheckEvery > 0 ? m_nCheckEvery : kDefaultCheckMinutes);
        m_pCheckMinutes->setEnabled(m_nCheckEvery > 0);
        m_pKeepCopy->setChecked(m_nKeepCopyKB > 0);
        m_pKeepKB->setValue(m_nKeepCopyKB > 0 ? m_nKeepCopyKB : kDefaultKeepKB);
        m_pKeepKB->setEnabled(m_nKeepCopyKB > 0);
        m_pKeepDays->setValue(m_nKeepCopyDays);
        m_pKeepDays->setEnabled(m_nKeepCopyKB > 0);
        m_pWaitSeconds->setValue(m_nWaitSeconds);
        m_pAskBeforeDelete->setChecked(m_bAskBeforeDelete != 0);
        m_pCheckAuthentication->setChecked(m_bCheckAuthentication != 0);
        m_pCheckNames->setChecked(m_bCheckNames != 0);
        m_pCheckLookAlikes->setChecked(m_bCheckLookAlikes != 0);
        m_pPreviewLines->setValue(m_nPreviewLines);
        if (auto* buttons = findChild<QDialogButtonBox*>())
            buttons->button(QDialogButtonBox::Ok)->setFocus();
    }
    QDialog::showEvent(event);
}
