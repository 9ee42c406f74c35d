#pragma once

#include <QString>
#include <string>

// "Start Mavix when I log in": a freedesktop.org autostart entry,
// $XDG_CONFIG_HOME/autostart/mavix.desktop, that starts the installed
// program hidden in the tray. Whether it is on is whether the
// file is there.
class Autostart {
public:
    // The option the entry starts Mavix with: no window while the tray
    // shows the icon.
    static constexpr const char* kHiddenOption = "--hidden";

    static QString EntryPath();
    static bool IsOn();
    // Writes the entry (PrivateFile: whole or not at all) or removes it.
    // False with *pError (the reason, for the user) when that failed.
    static bool Set(bool bOn, QString* pError);
    // The entry's text, starting `program`.
    static std::string EntryText(const std::string& program);
};
