// The particle behaviors on real particle graphics (real GL buffers), stepped by hand; the appearing
// floor with graphics-free pieces.
#include "Behavior/BehaviorFactory/BehaviorFactory.h"
#include "Behavior/BehaviorSystem.h"
#include "Behavior/Button/Button.h"
#include "Behavior/FloatingObject/FloatingObject.h"
#include "Behavior/ParticleSystem/ParticleSystem_AppearingFloor.h"
#include "Behavior/ParticleSystem/ParticleSystem_ButtonToDoor.h"
#include "Behavior/ParticleSystem/ParticleSystem_Cord.h"
#include "Behavior/ParticleSystem/ParticleSystem_Dust.h"
#include "Behavior/ParticleSystem/ParticleSystem_OtherAura.h"
#include "Component/GameSystem.h"
#include "Component/Object.h"
#include "Component/TransformComponent.h"
#include "Graphics/Camera.h"
#include "Graphics/GraphicsSystem.h"
#include "Graphics/OpenGL.h"
#include "Graphics/ParticleGraphics/ParticleGraphics.h"
#include "Physics/PhysicsComponent.h"
#include "Physics/PhysicsSystem.h"
#include "Renderable/Mesh.h"
#include "Support/GameGraphicsTest.h"
#include "Support/LogCapture.h"
#include "Support/ParseXml.h"
#include "Support/TempDirectory.h"

#include <algorithm>
#include <cmath>
#include <glm/geometric.hpp>
#include <gtest/gtest.h>
#include <set>
#include <string>

