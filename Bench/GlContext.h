#pragma once

#include "ConstantManager/ConstantManager.h"
#include "Graphics/GraphicsSystem.h"
#include "Parsing/FileParser/FileParser.h"
#include "Parsing/XMLParserData/XMLParserData.h"
#include "RedirectedOutput.h"
#include "Resources/ResourceSystem.h"
#include "Shader/Shader.h"
#include "System/PathWrapper/PathWrapper.h"
#include "Window/WindowSystem.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <unistd.h>

namespace Morvane::Benchmarks
{
// The engine's window and OpenGL context for the length of a benchmark program, with the "OpenGL"
// constants that descriptions name: on the display that scripts/with-display provides, or on SDL's
// offscreen driver where there is none. Swaps do not wait for a refresh, so a frame costs what it draws.
class GlContext
{
public:
    GlContext()
    {
        if (std::getenv("DISPLAY") == nullptr && std::getenv("SDL_VIDEODRIVER") == nullptr)
        {
            setenv("SDL_VIDEODRIVER", "offscreen", 1);
        }
        // The benchmarks live in build/Bench, beside the data folders of build/.
        FileParser constants;
        IParserData* root = constants.Parse(
            PathWrapper::GetInstance().Expand("$(LocalFolder)../Configuration/Constants/OpenGL.xml"));
        m_ready = root != nullptr && ConstantManager::GetInstance().Parse(root) &&
                  Window::System::GetInstance().Initialize() && Graphics::System::GetInstance().Initialize();
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

// A folder of its own under the system's temporary folder, removed with everything in it.
class ScratchFolder
{
public:
    ScratchFolder()
        : m_path(std::filesystem::temp_directory_path() / ("morvane-bench-" + std::to_string(getpid())))
    {
        std::filesystem::create_directories(m_path);
    }
    ~ScratchFolder() { std::filesystem::remove_all(m_path); }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    // Writes `text` to the file `name` in the folder and returns the file's path.
    std::string Write(const std::string& name, const std::string& text) const
    {
        std::ofstream(m_path / name) << text;
        return (m_path / name).string();
    }

private:
    std::filesystem::path m_path;
};

// A shader built from two GLSL texts and the description's "Uniform" elements; the texts go through
// a scratch folder, since shader descriptions name files. Null when it does not build.
inline std::unique_ptr<Graphics::Shader> MakeShader(const std::string& vertex, const std::string& fragment,
                                                    const std::string& uniforms)
{
    const ScratchFolder folder;
    XMLParserData description;
    auto shader = std::make_unique<Graphics::Shader>("Bench");
    const bool built =
        description.FromString("<Shader><VertexShader path=\"" + folder.Write("bench.vert", vertex) +
                               "\"/><FragmentShader path=\"" + folder.Write("bench.frag", fragment) + "\"/>" +
                               uniforms + "</Shader>") &&
        shader->Parse(&description) && shader->Initialize();
    return built ? std::move(shader) : nullptr;
}

// Opens `context` and builds the benchmark's scene with `build`, the log silenced; false, said on
// standard error, when either fails.
template <class Build> bool OpenQuietly(std::optional<GlContext>& context, Build build)
{
    bool built = false;
    {
        const RedirectedOutput quiet("/dev/null");
        context.emplace();
        built = context->IsReady() && build();
    }
    if (!built)
    {
        std::fprintf(stderr, "No OpenGL context or scene: nothing to measure\n");
    }
    return built;
}
} // namespace Morvane::Benchmarks
