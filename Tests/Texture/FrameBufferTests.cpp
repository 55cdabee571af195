#include "Graphics/GraphicsSystem.h"
#include "Resources/ResourceSystem.h"
#include "Shader/UniformFeeder.h"
#include "Support/GlTest.h"
#include "Support/LogCapture.h"
#include "Support/ParseXml.h"
#include "Support/QuadDrawing.h"
#include "Support/TempDirectory.h"
#include "Texture/FrameBuffer.h"
#include "Texture/Texture.h"

#include <gtest/gtest.h>
#include <string>

namespace Morvane::Graphics
{
namespace
{
using Testing::LogCapture;
using Testing::NearColour;
using Testing::ParseXml;

class FrameBufferTest : public Testing::GlTest
{
protected:
    // Defines the 16 x 16 colour textures "A" and "B", the 16 x 16 depth texture "Depth", the 8 x 8 depth
    // texture "SmallDepth" and `frameBuffer` as "Target".
    void Define(const std::string& frameBuffer)
    {
        ASSERT_TRUE(Resources::System::GetInstance().Parse(ParseXml(R"(<ResourceSystem>
            <Texture name="A" width="16" height="16"/><Texture name="B" width="16" height="16"/>
            <Texture name="Depth" width="16" height="16" textureFormat="GL_DEPTH_COMPONENT"
                textureFormatInternal="GL_DEPTH_COMPONENT24"/>
            <Texture name="SmallDepth" width="8" height="8" textureFormat="GL_DEPTH_COMPONENT"
                textureFormatInternal="GL_DEPTH_COMPONENT24"/>)" + frameBuffer +
                                                                    "</ResourceSystem>")
                                                               .get()));
    }

    FrameBuffer* Get(std::string* log = nullptr)
    {
        LogCapture capture;
        FrameBuffer* frameBuffer = Resources::System::GetInstance().GetResource<FrameBuffer>("Target");
        if (log != nullptr)
        {
            *log = capture.Text();
        }
        return frameBuffer;
    }

    static Texture* TextureNamed(const std::string& name)
    {
        return Resources::System::GetInstance().GetResource<Texture>(name);
    }

