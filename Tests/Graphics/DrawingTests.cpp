#include "Graphics/GraphicsSystem.h"
#include "Shader/Shader.h"
#include "Shader/UniformFeeder.h"
#include "Support/GlTest.h"
#include "Support/LogCapture.h"
#include "Support/ParseXml.h"
#include "Support/QuadDrawing.h"
#include "Support/TempDirectory.h"
#include "System/Assert/Assertion.h"
#include "Texture/Texture.h"

#include <glm/ext/matrix_transform.hpp>
#include <glm/gtc/matrix_inverse.hpp>
#include <glm/gtc/type_ptr.hpp>
#include <gtest/gtest.h>
#include <string>

namespace Morvane::Graphics
{
namespace
{
using Testing::NearColour;
using Testing::ParseXml;

// Compares every engine purpose with the value the test computed itself ("expected..." uniforms, set
// by hand) and writes green, or red and blue carrying one bit per mismatching purpose.
const char* const kPurposeCheck = R"(#version 450 core
uniform mat4 mvp; uniform mat4 modelView; uniform mat3 normalMatrix; uniform mat4 projection;
uniform float nearPlane; uniform float farPlane; uniform mat4 viewProjection; uniform mat4 world;
uniform mat4 view; uniform sampler2D diffuse; uniform vec2 offset; uniform vec2 scale; uniform vec4 colour;
uniform vec2 size; uniform vec2 oneOverSize; uniform vec2 resolution;
uniform mat4 expectedMatrices[6]; uniform mat3 expectedNormal; uniform vec2 expectedPlanes;
uniform vec2 expectedVectors[5]; uniform vec4 expectedColour; uniform vec4 expectedTexel;
out vec4 result;
bool Same(vec4 a, vec4 b) { return all(lessThanEqual(abs(a - b), vec4(1e-4) + 1e-4 * abs(b))); }
bool Same(mat4 a, mat4 b) { return Same(a[0], b[0]) && Same(a[1], b[1]) && Same(a[2], b[2]) && Same(a[3], b[3]); }
bool Same(mat3 a, mat3 b) { return Same(mat4(a), mat4(b)); }
bool Same(vec2 a, vec2 b) { return Same(vec4(a, 0, 0), vec4(b, 0, 0)); }
void main()
{
    bool same[16] = bool[16](Same(mvp, expectedMatrices[0]), Same(modelView, expectedMatrices[1]),
        Same(normalMatrix, expectedNormal), Same(projection, expectedMatrices[2]),
        Same(vec2(nearPlane, farPlane), expectedPlanes), Same(viewProjection, expectedMatrices[3]),
        Same(world, expectedMatrices[4]), Same(view, expectedMatrices[5]),
        all(lessThan(abs(texture(diffuse, vec2(0.5)) - expectedTexel), vec4(0.01))),
        Same(offset, expectedVectors[0]), Same(scale, expectedVectors[1]), Same(colour, expectedColour),
        Same(size, expectedVectors[2]), Same(oneOverSize, expectedVectors[3]), Same(resolution, expectedVectors[4]),
        true);
    int bits = 0;
    for (int i = 0; i < 16; ++i) { bits |= same[i] ? 0 : (1 << i); }
    result = vec4(float(bits & 255) / 255.0, bits == 0 ? 1.0 : 0.0, float(bits >> 8) / 255.0, 1.0);
}
)";

const char* const kPurposeDeclarations = R"(
    <Uniform name="mvp" purpose="ModelViewProjectionMatrix"/><Uniform name="modelView" purpose="ModelViewMatrix"/>
    <Uniform name="normalMatrix" purpose="NormalMatrix"/><Uniform name="projection" purpose="ProjectionMatrix"/>
    <Uniform name="nearPlane" purpose="NearPlane"/><Uniform name="farPlane" purpose="FarPlane"/>
    <Uniform name="viewProjection" purpose="ViewProjectionMatrix"/><Uniform name="world" purpose="WorldMatrix"/>
    <Uniform name="view" purpose="ViewMatrix"/><Uniform name="diffuse" purpose="DiffuseTexture"/>
    <Uniform name="offset" purpose="TexCoordOffset"/><Uniform name="scale" purpose="TexCoordScale"/>
    <Uniform name="colour" purpose="DiffuseColor"/><Uniform name="size" purpose="DiffuseTextureSize"/>
    <Uniform name="oneOverSize" purpose="OneOverDiffuseTextureSize"/>
    <Uniform name="resolution" purpose="CameraResolution"/><Uniform name="custom" purpose="Custom"/>)";

int NoCustomPurposes(const std::string&)
{
    return 7;
}

class DrawingTest : public Testing::GlTest
{
protected:
    void SetUp() override
    {
        System::GetInstance().m_customUniformIdentifier = &NoCustomPurposes;
        GlTest::SetUp();
    }

