#include "Analytics/Endpoint.h"

#include "Parsing/FileParser/FileParser.h"
#include "Parsing/IParserData.h"
#include "System/Logging/Format.h"
#include "System/Logging/LoggingSystem.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <utility>

namespace Morvane::GameAnalytics
{
namespace
{
const char* const kChannel = "GameAnalytics";
const char* const kElement = "GameAnalytics";
constexpr int kHighestPort = 65535;

bool IsSafeInRequest(const std::string& text)
{
    return std::all_of(text.begin(), text.end(),
                       [](char character)
                       { return std::isgraph(static_cast<unsigned char>(character)) != 0; });
}
} // namespace

Endpoint Endpoint::Parse(const IParserData& data)
{
    Endpoint endpoint;
    endpoint.host = data.GetAttribute("host", endpoint.host);
    endpoint.port = data.GetAttributeInt("port", endpoint.port);
    endpoint.gameKey = data.GetAttribute("gameKey", endpoint.gameKey);
    endpoint.secretKey = data.GetAttribute("secretKey", endpoint.secretKey);
    endpoint.secondKey = data.GetAttribute("secondKey", endpoint.secondKey);
    endpoint.dataHost = data.GetAttribute("dataHost", endpoint.dataHost);
    if (endpoint.port < 1 || endpoint.port > kHighestPort)
    {
        Log::Error(kChannel, Format("Invalid port %d", endpoint.port));
        endpoint.host.clear();
    }
    for (const auto& [name, value] : {std::pair<const char*, const std::string&>{"host", endpoint.host},
                                      {"gameKey", endpoint.gameKey},
                                      {"secretKey", endpoint.secretKey}})
    {
        if (!IsSafeInRequest(value))
        {
            Log::Error(kChannel, Format("Invalid %s '%s'", name, value.c_str()));
            endpoint.host.clear();
        }
    }
    return endpoint;
}

Endpoint Endpoint::Load(const std::string& path)
{
    std::error_code error;
    if (!std::filesystem::exists(path, error))
    {
        return {};
    }
    FileParser parser;
    const IParserData* data = parser.Parse(path);
    if (data == nullptr)
    {
        return {};
    }
    if (data->GetName() != kElement)
    {
        Log::Warning(kChannel, Format("Unknown parser element '%s'", data->GetName().c_str()));
        return {};
    }
    return Parse(*data);
}
} // namespace Morvane::GameAnalytics
