#pragma once

#include <QDialog>
#include <string>

class QLabel;
class QLineEdit;

// Takes the text of one filter entry, for Add and for Edit. The caller sets
// m_bEdit and m_sFilter, runs the dialog modally and, when it was accepted,
// reads m_sFilter (Windows-1252 bytes, as typed).
class CFilterEditDlg : public QDialog {
    Q_OBJECT
public:
    explicit CFilterEditDlg(QWidget* parent = nullptr);

    int m_bEdit = 0;
    std::string m_sFilter;

    // Why the text cannot be a filter entry, or empty when it can.
    static QString EntryProblem(const QString& text);

public slots:
    void accept() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    QLineEdit* m_edit;
    QLabel* m_pProblem;
    bool m_bInitialised = false;
};
