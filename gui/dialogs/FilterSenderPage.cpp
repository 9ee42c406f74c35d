#include "FilterSenderPage.h"

#include <QCoreApplication>
#include <QPushButton>

namespace {

QString Note(FilterKind kind)
{
    if (kind == kFilterTrusted)
        return QCoreApplication::translate("CFilterSenderPage",
                                           "Email from an address shown above, or from a domain shown with @ in "
                                           "front (@example.com), is never marked for deletion.");
    return QCoreApplication::translate("CFilterSenderPage",
                                       "If the sender's address is shown above, or its domain with @ in front "
                                       "(@example.com), the email is marked for deletion.");
}

}  // namespace

CFilterSenderPage::CFilterSenderPage(FilterKind kind, Filters& filters, QWidget* parent)
    : CFilterPage(kind, filters, Note(kind), parent)
{
    RestoreButton()->hide();
}
