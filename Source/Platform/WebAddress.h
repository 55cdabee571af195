#pragma once

#include <functional>
#include <string>

namespace Morvane::Platform
{
enum class WebAddressResult
{
    Opened,
    NotWeb,    // not an http or https address: it would start whatever the desktop maps it to
    NoDisplay, // nobody to look at a browser
    Failed,
};

// An http or https address with a host, free of spaces and control characters.
bool IsWebAddress(const std::string& address);

// Opens `address` in the default browser, never through a shell, and only a web address on an
// interactive display.
WebAddressResult OpenWebAddress(const std::string& address);

using WebAddressOpener = std::function<bool(const std::string& address)>;

// Replaces what opens a checked address (tests record it); an empty opener restores the browser.
void SetWebAddressOpener(WebAddressOpener opener);
} // namespace Morvane::Platform
