#include "Behavior/GameLogic/GameLogic.h"

#include "Analytics/AnalyticsEvent.h"
#include "Analytics/AnalyticsSystem.h"
#include "Behavior/BehaviorSystem.h"
#include "Behavior/Button/Button.h"
#include "Behavior/CharacterController/CharacterController.h"
#include "Behavior/Credits/Credits.h"
#include "Behavior/Door/Door.h"
#include "Behavior/Editor/GameEditable.h"
#include "Behavior/FloatingObject/FloatingObject.h"
#include "Behavior/GameLogic/LevelWriter.h"
#include "Behavior/GameLogic/RenderSettings.h"
#include "Behavior/Looker/Looker.h"
#include "Behavior/MovingPlatform/MovingPlatform.h"
#include "Behavior/Other/Other.h"
#include "Behavior/ParticleSystem/ParticleSystem_ButtonToDoor.h"
#include "Behavior/RenderController/RenderController.h"
#include "Behavior/Trigger/Trigger.h"
#include "Behavior/Whale/Whale.h"
#include "Component/GameSystem.h"
#include "Component/Object.h"
#include "Component/TransformComponent.h"
#include "Files/FilesSystem.h"
#include "Graphics/GraphicsComponent.h"
#include "Graphics/GraphicsSystem.h"
#include "Graphics/TextGraphics/TextGraphics.h"
#include "Input/InputSystem.h"
#include "Parsing/FileParser/FileParser.h"
#include "Parsing/IParserData.h"
#include "Parsing/ParserDataUtilities/ParserDataUtilities.h"
#include "Parsing/XMLParserData/XMLParserData.h"
#include "Physics/CharacterPhysics/CharacterPhysics.h"
#include "Physics/PhysicsComponent.h"
#include "Physics/PhysicsSystem.h"
#include "Shape/AABB.h"
#include "Sound/AudioComponent.h"
#include "System/Assert/Assertion.h"
#include "System/Logging/Format.h"
#include "System/Logging/LoggingSystem.h"
#include "System/PathWrapper/PathWrapper.h"
#include "SystemManager/SystemManager.h"
#include "Window/WindowSystem.h"

#include <algorithm>
#include <cmath>
#include <glm/geometric.hpp>
#include <glm/gtc/quaternion.hpp>

using namespace Morvane;

namespace
{
const char* const kChannel = "GameLogic";
constexpr float kDegreesToRadians = 0.017453292f;
constexpr float kSunScale = 100.0f;
constexpr unsigned kRestartKey = 'R';
constexpr unsigned kPauseKey = 0x1B;
constexpr unsigned kFirstLevelKey = '1';
constexpr int kLevelCount = 6;

// Vectors whose numbers are all finite; anything else ("inf", "nan", "1e99") would poison the physics
// and the grid, so the default is used instead, with a warning.
template <class Vector>
Vector ReadFinite(const IParserData& element, const char* name, const Vector& defaultValue,
                  Vector (*convert)(const std::string&))
{
    const std::string text = element.GetAttribute(name, "");
    const Vector value = convert(text);
    for (int i = 0; i < Vector::length(); ++i)
    {
        if (!std::isfinite(value[i]))
        {
            Log::Warning(kChannel,
                         Format("Attribute '%s' of '%s' is not a finite vector: '%s'; the default is used",
                                name, element.GetName().c_str(), text.c_str()));
            return defaultValue;
        }
    }
    return value;
}

glm::vec3 ReadVec3(const IParserData& element, const char* name, const glm::vec3& defaultValue)
{
    return element.HasAttribute(name) ? ReadFinite(element, name, defaultValue, &ParserDataUtilities::ToVec3)
                                      : defaultValue;
}

glm::vec4 ReadVec4(const IParserData& element, const char* name, const glm::vec4& defaultValue)
{
    return element.HasAttribute(name) ? ReadFinite(element, name, defaultValue, &ParserDataUtilities::ToVec4)
                                      : defaultValue;
}

float ReadFloat(const IParserData& element, const char* name, float defaultValue)
{
    const float value = element.GetAttributeFloat(name, defaultValue);
    if (!std::isfinite(value))
    {
        Log::Warning(kChannel, Format("Attribute '%s' of '%s' is not a finite number; the default is used",
                                      name, element.GetName().c_str()));
        return defaultValue;
    }
    return value;
}

// "x;y;z;degrees" about the axis, normalised: a sheared object is never what a level means; a zero
// axis is no rotation.
glm::quat ToRotation(const glm::vec4& axisAngle)
{
    const glm::vec3 axis(axisAngle);
    if (glm::length(axis) == 0.0f)
    {
        return glm::quat(1.0f, 0.0f, 0.0f, 0.0f);
    }
    const float half = axisAngle.w * kDegreesToRadians * 0.5f;
    const glm::vec3 unit = glm::normalize(axis);
    return glm::quat(std::cos(half), unit * std::sin(half));
}

Game::TransformComponent& TransformOf(Game::Object& object)
{
    auto* transform = object.GetComponent<Game::TransformComponent>();
    MORVANE_ASSERT_NAMED(transform != nullptr, "objectTransform", __LINE__);
    return *transform;
}

Audio::Component& BackgroundMusic()
{
    Game::Object* music = Game::System::GetInstance().GetObject("BackgroundMusic");
    MORVANE_ASSERT_NAMED(music != nullptr, "backgroundMusic", __LINE__);
    auto* audio = music->GetComponent<Audio::Component>();
    MORVANE_ASSERT_NAMED(audio != nullptr, "audio", __LINE__);
    return *audio;
}

void Submit(const AnalyticsEvent& event)
{
    GameAnalytics::System::GetInstance().SubmitEvent(event);
}

const char* const kEditorChannel = "Editor";
const char* const kEditorSet = "BehaviorSet_Editor";
const char* const kLevelWatch = "GameLogic:Level";
// Tags whose objects the editor leaves alone: the player and the creatures move on their own, and a
// sound has nothing to pick.
const std::string_view kUneditableTags[] = {"Player", "Whale", "Other", "Audio"};

std::string LevelPath(int number)
{
    return Format("$(CurrentLevel)Levels/Level_%d.xml", number);
}

// Above the chasm, left of the shuttle's run: in sight from the start, never in the way.
const glm::vec3 kHeartPosition(-9.0f, 4.5f, -27.0f);
const glm::vec3 kLookerScale(8.575435f, 7.379056f, 8.229101f);
const glm::vec3 kLookerPositions[] = {{35.48729f, 7.777224f, -271.2155f},
                                      {-38.64666f, 7.777224f, -402.0202f},
                                      {-38.64666f, 7.777224f, -337.5409f},
                                      {-38.64666f, 7.777224f, -206.7361f},
                                      {35.48729f, 7.777224f, -206.7361f}};
} // namespace

