#pragma once

#include "Analytics/AnalyticsEvent.h"
#include "Analytics/ClientTiming.h"
#include "Analytics/Endpoint.h"

#include <condition_variable>
#include <mutex>
#include <optional>
#include <stop_token>
#include <thread>
#include <vector>

namespace Morvane::GameAnalytics
{
// Queues design and error events and posts them, one request each and in order, from a worker
// thread, so that the game never waits for the network. Where it posts is read from
// "$(LocalFolder)Configuration/Analytics.xml"; without a host there nothing is queued or sent.
class System
{
public:
    // The game's client.
    static System& GetInstance();

    // The game uses GetInstance(); tools and tests may run clients of their own.
    explicit System(ClientTiming timing = {});
    // Shuts down (see Shutdown).
    ~System();
    System(const System&) = delete;
    System& operator=(const System&) = delete;

    // Sets the player's identity and enables submission. The first call reads the endpoint from the
    // project's data; later calls only refresh the identity (in practice the session id).
    void Initialize();
    // As Initialize(), with the endpoint given instead of read.
    void Initialize(const Endpoint& endpoint);

    // Queues a copy of `event` stamped with the player's identity; ignored before Initialize and when
    // no host is configured. Never waits for the network.
    void SubmitEvent(const AnalyticsEvent& event);

    // Events submitted and not yet taken by the worker, oldest first.
    std::vector<AnalyticsEvent> GetQueuedEvents() const;

    // Posts what is queued for at most the timing's shutdown limit, then abandons the rest (logged)
    // and joins the worker. Later events are queued but never sent.
    void Shutdown();

    // Most events waiting at once; more are dropped (logged), so a dead network cannot eat memory.
    static constexpr std::size_t kMaxQueuedEvents = 1024;

private:
    template <typename EndpointSource> void Start(const EndpointSource& source);
    void Run(const Endpoint& endpoint, std::stop_token stop);
    // Posts the batch in order; returns how many were attempted before a stop request.
    std::size_t PostBatch(const std::vector<AnalyticsEvent>& batch, const Endpoint& endpoint,
                          const std::stop_token& stop);
    // The pause between posts; cut short when shutdown begins.
    void Pause(std::unique_lock<std::mutex>& lock, const std::stop_token& stop);

    const ClientTiming m_timing;
    mutable std::mutex m_mutex;
    std::condition_variable_any m_wake;
    std::condition_variable_any m_workerDone;
    bool m_initialized = false;
    std::optional<Endpoint> m_endpoint;
    std::string m_userId;
    std::string m_sessionId;
    std::string m_build;
    std::vector<AnalyticsEvent> m_queue;
    bool m_shuttingDown = false;
    bool m_workerFinished = false;
    std::size_t m_abandoned = 0;
    // Last, so that it stops before anything it uses goes away.
    std::jthread m_worker;
};
} // namespace Morvane::GameAnalytics
