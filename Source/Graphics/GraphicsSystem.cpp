#include "Graphics/GraphicsSystem.h"

#include "Component/ComponentRegistry.h"
#include "Component/Object.h"
#include "Font/Font.h"
#include "Graphics/DebugMeshes.h"
#include "Graphics/GraphicsComponent.h"
#include "Graphics/OpenGL.h"
#include "Parsing/FileParser/FileParser.h"
#include "Parsing/IParserData.h"
#include "Parsing/ReferencedFile/Sections.h"
#include "Renderable/Mesh.h"
#include "Resources/ResourceSystem.h"
#include "Shader/Shader.h"
#include "System/Logging/Format.h"
#include "System/Logging/LoggingSystem.h"
#include "System/Pass/Pass.h"
#include "System/PathWrapper/PathWrapper.h"
#include "Texture/FrameBuffer.h"
#include "Texture/Texture.h"
#include "Window/WindowSystem.h"

#include <SDL.h>
#include <algorithm>
#include <glm/ext/matrix_transform.hpp>

namespace Morvane::Graphics
{
namespace
{
const char* const kChannel = "Graphics System";
const char* const kUnnamedSet = "UNNAMED_SET";

template <class Kind> void RegisterKind(const char* tag)
{
    Resources::System::GetInstance().AddDelegate(
        tag,
        [](const std::string& name) -> std::unique_ptr<Resources::Resource>
        { return std::make_unique<Kind>(name); });
}

Game::Component* CreateForObject(Game::Object* owner, const IParserData* element)
{
    return System::GetInstance().CreateComponent(owner, element);
}

void DeleteForObject(Game::Component* component)
{
    System::GetInstance().DeleteComponent(static_cast<Component*>(component));
}

// Under EGL (SDL's offscreen driver) GLEW reports that it found no GLX display although it loaded
// every entry point; the context is usable when GL 4.5 is there.
bool GlewLoaded(GLenum code)
{
    return code == GLEW_OK || (code == GLEW_ERROR_NO_GLX_DISPLAY && GLEW_VERSION_4_5);
}
} // namespace

System& System::GetInstance()
{
    static System instance;
    return instance;
}

System::System()
{
    Game::ComponentRegistry::GetInstance().RegisterKind<Component>("Graphics", &CreateForObject,
                                                                   &DeleteForObject);
}

System::~System()
{
    Release();
}

bool System::Initialize()
{
    Release();
    if (!CreateContext())
    {
        return false;
    }
    if (!BuildDebugMeshes())
    {
        Log::Error(kChannel, "Could not initialize debug");
        Release();
        return false;
    }
    RegisterResourceKinds();
    SetVSync(true);
    glDisable(GL_LINE_SMOOTH);
    glDisable(GL_POLYGON_SMOOTH);
    glHint(GL_LINE_SMOOTH_HINT, GL_DONT_CARE);
    glHint(GL_POLYGON_SMOOTH_HINT, GL_DONT_CARE);
    m_smooth = false;
    Window::System::GetInstance().SetResizeHandler([this](int width, int height)
                                                   { OnResize(width, height); });
    return true;
}

bool System::CreateContext()
{
    m_window = Window::System::GetInstance().window;
    if (m_window == nullptr)
    {
        // SDL has no error numbers: the code is always 0 and SDL's text says what went wrong.
        Log::Error(kChannel, Format("Couldn't create an OpenGL context. [%d: %s]", 0, "No window"));
        return false;
    }
    m_context = SDL_GL_CreateContext(m_window);
    if (m_context == nullptr)
    {
        Log::Error(kChannel, Format("Couldn't create an OpenGL context. [%d: %s]", 0, SDL_GetError()));
        m_window = nullptr;
        return false;
    }
    if (SDL_GL_MakeCurrent(m_window, m_context) != 0)
    {
        Log::Error(kChannel, "Couldn't set the current context.");
        Release();
        return false;
    }
    glewExperimental = GL_TRUE;
    const GLenum code = glewInit();
    if (!GlewLoaded(code))
    {
        Log::Error(kChannel, reinterpret_cast<const char*>(glewGetErrorString(code)));
        Release();
        return false;
    }
    // GLEW's probing leaves an error behind.
    glGetError();
    return true;
}

bool System::BuildDebugMeshes()
{
    m_lineMesh = MakeDebugLineMesh();
    if (!m_lineMesh->Initialize())
    {
        Log::Error(kChannel, "Could not load debug line mesh");
        return false;
    }
    m_boxMesh = MakeDebugBoxMesh();
    if (!m_boxMesh->Initialize())
    {
        Log::Error(kChannel, "Could not load debug quad mesh");
        return false;
    }
    m_sphereMesh = MakeDebugSphereMesh();
    if (!m_sphereMesh->Initialize())
    {
        Log::Error(kChannel, "Could not load debug Sphere mesh");
        return false;
    }
    ClearDebugLists();
    return true;
}

void System::RegisterResourceKinds()
{
    // The resource system keeps delegates across its releases: once per process is enough.
    if (m_kindsRegistered)
    {
        return;
    }
    m_kindsRegistered = true;
    RegisterKind<Font>("Font");
    RegisterKind<Mesh>("Mesh");
    RegisterKind<Shader>("Shader");
    RegisterKind<Texture>("Texture");
    RegisterKind<FrameBuffer>("FrameBuffer");
}

void System::SetVSync(bool on)
{
    if (m_context == nullptr)
    {
        return;
    }
    if (!on)
    {
        SDL_GL_SetSwapInterval(0);
        m_vsync = false;
        return;
    }
    // Adaptive sync first (late frames tear rather than wait a whole refresh), then plain sync.
    if (SDL_GL_SetSwapInterval(-1) == 0 || SDL_GL_SetSwapInterval(1) == 0)
    {
        m_vsync = true;
        return;
    }
    Log::Warning(kChannel, Format("Vertical sync refused: %s", SDL_GetError()));
    m_vsync = false;
}

void System::Update(const float&)
{
    if (m_context == nullptr)
    {
        return;
    }
    m_uniformFeeder.BeginFrame();
    if (m_drawing)
    {
        for (const std::unique_ptr<Pass>& pass : m_passes)
        {
            if (pass->enabled)
            {
                pass->Execute();
            }
        }
    }
    if (m_frameHook)
    {
        m_frameHook();
    }
    // Shapes queued on a frame without a debug pass must not pile up into the next one.
    ClearDebugLists();
    SDL_GL_SwapWindow(m_window);
}

void System::ClearDebugLists()
{
    m_debugLines.Clear();
    m_debugBoxes.Clear();
    m_debugSpheres.Clear();
}

void System::Release()
{
    if (m_context != nullptr)
    {
        Window::System::GetInstance().SetResizeHandler({});
    }
    // Components first: each leaves the render sets as it goes.
    while (!m_components.empty())
    {
        DeleteComponent(m_components.back());
    }
    ClearPasses();
    m_renderSets.clear();
    m_cameras.clear();
    m_debugCamera = nullptr;
    m_lineMesh.reset();
    m_boxMesh.reset();
    m_sphereMesh.reset();
    ClearDebugLists();
    if (m_context != nullptr)
    {
        SDL_GL_MakeCurrent(m_window, nullptr);
        SDL_GL_DeleteContext(m_context);
        m_context = nullptr;
    }
    m_window = nullptr;
    m_vsync = false;
}

bool System::Parse(IParserData* data)
{
    if (data == nullptr)
    {
        return false;
    }
    // A "path" replaces the element with the file it names.
    if (data->HasAttribute("path"))
    {
        FileParser parser;
        return Parse(parser.Parse(PathWrapper::GetInstance().Expand(data->GetAttribute("path", ""))));
    }
    ClearPasses();
    return ParseChildren(data);
}

bool System::ParseChildren(IParserData* data)
{
    for (IParserData* child = data->GetFirstChild(); child != nullptr; child = child->GetNextSibling())
    {
        const std::string element = child->GetName();
        if (element == "Section")
        {
            if (!ParseChildren(child))
            {
                Log::Error(kChannel, Format("Could not parse section: '%s'", element.c_str()));
                return false;
            }
        }
        else if (element == "Set")
        {
            ParseSet(*child);
        }
        else if (element == "Camera")
        {
            ParseCamera(*child);
        }
        else if (element == "PassConfiguration")
        {
            ParsePassConfiguration(*child);
        }
        else
        {
            Log::Warning(kChannel, Format("Unknown parser element '%s'", element.c_str()));
        }
    }
    return true;
}

void System::ParseSet(const IParserData& element)
{
    std::string name = element.GetAttribute("name", "");
    if (name.empty())
    {
        Log::Warning(kChannel, "Creating an unnamed set");
        name = kUnnamedSet;
    }
    m_renderSets.try_emplace(name);
}

void System::ParseCamera(const IParserData& element)
{
    const std::string name = element.GetAttribute("name", "");
    if (m_cameras.contains(name))
    {
        Log::Error(kChannel, Format("Tried to create duplicated cameras '%s'", name.c_str()));
        return;
    }
    auto camera = std::make_unique<Camera>();
    if (!camera->Parse(&element))
    {
        Log::Error(kChannel, Format("Camera '%s' could not be created correctly form parser", name.c_str()));
        return;
    }
    if (element.GetAttributeBool("debugCamera", false))
    {
        m_debugCamera = camera.get();
    }
    // A camera read after the window took its size (a configuration switch, a full-screen start) would
    // otherwise keep the file's size until the next resize.
    const Window::ClientRect& client = Window::System::GetInstance().clientRect;
    if (camera->AdaptsToWindow() && client.Width() > 0 && client.Height() > 0)
    {
        camera->SetViewportSize(static_cast<float>(client.Width()), static_cast<float>(client.Height()));
    }
    m_cameras.emplace(name, std::move(camera));
}

void System::ParsePassConfiguration(IParserData& element)
{
    ForEachInSections(
        element,
        [this](IParserData& child)
        {
            if (child.GetName() != "Pass")
            {
                Log::Warning(kChannel, Format("Unknown parser element '%s'", child.GetName().c_str()));
                return true;
            }
            auto pass = std::make_unique<Pass>();
            if (pass->Parse(&child))
            {
                m_passes.push_back(std::move(pass));
            }
            return true;
        },
        [] {});
}

Pass* System::GetPass(const std::string& name) const
{
    const auto found =
        std::ranges::find_if(m_passes, [&](const auto& pass) { return pass->GetName() == name; });
    return found != m_passes.end() ? found->get() : nullptr;
}

void System::ClearPasses()
{
    m_passes.clear();
}

Component* System::CreateComponent(Game::Object* owner, const IParserData* data)
{
    Component* component = nullptr;
    if (data != nullptr && !data->GetAttribute("type", "").empty())
    {
        // The factory logs the types it does not know; without one nothing can be made.
        component = m_customComponentFactory != nullptr ? m_customComponentFactory(owner, data) : nullptr;
    }
    else
    {
        component = new Component(owner);
    }
    if (component != nullptr)
    {
        m_components.push_back(component);
    }
    return component;
}

void System::DeleteComponent(Component* component)
{
    if (component == nullptr)
    {
        return;
    }
    const auto found = std::ranges::find(m_components, component);
    if (found == m_components.end())
    {
        const Game::Object* owner = component->GetParentObject();
        Log::Error(kChannel, Format("Tried to delete an unregistered graphics component: '%s'",
                                    owner != nullptr ? owner->GetName().c_str() : ""));
        return;
    }
    m_components.erase(found);
    // Every occurrence: a component named twice for a set is in it twice.
    for (auto& [name, set] : m_renderSets)
    {
        std::erase(set, component);
    }
    Game::DestroyComponent(component);
}

std::vector<std::string> System::GetRenderSetsOf(const Component* component) const
{
    std::vector<std::string> names;
    for (const auto& [name, set] : m_renderSets)
    {
        if (std::ranges::find(set, component) != set.end())
        {
            names.push_back(name);
        }
    }
    return names;
}

Camera* System::GetCamera(const std::string& name) const
{
    const auto found = m_cameras.find(name);
    return found != m_cameras.end() ? found->second.get() : nullptr;
}

std::string System::GetCameraName(const Camera* camera) const
{
    const auto found =
        std::ranges::find_if(m_cameras, [camera](const auto& entry) { return entry.second.get() == camera; });
    return found != m_cameras.end() ? found->first : std::string();
}

System::RenderSet* System::GetRenderSet(const std::string& name)
{
    const auto found = m_renderSets.find(name);
    if (found == m_renderSets.end())
    {
        Log::Error(kChannel, Format("Tried to get unexistent render set '%s'", name.c_str()));
        return nullptr;
    }
    return &found->second;
}

bool System::AddToRenderSet(Component* component, const std::string& setName)
{
    const auto found = m_renderSets.find(setName);
    if (found == m_renderSets.end())
    {
        Log::Error(kChannel, Format("Set '%s' not found", setName.c_str()));
        return false;
    }
    found->second.push_back(component);
    return true;
}

void System::SortRenderSet(const std::string& name,
                           const std::function<bool(const Component*, const Component*)>& comesFirst)
{
    const auto found = m_renderSets.find(name);
    if (found == m_renderSets.end())
    {
        Log::Error(kChannel, Format("Could not find render set '%s'", name.c_str()));
        return;
    }
    std::ranges::stable_sort(found->second, comesFirst);
}

void System::DrawDebugLine(const glm::vec3& start, const glm::vec3& end, const glm::vec4& colour)
{
    if (m_context != nullptr)
    {
        m_debugLines.Add({start, end, colour});
    }
}

void System::DrawDebugBox(const glm::vec3& centre, const glm::vec3& size, const glm::vec4& colour)
{
    if (m_context != nullptr)
    {
        m_debugBoxes.Add({centre, size, colour});
    }
}

void System::DrawDebugSphere(const glm::vec3& centre, float radius, const glm::vec4& colour)
{
    if (m_context != nullptr)
    {
        m_debugSpheres.Add({centre, colour, radius});
    }
}

void System::DrawDebugShapes(Shader* shader)
{
    if (shader == nullptr || m_debugCamera == nullptr || m_context == nullptr)
    {
        return;
    }
    glUseProgram(shader->GetProgram());
    glLineWidth(5.0f);
    glPointSize(5.0f);
    // One world matrix and one set of draw values serve every entry.
    glm::mat4 world(1.0f);
    DrawValues values;
    values.world = &world;
    const auto draw =
        [&](Mesh& mesh, const glm::vec3& position, const glm::vec3& scale, const glm::vec4& colour)
    {
        world = glm::scale(glm::translate(glm::mat4(1.0f), position), scale);
        values.colour = colour;
        m_uniformFeeder.Feed(*shader, *m_debugCamera, values);
        mesh.Draw();
    };
    for (const DebugLine& line : m_debugLines.Entries())
    {
        draw(*m_lineMesh, line.start, line.end - line.start, line.colour);
    }
    for (const DebugBox& box : m_debugBoxes.Entries())
    {
        draw(*m_boxMesh, box.centre, box.size, box.colour);
    }
    for (const DebugSphere& sphere : m_debugSpheres.Entries())
    {
        draw(*m_sphereMesh, sphere.centre, glm::vec3(sphere.radius), sphere.colour);
    }
    glLineWidth(1.0f);
    glPointSize(1.0f);
    ClearDebugLists();
}

void System::OnResize(int width, int height)
{
    for (const auto& [name, camera] : m_cameras)
    {
        if (camera->AdaptsToWindow())
        {
            camera->SetViewportSize(static_cast<float>(width), static_cast<float>(height));
        }
    }
}
} // namespace Morvane::Graphics
