#include "Autostart.h"

#include "core/platform/PrivateFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <cerrno>
#include <cstring>

namespace {

// Where `make install` put the program (gui/dialogs/CMakeLists.txt).
#ifndef MAVIX_INSTALLED_PROGRAM
#define MAVIX_INSTALLED_PROGRAM "/usr/bin/mavix"
#endif

// An Exec argument quoted as freedesktop.org's desktop entries want it: in
// double quotes when it holds a reserved character, with '"', '`', '$'
// and '\' escaped; '%' doubled, as a field code would be read otherwise.
// The value's own escapes are read first, so each backslash is then
// written twice.
std::string QuotedArgument(const std::string& arg)
{
    std::string quoted;
    bool bReserved = false;
    for (char c : arg) {
        if (std::strchr(" \t\n\"'\\><~|&;$*?#()`", c))
            bReserved = true;
        if (c == '\\')
            quoted += "\\\\\\\\";
        else if (c == '"' || c == '`' || c == '$')
            quoted.append("\\\\").push_back(c);
        else if (c == '%')
            quoted += "%%";
        else
            quoted += c;
    }
    return bReserved ? '"' + quoted + '"' : quoted;
}

}  // namespace

QString Autostart::EntryPath()
{
    // $XDG_CONFIG_HOME, else ~/.config.
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/autostart/mavix.desktop");
}

bool Autostart::IsOn()
{
    return QFileInfo::exists(EntryPath());
}

std::string Autostart::EntryText(const std::string& program)
{
    // --desktop: the folder a desktop launch works in, as mavix.desktop.
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Mavix\n"
           "Comment=Checks the POP3 mailbox in the background from the tray\n"
           "Exec="
        + QuotedArgument(program) + " --desktop " + kHiddenOption
        + "\n"
          "Icon=mavix\n"
          "Terminal=false\n"
          "X-GNOME-Autostart-enabled=true\n";
}

bool Autostart::Set(bool bOn, QString* pError)
{
    const QString path = EntryPath();
    const std::string file = QFile::encodeName(path).toStdString();
    if (!bOn) {
        if (!QFileInfo::exists(path) && !QFileInfo(path).isSymLink())
            return true;
        if (QFile::remove(path))
            return true;
        if (pError)
            *pError = QCoreApplication::translate("Autostart", "Could not remove %1.").arg(path);
        return false;
    }
    const std::string dir = QFile::encodeName(QFileInfo(path).path()).toStdString();
    platform::PrivateFile entry;
    int nError = 0;
    if (!platform::MakePrivateFolders(dir))
        nError = errno;
    else if (!entry.CreateBeside(file) || !entry.Write(EntryText(MAVIX_INSTALLED_PROGRAM)) || !entry.Commit())
        nError = entry.Error();
    if (nError == 0)
        return true;
    if (pError)
        *pError = QCoreApplication::translate("Autostart", "Could not write %1: %2.")
                      .arg(path, QString::fromLocal8Bit(std::strerror(nError)));
    return false;
}
