#pragma once

#include "Analytics/AnalyticsEvent.h"

#include <string>

namespace Morvane::GameAnalytics
{
struct Endpoint;

// The bytes of one event's HTTP request: the header and the body, sent separately.
struct Request
{
    std::string header;
    std::string body;

    static Request Build(const AnalyticsEvent& event, const Endpoint& endpoint);

    // "[{...}]": identity first, then the fields in ascending key order. Every text is made safe for
    // the service ("$" "(" ")" "'" "\" replaced) and then escaped for JSON.
    static std::string BuildBody(const AnalyticsEvent& event);
    // The "Authorization" value: MD5 of the body followed by the secret key, in lowercase hex.
    static std::string Sign(const std::string& body, const std::string& secretKey);
};
} // namespace Morvane::GameAnalytics