const std::vector<GameLogic::LevelTag>& GameLogic::GetLevelTags()
{
    static const std::vector<LevelTag> tags = {
        {"Door", "Door.xml", "Door", "Door", kCommon, "archetype nextLevel", true, &GameLogic::DoorRule},
        {"Wall", "Wall.xml", "Wall", "Wall", kCommon, "archetype", true, &GameLogic::PlainRule},
        {"Floor", "Floor.xml", "Floor", "Floor", kCommon, "archetype", true, &GameLogic::PlainRule},
        {"Player", "Player.xml", "Player", "Player", kPosition | kRotation, "archetype yaw pitch", true,
         &GameLogic::PlayerRule},
        {"Button", "Button.xml", "Button", "Button", kCommon, "archetype activate", true,
         &GameLogic::ButtonRule},
        {"Activatable", "Activatable.xml", "", "Activatable", kCommon, "archetype activatableName", true,
         &GameLogic::ActivatableRule},
        {"Bouncer", "Bouncer.xml", "Bouncer", "Bouncer", kCommon, "archetype", true, &GameLogic::PlainRule},
        {"Jumper", "Jumper.xml", "Jumper", "Jumper", kCommon, "archetype", true, &GameLogic::PlainRule},
        {"Decorable", "Decorable.xml", "Decorable", "Decorable", kCommon, "archetype", false,
         &GameLogic::PlainRule},
        {"MovingPlatform", "MovingPlatform.xml", "MovingPlatform", "MovingPlatform", kCommon,
         "archetype movementSpeed A B", true, &GameLogic::MovingPlatformRule},
        {"WorldText", "WorldText.xml", "WorldText", "WorldText", kCommon,
         "archetype textureSize fontSize caption", false, &GameLogic::WorldTextRule},
        {"FloatingObject", "FloatingObject.xml", "FloatingObject", "FloatingObject", kCommon,
         "archetype pivot frecuency amplitude rotationSpeed", false, &GameLogic::FloatingObjectRule},
        {"Audio", "AudioInstance.xml", "AudioInstance", "Audio", kPosition,
         "archetype playLoop minDistance maxDistance volume sound", false, &GameLogic::AudioRule},
        {"Trigger", "Trigger.xml", "Trigger", "Trigger", kPosition | kScale, "archetype event", true,
         &GameLogic::TriggerRule},
        {"Other", "Other.xml", "Other", "Other", kCommon, "archetype", false, &GameLogic::OtherRule},
        {"Whale", "Whale.xml", "Whale", "Whale", kCommon, "archetype stopAtArrive", false,
         &GameLogic::WhaleRule},
        {"Sun", nullptr, "Sun", nullptr, 0, "pos fog skyColor sunColor ambient fogAmount attenuation", false,
         &GameLogic::SunRule},
        {"Skybox", nullptr, "Skybox", nullptr, 0, "texture", false, &GameLogic::SkyboxRule},
        {"CustomLoad", nullptr, "", "CustomLoad", 0, "id", false, &GameLogic::CustomLoadRule},
    };
    return tags;
}

bool GameLogic::IsEditable(const LevelTag& tag)
{
    return tag.archetype != nullptr && std::find(std::begin(kUneditableTags), std::end(kUneditableTags),
                                                 tag.tag) == std::end(kUneditableTags);
}

const GameLogic::LevelTag* GameLogic::FindLevelTag(std::string_view tag)
{
    const std::vector<LevelTag>& tags = GetLevelTags();
    const auto found =
        std::find_if(tags.begin(), tags.end(), [tag](const LevelTag& entry) { return tag == entry.tag; });
    return found == tags.end() ? nullptr : &*found;
}

bool GameLogic::Parse(const IParserData* data)
{
    const std::string level = data->GetAttribute("level", "");
    if (!level.empty())
    {
        LoadLevel(level);
    }
    if (data->GetAttributeBool("gameAnalytics", true))
    {
        GameAnalytics::System::GetInstance().Initialize();
    }
    return true;
}

bool GameLogic::Initialize()
{
    AnalyticsEvent test = AnalyticsEvent::Design("HeatMapTest:HeatMapTest_1");
    test.fields["area"] = "TEST_AREA";
    test.fields["x"] = Format("%.2f", 1.1234f);
    test.fields["y"] = Format("%.2f", 2.1234f);
    test.fields["z"] = Format("%.2f", 3.9876f);
    Submit(test);
    Input::System::GetInstance().SetCursorPosition(200, 200);
    m_levelTransition =
        Game::System::GetInstance().CreateObjectFromArchetype("LevelTransition", "LevelTransition.xml");
    if (m_levelTransition != nullptr)
    {
        m_levelTransitionName = m_levelTransition->GetName();
        // Orthographic cameras take the window's size, so the overlay covers it.
        const Window::System& window = Window::System::GetInstance();
        Graphics::System::GetInstance().OnResize(window.clientRect.Width(), window.clientRect.Height());
    }
    return true;
}

bool GameLogic::AreCreditsRunning() const
{
    const Game::Object* credits =
        m_finalCredits.empty() ? nullptr : Game::System::GetInstance().GetObject(m_finalCredits);
    const auto* behavior = credits != nullptr ? credits->GetComponent<Credits>() : nullptr;
    return behavior != nullptr && behavior->IsActive();
}

