#pragma once

#include <QDialog>
#include <string>

class QLabel;
class QTableWidget;

// Help › "Recently Deleted…": the journal of deletions as a read-only
// table, newest first. Not modal; read again each time it is shown.
class CRecentlyDeletedWindow : public QDialog {
    Q_OBJECT
public:
    // journalFolder: empty for the journal at its usual place.
    explicit CRecentlyDeletedWindow(QWidget* parent = nullptr, std::string journalFolder = {});

    void Reload();
    QTableWidget* Table() const { return m_pTable; }

    enum Column { kTime, kSize, kFrom, kSubject, kReason, kAccount, kUidl, kColumns };

protected:
    void showEvent(QShowEvent* event) override;

private:
    std::string m_sFolder;
    QLabel* m_pSummary;
    QTableWidget* m_pTable;
    bool m_bSized = false;
};
