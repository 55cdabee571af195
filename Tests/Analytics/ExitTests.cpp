#include "Analytics/AnalyticsSystem.h"
#include "Support/ChildProcess.h"
#include "Support/LoopbackServer.h"

#include <gtest/gtest.h>
#include <thread>

namespace
{
using namespace Morvane;
using namespace Morvane::GameAnalytics;
using Testing::LoopbackServer;
using namespace std::chrono_literals;

AnalyticsEvent Design(const std::string& id)
{
    AnalyticsEvent event;
    event.category = "design";
    event.fields["event_id"] = id;
    return event;
}

// Not "Threaded": ThreadSanitizer refuses threads in a child forked from a threaded process, and the
// server's thread runs when the child is forked.
TEST(AnalyticsExit, EventsQueuedAtExitAreStillSignedAndPosted)
{
    const LoopbackServer server;
    const Testing::ChildOutcome outcome = Testing::RunInChild(
        [&]
        {
            Endpoint endpoint;
            endpoint.host = "127.0.0.1";
            endpoint.port = server.Port();
            System& client = System::GetInstance();
            client.Initialize(endpoint);
            client.SubmitEvent(Design("Brimora:Game:Started"));
            // Let the worker sign and post the first event, as it does long before a game ends.
            while (!client.GetQueuedEvents().empty())
            {
                std::this_thread::sleep_for(1ms);
            }
            std::this_thread::sleep_for(200ms);
            client.SubmitEvent(Design("Brimora:Game:Closed"));
            return 0;
        });

    EXPECT_TRUE(outcome.exited) << "signal " << outcome.signal << "\n" << outcome.output;
    EXPECT_EQ(outcome.exitStatus, 0) << outcome.output;
    const std::vector<LoopbackServer::Request> requests = server.Requests();
    ASSERT_EQ(requests.size(), 2u) << outcome.output;
    EXPECT_NE(requests[1].body.find(R"("event_id":"Brimora:Game:Closed")"), std::string::npos);
    EXPECT_EQ(outcome.output.find("not submitted"), std::string::npos) << outcome.output;
}
} // namespace
