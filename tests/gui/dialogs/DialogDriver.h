#pragma once

// Answers the program's modal dialogs and message boxes without a nested
// event loop: each dialog is shown, handed to the handler registered for its
// class, and its result is whatever the handler left it with (a dialog the
// handler did not close counts as cancelled).

#include "gui/widgets/Prompter.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QStringList>
#include <QTest>
#include <functional>
#include <vector>

class DialogDriver {
public:
    DialogDriver()
    {
        Prompter::SetModalHook([this](QDialog& dialog) { return Run(dialog); });
        Prompter::SetMessageBoxHook([this](QWidget*, const QString& text) { m_asBoxes << text; });
        Prompter::SetBeepHook([this] { ++m_nBeeps; });
    }
    ~DialogDriver()
    {
        Prompter::SetModalHook({});
        Prompter::SetMessageBoxHook({});
        Prompter::SetBeepHook({});
    }

    // The handler for dialogs of exactly class D (On<QDialog> takes plain
    // QDialogs only); the latest registration for a class wins.
    template <class D> void On(std::function<void(D&)> handler)
    {
        m_aHandlers.insert(m_aHandlers.begin(), [handler](QDialog& dialog) {
            if (dialog.metaObject() != &D::staticMetaObject)
                return false;
            handler(static_cast<D&>(dialog));
            return true;
        });
    }

    static void Press(QDialog& dialog, QDialogButtonBox::StandardButton which)
    {
        auto* box = dialog.findChild<QDialogButtonBox*>();
        QVERIFY(box);
        QTest::mouseClick(box->button(which), Qt::LeftButton);
    }

    // Types text as key presses; QTest::keyClicks takes ASCII only.
    static void Type(QWidget* widget, const QString& text)
    {
        for (QChar c : text) {
            if (c.unicode() < 0x80)
                QTest::keyClick(widget, c.toLatin1());
            else
                QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
        }
    }

    QStringList m_asBoxes;
    int m_nBeeps = 0;
    int m_nModal = 0;

private:
    int Run(QDialog& dialog)
    {
        ++m_nModal;
        dialog.show();
        // A copy: a handler may open a nested dialog that registers more.
        const auto handlers = m_aHandlers;
        for (const auto& handler : handlers) {
            if (handler(dialog))
                break;
        }
        if (dialog.isVisible()) {
            dialog.hide();
            return QDialog::Rejected;
        }
        return dialog.result();
    }

    std::vector<std::function<bool(QDialog&)>> m_aHandlers;
};
