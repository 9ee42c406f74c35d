#pragma once

#include <QString>
#include <string>

// "Start Mavix when I log in": a freedesktop.org autostart entry,
// $XDG_CONFIG_HOME/autostart/mavix.desktop, that starts this very program
// (wherever it runs from: the package's /usr/bin/mavix or a build folder)
// hidden in the tray. Whether it is on is whether the file is there.
class Autostart {
public:
    // The option the entry starts Mavix with: no window while the tray
    // shows the icon.
    static constexpr const char* kHiddenOption = "--hidden";

    // What the entry found at EntryPath() starts.
    enum class State {
        kOff,          // no entry
        kThisProgram,  // the running program
        kElsewhere,    // another program that is there (an older install, another build)
        kNowhere       // a program that is not there, or no readable command: nothing starts
    };
    struct Found {
        State m_state = State::kOff;
        QString m_sProgram;  // the program the entry names, empty when it names none
    };

    static QString EntryPath();
    static bool IsOn();
    // The running program's own path, which the entry is written with.
    static QString Program();
    static Found Inspect();
    // Writes the entry (PrivateFile: whole or not at all) or removes it.
    // False with *pError (the reason, for the user) when that failed.
    static bool Set(bool bOn, QString* pError);
    // At start: an entry that starts another program, or none, is written
    // again for this one. False with *pError when that failed.
    static bool Refresh(QString* pError);
    // The entry's text, starting `program`.
    static std::string EntryText(const std::string& program);
};
