#pragma once

class Filters;
class QWidget;
class SettingsStore;

// The "Manage Filters" sheet: one page per list (size, subject, subject
// exact, senders, trusted senders), OK and Cancel. Runs modally through
// Prompter::RunModal. On OK each page the user opened replaces its active
// list in filters.m_filters, and all the lists are saved; on Cancel nothing changes. Rows already shown
// are not classified again: the lists apply from the next scan.
// Returns QDialog::Accepted or QDialog::Rejected.
int ManageFilters(QWidget* parent, Filters& filters, SettingsStore& settings);
