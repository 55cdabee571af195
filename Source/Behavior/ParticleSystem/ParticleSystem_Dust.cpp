#include "Behavior/ParticleSystem/ParticleSystem_Dust.h"

#include "Graphics/Camera.h"
#include "Graphics/GraphicsSystem.h"
#include "Parsing/IParserData.h"
#include "System/Logging/Format.h"
#include "System/Logging/LoggingSystem.h"

#include <glm/geometric.hpp>

using namespace Morvane;

namespace
{
constexpr const char* kType = "BehaviorComponent_ParticleSystem_Dust";
const glm::vec4 kColour(0.75f, 0.75f, 0.75f, 0.75f);
} // namespace

ParticleSystem_Dust::ParticleSystem_Dust(Game::Object* owner) : ParticleBehavior(owner, kType, kFadeTime) {}

bool ParticleSystem_Dust::Parse(const IParserData* data)
{
    m_cameraName = data->GetAttribute("referenceCamera", m_cameraName);
    return ParticleBehavior::Parse(data);
}

void ParticleSystem_Dust::SaveSettings(IParserData& element) const
{
    element.SetAttribute("referenceCamera", m_cameraName);
}

bool ParticleSystem_Dust::Initialize()
{
    if (!SetUpParticles(kCount, kSize))
    {
        return true;
    }
    const Graphics::Camera* camera = Graphics::System::GetInstance().GetCamera(m_cameraName);
    if (camera == nullptr)
    {
        Log::Error(Channel(), Format("Camera '%s' does not exists", m_cameraName.c_str()));
        for (int particle = 0; particle < Count(); ++particle)
        {
            Colour(particle).a = 0.0f;
        }
        Idle();
        return true;
    }
    // Lives spread over the whole span: all of them starting at once would fade in and out together.
    for (int particle = 0; particle < Count(); ++particle)
    {
        Respawn(particle, camera->GetPosition());
        Life(particle) = Uniform(0.0f, kLife);
    }
    return true;
}

void ParticleSystem_Dust::Respawn(int particle, const glm::vec3& centre)
{
    Revive(particle, kLife);
    const float x = Uniform(-kReach, kReach);
    const float y = Uniform(-1.0f, 1.0f);
    Position(particle) = centre + glm::vec3(x, y, Uniform(-kReach, kReach));
    SetScale(particle, 1.0f);
}

void ParticleSystem_Dust::Step(float dt)
{
    // By name every frame: cameras can be replaced, never left dangling.
    const Graphics::Camera* camera = Graphics::System::GetInstance().GetCamera(m_cameraName);
    if (camera == nullptr)
    {
        return;
    }
    const glm::vec3 centre = camera->GetPosition();
    const float reachSquared = kReach * kReach;
    for (int particle = 0; particle < Count(); ++particle)
    {
        float& life = Life(particle);
        life -= dt;
        glm::vec3& position = Position(particle);
        position.y -= kSinkSpeed * dt;
        const glm::vec3 offset = position - centre;
        if (life <= 0.0f || (glm::dot(offset, offset) > reachSquared && life > kLifeLeftToFollow))
        {
            Respawn(particle, centre);
        }
        Colour(particle) = glm::vec4(glm::vec3(kColour), FadedAlpha(particle, kColour.a));
    }
}
