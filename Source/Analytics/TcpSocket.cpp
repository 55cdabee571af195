#include "Analytics/TcpSocket.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace Morvane::GameAnalytics
{
namespace
{
// How often a wait looks at the stop request.
constexpr std::chrono::milliseconds kStopCheckInterval{20};
} // namespace

TcpSocket::TcpSocket(std::chrono::milliseconds timeout, std::stop_token stop)
    : m_descriptor(socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0)), m_timeout(timeout),
      m_stop(std::move(stop))
{
}

TcpSocket::~TcpSocket()
{
    if (m_descriptor >= 0)
    {
        close(m_descriptor);
    }
}

bool TcpSocket::Connect(const sockaddr_in& address)
{
    if (m_descriptor < 0)
    {
        return false;
    }
    if (connect(m_descriptor, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0)
    {
        return true;
    }
    if (errno != EINPROGRESS || !WaitFor(POLLOUT, std::chrono::steady_clock::now() + m_timeout))
    {
        return false;
    }
    int error = 0;
    socklen_t length = sizeof(error);
    return getsockopt(m_descriptor, SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0;
}

bool TcpSocket::Send(std::string_view data)
{
    const auto deadline = std::chrono::steady_clock::now() + m_timeout;
    while (!data.empty())
    {
        const ssize_t sent = send(m_descriptor, data.data(), data.size(), MSG_NOSIGNAL);
        if (sent > 0)
        {
            data.remove_prefix(static_cast<std::size_t>(sent));
        }
        else if (sent < 0 && errno == EINTR)
        {
            continue;
        }
        else if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
        {
            if (!WaitFor(POLLOUT, deadline))
            {
                return false;
            }
        }
        else
        {
            return false;
        }
    }
    return true;
}

TcpSocket::ReceiveResult TcpSocket::Receive(std::string& reply, std::size_t maxBytes, std::string_view enough)
{
    const auto deadline = std::chrono::steady_clock::now() + m_timeout;
    const std::size_t start = reply.size();
    std::array<char, 4096> buffer{};
    while (reply.size() - start < maxBytes && reply.find(enough, start) == std::string::npos)
    {
        if (!WaitFor(POLLIN, deadline))
        {
            break;
        }
        const std::size_t wanted = std::min(buffer.size(), maxBytes - (reply.size() - start));
        const ssize_t received = recv(m_descriptor, buffer.data(), wanted, 0);
        if (received > 0)
        {
            reply.append(buffer.data(), static_cast<std::size_t>(received));
        }
        else if (received == 0)
        {
            return reply.size() > start ? ReceiveResult::Data : ReceiveResult::Closed;
        }
        else if (errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK)
        {
            break;
        }
    }
    return reply.size() > start ? ReceiveResult::Data : ReceiveResult::Failed;
}

bool TcpSocket::WaitFor(short events, std::chrono::steady_clock::time_point deadline) const
{
    pollfd entry{m_descriptor, events, 0};
    while (!m_stop.stop_requested())
    {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
        {
            return false;
        }
        const int ready = poll(&entry, 1, static_cast<int>(std::min(left, kStopCheckInterval).count()));
        if (ready > 0)
        {
            return true;
        }
        if (ready < 0 && errno != EINTR)
        {
            return false;
        }
    }
    return false;
}
} // namespace Morvane::GameAnalytics
