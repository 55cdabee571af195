#include "Behavior/Editor/Editor.h"

#include "Behavior/BehaviorSet.h"
#include "Behavior/BehaviorSystem.h"
#include "Behavior/Button/Button.h"
#include "Behavior/Editor/GameEditable.h"
#include "Behavior/GameLogic/GameLogic.h"
#include "Behavior/Options/Options.h"
#include "Component/GameSystem.h"
#include "Component/Object.h"
#include "Component/TransformComponent.h"
#include "Graphics/Camera.h"
#include "Graphics/GraphicsComponent.h"
#include "Graphics/GraphicsSystem.h"
#include "Graphics/TextGraphics/TextGraphics.h"
#include "Input/InputSystem.h"
#include "Parsing/IParserData.h"
#include "Physics/PhysicsSystem.h"
#include "Platform/KeyCodes.h"
#include "System/Assert/Assertion.h"
#include "System/Logging/Format.h"
#include "System/Logging/LoggingSystem.h"
#include "Window/WindowSystem.h"

#include <algorithm>
#include <cmath>
#include <glm/common.hpp>
#include <glm/geometric.hpp>
#include <glm/mat4x4.hpp>

using namespace Morvane;

Editor* Editor::m_instance = nullptr;

namespace
{
const char* const kChannel = "Editor";
const char* const kGameplaySet = "BehaviorSet_Gameplay";
const char* const kEditorSet = "BehaviorSet_Editor";
const char* const kWorldCamera = "Camera_World";
const char* const kEyeCameras[] = {"Camera_LeftEye", "Camera_RightEye"};
const char* const kModeNames[] = {"Move", "Scale"};
const glm::vec4 kHandleColours[] = {
    {1.0f, 0.2f, 0.2f, 1.0f}, {0.2f, 1.0f, 0.2f, 1.0f}, {0.3f, 0.4f, 1.0f, 1.0f}};
const glm::vec4 kSelectionColour(1.0f, 0.8f, 0.1f, 1.0f);
// The mode text: a small label in the top-right corner, one texel per pixel (the quad is twice its
// scale across), clear of the frame rate in the top-left one.
const glm::vec2 kModeTextSize(128.0f, 32.0f);
constexpr float kModeTextFontSize = 24.0f;
constexpr float kModeTextMargin = 8.0f;
// Short of the poles, where the view direction would be parallel to up.
constexpr float kMinimumPolar = 0.01f;
constexpr float kMaximumPolar = 3.1315928f;
// Mouse deltas are distances: one pixel turns as far at any frame rate.
constexpr float kRadiansPerPixel = 0.005f;
constexpr float kEnterStep = 0.016f;

glm::vec3 Axis(int axis)
{
    glm::vec3 unit(0.0f);
    unit[axis] = 1.0f;
    return unit;
}

// Down this frame or longer: a key held for a second moves the camera for the whole second.
bool IsDown(unsigned key)
{
    const Input::System& input = Input::System::GetInstance();
    return input.IsTriggered(key) || input.IsHeld(key);
}

GameLogic* FindGameLogic()
{
    const Game::Object* object = Game::System::GetInstance().GetObject(GameLogic::kObjectName);
    return object != nullptr ? object->GetComponent<GameLogic>() : nullptr;
}

Graphics::Component* GraphicsOf(const Game::Object* object)
{
    return object != nullptr ? object->GetComponent<Graphics::Component>() : nullptr;
}
} // namespace

bool Editor::Parse(const IParserData* data)
{
    m_cameraName = data->GetAttribute("camera", "");
    m_camera = Graphics::System::GetInstance().GetCamera(m_cameraName);
    if (m_camera == nullptr)
    {
        Log::Error(kChannel, Format("Could not find camera '%s'", m_cameraName.c_str()));
    }
    return true;
}

bool Editor::Save(IParserData* data)
{
    IParserData* element = data->AddChild("Behavior");
    element->SetAttribute("type", "BehaviorComponent_Editor");
    element->SetAttribute("camera", m_cameraName);
    return true;
}

