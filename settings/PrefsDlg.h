#pragma once

#include <QDialog>

class QCheckBox;

// The three launch and exit preferences. The owner copies its flags in,
// runs the dialog modally and reads them back only when it was accepted;
// nothing here starts a scan or touches the filter lists.
class CPrefsDlg : public QDialog {
    Q_OBJECT
public:
    explicit CPrefsDlg(QWidget* parent = nullptr);

    int m_bExitAfter = 0;
    int m_bAutoStart = 0;
    int m_bDefaultFilters = 0;

public slots:
    void accept() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    QCheckBox* m_pAutoStart;
    QCheckBox* m_pExitAfter;
    QCheckBox* m_pDefaultFilters;
    bool m_bInitialised = false;
};
