#include "Graphics/TextGraphics/TextGraphics.h"

#include "Font/Font.h"
#include "Font/TextLayout.h"
#include "Graphics/Camera.h"
#include "Graphics/GraphicsSystem.h"
#include "Graphics/OpenGL.h"
#include "Parsing/IParserData.h"
#include "Parsing/ParserDataUtilities/ParserDataUtilities.h"
#include "Resources/ResourceSystem.h"
#include "Shader/Shader.h"
#include "System/Assert/Assertion.h"
#include "System/Logging/Format.h"
#include "System/Logging/LoggingSystem.h"
#include "Texture/Texture.h"

#include <array>
#include <glm/ext/matrix_clip_space.hpp>
#include <glm/gtc/type_ptr.hpp>
#include <memory>
#include <vector>

using namespace Morvane;
using namespace Morvane::Graphics;

namespace
{
constexpr const char* kType = "GraphicsComponent_Text";
constexpr const char* kDefaultTextShader = "Shader_Text";
// Two floats of position and two of texture coordinates per vertex, six vertices per glyph.
constexpr int kFloatsPerVertex = 4;

// The GL state a caption render changes, put back afterwards: the pass that drew the component goes on
// drawing where it was.
class SavedDrawState
{
public:
    SavedDrawState()
    {
        glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &m_frameBuffer);
        glGetIntegerv(GL_VIEWPORT, m_viewport.data());
        glGetIntegerv(GL_CURRENT_PROGRAM, &m_program);
        glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &m_vertexArray);
        glGetIntegerv(GL_ACTIVE_TEXTURE, &m_activeTexture);
        glActiveTexture(GL_TEXTURE0);
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &m_texture);
        glGetFloatv(GL_COLOR_CLEAR_VALUE, m_clearColour.data());
        glGetIntegerv(GL_BLEND_SRC_RGB, &m_blend[0]);
        glGetIntegerv(GL_BLEND_DST_RGB, &m_blend[1]);
        glGetIntegerv(GL_BLEND_SRC_ALPHA, &m_blend[2]);
        glGetIntegerv(GL_BLEND_DST_ALPHA, &m_blend[3]);
        glGetIntegerv(GL_BLEND_EQUATION_RGB, &m_equation[0]);
        glGetIntegerv(GL_BLEND_EQUATION_ALPHA, &m_equation[1]);
        for (std::size_t at = 0; at < kSwitches.size(); ++at)
        {
            m_enabled[at] = glIsEnabled(kSwitches[at]);
        }
    }
    ~SavedDrawState()
    {
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, static_cast<GLuint>(m_frameBuffer));
        glViewport(m_viewport[0], m_viewport[1], m_viewport[2], m_viewport[3]);
        glUseProgram(static_cast<GLuint>(m_program));
        glBindVertexArray(static_cast<GLuint>(m_vertexArray));
        glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(m_texture));
        glActiveTexture(static_cast<GLenum>(m_activeTexture));
        glClearColor(m_clearColour[0], m_clearColour[1], m_clearColour[2], m_clearColour[3]);
        glBlendFuncSeparate(static_cast<GLenum>(m_blend[0]), static_cast<GLenum>(m_blend[1]),
                            static_cast<GLenum>(m_blend[2]), static_cast<GLenum>(m_blend[3]));
        glBlendEquationSeparate(static_cast<GLenum>(m_equation[0]), static_cast<GLenum>(m_equation[1]));
        for (std::size_t at = 0; at < kSwitches.size(); ++at)
        {
            (m_enabled[at] == GL_TRUE ? glEnable : glDisable)(kSwitches[at]);
        }
    }
    SavedDrawState(const SavedDrawState&) = delete;
    SavedDrawState& operator=(const SavedDrawState&) = delete;

