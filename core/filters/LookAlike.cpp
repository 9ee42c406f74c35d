#include "LookAlike.h"

#include <unicode/uidna.h>
#include <unicode/uspoof.h>

#include <memory>
#include <unordered_map>

#include "core/platform/Ascii.h"
#include "core/platform/Cp1252.h"
#include "core/platform/HeaderDecode.h"

namespace look_alike {

namespace {

std::string LowerAscii(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

bool IsAscii(std::string_view text)
{
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

const UIDNA* Idna()
{
    struct Close {
        void operator()(UIDNA* p) const { uidna_close(p); }
    };
    static const std::unique_ptr<UIDNA, Close> idna = [] {
        UErrorCode status = U_ZERO_ERROR;
        return std::unique_ptr<UIDNA, Close>(uidna_openUTS46(UIDNA_NONTRANSITIONAL_TO_UNICODE, &status));
    }();
    return idna.get();
}

// One checker per thread: set up once, then only asked. Labels may use one
// script, or Latin with one of the scripts written beside it (Han with
// Japanese kana, Korean) but never with Cyrillic or Greek (UTS #39 §5.2,
// moderately restrictive).
USpoofChecker* Checker()
{
    struct Close {
        void operator()(USpoofChecker* p) const { uspoof_close(p); }
    };
    thread_local const std::unique_ptr<USpoofChecker, Close> checker = [] {
        UErrorCode status = U_ZERO_ERROR;
        USpoofChecker* p = uspoof_open(&status);
        if (p) {
            uspoof_setChecks(p, USPOOF_RESTRICTION_LEVEL | USPOOF_INVISIBLE | USPOOF_MIXED_NUMBERS, &status);
            uspoof_setRestrictionLevel(p, USPOOF_MODERATELY_RESTRICTIVE);
        }
        return std::unique_ptr<USpoofChecker, Close>(U_SUCCESS(status) ? p : nullptr);
    }();
    return checker.get();
}

// UTS #39 §4 skeleton: two texts with the same skeleton read alike.
std::string Skeleton(std::string_view text)
{
    USpoofChecker* checker = Checker();
    if (!checker)
        return {};
    std::string out(text.size() * 4 + 16, '\0');
    UErrorCode status = U_ZERO_ERROR;
    const int32_t n = uspoof_getSkeletonUTF8(checker, 0, text.data(), static_cast<int32_t>(text.size()), out.data(),
                                             static_cast<int32_t>(out.size()), &status);
    if (U_FAILURE(status))
        return {};
    out.resize(static_cast<size_t>(n));
    return out;
}

// A label whose letters come from scripts that are not written together.
bool MixesScripts(std::string_view domain)
{
    USpoofChecker* checker = Checker();
    if (!checker || IsAscii(domain))
        return false;
    size_t start = 0;
    while (start <= domain.size()) {
        size_t dot = domain.find('.', start);
        if (dot == std::string_view::npos)
            dot = domain.size();
        const std::string_view label = domain.substr(start, dot - start);
        UErrorCode status = U_ZERO_ERROR;
        if (!label.empty()
            && uspoof_check2UTF8(checker, label.data(), static_cast<int32_t>(label.size()), nullptr, &status) != 0
            && U_SUCCESS(status))
            return true;
        start = dot + 1;
    }
    return false;
}

// Damerau-Levenshtein distance of exactly one (one letter added, dropped,
// changed, or two neighbours swapped), in one pass.
bool OneEditApart(std::string_view a, std::string_view b)
{
    if (a.size() > b.size())
        std::swap(a, b);
    if (b.size() - a.size() > 1 || a == b)
        return false;
    size_t i = 0;
    while (i < a.size() && a[i] == b[i])
        ++i;
    if (a.size() == b.size()) {
        if (a.substr(i + 1) == b.substr(i + 1))
            return true;
        return i + 1 < a.size() && a[i] == b[i + 1] && a[i + 1] == b[i] && a.substr(i + 2) == b.substr(i + 2);
    }
    return a.substr(i) == b.substr(i + 1);
}

// The name before the last dot: "paypal" of "paypal.com".
std::string_view NamePart(std::string_view domain)
{
    const size_t dot = domain.rfind('.');
    return dot == std::string_view::npos ? domain : domain.substr(0, dot);
}

bool IsUnder(std::string_view domain, std::string_view parent)
{
    return domain == parent
        || (domain.size() > parent.size() && domain.ends_with(parent)
            && domain[domain.size() - parent.size() - 1] == '.');
}

// The last two labels: what a look-alike registers ("paypa1.com" of
// "login.paypa1.com").
std::string_view LastTwoLabels(std::string_view domain)
{
    const size_t last = domain.rfind('.');
    if (last == std::string_view::npos || last == 0)
        return domain;
    const size_t before = domain.rfind('.', last - 1);
    return before == std::string_view::npos ? domain : domain.substr(before + 1);
}

struct Target {
    std::string m_sDomain;  // for people and the one-edit check, Unicode
    std::string m_sSkeleton;
};

// The domains compared with, and the verdicts so far, per thread; both
// start again when the trusted list changes.
struct Cache {
    std::vector<std::string> m_aTrusted;
    std::vector<Target> m_aTargets;
    std::unordered_map<std::string, std::string> m_verdicts;
    bool m_bReady = false;
};

Cache& CacheFor(const std::vector<std::string>& trusted)
{
    thread_local Cache cache;
    if (cache.m_bReady && cache.m_aTrusted == trusted)
        return cache;
    cache = Cache{trusted, {}, {}, true};
    auto add = [](std::string_view domain) {
        std::string unicode = UnicodeDomain(domain);
        if (unicode.empty() || unicode.find('.') == std::string::npos)
            return;
        for (const Target& target : cache.m_aTargets)
            if (target.m_sDomain == unicode)
                return;
        cache.m_aTargets.push_back(Target{unicode, Skeleton(unicode)});
    };
    for (const char* domain : kImitatedDomains)
        add(domain);
    for (const std::string& entry : trusted) {
        const size_t at = entry.rfind('@');
        if (at != std::string::npos)
            add(std::string_view(entry).substr(at + 1));
    }
    return cache;
}

std::string Judge(const std::string& domain, const std::vector<Target>& targets)
{
    const std::string shown = UnicodeDomain(domain);
    for (const Target& target : targets)
        if (IsUnder(shown, target.m_sDomain))
            return {};
    std::string named = "The sender's domain " + shown;
    if (shown != domain && IsAscii(domain))
        named += " (" + domain + ")";
    if (MixesScripts(shown))
        return named + " mixes letters of different scripts";
    const std::string_view candidates[] = {shown, LastTwoLabels(shown)};
    for (std::string_view candidate : candidates) {
        const std::string skeleton = Skeleton(candidate);
        for (const Target& target : targets) {
            if (candidate == target.m_sDomain)
                continue;
            if (!skeleton.empty() && skeleton == target.m_sSkeleton)
                return named + " looks like " + target.m_sDomain;
            const std::string_view name = NamePart(target.m_sDomain);
            if (name.size() >= kMinEditName && NamePart(candidate) != name && OneEditApart(candidate, target.m_sDomain))
                return named + " is one letter away from " + target.m_sDomain;
        }
    }
    return {};
}

}  // namespace

std::string UnicodeDomain(std::string_view domain)
{
    const std::string lower = LowerAscii(domain);
    if (IsAscii(lower) && lower.find("xn--") == std::string::npos)
        return lower;
    if (!platform::IsValidUtf8(lower))
        return platform::Cp1252ToUtf8(lower);  // header bytes outside UTF-8 read as Windows-1252
    if (lower.size() > kMaxDomainLength)
        return lower;
    std::string out(lower.size() * 4 + 16, '\0');
    UIDNAInfo info = UIDNA_INFO_INITIALIZER;
    UErrorCode status = U_ZERO_ERROR;
    const int32_t n = uidna_nameToUnicodeUTF8(Idna(), lower.data(), static_cast<int32_t>(lower.size()), out.data(),
                                              static_cast<int32_t>(out.size()), &info, &status);
    if (U_FAILURE(status) || info.errors != 0)
        return lower;
    out.resize(static_cast<size_t>(n));
    return out;
}

std::string Reason(std::string_view domain, const std::vector<std::string>& trusted)
{
    if (domain.empty() || domain.size() > kMaxDomainLength)
        return {};
    Cache& cache = CacheFor(trusted);
    std::string key = LowerAscii(domain);
    const auto it = cache.m_verdicts.find(key);
    if (it != cache.m_verdicts.end())
        return it->second;
    if (cache.m_verdicts.size() >= kMaxCachedDomains)
        cache.m_verdicts.clear();
    std::string reason = Judge(key, cache.m_aTargets);
    cache.m_verdicts.emplace(std::move(key), reason);
    return reason;
}

}  // namespace look_alike
