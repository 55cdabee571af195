#include "Files/FilesSystem.h"

#include "Input/InputSystem.h"
#include "Platform/FileTime.h"
#include "System/Logging/Format.h"
#include "System/Logging/LoggingSystem.h"

#include <algorithm>

namespace Morvane::Files
{
namespace
{
const char* const kChannel = "File Parser";

std::uint32_t LowBits(std::uint64_t time)
{
    return static_cast<std::uint32_t>(time & 0xFFFFFFFFu);
}
} // namespace

System& System::GetInstance()
{
    static System instance;
    return instance;
}

void System::Update(const float&)
{
    if (Input::System::GetInstance().IsTriggered(kCheckKey))
    {
        CheckWatches();
    }
}

void System::Release()
{
    m_watches.clear();
}

bool System::AddWatch(const std::string& name, const std::string& path, Callback callback)
{
    if (!callback)
    {
        Log::Error(kChannel, Format("Watch '%s' has no callback", name.c_str()));
        return false;
    }
    const auto time = Platform::GetLastWriteTime(path);
    m_watches.push_back({name, path, time ? LowBits(*time) : 0u, std::move(callback)});
    return true;
}

void System::RemoveWatch(const std::string& name)
{
    std::erase_if(m_watches, [&name](const Watch& watch) { return watch.name == name; });
}

void System::CheckWatches()
{
    // From a copy, calling only watches still listed: a callback may add, remove or renew watches (a
    // reloaded level watches its file again).
    const std::vector<Watch> seen = m_watches;
    for (const Watch& entry : seen)
    {
        const auto watch = std::find_if(m_watches.begin(), m_watches.end(),
                                        [&entry](const Watch& listed)
                                        { return listed.name == entry.name && listed.path == entry.path; });
        if (watch == m_watches.end())
        {
            continue;
        }
        const auto time = Platform::GetLastWriteTime(watch->path);
        if (time && LowBits(*time) != watch->lastWriteTime)
        {
            watch->lastWriteTime = LowBits(*time);
            const Callback callback = watch->callback;
            callback(entry.path);
        }
    }
}
} // namespace Morvane::Files