    std::unique_ptr<Shader> LoadShader(const std::string& fragment, const std::string& uniforms)
    {
        folder.Write("Check.vert",
                     "#version 450 core\nlayout(location = 0) in vec3 position;\nuniform float custom;\n"
                     "void main() { gl_Position = vec4(position.xy, position.z * custom, 1.0); }\n");
        folder.Write("Check.frag", fragment);
        auto shader = std::make_unique<Shader>("Check");
        const auto description = ParseXml(R"(<Shader><VertexShader path=")" + folder.Path() + R"(Check.vert"/>
            <FragmentShader path=")" + folder.Path() +
                                          R"(Check.frag"/>)" + uniforms + "</Shader>");
        EXPECT_TRUE(shader->Parse(description.get()) && shader->Initialize());
        return shader;
    }

    Testing::TempDirectory folder;
};

TEST_F(DrawingTest, EveryEnginePurposeReachesItsUniform)
{
    const auto shader = LoadShader(kPurposeCheck, kPurposeDeclarations);
    Camera camera;
    camera.SetPosition({3.0f, 2.0f, 5.0f});
    camera.SetTarget({0.0f, 0.5f, 0.0f});
    camera.SetPlanes(0.5f, 40.0f);
    camera.SetViewportSize(320.0f, 200.0f);
    const glm::mat4 world = glm::scale(
        glm::rotate(glm::translate(glm::mat4(1.0f), {1.0f, -2.0f, 0.5f}), 0.7f, glm::vec3(0.0f, 1.0f, 0.0f)),
        {2.0f, 1.0f, 0.5f});
    Texture texture("Texels");
    std::vector<float> texels;
    for (int texel = 0; texel < 8; ++texel)
    {
        texels.insert(texels.end(), {0.2f, 0.4f, 0.6f, 0.8f});
    }
    texture.SetColorData(texels, 4, 2);
    ASSERT_TRUE(texture.Initialize());

    const GLuint program = shader->GetProgram();
    const glm::mat4& projection = camera.GetProjection();
    const glm::mat4& view = camera.GetView();
    const glm::mat4 expected[6] = {projection * view * world, view * world, projection,
                                   projection * view,         world,        view};
    glProgramUniformMatrix4fv(program, glGetUniformLocation(program, "expectedMatrices"), 6, GL_FALSE,
                              glm::value_ptr(expected[0]));
    const glm::mat3 normal = glm::inverseTranspose(glm::mat3(view * world));
    glProgramUniformMatrix3fv(program, glGetUniformLocation(program, "expectedNormal"), 1, GL_FALSE,
                              glm::value_ptr(normal));
    glProgramUniform2f(program, glGetUniformLocation(program, "expectedPlanes"), 0.5f, 40.0f);
    const glm::vec2 vectors[5] = {{0.25f, 0.5f}, {2.0f, 3.0f}, {4.0f, 2.0f}, {0.25f, 0.5f}, {320.0f, 200.0f}};
    glProgramUniform2fv(program, glGetUniformLocation(program, "expectedVectors"), 5,
                        glm::value_ptr(vectors[0]));
    glProgramUniform4f(program, glGetUniformLocation(program, "expectedColour"), 0.1f, 0.2f, 0.3f, 0.4f);
    glProgramUniform4f(program, glGetUniformLocation(program, "expectedTexel"), 0.2f, 0.4f, 0.6f, 0.8f);

    DrawValues values;
    values.world = &world;
    values.texture = &texture;
    values.colour = {0.1f, 0.2f, 0.3f, 0.4f};
    values.textureOffset = {0.25f, 0.5f};
    values.textureScale = {2.0f, 3.0f};
    int customCalls = 0;
    const auto quad = Testing::MakeScreenQuad();
    ASSERT_TRUE(quad->Initialize());
    ClearTo(glm::vec4(0.0f));
    glUseProgram(program);
    System::GetInstance().GetUniformFeeder().Feed(*shader, camera, values,
                                                  [&customCalls](Camera&, const UniformDefinition& uniform)
                                                  {
                                                      EXPECT_EQ(uniform.m_customPurpose, 7);
                                                      ++customCalls;
                                                  });
    quad->Draw();
    const glm::u8vec4 pixel = ReadPixel(32, 32);
    EXPECT_EQ(pixel.r | (pixel.b << 8), 0) << "mismatching purposes, one bit each in table order";
    EXPECT_EQ(pixel.g, 255);
    EXPECT_EQ(customCalls, 1);
}

