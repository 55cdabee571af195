// A caption render by the text component against bare OpenGL doing the same work in the same run, with
// glFinish after each: the component lays the caption out, uploads its glyphs, renders them into its
// texture through its frame buffer (saving and restoring the pass's state) and draws its quad; the bare
// loop uploads the same glyph vertices, clears the same texture, draws them with the same program and
// draws one textured quad. Both alternate between two captions of the same length, so every render is
// a real one.
#include "Component/GameSystem.h"
#include "Component/Object.h"
#include "Font/Font.h"
#include "Font/TextLayout.h"
#include "GlContext.h"
#include "Graphics/Camera.h"
#include "Graphics/GraphicsFactory/GraphicsFactory.h"
#include "Graphics/TextGraphics/TextGraphics.h"
#include "RatioReporter.h"
#include "RedirectedOutput.h"
#include "Renderable/Mesh.h"
#include "Texture/Texture.h"

#include <SDL_video.h>
#include <array>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <glm/ext/matrix_clip_space.hpp>
#include <glm/gtc/type_ptr.hpp>
#include <optional>
#include <string>
#include <vector>

namespace
{
using namespace Morvane;

const std::array<std::string, 2> kCaptions = {"The quick brown fox jumps over 13 lazy dogs",
                                              "Pack my box with five dozen liquor jugs, 24"};

const char* const kCaptionObject = R"(<Object name="Caption"><Transform scale="256;32;1"/>
    <Graphics type="GraphicsComponent_Text" renderable="Mesh_ScreenQuad" font="Font_Sans" fontCamera="Camera_GUI"
              textureSize="1024;64" fontSize="40" caption="x"/></Object>)";

bool BuildScene()
{
    XMLParserData definitions;
    Resources::System& resources = Resources::System::GetInstance();
    Graphics::System::GetInstance().m_customComponentFactory = &CreateCustomGraphicsComponent;
    XMLParserData graphics;
    XMLParserData object;
    return definitions.FromString(R"(<ResourceSystem>
            <Font name="Font_Sans" path="$(LocalFolder)../Fonts/DejaVuSans.xml"/>
            <Shader name="Shader_Text" path="$(LocalFolder)../Shaders/Basic/Text.xml"/>
            <Shader name="Shader_Textured" path="$(LocalFolder)../Shaders/Basic/Textured.xml"/>
            <Mesh name="Mesh_ScreenQuad" path="$(LocalFolder)../Meshes/ScreenQuad.xml"/></ResourceSystem>)") &&
           resources.Parse(&definitions) && resources.GetResource<Graphics::Font>("Font_Sans") != nullptr &&
           graphics.FromString(R"(<GraphicsSystem><Camera name="Camera_GUI" mode="Orthogonal" position="0;0;1"
               target="0;0;0" width="1280" height="800" nearPlane="0.1" farPlane="10"/></GraphicsSystem>)") &&
           Graphics::System::GetInstance().Parse(&graphics) && object.FromString(kCaptionObject) &&
           Game::System::GetInstance().CreateObject(&object) != nullptr;
}

void TextComponent(benchmark::State& state)
{
    Game::Object* object = Game::System::GetInstance().GetObject("Caption");
    auto* text = object != nullptr ? dynamic_cast<TextGraphics*>(object->GetComponent<Graphics::Component>())
                                   : nullptr;
    Resources::System& resources = Resources::System::GetInstance();
    Graphics::Shader* textured = resources.GetResource<Graphics::Shader>("Shader_Textured");
    Graphics::Camera* camera = Graphics::System::GetInstance().GetCamera("Camera_GUI");
    if (text == nullptr || textured == nullptr || camera == nullptr)
    {
        state.SkipWithError("no caption");
        return;
    }
    std::size_t next = 0;
    for (auto _ : state)
    {
        text->SetCaption(kCaptions[next]);
        next = 1 - next;
        glUseProgram(textured->GetProgram());
        text->Draw(textured, camera);
        glFinish();
    }
}

