#pragma once

namespace Morvane
{
class IParserData;

// Something that builds itself from a data node and writes itself back.
class IParseable
{
public:
    virtual ~IParseable() = default;
    virtual bool Parse(const IParserData* data) = 0;
    virtual bool Save(IParserData* data) = 0;
};
} // namespace Morvane
