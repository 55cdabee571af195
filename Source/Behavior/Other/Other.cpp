#include "Behavior/Other/Other.h"

#include "Behavior/FloatingObject/FloatingObject.h"
#include "Behavior/GameLogic/GameLogic.h"
#include "Behavior/GameLogic/RenderSettings.h"
#include "Behavior/ParticleSystem/ParticleSystem_OtherAura.h"
#include "Component/GameSystem.h"
#include "Component/Object.h"
#include "Component/TransformComponent.h"
#include "Graphics/Camera.h"
#include "Graphics/GraphicsComponent.h"
#include "Graphics/LightingPointGraphics/LightingPointGraphics.h"
#include "Parsing/IParserData.h"
#include "Physics/PhysicsComponent.h"
#include "Sound/AudioComponent.h"
#include "Sound/AudioSystem.h"
#include "System/Assert/Assertion.h"
#include "System/Logging/Format.h"
#include "System/Logging/LoggingSystem.h"
#include "System/Math/Smoothing.h"

#include <algorithm>
#include <cmath>
#include <glm/geometric.hpp>
#include <glm/gtc/quaternion.hpp>

using namespace Morvane;

namespace
{
constexpr const char* kChannel = "Other";
constexpr float kFollowRate = 20.0f;
constexpr float kHoverRate = 1.0f;
constexpr float kDriftRate = 1.0f;
constexpr float kInteractPush = 10.0f;
// The push of a nudge dies away instead of carrying the companion past every tip point.
constexpr float kPushDamping = 2.0f;
constexpr float kLightColourRate = 10.0f;
constexpr float kLightAttenuationRate = 0.1f;
constexpr float kColourRate = 1.0f;
constexpr float kOpenScale = 0.3f;
constexpr float kOpenScaleRate = 10.0f;
constexpr float kTouchingScale = 0.01f;
constexpr float kTouchingScaleRate = 20.0f;
constexpr float kOrbitalScale = 0.06f;
// Below this a drift step would turn a near-zero sum into any direction at all.
constexpr float kDriftMinimum = 1e-4f;
constexpr float kEndingMinDistance = 10.0f;
constexpr float kEndingMaxDistance = 120.0f;
const glm::vec4 kWhite(1.0f);
const glm::vec4 kFlash(1.0f, 0.0f, 0.0f, 1.0f);
const glm::vec3 kFlashAttenuation(0.0001f, 0.005f, 0.005f);
const glm::vec3 kOrbitalAmplitude(0.08f, 0.12f, 0.08f);

struct Ending
{
    const char* event;
    const char* sound;
};
const Ending kEndings[] = {{"Level5_BadEnding", "Sound_Other_Die"}, {"Level6_GoodEnding", "Sound_Baby"}};

template <class T> T Toward(const T& from, const T& to, float rate, float dt)
{
    return from + (to - from) * Math::Smoothing(rate, dt);
}

float Cube(float value)
{
    return value * value * value;
}
} // namespace

struct Other::Parts
{
    Game::TransformComponent* transform = nullptr;
    Physics::Component* body = nullptr;
    Graphics::Component* graphics = nullptr;
};

Other::Other(Game::Object* owner) : Component(owner), m_random(owner->GetName())
{
    // The z draw comes first.
    const float z = m_random.Unit() + 0.8f;
    m_wobblePhases = glm::vec3(m_random.Unit() - 1.5f, 0.0f, z);
}

std::string Other::Channel() const
{
    return GetOwnerName() + "/Other";
}

void Other::SetAmbient()
{
    m_ambient = true;
    m_free = true;
}

bool Other::Save(IParserData* data)
{
    IParserData* element = data->AddChild("Behavior");
    element->SetAttribute("type", "BehaviorComponent_Other");
    return true;
}