// The same glyphs into a texture of the same size, then one textured quad.
void BareFrameBufferAndQuads(benchmark::State& state)
{
    Resources::System& resources = Resources::System::GetInstance();
    const auto* fontResource = resources.GetResource<Graphics::Font>("Font_Sans");
    const auto* textShader = resources.GetResource<Graphics::Shader>("Shader_Text");
    const auto* texturedShader = resources.GetResource<Graphics::Shader>("Shader_Textured");
    auto* quadMesh = resources.GetResource<Graphics::Mesh>("Mesh_ScreenQuad");
    if (fontResource == nullptr || textShader == nullptr || texturedShader == nullptr || quadMesh == nullptr)
    {
        state.SkipWithError("missing resources");
        return;
    }
    const Graphics::Font& font = *fontResource;
    const GLuint text = textShader->GetProgram();
    const GLuint textured = texturedShader->GetProgram();
    Graphics::Mesh& quad = *quadMesh;
    std::array<std::vector<float>, 2> vertices;
    for (std::size_t caption = 0; caption < kCaptions.size(); ++caption)
    {
        Graphics::TextLayout layout(font.GetMetrics(), font.GetCharacters());
        layout.Build(kCaptions[caption], 40.0f, "Bench");
        for (const Graphics::GlyphQuad& glyph : layout.GetQuads())
        {
            const float l = glyph.topLeft.x;
            const float t = glyph.topLeft.y;
            const float r = glyph.bottomRight.x;
            const float b = glyph.bottomRight.y;
            const float u0 = glyph.uvTopLeft.x;
            const float v0 = glyph.uvTopLeft.y;
            const float u1 = glyph.uvBottomRight.x;
            const float v1 = glyph.uvBottomRight.y;
            vertices[caption].insert(vertices[caption].end(), {l, t, u0, v0, l, b, u0, v1, r, b, u1, v1,
                                                               l, t, u0, v0, r, b, u1, v1, r, t, u1, v0});
        }
    }
    Graphics::Texture target("Bench_text");
    target.SetSize(1024, 64);
    target.SetMipMap(true);
    const Graphics::GlFramebuffer frameBuffer = Graphics::GlFramebuffer::Create();
    const Graphics::GlVertexArray array = Graphics::GlVertexArray::Create();
    const Graphics::GlBuffer buffer = Graphics::GlBuffer::Create();
    if (!target.Initialize())
    {
        state.SkipWithError("no render texture");
        return;
    }
    glNamedFramebufferTexture(frameBuffer.Get(), GL_COLOR_ATTACHMENT0, target.GetHandle(), 0);
    glVertexArrayVertexBuffer(array.Get(), 0, buffer.Get(), 0, 4 * sizeof(float));
    for (GLuint attribute = 0; attribute < 2; ++attribute)
    {
        glEnableVertexArrayAttrib(array.Get(), attribute);
        glVertexArrayAttribFormat(array.Get(), attribute, 2, GL_FLOAT, GL_FALSE,
                                  attribute * 2 * sizeof(float));
        glVertexArrayAttribBinding(array.Get(), attribute, 0);
    }
    const glm::mat4 projection = glm::ortho(0.0f, 1024.0f, 64.0f, 0.0f);
    const glm::mat4 identity(1.0f);
    const glm::vec4 white(1.0f);
    std::size_t next = 0;
    for (auto _ : state)
    {
        const std::vector<float>& glyphs = vertices[next];
        next = 1 - next;
        glNamedBufferData(buffer.Get(), static_cast<GLsizeiptr>(glyphs.size() * sizeof(float)), glyphs.data(),
                          GL_DYNAMIC_DRAW);
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, frameBuffer.Get());
        glViewport(0, 0, 1024, 64);
        glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        glEnable(GL_BLEND);
        glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
        glUseProgram(text);
        glUniformMatrix4fv(glGetUniformLocation(text, "projection"), 1, GL_FALSE, glm::value_ptr(projection));
        glUniform4fv(glGetUniformLocation(text, "colour"), 1, glm::value_ptr(white));
        glBindVertexArray(array.Get());
        font.GetTexture(0)->Bind(0);
        glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(glyphs.size() / 4));
        glGenerateTextureMipmap(target.GetHandle());
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
        glViewport(0, 0, 8, 8);
        glUseProgram(textured);
        glUniformMatrix4fv(glGetUniformLocation(textured, "modelViewProjection"), 1, GL_FALSE,
                           glm::value_ptr(identity));
        target.Bind(0);
        quad.Draw();
        glFinish();
    }
}
} // namespace

int main(int argc, char** argv)
{
    std::optional<Benchmarks::GlContext> context;
    if (!Benchmarks::OpenQuietly(context, BuildScene))
    {
        return 1;
    }
    SDL_SetWindowSize(Window::System::GetInstance().window, 8, 8);
    benchmark::RegisterBenchmark("BareFrameBufferAndQuads", BareFrameBufferAndQuads)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("TextComponent", TextComponent)->Unit(benchmark::kMicrosecond);
    const int status =
        Benchmarks::RunWithRatios(argc, argv,
                                  {{"caption render: text component vs bare frame buffer and quads",
                                    "BareFrameBufferAndQuads", "TextComponent", false}});
    Game::System::GetInstance().Release();
    return status;
}