void GameLogic::Update(const float& dt)
{
    const Input::System& input = Input::System::GetInstance();
    // The credits take every key; none of them may restart, pause or leave the level under them.
    if (AreCreditsRunning())
    {
        UpdateTransition(dt);
        return;
    }
    if (input.IsTriggered(kRestartKey) && !IsInTransition())
    {
        Submit(MakeEvent("Brimora:GameLogic:Restart"));
        ChangeLevel(m_levelPath);
    }
    if (input.IsTriggered(kPauseKey))
    {
        Pause();
    }
    for (int number = 1; number <= kLevelCount; ++number)
    {
        if (input.IsTriggered(kFirstLevelKey + static_cast<unsigned>(number - 1)))
        {
            ChangeLevel(LevelPath(number));
        }
    }
    UpdateTransition(dt);
}

void GameLogic::Release()
{
    // By name: at shutdown the game system may have destroyed them already.
    Game::System& game = Game::System::GetInstance();
    DestroyLevelObjects();
    Files::System::GetInstance().RemoveWatch(kLevelWatch);
    for (const std::string& name : {m_finalCredits, m_levelTransitionName})
    {
        if (!name.empty())
        {
            game.MarkForDeletion(game.GetObject(name));
        }
    }
    m_finalCredits.clear();
    m_levelTransitionName.clear();
    m_levelTransition = nullptr;
}

bool GameLogic::LoadLevel(std::string path)
{
    FileParser parser;
    const IParserData* root = parser.Parse(PathWrapper::GetInstance().Expand(path));
    if (root == nullptr)
    {
        Log::Error(kChannel, Format("Could not load level '%s'", path.c_str()));
        return false;
    }
    m_levelPath = path;
    m_levelTree.reset(root->Clone());
    m_deletedElements.clear();
    m_unsavedEdits = false;
    ++m_levelLoads;
    Game::System& game = Game::System::GetInstance();
    if (!m_finalCredits.empty())
    {
        game.MarkForDeletion(game.GetObject(m_finalCredits));
        m_finalCredits.clear();
    }
    m_endingReached = false;
    m_sunFollowsCompanion = false;
    if (Other* companion = FindCompanion())
    {
        companion->SetSun(nullptr);
    }
    DestroyLevelObjects();
    // A level without a player must not leave the last one's name, nor a pause it can never end.
    m_playerName.clear();
    m_paused = false;
    std::size_t index = 0;
    for (const IParserData* child = m_levelTree->GetFirstChild(); child != nullptr;
         child = child->GetNextSibling(), ++index)
    {
        const std::string name = child->GetName();
        const LevelTag* tag = FindLevelTag(name);
        if (tag == nullptr)
        {
            Log::Error(kChannel, Format("Unidintified tag: '%s'", name.c_str()));
            continue;
        }
        PlaceElement(*tag, *child, index);
    }
    if (Other* companion = FindCompanion(); companion != nullptr && m_sunFollowsCompanion)
    {
        Game::Object* sun = game.GetObject("Sun");
        companion->SetSun(sun != nullptr ? sun->GetComponent<Game::TransformComponent>() : nullptr);
    }
    WatchPlayer();
    LinkButtonSparks();
    BuildPauseRoom();
    if (RenderController* controller = RenderController::Find())
    {
        controller->Apply(RenderSettings::GetInstance());
    }
    WatchLevel();
    Log::Info(kChannel, Format("Level loaded: '%s'", path.c_str()));
    Submit(MakeEvent("Brimora:GameLogic:Level_Load"));
    return true;
}

void GameLogic::WatchPlayer()
{
    // After every tag: a level may place its lookers before its player.
    Game::Object* player = FindPlayer();
    auto* watched = player != nullptr ? player->GetComponent<Game::TransformComponent>() : nullptr;
    Game::System& game = Game::System::GetInstance();
    for (const auto& [name, registeredTag] : m_levelObjects)
    {
        const Game::Object* object = name.empty() ? nullptr : game.GetObject(name);
        if (auto* looker = object != nullptr ? object->GetComponent<Looker>() : nullptr)
        {
            looker->SetWatched(watched);
        }
    }
}

void GameLogic::LinkButtonSparks(std::size_t firstObject)
{
    // After every tag: a button names its door before the level places it.
    Game::System& game = Game::System::GetInstance();
    const std::vector<std::pair<std::string, std::string>> placed(
        m_levelObjects.begin() + static_cast<std::ptrdiff_t>(std::min(firstObject, m_levelObjects.size())),
        m_levelObjects.end());
    for (const auto& [name, registeredTag] : placed)
    {
        Game::Object* object = registeredTag == "Button" ? game.GetObject(name) : nullptr;
        auto* button = object != nullptr ? object->GetComponent<Button>() : nullptr;
        Game::Object* door = button != nullptr ? game.GetObject(button->GetActivatableName()) : nullptr;
        if (door == nullptr || door->GetComponent<Door>() == nullptr)
        {
            continue;
        }
        Game::Object* sparks =
            game.CreateObjectFromArchetype("ParticleSystem_ButtonToDoor", "ParticleSystem_ButtonToDoor.xml");
        MORVANE_ASSERT_NAMED(sparks != nullptr, "object", __LINE__);
        Remember(sparks, "Unused");
        auto* behavior = sparks->GetComponent<ParticleSystem_ButtonToDoor>();
        MORVANE_ASSERT_NAMED(behavior != nullptr, "particleSystem", __LINE__);
        behavior->SetPath(ParticleSystem_ButtonToDoor::PathBetween(TransformOf(*object).GetPosition(),
                                                                   TransformOf(*door).GetPosition()));
        behavior->SetButton(button);
    }
}

void GameLogic::PlaceElement(const LevelTag& tag, const IParserData& element, std::size_t index)
{
    const std::size_t first = m_levelObjects.size();
    (this->*tag.rule)(tag, element);
    if (!IsEditable(tag) || first >= m_levelObjects.size() ||
        Behavior::System::GetInstance().FindSet(kEditorSet) == nullptr)
    {
        return;
    }
    Game::Object* object = Game::System::GetInstance().GetObject(m_levelObjects[first].first);
    if (object == nullptr)
    {
        return;
    }
    XMLParserData description("Behavior");
    description.SetAttribute("type", "BehaviorComponent_GameEditable");
    description.SetAttribute("behaviorSets", kEditorSet);
    auto* editable =
        dynamic_cast<GameEditable*>(Behavior::System::GetInstance().CreateComponent(object, &description));
    MORVANE_ASSERT_NAMED(editable != nullptr, "editable", __LINE__);
    if (editable == nullptr)
    {
        return;
    }
    object->AddComponent(editable);
    // The rule's other objects (a door's exit trigger, a button's companion trigger) travel with it.
    std::vector<std::string> followers;
    for (std::size_t made = first + 1; made < m_levelObjects.size(); ++made)
    {
        followers.push_back(m_levelObjects[made].first);
    }
    editable->SetSource(m_levelLoads, index, std::move(followers));
}