bool Editor::Initialize()
{
    Game::System& game = Game::System::GetInstance();
    m_cursor = game.GetObject("Cursor");
    MORVANE_ASSERT_NAMED(m_cursor != nullptr, "m_cursor", __LINE__);
    m_modeText = game.CreateObjectFromArchetype("ModeText", "GUI_Text.xml");
    MORVANE_ASSERT_NAMED(m_modeText != nullptr, "m_modeText", __LINE__);
    if (m_cursor == nullptr || m_modeText == nullptr)
    {
        return false;
    }
    m_cursorName = m_cursor->GetName();
    m_modeTextName = m_modeText->GetName();
    if (auto* text = m_modeText->GetComponent<TextGraphics>())
    {
        text->SetFontSize(kModeTextFontSize);
        // On a dark plate: the sky behind it can be as bright as the text.
        text->SetBackColor(glm::vec4(0.0f, 0.0f, 0.0f, 0.6f));
        text->SetTextureSize(kModeTextSize);
    }
    m_instance = this;
    for (const Game::Object* object : game.GetObjectsInCreationOrder())
    {
        // Only those that took hold of their transform: the rest register when they initialise.
        auto* editable = object->GetComponent<GameEditable>();
        if (editable != nullptr && !game.IsAwaitingInitialization(object))
        {
            Register(editable);
        }
    }
    if (const GameLogic* logic = FindGameLogic())
    {
        m_levelLoads = logic->GetLevelLoads();
    }
    RefreshModeText();
    ShowEditorObjects(false);
    return true;
}

void Editor::Release()
{
    if (m_editMode)
    {
        SetEditMode(false);
    }
    m_editables.clear();
    m_selected = nullptr;
    m_drag.reset();
    Game::System& game = Game::System::GetInstance();
    game.MarkForDeletion(game.GetObject(m_modeTextName));
    m_modeText = nullptr;
    m_cursor = nullptr;
    if (m_instance == this)
    {
        m_instance = nullptr;
    }
}

void Editor::Register(GameEditable* editable)
{
    if (std::find(m_editables.begin(), m_editables.end(), editable) == m_editables.end())
    {
        m_editables.push_back(editable);
    }
}

void Editor::Unregister(GameEditable* editable)
{
    std::erase(m_editables, editable);
    if (m_selected == editable)
    {
        m_selected = nullptr;
        m_drag.reset();
        m_gizmosPositions.clear();
        m_lastSelectedGizmoIndex = -1;
    }
}

void Editor::SetEditMode(bool on)
{
    if (on == m_editMode)
    {
        return;
    }
    Behavior::System& behaviors = Behavior::System::GetInstance();
    Physics::System& physics = Physics::System::GetInstance();
    Input::System& input = Input::System::GetInstance();
    Graphics::Camera* world = Graphics::System::GetInstance().GetCamera(kWorldCamera);
    if (on)
    {
        const Behavior::BehaviorSet* gameplay = behaviors.FindSet(kGameplaySet);
        m_gameplayWasPaused = gameplay != nullptr && gameplay->IsPaused();
        m_physicsWasPaused = physics.IsPaused();
        m_debugDrawWasOn = physics.GetDebugDraw();
        behaviors.SetPaused(kGameplaySet, true);
        behaviors.SetPaused(kEditorSet, false);
        physics.SetPaused(true);
        physics.SetDebugDraw(true);
        if (world != nullptr && m_camera != nullptr)
        {
            m_worldUp = world->GetUp();
            m_camera->SetPosition(world->GetPosition());
            m_camera->SetTarget(world->GetTarget());
            const glm::vec3 offset = world->GetTarget() - world->GetPosition();
            if (glm::length(offset) > 0.0f)
            {
                const glm::vec3 direction = glm::normalize(offset);
                m_polar =
                    std::clamp(std::acos(std::clamp(direction.y, -1.0f, 1.0f)), kMinimumPolar, kMaximumPolar);
                m_azimuth = std::atan2(direction.z, direction.x);
            }
        }
        m_editMode = true;
        input.mouseLocked = false;
        input.SetCursorPosition(m_storedMouseX, m_storedMouseY);
        UpdateCamera(kEnterStep);
    }
    else
    {
        m_storedMouseX = input.mouseX;
        m_storedMouseY = input.mouseY;
        m_drag.reset();
        behaviors.SetPaused(kEditorSet, true);
        behaviors.SetPaused(kGameplaySet, m_gameplayWasPaused);
        physics.SetPaused(m_physicsWasPaused);
        physics.SetDebugDraw(m_debugDrawWasOn);
        if (world != nullptr)
        {
            world->SetUp(m_worldUp);
        }
        m_editMode = false;
        input.mouseLocked = true;
        input.SetCursorPosition(Input::System::kLockX, Input::System::kLockY);
    }
    RefreshModeText();
    ShowEditorObjects(on);
}

