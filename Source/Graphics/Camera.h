#pragma once

#include "Parsing/IParseable.h"

#include <array>
#include <cstdint>
#include <glm/mat4x4.hpp>
#include <glm/vec2.hpp>
#include <glm/vec3.hpp>
#include <glm/vec4.hpp>

namespace Morvane::Graphics
{
// A named view: where it looks from and to, a perspective or orthogonal projection, and the frustum
// planes of both. The matrices are rebuilt lazily, when first asked for after a change.
class Camera : public IParseable
{
public:
    enum class Mode
    {
        Perspective = 0,
        Orthogonal = 1,
    };

    // Reads "mode", "position", "target", "up", "width", "height", "fov", "nearPlane", "farPlane" and
    // "adaptToWindow"; an unknown mode is logged and leaves the mode as it was.
    bool Parse(const IParserData* data) override;
    // Cameras are data only: nothing is written.
    bool Save(IParserData*) override { return true; }

    void SetPosition(const glm::vec3& position);
    void SetTarget(const glm::vec3& target);
    void SetUp(const glm::vec3& up);
    void SetMode(Mode mode);
    void SetFieldOfView(float degrees);
    void SetPlanes(float nearPlane, float farPlane);
    // The viewport and the orthogonal extents (centred on 0); the aspect ratio when `height` is not 0.
    void SetViewportSize(float width, float height);
    void SetAdaptToWindow(bool adapt) { m_adaptToWindow = adapt; }

    const glm::vec3& GetPosition() const { return m_position; }
    const glm::vec3& GetTarget() const { return m_target; }
    const glm::vec3& GetUp() const { return m_up; }
    Mode GetMode() const { return m_mode; }
    float GetFieldOfView() const { return m_fieldOfView; }
    float GetAspectRatio() const { return m_aspectRatio; }
    float GetNearPlane() const { return m_nearPlane; }
    float GetFarPlane() const { return m_farPlane; }
    glm::vec2 GetViewportSize() const { return {m_width, m_height}; }
    bool AdaptsToWindow() const { return m_adaptToWindow; }
    // Changes with every setter: values derived from the camera stay valid while it is unchanged.
    std::uint64_t GetRevision() const { return m_revision; }

    const glm::mat4& GetProjection();
    const glm::mat4& GetView();
    // (a, b, c, d) of the left, right, bottom, top, near and far planes, not normalised; inside is >= 0.
    const std::array<glm::vec4, 6>& GetFrustumPlanes();
    // False only when all eight corners of the box lie outside one plane.
    bool IsBoxInFrustum(const glm::vec3& min, const glm::vec3& max);
    // The unit direction into the world through a point in normalised device coordinates.
    glm::vec3 ScreenToWorldDirection(const glm::vec2& point);

private:
    void MarkProjectionDirty();
    void MarkViewDirty();
    void UpdatePlanes();

    bool m_projectionDirty = true;
    bool m_viewDirty = true;
    glm::mat4 m_projection{1.0f};
    glm::mat4 m_view{1.0f};
    glm::vec3 m_position{10.0f, 10.0f, 10.0f};
    glm::vec3 m_target{0.0f, 0.0f, 0.0f};
    glm::vec3 m_up{0.0f, 1.0f, 0.0f};
    float m_aspectRatio = 4.0f / 3.0f;
    float m_fieldOfView = 45.0f;
    float m_nearPlane = 0.01f;
    float m_farPlane = 100.0f;
    float m_width = 0.0f;
    float m_height = 0.0f;
    float m_left = 0.0f;
    float m_right = 0.0f;
    float m_top = 0.0f;
    float m_bottom = 0.0f;
    Mode m_mode = Mode::Perspective;
    bool m_adaptToWindow = false;
    std::array<glm::vec4, 6> m_planes{};
    std::uint64_t m_revision = 0;
};
} // namespace Morvane::Graphics