    static GLint BoundFrameBuffer()
    {
        GLint bound = -1;
        glGetIntegerv(GL_FRAMEBUFFER_BINDING, &bound);
        return bound;
    }
};

TEST_F(FrameBufferTest, TwoOutputsAreDrawnAtOnce)
{
    Define(R"(<FrameBuffer name="Target" depthAttachment="Depth">
        <Output texture="A" attachment="GL_COLOR_ATTACHMENT0"/><Output texture="B" attachment="GL_COLOR_ATTACHMENT1"/>
        </FrameBuffer>)");
    // The textures first: the frame buffer attaches their GL names.
    TextureNamed("A");
    TextureNamed("B");
    TextureNamed("Depth");
    FrameBuffer* frameBuffer = Get();
    ASSERT_NE(frameBuffer, nullptr);
    EXPECT_NE(frameBuffer->GetHandle(), 0u);
    EXPECT_EQ(BoundFrameBuffer(), 0);
    EXPECT_EQ(frameBuffer->GetOutputTextures().size(), 2u);

    const Testing::TempDirectory folder;
    folder.Write("Two.vert", "#version 450 core\nlayout(location = 0) in vec3 position;\n"
                             "void main() { gl_Position = vec4(position, 1.0); }\n");
    folder.Write("Two.frag", "#version 450 core\nlayout(location = 0) out vec4 first;\n"
                             "layout(location = 1) out vec4 second;\n"
                             "void main() { first = vec4(1, 0, 0, 1); second = vec4(0, 0, 1, 1); }\n");
    Shader shader("Two");
    const auto description = ParseXml(R"(<Shader><VertexShader path=")" + folder.Path() + R"(Two.vert"/>
        <FragmentShader path=")" + folder.Path() +
                                      R"(Two.frag"/></Shader>)");
    ASSERT_TRUE(shader.Parse(description.get()) && shader.Initialize());
    auto quad = Testing::MakeScreenQuad();
    ASSERT_TRUE(quad->Initialize());

    glBindFramebuffer(GL_FRAMEBUFFER, frameBuffer->GetHandle());
    glViewport(0, 0, 16, 16);
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glUseProgram(shader.GetProgram());
    quad->Draw();
    glReadBuffer(GL_COLOR_ATTACHMENT0);
    EXPECT_TRUE(NearColour(ReadPixel(8, 8), {255, 0, 0, 255}));
    glReadBuffer(GL_COLOR_ATTACHMENT1);
    EXPECT_TRUE(NearColour(ReadPixel(8, 8), {0, 0, 255, 255}));
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

TEST_F(FrameBufferTest, DepthOnlyHasNoOutputs)
{
    Define(R"(<FrameBuffer name="Target" depthAttachment="Depth"/>)");
    TextureNamed("Depth");
    std::string log;
    EXPECT_EQ(Get(&log), nullptr);
    EXPECT_NE(log.find("FrameBuffer 'Target'"), std::string::npos) << log;
    EXPECT_NE(log.find("No binded textures"), std::string::npos) << log;
}

TEST_F(FrameBufferTest, AttachmentsMustBeDistinctColourAttachments)
{
    const struct
    {
        const char* outputs;
        const char* message;
    } cases[] = {
        {R"(<Output texture="A"/>)", "Framebuffer texture target 'A' has no attachment"},
        {R"(<Output texture="A" attachment="GL_COLOUR_ATTACHMENT0"/>)",
         "Framebuffer texture target 'A' has incorrect attachment 'GL_COLOUR_ATTACHMENT0'"},
        {R"(<Output texture="A" attachment="GL_DEPTH_ATTACHMENT"/>)",
         "Framebuffer texture target 'A' has incorrect attachment 'GL_DEPTH_ATTACHMENT'"},
        {R"(<Output texture="A" attachment="GL_COLOR_ATTACHMENT0"/><Output texture="B" attachment="GL_COLOR_ATTACHMENT0"/>)",
         "Framebuffer texture target 'B' repeats attachment 'GL_COLOR_ATTACHMENT0'"},
    };
    for (const auto& test : cases)
    {
        Resources::System::GetInstance().Release();
        Define(std::string(R"(<FrameBuffer name="Target">)") + test.outputs + "</FrameBuffer>");
        std::string log;
        EXPECT_EQ(Get(&log), nullptr) << test.outputs;
        EXPECT_NE(log.find(test.message), std::string::npos) << log;
    }
}

TEST_F(FrameBufferTest, MissingTexturesAndMismatchedSizesFailAndLeaveNothingBound)
{
    Define(
        R"(<FrameBuffer name="Target"><Output texture="Nowhere" attachment="GL_COLOR_ATTACHMENT0"/></FrameBuffer>)");
    std::string log;
    EXPECT_EQ(Get(&log), nullptr);
    EXPECT_NE(log.find("Could not find texture 'Nowhere'"), std::string::npos) << log;

    Resources::System::GetInstance().Release();
    Define(R"(<FrameBuffer name="Target" depthAttachment="SmallDepth">
        <Output texture="A" attachment="GL_COLOR_ATTACHMENT0"/></FrameBuffer>)");
    TextureNamed("A");
    TextureNamed("SmallDepth");
    EXPECT_EQ(Get(&log), nullptr);
    EXPECT_NE(log.find("Texture 'SmallDepth' is 8 x 8, texture 'A' 16 x 16"), std::string::npos) << log;
    EXPECT_NE(log.find("Could not set frame buffer"), std::string::npos) << log;
    EXPECT_NE(log.find("Failed to set the draw buffers"), std::string::npos) << log;
    EXPECT_EQ(BoundFrameBuffer(), 0);
}

TEST_F(FrameBufferTest, ASetterThatRebuildsATextureNeedsTheFrameBufferInitialisedAgain)
{
    Define(
        R"(<FrameBuffer name="Target"><Output texture="A" attachment="GL_COLOR_ATTACHMENT0"/></FrameBuffer>)");
    Texture* texture = TextureNamed("A");
    FrameBuffer* frameBuffer = Get();
    ASSERT_NE(frameBuffer, nullptr);
    texture->SetSize(32, 32);
    ASSERT_TRUE(frameBuffer->Initialize());
    GLint name = 0;
    glBindFramebuffer(GL_FRAMEBUFFER, frameBuffer->GetHandle());
    glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0,
                                          GL_FRAMEBUFFER_ATTACHMENT_OBJECT_NAME, &name);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    EXPECT_EQ(static_cast<GLuint>(name), texture->GetHandle());
}
} // namespace
} // namespace Morvane::Graphics