const IParserData* GameLogic::FindElement(std::size_t index) const
{
    const IParserData* child = m_levelTree != nullptr ? m_levelTree->GetFirstChild() : nullptr;
    for (std::size_t at = 0; child != nullptr && at < index; ++at)
    {
        child = child->GetNextSibling();
    }
    return child;
}

bool GameLogic::DeleteLevelObject(GameEditable& editable)
{
    // An object of the level before, which a reload in this frame is destroying anyway: its element
    // index means nothing in this one.
    if (editable.GetLevelLoad() != m_levelLoads)
    {
        return false;
    }
    Game::System& game = Game::System::GetInstance();
    for (const std::string& name : editable.GetFollowerNames())
    {
        game.MarkForDeletion(game.GetObject(name));
    }
    game.MarkForDeletion(editable.GetParentObject());
    m_deletedElements.insert(editable.GetElementIndex());
    m_unsavedEdits = true;
    return true;
}

Game::Object* GameLogic::RestoreLevelObject(std::size_t elementIndex, const std::string& oldName,
                                            const std::string& activatableName)
{
    const IParserData* element = FindElement(elementIndex);
    const LevelTag* tag = element != nullptr ? FindLevelTag(element->GetName()) : nullptr;
    if (tag == nullptr || m_deletedElements.erase(elementIndex) == 0)
    {
        return nullptr;
    }
    const std::size_t first = m_levelObjects.size();
    PlaceElement(*tag, *element, elementIndex);
    Game::System& game = Game::System::GetInstance();
    Game::Object* object =
        first < m_levelObjects.size() ? game.GetObject(m_levelObjects[first].first) : nullptr;
    if (object == nullptr)
    {
        return nullptr;
    }
    if (auto* button = object->GetComponent<Button>())
    {
        button->SetActivatableName(activatableName);
    }
    for (const auto& [name, registeredTag] : m_levelObjects)
    {
        const Game::Object* other = registeredTag == "Button" ? game.GetObject(name) : nullptr;
        auto* button = other != nullptr ? other->GetComponent<Button>() : nullptr;
        if (button != nullptr && button->GetActivatableName() == oldName)
        {
            button->SetActivatableName(object->GetName());
        }
    }
    LinkButtonSparks(first);
    m_unsavedEdits = true;
    return object;
}

bool GameLogic::SaveLevel()
{
    if (m_levelTree == nullptr || m_levelPath.empty())
    {
        Log::Error(kEditorChannel, Format("Could not save level '%s'", m_levelPath.c_str()));
        return false;
    }
    LevelEdits edits;
    edits.deleted = m_deletedElements;
    Game::System& game = Game::System::GetInstance();
    for (const auto& [name, registeredTag] : m_levelObjects)
    {
        const Game::Object* object = name.empty() ? nullptr : game.GetObject(name);
        const auto* editable = object != nullptr ? object->GetComponent<GameEditable>() : nullptr;
        const IParserData* element = editable != nullptr ? FindElement(editable->GetElementIndex()) : nullptr;
        if (element == nullptr || m_deletedElements.contains(editable->GetElementIndex()))
        {
            continue;
        }
        if (auto changed = editable->CollectEdits(*element); !changed.empty())
        {
            edits.attributes[editable->GetElementIndex()] = std::move(changed);
        }
    }
    if (!LevelWriter::Save(m_levelPath, *m_levelTree, edits))
    {
        return false;
    }
    m_unsavedEdits = false;
    // Our own write is not a change on disk to reload.
    WatchLevel();
    return true;
}

void GameLogic::WatchLevel()
{
    Files::System& files = Files::System::GetInstance();
    files.RemoveWatch(kLevelWatch);
    files.AddWatch(kLevelWatch, PathWrapper::GetInstance().Expand(m_levelPath),
                   [this](const std::string&) { OnLevelFileChanged(); });
}

void GameLogic::OnLevelFileChanged()
{
    if (m_unsavedEdits)
    {
        Log::Warning(kEditorChannel,
                     Format("Level '%s' changed on disk; unsaved edits kept", m_levelPath.c_str()));
        return;
    }
    LoadLevel(m_levelPath);
}

void GameLogic::DestroyLevelObjects()
{
    Game::System& game = Game::System::GetInstance();
    for (const auto& [name, registeredTag] : m_levelObjects)
    {
        game.MarkForDeletion(game.GetObject(name));
    }
    m_levelObjects.clear();
}

bool GameLogic::ChangeLevel(const std::string& path)
{
    if (IsInTransition())
    {
        return false;
    }
    m_nextLevel = path;
    m_transitionTime = 0.0f;
    // Clear for half a second, black at 1 s (the load), black to 1.5 s, clear again by 2 s.
    m_transitionKeys = {{0.0f, 0.0f}, {0.5f, 1.0f}, {1.0f, 1.0f}, {1.5f, 0.0f}};
    return true;
}

void GameLogic::UpdateTransition(float dt)
{
    if (m_transitionKeys.empty())
    {
        return;
    }
    Audio::Component& music = BackgroundMusic();
    MORVANE_ASSERT_NAMED(m_levelTransition != nullptr, "m_levelTransition", __LINE__);
    auto* overlay = m_levelTransition->GetComponent<Graphics::Component>();
    MORVANE_ASSERT_NAMED(overlay != nullptr, "myGraphics", __LINE__);

    m_transitionTime += dt;
    Key previous{0.0f, 0.0f};
    Key last{0.0f, 0.0f};
    for (const Key& key : m_transitionKeys)
    {
        if (key.time < m_transitionTime)
        {
            previous = last;
            last = key;
        }
    }
    const float span = last.time - previous.time;
    const float fraction = span == 0.0f ? 0.0f : (m_transitionTime - last.time) / span;
    const float fade = std::clamp(previous.value + (last.value - previous.value) * fraction, 0.0f, 1.0f);
    const float before = m_fade;
    m_fade = fade;
    if (before < 1.0f && fade == 1.0f)
    {
        LoadLevel(m_nextLevel);
        music.Stop();
    }
    if (before > 0.0f && fade == 0.0f)
    {
        m_transitionKeys.clear();
        // A level without music of its own leaves the player with silence, not an assertion.
        if (music.GetSound() != nullptr)
        {
            music.Play(true);
        }
    }
    overlay->SetDiffuseColor(glm::vec4(0.0f, 0.0f, 0.0f, fade));
    music.SetVolume(1.0f - fade);
}

