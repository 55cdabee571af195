#pragma once

#include "Graphics/GlObject.h"
#include "Parsing/IParseable.h"
#include "Resources/Resource.h"
#include "Shader/UniformDefinition.h"

#include <array>
#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace Morvane::Graphics
{
// The "Shader" resource: a GLSL program of a vertex, a fragment and an optional geometry stage, with
// its uniforms (each tagged with the engine value it receives), attributes and subroutines.
//
// Parse reads the description and the stage files and declares the purposes; it makes no GL call, so
// it may run on the load thread ("multiThreaded"). Initialize, on the main thread, compiles, links and
// asks the program for its active uniforms, subroutines and attributes.
//
// Uniform names match as OpenGL reports them; for arrays OpenGL reports "name[0]", and a purpose
// declared for "name" reaches that array too.
class Shader : public Resources::Resource, public IParseable
{
public:
    enum class Stage
    {
        Vertex,
        Fragment,
        TessellationControl,
        TessellationEvaluation,
        Geometry,
    };

    explicit Shader(const std::string& name) : Resource(name) {}

    bool Parse(const IParserData* definition) override;
    // Writes the stage paths and the declared purposes.
    bool Save(IParserData* data) override;
    bool Initialize() override;
    void Release() override;

    GLuint GetProgram() const { return m_program.Get(); }
    // Definitions in the order they were declared or discovered.
    const std::vector<UniformDefinition>& GetUniforms() const { return m_uniforms; }
    const UniformDefinition* FindUniform(const std::string& name) const;
    std::optional<GLuint> GetSubroutineIndex(Stage stage, const std::string& name) const;
    bool HasSubroutines(Stage stage) const { return !m_subroutines[static_cast<std::size_t>(stage)].empty(); }
    // -1 when the program has no such active attribute.
    int GetAttributeLocation(const std::string& name) const;

private:
    struct StageSource
    {
        GLenum type = 0;
        std::string path;
        std::string text;
    };

    std::string Channel() const;
    bool LoadList(const IParserData* first);
    bool LoadFile(const std::string& path);
    bool ReadStage(const IParserData& element, std::size_t slot);
    bool DeclarePurpose(const std::string& name, const std::string& purpose);
    bool CompileStage(StageSource& source, GlShaderStage& stage);
    bool Link();
    void IntrospectUniforms();
    void IntrospectSubroutines();
    void IntrospectAttributes();
    std::string ResolvePath(const std::string& path) const;

    // Vertex, fragment and geometry, as read by Parse (text empty when the stage was not given).
    std::array<StageSource, 3> m_sources;
    GlProgram m_program;
    GlShaderStage m_vertexShader;
    GlShaderStage m_fragmentShader;
    GlShaderStage m_geometryShader;
    // The uniforms as declared by Parse; Initialize starts from them each time.
    std::vector<UniformDefinition> m_declared;
    std::vector<UniformDefinition> m_uniforms;
    // The purposes as declared (name, purpose text), for Save.
    std::vector<std::pair<std::string, std::string>> m_declaredPurposes;
    std::array<std::map<std::string, GLuint>, 5> m_subroutines;
    std::map<std::string, int> m_attributes;
    std::string m_folder;
};
} // namespace Morvane::Graphics
