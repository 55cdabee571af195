#pragma once

#include <functional>
#include <string>

namespace Morvane::Platform
{
// Shows `text` to the user and waits for OK. Where no real display exists (or
// MORVANE_NO_MESSAGE_BOX is set, as tests and headless runs do) the text goes to standard error
// instead, so nothing ever waits for a button nobody can press.
void ShowMessageBox(const std::string& text, const std::string& caption);

using MessageBoxHandler = std::function<void(const std::string& text, const std::string& caption)>;

// Replaces how every thread shows message boxes (tests record them); an empty handler restores the
// default.
void SetMessageBoxHandler(MessageBoxHandler handler);
} // namespace Morvane::Platform
