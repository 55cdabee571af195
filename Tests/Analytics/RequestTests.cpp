#include "Analytics/Endpoint.h"
#include "Analytics/Request.h"

#include <gtest/gtest.h>

namespace
{
using namespace Morvane;
using namespace Morvane::GameAnalytics;

AnalyticsEvent CrashEvent()
{
    AnalyticsEvent event;
    event.userId = "00:11:22:33:44:55";
    event.sessionId = "2026-12-06 09:05:28";
    event.build = "BETA";
    event.category = "error";
    event.fields["severity"] = "critical";
    event.fields["message"] = "Cost $5 (it's C:\\Game\\main.cpp) said \"no\"\nline 2";
    event.fields["event_id"] = "Brimora:Crash";
    return event;
}

// Digests below were computed with another MD5 implementation (Python's hashlib).
TEST(AnalyticsRequest, ServiceReplacementsComeBeforeJsonEscapes)
{
    const Request request = Request::Build(CrashEvent(), Endpoint{});

    const std::string body =
        R"([{"user_id":"00:11:22:33:44:55","session_id":"2026-12-06 09:05:28","build":"BETA",)"
        R"("event_id":"Brimora:Crash","message":"Cost %245 %28it s C:/Game/main.cpp%29 said \"no\"\nline 2",)"
        R"("severity":"critical"}])";
    EXPECT_EQ(body, request.body);
    EXPECT_EQ("POST /1/0f1e2d3c4b5a69788796a5b4c3d2e1f0/error HTTP/1.1\r\n"
              "Host: \r\n"
              "Content-Type: application/x-www-form-urlencoded\r\n"
              "Content-Length: 202\r\n"
              "Authorization: 54d992d5c983561dc3639b2869304bb7\r\n\r\n",
              request.header);
}

TEST(AnalyticsRequest, PlainEventIsIdentityThenFieldsByKey)
{
    AnalyticsEvent event;
    event.userId = "AA:BB:CC:DD:EE:FF";
    event.sessionId = "2026-01-02 03:04:05";
    event.build = "BETA";
    event.category = "design";
    event.fields["z"] = "3.25";
    event.fields["event_id"] = "Brimora:Player:Die";
    event.fields["x"] = "1.00";
    event.fields["area"] = "Levels/Level_2.xml";
    event.fields["y"] = "-2.50";
    Endpoint endpoint;
    endpoint.host = "collector.example";

    const Request request = Request::Build(event, endpoint);

    EXPECT_EQ(
        R"([{"user_id":"AA:BB:CC:DD:EE:FF","session_id":"2026-01-02 03:04:05","build":"BETA",)"
        R"("area":"Levels/Level_2.xml","event_id":"Brimora:Player:Die","x":"1.00","y":"-2.50","z":"3.25"}])",
        request.body);
    EXPECT_EQ("POST /1/0f1e2d3c4b5a69788796a5b4c3d2e1f0/design HTTP/1.1\r\n"
              "Host: collector.example\r\n"
              "Content-Type: application/x-www-form-urlencoded\r\n"
              "Content-Length: 177\r\n"
              "Authorization: 5010d7698356226b94b89d16579377e6\r\n\r\n",
              request.header);
}

TEST(AnalyticsRequest, ControlCharactersAreEscapedAndNonAsciiKept)
{
    AnalyticsEvent event;
    event.fields["message"] = std::string("tab\there\x01\r") + "\xC3\xA9";

    const std::string body = Request::BuildBody(event);

    EXPECT_NE(std::string::npos, body.find(R"("message":"tab\there\u0001\r)"
                                           "\xC3\xA9\""));
}

TEST(AnalyticsRequest, SignatureIsMd5OfBodyThenKey)
{
    EXPECT_EQ("d41d8cd98f00b204e9800998ecf8427e", Request::Sign("", ""));
    EXPECT_EQ("900150983cd24fb0d6963f7d28e17f72", Request::Sign("a", "bc"));
    EXPECT_EQ(Request::Sign("ab", "c"), Request::Sign("a", "bc"));
}

TEST(AnalyticsRequest, HostNamesAPortOtherThanEighty)
{
    Endpoint endpoint;
    endpoint.host = "127.0.0.1";
    endpoint.port = 8089;
    AnalyticsEvent event;
    event.category = "design";

    EXPECT_NE(std::string::npos, Request::Build(event, endpoint).header.find("\r\nHost: 127.0.0.1:8089\r\n"));
}
} // namespace
