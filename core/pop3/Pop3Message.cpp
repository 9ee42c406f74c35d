#include "Pop3Message.h"

#include "core/platform/Ascii.h"

#include <algorithm>
#include <cstring>

namespace {

using platform::AsciiUpper;

}  // namespace

void CPop3Message::SetText(std::string_view text)
{
    m_sText.clear();
    m_bHasText = true;
    while (!text.empty() && m_sText.size() < kMaxTextBytes) {
        const size_t nul = text.find('\0');
        m_sText.append(text.substr(0, std::min(nul, kMaxTextBytes - m_sText.size())));
        if (nul == std::string_view::npos)
            break;
        // Go on at the CR LF (or bare LF) that ends the NUL's line.
        size_t next = text.find('\n', nul);
        if (next == std::string_view::npos)
            break;
        if (next > nul + 1 && text[next - 1] == '\r')
            --next;
        text.remove_prefix(next);
    }
    IndexFields();
}

// Fields start at the text's start or after a CR LF (RFC 5322 §2.2: name,
// then colon); the header block ends at the first empty line.
void CPop3Message::IndexFields()
{
    static_assert(kMaxTextBytes <= UINT32_MAX);
    const std::string_view text(m_sText);
    m_nBlockEnd = std::min(text.find("\r\n\r\n"), text.size());
    const std::string_view block = text.substr(0, m_nBlockEnd);
    m_aLineStarts.clear();
    m_aLineStarts.push_back(0);
    for (size_t crlf = block.find("\r\n"); crlf != std::string_view::npos; crlf = block.find("\r\n", crlf + 2))
        m_aLineStarts.push_back(static_cast<uint32_t>(crlf + 2));
}

void CPop3Message::Clear()
{
    m_sText.clear();
    m_bHasText = false;
    IndexFields();
}

std::string CPop3Message::HeaderBlock() const
{
    return m_sText.substr(0, m_nBlockEnd);
}

std::string CPop3Message::FindField(const std::string& name, int n) const
{
    return FindFieldIf(name, n).value_or(std::string());
}

std::optional<std::string> CPop3Message::FindFieldIf(const std::string& name, int n) const
{
    // Field names match in any case. Read in place: a scan looks up several
    // fields per message.
    const std::string_view block = std::string_view(m_sText).substr(0, m_nBlockEnd);
    const auto named = [&](size_t pos) {
        if (block.size() - pos <= name.size() || block[pos + name.size()] != ':')
            return false;
        for (size_t i = 0; i < name.size(); ++i)
            if (AsciiUpper(block[pos + i]) != AsciiUpper(name[i]))
                return false;
        return true;
    };
    size_t start = std::string_view::npos;
    for (const uint32_t pos : m_aLineStarts)
        if (named(pos) && n-- == 0) {
            start = pos + name.size() + 1;
            break;
        }
    if (start == std::string_view::npos)
        return std::nullopt;

    // The value runs to a CR LF that is not followed by a blank or tab
    // (RFC 5322 §2.2.3: such a line continues the field), or to the end.
    size_t end = start;
    while (end < block.size()) {
        if (block[end] == '\r' && end + 1 < block.size() && block[end + 1] == '\n'
            && (end + 2 >= block.size() || (block[end + 2] != ' ' && block[end + 2] != '\t')))
            break;
        ++end;
    }

    std::string value(end - start, '\0');
    char* pOut = value.data();
    for (size_t i = start; i < end; ++i) {
        if (block[i] == '\r' && i + 1 < end && block[i + 1] == '\n') {
            ++i;  // unfold: drop the CR LF, keep the blank that follows
            continue;
        }
        *pOut++ = block[i] == '\t' ? ' ' : block[i];
    }
    value.resize(static_cast<size_t>(pOut - value.data()));

    std::string trimmed(platform::TrimSpace(value));
    if (trimmed.size() > kMaxFieldBytes) {
        trimmed.resize(kMaxFieldBytes - 1);
        trimmed += kCutMark;
    }
    return trimmed;
}
