#include "Analytics/AnalyticsSystem.h"
#include "Analytics/Endpoint.h"
#include "Analytics/Request.h"
#include "Support/ChildProcess.h"
#include "Support/LogCapture.h"
#include "Support/LoopbackServer.h"
#include "Support/TempDirectory.h"

#include <gtest/gtest.h>
#include <thread>

namespace
{
using namespace Morvane;
using namespace Morvane::GameAnalytics;
using namespace std::chrono_literals;

TEST(AnalyticsEndpoint, MissingFileBadPortOrWrongElementDisables)
{
    const Testing::TempDirectory folder;
    Testing::LogCapture log;

    EXPECT_FALSE(Endpoint::Load(folder.Path() + "Missing.xml").IsEnabled());
    EXPECT_FALSE(
        Endpoint::Load(folder.Write("Port.xml", R"(<GameAnalytics host="h" port="70000"/>)")).IsEnabled());
    EXPECT_FALSE(Endpoint::Load(folder.Write("Other.xml", R"(<Analytics host="h"/>)")).IsEnabled());
    // A line break in a key would end the request line and start a header of the data's choosing.
    EXPECT_FALSE(
        Endpoint::Load(folder.Write("Key.xml", R"(<GameAnalytics host="h" gameKey="k&#13;&#10;X: 1"/>)"))
            .IsEnabled());
    EXPECT_TRUE(log.Contains("Invalid port 70000"));
    EXPECT_TRUE(log.Contains("Unknown parser element 'Analytics'"));
    EXPECT_TRUE(log.Contains("Invalid gameKey"));
}

TEST(AnalyticsSystem, BeforeInitializeOrWithoutHostNothingIsQueuedAndOneLineSaysSo)
{
    System client;
    const AnalyticsEvent event = AnalyticsEvent::Design("Brimora:Game:Started");
    client.SubmitEvent(event);
    EXPECT_TRUE(client.GetQueuedEvents().empty());

    Testing::LogCapture log;
    client.Initialize(Endpoint{});
    client.SubmitEvent(event);
    client.Initialize(Endpoint{});
    client.SubmitEvent(event);

    EXPECT_TRUE(client.GetQueuedEvents().empty());
    EXPECT_EQ(1u, Testing::CountOf(log.Text(), "Analytics is off: no collector host configured"));
}

TEST(AnalyticsRequest, PortEightyIsLeftOutOfTheHost)
{
    Endpoint endpoint;
    endpoint.host = "collector.example";
    const Request request = Request::Build(AnalyticsEvent::Design("Brimora:Crash"), endpoint);
    EXPECT_NE(std::string::npos, request.header.find("\r\nHost: collector.example\r\n"));
}

// Not "Threaded": ThreadSanitizer refuses threads in a child forked from a threaded process, and the
// server's thread runs when the child is forked.
TEST(AnalyticsExit, EventsQueuedAtExitAreStillSignedAndPosted)
{
    const Testing::LoopbackServer server;
    const Testing::ChildOutcome outcome = Testing::RunInChild(
        [&]
        {
            System& client = System::GetInstance();
            client.Initialize(server.Collector());
            client.SubmitEvent(AnalyticsEvent::Design("Brimora:Game:Started"));
            // Let the worker sign and post the first event, as it does long before a game ends.
            while (!client.GetQueuedEvents().empty())
            {
                std::this_thread::sleep_for(1ms);
            }
            std::this_thread::sleep_for(200ms);
            client.SubmitEvent(AnalyticsEvent::Design("Brimora:Game:Closed"));
            return 0;
        });

    EXPECT_TRUE(outcome.exited && outcome.exitStatus == 0) << "signal " << outcome.signal << "\n"
                                                           << outcome.output;
    const std::vector<Testing::LoopbackServer::Request> requests = server.Requests();
    ASSERT_EQ(requests.size(), 2u) << outcome.output;
    EXPECT_NE(requests[1].body.find(R"("event_id":"Brimora:Game:Closed")"), std::string::npos);
    EXPECT_EQ(outcome.output.find("not submitted"), std::string::npos) << outcome.output;
}
} // namespace
