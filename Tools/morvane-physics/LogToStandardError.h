#pragma once

#include <string_view>

namespace MorvanePhysics
{
// While alive, standard output (where the engine logs) goes to standard error; Write reaches the real
// standard output, so the report can be piped or compared without the log.
class LogToStandardError
{
public:
    LogToStandardError();
    ~LogToStandardError();
    LogToStandardError(const LogToStandardError&) = delete;
    LogToStandardError& operator=(const LogToStandardError&) = delete;

    bool Write(std::string_view text) const;

private:
    int m_output;
};
} // namespace MorvanePhysics
