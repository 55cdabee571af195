#include "Platform/WebAddress.h"

#include "Platform/InteractiveDisplay.h"

#include <SDL.h>
#include <algorithm>
#include <cctype>
#include <string_view>

namespace Morvane::Platform
{
namespace
{
WebAddressOpener& Opener()
{
    static WebAddressOpener opener;
    return opener;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), text.begin(),
                      [](char a, char b) {
                          return std::tolower(static_cast<unsigned char>(a)) == static_cast<unsigned char>(b);
                      });
}
} // namespace

bool IsWebAddress(const std::string& address)
{
    std::string_view rest;
    for (const std::string_view scheme : {std::string_view("http://"), std::string_view("https://")})
    {
        if (StartsWithNoCase(address, scheme))
        {
            rest = std::string_view(address).substr(scheme.size());
        }
    }
    const bool printable = std::all_of(address.begin(), address.end(),
                                       [](char c)
                                       {
                                           const auto byte = static_cast<unsigned char>(c);
                                           return byte > ' ' && byte != 0x7f;
                                       });
    return printable && !rest.empty() && rest.front() != '/';
}

WebAddressResult OpenWebAddress(const std::string& address)
{
    if (!IsWebAddress(address))
    {
        return WebAddressResult::NotWeb;
    }
    if (const WebAddressOpener& opener = Opener())
    {
        return opener(address) ? WebAddressResult::Opened : WebAddressResult::Failed;
    }
    if (!HasInteractiveDisplay())
    {
        return WebAddressResult::NoDisplay;
    }
    // SDL starts the desktop's opener with the address as its one argument, without a shell.
    return SDL_OpenURL(address.c_str()) == 0 ? WebAddressResult::Opened : WebAddressResult::Failed;
}

void SetWebAddressOpener(WebAddressOpener opener)
{
    Opener() = std::move(opener);
}
} // namespace Morvane::Platform
