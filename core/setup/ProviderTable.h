#pragma once

#include "core/setup/MailSetup.h"

#include <string_view>

// The big mail providers Mavix knows without asking anybody: their POP3
// server, how to log in, and what the user has to do at the provider first.
namespace provider_table {

struct Provider {
    const char* m_sName;
    // The mail domains, separated by blanks; "*.example.com" also takes
    // every subdomain.
    const char* m_sDomains;
    const char* m_sServer;  // nullptr: the provider offers no POP3
    bool m_bOAuth;          // logs in with OAuth 2.0 by default
    const char* m_sNote;    // the English text: Note gives it in the user's language
    const char* m_sHelpUrl;
    // An app password logs in as well as OAuth 2.0 does.
    bool m_bPasswordToo = false;
};

// The provider serving `domain` (lower case, as mail_setup::SplitAddress
// gives it), or nullptr.
const Provider* Find(std::string_view domain);

// What the user must do at `provider` first, in the user's language (UTF-8).
std::string Note(const Provider& provider);

// The account for `local`@`domain` at `provider`: implicit TLS on 995, the
// whole address as the user name. Only for a provider with a server.
MailSetup SetupFor(const Provider& provider, std::string_view local, std::string_view domain);

}  // namespace provider_table