namespace Morvane
{
namespace
{
using Testing::CountOf;

bool IsFinite(const glm::vec3& v)
{
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

GLint BufferSize(const Graphics::Mesh& mesh, std::size_t buffer)
{
    GLint size = 0;
    glGetNamedBufferParameteriv(mesh.GetBufferHandle(buffer), GL_BUFFER_SIZE, &size);
    return size;
}

// The game's behaviors in a gameplay set.
void InstallBehaviors()
{
    Behavior::System& behaviors = Behavior::System::GetInstance();
    behaviors.m_customComponentFactory = &CreateCustomBehaviorComponent;
    ASSERT_TRUE(behaviors.Parse(
        Testing::ParseXml(R"(<BehaviorSystem><BehaviorSet name="BehaviorSet_Gameplay"/></BehaviorSystem>)")
            .get()));
}

void RemoveBehaviors()
{
    Behavior::System::GetInstance().Release();
    Behavior::System::GetInstance().m_customComponentFactory = nullptr;
}

// The committed particle quad, spot texture and shader, a world camera and the gameplay set.
class ParticleBehaviorTest : public Testing::GameGraphicsTest
{
protected:
    void SetUp() override
    {
        SetUpGame({"Meshes.xml", "Shaders.xml", "Textures.xml"});
        ASSERT_TRUE(Resources::System::GetInstance().Initialize());
        ASSERT_TRUE(Graphics::System::GetInstance().Parse(
            Testing::ParseXml(R"(<GraphicsSystem><Camera name="Camera_World" position="0;1;0" target="0;1;-1"
                width="160" height="100" fov="60" nearPlane="0.1" farPlane="100"/><Set name="Particles"/>
                </GraphicsSystem>)")
                .get()));
        InstallBehaviors();
    }
    void TearDown() override
    {
        GameGraphicsTest::TearDown();
        RemoveBehaviors();
    }

    // An object with particle graphics and the behavior `type`, made and initialised by the game.
    template <class T>
    T* MakeParticles(const std::string& name, const std::string& type, const std::string& extra = "")
    {
        const std::string xml =
            "<Object name=\"" + name +
            "\"><Transform/><Graphics type=\"GraphicsComponent_Particle\" "
            "renderable=\"Mesh_Particle\" texture=\"Texture_SoftDisc\" renderSets=\"Particles\"/>"
            "<Behavior type=\"BehaviorComponent_ParticleSystem_" +
            type + "\" behaviorSets=\"BehaviorSet_Gameplay\" " + extra + "/></Object>";
        if (AddObject(xml) == nullptr)
        {
            return nullptr;
        }
        const Game::Object* object = game.GetObject(name);
        return object != nullptr ? object->GetComponent<T>() : nullptr;
    }
    Game::TransformComponent* MakeTransform(const std::string& name, const glm::vec3& position)
    {
        Game::Object* object = game.CreateObject(name);
        EXPECT_TRUE(object->Parse(Testing::ParseXml("<Object><Transform/></Object>").get()));
        auto* transform = object->GetComponent<Game::TransformComponent>();
        transform->SetPosition(position);
        return transform;
    }

    Game::System& game = Game::System::GetInstance();
};

// Each class sizes its graphics' arrays and GL instance buffers (a matrix and a colour per particle)
// and their spot size; the common fade runs in and out over the class's fade time.
TEST_F(ParticleBehaviorTest, EachClassSizesItsParticlesAndBuffersAndFadesItsParticlesInAndOut)
{
    struct Expected
    {
        ParticleBehavior* behavior;
        int count;
        float size;
    };
    const Expected classes[] = {
        {MakeParticles<ParticleSystem_Dust>("Dust", "Dust"), 300, 0.05f},
        {MakeParticles<ParticleSystem_Cord>("Cord", "Cord"), 500, 1.0f},
        {MakeParticles<ParticleSystem_OtherAura>("Aura", "OtherAura"), 10, 1.0f},
        {MakeParticles<ParticleSystem_ButtonToDoor>("Sparks", "ButtonToDoor"), 1000, 0.5f},
    };
    for (const Expected& expected : classes)
    {
        ASSERT_NE(expected.behavior, nullptr);
        const ParticleGraphics* particles = expected.behavior->GetParticles();
        ASSERT_NE(particles, nullptr);
        EXPECT_EQ(particles->GetParticleCount(), expected.count);
        EXPECT_EQ(particles->GetParticlesScale(), expected.size);
        EXPECT_EQ(expected.behavior->GetLives().size(), static_cast<std::size_t>(expected.count));
        ASSERT_NE(particles->GetParticleMesh(), nullptr);
        EXPECT_EQ(BufferSize(*particles->GetParticleMesh(), 3), expected.count * 64);
        EXPECT_EQ(BufferSize(*particles->GetParticleMesh(), 4), expected.count * 16);
        EXPECT_FALSE(expected.behavior->IsIdle());
    }
    for (const auto& [full, fade] : {std::pair(6.0f, 1.0f), std::pair(2.0f, 0.1f), std::pair(100.0f, 1.0f)})
    {
        EXPECT_NEAR(ParticleBehavior::Fade(0.05f, full, fade), 0.05f / fade, 1e-5f);
        EXPECT_EQ(ParticleBehavior::Fade(full / 2.0f, full, fade), 1.0f);
        EXPECT_NEAR(ParticleBehavior::Fade(full - 0.05f, full, fade), 0.05f / fade, 1e-4f);
        EXPECT_EQ(ParticleBehavior::Fade(0.0f, full, fade), 0.0f);
    }
}

// Without particle graphics, or with a camera that does not exist, a behavior says so and idles.
TEST_F(ParticleBehaviorTest, NoParticleGraphicsOrAnUnknownCameraIsAnErrorAndTheBehaviorIdles)
{
    Testing::LogCapture log;
    Game::Object* bare = game.CreateObject(Testing::ParseXml(R"(<Object name="Bare"><Transform/>
        <Behavior type="BehaviorComponent_ParticleSystem_Dust" behaviorSets="BehaviorSet_Gameplay"/></Object>)")
                                               .get());
    ASSERT_NE(bare, nullptr);
    game.Update(0.016f);
    auto* dust = bare->GetComponent<ParticleSystem_Dust>();
    ASSERT_NE(dust, nullptr);
    dust->Update(0.016f);
    EXPECT_TRUE(dust->IsIdle());
    EXPECT_NE(log.Text().find("Bare/Behavior"), std::string::npos) << log.Text();

    Testing::LogCapture lostLog;
    auto* lost = MakeParticles<ParticleSystem_Dust>("Lost", "Dust", "referenceCamera=\"Nope\"");
    ASSERT_NE(lost, nullptr);
    const std::vector<glm::vec3> before = lost->GetParticles()->Positions();
    lost->Update(0.5f);
    EXPECT_TRUE(lost->IsIdle());
    EXPECT_EQ(lost->GetParticles()->Positions(), before);
    for (const glm::vec4& colour : lost->GetParticles()->Colours())
    {
        ASSERT_EQ(colour.a, 0.0f);
    }
    EXPECT_EQ(CountOf(lostLog.Text(), "Camera 'Nope' does not exists"), 1u);
}

// Dust sinks at 0.05 u/s and comes back inside its box around the camera when its life runs out or
// when the camera has left it more than 3 units behind with more than 2 s to go.
TEST_F(ParticleBehaviorTest, DustSinksAroundTheCameraAndFollowsItWhenLeftBehind)
{
    auto* dust = MakeParticles<ParticleSystem_Dust>("Dust", "Dust");
    ASSERT_NE(dust, nullptr);
    ParticleGraphics& particles = *dust->GetParticles();
    const float dt = 0.02f;
    for (int frame = 0; frame < 600; ++frame)
    {
        const std::vector<glm::vec3> before = particles.Positions();
        const std::vector<float> lives = dust->GetLives();
        dust->Update(dt);
        for (std::size_t at = 0; at < before.size(); ++at)
        {
            const glm::vec3 offset = particles.Positions()[at] - glm::vec3(0.0f, 1.0f, 0.0f);
            // A spawn in the box's corners is beyond 3 units: it comes back again at once.
            const bool respawned = dust->GetLives()[at] == ParticleSystem_Dust::kLife;
            if (respawned)
            {
                ASSERT_EQ(dust->GetLives()[at], ParticleSystem_Dust::kLife);
                ASSERT_TRUE(std::abs(offset.x) <= 3.0f && std::abs(offset.y) <= 1.0f &&
                            std::abs(offset.z) <= 3.0f);
            }
            else
            {
                ASSERT_NEAR(before[at].y - particles.Positions()[at].y, 0.05f * dt, 1e-5f);
                ASSERT_NEAR(lives[at] - dust->GetLives()[at], dt, 1e-5f);
            }
            ASSERT_LE(particles.Colours()[at].a, 0.75f);
        }
    }
    // The camera jumps 10 units: every particle with more than 2 s left comes to it at once.
    Graphics::System::GetInstance().GetCamera("Camera_World")->SetPosition(glm::vec3(10.0f, 1.0f, 0.0f));
    dust->Update(dt);
    for (std::size_t at = 0; at < particles.Positions().size(); ++at)
    {
        if (dust->GetLives()[at] > ParticleSystem_Dust::kLifeLeftToFollow)
        {
            const glm::vec3 offset = particles.Positions()[at] - glm::vec3(10.0f, 1.0f, 0.0f);
            EXPECT_TRUE(std::abs(offset.x) <= 3.0f && std::abs(offset.y) <= 1.0f &&
                        std::abs(offset.z) <= 3.0f)
                << at;
        }
    }
}

// The cord waits until the player comes within 10 units and then stays on; its sparks head for him,
// never past, red and one in eight blue, sized by the pulse.
TEST_F(ParticleBehaviorTest, TheCordComesOnWithinTenUnitsAndStreamsToThePlayer)
{
    auto* cord = MakeParticles<ParticleSystem_Cord>("Cord", "Cord");
    ASSERT_NE(cord, nullptr);
    Testing::LogCapture log;
    cord->Update(0.016f);
    cord->Update(0.016f);
    EXPECT_EQ(CountOf(log.Text(), "The cord has no ends"), 1u) << log.Text();

    Game::TransformComponent* companion = MakeTransform("Companion", glm::vec3(0.0f, 1.0f, 0.0f));
    Game::TransformComponent* player = MakeTransform("Player", glm::vec3(12.0f, 2.0f, 0.0f));
    cord->SetEnds(companion, player);
    ParticleGraphics& particles = *cord->GetParticles();
    for (int frame = 0; frame < 30; ++frame)
    {
        cord->Update(0.016f);
    }
    EXPECT_FALSE(cord->IsActive());
    for (const glm::vec4& colour : particles.Colours())
    {
        ASSERT_EQ(colour.a, 0.0f);
    }
    // 9.5 units from 1 below the player's eye.
    player->SetPosition(glm::vec3(9.5f, 2.0f, 0.0f));
    const glm::vec3 target(9.5f, 1.0f, 0.0f);
    float smallest = 1.0f;
    float largest = 0.0f;
    for (int frame = 0; frame < 400; ++frame)
    {
        cord->Update(0.016f);
        ASSERT_TRUE(cord->IsActive());
        for (std::size_t at = 0; at < particles.Positions().size(); ++at)
        {
            const glm::vec3& position = particles.Positions()[at];
            ASSERT_TRUE(IsFinite(position));
            // On the line from the companion to the player, never past him.
            ASSERT_LE(glm::distance(position, companion->GetPosition()) + glm::distance(position, target),
                      glm::distance(companion->GetPosition(), target) + 1e-3f);
            smallest = std::min(smallest, particles.Scales()[at].x);
            largest = std::max(largest, particles.Scales()[at].x);
        }
    }
    EXPECT_NEAR(smallest, ParticleSystem_Cord::kRestSize, 1e-6f);
    EXPECT_GT(largest, 0.25f);
    EXPECT_LE(largest, ParticleSystem_Cord::kPulseSize);
    // Walking away leaves it on.
    player->SetPosition(glm::vec3(40.0f, 2.0f, 0.0f));
    cord->Update(0.016f);
    EXPECT_TRUE(cord->IsActive());

    RandomStream random("Cord");
    int blue = 0;
    for (int draw = 0; draw < 10000; ++draw)
    {
        blue += ParticleSystem_Cord::DrawColour(random).b == 1.0f ? 1 : 0;
    }
    EXPECT_NEAR(blue / 10000.0, 1.0 / 8.0, 0.01);
}

// The aura's sparks sit on the companion, living up to 2 s each.
TEST_F(ParticleBehaviorTest, TheAuraSitsOnTheCompanionWithLivesUpToTwoSeconds)
{
    auto* aura = MakeParticles<ParticleSystem_OtherAura>("Aura", "OtherAura");
    ASSERT_NE(aura, nullptr);
    Game::TransformComponent* companion = MakeTransform("Companion", glm::vec3(3.0f, 1.0f, -2.0f));
    aura->SetCompanion(companion);
    for (int frame = 0; frame < 300; ++frame)
    {
        companion->SetPosition(glm::vec3(3.0f + 0.01f * static_cast<float>(frame), 1.0f, -2.0f));
        aura->Update(0.016f);
        for (std::size_t at = 0; at < aura->GetLives().size(); ++at)
        {
            ASSERT_EQ(aura->GetParticles()->Positions()[at], companion->GetPosition());
            ASSERT_GE(aura->GetFullLives()[at], 0.0f);
            ASSERT_LE(aura->GetFullLives()[at], ParticleSystem_OtherAura::kLongestLife);
        }
    }
}

// Sparks keep within 0.11 of their path at any frame length; a press lets them fade within a second
// and the object goes; a path of one repeated point shows nothing.
TEST_F(ParticleBehaviorTest, SparksFollowTheirPathAtAnyFrameRateAndFadeOnceTheButtonIsPressed)
{
    for (const float dt : {0.001f, 0.016f, 0.032f})
    {
        const std::string name = "Sparks_" + std::to_string(static_cast<int>(dt * 1000.0f));
        auto* sparks = MakeParticles<ParticleSystem_ButtonToDoor>(name, "ButtonToDoor");
        ASSERT_NE(sparks, nullptr);
        std::vector<glm::vec3> path = ParticleSystem_ButtonToDoor::PathBetween(glm::vec3(0.0f, 0.2f, 0.0f),
                                                                               glm::vec3(3.0f, 1.5f, -2.0f));
        path.insert(path.begin() + 1, path.front());
        sparks->SetPath(path);
        EXPECT_EQ(sparks->GetPath().size(), 4u);
        ParticleGraphics& particles = *sparks->GetParticles();
        for (int frame = 0; frame < static_cast<int>(6.0f / dt); ++frame)
        {
            sparks->Update(dt);
            if (frame % 50 != 0)
            {
                continue;
            }
            for (const glm::vec3& position : particles.Positions())
            {
                ASSERT_LE(sparks->DistanceToPath(position), 0.11f) << dt;
            }
        }
        sparks->Press();
        int frames = 0;
        for (; game.GetObject(name) != nullptr && frames < 200; ++frames)
        {
            sparks->Update(0.016f);
            game.Update(0.016f);
        }
        EXPECT_NEAR(frames, 1.0f / 0.016f, 2.0f);
    }
    Testing::LogCapture log;
    auto* still = MakeParticles<ParticleSystem_ButtonToDoor>("Still", "ButtonToDoor");
    ASSERT_NE(still, nullptr);
    still->SetPath({glm::vec3(1.0f), glm::vec3(1.0f), glm::vec3(1.0f, 1.0f, 1.05f)});
    still->Update(0.016f);
    EXPECT_TRUE(still->GetPath().empty());
    for (const glm::vec4& colour : still->GetParticles()->Colours())
    {
        ASSERT_EQ(colour.a, 0.0f);
    }
    EXPECT_EQ(CountOf(log.Text(), "too short"), 1u) << log.Text();
}

// The floor with graphics-free pieces beside a player body moved by hand.
class AppearingFloorTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_archetypes.Write("FloatingObject.xml",
                           "<Object><Transform/><Behavior type=\"BehaviorComponent_FloatingObject\" "
                           "behaviorSets=\"BehaviorSet_Gameplay\"/></Object>");
        InstallBehaviors();
        ASSERT_TRUE(game.Parse(Testing::ParseXml("<GameSystem><Objects archetypesFolder=\"" +
                                                 m_archetypes.Path() + "\"/></GameSystem>")
                                   .get()));
        player = game.CreateObject("Player");
        ASSERT_TRUE(
            player->Parse(Testing::ParseXml(R"(<Object><Transform position="0;1;0"/></Object>)").get()));
        ASSERT_NE(Physics::System::GetInstance().CreateComponentInCode<Physics::Component>(
                      player, *Testing::ParseXml(
                                  R"(<Physics category="Dynamic" mass="1" shape="AABB" size="1;2;1"/>)")),
                  nullptr);
    }
    void TearDown() override
    {
        game.Release();
        RemoveBehaviors();
        Physics::System::GetInstance().Release();
    }

