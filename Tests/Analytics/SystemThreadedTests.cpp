#include "Analytics/AnalyticsSystem.h"
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

Endpoint Local(int port)
{
    Endpoint endpoint;
    endpoint.host = "127.0.0.1";
    endpoint.port = port;
    return endpoint;
}

ClientTiming Quick()
{
    ClientTiming timing;
    timing.pause = 1ms;
    timing.networkTimeout = 2s;
    timing.shutdownLimit = 5s;
    return timing;
}

AnalyticsEvent Design(const std::string& id)
{
    AnalyticsEvent event;
    event.category = "design";
    event.fields["event_id"] = id;
    return event;
}

std::string EventIdOf(const LoopbackServer::Request& request)
{
    const std::string key = "\"event_id\":\"";
    const std::size_t start = request.body.find(key) + key.size();
    return request.body.substr(start, request.body.find('"', start) - start);
}

std::size_t CountOf(const std::string& text, const std::string& part)
{
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
    {
        ++count;
    }
    return count;
}

TEST(AnalyticsSystemThreaded, PostsEveryEventInOrderOneRequestEach)
{
    LoopbackServer server;
    Testing::LogCapture log;
    System client(Quick());
    client.Initialize(Local(server.Port()));

    client.SubmitEvent(Design("A"));
    client.SubmitEvent(Design("B"));
    client.SubmitEvent(Design("C"));
    ASSERT_TRUE(server.WaitForRequests(3));
    client.Shutdown();

    const std::vector<LoopbackServer::Request> requests = server.Requests();
    ASSERT_EQ(3u, requests.size());
    EXPECT_EQ("A", EventIdOf(requests[0]));
    EXPECT_EQ("B", EventIdOf(requests[1]));
    EXPECT_EQ("C", EventIdOf(requests[2]));
    for (const LoopbackServer::Request& request : requests)
    {
        EXPECT_EQ(1u, CountOf(request.body, "\"event_id\""));
        EXPECT_EQ(0u, request.body.find(R"([{"user_id":")"));
        EXPECT_NE(std::string::npos, request.body.find(R"("build":"BETA")"));
    }
    EXPECT_TRUE(log.Contains("GameAnalytics: Event 'design/A' submitted"));
    EXPECT_TRUE(log.Contains("Event 'design/C' submitted"));
    EXPECT_FALSE(log.Contains("not submitted"));
}

TEST(AnalyticsSystemThreaded, EveryEventCarriesThePlayersIdentityNotTheSubmittersOwn)
{
    LoopbackServer server;
    System client(Quick());
    client.Initialize(Local(server.Port()));
    AnalyticsEvent event = Design("Brimora:Game:Started");
    event.userId = "forged";
    event.sessionId = "forged";
    event.build = "forged";

    client.SubmitEvent(event);
    client.Shutdown();

    ASSERT_EQ(1u, server.Requests().size());
    const std::string body = server.Requests()[0].body;
    EXPECT_TRUE(std::regex_match(body, std::regex(R"(\[\{"user_id":"([0-9A-F]{2}:){5}[0-9A-F]{2}",)"
                                                  R"("session_id":"\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2}",)"
                                                  R"("build":"BETA","event_id":"Brimora:Game:Started"\}\])")))
        << body;
}

TEST(AnalyticsSystemThreaded, QueueIsBoundedWhileTheNetworkIsStuck)
{
    LoopbackServer server(LoopbackServer::Behaviour::HoldUntilReleased);
    ClientTiming timing = Quick();
    timing.networkTimeout = 600s;
    timing.shutdownLimit = 100ms;
    System client(timing);
    client.Initialize(Local(server.Port()));
    client.SubmitEvent(Design("Brimora:Player:Die"));
    // The worker now waits for the held reply, so everything after this stays queued.
    ASSERT_TRUE(server.WaitForRequests(1));
    for (std::size_t index = 0; index < System::kMaxQueuedEvents; ++index)
    {
        client.SubmitEvent(Design("Brimora:Player:Die"));
    }
    Testing::LogCapture log;

    client.SubmitEvent(Design("Brimora:Player:Die"));

    EXPECT_EQ(System::kMaxQueuedEvents, client.GetQueuedEvents().size());
    EXPECT_TRUE(log.Contains("SubmitEvent: queue full, event 'design/Brimora:Player:Die' dropped"));
}

