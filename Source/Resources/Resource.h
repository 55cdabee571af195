#pragma once

#include "System/Pool/Pooled.h"

#include <string>

namespace Morvane
{
class IParserData;
}

namespace Morvane::Resources
{
// Base of every resource (texture, shader, mesh, sound, ...). A resource is parsed from its definition,
// possibly on the load thread, and then initialised on the main thread, where graphics and audio work
// may happen. Only the resource system creates and destroys resources.
class Resource : public Pooled<Resource>
{
public:
    explicit Resource(const std::string& name) : m_name(name) {}
    virtual ~Resource() = default;
    Resource(const Resource&) = delete;
    Resource& operator=(const Resource&) = delete;

    // Main-thread work (creating the graphics or audio object); sets the initialised flag on success.
    virtual bool Initialize() = 0;
    // Frees what Initialize created; also called on resources that were never initialised.
    virtual void Release() = 0;
    // Reads the definition. Runs on the load thread for "multiThreaded" definitions, so it may touch
    // only the resource itself and thread-safe services (the log, the path table, the file parser).
    virtual bool Parse(const IParserData* definition);

    const std::string& GetName() const { return m_name; }
    bool IsInitialized() const { return m_initialized; }

protected:
    void SetInitialized(bool initialized) { m_initialized = initialized; }

private:
    bool m_initialized = false;
    const std::string m_name;
};
} // namespace Morvane::Resources
