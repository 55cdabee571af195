#include "Behavior/CharacterController/CharacterController.h"

#include "Analytics/AnalyticsEvent.h"
#include "Analytics/AnalyticsSystem.h"
#include "Behavior/Options/Options.h"
#include "Behavior/Other/Other.h"
#include "Behavior/ParticleSystem/ParticleSystem_Cord.h"
#include "Component/GameSystem.h"
#include "Component/Object.h"
#include "Component/TransformComponent.h"
#include "Graphics/Camera.h"
#include "Graphics/GraphicsComponent.h"
#include "Graphics/GraphicsSystem.h"
#include "Input/InputSystem.h"
#include "Parsing/IParserData.h"
#include "Physics/CharacterPhysics/CharacterPhysics.h"
#include "Platform/KeyCodes.h"
#include "Resources/ResourceSystem.h"
#include "Shape/AABB.h"
#include "Sound/AudioComponent.h"
#include "Sound/AudioSystem.h"
#include "System/Assert/Assertion.h"
#include "System/Logging/Format.h"
#include "System/Logging/LoggingSystem.h"
#include "System/Math/Smoothing.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <glm/geometric.hpp>
#include <glm/gtc/quaternion.hpp>

using namespace Morvane;

namespace
{
const char* const kChannel = "Player";

constexpr unsigned kForwardKey = 'W';
constexpr unsigned kBackwardKey = 'S';
constexpr unsigned kLeftKey = 'A';
constexpr unsigned kRightKey = 'D';
constexpr unsigned kJumpKey = 0x20;
constexpr unsigned kWalkKey = 0x10;
constexpr unsigned kInfiniteJumpKey = 'B';
constexpr std::uint16_t kPadJumpWalk = 0x1000;
// The pad's stand-ins for the mouse buttons that send the companion off and call it back.
constexpr std::uint16_t kPadInteract = Input::GamepadButton::kRightShoulder;
constexpr std::uint16_t kPadCall = Input::GamepadButton::kLeftShoulder;

constexpr std::int32_t kFloorId = 0;
constexpr std::int32_t kBouncerId = 3;
constexpr std::int32_t kJumperId = 4;
constexpr std::int32_t kPlatformId = 5;

constexpr float kWalkSpeed = 10.0f;
constexpr float kRunFactor = 2.0f;
constexpr float kGroundGrace = 0.2f;
constexpr float kJumpImpulse = 20.0f;
constexpr float kJumperImpulse = 110.0f;
constexpr float kBouncerImpulse = 40.0f;
constexpr float kStepBoost = 1.8f;
constexpr float kGravity = 20.0f;
constexpr float kMouseSensitivity = 0.2f;
// Mouse deltas are distances, not rates: they turn by what one pixel turned at the 60 Hz step the
// tuning was made at, whatever the frame rate. The stick is a rate and keeps dt.
constexpr float kMouseStep = 0.016f;
constexpr float kStickFactor = 8.0f;
constexpr float kViewSmoothing = 15.0f;
constexpr float kCameraSmoothing = 20.0f;
constexpr float kCameraSnapDistanceSquared = 2.0f;
constexpr float kTargetDistance = 2.0f;
constexpr float kMinimumPolar = 0.01f;
constexpr float kMaximumPolar = 3.1315928f;
constexpr float kDefaultPolar = 1.5708f;
constexpr float kFloorAlignment = 0.99f;
constexpr float kWallAlignment = 0.1f;
constexpr float kBrake = 0.2f;
constexpr float kMovingSpeed = 1.0f;
constexpr float kRespawnPointInterval = 2.0f;
constexpr float kJumpAirTime = -1.0f;
constexpr float kBounceAirTime = -2.0f;
constexpr float kPi = 3.14159265f;
const glm::vec3 kWorldDown(0.0f, -1.0f, 0.0f);
const glm::vec3 kWorldUp(0.0f, 1.0f, 0.0f);

bool IsDown(const Input::System& input, unsigned key)
{
    return input.IsTriggered(key) || input.IsHeld(key);
}

// The first pad, only while it answers: an unplugged pad keeps its last reading.
const Input::Joystick* ConnectedPad()
{
    const Input::Joystick* pad = Input::System::GetInstance().GetJoystick(0);
    return pad != nullptr && pad->connected ? pad : nullptr;
}

float TopOf(const Game::TransformComponent& transform)
{
    return transform.GetPosition().y + transform.GetScale().y * 0.5f;
}

// Thin upright boxes (poles, the edges of walls) are never climbed.
bool IsColumn(const glm::vec3& scale)
{
    return scale.x <= scale.y && scale.z <= scale.y;
}
} // namespace

