#include "Behavior/GameLogic/LevelWriter.h"

#include "Behavior/GameLogic/GameLogic.h"
#include "Behavior/GameLogic/LevelAttributes.h"
#include "Parsing/XMLParserData/XMLParserData.h"
#include "Platform/TemporaryFile.h"
#include "System/Assert/Assertion.h"
#include "System/Logging/Format.h"
#include "System/Logging/LoggingSystem.h"
#include "System/PathWrapper/PathWrapper.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <optional>
#include <string_view>
#include <sys/stat.h>
#include <tinyxml2.h>
#include <utility>
#include <vector>

using Morvane::Format;
using Morvane::IParserData;

namespace
{
const char* const kChannel = "Editor";

using Attributes = std::vector<std::pair<std::string, std::string>>;
using Edit = std::map<std::string, std::string>;

// Every data tree is XML; only its nodes can list the attributes nobody asked for by name.
Attributes AttributesOf(const IParserData& node)
{
    const auto* xml = dynamic_cast<const Morvane::XMLParserData*>(&node);
    MORVANE_ASSERT_NAMED(xml != nullptr, "xmlLevel", __LINE__);
    return xml->GetAttributes();
}

struct Entity
{
    char character;
    const char* text;
    bool attributeOnly;
};

// Carriage returns would read back as line feeds; white space in an attribute is spelled out for readers
// that normalise it.
const Entity kEntities[] = {
    {'&', "&amp;", false}, {'<', "&lt;", false},  {'>', "&gt;", false}, {'\r', "&#13;", false},
    {'"', "&quot;", true}, {'\n', "&#10;", true}, {'\t', "&#9;", true},
};

// The text that tinyxml2, and the engine's reader after it, turn back into `value`.
std::string Escaped(std::string_view value, bool attribute)
{
    std::string text;
    for (const char character : value)
    {
        const auto* entity =
            std::find_if(std::begin(kEntities), std::end(kEntities),
                         [character, attribute](const Entity& entry)
                         { return entry.character == character && (attribute || !entry.attributeOnly); });
        if (entity != std::end(kEntities))
        {
            text += entity->text;
        }
        else
        {
            text += character;
        }
    }
    return text;
}

// tinyxml2's printer with its indentation, writing values so that they read back exactly as given.
class LevelPrinter : public tinyxml2::XMLPrinter
{
public:
    void Attribute(const std::string& name, const std::string& value)
    {
        Write(" ");
        Write(name.c_str());
        Write("=\"");
        Write(Escaped(value, true).c_str());
        Write("\"");
    }

