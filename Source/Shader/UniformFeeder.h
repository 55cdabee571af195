#pragma once

#include "Shader/UniformDefinition.h"

#include <cstdint>
#include <functional>
#include <glm/mat4x4.hpp>
#include <glm/vec2.hpp>
#include <glm/vec4.hpp>
#include <optional>
#include <vector>

namespace Morvane::Graphics
{
class Camera;
class Shader;
class Texture;

// What one draw supplies to the engine purposes besides the camera.
struct DrawValues
{
    // Needed by the purposes built on the world matrix.
    const glm::mat4* world = nullptr;
    // Needed by "DiffuseTexture" and the texture-size purposes.
    const Texture* texture = nullptr;
    glm::vec4 colour{1.0f};
    glm::vec2 textureOffset{0.0f};
    glm::vec2 textureScale{1.0f};
};

// Uploads every uniform of a shader that has an engine purpose, from a camera and one draw's values,
// after checking that the uniform has the GL type its purpose needs (a data error: an assertion). The
// camera's matrices are computed once per camera and frame, however many draws use them. Custom
// purposes go to the caller's hook.
class UniformFeeder
{
public:
    using CustomUniform = std::function<void(Camera& camera, const UniformDefinition& uniform)>;

    // The GL type the feeder uploads an engine purpose as; none for no purpose and custom ones.
    static std::optional<unsigned> RequiredType(int purpose);

    // Forgets the camera values of the previous frame.
    void BeginFrame() { m_cameras.clear(); }
    void Feed(const Shader& shader, Camera& camera, const DrawValues& values,
              const CustomUniform& custom = {});

    struct CameraValues
    {
        const Camera* camera = nullptr;
        std::uint64_t revision = 0;
        glm::mat4 projection{1.0f};
        glm::mat4 view{1.0f};
        glm::mat4 viewProjection{1.0f};
        float nearPlane = 0.0f;
        float farPlane = 0.0f;
        glm::vec2 resolution{0.0f};
    };

private:
    const CameraValues& ValuesOf(Camera& camera);

    std::vector<CameraValues> m_cameras;
};
} // namespace Morvane::Graphics
