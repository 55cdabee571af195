#include "Capture/WorldDump.h"

#include "Behavior/GameLogic/RenderSettings.h"
#include "Component/GameSystem.h"
#include "Component/Object.h"
#include "Component/TransformComponent.h"
#include "Graphics/Camera.h"
#include "Graphics/GraphicsComponent.h"
#include "Graphics/GraphicsSystem.h"
#include "Graphics/LightingPointGraphics/LightingPointGraphics.h"
#include "Graphics/ParticleGraphics/ParticleGraphics.h"
#include "Graphics/TextGraphics/TextGraphics.h"
#include "Physics/PhysicsComponent.h"
#include "Shape/AABB.h"
#include "Sound/AudioSystem.h"
#include "System/Logging/Format.h"
#include "System/Logging/LoggingSystem.h"
#include "Window/WindowSystem.h"

#include <fstream>

namespace Morvane::Capture
{
namespace
{
std::string Vector(const glm::vec3& vector)
{
    return Format("%.9g;%.9g;%.9g", static_cast<double>(vector.x), static_cast<double>(vector.y),
                  static_cast<double>(vector.z));
}

std::string Quaternion(const glm::quat& rotation)
{
    return Format("%.9g;%.9g;%.9g;%.9g", static_cast<double>(rotation.w), static_cast<double>(rotation.x),
                  static_cast<double>(rotation.y), static_cast<double>(rotation.z));
}
// One line per array of a particle graphics: what the particle behaviors wrote.
std::string Particles(const std::string& name, const ParticleGraphics& particles)
{
    std::string positions = "Particles '" + name + "' positions";
    for (const glm::vec3& position : particles.Positions())
    {
        positions += " " + Vector(position);
    }
    std::string scales = "Particles '" + name + "' scales";
    for (const glm::vec3& scale : particles.Scales())
    {
        scales += " " + Vector(scale);
    }
    std::string colours = "Particles '" + name + "' colours";
    for (const glm::vec4& colour : particles.Colours())
    {
        colours +=
            Format(" %.9g;%.9g;%.9g;%.9g", static_cast<double>(colour.r), static_cast<double>(colour.g),
                   static_cast<double>(colour.b), static_cast<double>(colour.a));
    }
    return positions + "\n" + scales + "\n" + colours + "\n";
}
} // namespace

std::string DescribeWorld()
{
    std::string text;
    for (const Game::Object* object : Game::System::GetInstance().GetObjectsInCreationOrder())
    {
        text += "Object '" + object->GetName() + "'";
        if (const auto* transform = object->GetComponent<Game::TransformComponent>())
        {
            text += " position " + Vector(transform->GetPosition()) + " rotation " +
                    Quaternion(transform->GetRotation()) + " scale " + Vector(transform->GetScale());
        }
        if (const auto* graphics = object->GetComponent<Graphics::Component>())
        {
            const glm::vec4& colour = graphics->GetDiffuseColor();
            text += Format(" colour %.9g;%.9g;%.9g;%.9g", static_cast<double>(colour.r),
                           static_cast<double>(colour.g), static_cast<double>(colour.b),
                           static_cast<double>(colour.a));
            if (const auto* light = dynamic_cast<const LightingPointGraphics*>(graphics))
            {
                text += " attenuation " + Vector(light->GetAttenuation());
            }
            if (const auto* particles = dynamic_cast<const ParticleGraphics*>(graphics))
            {
                text += Format(" particles %d", particles->GetParticleCount());
            }
            text += graphics->IsVisible() ? " shown" : " hidden";
        }
        const auto* body = object->GetComponent<Physics::Component>();
        if (const auto* box =
                body != nullptr ? dynamic_cast<const Physics::AABB*>(body->GetShape()) : nullptr)
        {
            text += " halfExtents " + Vector(box->GetHalfSize());
        }
        if (const auto* caption = object->GetComponent<TextGraphics>())
        {
            text += " caption \"" + caption->GetCaption() + "\"";
        }
        text += "\n";
        if (const auto* particles = object->GetComponent<ParticleGraphics>())
        {
            text += Particles(object->GetName(), *particles);
        }
    }
    for (const auto& [name, camera] : Graphics::System::GetInstance().GetCameras())
    {
        text += "Camera '" + name + "' position " + Vector(camera->GetPosition()) + " target " +
                Vector(camera->GetTarget()) + "\n";
    }
    // What the options reached: the systems' own state, not the options record.
    const Window::System& window = Window::System::GetInstance();
    const RenderSettings& settings = RenderSettings::GetInstance();
    text += Format("Settings volume %.9g fullScreen %d window %dx%d vsync %d fxaa %d quality %.9g\n",
                   static_cast<double>(Audio::System::GetInstance().GetVolume()), window.fullScreen ? 1 : 0,
                   window.clientRect.Width(), window.clientRect.Height(),
                   Graphics::System::GetInstance().IsVSync() ? 1 : 0, settings.fxaa ? 1 : 0,
                   static_cast<double>(settings.renderQuality));
    return text;
}

bool WriteWorldDump(const std::filesystem::path& path)
{
    std::error_code ignored;
    std::filesystem::create_directories(path.parent_path(), ignored);
    std::ofstream file(path, std::ios::binary);
    file << DescribeWorld();
    file.close();
    if (!file)
    {
        Log::Error("Capture", Format("Could not write the dump '%s'", path.string().c_str()));
        return false;
    }
    return true;
}
} // namespace Morvane::Capture
