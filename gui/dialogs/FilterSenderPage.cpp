#include "FilterSenderPage.h"

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
