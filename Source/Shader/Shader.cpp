#include "Shader/Shader.h"

#include "Graphics/GraphicsSystem.h"
#include "Parsing/FileParser/FileParser.h"
#include "Parsing/IParserData.h"
#include "Shader/UniformFeeder.h"
#include "Shader/UniformPurpose.h"
#include "System/Assert/Assertion.h"
#include "System/Logging/Format.h"
#include "System/Logging/LoggingSystem.h"
#include "System/PathWrapper/PathWrapper.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace Morvane::Graphics
{
namespace
{
constexpr GLsizei kLogLength = 2048;

struct StageElement
{
    const char* element;
    GLenum type;
    const char* failure;
    const char* unsetAssertion;
};

// Slot order: vertex, fragment, geometry.
const StageElement kStageElements[] = {
    {"VertexShader", GL_VERTEX_SHADER, "Could not load vertex shader", "m_vertexShader == 0"},
    {"FragmentShader", GL_FRAGMENT_SHADER, "Could not load fragment shader", "m_fragmentShader == 0"},
    {"GeometryShader", GL_GEOMETRY_SHADER, "Could not load geometry shader", "m_geometryShader == 0"},
};

// Subroutine stages in the order of Shader::Stage.
const GLenum kSubroutineStages[] = {GL_VERTEX_SHADER, GL_FRAGMENT_SHADER, GL_TESS_CONTROL_SHADER,
                                    GL_TESS_EVALUATION_SHADER, GL_GEOMETRY_SHADER};

std::string FolderOf(const std::string& path)
{
    const std::string folder = std::filesystem::path(path).parent_path().string();
    return folder.empty() ? folder : folder + "/";
}

bool ReadText(const std::string& path, std::string& text)
{
    // A folder opens as a stream here and reads as nothing.
    std::error_code ignored;
    if (std::filesystem::is_directory(path, ignored))
    {
        return false;
    }
    std::ifstream file(path);
    if (!file)
    {
        return false;
    }
    std::string read;
    for (std::string line; std::getline(file, line);)
    {
        read += line;
        read += '\n';
    }
    if (file.bad())
    {
        return false;
    }
    text = std::move(read);
    return true;
}

// Whether a reported name is the declared one: arrays are reported as "name[0]".
bool SameUniform(const std::string& declared, const std::string& reported)
{
    return declared == reported || declared + "[0]" == reported;
}
} // namespace

std::string Shader::Channel() const
{
    return Format("Shader '%s'", GetName().c_str());
}

bool Shader::Parse(const IParserData* definition)
{
    m_sources = {};
    m_declared.clear();
    m_declaredPurposes.clear();
    m_folder.clear();
    if (definition == nullptr)
    {
        Log::Error(Channel(), "No parser data");
        return false;
    }
    return LoadList(definition);
}

bool Shader::LoadFile(const std::string& path)
{
    FileParser parser;
    const IParserData* root = parser.Parse(path);
    m_folder = FolderOf(path);
    if (root == nullptr || !LoadList(root))
    {
        Log::Error(Channel(), Format("Could not parse file '%s'", path.c_str()));
        return false;
    }
    return true;
}

bool Shader::LoadList(const IParserData* first)
{
    for (const IParserData* element = first; element != nullptr; element = element->GetNextSibling())
    {
        const std::string name = element->GetName();
        if (name == "Shader")
        {
            if (element->HasAttribute("path"))
            {
                if (!LoadFile(PathWrapper::GetInstance().Expand(element->GetAttribute("path", ""))))
                {
                    return false;
                }
            }
            else if (element->GetFirstChild() != nullptr && !LoadList(element->GetFirstChild()))
            {
                Log::Error(Channel(), "Could not subparse");
                return false;
            }
            continue;
        }
        const auto stage = std::ranges::find(kStageElements, name, &StageElement::element);
        if (stage != std::end(kStageElements))
        {
            if (!ReadStage(*element, static_cast<std::size_t>(stage - std::begin(kStageElements))))
            {
                Log::Error(Channel(), stage->failure);
                return false;
            }
        }
        else if (name == "Uniform")
        {
            DeclarePurpose(element->GetAttribute("name", ""), element->GetAttribute("purpose", ""));
        }
        else
        {
            Log::Warning(Channel(), Format("Unknown parser element '%s'", name.c_str()));
        }
    }
    return true;
}

std::string Shader::ResolvePath(const std::string& path) const
{
    const std::string expanded = PathWrapper::GetInstance().Expand(path);
    if (expanded != path || std::filesystem::path(path).is_absolute())
    {
        return expanded;
    }
    return m_folder + path;
}

bool Shader::ReadStage(const IParserData& element, std::size_t slot)
{
    StageSource& source = m_sources[slot];
    MORVANE_ASSERT_NAMED(source.type == 0, kStageElements[slot].unsetAssertion, __LINE__);
    source.type = kStageElements[slot].type;
    source.path = element.GetAttribute("path", "");
    source.file = ResolvePath(source.path);
    if (!ReadText(source.file, source.text))
    {
        Log::Error(Channel(), Format("Could not open shader '%s'", source.file.c_str()));
        return false;
    }
    return true;
}

bool Shader::DeclarePurpose(const std::string& name, const std::string& purpose)
{
    if (name.empty())
    {
        Log::Error(Channel(), "Unvalid uniform name, cannot set purpose");
        return false;
    }
    auto found = std::ranges::find(m_declared, name, &UniformDefinition::m_name);
    if (found == m_declared.end())
    {
        UniformDefinition definition;
        definition.m_name = name;
        m_declared.push_back(definition);
        found = std::prev(m_declared.end());
    }
    else if (found->m_purpose != kPurposeNone)
    {
        Log::Warning(Channel(), Format("Replacing uniform purpose of '%s'", name.c_str()));
    }
    found->m_purpose = PurposeFromText(purpose);
    found->m_customPurpose = -1;
    if (found->m_purpose == kPurposeCustom)
    {
        const System::UniformIdentifier identify = System::GetInstance().m_customUniformIdentifier;
        MORVANE_ASSERT_NAMED(identify != nullptr, "m_customUniformIdentifier", __LINE__);
        found->m_customPurpose = identify(purpose);
        if (found->m_customPurpose == -1)
        {
            Log::Warning(Channel(), Format("Uniform '%s' has no subpurpose", name.c_str()));
        }
    }
    std::erase_if(m_declaredPurposes, [&name](const auto& declared) { return declared.first == name; });
    m_declaredPurposes.emplace_back(name, purpose);
    return true;
}

bool Shader::Save(IParserData* data)
{
    for (std::size_t slot = 0; slot < m_sources.size(); ++slot)
    {
        if (m_sources[slot].type != 0)
        {
            data->AddChild(kStageElements[slot].element)->SetAttribute("path", m_sources[slot].path);
        }
    }
    for (const auto& [name, purpose] : m_declaredPurposes)
    {
        IParserData* uniform = data->AddChild("Uniform");
        uniform->SetAttribute("name", name);
        uniform->SetAttribute("purpose", purpose);
    }
    return true;
}

bool Shader::CompileStage(const StageSource& source, GlShaderStage& stage) const
{
    stage = GlShaderStage(glCreateShader(source.type));
    const char* text = source.text.c_str();
    glShaderSource(stage.Get(), 1, &text, nullptr);
    glCompileShader(stage.Get());

    char log[kLogLength] = {};
    GLsizei length = 0;
    glGetShaderInfoLog(stage.Get(), kLogLength, &length, log);
    if (length > 0)
    {
        Log::Warning(Channel(), Format("Compilation [%s]:\n %s", source.path.c_str(), log));
    }
    GLint status = GL_FALSE;
    glGetShaderiv(stage.Get(), GL_COMPILE_STATUS, &status);
    if (status == GL_FALSE)
    {
        // A failed stage is deleted at once; the program is never linked.
        stage.Reset();
        return false;
    }
    return true;
}

bool Shader::Initialize()
{
    m_watches.Clear();
    m_linked = Linked{};
    SetInitialized(false);
    if (m_sources[0].type == 0 || m_sources[1].type == 0)
    {
        Log::Error(Channel(), "A shader needs a vertex and a fragment shader");
        return false;
    }
    Linked linked;
    if (!Build(m_sources, linked))
    {
        Release();
        return false;
    }
    m_linked = std::move(linked);
    ++m_generation;
    Watch();
    SetInitialized(true);
    return true;
}

bool Shader::Build(const std::array<StageSource, 3>& sources, Linked& linked) const
{
    for (std::size_t slot = 0; slot < sources.size(); ++slot)
    {
        if (sources[slot].type != 0 && !CompileStage(sources[slot], linked.stages[slot]))
        {
            Log::Error(Channel(), kStageElements[slot].failure);
            return false;
        }
    }
    if (!Link(linked))
    {
        return false;
    }
    linked.uniforms = m_declared;
    IntrospectUniforms(linked);
    IntrospectSubroutines(linked);
    IntrospectAttributes(linked);
    return true;
}

bool Shader::Link(Linked& linked) const
{
    linked.program = GlProgram::Create();
    const GLuint program = linked.program.Get();
    // Vertex, geometry when there is one, then fragment.
    for (const std::size_t slot : {0u, 2u, 1u})
    {
        if (linked.stages[slot].Get() != 0)
        {
            glAttachShader(program, linked.stages[slot].Get());
        }
    }
    glLinkProgram(program);

    char log[kLogLength] = {};
    GLsizei length = 0;
    glGetProgramInfoLog(program, kLogLength, &length, log);
    if (length > 0)
    {
        Log::Warning(Channel(), Format("Linkage: %s", log));
    }
    GLint status = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &status);
    return status != GL_FALSE;
}

