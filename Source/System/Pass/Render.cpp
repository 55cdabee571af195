#include "System/Pass/Render.h"

#include "Component/TransformComponent.h"
#include "Graphics/Camera.h"
#include "Graphics/GraphicsComponent.h"
#include "Graphics/GraphicsSystem.h"
#include "Parsing/IParserData.h"
#include "Resources/ResourceSystem.h"
#include "Shader/Shader.h"
#include "System/Assert/Assertion.h"
#include "System/Logging/Format.h"
#include "System/Logging/LoggingSystem.h"

#include <algorithm>

namespace Morvane::Graphics::Commands
{
namespace
{
const char* const kChannel = "Render command";

struct SubroutineAttribute
{
    const char* attribute;
    Shader::Stage stage;
    const char* stageName;
};

// In the order of Render::m_subroutines.
const SubroutineAttribute kSubroutineAttributes[] = {
    {"fragmentSubroutine", Shader::Stage::Fragment, "fragment"},
    {"geometrySubroutine", Shader::Stage::Geometry, "geometry"},
    {"vertexSubroutine", Shader::Stage::Vertex, "vertex"},
};
std::string ActiveSubroutineUniformName(GLuint program, GLenum stage, GLuint uniform)
{
    GLint length = 0;
    glGetActiveSubroutineUniformiv(program, stage, uniform, GL_UNIFORM_NAME_LENGTH, &length);
    std::string name(static_cast<std::size_t>(std::max(length, 1)), '\0');
    GLsizei written = 0;
    glGetActiveSubroutineUniformName(program, stage, uniform, static_cast<GLsizei>(name.size()), &written,
                                     name.data());
    name.resize(static_cast<std::size_t>(written));
    return name;
}

// For a stage whose command names no subroutine: each subroutine uniform gets the lowest index it
// accepts, since GL leaves an unset selection undefined every time the program is made current.
std::vector<GLuint> FirstSubroutines(GLuint program, GLenum stage)
{
    GLint locations = 0;
    glGetProgramStageiv(program, stage, GL_ACTIVE_SUBROUTINE_UNIFORM_LOCATIONS, &locations);
    std::vector<GLuint> indices(static_cast<std::size_t>(std::max(locations, 0)), 0);
    GLint uniforms = 0;
    glGetProgramStageiv(program, stage, GL_ACTIVE_SUBROUTINE_UNIFORMS, &uniforms);
    for (GLint uniform = 0; uniform < uniforms; ++uniform)
    {
        GLint count = 0;
        glGetActiveSubroutineUniformiv(program, stage, static_cast<GLuint>(uniform),
                                       GL_NUM_COMPATIBLE_SUBROUTINES, &count);
        std::vector<GLint> compatible(static_cast<std::size_t>(std::max(count, 0)));
        if (compatible.empty())
        {
            continue;
        }
        glGetActiveSubroutineUniformiv(program, stage, static_cast<GLuint>(uniform),
                                       GL_COMPATIBLE_SUBROUTINES, compatible.data());
        const GLint location = glGetSubroutineUniformLocation(
            program, stage,
            ActiveSubroutineUniformName(program, stage, static_cast<GLuint>(uniform)).c_str());
        if (location >= 0 && location < locations)
        {
            indices[static_cast<std::size_t>(location)] =
                static_cast<GLuint>(*std::min_element(compatible.begin(), compatible.end()));
        }
    }
    return indices;
}
} // namespace

bool Render::Parse(const IParserData* data)
{
    System& graphics = System::GetInstance();
    const std::string camera = data->GetAttribute("camera", "");
    m_renderCamera = graphics.GetCamera(camera);
    if (m_renderCamera == nullptr)
    {
        Log::Error(kChannel, Format("Could not set the render camera '%s'", camera.c_str()));
        return false;
    }
    const std::string set = data->GetAttribute("set", "");
    m_renderSet = graphics.GetRenderSet(set);
    if (m_renderSet == nullptr)
    {
        Log::Error(kChannel, Format("Could not set the render set '%s'", set.c_str()));
        return false;
    }
    const std::string shader = data->GetAttribute("shader", "");
    m_renderShader = Resources::System::GetInstance().GetResource<Shader>(shader);
    if (m_renderShader == nullptr)
    {
        Log::Error(kChannel, Format("Could not set the render shader '%s'", shader.c_str()));
        return false;
    }
    for (std::size_t slot = 0; slot < m_subroutines.size(); ++slot)
    {
        m_subroutines[slot].name = data->GetAttribute(kSubroutineAttributes[slot].attribute, "");
    }
    if (!ResolveSubroutines(*m_renderShader, m_subroutines))
    {
        return false;
    }
    m_resolvedGeneration = m_renderShader->GetGeneration();
    m_resolved = true;
    m_ignoreFrustum = data->GetAttributeBool("ignoreFrustum", false);
    return true;
}

bool Render::ResolveSubroutines(const Shader& shader, std::array<StageSubroutine, 3>& subroutines)
{
    for (std::size_t slot = 0; slot < subroutines.size(); ++slot)
    {
        StageSubroutine& subroutine = subroutines[slot];
        subroutine.indices.clear();
        const SubroutineAttribute& attribute = kSubroutineAttributes[slot];
        if (subroutine.name.empty())
        {
            if (shader.HasSubroutines(attribute.stage))
            {
                subroutine.indices = FirstSubroutines(shader.GetProgram(), subroutine.stage);
            }
            continue;
        }
        const std::optional<GLuint> index = shader.GetSubroutineIndex(attribute.stage, subroutine.name);
        if (!index)
        {
            Log::Error(kChannel, Format("Could not find subroutine '%s' in %s shader",
                                        subroutine.name.c_str(), attribute.stageName));
            return false;
        }
        // One name selects one index: the stage must have exactly one subroutine uniform location, or
        // glUniformSubroutinesuiv refuses the selection every frame.
        GLint locations = 0;
        glGetProgramStageiv(shader.GetProgram(), subroutine.stage, GL_ACTIVE_SUBROUTINE_UNIFORM_LOCATIONS,
                            &locations);
        if (locations != 1)
        {
            Log::Error(kChannel, Format("Subroutine '%s' needs a stage with one subroutine uniform, not %d",
                                        subroutine.name.c_str(), locations));
            return false;
        }
        subroutine.indices = {*index};
    }
    return true;
}

bool Render::SetShader(Shader* shader)
{
    if (shader == nullptr)
    {
        return false;
    }
    std::array<StageSubroutine, 3> subroutines = m_subroutines;
    if (!ResolveSubroutines(*shader, subroutines))
    {
        return false;
    }
    m_renderShader = shader;
    m_subroutines = std::move(subroutines);
    m_resolvedGeneration = shader->GetGeneration();
    m_resolved = true;
    return true;
}

bool Render::RefreshSubroutines()
{
    if (m_renderShader->GetGeneration() != m_resolvedGeneration)
    {
        // Once per program: a failure is logged when it happens, not every frame.
        m_resolvedGeneration = m_renderShader->GetGeneration();
        m_resolved = ResolveSubroutines(*m_renderShader, m_subroutines);
    }
    return m_resolved;
}

void Render::UseCommandShader() const
{
    glUseProgram(m_renderShader->GetProgram());
    for (const StageSubroutine& subroutine : m_subroutines)
    {
        if (!subroutine.indices.empty())
        {
            glUniformSubroutinesuiv(subroutine.stage, static_cast<GLsizei>(subroutine.indices.size()),
                                    subroutine.indices.data());
        }
    }
}

bool Render::IsInFrustum(Component& component) const
{
    Game::TransformComponent* transform = component.GetTransform();
    MORVANE_ASSERT_NAMED(transform != nullptr, "transform", __LINE__);
    const float radius = component.GetCullingRadius();
    const glm::vec3& position = transform->GetPosition();
    return m_renderCamera->IsBoxInFrustum(position - glm::vec3(radius), position + glm::vec3(radius));
}

void Render::Execute()
{
    MORVANE_ASSERT_NAMED(m_renderSet != nullptr, "m_renderSet", __LINE__);
    MORVANE_ASSERT_NAMED(m_renderCamera != nullptr, "m_renderCamera", __LINE__);
    MORVANE_ASSERT_NAMED(m_renderShader != nullptr, "m_renderShader", __LINE__);
    // A "multiThreaded" shader may still be loading: there is no program to draw with yet.
    if (!m_renderShader->IsInitialized() || !RefreshSubroutines())
    {
        return;
    }
    UseCommandShader();
    const Shader* current = m_renderShader;
    for (Component* component : *m_renderSet)
    {
        if (!component->IsVisible() || !component->IsReady())
        {
            continue;
        }
        if (!m_ignoreFrustum && !IsInFrustum(*component))
        {
            continue;
        }
        Shader* own = component->GetPreferredShader();
        Shader* shader = own != nullptr ? own : m_renderShader;
        if (shader != current)
        {
            if (shader == m_renderShader)
            {
                UseCommandShader();
            }
            else
            {
                glUseProgram(shader->GetProgram());
            }
            current = shader;
        }
        component->Draw(shader, m_renderCamera);
    }
}
} // namespace Morvane::Graphics::Commands
