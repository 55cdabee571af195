#include "Analytics/Request.h"

#include "Analytics/Endpoint.h"
#include "System/Logging/Format.h"

#include <array>
#include <openssl/evp.h>
#include <stdexcept>

namespace Morvane::GameAnalytics
{
namespace
{

// The service's own replacements, in the order it expects them.
std::string MakeServiceSafe(const std::string& text)
{
    std::string safe;
    safe.reserve(text.size());
    for (const char character : text)
    {
        switch (character)
        {
        case '$':
            safe += "%24";
            break;
        case '(':
            safe += "%28";
            break;
        case ')':
            safe += "%29";
            break;
        case '\'':
            safe += ' ';
            break;
        case '\\':
            safe += '/';
            break;
        default:
            safe += character;
        }
    }
    return safe;
}

// Escapes what the replacements left that JSON cannot carry as is. Runs after them, so that the
// backslashes it adds survive.
std::string EscapeJson(const std::string& text)
{
    std::string escaped;
    escaped.reserve(text.size());
    for (const char character : text)
    {
        switch (character)
        {
        case '"':
            escaped += "\\\"";
            break;
        case '\n':
            escaped += "\\n";
            break;
        case '\r':
            escaped += "\\r";
            break;
        case '\t':
            escaped += "\\t";
            break;
        default:
            if (static_cast<unsigned char>(character) < 0x20)
            {
                escaped += Format("\\u%04x", static_cast<unsigned>(character));
            }
            else
            {
                escaped += character;
            }
        }
    }
    return escaped;
}

std::string Pair(const std::string& key, const std::string& value)
{
    return "\"" + EscapeJson(MakeServiceSafe(key)) + "\":\"" + EscapeJson(MakeServiceSafe(value)) + "\"";
}
} // namespace

Request Request::Build(const AnalyticsEvent& event, const Endpoint& endpoint)
{
    Request request;
    request.body = BuildBody(event);
    const std::string host = endpoint.port == Endpoint::kDefaultPort
                                 ? endpoint.host
                                 : endpoint.host + ":" + std::to_string(endpoint.port);
    request.header = "POST /1/" + endpoint.gameKey + "/" + event.category + " HTTP/1.1\r\n" +
                     "Host: " + host + "\r\n" + "Content-Type: application/x-www-form-urlencoded\r\n" +
                     "Content-Length: " + std::to_string(request.body.size()) + "\r\n" +
                     "Authorization: " + Sign(request.body, endpoint.secretKey) + "\r\n\r\n";
    return request;
}

std::string Request::BuildBody(const AnalyticsEvent& event)
{
    std::string object = "{" + Pair("user_id", event.userId) + "," + Pair("session_id", event.sessionId) +
                         "," + Pair("build", event.build);
    for (const auto& [key, value] : event.fields)
    {
        object += "," + Pair(key, value);
    }
    return "[" + object + "}]";
}

std::string Request::Sign(const std::string& body, const std::string& secretKey)
{
    const std::string signedText = body + secretKey;
    std::array<unsigned char, EVP_MAX_MD_SIZE> digest{};
    unsigned int length = 0;
    if (EVP_Digest(signedText.data(), signedText.size(), digest.data(), &length, EVP_md5(), nullptr) != 1)
    {
        throw std::runtime_error("MD5 is not available");
    }
    std::string hex;
    for (unsigned int index = 0; index < length; ++index)
    {
        hex += Format("%02x", digest[index]);
    }
    return hex;
}
} // namespace Morvane::GameAnalytics
