#include "Behavior/Menu/Menu.h"

#include "Behavior/Menu/CreditsList.h"
#include "Behavior/Menu/MenuButton.h"
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
#include "Platform/KeyCodes.h"
#include "Platform/WebAddress.h"
#include "Sound/AudioComponent.h"
#include "System/Logging/Format.h"
#include "System/Logging/LoggingSystem.h"
#include "System/PathWrapper/PathWrapper.h"
#include "SystemManager/SystemManager.h"

#include <algorithm>
#include <cmath>
#include <glm/vec3.hpp>
#include <glm/vec4.hpp>

using namespace Morvane;
using Morvane::Platform::VirtualKey::kBack;
using Morvane::Platform::VirtualKey::kDown;
using Morvane::Platform::VirtualKey::kEscape;
using Morvane::Platform::VirtualKey::kReturn;
using Morvane::Platform::VirtualKey::kSpace;
using Morvane::Platform::VirtualKey::kUp;

namespace
{
const char* const kChannel = "Menu";
const char* const kStartPage = "START";
const char* const kOptionsPage = "OPTIONS";
const char* const kCreditsPage = "CREDITS";
const char* const kButtonArchetype = "Menu/Button.xml";
const char* const kNewGame = "$(ConfigurationFolder)Level_Test.xml";
const char* const kCredits = "$(ConfigurationFolder)Credits.xml";

// The camera looks a little above the ground at the middle of the scene.
constexpr float kTargetHeight = 4.0f;
constexpr float kBobHeight = 1.5f;
constexpr float kBobSpeed = 0.21f;

// Layout, in fractions of the GUI view's height (and its width for columns), so that the menu keeps
// its look in any window and in full screen.
constexpr float kButtonHalfWidth = 0.32f;
constexpr float kButtonHalfHeight = 0.04f;
constexpr float kRowSpacing = 0.085f;
constexpr float kFirstRow = 0.2f;
constexpr float kLeftMargin = 0.08f;
constexpr float kColumnWidth = 0.42f;
constexpr float kTitleSize = 1.8f;

const glm::vec4 kHeadingColour{0.2f, 0.42f, 0.88f, 1.0f};
const glm::vec4 kPlainColour{0.86f, 0.88f, 0.92f, 1.0f};

std::string YesNo(const char* name, bool on)
{
    return Format("%s: %s", name, on ? "Yes" : "No");
}

std::function<std::string()> Fixed(const std::string& caption)
{
    return [caption] { return caption; };
}

struct KeyBinding
{
    unsigned keys[2];
    std::uint16_t padButton;
};

const KeyBinding kUpKeys{{kUp, 'W'}, Input::GamepadButton::kDpadUp};
const KeyBinding kDownKeys{{kDown, 'S'}, Input::GamepadButton::kDpadDown};
const KeyBinding kPressKeys{{kReturn, kSpace}, Input::GamepadButton::kA};
const KeyBinding kBackKeys{{kEscape, kBack}, Input::GamepadButton::kB};

const Input::Joystick* FirstPad()
{
    const Input::Joystick* pad = Input::System::GetInstance().GetJoystick(0);
    return pad != nullptr && pad->connected ? pad : nullptr;
}

bool IsTriggered(const KeyBinding& binding)
{
    const Input::System& input = Input::System::GetInstance();
    const Input::Joystick* pad = FirstPad();
    return input.IsTriggered(binding.keys[0]) || input.IsTriggered(binding.keys[1]) ||
           (pad != nullptr && pad->IsButtonTriggered(binding.padButton));
}

bool IsDown(const KeyBinding& binding)
{
    const Input::System& input = Input::System::GetInstance();
    const Input::Joystick* pad = FirstPad();
    const auto down = [&input](unsigned key) { return input.IsTriggered(key) || input.IsHeld(key); };
    return down(binding.keys[0]) || down(binding.keys[1]) ||
           (pad != nullptr && (pad->state.buttons & binding.padButton) != 0);
}
} // namespace

bool Menu::Save(IParserData* data)
{
    data->AddChild("Behavior")->SetAttribute("type", "BehaviorComponent_Menu");
    return true;
}