    ParticleSystem_AppearingFloor* MakeFloor(const std::string& attributes)
    {
        Game::Object* object = game.CreateObject("Floor");
        EXPECT_TRUE(
            object->Parse(Testing::ParseXml("<Object><Transform/><Behavior "
                                            "type=\"BehaviorComponent_ParticleSystem_AppearingFloor\" "
                                            "behaviorSets=\"BehaviorSet_Gameplay\" " +
                                            attributes + "/></Object>")
                              .get()));
        auto* floor = object->GetComponent<ParticleSystem_AppearingFloor>();
        floor->SetPlayer(player);
        game.Update(0.0f);
        return floor;
    }
    glm::vec3 PiecePosition(ParticleSystem_AppearingFloor& floor, int piece) const
    {
        return game.GetObject(floor.GetPieceNames()[static_cast<std::size_t>(piece)])
            ->GetComponent<FloatingObject>()
            ->GetPivot();
    }
    static void CheckLayout(const ParticleSystem_AppearingFloor& floor, const std::vector<int>& before)
    {
        const std::vector<int>& layout = floor.GetLayout();
        ASSERT_EQ(layout.size(), static_cast<std::size_t>(floor.GetSlotCount()));
        ASSERT_EQ(std::set<int>(layout.begin(), layout.end()).size(), layout.size());
        for (const int piece : layout)
        {
            ASSERT_EQ(std::count(before.begin(), before.end(), piece), 0) << piece;
            const glm::vec3& target = floor.GetTarget(piece);
            const glm::vec3& size = floor.GetTargetScale(piece);
            for (int axis = 0; axis < 3; ++axis)
            {
                ASSERT_GE(target[axis] - size[axis] * 0.5f, floor.GetRegionMinimum()[axis] - 1e-4f);
                ASSERT_LE(target[axis] + size[axis] * 0.5f, floor.GetRegionMaximum()[axis] + 1e-4f);
            }
        }
    }

