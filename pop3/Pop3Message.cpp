#include "Pop3Message.h"

#include "platform/Ascii.h"

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
}

void CPop3Message::Clear()
{
    m_sText.clear();
    m_bHasText = false;
}

std::string CPop3Message::HeaderBlock() const
{
    const size_t end = m_sText.find("\r\n\r\n");
    return end == std::string::npos ? m_sText : m_sText.substr(0, end);
}

std::string CPop3Message::FindField(const std::string& name, int n) const
{
    // A leading CR LF makes the first field line start like every other, so
    // the key only matches at a line start (RFC 5322 §2.2: name, then colon).
    const std::string block = "\r\n" + HeaderBlock();
    const std::string upper = AsciiUpper(block);
    const std::string key = "\r\n" + AsciiUpper(name) + ":";

    size_t found = upper.find(key);
    for (int i = 0; i < n && found != std::string::npos; ++i)
        found = upper.find(key, found + key.size());
    if (found == std::string::npos)
        return {};

    // The value runs to a CR LF that is not followed by a blank or tab
    // (RFC 5322 §2.2.3: such a line continues the field), or to the end.
    const size_t start = found + key.size();
    size_t end = start;
    while (end < block.size()) {
        if (block[end] == '\r' && end + 1 < block.size() && block[end + 1] == '\n'
            && (end + 2 >= block.size() || (block[end + 2] != ' ' && block[end + 2] != '\t')))
            break;
        ++end;
    }

    std::string value;
    value.reserve(end - start);
    for (size_t i = start; i < end; ++i) {
        if (block[i] == '\r' && i + 1 < end && block[i + 1] == '\n') {
            ++i;  // unfold: drop the CR LF, keep the blank that follows
            continue;
        }
        value += block[i] == '\t' ? ' ' : block[i];
    }

    std::string trimmed(platform::TrimSpace(value));
    if (trimmed.size() > kMaxFieldBytes) {
        trimmed.resize(kMaxFieldBytes - 1);
        trimmed += kCutMark;
    }
    return trimmed;
}