struct CharacterController::Frame
{
    bool inAir = true;
    bool onJumper = false;
    bool touchedBouncer = false;
    const Physics::Component* platform = nullptr;
    bool directionHeld = false;
};

CharacterController::CharacterController(Game::Object* owner) : Component(owner)
{
    m_polar = m_targetPolar = kDefaultPolar;
    CreateCompanions();
}

void CharacterController::CreateCompanions()
{
    Game::System& game = Game::System::GetInstance();
    m_respawnFadeInOut = game.CreateObjectFromArchetype("FadeInOut", "FadeInOut.xml");
    MORVANE_ASSERT_NAMED(m_respawnFadeInOut != nullptr, "m_respawnFadeInOut", __LINE__);
    m_fadeGraphics = m_respawnFadeInOut->GetComponent<Graphics::Component>();
    MORVANE_ASSERT_NAMED(m_fadeGraphics != nullptr, "FadeInOutGComponent", __LINE__);
    m_fadeGraphics->SetDiffuseColor(glm::vec4(1.0f, 1.0f, 1.0f, 0.0f));

    Game::Object* other = game.CreateObjectFromArchetype("Other", "Other.xml");
    MORVANE_ASSERT_NAMED(other != nullptr, "m_other", __LINE__);
    auto* otherTransform = other->GetComponent<Game::TransformComponent>();
    MORVANE_ASSERT_NAMED(otherTransform != nullptr, "otherTransform", __LINE__);
    const auto* myTransform = GetParentObject()->GetComponent<Game::TransformComponent>();
    MORVANE_ASSERT_NAMED(myTransform != nullptr, "myTransform", __LINE__);
    otherTransform->SetPosition(myTransform->GetPosition());
    m_otherTransform.Reset(otherTransform);
    m_otherBody.Reset(other->GetComponent<Physics::Component>());
    m_companion.Reset(other->GetComponent<Other>());
    MORVANE_ASSERT_NAMED(m_companion.IsSet(), "otherBehavior", __LINE__);

    m_cordParticles = game.CreateObjectFromArchetype("ParticleSystem_Cord", "ParticleSystem_Cord.xml");
    MORVANE_ASSERT_NAMED(m_cordParticles != nullptr, "m_cordParticles", __LINE__);
    if (auto* cord = m_cordParticles->GetComponent<ParticleSystem_Cord>())
    {
        cord->SetEnds(otherTransform, GetParentObject()->GetComponent<Game::TransformComponent>());
    }
    m_createdNames = {m_respawnFadeInOut->GetName(), other->GetName(), m_cordParticles->GetName()};
}

bool CharacterController::Parse(const IParserData* data)
{
    if (auto* body = GetParentObject()->GetComponent<CharacterPhysics>())
    {
        body->SetGravity(glm::vec3(0.0f, -kGravity, 0.0f));
    }
    m_cameraName = data->GetAttribute("camera", "");
    m_camera = Graphics::System::GetInstance().GetCamera(m_cameraName);
    if (m_camera == nullptr)
    {
        Log::Error(kChannel, Format("Camera '%s' does not exists", m_cameraName.c_str()));
    }
    if (Other* companion = m_companion.Get())
    {
        companion->SetCamera(m_camera);
    }
    return true;
}

bool CharacterController::Save(IParserData* data)
{
    IParserData* element = data->AddChild("Behavior");
    element->SetAttribute("type", "BehaviorComponent_CharacterController");
    element->SetAttribute("camera", m_cameraName);
    return true;
}

bool CharacterController::Initialize()
{
    m_transform = GetParentObject()->GetComponent<Game::TransformComponent>();
    m_body = GetParentObject()->GetComponent<CharacterPhysics>();
    if (m_transform != nullptr)
    {
        // The first safe floor is where the level starts the player, never an arbitrary origin.
        m_respawnPoint = m_transform->GetPosition();
    }
    m_audio = GetParentObject()->GetComponent<Audio::Component>();
    Game::Object* light = Game::System::GetInstance().GetObject("Pointlight");
    m_lightTransform.Reset(light != nullptr ? light->GetComponent<Game::TransformComponent>() : nullptr);
    if (Other* companion = m_companion.Get())
    {
        if (m_transform != nullptr)
        {
            // Where the level put the player: the camera comes there on the first frame.
            companion->Place(m_transform->GetPosition() + m_up * kEyeHeight);
        }
        if (light != nullptr)
        {
            companion->SetLight(light);
        }
    }
    Input::System::GetInstance().mouseLocked = true;
    return true;
}

