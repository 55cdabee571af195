#include "Files/FilesSystem.h"

#include "Input/InputSystem.h"
#include "Platform/FileTime.h"
#include "System/Logging/Format.h"
#include "System/Logging/LoggingSystem.h"

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
    // By index, and with the callback copied: a callback may add watches or release the list.
    for (std::size_t index = 0; index < m_watches.size(); ++index)
    {
        Watch& watch = m_watches[index];
        const auto time = Platform::GetLastWriteTime(watch.path);
        if (time && LowBits(*time) != watch.lastWriteTime)
        {
            watch.lastWriteTime = LowBits(*time);
            const Callback callback = watch.callback;
            const std::string path = watch.path;
            callback(path);
        }
    }
}
} // namespace Morvane::Files
