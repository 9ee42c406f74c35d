#include "RememberedChoices.h"

#include "core/platform/PrivateFile.h"
#include "core/platform/UserFolders.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <unordered_set>

namespace {

constexpr char kFirstLine[] = "Mavix remembered choices 1";

// 64-bit FNV-1a: tells accounts apart in a file name, nothing more.
std::string NameHash(const std::string& text)
{
    unsigned long long hash = 14695981039346656037ULL;
    for (unsigned char c : text) {
        hash ^= c;
        hash *= 1099511628211ULL;
    }
    char buffer[17];
    std::snprintf(buffer, sizeof buffer, "%016llx", hash);
    return buffer;
}

}  // namespace

std::string RememberedChoices::PathFor(const std::string& server, const std::string& user, const std::string& port)
{
    const std::string base = platform::XdgFolder("XDG_STATE_HOME", ".local/state");
    if (base.empty())
        return {};
    return base + "/Mavix/choices-" + AccountFileName(server, user, port);
}

std::string RememberedChoices::AccountFileName(const std::string& server, const std::string& user,
                                               const std::string& port)
{
    // The readable part helps a person find the file; the hash keeps two
    // accounts apart whatever their names hold.
    std::string readable = user + "@" + server;
    for (char& c : readable) {
        const bool bSafe = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.'
            || c == '-' || c == '_' || c == '@';
        if (!bSafe)
            c = '_';
    }
    readable.resize(std::min<size_t>(readable.size(), 64));
    return readable + "-" + NameHash(server + '\n' + user + '\n' + port);
}

bool RememberedChoices::IsUidl(const std::string& text)
{
    if (text.empty() || text.size() > kMaxUidl)
        return false;
    for (char c : text)
        if (c < 0x21 || c > 0x7E)
            return false;
    return true;
}

bool RememberedChoices::Load(const std::string& path)
{
    m_sPath = path;
    m_choices.clear();
    if (path.empty())
        return true;
    // One planted there must not hand us another file's lines as choices.
    // Past kMaxFileBytes the rest is not read.
    std::string text;
    const platform::PrivateRead read = platform::ReadPrivateFile(path, kMaxFileBytes, text);
    if (read == platform::PrivateRead::kAbsent)
        return true;
    if (read == platform::PrivateRead::kRefused)
        return false;

    std::istringstream in(text);
    std::string line;
    if (!std::getline(in, line) || line != kFirstLine)
        return true;  // not ours, or from a later version: start afresh
    // "1 <uidl>" checked, "0 <uidl>" unchecked; anything else is skipped.
    while (m_choices.size() < kMaxChoices && std::getline(in, line)) {
        if (line.size() < 3 || line.size() > kMaxUidl + 2 || (line[0] != '0' && line[0] != '1') || line[1] != ' ')
            continue;
        const std::string uidl = line.substr(2);
        if (IsUidl(uidl))
            m_choices[uidl] = line[0] == '1';
    }
    return true;
}

bool RememberedChoices::Save() const
{
    if (m_sPath.empty())
        return false;
    const size_t slash = m_sPath.rfind('/');
    if (slash == std::string::npos)
        return false;
    // Written as the deletion journal writes: in our own folder (a real
    // folder of ours, not a link), through a file this call creates itself,
    // so a link planted at either name is never written through.
    const std::string folder = m_sPath.substr(0, slash);
    if (!platform::MakePrivateFolders(folder))
        return false;
    const platform::UniqueFd dir(platform::OpenOwnFolder(-1, folder.c_str(), true));
    if (dir.Get() < 0)
        return false;
    const std::string name = m_sPath.substr(slash + 1);
    const std::string temp = name + ".new";
    // A stale one, left by a crash or planted: unlink removes a link itself,
    // never what it points at.
    if (::unlinkat(dir.Get(), temp.c_str(), 0) != 0 && errno != ENOENT)
        return false;
    std::string text = std::string(kFirstLine) + "\n";
    for (const auto& [uidl, bChecked] : m_choices)
        text += (bChecked ? "1 " : "0 ") + uidl + "\n";
    return platform::ReplacePrivateFile(dir.Get(), name, temp, text);
}

int RememberedChoices::Find(const std::string& uidl) const
{
    const auto it = m_choices.find(uidl);
    return it == m_choices.end() ? -1 : (it->second ? 1 : 0);
}

bool RememberedChoices::Record(const std::string& uidl, bool bChecked, bool bVerdict)
{
    if (!IsUidl(uidl))
        return false;
    if (bChecked == bVerdict)
        return m_choices.erase(uidl) != 0;
    const auto it = m_choices.find(uidl);
    if (it != m_choices.end() && it->second == bChecked)
        return false;
    if (it == m_choices.end() && m_choices.size() >= kMaxChoices)
        return false;
    m_choices[uidl] = bChecked;
    return true;
}

bool RememberedChoices::Prune(const std::vector<std::string>& listed)
{
    const std::unordered_set<std::string> keep(listed.begin(), listed.end());
    bool bAny = false;
    for (auto it = m_choices.begin(); it != m_choices.end();) {
        if (keep.count(it->first)) {
            ++it;
        } else {
            it = m_choices.erase(it);
            bAny = true;
        }
    }
    return bAny;
}
