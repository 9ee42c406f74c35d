#include "AutoconfigParser.h"

#include "core/platform/CoreText.h"

#include <QString>
#include <QStringList>
#include <QXmlStreamReader>

namespace autoconfig_parser {
namespace {

// One <incomingServer> as read so far.
struct Server {
    bool m_bPop3 = false;
    QString m_sHost, m_sPort, m_sSocket, m_sUser;
    QString m_sAuth;  // our name for the first method we know; empty: none listed
    bool m_bAuthListed = false;
};

int SecurityRank(const QString& socket)
{
    if (socket == QLatin1String("SSL"))
        return 0;
    if (socket == QLatin1String("STARTTLS"))
        return 1;
    return socket == QLatin1String("plain") ? 2 : -1;
}

// The format's method names (and their older spellings) we can log in with.
QString MethodOf(const QString& name)
{
    static const QStringList kPassword = {"password-cleartext", "plain", "password-encrypted", "secure"};
    if (kPassword.contains(name))
        return QStringLiteral("auto");
    return name == QLatin1String("OAuth2") ? QStringLiteral("oauth2") : QString();
}

// Text for a plain-text label: no control characters, blanks collapsed.
std::string Shown(const QString& text, qsizetype maxChars)
{
    QString clean;
    for (QChar c : text)
        clean += c.category() == QChar::Other_Control ? QChar(' ') : c;
    clean = clean.simplified();
    if (clean.size() > maxChars)
        clean = clean.left(maxChars - 1) + QChar(0x2026);
    return clean.toStdString();
}

class ConfigReader {
public:
    ConfigReader(std::string_view local, std::string_view domain)
        : m_sLocal(local),
          m_sDomain(domain)
    { }

    bool Read(const QByteArray& xml, MailSetup& setup, std::string* psError);

private:
    bool Fail(const char* source, std::initializer_list<std::string> values = {})
    {
        m_sError = core_text::SayUtf8("Setup", source, values);
        return false;
    }
    bool OnStart(QXmlStreamReader& reader);
    bool OnEnd();
    void ConsiderServer();
    bool TakeServer(const Server& server, MailSetup& setup) const;

