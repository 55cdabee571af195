#pragma once

#include <map>
#include <string>

namespace Morvane
{
// One event for the analytics service. The client fills the identity fields when it is submitted.
struct AnalyticsEvent
{
    std::string userId;
    std::string sessionId;
    std::string build;
    std::string category;
    std::map<std::string, std::string> fields;
};
} // namespace Morvane
