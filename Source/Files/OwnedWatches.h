#pragma once

#include "Files/FilesSystem.h"

#include <string>
#include <utility>
#include <vector>

namespace Morvane::Files
{
// The watches of one owner, all under one name, removed when the owner clears them or goes away: a
// callback can then never reach an owner that is gone. The name must be the owner's alone.
class OwnedWatches
{
public:
    explicit OwnedWatches(std::string name) : m_name(std::move(name)) {}
    ~OwnedWatches() { Clear(); }
    OwnedWatches(const OwnedWatches&) = delete;
    OwnedWatches& operator=(const OwnedWatches&) = delete;

    bool Add(const std::string& path, System::Callback callback);
    void Clear();
    bool Watches(const std::string& path) const;

private:
    const std::string m_name;
    std::vector<std::string> m_paths;
};
} // namespace Morvane::Files
