#pragma once

#include "Physics/PhysicsComponent.h"
#include "Physics/RendererDebugDrawer.h"
#include "SpacePartitioning/Grid.h"
#include "SystemManager/ISystem.h"

#include <cstdint>
#include <vector>

namespace Morvane::Game
{
class Object;
}

namespace Morvane::Physics
{
// Moves every body once per frame: semi-implicit Euler, then contacts (dynamic bodies against each
// other, kinematic and static bodies; kinematic against kinematic and static), then one pass of
// positional correction and a restitution impulse per contact of each dynamic body. Static bodies
// sit in a uniform grid for the dynamic bodies' broad phase.
//
// Plugging in a game-side body: start-up installs `m_customComponentFactory`; a "Physics" element
// with a "type" attribute ("PhysicsComponent_<Class>") is created by it, one without becomes a plain
// Component. The factory only builds the object: Parse follows and registers it by category.
class System : public ISystem
{
public:
    using ComponentFactory = Component* (*)(Game::Object* owner, const IParserData* element);
    static constexpr float kCellSize = 50.0f;

    static System& GetInstance();

    // Switches the dynamic bodies' broad phase to the grid.
    bool Initialize() override;
    // One step; while paused, only the debug drawing.
    void Update(const float& dt) override;
    // Destroys every body and empties the lists and the grid.
    void Release() override;
    // Reads "debugDraw" (default false) from the system's element.
    bool Parse(IParserData* data) override;

    // A body for `owner` (from the custom factory when the element names a "type"), or null.
    // The object parses it; Parse registers it.
    Component* CreateComponent(Game::Object* owner, const IParserData* element);
    // A body of a kind data cannot name (a creature's segments), made in code for `owner`, which must
    // hold a transform: created, parsed from `description` (a "Physics" element's attributes, "type"
    // aside) and so registered, added to the owner's components and initialised. Null when parsing or
    // initialising fails (logged), with nothing left behind. The owner's release destroys it, or
    // DeleteComponent sooner.
    template <class Kind> Kind* CreateComponentInCode(Game::Object* owner, const IParserData& description)
    {
        return static_cast<Kind*>(AdoptComponent(new Kind(owner), description));
    }
    // Enters the body in its category's list (a static one also in the grid).
    void RegisterComponent(Component* component);
    // A static body moved or resized in code: its grid entry follows now, not at the next step.
    void RefreshStaticBody(Component* body);
    // After a body was moved or resized outside a step (the editor, with physics paused): its bounds,
    // grid cells and debug shape follow at once.
    void RefreshBody(Component* body);
    // Unregisters and destroys the body; other bodies' contacts with it lose their other body.
    void DeleteComponent(Component* component);

    // Edit mode and loading freeze every body.
    void SetPaused(bool paused) { m_paused = paused; }
    bool IsPaused() const { return m_paused; }
    void SetDebugDraw(bool debugDraw) { m_debugDraw = debugDraw; }
    bool GetDebugDraw() const { return m_debugDraw; }
    // The grid, or every static body, for the dynamic bodies' broad phase; the results are the same.
    void SetUseGrid(bool useGrid) { m_useGrid = useGrid; }
    bool GetUseGrid() const { return m_useGrid; }
    // Where debug geometry goes; null restores the renderer.
    void SetDebugDrawer(DebugDrawer* drawer)
    {
        m_debugDrawer = drawer != nullptr ? drawer : &m_rendererDrawer;
    }
    DebugDrawer& GetDebugDrawer() const { return *m_debugDrawer; }

    // Every body, in creation order.
    const std::vector<Component*>& GetComponents() const { return m_components; }
    const std::vector<Component*>& GetDynamicComponents() const { return m_dynamic; }
    const std::vector<Component*>& GetKinematicComponents() const { return m_kinematic; }
    const std::vector<Component*>& GetStaticComponents() const { return m_static; }
    const SpacePartitioning::Grid<Component>& GetGrid() const { return m_grid; }
    // Narrow-phase tests of the last step, for diagnostics.
    std::size_t GetNarrowPhaseCount() const { return m_narrowPhaseCount; }

    ComponentFactory m_customComponentFactory = nullptr;

private:
    System();
    ~System() override;

    Component* AdoptComponent(Component* component, const IParserData& description);
    void QueueDebugDrawing();
    void UpdateAllBounds();
    void FindContacts();
    void CollideIfAllowed(Component* a, Component* b);

    std::vector<Component*> m_components;
    std::vector<Component*> m_dynamic;
    std::vector<Component*> m_kinematic;
    std::vector<Component*> m_static;
    SpacePartitioning::Grid<Component> m_grid{glm::vec3(kCellSize)};
    RendererDebugDrawer m_rendererDrawer;
    DebugDrawer* m_debugDrawer = &m_rendererDrawer;
    // Gives static bodies their order in grid results: the order of the static list.
    std::uint64_t m_nextOrderKey = 1;
    std::size_t m_narrowPhaseCount = 0;
    bool m_debugDraw = false;
    bool m_useGrid = false;
    bool m_paused = false;
};
} // namespace Morvane::Physics
