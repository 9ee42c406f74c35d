#pragma once

#include <string>
#include <string_view>

struct AccountSettings;
class SettingsStore;

namespace oauth {

// One OAuth 2.0 authorization server and this program's client at it.
// Texts are UTF-8 (URLs and identifiers are ASCII in practice).
struct Provider {
    std::string m_sName;  // "google", "microsoft", "custom"
    std::string m_sAuthorizeUrl, m_sTokenUrl, m_sScope;
    std::string m_sClientId, m_sClientSecret;  // the secret may be empty
};

inline constexpr const char* kGoogle = "google";
inline constexpr const char* kMicrosoft = "microsoft";
inline constexpr const char* kCustom = "custom";

// The known provider whose POP3 host this is ("google", "microsoft"), or
// empty. Case is ignored.
std::string ProviderForHost(std::string_view host);

// The account's provider: the OAuthProvider value of its section (none for an
// account not stored yet, whose m_sSection is empty), else the one the table
// gives for its server; its endpoints and scope from the table (for
// "custom" from [OAuth]), its client from [OAuth] or the compiled-in
// defaults. False with *psError saying what to set (Windows-1252, as the
// log-in's texts are) when no provider is known or a value is missing.
bool LoadProvider(const SettingsStore& settings, const AccountSettings& account, Provider& provider,
                  std::string* psError);

}  // namespace oauth
