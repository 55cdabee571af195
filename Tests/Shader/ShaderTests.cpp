#include "Graphics/GraphicsSystem.h"
#include "Resources/ResourceSystem.h"
#include "Shader/Shader.h"
#include "Shader/UniformFeeder.h"
#include "Shader/UniformPurpose.h"
#include "Support/GlTest.h"
#include "Support/GraphicsData.h"
#include "Support/LogCapture.h"
#include "Support/ParseXml.h"
#include "Support/TempDirectory.h"
#include "System/Assert/Assertion.h"
#include "Texture/Texture.h"

#include <SDL.h>
#include <glm/ext/matrix_transform.hpp>
#include <glm/gtc/matrix_inverse.hpp>
#include <glm/gtc/type_ptr.hpp>
#include <gtest/gtest.h>
#include <string>

namespace Morvane::Graphics
{
namespace
{
using Testing::LogCapture;
using Testing::ParseXml;

const char* const kVertex = R"(#version 450 core
layout(location = 0) in vec3 position;
uniform mat4 modelViewProjection;
void main() { gl_Position = modelViewProjection * vec4(position, 1.0); }
)";

const char* const kFragment = R"(#version 450 core
uniform vec4 colour;
uniform float unused;
out vec4 result;
void main() { result = colour; }
)";

int IdentifyCustom(const std::string& purpose)
{
    return purpose == "GaussianWeights" ? 0 : purpose == "FogAmount" ? 25 : -1;
}

class ShaderTest : public Testing::GlTest
{
protected:
    void SetUp() override
    {
        System::GetInstance().m_customUniformIdentifier = &IdentifyCustom;
        GlTest::SetUp();
    }

    // A shader named "Test" from the stage texts and the description's other elements.
    bool Load(Shader& shader, const std::string& vertex, const std::string& fragment,
              const std::string& uniforms, std::string* log = nullptr, const std::string& extraStages = "")
    {
        folder.Write("Stage.vert", vertex);
        folder.Write("Stage.frag", fragment);
        const std::string path = folder.Write("Test.xml", R"(<Shader><VertexShader path="Stage.vert"/>
            <FragmentShader path="Stage.frag"/>)" + extraStages +
                                                              uniforms + "</Shader>");
        LogCapture capture;
        const auto definition = ParseXml(R"(<Shader path=")" + path + R"("/>)");
        const bool loaded = shader.Parse(definition.get()) && shader.Initialize();
        if (log != nullptr)
        {
            *log = capture.Text();
        }
        return loaded;
    }

    Testing::TempDirectory folder;
};

TEST_F(ShaderTest, IntrospectionFindsUniformsAttributesAndDropsOptimisedAwayDeclarations)
{
    Shader shader("Test");
    std::string log;
    ASSERT_TRUE(Load(shader, kVertex, kFragment,
                     R"(<Uniform name="modelViewProjection" purpose="ModelViewProjectionMatrix"/>
                        <Uniform name="unused" purpose="NearPlane"/><Uniform name="colour" purpose="DiffuseColor"/>)",
                     &log));
    EXPECT_NE(shader.GetProgram(), 0u);
    EXPECT_NE(log.find("Remove uniform definition because not used 'unused'"), std::string::npos) << log;
    ASSERT_EQ(shader.GetUniforms().size(), 2u);
    const UniformDefinition* matrix = shader.FindUniform("modelViewProjection");
    ASSERT_NE(matrix, nullptr);
    EXPECT_EQ(matrix->m_purpose, kPurposeModelViewProjectionMatrix);
    EXPECT_EQ(matrix->m_type, static_cast<unsigned>(GL_FLOAT_MAT4));
    EXPECT_NE(matrix->m_location, -1);
    EXPECT_EQ(matrix->m_size, 1);
    EXPECT_EQ(shader.FindUniform("colour")->m_type, static_cast<unsigned>(GL_FLOAT_VEC4));
    EXPECT_EQ(shader.GetAttributeLocation("position"), 0);
    EXPECT_EQ(shader.GetAttributeLocation("missing"), -1);
}

TEST_F(ShaderTest, UndeclaredUniformsGetNoPurposeAndDeclarationsCanBeReplaced)
{
    Shader shader("Test");
    std::string log;
    ASSERT_TRUE(
        Load(shader, kVertex, kFragment,
             R"(<Uniform name="colour" purpose="NearPlane"/><Uniform name="colour" purpose="DiffuseColor"/>
                        <Uniform name="" purpose="DiffuseColor"/><Other/>)",
             &log));
    EXPECT_NE(log.find("Replacing uniform purpose of 'colour'"), std::string::npos) << log;
    EXPECT_NE(log.find("Unvalid uniform name, cannot set purpose"), std::string::npos) << log;
    EXPECT_NE(log.find("Unknown parser element 'Other'"), std::string::npos) << log;
    EXPECT_EQ(shader.FindUniform("colour")->m_purpose, kPurposeDiffuseColor);
    EXPECT_EQ(shader.FindUniform("modelViewProjection")->m_purpose, kPurposeNone);
}

