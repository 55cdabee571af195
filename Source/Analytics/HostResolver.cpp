#include "Analytics/HostResolver.h"

#include <arpa/inet.h>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <memory>
#include <mutex>
#include <netdb.h>
#include <thread>

namespace Morvane::GameAnalytics
{
namespace
{
// Shared between the caller and the lookup thread, so that either may be the last to let go.
struct Lookup
{
    std::mutex mutex;
    std::condition_variable_any done;
    bool finished = false;
    std::optional<in_addr> address;
};

std::optional<in_addr> LookUp(const std::string& host)
{
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* results = nullptr;
    if (getaddrinfo(host.c_str(), nullptr, &hints, &results) != 0 || results == nullptr)
    {
        return std::nullopt;
    }
    sockaddr_in first{};
    std::memcpy(&first, results->ai_addr, sizeof(first));
    freeaddrinfo(results);
    return first.sin_addr;
}
} // namespace

std::optional<sockaddr_in> ResolveHost(const std::string& host, int port, std::chrono::milliseconds timeout,
                                       std::stop_token stop)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    if (inet_pton(AF_INET, host.c_str(), &address.sin_addr) == 1)
    {
        return address;
    }

    const auto lookup = std::make_shared<Lookup>();
    std::thread(
        [lookup, host]
        {
            std::optional<in_addr> found = LookUp(host);
            const std::lock_guard lock(lookup->mutex);
            lookup->address = found;
            lookup->finished = true;
            lookup->done.notify_all();
        })
        .detach();

    std::unique_lock lock(lookup->mutex);
    if (!lookup->done.wait_for(lock, stop, timeout, [&lookup] { return lookup->finished; }) ||
        !lookup->address)
    {
        return std::nullopt;
    }
    address.sin_addr = *lookup->address;
    return address;
}
} // namespace Morvane::GameAnalytics
