#pragma once

#include "Files/OwnedWatches.h"
#include "Graphics/GlObject.h"
#include "Parsing/IParseable.h"
#include "Resources/Resource.h"
#include "Shader/UniformDefinition.h"

#include <array>
#include <cstddef>
#include <cstdint>
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
//
// Once initialised, the shader watches its stage files: when one was rewritten (F9), a fresh program is
// built from all of them and replaces the current one only if it compiles, links and still suits the
// purposes; otherwise the log says why and the current program stays. A swap moves the uniform
// locations and subroutine indices: whoever keeps any of them compares GetGeneration().
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

    explicit Shader(const std::string& name) : Resource(name), m_watches("Shader:" + name) {}

    bool Parse(const IParserData* definition) override;
    // Writes the stage paths and the declared purposes.
    bool Save(IParserData* data) override;
    bool Initialize() override;
    void Release() override;

    GLuint GetProgram() const { return m_linked.program.Get(); }
    // Changes each time a program is made, by Initialize or by a reload.
    std::uint64_t GetGeneration() const { return m_generation; }
    // Definitions in the order they were declared or discovered.
    const std::vector<UniformDefinition>& GetUniforms() const { return m_linked.uniforms; }
    const UniformDefinition* FindUniform(const std::string& name) const;
    std::optional<GLuint> GetSubroutineIndex(Stage stage, const std::string& name) const;
    bool HasSubroutines(Stage stage) const
    {
        return !m_linked.subroutines[static_cast<std::size_t>(stage)].empty();
    }
    // -1 when the program has no such active attribute.
    int GetAttributeLocation(const std::string& name) const;

private:
    struct StageSource
    {
        GLenum type = 0;
        // As written in the description, for messages and Save.
        std::string path;
        // Where it was read from, resolved against the description's folder at the time.
        std::string file;
        std::string text;
    };

    // A compiled and linked program with what was asked of it.
    struct Linked
    {
        GlProgram program;
        // Vertex, fragment, geometry.
        std::array<GlShaderStage, 3> stages;
        std::vector<UniformDefinition> uniforms;
        std::array<std::map<std::string, GLuint>, 5> subroutines;
        std::map<std::string, int> attributes;
    };

    std::string Channel() const;
    bool LoadList(const IParserData* first);
    bool LoadFile(const std::string& path);
    bool ReadStage(const IParserData& element, std::size_t slot);
    bool DeclarePurpose(const std::string& name, const std::string& purpose);
    bool CompileStage(const StageSource& source, GlShaderStage& stage) const;
    // Compiles and links `sources` into `linked`; false, logged, at the first failure.
    bool Build(const std::array<StageSource, 3>& sources, Linked& linked) const;
    bool Link(Linked& linked) const;
    void IntrospectUniforms(Linked& linked) const;
    static void IntrospectSubroutines(Linked& linked);
    static void IntrospectAttributes(Linked& linked);
    // Whether every engine purpose still has the GL type it needs; logs each that does not.
    bool SuitsPurposes(const Linked& linked) const;
    void Watch();
    void Reload(const std::string& changed);
    std::string ResolvePath(const std::string& path) const;

    // Vertex, fragment and geometry, as read by Parse (text empty when the stage was not given).
    std::array<StageSource, 3> m_sources;
    Linked m_linked;
    std::uint64_t m_generation = 0;
    // The uniforms as declared by Parse; every build starts from them.
    std::vector<UniformDefinition> m_declared;
    // The purposes as declared (name, purpose text), for Save.
    std::vector<std::pair<std::string, std::string>> m_declaredPurposes;
    std::string m_folder;
    // Last: gone before anything its callbacks touch.
    Files::OwnedWatches m_watches;
};
} // namespace Morvane::Graphics
