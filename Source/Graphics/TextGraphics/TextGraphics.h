#pragma once

#include "Graphics/GlObject.h"
#include "Graphics/GraphicsComponent.h"

#include <glm/vec2.hpp>
#include <glm/vec4.hpp>
#include <string>

namespace Morvane::Graphics
{
class Camera;
class Font;
class Shader;
class Texture;
} // namespace Morvane::Graphics

// A caption drawn with a bitmap font into a texture of its own ("<owner>_text"), which the component
// then shows on its renderable like any diffuse texture. The caption is rendered again only when the
// caption, a colour, the font size or the font changes.
//
// The glyphs are laid out in the render texture's own pixels (top left first, fontSize pixels per
// line) whatever the size of "fontCamera", so that a camera of another size never stretches them.
class TextGraphics : public Morvane::Graphics::Component
{
public:
    explicit TextGraphics(Morvane::Game::Object* owner) : Component(owner) {}

    bool Parse(const Morvane::IParserData* data) override;
    bool Save(Morvane::IParserData* data) override;
    void Clone(Morvane::Game::Component* destination) override;
    void Draw(Morvane::Graphics::Shader* shader, Morvane::Graphics::Camera* camera) override;
    void Release() override;

    const std::string& GetCaption() const { return m_caption; }
    void SetCaption(const std::string& caption);
    void SetForeColor(const glm::vec4& colour);
    void SetBackColor(const glm::vec4& colour);
    void SetFontSize(float size);
    // Makes the caption's texture anew at `size` (texels) and renders the caption into it again.
    bool SetTextureSize(const glm::vec2& size);
    const glm::vec2& GetTextureSize() const { return m_textureSize; }
    Morvane::Graphics::Texture* GetRenderTexture() const { return m_renderTexture; }
    // How many times the caption was rendered into the texture.
    int GetRenderCount() const { return m_renderCount; }

private:
    std::string Channel() const;
    bool Fail(const std::string& message) const;
    bool MakeRenderTexture();
    void RenderCaption();
    void DrawGlyphs();

    std::string m_caption;
    Morvane::Graphics::Font* m_font = nullptr;
    Morvane::Graphics::Camera* m_fontCamera = nullptr;
    Morvane::Graphics::Shader* m_textShader = nullptr;
    Morvane::Graphics::Texture* m_renderTexture = nullptr;
    std::string m_renderTextureName;
    glm::vec2 m_textureSize{512.0f};
    glm::vec4 m_backColor{0.0f};
    glm::vec4 m_foreColor{1.0f};
    float m_fontSize = 32.0f;
    bool m_captionChanged = true;
    int m_renderCount = 0;
    Morvane::Graphics::GlFramebuffer m_frameBuffer;
    Morvane::Graphics::GlVertexArray m_vertexArray;
    Morvane::Graphics::GlBuffer m_vertexBuffer;
};