bool Menu::Initialize()
{
    Game::System& game = Game::System::GetInstance();
    if (Game::Object* skybox = game.GetObject("Skybox"))
    {
        if (auto* graphics = skybox->GetComponent<Graphics::Component>())
        {
            graphics->SetTexture("Texture_Skybox_2");
            graphics->SetDiffuseColor(glm::vec4(1.0f));
        }
    }
    else
    {
        Log::Warning(kChannel, "There is no 'Skybox' behind the menu");
    }
    if (const Game::Object* cursor = game.GetObject("Cursor"))
    {
        m_cursor = cursor->GetComponent<Game::TransformComponent>();
        m_cursorGraphics = cursor->GetComponent<Graphics::Component>();
    }
    else
    {
        Log::Warning(kChannel, "There is no 'Cursor': the menu takes keys and pads only");
    }
    const Graphics::System& graphics = Graphics::System::GetInstance();
    m_worldCamera = graphics.GetCamera("Camera_World");
    m_guiCamera = graphics.GetCamera("Camera_GUI");
    if (m_worldCamera == nullptr || m_guiCamera == nullptr)
    {
        Log::Warning(kChannel, "The menu needs the cameras 'Camera_World' and 'Camera_GUI'");
    }
    m_audio = GetParentObject()->GetComponent<Audio::Component>();

    m_entries.clear();
    CreateStartPage();
    CreateOptionsPage();
    CreateCreditsPage();
    RefreshCaptions();
    return true;
}

Menu::Entry* Menu::AddButton(const std::string& objectName, const std::string& page, Caption caption,
                             std::function<void()> action, int column, int row)
{
    Game::Object* object =
        Game::System::GetInstance().CreateObjectFromArchetype(objectName, kButtonArchetype);
    auto* button = object != nullptr ? object->GetComponent<MenuButton>() : nullptr;
    if (button == nullptr)
    {
        Log::Warning(kChannel, Format("The menu button '%s' could not be made from '%s'", objectName.c_str(),
                                      kButtonArchetype));
        return nullptr;
    }
    button->SetPage(page);
    button->SetAction(std::move(action));
    button->SetFocusRequest([this](MenuButton& requested) { Focus(&requested, true); });
    Entry& entry = m_entries.emplace_back();
    entry.button = button;
    entry.text = object->GetComponent<TextGraphics>();
    entry.transform = object->GetComponent<Game::TransformComponent>();
    entry.caption = std::move(caption);
    entry.column = column;
    entry.row = row;
    return &entry;
}

void Menu::CreateStartPage()
{
    if (Entry* title = AddButton("Title", kStartPage, Fixed("Brimora"), nullptr, 0, 0))
    {
        title->size = kTitleSize;
        title->button->SetColours(glm::vec4(1.0f), glm::vec4(1.0f), glm::vec4(1.0f));
    }
    AddButton(
        "Start", kStartPage, Fixed("New game"),
        []
        { SystemManager::GetInstance().pendingConfiguration = PathWrapper::GetInstance().Expand(kNewGame); },
        0, 2);
    AddButton(
        "Options", kStartPage, Fixed("Options"), [this] { SetPage(kOptionsPage); }, 0, 3);
    AddButton(
        "Credits", kStartPage, Fixed("Credits"), [this] { SetPage(kCreditsPage); }, 0, 4);
    AddButton(
        "Exit", kStartPage, Fixed("Exit"), [] { SystemManager::GetInstance().quit = true; }, 0, 5);
}

void Menu::CreateOptionsPage()
{
    struct OptionButton
    {
        const char* objectName;
        std::string (*caption)(const Options&);
        void (*click)(Options&);
    };
    static const OptionButton kOptionButtons[] = {
        {"Option_FullScreen", [](const Options&) { return std::string("Switch full screen"); },
         [](Options& options) { options.SetFullScreen(!options.GetFullScreen()); }},
        {"Option_Volume",
         [](const Options& options) { return Format("Volume: %d", options.GetVolumeTenths()); },
         [](Options& options)
         { options.SetVolume(static_cast<float>((1 + options.GetVolumeTenths()) % 11) / 10.0f); }},
        {"Option_Quality",
         [](const Options& options) { return Format("Quality: %s", options.GetRenderQualityName()); },
         [](Options& options)
         { options.SetRenderQuality(Options::NextRenderQuality(options.GetRenderQuality())); }},
        {"Option_Fxaa", [](const Options& options) { return YesNo("FXAA", options.GetFxaa()); },
         [](Options& options) { options.SetFxaa(!options.GetFxaa()); }},
        {"Option_VSync", [](const Options& options) { return YesNo("VSYNC", options.GetVerticalSync()); },
         [](Options& options) { options.SetVerticalSync(!options.GetVerticalSync()); }},
        {"Option_InvertY", [](const Options& options) { return YesNo("Invert Y", options.GetInvertY()); },
         [](Options& options) { options.SetInvertY(!options.GetInvertY()); }},
        {"Option_Sensitivity",
         [](const Options& options) { return Format("Sensitivity: %d", options.GetMouseSensitivity()); },
         [](Options& options) { options.SetMouseSensitivity(options.GetMouseSensitivity() % 10 + 1); }},
    };
    int row = 0;
    for (const OptionButton& option : kOptionButtons)
    {
        AddButton(
            option.objectName, kOptionsPage, [&option] { return option.caption(Options::GetInstance()); },
            [this, &option]
            {
                option.click(Options::GetInstance());
                RefreshCaptions();
            },
            0, row++);
    }
    AddButton(
        "Back", kOptionsPage, Fixed("Back"), [this] { SetPage(kStartPage); }, 0, row + 1);
}