private:
    static constexpr std::array<GLenum, 4> kSwitches = {GL_BLEND, GL_DEPTH_TEST, GL_CULL_FACE,
                                                        GL_SCISSOR_TEST};

    GLint m_frameBuffer = 0;
    std::array<GLint, 4> m_viewport{};
    GLint m_program = 0;
    GLint m_vertexArray = 0;
    GLint m_activeTexture = GL_TEXTURE0;
    GLint m_texture = 0;
    std::array<GLfloat, 4> m_clearColour{};
    std::array<GLint, 4> m_blend{};
    std::array<GLint, 2> m_equation{};
    std::array<GLboolean, kSwitches.size()> m_enabled{};
};

glm::vec4 Premultiplied(const glm::vec4& colour)
{
    return {glm::vec3(colour) * colour.a, colour.a};
}

// The caption's glyphs as triangles, page by page.
struct PageRange
{
    int page = 0;
    GLint first = 0;
    GLsizei count = 0;
};

std::vector<float> GlyphVertices(const std::vector<GlyphQuad>& quads, int pages,
                                 std::vector<PageRange>& ranges)
{
    std::vector<float> vertices;
    vertices.reserve(quads.size() * 6 * kFloatsPerVertex);
    for (int page = 0; page < pages; ++page)
    {
        const GLint first = static_cast<GLint>(vertices.size() / kFloatsPerVertex);
        for (const GlyphQuad& quad : quads)
        {
            if (quad.page != page)
            {
                continue;
            }
            const float left = quad.topLeft.x;
            const float top = quad.topLeft.y;
            const float right = quad.bottomRight.x;
            const float bottom = quad.bottomRight.y;
            const float u0 = quad.uvTopLeft.x;
            const float v0 = quad.uvTopLeft.y;
            const float u1 = quad.uvBottomRight.x;
            const float v1 = quad.uvBottomRight.y;
            vertices.insert(vertices.end(),
                            {left, top, u0, v0, left,  bottom, u0, v1, right, bottom, u1, v1,
                             left, top, u0, v0, right, bottom, u1, v1, right, top,    u1, v0});
        }
        const GLint end = static_cast<GLint>(vertices.size() / kFloatsPerVertex);
        if (end > first)
        {
            ranges.push_back({page, first, end - first});
        }
    }
    return vertices;
}
} // namespace

std::string TextGraphics::Channel() const
{
    return Format("%s/Text", GetOwnerName().c_str());
}

bool TextGraphics::Fail(const std::string& message) const
{
    Log::Error(Channel(), message);
    return false;
}

bool TextGraphics::Parse(const IParserData* data)
{
    if (!Component::Parse(data))
    {
        return false;
    }
    m_caption = data->GetAttribute("caption", "");
    m_textureSize = ParserDataUtilities::GetAttributeVec2(*data, "textureSize", glm::vec2(512.0f));
    m_backColor = ParserDataUtilities::GetAttributeVec4(*data, "backColor", glm::vec4(0.0f));
    m_foreColor = ParserDataUtilities::GetAttributeVec4(*data, "foreColor", glm::vec4(1.0f));
    m_fontSize = data->GetAttributeFloat("fontSize", 32.0f);

    Resources::System& resources = Resources::System::GetInstance();
    const std::string font = data->GetAttribute("font", "");
    m_font = font.empty() ? nullptr : resources.GetResource<Font>(font);
    if (m_font == nullptr)
    {
        return Fail(Format("Tried to use text without valid font '%s'", font.c_str()));
    }
    const std::string camera = data->GetAttribute("fontCamera", "");
    m_fontCamera = System::GetInstance().GetCamera(camera);
    if (m_fontCamera == nullptr)
    {
        return Fail(Format("Camera '%s' does not exists", camera.c_str()));
    }
    const std::string shader = data->GetAttribute("textShader", kDefaultTextShader);
    m_textShader = resources.GetResource<Shader>(shader);
    if (m_textShader == nullptr)
    {
        return Fail(Format("Could not get the text shader '%s'", shader.c_str()));
    }
    return MakeRenderTexture();
}

