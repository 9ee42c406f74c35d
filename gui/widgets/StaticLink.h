#pragma once

#include <QColor>
#include <QLabel>
#include <QString>
#include <functional>

class QTimer;
class QUrl;

// The project's own addresses, shown in the About box.
inline constexpr char kMavixMailAddress[] = "mavix@example.org";
inline constexpr char kMavixWebAddress[] = "https://www.example.org/mavix";

// A label that works as a hyperlink: underlined, blue until its target has
// been opened and purple after, a pointing hand while hovered. A click asks
// the desktop to open the target (a web page, or a new mail for a mail
// address); a failure only beeps.
//
// Whether the link counts as visited is not the label's own: it reads and
// sets an int the owner provides, so the visited colour outlives the dialog.
class CStaticLink : public QLabel {
    Q_OBJECT
public:
    explicit CStaticLink(const QString& text = QString(), QWidget* parent = nullptr);

    // The int that says "visited" (1) or not (0); the owner keeps it alive
    // for the label's lifetime. Without one the label keeps its own.
    void SetVisitedFlag(int* pbVisited);
    int* GetVisitedFlag() const { return m_pbVisited; }

    // What a click opens; when empty, the first click takes the label's text.
    void SetTarget(const QString& target) { m_sTarget = target; }
    QString Target() const { return m_sTarget; }

    // True during the pause after a click, while pointer moves are ignored.
    bool InClickPause() const { return m_bClicked; }
    bool IsHovered() const { return m_bHover; }

    // Performs a click, as the mouse does.
    void Click();

    static constexpr QColor kUnvisited = QColor(0, 0, 255);
    static constexpr QColor kVisited = QColor(128, 0, 128);
    static constexpr int kClickPauseMs = 1000;

    // Opens a URL on the desktop; true when it was handed over. Tests install
    // their own; an empty function restores QDesktopServices::openUrl.
    using Opener = std::function<bool(const QUrl& url)>;
    static void SetOpener(Opener opener);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private slots:
    void OnTimer();

private:
    void SetHover(bool bHover);
    void ApplyColour();

    int* m_pbVisited;
    int m_bOwnVisited = 0;
    int m_bHover = 0;
    int m_bClicked = 0;
    bool m_bPressed = false;
    QString m_sTarget;
    QTimer* m_pPauseTimer;
};
