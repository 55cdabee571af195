#pragma once

#include <glm/gtc/quaternion.hpp>
#include <glm/mat4x4.hpp>
#include <glm/vec2.hpp>
#include <glm/vec4.hpp>

namespace Morvane::Hmd
{
enum class Eye
{
    Left,
    Right,
};

// What the distortion shader needs of one eye. The defaults are neutral: the warp maps every texture
// coordinate onto itself, so a distortion pass fed them reproduces its input.
struct EyeParameters
{
    glm::vec2 lensCenter{0.5f};
    glm::vec2 screenCenter{0.5f};
    glm::vec2 scale{1.0f};
    glm::vec2 scaleIn{1.0f};
    glm::vec4 warp{1.0f, 0.0f, 0.0f, 0.0f};
    glm::mat4 view{1.0f};
    glm::mat4 projection{1.0f};
    glm::mat4 textureMatrix{1.0f};
};

// The head-mounted display support, one per process like the device it stands for. This build has no
// device library, so Open finds no display: it warns "No Hmd device" on "OculusRift" (once however
// often it is asked), and the eyes and orientation stay neutral, so the game runs and the display
// passes show their input unchanged.
class Device
{
public:
    static Device& GetInstance();

    // Looks for the first display; false when there is none.
    bool Open();
    bool IsPresent() const { return false; }
    const EyeParameters& GetEye(Eye eye) const;
    // The head's orientation; the identity without a display.
    glm::quat GetOrientation() const { return glm::quat(1.0f, 0.0f, 0.0f, 0.0f); }

private:
    Device() = default;

    bool m_warned = false;
    EyeParameters m_left;
    EyeParameters m_right;
};
} // namespace Morvane::Hmd
