#include "HelpWindow.h"

#include "gui/widgets/ScreenFit.h"

#include <QHBoxLayout>
#include <QKeySequence>
#include <QPointer>
#include <QPushButton>
#include <QShortcut>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

// The manual lives in a static library; its resources are only linked in when
// something names their initialiser (outside any namespace, as Qt requires).
static void InitHelpResources()
{
    static bool s_bDone = false;
    if (!s_bDone) {
        Q_INIT_RESOURCE(help);
        s_bDone = true;
    }
}

CHelpWindow::CHelpWindow(QWidget* parent)
    : QWidget(parent, Qt::Window)
{
    setWindowTitle(tr("Mavix Help"));
    setAttribute(Qt::WA_DeleteOnClose);
    InitHelpResources();

    m_pBrowser = new QTextBrowser(this);
    m_pBrowser->setAccessibleName(tr("Manual"));
    // Web links go to the desktop's browser; the manual's own pages stay here.
    m_pBrowser->setOpenExternalLinks(true);

    auto* back = new QPushButton(tr("&Back"), this);
    auto* forward = new QPushButton(tr("&Forward"), this);
    auto* contents = new QPushButton(tr("&Contents"), this);
    back->setEnabled(false);
    forward->setEnabled(false);
    connect(back, &QPushButton::clicked, m_pBrowser, &QTextBrowser::backward);
    connect(forward, &QPushButton::clicked, m_pBrowser, &QTextBrowser::forward);
    connect(contents, &QPushButton::clicked, m_pBrowser, &QTextBrowser::home);
    connect(m_pBrowser, &QTextBrowser::backwardAvailable, back, &QPushButton::setEnabled);
    connect(m_pBrowser, &QTextBrowser::forwardAvailable, forward, &QPushButton::setEnabled);
    auto* close = new QShortcut(QKeySequence::Close, this);
    connect(close, &QShortcut::activated, this, &QWidget::close);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &QWidget::close);

    auto* bar = new QHBoxLayout;
    bar->addWidget(back);
    bar->addWidget(forward);
    bar->addWidget(contents);
    bar->addStretch(1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(m_pBrowser, 1);

    const QFontMetrics metrics = fontMetrics();
    resize(80 * metrics.averageCharWidth(), 40 * metrics.height());
    screen_fit::FitToScreen(this);
    m_pBrowser->setSource(HomeUrl());
}

QUrl CHelpWindow::HomeUrl()
{
    return QUrl(QStringLiteral("qrc:/manual/index.html"));
}

void ShowHelp(QWidget* parent)
{
    static QPointer<CHelpWindow> s_pWindow;
    if (!s_pWindow)
        s_pWindow = new CHelpWindow(parent);
    else
        s_pWindow->Browser()->home();
    s_pWindow->show();
    s_pWindow->raise();
    s_pWindow->activateWindow();
}
