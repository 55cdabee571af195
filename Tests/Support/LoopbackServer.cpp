#include "LoopbackServer.h"

#include <arpa/inet.h>
#include <array>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace Morvane::Testing
{
namespace
{
constexpr int kPollMilliseconds = 10;
constexpr auto kWaitLimit = std::chrono::seconds(10);

// A socket bound to 127.0.0.1 on a free port; returns the port.
int BindLoopback(int socketDescriptor)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof(address);
    if (bind(socketDescriptor, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        getsockname(socketDescriptor, reinterpret_cast<sockaddr*>(&address), &length) != 0)
    {
        throw std::runtime_error("cannot bind a loopback socket");
    }
    return ntohs(address.sin_port);
}

std::size_t ContentLength(const std::string& header)
{
    const std::string name = "Content-Length: ";
    const std::size_t at = header.find(name);
    return at == std::string::npos ? 0 : std::stoul(header.substr(at + name.size()));
}
} // namespace

LoopbackServer::LoopbackServer(Behaviour behaviour, std::string reply)
    : m_behaviour(behaviour), m_reply(std::move(reply)), m_listener(socket(AF_INET, SOCK_STREAM, 0))
{
    m_port = BindLoopback(m_listener);
    listen(m_listener, 16);
    m_thread = std::thread([this] { Serve(); });
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_serving; });
}

LoopbackServer::~LoopbackServer()
{
    m_stopping = true;
    Release();
    m_thread.join();
    for (const int connection : m_silentConnections)
    {
        close(connection);
    }
    close(m_listener);
}

std::vector<LoopbackServer::Request> LoopbackServer::Requests() const
{
    const std::lock_guard lock(m_mutex);
    return m_requests;
}

bool LoopbackServer::WaitForRequests(std::size_t count) const
{
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, kWaitLimit, [&] { return m_requests.size() >= count; });
}

void LoopbackServer::Release()
{
    const std::lock_guard lock(m_mutex);
    m_released = true;
    m_changed.notify_all();
}

void LoopbackServer::Serve()
{
    {
        const std::lock_guard lock(m_mutex);
        m_serving = true;
        m_changed.notify_all();
    }
    while (!m_stopping)
    {
        pollfd entry{m_listener, POLLIN, 0};
        if (poll(&entry, 1, kPollMilliseconds) <= 0)
        {
            continue;
        }
        const int connection = accept(m_listener, nullptr, nullptr);
        if (connection < 0)
        {
            continue;
        }
        Request request;
        const bool complete = ReadRequest(connection, request);
        {
            const std::lock_guard lock(m_mutex);
            m_requests.push_back(request);
            m_changed.notify_all();
        }
        if (complete && m_behaviour == Behaviour::NeverAnswer)
        {
            m_silentConnections.push_back(connection);
            continue;
        }
        if (complete)
        {
            Answer(connection);
        }
        close(connection);
    }
}

bool LoopbackServer::ReadRequest(int connection, Request& request) const
{
    std::string received;
    std::array<char, 4096> buffer{};
    std::size_t headerEnd = std::string::npos;
    while (!m_stopping)
    {
        headerEnd = received.find("\r\n\r\n");
        if (headerEnd != std::string::npos &&
            received.size() >= headerEnd + 4 + ContentLength(received.substr(0, headerEnd + 4)))
        {
            request.header = received.substr(0, headerEnd + 4);
            request.body = received.substr(headerEnd + 4);
            return true;
        }
        pollfd entry{connection, POLLIN, 0};
        if (poll(&entry, 1, kPollMilliseconds) <= 0)
        {
            continue;
        }
        const ssize_t count = recv(connection, buffer.data(), buffer.size(), 0);
        if (count <= 0)
        {
            break;
        }
        received.append(buffer.data(), static_cast<std::size_t>(count));
    }
    request.header = received;
    return false;
}

void LoopbackServer::Answer(int connection)
{
    if (m_behaviour == Behaviour::HoldUntilReleased)
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return m_released; });
    }
    if (m_behaviour != Behaviour::CloseWithoutAnswer)
    {
        send(connection, m_reply.data(), m_reply.size(), MSG_NOSIGNAL);
    }
}

RefusingPort::RefusingPort() : m_socket(socket(AF_INET, SOCK_STREAM, 0))
{
    // Bound but not listening: the port stays ours, and every connection attempt is refused.
    m_port = BindLoopback(m_socket);
}

RefusingPort::~RefusingPort()
{
    close(m_socket);
}
} // namespace Morvane::Testing
