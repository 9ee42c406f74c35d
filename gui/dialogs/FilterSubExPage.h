#pragma once

#include "gui/dialogs/FilterPage.h"

// "Subject Exact Filter": an entry marks a message when it equals the whole
// Subject, with case and Western accents ignored.
class CFilterSubExPage : public CFilterPage {
    Q_OBJECT
public:
    explicit CFilterSubExPage(Filters& filters, QWidget* parent = nullptr);
};