TEST_F(ShaderTest, CustomPurposesAskTheGamesIdentifier)
{
    const char* fragment = R"(#version 450 core
        uniform float weights[3]; uniform float fog; uniform float other;
        out vec4 result; void main() { result = vec4(weights[0] + weights[2], fog, other, 1.0); })";
    Shader shader("Test");
    std::string log;
    ASSERT_TRUE(Load(
        shader, kVertex, fragment,
        R"(<Uniform name="weights" purpose="GaussianWeights"/><Uniform name="fog[0]" purpose="FogAmount"/>
                        <Uniform name="other" purpose="NotAPurpose"/>)",
        &log));
    EXPECT_NE(log.find("Uniform 'other' has no subpurpose"), std::string::npos) << log;
    // Declared without the suffix, the array is still found under the name OpenGL reports.
    const UniformDefinition* weights = shader.FindUniform("weights");
    ASSERT_NE(weights, nullptr);
    EXPECT_EQ(weights->m_name, "weights[0]");
    EXPECT_EQ(weights->m_size, 3);
    EXPECT_EQ(weights->m_purpose, kPurposeCustom);
    EXPECT_EQ(weights->m_customPurpose, 0);
    // Declared with a suffix a plain uniform does not have, the declaration goes unused.
    EXPECT_NE(log.find("Remove uniform definition because not used 'fog[0]'"), std::string::npos) << log;
    EXPECT_EQ(shader.FindUniform("fog")->m_purpose, kPurposeNone);
    EXPECT_EQ(shader.FindUniform("other")->m_purpose, kPurposeCustom);
    EXPECT_EQ(shader.FindUniform("other")->m_customPurpose, -1);
}

TEST_F(ShaderTest, CompileErrorsAreLoggedWithThePathAndFailTheStage)
{
    Shader shader("Test");
    std::string log;
    EXPECT_FALSE(Load(shader, kVertex, "#version 450 core\nvoid main() { undefined = 1; }\n", "", &log));
    EXPECT_NE(log.find("Shader 'Test'"), std::string::npos) << log;
    EXPECT_NE(log.find("Compilation [Stage.frag]:"), std::string::npos) << log;
    EXPECT_NE(log.find("undefined"), std::string::npos) << log;
    EXPECT_NE(log.find("Could not load fragment shader"), std::string::npos) << log;
    EXPECT_EQ(shader.GetProgram(), 0u);

    // A warning in a compile that succeeds is logged and the shader works.
    const char* warned =
        "#version 450 core\nout vec4 result;\nvoid main() { float level; result = vec4(level); }\n";
    EXPECT_TRUE(Load(shader, kVertex, warned, "", &log));
    EXPECT_NE(log.find("Compilation [Stage.frag]:"), std::string::npos) << log;
}

TEST_F(ShaderTest, MissingFilesAndDescriptionsFail)
{
    Shader shader("Test");
    {
        LogCapture log;
        const auto definition = ParseXml(R"(<Shader><VertexShader path="none.vert"/></Shader>)");
        EXPECT_FALSE(shader.Parse(definition.get()));
        EXPECT_TRUE(log.Contains("Could not open shader 'none.vert'")) << log.Text();
        EXPECT_TRUE(log.Contains("Could not load vertex shader"));
    }
    {
        LogCapture log;
        const auto definition = ParseXml(R"(<Shader path=")" + folder.Path() + R"(none.xml"/>)");
        EXPECT_FALSE(shader.Parse(definition.get()));
        EXPECT_TRUE(log.Contains("Could not parse file '")) << log.Text();
    }
    {
        LogCapture log;
        EXPECT_FALSE(shader.Parse(nullptr));
        EXPECT_TRUE(log.Contains("No parser data"));
    }
    {
        LogCapture log;
        const auto definition = ParseXml(R"(<Shader><Uniform name="a" purpose="DiffuseColor"/></Shader>)");
        EXPECT_TRUE(shader.Parse(definition.get()));
        EXPECT_FALSE(shader.Initialize());
        EXPECT_TRUE(log.Contains("A shader needs a vertex and a fragment shader")) << log.Text();
    }
    folder.Write("A.vert", kVertex);
    const auto twice = ParseXml(R"(<Shader><VertexShader path=")" + folder.Path() +
                                R"(A.vert"/><VertexShader path=")" + folder.Path() + R"(A.vert"/></Shader>)");
    EXPECT_THROW(shader.Parse(twice.get()), AssertionFailure);
}