void Shader::Watch()
{
    for (const StageSource& source : m_sources)
    {
        if (source.type != 0)
        {
            m_watches.Add(source.file, [this](const std::string& changed) { Reload(changed); });
        }
    }
}

void Shader::Reload(const std::string& changed)
{
    // Built aside from every stage file as it is now: the current program stays until this one works.
    std::array<StageSource, 3> sources = m_sources;
    bool built = true;
    for (StageSource& source : sources)
    {
        if (built && source.type != 0 && !ReadText(source.file, source.text))
        {
            Log::Error(Channel(), Format("Could not open shader '%s'", source.file.c_str()));
            built = false;
        }
    }
    Linked linked;
    if (!built || !Build(sources, linked) || !SuitsPurposes(linked))
    {
        Log::Error(Channel(), Format("Could not reload '%s'; the previous version stays", changed.c_str()));
        return;
    }
    m_sources = std::move(sources);
    m_linked = std::move(linked);
    ++m_generation;
    Log::Info(Channel(), Format("Reloaded '%s'", changed.c_str()));
}

bool Shader::SuitsPurposes(const Linked& linked) const
{
    // The drawing code asserts on a wrong type; a rewritten file must not turn into a crash.
    bool suits = true;
    for (const UniformDefinition& uniform : linked.uniforms)
    {
        const std::optional<unsigned> required = UniformFeeder::RequiredType(uniform.m_purpose);
        if (required && *required != uniform.m_type)
        {
            Log::Error(Channel(), Format("Uniform '%s' is of GL type 0x%04X; its purpose needs 0x%04X",
                                         uniform.m_name.c_str(), uniform.m_type, *required));
            suits = false;
        }
    }
    return suits;
}

