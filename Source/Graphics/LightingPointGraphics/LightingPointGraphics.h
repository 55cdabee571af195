#pragma once

#include "Graphics/DeferredTextures/DeferredTextures.h"
#include "Graphics/GraphicsComponent.h"

#include <glm/vec3.hpp>

// A point light at its object's position, drawn as a light volume (a sphere scaled to the light's
// reach) over the G-buffer. The attenuation (constant, linear, quadratic) starts at (0, 0, 0), which
// the shader reads as no falloff; game code sets it from the level's lighting.
class LightingPointGraphics : public Morvane::Graphics::Component
{
public:
    explicit LightingPointGraphics(Morvane::Game::Object* owner) : Component(owner) {}

    bool Parse(const Morvane::IParserData* data) override;
    bool Save(Morvane::IParserData* data) override;
    void Clone(Morvane::Game::Component* destination) override;
    void SetCustomUniform(Morvane::Graphics::Camera* camera,
                          const Morvane::Graphics::UniformDefinition& uniform) override;

    const glm::vec3& GetAttenuation() const { return m_lightAttenuation; }
    void SetAttenuation(const glm::vec3& attenuation) { m_lightAttenuation = attenuation; }

private:
    std::string Channel() const;
    void UploadPosition(Morvane::Graphics::Camera* camera,
                        const Morvane::Graphics::UniformDefinition& uniform);

    DeferredTextures m_textures;
    glm::vec3 m_lightAttenuation{0.0f};
};
