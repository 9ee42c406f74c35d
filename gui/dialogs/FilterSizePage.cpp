#include "FilterSizePage.h"

#include "core/storage/Filters.h"
#include "gui/widgets/Prompter.h"

#include <QTimer>

CFilterSizePage::CFilterSizePage(Filters& filters, QWidget* parent)
    : CFilterPage(kFilterSize, filters, QString(), parent)
{
    // The timer belongs to the page: a sheet closed before it fires takes
    // the hint with it, and the hint stays due for the next opening.
    m_pHintTimer = new QTimer(this);
    m_pHintTimer->setSingleShot(true);
    m_pHintTimer->setTimerType(Qt::PreciseTimer);
    m_pHintTimer->setInterval(kHintDelayMs);
    connect(m_pHintTimer, &QTimer::timeout, this, &CFilterSizePage::OnTimer);
}

void CFilterSizePage::OnInitDialog()
{
    CFilterPage::OnInitDialog();
    // Let the sheet appear first, so the hint stands in front of it.
    m_pHintTimer->start();
}

void CFilterSizePage::OnTimer()
{
    if (m_filters.m_bNoStoredFilters) {
        Prompter::MessageBox(this,
                             tr("You can load a default set of filters.\n\n"
                                "Click the Restore Defaults button."));
        m_filters.m_bNoStoredFilters = 0;
    }
    emit HintChecked();
}
