#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace preview {

// The HTML read: more than any preview shows, and it keeps a hostile part
// from costing libxml2 more than a moment.
inline constexpr size_t kMaxHtmlBytes = size_t{512} << 10;
// Elements walked into; libxml2 stops nesting near 256 anyway, and nothing
// deeper is text anybody reads.
inline constexpr int kMaxHtmlDepth = 128;

// HTML (UTF-8) as plain text for a person, without loading anything: no
// network, no DTD, no images or style sheets (libxml2's HTML parser, which
// recovers from broken markup). Text nodes with entities decoded and white
// space collapsed; script, style, head and the like dropped; block elements
// become line breaks; a link becomes "text [href]" so its real target shows
// beside the words; an image becomes "[image: alt]", or nothing without
// alt. At most kMaxHtmlBytes of `html` are read; the result is UTF-8.
std::string HtmlToText(std::string_view html);

}  // namespace preview
