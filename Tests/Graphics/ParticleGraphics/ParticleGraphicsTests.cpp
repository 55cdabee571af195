#include "Component/GameSystem.h"
#include "Component/Object.h"
#include "Golden.h"
#include "Graphics/CustomPurposes/CustomPurposes.h"
#include "Graphics/GraphicsFactory/GraphicsFactory.h"
#include "Graphics/GraphicsSystem.h"
#include "Graphics/ParticleGraphics/ParticleGraphics.h"
#include "Renderable/Mesh.h"
#include "Resources/ResourceSystem.h"
#include "Support/GameGraphicsTest.h"
#include "Support/GraphicsData.h"
#include "Support/LogCapture.h"
#include "Support/ParseXml.h"
#include "System/Assert/Assertion.h"
#include "Texture/ImageComparison.h"

#include <SDL.h>
#include <cstdlib>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace Morvane::Graphics
{
namespace
{
using Testing::ContainsWrapped;
using Testing::ParseXml;

constexpr int kWidth = 160;
constexpr int kHeight = 100;

const char* const kSparks = R"(<Object name="Sparks"><Transform/>
    <Graphics type="GraphicsComponent_Particle" renderable="Mesh_Particle" texture="Texture_SoftDisc"
              renderSets="Particles"/></Object>)";

// The committed particle quad and shader; a camera 40 units in front of the placeholders' box, looking
// at its middle; a pass drawing the set "Particles" blended over black.
class ParticleGraphicsTest : public Testing::GameGraphicsTest
{
protected:
    void SetUp() override
    {
        SetUpGame({"Meshes.xml", "Shaders.xml", "Textures.xml"});
        Resources::System& resources = Resources::System::GetInstance();
        ASSERT_TRUE(resources.Initialize());
        ASSERT_TRUE(System::GetInstance().Parse(ParseXml(R"(<GraphicsSystem>
            <Camera name="Eye" position="0;2.5;40" target="0;2.5;0" width="160" height="100" fov="60"
                    nearPlane="0.1" farPlane="100"/>
            <Set name="Particles"/>
            <PassConfiguration><Pass name="Particles">
                <Command type="Viewport" width="160" height="100"/>
                <Command type="ClearColorBuffer" color="0;0;0;1"/>
                <Command type="Depth" enabled="false" write="false"/>
                <Command type="Blend" enabled="true"/>
                <Command type="Render" set="Particles" shader="Shader_Particle" camera="Eye"/>
            </Pass></PassConfiguration></GraphicsSystem>)")
                                                    .get()));
        std::srand(1);
    }

    static ParticleGraphics* Create(const std::string& xml)
    {
        Game::Object* object = Game::System::GetInstance().CreateObject(ParseXml(xml).get());
        return object != nullptr ? dynamic_cast<ParticleGraphics*>(object->GetComponent<Component>())
                                 : nullptr;
    }

    static void WaitUntilReady(const Component& component)
    {
        for (int frame = 0; frame < 400 && !component.IsReady(); ++frame)
        {
            Resources::System::GetInstance().Update(0.016f);
            SDL_Delay(5);
        }
        Resources::System::GetInstance().Update(0.016f);
        ASSERT_TRUE(component.IsReady());
    }

    // One frame; the picture top row first, and the primitives it drew.
    static Morvane::Texture::RgbImage Frame(GLuint* primitives = nullptr)
    {
        Morvane::Texture::RgbImage picture{kWidth, kHeight, std::vector<std::uint8_t>(kWidth * kHeight * 3)};
        std::vector<std::uint8_t> rows(picture.rgb.size());
        GLuint query = 0;
        glGenQueries(1, &query);
        System::GetInstance().SetFrameHook(
            [&]
            {
                glEndQuery(GL_PRIMITIVES_GENERATED);
                glPixelStorei(GL_PACK_ALIGNMENT, 1);
                glReadPixels(0, 0, kWidth, kHeight, GL_RGB, GL_UNSIGNED_BYTE, rows.data());
            });
        glBeginQuery(GL_PRIMITIVES_GENERATED, query);
        System::GetInstance().Update(0.016f);
        System::GetInstance().SetFrameHook({});
        if (primitives != nullptr)
        {
            glGetQueryObjectuiv(query, GL_QUERY_RESULT, primitives);
        }
        glDeleteQueries(1, &query);
        const std::size_t row = kWidth * 3;
        for (std::size_t y = 0; y < kHeight; ++y)
        {
            std::copy_n(&rows[(kHeight - 1 - y) * row], row, &picture.rgb[y * row]);
        }
        return picture;
    }
};

GLint BufferSize(const Mesh& mesh, std::size_t buffer)
{
    GLint size = 0;
    glGetNamedBufferParameteriv(mesh.GetBufferHandle(buffer), GL_BUFFER_SIZE, &size);
    return size;
}

// 100 seeded placeholders in their box, then 1,000 particles written by hand: each frame is one
// instanced draw of every particle, and the instance buffers hold exactly the count.
TEST_F(ParticleGraphicsTest, PlaceholdersThenAThousandParticlesInOneInstancedDraw)
{
    ParticleGraphics* sparks = Create(kSparks);
    ASSERT_NE(sparks, nullptr);
    EXPECT_EQ(sparks->GetParticleCount(), ParticleGraphics::kPlaceholderCount);
    for (const glm::vec3& position : sparks->Positions())
    {
        EXPECT_TRUE(position.x >= -20.0f && position.x <= 20.0f && position.y >= 0.0f && position.y <= 5.0f &&
                    position.z >= -20.0f && position.z <= 20.0f);
    }
    WaitUntilReady(*sparks);
    sparks->SetParticlesScale(3.0f);
    GLuint primitives = 0;
    const Morvane::Texture::RgbImage placeholders = Frame(&primitives);
    EXPECT_EQ(primitives, 2u * ParticleGraphics::kPlaceholderCount);
    EXPECT_TRUE(Testing::MatchesGolden(placeholders, "Particles/Placeholders.png"));
    ASSERT_NE(sparks->GetParticleMesh(), nullptr);
    EXPECT_EQ(BufferSize(*sparks->GetParticleMesh(), 3), 100 * 64);

    sparks->SetParticleCount(1000);
    for (int particle = 0; particle < 1000; ++particle)
    {
        const auto at = static_cast<std::size_t>(particle);
        sparks->Positions()[at] = {static_cast<float>(particle % 40) - 19.5f,
                                   static_cast<float>(particle / 40) * 0.5f - 3.5f, 0.0f};
        sparks->Scales()[at] = glm::vec3(0.4f);
        sparks->Colours()[at] = {1.0f, 0.6f, 0.1f, 1.0f};
    }
    Frame(&primitives);
    EXPECT_EQ(primitives, 2000u);
    EXPECT_EQ(BufferSize(*sparks->GetParticleMesh(), 3), 1000 * 64);
    EXPECT_EQ(BufferSize(*sparks->GetParticleMesh(), 4), 1000 * 16);
    EXPECT_THROW(sparks->SetParticleCount(-1), AssertionFailure);
}

// An object made under a name it had before (the editor's undo, say) gets the particle mesh name back.
TEST_F(ParticleGraphicsTest, TheParticleMeshGoesWithItsObjectAndItsNameComesBack)
{
    Resources::System& resources = Resources::System::GetInstance();
    for (int round = 0; round < 2; ++round)
    {
        auto object = std::make_unique<Game::Object>("Sparks");
        object->Parse(ParseXml(kSparks).get());
        auto* sparks = dynamic_cast<ParticleGraphics*>(object->GetComponent<Component>());
        ASSERT_NE(sparks, nullptr);
        WaitUntilReady(*sparks);
        Frame();
        EXPECT_TRUE(resources.HasResource("Sparks_particleMesh")) << round;
        EXPECT_EQ(sparks->GetParticleMesh(), resources.GetResource<Mesh>("Sparks_particleMesh"));
        object.reset();
        EXPECT_FALSE(resources.HasResource("Sparks_particleMesh")) << round;
    }
}

TEST_F(ParticleGraphicsTest, AMeshWithoutInstanceBuffersIsReportedOnceAndDrawsNothing)
{
    ParticleGraphics* flat = Create(R"(<Object name="Flat"><Transform/>
        <Graphics type="GraphicsComponent_Particle" renderable="Mesh_ScreenQuad" texture="Texture_SoftDisc"
                  renderSets="Particles"/></Object>)");
    ASSERT_NE(flat, nullptr);
    WaitUntilReady(*flat);
    Testing::LogCapture capture;
    // The mesh has loaded: the object's initialisation finds the missing buffers (the component is
    // gone with its object from here on), and no draw tries again.
    Game::System::GetInstance().Update(0.016f);
    GLuint primitives = 1;
    Frame(&primitives);
    Frame();
    const std::string log = capture.Text();
    EXPECT_EQ(primitives, 0u);
    const std::string message = "has no per-instance matrix and colour buffers";
    EXPECT_TRUE(ContainsWrapped(log, "Flat/ParticleGraphics")) << log;
    EXPECT_TRUE(ContainsWrapped(log, message)) << log;
    EXPECT_TRUE(ContainsWrapped(log, "Could not initialize component")) << log;
    EXPECT_EQ(log.find("per-instance"), log.rfind("per-instance")) << log;
    EXPECT_FALSE(Resources::System::GetInstance().HasResource("Flat_particleMesh"));
}
} // namespace
} // namespace Morvane::Graphics
