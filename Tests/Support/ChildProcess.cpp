#include "ChildProcess.h"

#include <array>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <poll.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace Morvane::Testing
{
namespace
{
// Forks; the parent drains the child's output from a pipe until the child is gone.
template <class Child> ChildOutcome Fork(Child child, std::optional<std::chrono::milliseconds> interruptAfter)
{
    std::array<int, 2> pipeEnds{};
    std::fflush(stdout);
    std::fflush(stderr);
    const pid_t pid = pipe(pipeEnds.data()) == 0 ? fork() : -1;
    if (pid < 0)
    {
        throw std::runtime_error("cannot start a child process");
    }
    if (pid == 0)
    {
        dup2(pipeEnds[1], STDOUT_FILENO);
        dup2(pipeEnds[1], STDERR_FILENO);
        close(pipeEnds[0]);
        close(pipeEnds[1]);
        alarm(60); // ends a child that hangs
        child();
        _exit(127);
    }
    close(pipeEnds[1]);
    std::string output;
    const auto interruptAt =
        std::chrono::steady_clock::now() + interruptAfter.value_or(std::chrono::milliseconds{});
    bool interrupted = !interruptAfter;
    std::array<char, 4096> buffer{};
    for (ssize_t count = 1; count > 0;)
    {
        pollfd readable{pipeEnds[0], POLLIN, 0};
        if (poll(&readable, 1, 20) > 0 && (count = read(pipeEnds[0], buffer.data(), buffer.size())) > 0)
        {
            output.append(buffer.data(), static_cast<std::size_t>(count));
        }
        if (!interrupted && std::chrono::steady_clock::now() >= interruptAt)
        {
            interrupted = kill(pid, SIGINT) == 0;
        }
    }
    close(pipeEnds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    return {WIFEXITED(status), WIFEXITED(status) ? WEXITSTATUS(status) : -1,
            WIFSIGNALED(status) ? WTERMSIG(status) : 0, std::move(output)};
}
} // namespace

ChildOutcome RunInChild(const std::function<int()>& body)
{
    return Fork([&body] { std::exit(body()); }, std::nullopt);
}

ChildOutcome RunProgram(const std::string& program, std::optional<std::chrono::milliseconds> interruptAfter,
                        const std::string& argument)
{
    return Fork(
        [&program, &argument]
        {
            if (argument.empty())
            {
                execl(program.c_str(), program.c_str(), nullptr);
            }
            execl(program.c_str(), program.c_str(), argument.c_str(), nullptr);
        },
        interruptAfter);
}
} // namespace Morvane::Testing
