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
    ++m_revision;
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
    ++m_revision;
    return true;
}

void System::RemoveWatch(const std::string& name)
{
    std::erase_if(m_watches, [&name](const Watch& watch) { return watch.name == name; });
    ++m_revision;
}

void System::CheckWatches()
{
    // A callback may add, remove or renew watches (a reloaded level watches its file again): once the
    // list has changed, each watch seen at the start is looked up again, and only those still listed
    // are checked.
    std::vector<std::pair<std::string, std::string>> seen;
    seen.reserve(m_watches.size());
    for (const Watch& watch : m_watches)
    {
        seen.emplace_back(watch.name, watch.path);
    }
    const std::uint64_t revision = m_revision;
    for (std::size_t index = 0; index < seen.size(); ++index)
    {
        const std::string& name = seen[index].first;
        const std::string& path = seen[index].second;
        auto watch = m_watches.begin() + static_cast<std::ptrdiff_t>(index);
        if (m_revision != revision)
        {
            watch =
                std::find_if(m_watches.begin(), m_watches.end(),
                             [&](const Watch& listed) { return listed.name == name && listed.path == path; });
            if (watch == m_watches.end())
            {
                continue;
            }
        }
        const auto time = Platform::GetLastWriteTime(watch->path);
        if (time && LowBits(*time) != watch->lastWriteTime)
        {
            watch->lastWriteTime = LowBits(*time);
            const Callback callback = watch->callback;
            callback(path);
        }
    }
}
} // namespace Morvane::Files