bool Other::Initialize()
{
    auto* myTransform = GetParentObject()->GetComponent<Game::TransformComponent>();
    MORVANE_ASSERT_NAMED(myTransform != nullptr, "myTransform", __LINE__);
    if (myTransform == nullptr)
    {
        return false;
    }
    if (m_camera == nullptr)
    {
        m_anchor = myTransform->GetPosition();
    }
    Game::System& game = Game::System::GetInstance();
    static constexpr const char* kOrbitalAsserts[3][3] = {
        {"m_orbital1", "orbital1Transform", "orbital1Graphics"},
        {"m_orbital2", "orbital2Transform", "orbital2Graphics"},
        {"m_orbital3", "orbital3Transform", "orbital3Graphics"}};
    for (std::size_t i = 0; i < m_orbitals.size(); ++i)
    {
        Game::Object* orbital = game.CreateObjectFromArchetype("FloatingObject", "FloatingObject.xml");
        MORVANE_ASSERT_NAMED(orbital != nullptr, kOrbitalAsserts[i][0], __LINE__);
        auto* transform = orbital->GetComponent<Game::TransformComponent>();
        MORVANE_ASSERT_NAMED(transform != nullptr, kOrbitalAsserts[i][1], __LINE__);
        auto* graphics = orbital->GetComponent<Graphics::Component>();
        MORVANE_ASSERT_NAMED(graphics != nullptr, kOrbitalAsserts[i][2], __LINE__);
        auto* floating = orbital->GetComponent<FloatingObject>();
        MORVANE_ASSERT_NAMED(floating != nullptr, "floating", __LINE__);
        m_orbitalNames[i] = orbital->GetName();
        transform->SetScale(glm::vec3(kOrbitalScale));
        transform->SetPosition(myTransform->GetPosition());
        graphics->SetDiffuseColor(kWhite);
        floating->SetAmplitude(kOrbitalAmplitude);
        floating->SetPivot(myTransform->GetPosition());
        m_orbitals[i].Reset(floating);
    }
    Game::Object* aura =
        game.CreateObjectFromArchetype("ParticleSystem_OtherAura", "ParticleSystem_OtherAura.xml");
    MORVANE_ASSERT_NAMED(aura != nullptr, "m_aura", __LINE__);
    m_auraName = aura->GetName();
    m_aura.Reset(aura->GetComponent<Game::TransformComponent>());
    if (auto* glow = aura->GetComponent<ParticleSystem_OtherAura>())
    {
        glow->SetCompanion(myTransform);
    }
    return true;
}

void Other::Release()
{
    // Found by name: when the whole game shuts down they may be gone first.
    Game::System& game = Game::System::GetInstance();
    for (std::string& name : m_orbitalNames)
    {
        if (!name.empty())
        {
            game.MarkForDeletion(game.GetObject(name));
        }
        name.clear();
    }
    if (!m_auraName.empty())
    {
        game.MarkForDeletion(game.GetObject(m_auraName));
        m_auraName.clear();
    }
    m_orbitals = {};
    m_aura.Reset();
    m_light.Reset();
    m_lightTransform.Reset();
    m_sun.Reset();
    m_camera = nullptr;
}

void Other::SetCamera(Graphics::Camera* camera)
{
    m_camera = camera;
    if (camera == nullptr)
    {
        return;
    }
    Place(camera->GetPosition());
}

void Other::Place(const glm::vec3& point)
{
    m_anchor = point;
    if (auto* transform = GetParentObject()->GetComponent<Game::TransformComponent>())
    {
        transform->SetPosition(point);
    }
}

void Other::SetLight(const Game::Object* light)
{
    auto* graphics = light != nullptr ? light->GetComponent<LightingPointGraphics>() : nullptr;
    if (graphics != m_light.Get() && graphics != nullptr)
    {
        // The light's own colour is what a flash fades back to.
        m_restingLightColour = graphics->GetDiffuseColor();
    }
    m_lightTransform.Reset(light != nullptr ? light->GetComponent<Game::TransformComponent>() : nullptr);
    m_light.Reset(graphics);
    const auto* transform = GetParentObject()->GetComponent<Game::TransformComponent>();
    if (auto* lightTransform = m_lightTransform.Get(); lightTransform != nullptr && transform != nullptr)
    {
        lightTransform->SetPosition(transform->GetPosition());
    }
}

void Other::SetSun(Game::TransformComponent* sun)
{
    m_sun.Reset(sun);
}

void Other::SetTipPoints(const std::vector<glm::vec3>& points)
{
    m_tipPoints = points;
    m_currentTip = 0;
}

void Other::PlayOnce(const std::string& sound)
{
    auto* audio = GetParentObject()->GetComponent<Audio::Component>();
    MORVANE_ASSERT_NAMED(audio != nullptr, "myAudio", __LINE__);
    if (audio == nullptr || audio->IsPlaying())
    {
        return;
    }
    audio->SetSound(sound);
    audio->Play(false);
}

