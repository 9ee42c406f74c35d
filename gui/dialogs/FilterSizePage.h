#pragma once

#include "gui/dialogs/FilterPage.h"

class QTimer;

// "Size Filter": entries compared with the upper-case size text ("113K").
// It is the page the sheet opens on, so it also offers the default lists
// once to a user who has stored none.
class CFilterSizePage : public CFilterPage {
    Q_OBJECT
public:
    explicit CFilterSizePage(Filters& filters, QWidget* parent = nullptr);

    // How long after the page first shows the hint is considered.
    static constexpr int kHintDelayMs = 200;

signals:
    // The hint's moment has passed (whether or not it was shown).
    void HintChecked();

protected:
    void OnInitDialog() override;

private slots:
    void OnTimer();

private:
    QTimer* m_pHintTimer;
};
