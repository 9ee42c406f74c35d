#include "FilterSubPage.h"

#include "core/filters/EntryRules.h"

CFilterSubPage::CFilterSubPage(Filters& filters, QWidget* parent)
    : CFilterPage(kFilterSubject, filters,
                  tr("If the Subject holds an entry's text (anywhere, or as a whole word, as shown "
                     "beside it) or matches its regular expression, the email is marked for "
                     "deletion. Case and accents do not matter."),
                  parent)
{ }

std::string CFilterSubPage::FoldEntry(const std::string& text)
{
    return entry_rules::FoldEntry(text);
}
