#pragma once

#include "Graphics/OpenGL.h"
#include "System/Pass/Command.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace Morvane::Graphics
{
class Camera;
class Component;
class Shader;
} // namespace Morvane::Graphics

namespace Morvane::Graphics::Commands
{
// "Render": draws the visible components of a render set through a camera, with the command's shader
// or a component's own one, skipping components outside the camera's frustum unless "ignoreFrustum".
class Render : public Command
{
public:
    bool Parse(const IParserData* data) override;
    void Execute() override;

    Shader* GetShader() const { return m_renderShader; }
    // Draws with `shader` from now on, keeping the command's subroutines by name; false (logged, the
    // current shader kept) for no shader or one that lacks a subroutine the command selects.
    bool SetShader(Shader* shader);

private:
    struct StageSubroutine
    {
        GLenum stage;
        std::string name;
        std::vector<GLuint> indices;
    };

    // Looks each named subroutine up in `shader`; false, logged, at the first it lacks.
    static bool ResolveSubroutines(const Shader& shader, std::array<StageSubroutine, 3>& subroutines);
    // Looks the subroutines up again when the shader's program was rebuilt (a reload moves their
    // indices); false while the program lacks one, and the command then draws nothing.
    bool RefreshSubroutines();
    // Makes the command's program current with its subroutine selections, which GL forgets each time
    // a program is made current.
    void UseCommandShader() const;
    bool IsInFrustum(Component& component) const;

    std::vector<Component*>* m_renderSet = nullptr;
    Shader* m_renderShader = nullptr;
    // The shader's generation the subroutine indices were found in, and whether they all were.
    std::uint64_t m_resolvedGeneration = 0;
    bool m_resolved = false;
    Camera* m_renderCamera = nullptr;
    bool m_ignoreFrustum = false;
    // Fragment, geometry and vertex, the order they are applied in.
    std::array<StageSubroutine, 3> m_subroutines{
        {{GL_FRAGMENT_SHADER, {}, {}}, {GL_GEOMETRY_SHADER, {}, {}}, {GL_VERTEX_SHADER, {}, {}}}};
};
} // namespace Morvane::Graphics::Commands
