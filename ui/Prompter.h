#pragma once

#include <QString>
#include <functional>

class QDialog;
class QWidget;

// The one seam through which every message box and modal dialog of the
// program goes, so that tests can see what the user would be shown and
// answer dialogs without blocking on a nested event loop.
class Prompter {
public:
    // An information box with an OK button, titled "Mavix".
    static void MessageBox(QWidget* parent, const QString& text);
    // Runs the dialog modally; returns QDialog::Accepted or Rejected.
    static int RunModal(QDialog& dialog);
    // The system's default beep.
    static void Beep();

    using MessageBoxHook = std::function<void(QWidget* parent, const QString& text)>;
    using ModalHook = std::function<int(QDialog& dialog)>;
    using BeepHook = std::function<void()>;
    // Tests install hooks; an empty function restores the real behaviour.
    static void SetMessageBoxHook(MessageBoxHook hook);
    static void SetModalHook(ModalHook hook);
    static void SetBeepHook(BeepHook hook);
};
