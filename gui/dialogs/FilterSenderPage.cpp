#include "FilterSenderPage.h"

#include "core/platform/Ascii.h"

#include <QPushButton>

namespace {

QString Note(FilterKind kind)
{
    if (kind == kFilterTrusted)
        return QStringLiteral("Email from an address shown above, or from a domain shown with @ in "
                              "front (@example.com), is never marked for deletion.");
    return QStringLiteral("If the sender's address is shown above, or its domain with @ in front "
                          "(@example.com), the email is marked for deletion.");
}

}  // namespace

CFilterSenderPage::CFilterSenderPage(FilterKind kind, Filters& filters, QWidget* parent)
    : CFilterPage(kind, filters, Note(kind), parent)
{
    RestoreButton()->hide();
}

std::string CFilterSenderPage::TrimAddress(const std::string& text)
{
    std::string_view entry = platform::TrimSpace(text);
    if (entry.size() >= 2 && entry.front() == '<' && entry.back() == '>')
        entry = platform::TrimSpace(entry.substr(1, entry.size() - 2));
    return std::string(entry);
}

std::string CFilterSenderPage::PrepareEntry(const std::string& text) const
{
    return TrimAddress(text);
}
