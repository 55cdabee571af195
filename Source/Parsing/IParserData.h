#pragma once

#include <string>

namespace Morvane
{
// A node of a data tree: a name, attributes, an inner text and children.
// Children are walked with GetFirstChild() and then GetNextSibling() until null.
class IParserData
{
public:
    virtual ~IParserData() = default;

    virtual std::string GetName() const = 0;
    virtual std::string ToString() const = 0;
    virtual bool FromString(const std::string& xml) = 0;
    virtual IParserData* AddChild(const std::string& name) = 0;
    virtual IParserData* Clone() const = 0;

    virtual std::string GetAttribute(const std::string& name, const std::string& defaultValue) const = 0;
    virtual int GetAttributeInt(const std::string& name, int defaultValue) const = 0;
    virtual float GetAttributeFloat(const std::string& name, float defaultValue) const = 0;
    virtual double GetAttributeDouble(const std::string& name, double defaultValue) const = 0;
    virtual bool GetAttributeBool(const std::string& name, bool defaultValue) const = 0;

    virtual void SetAttribute(const std::string& name, const std::string& value) = 0;
    virtual void SetAttributeInt(const std::string& name, int value) = 0;
    virtual void SetAttributeFloat(const std::string& name, float value) = 0;
    virtual void SetAttributeDouble(const std::string& name, double value) = 0;
    virtual void SetAttributeBool(const std::string& name, bool value) = 0;

    virtual std::string GetInnerText() const = 0;
    virtual void SetInnerText(const std::string& text) = 0;

    virtual IParserData* GetNextSibling() = 0;
    virtual const IParserData* GetNextSibling() const = 0;
    virtual IParserData* GetFirstChild() = 0;
    virtual const IParserData* GetFirstChild() const = 0;

    virtual bool HasAttribute(const std::string& name) const = 0;
    virtual void SetName(const std::string& name) = 0;

protected:
    IParserData() = default;
    IParserData(const IParserData&) = default;
    IParserData& operator=(const IParserData&) = default;
};
} // namespace Morvane