    void Text(std::string_view text)
    {
        if (text.empty())
        {
            return;
        }
        // An empty text still seals the start tag and keeps the end tag on the text's line.
        PushText("");
        // The reader drops one line feed after the start tag, and text made only of white space: a line
        // feed ahead keeps the first, an entity for the first character the second.
        std::string written = text.front() == '\n' ? "\n" : "";
        if (text.find_first_not_of(" \t\n\v\f\r") == std::string_view::npos)
        {
            written += "&#" + std::to_string(static_cast<int>(text.front())) + ';';
            text.remove_prefix(1);
        }
        written += Escaped(text, false);
        Write(written.c_str());
    }
};

// An element as read: its attributes, its text and its children.
void WriteAsRead(LevelPrinter& printer, const IParserData& node)
{
    // The printer keeps the name until the element closes.
    const std::string name = node.GetName();
    printer.OpenElement(name.c_str());
    for (const auto& [attribute, value] : AttributesOf(node))
    {
        printer.Attribute(attribute, value);
    }
    printer.Text(node.GetInnerText());
    for (const IParserData* child = node.GetFirstChild(); child != nullptr; child = child->GetNextSibling())
    {
        WriteAsRead(printer, *child);
    }
    printer.CloseElement();
}

// A level tag with only the attributes its rule reads, in their fixed order, edits applied.
void WriteTag(LevelPrinter& printer, const GameLogic::LevelTag& tag, const IParserData& element,
              const Edit& edit)
{
    const std::vector<std::string> names = LevelAttributes::Read(tag);
    const auto isRead = [&names](const std::string& name)
    { return std::find(names.begin(), names.end(), name) != names.end(); };
    for (const auto& [name, value] : AttributesOf(element))
    {
        if (!isRead(name))
        {
            Morvane::Log::Warning(kChannel,
                                  Format("Dropped the attribute '%s' of '%s': the game does not read it",
                                         name.c_str(), tag.tag));
        }
    }
    for (const auto& [name, value] : edit)
    {
        if (!isRead(name))
        {
            Morvane::Log::Warning(
                kChannel,
                Format("Dropped the edit of '%s' on '%s': the game does not read it", name.c_str(), tag.tag));
        }
    }

    printer.OpenElement(tag.tag);
    for (const std::string& name : names)
    {
        if (const auto edited = edit.find(name); edited != edit.end())
        {
            printer.Attribute(name, edited->second);
        }
        else if (element.HasAttribute(name))
        {
            printer.Attribute(name, element.GetAttribute(name, ""));
        }
    }
    printer.Text(element.GetInnerText());
    for (const IParserData* child = element.GetFirstChild(); child != nullptr;
         child = child->GetNextSibling())
    {
        WriteAsRead(printer, *child);
    }
    printer.CloseElement();
}

// ±significand × 10^exponent.
struct Decimal
{
    bool negative;
    std::uint64_t significand;
    int exponent;
};

// The float's digits, correctly rounded to `precision` digits after the first, or the fewest that
// identify it when there is no precision.
Decimal ToDecimal(float value, std::optional<int> precision)
{
    std::array<char, 64> buffer{};
    char* const first = buffer.data();
    char* const last = first + buffer.size();
    const std::to_chars_result result =
        precision ? std::to_chars(first, last, value, std::chars_format::scientific, *precision)
                  : std::to_chars(first, last, value, std::chars_format::scientific);
    std::string_view text(first, static_cast<std::size_t>(result.ptr - first));
    Decimal decimal{text.front() == '-', 0, 0};
    if (decimal.negative)
    {
        text.remove_prefix(1);
    }
    const std::size_t mark = text.find('e');
    int digits = 0;
    for (const char character : text.substr(0, mark))
    {
        if (character != '.')
        {
            decimal.significand = decimal.significand * 10 + static_cast<std::uint64_t>(character - '0');
            ++digits;
        }
    }
    std::string_view power = text.substr(mark + 1);
    if (power.front() == '+')
    {
        power.remove_prefix(1);
    }
    int scientific = 0;
    std::from_chars(power.data(), power.data() + power.size(), scientific);
    decimal.exponent = scientific - (digits - 1);
    return decimal;
}

// The shorter of the plain and the exponent form ("0.1", "1e-7", "3.4e38"); the plain one on a tie.
std::string Render(Decimal decimal)
{
    while (decimal.significand % 10 == 0)
    {
        decimal.significand /= 10;
        ++decimal.exponent;
    }
    const std::string digits = std::to_string(decimal.significand);
    const int count = static_cast<int>(digits.size());
    const int scientific = decimal.exponent + count - 1;
    std::string plain;
    if (decimal.exponent >= 0)
    {
        plain = digits + std::string(static_cast<std::size_t>(decimal.exponent), '0');
    }
    else if (scientific >= 0)
    {
        const auto point = static_cast<std::size_t>(scientific + 1);
        plain = digits.substr(0, point) + "." + digits.substr(point);
    }
    else
    {
        plain = "0." + std::string(static_cast<std::size_t>(-scientific - 1), '0') + digits;
    }
    std::string exponent = digits.substr(0, 1);
    if (count > 1)
    {
        exponent += "." + digits.substr(1);
    }
    exponent += "e" + std::to_string(scientific);
    const std::string sign = decimal.negative ? "-" : "";
    return sign + (exponent.size() < plain.size() ? exponent : plain);
}

// As ParserDataUtilities reads a piece of a vector.
bool ReadsBack(const std::string& text, float value)
{
    return std::bit_cast<std::uint32_t>(static_cast<float>(std::atof(text.c_str()))) ==
           std::bit_cast<std::uint32_t>(value);
}

std::string FormatNumber(float value)
{
    if (std::isnan(value))
    {
        return "nan";
    }
    if (std::isinf(value))
    {
        return value < 0.0f ? "-inf" : "inf";
    }
    if (value == 0.0f)
    {
        return std::signbit(value) ? "-0" : "0";
    }
    // atof rounds to a double and the cast rounds again, which now and then moves a decimal that
    // identifies the float onto its neighbour: each length is tried with the digits on both sides too.
    // Nine digits always read back.
    std::vector<Decimal> candidates{ToDecimal(value, std::nullopt)};
    for (int precision = 0; precision <= 8; ++precision)
    {
        const Decimal nearest = ToDecimal(value, precision);
        candidates.push_back(nearest);
        candidates.push_back({nearest.negative, nearest.significand + 1, nearest.exponent});
        if (nearest.significand > 1)
        {
            candidates.push_back({nearest.negative, nearest.significand - 1, nearest.exponent});
        }
    }
    // Of equally short texts the one with the fewest digits.
    std::string best;
    for (const Decimal& candidate : candidates)
    {
        const std::string text = Render(candidate);
        if ((best.empty() || text.size() < best.size()) && ReadsBack(text, value))
        {
            best = text;
        }
    }
    return best.empty() ? Render(ToDecimal(value, 8)) : best;
}

// The mode of the file a save replaces, so that it stays as readable as it was.
unsigned ModeFor(const std::string& path)
{
    struct stat status
    {
    };
    return stat(path.c_str(), &status) == 0 ? status.st_mode & 07777u : 0644u;
}

// Why the file could not be written, or nothing when it was.
std::optional<std::string> Replace(const std::string& path, const std::string& text)
{
    const auto failed = [](const char* step) { return Format("%s: %s", step, std::strerror(errno)); };
    Morvane::Platform::TemporaryFile temporary(path + ".XXXXXX");
    if (!temporary.IsMade())
    {
        return failed("making a temporary file");
    }
    if (!temporary.SetMode(ModeFor(path)) || !temporary.Write(text))
    {
        return failed("writing");
    }
    if (!temporary.RenameTo(path))
    {
        return failed("replacing the file");
    }
    return std::nullopt;
}
} // namespace