void GameLogic::Pause()
{
    Game::Object* player = FindPlayer();
    if (m_paused || player == nullptr)
    {
        return;
    }
    Game::TransformComponent& transform = TransformOf(*player);
    m_pausedPosition = transform.GetPosition();
    transform.SetPosition(m_pauseOrigin + glm::vec3(0.0f, 1.0f, 0.0f));
    if (CharacterController* controller = FindPlayerController())
    {
        controller->Reanchor();
    }
    m_paused = true;
}

void GameLogic::Resume()
{
    Game::Object* player = FindPlayer();
    if (player != nullptr)
    {
        TransformOf(*player).SetPosition(m_pausedPosition);
        // Else the camera and the companion stay in the pause room.
        if (CharacterController* controller = FindPlayerController())
        {
            controller->Reanchor();
        }
    }
    m_paused = false;
}

void GameLogic::ReturnToMenu()
{
    SystemManager::GetInstance().pendingConfiguration = "$(ConfigurationFolder)Level_Menu.xml";
}

AnalyticsEvent GameLogic::MakeEvent(const std::string& eventId) const
{
    AnalyticsEvent event = AnalyticsEvent::Design(eventId);
    event.fields["area"] = m_levelPath;
    if (Game::Object* player = FindPlayer())
    {
        if (const auto* transform = player->GetComponent<Game::TransformComponent>())
        {
            const glm::vec3& position = transform->GetPosition();
            event.fields["x"] = Format("%.2f", position.x);
            event.fields["y"] = Format("%.2f", position.y);
            event.fields["z"] = Format("%.2f", position.z);
        }
    }
    return event;
}

void GameLogic::DescribePlace(AnalyticsEvent& event)
{
    const Game::Object* object = Game::System::GetInstance().GetObject(kObjectName);
    const GameLogic* logic = object != nullptr ? object->GetComponent<GameLogic>() : nullptr;
    if (logic == nullptr)
    {
        return;
    }
    const AnalyticsEvent place = logic->MakeEvent("");
    for (const char* field : {"area", "x", "y", "z"})
    {
        if (const auto found = place.fields.find(field); found != place.fields.end())
        {
            event.fields[field] = found->second;
        }
    }
}

Game::Object* GameLogic::FindPlayer() const
{
    return m_playerName.empty() ? nullptr : Game::System::GetInstance().GetObject(m_playerName);
}

CharacterController* GameLogic::FindPlayerController() const
{
    Game::Object* player = FindPlayer();
    return player != nullptr ? player->GetComponent<CharacterController>() : nullptr;
}

Other* GameLogic::FindCompanion() const
{
    const CharacterController* controller = FindPlayerController();
    return controller != nullptr ? controller->GetCompanion() : nullptr;
}

bool GameLogic::StartFinalCredits()
{
    if (m_endingReached)
    {
        return false;
    }
    m_endingReached = true;
    const Game::Object* credits =
        m_finalCredits.empty() ? nullptr : Game::System::GetInstance().GetObject(m_finalCredits);
    if (auto* behavior = credits != nullptr ? credits->GetComponent<Credits>() : nullptr)
    {
        behavior->Start();
    }
    return true;
}

Physics::Component* GameLogic::FindPlayerBody() const
{
    Game::Object* player = FindPlayer();
    return player != nullptr ? player->GetComponent<CharacterPhysics>() : nullptr;
}

void GameLogic::Remember(const Game::Object* object, const std::string& registeredTag)
{
    m_levelObjects.emplace_back(object != nullptr ? object->GetName() : "", registeredTag);
}

Game::Object* GameLogic::Place(const LevelTag& tag, const IParserData& element, const std::string& name)
{
    // A level may place a variant of a kind, keeping its rule: a gravity platform as a floor.
    const std::string archetype = element.GetAttribute("archetype", tag.archetype);
    Game::Object* object = Game::System::GetInstance().CreateObjectFromArchetype(name, archetype);
    MORVANE_ASSERT_NAMED(object != nullptr, "object", __LINE__);
    Remember(object, tag.registeredTag);
    const std::string_view kind(tag.tag);
    ApplyAttributes(*object, element, tag.attributes, kind == "WorldText" || kind == "Button");
    if (tag.box)
    {
        FitBox(*object);
    }
    return object;
}

Game::Object* GameLogic::Place(const LevelTag& tag, const IParserData& element)
{
    return Place(tag, element, tag.objectName);
}

void GameLogic::ApplyAttributes(Game::Object& object, const IParserData& element, unsigned attributes,
                                bool opaque) const
{
    Game::TransformComponent& transform = TransformOf(object);
    if ((attributes & kPosition) != 0 && element.HasAttribute("pos"))
    {
        transform.SetPosition(ReadVec3(element, "pos", glm::vec3(0.0f)));
    }
    if ((attributes & kScale) != 0 && element.HasAttribute("scale"))
    {
        transform.SetScale(ReadVec3(element, "scale", glm::vec3(1.0f)));
    }
    if ((attributes & kRotation) != 0 && element.HasAttribute("rotation"))
    {
        transform.SetRotation(ToRotation(ReadVec4(element, "rotation", glm::vec4(0.0f, 1.0f, 0.0f, 0.0f))));
    }
    if ((attributes & kColor) != 0 && element.HasAttribute("color"))
    {
        auto* graphics = object.GetComponent<Graphics::Component>();
        MORVANE_ASSERT_NAMED(graphics != nullptr, "objectGraphics", __LINE__);
        glm::vec4 color = ReadVec4(element, "color", glm::vec4(0.0f, 1.0f, 0.0f, 1.0f));
        if (opaque)
        {
            color.a = 1.0f;
        }
        graphics->SetDiffuseColor(color);
    }
}