bool TextGraphics::MakeRenderTexture()
{
    GLint largest = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largest);
    // Checked as floats: a negative or huge size must never reach the cast to unsigned.
    const auto fits = [largest](float side) { return side >= 1.0f && side <= static_cast<float>(largest); };
    if (!fits(m_textureSize.x) || !fits(m_textureSize.y))
    {
        return Fail("Could not initialize render texture");
    }
    Resources::System& resources = Resources::System::GetInstance();
    const std::string name = GetOwnerName() + "_text";
    auto made = std::make_unique<Texture>(name);
    Texture* texture = made.get();
    if (!resources.AddResource(std::move(made)))
    {
        return Fail("Text without texture");
    }
    texture->SetSize(static_cast<unsigned>(m_textureSize.x), static_cast<unsigned>(m_textureSize.y));
    texture->SetMipMap(true);
    texture->SetMagFilter(GL_LINEAR);
    texture->SetMinFilter(GL_LINEAR);
    if (!texture->Initialize())
    {
        resources.UnloadResource(name);
        return Fail("Could not initialize render texture");
    }
    m_renderTexture = texture;
    m_renderTextureName = name;
    SetTexture(texture);
    m_captionChanged = true;
    return true;
}

bool TextGraphics::Save(IParserData* data)
{
    IParserData* element = SaveElement(data);
    element->SetAttribute("type", kType);
    // The render texture is made again from the attributes below.
    element->SetAttribute("texture", "");
    element->SetAttribute("caption", m_caption);
    element->SetAttribute("font", m_font != nullptr ? m_font->GetName() : "");
    element->SetAttribute("fontCamera", System::GetInstance().GetCameraName(m_fontCamera));
    element->SetAttribute("textShader",
                          m_textShader != nullptr ? m_textShader->GetName() : kDefaultTextShader);
    ParserDataUtilities::SetAttributeVector(*element, "textureSize", m_textureSize);
    ParserDataUtilities::SetAttributeVector(*element, "backColor", m_backColor);
    ParserDataUtilities::SetAttributeVector(*element, "foreColor", m_foreColor);
    element->SetAttributeFloat("fontSize", m_fontSize);
    return true;
}

void TextGraphics::Clone(Game::Component* destination)
{
    Component::Clone(destination);
    auto* other = dynamic_cast<TextGraphics*>(destination);
    if (other == nullptr)
    {
        return;
    }
    other->m_caption = m_caption;
    other->m_font = m_font;
    other->m_fontCamera = m_fontCamera;
    other->m_textShader = m_textShader;
    other->m_textureSize = m_textureSize;
    other->m_backColor = m_backColor;
    other->m_foreColor = m_foreColor;
    other->m_fontSize = m_fontSize;
    // A texture of its own, never the original's.
    other->m_renderTexture = nullptr;
    other->MakeRenderTexture();
}

void TextGraphics::SetCaption(const std::string& caption)
{
    m_captionChanged = m_captionChanged || caption != m_caption;
    m_caption = caption;
}

void TextGraphics::SetForeColor(const glm::vec4& colour)
{
    m_captionChanged = m_captionChanged || colour != m_foreColor;
    m_foreColor = colour;
}

void TextGraphics::SetBackColor(const glm::vec4& colour)
{
    m_captionChanged = m_captionChanged || colour != m_backColor;
    m_backColor = colour;
}

bool TextGraphics::SetTextureSize(const glm::vec2& size)
{
    if (size == m_textureSize && m_renderTexture != nullptr)
    {
        return true;
    }
    m_textureSize = size;
    // The texture's storage is fixed once made: a new size is a new texture under the same name.
    Resources::System::GetInstance().UnloadIfLoaded(m_renderTextureName);
    m_renderTextureName.clear();
    m_renderTexture = nullptr;
    SetTexture(static_cast<Texture*>(nullptr));
    return MakeRenderTexture();
}

void TextGraphics::SetFontSize(float size)
{
    m_captionChanged = m_captionChanged || size != m_fontSize;
    m_fontSize = size;
}

void TextGraphics::Draw(Shader* shader, Camera* camera)
{
    MORVANE_ASSERT_NAMED(GetTransform() != nullptr, "m_transformComponent", __LINE__);
    MORVANE_ASSERT_NAMED(GetRenderable() != nullptr, "m_renderable", __LINE__);
    MORVANE_ASSERT_NAMED(m_font != nullptr, "m_font", __LINE__);
    // A font or shader still on the load thread: the caption shows once they are ready.
    if (m_renderTexture == nullptr || !m_font->IsInitialized() || !m_textShader->IsInitialized())
    {
        return;
    }
    if (m_captionChanged)
    {
        RenderCaption();
    }
    Component::Draw(shader, camera);
}

