#include "core/auth/TokenReply.h"

#include "core/platform/CoreText.h"
#include "core/platform/Secrets.h"

#include <QByteArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <QUrlQuery>

#include <algorithm>
#include <cmath>

namespace {

// Visible ASCII, nothing else: a token never holds a blank or a line end.
bool IsTokenText(const std::string& text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c > ' ' && c < '\x7f'; });
}

std::string Utf8(const QJsonValue& value)
{
    return value.isString() ? value.toString().toStdString() : std::string();
}

// expires_in: a number of seconds; some servers send it as a string.
int64_t ExpiresIn(const QJsonValue& value)
{
    double seconds = -1;
    if (value.isDouble())
        seconds = value.toDouble();
    else if (value.isString())
        seconds = value.toString().toDouble();
    if (!std::isfinite(seconds) || seconds < 0)
        return -1;
    return static_cast<int64_t>(std::min(seconds, static_cast<double>(oauth::kMaxExpiresInSeconds)));
}

std::string ErrorOf(int nHttpStatus, const QJsonObject& object)
{
    const std::string error = oauth::ProviderText(Utf8(object.value(QStringLiteral("error"))));
    const std::string description = oauth::ProviderText(Utf8(object.value(QStringLiteral("error_description"))));
    if (!error.empty() && !description.empty())
        return error + ": " + description;
    if (!error.empty())
        return error;
    return core_text::SayUtf8("OAuth",
                              QT_TRANSLATE_NOOP("OAuth", "the token endpoint answered HTTP %1 without a token"),
                              {std::to_string(nHttpStatus)});
}

std::string QueryValue(const QUrlQuery& query, const char* name)
{
    return query.queryItemValue(QString::fromLatin1(name), QUrl::FullyDecoded).toStdString();
}

}  // namespace

namespace oauth {

void TokenReply::Wipe()
{
    platform::SecureWipe(m_sAccess);
    platform::SecureWipe(m_sRefresh);
}

void RedirectRequest::Wipe()
{
    platform::SecureWipe(m_sCode);
}

std::string ProviderText(std::string_view text)
{
    std::string shown;
    for (char c : text.substr(0, kErrorTextMaxBytes))
        shown += (c >= ' ' && c < '\x7f') ? c : '?';
    return shown;
}

TokenReply ParseTokenReply(int nHttpStatus, std::string_view body)
{
    TokenReply reply;
    if (body.size() > kTokenReplyMaxBytes) {
        reply.m_sError =
            core_text::SayUtf8("OAuth", QT_TRANSLATE_NOOP("OAuth", "the token endpoint's answer is too long"));
        return reply;
    }
    QJsonParseError problem;
    const QJsonDocument document =
        QJsonDocument::fromJson(QByteArray(body.data(), static_cast<qsizetype>(body.size())), &problem);
    if (problem.error != QJsonParseError::NoError || !document.isObject()) {
        reply.m_sError =
            core_text::SayUtf8("OAuth", QT_TRANSLATE_NOOP("OAuth", "the token endpoint answered HTTP %1 without JSON"),
                               {std::to_string(nHttpStatus)});
        return reply;
    }
    const QJsonObject object = document.object();
    reply.m_sAccess = Utf8(object.value(QStringLiteral("access_token")));
    reply.m_sRefresh = Utf8(object.value(QStringLiteral("refresh_token")));
    reply.m_nExpiresIn = ExpiresIn(object.value(QStringLiteral("expires_in")));
    if (nHttpStatus != 200 || object.contains(QStringLiteral("error")) || reply.m_sAccess.empty()) {
        reply.Wipe();
        reply.m_sError = ErrorOf(nHttpStatus, object);
    } else if (!IsTokenText(reply.m_sAccess) || (!reply.m_sRefresh.empty() && !IsTokenText(reply.m_sRefresh))) {
        reply.Wipe();
        reply.m_sError = core_text::SayUtf8(
            "OAuth", QT_TRANSLATE_NOOP("OAuth", "the token endpoint sent a token with characters no token may hold"));
    } else {
        reply.m_bOk = true;
    }
    return reply;
}

HeadStatus ParseRedirectRequest(std::string_view head, RedirectRequest& request)
{
    request = RedirectRequest();
    const size_t end = head.find("\r\n\r\n");
    if (end == std::string_view::npos)
        return head.size() > kRedirectRequestMaxBytes ? HeadStatus::kBad : HeadStatus::kIncomplete;
    if (end > kRedirectRequestMaxBytes)
        return HeadStatus::kBad;
    // "GET /path?query HTTP/1.1"
    const std::string_view line = head.substr(0, head.find("\r\n"));
    const size_t target = line.find(' ');
    const size_t version = line.rfind(' ');
    if (line.substr(0, target) != "GET" || version == target)
        return HeadStatus::kBad;
    const std::string_view path = line.substr(target + 1, version - target - 1);
    const size_t mark = path.find('?');
    if (mark == std::string_view::npos)
        return HeadStatus::kComplete;
    const std::string_view text = path.substr(mark + 1);
    const QUrlQuery query(QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
    request.m_sState = QueryValue(query, "state");
    request.m_sCode = QueryValue(query, "code");
    request.m_sError = QueryValue(query, "error");
    request.m_sErrorDescription = QueryValue(query, "error_description");
    return HeadStatus::kComplete;
}

}  // namespace oauth
