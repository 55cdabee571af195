#include "Analytics/Identity.h"

#include "System/Logging/Format.h"

#include <array>
#include <cstdint>
#include <cstdlib>
#include <uuid/uuid.h>

namespace Morvane::GameAnalytics
{
std::string MakeUserId()
{
    uuid_t id{};
    // libuuid seeds and draws from the C library's generator (srandom and random, whose state rand()
    // shares) with the time: lend it a state of its own, so that a seeded rand() (a capture replay)
    // gives the same sequence whenever the identity is made.
    alignas(std::int32_t) std::array<char, 128> state{};
    char* const previous = initstate(1, state.data(), state.size());
    uuid_generate_time(id);
    setstate(previous);
    // Bytes 10 to 15 of a time-based UUID are its node.
    return Format("%02X:%02X:%02X:%02X:%02X:%02X", id[10], id[11], id[12], id[13], id[14], id[15]);
}

std::string MakeSessionId(std::time_t time)
{
    std::tm local{};
    localtime_r(&time, &local);
    return Format("%d-%02d-%02d %02d:%02d:%02d", local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                  local.tm_hour, local.tm_min, local.tm_sec);
}
} // namespace Morvane::GameAnalytics
