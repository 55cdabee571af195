#pragma once

#include "SystemManager/ISystem.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace Morvane::Files
{
// Watches files on disk and calls back when one has been rewritten. The watches are looked at
// only when the designer asks for it (F9), never on their own.
class System : public ISystem
{
public:
    using Callback = std::function<void(const std::string& path)>;

    static constexpr int kCheckKey = 120; // F9

    static System& GetInstance();

    bool Initialize() override { return true; }
    void Update(const float& dt) override;
    void Release() override;
    bool Parse(IParserData*) override { return true; }

    // Watches `path`; the time it was last written is taken now. A watch without a callback is refused.
    bool AddWatch(const std::string& name, const std::string& path, Callback callback);
    // Drops every watch called `name`; a callback may do so.
    void RemoveWatch(const std::string& name);
    // Calls back every watched file written since it was last seen.
    void CheckWatches();
    std::size_t GetWatchCount() const { return m_watches.size(); }

private:
    struct Watch
    {
        std::string name;
        std::string path;
        std::uint32_t lastWriteTime;
        Callback callback;
    };

    System() = default;

    std::vector<Watch> m_watches;
    // Moves on with every change to the list.
    std::uint64_t m_revision = 0;
};
} // namespace Morvane::Files
