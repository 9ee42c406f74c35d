#include "IniImport.h"

#include "core/platform/Ascii.h"

namespace {

constexpr char kCtrlZ = '\x1A';

}  // namespace

TextLineReader::TextLineReader(std::istream& in, size_t maxChars)
    : m_in(in),
      m_nMaxChars(maxChars < 1 ? 1 : maxChars)
{ }

bool TextLineReader::Next(std::string& line)
{
    line.clear();
    if (m_bEnd)
        return false;
    std::streambuf* buf = m_in.rdbuf();
    if (buf == nullptr) {
        m_bEnd = true;
        return false;
    }
    size_t count = 0;
    while (count < m_nMaxChars) {
        int c = buf->sbumpc();
        if (c == std::char_traits<char>::eof() || static_cast<char>(c) == kCtrlZ) {
            m_bEnd = true;
            break;
        }
        if (static_cast<char>(c) == '\r' && buf->sgetc() == static_cast<unsigned char>('\n')) {
            buf->sbumpc();
            c = '\n';
        }
        ++count;
        line += static_cast<char>(c);
        if (static_cast<char>(c) == '\n')
            break;
    }
    if (count == 0)
        return false;
    const size_t nul = line.find('\0');
    if (nul != std::string::npos)
        line.resize(nul);
    return true;
}

std::vector<IniEntry> ParseIni(std::istream& in)
{
    std::vector<IniEntry> entries;
    TextLineReader reader(in, 519);
    std::string raw;
    std::string section;
    bool bHaveSection = false;
    while (reader.Next(raw)) {
        const std::string_view line = platform::TrimSpace(raw);
        const size_t open = line.find('[');
        const size_t close = line.find(']');
        if (open != std::string_view::npos && close != std::string_view::npos && close >= open
            && close - open + 1 == line.size()) {
            std::string name(line);
            name[open] = ' ';
            name[close] = ' ';
            section = std::string(platform::TrimSpace(name));
            // An empty name would address the application's own level, where
            // nothing is ever read; its values are dropped.
            bHaveSection = !section.empty() && section.find('/') == std::string::npos;
            continue;
        }
        const size_t equals = line.find('=');
        if (equals == std::string_view::npos || !bHaveSection)
            continue;
        std::string name(line.substr(0, equals));
        if (name.empty() || name.find('/') != std::string::npos)
            continue;
        entries.push_back({section, std::move(name), std::string(line.substr(equals + 1))});
    }
    return entries;
}
