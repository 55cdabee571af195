#include "Capture/CaptureScript.h"

#include "Parsing/FileParser/FileParser.h"
#include "Parsing/IParserData.h"
#include "Platform/KeyCodes.h"
#include "System/Logging/Format.h"
#include "System/Logging/LoggingSystem.h"
#include "System/PathWrapper/PathWrapper.h"
#include "System/StringUtilities/StringUtilities.h"

#include <SDL_keyboard.h>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace Morvane::Capture
{
namespace
{
const char* const kChannel = "Capture";
// Longer captures are surely a mistake in the file (a frame count in milliseconds, say).
constexpr long long kMaxFrames = 10'000'000;
constexpr long long kMaxWindowSide = 16384;
constexpr double kMaxSeconds = 1e6;
constexpr double kMaxCoordinate = 1e6;
const char* const kDefaultCamera = "Camera_World";
const std::vector<Action> kNoActions;

// A number in the whole text, nothing before or after it.
template <class T> std::optional<T> ReadWhole(const std::string& text)
{
    T value{};
    const char* const end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end)
    {
        return std::nullopt;
    }
    return value;
}

// Reads an element's attributes strictly: a value that is there but cannot be read is logged and makes
// the element fail, instead of turning silently into a default.
class Attributes
{
public:
    Attributes(const IParserData& element, std::string where) : m_element(element), m_where(std::move(where))
    {
    }

    bool Failed() const { return m_failed; }
    bool Has(const char* name) const { return m_element.HasAttribute(name); }
    std::string Text(const char* name) const { return m_element.GetAttribute(name, ""); }

    long long Integer(const char* name, long long fallback, long long lowest, long long highest)
    {
        if (!Has(name))
        {
            return fallback;
        }
        const std::optional<long long> value = ReadWhole<long long>(Text(name));
        if (!value || *value < lowest || *value > highest)
        {
            Refuse(name, Format("a whole number from %lld to %lld", lowest, highest));
            return fallback;
        }
        return *value;
    }

    double Number(const char* name, double fallback, double lowest, double highest)
    {
        if (!Has(name))
        {
            return fallback;
        }
        const std::optional<double> value = ReadWhole<double>(Text(name));
        if (!value || !std::isfinite(*value) || *value < lowest || *value > highest)
        {
            Refuse(name, Format("a number from %g to %g", lowest, highest));
            return fallback;
        }
        return *value;
    }

    bool Bool(const char* name, bool fallback)
    {
        if (!Has(name))
        {
            return fallback;
        }
        const std::string text = Text(name);
        if (text == "true" || text == "1")
        {
            return true;
        }
        if (text == "false" || text == "0")
        {
            return false;
        }
        Refuse(name, "true or false");
        return fallback;
    }

    // Like Number, but the attribute must be there.
    double RequiredNumber(const char* name, double lowest, double highest)
    {
        if (!Has(name))
        {
            Fail(Format("%s needs '%s'", m_where.c_str(), name));
        }
        return Number(name, 0.0, lowest, highest);
    }

    // "x;y;z" or "x;z": a point on the floor, its height left out.
    glm::vec2 FloorPoint(const char* name)
    {
        const glm::vec3 point = Point(name);
        return glm::vec2(point.x, point.z);
    }

    // "x;y;z", or "x;z" with no height (y is then NaN).
    glm::vec3 Point(const char* name)
    {
        const std::string text = Required(name);
        std::vector<double> numbers;
        for (const std::string& part : StringUtilities::Split(text, ';'))
        {
            const std::optional<double> number = ReadWhole<double>(part);
            if (!number || !std::isfinite(*number) || std::abs(*number) > kMaxCoordinate)
            {
                numbers.clear();
                break;
            }
            numbers.push_back(*number);
        }
        if (numbers.size() != 2 && numbers.size() != 3)
        {
            if (!text.empty())
            {
                Refuse(name, "a point x;y;z or x;z");
            }
            return glm::vec3(0.0f);
        }
        const float height = numbers.size() == 3 ? static_cast<float>(numbers[1]) : std::nanf("");
        return glm::vec3(static_cast<float>(numbers.front()), height, static_cast<float>(numbers.back()));
    }

    std::string Required(const char* name)
    {
        const std::string text = Text(name);
        if (text.empty())
        {
            Fail(Format("%s needs '%s'", m_where.c_str(), name));
        }
        return text;
    }

    void Refuse(const char* name, const std::string& expected)
    {
        Fail(Format("%s: '%s' is '%s', not %s", m_where.c_str(), name, Text(name).c_str(), expected.c_str()));
    }

    void Fail(const std::string& message)
    {
        Log::Error(kChannel, message);
        m_failed = true;
    }

private:
    const IParserData& m_element;
    const std::string m_where;
    bool m_failed = false;
};

// Aliases first ("$(LocalFolder)..."), then a relative path leads from the capture file's folder.
std::filesystem::path Resolve(const std::string& text, const std::filesystem::path& folder)
{
    const std::filesystem::path path(PathWrapper::GetInstance().Expand(text));
    return path.is_absolute() ? path : folder / path;
}

SDL_Scancode ReadScancode(Attributes& attributes)
{
    const std::string name = attributes.Required("key");
    const SDL_Scancode scancode = SDL_GetScancodeFromName(name.c_str());
    if (!name.empty() && (scancode == SDL_SCANCODE_UNKNOWN || !Platform::ScancodeToVirtualKey(scancode)))
    {
        attributes.Fail(Format("Unknown key '%s'", name.c_str()));
    }
    return scancode;
}

std::optional<Action> ReadKey(Attributes& attributes, const std::filesystem::path&)
{
    const SDL_Scancode scancode = ReadScancode(attributes);
    const bool down = attributes.Bool("down", true);
    return KeyAction{scancode, down};
}

std::optional<Action> ReadMouseMotion(Attributes& attributes, const std::filesystem::path&)
{
    constexpr long long kLimit = 1'000'000;
    MouseMotionAction motion;
    if (attributes.Has("x") != attributes.Has("y"))
    {
        attributes.Fail("<MouseMotion> takes 'x' and 'y' together");
    }
    if (attributes.Has("object"))
    {
        if (attributes.Has("x"))
        {
            attributes.Fail("<MouseMotion> takes 'object' or 'x' and 'y', not both");
        }
        motion.object = attributes.Required("object");
    }
    if (attributes.Has("dx") || attributes.Has("dy") || (!attributes.Has("x") && motion.object.empty()))
    {
        motion.dx = static_cast<int>(attributes.Integer("dx", 0, -kLimit, kLimit));
        motion.dy = static_cast<int>(attributes.Integer("dy", 0, -kLimit, kLimit));
    }
    if (attributes.Has("x"))
    {
        motion.x = static_cast<int>(attributes.Integer("x", 0, -kLimit, kLimit));
        motion.y = static_cast<int>(attributes.Integer("y", 0, -kLimit, kLimit));
    }
    return motion;
}

std::optional<Action> ReadMouseButton(Attributes& attributes, const std::filesystem::path&)
{
    const std::string text = attributes.Required("button");
    const std::optional<int> button = ReadWhole<int>(text);
    if (!text.empty() && (!button || *button < 1 || *button > 255 ||
                          !Platform::MouseButtonToVirtualKey(static_cast<std::uint8_t>(*button))))
    {
        attributes.Fail(Format("Unknown mouse button '%s'", text.c_str()));
    }
    const bool down = attributes.Bool("down", true);
    return MouseButtonAction{static_cast<std::uint8_t>(button.value_or(1)), down};
}

std::optional<Action> ReadPadButton(Attributes& attributes, const std::filesystem::path&)
{
    const std::string name = attributes.Required("button");
    const SDL_GameControllerButton button = SDL_GameControllerGetButtonFromString(name.c_str());
    if (!name.empty() && button == SDL_CONTROLLER_BUTTON_INVALID)
    {
        attributes.Fail(Format("Unknown pad button '%s'", name.c_str()));
    }
    const bool down = attributes.Bool("down", true);
    return PadButtonAction{button, down};
}

std::optional<Action> ReadPadAxis(Attributes& attributes, const std::filesystem::path&)
{
    const std::string name = attributes.Required("axis");
    const SDL_GameControllerAxis axis = SDL_GameControllerGetAxisFromString(name.c_str());
    if (!name.empty() && axis == SDL_CONTROLLER_AXIS_INVALID)
    {
        attributes.Fail(Format("Unknown pad axis '%s'", name.c_str()));
    }
    const bool trigger = axis == SDL_CONTROLLER_AXIS_TRIGGERLEFT || axis == SDL_CONTROLLER_AXIS_TRIGGERRIGHT;
    const auto value = static_cast<float>(attributes.Number("value", 0.0, trigger ? 0.0 : -1.0, 1.0));
    return PadAxisAction{axis, value};
}

std::optional<Action> ReadFrameScreenshot(Attributes& attributes, const std::filesystem::path& folder)
{
    return ScreenshotAction{Resolve(attributes.Required("path"), folder)};
}

std::optional<Action> ReadFrameDump(Attributes& attributes, const std::filesystem::path& folder)
{
    return DumpAction{Resolve(attributes.Required("path"), folder)};
}

std::optional<Action> ReadCopyFile(Attributes& attributes, const std::filesystem::path& folder)
{
    const std::string from = attributes.Required("from");
    const std::string to = attributes.Required("to");
    return CopyFileAction{Resolve(from, folder), Resolve(to, folder)};
}

struct ActionReader
{
    const char* element;
    std::optional<Action> (*read)(Attributes& attributes, const std::filesystem::path& folder);
};

const ActionReader kActionReaders[] = {
    {"Key", &ReadKey},
    {"MouseMotion", &ReadMouseMotion},
    {"MouseButton", &ReadMouseButton},
    {"PadButton", &ReadPadButton},
    {"PadAxis", &ReadPadAxis},
    {"Screenshot", &ReadFrameScreenshot},
    {"Dump", &ReadFrameDump},
    {"CopyFile", &ReadCopyFile},
};

StepAction ReadPress(Attributes& attributes, const std::filesystem::path&)
{
    return PressStep{ReadScancode(attributes)};
}

StepAction ReadJump(Attributes&, const std::filesystem::path&)
{
    return PressStep{SDL_SCANCODE_SPACE};
}

StepAction ReadHold(Attributes& attributes, const std::filesystem::path&)
{
    const SDL_Scancode scancode = ReadScancode(attributes);
    return HoldStep{scancode, attributes.RequiredNumber("seconds", 0.0, kMaxSeconds)};
}

StepAction ReadWait(Attributes& attributes, const std::filesystem::path&)
{
    return WaitStep{attributes.RequiredNumber("seconds", 0.0, kMaxSeconds)};
}

StepAction ReadWaitLog(Attributes& attributes, const std::filesystem::path&)
{
    return WaitLogStep{attributes.Required("text")};
}

std::string ReadCamera(Attributes& attributes)
{
    return attributes.Has("camera") ? attributes.Required("camera") : kDefaultCamera;
}

StepAction ReadFace(Attributes& attributes, const std::filesystem::path&)
{
    FaceStep face;
    if (attributes.Has("yaw") == attributes.Has("to"))
    {
        attributes.Fail("<Face> takes either 'yaw' or 'to'");
    }
    if (attributes.Has("yaw"))
    {
        face.yaw = attributes.Number("yaw", 0.0, -360.0, 360.0);
    }
    if (attributes.Has("to"))
    {
        face.toward = attributes.FloorPoint("to");
    }
    if (attributes.Has("pitch"))
    {
        face.pitch = attributes.Number("pitch", 0.0, -89.0, 89.0);
    }
    face.camera = ReadCamera(attributes);
    return face;
}

StepAction ReadWalk(Attributes& attributes, const std::filesystem::path&)
{
    WalkStep walk;
    walk.to = attributes.FloorPoint("to");
    walk.within = attributes.Number("within", walk.within, 0.001, kMaxCoordinate);
    walk.jump = attributes.Bool("jump", false);
    walk.slowly = attributes.Bool("walk", false);
    walk.camera = ReadCamera(attributes);
    return walk;
}

StepAction ReadWaitNear(Attributes& attributes, const std::filesystem::path&)
{
    WaitNearStep wait;
    wait.object = attributes.Required("object");
    wait.to = attributes.Point("to");
    wait.within = attributes.Number("within", wait.within, 0.001, kMaxCoordinate);
    return wait;
}

StepAction ReadScreenshot(Attributes& attributes, const std::filesystem::path& folder)
{
    return ScreenshotAction{Resolve(attributes.Required("path"), folder)};
}

StepAction ReadDump(Attributes& attributes, const std::filesystem::path& folder)
{
    return DumpAction{Resolve(attributes.Required("path"), folder)};
}

struct StepReader
{
    const char* element;
    StepAction (*read)(Attributes& attributes, const std::filesystem::path& folder);
    // Steps that wait on the game take a timeout; the others always end.
    std::optional<double> defaultTimeout;
};

const StepReader kStepReaders[] = {
    {"Press", &ReadPress, std::nullopt},
    {"Jump", &ReadJump, std::nullopt},
    {"Hold", &ReadHold, std::nullopt},
    {"Wait", &ReadWait, std::nullopt},
    {"WaitLog", &ReadWaitLog, 10.0},
    {"Face", &ReadFace, 3.0},
    {"Walk", &ReadWalk, 15.0},
    {"WaitNear", &ReadWaitNear, 15.0},
    {"Screenshot", &ReadScreenshot, std::nullopt},
    {"Dump", &ReadDump, std::nullopt},
};
} // namespace

