#pragma once

#include "Graphics/DeferredTextures/DeferredTextures.h"
#include "Graphics/GraphicsComponent.h"

#include <glm/vec3.hpp>
#include <vector>

// The scene's three directional lights with ambient colour and fog, drawn over the whole G-buffer. The
// directions are fixed in the world and turned into view space through "Camera_World" on every draw,
// whichever camera the drawing command uses. Ambient colour, fog colour and fog amount start at zero
// and are set by game code from the level's lighting.
class LightingDirectionalGraphics : public Morvane::Graphics::Component
{
public:
    explicit LightingDirectionalGraphics(Morvane::Game::Object* owner) : Component(owner) {}

    bool Parse(const Morvane::IParserData* data) override;
    bool Initialize() override;
    bool Save(Morvane::IParserData* data) override;
    void Clone(Morvane::Game::Component* destination) override;
    void SetCustomUniform(Morvane::Graphics::Camera* camera,
                          const Morvane::Graphics::UniformDefinition& uniform) override;

    const glm::vec3& GetAmbientColor() const { return m_ambientColor; }
    void SetAmbientColor(const glm::vec3& colour) { m_ambientColor = colour; }
    const glm::vec3& GetFogColor() const { return m_fogColor; }
    void SetFogColor(const glm::vec3& colour) { m_fogColor = colour; }
    float GetFogAmount() const { return m_fogAmount; }
    void SetFogAmount(float amount) { m_fogAmount = amount; }
    Morvane::Graphics::Texture* GetAmbientTerm() const { return m_textures.ambientTerm; }
    void SetAmbientTerm(Morvane::Graphics::Texture* texture) { m_textures.ambientTerm = texture; }
    const std::vector<glm::vec3>& GetLightDirections() const { return m_lightDirs; }

private:
    std::string Channel() const;
    void UploadDirections(const Morvane::Graphics::UniformDefinition& uniform) const;

    glm::vec3 m_ambientColor{0.0f};
    float m_fogAmount = 0.0f;
    DeferredTextures m_textures;
    std::vector<glm::vec3> m_lightDirs;
    // "Camera_World" when the configuration has one.
    Morvane::Graphics::Camera* m_worldCamera = nullptr;
    glm::vec3 m_fogColor{0.0f};
};
