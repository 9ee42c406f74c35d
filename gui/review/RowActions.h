#pragma once

#include "core/filters/FilterLists.h"
#include "core/rows/MessageRow.h"
#include "core/storage/Filters.h"

#include <QObject>
#include <string>

class QMenu;
class QWidget;
class SettingsStore;

// What a grid row offers beside its check box: its context menu ("Trust
// this sender", "Always flag this sender", "Flag Subjects that are exactly
// "…"", "View Headers…"), the list edits behind it, and the header view.
// The rows are judged again by whoever listens to ListsChanged.
class CRowActions : public QObject {
    Q_OBJECT
public:
    CRowActions(Filters& filters, SettingsStore& settings, QWidget* pParent);

    // The menu of `row`, whose scan wrote its headers to `dump`. The caller
    // owns it.
    QMenu* Menu(const MessageRow& row, const std::string& dump, QWidget* pParent);
    // Adds the entry to a list (upper case) and saves the lists.
    void AddToList(FilterKind kind, FilterEntry entry);
    // The header block of `row`, read back from the dump, in a dialog.
    static void ViewHeaders(const MessageRow& row, const std::string& dump, QWidget* pParent);

signals:
    // A list gained an entry (or had it already): judge the rows again.
    void ListsChanged();

private:
    Filters& m_filters;
    SettingsStore& m_settings;
    QWidget* m_pParent;
};
