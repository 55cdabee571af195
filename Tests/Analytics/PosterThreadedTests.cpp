#include "Analytics/EventPoster.h"
#include "Support/LogCapture.h"
#include "Support/LoopbackServer.h"

#include <gtest/gtest.h>
#include <regex>

namespace
{
using namespace Morvane;
using namespace Morvane::GameAnalytics;
using Testing::LoopbackServer;
using namespace std::chrono_literals;

AnalyticsEvent QuotedEvent()
{
    AnalyticsEvent event;
    event.userId = "00:11:22:33:44:55";
    event.sessionId = "2026-12-06 09:05:28";
    event.build = "BETA";
    event.category = "error";
    event.fields["severity"] = "critical";
    event.fields["message"] = "Cost $5 (it's C:\\Game\\main.cpp) said \"no\"\nline 2\t\x01\r\xC3\xA9";
    event.fields["event_id"] = "Brimora:Crash";
    return event;
}

// The service's replacements come before the JSON escapes, which keep bytes above ASCII as they are; the
// digest comes from another MD5 implementation (Python's hashlib).
TEST(AnalyticsPosterThreaded, ServerReceivesTheExactSignedRequest)
{
    LoopbackServer server;
    Testing::LogCapture log;

    EXPECT_TRUE(EventPoster(server.Collector(), 2s).Post(QuotedEvent(), {}));
    EXPECT_TRUE(EventPoster(server.Collector("localhost"), 2s).Post(QuotedEvent(), {}));

    ASSERT_EQ(2u, server.Requests().size());
    const LoopbackServer::Request request = server.Requests()[0];
    EXPECT_EQ("POST /1/0f1e2d3c4b5a69788796a5b4c3d2e1f0/error HTTP/1.1\r\n"
              "Host: 127.0.0.1:" +
                  std::to_string(server.Port()) +
                  "\r\n"
                  "Content-Type: application/x-www-form-urlencoded\r\n"
                  "Content-Length: 214\r\n"
                  "Authorization: 885f3f0da13f7903a9ffa413b8a2e422\r\n\r\n",
              request.header);
    EXPECT_EQ(
        R"([{"user_id":"00:11:22:33:44:55","session_id":"2026-12-06 09:05:28","build":"BETA",)"
        R"("event_id":"Brimora:Crash","message":"Cost %245 %28it s C:/Game/main.cpp%29 said \"no\"\nline 2)"
        R"(\t\u0001\ré","severity":"critical"}])",
        request.body);
    EXPECT_FALSE(log.Contains("GA:"));
}

// Posts to a collector that fails, and returns what was logged.
std::string FailedPostLog(const Endpoint& endpoint, std::chrono::milliseconds timeout = 2s)
{
    Testing::LogCapture log;
    EXPECT_FALSE(EventPoster(endpoint, timeout).Post(QuotedEvent(), {}));
    return log.Text();
}

TEST(AnalyticsPosterThreaded, EveryFailureLogsItsOwnMessage)
{
    LoopbackServer refusing(LoopbackServer::Behaviour::Refuse);
    LoopbackServer closing(LoopbackServer::Behaviour::CloseWithoutAnswer);
    LoopbackServer statusless(LoopbackServer::Behaviour::Reply,
                              "HTTP/1.1 401 Unauthorized\r\n\r\n{\"status\":\"bad\"}");
    LoopbackServer silent(LoopbackServer::Behaviour::HoldUntilReleased);

    EXPECT_NE(std::string::npos, FailedPostLog(refusing.Collector())
                                     .find("GameAnalytics endpoint: GA: Could not connect to the host"));
    EXPECT_NE(
        std::string::npos,
        FailedPostLog(refusing.Collector("no-such-host.invalid"), 500ms).find("GA: Could not get the host"));
    const std::string closed = FailedPostLog(closing.Collector());
    EXPECT_NE(std::string::npos, closed.find("GA: Did not recive positive answer from host"));
    EXPECT_EQ(std::string::npos, closed.find("GA: Invalid response"));
    // A reply without the status text dumps the request line and what came back.
    const std::string invalid = FailedPostLog(statusless.Collector());
    for (const char* part : {"GA: Invalid response", "/****SendData*****/",
                             "POST /1/0f1e2d3c4b5a69788796a5b4c3d2e1f0/error HTTP/1.1", "/****Response*****/",
                             "{\"status\":\"bad\"}"})
    {
        EXPECT_NE(std::string::npos, invalid.find(part)) << part;
    }
    EXPECT_EQ(std::string::npos, invalid.find("Authorization"));
    EXPECT_EQ(std::string::npos, invalid.find("user_id"));
    // No message ends in a line feed of its own, which would leave an empty line in the log.
    for (const std::string& log : {closed, invalid})
    {
        EXPECT_FALSE(std::regex_search(log, std::regex("\n +\n"))) << log;
    }
    // A server that never answers times out as an invalid response.
    const std::string timedOut = FailedPostLog(silent.Collector(), 200ms);
    EXPECT_NE(std::string::npos, timedOut.find("GA: Invalid response"));
    EXPECT_EQ(std::string::npos, timedOut.find("GA: Did not recive"));
}
} // namespace
