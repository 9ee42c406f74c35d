// The preview's MIME and HTML reading against arbitrary bytes: whatever
// comes, the value stays within its bounds and its texts are UTF-8 without
// control characters but LF and TAB.
#include "FuzzEntries.h"

#include <cstdlib>
#include <string_view>

#include "core/platform/HeaderDecode.h"
#include "core/preview/HtmlText.h"
#include "core/preview/MessagePreview.h"

namespace {

void Require(bool condition)
{
    if (!condition)
        std::abort();
}

void RequireText(const std::string& text, bool bLines)
{
    Require(platform::IsValidUtf8(text));
    for (char c : text) {
        const auto u = static_cast<unsigned char>(c);
        Require(u >= 0x20 || (bLines && (c == '\n' || c == '\t')));
        Require(u != 0x7F);
    }
}

}  // namespace

void FuzzPreview(const uint8_t* data, size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    // The first byte says whether the fetch was cut; the rest is the message.
    const bool bCut = size > 0 && (data[0] & 1);
    const preview::MessagePreview shown = preview::BuildPreview(bytes.substr(size > 0 ? 1 : 0), bCut);
    RequireText(shown.m_sText, true);
    Require(shown.m_sText.size() <= preview::kMaxTextBytes);
    for (const std::string* header : {&shown.m_sFrom, &shown.m_sTo, &shown.m_sDate, &shown.m_sSubject})
        RequireText(*header, false);
    Require(shown.m_aAttachments.size() <= static_cast<size_t>(preview::kMaxAttachments));
    for (const preview::Attachment& attachment : shown.m_aAttachments)
        RequireText(attachment.m_sName, false);
    const std::string html = preview::HtmlToText(bytes);
    Require(html.size() <= preview::kMaxHtmlBytes + 4096);
}
