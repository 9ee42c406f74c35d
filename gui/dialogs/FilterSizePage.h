#pragma once

#include "gui/dialogs/FilterPage.h"

// "Size Filter": entries compared with the size text the Size column shows
// ("113K"), or a size a message must exceed (">500K"). It is the page the
// sheet opens on, so it also tells a user who has stored no lists that the
// default ones can be loaded: a line on the page, never a box in the way.
class CFilterSizePage : public CFilterPage {
    Q_OBJECT
public:
    explicit CFilterSizePage(Filters& filters, QWidget* parent = nullptr);
};