bool CaptureScript::Load(const std::filesystem::path& path)
{
    FileParser parser;
    const IParserData* root = parser.Parse(path.string());
    if (root == nullptr)
    {
        Log::Error(kChannel, Format("Could not read the capture file '%s'", path.string().c_str()));
        return false;
    }
    return Parse(*root, path.parent_path());
}

bool CaptureScript::Parse(const IParserData& root, const std::filesystem::path& folder)
{
    *this = CaptureScript{};
    if (root.GetName() != "Capture")
    {
        Log::Error(kChannel,
                   Format("A capture file holds a <Capture> element, not <%s>", root.GetName().c_str()));
        return false;
    }
    bool parsed = ParseAttributes(root, folder);
    for (const IParserData* child = root.GetFirstChild(); child != nullptr && parsed;
         child = child->GetNextSibling())
    {
        if (child->GetName() == "Frame")
        {
            parsed = ParseFrame(*child, folder);
        }
        else if (child->GetName() == "Steps")
        {
            parsed = ParseSteps(*child, folder);
        }
        else if (child->GetName() == "ExpectLog")
        {
            parsed = ParseLogExpectation(*child);
        }
        else
        {
            Log::Warning(kChannel, Format("Unknown parser element '%s'", child->GetName().c_str()));
        }
    }
    return parsed;
}