void CharacterController::Release()
{
    // A level change makes the new player before the old one goes: the mouse stays with the new one.
    const std::vector<Game::Object*>& objects = Game::System::GetInstance().GetObjectsInCreationOrder();
    const bool anotherPlayer = std::any_of(objects.begin(), objects.end(),
                                           [this](const Game::Object* object)
                                           {
                                               const auto* controller =
                                                   object->GetComponent<CharacterController>();
                                               return controller != nullptr && controller != this;
                                           });
    if (!anotherPlayer)
    {
        Input::System::GetInstance().mouseLocked = false;
    }
    // Found by name: when the whole game shuts down they may be gone before the player.
    Game::System& game = Game::System::GetInstance();
    for (const std::string& name : m_createdNames)
    {
        game.MarkForDeletion(game.GetObject(name));
    }
    m_createdNames.clear();
    m_respawnFadeInOut = m_cordParticles = nullptr;
    m_fadeGraphics = nullptr;
    m_companion.Reset();
    m_otherTransform.Reset();
    m_otherBody.Reset();
    m_lightTransform.Reset();
}

void CharacterController::SetGravity(const glm::vec3& gravity)
{
    MORVANE_ASSERT_NAMED(m_body != nullptr, "myPhysics", __LINE__);
    m_body->SetGravity(gravity);
    auto* box = dynamic_cast<Physics::AABB*>(m_body->GetShape());
    if (box == nullptr)
    {
        return;
    }
    const glm::vec3 size = box->GetHalfSize() * 2.0f;
    const float longest = std::max({size.x, size.y, size.z});
    const float shortest = std::min({size.x, size.y, size.z});
    const int axis = gravity.z != 0.0f ? 2 : gravity.y != 0.0f ? 1 : 0;
    glm::vec3 reshaped(shortest);
    reshaped[axis] = longest;
    box->SetHalfSize(reshaped * 0.5f);
}

void CharacterController::SetTipPoints(const std::vector<glm::vec3>& points)
{
    m_tipPoints = points;
    Other* companion = m_companion.Get();
    MORVANE_ASSERT_NAMED(companion != nullptr, "other", __LINE__);
    if (companion != nullptr)
    {
        companion->SetTipPoints(points);
    }
}

Other* CharacterController::GetCompanion() const
{
    return m_companion.Get();
}

void CharacterController::Reanchor()
{
    MORVANE_ASSERT_NAMED(m_camera != nullptr, "m_camera", __LINE__);
    MORVANE_ASSERT_NAMED(m_transform != nullptr, "myTransform", __LINE__);
    const glm::vec3 offset = m_transform->GetPosition() - m_camera->GetPosition();
    m_camera->SetPosition(m_camera->GetPosition() + offset);
    m_camera->SetTarget(m_camera->GetTarget() + offset);
    if (Other* companion = m_companion.Get())
    {
        companion->SetCamera(m_camera);
        const Game::Object* light = Game::System::GetInstance().GetObject("Pointlight");
        if (light != nullptr)
        {
            companion->SetLight(light);
        }
    }
}

void CharacterController::SetView(float polar, float azimuth)
{
    if (!std::isfinite(polar) || !std::isfinite(azimuth))
    {
        Log::Warning(kChannel,
                     Format("View (%f, %f) is not finite: the view stays as it was", polar, azimuth));
        return;
    }
    m_polar = m_targetPolar = std::clamp(polar, kMinimumPolar, kMaximumPolar);
    m_azimuth = m_targetAzimuth = azimuth;
}

glm::vec3 CharacterController::Forward() const
{
    return glm::vec3(std::cos(m_azimuth) * std::sin(m_polar), std::cos(m_polar),
                     std::sin(m_azimuth) * std::sin(m_polar));
}

