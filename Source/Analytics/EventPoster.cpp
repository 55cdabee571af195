#include "Analytics/EventPoster.h"

#include "Analytics/HostResolver.h"
#include "Analytics/Request.h"
#include "Analytics/TcpSocket.h"
#include "System/Logging/Format.h"
#include "System/Logging/LoggingSystem.h"

#include <exception>

namespace Morvane::GameAnalytics
{
namespace
{
const char* const kChannel = "GameAnalytics endpoint";
constexpr std::string_view kSuccess = "{\"status\":\"ok\"}";
constexpr std::size_t kMaxReplyBytes = 4096;
} // namespace

EventPoster::EventPoster(Endpoint endpoint, std::chrono::milliseconds timeout)
    : m_endpoint(std::move(endpoint)), m_timeout(timeout)
{
}

bool EventPoster::Post(const AnalyticsEvent& event, std::stop_token stop) const
{
    try
    {
        return Send(event, std::move(stop));
    }
    catch (const std::exception& exception)
    {
        Log::Error(kChannel, Format("GA: %s", exception.what()));
        return false;
    }
}

bool EventPoster::Send(const AnalyticsEvent& event, std::stop_token stop) const
{
    const Request request = Request::Build(event, m_endpoint);

    const auto address = ResolveHost(m_endpoint.host, m_endpoint.port, m_timeout, stop);
    if (!address)
    {
        Log::Error(kChannel, "GA: Could not get the host");
        return false;
    }
    TcpSocket socket(m_timeout, std::move(stop));
    if (!socket.Connect(*address))
    {
        Log::Error(kChannel, "GA: Could not connect to the host");
        return false;
    }
    if (!socket.Send(request.header))
    {
        Log::Error(kChannel, "GA: Could not send header");
        return false;
    }
    if (!socket.Send(request.body))
    {
        Log::Error(kChannel, "GA: Could not send content");
        return false;
    }

    std::string reply;
    if (socket.Receive(reply, kMaxReplyBytes, kSuccess) == TcpSocket::ReceiveResult::Closed)
    {
        Log::Error(kChannel, "GA: Did not recive positive answer from host");
        return false;
    }
    // An error or a timeout while waiting counts as an answer without the status.
    if (reply.find(kSuccess) == std::string::npos)
    {
        Log::Error(kChannel, "GA: Invalid response");
        // The request line names the event kind; the headers carry the signature, which stays out of logs.
        const std::string requestLine = request.header.substr(0, request.header.find("\r\n"));
        Log::Error(kChannel, Format("/****SendData*****/\n%s\n/*****************/", requestLine.c_str()));
        Log::Error(kChannel, Format("/****Response*****/\n%s\n/*****************/", reply.c_str()));
        return false;
    }
    return true;
}
} // namespace Morvane::GameAnalytics