bool CaptureScript::ParseAttributes(const IParserData& root, const std::filesystem::path& folder)
{
    Attributes attributes(root, "<Capture>");
    if (!attributes.Has("frames"))
    {
        attributes.Fail("<Capture> needs 'frames'");
    }
    m_frameCount = static_cast<int>(attributes.Integer("frames", 0, 1, kMaxFrames));
    m_step = static_cast<float>(attributes.Number("step", kDefaultStep, 1e-6, 1.0));
    m_seed = static_cast<unsigned>(attributes.Integer("seed", 1, 0, std::numeric_limits<unsigned>::max()));
    if (attributes.Has("width") || attributes.Has("height"))
    {
        m_width = static_cast<int>(attributes.Integer("width", 0, 1, kMaxWindowSide));
        m_height = static_cast<int>(attributes.Integer("height", 0, 1, kMaxWindowSide));
        if (!attributes.Has("width") || !attributes.Has("height"))
        {
            attributes.Fail("<Capture> takes 'width' and 'height' together");
        }
    }

    m_quits = attributes.Bool("quits", false);

    const std::string drawing = attributes.Text("draw");
    if (drawing == "screenshots")
    {
        m_drawing = Drawing::ScreenshotFramesOnly;
    }
    else if (!drawing.empty() && drawing != "all")
    {
        attributes.Refuse("draw", "all or screenshots");
    }

    const std::pair<const char*, std::filesystem::path*> files[] = {{"configuration", &m_configuration},
                                                                    {"analytics", &m_analytics},
                                                                    {"options", &m_options},
                                                                    {"trace", &m_trace}};
    for (const auto& [name, path] : files)
    {
        if (const std::string text = attributes.Text(name); !text.empty())
        {
            *path = Resolve(text, folder);
        }
    }
    return !attributes.Failed();
}

