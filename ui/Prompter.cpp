#include "Prompter.h"

#include <QApplication>
#include <QDialog>
#include <QMessageBox>

namespace {
Prompter::MessageBoxHook g_messageBoxHook;
Prompter::ModalHook g_modalHook;
Prompter::BeepHook g_beepHook;
}

void Prompter::MessageBox(QWidget* parent, const QString& text)
{
    if (g_messageBoxHook) {
        g_messageBoxHook(parent, text);
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Mavix"), text, QMessageBox::Ok, parent);
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

void Prompter::SetMessageBoxHook(MessageBoxHook hook) { g_messageBoxHook = std::move(hook); }
void Prompter::SetModalHook(ModalHook hook) { g_modalHook = std::move(hook); }
void Prompter::SetBeepHook(BeepHook hook) { g_beepHook = std::move(hook); }
