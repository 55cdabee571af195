#pragma once

#include "Graphics/GraphicsComponent.h"

#include <glm/vec3.hpp>
#include <string>

// Light shafts: samples marched from each fragment toward the light's place on screen through the
// occlusion picture ("occlusionTexture": occluders dark, the light bright), each step weaker by "decay".
// The light is the object "lightObjectName", looked up by name at every draw so that deleting it stops
// the rays instead of leaving a dangling transform; "lightCameraName" projects it.
class LightScattererGraphics : public Morvane::Graphics::Component
{
public:
    explicit LightScattererGraphics(Morvane::Game::Object* owner) : Component(owner) {}

    bool Parse(const Morvane::IParserData* data) override;
    bool Save(Morvane::IParserData* data) override;
    void Clone(Morvane::Game::Component* destination) override;
    void SetCustomUniform(Morvane::Graphics::Camera* camera,
                          const Morvane::Graphics::UniformDefinition& uniform) override;

    // Where the light is on screen: x and y from 0 to 1 across the picture, z its depth. z is below 0
    // (no rays) when the light is on or behind the camera's plane, or gone.
    glm::vec3 LightPositionScreen();

    float GetDecay() const { return m_decay; }
    float GetExposure() const { return m_exposure; }
    float GetDensity() const { return m_density; }
    float GetWeight() const { return m_weight; }

private:
    std::string Channel() const;
    const Morvane::Game::TransformComponent* FindLightTransform();

    Morvane::Graphics::Texture* m_occlusionTexture = nullptr;
    Morvane::Graphics::Camera* m_lightCamera = nullptr;
    std::string m_lightCameraName;
    std::string m_lightObjectName;
    bool m_missingLightWarned = false;
    float m_exposure = 0.87f;
    float m_decay = 0.9f;
    float m_density = 0.9f;
    float m_weight = 1.0f;
};
