#pragma once

#include <QDialog>
#include <memory>
#include <string>

class QLabel;
class QPushButton;
class QTableWidget;
class QTemporaryDir;

// Help › "Recently Deleted…": the journal of deletions as a read-only
// table, newest first. Not modal; read again each time it is shown. POP3
// cannot put a message back on the server; where a copy was kept
// (QuarantineMaildir, found by account and UIDL) the current row's copy can
// be saved as an .eml file named after its Subject or opened in the user's
// mail program, and the copies of every selected row saved into a folder.
class CRecentlyDeletedWindow : public QDialog {
    Q_OBJECT
public:
    // journalFolder: empty for the journal at its usual place.
    explicit CRecentlyDeletedWindow(QWidget* parent = nullptr, std::string journalFolder = {});
    ~CRecentlyDeletedWindow() override;

    void Reload();
    QTableWidget* Table() const { return m_pTable; }

    enum Column { kTime, kSize, kFrom, kSubject, kReason, kCopy, kAccount, kUidl, kColumns };

    // The current row's kept copy: asks where with a file dialog (through
    // Prompter::RunModal) and writes it there; false when cancelled or it
    // could not be written (the user is told).
    bool SaveCopy();
    // Asks for a folder (through Prompter::RunModal) and saves there the
    // kept copy of every selected row, each named after its Subject; tells
    // the user what was saved and what was not. The number saved.
    int SaveAll();
    // Opens a private temporary copy of it with the desktop's mail program
    // (xdg-open); says so when none could be opened, which xdg-open tells
    // only by its exit status, after this returns.
    bool OpenCopy();

protected:
    void showEvent(QShowEvent* event) override;

private:
    // The kept copy of a row, empty when it has none (any more).
    QString CopyOf(int row) const;
    QString CurrentCopy() const;
    // The selected rows, top to bottom.
    QList<int> SelectedRows() const;
    void TellOpenFailed(const QString& detail);
    void UpdateButtons();

    std::string m_sFolder;
    QPushButton* m_pSave;
    QPushButton* m_pSaveAll;
    QPushButton* m_pOpen;
    std::unique_ptr<QTemporaryDir> m_pOpened;  // copies handed to the mail program, 0700
    QLabel* m_pSummary;
    QTableWidget* m_pTable;
    bool m_bSized = false;
};
