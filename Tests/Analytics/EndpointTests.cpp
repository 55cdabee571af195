#include "Analytics/AnalyticsSystem.h"
#include "Analytics/Endpoint.h"
#include "Support/LogCapture.h"
#include "Support/TempDirectory.h"

#include <gtest/gtest.h>

namespace
{
using namespace Morvane;
using namespace Morvane::GameAnalytics;

TEST(AnalyticsEndpoint, ReadsEveryAttribute)
{
    const Testing::TempDirectory folder;
    const std::string path =
        folder.Write("Analytics.xml", R"(<GameAnalytics host="collector.lan" port="8089" gameKey="g" )"
                                      R"(secretKey="s" secondKey="k" dataHost="data.lan"/>)");

    const Endpoint endpoint = Endpoint::Load(path);

    EXPECT_TRUE(endpoint.IsEnabled());
    EXPECT_EQ("collector.lan", endpoint.host);
    EXPECT_EQ(8089, endpoint.port);
    EXPECT_EQ("g", endpoint.gameKey);
    EXPECT_EQ("s", endpoint.secretKey);
    EXPECT_EQ("k", endpoint.secondKey);
    EXPECT_EQ("data.lan", endpoint.dataHost);
}

TEST(AnalyticsEndpoint, DefaultsAreTheBuildsKeysAndNoHost)
{
    const Testing::TempDirectory folder;
    const Endpoint missing = Endpoint::Load(folder.Path() + "Missing.xml");
    const Endpoint hostOnly = Endpoint::Load(folder.Write("Analytics.xml", R"(<GameAnalytics host="h"/>)"));

    EXPECT_FALSE(missing.IsEnabled());
    EXPECT_TRUE(hostOnly.IsEnabled());
    EXPECT_EQ(80, hostOnly.port);
    EXPECT_EQ("0f1e2d3c4b5a69788796a5b4c3d2e1f0", hostOnly.gameKey);
    EXPECT_EQ("9a8b7c6d5e4f30211203f4e5d6c7b8a9c0d1e2f3", hostOnly.secretKey);
    EXPECT_EQ("1b2c3d4e5f60718293a4b5c6d7e8f90a1b2c3d4e", hostOnly.secondKey);
}

TEST(AnalyticsEndpoint, BadPortOrWrongElementDisables)
{
    const Testing::TempDirectory folder;
    Testing::LogCapture log;

    const Endpoint badPort =
        Endpoint::Load(folder.Write("Port.xml", R"(<GameAnalytics host="h" port="70000"/>)"));
    const Endpoint wrongElement = Endpoint::Load(folder.Write("Other.xml", R"(<Analytics host="h"/>)"));

    EXPECT_FALSE(badPort.IsEnabled());
    EXPECT_FALSE(wrongElement.IsEnabled());
    EXPECT_TRUE(log.Contains("Invalid port 70000"));
    EXPECT_TRUE(log.Contains("Unknown parser element 'Analytics'"));
}

TEST(AnalyticsSystem, IgnoresEventsBeforeInitialize)
{
    System client;
    AnalyticsEvent event;
    event.category = "design";

    client.SubmitEvent(event);

    EXPECT_TRUE(client.GetQueuedEvents().empty());
}

TEST(AnalyticsSystem, WithoutHostNothingIsQueuedAndOneLineSaysSo)
{
    System client;
    Testing::LogCapture log;
    client.Initialize(Endpoint{});
    AnalyticsEvent event;
    event.category = "design";
    event.fields["event_id"] = "Brimora:Game:Started";

    client.SubmitEvent(event);
    client.Initialize(Endpoint{});
    client.SubmitEvent(event);

    EXPECT_TRUE(client.GetQueuedEvents().empty());
    EXPECT_TRUE(log.Contains("Analytics is off: no collector host configured"));
    const std::string& text = log.Text();
    EXPECT_EQ(text.find("Analytics is off"), text.rfind("Analytics is off"));
}
} // namespace
