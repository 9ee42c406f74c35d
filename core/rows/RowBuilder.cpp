#include "RowBuilder.h"

#include "core/platform/Ascii.h"
#include "core/platform/Digest.h"

#include <chrono>
#include <optional>
#include <type_traits>
#include <string_view>

namespace {

using platform::AsciiUpper;
using platform::IsDigit;

using platform::TrimSpace;

constexpr const char* kMonths[] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN", "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
constexpr const char* kWeekdays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};

}  // namespace

std::string SizeText(uint64_t size)
{
    // Decimal thousands, as the size column has always shown them.
    if (size < 1000)
        return "1K";
    return std::to_string(size / 1000) + "K";
}

std::string AttachmentMark(const CPop3Message& message)
{
    const std::string type = AsciiUpper(message.FindField("Content-Type", 0));
    const std::string disposition = AsciiUpper(message.FindField("Content-Disposition", 0));
    if (type.find("MIXED") != std::string::npos || disposition.find("ATTACHMENT") != std::string::npos)
        return "Y";
    return {};
}

void SplitFrom(const std::string& from, std::string& name, std::string& email)
{
    // RFC 5322 §3.4: a name-addr is an optional display name, then the address in angle brackets.
    name = from;
    email = from;
    const size_t lt = from.find('<');
    const size_t gt = from.find('>');
    if (lt != std::string::npos && gt != std::string::npos) {
        std::string display;
        for (size_t i = 0; i < lt; ++i)
            if (from[i] != '"')
                display += from[i];
        name = TrimSpace(display);
        email = gt > lt ? TrimSpace(std::string_view(from).substr(lt + 1, gt - lt - 1)) : std::string_view();
    }
    if (name.empty())
        name = email;
}

std::string StripToBrackets(const std::string& to)
{
    const size_t gt = to.find('>');
    if (!to.empty() && to[0] == '<' && gt != std::string::npos)
        return to.substr(1, gt - 1);
    return to;
}

void AddWeekday(std::string& date)
{
    // A numeric date ("05/01/2005") names no month to check.
    size_t slashes = 0;
    for (char c : date)
        slashes += c == '/';
    if (slashes >= 2)
        return;

    size_t cut = date.find(',');
    if (cut == std::string::npos)
        cut = date.find(' ');
    if (cut == std::string::npos)
        return;
    const std::string_view dayToken = std::string_view(date).substr(0, cut);
    const std::string rest(TrimSpace(std::string_view(date).substr(cut + 1)));

    const size_t monthEnd = rest.find(' ');
    if (monthEnd == std::string::npos)
        return;
    const std::string month = AsciiUpper(rest.substr(0, monthEnd));
    const size_t yearEnd = rest.find(' ', monthEnd + 1);
    if (yearEnd == std::string::npos)
        return;  // nothing after the year: not the RFC 5322 §3.3 layout
    const std::string_view yearToken = std::string_view(rest).substr(monthEnd + 1, yearEnd - monthEnd - 1);

    unsigned monthNumber = 0;
    for (unsigned m = 0; m < 12; ++m)
        if (month == kMonths[m])
            monthNumber = m + 1;
    if (monthNumber == 0)
        return;
    // atoi: no digits give 0; out of range saturates and stays out of range.
    const int64_t year = platform::LeadingDecimal(yearToken).value_or(0);
    const int64_t day = platform::LeadingDecimal(dayToken).value_or(0);
    if (year < 2000 || year > 3000 || day < 1 || day > 31)
        return;

    // The day counts on from the first of the month, so an impossible date
    // rolls over the way mktime normalises it: 31 Feb 2005 is 3 Mar 2005.
    using namespace std::chrono;
    const sys_days first =
        year_month_day{std::chrono::year{static_cast<int>(year)}, std::chrono::month{monthNumber}, std::chrono::day{1}};
    const weekday wd{first + days{day - 1}};
    date = std::string(kWeekdays[wd.c_encoding()]) + ", " + date;
}

std::string NormaliseDate(const std::string& value)
{
    std::string date = value;
    if (!date.empty() && IsDigit(date[0]))
        AddWeekday(date);
    // RFC 5322 §3.3 allows a one-digit day; the column shows two so that
    // dates line up.
    const size_t comma = date.find(',');
    if (comma != std::string::npos) {
        const std::string tail(TrimSpace(std::string_view(date).substr(comma + 1)));
        if (tail.size() >= 2 && tail[1] == ' ')
            date = date.substr(0, comma) + ", 0" + tail;
    }
    return date;
}

MessageRow BuildMessageRow(int n, uint64_t size, const CPop3Message& message)
{
    MessageRow row;
    row.m_sNum = std::to_string(n);
    row.m_sSize = SizeText(size);
    row.m_nSize = size;
    row.m_sAtt = AttachmentMark(message);
    row.m_sSubject = message.GetSubject();
    SplitFrom(message.GetFrom(), row.m_sFrom, row.m_sEmail);
    row.m_sDate = NormaliseDate(message.GetDate());
    row.m_sTo = StripToBrackets(message.GetTo());
    row.m_sCC = message.GetCC();
    return row;
}

std::string MessageIdentity(const CPop3Message& message)
{
    // Each field as "-" when absent, else "+", its length, ':' and its bytes,
    // so no two different sets of fields give the same input.
    std::string fields;
    for (const char* name : {"From", "Date", "Message-ID"}) {
        const std::optional<std::string> value = message.FindFieldIf(name, 0);
        fields += value ? "+" + std::to_string(value->size()) + ":" + *value : std::string("-");
    }
    const auto digest = platform::Sha256(fields);
    if (!digest)
        return {};
    static_assert(kIdentityBytes <= std::tuple_size_v<std::decay_t<decltype(*digest)>>);
    return std::string(reinterpret_cast<const char*>(digest->data()), kIdentityBytes);
}
