#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace Morvane::Testing
{
// How a child process ended and everything it wrote to standard output and standard error.
struct ChildOutcome
{
    bool exited = false; // ended through exit() or a return from main
    int exitStatus = -1; // when exited
    int signal = 0;      // when killed by a signal
    std::string output;
};

// Runs `body` in a forked child that ends with std::exit(body()), as a program's main would.
ChildOutcome RunInChild(const std::function<int()>& body);

// Runs a program with its output captured. Message boxes go to standard error in every child.
class ChildProcess
{
public:
    explicit ChildProcess(std::string program, std::vector<std::string> arguments = {});

    // Sends `interruptSignal` after `interruptAfter` if given; kills the program after `timeout`.
    ChildOutcome Run(std::chrono::milliseconds timeout,
                     std::optional<std::chrono::milliseconds> interruptAfter = {},
                     int interruptSignal = 2) const;

private:
    std::string m_program;
    std::vector<std::string> m_arguments;
};

// The folder of the test program itself, ending with '/'.
std::string TestProgramFolder();
} // namespace Morvane::Testing
