#include "Parsing/XMLParserData/XMLParserData.h"

#include "System/Assert/Assertion.h"
#include "System/Logging/Format.h"
#include "System/Logging/LoggingSystem.h"

#include <algorithm>
#include <cstdlib>
#include <sstream>
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
void AppendEscaped(std::string& text, const std::string& value)
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
void AppendInnerText(std::string& text, const std::string& innerText)
{
    if (!innerText.empty() && innerText.find_first_not_of(" \t\n\v\f\r") == std::string::npos)
    {
        text += "&#" + std::to_string(static_cast<int>(innerText.front())) + ';';
        AppendEscaped(text, innerText.substr(1));
        return;
    }
    AppendEscaped(text, innerText);
}

std::string WithoutDoubleQuotes(const std::string& text)
{
    if (text.find('"') == std::string::npos)
    {
        return text;
    }
    Log::Error(kChannel, "Data cannot have double quotes");
    std::string replaced = text;
    for (char& character : replaced)
    {
        if (character == '"')
        {
            character = '\'';
        }
    }
    return replaced;
}
} // namespace

XMLParserData::XMLParserData(const std::string& nodeName) : name(nodeName) {}

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

std::string XMLParserData::ToString() const
{
    std::string text;
    AppendTo(text);
    return text;
}

void XMLParserData::AppendTo(std::string& text) const
{
    MORVANE_ASSERT_NAMED(!GetName().empty(), "!GetName().empty()", 50);
    text += '<';
    text += name;
    for (const auto& [attributeName, value] : m_attributes)
    {
        const std::string safeName = WithoutDoubleQuotes(attributeName);
        const std::string safeValue = WithoutDoubleQuotes(value);
        text += ' ';
        text += safeName;
        text += "=\"";
        AppendEscaped(text, safeValue);
        text += "\" ";
    }
    text += ">\n";
    if (firstChild == nullptr)
    {
        AppendInnerText(text, m_innerText);
    }
    else
    {
        MORVANE_ASSERT_NAMED(m_innerText.empty(), "m_innerText.empty()", 78);
        for (const XMLParserData* child = firstChild; child != nullptr; child = child->nextSibling)
        {
            child->AppendTo(text);
        }
    }
    text += "</";
    text += name;
    text += ">\n";
}

bool XMLParserData::FromString(const std::string& xml)
{
    DestroyChildrenAndSiblings();
    tinyxml2::XMLDocument document;
    const tinyxml2::XMLError result = document.Parse(xml.c_str(), xml.size());
    if (result != tinyxml2::XML_SUCCESS)
    {
        if (const ErrorEntry* entry = FindError(result))
        {
            Log::Error(kChannel, entry->message);
        }
        return false;
    }
    const tinyxml2::XMLElement* root = document.FirstChildElement();
    if (root == nullptr)
    {
        Log::Error(kChannel, "Error: XML_ERROR_EMPTY_DOCUMENT");
        return false;
    }
    Convert(*root);
    return true;
}

bool XMLParserData::LoadFile(const std::string& path, XMLParserData* target)
{
    MORVANE_ASSERT_NAMED(target != nullptr, "target", 500);
    tinyxml2::XMLDocument document;
    const tinyxml2::XMLError result = document.LoadFile(path.c_str());
    const tinyxml2::XMLElement* root =
        result == tinyxml2::XML_SUCCESS ? document.FirstChildElement() : nullptr;
    if (root != nullptr)
    {
        target->Convert(*root);
        return true;
    }

    // A document holding no element at all (only a comment, say) is as useless as an empty one.
    const tinyxml2::XMLError error =
        result == tinyxml2::XML_SUCCESS ? tinyxml2::XML_ERROR_EMPTY_DOCUMENT : result;
    const ErrorEntry* entry = FindError(error);
    Log::Error(kChannel, Format("Error ID: %d", entry != nullptr ? entry->code : static_cast<int>(error)));
    Log::Error(kChannel, Format("Error string 1: %s", ErrorDetail(document).c_str()));
    const int line = document.ErrorLineNum();
    Log::Error(kChannel,
               line > 0 ? Format("Error string 2: line %d", line) : std::string("Error string 2: "));
    if (entry != nullptr)
    {
        Log::Error(kChannel, entry->message);
    }
    return false;
}