void CharacterController::Update(const float& dt)
{
    if (m_transform == nullptr || m_body == nullptr)
    {
        if (!m_warnedMissingBody)
        {
            Log::Warning(kChannel, Format("'%s' has no transform or character body: it stands still",
                                          GetOwnerName().c_str()));
            m_warnedMissingBody = true;
        }
        return;
    }
    if (Input::System::GetInstance().IsTriggered(kInfiniteJumpKey))
    {
        m_infiniteJump = !m_infiniteJump;
        Log::Info(kChannel, "Infinite jump changed");
    }

    Frame frame;
    m_timeSinceRespawnPoint += dt;
    m_groundTimer -= dt;
    if (m_groundTimer < 0.0f)
    {
        m_grounded = false;
    }
    ReadContacts(frame, dt);
    if (!frame.touchedBouncer)
    {
        m_bounced = false;
    }
    TrackFall(frame, dt);
    Look(dt);
    Move(frame, dt);
    Jump(frame);
    PlayFootsteps(frame);
    FollowWithCamera(dt);
    GuideCompanion();
}

void CharacterController::Land(float dt)
{
    m_airTime = 0.0f;
    m_fadeTime = std::max(0.0f, m_fadeTime - dt);
}

void CharacterController::ReadContacts(Frame& frame, float dt)
{
    const glm::vec3 gravity = m_body->GetGravity();
    const glm::vec3 down = glm::length(gravity) > 0.0f ? glm::normalize(gravity) : kWorldDown;
    const bool pulledDown = glm::dot(down, kWorldDown) > kFloorAlignment;
    for (const Physics::Contact& contact : m_body->GetContacts())
    {
        const Physics::Component* other = contact.other;
        if (other == nullptr || glm::length(contact.correction) == 0.0f)
        {
            continue;
        }
        const Game::TransformComponent* otherTransform = other->GetTargetTransform();
        const glm::vec3 normal = glm::normalize(contact.correction);
        // The normal points from the player into what it touches: a floor lies along the pull.
        if (glm::dot(normal, down) > kFloorAlignment)
        {
            m_groundTimer = kGroundGrace;
            if (!m_grounded)
            {
                Audio::System::GetInstance().PlaySound("Sound_Fall");
            }
            m_grounded = true;
            m_respawned = false;
            frame.inAir = false;
            if (pulledDown && other->HasCollisionId(kFloorId) &&
                m_timeSinceRespawnPoint > kRespawnPointInterval)
            {
                const glm::vec3& position = m_transform->GetPosition();
                m_respawnPoint = glm::vec3(
                    position.x, TopOf(*otherTransform) + m_transform->GetScale().y * 0.5f, position.z);
                m_timeSinceRespawnPoint = 0.0f;
            }
            Land(dt);
        }
        if (other->HasCollisionId(kBouncerId))
        {
            Land(dt);
            frame.touchedBouncer = true;
        }
        const bool climbable = other->HasCollisionId(kFloorId) || other->HasCollisionId(kBouncerId) ||
                               other->HasCollisionId(kJumperId) || other->HasCollisionId(kPlatformId);
        if (std::abs(glm::dot(normal, kWorldDown)) < kWallAlignment && climbable &&
            !IsColumn(otherTransform->GetScale()))
        {
            const glm::vec3 position = m_transform->GetPosition();
            const float top = TopOf(*otherTransform);
            const float bottom = position.y - m_transform->GetScale().y * 0.5f;
            if (position.y + kStepHeight > top && top > bottom)
            {
                m_transform->SetPosition(position + glm::vec3(0.0f, top - bottom, 0.0f));
                m_body->SetVelocity(m_body->GetVelocity() + glm::vec3(0.0f, kStepBoost, 0.0f));
            }
        }
        if (other->HasCollisionId(kBouncerId))
        {
            const glm::vec3 up = otherTransform->GetRotation() * kWorldUp;
            if (!m_bounced)
            {
                m_body->SetVelocity(m_body->GetVelocity() + up * kBouncerImpulse);
                m_bounced = true;
            }
            m_airTime = kBounceAirTime;
        }
        if (other->HasCollisionId(kJumperId))
        {
            frame.onJumper = true;
        }
        if (other->HasCollisionId(kPlatformId))
        {
            frame.platform = other;
        }
    }
}

void CharacterController::TrackFall(const Frame& frame, float dt)
{
    if (m_fallDetection && frame.inAir && !m_infiniteJump)
    {
        m_airTime += dt;
        if (m_airTime > kFallLimit)
        {
            // Held at full while the player is put back, so the flash never flickers.
            m_fadeTime = std::min(m_fadeTime + dt, kFadeDuration);
        }
    }
    MORVANE_ASSERT_NAMED(m_fadeGraphics != nullptr, "m_respawnFadeInOut", __LINE__);
    const float alpha = std::clamp(std::sin(m_fadeTime / kFadeDuration * kPi * 0.5f), 0.0f, 1.0f);
    m_fadeGraphics->SetDiffuseColor(glm::vec4(1.0f, 1.0f, 1.0f, alpha));
    if (std::max(0.0f, m_airTime - kFallLimit) > kFadeDuration)
    {
        Respawn();
    }
}

