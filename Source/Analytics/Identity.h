#pragma once

#include <ctime>
#include <string>

namespace Morvane::GameAnalytics
{
// The player's id: the node bytes of a time-based UUID (the network adapter's address where the
// system has one), as "XX:XX:XX:XX:XX:XX".
std::string MakeUserId();

// The session's id: `time` in local time as "YYYY-MM-DD hh:mm:ss".
std::string MakeSessionId(std::time_t time);
} // namespace Morvane::GameAnalytics
