#pragma once

#include "Behavior/ParticleSystem/ParticleBehavior.h"

#include <string>

// Specks of dust that hang in the air around a camera and sink slowly; each one that lives out its
// time, or is left more than 3 units behind with more than 2 s to go, comes back somewhere around the
// camera.
class ParticleSystem_Dust : public ParticleBehavior
{
public:
    static constexpr int kCount = 300;
    static constexpr float kSize = 0.05f;
    static constexpr float kLife = 6.0f;
    static constexpr float kFadeTime = 1.0f;
    static constexpr float kSinkSpeed = 0.05f;
    static constexpr float kReach = 3.0f;
    static constexpr float kLifeLeftToFollow = 2.0f;

    explicit ParticleSystem_Dust(Morvane::Game::Object* owner);

    // "referenceCamera", the camera the dust stays around (default "Camera_World").
    bool Parse(const Morvane::IParserData* data) override;
    // An unknown camera is an error and the dust idles, unseen.
    bool Initialize() override;

    const std::string& GetCameraName() const { return m_cameraName; }

private:
    void SaveSettings(Morvane::IParserData& element) const override;
    void Step(float dt) override;
    void Respawn(int particle, const glm::vec3& centre);

    std::string m_cameraName = "Camera_World";
};