void Other::Call()
{
    m_idleTimer = kCallTime;
    // Coming back means following: a free companion would never read the timer again.
    m_free = false;
    m_guiding = false;
    PlayOnce("Sound_Other_Call_0");
}

void Other::Interact()
{
    auto* transform = GetParentObject()->GetComponent<Game::TransformComponent>();
    if (m_camera == nullptr || transform == nullptr)
    {
        return;
    }
    const glm::vec3 fromCamera = transform->GetPosition() - m_camera->GetPosition();
    if (glm::dot(fromCamera, fromCamera) > kInteractDistance * kInteractDistance)
    {
        return;
    }
    if (auto* light = Alive(m_light, "light"))
    {
        light->SetDiffuseColor(kFlash);
        light->SetAttenuation(kFlashAttenuation);
    }
    if (auto* graphics = GetParentObject()->GetComponent<Graphics::Component>())
    {
        graphics->SetDiffuseColor(kFlash);
    }
    PlayOnce("Sound_Other_Interact_0");
    if (auto* body = GetParentObject()->GetComponent<Physics::Component>())
    {
        // Right after the companion was put on the camera there is no direction to it: push along the view.
        const float distance = glm::length(fromCamera);
        const glm::vec3 view = m_camera->GetTarget() - m_camera->GetPosition();
        const glm::vec3 direction = distance > 1e-4f              ? fromCamera / distance
                                    : glm::dot(view, view) > 0.0f ? glm::normalize(view)
                                                                  : glm::vec3(0.0f);
        body->SetVelocity(body->GetVelocity() + direction * kInteractPush);
    }
    m_free = true;
    m_guiding = true;
}

void Other::OnEvent(const std::string& name)
{
    if (m_ambient)
    {
        return;
    }
    Log::Info(kChannel, Format("Event: %s", name.c_str()));
    if (name == "Guide")
    {
        Log::Info(kChannel, Format("Changing from tip %i", static_cast<int>(m_currentTip)));
        ++m_currentTip;
        Log::Info(kChannel, Format(" to tip %i", static_cast<int>(m_currentTip)));
        return;
    }
    const auto ending = std::find_if(std::begin(kEndings), std::end(kEndings),
                                     [&name](const Ending& entry) { return name == entry.event; });
    if (ending == std::end(kEndings))
    {
        Log::Error(kChannel, Format("NOT IDENTIFIED EVENT: %s", name.c_str()));
        return;
    }
    const Game::Object* logicObject = Game::System::GetInstance().GetObject("GameLogic");
    auto* logic = logicObject != nullptr ? logicObject->GetComponent<GameLogic>() : nullptr;
    // An ending plays once per level, however often its trigger is walked through.
    if (logic != nullptr && !logic->StartFinalCredits())
    {
        return;
    }
    if (const auto* transform = GetParentObject()->GetComponent<Game::TransformComponent>())
    {
        Audio::System::GetInstance().PlaySound3D(ending->sound, transform->GetPosition(), kEndingMinDistance,
                                                 kEndingMaxDistance);
    }
}

template <class T> T* Other::Alive(const Game::ComponentHandle<T>& handle, const char* what)
{
    T* component = handle.Get();
    if (component == nullptr && handle.IsSet() &&
        std::find(m_lostReferences.begin(), m_lostReferences.end(), what) == m_lostReferences.end())
    {
        Log::Warning(Channel(), Format("The %s '%s' is gone: its step is skipped", what,
                                       handle.GetObjectName().c_str()));
        m_lostReferences.emplace_back(what);
    }
    return component;
}

bool Other::FindParts(Parts& parts)
{
    Game::Object& owner = *GetParentObject();
    parts.transform = owner.GetComponent<Game::TransformComponent>();
    parts.body = owner.GetComponent<Physics::Component>();
    parts.graphics = owner.GetComponent<Graphics::Component>();
    MORVANE_ASSERT_NAMED(parts.transform != nullptr, "myTransform", __LINE__);
    MORVANE_ASSERT_NAMED(parts.body != nullptr, "myPhysics", __LINE__);
    MORVANE_ASSERT_NAMED(parts.graphics != nullptr, "myGraphics", __LINE__);
    return parts.transform != nullptr && parts.body != nullptr && parts.graphics != nullptr;
}

