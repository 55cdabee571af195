#include "Component/GameSystem.h"
#include "Component/Object.h"
#include "Golden.h"
#include "Graphics/Camera.h"
#include "Graphics/EdgeDetectionGraphics/EdgeDetectionGraphics.h"
#include "Graphics/GraphicsSystem.h"
#include "Resources/Resource.h"
#include "Resources/ResourceSystem.h"
#include "Shader/Shader.h"
#include "Support/FrameCapture.h"
#include "Support/GBufferData.h"
#include "Support/GameGraphicsTest.h"
#include "Support/LogCapture.h"
#include "Support/ParseXml.h"
#include "Support/TempDirectory.h"
#include "System/Assert/Assertion.h"

#include <SDL.h>
#include <algorithm>
#include <glm/gtc/type_ptr.hpp>
#include <gtest/gtest.h>
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

// The game's G-buffer pass at 160 x 100, looking straight at a wall that fills the view, then the edge
// detection of its normals onto the window.
class EdgeDetectionGraphicsTest : public Testing::GameGraphicsTest
{
protected:
    void SetUp() override
    {
        SetUpGame({"Meshes.xml", "Shaders.xml"});
        Resources::System& resources = Resources::System::GetInstance();
        ASSERT_TRUE(resources.Parse(ParseXml(Testing::kSmallGBuffer).get()));
        ASSERT_TRUE(resources.Initialize());
        ASSERT_TRUE(System::GetInstance().Parse(ParseXml(std::string(R"(<GraphicsSystem>
            <Camera name="Camera_World" position="0;0;8" target="0;0;0" width="160" height="100" fov="60"
                    nearPlane="0.1" farPlane="100"/>
            <Camera name="Camera_GUI" mode="Orthogonal" position="0;0;1" target="0;0;0" width="160" height="100"
                    nearPlane="0.1" farPlane="10"/>
            <Set name="World"/><Set name="Edges"/><PassConfiguration>)") +
                                                         Testing::kGBufferPass + R"(
            <Pass name="Edges"><Command type="SetFrameBuffer"/><Command type="Viewport" width="160" height="100"/>
                <Command type="Depth" enabled="false" write="false"/><Command type="CullFace" enabled="false"/>
                <Command type="Render" set="Edges" shader="Shader_EdgeDetection" camera="Camera_GUI"/></Pass>
            </PassConfiguration></GraphicsSystem>)")
                                                    .get()));
        AddObject(R"(<Object name="Wall"><Transform position="0;0;-2" scale="40;40;1"/>
            <Graphics renderable="Mesh_Cube" renderSets="World"/></Object>)");
    }

    static EdgeDetectionGraphics* AddEdges(const std::string& texture)
    {
        return dynamic_cast<EdgeDetectionGraphics*>(
            AddObject(R"(<Object name="Edges"><Transform/><Graphics type="GraphicsComponent_EdgeDetection"
                renderable="Mesh_ScreenQuad" detectionTexture=")" +
                      texture + R"(" renderSets="Edges"/></Object>)"));
    }

    static bool IsEdge(const Morvane::Texture::RgbImage& picture, int x, int y)
    {
        return picture.rgb[static_cast<std::size_t>((y * kWidth + x) * 3)] < 128;
    }

    // Whether the pixels that are no edge, reached from (x, y), touch the picture's border.
    static bool ReachesTheBorder(const Morvane::Texture::RgbImage& picture, int x, int y)
    {
        std::vector<bool> seen(static_cast<std::size_t>(kWidth * kHeight));
        std::vector<std::pair<int, int>> open{{x, y}};
        while (!open.empty())
        {
            const auto [px, py] = open.back();
            open.pop_back();
            if (px < 0 || py < 0 || px >= kWidth || py >= kHeight)
            {
                return true;
            }
            const auto at = static_cast<std::size_t>(py * kWidth + px);
            if (seen[at] || IsEdge(picture, px, py))
            {
                continue;
            }
            seen[at] = true;
            open.insert(open.end(), {{px + 1, py}, {px - 1, py}, {px, py + 1}, {px, py - 1}});
        }
        return false;
    }
};

// A wall facing the camera has no edge; a box in front of it is a closed outline, as the golden shows.
TEST_F(EdgeDetectionGraphicsTest, AFacingPlaneHasNoEdgesAndABoxAClosedOutline)
{
    ASSERT_NE(AddEdges("Texture_NormalsInView"), nullptr);
    const Morvane::Texture::RgbImage plane = Testing::CaptureFrame(kWidth, kHeight);
    EXPECT_EQ(std::ranges::count_if(plane.rgb, [](std::uint8_t value) { return value < 128; }), 0);

    ASSERT_NE(AddObject(R"(<Object name="Box"><Transform position="0;0;0" scale="2;2;2"
        rotationDegrees="35" rotationAxis="0.3;1;0"/><Graphics renderable="Mesh_Cube" renderSets="World"/></Object>)"),
              nullptr);
    const Morvane::Texture::RgbImage box = Testing::CaptureFrame(kWidth, kHeight);
    EXPECT_FALSE(ReachesTheBorder(box, kWidth / 2, kHeight / 2 + 12));
    EXPECT_TRUE(ReachesTheBorder(box, 5, 5));
    EXPECT_TRUE(Testing::MatchesGolden(box, "PostProcessing/EdgeDetection.png"));
}

// The view matrix is the world camera's; without a detection texture the component does not start.
TEST_F(EdgeDetectionGraphicsTest, TheViewMatrixIsTheWorldCamerasAndTheTextureIsRequired)
{
    EdgeDetectionGraphics* edges = AddEdges("Texture_NormalsInView");
    ASSERT_NE(edges, nullptr);
    const Testing::TempDirectory folder;
    folder.Write("view.vert",
                 "#version 450 core\nlayout(location = 0) in vec3 position;\nuniform mat4 view;\n"
                 "void main() { gl_Position = view * vec4(position, 1.0); }\n");
    folder.Write("view.frag", "#version 450 core\nout vec4 colour;\nvoid main() { colour = vec4(1.0); }\n");
    Shader shader("View");
    ASSERT_TRUE(shader.Parse(
        ParseXml(R"(<Shader><VertexShader path=")" + folder.Path() + R"(view.vert"/><FragmentShader path=")" +
                 folder.Path() +
                 R"(view.frag"/><Uniform name="view" purpose="EdgeDetectionViewMatrix"/></Shader>)")
            .get()));
    ASSERT_TRUE(shader.Initialize());
    glUseProgram(shader.GetProgram());
    edges->SetUniforms(&shader, System::GetInstance().GetCamera("Camera_GUI"));
    glm::mat4 view{0.0f};
    glGetUniformfv(shader.GetProgram(), glGetUniformLocation(shader.GetProgram(), "view"),
                   glm::value_ptr(view));
    EXPECT_EQ(view, System::GetInstance().GetCamera("Camera_World")->GetView());

    Testing::LogCapture capture;
    Game::System::GetInstance().Release();
    AddEdges("Texture_Missing");
    EXPECT_TRUE(ContainsWrapped(capture.Text(), "Could not get detection texture 'Texture_Missing'"))
        << capture.Text();
    const Game::Object* object = Game::System::GetInstance().GetObject("Edges");
    EXPECT_TRUE(object == nullptr || object->GetComponent<Component>() == nullptr);
}
} // namespace
} // namespace Morvane::Graphics
