#pragma once

#include "core/storage/ServerWait.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QSpinBox;

// The three launch and exit preferences. The owner copies its flags in,
// runs the dialog modally and reads them back only when it was accepted;
// nothing here starts a scan or touches the filter lists. "Start Mavix when
// I log in" is no setting but the login's autostart entry (Autostart): the
// box shows whether it is there (and says so when it would start nothing),
// and OK writes it for this program or removes it.
class CPrefsDlg : public QDialog {
    Q_OBJECT
public:
    explicit CPrefsDlg(QWidget* parent = nullptr);

    int m_bExitAfter = 0;
    int m_bAutoStart = 0;
    int m_bDefaultFilters = 0;
    // Background checks every m_nCheckEvery minutes (0: off), and copies of
    // deleted messages up to m_nKeepCopyKB (0: off), kept m_nKeepCopyDays.
    int m_nCheckEvery = 0;
    int m_nKeepCopyKB = 0;
    int m_nKeepCopyDays = 30;
    // The silence a server may keep within a reply (ServerWait's range).
    int m_nWaitSeconds = ServerWait::kDefaultSeconds;
    // The question before each purge (on unless the user said otherwise).
    int m_bAskBeforeDelete = 1;
    // The sender signals (Preferences: CheckAuthentication, CheckNames,
    // CheckLookAlikes), on by default.
    int m_bCheckAuthentication = 1;
    int m_bCheckNames = 1;
    int m_bCheckLookAlikes = 1;
    // "Preview the first L lines" of a selected row (0: no previews).
    int m_nPreviewLines = 40;
    static constexpr int kMaxPreviewLines = 1000;  // Preferences::kMaxPreviewLines

    static constexpr int kMinCheckMinutes = 5;
    static constexpr int kMaxCheckMinutes = 1440;
    static constexpr int kDefaultCheckMinutes = 15;
    static constexpr int kMaxKeepKB = 50 * 1024;  // as the Maildir of copies takes them
    static constexpr int kDefaultKeepKB = 500;
    static constexpr int kMaxKeepDays = 3650;

public slots:
    void accept() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    QCheckBox* m_pStartAtLogin;
    QLabel* m_pStartAtLoginNote;
    QCheckBox* m_pAutoStart;
    QCheckBox* m_pExitAfter;
    QCheckBox* m_pDefaultFilters;
    QCheckBox* m_pCheck;
    QSpinBox* m_pCheckMinutes;
    QCheckBox* m_pKeepCopy;
    QSpinBox* m_pKeepKB;
    QSpinBox* m_pKeepDays;
    QSpinBox* m_pWaitSeconds;
    QCheckBox* m_pAskBeforeDelete;
    QCheckBox* m_pCheckAuthentication;
    QCheckBox* m_pCheckNames;
    QCheckBox* m_pCheckLookAlikes;
    QSpinBox* m_pPreviewLines;
    bool m_bInitialised = false;
};