void Menu::CreateCreditsPage()
{
    const CreditsList credits = CreditsList::Load(PathWrapper::GetInstance().Expand(kCredits));
    // The first heading and its lines fill the left column, the others the right one.
    int rows[2] = {0, 0};
    int heading = 0;
    for (const CreditsList::Heading& group : credits.GetHeadings())
    {
        const int column = heading++ == 0 ? 0 : 1;
        if (Entry* entry = AddButton("Credits_Heading", kCreditsPage, Fixed(group.caption), nullptr, column,
                                     rows[column]++))
        {
            entry->button->SetColours(kHeadingColour, kHeadingColour, kHeadingColour);
        }
        for (const CreditsList::Line& line : group.lines)
        {
            std::function<void()> open;
            if (!line.address.empty())
            {
                open = [this, address = line.address] { OpenAddress(address); };
            }
            Entry* entry = AddButton("Credits_Line", kCreditsPage, Fixed(line.caption), std::move(open),
                                     column, rows[column]++);
            if (entry != nullptr && line.address.empty())
            {
                entry->button->SetColours(kPlainColour, kPlainColour, kPlainColour);
            }
        }
        ++rows[column];
    }
    AddButton(
        "BACK", kCreditsPage, Fixed("BACK"), [this] { SetPage(kStartPage); }, 0, std::max(rows[0], rows[1]));
}

void Menu::OpenAddress(const std::string& address) const
{
    switch (Platform::OpenWebAddress(address))
    {
    case Platform::WebAddressResult::Opened:
        Log::Info(kChannel, Format("Opened '%s'", address.c_str()));
        break;
    case Platform::WebAddressResult::NotWeb:
        Log::Warning(kChannel, Format("Not a web address: '%s'", address.c_str()));
        break;
    case Platform::WebAddressResult::NoDisplay:
        Log::Info(kChannel, Format("No display to open '%s' on", address.c_str()));
        break;
    case Platform::WebAddressResult::Failed:
        Log::Warning(kChannel, Format("Could not open '%s'", address.c_str()));
        break;
    }
}

void Menu::RefreshCaptions()
{
    for (const Entry& entry : m_entries)
    {
        if (entry.text != nullptr)
        {
            entry.text->SetCaption(entry.caption());
        }
    }
}

void Menu::LayOut()
{
    if (m_guiCamera == nullptr)
    {
        return;
    }
    const glm::vec2 view = m_guiCamera->GetViewportSize();
    if (view == m_laidOutFor)
    {
        return;
    }
    m_laidOutFor = view;
    for (const Entry& entry : m_entries)
    {
        if (entry.transform == nullptr)
        {
            continue;
        }
        const glm::vec3 half(view.y * kButtonHalfWidth * entry.size, view.y * kButtonHalfHeight * entry.size,
                             1.0f);
        const float left =
            -0.5f * view.x + view.x * (kLeftMargin + kColumnWidth * static_cast<float>(entry.column));
        const float top = 0.5f * view.y - view.y * (kFirstRow + kRowSpacing * static_cast<float>(entry.row));
        // The quad is drawn twice its scale across and its caption starts at its left edge.
        entry.transform->SetPosition(glm::vec3(left + half.x, top - half.y, 0.0f));
        entry.transform->SetScale(half);
    }
}

void Menu::SetPage(const std::string& name)
{
    m_page = name;
    Log::Info(kChannel, Format("Page '%s'", name.c_str()));
    for (const Entry& entry : m_entries)
    {
        entry.button->SetShown(entry.button->GetPage() == name);
    }
    m_focus = nullptr;
    m_repeatDirection = 0;
    const std::vector<MenuButton*> focusable = Focusable();
    Focus(focusable.empty() ? nullptr : focusable.front(), false);
}

std::vector<MenuButton*> Menu::Focusable() const
{
    std::vector<MenuButton*> buttons;
    for (const Entry& entry : m_entries)
    {
        if (entry.button->GetPage() == m_page && entry.button->HasAction())
        {
            buttons.push_back(entry.button);
        }
    }
    return buttons;
}

void Menu::Focus(MenuButton* button, bool withSound)
{
    if (button == m_focus)
    {
        return;
    }
    if (m_focus != nullptr)
    {
        m_focus->SetFocused(false);
    }
    m_focus = button;
    if (button != nullptr)
    {
        button->SetFocused(true);
        if (withSound)
        {
            MenuButton::PlayEntrySound();
        }
    }
}

