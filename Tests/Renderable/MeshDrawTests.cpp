#include "Graphics/GraphicsSystem.h"
#include "Renderable/Mesh.h"
#include "Resources/ResourceSystem.h"
#include "Shader/UniformFeeder.h"
#include "Support/GlTest.h"
#include "Support/GraphicsData.h"
#include "Support/LogCapture.h"
#include "Support/ParseXml.h"
#include "Support/QuadDrawing.h"
#include "Support/TempDirectory.h"
#include "Texture/Texture.h"

#include <SDL.h>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace Morvane::Graphics
{
namespace
{
using Testing::LogCapture;
using Testing::NearColour;
using Testing::ParseXml;

const glm::u8vec4 kBlack(0, 0, 0, 255);
const glm::u8vec4 kRed(255, 0, 0, 255);

class MeshDrawTest : public Testing::GlTest
{
protected:
    void SetUp() override
    {
        GlTest::SetUp();
        m_camera = Testing::MakeScreenCamera();
        m_debug = Testing::LoadBasicShader("Debug");
    }

    bool Load(Mesh& mesh, const std::string& xml)
    {
        const auto description = ParseXml(xml);
        return mesh.Parse(description.get()) && mesh.Initialize();
    }

    // Draws `mesh` in red with the Debug shader over a cleared 64 x 64 viewport.
    void DrawRed(Mesh& mesh, int instances = 0, Shader* shader = nullptr, Camera* camera = nullptr)
    {
        shader = shader != nullptr ? shader : m_debug.get();
        camera = camera != nullptr ? camera : m_camera.get();
        ClearTo(glm::vec4(0, 0, 0, 1));
        glUseProgram(shader->GetProgram());
        const glm::mat4 world(1.0f);
        DrawValues values;
        values.world = &world;
        values.colour = glm::vec4(1, 0, 0, 1);
        System::GetInstance().GetUniformFeeder().Feed(*shader, *camera, values);
        if (instances > 0)
        {
            mesh.DrawInstanced(instances);
        }
        else
        {
            mesh.Draw();
        }
    }

    std::unique_ptr<Camera> m_camera;
    std::unique_ptr<Shader> m_debug;
};

TEST_F(MeshDrawTest, NineFloatsDrawOneTriangleWithGeneratedIndices)
{
    Mesh mesh("Triangle");
    ASSERT_TRUE(Load(mesh, R"(<Mesh><Buffer><Data>-1 -1 0  1 -1 0  -1 1 0</Data>
        <AttributeDescription location="0" normalize="false"/></Buffer></Mesh>)"));
    EXPECT_EQ(mesh.GetIndexCount(), 3u);
    EXPECT_TRUE(mesh.GetIndices().empty());
    DrawRed(mesh);
    EXPECT_TRUE(NearColour(ReadPixel(5, 5), kRed));
    EXPECT_TRUE(NearColour(ReadPixel(58, 58), kBlack)) << "the other half of the square stays empty";
}

TEST_F(MeshDrawTest, DuplicatedLocationsFailInitialisation)
{
    Mesh mesh("Twice");
    const auto description =
        ParseXml(R"(<Mesh><Buffer><Data>0 0 0</Data><AttributeDescription location="0"/></Buffer>
        <Buffer><Data>0 0 0</Data><AttributeDescription location="0"/></Buffer></Mesh>)");
    ASSERT_TRUE(mesh.Parse(description.get()));
    LogCapture log;
    EXPECT_FALSE(mesh.Initialize());
    EXPECT_TRUE(log.Contains("Mesh attribute location have been duplicated, please specify them manually"));
    EXPECT_FALSE(mesh.IsInitialized());
}

TEST_F(MeshDrawTest, InterleavedBuffersDrawEveryAttribute)
{
    // Positions and texture coordinates in one buffer, five floats a vertex; the Textured shader shows
    // the coordinates through a 2 x 1 texture: red on the left, green on the right.
    Mesh mesh("Interleaved");
    ASSERT_TRUE(Load(mesh, R"(<Mesh>
        <Buffer><Data>-1 -1 0 0 0  1 -1 0 1 0  1 1 0 1 1  -1 1 0 0 1</Data>
            <AttributeDescription location="0" normalize="false" stride="20"/></Buffer>
        <Buffer existentBufferIndex="0"><AttributeDescription location="1" elementSize="2" normalize="false"
            stride="20" offset="12"/></Buffer>
        <Indices><Data>0 1 2 0 2 3</Data></Indices></Mesh>)"));
    EXPECT_EQ(mesh.GetIndexCount(), 6u);
    Texture texture("Halves");
    texture.SetColorData({1, 0, 0, 1, 0, 1, 0, 1}, 2, 1);
    texture.SetMagFilter(GL_NEAREST);
    texture.SetMinFilter(GL_NEAREST);
    ASSERT_TRUE(texture.Initialize());
    const auto textured = Testing::LoadBasicShader("Textured");
    ClearTo(glm::vec4(0, 0, 0, 1));
    glUseProgram(textured->GetProgram());
    const glm::mat4 world(1.0f);
    DrawValues values;
    values.world = &world;
    values.texture = &texture;
    System::GetInstance().GetUniformFeeder().Feed(*textured, *m_camera, values);
    mesh.Draw();
    EXPECT_TRUE(NearColour(ReadPixel(10, 32), kRed));
    EXPECT_TRUE(NearColour(ReadPixel(54, 32), {0, 255, 0, 255}));
}

TEST_F(MeshDrawTest, AHundredInstancesTakeTheirOffsetsFromAnUpdatedBuffer)
{
    // A tiny square per instance, placed on a 10 x 10 grid by a per-instance offset at location 3.
    const char* vertex = R"(#version 450 core
        layout(location = 0) in vec3 position; layout(location = 3) in vec2 offset;
        uniform mat4 modelViewProjection;
        void main() { gl_Position = modelViewProjection * vec4(position.xy * 0.05 + offset, 0.0, 1.0); })";
    const Testing::TempDirectory folder;
    folder.Write("Grid.vert", vertex);
    folder.Write("Grid.frag", "#version 450 core\nuniform vec4 colour; out vec4 result;\n"
                              "void main() { result = colour; }\n");
    Shader shader("Grid");
    const auto description = ParseXml(R"(<Shader><VertexShader path=")" + folder.Path() + R"(Grid.vert"/>
        <FragmentShader path=")" + folder.Path() +
                                      R"(Grid.frag"/>
        <Uniform name="modelViewProjection" purpose="ModelViewProjectionMatrix"/>
        <Uniform name="colour" purpose="DiffuseColor"/></Shader>)");
    ASSERT_TRUE(shader.Parse(description.get()) && shader.Initialize());

    Mesh mesh("Squares");
    ASSERT_TRUE(Load(mesh, R"(<Mesh><Buffer><Data>-1 -1 0 1 -1 0 1 1 0 -1 1 0</Data>
        <AttributeDescription location="0" normalize="false"/></Buffer>
        <Buffer usagePatter="GL_DYNAMIC_DRAW"><Data>0 0</Data>
        <AttributeDescription location="3" elementSize="2" normalize="false" divisor="1"/></Buffer>
        <Indices><Data>0 1 2 0 2 3</Data></Indices></Mesh>)"));
    std::vector<float> offsets;
    for (int row = 0; row < 10; ++row)
    {
        for (int column = 0; column < 10; ++column)
        {
            offsets.push_back(-0.9f + 0.2f * static_cast<float>(column));
            offsets.push_back(-0.9f + 0.2f * static_cast<float>(row));
        }
    }
    ASSERT_TRUE(mesh.UpdateBuffer(1, offsets));
    DrawRed(mesh, 100, &shader);
    int lit = 0;
    for (int row = 0; row < 10; ++row)
    {
        for (int column = 0; column < 10; ++column)
        {
            lit += NearColour(ReadPixel(column * 64 / 10 + 3, row * 64 / 10 + 3), kRed) ? 1 : 0;
        }
    }
    EXPECT_EQ(lit, 100);
    EXPECT_TRUE(NearColour(ReadPixel(0, 0), kBlack)) << "between the squares";

    LogCapture log;
    DrawRed(mesh, 101, &shader);
    EXPECT_TRUE(log.Contains("101 instances asked for, the instance data holds 100"));
}

TEST_F(MeshDrawTest, CommittedMeshesLoadAndDraw)
{
    Camera camera;
    camera.SetPosition({2.0f, 2.0f, 2.0f});
    camera.SetViewportSize(64.0f, 64.0f);
    Resources::System& resources = Resources::System::GetInstance();
    ASSERT_TRUE(resources.Initialize());
    const Testing::GameFolderAsLocalFolder gameFolder;
    ASSERT_TRUE(
        resources.Parse(ParseXml(R"(<ResourceSystem path="$(LocalFolder)Resources/Meshes.xml"/>)").get()));
    for (const char* name : {"Mesh_Cube", "Mesh_Plane", "Mesh_ScreenQuad", "Mesh_Sphere", "Mesh_Cylinder"})
    {
        Mesh* mesh = resources.GetResource<Mesh>(name);
        ASSERT_NE(mesh, nullptr) << name;
        for (int frame = 0; frame < 500 && !mesh->IsInitialized(); ++frame)
        {
            resources.Update(0.016f);
            SDL_Delay(2);
        }
        ASSERT_TRUE(mesh->IsInitialized()) << name;
        ASSERT_EQ(mesh->GetBufferCount(), 3u) << name;
        for (std::size_t buffer = 0; buffer < 3; ++buffer)
        {
            EXPECT_EQ(mesh->GetBuffer(buffer).GetAttributes()[0].location, static_cast<int>(buffer)) << name;
        }
        DrawRed(*mesh, 0, nullptr, &camera);
        EXPECT_TRUE(NearColour(ReadPixel(32, 32), kRed)) << name;
    }
}
} // namespace
} // namespace Morvane::Graphics