void Editor::Update(const float& dt)
{
    MORVANE_ASSERT_NAMED(m_camera != nullptr, "m_camera", __LINE__);
    if (m_camera == nullptr)
    {
        return;
    }
    if (const GameLogic* logic = FindGameLogic(); logic != nullptr && logic->GetLevelLoads() != m_levelLoads)
    {
        m_levelLoads = logic->GetLevelLoads();
        ForgetLevel();
    }
    const Input::System& input = Input::System::GetInstance();
    if (input.IsTriggered('F'))
    {
        Options& options = Options::GetInstance();
        options.SetFullScreen(!options.GetFullScreen());
    }
    if (input.IsTriggered(kToggleKey))
    {
        SetEditMode(!m_editMode);
    }
    if (!m_editMode)
    {
        return;
    }
    UpdateCursor();
    UpdateCamera(dt);
    UpdateMouse();
    UpdateKeys();
    UpdateGizmos();
}

void Editor::ForgetLevel()
{
    m_selected = nullptr;
    m_drag.reset();
    m_gizmosPositions.clear();
    m_lastSelectedGizmoIndex = -1;
    m_history.Clear();
}

glm::vec2 Editor::CursorPixel() const
{
    const Input::System& input = Input::System::GetInstance();
    return {static_cast<float>(input.mouseX), static_cast<float>(input.mouseY)};
}

PickRay Editor::CursorRay() const
{
    const Window::ClientRect& client = Window::System::GetInstance().clientRect;
    const glm::vec2 size(std::max(client.Width(), 1), std::max(client.Height(), 1));
    const glm::vec2 pixel = CursorPixel();
    const glm::vec2 device(pixel.x / size.x * 2.0f - 1.0f, 1.0f - pixel.y / size.y * 2.0f);
    return {m_camera->GetPosition(), m_camera->ScreenToWorldDirection(device)};
}

void Editor::UpdateCursor()
{
    m_cursor = Game::System::GetInstance().GetObject(m_cursorName);
    auto* transform = m_cursor != nullptr ? m_cursor->GetComponent<Game::TransformComponent>() : nullptr;
    const Graphics::Camera* gui = Graphics::System::GetInstance().GetCamera("Camera_GUI");
    if (transform == nullptr || gui == nullptr)
    {
        return;
    }
    glm::vec2 position;
    const glm::vec3 camera = gui->GetPosition();
    Input::System::GetInstance().GetMousePosition(position, glm::vec2(camera.x, camera.y),
                                                  gui->GetViewportSize());
    transform->SetPosition(glm::vec3(position, 0.0f));
}

