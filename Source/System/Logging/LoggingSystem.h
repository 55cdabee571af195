#pragma once

#include "Platform/Console.h"
#include "SystemManager/ISystem.h"

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace Morvane::Logging
{
// Hears every message the log writes for as long as it lives; the log stops calling it before the
// destructor returns, so whatever it reaches may go right after.
class ListenerHandle
{
public:
    ~ListenerHandle();
    ListenerHandle(const ListenerHandle&) = delete;
    ListenerHandle& operator=(const ListenerHandle&) = delete;

private:
    friend class System;
    explicit ListenerHandle(std::uint64_t id) : m_id(id) {}

    const std::uint64_t m_id;
};

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

    // Called with each message as given, unwrapped, after it is written, on the thread that logs it and
    // under the log's lock: a listener must be quick, and must neither log nor add or remove listeners.
    using Listener = std::function<void(const std::string& channel, const std::string& message)>;
    [[nodiscard]] ListenerHandle AddListener(Listener listener);

    // The message text with continuation lines indented to `indent`, wrapped at 127 columns when
    // `wrap` is set.
    static std::string Wrap(const std::string& message, std::size_t indent, bool wrap = true);

private:
    System();
    friend class ListenerHandle;
    void RemoveListener(std::uint64_t id);
    void Write(const std::string& subsystem, const std::string& message, Platform::ConsoleColour colour);

    Platform::Console m_console;
    bool m_wrap;
    std::vector<std::pair<std::uint64_t, Listener>> m_listeners;
    std::uint64_t m_nextListener = 1;
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
