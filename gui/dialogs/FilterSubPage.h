#pragma once

#include "gui/dialogs/FilterPage.h"

// "Subject Filter": an entry marks a message when it occurs in the Subject
// in the entry's mode (SubjectMatch), with case and Western accents ignored.
class CFilterSubPage : public CFilterPage {
    Q_OBJECT
public:
    explicit CFilterSubPage(Filters& filters, QWidget* parent = nullptr);

    // Folds each accented letter of a typed subject entry to its plain
    // capital; every other byte keeps its case.
    static std::string FoldEntry(const std::string& text);
};
