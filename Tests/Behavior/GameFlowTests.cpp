#include "Behavior/BehaviorSystem.h"
#include "Component/GameSystem.h"
#include "Component/Object.h"
#include "Component/TransformComponent.h"
#include "CountingBehavior.h"
#include "Parsing/FileParser/FileParser.h"
#include "Support/TempDirectory.h"
#include "SystemManager/ISystem.h"
#include "SystemManager/SystemManager.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace Morvane
{
namespace
{
using Testing::CountingBehavior;

// Ends the frame loop after six frames, noting how many objects the game held at the last one.
class QuitAfterFrames : public ISystem
{
public:
    static ISystem& Accessor()
    {
        static QuitAfterFrames instance;
        return instance;
    }

    bool Initialize() override { return true; }
    void Update(const float&) override
    {
        if (++frames >= 6)
        {
            objectsAtEnd = Game::System::GetInstance().GetObjectCount();
            SystemManager::GetInstance().quit = true;
        }
    }
    void Release() override {}
    bool Parse(IParserData*) override { return true; }

    static inline int frames = 0;
    static inline std::size_t objectsAtEnd = 0;
};

constexpr const char* kCrate = R"(<Object>
    <Transform position="1;0;0"/>
    <Behavior type="BehaviorComponent_Counting" id="c" behaviorSets="BehaviorSet_Gameplay"/>
</Object>)";

// The archetype alone describes an object: the element's own children are ignored.
constexpr const char* kGame = R"(<GameSystem>
    <Objects archetypesFolder="$(TestData)Archetypes">
        <Object name="crate" archetype="Crate.xml"><Transform position="9;9;9"/></Object>
        <Object name="crate" archetype="Crate.xml"/>
        <Section><Object name="crate" archetype="Crate.xml"/></Section>
        <Object name="player">
            <Transform/>
            <Behavior type="BehaviorComponent_Counting" id="p" behaviorSets="BehaviorSet_Gameplay;BehaviorSet_Slow"/>
        </Object>
    </Objects>
</GameSystem>)";

constexpr const char* kProject = R"(<ProjectConfiguration>
    <Paths><Path alias="TestData" path="%DIR%"/></Paths>
    <SystemsConfiguration>
        <InitOrder><GameSystem/><BehaviorSystem/><QuitAfterFrames/></InitOrder>
        <UpdateOrder><GameSystem/><BehaviorSystem/><QuitAfterFrames/></UpdateOrder>
        <ReleaseOrder><GameSystem/><BehaviorSystem/><QuitAfterFrames/></ReleaseOrder>
    </SystemsConfiguration>
    <BehaviorSystem>
        <BehaviorSet name="BehaviorSet_Gameplay"/>
        <BehaviorSet name="BehaviorSet_Slow" stepTime="0.035"/>
    </BehaviorSystem>
    <GameSystem path="$(TestData)Game.xml"/>
    <Initialize/>
</ProjectConfiguration>)";

TEST(GameFlow, ArchetypeObjectsUpdateInTheirSetsThroughTheFrameLoopAndAreReleased)
{
    CountingBehavior::Reset();
    Testing::TempDirectory folder;
    folder.Write("Archetypes/Crate.xml", kCrate);
    folder.Write("Game.xml", kGame);
    std::string project = kProject;
    project.replace(project.find("%DIR%"), 5, folder.Path());
    const std::string projectPath = folder.Write("ProjectConfiguration.xml", project);

    Behavior::System::GetInstance().m_customComponentFactory = &Testing::CreateTestBehavior;
    SystemManager& manager = SystemManager::GetInstance();
    manager.RegisterSystem("QuitAfterFrames", &QuitAfterFrames::Accessor);
    // Each frame reads the clock twice, 10 ms apart.
    std::uint32_t now = 0;
    manager.SetClock([&now] { return now += 10; });
    {
        FileParser parser;
        IParserData* tree = parser.Parse(projectPath);
        ASSERT_NE(tree, nullptr);
        ASSERT_TRUE(manager.Initialize(tree));
    }
    Game::System& game = Game::System::GetInstance();
    for (const char* name : {"crate", "crate_002", "crate_004", "player"})
    {
        ASSERT_NE(game.GetObject(name), nullptr) << name;
    }
    const auto* transform = game.GetObject("crate")->GetComponent<Game::TransformComponent>();
    ASSERT_NE(transform, nullptr);
    EXPECT_EQ(transform->GetPosition(), glm::vec3(1, 0, 0));

    manager.Run();
    EXPECT_EQ(QuitAfterFrames::frames, 6);
    EXPECT_EQ(QuitAfterFrames::objectsAtEnd, 4u);
    const auto& updates = CountingBehavior::updates;
    EXPECT_EQ(std::count(updates.begin(), updates.end(), "crate/c"), 6);
    EXPECT_EQ(std::count(updates.begin(), updates.end(), "crate_004/c"), 6);
    // Every frame in the gameplay set, plus frames 1 and 5 in the slow one (16 ms, then 10 ms a frame).
    EXPECT_EQ(std::count(updates.begin(), updates.end(), "player/p"), 8);

    manager.Release();
    EXPECT_EQ(game.GetObjectCount(), 0u);
    EXPECT_EQ(Behavior::System::GetInstance().GetComponentCount(), 0u);
    EXPECT_EQ(CountingBehavior::released, 4);
    EXPECT_EQ(CountingBehavior::destroyed, 4);
}
} // namespace
} // namespace Morvane