void GameLogic::FitBox(Game::Object& object) const
{
    auto* body = object.GetComponent<Physics::Component>();
    MORVANE_ASSERT_NAMED(body != nullptr, "objectPhysics", __LINE__);
    auto* box = dynamic_cast<Physics::AABB*>(body->GetShape());
    MORVANE_ASSERT_NAMED(box != nullptr, "objectAABB", __LINE__);
    box->SetHalfSize(TransformOf(object).GetScale() * 0.5f);
    if (body->GetCategory() == Physics::Category::Static)
    {
        Physics::System::GetInstance().RefreshStaticBody(body);
    }
}

Game::Object* GameLogic::MakeTrigger(const std::string& name, const glm::vec3& position,
                                     const glm::vec3& scale, const std::string& registeredTag,
                                     std::function<void(Physics::Component& self)> onPlayer)
{
    Game::Object* object = Game::System::GetInstance().CreateObjectFromArchetype(name, "Trigger.xml");
    MORVANE_ASSERT_NAMED(object != nullptr, "object", __LINE__);
    Remember(object, registeredTag);
    Game::TransformComponent& transform = TransformOf(*object);
    transform.SetPosition(position);
    transform.SetScale(scale);
    FitBox(*object);
    auto* trigger = object->GetComponent<Trigger>();
    MORVANE_ASSERT_NAMED(trigger != nullptr, "trigger", __LINE__);
    auto* self = object->GetComponent<Physics::Component>();
    trigger->SetOnEnter(
        [this, self, onPlayer = std::move(onPlayer)](Physics::Component* other)
        {
            if (other != nullptr && other == FindPlayerBody())
            {
                onPlayer(*self);
            }
        });
    return object;
}

void GameLogic::PlainRule(const LevelTag& tag, const IParserData& element)
{
    Place(tag, element);
}

void GameLogic::DoorRule(const LevelTag& tag, const IParserData& element)
{
    // A door without a level must not take the other doors' level away: they would lead nowhere.
    const std::string nextLevel = element.GetAttribute("nextLevel", "");
    if (nextLevel.empty())
    {
        Log::Error(kChannel, "Could not get next level door");
        return;
    }
    m_nextLevel = nextLevel;
    Game::Object* door = Place(tag, element);
    const Game::TransformComponent& transform = TransformOf(*door);
    MakeTrigger("Trigger", transform.GetPosition(), transform.GetScale(), "NoSave",
                [this](Physics::Component&)
                {
                    // Only a change that starts is reported: a running fade ignores it.
                    if (!IsInTransition())
                    {
                        Submit(MakeEvent("Brimora:GameLogic:Level_Completed"));
                        ChangeLevel(m_nextLevel);
                    }
                });
}

void GameLogic::PlayerRule(const LevelTag& tag, const IParserData& element)
{
    Game::Object* player = Place(tag, element);
    m_playerName = player->GetName();
    auto* controller = player->GetComponent<CharacterController>();
    MORVANE_ASSERT_NAMED(controller != nullptr, "characterController", __LINE__);
    if (element.HasAttribute("yaw") || element.HasAttribute("pitch"))
    {
        // "yaw" is the polar angle from straight up, "pitch" the azimuth around it.
        controller->SetView(element.GetAttributeFloat("yaw", controller->GetPolar()),
                            element.GetAttributeFloat("pitch", controller->GetAzimuth()));
    }
    std::vector<glm::vec3> tipPoints;
    for (const IParserData* child = element.GetFirstChild(); child != nullptr;
         child = child->GetNextSibling())
    {
        tipPoints.push_back(ReadVec3(*child, "pos", glm::vec3(0.0f)));
    }
    controller->SetTipPoints(tipPoints);
}

void GameLogic::ButtonRule(const LevelTag& tag, const IParserData& element)
{
    Game::Object* object = Place(tag, element);
    auto* button = object->GetComponent<Button>();
    MORVANE_ASSERT_NAMED(button != nullptr, "button", __LINE__);
    const std::string activatable = element.GetAttribute("activate", "");
    button->SetActivatableName(activatable);
    Log::Info(kChannel, Format("Setting activatable: '%s'", activatable.c_str()));
    auto* floating = object->GetComponent<FloatingObject>();
    MORVANE_ASSERT_NAMED(floating != nullptr, "buttonFloating", __LINE__);
    const glm::vec3 position = TransformOf(*object).GetPosition();
    floating->SetPivot(position);
    MakeTrigger("ButtonOherTrigger", position, glm::vec3(1.0f), "Unused",
                [](Physics::Component& self)
                {
                    // Once: the trigger stops meeting anything.
                    self.SetCollidable(false);
                    Log::Info(kChannel, "Button trigger pressed");
                });
}

void GameLogic::ActivatableRule(const LevelTag& tag, const IParserData& element)
{
    const std::string requested = element.GetAttribute("activatableName", "");
    // A gate without a name still needs one to be found by; no button can name it.
    Game::Object* object = Place(tag, element, requested.empty() ? tag.tag : requested);
    // Only buttons placed before: the game system may have made the name unique ("Gate_002").
    Game::System& game = Game::System::GetInstance();
    for (const auto& [name, registeredTag] : m_levelObjects)
    {
        if (registeredTag != "Button")
        {
            continue;
        }
        const Game::Object* buttonObject = game.GetObject(name);
        auto* button = buttonObject != nullptr ? buttonObject->GetComponent<Button>() : nullptr;
        if (button != nullptr && !requested.empty() && button->GetActivatableName() == requested)
        {
            button->SetActivatableName(object->GetName());
        }
    }
}

void GameLogic::MovingPlatformRule(const LevelTag& tag, const IParserData& element)
{
    Game::Object* object = Place(tag, element);
    auto* platform = object->GetComponent<MovingPlatform>();
    MORVANE_ASSERT_NAMED(platform != nullptr, "movingPlatform", __LINE__);
    platform->Parse(&element);
}

