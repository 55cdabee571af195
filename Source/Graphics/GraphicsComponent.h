#pragma once

#include "Component/Component.h"

#include <glm/vec2.hpp>
#include <glm/vec4.hpp>
#include <optional>
#include <string>

namespace Morvane::Game
{
class TransformComponent;
}

namespace Morvane::Graphics
{
class Camera;
class IRenderable;
class Mesh;
class Shader;
class Texture;
struct UniformDefinition;

// Makes an object visible: a renderable, an optional preferred shader and diffuse texture, a colour
// and a visibility flag, drawn by the "Render" commands of the render sets it joined. Game-side
// graphics kinds derive from it and feed their custom uniforms.
class Component : public Game::Component
{
public:
    explicit Component(Game::Object* parentObject) : Game::Component(parentObject) {}

    // Resolves the resources, joins the render sets and finds the owner's transform.
    bool Parse(const IParserData* data) override;
    // Adds a "Graphics" child: colour, renderable, texture, visibility and render sets.
    bool Save(IParserData* data) override;
    void Clone(Game::Component* destination) override;

    // Uploads every engine-purpose uniform of `shader`; custom purposes go to SetCustomUniform.
    virtual void SetUniforms(Shader* shader, Camera* camera);
    virtual void Draw(Shader* shader, Camera* camera);
    virtual void SetCustomUniform(Camera*, const UniformDefinition&) {}
    // Called by the graphics system just before it destroys the component.
    virtual void Release() {}

    // False while a resource the draw needs is still loading: such a component is skipped.
    bool IsReady() const;
    // The radius around the transform's position that holds the renderable as scaled; 0 without one.
    float GetCullingRadius();

    bool IsVisible() const { return m_visible; }
    void SetVisible(bool visible) { m_visible = visible; }
    const glm::vec4& GetDiffuseColor() const { return m_diffuseColor; }
    void SetDiffuseColor(const glm::vec4& colour) { m_diffuseColor = colour; }
    const glm::vec2& GetTextureOffset() const { return m_textureOffset; }
    void SetTextureOffset(const glm::vec2& offset) { m_textureOffset = offset; }
    const glm::vec2& GetTextureScale() const { return m_textureScale; }
    void SetTextureScale(const glm::vec2& scale) { m_textureScale = scale; }
    IRenderable* GetRenderable() const { return m_renderable; }
    void SetRenderable(IRenderable* renderable);
    Texture* GetTexture() const { return m_texture; }
    void SetTexture(Texture* texture) { m_texture = texture; }
    // Looks the texture resource up; an unknown name is logged and keeps the current texture.
    void SetTexture(const std::string& name);
    Shader* GetPreferredShader() const { return m_preferredShader; }
    void SetPreferredShader(Shader* shader) { m_preferredShader = shader; }
    Game::TransformComponent* GetTransform() const { return m_transformComponent; }
    void SetTransform(Game::TransformComponent* transform) { m_transformComponent = transform; }

protected:
    // What Save writes: the "Graphics" child added to `data`, for kinds to add their own attributes to.
    IParserData* SaveElement(IParserData* data);

private:
    std::string Channel() const;
    bool Fail(const std::string& message) const;
    void JoinRenderSets(const IParserData& data);

    Texture* m_texture = nullptr;
    Shader* m_preferredShader = nullptr;
    Game::TransformComponent* m_transformComponent = nullptr;
    IRenderable* m_renderable = nullptr;
    // The renderable when it is a mesh resource: its readiness and size are known.
    Mesh* m_mesh = nullptr;
    std::optional<float> m_meshRadius;
    glm::vec2 m_textureOffset{0.0f};
    glm::vec2 m_textureScale{1.0f};
    glm::vec4 m_diffuseColor{1.0f};
    bool m_visible = true;
};
} // namespace Morvane::Graphics
