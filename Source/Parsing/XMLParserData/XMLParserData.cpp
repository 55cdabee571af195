#include "Parsing/XMLParserData/XMLParserData.h"

#include "System/Assert/Assertion.h"
#include "System/Logging/Format.h"
#include "System/Logging/LoggingSystem.h"

#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <string_view>
#include <tinyxml2.h>
#include <utility>

namespace Morvane
{
namespace
{
const char* const kChannel = "XMLParserData";

// The engine's own error numbering, which data tools and logs have always used.
struct ErrorEntry
{
    tinyxml2::XMLError library;
    int code;
    const char* message;
};

const ErrorEntry kErrors[] = {
    {tinyxml2::XML_ERROR_FILE_NOT_FOUND, 3, "Error: XML_ERROR_FILE_NOT_FOUND"},
    {tinyxml2::XML_ERROR_FILE_COULD_NOT_BE_OPENED, 4, "Error: XML_ERROR_FILE_COULD_NOT_BE_OPENED"},
    {tinyxml2::XML_ERROR_FILE_READ_ERROR, 5, "Error: XML_ERROR_FILE_READ_ERROR"},
    {tinyxml2::XML_ERROR_PARSING_ELEMENT, 7, "Error: XML_ERROR_PARSING_ELEMENT"},
    {tinyxml2::XML_ERROR_PARSING_ATTRIBUTE, 8, "Error: XML_ERROR_PARSING_ATTRIBUTE"},
    {tinyxml2::XML_ERROR_PARSING_TEXT, 10, "Error: XML_ERROR_PARSING_TEXT"},
    {tinyxml2::XML_ERROR_PARSING_CDATA, 11, "Error: XML_ERROR_PARSING_CDATA"},
    {tinyxml2::XML_ERROR_PARSING_COMMENT, 12, "Error: XML_ERROR_PARSING_COMMENT"},
    {tinyxml2::XML_ERROR_PARSING_DECLARATION, 13, "Error: XML_ERROR_PARSING_DECLARATION"},
    {tinyxml2::XML_ERROR_PARSING_UNKNOWN, 14, "Error: XML_ERROR_PARSING_UNKNOWN"},
    {tinyxml2::XML_ERROR_EMPTY_DOCUMENT, 15, "Error: XML_ERROR_EMPTY_DOCUMENT"},
    {tinyxml2::XML_ERROR_MISMATCHED_ELEMENT, 16, "Error: XML_ERROR_MISMATCHED_ELEMENT"},
    {tinyxml2::XML_ERROR_PARSING, 17, "Error: XML_ERROR_PARSING"},
    {tinyxml2::XML_ELEMENT_DEPTH_EXCEEDED, 17, "Error: XML_ERROR_PARSING"},
};

const ErrorEntry* FindError(tinyxml2::XMLError error)
{
    for (const ErrorEntry& entry : kErrors)
    {
        if (entry.library == error)
        {
            return &entry;
        }
    }
    return nullptr;
}

// What tinyxml2 says about where it failed ("XMLElement name=Root", "filename=..."), without its own
// error name and number, which differ from the engine's.
std::string ErrorDetail(const tinyxml2::XMLDocument& document)
{
    const char* text = document.ErrorStr();
    const std::string full = text != nullptr ? text : "";
    const std::size_t lineNumber = full.find("Line number=");
    const std::size_t detail =
        lineNumber == std::string::npos ? std::string::npos : full.find(": ", lineNumber);
    return detail == std::string::npos ? std::string() : full.substr(detail + 2);
}

template <class T> std::string ToText(T value)
{
    std::ostringstream stream;
    stream << value;
    return stream.str();
}

// Saved text must read back as the same value: markup characters and carriage returns become entities.
void AppendEscaped(std::string& text, std::string_view value)
{
    for (const char character : value)
    {
        if (character == '<')
        {
            text += "&lt;";
        }
        else if (character == '&')
        {
            text += "&amp;";
        }
        else if (character == '\r')
        {
            // A raw carriage return reads back as a line feed.
            text += "&#13;";
        }
        else
        {
            text += character;
        }
    }
}

// The reader drops text made only of white space (as isspace counts it, vertical tab and form feed
// included); its first character as an entity keeps it.
void AppendInnerText(std::string& text, std::string_view innerText)
{
    if (!innerText.empty() && innerText.find_first_not_of(" \t\n\v\f\r") == std::string_view::npos)
    {
        text += "&#" + std::to_string(static_cast<int>(innerText.front())) + ';';
        AppendEscaped(text, innerText.substr(1));
        return;
    }
    AppendEscaped(text, innerText);
}

// Saved names and values cannot hold double quotes: each becomes a single quote, and the loss is logged.
void AppendQuoteSafe(std::string& text, std::string_view value, bool escaped)
{
    std::string replaced;
    if (value.find('"') != std::string_view::npos)
    {
        Log::Error(kChannel, "Data cannot have double quotes");
        replaced.assign(value);
        std::replace(replaced.begin(), replaced.end(), '"', '\'');
        value = replaced;
    }
    if (escaped)
    {
        AppendEscaped(text, value);
    }
    else
    {
        text.append(value);
    }
}
} // namespace

XMLParserData::XMLParserData(const std::string& nodeName)
    : m_own(std::make_unique<OwnContent>(OwnContent{nodeName, {}, {}}))
{
}

XMLParserData::XMLParserData(const tinyxml2::XMLElement& element)
{
    ConvertContent(element);
}

XMLParserData::~XMLParserData()
{
    DestroyChildrenAndSiblings();
}

void XMLParserData::DestroyChain(XMLParserData* node)
{
    // Iterative over siblings so that long lists do not deepen the stack.
    while (node != nullptr)
    {
        XMLParserData* const next = node->nextSibling;
        node->nextSibling = nullptr;
        delete node;
        node = next;
    }
}

void XMLParserData::DestroyChildrenAndSiblings()
{
    DestroyChain(firstChild);
    firstChild = nullptr;
    DestroyChain(nextSibling);
    nextSibling = nullptr;
}

std::string_view XMLParserData::NameView() const
{
    return m_own != nullptr ? std::string_view(m_own->name) : std::string_view(m_element->Name());
}

std::string_view XMLParserData::InnerTextView() const
{
    return m_own != nullptr ? std::string_view(m_own->innerText) : std::string_view(m_parsedText);
}

template <class Visit> void XMLParserData::ForEachAttribute(Visit&& visit) const
{
    if (m_own != nullptr)
    {
        for (const auto& [attributeName, value] : m_own->attributes)
        {
            visit(std::string_view(attributeName), std::string_view(value));
        }
        return;
    }
    for (const tinyxml2::XMLAttribute* attribute = m_element->FirstAttribute(); attribute != nullptr;
         attribute = attribute->Next())
    {
        visit(std::string_view(attribute->Name()), std::string_view(attribute->Value()));
    }
}

std::string XMLParserData::GetName() const
{
    return std::string(NameView());
}

std::string XMLParserData::GetInnerText() const
{
    return std::string(InnerTextView());
}

std::string XMLParserData::ToString() const
{
    std::string text;
    AppendTo(text);
    return text;
}

void XMLParserData::AppendTo(std::string& text) const
{
    MORVANE_ASSERT_NAMED(!NameView().empty(), "!GetName().empty()", 50);
    text += '<';
    text += NameView();
    ForEachAttribute(
        [&text](std::string_view attributeName, std::string_view value)
        {
            text += ' ';
            AppendQuoteSafe(text, attributeName, false);
            text += "=\"";
            AppendQuoteSafe(text, value, true);
            text += "\" ";
        });
    text += ">\n";
    if (firstChild == nullptr)
    {
        AppendInnerText(text, InnerTextView());
    }
    else
    {
        MORVANE_ASSERT_NAMED(InnerTextView().empty(), "m_innerText.empty()", 78);
        for (const XMLParserData* child = firstChild; child != nullptr; child = child->nextSibling)
        {
            child->AppendTo(text);
        }
    }
    text += "</";
    text += NameView();
    text += ">\n";
}

bool XMLParserData::FromString(const std::string& xml)
{
    DestroyChildrenAndSiblings();
    auto document = std::make_unique<tinyxml2::XMLDocument>();
    const tinyxml2::XMLError result = document->Parse(xml.c_str(), xml.size());
    if (result != tinyxml2::XML_SUCCESS)
    {
        if (const ErrorEntry* entry = FindError(result))
        {
            Log::Error(kChannel, entry->message);
        }
        return false;
    }
    const tinyxml2::XMLElement* root = document->FirstChildElement();
    if (root == nullptr)
    {
        Log::Error(kChannel, "Error: XML_ERROR_EMPTY_DOCUMENT");
        return false;
    }
    Convert(std::move(document), *root);
    return true;
}

bool XMLParserData::LoadFile(const std::string& path, XMLParserData* target)
{
    MORVANE_ASSERT_NAMED(target != nullptr, "target", 500);
    auto document = std::make_unique<tinyxml2::XMLDocument>();
    const tinyxml2::XMLError result = document->LoadFile(path.c_str());
    const tinyxml2::XMLElement* root =
        result == tinyxml2::XML_SUCCESS ? document->FirstChildElement() : nullptr;
    if (root != nullptr)
    {
        target->Convert(std::move(document), *root);
        return true;
    }

    // A document holding no element at all (only a comment, say) is as useless as an empty one.
    const tinyxml2::XMLError error =
        result == tinyxml2::XML_SUCCESS ? tinyxml2::XML_ERROR_EMPTY_DOCUMENT : result;
    const ErrorEntry* entry = FindError(error);
    Log::Error(kChannel, Format("Error ID: %d", entry != nullptr ? entry->code : static_cast<int>(error)));
    Log::Error(kChannel, Format("Error string 1: %s", ErrorDetail(*document).c_str()));
    const int line = document->ErrorLineNum();
    Log::Error(kChannel,
               line > 0 ? Format("Error string 2: line %d", line) : std::string("Error string 2: "));
    if (entry != nullptr)
    {
        Log::Error(kChannel, entry->message);
    }
    return false;
}

void XMLParserData::Convert(std::unique_ptr<tinyxml2::XMLDocument> document,
                            const tinyxml2::XMLElement& element)
{
    // The node takes the element's content, so a node filled twice does not keep the first attributes.
    DestroyChildrenAndSiblings();
    m_own.reset();
    ConvertContent(element);
    // A document read before goes only now: nothing reads it any more.
    m_document = std::move(document);
}

void XMLParserData::ConvertContent(const tinyxml2::XMLElement& element)
{
    m_element = &element;
    // tinyxml2 decodes each text in place the first time it is read. Reading them all now leaves the
    // document untouched afterwards, so a finished tree can be read from any thread. tinyxml2 refuses
    // duplicate attribute names, so the names are unique.
    element.Name();
    for (const tinyxml2::XMLAttribute* attribute = element.FirstAttribute(); attribute != nullptr;
         attribute = attribute->Next())
    {
        attribute->Name();
        attribute->Value();
    }

    const tinyxml2::XMLNode* first = element.FirstChild();
    const tinyxml2::XMLText* text = first != nullptr ? first->ToText() : nullptr;
    const char* value = text != nullptr ? text->Value() : nullptr;
    // Saving puts a line feed between the start tag and the text: drop it so that text reads back as saved.
    if (value != nullptr && *value == '\n' && !text->CData())
    {
        ++value;
    }
    m_parsedText = value != nullptr ? value : "";

    XMLParserData* last = nullptr;
    for (const tinyxml2::XMLElement* child = element.FirstChildElement(); child != nullptr;
         child = child->NextSiblingElement())
    {
        auto* node = new XMLParserData(*child);
        (last == nullptr ? firstChild : last->nextSibling) = node;
        last = node;
    }
}

XMLParserData::OwnContent& XMLParserData::Own()
{
    if (m_own == nullptr)
    {
        auto own = std::make_unique<OwnContent>();
        own->name = NameView();
        own->innerText = InnerTextView();
        ForEachAttribute([&own](std::string_view attributeName, std::string_view value)
                         { own->attributes.emplace_back(attributeName, value); });
        m_own = std::move(own);
        m_element = nullptr;
        m_parsedText = nullptr;
    }
    return *m_own;
}

IParserData* XMLParserData::AddChild(const std::string& childName)
{
    auto* node = new XMLParserData(childName);
    if (firstChild == nullptr)
    {
        firstChild = node;
        return node;
    }
    XMLParserData* last = firstChild;
    while (last->nextSibling != nullptr)
    {
        last = last->nextSibling;
    }
    last->nextSibling = node;
    return node;
}

IParserData* XMLParserData::Clone() const
{
    auto* copy = new XMLParserData(GetName());
    copy->m_own->innerText = InnerTextView();
    ForEachAttribute([copy](std::string_view attributeName, std::string_view value)
                     { copy->m_own->attributes.emplace_back(attributeName, value); });
    XMLParserData* last = nullptr;
    for (const XMLParserData* child = firstChild; child != nullptr; child = child->nextSibling)
    {
        auto* childCopy = static_cast<XMLParserData*>(child->Clone());
        (last == nullptr ? copy->firstChild : last->nextSibling) = childCopy;
        last = childCopy;
    }
    return copy;
}

std::optional<std::string_view> XMLParserData::FindAttribute(const std::string& attributeName) const
{
    if (m_own == nullptr)
    {
        const char* value = m_element->Attribute(attributeName.c_str());
        return value != nullptr ? std::optional<std::string_view>(value) : std::nullopt;
    }
    for (const auto& [entryName, value] : m_own->attributes)
    {
        if (entryName == attributeName)
        {
            return value;
        }
    }
    return std::nullopt;
}

std::vector<std::pair<std::string, std::string>> XMLParserData::GetAttributes() const
{
    std::vector<std::pair<std::string, std::string>> attributes;
    ForEachAttribute([&attributes](std::string_view attributeName, std::string_view value)
                     { attributes.emplace_back(attributeName, value); });
    return attributes;
}

bool XMLParserData::HasAttribute(const std::string& attributeName) const
{
    return FindAttribute(attributeName).has_value();
}

// Both kinds of content end their texts with a null character, so the C conversions may read them.
std::string XMLParserData::GetAttribute(const std::string& attributeName,
                                        const std::string& defaultValue) const
{
    const std::optional<std::string_view> value = FindAttribute(attributeName);
    return value ? std::string(*value) : defaultValue;
}

int XMLParserData::GetAttributeInt(const std::string& attributeName, int defaultValue) const
{
    const std::optional<std::string_view> value = FindAttribute(attributeName);
    return value ? std::atoi(value->data()) : defaultValue;
}

float XMLParserData::GetAttributeFloat(const std::string& attributeName, float defaultValue) const
{
    const std::optional<std::string_view> value = FindAttribute(attributeName);
    return value ? static_cast<float>(std::atof(value->data())) : defaultValue;
}

double XMLParserData::GetAttributeDouble(const std::string& attributeName, double defaultValue) const
{
    const std::optional<std::string_view> value = FindAttribute(attributeName);
    return value ? std::atof(value->data()) : defaultValue;
}

bool XMLParserData::GetAttributeBool(const std::string& attributeName, bool defaultValue) const
{
    const std::optional<std::string_view> value = FindAttribute(attributeName);
    return value ? *value == "true" : defaultValue;
}

void XMLParserData::SetAttribute(const std::string& attributeName, const std::string& value)
{
    auto& attributes = Own().attributes;
    for (auto& [entryName, entryValue] : attributes)
    {
        if (entryName == attributeName)
        {
            entryValue = value;
            return;
        }
    }
    attributes.emplace_back(attributeName, value);
}

void XMLParserData::SetAttributeInt(const std::string& attributeName, int value)
{
    SetAttribute(attributeName, ToText(value));
}

void XMLParserData::SetAttributeFloat(const std::string& attributeName, float value)
{
    SetAttribute(attributeName, ToText(value));
}

void XMLParserData::SetAttributeDouble(const std::string& attributeName, double value)
{
    SetAttribute(attributeName, ToText(value));
}

void XMLParserData::SetAttributeBool(const std::string& attributeName, bool value)
{
    SetAttribute(attributeName, value ? "true" : "false");
}

void XMLParserData::SetInnerText(const std::string& text)
{
    Own().innerText = text;
}

void XMLParserData::SetName(const std::string& newName)
{
    Own().name = newName;
}
} // namespace Morvane