void GameLogic::FloatingObjectRule(const LevelTag& tag, const IParserData& element)
{
    Game::Object* object = Place(tag, element);
    auto* floating = object->GetComponent<FloatingObject>();
    MORVANE_ASSERT_NAMED(floating != nullptr, "floating", __LINE__);
    // Floating about where the level puts it unless it names another pivot.
    floating->SetPivot(TransformOf(*object).GetPosition());
    floating->Parse(&element);
    // A floating platform's box takes its scale as every placed box does.
    auto* body = object->GetComponent<Physics::Component>();
    if (body != nullptr && dynamic_cast<Physics::AABB*>(body->GetShape()) != nullptr)
    {
        FitBox(*object);
    }
}

void GameLogic::WorldTextRule(const LevelTag& tag, const IParserData& element)
{
    Game::Object* object = Place(tag, element);
    auto* text = object->GetComponent<TextGraphics>();
    MORVANE_ASSERT_NAMED(text != nullptr, "objectGraphics", __LINE__);
    if (element.HasAttribute("textureSize"))
    {
        text->SetTextureSize(
            ParserDataUtilities::GetAttributeVec2(element, "textureSize", glm::vec2(512.0f)));
    }
    if (element.HasAttribute("fontSize"))
    {
        text->SetFontSize(ReadFloat(element, "fontSize", 0.0f));
    }
    text->SetCaption(element.GetAttribute("caption", ""));
}

void GameLogic::AudioRule(const LevelTag& tag, const IParserData& element)
{
    Game::Object* object = Place(tag, element);
    auto* audio = object->GetComponent<Audio::Component>();
    MORVANE_ASSERT_NAMED(audio != nullptr, "objectAudio", __LINE__);
    const std::string sound = element.GetAttribute("sound", "");
    if (!sound.empty())
    {
        audio->SetSound(sound);
    }
    if (element.HasAttribute("minDistance"))
    {
        audio->SetDistances(ReadFloat(element, "minDistance", 0.0f), ReadFloat(element, "maxDistance", 0.0f));
    }
    audio->SetVolume(ReadFloat(element, "volume", 1.0f));
    if (element.GetAttributeBool("playLoop", false) && audio->GetSound() != nullptr)
    {
        audio->Play(true);
    }
}

void GameLogic::TriggerRule(const LevelTag& tag, const IParserData& element)
{
    Game::Object* object = Place(tag, element);
    auto* trigger = object->GetComponent<Trigger>();
    MORVANE_ASSERT_NAMED(trigger != nullptr, "trigger", __LINE__);
    trigger->SetOnEnter(
        [this, event = element.GetAttribute("event", "")](Physics::Component* other)
        {
            if (other == nullptr || other != FindPlayerBody())
            {
                return;
            }
            Other* companion = FindCompanion();
            if (companion == nullptr)
            {
                Log::Warning(kChannel, Format("No companion takes the event '%s'", event.c_str()));
                return;
            }
            companion->OnEvent(event);
        });
}

void GameLogic::OtherRule(const LevelTag& tag, const IParserData& element)
{
    Game::Object* object = Place(tag, element);
    auto* other = object->GetComponent<Other>();
    MORVANE_ASSERT_NAMED(other != nullptr, "other", __LINE__);
    other->SetAmbient();
}

void GameLogic::WhaleRule(const LevelTag& tag, const IParserData& element)
{
    Game::Object* object = Place(tag, element);
    auto* whale = object->GetComponent<Whale>();
    MORVANE_ASSERT_NAMED(whale != nullptr, "whale", __LINE__);
    // Before the next update initialises it: the whale starts on the path read here.
    whale->Parse(&element);
}

void GameLogic::SunRule(const LevelTag&, const IParserData& element)
{
    Game::Object* sun = Game::System::GetInstance().GetObject("Sun");
    MORVANE_ASSERT_NAMED(sun != nullptr, "sunObject", __LINE__);
    auto* transform = sun->GetComponent<Game::TransformComponent>();
    MORVANE_ASSERT_NAMED(transform != nullptr, "transform", __LINE__);
    auto* graphics = sun->GetComponent<Graphics::Component>();
    MORVANE_ASSERT_NAMED(graphics != nullptr, "graphics", __LINE__);
    RenderSettings& settings = RenderSettings::GetInstance();
    if (element.HasAttribute("pos"))
    {
        transform->SetPosition(ReadVec3(element, "pos", glm::vec3(0.0f)));
        settings.fogColor = ReadVec3(element, "fog", glm::vec3(0.0f));
        settings.skyColor = ReadVec3(element, "skyColor", glm::vec3(0.0f));
        transform->SetScale(glm::vec3(kSunScale));
    }
    if (element.HasAttribute("sunColor"))
    {
        graphics->SetDiffuseColor(ReadVec4(element, "sunColor", glm::vec4(1.0f)));
    }
    settings.ambientColor = ReadVec3(element, "ambient", glm::vec3(0.0f));
    settings.fogAmount = ReadFloat(element, "fogAmount", 0.0f);
    settings.attenuation = ReadVec3(element, "attenuation", glm::vec3(0.0f));
}

void GameLogic::SkyboxRule(const LevelTag&, const IParserData& element)
{
    if (!element.HasAttribute("texture"))
    {
        return;
    }
    Game::Object* skybox = Game::System::GetInstance().GetObject("Skybox");
    auto* graphics = skybox != nullptr ? skybox->GetComponent<Graphics::Component>() : nullptr;
    if (graphics == nullptr)
    {
        Log::Warning(kChannel, "There is no 'Skybox' to take the level's sky texture");
        return;
    }
    graphics->SetTexture(element.GetAttribute("texture", ""));
}

