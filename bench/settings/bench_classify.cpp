// Times what the scan does per message after TOP n 0 came back: the row
// built from the header block, its readable texts, and its classification
// with the default lists, the sender signals off (as before them) and on.
// The header blocks are what a provider delivers: Received lines, an
// Authentication-Results field of the account's server (and a second, foreign
// one on some), senders from a few thousand domains, some with an IDNA or a
// look-alike domain, some with a domain in the display name. Prints one line
// per setting: the median of `rounds` runs, in CPU time.
//
//   bench_classify [rounds] [messages]     (default 5 rounds of 50000)
#include "core/filters/DefaultFilters.h"
#include "core/filters/FilterLists.h"
#include "core/pop3/Pop3Message.h"
#include "core/rows/ReadableRow.h"
#include "core/rows/RowBuilder.h"

#include <algorithm>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <string>
#include <vector>

namespace {

std::string Header(int n)
{
    const int domain = (n * 7919) % 3000;
    std::string from = "news" + std::to_string(n % 50) + "@shop" + std::to_string(domain) + ".example";
    std::string name = "Shop " + std::to_string(domain);
    if (n % 97 == 0)
        from = "service@xn--l-7sba6dbr.com";
    else if (n % 89 == 0)
        from = "support@paypa1-" + std::to_string(domain) + ".example";
    if (n % 53 == 0)
        name = "\"billing@paypal.com\"";
    const char* dmarc = n % 31 == 0 ? "fail" : "pass";
    std::string text = "Return-Path: <bounce-" + std::to_string(n) + "@mail.shop" + std::to_string(domain)
        + ".example>\r\n"
          "Delivered-To: me@provider.example\r\n"
          "Received: from mx.provider.example by pop.provider.example with LMTP id abc"
        + std::to_string(n)
        + "; Tue, 8 Dec 2026 09:00:00 +0000\r\n"
          "Authentication-Results: mx.provider.example;\r\n"
          "\tdkim=pass (2048-bit key) header.d=shop"
        + std::to_string(domain) + ".example header.i=@shop" + std::to_string(domain)
        + ".example header.b=Xy1+/abc;\r\n"
          "\tspf=pass (mx.provider.example: domain of bounce designates 192.0.2.7 as permitted sender)"
          " smtp.mailfrom=mail.shop"
        + std::to_string(domain)
        + ".example;\r\n"
          "\tdmarc="
        + dmarc + " (p=REJECT sp=REJECT dis=NONE) header.from=shop" + std::to_string(domain) + ".example\r\n";
    if (n % 5 == 0)
        text += "Authentication-Results: relay.elsewhere.example; spf=fail smtp.mailfrom=elsewhere.example\r\n";
    text += "Received: from out.shop" + std::to_string(domain)
        + ".example (out.shop.example [192.0.2.7])\r\n"
          "\tby mx.provider.example with ESMTPS id "
        + std::to_string(n * 13)
        + "\r\n"
          "From: "
        + name + " <" + from
        + ">\r\n"
          "To: me@provider.example\r\n"
          "Subject: Your weekly offers, number "
        + std::to_string(n)
        + "\r\n"
          "Date: Tue, 8 Dec 2026 08:59:00 +0000\r\n"
          "Message-ID: <"
        + std::to_string(n)
        + "@shop.example>\r\n"
          "MIME-Version: 1.0\r\n"
          "Content-Type: multipart/alternative; boundary=\"b"
        + std::to_string(n) + "\"\r\n\r\n";
    return text;
}

// This thread's CPU seconds: the figure stays put on a machine shared with
// other work, where the wall clock does not.
double CpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// CPU seconds to turn every header into a classified row; the suspect count
// through `suspects`.
double Run(const std::vector<CPop3Message>& messages, const FilterLists& lists, int& suspects)
{
    const double start = CpuSeconds();
    suspects = 0;
    for (size_t i = 0; i < messages.size(); ++i) {
        MessageRow row = BuildMessageRow(static_cast<int>(i + 1), 4000, messages[i]);
        row.m_sIdentity = MessageIdentity(messages[i]);
        AddReadableTexts(row);
        suspects += ClassifyRow(lists, row, &messages[i]) != 0;
    }
    return CpuSeconds() - start;
}

}  // namespace

int main(int argc, char** argv)
{
    const int rounds = argc > 1 ? std::max(std::atoi(argv[1]), 1) : 5;
    const int count = argc > 2 ? std::max(std::atoi(argv[2]), 1) : 50000;
    std::vector<CPop3Message> messages(static_cast<size_t>(count));
    for (int n = 0; n < count; ++n)
        messages[static_cast<size_t>(n)].SetText(Header(n));

    FilterLists lists;
    AppendBuiltInDefaults(lists);
    for (const char* entry : {"@bank.example", "boss@company.example", "@friends.example"})
        lists.Append(kFilterTrusted, entry);
    SignalOptions on{true, true, true, "pop.provider.example", {}};

    struct Setting {
        const char* m_sName;
        SignalOptions m_options;
    };
    SignalOptions auth = on, names = on, lookAlike = on;
    auth.m_bNames = auth.m_bLookAlike = false;
    names.m_bAuthentication = names.m_bLookAlike = false;
    lookAlike.m_bAuthentication = lookAlike.m_bNames = false;
    const Setting settings[] = {{"lists only (signals off)", {}},
                                {"lists and authentication", auth},
                                {"lists and names", names},
                                {"lists and look-alikes", lookAlike},
                                {"lists and signals", on}};
    // The settings take turns within each round, so a busy moment of the
    // machine falls on all of them alike.
    constexpr size_t kSettings = std::size(settings);
    std::vector<double> times[kSettings];
    int suspects[kSettings] = {};
    for (int r = 0; r < rounds; ++r) {
        for (size_t k = 0; k < kSettings; ++k) {
            FilterLists judged = lists;
            judged.SetSignals(settings[k].m_options);
            times[k].push_back(Run(messages, judged, suspects[k]));
        }
    }
    for (size_t k = 0; k < kSettings; ++k) {
        std::sort(times[k].begin(), times[k].end());
        const double median = times[k][times[k].size() / 2];
        std::printf("%-26s %d messages: %8.1f ms (%.2f us per row), %d suspect\n", settings[k].m_sName, count,
                    median * 1000, median * 1e6 / count, suspects[k]);
    }
    return 0;
}
