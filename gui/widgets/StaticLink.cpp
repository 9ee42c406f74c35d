#include "StaticLink.h"

#include "core/platform/Trace.h"
#include "gui/widgets/Prompter.h"

#include <QDesktopServices>
#include <QMouseEvent>
#include <QPalette>
#include <QTimer>
#include <QUrl>

namespace {

CStaticLink::Opener g_opener;

// A target holding the user part of our mail address and the '@' is a mail
// address, which the desktop opens as a new message only as a mailto: URL
// (RFC 6068).
QString MailMarker()
{
    const QString address = QString::fromLatin1(kMavixMailAddress);
    return address.left(address.indexOf(QLatin1Char('@')) + 1);
}

}  // namespace

CStaticLink::CStaticLink(const QString& text, QWidget* parent)
    : QLabel(text, parent),
      m_pbVisited(&m_bOwnVisited)
{
    setTextFormat(Qt::PlainText);
    // Only the underline is ours; family and size still follow the dialog.
    QFont font;
    font.setUnderline(true);
    setFont(font);
    setMouseTracking(true);

    m_pPauseTimer = new QTimer(this);
    m_pPauseTimer->setSingleShot(true);
    m_pPauseTimer->setInterval(kClickPauseMs);
    connect(m_pPauseTimer, &QTimer::timeout, this, &CStaticLink::OnTimer);
    ApplyColour();
}

void CStaticLink::SetOpener(Opener opener)
{
    g_opener = std::move(opener);
}

void CStaticLink::SetVisitedFlag(int* pbVisited)
{
    m_pbVisited = pbVisited ? pbVisited : &m_bOwnVisited;
    ApplyColour();
}

void CStaticLink::ApplyColour()
{
    const QColor colour = *m_pbVisited ? kVisited : kUnvisited;
    if (palette().color(QPalette::WindowText) == colour)
        return;
    QPalette linkPalette = palette();
    linkPalette.setColor(QPalette::WindowText, colour);
    setPalette(linkPalette);
}

void CStaticLink::paintEvent(QPaintEvent* event)
{
    // The owner's flag may have changed behind our back (another label
    // sharing it); every paint shows its current value.
    ApplyColour();
    QLabel::paintEvent(event);
}

void CStaticLink::SetHover(bool bHover)
{
    m_bHover = bHover ? 1 : 0;
    if (bHover)
        setCursor(Qt::PointingHandCursor);
    else
        unsetCursor();
}

void CStaticLink::mouseMoveEvent(QMouseEvent* event)
{
    QLabel::mouseMoveEvent(event);
    if (m_bClicked)
        return;
    const bool bInside = rect().contains(event->position().toPoint());
    if (!m_bHover && bInside)
        SetHover(true);
    else if (m_bHover && !bInside)
        SetHover(false);
}

void CStaticLink::leaveEvent(QEvent* event)
{
    QLabel::leaveEvent(event);
    if (!m_bClicked && m_bHover)
        SetHover(false);
}

void CStaticLink::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        m_bPressed = true;
        event->accept();
        return;
    }
    QLabel::mousePressEvent(event);
}

void CStaticLink::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && m_bPressed) {
        m_bPressed = false;
        event->accept();
        if (rect().contains(event->position().toPoint()))
            Click();
        return;
    }
    QLabel::mouseReleaseEvent(event);
}

void CStaticLink::Click()
{
    // A double click, or an impatient second click while the mail program
    // starts, must not open the target twice.
    if (m_bClicked)
        return;
    if (m_sTarget.isEmpty())
        m_sTarget = text();
    const QString mailto = QStringLiteral("mailto:");
    if (m_sTarget.contains(MailMarker(), Qt::CaseInsensitive) && !m_sTarget.startsWith(mailto, Qt::CaseInsensitive))
        m_sTarget.prepend(mailto);

    SetHover(false);
    m_bClicked = 1;
    m_pPauseTimer->start();

    const QUrl url = QUrl::fromUserInput(m_sTarget);
    const bool bOpened = g_opener ? g_opener(url) : QDesktopServices::openUrl(url);
    if (!bOpened) {
        Prompter::Beep();
        platform::Trace("*** WARNING: CStaticLink: unable to execute file %s\n", m_sTarget.toLocal8Bit().constData());
        return;
    }
    *m_pbVisited = 1;
    ApplyColour();
    update();
}

void CStaticLink::OnTimer()
{
    m_bClicked = 0;
}
