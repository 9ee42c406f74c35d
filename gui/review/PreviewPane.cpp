#include "PreviewPane.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

#include "core/session/PreviewJob.h"

PreviewPane::PreviewPane(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("previewPane"));
    m_pTitle = new QLabel(this);
    m_pText = new QPlainTextEdit(this);
    m_pText->setObjectName(QStringLiteral("previewText"));
    m_pText->setReadOnly(true);
    m_pText->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_pText->setUndoRedoEnabled(false);
    // The title line changes with the row; the text keeps one name and
    // carries the title as its description.
    m_pText->setAccessibleName(tr("Message preview"));
    m_pMore = new QPushButton(tr("Show &More"), this);
    m_pMore->setObjectName(QStringLiteral("previewMore"));
    m_pMore->setAutoDefault(false);
    m_pMore->setEnabled(false);
    connect(m_pMore, &QPushButton::clicked, this, [this] {
        if (m_nNum > 0)
            emit MoreWanted(m_nNum, std::min(m_nLines + kMoreLines, PreviewJob::kMaxLines));
    });
    auto* top = new QHBoxLayout;
    top->addWidget(m_pTitle, 1);
    top->addWidget(m_pMore);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 4, 0, 0);
    layout->addLayout(top);
    layout->addWidget(m_pText, 1);
    ShowNothing(false);
}

void PreviewPane::SetTitle(const QString& title)
{
    m_pTitle->setText(title);
    m_pText->setAccessibleDescription(title);
}

void PreviewPane::ShowWaiting(int nNum, int nLines)
{
    m_nNum = nNum;
    m_nLines = nLines;
    m_pMore->setEnabled(false);
    SetTitle(tr("Message %1: fetching the first %2 lines...").arg(nNum).arg(nLines));
}

void PreviewPane::ShowNothing(bool bOff)
{
    m_nNum = 0;
    m_pMore->setEnabled(false);
    m_pText->clear();
    SetTitle(bOff ? tr("Previews are turned off (Preferences).") : tr("Select a message to read its start here."));
}

void PreviewPane::ShowPreview(const PreviewReady& ready)
{
    if (ready.m_request.m_nNum != m_nNum)
        return;
    m_nLines = std::max(m_nLines, ready.m_request.m_nLines);
    const bool bMore = ready.m_bShown && ready.m_preview.m_bCut && m_nLines < PreviewJob::kMaxLines;
    m_pMore->setEnabled(bMore);
    SetTitle(ready.m_bShown ? tr("Message %1, the first %2 lines").arg(m_nNum).arg(m_nLines)
                            : tr("Message %1: no preview").arg(m_nNum));
    m_pText->setPlainText(PreviewText(ready));
}

QString PreviewPane::PreviewText(const PreviewReady& ready)
{
    if (!ready.m_bShown)
        return QString::fromStdString(ready.m_sProblem);
    const preview::MessagePreview& shown = ready.m_preview;
    QString text = tr("From: %1\nTo: %2\nDate: %3\nSubject: %4\n")
                       .arg(QString::fromStdString(shown.m_sFrom), QString::fromStdString(shown.m_sTo),
                            QString::fromStdString(shown.m_sDate), QString::fromStdString(shown.m_sSubject));
    for (const preview::Attachment& attachment : shown.m_aAttachments) {
        const QString name = attachment.m_sName.empty() ? tr("(no name)") : QString::fromStdString(attachment.m_sName);
        text += tr("Attachment: %1 — %2, %3 %4 KB%5\n")
                    .arg(name, QString::fromStdString(attachment.m_sType),
                         attachment.m_bPartial ? tr("at least") : tr("about"))
                    .arg((attachment.m_nBytes + 1023) / 1024)
                    .arg(attachment.m_bDisguised ? tr("  ⚠ a program named like a document") : QString());
    }
    if (shown.m_bFromHtml)
        text += tr("(HTML shown as text; links as [their real target]; nothing was loaded)\n");
    text += QStringLiteral("\n") + QString::fromStdString(shown.m_sText) + QStringLiteral("\n");
    if (shown.m_bCut || shown.m_bTextCut)
        text += tr("\n[cut: the message goes on past what was fetched]\n");
    if (shown.m_bNotShown)
        text += tr("[parts nested too deep, or too many, were not shown]\n");
    return text;
}
