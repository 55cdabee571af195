#pragma once

#include "Platform/Console.h"
#include "SystemManager/ISystem.h"

#include <string>

namespace Morvane::Logging
{
// The engine's one log: time-stamped, coloured lines on standard output, safe from any thread. On a
// terminal long messages wrap at column 127; into a file or a pipe each message line stays whole, so
// that searching the log finds it.
class System : public ISystem
{
public:
    static System& GetInstance();

    void Info(const std::string& subsystem, const std::string& message);
    void Warning(const std::string& subsystem, const std::string& message);
    void Error(const std::string& subsystem, const std::string& message);

    bool Initialize() override { return true; }
    void Update(const float&) override {}
    void Release() override {}
    bool Parse(IParserData*) override { return true; }

    Platform::Console& GetConsole() { return m_console; }
    // Wrapping at column 127 on or off; on only for a terminal at first.
    void SetWrapping(bool wrap) { m_wrap = wrap; }

    // The message text with continuation lines indented to `indent`, wrapped at 127 columns when
    // `wrap` is set.
    static std::string Wrap(const std::string& message, std::size_t indent, bool wrap = true);

private:
    System();
    void Write(const std::string& subsystem, const std::string& message, Platform::ConsoleColour colour);

    Platform::Console m_console;
    bool m_wrap;
};
} // namespace Morvane::Logging

namespace Morvane::Log
{
inline void Info(const std::string& subsystem, const std::string& message)
{
    Logging::System::GetInstance().Info(subsystem, message);
}

inline void Warning(const std::string& subsystem, const std::string& message)
{
    Logging::System::GetInstance().Warning(subsystem, message);
}

inline void Error(const std::string& subsystem, const std::string& message)
{
    Logging::System::GetInstance().Error(subsystem, message);
}
} // namespace Morvane::Log
