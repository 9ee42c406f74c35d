#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// Signals about the sender that no word list can give. They run after the
// lists, and only for a sender not on the trusted list (Classify), but for
// the failed authentication of a trusted sender (TrustedSenderReason).

// Which signals run, and what the account's own receiving side is: a value
// the scan takes with the lists, so a worker never reads the settings.
// Every signal is off in a default value; the front ends switch them on
// from the preferences (Preferences::Signals).
struct SignalOptions {
    bool m_bAuthentication = false;  // failed sender authentication
    bool m_bNames = false;           // impersonated names
    bool m_bLookAlike = false;       // look-alike domains
    // The account's server host: by default, results added under its
    // parent domain are the account's own (IsOwnAuthServId).
    std::string m_sServer;
    // The account's "AuthServIds": when not empty, only these authserv-ids
    // are trusted.
    std::vector<std::string> m_aAuthServIds;

    bool operator==(const SignalOptions&) const = default;
};

// Authentication-Results fields read per message, topmost first: the
// receiving side's own is on top, and a sender can add any number below.
inline constexpr size_t kMaxAuthResultsFields = 16;

// What the signals look at in one message.
struct SenderFacts {
    std::string m_sName;                      // the display name for people (UTF-8); empty when the From has none
    std::string m_sEmail;                     // the address, raw bytes
    std::vector<std::string> m_aAuthResults;  // Authentication-Results values, topmost first
};

// Whether an authserv-id is the account's own receiving side: one of
// m_aAuthServIds when that is set (case ignored); else equal to, or under,
// the server host's parent domain: the host without its first label, or the
// host itself when it has two labels ("mx.provider.example" and
// "provider.example" for "pop.provider.example"). A host that is an address
// or has one label trusts nothing by default.
bool IsOwnAuthServId(const SignalOptions& options, std::string_view authServId);

// The reason of the first signal that fires, in the order authentication,
// look-alike domain, impersonated name; empty when none. `trusted` is the
// trusted-sender list (addresses and "@domain").
std::string SenderSignalReason(const SignalOptions& options, const std::vector<std::string>& trusted,
                               const SenderFacts& facts);

// Why a sender on the trusted list is suspect all the same: the account's
// own receiving side found its domain failing DMARC, or SPF without a
// passing DKIM signature. A forged trusted sender is what that check is
// for; the look-alike and name signals say nothing of a trusted sender.
// Empty when authentication is off or nothing failed.
std::string TrustedSenderReason(const SignalOptions& options, const SenderFacts& facts);

// Whether a reason the signals gave is a failed authentication (which a
// trusted sender does not override).
bool IsAuthenticationReason(std::string_view reason);