void XMLParserData::Convert(const tinyxml2::XMLElement& element)
{
    DestroyChildrenAndSiblings();
    // The node takes the element's content, so a node filled twice does not keep the first attributes.
    m_attributes.clear();
    name = element.Name();
    std::size_t count = 0;
    for (const tinyxml2::XMLAttribute* attribute = element.FirstAttribute(); attribute != nullptr;
         attribute = attribute->Next())
    {
        ++count;
    }
    m_attributes.reserve(count);
    for (const tinyxml2::XMLAttribute* attribute = element.FirstAttribute(); attribute != nullptr;
         attribute = attribute->Next())
    {
        const char* const attributeName = attribute->Name();
        MORVANE_ASSERT_NAMED(std::none_of(m_attributes.begin(), m_attributes.end(),
                                          [attributeName](const auto& entry)
                                          { return entry.first == attributeName; }),
                             "m_attributes.find(attributeName) == m_attributes.end()", 605);
        m_attributes.emplace_back(attributeName, attribute->Value());
    }

    const tinyxml2::XMLNode* first = element.FirstChild();
    const tinyxml2::XMLText* text = first != nullptr ? first->ToText() : nullptr;
    const char* value = text != nullptr ? text->Value() : nullptr;
    // Saving puts a line feed between the start tag and the text: drop it so that text reads back as saved.
    if (value != nullptr && *value == '\n' && !text->CData())
    {
        ++value;
    }
    m_innerText = value != nullptr ? value : "";

    XMLParserData* last = nullptr;
    for (const tinyxml2::XMLElement* child = element.FirstChildElement(); child != nullptr;
         child = child->NextSiblingElement())
    {
        auto* node = new XMLParserData();
        (last == nullptr ? firstChild : last->nextSibling) = node;
        last = node;
        node->Convert(*child);
    }
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
    auto* copy = new XMLParserData(name);
    copy->m_innerText = m_innerText;
    copy->m_attributes = m_attributes;
    XMLParserData* last = nullptr;
    for (const XMLParserData* child = firstChild; child != nullptr; child = child->nextSibling)
    {
        auto* childCopy = static_cast<XMLParserData*>(child->Clone());
        (last == nullptr ? copy->firstChild : last->nextSibling) = childCopy;
        last = childCopy;
    }
    return copy;
}

const std::string* XMLParserData::FindAttribute(const std::string& attributeName) const
{
    for (const auto& [entryName, value] : m_attributes)
    {
        if (entryName == attributeName)
        {
            return &value;
        }
    }
    return nullptr;
}

std::string* XMLParserData::FindAttribute(const std::string& attributeName)
{
    return const_cast<std::string*>(std::as_const(*this).FindAttribute(attributeName));
}

bool XMLParserData::HasAttribute(const std::string& attributeName) const
{
    return FindAttribute(attributeName) != nullptr;
}

std::string XMLParserData::GetAttribute(const std::string& attributeName,
                                        const std::string& defaultValue) const
{
    const std::string* value = FindAttribute(attributeName);
    return value != nullptr ? *value : defaultValue;
}

int XMLParserData::GetAttributeInt(const std::string& attributeName, int defaultValue) const
{
    const std::string* value = FindAttribute(attributeName);
    return value != nullptr ? std::atoi(value->c_str()) : defaultValue;
}

float XMLParserData::GetAttributeFloat(const std::string& attributeName, float defaultValue) const
{
    const std::string* value = FindAttribute(attributeName);
    return value != nullptr ? static_cast<float>(std::atof(value->c_str())) : defaultValue;
}

double XMLParserData::GetAttributeDouble(const std::string& attributeName, double defaultValue) const
{
    const std::string* value = FindAttribute(attributeName);
    return value != nullptr ? std::atof(value->c_str()) : defaultValue;
}

bool XMLParserData::GetAttributeBool(const std::string& attributeName, bool defaultValue) const
{
    const std::string* value = FindAttribute(attributeName);
    return value != nullptr ? *value == "true" : defaultValue;
}

void XMLParserData::SetAttribute(const std::string& attributeName, const std::string& value)
{
    if (std::string* existing = FindAttribute(attributeName))
    {
        *existing = value;
        return;
    }
    m_attributes.emplace_back(attributeName, value);
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
} // namespace Morvane
