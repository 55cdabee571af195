#include "Analytics/EventPoster.h"
#include "Support/LogCapture.h"
#include "Support/LoopbackServer.h"

#include <gtest/gtest.h>
#include <thread>

namespace
{
using namespace Morvane;
using namespace Morvane::GameAnalytics;
using Testing::LoopbackServer;
using namespace std::chrono_literals;

Endpoint Local(int port, const std::string& host = "127.0.0.1")
{
    Endpoint endpoint;
    endpoint.host = host;
    endpoint.port = port;
    return endpoint;
}

AnalyticsEvent QuotedEvent()
{
    AnalyticsEvent event;
    event.userId = "00:11:22:33:44:55";
    event.sessionId = "2026-12-06 09:05:28";
    event.build = "BETA";
    event.category = "error";
    event.fields["event_id"] = "Brimora:Crash";
    event.fields["message"] = "Cost $5 (it's C:\\Game\\main.cpp) said \"no\"\nline 2";
    event.fields["severity"] = "critical";
    return event;
}

// The server sees exactly these bytes; the digest comes from another MD5 implementation.
TEST(AnalyticsPosterThreaded, ServerReceivesTheExactSignedRequest)
{
    LoopbackServer server;
    Testing::LogCapture log;

    const bool posted = EventPoster(Local(server.Port()), 2s).Post(QuotedEvent(), {});

    EXPECT_TRUE(posted);
    ASSERT_EQ(1u, server.Requests().size());
    const LoopbackServer::Request request = server.Requests()[0];
    EXPECT_EQ("POST /1/0f1e2d3c4b5a69788796a5b4c3d2e1f0/error HTTP/1.1\r\n"
              "Host: 127.0.0.1:" +
                  std::to_string(server.Port()) +
                  "\r\n"
                  "Content-Type: application/x-www-form-urlencoded\r\n"
                  "Content-Length: 202\r\n"
                  "Authorization: 54d992d5c983561dc3639b2869304bb7\r\n\r\n",
              request.header);
    EXPECT_EQ(
        R"([{"user_id":"00:11:22:33:44:55","session_id":"2026-12-06 09:05:28","build":"BETA",)"
        R"("event_id":"Brimora:Crash","message":"Cost %245 %28it s C:/Game/main.cpp%29 said \"no\"\nline 2",)"
        R"("severity":"critical"}])",
        request.body);
    EXPECT_FALSE(log.Contains("GA:"));
}

TEST(AnalyticsPosterThreaded, ResolvesHostNames)
{
    LoopbackServer server;

    EXPECT_TRUE(EventPoster(Local(server.Port(), "localhost"), 2s).Post(QuotedEvent(), {}));
    EXPECT_EQ(1u, server.Requests().size());
}

TEST(AnalyticsPosterThreaded, RefusedConnection)
{
    const Testing::RefusingPort port;
    Testing::LogCapture log;

    EXPECT_FALSE(EventPoster(Local(port.Port()), 2s).Post(QuotedEvent(), {}));
    EXPECT_TRUE(log.Contains("GameAnalytics endpoint: GA: Could not connect to the host"));
}

TEST(AnalyticsPosterThreaded, UnresolvableHost)
{
    Testing::LogCapture log;

    EXPECT_FALSE(EventPoster(Local(80, "no-such-host.invalid"), 500ms).Post(QuotedEvent(), {}));
    EXPECT_TRUE(log.Contains("GA: Could not get the host"));
}

TEST(AnalyticsPosterThreaded, ServerClosesWithoutAnswering)
{
    LoopbackServer server(LoopbackServer::Behaviour::CloseWithoutAnswer);
    Testing::LogCapture log;

    EXPECT_FALSE(EventPoster(Local(server.Port()), 2s).Post(QuotedEvent(), {}));
    EXPECT_TRUE(log.Contains("GA: Did not recive positive answer from host"));
    EXPECT_FALSE(log.Contains("GA: Invalid response"));
}

TEST(AnalyticsPosterThreaded, ReplyWithoutStatusDumpsRequestAndReply)
{
    LoopbackServer server(LoopbackServer::Behaviour::Reply,
                          "HTTP/1.1 401 Unauthorized\r\n\r\n{\"status\":\"bad\"}");
    Testing::LogCapture log;

    EXPECT_FALSE(EventPoster(Local(server.Port()), 2s).Post(QuotedEvent(), {}));
    EXPECT_TRUE(log.Contains("GA: Invalid response"));
    EXPECT_TRUE(log.Contains("/****SendData*****/"));
    EXPECT_TRUE(log.Contains("POST /1/0f1e2d3c4b5a69788796a5b4c3d2e1f0/error HTTP/1.1"));
    EXPECT_TRUE(log.Contains("/****Response*****/"));
    EXPECT_TRUE(log.Contains("{\"status\":\"bad\"}"));
}

TEST(AnalyticsPosterThreaded, SilentServerTimesOutAsAnInvalidResponse)
{
    LoopbackServer server(LoopbackServer::Behaviour::NeverAnswer);
    Testing::LogCapture log;

    EXPECT_FALSE(EventPoster(Local(server.Port()), 200ms).Post(QuotedEvent(), {}));
    EXPECT_TRUE(log.Contains("GA: Invalid response"));
    EXPECT_FALSE(log.Contains("GA: Did not recive"));
}

TEST(AnalyticsPosterThreaded, StopRequestAbandonsAWait)
{
    LoopbackServer server(LoopbackServer::Behaviour::NeverAnswer);
    std::stop_source stop;
    std::thread stopper(
        [&]
        {
            server.WaitForRequests(1);
            stop.request_stop();
        });
    Testing::LogCapture log;

    // With a timeout this long, only the stop request can end the post while the test runs.
    EXPECT_FALSE(EventPoster(Local(server.Port()), 600s).Post(QuotedEvent(), stop.get_token()));
    stopper.join();
    EXPECT_TRUE(log.Contains("GA: Invalid response"));
}
} // namespace
