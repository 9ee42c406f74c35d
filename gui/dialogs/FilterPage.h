#pragma once

#include "core/filters/FilterLists.h"

#include <QWidget>
#include <string>
#include <vector>

class CFilterEditDlg;
class Filters;
class QListWidget;
class QPushButton;

// One page of the "Manage Filters" sheet: one active list in a sorted list
// box with Add, Delete, Edit and Restore Defaults. Edits stay in the list box
// until the sheet is confirmed; then OnOK copies the box into the active
// list. A page is filled the first time it is shown, so a page the user
// never opened leaves its list exactly as it was.
class CFilterPage : public QWidget {
    Q_OBJECT
public:
    CFilterPage(FilterKind kind, Filters& filters, const QString& note, QWidget* parent = nullptr);

    FilterKind Kind() const { return m_nKind; }
    // The page has been shown (and filled from its active list).
    bool IsInitialised() const { return m_bInitialised; }

    // The list box's entries' texts in its order (Windows-1252 bytes, or
    // UTF-8 for a Unicode entry or a pattern).
    std::vector<std::string> Entries() const;
    // The same entries whole, with their modes.
    std::vector<FilterEntry> FilterEntries() const;
    // Selects the entry at index (nothing when out of range) and shows it.
    void SelectEntry(int index);
    // Index of the selected entry, or -1.
    int SelectedIndex() const;

    // Prepares the text as this page's kind of entry and adds it, selected:
    // a Windows-1252 "contains" entry, or the entry given.
    void AddFilter(const std::string& text);
    void AddFilter(FilterEntry entry);
    // The sheet was confirmed: the active list becomes the list box.
    void OnOK();

    QListWidget* List() const { return m_list; }
    QPushButton* AddButton() const { return m_btnAdd; }
    QPushButton* DeleteButton() const { return m_btnDelete; }
    QPushButton* EditButton() const { return m_btnEdit; }
    QPushButton* RestoreButton() const { return m_btnRestore; }

protected:
    // Runs once, when the page is first shown.
    virtual void OnInitDialog();
    void showEvent(QShowEvent* event) override;

    Filters& m_filters;

private slots:
    void OnAddFilter();
    void OnDeleteFilter();
    void OnEditFilter();
    void OnRestoreDefaults();
    void OnSelchangeList();

private:
    void FillListBox(const std::vector<FilterEntry>& entries);
    void DeleteSelected();
    // Inserts at the place the list box's sort gives; returns the index.
    int InsertSorted(const FilterEntry& entry);
    // What this page's list takes: Unicode text, match modes.
    void SetUpEditor(CFilterEditDlg& dlg) const;

    const FilterKind m_nKind;
    QPushButton* m_btnEdit;
    QPushButton* m_btnDelete;
    QListWidget* m_list;
    QPushButton* m_btnAdd;
    QPushButton* m_btnRestore;
    bool m_bInitialised = false;
};
