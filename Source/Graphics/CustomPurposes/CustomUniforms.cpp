#include "Graphics/CustomPurposes/CustomUniforms.h"

#include "Component/TransformComponent.h"
#include "Graphics/OpenGL.h"
#include "Shader/UniformDefinition.h"
#include "System/Assert/Assertion.h"
#include "System/Logging/LoggingSystem.h"
#include "Texture/Texture.h"

#include <glm/gtc/type_ptr.hpp>

using namespace Morvane;

void UploadFloat(const Graphics::UniformDefinition& uniform, float value)
{
    MORVANE_ASSERT_NAMED(uniform.m_type == GL_FLOAT, "currentUniform.m_type == GL_FLOAT", __LINE__);
    glUniform1f(uniform.m_location, value);
}

void UploadVec2(const Graphics::UniformDefinition& uniform, const glm::vec2& value)
{
    MORVANE_ASSERT_NAMED(uniform.m_type == GL_FLOAT_VEC2, "currentUniform.m_type == GL_FLOAT_VEC2", __LINE__);
    glUniform2fv(uniform.m_location, 1, glm::value_ptr(value));
}

void UploadVec3(const Graphics::UniformDefinition& uniform, const glm::vec3& value)
{
    MORVANE_ASSERT_NAMED(uniform.m_type == GL_FLOAT_VEC3, "currentUniform.m_type == GL_FLOAT_VEC3", __LINE__);
    glUniform3fv(uniform.m_location, 1, glm::value_ptr(value));
}

void UploadVec4(const Graphics::UniformDefinition& uniform, const glm::vec4& value)
{
    MORVANE_ASSERT_NAMED(uniform.m_type == GL_FLOAT_VEC4, "currentUniform.m_type == GL_FLOAT_VEC4", __LINE__);
    glUniform4fv(uniform.m_location, 1, glm::value_ptr(value));
}

void UploadMat4(const Graphics::UniformDefinition& uniform, const glm::mat4& value)
{
    MORVANE_ASSERT_NAMED(uniform.m_type == GL_FLOAT_MAT4, "currentUniform.m_type == GL_FLOAT_MAT4", __LINE__);
    glUniformMatrix4fv(uniform.m_location, 1, GL_FALSE, glm::value_ptr(value));
}

void UploadSampler(const Graphics::UniformDefinition& uniform, const Graphics::Texture* texture,
                   unsigned unit, const char* textureName)
{
    MORVANE_ASSERT_NAMED(texture != nullptr, textureName, __LINE__);
    MORVANE_ASSERT_NAMED(uniform.m_type == GL_SAMPLER_2D, "currentUniform.m_type == GL_SAMPLER_2D", __LINE__);
    texture->Bind(unit);
    glUniform1i(uniform.m_location, static_cast<GLint>(unit));
}

void UploadOneOverScale(const Graphics::UniformDefinition& uniform, const Game::TransformComponent* transform,
                        const std::string& channel, bool& warned)
{
    MORVANE_ASSERT_NAMED(transform != nullptr, "m_transformComponent", __LINE__);
    const glm::vec3& scale = transform->GetScale();
    if ((scale.x == 0.0f || scale.y == 0.0f) && !warned)
    {
        Log::Warning(channel, "Zero scale: the texel size is 0");
        warned = true;
    }
    const auto inverse = [](float value) { return value != 0.0f ? 1.0f / value : 0.0f; };
    UploadVec2(uniform, {inverse(scale.x), inverse(scale.y)});
}