void Menu::MoveFocus(int direction)
{
    const std::vector<MenuButton*> buttons = Focusable();
    if (buttons.empty())
    {
        return;
    }
    const auto at = std::find(buttons.begin(), buttons.end(), m_focus);
    const int index = at == buttons.end() ? 0 : static_cast<int>(at - buttons.begin()) + direction;
    // The focus stops at the ends rather than wrapping.
    Focus(buttons[static_cast<std::size_t>(std::clamp(index, 0, static_cast<int>(buttons.size()) - 1))],
          true);
}

void Menu::ClickBack()
{
    for (const Entry& entry : m_entries)
    {
        const std::string& caption = entry.text != nullptr ? entry.text->GetCaption() : "";
        if (entry.button->GetPage() == m_page && (caption == "Back" || caption == "BACK"))
        {
            entry.button->Click();
            return;
        }
    }
}

int Menu::HeldDirection() const
{
    const Input::Joystick* pad = FirstPad();
    const float stick = pad != nullptr ? pad->axes[Input::Joystick::LeftY] : 0.0f;
    const bool up = IsDown(kUpKeys) || stick > kStickThreshold;
    const bool down = IsDown(kDownKeys) || stick < -kStickThreshold;
    return static_cast<int>(down) - static_cast<int>(up);
}

void Menu::UpdateKeys(float dt)
{
    const int direction = HeldDirection();
    if (direction != m_repeatDirection)
    {
        m_repeatDirection = direction;
        m_repeatTimer = kRepeatDelay;
        if (direction != 0)
        {
            MoveFocus(direction);
        }
    }
    else if (direction != 0)
    {
        m_repeatTimer -= dt;
        if (m_repeatTimer <= 0.0f)
        {
            m_repeatTimer += kRepeatDelay;
            MoveFocus(direction);
        }
    }
    if (IsTriggered(kPressKeys) && m_focus != nullptr)
    {
        m_focus->Click();
    }
    else if (IsTriggered(kBackKeys))
    {
        ClickBack();
    }
}

void Menu::UpdateCamera(float dt)
{
    m_time += dt;
    if (m_worldCamera == nullptr)
    {
        return;
    }
    const float angle = m_time * kCameraSpeed;
    const float height = kCameraHeight + kBobHeight * std::sin(m_time * kBobSpeed);
    m_worldCamera->SetPosition(
        glm::vec3(kCameraRadius * std::sin(angle), height, kCameraRadius * std::cos(angle)));
    m_worldCamera->SetTarget(glm::vec3(0.0f, kTargetHeight, 0.0f));
}

void Menu::UpdateCursor()
{
    if (m_cursor == nullptr || m_guiCamera == nullptr)
    {
        return;
    }
    glm::vec2 position;
    const glm::vec3 camera = m_guiCamera->GetPosition();
    Input::System::GetInstance().GetMousePosition(position, glm::vec2(camera.x, camera.y),
                                                  m_guiCamera->GetViewportSize());
    m_cursor->SetPosition(glm::vec3(position, 0.0f));
    if (m_cursorGraphics != nullptr)
    {
        m_cursorGraphics->SetDiffuseColor(glm::vec4(1.0f));
    }
}

void Menu::Update(const float& dt)
{
    // The music and the start page wait for the splash screen, once: a sound that fails or is still
    // loading must not restart the page every frame.
    if (!m_started && Game::System::GetInstance().GetObject("Splash") == nullptr)
    {
        m_started = true;
        if (m_audio != nullptr)
        {
            m_audio->Play(true);
        }
        SetPage(kStartPage);
    }
    const Input::System& input = Input::System::GetInstance();
    if (input.IsTriggered('F'))
    {
        Options& options = Options::GetInstance();
        options.SetFullScreen(!options.GetFullScreen());
    }
    UpdateCamera(dt);
    LayOut();
    UpdateCursor();
    if (m_started)
    {
        UpdateKeys(dt);
    }
    if (input.IsTriggered('L') && m_worldCamera != nullptr)
    {
        const glm::vec3& position = m_worldCamera->GetPosition();
        const glm::vec3& target = m_worldCamera->GetTarget();
        Log::Info(kChannel, Format("CAMERA pos %f;%f;%f", position.x, position.y, position.z));
        Log::Info(kChannel, Format("CAMERA tar %f;%f;%f", target.x, target.y, target.z));
    }
    Options::GetInstance().SaveIfChanged();
}

void Menu::Release()
{
    Options::GetInstance().SaveIfChanged();
}
