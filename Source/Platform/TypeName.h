#pragma once

#include <string>
#include <typeinfo>

namespace Morvane::Platform
{
// Readable class name of a run-time type, for example "Morvane::Graphics::System".
std::string GetTypeName(const std::type_info& type);

template <class T> std::string GetTypeName(const T& object)
{
    return GetTypeName(typeid(object));
}
} // namespace Morvane::Platform
