#pragma once

#include "gui/dialogs/FilterPage.h"

// "Senders" and "Trusted senders": an entry is an address, or "@domain" for
// every address of a domain, compared with a message's Email without regard
// to case. A sender on the first list marks the message; one on the second
// keeps it unmarked whatever the other lists say. Neither has defaults.
class CFilterSenderPage : public CFilterPage {
    Q_OBJECT
public:
    // kind: kFilterSender or kFilterTrusted.
    CFilterSenderPage(FilterKind kind, Filters& filters, QWidget* parent = nullptr);
};
