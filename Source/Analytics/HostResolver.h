#pragma once

#include <chrono>
#include <netinet/in.h>
#include <optional>
#include <stop_token>
#include <string>

namespace Morvane::GameAnalytics
{
// Resolves a host name to its first IPv4 address. The system's resolver cannot be interrupted, so a
// name lookup runs on a helper thread of its own that nothing waits for: the caller gives up after
// `timeout` or when `stop` is requested, and the helper finishes (or ends with the process) alone.
std::optional<sockaddr_in> ResolveHost(const std::string& host, int port, std::chrono::milliseconds timeout,
                                       std::stop_token stop);
} // namespace Morvane::GameAnalytics
