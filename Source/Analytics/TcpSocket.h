#pragma once

#include <chrono>
#include <netinet/in.h>
#include <stop_token>
#include <string>
#include <string_view>

namespace Morvane::GameAnalytics
{
// One TCP connection whose every operation gives up after a timeout or when stop is requested,
// closed when the object goes away.
class TcpSocket
{
public:
    enum class ReceiveResult
    {
        Data,   // something arrived (the connection may have ended, or the wait run out, after it)
        Closed, // the peer closed the connection before sending anything
        Failed, // an error, the timeout or a stop request before anything arrived
    };

    TcpSocket(std::chrono::milliseconds timeout, std::stop_token stop);
    ~TcpSocket();
    TcpSocket(const TcpSocket&) = delete;
    TcpSocket& operator=(const TcpSocket&) = delete;

    bool Connect(const sockaddr_in& address);
    // Sends every byte of `data`.
    bool Send(std::string_view data);
    // Appends to `reply` until it contains `enough`, the peer closes, `maxBytes` arrived or the
    // timeout runs out.
    ReceiveResult Receive(std::string& reply, std::size_t maxBytes, std::string_view enough);

private:
    // Waits until the socket is ready for `events` or the deadline passes; false when it is not ready.
    bool WaitFor(short events, std::chrono::steady_clock::time_point deadline) const;

    int m_descriptor = -1;
    std::chrono::milliseconds m_timeout;
    std::stop_token m_stop;
};
} // namespace Morvane::GameAnalytics
