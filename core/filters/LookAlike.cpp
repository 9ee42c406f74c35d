#include "LookAlike.h"

#include <libpsl.h>
#include <unicode/uidna.h>
#include <unicode/uspoof.h>

#include <memory>
#include <unordered_map>

#include "core/filters/Brands.h"
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

// UTS #39 §4 skeleton, in lower case: two texts with the same skeleton
// read alike.
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
    // Domains have no letter case: the prototype of a digit zero is a
    // capital O, which reads as the o it imitates.
    return LowerAscii(out);
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

// The public-suffix list as the system keeps it (the publicsuffix
// package), else the one built into libpsl; none when neither is there.
const psl_ctx_t* Psl()
{
    static const psl_ctx_t* const psl = [] {
        const psl_ctx_t* latest = psl_latest(nullptr);
        return latest ? latest : psl_builtin();
    }();
    return psl;
}

// The last two labels, where there is no list.
std::string_view LastTwoLabels(std::string_view domain)
{
    const size_t last = domain.rfind('.');
    if (last == std::string_view::npos || last == 0)
        return domain;
    const size_t before = domain.rfind('.', last - 1);
    return before == std::string_view::npos ? domain : domain.substr(before + 1);
}

std::string_view FirstLabel(std::string_view domain)
{
    return domain.substr(0, domain.find('.'));
}

// Blank-separated words of a brand's entry.
std::vector<std::string_view> WordsOf(std::string_view text)
{
    std::vector<std::string_view> words;
    size_t at = 0;
    while (at < text.size()) {
        const size_t end = std::min(text.find(' ', at), text.size());
        if (end > at)
            words.push_back(text.substr(at, end - at));
        at = end + 1;
    }
    return words;
}

struct BrandWord {
    std::string_view m_sWord;
    const Brand* m_pBrand;
};

// Every brand's words, split once.
const std::vector<BrandWord>& BrandWords()
{
    static const std::vector<BrandWord> words = [] {
        std::vector<BrandWord> all;
        for (const Brand& brand : kBrands)
            for (std::string_view word : WordsOf(brand.m_sWords))
                all.push_back(BrandWord{word, &brand});
        return all;
    }();
    return words;
}

bool IsWordOf(const Brand& brand, std::string_view word)
{
    for (std::string_view own : WordsOf(brand.m_sWords))
        if (own == word)
            return true;
    return false;
}

// The domain (lower case, Unicode) is the brand's: under one of its
// domains, or its word under any public suffix (amazon.de).
bool BrandOwns(const Brand& brand, std::string_view domain, std::string_view registrable)
{
    for (std::string_view own : WordsOf(brand.m_sDomains))
        if (IsUnder(domain, own))
            return true;
    return IsWordOf(brand, FirstLabel(registrable));
}

// The shortest brand word found inside a longer label ("paypalsecure"):
// shorter words are parts of too many honest names.
constexpr size_t kMinWordInLabel = 6;

// A brand whose word is a label of the domain below its public suffix, a
// hyphenated part of one, or (a long word) inside one: "paypal" in
// paypal.com.secure-login.net or paypal-secure.com.
const Brand* BrandInLabels(std::string_view domain, std::string_view registrable)
{
    const size_t dot = registrable.find('.');
    const std::string_view named =
        domain.substr(0, domain.size() - (dot == std::string_view::npos ? 0 : registrable.size() - dot));
    for (const BrandWord& entry : BrandWords()) {
        const std::string_view word = entry.m_sWord;
        for (size_t at = named.find(word); at != std::string_view::npos; at = named.find(word, at + 1)) {
            const size_t end = at + word.size();
            const bool bWhole = (at == 0 || named[at - 1] == '.' || named[at - 1] == '-')
                && (end == named.size() || named[end] == '.' || named[end] == '-');
            if (bWhole || word.size() >= kMinWordInLabel)
                return entry.m_pBrand;
        }
    }
    return nullptr;
}

