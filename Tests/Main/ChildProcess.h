#pragma once

#include <string>

namespace Morvane::Testing
{
// How a child process ended and everything it wrote to standard output and standard error.
struct ChildOutcome
{
    bool exited = false;
    int exitStatus = -1;
    int signal = 0;
    std::string output;
};

// Runs `body` in a forked child that ends with std::exit(body()), as a program's main would, with
// message boxes going to standard error.
ChildOutcome RunInChild(int (*body)());

// Runs the program at `path` in `workingDirectory`, with message boxes going to standard error.
ChildOutcome RunProgram(const std::string& path, const std::string& workingDirectory);
} // namespace Morvane::Testing
