#include "Files/OwnedWatches.h"

#include <algorithm>

namespace Morvane::Files
{
bool OwnedWatches::Add(const std::string& path, System::Callback callback)
{
    if (!System::GetInstance().AddWatch(m_name, path, std::move(callback)))
    {
        return false;
    }
    m_paths.push_back(path);
    return true;
}

void OwnedWatches::Clear()
{
    // An owner that never watched anything leaves the files system alone.
    if (!m_paths.empty())
    {
        System::GetInstance().RemoveWatch(m_name);
        m_paths.clear();
    }
}

bool OwnedWatches::Watches(const std::string& path) const
{
    return std::ranges::find(m_paths, path) != m_paths.end();
}
} // namespace Morvane::Files
