#pragma once

#include "Analytics/AnalyticsEvent.h"
#include "Analytics/Endpoint.h"

#include <chrono>
#include <stop_token>

namespace Morvane::GameAnalytics
{
// Posts one event per connection to the endpoint and judges the reply. Every failure is logged on
// the channel "GameAnalytics endpoint".
class EventPoster
{
public:
    EventPoster(Endpoint endpoint, std::chrono::milliseconds timeout);

    // True when the service answered {"status":"ok"}. Each network step waits at most the timeout,
    // and all of them give up when `stop` is requested.
    bool Post(const AnalyticsEvent& event, std::stop_token stop) const;

private:
    bool Send(const AnalyticsEvent& event, std::stop_token stop) const;

    Endpoint m_endpoint;
    std::chrono::milliseconds m_timeout;
};
} // namespace Morvane::GameAnalytics
