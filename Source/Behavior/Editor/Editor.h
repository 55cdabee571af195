#pragma once

#include "Behavior/BehaviorComponent.h"
#include "Behavior/Editor/EditHistory.h"
#include "Behavior/Editor/PickRay.h"

#include <glm/vec2.hpp>
#include <glm/vec3.hpp>
#include <optional>
#include <string>
#include <vector>

namespace Morvane::Graphics
{
class Camera;
}
namespace Morvane::Game
{
class Object;
}
class GameEditable;
class GameLogic;

// The level editor, on the object "Editor": F1 switches between play and edit mode. Edit mode pauses
// gameplay and physics, shows the physics shapes, frees the mouse and flies its own camera (W, A, S,
// D; Alt + mouse turns). A left click picks the nearest editable object, a left drag on one of its
// three axis handles moves it along that axis (or scales it, in "Scale" mode; the right button
// switches), Delete removes it, Ctrl+Z takes the last change back and Ctrl+S saves the level.
class Editor : public Morvane::Behavior::Component
{
public:
    static constexpr unsigned kToggleKey = 0x70; // F1
    static constexpr unsigned kTurnKey = 0x12;   // Alt
    static constexpr unsigned kDeleteKey = 0x2E;
    static constexpr unsigned kControlKey = 0x11;
    static constexpr float kSpeed = 20.0f;
    static constexpr float kHandleSize = 0.25f;
    // How far beyond the object's box its handles sit.
    static constexpr float kHandleDistance = 0.5f;

    enum GizmoMode
    {
        kMove = 0,
        kScale = 1,
    };

    // The one editor, for editables to register with; null when there is none.
    static Editor* m_instance;

    explicit Editor(Morvane::Game::Object* owner) : Component(owner) {}

    // "camera" names the editor's own camera.
    bool Parse(const Morvane::IParserData* data) override;
    bool Save(Morvane::IParserData* data) override;
    // Finds "Cursor", makes the mode text and takes in the editables already made.
    bool Initialize() override;
    void Update(const float& dt) override;
    // Leaves edit mode and forgets the editables: they may outlive the editor.
    void Release() override;

    void SetEditMode(bool on);
    void Register(GameEditable* editable);
    void Unregister(GameEditable* editable);

    std::size_t GetEditableCount() const { return m_editables.size(); }

    // The nearest editable the ray meets, or null.
    GameEditable* Pick(const PickRay& ray) const;

private:
    struct Drag
    {
        int axis = 0;
        float grab = 0.0f;
        glm::vec3 startPosition{0.0f};
        glm::vec3 startScale{1.0f};
        bool startScaleEdited = false;
    };

    // The handle of the selection the ray meets (0 = x, 1 = y, 2 = z), or nothing.
    std::optional<int> PickHandle(const PickRay& ray) const;
    // Where the selection's handle along `axis` sits.
    glm::vec3 GetHandleCentre(int axis) const;
    // The ray through the cursor from the edit camera.
    PickRay CursorRay() const;
    glm::vec2 CursorPixel() const;
    void UpdateCamera(float dt);
    void UpdateCursor();
    void UpdateMouse();
    void UpdateDrag();
    void EndDrag();
    void UpdateKeys();
    void UpdateGizmos();
    void DeleteSelected();
    void Undo();
    void SaveLevel() const;
    void RefreshModeText();
    void ShowEditorObjects(bool visible) const;
    // A level load destroyed every editable: selection and history go with them.
    void ForgetLevel();
    void PlaceWorldCameras() const;

    std::string m_cameraName;
    Morvane::Graphics::Camera* m_camera = nullptr;
    Morvane::Game::Object* m_cursor = nullptr;
    std::string m_cursorName;
    Morvane::Game::Object* m_modeText = nullptr;
    std::string m_modeTextName;
    bool m_editMode = false;
    std::vector<GameEditable*> m_editables;
    GameEditable* m_selected = nullptr;
    int m_gizmoMode = kMove;
    std::vector<glm::vec2> m_gizmosPositions;
    int m_lastSelectedGizmoIndex = -1;
    std::optional<Drag> m_drag;
    EditHistory m_history;
    unsigned m_levelLoads = 0;
    float m_polar = 1.5707964f;
    float m_azimuth = -1.5707964f;
    int m_storedMouseX = 640;
    int m_storedMouseY = 400;
    // What edit mode paused, to give back exactly that: a loading screen may hold gameplay paused.
    bool m_gameplayWasPaused = false;
    bool m_physicsWasPaused = false;
    bool m_debugDrawWasOn = false;
    glm::vec3 m_worldUp{0.0f, 1.0f, 0.0f};
};