void Editor::UpdateCamera(float dt)
{
    const Input::System& input = Input::System::GetInstance();
    if (input.IsHeld(kTurnKey))
    {
        m_polar = std::clamp(m_polar - static_cast<float>(input.mouseDeltaY) * kRadiansPerPixel,
                             kMinimumPolar, kMaximumPolar);
        m_azimuth += static_cast<float>(input.mouseDeltaX) * kRadiansPerPixel;
    }
    const glm::vec3 forward(std::cos(m_azimuth) * std::sin(m_polar), std::cos(m_polar),
                            std::sin(m_azimuth) * std::sin(m_polar));
    const glm::vec3 right = glm::normalize(glm::cross(forward, glm::vec3(0.0f, 1.0f, 0.0f)));
    // Ctrl+S saves: with Ctrl held the keys are commands, not flying.
    const bool flying = !IsDown(kControlKey);
    const auto axis = [flying](unsigned positive, unsigned negative)
    { return flying ? static_cast<float>(IsDown(positive)) - static_cast<float>(IsDown(negative)) : 0.0f; };
    glm::vec3 position = m_camera->GetPosition();
    position += (forward * axis('W', 'S') + right * axis('D', 'A')) * kSpeed * dt;
    m_camera->SetPosition(position);
    m_camera->SetTarget(position + forward);
    m_camera->SetUp(glm::vec3(0.0f, 1.0f, 0.0f));
    PlaceWorldCameras();
}

void Editor::PlaceWorldCameras() const
{
    Graphics::System& graphics = Graphics::System::GetInstance();
    Graphics::Camera* world = graphics.GetCamera(kWorldCamera);
    if (world != nullptr)
    {
        world->SetPosition(m_camera->GetPosition());
        world->SetTarget(m_camera->GetTarget());
        world->SetUp(m_camera->GetUp());
    }
    for (const char* name : kEyeCameras)
    {
        if (Graphics::Camera* eye = graphics.GetCamera(name))
        {
            eye->SetPosition(m_camera->GetPosition());
            eye->SetTarget(m_camera->GetTarget());
            eye->SetUp(m_camera->GetUp());
        }
    }
}

void Editor::UpdateMouse()
{
    const Input::System& input = Input::System::GetInstance();
    if (input.IsTriggered(Platform::VirtualKey::kRightButton))
    {
        m_gizmoMode = m_gizmoMode == kMove ? kScale : kMove;
        RefreshModeText();
    }
    if (input.IsTriggered(Platform::VirtualKey::kLeftButton))
    {
        const PickRay ray = CursorRay();
        if (const std::optional<int> handle = PickHandle(ray))
        {
            m_lastSelectedGizmoIndex = *handle;
            MORVANE_ASSERT_NAMED(static_cast<unsigned>(m_lastSelectedGizmoIndex) < m_gizmosPositions.size(),
                                 "(unsigned)m_lastSelectedGizmoIndex < m_gizmosPositions.size()", __LINE__);
            const std::optional<float> grab = ray.NearestOnLine(m_selected->GetPosition(), Axis(*handle));
            if (grab)
            {
                m_drag = Drag{*handle, *grab, m_selected->GetPosition(), m_selected->GetScale(),
                              m_selected->IsScaleEdited()};
            }
        }
        else
        {
            m_selected = Pick(ray);
            m_lastSelectedGizmoIndex = -1;
        }
    }
    if (m_drag && IsDown(Platform::VirtualKey::kLeftButton))
    {
        UpdateDrag();
    }
    else if (m_drag)
    {
        EndDrag();
    }
}

void Editor::UpdateDrag()
{
    if (m_selected == nullptr)
    {
        m_drag.reset();
        return;
    }
    const Drag& drag = *m_drag;
    const std::optional<float> along = CursorRay().NearestOnLine(drag.startPosition, Axis(drag.axis));
    if (!along)
    {
        return;
    }
    const float shift = *along - drag.grab;
    if (m_gizmoMode == kMove)
    {
        m_selected->SetPosition(drag.startPosition + Axis(drag.axis) * shift);
        return;
    }
    // The handle sits half the size plus kHandleDistance out: moving it by `shift` grows the size twice as
    // much.
    glm::vec3 scale = glm::abs(drag.startScale);
    scale[drag.axis] = std::max(scale[drag.axis] + 2.0f * shift, GameEditable::kMinimumScale);
    m_selected->SetScale(scale);
}

