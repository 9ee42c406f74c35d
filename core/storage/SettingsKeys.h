#pragma once

// Every section and key of the settings file, named once. The file is the
// user's and older versions read it too: these texts never change.
namespace settings_keys {

// The account: see AccountSettings; the password only until the keyring
// takes it (PasswordStore).
inline constexpr const char* kAccount = "Acct";
inline constexpr const char* kPort = "Port";
inline constexpr const char* kServer = "Server";
inline constexpr const char* kUser = "User";
inline constexpr const char* kSecurity = "Security";
inline constexpr const char* kTlsFingerprint = "TlsFingerprint";
inline constexpr const char* kPass = "Pass";
// How the account logs in: pop3::ParseAuthMethod's names; absent: "auto".
inline constexpr const char* kAuthentication = "Authentication";
// The OAuth 2.0 provider: "google", "microsoft", "custom"; absent: by the
// server's host name (oauth::ProviderForHost).
inline constexpr const char* kOAuthProvider = "OAuthProvider";
// The OAuth 2.0 refresh token, only until the keyring takes it.
inline constexpr const char* kRefreshToken = "RefreshToken";
// Further accounts are the sections "Acct2", "Acct3", ... (account_list),
// each with the keys above and these; an account's "CheckEvery" is
// kCheckEvery's text.
inline constexpr const char* kName = "Name";
inline constexpr const char* kEnabled = "Enabled";
// The authserv-ids whose Authentication-Results the account trusts,
// comma-separated; absent: by the server's domain (IsOwnAuthServId).
inline constexpr const char* kAuthServIds = "AuthServIds";

// OAuth 2.0 clients (oauth::LoadProvider): the client IDs and secrets of
// the known providers, and the endpoints, scope and client of "custom".
inline constexpr const char* kOAuth = "OAuth";
inline constexpr const char* kGoogleClientId = "GoogleClientId";
inline constexpr const char* kGoogleClientSecret = "GoogleClientSecret";
inline constexpr const char* kMicrosoftClientId = "MicrosoftClientId";
inline constexpr const char* kMicrosoftClientSecret = "MicrosoftClientSecret";
inline constexpr const char* kCustomAuthorizeUrl = "CustomAuthorizeUrl";
inline constexpr const char* kCustomTokenUrl = "CustomTokenUrl";
inline constexpr const char* kCustomScope = "CustomScope";
inline constexpr const char* kCustomClientId = "CustomClientId";
inline constexpr const char* kCustomClientSecret = "CustomClientSecret";

// The window's place and size: see WindowPlacement.
inline constexpr const char* kScreen = "Screen";
inline constexpr const char* kScreenX = "x";
inline constexpr const char* kScreenY = "y";
inline constexpr const char* kScreenWidth = "cx";
inline constexpr const char* kScreenHeight = "cy";
// The screen's scale (device pixels per window pixel, in percent) the four
// values above were stored at; absent in files of earlier versions.
inline constexpr const char* kScreenScale = "scale";
// The review's column widths: see ColumnWidths (keys by column).
// The filter lists have a section each: FilterLists::SectionName.
inline constexpr const char* kList = "List";
// The columns the user hid, their numbers comma-separated; absent until the
// user first chose.
inline constexpr const char* kHiddenColumns = "hidden";

// The preferences: see Preferences.
inline constexpr const char* kPrefs = "Prefs";
inline constexpr const char* kCloseWhenDone = "End";
inline constexpr const char* kAutoStart = "Start";
inline constexpr const char* kDefaultFilters = "Def";
inline constexpr const char* kCheckEvery = "CheckEvery";
inline constexpr const char* kKeepCopyKB = "KeepCopyKB";
inline constexpr const char* kKeepCopyDays = "KeepCopyDays";
inline constexpr const char* kAskBeforeDelete = "AskBeforeDelete";
inline constexpr const char* kWaitSeconds = "WaitSeconds";
inline constexpr const char* kTrayNoted = "TrayNoted";
// The sender signals (SenderSignals.h), each stored only when switched off.
inline constexpr const char* kCheckAuthentication = "CheckAuthentication";
inline constexpr const char* kCheckNames = "CheckNames";
inline constexpr const char* kCheckLookAlikes = "CheckLookAlikes";
inline constexpr const char* kPreviewLines = "PreviewLines";

}  // namespace settings_keys
