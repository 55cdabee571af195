#include "ChildProcess.h"

#include "Platform/ExecutablePath.h"

#include <csignal>
#include <poll.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace Morvane::Testing
{
ChildProcess::ChildProcess(std::string program, std::vector<std::string> arguments)
    : m_program(std::move(program)), m_arguments(std::move(arguments))
{
}

ChildProcess::Result ChildProcess::Run(std::chrono::milliseconds timeout,
                                       std::optional<std::chrono::milliseconds> interruptAfter,
                                       int interruptSignal) const
{
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0)
    {
        throw std::runtime_error("pipe failed");
    }
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(m_program.c_str()));
    for (const std::string& argument : m_arguments)
    {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);

    const pid_t child = fork();
    if (child == 0)
    {
        dup2(pipeEnds[1], STDOUT_FILENO);
        dup2(pipeEnds[1], STDERR_FILENO);
        close(pipeEnds[0]);
        close(pipeEnds[1]);
        execv(m_program.c_str(), argv.data());
        _exit(127);
    }
    close(pipeEnds[1]);

    Result result;
    const auto start = std::chrono::steady_clock::now();
    bool interrupted = false;
    bool killed = false;
    for (;;)
    {
        pollfd readable{pipeEnds[0], POLLIN, 0};
        poll(&readable, 1, 20);
        if ((readable.revents & (POLLIN | POLLHUP)) != 0)
        {
            char buffer[4096];
            const ssize_t count = read(pipeEnds[0], buffer, sizeof(buffer));
            if (count > 0)
            {
                result.output.append(buffer, static_cast<std::size_t>(count));
                continue;
            }
            if (count == 0)
            {
                break;
            }
        }
        const auto elapsed = std::chrono::steady_clock::now() - start;
        if (interruptAfter && !interrupted && elapsed >= *interruptAfter)
        {
            kill(child, interruptSignal);
            interrupted = true;
        }
        if (!killed && elapsed >= timeout)
        {
            kill(child, SIGKILL);
            killed = true;
        }
    }
    close(pipeEnds[0]);

    int status = 0;
    waitpid(child, &status, 0);
    result.exited = WIFEXITED(status);
    result.exitStatus = result.exited ? WEXITSTATUS(status) : -1;
    result.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    return result;
}

std::string TestProgramFolder()
{
    const std::string path = Platform::GetExecutablePath();
    return path.substr(0, path.rfind('/') + 1);
}
} // namespace Morvane::Testing
