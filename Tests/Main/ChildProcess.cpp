#include "ChildProcess.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace Morvane::Testing
{
namespace
{
// Forks; the child's output goes into a pipe the parent drains until the child is gone.
template <class Child> ChildOutcome Fork(Child child)
{
    std::array<int, 2> pipeEnds{};
    if (pipe(pipeEnds.data()) != 0)
    {
        throw std::runtime_error("pipe failed");
    }
    std::fflush(stdout);
    std::fflush(stderr);
    const pid_t pid = fork();
    if (pid < 0)
    {
        throw std::runtime_error("fork failed");
    }
    if (pid == 0)
    {
        close(pipeEnds[0]);
        dup2(pipeEnds[1], STDOUT_FILENO);
        dup2(pipeEnds[1], STDERR_FILENO);
        close(pipeEnds[1]);
        setenv("MORVANE_NO_MESSAGE_BOX", "1", 1);
        child();
        _exit(127);
    }
    close(pipeEnds[1]);
    ChildOutcome outcome;
    std::array<char, 4096> buffer{};
    ssize_t count = 0;
    while ((count = read(pipeEnds[0], buffer.data(), buffer.size())) > 0)
    {
        outcome.output.append(buffer.data(), static_cast<std::size_t>(count));
    }
    close(pipeEnds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    outcome.exited = WIFEXITED(status);
    outcome.exitStatus = outcome.exited ? WEXITSTATUS(status) : -1;
    outcome.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    return outcome;
}
} // namespace

ChildOutcome RunInChild(int (*body)())
{
    return Fork([body] { std::exit(body()); });
}

ChildOutcome RunProgram(const std::string& path, const std::string& workingDirectory)
{
    return Fork(
        [&]
        {
            if (chdir(workingDirectory.c_str()) == 0)
            {
                execl(path.c_str(), path.c_str(), static_cast<char*>(nullptr));
            }
        });
}
} // namespace Morvane::Testing