void CharacterController::Respawn()
{
    if (!m_respawned)
    {
        // Where the fall was noticed, not where the player comes back.
        const glm::vec3& position = m_transform->GetPosition();
        AnalyticsEvent event = AnalyticsEvent::Design("Brimora:Player:Die");
        event.fields["x"] = Format("%.2f", position.x);
        event.fields["y"] = Format("%.2f", position.y);
        event.fields["z"] = Format("%.2f", position.z);
        GameAnalytics::System::GetInstance().SubmitEvent(event);
        m_respawned = true;
    }
    m_transform->SetPosition(m_respawnPoint);
    m_body->SetVelocity(glm::vec3(0.0f));
    // A gravity room may have turned the pull; the respawn point lies under the normal one.
    SetGravity(glm::vec3(0.0f, -kGravity, 0.0f));
    if (m_audio != nullptr && !m_audio->IsPlaying())
    {
        PlayOnPlayer(*m_audio, "Sound_Respawn");
    }
}

void CharacterController::Look(float dt)
{
    MORVANE_ASSERT_NAMED(m_camera != nullptr, "m_camera", __LINE__);
    const Input::System& input = Input::System::GetInstance();
    const Options& options = Options::GetInstance();
    const float sensitivity =
        kMouseSensitivity * static_cast<float>(options.GetMouseSensitivity()) / Options::kMaximumSensitivity;
    const float vertical = options.GetInvertY() ? 1.0f : -1.0f;
    float polarTurn = static_cast<float>(input.mouseDeltaY) * kMouseStep;
    float azimuthTurn = static_cast<float>(input.mouseDeltaX) * kMouseStep;
    if (const Input::Joystick* pad = ConnectedPad())
    {
        polarTurn += pad->axes[Input::Joystick::RightY] * dt * kStickFactor;
        azimuthTurn += pad->axes[Input::Joystick::RightX] * dt * kStickFactor;
    }
    m_targetPolar =
        std::clamp(m_targetPolar + vertical * polarTurn * sensitivity, kMinimumPolar, kMaximumPolar);
    m_targetAzimuth += azimuthTurn * sensitivity;
    const float follow = Math::Smoothing(kViewSmoothing, dt);
    m_polar += (m_targetPolar - m_polar) * follow;
    m_azimuth += (m_targetAzimuth - m_azimuth) * follow;
    m_up = kWorldUp;
}

void CharacterController::Move(Frame& frame, float dt)
{
    const Input::System& input = Input::System::GetInstance();
    const Input::Joystick* pad = ConnectedPad();
    const bool walking =
        IsDown(input, kWalkKey) || (pad != nullptr && (pad->state.buttons & kPadJumpWalk) != 0);
    const float speed = walking ? kWalkSpeed : kWalkSpeed * kRunFactor;
    const glm::vec3 right = glm::normalize(glm::cross(Forward(), m_up));
    const glm::vec3 forward = glm::cross(m_up, right);

    glm::vec3 push(0.0f);
    const float ahead =
        static_cast<float>(IsDown(input, kForwardKey)) - static_cast<float>(IsDown(input, kBackwardKey));
    const float aside =
        static_cast<float>(IsDown(input, kRightKey)) - static_cast<float>(IsDown(input, kLeftKey));
    push += forward * ahead + right * aside;
    frame.directionHeld = IsDown(input, kForwardKey) || IsDown(input, kBackwardKey) ||
                          IsDown(input, kRightKey) || IsDown(input, kLeftKey);
    if (pad != nullptr)
    {
        const float stickX = pad->axes[Input::Joystick::LeftX];
        const float stickY = pad->axes[Input::Joystick::LeftY];
        push += forward * stickY + right * stickX;
        frame.directionHeld = frame.directionHeld || stickX != 0.0f || stickY != 0.0f;
    }

    glm::vec3 velocity = m_body->GetVelocity() + push * speed * dt;
    if (!frame.directionHeld)
    {
        if (frame.platform != nullptr)
        {
            velocity = frame.platform->GetVelocity();
        }
        else
        {
            velocity.x *= kBrake;
            velocity.z *= kBrake;
        }
    }
    m_body->SetVelocity(velocity);
    // Damping then slows only what the player adds to the platform's motion.
    m_body->SetCarrierVelocity(frame.platform != nullptr ? frame.platform->GetVelocity() : glm::vec3(0.0f));
}