TEST_F(ShaderTest, UniformBlocksAndBuiltInsWithoutLocationAreSkipped)
{
    const char* vertex = R"(#version 450 core
        layout(location = 0) in vec3 position;
        layout(std140) uniform Placement { vec4 offsets[4]; };
        uniform mat4 modelViewProjection;
        void main() { gl_Position = modelViewProjection * vec4(position + offsets[gl_InstanceID % 4].xyz
                                                              + vec3(gl_VertexID * 0.0), 1.0); })";
    Shader shader("Test");
    ASSERT_TRUE(Load(shader, vertex, kFragment, ""));
    for (const UniformDefinition& uniform : shader.GetUniforms())
    {
        EXPECT_NE(uniform.m_location, -1) << uniform.m_name;
    }
    EXPECT_EQ(shader.FindUniform("offsets"), nullptr);
    EXPECT_EQ(shader.GetAttributeLocation("position"), 0);
}

TEST_F(ShaderTest, GeometryStageIsAttachedWhenGivenAndSubroutinesAreListed)
{
    const char* geometry = R"(#version 450 core
        layout(triangles) in; layout(triangle_strip, max_vertices = 3) out;
        void main() { for (int i = 0; i < 3; ++i) { gl_Position = gl_in[i].gl_Position; EmitVertex(); } EndPrimitive(); })";
    const char* fragment = R"(#version 450 core
        subroutine vec4 Shade(); subroutine uniform Shade shade;
        subroutine(Shade) vec4 Red() { return vec4(1, 0, 0, 1); }
        subroutine(Shade) vec4 Green() { return vec4(0, 1, 0, 1); }
        out vec4 result; void main() { result = shade(); })";
    folder.Write("Stage.geom", geometry);
    Shader shader("Test");
    ASSERT_TRUE(Load(shader, kVertex, fragment, "", nullptr, R"(<GeometryShader path="Stage.geom"/>)"));
    GLint attached = 0;
    glGetProgramiv(shader.GetProgram(), GL_ATTACHED_SHADERS, &attached);
    EXPECT_EQ(attached, 3);
    EXPECT_TRUE(shader.GetSubroutineIndex(Shader::Stage::Fragment, "Red").has_value());
    EXPECT_TRUE(shader.GetSubroutineIndex(Shader::Stage::Fragment, "Green").has_value());
    EXPECT_FALSE(shader.GetSubroutineIndex(Shader::Stage::Vertex, "Red").has_value());

    Shader plain("Plain");
    ASSERT_TRUE(Load(plain, kVertex, kFragment, ""));
    glGetProgramiv(plain.GetProgram(), GL_ATTACHED_SHADERS, &attached);
    EXPECT_EQ(attached, 2);
}

TEST_F(ShaderTest, CommittedShadersLoadInTheBackgroundAndCompileOnTheMainThread)
{
    Resources::System& resources = Resources::System::GetInstance();
    ASSERT_TRUE(resources.Initialize());
    const std::string data = Testing::DataFolder();
    ASSERT_TRUE(resources.Parse(ParseXml(R"(<ResourceSystem>
        <Shader name="Debug" path=")" + data +
                                         R"(Shaders/Basic/Debug.xml" multiThreaded="true"/>
        <Shader name="Color" path=")" + data +
                                         R"(Shaders/Basic/Color.xml" multiThreaded="true"/>
        <Shader name="Textured" path=")" +
                                         data + R"(Shaders/Basic/Textured.xml"/></ResourceSystem>)")
                                    .get()));
    Shader* debug = resources.GetResource<Shader>("Debug");
    Shader* color = resources.GetResource<Shader>("Color");
    Shader* textured = resources.GetResource<Shader>("Textured");
    ASSERT_NE(debug, nullptr);
    ASSERT_NE(color, nullptr);
    ASSERT_NE(textured, nullptr);
    EXPECT_TRUE(textured->IsInitialized());
    for (int frame = 0; frame < 500 && !(debug->IsInitialized() && color->IsInitialized()); ++frame)
    {
        resources.Update(0.016f);
        SDL_Delay(2);
    }
    EXPECT_TRUE(debug->IsInitialized());
    EXPECT_TRUE(color->IsInitialized());
    EXPECT_EQ(textured->GetUniforms().size(), 5u);
    EXPECT_EQ(color->FindUniform("normalMatrix")->m_purpose, kPurposeNormalMatrix);
}
} // namespace
} // namespace Morvane::Graphics
