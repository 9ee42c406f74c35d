#include "AboutDlg.h"

#include "gui/widgets/ScreenFit.h"
#include "gui/widgets/StaticLink.h"

#include <QApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QLabel* CentredText(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignCenter);
    label->setWordWrap(true);
    return label;
}

QGroupBox* TextGroup(const QString& title, const QString& text, QWidget* parent)
{
    auto* group = new QGroupBox(title, parent);
    auto* layout = new QVBoxLayout(group);
    layout->addWidget(CentredText(text, group));
    return group;
}

}  // namespace

CAboutDlg::CAboutDlg(int* pbMailLinkVisited, int* pbWebLinkVisited, QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(tr("About Mavix"));
    const int nChar = fontMetrics().averageCharWidth();

    auto* does =
        TextGroup(tr("What Mavix Does"), tr("Lets you screen incoming emails and delete before downloading"), this);
    auto* legal = TextGroup(tr("Legal Stuff"),
                            tr("Mavix comes with no warranty of any kind, and you use it "
                               "at your own risk."),
                            this);
    does->setFixedWidth(34 * nChar);
    legal->setFixedWidth(34 * nChar);

    m_pMailLink = new CStaticLink(QString::fromLatin1(kMavixMailAddress), this);
    m_pMailLink->setObjectName(QStringLiteral("mailLink"));
    m_pMailLink->setAlignment(Qt::AlignCenter);
    m_pMailLink->SetVisitedFlag(pbMailLinkVisited);
    m_pWebLink = new CStaticLink(QString::fromLatin1(kMavixWebAddress), this);
    m_pWebLink->setObjectName(QStringLiteral("webLink"));
    m_pWebLink->setAlignment(Qt::AlignCenter);
    m_pWebLink->SetVisitedFlag(pbWebLinkVisited);

    auto* icon = new QLabel(this);
    const QIcon appIcon = QApplication::windowIcon();
    if (!appIcon.isNull())
        icon->setPixmap(appIcon.pixmap(32, 32));
    icon->setAlignment(Qt::AlignCenter);

    // The one button closes the box as Escape does: there is nothing to confirm.
    auto* ok = new QPushButton(tr("&OK"), this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::reject);

    auto* right = new QVBoxLayout;
    right->addWidget(CentredText(tr("Mavix Version 1.5"), this));
    right->addSpacing(fontMetrics().height());
    right->addWidget(CentredText(BuildText(), this));
    right->addSpacing(fontMetrics().height());
    right->addWidget(m_pMailLink);
    right->addWidget(m_pWebLink);
    right->addStretch(1);
    right->addWidget(icon);
    right->addWidget(ok, 0, Qt::AlignRight);

    auto* left = new QVBoxLayout;
    left->addWidget(does);
    left->addWidget(legal, 1);

    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left);
    layout->addSpacing(2 * nChar);
    layout->addLayout(right, 1);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    screen_fit::FitToScreen(this);
    ok->setFocus();
}

QString CAboutDlg::BuildText()
{
    return sizeof(void*) == 8 ? tr("A 64 bit application") : tr("A 32 bit application");
}
