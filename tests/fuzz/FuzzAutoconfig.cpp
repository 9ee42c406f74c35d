// The autoconfig file's parser against arbitrary bytes: whatever it accepts
// must be a setup the account dialog can show and store as it is.
#include "FuzzEntries.h"

#include <cstdlib>

#include "core/setup/AutoconfigParser.h"

namespace {

void Require(bool condition)
{
    if (!condition)
        std::abort();
}

}  // namespace

void FuzzAutoconfig(const uint8_t* data, size_t size)
{
    const QByteArray xml(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    MailSetup setup;
    std::string error;
    if (!autoconfig_parser::Parse(xml, "ann", "example.org", setup, &error)) {
        Require(!error.empty());
        return;
    }
    Require(mail_setup::IsHostName(setup.m_sServer));
    const int port = std::atoi(setup.m_sPort.c_str());
    Require(port >= 1 && port <= 65535 && std::to_string(port) == setup.m_sPort);
    Require(setup.m_sSecurity == "0" || setup.m_sSecurity == "1" || setup.m_sSecurity == "2");
    Require(setup.m_sAuth == "auto" || setup.m_sAuth == "oauth2");
    Require(setup.m_sUser.size() <= 4 * autoconfig_parser::kMaxValueChars);
    Require(setup.m_sNote.size() <= 4 * autoconfig_parser::kMaxNoteChars);
    Require(setup.m_sHelpUrl.empty() || setup.m_sHelpUrl.rfind("https://", 0) == 0);
}
