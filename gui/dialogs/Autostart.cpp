#include "Autostart.h"

#include "core/platform/PrivateFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <cerrno>
#include <cstring>
#include <glib.h>

namespace {

// An entry longer than this is no entry Mavix wrote: it is not read.
constexpr qint64 kMaxEntryBytes = 64 * 1024;

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

// The program an entry's Exec key starts: the key read as a desktop entry
// (GLib's key file, its string escapes), then its first argument as the
// desktop entry format's quoting has it (GLib's shell-style splitting).
QString ExecProgram(const QByteArray& entry)
{
    QString program;
    GKeyFile* keys = g_key_file_new();
    if (g_key_file_load_from_data(keys, entry.constData(), static_cast<gsize>(entry.size()), G_KEY_FILE_NONE,
                                  nullptr)) {
        gchar* exec = g_key_file_get_string(keys, G_KEY_FILE_DESKTOP_GROUP, G_KEY_FILE_DESKTOP_KEY_EXEC, nullptr);
        gchar** argv = nullptr;
        if (exec && g_shell_parse_argv(exec, nullptr, &argv, nullptr) && argv[0])
            program = QFile::decodeName(argv[0]);
        g_strfreev(argv);
        g_free(exec);
    }
    g_key_file_free(keys);
    return program;
}

}  // namespace

QString Autostart::Program()
{
    // Where the program runs from now (/proc/self/exe), not where an
    // installation would have put it.
    return QCoreApplication::applicationFilePath();
}

Autostart::Found Autostart::Inspect()
{
    Found found;
    QFile entry(EntryPath());
    if (!entry.exists() && !QFileInfo(EntryPath()).isSymLink())
        return found;
    found.m_state = State::kNowhere;
    if (!entry.open(QIODevice::ReadOnly) || entry.size() > kMaxEntryBytes)
        return found;
    found.m_sProgram = ExecProgram(entry.read(kMaxEntryBytes));
    const QFileInfo program(found.m_sProgram);
    if (found.m_sProgram.isEmpty() || !program.isAbsolute() || !program.isFile() || !program.isExecutable())
        return found;
    found.m_state = program.canonicalFilePath() == QFileInfo(Program()).canonicalFilePath() ? State::kThisProgram
                                                                                            : State::kElsewhere;
    return found;
}

bool Autostart::Refresh(QString* pError)
{
    const State state = Inspect().m_state;
    return state == State::kOff || state == State::kThisProgram || Set(true, pError);
}

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
           "Comment=Checks the POP3 mailboxes in the background from the tray\n"
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
    else if (!entry.CreateBeside(file) || !entry.Write(EntryText(QFile::encodeName(Program()).toStdString()))
             || !entry.Commit())
        nError = entry.Error();
    if (nError == 0)
        return true;
    if (pError)
        *pError = QCoreApplication::translate("Autostart", "Could not write %1: %2.")
                      .arg(path, QString::fromLocal8Bit(std::strerror(nError)));
    return false;
}
