#include "Graphics/Camera.h"

#include "Parsing/IParserData.h"
#include "Parsing/ParserDataUtilities/ParserDataUtilities.h"
#include "System/Logging/Format.h"
#include "System/Logging/LoggingSystem.h"

#include <glm/ext/matrix_clip_space.hpp>
#include <glm/ext/matrix_transform.hpp>
#include <glm/geometric.hpp>
#include <glm/matrix.hpp>
#include <numbers>

namespace Morvane::Graphics
{
bool Camera::Parse(const IParserData* data)
{
    if (data == nullptr)
    {
        return false;
    }
    const std::string mode = data->GetAttribute("mode", "Perspective");
    if (mode == "Perspective")
    {
        SetMode(Mode::Perspective);
    }
    else if (mode == "Orthogonal")
    {
        SetMode(Mode::Orthogonal);
    }
    else
    {
        Log::Error("Camera", Format("Unexpected camera mode '%s'", mode.c_str()));
    }
    using ParserDataUtilities::GetAttributeVec3;
    SetPosition(GetAttributeVec3(*data, "position", {10.0f, 10.0f, 10.0f}));
    SetTarget(GetAttributeVec3(*data, "target", {0.0f, 0.0f, 0.0f}));
    SetUp(GetAttributeVec3(*data, "up", {0.0f, 1.0f, 0.0f}));
    SetFieldOfView(data->GetAttributeFloat("fov", 45.0f));
    SetPlanes(data->GetAttributeFloat("nearPlane", 0.001f), data->GetAttributeFloat("farPlane", 100.0f));
    SetViewportSize(data->GetAttributeFloat("width", 800.0f), data->GetAttributeFloat("height", 600.0f));
    m_adaptToWindow = data->GetAttributeBool("adaptToWindow", false);
    return true;
}

void Camera::MarkProjectionDirty()
{
    m_projectionDirty = true;
    ++m_revision;
}

void Camera::MarkViewDirty()
{
    m_viewDirty = true;
    ++m_revision;
}

void Camera::SetPosition(const glm::vec3& position)
{
    m_position = position;
    MarkViewDirty();
}

void Camera::SetTarget(const glm::vec3& target)
{
    m_target = target;
    MarkViewDirty();
}

void Camera::SetUp(const glm::vec3& up)
{
    m_up = up;
    MarkViewDirty();
}

void Camera::SetMode(Mode mode)
{
    m_mode = mode;
    MarkProjectionDirty();
}

void Camera::SetFieldOfView(float degrees)
{
    m_fieldOfView = degrees;
    MarkProjectionDirty();
}

void Camera::SetPlanes(float nearPlane, float farPlane)
{
    m_nearPlane = nearPlane;
    m_farPlane = farPlane;
    MarkProjectionDirty();
}

void Camera::SetViewportSize(float width, float height)
{
    m_width = width;
    m_left = -width / 2.0f;
    m_right = width / 2.0f;
    m_height = height;
    m_top = height / 2.0f;
    m_bottom = -height / 2.0f;
    if (height != 0.0f)
    {
        m_aspectRatio = width / height;
    }
    MarkProjectionDirty();
}

const glm::mat4& Camera::GetProjection()
{
    if (m_projectionDirty)
    {
        m_projectionDirty = false;
        if (m_mode == Mode::Orthogonal)
        {
            m_projection = glm::ortho(m_left, m_right, m_bottom, m_top, m_nearPlane, m_farPlane);
        }
        else
        {
            m_projection = glm::perspective(m_fieldOfView * std::numbers::pi_v<float> / 180.0f, m_aspectRatio,
                                            m_nearPlane, m_farPlane);
        }
        UpdatePlanes();
    }
    return m_projection;
}

const glm::mat4& Camera::GetView()
{
    if (m_viewDirty)
    {
        m_viewDirty = false;
        m_view = glm::lookAt(m_position, m_target, m_up);
        UpdatePlanes();
    }
    return m_view;
}

void Camera::UpdatePlanes()
{
    const glm::mat4 matrix = GetProjection() * GetView();
    // glm stores columns: row r of the matrix is (m[0][r], m[1][r], m[2][r], m[3][r]).
    const auto row = [&matrix](int r)
    { return glm::vec4(matrix[0][r], matrix[1][r], matrix[2][r], matrix[3][r]); };
    m_planes = {row(3) - row(0), row(3) + row(0), row(3) - row(1),
                row(3) + row(1), row(3) - row(2), row(3) + row(2)};
}

const std::array<glm::vec4, 6>& Camera::GetFrustumPlanes()
{
    GetProjection();
    GetView();
    return m_planes;
}

bool Camera::IsBoxInFrustum(const glm::vec3& min, const glm::vec3& max)
{
    for (const glm::vec4& plane : GetFrustumPlanes())
    {
        bool allOutside = true;
        for (int corner = 0; corner < 8 && allOutside; ++corner)
        {
            const glm::vec3 point((corner & 1) != 0 ? max.x : min.x, (corner & 2) != 0 ? max.y : min.y,
                                  (corner & 4) != 0 ? max.z : min.z);
            allOutside = glm::dot(glm::vec3(plane), point) + plane.w < 0.0f;
        }
        if (allOutside)
        {
            return false;
        }
    }
    return true;
}

glm::vec3 Camera::ScreenToWorldDirection(const glm::vec2& point)
{
    const glm::vec4 eye = glm::inverse(GetProjection()) * glm::vec4(point.x, point.y, -1.0f, 1.0f);
    const glm::vec4 world = glm::inverse(GetView()) * glm::vec4(eye.x, eye.y, -1.0f, 0.0f);
    return glm::normalize(glm::vec3(world));
}
} // namespace Morvane::Graphics
