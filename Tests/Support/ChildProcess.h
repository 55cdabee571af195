#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace Morvane::Testing
{
// Runs a program with its standard output and error captured together.
class ChildProcess
{
public:
    struct Result
    {
        bool exited = false; // ended through exit() or a return from main
        int exitStatus = -1; // when exited
        int signal = 0;      // when killed by a signal
        std::string output;
    };

    ChildProcess(std::string program, std::vector<std::string> arguments = {});

    // Sends `interruptSignal` after `interruptAfter` if given; kills the program after `timeout`.
    Result Run(std::chrono::milliseconds timeout,
               std::optional<std::chrono::milliseconds> interruptAfter = {}, int interruptSignal = 2) const;

private:
    std::string m_program;
    std::vector<std::string> m_arguments;
};

// The folder of the test program itself, ending with '/'.
std::string TestProgramFolder();
} // namespace Morvane::Testing
