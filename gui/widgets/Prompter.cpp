#include "Prompter.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QMessageBox>

namespace {
Prompter::MessageBoxHook g_messageBoxHook;
Prompter::ModalHook g_modalHook;
Prompter::BeepHook g_beepHook;
Prompter::ConfirmHook g_confirmHook;
}  // namespace

void Prompter::MessageBox(QWidget* parent, const QString& text)
{
    if (g_messageBoxHook) {
        g_messageBoxHook(parent, text);
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Mavix"), text, QMessageBox::Ok, parent);
    // The texts carry the server's Subjects and replies: never markup.
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

int Prompter::RunModal(QDialog& dialog)
{
    if (g_modalHook)
        return g_modalHook(dialog);
    return dialog.exec();
}

void Prompter::Beep()
{
    if (g_beepHook) {
        g_beepHook();
        return;
    }
    QApplication::beep();
}

Prompter::ConfirmAnswer Prompter::Confirm(QWidget* parent, const Confirmation& question)
{
    if (g_confirmHook)
        return g_confirmHook(parent, question);
    QMessageBox box(QMessageBox::Question, QStringLiteral("Mavix"), question.m_sQuestion, QMessageBox::NoButton,
                    parent);
    // Subjects are the server's text: never read as markup.
    box.setTextFormat(Qt::PlainText);
    box.setInformativeText(question.m_sDetails);
    if (auto* pDetails = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_informativelabel")))
        pDetails->setTextFormat(Qt::PlainText);
    QPushButton* pYes = box.addButton(question.m_sYes, QMessageBox::AcceptRole);
    QPushButton* pCancel = box.addButton(QMessageBox::Cancel);
    box.setDefaultButton(pCancel);
    box.setEscapeButton(pCancel);
    QCheckBox* pDontAsk = nullptr;
    if (question.m_bOfferDontAsk) {
        pDontAsk = new QCheckBox(QCoreApplication::translate("Prompter", "Don't ask again"), &box);
        pDontAsk->setObjectName(QStringLiteral("dontAskAgain"));
        box.setCheckBox(pDontAsk);
    }
    box.exec();
    ConfirmAnswer answer;
    answer.m_bYes = box.clickedButton() == pYes;
    answer.m_bDontAskAgain = answer.m_bYes && pDontAsk && pDontAsk->isChecked();
    return answer;
}

void Prompter::SetConfirmHook(ConfirmHook hook)
{
    g_confirmHook = std::move(hook);
}
void Prompter::SetMessageBoxHook(MessageBoxHook hook)
{
    g_messageBoxHook = std::move(hook);
}
void Prompter::SetModalHook(ModalHook hook)
{
    g_modalHook = std::move(hook);
}
void Prompter::SetBeepHook(BeepHook hook)
{
    g_beepHook = std::move(hook);
}
