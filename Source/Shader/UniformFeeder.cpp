#include "Shader/UniformFeeder.h"

#include "Graphics/Camera.h"
#include "Graphics/OpenGL.h"
#include "Shader/Shader.h"
#include "Shader/UniformPurpose.h"
#include "System/Assert/Assertion.h"
#include "Texture/Texture.h"

#include <algorithm>
#include <glm/gtc/matrix_inverse.hpp>
#include <glm/gtc/type_ptr.hpp>
#include <glm/mat3x3.hpp>

namespace Morvane::Graphics
{
namespace
{
struct Inputs
{
    GLuint program;
    const UniformDefinition& uniform;
    const UniformFeeder::CameraValues& camera;
    const DrawValues& draw;
};

const glm::mat4& World(const Inputs& in)
{
    MORVANE_ASSERT_NAMED(in.draw.world != nullptr, "m_transformComponent", __LINE__);
    return *in.draw.world;
}

const Texture& DiffuseTexture(const Inputs& in)
{
    MORVANE_ASSERT_NAMED(in.draw.texture != nullptr, "m_texture", __LINE__);
    return *in.draw.texture;
}

void Matrix4(const Inputs& in, const glm::mat4& value)
{
    glProgramUniformMatrix4fv(in.program, in.uniform.m_location, 1, GL_FALSE, glm::value_ptr(value));
}

void Vector2(const Inputs& in, const glm::vec2& value)
{
    glProgramUniform2fv(in.program, in.uniform.m_location, 1, glm::value_ptr(value));
}

void Scalar(const Inputs& in, float value)
{
    glProgramUniform1f(in.program, in.uniform.m_location, value);
}

struct PurposeUpload
{
    int purpose;
    GLenum type;
    const char* typeCheck;
    void (*upload)(const Inputs& in);
};

const PurposeUpload kUploads[] = {
    {kPurposeModelViewProjectionMatrix, GL_FLOAT_MAT4, "currentUniform.m_type == GL_FLOAT_MAT4",
     [](const Inputs& in) { Matrix4(in, in.camera.viewProjection * World(in)); }},
    {kPurposeModelViewMatrix, GL_FLOAT_MAT4, "currentUniform.m_type == GL_FLOAT_MAT4",
     [](const Inputs& in) { Matrix4(in, in.camera.view * World(in)); }},
    {kPurposeNormalMatrix, GL_FLOAT_MAT3, "currentUniform.m_type == GL_FLOAT_MAT3",
     [](const Inputs& in)
     {
         const glm::mat3 normal = glm::inverseTranspose(glm::mat3(in.camera.view * World(in)));
         glProgramUniformMatrix3fv(in.program, in.uniform.m_location, 1, GL_FALSE, glm::value_ptr(normal));
     }},
    {kPurposeProjectionMatrix, GL_FLOAT_MAT4, "currentUniform.m_type == GL_FLOAT_MAT4",
     [](const Inputs& in) { Matrix4(in, in.camera.projection); }},
    {kPurposeNearPlane, GL_FLOAT, "currentUniform.m_type == GL_FLOAT",
     [](const Inputs& in) { Scalar(in, in.camera.nearPlane); }},
    {kPurposeFarPlane, GL_FLOAT, "currentUniform.m_type == GL_FLOAT",
     [](const Inputs& in) { Scalar(in, in.camera.farPlane); }},
    {kPurposeViewProjectionMatrix, GL_FLOAT_MAT4, "currentUniform.m_type == GL_FLOAT_MAT4",
     [](const Inputs& in) { Matrix4(in, in.camera.viewProjection); }},
    {kPurposeWorldMatrix, GL_FLOAT_MAT4, "currentUniform.m_type == GL_FLOAT_MAT4",
     [](const Inputs& in) { Matrix4(in, World(in)); }},
    {kPurposeViewMatrix, GL_FLOAT_MAT4, "currentUniform.m_type == GL_FLOAT_MAT4",
     [](const Inputs& in) { Matrix4(in, in.camera.view); }},
    {kPurposeDiffuseTexture, GL_SAMPLER_2D, "currentUniform.m_type == GL_SAMPLER_2D",
     [](const Inputs& in)
     {
         const unsigned unit = kPurposeDiffuseTexture - 10;
         DiffuseTexture(in).Bind(unit);
         glProgramUniform1i(in.program, in.uniform.m_location, static_cast<GLint>(unit));
     }},
    {kPurposeTexCoordOffset, GL_FLOAT_VEC2, "currentUniform.m_type == GL_FLOAT_VEC2",
     [](const Inputs& in) { Vector2(in, in.draw.textureOffset); }},
    {kPurposeTexCoordScale, GL_FLOAT_VEC2, "currentUniform.m_type == GL_FLOAT_VEC2",
     [](const Inputs& in) { Vector2(in, in.draw.textureScale); }},
    {kPurposeDiffuseColor, GL_FLOAT_VEC4, "currentUniform.m_type == GL_FLOAT_VEC4",
     [](const Inputs& in)
     { glProgramUniform4fv(in.program, in.uniform.m_location, 1, glm::value_ptr(in.draw.colour)); }},
    {kPurposeDiffuseTextureSize, GL_FLOAT_VEC2, "currentUniform.m_type == GL_FLOAT_VEC2",
     [](const Inputs& in)
     {
         const Texture& texture = DiffuseTexture(in);
         Vector2(in, glm::vec2(texture.GetWidth(), texture.GetHeight()));
     }},
    {kPurposeOneOverDiffuseTextureSize, GL_FLOAT_VEC2, "currentUniform.m_type == GL_FLOAT_VEC2",
     [](const Inputs& in)
     {
         const Texture& texture = DiffuseTexture(in);
         Vector2(in, glm::vec2(1.0f / static_cast<float>(texture.GetWidth()),
                               1.0f / static_cast<float>(texture.GetHeight())));
     }},
    {kPurposeCameraResolution, GL_FLOAT_VEC2, "currentUniform.m_type == GL_FLOAT_VEC2",
     [](const Inputs& in) { Vector2(in, in.camera.resolution); }},
};
} // namespace

std::optional<unsigned> UniformFeeder::RequiredType(int purpose)
{
    const auto upload = std::ranges::find(kUploads, purpose, &PurposeUpload::purpose);
    return upload != std::end(kUploads) ? std::optional<unsigned>(upload->type) : std::nullopt;
}

const UniformFeeder::CameraValues& UniformFeeder::ValuesOf(Camera& camera)
{
    const auto found = std::ranges::find(m_cameras, &camera, &CameraValues::camera);
    if (found != m_cameras.end() && found->revision == camera.GetRevision())
    {
        return *found;
    }
    CameraValues values;
    values.camera = &camera;
    values.revision = camera.GetRevision();
    values.projection = camera.GetProjection();
    values.view = camera.GetView();
    values.viewProjection = values.projection * values.view;
    values.nearPlane = camera.GetNearPlane();
    values.farPlane = camera.GetFarPlane();
    values.resolution = camera.GetViewportSize();
    if (found != m_cameras.end())
    {
        *found = values;
        return *found;
    }
    m_cameras.push_back(values);
    return m_cameras.back();
}

void UniformFeeder::Feed(const Shader& shader, Camera& camera, const DrawValues& values,
                         const CustomUniform& custom)
{
    const CameraValues& cameraValues = ValuesOf(camera);
    for (const UniformDefinition& uniform : shader.GetUniforms())
    {
        if (uniform.m_purpose == kPurposeNone)
        {
            continue;
        }
        if (uniform.m_purpose == kPurposeCustom)
        {
            if (custom)
            {
                custom(camera, uniform);
            }
            continue;
        }
        const auto upload = std::ranges::find(kUploads, uniform.m_purpose, &PurposeUpload::purpose);
        if (upload == std::end(kUploads))
        {
            continue;
        }
        MORVANE_ASSERT_NAMED(uniform.m_type == upload->type, upload->typeCheck, __LINE__);
        upload->upload(Inputs{shader.GetProgram(), uniform, cameraValues, values});
    }
}
} // namespace Morvane::Graphics
