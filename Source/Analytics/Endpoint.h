#pragma once

#include <string>

namespace Morvane
{
class IParserData;
}

namespace Morvane::GameAnalytics
{
// Where events are posted and the keys that sign them. The keys default to the values the build
// carries; the host has no default, and without one nothing is ever sent.
struct Endpoint
{
    static constexpr int kDefaultPort = 80;

    std::string host;
    int port = kDefaultPort;
    std::string gameKey = "0f1e2d3c4b5a69788796a5b4c3d2e1f0";
    std::string secretKey = "9a8b7c6d5e4f30211203f4e5d6c7b8a9c0d1e2f3";
    // Carried for the service's data interface; no request reads them.
    std::string secondKey = "1b2c3d4e5f60718293a4b5c6d7e8f90a1b2c3d4e";
    std::string dataHost;

    bool IsEnabled() const { return !host.empty(); }

    // Reads the attributes of a "GameAnalytics" element; missing ones keep their defaults. A port
    // outside 1..65535, or a host or key with white space or control characters (they would end up
    // in the request line and headers), is logged and leaves the endpoint disabled.
    static Endpoint Parse(const IParserData& data);
    // The endpoint a file describes; the defaults (disabled) when the file is missing or unreadable.
    static Endpoint Load(const std::string& path);
};
} // namespace Morvane::GameAnalytics