    Game::System& game = Game::System::GetInstance();
    Testing::TempDirectory m_archetypes;
    Game::Object* player = nullptr;
};

// Each layout fills the region around (and ahead of) the player with pieces from neither of the last
// two layouts; pieces move to their boxes; a player at rest gets a region around him, not NaN.
TEST_F(AppearingFloorTest, LayoutsFillTheRegionAheadWithFreshPiecesAndThePiecesGoWithTheFloor)
{
    ParticleSystem_AppearingFloor* floor = MakeFloor("");
    ASSERT_EQ(floor->GetPieceNames().size(), 24u);
    auto* transform = player->GetComponent<Game::TransformComponent>();
    auto* body = player->GetComponent<Physics::Component>();
    floor->Update(0.016f);
    EXPECT_EQ(floor->GetLayoutCount(), 1);
    CheckLayout(*floor, {});
    EXPECT_EQ(floor->GetRegionMinimum(), glm::vec3(-5.0f, -1.0f, -5.0f));
    std::vector<int> previous = floor->GetLayout();
    body->SetVelocity(glm::vec3(3.0f, 7.0f, 0.0f));
    for (int step = 1; step <= 6; ++step)
    {
        transform->SetPosition(glm::vec3(5.5f * static_cast<float>(step), 1.0f, 0.0f));
        const std::vector<int> last = floor->GetLayout();
        floor->Update(0.016f);
        ASSERT_EQ(floor->GetLayoutCount(), step + 1);
        std::vector<int> both = last;
        both.insert(both.end(), previous.begin(), previous.end());
        CheckLayout(*floor, last);
        // Five ahead along where he walks; the jump lifts nothing.
        EXPECT_NEAR(floor->GetRegionMinimum().x, 5.5f * static_cast<float>(step), 1e-4f);
        EXPECT_EQ(floor->GetRegionMinimum().y, -1.0f);
        previous = last;
    }
    for (int frame = 0; frame < 300; ++frame)
    {
        floor->Update(0.016f);
    }
    for (const int piece : floor->GetLayout())
    {
        EXPECT_LT(glm::distance(PiecePosition(*floor, piece), floor->GetTarget(piece)), 1e-3f);
    }
    body->SetVelocity(glm::vec3(0.0f));
    transform->SetPosition(glm::vec3(100.0f, 1.0f, 0.0f));
    floor->Update(0.016f);
    EXPECT_EQ(floor->GetRegionMinimum(), glm::vec3(95.0f, -1.0f, -5.0f));
    for (const int piece : floor->GetLayout())
    {
        EXPECT_TRUE(IsFinite(floor->GetTarget(piece)));
    }
    const std::size_t objects = game.GetObjectCount();
    game.MarkForDeletion(game.GetObject("Floor"));
    game.Update(0.0f);
    game.Update(0.0f);
    EXPECT_EQ(game.GetObjectCount(), objects - 25u);
}

// Too few pieces for the slots: an error, half as many slots, and every layout still finishes; bad
// counts keep their defaults.
TEST_F(AppearingFloorTest, TooFewPiecesCutTheSlotsAndBadCountsKeepTheirDefaults)
{
    Testing::LogCapture log;
    ParticleSystem_AppearingFloor* floor = MakeFloor(R"(pieces="4" slots="8")");
    EXPECT_EQ(floor->GetSlotCount(), 2);
    EXPECT_EQ(CountOf(log.Text(), "4 pieces cannot fill 8 slots twice over; using 2 slots"), 1u)
        << log.Text();
    auto* transform = player->GetComponent<Game::TransformComponent>();
    for (int step = 0; step < 50; ++step)
    {
        const std::vector<int> last = floor->GetLayout();
        transform->SetPosition(glm::vec3(6.0f * static_cast<float>(step), 1.0f, 0.0f));
        floor->Update(0.016f);
        CheckLayout(*floor, last);
    }
    Testing::LogCapture oddLog;
    ParticleSystem_AppearingFloor* odd = MakeFloor(R"(pieces="-3" slots="nan")");
    EXPECT_EQ(odd->GetPieceCount(), ParticleSystem_AppearingFloor::kDefaultPieces);
    EXPECT_EQ(odd->GetSlotCount(), ParticleSystem_AppearingFloor::kDefaultSlots);
    EXPECT_EQ(CountOf(oddLog.Text(), "must be a whole number"), 2u);
}
} // namespace
} // namespace Morvane
