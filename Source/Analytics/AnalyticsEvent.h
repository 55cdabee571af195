#pragma once

#include <map>
#include <string>

namespace Morvane
{
// One event for the analytics service. The client fills the identity fields when it is submitted.
struct AnalyticsEvent
{
    // A "design" event named `eventId` ("Brimora:Game:Started").
    static AnalyticsEvent Design(const std::string& eventId)
    {
        AnalyticsEvent event;
        event.category = "design";
        event.fields["event_id"] = eventId;
        return event;
    }

    std::string userId;
    std::string sessionId;
    std::string build;
    std::string category;
    std::map<std::string, std::string> fields;
};
} // namespace Morvane
