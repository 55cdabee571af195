#include "ChildProcess.h"

#include "Platform/ExecutablePath.h"

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
// Forks; the child's output goes into a pipe the parent drains until the child is gone. The parent
// interrupts the child after `interruptAfter` and kills it after `timeout`.
template <class Child>
ChildOutcome Fork(Child child, std::chrono::milliseconds timeout,
                  std::optional<std::chrono::milliseconds> interruptAfter, int interruptSignal)
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
    const auto start = std::chrono::steady_clock::now();
    bool interrupted = false;
    bool killed = false;
    std::array<char, 4096> buffer{};
    for (;;)
    {
        pollfd readable{pipeEnds[0], POLLIN, 0};
        if (poll(&readable, 1, 20) > 0)
        {
            const ssize_t count = read(pipeEnds[0], buffer.data(), buffer.size());
            if (count <= 0)
            {
                break;
            }
            outcome.output.append(buffer.data(), static_cast<std::size_t>(count));
        }
        const auto elapsed = std::chrono::steady_clock::now() - start;
        if (interruptAfter && !interrupted && elapsed >= *interruptAfter)
        {
            kill(pid, interruptSignal);
            interrupted = true;
        }
        if (!killed && elapsed >= timeout)
        {
            kill(pid, SIGKILL);
            killed = true;
        }
    }
    close(pipeEnds[0]);

    int status = 0;
    waitpid(pid, &status, 0);
    outcome.exited = WIFEXITED(status);
    outcome.exitStatus = outcome.exited ? WEXITSTATUS(status) : -1;
    outcome.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    return outcome;
}

constexpr std::chrono::milliseconds kChildTimeout{60000};
} // namespace

ChildOutcome RunInChild(const std::function<int()>& body)
{
    return Fork([&body] { std::exit(body()); }, kChildTimeout, std::nullopt, 0);
}

ChildProcess::ChildProcess(std::string program, std::vector<std::string> arguments)
    : m_program(std::move(program)), m_arguments(std::move(arguments))
{
}

ChildOutcome ChildProcess::Run(std::chrono::milliseconds timeout,
                               std::optional<std::chrono::milliseconds> interruptAfter,
                               int interruptSignal) const
{
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(m_program.c_str()));
    for (const std::string& argument : m_arguments)
    {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    return Fork([&] { execv(m_program.c_str(), argv.data()); }, timeout, interruptAfter, interruptSignal);
}

std::string TestProgramFolder()
{
    const std::string path = Platform::GetExecutablePath();
    return path.substr(0, path.rfind('/') + 1);
}
} // namespace Morvane::Testing