void TextGraphics::RenderCaption()
{
    const SavedDrawState saved;
    if (m_frameBuffer.Get() == 0)
    {
        m_frameBuffer = GlFramebuffer::Create();
    }
    glNamedFramebufferTexture(m_frameBuffer.Get(), GL_COLOR_ATTACHMENT0, m_renderTexture->GetHandle(), 0);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, m_frameBuffer.Get());
    glViewport(0, 0, static_cast<GLsizei>(m_renderTexture->GetWidth()),
               static_cast<GLsizei>(m_renderTexture->GetHeight()));
    const glm::vec4 back = Premultiplied(m_backColor);
    glClearColor(back.r, back.g, back.b, back.a);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glDisable(GL_SCISSOR_TEST);
    glEnable(GL_BLEND);
    glBlendEquation(GL_FUNC_ADD);
    glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
    DrawGlyphs();
    glGenerateTextureMipmap(m_renderTexture->GetHandle());
    m_captionChanged = false;
    ++m_renderCount;
}

void TextGraphics::DrawGlyphs()
{
    TextLayout layout(m_font->GetMetrics(), m_font->GetCharacters());
    layout.Build(m_caption, m_fontSize, Channel());
    std::vector<PageRange> ranges;
    const std::vector<float> vertices =
        GlyphVertices(layout.GetQuads(), static_cast<int>(m_font->GetTextureCount()), ranges);
    if (vertices.empty())
    {
        return;
    }
    if (m_vertexArray.Get() == 0)
    {
        m_vertexArray = GlVertexArray::Create();
        m_vertexBuffer = GlBuffer::Create();
        const GLuint array = m_vertexArray.Get();
        glVertexArrayVertexBuffer(array, 0, m_vertexBuffer.Get(), 0, kFloatsPerVertex * sizeof(float));
        for (GLuint attribute = 0; attribute < 2; ++attribute)
        {
            glEnableVertexArrayAttrib(array, attribute);
            glVertexArrayAttribFormat(array, attribute, 2, GL_FLOAT, GL_FALSE, attribute * 2 * sizeof(float));
            glVertexArrayAttribBinding(array, attribute, 0);
        }
    }
    glNamedBufferData(m_vertexBuffer.Get(), static_cast<GLsizeiptr>(vertices.size() * sizeof(float)),
                      vertices.data(), GL_DYNAMIC_DRAW);

    const GLuint program = m_textShader->GetProgram();
    const glm::mat4 projection = glm::ortho(0.0f, static_cast<float>(m_renderTexture->GetWidth()),
                                            static_cast<float>(m_renderTexture->GetHeight()), 0.0f);
    const glm::vec4 fore = Premultiplied(m_foreColor);
    glUseProgram(program);
    glUniformMatrix4fv(glGetUniformLocation(program, "projection"), 1, GL_FALSE, glm::value_ptr(projection));
    glUniform4fv(glGetUniformLocation(program, "colour"), 1, glm::value_ptr(fore));
    glUniform1i(glGetUniformLocation(program, "glyphs"), 0);
    glBindVertexArray(m_vertexArray.Get());
    for (const PageRange& range : ranges)
    {
        m_font->GetTexture(static_cast<unsigned>(range.page))->Bind(0);
        glDrawArrays(GL_TRIANGLES, range.first, range.count);
    }
}

void TextGraphics::Release()
{
    m_vertexArray.Reset();
    m_vertexBuffer.Reset();
    m_frameBuffer.Reset();
    // Looked up by name: the resource system may have released the texture already.
    Resources::System::GetInstance().UnloadIfLoaded(m_renderTextureName);
    m_renderTextureName.clear();
    m_renderTexture = nullptr;
    SetTexture(static_cast<Texture*>(nullptr));
}
