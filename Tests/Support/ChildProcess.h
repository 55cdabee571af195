#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>

namespace Morvane::Testing
{
// How a child process ended and everything it wrote to standard output and standard error.
struct ChildOutcome
{
    bool exited = false; // through exit() or a return from main
    int exitStatus = -1;
    int signal = 0; // when killed by a signal
    std::string output;
};

// Runs `body` in a forked child ending with std::exit(body()); children inherit the setting that sends
// message boxes to standard error, and one still running after a minute is killed.
ChildOutcome RunInChild(const std::function<int()>& body);

// Runs `program` with one argument, or none when it is empty; sends it SIGINT after `interruptAfter` if
// given.
ChildOutcome RunProgram(const std::string& program,
                        std::optional<std::chrono::milliseconds> interruptAfter = {},
                        const std::string& argument = "");
} // namespace Morvane::Testing