// A letter or digit of a word in a sender's name (ASCII).
bool IsWordChar(char c)
{
    const char lower = static_cast<char>(c | 0x20);
    return platform::IsDigit(c) || (lower >= 'a' && lower <= 'z');
}

// One name is the other with a letter put in front: two names, not a typo
// (cloud.com and icloud.com).
bool OnlyLeadingLetter(std::string_view a, std::string_view b)
{
    if (a.size() > b.size())
        std::swap(a, b);
    return b.size() == a.size() + 1 && b.substr(1) == a;
}

struct Target {
    std::string m_sDomain;  // for people and the one-edit check, Unicode
    std::string m_sSkeleton;
};

// Why `candidate` (or its skeleton) reads one letter away from the target,
// or empty.
std::string NearMiss(std::string_view candidate, const std::string& skeleton, const Target& target)
{
    const std::string_view name = NamePart(target.m_sDomain);
    if (NamePart(candidate) == name)
        return {};
    // Letters of another script that read one letter away from a brand
    // have no honest neighbours to spare, however short the name.
    const bool bLong = name.size() >= kMinEditName;
    if (bLong && OneEditApart(candidate, target.m_sDomain) && !OnlyLeadingLetter(candidate, target.m_sDomain))
        return " is one letter away from " + target.m_sDomain;
    if ((bLong || !IsAscii(candidate)) && !skeleton.empty() && OneEditApart(skeleton, target.m_sSkeleton)
        && !OnlyLeadingLetter(skeleton, target.m_sSkeleton))
        return " looks like " + target.m_sDomain;
    return {};
}

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
    for (const Brand& brand : kBrands)
        for (std::string_view domain : WordsOf(brand.m_sDomains))
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
    const std::string registrable = RegistrableDomain(shown);
    for (const Brand& brand : kBrands)
        if (BrandOwns(brand, shown, registrable))
            return {};
    std::string named = "The sender's domain " + shown;
    if (shown != domain && IsAscii(domain))
        named += " (" + domain + ")";
    if (MixesScripts(shown))
        return named + " mixes letters of different scripts";
    std::vector<std::string_view> candidates{shown};
    if (registrable != shown)
        candidates.push_back(registrable);
    for (std::string_view candidate : candidates) {
        const std::string skeleton = Skeleton(candidate);
        for (const Target& target : targets)
            if (!skeleton.empty() && skeleton == target.m_sSkeleton && candidate != target.m_sDomain)
                return named + " looks like " + target.m_sDomain;
        for (const Target& target : targets)
            if (std::string miss = NearMiss(candidate, skeleton, target); !miss.empty())
                return named + miss;
    }
    if (const Brand* brand = BrandInLabels(shown, registrable))
        return named + " carries the name " + brand->m_sName + " but is not one of " + brand->m_sName + "'s";
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

std::string RegistrableDomain(std::string_view domain)
{
    const std::string text(domain);
    const psl_ctx_t* psl = Psl();
    const char* registrable = psl ? psl_registrable_domain(psl, text.c_str()) : nullptr;
    if (!psl)
        return std::string(LastTwoLabels(domain));
    return registrable ? std::string(registrable) : text;
}

std::string NameReason(std::string_view name, std::string_view domain)
{
    if (domain.empty() || domain.size() > kMaxDomainLength)
        return {};
    std::string shown;
    std::string registrable;
    for (size_t at = 0; at < name.size();) {
        size_t end = at;
        while (end < name.size() && IsWordChar(name[end]))
            ++end;
        const std::string word = LowerAscii(name.substr(at, end - at));
        at = end + 1;
        for (const BrandWord& entry : BrandWords()) {
            if (word.empty() || entry.m_sWord != word)
                continue;
            if (shown.empty()) {
                shown = UnicodeDomain(domain);
                registrable = RegistrableDomain(shown);
            }
            const Brand& brand = *entry.m_pBrand;
            if (!BrandOwns(brand, shown, registrable))
                return "The sender's name says " + std::string(brand.m_sName) + ", but the mail comes from " + shown
                    + ", which is not one of " + brand.m_sName + "'s domains";
        }
    }
    return {};
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