void Other::Update(const float& dt)
{
    Parts parts;
    if (!FindParts(parts))
    {
        return;
    }
    Game::TransformComponent& transform = *parts.transform;
    Orbit(dt, transform.GetPosition());
    Drift(dt);
    if (!m_free)
    {
        m_idleTimer -= dt;
        m_free = m_idleTimer <= 0.0f;
    }
    Wobble(dt);
    MoveAnchor(dt);

    transform.SetPosition(Toward(transform.GetPosition(), GetHoverPoint(), kHoverRate, dt));
    const glm::vec3 spin = m_spinRates * (std::sin(m_wobblePhases.x) * dt);
    transform.SetRotation(transform.GetRotation() * glm::quat(spin));
    DampPush(dt, *parts.body);
    FadeLight(dt);
    ShrinkIntoSurfaces(dt, parts);
    if (auto* aura = Alive(m_aura, "aura"))
    {
        aura->SetPosition(transform.GetPosition());
    }
    if (auto* sun = Alive(m_sun, "sun"))
    {
        sun->SetPosition(transform.GetPosition());
        sun->SetScale(transform.GetScale());
    }
}

void Other::Orbit(float dt, const glm::vec3& position)
{
    for (std::size_t i = 0; i < m_orbitals.size(); ++i)
    {
        m_orbitPhases[i] += dt;
        if (FloatingObject* floating = Alive(m_orbitals[i], "orbital"))
        {
            const float phase = m_orbitPhases[i];
            floating->SetPivot(position + kOrbitRadius * glm::vec3(std::sin(phase), 0.0f, std::cos(phase)));
        }
    }
}

void Other::Drift(float dt)
{
    // Draws in [-1, 1]: from [0, 1] the drift would settle on (1, 1, 1) and carry the companion off.
    const glm::vec3 random(m_random.Signed(), m_random.Signed(), m_random.Signed());
    const glm::vec3 sum = Toward(m_drift, random, kDriftRate, dt);
    if (glm::length(sum) > kDriftMinimum)
    {
        m_drift = glm::normalize(sum);
    }
}

void Other::Wobble(float dt)
{
    m_wobblePhases += m_wobbleSpeeds * dt;
    const glm::vec3& p = m_wobblePhases;
    const glm::vec3& s = m_wobbleSpeeds;
    const glm::vec3& a = m_wobbleAmplitudes;
    m_wobbleOffset = glm::vec3(a.x * s.x * Cube(std::sin(p.x)) * std::cos(p.y), a.y * s.y * std::cos(p.y),
                               a.z * s.z * Cube(std::cos(p.z)));
}

void Other::MoveAnchor(float dt)
{
    if (m_guiding)
    {
        if (m_currentTip < m_tipPoints.size())
        {
            m_anchor = m_tipPoints[m_currentTip];
            return;
        }
        m_guiding = false;
        m_free = true;
    }
    if (m_free || m_camera == nullptr)
    {
        m_anchor += m_drift * dt;
        return;
    }
    m_anchor = Toward(m_anchor, m_camera->GetTarget(), kFollowRate, dt);
}

void Other::DampPush(float dt, Physics::Component& body) const
{
    // While following, the player's controller sets the horizontal velocity itself.
    const float keep = 1.0f - Math::Smoothing(kPushDamping, dt);
    glm::vec3 velocity = body.GetVelocity();
    velocity.y *= keep;
    if (m_free)
    {
        velocity.x *= keep;
        velocity.z *= keep;
    }
    body.SetVelocity(velocity);
}

void Other::FadeLight(float dt)
{
    LightingPointGraphics* light = Alive(m_light, "light");
    if (light == nullptr)
    {
        return;
    }
    light->SetDiffuseColor(Toward(light->GetDiffuseColor(), m_restingLightColour, kLightColourRate, dt));
    // The falloff the level's lighting asks for, which the render controller hands the light after a load.
    light->SetAttenuation(Toward(light->GetAttenuation(), RenderSettings::GetInstance().attenuation,
                                 kLightAttenuationRate, dt));
}

void Other::ShrinkIntoSurfaces(float dt, Parts& parts)
{
    const bool touching = !parts.body->GetContacts().empty();
    const float target = touching ? kTouchingScale : kOpenScale;
    const float rate = touching ? kTouchingScaleRate : kOpenScaleRate;
    parts.transform->SetScale(Toward(parts.transform->GetScale(), glm::vec3(target), rate, dt));
    parts.graphics->SetDiffuseColor(Toward(parts.graphics->GetDiffuseColor(), kWhite, kColourRate, dt));
}
