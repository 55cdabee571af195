#pragma once

#include "Parsing/IParserData.h"
#include "System/Pool/Pooled.h"

#include <string>
#include <unordered_map>

namespace tinyxml2
{
class XMLElement;
}

namespace Morvane
{
// The XML implementation of a data node. A node owns its first child and every node after it in
// its own sibling chain: destroying a node frees its subtree and its later siblings.
class XMLParserData : public IParserData, public Pooled<XMLParserData>
{
public:
    explicit XMLParserData(const std::string& nodeName = "");
    ~XMLParserData() override;
    XMLParserData(const XMLParserData&) = delete;
    XMLParserData& operator=(const XMLParserData&) = delete;

    std::string GetName() const override { return name; }
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

    std::string GetInnerText() const override { return m_innerText; }
    void SetInnerText(const std::string& text) override { m_innerText = text; }

    IParserData* GetNextSibling() override { return nextSibling; }
    const IParserData* GetNextSibling() const override { return nextSibling; }
    IParserData* GetFirstChild() override { return firstChild; }
    const IParserData* GetFirstChild() const override { return firstChild; }

    bool HasAttribute(const std::string& attributeName) const override;
    void SetName(const std::string& newName) override { name = newName; }

    // Reads the XML file at `path` and converts its first element into `target`.
    static bool LoadFile(const std::string& path, XMLParserData* target);

private:
    static void DestroyChain(XMLParserData* node);
    void DestroyChildrenAndSiblings();
    void Convert(const tinyxml2::XMLElement& element);
    const std::string* FindAttribute(const std::string& attributeName) const;

    XMLParserData* nextSibling = nullptr;
    XMLParserData* firstChild = nullptr;
    std::string name;
    std::string m_innerText;
    std::unordered_map<std::string, std::string> m_attributes;
};
} // namespace Morvane
