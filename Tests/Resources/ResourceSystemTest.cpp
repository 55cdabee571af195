#include "Parsing/XMLParserData/XMLParserData.h"
#include "ResourceFixture.h"
#include "Support/LogCapture.h"
#include "System/PathWrapper/PathWrapper.h"
#include "SystemManager/SystemManager.h"

#include <gtest/gtest.h>
#include <thread>

namespace Morvane::Testing
{
namespace
{
const char* const kTextureType = "Morvane::Testing::TestTexture";
const char* const kSoundType = "Morvane::Testing::TestSound";

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
    m_folder.Write("Resources.xml", R"(<ResourceSystem>
        <Section><Section><Texture name="wall" value="stone"/></Section></Section>
        <Pack name="Sounds" path="$(ResourceFolder)Sounds.xml"/>
    </ResourceSystem>)");
    LogCapture log;

    ASSERT_TRUE(ParseText(R"(<ResourceSystem path="$(ResourceFolder)Resources.xml"/>)"));

    EXPECT_TRUE(log.Contains("Resource 'wall' definition loaded"));
    EXPECT_TRUE(log.Contains("Resource 'step' definition loaded"));
    const TestTexture* wall = m_system.GetResource<TestTexture>("wall");
    const TestSound* step = m_system.GetResource<TestSound>("step");
    ASSERT_NE(wall, nullptr);
    ASSERT_NE(step, nullptr);
    EXPECT_EQ(wall->GetValue(), "stone");
    EXPECT_EQ(step->GetValue(), "gravel");
}

TEST_F(ResourceDefinitions, NamelessDefinitionStopsTheWholeParse)
{
    LogCapture log;
    EXPECT_FALSE(ParseText(R"(<ResourceSystem>
        <Texture name="before"/><Texture value="anonymous"/><Texture name="after"/>
    </ResourceSystem>)"));
    EXPECT_TRUE(log.Contains("No named resource"));

    EXPECT_NE(m_system.GetResource<TestTexture>("before"), nullptr);
    EXPECT_EQ(m_system.GetResource<TestTexture>("after"), nullptr);
}

TEST_F(ResourceDefinitions, EmptyNameInsideASectionFailsTheSection)
{
    LogCapture log;
    EXPECT_FALSE(ParseText(R"(<ResourceSystem><Section><Sound name=""/></Section></ResourceSystem>)"));
    EXPECT_TRUE(log.Contains("No named resource"));
    EXPECT_TRUE(log.Contains("Could not parse section: 'Section'"));
}

TEST_F(ResourceDefinitions, DuplicateAcrossFilesIsRefusedAndTheFirstKept)
{
    const std::string first =
        m_folder.Write("First.xml", R"(<Pack><Texture name="wall" value="stone"/></Pack>)");
    const std::string second =
        m_folder.Write("Second.xml", R"(<Pack><Texture name="wall" value="brick"/></Pack>)");
    LogCapture log;

    EXPECT_FALSE(ParseText("<ResourceSystem><Pack name='One' path='" + first + "'/><Pack name='Two' path='" +
                           second + "'/></ResourceSystem>"));

    EXPECT_TRUE(log.Contains("Trying to set a duplicated definition of resource 'wall'"));
    EXPECT_TRUE(log.Contains("Could not parse section: 'Two'"));
    EXPECT_FALSE(log.Contains("Could not parse section: 'One'"));
    const TestTexture* wall = m_system.GetResource<TestTexture>("wall");
    ASSERT_NE(wall, nullptr);
    EXPECT_EQ(wall->GetValue(), "stone");
}

TEST_F(ResourceDefinitions, MissingPackFileIsReportedByThePackName)
{
    LogCapture log;
    EXPECT_FALSE(ParseText("<ResourceSystem><Pack name='Ghosts' path='" + m_folder.Path() +
                           "Nowhere.xml'/></ResourceSystem>"));
    EXPECT_TRUE(log.Contains("Could not parse section: 'Ghosts'"));
}

TEST_F(ResourceDefinitions, PackIncludingItselfIsRefused)
{
    const std::string path = m_folder.Path() + "Loop.xml";
    m_folder.Write("Loop.xml", "<Pack><Pack name='Again' path='" + path + "'/></Pack>");
    LogCapture log;
    EXPECT_FALSE(ParseText("<ResourceSystem><Pack name='Loop' path='" + path + "'/></ResourceSystem>"));
    EXPECT_TRUE(log.Contains("Resource file '" + path + "' includes itself"));
    EXPECT_TRUE(log.Contains("Could not parse section: 'Loop'"));
}

TEST_F(ResourceDefinitions, NullDataIsRefused)
{
    EXPECT_FALSE(m_system.Parse(nullptr));
}

TEST_F(ResourceDefinitions, SecondDelegateForATagWarnsAndReplacesTheFirst)
{
    ASSERT_TRUE(ParseText(R"(<ResourceSystem><Texture name="wall"/></ResourceSystem>)"));
    LogCapture log;
    m_system.AddDelegate("Texture", [this](const std::string& name)
                         { return std::make_unique<TestSound>(name, m_probe); });
    EXPECT_TRUE(log.Contains("Tried to add twice the delegate for 'Texture' resource creation"));
    EXPECT_NE(m_system.GetResource<TestSound>("wall"), nullptr);
}

TEST_F(ResourceRequests, LoadsAtOnceParsingBeforeInitializingOnTheCallingThread)
{
    LogCapture log;
    TestTexture* wall = m_system.GetResource<TestTexture>("wall");
    ASSERT_NE(wall, nullptr);
    EXPECT_TRUE(log.Contains("Resource initialized successfully ['wall']"));
    EXPECT_TRUE(wall->IsInitialized());
    EXPECT_EQ(wall->GetValue(), "stone");
    EXPECT_EQ(wall->GetParseThread(), std::this_thread::get_id());
    EXPECT_EQ(wall->GetInitializeThread(), std::this_thread::get_id());

    EXPECT_EQ(m_system.GetResource<TestTexture>("wall"), wall);
    EXPECT_EQ(m_system.GetResource<Resources::Resource>("wall"), wall);
    EXPECT_EQ(m_probe.created, 1);
    EXPECT_EQ(m_probe.parsed, 1);
    EXPECT_EQ(m_probe.initialized, 1);
    EXPECT_EQ(m_system.GetLoadingCount(), 0);
}

TEST_F(ResourceRequests, UnknownNameIsRefused)
{
    LogCapture log;
    EXPECT_EQ(m_system.GetResource<TestTexture>("ghost"), nullptr);
    EXPECT_TRUE(
        Logged(log, std::string("Resource definition not found for 'ghost' of type '") + kTextureType + "'"));
}

TEST_F(ResourceRequests, UnknownTagIsRefused)
{
    LogCapture log;
    EXPECT_EQ(m_system.GetResource<TestTexture>("riddle"), nullptr);
    EXPECT_TRUE(log.Contains("Resource tag 'Mystery' not found, could not derive to delegate"));
    EXPECT_EQ(m_probe.created, 0);
}

TEST_F(ResourceRequests, WrongTypeForANewResourceDestroysIt)
{
    LogCapture log;
    EXPECT_EQ(m_system.GetResource<TestSound>("wall"), nullptr);
    EXPECT_TRUE(Logged(log, std::string("Could not convert 'wall' from type '") + kTextureType +
                                "' to type '" + kSoundType + "'"));
    EXPECT_EQ(m_probe.created, 1);
    EXPECT_EQ(m_probe.destroyed, 1);
    EXPECT_EQ(m_probe.parsed, 0);

    EXPECT_NE(m_system.GetResource<TestTexture>("wall"), nullptr);
    EXPECT_EQ(m_probe.created, 2);
}

TEST_F(ResourceRequests, WrongTypeForAnExistingResourceKeepsIt)
{
    TestTexture* wall = m_system.GetResource<TestTexture>("wall");
    ASSERT_NE(wall, nullptr);
    LogCapture log;
    EXPECT_EQ(m_system.GetResource<TestSound>("wall"), nullptr);
    EXPECT_TRUE(Logged(log, std::string("Could not convert 'wall' from type '") + kTextureType +
                                "' to type '" + kSoundType + "'"));
    EXPECT_EQ(m_system.GetResource<TestTexture>("wall"), wall);
    EXPECT_EQ(m_probe.destroyed, 0);
}

TEST_F(ResourceRequests, ParseFailureReleasesAndDestroysTheResource)
{
    LogCapture log;
    EXPECT_EQ(m_system.GetResource<TestTexture>("unparseable"), nullptr);
    EXPECT_TRUE(Logged(log, std::string("Could not load resource definition 'unparseable' of type '") +
                                kTextureType + "'"));
    EXPECT_EQ(m_probe.initialized, 0);
    EXPECT_EQ(m_probe.released, 1);
    EXPECT_EQ(m_probe.destroyed, 1);

    EXPECT_EQ(m_system.GetResource<TestTexture>("unparseable"), nullptr);
    EXPECT_EQ(m_probe.created, 2);
}

TEST_F(ResourceRequests, InitializeFailureReleasesAndDestroysTheResource)
{
    LogCapture log;
    EXPECT_EQ(m_system.GetResource<TestTexture>("uninitializable"), nullptr);
    EXPECT_TRUE(Logged(log, std::string("Could not initialize resource 'uninitializable' of type '") +
                                kTextureType + "'"));
    EXPECT_EQ(m_probe.released, 1);
    EXPECT_EQ(m_probe.destroyed, 1);
}

TEST_F(ResourceRequests, DelegateCreatingNothingIsRefused)
{
    m_system.AddDelegate("Sound", [](const std::string&) { return std::unique_ptr<Resources::Resource>(); });
    LogCapture log;
    EXPECT_EQ(m_system.GetResource<TestSound>("step"), nullptr);
    EXPECT_TRUE(log.Contains("The delegate for 'Sound' created no resource 'step'"));
}

TEST_F(ResourceRequests, UnloadOfAnUnknownNameChangesNothing)
{
    TestTexture* wall = m_system.GetResource<TestTexture>("wall");
    LogCapture log;
    m_system.UnloadResource("ghost");
    EXPECT_TRUE(log.Contains("Could not find resource 'ghost'"));
    EXPECT_EQ(m_system.GetResource<TestTexture>("wall"), wall);
    EXPECT_EQ(m_probe.released, 0);
    EXPECT_EQ(m_probe.destroyed, 0);
}

TEST_F(ResourceRequests, UnloadReleasesAndTheNextRequestCreatesAgain)
{
    ASSERT_NE(m_system.GetResource<TestTexture>("wall"), nullptr);
    m_system.UnloadResource("wall");
    EXPECT_EQ(m_probe.released, 1);
    EXPECT_EQ(m_probe.destroyed, 1);

    EXPECT_NE(m_system.GetResource<TestTexture>("wall"), nullptr);
    EXPECT_EQ(m_probe.created, 2);
}

TEST_F(ResourceRequests, ReleaseFreesResourcesAndDefinitionsButKeepsDelegates)
{
    ASSERT_NE(m_system.GetResource<TestTexture>("wall"), nullptr);
    ASSERT_NE(m_system.GetResource<TestSound>("step"), nullptr);
    m_system.Release();
    EXPECT_EQ(m_probe.released, 2);
    EXPECT_EQ(m_probe.destroyed, 2);

    {
        LogCapture log;
        EXPECT_EQ(m_system.GetResource<TestTexture>("wall"), nullptr);
        EXPECT_TRUE(log.Contains("Resource definition not found for 'wall'"));
    }
    ASSERT_TRUE(ParseText(R"(<ResourceSystem><Texture name="wall"/></ResourceSystem>)"));
    EXPECT_NE(m_system.GetResource<TestTexture>("wall"), nullptr);
}

TEST(ResourceSystemRegistration, IsKnownToTheSystemManagerAsResourceSystem)
{
    EXPECT_EQ(SystemManager::GetInstance().FindSystem("ResourceSystem"), &Resources::System::GetInstance());
}
} // namespace
} // namespace Morvane::Testing
