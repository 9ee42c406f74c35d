#include "FilterSubPage.h"

#include "core/filters/Classify.h"

CFilterSubPage::CFilterSubPage(Filters& filters, QWidget* parent)
    : CFilterPage(kFilterSubject, filters,
                  QStringLiteral("If the Subject holds an entry's text (anywhere, or as a whole word, as shown "
                                 "beside it) or matches its regular expression, the email is marked for "
                                 "deletion. Case and accents do not matter."),
                  parent)
{
}

std::string CFilterSubPage::FoldEntry(const std::string& text)
{
    std::string entry = text;
    for (char& c : entry)
        c = static_cast<char>(FoldAccent(static_cast<unsigned char>(c)));
    return entry;
}

std::string CFilterSubPage::PrepareEntry(const std::string& text) const
{
    return FoldEntry(text);
}
