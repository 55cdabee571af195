#pragma once

#include "Graphics/Camera.h"
#include "Graphics/DebugDrawList.h"
#include "Graphics/DebugShapes.h"
#include "Shader/UniformFeeder.h"
#include "SystemManager/ISystem.h"

namespace Morvane
{
class IParserData;
namespace Game
{
class Object;
}
} // namespace Morvane

#include <SDL_video.h>
#include <cstddef>
#include <functional>
#include <glm/vec3.hpp>
#include <glm/vec4.hpp>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace Morvane::Graphics
{
class Component;
class Mesh;
class Pass;
class Shader;

// The renderer ("GraphicsSystem" in the configuration): owns the OpenGL context on the window system's
// window, the named cameras and render sets, and the debug-draw lists, and registers the graphics
// resource kinds ("Mesh", "Shader", "Texture", "FrameBuffer") with the resource system. Starts after
// "Window", updates last, and is released after "ResourceSystem" and before "Window", so that every GL
// object is deleted while its context lives. Main thread only.
class System : public ISystem
{
public:
    using RenderSet = std::vector<Component*>;
    // Maps a uniform purpose text that is not an engine purpose to the game's id, or -1.
    using UniformIdentifier = int (*)(const std::string& purpose);
    // Builds the game's graphics kind named by the element's "type", or null (logged by the factory).
    using ComponentFactory = Component* (*)(Game::Object* owner, const IParserData* data);

    static constexpr std::size_t kDebugListCapacity = 1000;

    static System& GetInstance();

    // Creates the context (4.5 core), loads GL, builds the debug meshes, registers the resource kinds,
    // asks for vertical sync and switches smoothing off. Begins with Release.
    bool Initialize() override;
    // Runs every enabled pass and swaps; the debug lists are emptied whether they were drawn or not.
    void Update(const float& dt) override;
    // Destroys components, passes, cameras, sets and debug meshes, then the context.
    void Release() override;
    // Reads a "GraphicsSystem" element (or the file its "path" names): "Section", "Set", "Camera" and
    // "PassConfiguration". The passes read replace the previous ones, which may name resources of a
    // configuration that has been released since.
    bool Parse(IParserData* data) override;

    // A base component, or the game's kind when the element has a "type"; null when none was made.
    Component* CreateComponent(Game::Object* owner, const IParserData* data);
    // Takes the component out of every render set (each occurrence), releases and destroys it.
    void DeleteComponent(Component* component);
    const std::vector<Component*>& GetComponents() const { return m_components; }
    // The names of the sets that hold the component, in set order.
    std::vector<std::string> GetRenderSetsOf(const Component* component) const;

    // The first pass of that name, or null.
    Pass* GetPass(const std::string& name) const;
    const std::vector<std::unique_ptr<Pass>>& GetPasses() const { return m_passes; }
    // Drops every pass and its commands.
    void ClearPasses();
    // Called after the last pass, before the swap, while the frame is still in the back buffer.
    void SetFrameHook(std::function<void()> hook) { m_frameHook = std::move(hook); }
    // While false, Update runs no pass (the frame is not drawn) but still swaps and empties the lists.
    void SetDrawing(bool drawing) { m_drawing = drawing; }

    bool HasContext() const { return m_context != nullptr; }

    Camera* GetCamera(const std::string& name) const;
    // Every camera by name.
    const std::map<std::string, std::unique_ptr<Camera>>& GetCameras() const { return m_cameras; }
    // The name the camera was declared with; empty for an unknown camera.
    std::string GetCameraName(const Camera* camera) const;
    Camera* GetDebugCamera() const { return m_debugCamera; }

    // The set's components in drawing order, or null (logged) for an unknown set.
    RenderSet* GetRenderSet(const std::string& name);
    bool AddToRenderSet(Component* component, const std::string& setName);
    void SortRenderSet(const std::string& name,
                       const std::function<bool(const Component*, const Component*)>& comesFirst);

    // Each queues one shape for this frame's debug pass; beyond 1000 of a kind per frame, or while the
    // system has no context, the call is dropped quietly.
    void DrawDebugLine(const glm::vec3& start, const glm::vec3& end, const glm::vec4& colour);
    void DrawDebugBox(const glm::vec3& centre, const glm::vec3& size, const glm::vec4& colour);
    void DrawDebugSphere(const glm::vec3& centre, float radius, const glm::vec4& colour);
    // Draws the queued shapes with `shader` through the debug camera, then empties the lists. Nothing
    // is drawn without a shader or a debug camera.
    void DrawDebugShapes(Shader* shader);
    std::size_t GetDebugLineCount() const { return m_debugLines.Entries().size(); }
    std::size_t GetDebugBoxCount() const { return m_debugBoxes.Entries().size(); }
    std::size_t GetDebugSphereCount() const { return m_debugSpheres.Entries().size(); }

    // Adapts every camera that follows the window to the new client size.
    void OnResize(int width, int height);
    // Asks for synchronised swaps (adaptive first, then plain) or none; IsVSync says what was accepted.
    void SetVSync(bool on);
    bool IsVSync() const { return m_vsync; }
    // Line and polygon smoothing; off from initialisation on.
    bool IsSmooth() const { return m_smooth; }

    // Feeds engine purposes to every draw of this frame (debug shapes, graphics components).
    UniformFeeder& GetUniformFeeder() { return m_uniformFeeder; }

    // Installed by main before the systems start.
    UniformIdentifier m_customUniformIdentifier = nullptr;
    ComponentFactory m_customComponentFactory = nullptr;

private:
    System();
    ~System() override;

    bool CreateContext();
    bool BuildDebugMeshes();
    void RegisterResourceKinds();
    bool ParseChildren(IParserData* data);
    void ParseSet(const IParserData& element);
    void ParseCamera(const IParserData& element);
    void ParsePassConfiguration(IParserData& element);
    void ClearDebugLists();

    std::vector<Component*> m_components;
    std::vector<std::unique_ptr<Pass>> m_passes;
    std::map<std::string, RenderSet> m_renderSets;
    std::map<std::string, std::unique_ptr<Camera>> m_cameras;
    SDL_Window* m_window = nullptr;
    SDL_GLContext m_context = nullptr;
    bool m_vsync = false;
    bool m_smooth = false;
    DebugDrawList<DebugLine, kDebugListCapacity> m_debugLines;
    DebugDrawList<DebugBox, kDebugListCapacity> m_debugBoxes;
    DebugDrawList<DebugSphere, kDebugListCapacity> m_debugSpheres;
    std::unique_ptr<Mesh> m_lineMesh;
    std::unique_ptr<Mesh> m_boxMesh;
    std::unique_ptr<Mesh> m_sphereMesh;
    Camera* m_debugCamera = nullptr;
    bool m_kindsRegistered = false;
    UniformFeeder m_uniformFeeder;
    std::function<void()> m_frameHook;
    bool m_drawing = true;
};
} // namespace Morvane::Graphics
