#include "FilterSubExPage.h"

CFilterSubExPage::CFilterSubExPage(Filters& filters, QWidget* parent)
    : CFilterPage(kFilterSubjectExact, filters,
                  tr("If the Subject of the email exactly matches the text shown above, "
                     "the email is marked for deletion."),
                  parent)
{ }
