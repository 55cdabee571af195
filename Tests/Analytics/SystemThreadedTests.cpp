#include "Analytics/AnalyticsSystem.h"
#include "Analytics/Request.h"
#include "Support/LogCapture.h"
#include "Support/LoopbackServer.h"
#include "Support/TempDirectory.h"
#include "System/PathWrapper/PathWrapper.h"

#include <gtest/gtest.h>
#include <regex>

namespace
{
using namespace Morvane;
using namespace Morvane::GameAnalytics;
using Testing::LoopbackServer;
using namespace std::chrono_literals;
using namespace std::string_literals;

// The collector is named by the project's data, as the game finds it.
TEST(AnalyticsSystemThreaded, PostsEveryEventInOrderOneRequestEachWithThePlayersIdentity)
{
    LoopbackServer server;
    const Testing::TempDirectory folder;
    folder.Write("Configuration/Analytics.xml", "<GameAnalytics host=\"127.0.0.1\" port=\"" +
                                                    std::to_string(server.Port()) +
                                                    "\" gameKey=\"k1\" secretKey=\"s1\"/>");
    PathWrapper::GetInstance().AddPath("LocalFolder", folder.Path());
    Testing::LogCapture log;
    const auto pause = 100ms;
    System client({.pause = pause, .networkTimeout = 2s, .shutdownLimit = 5s});
    client.Initialize();
    AnalyticsEvent forged = AnalyticsEvent::Design("A");
    forged.userId = forged.sessionId = forged.build = "forged";

    client.SubmitEvent(forged);
    client.SubmitEvent(AnalyticsEvent::Design("B"));
    client.SubmitEvent(AnalyticsEvent::Design("C"));
    ASSERT_TRUE(server.WaitForRequests(3));
    client.Shutdown();

    const std::vector<LoopbackServer::Request> requests = server.Requests();
    ASSERT_EQ(3u, requests.size());
    for (std::size_t index = 0; index < requests.size(); ++index)
    {
        EXPECT_EQ(0u, requests[index].header.find("POST /1/k1/design HTTP/1.1\r\n"));
        const std::string signature = Request::Sign(requests[index].body, "s1");
        EXPECT_NE(std::string::npos, requests[index].header.find("\r\nAuthorization: " + signature + "\r\n"));
        EXPECT_EQ(1u, Testing::CountOf(requests[index].body, "\"event_id\""));
        EXPECT_NE(std::string::npos, requests[index].body.find(R"("event_id":")" + "ABC"s.substr(index, 1)));
        // The service takes at most one event per pause, however quick the network.
        EXPECT_TRUE(index == 0 || requests[index].connected - requests[index - 1].connected >= pause)
            << index;
    }
    EXPECT_TRUE(
        std::regex_match(requests[0].body, std::regex(R"(\[\{"user_id":"([0-9A-F]{2}:){5}[0-9A-F]{2}",)"
                                                      R"("session_id":"\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2}",)"
                                                      R"("build":"BETA","event_id":"A"\}\])")))
        << requests[0].body;
    EXPECT_TRUE(log.Contains("GameAnalytics: Event 'design/A' submitted"));
    EXPECT_FALSE(log.Contains("not submitted"));
}

TEST(AnalyticsSystemThreaded, FailedPostIsLoggedAndTheNextEventStillGoes)
{
    LoopbackServer server(LoopbackServer::Behaviour::Reply, "HTTP/1.1 500 Oops\r\n\r\n");
    Testing::LogCapture log;
    System client({.pause = 1ms, .networkTimeout = 2s, .shutdownLimit = 5s});
    client.Initialize(server.Collector());

    client.SubmitEvent(AnalyticsEvent::Design("A"));
    client.SubmitEvent(AnalyticsEvent::Design("B"));
    client.Shutdown();

    EXPECT_EQ(2u, server.Requests().size());
    EXPECT_EQ(2u, Testing::CountOf(log.Text(), "GameAnalytics: Thread: Could not submit event"));
}

TEST(AnalyticsSystemThreaded, SubmittingNeverWaitsTheQueueIsBoundedAndShutdownAbandonsASilentServer)
{
    LoopbackServer server(LoopbackServer::Behaviour::HoldUntilReleased);
    Testing::LogCapture log;
    const auto start = std::chrono::steady_clock::now();
    {
        System client({.pause = 1ms, .networkTimeout = 600s, .shutdownLimit = 200ms});
        client.Initialize(server.Collector());
        client.SubmitEvent(AnalyticsEvent::Design("A"));
        // The worker now waits for the held reply: everything after this stays queued, and must return.
        ASSERT_TRUE(server.WaitForRequests(1));
        client.SubmitEvent(AnalyticsEvent::Design("B"));
        for (std::size_t index = 1; index <= System::kMaxQueuedEvents; ++index)
        {
            client.SubmitEvent(AnalyticsEvent::Design(index < System::kMaxQueuedEvents ? "C" : "D"));
        }
        const std::vector<AnalyticsEvent> queued = client.GetQueuedEvents();
        ASSERT_EQ(System::kMaxQueuedEvents, queued.size());
        EXPECT_EQ("B", queued.front().fields.at("event_id"));
        EXPECT_EQ("C", queued.back().fields.at("event_id"));
    }

    // Not a speed figure: without the limit this would wait for the ten-minute network timeout.
    EXPECT_LT(std::chrono::steady_clock::now() - start, 60s);
    EXPECT_EQ(1u, server.Requests().size());
    for (const char* line : {"SubmitEvent: queue full, event 'design/D' dropped",
                             "Thread: Could not submit event", "Shutdown: 1024 event(s) not submitted"})
    {
        EXPECT_TRUE(log.Contains(line)) << line;
    }
}
} // namespace
