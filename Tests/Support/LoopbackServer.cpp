#include "LoopbackServer.h"

#include <arpa/inet.h>
#include <array>
#include <chrono>
#include <netinet/in.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace Morvane::Testing
{
namespace
{
// Binds the socket to 127.0.0.1 on a free port; returns the port.
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

// Reads one request; false when the connection ended before all of it (headers and body) arrived.
bool ReadRequest(int connection, LoopbackServer::Request& request)
{
    std::string received;
    std::array<char, 4096> buffer{};
    for (ssize_t count = 0; (count = recv(connection, buffer.data(), buffer.size(), 0)) > 0;)
    {
        received.append(buffer.data(), static_cast<std::size_t>(count));
        const std::size_t headerEnd = received.find("\r\n\r\n");
        if (headerEnd == std::string::npos)
        {
            continue;
        }
        request.header = received.substr(0, headerEnd + 4);
        request.body = received.substr(headerEnd + 4);
        const std::size_t lengthAt = request.header.find("Content-Length: ");
        if (lengthAt == std::string::npos ||
            request.body.size() >= std::stoul(request.header.substr(lengthAt + 16)))
        {
            return true;
        }
    }
    request.header = received;
    request.body.clear();
    return false;
}
} // namespace

LoopbackServer::LoopbackServer(Behaviour behaviour, std::string reply)
    : m_behaviour(behaviour), m_reply(std::move(reply)), m_listener(socket(AF_INET, SOCK_STREAM, 0)),
      m_port(BindLoopback(m_listener))
{
    if (behaviour != Behaviour::Refuse)
    {
        listen(m_listener, 16);
        m_thread = std::thread([this] { Serve(); });
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return m_serving; });
    }
}

LoopbackServer::~LoopbackServer()
{
    if (m_thread.joinable())
    {
        {
            const std::lock_guard lock(m_mutex);
            m_released = true;
            m_changed.notify_all();
        }
        shutdown(m_listener, SHUT_RDWR); // wakes the thread from accept()
        m_thread.join();
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
    return m_changed.wait_for(lock, std::chrono::seconds(10), [&] { return m_requests.size() >= count; });
}

void LoopbackServer::Serve()
{
    std::unique_lock lock(m_mutex);
    m_serving = true;
    m_changed.notify_all();
    lock.unlock();
    for (int connection = 0; (connection = accept(m_listener, nullptr, nullptr)) >= 0; close(connection))
    {
        Request request{.connected = std::chrono::steady_clock::now()};
        const bool complete = ReadRequest(connection, request);
        lock.lock();
        m_requests.push_back(request);
        m_changed.notify_all();
        m_changed.wait(lock, [this] { return m_released || m_behaviour != Behaviour::HoldUntilReleased; });
        lock.unlock();
        if (complete && m_behaviour != Behaviour::CloseWithoutAnswer)
        {
            send(connection, m_reply.data(), m_reply.size(), MSG_NOSIGNAL);
        }
    }
}
} // namespace Morvane::Testing