std::string LevelWriter::Write(const IParserData& level, const LevelEdits& edits)
{
    LevelPrinter printer;
    // The printer keeps the name until the element closes.
    const std::string root = level.GetName();
    printer.OpenElement(root.c_str());
    for (const auto& [name, value] : AttributesOf(level))
    {
        printer.Attribute(name, value);
    }
    printer.Text(level.GetInnerText());
    const Edit none;
    std::size_t index = 0;
    for (const IParserData* child = level.GetFirstChild(); child != nullptr;
         child = child->GetNextSibling(), ++index)
    {
        if (edits.deleted.contains(index))
        {
            continue;
        }
        const std::string name = child->GetName();
        const GameLogic::LevelTag* tag = GameLogic::FindLevelTag(name);
        if (tag == nullptr)
        {
            Morvane::Log::Warning(
                kChannel, Format("Dropped the element '%s': no level tag has that name", name.c_str()));
            continue;
        }
        const auto edit = edits.attributes.find(index);
        WriteTag(printer, *tag, *child, edit != edits.attributes.end() ? edit->second : none);
    }
    for (const auto& [edited, attributes] : edits.attributes)
    {
        if (edited >= index)
        {
            Morvane::Log::Warning(
                kChannel, Format("Dropped the edits of element %zu: the level has %zu", edited, index));
        }
    }
    printer.CloseElement();
    return printer.CStr();
}

bool LevelWriter::Save(const std::string& path, const IParserData& level, const LevelEdits& edits)
{
    const std::string text = Write(level, edits);
    if (const std::optional<std::string> failure =
            Replace(Morvane::PathWrapper::GetInstance().Expand(path), text))
    {
        Morvane::Log::Error(kChannel,
                            Format("Could not save level '%s' (%s)", path.c_str(), failure->c_str()));
        return false;
    }
    Morvane::Log::Info(kChannel, Format("Level saved: '%s'", path.c_str()));
    return true;
}

std::string LevelWriter::FormatNumbers(std::span<const float> values)
{
    std::string text;
    for (std::size_t index = 0; index < values.size(); ++index)
    {
        text += (index == 0 ? "" : ";") + FormatNumber(values[index]);
    }
    return text;
}