void Shader::IntrospectUniforms(Linked& linked) const
{
    const GLuint program = linked.program.Get();
    GLint count = 0;
    GLint maxLength = 0;
    glGetProgramiv(program, GL_ACTIVE_UNIFORMS, &count);
    glGetProgramiv(program, GL_ACTIVE_UNIFORM_MAX_LENGTH, &maxLength);
    std::string name(static_cast<std::size_t>(std::max(maxLength, 1)), '\0');
    for (GLint index = 0; index < count; ++index)
    {
        GLsizei length = 0;
        GLint size = 0;
        GLenum type = 0;
        glGetActiveUniform(program, static_cast<GLuint>(index), maxLength, &length, &size, &type,
                           name.data());
        const std::string reported = name.substr(0, static_cast<std::size_t>(length));
        const GLint location = glGetUniformLocation(program, reported.c_str());
        // Members of uniform blocks have no location: nothing here can feed them.
        if (location == -1)
        {
            continue;
        }
        auto found = std::ranges::find_if(linked.uniforms, [&reported](const UniformDefinition& definition)
                                          { return SameUniform(definition.m_name, reported); });
        if (found == linked.uniforms.end())
        {
            linked.uniforms.emplace_back();
            found = std::prev(linked.uniforms.end());
        }
        found->m_name = reported;
        found->m_location = location;
        found->m_type = type;
        found->m_size = size;
    }
    std::erase_if(linked.uniforms,
                  [this](const UniformDefinition& definition)
                  {
                      if (definition.m_location != -1)
                      {
                          return false;
                      }
                      Log::Warning(Channel(), Format("Remove uniform definition because not used '%s'",
                                                     definition.m_name.c_str()));
                      return true;
                  });
}

