#include "PackedRow.h"

#include <algorithm>
#include <cstring>

namespace {

// A row's texts as views, in PackedRow::Text order.
std::array<std::string_view, PackedRow::kTextCount> Texts(const MessageRow& row)
{
    std::array<std::string_view, PackedRow::kTextCount> texts;
    const auto fields = row.Texts();
    for (size_t i = 0; i < texts.size(); ++i)
        texts[i] = *fields[i];
    return texts;
}

}  // namespace

PackedRow::PackedRow(const MessageRow& row)
    : m_nHeaderAt(row.m_nHeaderAt),
      m_nHeaderLength(row.m_nHeaderLength),
      m_nSize(row.m_nSize),
      m_bUnavailable(row.m_bUnavailable)
{
    Pack(Texts(row));
}

void PackedRow::Pack(const std::array<std::string_view, kTextCount>& texts)
{
    // A row's texts are bounded far below 4 GiB (kMaxScanRowBytes for all
    // rows of a scan together), so 32-bit ends suffice.
    size_t total = 0;
    for (std::string_view text : texts)
        total += text.size();
    std::unique_ptr<char[]> block(total ? new char[total] : nullptr);
    size_t end = 0;
    for (size_t i = 0; i < texts.size(); ++i) {
        if (!texts[i].empty())
            std::memcpy(block.get() + end, texts[i].data(), texts[i].size());
        end += texts[i].size();
        m_aEnds[i] = static_cast<uint32_t>(end);
    }
    m_pTexts = std::move(block);
}

std::string_view PackedRow::Get(Text text) const
{
    const uint32_t begin = text == 0 ? 0 : m_aEnds[static_cast<size_t>(text) - 1];
    return {m_pTexts.get() + begin, m_aEnds[static_cast<size_t>(text)] - begin};
}

MessageRow PackedRow::Unpack() const
{
    MessageRow row;
    const auto fields = row.Texts();
    for (int i = 0; i < kTextCount; ++i)
        fields[static_cast<size_t>(i)]->assign(Get(static_cast<Text>(i)));
    row.m_bUnavailable = m_bUnavailable;
    row.m_nHeaderAt = m_nHeaderAt;
    row.m_nHeaderLength = m_nHeaderLength;
    row.m_nSize = m_nSize;
    return row;
}

void PackedRow::SetReason(std::string_view reason)
{
    if (reason == Get(kReason))
        return;
    // The views point into the old block, which lives until Pack replaces it.
    std::array<std::string_view, kTextCount> texts;
    for (int i = 0; i < kTextCount; ++i)
        texts[static_cast<size_t>(i)] = Get(static_cast<Text>(i));
    const std::string copy(reason);
    texts[kReason] = copy;
    Pack(texts);
}