TEST(AnalyticsSystemThreaded, FailedPostIsLoggedAndTheNextEventStillGoes)
{
    LoopbackServer server(LoopbackServer::Behaviour::Reply, "HTTP/1.1 500 Oops\r\n\r\n");
    Testing::LogCapture log;
    System client(Quick());
    client.Initialize(Local(server.Port()));

    client.SubmitEvent(Design("A"));
    client.SubmitEvent(Design("B"));
    client.Shutdown();

    EXPECT_EQ(2u, server.Requests().size());
    EXPECT_EQ(2u, CountOf(log.Text(), "GameAnalytics: Thread: Could not submit event"));
}

TEST(AnalyticsSystemThreaded, SubmittingNeverWaitsForTheNetwork)
{
    LoopbackServer server(LoopbackServer::Behaviour::HoldUntilReleased);
    ClientTiming timing = Quick();
    timing.networkTimeout = 60s;
    System client(timing);
    client.Initialize(Local(server.Port()));

    client.SubmitEvent(Design("A"));
    ASSERT_TRUE(server.WaitForRequests(1));
    // The worker now waits for the held reply; these must return regardless.
    client.SubmitEvent(Design("B"));
    client.SubmitEvent(Design("C"));
    const std::vector<AnalyticsEvent> queued = client.GetQueuedEvents();
    server.Release();
    ASSERT_TRUE(server.WaitForRequests(3));

    ASSERT_EQ(2u, queued.size());
    EXPECT_EQ("B", queued[0].fields.at("event_id"));
    const std::vector<LoopbackServer::Request> requests = server.Requests();
    EXPECT_EQ("B", EventIdOf(requests[1]));
    EXPECT_EQ("C", EventIdOf(requests[2]));
}

TEST(AnalyticsSystemThreaded, ShutdownPostsWhatIsQueuedWithoutThePauses)
{
    LoopbackServer server;
    ClientTiming timing = Quick();
    timing.pause = 600s;
    System client(timing);
    client.Initialize(Local(server.Port()));

    client.SubmitEvent(Design("A"));
    client.SubmitEvent(Design("B"));
    client.SubmitEvent(Design("C"));
    client.Shutdown();

    EXPECT_EQ(3u, server.Requests().size());
    EXPECT_TRUE(client.GetQueuedEvents().empty());
}

TEST(AnalyticsSystemThreaded, ShutdownAbandonsASilentServerAtItsLimit)
{
    LoopbackServer server(LoopbackServer::Behaviour::NeverAnswer);
    ClientTiming timing = Quick();
    timing.networkTimeout = 600s;
    timing.shutdownLimit = 200ms;
    Testing::LogCapture log;
    const auto start = std::chrono::steady_clock::now();
    {
        System client(timing);
        client.Initialize(Local(server.Port()));
        client.SubmitEvent(Design("A"));
        client.SubmitEvent(Design("B"));
        client.SubmitEvent(Design("C"));
        ASSERT_TRUE(server.WaitForRequests(1));
    }
    const auto elapsed = std::chrono::steady_clock::now() - start;

    // Not a speed figure: without the limit this would wait for the ten-minute network timeout.
    EXPECT_LT(elapsed, 60s);
    EXPECT_EQ(1u, server.Requests().size());
    EXPECT_TRUE(log.Contains("Thread: Could not submit event"));
    EXPECT_TRUE(log.Contains("Shutdown: 2 event(s) not submitted"));
}

TEST(AnalyticsSystemThreaded, InitializeReadsTheEndpointFromTheData)
{
    LoopbackServer server;
    const Testing::TempDirectory folder;
    folder.Write("Configuration/Analytics.xml", "<GameAnalytics host=\"127.0.0.1\" port=\"" +
                                                    std::to_string(server.Port()) + "\" gameKey=\"k1\"/>");
    PathWrapper::GetInstance().AddPath("LocalFolder", folder.Path());
    System client(Quick());
    client.Initialize();

    client.SubmitEvent(Design("Brimora:Game:Started"));
    ASSERT_TRUE(server.WaitForRequests(1));

    EXPECT_EQ(0u, server.Requests()[0].header.find("POST /1/k1/design HTTP/1.1\r\n"));
}
} // namespace
