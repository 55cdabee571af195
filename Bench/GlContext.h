#pragma once

#include "Graphics/GraphicsSystem.h"
#include "Parsing/XMLParserData/XMLParserData.h"
#include "Resources/ResourceSystem.h"
#include "Shader/Shader.h"
#include "Window/WindowSystem.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <unistd.h>

namespace Morvane::Benchmarks
{
// The engine's window and OpenGL context for the length of a benchmark program: on the display that
// scripts/with-display provides, or on SDL's offscreen driver where there is none. Swaps do not wait
// for a refresh, so a frame costs what it draws.
class GlContext
{
public:
    GlContext()
    {
        if (std::getenv("DISPLAY") == nullptr && std::getenv("SDL_VIDEODRIVER") == nullptr)
        {
            setenv("SDL_VIDEODRIVER", "offscreen", 1);
        }
        m_ready = Window::System::GetInstance().Initialize() && Graphics::System::GetInstance().Initialize();
        if (m_ready)
        {
            Graphics::System::GetInstance().SetVSync(false);
        }
    }
    ~GlContext()
    {
        Resources::System::GetInstance().Release();
        Graphics::System::GetInstance().Release();
        Window::System::GetInstance().Release();
    }
    GlContext(const GlContext&) = delete;
    GlContext& operator=(const GlContext&) = delete;

    bool IsReady() const { return m_ready; }

private:
    bool m_ready = false;
};

// A shader built from two GLSL texts and the description's "Uniform" elements; the texts go through
// a scratch folder, since shader descriptions name files. Null when it does not build.
inline std::unique_ptr<Graphics::Shader> MakeShader(const std::string& vertex, const std::string& fragment,
                                                    const std::string& uniforms)
{
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("morvane-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "bench.vert") << vertex;
    std::ofstream(folder / "bench.frag") << fragment;
    XMLParserData description;
    auto shader = std::make_unique<Graphics::Shader>("Bench");
    const bool built =
        description.FromString("<Shader><VertexShader path=\"" + (folder / "bench.vert").string() +
                               "\"/><FragmentShader path=\"" + (folder / "bench.frag").string() + "\"/>" +
                               uniforms + "</Shader>") &&
        shader->Parse(&description) && shader->Initialize();
    std::filesystem::remove_all(folder);
    return built ? std::move(shader) : nullptr;
}
} // namespace Morvane::Benchmarks