void Shader::IntrospectSubroutines(Linked& linked)
{
    const GLuint program = linked.program.Get();
    for (std::size_t stage = 0; stage < linked.subroutines.size(); ++stage)
    {
        linked.subroutines[stage].clear();
        GLint count = 0;
        GLint maxLength = 0;
        glGetProgramStageiv(program, kSubroutineStages[stage], GL_ACTIVE_SUBROUTINES, &count);
        glGetProgramStageiv(program, kSubroutineStages[stage], GL_ACTIVE_SUBROUTINE_MAX_LENGTH, &maxLength);
        std::string name(static_cast<std::size_t>(std::max(maxLength, 1)), '\0');
        for (GLint index = 0; index < count; ++index)
        {
            GLsizei length = 0;
            glGetActiveSubroutineName(program, kSubroutineStages[stage], static_cast<GLuint>(index),
                                      maxLength, &length, name.data());
            const std::string reported = name.substr(0, static_cast<std::size_t>(length));
            linked.subroutines[stage][reported] =
                glGetSubroutineIndex(program, kSubroutineStages[stage], reported.c_str());
        }
    }
}

void Shader::IntrospectAttributes(Linked& linked)
{
    const GLuint program = linked.program.Get();
    linked.attributes.clear();
    GLint count = 0;
    GLint maxLength = 0;
    glGetProgramiv(program, GL_ACTIVE_ATTRIBUTES, &count);
    glGetProgramiv(program, GL_ACTIVE_ATTRIBUTE_MAX_LENGTH, &maxLength);
    std::string name(static_cast<std::size_t>(std::max(maxLength, 1)), '\0');
    for (GLint index = 0; index < count; ++index)
    {
        GLsizei length = 0;
        GLint size = 0;
        GLenum type = 0;
        glGetActiveAttrib(program, static_cast<GLuint>(index), maxLength, &length, &size, &type, name.data());
        const std::string reported = name.substr(0, static_cast<std::size_t>(length));
        const GLint location = glGetAttribLocation(program, reported.c_str());
        // gl_VertexID and gl_InstanceID are listed but have no location.
        if (location == -1)
        {
            continue;
        }
        MORVANE_ASSERT_NAMED(linked.attributes.find(reported) == linked.attributes.end(),
                             "m_attributes.find(name) == m_attributes.end()", __LINE__);
        linked.attributes.emplace(reported, location);
    }
}

void Shader::Release()
{
    m_watches.Clear();
    m_linked = Linked{};
    SetInitialized(false);
}

const UniformDefinition* Shader::FindUniform(const std::string& name) const
{
    const auto found = std::ranges::find_if(m_linked.uniforms, [&name](const UniformDefinition& definition)
                                            { return SameUniform(name, definition.m_name); });
    return found != m_linked.uniforms.end() ? &*found : nullptr;
}

std::optional<GLuint> Shader::GetSubroutineIndex(Stage stage, const std::string& name) const
{
    const auto& subroutines = m_linked.subroutines[static_cast<std::size_t>(stage)];
    const auto found = subroutines.find(name);
    return found != subroutines.end() ? std::optional<GLuint>(found->second) : std::nullopt;
}

int Shader::GetAttributeLocation(const std::string& name) const
{
    const auto found = m_linked.attributes.find(name);
    return found != m_linked.attributes.end() ? found->second : -1;
}
} // namespace Morvane::Graphics
