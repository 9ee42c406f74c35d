#pragma once

#include <QWidget>

#include "core/session/ScreeningEngine.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;

// The start of the selected row's message, read-only plain text: its From,
// To, Date and Subject, its attachments (a name hiding a program behind a
// document's extension marked), the text, and whether it was cut. Plain
// text only: no markup is ever interpreted, nothing is loaded. The view
// asks the session for a preview and hands each one here; the pane asks
// for more lines through MoreWanted.
class PreviewPane : public QWidget {
    Q_OBJECT
public:
    explicit PreviewPane(QWidget* parent = nullptr);

    // "Show more": this many more body lines each time, up to
    // PreviewJob::kMaxLines.
    static constexpr int kMoreLines = 200;

    // Row nNum's preview of nLines lines was asked for.
    void ShowWaiting(int nNum, int nLines);
    // A preview, or why there is none; one for another row than the last
    // asked for is dropped.
    void ShowPreview(const PreviewReady& ready);
    // Nothing selected, or previews turned off (bOff).
    void ShowNothing(bool bOff);

    int Num() const { return m_nNum; }

    // The text shown for a preview (the pane's own words around the
    // message's).
    static QString PreviewText(const PreviewReady& ready);

signals:
    void MoreWanted(int nNum, int nLines);

private:
    void SetTitle(const QString& title);

    QLabel* m_pTitle;
    QPlainTextEdit* m_pText;
    QPushButton* m_pMore;
    int m_nNum = 0;
    int m_nLines = 0;
};