    std::string_view m_sLocal, m_sDomain;
    QStringList m_asPath;  // the open elements, outermost first
    QString m_sText;       // the current element's text
    Server m_server;
    int m_nServers = 0;
    int m_nBestRank = 3;
    MailSetup m_best;
    QString m_sProvider, m_sInstruction, m_sVisitUrl;
    std::string m_sError;
};

bool ConfigReader::OnStart(QXmlStreamReader& reader)
{
    if (m_asPath.size() >= kMaxDepth)
        return Fail(QT_TRANSLATE_NOOP("Setup", "The configuration file is nested too deeply."));
    const QString name = reader.name().toString();
    if (m_asPath.isEmpty() && name != QLatin1String("clientConfig"))
        return Fail(QT_TRANSLATE_NOOP("Setup", "The file is not a mail configuration file."));
    m_asPath << name;
    m_sText.clear();
    const QString parent = m_asPath.size() >= 2 ? m_asPath[m_asPath.size() - 2] : QString();
    if (name == QLatin1String("incomingServer") && parent == QLatin1String("emailProvider")) {
        if (++m_nServers > kMaxIncomingServers)
            return Fail(QT_TRANSLATE_NOOP("Setup", "The configuration file lists too many servers."));
        m_server = Server();
        m_server.m_bPop3 = reader.attributes().value(QLatin1String("type")) == QLatin1String("pop3");
    } else if (name == QLatin1String("enable") && parent == QLatin1String("emailProvider") && m_sVisitUrl.isEmpty()) {
        m_sVisitUrl = reader.attributes().value(QLatin1String("visiturl")).toString();
    }
    return true;
}

bool ConfigReader::OnEnd()
{
    const QString name = m_asPath.takeLast();
    const QString parent = m_asPath.isEmpty() ? QString() : m_asPath.last();
    const QString text = m_sText.trimmed();
    m_sText.clear();
    if (parent == QLatin1String("incomingServer") && m_asPath.size() == 3) {
        if (name == QLatin1String("hostname"))
            m_server.m_sHost = text;
        else if (name == QLatin1String("port"))
            m_server.m_sPort = text;
        else if (name == QLatin1String("socketType"))
            m_server.m_sSocket = text;
        else if (name == QLatin1String("username"))
            m_server.m_sUser = text;
        else if (name == QLatin1String("authentication")) {
            m_server.m_bAuthListed = true;
            if (m_server.m_sAuth.isEmpty())
                m_server.m_sAuth = MethodOf(text);
        }
    } else if (name == QLatin1String("incomingServer") && m_asPath.size() == 2) {
        ConsiderServer();
    } else if (name == QLatin1String("displayName") && m_asPath.size() == 2 && m_sProvider.isEmpty()) {
        m_sProvider = text;
    } else if (name == QLatin1String("instruction") && parent == QLatin1String("enable") && m_sInstruction.isEmpty()) {
        m_sInstruction = text;
    }
    return true;
}

bool ConfigReader::TakeServer(const Server& server, MailSetup& setup) const
{
    // A server that lists methods but none we know cannot be logged in to.
    if (!server.m_bPop3 || (server.m_bAuthListed && server.m_sAuth.isEmpty()))
        return false;
    const int rank = SecurityRank(server.m_sSocket);
    std::string host;
    if (rank < 0 || !mail_setup::ExpandPlaceholders(server.m_sHost.toStdString(), m_sLocal, m_sDomain, host)
        || !mail_setup::IsHostName(host))
        return false;
    std::string port = rank == 0 ? "995" : "110";  // RFC 8314 §3.3, RFC 1939 §3
    if (!server.m_sPort.isEmpty()) {
        bool bNumber = false;
        const uint value = server.m_sPort.toUInt(&bNumber, 10);
        if (!bNumber || value == 0 || value > 65535 || server.m_sPort.size() > 5)
            return false;
        port = std::to_string(value);
    }
    setup.m_sServer = host;
    setup.m_sPort = port;
    // Assigned as a std::string: GCC 12 sees a false overlap (-Wrestrict) in assigning the literal.
    setup.m_sSecurity = std::string(rank == 0 ? "2" : rank == 1 ? "1" : "0");
    setup.m_sAuth = server.m_sAuth.isEmpty() ? "auto" : server.m_sAuth.toStdString();
    std::string user;
    const bool bUser = mail_setup::ExpandPlaceholders(server.m_sUser.toStdString(), m_sLocal, m_sDomain, user);
    setup.m_sUser = bUser && Shown(QString::fromStdString(user), kMaxValueChars) == user ? user : std::string();
    return true;
}

void ConfigReader::ConsiderServer()
{
    MailSetup setup;
    if (!TakeServer(m_server, setup))
        return;
    const int rank = setup.m_sSecurity == "2" ? 0 : setup.m_sSecurity == "1" ? 1 : 2;
    if (rank < m_nBestRank) {
        m_nBestRank = rank;
        m_best = setup;
    }
}

bool ConfigReader::Read(const QByteArray& xml, MailSetup& setup, std::string* psError)
{
    bool bOk = xml.size() <= kMaxFileBytes || Fail(QT_TRANSLATE_NOOP("Setup", "The configuration file is too large."));
    QXmlStreamReader reader(xml);
    while (bOk && !reader.atEnd()) {
        switch (reader.readNext()) {
        case QXmlStreamReader::DTD:
        case QXmlStreamReader::EntityReference:
            // A configuration needs no declarations; entities only cost.
            bOk = Fail(QT_TRANSLATE_NOOP("Setup", "The file is not a mail configuration file."));
            break;
        case QXmlStreamReader::StartElement:
            bOk = OnStart(reader);
            break;
        case QXmlStreamReader::EndElement:
            bOk = OnEnd();
            break;
        case QXmlStreamReader::Characters:
            m_sText += reader.text();
            if (m_sText.size() > kMaxValueChars)
                bOk = Fail(QT_TRANSLATE_NOOP("Setup", "A value in the configuration file is too long."));
            break;
        default:
            break;
        }
    }
    if (bOk && reader.hasError())
        bOk = Fail(QT_TRANSLATE_NOOP("Setup", "The configuration file is not well-formed XML (line %1)."),
                   {std::to_string(reader.lineNumber())});
    if (bOk && m_nBestRank > 2)
        bOk = Fail(QT_TRANSLATE_NOOP("Setup", "The configuration names no POP3 server Mavix can use."));
    if (!bOk) {
        if (psError)
            *psError = m_sError;
        return false;
    }
    setup = m_best;
    setup.m_sProvider = Shown(m_sProvider, kMaxNameChars);
    if (!m_sInstruction.isEmpty() || !m_sVisitUrl.isEmpty()) {
        setup.m_sNote = m_sInstruction.isEmpty() ? core_text::SayUtf8(
                            "Setup", QT_TRANSLATE_NOOP("Setup", "The provider asks you to switch access on first."))
                                                 : Shown(m_sInstruction, kMaxNoteChars);
        // Only a secure web page becomes a link.
        if (m_sVisitUrl.startsWith(QLatin1String("https://")) && m_sVisitUrl.size() <= kMaxValueChars)
            setup.m_sHelpUrl = Shown(m_sVisitUrl, kMaxValueChars);
    }
    return true;
}

}  // namespace

bool Parse(const QByteArray& xml, std::string_view local, std::string_view domain, MailSetup& setup,
           std::string* psError)
{
    ConfigReader reader(local, domain);
    if (!reader.Read(xml, setup, psError))
        return false;
    setup.m_aFindings = mail_setup::Findings(setup, domain);
    return true;
}

}  // namespace autoconfig_parser
