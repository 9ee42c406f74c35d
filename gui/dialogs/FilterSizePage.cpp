#include "FilterSizePage.h"

#include "core/storage/Filters.h"

#include <QLabel>
#include <QLayout>

CFilterSizePage::CFilterSizePage(Filters& filters, QWidget* parent)
    : CFilterPage(kFilterSize, filters,
                  tr("An entry is a size as the Size column shows it, such as 113K, or \">\" and a size a message "
                     "must exceed, such as >500K or >2M."),
                  parent)
{
    if (!filters.m_bNoStoredFilters)
        return;
    auto* hint = new QLabel(tr("You can load a default set of filters: click the Restore Defaults button."), this);
    hint->setObjectName(QStringLiteral("defaultsHint"));
    hint->setWordWrap(true);
    layout()->addWidget(hint);
}
