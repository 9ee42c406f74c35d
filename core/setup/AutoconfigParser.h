#pragma once

#include "core/setup/MailSetup.h"

#include <QByteArray>
#include <string>
#include <string_view>

// Reads a domain's autoconfig file (the "clientConfig" format version 1.1
// that mail programs fetch from autoconfig.<domain>): its POP3 servers, how
// to log in, and what the user must switch on first. A pure function of the
// bytes: the file is the server's, so every size is bounded.
namespace autoconfig_parser {

// Real files list one provider with a handful of servers and, at most, a few
// hundred domains: a few KiB. Anything past this is not a configuration.
inline constexpr qsizetype kMaxFileBytes = 128 * 1024;
// clientConfig > emailProvider > incomingServer > pop3 > one value is five
// levels; deeper nesting is refused before it costs anything.
inline constexpr int kMaxDepth = 16;
// Servers looked at; a file naming more is refused.
inline constexpr int kMaxIncomingServers = 64;
// One element's text (a host name, an instruction); longer is refused.
inline constexpr qsizetype kMaxValueChars = 2048;
// What is shown of the provider's name and of its instruction.
inline constexpr qsizetype kMaxNameChars = 80;
inline constexpr qsizetype kMaxNoteChars = 400;

// The best POP3 server of the file for local@domain: implicit TLS before
// STLS before none, the file's order within each. The user name's and host
// name's placeholders are filled in; a user name with a placeholder we do
// not know is left empty. The method is "oauth2" when the server's first
// method we know is OAuth2, "auto" for the password methods; what the user
// must agree to first is in setup.m_aFindings (mail_setup::Findings). False, with
// the reason for the user (UTF-8) in *psError, when the file is malformed, too big
// or too deep, or names no POP3 server we can use.
bool Parse(const QByteArray& xml, std::string_view local, std::string_view domain, MailSetup& setup,
           std::string* psError);

}  // namespace autoconfig_parser
