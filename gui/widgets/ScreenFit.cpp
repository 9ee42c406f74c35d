#include "ScreenFit.h"

#include <QDialogButtonBox>
#include <algorithm>
#include <QEvent>
#include <QFontMetrics>
#include <QLayout>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QVBoxLayout>
#include <QWidget>

namespace screen_fit {

namespace {

// What the window manager's frame takes around a window not yet shown: the
// title bar and the borders, a generous guess in lines of the window's text.
QSize FrameAllowance(const QWidget& window)
{
    const int line = QFontMetrics(window.font()).height();
    return {line, 3 * line};
}

// The window's own layout moved into a scroll area, its button box (a
// direct item of that layout) kept outside and below it.
void ScrollContents(QWidget& window)
{
    QLayout* inner = window.layout();
    QDialogButtonBox* buttons = nullptr;
    for (QDialogButtonBox* box : window.findChildren<QDialogButtonBox*>(Qt::FindDirectChildrenOnly)) {
        if (inner->indexOf(box) >= 0) {
            buttons = box;
            inner->removeWidget(box);
        }
    }
    const QMargins margins = inner->contentsMargins();
    auto* contents = new QWidget;
    contents->setObjectName(QStringLiteral("screenFitContents"));
    contents->setLayout(inner);  // takes the layout, and its widgets, off the window
    auto* scroll = new QScrollArea(&window);
    scroll->setObjectName(QStringLiteral("screenFitScroll"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setWidget(contents);
    // A fixed-size layout had fixed the window: it may now be smaller.
    window.setMinimumSize(0, 0);
    window.setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    auto* outer = new QVBoxLayout(&window);
    outer->setContentsMargins(0, 0, 0, buttons ? margins.bottom() : 0);
    outer->addWidget(scroll, 1);
    if (buttons) {
        auto* row = new QHBoxLayout;
        row->setContentsMargins(margins.left(), 0, margins.right(), 0);
        row->addWidget(buttons);
        outer->addLayout(row);
    }
}

void Fit(QWidget& window)
{
    const QScreen* screen = window.screen();
    if (!screen)
        return;
    const QRect free = screen->availableGeometry();
    const QSize room = free.size() - FrameAllowance(window);
    const QSize wanted = window.sizeHint().expandedTo(window.minimumSizeHint());
    if (window.layout() && !window.findChild<QScrollArea*>(QStringLiteral("screenFitScroll"))
        && (wanted.height() > room.height() || wanted.width() > room.width())) {
        ScrollContents(window);
        const QWidget* scroll = window.findChild<QScrollArea*>(QStringLiteral("screenFitScroll"));
        const int bar = scroll->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
        window.resize(wanted.grownBy({0, 0, bar, bar}).boundedTo(room));
    } else if (window.width() > room.width() || window.height() > room.height()) {
        window.resize(window.size().boundedTo(room));
    }
    // Wholly on the screen, its title bar included.
    const QSize frame = FrameAllowance(window);
    QPoint at = window.pos();
    at.setX(std::clamp(at.x(), free.left(), std::max(free.left(), free.right() + 1 - window.width() - frame.width())));
    at.setY(std::clamp(at.y(), free.top(), std::max(free.top(), free.bottom() + 1 - window.height() - frame.height())));
    if (at != window.pos())
        window.move(at);
}

// Fits its window on every showing, before the window manager maps it.
class Fitter : public QObject {
public:
    explicit Fitter(QWidget* window)
        : QObject(window)
    { }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show && watched == parent())
            Fit(*static_cast<QWidget*>(watched));
        return false;
    }
};

}  // namespace

void FitToScreen(QWidget* window)
{
    static const char kFitted[] = "mavixScreenFit";
    if (!window || window->property(kFitted).toBool())
        return;
    window->setProperty(kFitted, true);
    window->installEventFilter(new Fitter(window));
}

}  // namespace screen_fit