std::optional<int> CaptureScript::ReadFrameNumber(const IParserData& frame) const
{
    Attributes attributes(frame, "<Frame>");
    if (attributes.Has("number") == attributes.Has("time"))
    {
        attributes.Fail("<Frame> takes either 'number' or 'time'");
        return std::nullopt;
    }
    long long number = 0;
    std::string named;
    if (attributes.Has("number"))
    {
        number = attributes.Integer("number", 0, 0, std::numeric_limits<int>::max());
        named = Format("Frame %lld", number);
    }
    else
    {
        // The first frame that starts at or after that time; a thousandth of a step absorbs the decimal
        // rounding of both numbers.
        const double time = attributes.Number("time", 0.0, 0.0, 1e6);
        number = static_cast<long long>(std::ceil(time / static_cast<double>(m_step) - 0.001));
        named = Format("Frame at %s s (frame %lld)", attributes.Text("time").c_str(), number);
    }
    if (attributes.Failed())
    {
        return std::nullopt;
    }
    if (number >= m_frameCount)
    {
        attributes.Fail(Format("%s is past the capture's %d frames", named.c_str(), m_frameCount));
        return std::nullopt;
    }
    return static_cast<int>(std::max(number, 0LL));
}

bool CaptureScript::ParseFrame(const IParserData& frame, const std::filesystem::path& folder)
{
    const std::optional<int> number = ReadFrameNumber(frame);
    if (!number)
    {
        return false;
    }
    std::vector<Action>& actions = m_frames[*number];
    for (const IParserData* child = frame.GetFirstChild(); child != nullptr; child = child->GetNextSibling())
    {
        const std::string name = child->GetName();
        const auto reader =
            std::find_if(std::begin(kActionReaders), std::end(kActionReaders),
                         [&name](const ActionReader& entry) { return name == entry.element; });
        if (reader == std::end(kActionReaders))
        {
            Log::Warning(kChannel, Format("Unknown parser element '%s'", name.c_str()));
            continue;
        }
        Attributes attributes(*child, Format("Frame %d <%s>", *number, name.c_str()));
        const std::optional<Action> action = reader->read(attributes, folder);
        if (attributes.Failed() || !action)
        {
            return false;
        }
        actions.push_back(*action);
    }
    return true;
}

