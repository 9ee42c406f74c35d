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

    // A question the user answers before something that cannot be undone.
    struct Confirmation {
        QString m_sQuestion;  // the main text
        QString m_sDetails;   // below it, in the box's smaller text
        QString m_sYes;       // the button that goes ahead; the other one cancels
        bool m_bOfferDontAsk = false;
    };
    struct ConfirmAnswer {
        bool m_bYes = false;
        bool m_bDontAskAgain = false;  // only with m_bOfferDontAsk and m_bYes
    };
    // A box titled "Mavix" with the question, Cancel as the default button
    // (Enter and Escape cancel), and a "Don't ask again" box when offered.
    static ConfirmAnswer Confirm(QWidget* parent, const Confirmation& question);

    using MessageBoxHook = std::function<void(QWidget* parent, const QString& text)>;
    using ModalHook = std::function<int(QDialog& dialog)>;
    using BeepHook = std::function<void()>;
    using ConfirmHook = std::function<ConfirmAnswer(QWidget* parent, const Confirmation& question)>;
    // Tests install hooks; an empty function restores the real behaviour.
    static void SetMessageBoxHook(MessageBoxHook hook);
    static void SetModalHook(ModalHook hook);
    static void SetBeepHook(BeepHook hook);
    static void SetConfirmHook(ConfirmHook hook);
};
