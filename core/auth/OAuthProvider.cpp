#include "core/auth/OAuthProvider.h"

#include "core/platform/Ascii.h"
#include "core/platform/CoreText.h"
#include "core/storage/AccountSettings.h"
#include "core/storage/SettingsKeys.h"
#include "core/storage/SettingsStore.h"

#include <array>

namespace {

namespace keys = settings_keys;

struct KnownProvider {
    const char* m_sName;
    const char* m_sAuthorizeUrl;
    const char* m_sTokenUrl;
    const char* m_sScope;
    std::array<const char*, 2> m_aHosts;  // nullptr: unused
    const char* m_sIdKey;
    const char* m_sSecretKey;
    const char* m_sCompiledId;
    const char* m_sCompiledSecret;
};

// The providers whose endpoints are known (each one's documentation for
// installed applications). Google's desktop clients come with a secret that
// its token endpoint asks for although it is not confidential.
constexpr std::array<KnownProvider, 2> kKnownProviders = {{
    {oauth::kGoogle,
     "https://accounts.google.com/o/oauth2/v2/auth",
     "https://oauth2.googleapis.com/token",
     "https://mail.google.com/",
     {"pop.gmail.com", nullptr},
     keys::kGoogleClientId,
     keys::kGoogleClientSecret,
     MAVIX_OAUTH_GOOGLE_CLIENT_ID,
     MAVIX_OAUTH_GOOGLE_CLIENT_SECRET},
    {oauth::kMicrosoft,
     "https://login.microsoftonline.com/common/oauth2/v2.0/authorize",
     "https://login.microsoftonline.com/common/oauth2/v2.0/token",
     "https://outlook.office.com/POP.AccessAsUser.All offline_access",
     {"outlook.office365.com", "pop-mail.outlook.com"},
     keys::kMicrosoftClientId,
     keys::kMicrosoftClientSecret,
     MAVIX_OAUTH_MICROSOFT_CLIENT_ID,
     MAVIX_OAUTH_MICROSOFT_CLIENT_SECRET},
}};

std::string Lower(std::string_view text)
{
    return platform::AsciiLower(platform::TrimSpace(text));
}

std::string Read(const SettingsStore& settings, const char* key, const char* sDefault = "")
{
    const std::string value = settings.ReadString(keys::kOAuth, key, "");
    return value.empty() ? sDefault : value;
}

bool LoadCustom(const SettingsStore& settings, oauth::Provider& provider, std::string* psError)
{
    provider.m_sAuthorizeUrl = Read(settings, keys::kCustomAuthorizeUrl);
    provider.m_sTokenUrl = Read(settings, keys::kCustomTokenUrl);
    provider.m_sScope = Read(settings, keys::kCustomScope);
    provider.m_sClientId = Read(settings, keys::kCustomClientId);
    provider.m_sClientSecret = Read(settings, keys::kCustomClientSecret);
    if (!provider.m_sAuthorizeUrl.empty() && !provider.m_sTokenUrl.empty() && !provider.m_sClientId.empty())
        return true;
    if (psError)
        *psError = core_text::Say(
            "OAuth",
            QT_TRANSLATE_NOOP("OAuth", "the custom OAuth provider needs %1, %2 and %3 in the settings' [%4] section"),
            {keys::kCustomAuthorizeUrl, keys::kCustomTokenUrl, keys::kCustomClientId, keys::kOAuth});
    return false;
}

}  // namespace

namespace oauth {

std::string ProviderForHost(std::string_view host)
{
    const std::string lower = Lower(host);
    for (const KnownProvider& known : kKnownProviders)
        for (const char* candidate : known.m_aHosts)
            if (candidate != nullptr && lower == candidate)
                return known.m_sName;
    return {};
}

bool LoadProvider(const SettingsStore& settings, const AccountSettings& account, Provider& provider,
                  std::string* psError)
{
    provider = Provider();
    if (!account.m_sSection.empty())
        provider.m_sName = Lower(settings.ReadString(account.m_sSection, keys::kOAuthProvider, ""));
    if (provider.m_sName.empty())
        provider.m_sName = ProviderForHost(account.m_sServer);
    if (provider.m_sName == kCustom)
        return LoadCustom(settings, provider, psError);
    for (const KnownProvider& known : kKnownProviders) {
        if (provider.m_sName != known.m_sName)
            continue;
        provider.m_sAuthorizeUrl = known.m_sAuthorizeUrl;
        provider.m_sTokenUrl = known.m_sTokenUrl;
        provider.m_sScope = known.m_sScope;
        provider.m_sClientId = Read(settings, known.m_sIdKey, known.m_sCompiledId);
        provider.m_sClientSecret = Read(settings, known.m_sSecretKey, known.m_sCompiledSecret);
        if (!provider.m_sClientId.empty())
            return true;
        if (psError)
            *psError = core_text::Say(
                "OAuth", QT_TRANSLATE_NOOP("OAuth", "no OAuth client ID for %1: set %2 in the settings' [%3] section"),
                {known.m_sName, known.m_sIdKey, keys::kOAuth});
        return false;
    }
    if (psError)
        *psError = provider.m_sName.empty()
            ? core_text::Say("OAuth",
                             QT_TRANSLATE_NOOP("OAuth",
                                               "no OAuth provider is known for this server: set %1 (google, "
                                               "microsoft or custom) in the account"),
                             {keys::kOAuthProvider})
            : core_text::Say("OAuth",
                             QT_TRANSLATE_NOOP("OAuth", "unknown OAuth provider '%1' (google, microsoft or custom)"),
                             {provider.m_sName});
    return false;
}

}  // namespace oauth
