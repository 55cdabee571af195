#include "ResourceFixture.h"
#include "System/PathWrapper/PathWrapper.h"
#include "SystemManager/SystemManager.h"

#include <gtest/gtest.h>
#include <vector>

namespace Morvane::Testing
{
namespace
{
const std::string kTextureType = "Morvane::Testing::TestTexture";
const std::string kSoundType = "Morvane::Testing::TestSound";

class ResourceDefinitions : public ResourceFixture
{
};

class ResourceRequests : public ResourceFixture
{
protected:
    void SetUp() override
    {
        ResourceFixture::SetUp();
        ASSERT_TRUE(ParseText(R"(<ResourceSystem>
            <Texture name="wall" value="stone"/>
            <Sound name="step" value="gravel"/>
            <Texture name="unparseable" parses="false"/>
            <Texture name="uninitializable" initializes="false"/>
            <Mystery name="riddle"/>
        </ResourceSystem>)"));
    }
};

TEST_F(ResourceDefinitions, ReadsSectionsPacksAndAFileNamedByPath)
{
    PathWrapper::GetInstance().AddPath("ResourceFolder", m_folder.Path());
    m_folder.Write("Sounds.xml", R"(<Pack><Sound name="step" value="gravel"/></Pack>)");
    m_folder.Write("Resources.xml",
                   R"(<ResourceSystem><Section><Section><Texture name="wall"/></Section></Section>
        <Pack name="Sounds" path="$(ResourceFolder)Sounds.xml"/></ResourceSystem>)");
    ASSERT_TRUE(ParseText(R"(<ResourceSystem path="$(ResourceFolder)Resources.xml"/>)"));
    EXPECT_NE(m_system.GetResource<TestTexture>("wall"), nullptr);
    const TestSound* step = m_system.GetResource<TestSound>("step");
    ASSERT_NE(step, nullptr);
    EXPECT_EQ(step->GetValue(), "gravel");
}

TEST_F(ResourceDefinitions, BadDefinitionStopsTheParseWithItsMessages)
{
    const std::string dir = m_folder.Path();
    m_folder.Write("First.xml", R"(<Pack><Texture name="wall" value="stone"/></Pack>)");
    m_folder.Write("Second.xml", R"(<Pack><Texture name="wall" value="brick"/></Pack>)");
    m_folder.Write("Loop.xml", "<Pack><Pack name='Again' path='" + dir + "Loop.xml'/></Pack>");
    const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
        {"<Texture name='before'/><Section><Texture value='anonymous'/></Section>",
         {"No named resource", "Could not parse section: 'Section'"}},
        {"<Pack name='Ghosts' path='" + dir + "Nowhere.xml'/>", {"Could not parse section: 'Ghosts'"}},
        {"<Pack name='Loop' path='" + dir + "Loop.xml'/>",
         {"Resource file '" + dir + "Loop.xml' includes itself", "Could not parse section: 'Loop'"}},
        {"<Pack name='One' path='" + dir + "First.xml'/><Pack name='Two' path='" + dir + "Second.xml'/>",
         {"Trying to set a duplicated definition of resource 'wall'", "Could not parse section: 'Two'"}},
    };
    for (const auto& [body, messages] : cases)
    {
        m_system.Release();
        LogCapture log;
        EXPECT_FALSE(ParseText("<ResourceSystem>" + body + "</ResourceSystem>")) << body;
        for (const std::string& message : messages)
        {
            EXPECT_TRUE(Logged(log, message)) << message;
        }
    }
    // The refused duplicate left the first definition in place.
    const TestTexture* wall = m_system.GetResource<TestTexture>("wall");
    ASSERT_NE(wall, nullptr);
    EXPECT_EQ(wall->GetValue(), "stone");
}

TEST_F(ResourceRequests, LoadsAtOnceAndOnlyOnce)
{
    LogCapture log;
    TestTexture* wall = m_system.GetResource<TestTexture>("wall");
    ASSERT_NE(wall, nullptr);
    EXPECT_TRUE(log.Contains("Resource initialized successfully ['wall']"));
    EXPECT_TRUE(wall->IsInitialized());
    EXPECT_EQ(wall->GetValue(), "stone");
    EXPECT_EQ(m_system.GetResource<Resources::Resource>("wall"), wall);
    EXPECT_EQ(m_probe.created, 1);
    EXPECT_EQ(m_probe.initialized, 1);
    EXPECT_EQ(m_system.GetLoadingCount(), 0);
}

TEST_F(ResourceRequests, FailedRequestLogsAndLeavesNothingAlive)
{
    struct Case
    {
        std::string name;
        bool asSound;
        std::string message;
        int released;
    };
    const std::vector<Case> cases = {
        {"ghost", false, "Resource definition not found for 'ghost' of type '" + kTextureType + "'", 0},
        {"riddle", false, "Resource tag 'Mystery' not found, could not derive to delegate", 0},
        {"wall", true,
         "Could not convert 'wall' from type '" + kTextureType + "' to type '" + kSoundType + "'", 0},
        {"unparseable", false,
         "Could not load resource definition 'unparseable' of type '" + kTextureType + "'", 1},
        {"uninitializable", false,
         "Could not initialize resource 'uninitializable' of type '" + kTextureType + "'", 1},
    };
    for (const Case& failing : cases)
    {
        const int released = m_probe.released;
        for (int request = 0; request < 2; ++request)
        {
            LogCapture log;
            const Resources::Resource* resource =
                failing.asSound
                    ? static_cast<Resources::Resource*>(m_system.GetResource<TestSound>(failing.name))
                    : m_system.GetResource<TestTexture>(failing.name);
            EXPECT_EQ(resource, nullptr) << failing.name;
            EXPECT_TRUE(Logged(log, failing.message)) << failing.message;
        }
        EXPECT_EQ(m_probe.released - released, 2 * failing.released) << failing.name;
        EXPECT_EQ(m_probe.created, m_probe.destroyed) << failing.name;
    }
    EXPECT_EQ(m_probe.initialized, 2);
}

TEST_F(ResourceRequests, ExistingResourceSurvivesAWrongTypeAndAnUnknownUnload)
{
    TestTexture* wall = m_system.GetResource<TestTexture>("wall");
    ASSERT_NE(wall, nullptr);
    LogCapture log;
    EXPECT_EQ(m_system.GetResource<TestSound>("wall"), nullptr);
    m_system.UnloadResource("ghost");
    EXPECT_TRUE(Logged(log, "Could not convert 'wall' from type '" + kTextureType + "' to type '" +
                                kSoundType + "'"));
    EXPECT_TRUE(log.Contains("Could not find resource 'ghost'"));
    EXPECT_EQ(m_system.GetResource<TestTexture>("wall"), wall);
    EXPECT_EQ(m_probe.destroyed, 0);

    m_system.UnloadResource("wall");
    EXPECT_EQ(m_probe.released, 1);
    EXPECT_EQ(m_probe.destroyed, 1);
    EXPECT_NE(m_system.GetResource<TestTexture>("wall"), nullptr);
    EXPECT_EQ(m_probe.created, 2);
}

TEST(ResourceSystemRegistration, IsKnownToTheSystemManagerAsResourceSystem)
{
    EXPECT_EQ(SystemManager::GetInstance().FindSystem("ResourceSystem"), &Resources::System::GetInstance());
}
} // namespace
} // namespace Morvane::Testing