void Editor::EndDrag()
{
    const Drag drag = *m_drag;
    m_drag.reset();
    if (m_selected == nullptr)
    {
        return;
    }
    const glm::vec3 moved = m_selected->GetPosition() - drag.startPosition;
    const glm::vec3 scale = m_selected->GetScale();
    if (moved == glm::vec3(0.0f) && scale == drag.startScale)
    {
        return;
    }
    EditHistory::Change change;
    change.kind = EditHistory::Change::Kind::Transform;
    change.objectName = m_selected->GetParentObject()->GetName();
    change.moved = moved;
    change.scaleBefore = drag.startScale;
    change.scaleEditedBefore = drag.startScaleEdited;
    m_history.Push(std::move(change));
    if (GameLogic* logic = FindGameLogic())
    {
        logic->MarkEdited();
    }
}

void Editor::UpdateKeys()
{
    const Input::System& input = Input::System::GetInstance();
    if (input.IsTriggered(kDeleteKey))
    {
        DeleteSelected();
    }
    if (IsDown(kControlKey) && input.IsTriggered('Z'))
    {
        Undo();
    }
    if (IsDown(kControlKey) && input.IsTriggered('S'))
    {
        SaveLevel();
    }
}

void Editor::DeleteSelected()
{
    GameLogic* logic = FindGameLogic();
    if (m_selected == nullptr || logic == nullptr)
    {
        return;
    }
    GameEditable* editable = std::exchange(m_selected, nullptr);
    m_drag.reset();
    m_gizmosPositions.clear();
    m_lastSelectedGizmoIndex = -1;
    EditHistory::Change change;
    change.kind = EditHistory::Change::Kind::Delete;
    change.objectName = editable->GetParentObject()->GetName();
    change.elementIndex = editable->GetElementIndex();
    change.totalMoved = editable->GetMoved();
    change.scaleEdited = editable->IsScaleEdited();
    change.editedScale = editable->GetEditedScale();
    if (const auto* button = editable->GetParentObject()->GetComponent<Button>())
    {
        change.activatableName = button->GetActivatableName();
    }
    if (logic->DeleteLevelObject(*editable))
    {
        m_history.Push(std::move(change));
    }
}

void Editor::Undo()
{
    std::optional<EditHistory::Change> change = m_history.Pop();
    if (!change)
    {
        Log::Warning(kChannel, "Nothing to undo");
        return;
    }
    Game::System& game = Game::System::GetInstance();
    GameLogic* logic = FindGameLogic();
    if (change->kind == EditHistory::Change::Kind::Transform)
    {
        const Game::Object* object = game.GetObject(change->objectName);
        if (auto* editable = object != nullptr ? object->GetComponent<GameEditable>() : nullptr)
        {
            editable->SetPosition(editable->GetPosition() - change->moved);
            editable->RestoreScale(change->scaleBefore, change->scaleEditedBefore);
        }
    }
    else if (logic != nullptr)
    {
        Game::Object* object =
            logic->RestoreLevelObject(change->elementIndex, change->objectName, change->activatableName);
        if (auto* editable = object != nullptr ? object->GetComponent<GameEditable>() : nullptr)
        {
            editable->SetPosition(editable->GetPosition() + change->totalMoved);
            if (change->scaleEdited)
            {
                editable->SetScale(change->editedScale);
            }
            m_history.Rename(change->objectName, object->GetName());
        }
    }
    if (logic != nullptr)
    {
        logic->MarkEdited();
    }
}

void Editor::SaveLevel() const
{
    if (GameLogic* logic = FindGameLogic())
    {
        logic->SaveLevel();
        return;
    }
    Log::Error(kChannel, "Could not save level ''");
}

