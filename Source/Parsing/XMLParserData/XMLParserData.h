#pragma once

#include "Parsing/IParserData.h"
#include "System/Pool/Pooled.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tinyxml2
{
class XMLDocument;
class XMLElement;
} // namespace tinyxml2

namespace Morvane
{
// The XML implementation of a data node. A node owns its first child and every node after it in
// its own sibling chain: destroying a node frees its subtree and its later siblings.
// A tree read from XML keeps the parsed document: its nodes read names, texts and attributes from it
// instead of copying them, which is most of what building a second tree would cost. A node takes
// content of its own when it is first changed, and nodes made by hand start with their own.
class XMLParserData : public IParserData, public Pooled<XMLParserData>
{
public:
    explicit XMLParserData(const std::string& nodeName = "");
    ~XMLParserData() override;
    XMLParserData(const XMLParserData&) = delete;
    XMLParserData& operator=(const XMLParserData&) = delete;

    std::string GetName() const override;
    std::string ToString() const override;
    bool FromString(const std::string& xml) override;
    IParserData* AddChild(const std::string& childName) override;
    IParserData* Clone() const override;

    std::string GetAttribute(const std::string& attributeName,
                             const std::string& defaultValue) const override;
    int GetAttributeInt(const std::string& attributeName, int defaultValue) const override;
    float GetAttributeFloat(const std::string& attributeName, float defaultValue) const override;
    double GetAttributeDouble(const std::string& attributeName, double defaultValue) const override;
    bool GetAttributeBool(const std::string& attributeName, bool defaultValue) const override;

    void SetAttribute(const std::string& attributeName, const std::string& value) override;
    void SetAttributeInt(const std::string& attributeName, int value) override;
    void SetAttributeFloat(const std::string& attributeName, float value) override;
    void SetAttributeDouble(const std::string& attributeName, double value) override;
    void SetAttributeBool(const std::string& attributeName, bool value) override;

    std::string GetInnerText() const override;
    void SetInnerText(const std::string& text) override;

    IParserData* GetNextSibling() override { return nextSibling; }
    const IParserData* GetNextSibling() const override { return nextSibling; }
    IParserData* GetFirstChild() override { return firstChild; }
    const IParserData* GetFirstChild() const override { return firstChild; }

    bool HasAttribute(const std::string& attributeName) const override;
    void SetName(const std::string& newName) override;

    // Every attribute as (name, value), in the node's own order: document order for a parsed node, then
    // any added since. For writers that must keep what they do not know.
    std::vector<std::pair<std::string, std::string>> GetAttributes() const;

    // Reads the XML file at `path` and converts its first element into `target`.
    static bool LoadFile(const std::string& path, XMLParserData* target);

private:
    // What a node holds once it is changed or made by hand.
    struct OwnContent
    {
        std::string name;
        std::string innerText;
        // Unique names. Nodes carry a handful of attributes: a flat list is much cheaper to build,
        // copy and search than a hash map, and keeps document order (callers must not rely on any order).
        std::vector<std::pair<std::string, std::string>> attributes;
    };

    explicit XMLParserData(const tinyxml2::XMLElement& element);
    static void DestroyChain(XMLParserData* node);
    void DestroyChildrenAndSiblings();
    void Convert(std::unique_ptr<tinyxml2::XMLDocument> document, const tinyxml2::XMLElement& element);
    void ConvertContent(const tinyxml2::XMLElement& element);
    void AppendTo(std::string& text) const;
    std::optional<std::string_view> FindAttribute(const std::string& attributeName) const;
    template <class Visit> void ForEachAttribute(Visit&& visit) const;
    std::string_view NameView() const;
    std::string_view InnerTextView() const;
    OwnContent& Own();

    // Only on the node a document was converted into; it outlives every node reading from it, as they
    // are all below this one.
    std::unique_ptr<tinyxml2::XMLDocument> m_document;
    XMLParserData* nextSibling = nullptr;
    XMLParserData* firstChild = nullptr;
    // Exactly one of the two: the element this node reads, with its inner text, or content of its own.
    const tinyxml2::XMLElement* m_element = nullptr;
    const char* m_parsedText = nullptr;
    std::unique_ptr<OwnContent> m_own;
};
} // namespace Morvane
