#pragma once

#include "core/filters/FilterLists.h"

#include <QDialog>
#include <string>

class QComboBox;
class QLabel;
class QLineEdit;

// Takes the text of one filter entry, for Add and for Edit. The caller sets
// m_bEdit, m_sFilter (with m_bUtf8 and m_match for a Subject entry) and what
// the list takes (m_bUnicode, m_bModes), runs the dialog modally and, when
// it was accepted, reads them back: m_sFilter is Windows-1252 bytes as
// typed, or UTF-8 when m_bUtf8 (FilterEntry::FromUtf8).
class CFilterEditDlg : public QDialog {
    Q_OBJECT
public:
    explicit CFilterEditDlg(QWidget* parent = nullptr);

    int m_bEdit = 0;
    std::string m_sFilter;
    bool m_bUtf8 = false;
    SubjectMatch m_match = SubjectMatch::kContains;
    // The list takes any Unicode text (the Subject lists); else only
    // Windows-1252, as the size and sender lists compare bytes.
    bool m_bUnicode = false;
    // The list has match modes (the Subject list): the dialog offers them.
    bool m_bModes = false;
    // The list holds sizes: ">" entries must be sizes a message can exceed.
    bool m_bSizes = false;

    // Why the text cannot be a filter entry, or empty when it can: of a
    // Windows-1252 list, and of a list taking Unicode text in a mode.
    static QString EntryProblem(const QString& text);
    static QString EntryProblem(const QString& text, bool bUnicode, SubjectMatch match);

public slots:
    void accept() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    SubjectMatch ChosenMatch() const;

    QLineEdit* m_edit;
    QComboBox* m_pMatch;
    QLabel* m_pMatchLabel;
    QLabel* m_pProblem;
    bool m_bInitialised = false;
};
