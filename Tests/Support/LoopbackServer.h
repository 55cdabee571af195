#pragma once

#include "Analytics/Endpoint.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace Morvane::Testing
{
// A one-thread HTTP server on 127.0.0.1 that records every request and answers as told.
class LoopbackServer
{
public:
    enum class Behaviour
    {
        Reply,              // sends the reply text, then closes
        CloseWithoutAnswer, // closes as soon as the request has arrived
        HoldUntilReleased,  // stays silent (accepting nothing more) until the server's end
        Refuse,             // keeps the port but never listens: every connection is refused
    };

    struct Request
    {
        std::string header;
        std::string body;
        std::chrono::steady_clock::time_point connected;
    };

    static constexpr const char* kOkReply = "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\n"
                                            "Content-Length: 15\r\n\r\n{\"status\":\"ok\"}";

    // Returns once the server is waiting for connections, so that a process forked right after it (a
    // child posting to it) cannot inherit a lock the server's thread held while starting.
    explicit LoopbackServer(Behaviour behaviour = Behaviour::Reply, std::string reply = kOkReply);
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    int Port() const { return m_port; }
    // The analytics endpoint that posts here, as the data names a local collector.
    GameAnalytics::Endpoint Collector(const std::string& host = "127.0.0.1") const
    {
        GameAnalytics::Endpoint endpoint;
        endpoint.host = host;
        endpoint.port = m_port;
        return endpoint;
    }
    std::vector<Request> Requests() const;
    // Waits (at most ten seconds) until `count` requests have arrived; false when they did not.
    bool WaitForRequests(std::size_t count) const;

private:
    void Serve();

    Behaviour m_behaviour;
    std::string m_reply;
    int m_listener = -1;
    int m_port = 0;
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    std::vector<Request> m_requests;
    bool m_released = false;
    bool m_serving = false;
    std::thread m_thread;
};

} // namespace Morvane::Testing