TEST_F(DrawingTest, PurposesOnUniformsOfAnotherTypeOrWithoutValuesAreAssertions)
{
    const char* fragment =
        "#version 450 core\nuniform vec4 notAMatrix; uniform sampler2D diffuse; out vec4 result;\n"
        "void main() { result = notAMatrix + texture(diffuse, vec2(0.5)); }\n";
    Camera camera;
    const glm::mat4 world(1.0f);
    DrawValues values;
    values.world = &world;
    const auto wrongType = LoadShader(fragment, R"(<Uniform name="notAMatrix" purpose="WorldMatrix"/>)");
    try
    {
        System::GetInstance().GetUniformFeeder().Feed(*wrongType, camera, values);
        ADD_FAILURE() << "no assertion";
    }
    catch (const AssertionFailure& failure)
    {
        EXPECT_NE(std::string(failure.what()).find("currentUniform.m_type == GL_FLOAT_MAT4"),
                  std::string::npos);
    }
    const auto noTexture = LoadShader(fragment, R"(<Uniform name="diffuse" purpose="DiffuseTexture"/>)");
    EXPECT_THROW(System::GetInstance().GetUniformFeeder().Feed(*noTexture, camera, values), AssertionFailure);
    const auto noWorld = LoadShader(fragment, R"(<Uniform name="notAMatrix" purpose="DiffuseColor"/>)");
    EXPECT_NO_THROW(System::GetInstance().GetUniformFeeder().Feed(*noWorld, camera, DrawValues{}));
}

class DebugDrawTest : public Testing::GlTest
{
protected:
    void SetUp() override
    {
        GlTest::SetUp();
        // One world unit a pixel, the origin in the middle of the 64 x 64 viewport.
        ASSERT_TRUE(
            System::GetInstance().Parse(ParseXml(R"(<GraphicsSystem><Camera name="Debug" mode="Orthogonal"
            position="0;0;10" target="0;0;0" width="64" height="64" nearPlane="0.1" farPlane="100"
            debugCamera="true"/></GraphicsSystem>)")
                                            .get()));
        m_shader = Testing::LoadBasicShader("Debug");
        ClearTo(glm::vec4(0, 0, 0, 1));
    }

    std::unique_ptr<Shader> m_shader;
};

TEST_F(DebugDrawTest, LinesBoxesAndSpheresAppearInTheirColours)
{
    System& system = System::GetInstance();
    system.DrawDebugLine({-32.0f, 0.5f, 0.0f}, {32.0f, 0.5f, 0.0f}, {1, 0, 0, 1});
    system.DrawDebugBox({-16.0f, -16.0f, 0.0f}, {24.0f, 24.0f, 24.0f}, {0, 1, 0, 1});
    system.DrawDebugSphere({16.0f, -16.0f, 0.0f}, 8.0f, {0, 0, 1, 1});
    system.DrawDebugShapes(m_shader.get());
    EXPECT_EQ(system.GetDebugLineCount(), 0u);
    EXPECT_TRUE(NearColour(ReadPixel(5, 32), {255, 0, 0, 255}));
    EXPECT_TRUE(NearColour(ReadPixel(60, 32), {255, 0, 0, 255}));
    // The box's left edge runs along x = -28 (pixel 4) between y = -28 and -4; lines are 5 pixels wide.
    EXPECT_TRUE(NearColour(ReadPixel(4, 16), {0, 255, 0, 255}));
    // Off the edges and the face diagonals the strip draws: a box is drawn as lines.
    EXPECT_TRUE(NearColour(ReadPixel(22, 16), {0, 0, 0, 255}));
    int blue = 0;
    for (int y = 4; y < 28; ++y)
    {
        for (int x = 36; x < 60; ++x)
        {
            blue += NearColour(ReadPixel(x, y), {0, 0, 255, 255}) ? 1 : 0;
        }
    }
    EXPECT_GT(blue, 20);
}

TEST_F(DebugDrawTest, TheThousandAndFirstLineOfAFrameIsNotDrawn)
{
    System& system = System::GetInstance();
    for (int line = 0; line < 1000; ++line)
    {
        system.DrawDebugLine({500.0f, 500.0f, 0.0f}, {501.0f, 501.0f, 0.0f}, {1, 1, 1, 1});
    }
    system.DrawDebugLine({-32.0f, 0.5f, 0.0f}, {32.0f, 0.5f, 0.0f}, {1, 0, 0, 1});
    system.DrawDebugShapes(m_shader.get());
    EXPECT_TRUE(NearColour(ReadPixel(32, 32), {0, 0, 0, 255}));

    // Without a shader nothing is drawn; the frame's end empties the lists all the same.
    system.DrawDebugLine({-32.0f, 0.5f, 0.0f}, {32.0f, 0.5f, 0.0f}, {1, 0, 0, 1});
    system.DrawDebugShapes(nullptr);
    EXPECT_EQ(system.GetDebugLineCount(), 1u);
    system.Update(0.016f);
    EXPECT_EQ(system.GetDebugLineCount(), 0u);
}
} // namespace
} // namespace Morvane::Graphics