void GameLogic::CustomLoadRule(const LevelTag& tag, const IParserData& element)
{
    Remember(nullptr, tag.registeredTag);
    const std::string id = element.GetAttribute("id", "");
    Game::System& game = Game::System::GetInstance();
    const auto make = [this, &game](const std::string& name, const std::string& archetype)
    {
        Game::Object* object = game.CreateObjectFromArchetype(name, archetype);
        MORVANE_ASSERT_NAMED(object != nullptr, "object", __LINE__);
        Remember(object, "Unused");
        return object;
    };
    const auto makeCredits = [this, &game](const std::string& archetype)
    {
        // Only the last credits a level names are kept: earlier ones would outlive every later level.
        if (!m_finalCredits.empty())
        {
            game.MarkForDeletion(game.GetObject(m_finalCredits));
        }
        Game::Object* credits = game.CreateObjectFromArchetype("Final_Credits", archetype);
        MORVANE_ASSERT_NAMED(credits != nullptr, "object", __LINE__);
        m_finalCredits = credits->GetName();
    };
    if (id == "Level_1.xml")
    {
        PlayMusic("Sound_Level1");
    }
    else if (id == "Level_2.xml")
    {
        PlayMusic("Sound_Level2");
    }
    else if (id == "Level_3.xml")
    {
        TransformOf(*make("Heart", "Heart.xml")).SetPosition(kHeartPosition);
        PlayMusic("Sound_Level3");
    }
    else if (id == "Level_4.xml")
    {
        for (const glm::vec3& position : kLookerPositions)
        {
            Game::TransformComponent& transform = TransformOf(*make("Looker", "Looker.xml"));
            transform.SetScale(kLookerScale);
            transform.SetPosition(position);
        }
        PlayMusic("Sound_Level2");
    }
    else if (id == "Level_5.xml")
    {
        PlayMusic("Sound_Level5");
        m_sunFollowsCompanion = true;
        makeCredits("FinalBadCredits.xml");
    }
    else if (id == "Level_6.xml")
    {
        make("FloorParticles", "ParticleSystem_Floor.xml");
        makeCredits("FinalGoodCredits.xml");
    }
}

// The pause room: a closed box 20 x 6 x 20 around the origin, floor top at its height. Walking onto
// "CONTINUE" resumes; "EXIT" opens the wall to the far corner, where "YES" returns to the menu.
namespace
{
struct Block
{
    glm::vec3 centre;
    glm::vec3 size;
};
const Block kPauseRoom[] = {
    {{0.0f, -0.5f, 0.0f}, {22.0f, 1.0f, 22.0f}}, {{0.0f, 6.5f, 0.0f}, {22.0f, 1.0f, 22.0f}},
    {{10.5f, 3.0f, 0.0f}, {1.0f, 6.0f, 20.0f}},  {{-10.5f, 3.0f, 0.0f}, {1.0f, 6.0f, 20.0f}},
    {{0.0f, 3.0f, 10.5f}, {20.0f, 6.0f, 1.0f}},  {{0.0f, 3.0f, -10.5f}, {20.0f, 6.0f, 1.0f}},
};
// Between the room and its "SURE?" corner (x beyond 6).
const Block kPauseBlock = {{6.0f, 3.0f, 0.0f}, {1.0f, 6.0f, 20.0f}};
struct Label
{
    const char* caption;
    glm::vec3 position;
    glm::vec2 textureSize;
};
const Label kPauseLabels[] = {
    {"PAUSE MENU", {0.0f, 4.5f, -9.9f}, {384.0f, 64.0f}}, {"CONTINUE", {-4.0f, 2.5f, -9.9f}, {313.0f, 64.0f}},
    {"EXIT", {4.0f, 2.5f, -9.9f}, {192.0f, 64.0f}},       {"SURE?", {8.0f, 4.5f, -9.9f}, {192.0f, 64.0f}},
    {"YES", {8.0f, 2.5f, -9.9f}, {128.0f, 64.0f}},        {"NO", {-4.0f, 1.2f, -9.9f}, {128.0f, 64.0f}},
};
const glm::vec3 kTriggerSize(2.0f, 1.0f, 2.0f);
const glm::vec3 kContinueTrigger(-4.0f, 0.5f, -4.0f);
const glm::vec3 kExitTrigger(4.0f, 0.5f, -4.0f);
const glm::vec3 kYesTrigger(8.0f, 0.5f, -4.0f);
} // namespace

void GameLogic::BuildPauseRoom()
{
    Game::System& game = Game::System::GetInstance();
    const auto wall = [&](const Block& block)
    {
        Game::Object* object = game.CreateObjectFromArchetype("Pause_Level", "Wall.xml");
        MORVANE_ASSERT_NAMED(object != nullptr, "object", __LINE__);
        Remember(object, "Discard");
        Game::TransformComponent& transform = TransformOf(*object);
        transform.SetPosition(m_pauseOrigin + block.centre);
        transform.SetScale(block.size);
        FitBox(*object);
        return object;
    };
    for (const Block& block : kPauseRoom)
    {
        wall(block);
    }
    m_pauseBlock = wall(kPauseBlock)->GetName();
    for (const Label& label : kPauseLabels)
    {
        Game::Object* object = game.CreateObjectFromArchetype("Pause_Level_Text", "WorldText.xml");
        MORVANE_ASSERT_NAMED(object != nullptr, "object", __LINE__);
        Remember(object, "Discard");
        Game::TransformComponent& transform = TransformOf(*object);
        transform.SetPosition(m_pauseOrigin + label.position);
        // A unit of height per 64 texels, the letters three quarters of the board's height.
        transform.SetScale(glm::vec3(label.textureSize / 128.0f, 1.0f));
        auto* text = object->GetComponent<TextGraphics>();
        MORVANE_ASSERT_NAMED(text != nullptr, "objectGraphics", __LINE__);
        text->SetTextureSize(label.textureSize);
        text->SetFontSize(label.textureSize.y * 0.75f);
        text->SetCaption(label.caption);
    }
    MakeTrigger("Pause_Level_Trigger", m_pauseOrigin + kContinueTrigger, kTriggerSize, "Discard",
                [this](Physics::Component&) { Resume(); });
    MakeTrigger("Pause_Level_Trigger", m_pauseOrigin + kYesTrigger, kTriggerSize, "Discard",
                [this](Physics::Component&) { ReturnToMenu(); });
    MakeTrigger("Pause_Level_Trigger", m_pauseOrigin + kExitTrigger, kTriggerSize, "Discard",
                [this](Physics::Component&)
                {
                    // By name: walking onto "EXIT" again finds nothing left to open.
                    Game::System& system = Game::System::GetInstance();
                    system.MarkForDeletion(system.GetObject(m_pauseBlock));
                });
}

void GameLogic::PlayMusic(const std::string& sound) const
{
    Audio::Component& music = BackgroundMusic();
    music.SetSound(sound);
    music.Play(true);
}