void CharacterController::Jump(const Frame& frame)
{
    const Input::System& input = Input::System::GetInstance();
    const Input::Joystick* pad = ConnectedPad();
    const bool pressed =
        input.IsTriggered(kJumpKey) || (pad != nullptr && pad->IsButtonTriggered(kPadJumpWalk));
    const bool padHeld = pad != nullptr && (pad->state.buttons & kPadJumpWalk) != 0;
    // On the ground a held A jumps again at each landing; in the air only a fresh press does, so
    // infinite jump climbs one jump per press instead of one per frame.
    const bool jump = m_grounded ? pressed || padHeld : m_infiniteJump && pressed;
    if (!jump)
    {
        return;
    }
    Audio::System::GetInstance().PlaySound("Sound_Jump_01");
    glm::vec3 velocity = m_body->GetVelocity();
    velocity.y += frame.onJumper ? kJumperImpulse : kJumpImpulse;
    m_body->SetVelocity(velocity);
    m_airTime = kJumpAirTime;
    // The ground is spent: grace time cannot jump a second time.
    m_grounded = false;
    m_groundTimer = 0.0f;
}

void CharacterController::PlayOnPlayer(Audio::Component& audio, const std::string& name)
{
    // A missing sound is reported once and skipped: the player goes on, silent.
    if (!Resources::System::GetInstance().IsKnown(name))
    {
        if (m_missingSounds.insert(name).second)
        {
            Log::Error(kChannel, Format("Could not play sound '%s'", name.c_str()));
        }
        return;
    }
    audio.SetSound(name);
    audio.Play(false);
}

void CharacterController::PlayFootsteps(const Frame& frame)
{
    const glm::vec3& velocity = m_body->GetVelocity();
    const bool moving = frame.directionHeld && glm::length(glm::vec2(velocity.x, velocity.z)) > kMovingSpeed;
    if (!m_grounded || !moving)
    {
        return;
    }
    MORVANE_ASSERT_NAMED(m_audio != nullptr, "myAudio", __LINE__);
    if (!m_audio->IsPlaying())
    {
        PlayOnPlayer(*m_audio, Format("Sound_Walk_%02d", std::rand() % 20 + 1));
    }
}

void CharacterController::FollowWithCamera(float dt)
{
    const glm::vec3 eye = m_transform->GetPosition() + m_up * kEyeHeight;
    glm::vec3 position = m_camera->GetPosition();
    const glm::vec3 gap = eye - position;
    if (glm::dot(gap, gap) > kCameraSnapDistanceSquared)
    {
        position = eye;
    }
    else
    {
        position += gap * Math::Smoothing(kCameraSmoothing, dt);
    }
    const glm::vec3 forward = Forward();
    m_camera->SetPosition(position);
    m_camera->SetTarget(position + forward * kTargetDistance);
    m_camera->SetUp(m_up);
    Audio::System::GetInstance().SetListener(position, glm::normalize(forward), m_up);
}

void CharacterController::GuideCompanion()
{
    Game::TransformComponent* otherTransform = m_otherTransform.Get();
    Other* companion = m_companion.Get();
    Physics::Component* otherBody = m_otherBody.Get();
    if (otherTransform == nullptr || companion == nullptr || otherBody == nullptr)
    {
        if (!m_warnedMissingCompanion)
        {
            Log::Warning(kChannel, "The companion is gone: nobody follows the player");
            m_warnedMissingCompanion = true;
        }
        return;
    }
    if (Game::TransformComponent* light = m_lightTransform.Get())
    {
        light->SetPosition(otherTransform->GetPosition());
    }
    if (!companion->IsFree())
    {
        const glm::vec3 mine = m_body->GetVelocity();
        otherBody->SetVelocity(glm::vec3(mine.x, otherBody->GetVelocity().y, mine.z));
    }
    const Input::System& input = Input::System::GetInstance();
    const Input::Joystick* pad = ConnectedPad();
    const auto pressed = [&](unsigned key, std::uint16_t padButton)
    { return input.IsTriggered(key) || (pad != nullptr && pad->IsButtonTriggered(padButton)); };
    if (pressed(Platform::VirtualKey::kLeftButton, kPadInteract))
    {
        companion->Interact();
    }
    if (pressed(Platform::VirtualKey::kRightButton, kPadCall))
    {
        companion->Call();
    }
}
