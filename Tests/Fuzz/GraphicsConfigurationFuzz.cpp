// Any XML goes through the graphics system's Parse without an OpenGL context (cameras, sets, passes and
// every command) and then Release, without a crash or undefined behaviour. The commands find the
// resources the first room names, so that their parsing goes past the look-ups.
#include "ConstantManager/ConstantManager.h"
#include "FuzzSupport.h"
#include "Graphics/GraphicsSystem.h"
#include "Parsing/FileParser/FileParser.h"
#include "Parsing/XMLParserData/XMLParserData.h"
#include "Resources/ResourceSystem.h"
#include "Shader/Shader.h"
#include "System/Pass/Pass.h"
#include "Texture/FrameBuffer.h"
#include "Texture/Texture.h"

#include <memory>
#include <string>

using namespace Morvane;

namespace
{
// A resource of kind `Base` that is found by name and reads as initialised, but holds no GL object.
template <class Base> class NamedOnly : public Base
{
public:
    explicit NamedOnly(const std::string& name) : Base(name) {}
    bool Parse(const IParserData*) override { return true; }
    bool Initialize() override
    {
        Base::SetInitialized(true);
        return true;
    }
    void Release() override {}
};

template <class Base> void AddKind(const char* tag)
{
    Resources::System::GetInstance().AddDelegate(tag, [](const std::string& name)
                                                 { return std::make_unique<NamedOnly<Base>>(name); });
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    Fuzzing::SilenceLog();
    // Commands name GL constants ("GL_LESS", "GL_BACK", "GL_SRC_ALPHA", ...).
    FileParser parser;
    IParserData* constants = parser.Parse(MORVANE_OPENGL_CONSTANTS);
    Fuzzing::Require(constants != nullptr && ConstantManager::GetInstance().Parse(constants),
                     "the OpenGL constants load");
    AddKind<Graphics::Shader>("Shader");
    AddKind<Graphics::Texture>("Texture");
    AddKind<Graphics::FrameBuffer>("FrameBuffer");
    XMLParserData definitions;
    Fuzzing::Require(definitions.FromString(R"(<ResourceSystem><Shader name="Shader_Color"/>
        <Shader name="Shader_Debug"/><Texture name="Target"/><FrameBuffer name="Buffer"/></ResourceSystem>)") &&
                         Resources::System::GetInstance().Parse(&definitions),
                     "the named resources are defined");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    // A "path" reads another file from disk (any file, even an endless one); the file parser's own
    // target covers files.
    if (text.find("path") != std::string::npos)
    {
        return 0;
    }
    XMLParserData configuration;
    if (!configuration.FromString(text))
    {
        return 0;
    }
    Graphics::System& graphics = Graphics::System::GetInstance();
    graphics.Parse(&configuration);
    for (const std::unique_ptr<Graphics::Pass>& pass : graphics.GetPasses())
    {
        for (const auto& command : pass->GetCommands())
        {
            Fuzzing::Require(command != nullptr, "a pass holds only commands that were made");
        }
    }
    graphics.Release();
    Fuzzing::Require(graphics.GetPasses().empty() && graphics.GetDebugCamera() == nullptr,
                     "Release leaves no pass and no camera");
    return 0;
}
