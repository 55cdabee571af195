#pragma once

#include <mutex>

namespace Morvane
{
class IParserData;

// Base of every engine system. Each system is a process-wide singleton reached through its own
// accessor; the system manager decides when it is initialised, updated and released.
class ISystem
{
public:
    virtual ~ISystem() = default;

    virtual bool Initialize() = 0;
    virtual void Update(const float& dt) = 0;
    virtual void Release() = 0;
    virtual bool Parse(IParserData* data) = 0;

    // Builds the log and the object pools if they are not yet. Statics are destroyed in the reverse
    // order of their construction, so whatever calls this first outlives them: its release at exit may
    // still log and give blocks back.
    static void BuildLogAndPoolsFirst();

protected:
    ISystem();
    // The log's own base: nothing it needs is built before it.
    struct LogBase
    {
    };
    explicit ISystem(LogBase) {}
    ISystem(const ISystem&) = delete;
    ISystem& operator=(const ISystem&) = delete;

    // Locked around work that other threads reach.
    std::recursive_mutex m_mutex;
};
} // namespace Morvane