GameEditable* Editor::Pick(const PickRay& ray) const
{
    GameEditable* nearest = nullptr;
    float nearestDistance = PickRay::kReach;
    // Every listed editable is alive: each leaves the list as it is released. Those of a level a
    // reload has just replaced are no longer the level's.
    for (GameEditable* editable : m_editables)
    {
        if (editable->GetLevelLoad() != m_levelLoads)
        {
            continue;
        }
        const std::optional<float> distance = ray.Hit(editable->GetBoxMin(), editable->GetBoxMax());
        if (distance && *distance <= nearestDistance)
        {
            nearest = editable;
            nearestDistance = *distance;
        }
    }
    return nearest;
}

glm::vec3 Editor::GetHandleCentre(int axis) const
{
    const glm::vec3 position = m_selected != nullptr ? m_selected->GetPosition() : glm::vec3(0.0f);
    const glm::vec3 scale = m_selected != nullptr ? glm::abs(m_selected->GetScale()) : glm::vec3(0.0f);
    return position + Axis(axis) * (scale[axis] * 0.5f + kHandleDistance);
}

std::optional<int> Editor::PickHandle(const PickRay& ray) const
{
    if (m_selected == nullptr)
    {
        return std::nullopt;
    }
    std::optional<int> nearest;
    float nearestDistance = PickRay::kReach;
    const glm::vec3 half(kHandleSize * 0.5f);
    for (int axis = 0; axis < 3; ++axis)
    {
        const glm::vec3 centre = GetHandleCentre(axis);
        const std::optional<float> distance = ray.Hit(centre - half, centre + half);
        if (distance && *distance <= nearestDistance)
        {
            nearest = axis;
            nearestDistance = *distance;
        }
    }
    return nearest;
}

void Editor::UpdateGizmos()
{
    m_gizmosPositions.clear();
    if (m_selected == nullptr)
    {
        return;
    }
    Graphics::System& graphics = Graphics::System::GetInstance();
    graphics.DrawDebugBox(m_selected->GetPosition(), glm::abs(m_selected->GetScale()), kSelectionColour);
    const Window::ClientRect& client = Window::System::GetInstance().clientRect;
    const glm::mat4 viewProjection = m_camera->GetProjection() * m_camera->GetView();
    for (int axis = 0; axis < 3; ++axis)
    {
        const glm::vec3 centre = GetHandleCentre(axis);
        graphics.DrawDebugLine(m_selected->GetPosition(), centre, kHandleColours[axis]);
        graphics.DrawDebugBox(centre, glm::vec3(kHandleSize), kHandleColours[axis]);
        const glm::vec4 clip = viewProjection * glm::vec4(centre, 1.0f);
        const glm::vec2 device = clip.w != 0.0f ? glm::vec2(clip) / clip.w : glm::vec2(0.0f);
        m_gizmosPositions.emplace_back((device.x + 1.0f) * 0.5f * static_cast<float>(client.Width()),
                                       (1.0f - device.y) * 0.5f * static_cast<float>(client.Height()));
    }
}

void Editor::RefreshModeText()
{
    m_modeText = Game::System::GetInstance().GetObject(m_modeTextName);
    auto* text = m_modeText != nullptr ? m_modeText->GetComponent<TextGraphics>() : nullptr;
    if (text == nullptr)
    {
        return;
    }
    text->SetCaption(kModeNames[m_gizmoMode]);
    const Window::ClientRect& client = Window::System::GetInstance().clientRect;
    if (auto* transform = m_modeText->GetComponent<Game::TransformComponent>())
    {
        const glm::vec2 half = kModeTextSize * 0.5f;
        transform->SetScale(glm::vec3(half, 1.0f));
        transform->SetPosition(
            glm::vec3(static_cast<float>(client.Width()) * 0.5f - half.x - kModeTextMargin,
                      static_cast<float>(client.Height()) * 0.5f - half.y - kModeTextMargin, 0.0f));
    }
}

void Editor::ShowEditorObjects(bool visible) const
{
    Game::System& game = Game::System::GetInstance();
    for (const std::string& name : {m_cursorName, m_modeTextName})
    {
        if (Graphics::Component* graphics = GraphicsOf(game.GetObject(name)))
        {
            graphics->SetVisible(visible);
        }
    }
}