bool CaptureScript::ParseSteps(const IParserData& steps, const std::filesystem::path& folder)
{
    Attributes attributes(steps, "<Steps>");
    if (m_hasSteps)
    {
        attributes.Fail("A capture takes one <Steps>");
        return false;
    }
    m_hasSteps = true;
    m_stepsStart = static_cast<int>(attributes.Integer("start", 0, 0, std::numeric_limits<int>::max()));
    if (!attributes.Failed() && m_stepsStart >= m_frameCount)
    {
        attributes.Fail(
            Format("<Steps> starts at frame %d, past the capture's %d frames", m_stepsStart, m_frameCount));
    }
    for (const IParserData* child = steps.GetFirstChild(); child != nullptr && !attributes.Failed();
         child = child->GetNextSibling())
    {
        const std::string name = child->GetName();
        const int number = static_cast<int>(m_steps.size()) + 1;
        const auto reader = std::find_if(std::begin(kStepReaders), std::end(kStepReaders),
                                         [&name](const StepReader& entry) { return name == entry.element; });
        if (reader == std::end(kStepReaders))
        {
            attributes.Fail(Format("Step %d: unknown step <%s>", number, name.c_str()));
            break;
        }
        Attributes stepAttributes(*child, Format("Step %d <%s>", number, name.c_str()));
        Step step{name, reader->read(stepAttributes, folder), std::nullopt};
        if (reader->defaultTimeout)
        {
            step.timeout = stepAttributes.Number("timeout", *reader->defaultTimeout, 0.001, kMaxSeconds);
        }
        if (stepAttributes.Failed())
        {
            return false;
        }
        m_steps.push_back(std::move(step));
    }
    return !attributes.Failed();
}

bool CaptureScript::ParseLogExpectation(const IParserData& element)
{
    Attributes attributes(element, "<ExpectLog>");
    LogExpectation expectation;
    expectation.text = attributes.Required("text");
    expectation.by =
        static_cast<int>(attributes.Integer("by", m_frameCount - 1, 0, std::numeric_limits<int>::max()));
    if (!attributes.Failed() && expectation.by >= m_frameCount)
    {
        attributes.Fail(
            Format("<ExpectLog> by frame %d is past the capture's %d frames", expectation.by, m_frameCount));
    }
    if (attributes.Failed())
    {
        return false;
    }
    m_logExpectations.push_back(std::move(expectation));
    return true;
}

std::vector<std::string> CaptureScript::GetWatchedLogTexts() const
{
    std::vector<std::string> texts;
    for (const Step& step : m_steps)
    {
        if (const auto* wait = std::get_if<WaitLogStep>(&step.action))
        {
            texts.push_back(wait->text);
        }
    }
    for (const LogExpectation& expectation : m_logExpectations)
    {
        texts.push_back(expectation.text);
    }
    return texts;
}

const std::vector<Action>& CaptureScript::GetActions(int frame) const
{
    const auto found = m_frames.find(frame);
    return found == m_frames.end() ? kNoActions : found->second;
}

bool CaptureScript::TakesScreenshot(int frame) const
{
    const std::vector<Action>& actions = GetActions(frame);
    return std::any_of(actions.begin(), actions.end(),
                       [](const Action& action) { return std::holds_alternative<ScreenshotAction>(action); });
}

std::size_t CaptureScript::GetScreenshotCount() const
{
    auto count = static_cast<std::size_t>(std::count_if(
        m_steps.begin(), m_steps.end(),
        [](const Step& step) { return std::holds_alternative<ScreenshotAction>(step.action); }));
    for (const auto& [frame, actions] : m_frames)
    {
        count += static_cast<std::size_t>(std::count_if(
            actions.begin(), actions.end(),
            [](const Action& action) { return std::holds_alternative<ScreenshotAction>(action); }));
    }
    return count;
}
} // namespace Morvane::Capture
