#include "Analytics/AnalyticsSystem.h"

#include "Analytics/EventPoster.h"
#include "Analytics/Identity.h"
#include "System/Logging/Format.h"
#include "System/Logging/LoggingSystem.h"
#include "System/PathWrapper/PathWrapper.h"

#include <cstdio>
#include <ctime>
#include <exception>
#include <openssl/crypto.h>

namespace Morvane::GameAnalytics
{
namespace
{
const char* const kChannel = "GameAnalytics";
const char* const kConfigurationFile = "$(LocalFolder)Configuration/Analytics.xml";
const char* const kBuild = "BETA";

std::string EventName(const AnalyticsEvent& event)
{
    const auto id = event.fields.find("event_id");
    return event.category + "/" + (id == event.fields.end() ? std::string() : id->second);
}
} // namespace

System& System::GetInstance()
{
    static System instance;
    return instance;
}

System::System(ClientTiming timing) : m_timing(timing)
{
    // The worker logs until this client is gone, so the log must be built first (and so outlive it).
    Logging::System::GetInstance();
    // OpenSSL frees its state at exit from a handler it registers when first used. Left to the worker,
    // that handler could be registered after this client's own and so run first, while the last events
    // are still being signed (or, at a crash, while OpenSSL is still starting up on the worker).
    OPENSSL_init_crypto(OPENSSL_INIT_LOAD_CONFIG, nullptr);
}

System::~System()
{
    Shutdown();
}

void System::Initialize()
{
    Start([] { return Endpoint::Load(PathWrapper::GetInstance().Expand(kConfigurationFile)); });
}

void System::Initialize(const Endpoint& endpoint)
{
    Start([&endpoint] { return endpoint; });
}

template <typename EndpointSource> void System::Start(const EndpointSource& source)
{
    try
    {
        std::unique_lock lock(m_mutex);
        m_initialized = false;
        const bool firstCall = !m_endpoint.has_value();
        if (firstCall)
        {
            lock.unlock();
            Endpoint endpoint = source();
            lock.lock();
            m_endpoint = std::move(endpoint);
        }
        m_userId = MakeUserId();
        m_sessionId = MakeSessionId(std::time(nullptr));
        m_build = kBuild;
        // The worker first: if it cannot start, the client stays uninitialised and queues nothing.
        if (m_endpoint->IsEnabled() && !m_worker.joinable() && !m_shuttingDown)
        {
            m_worker =
                std::jthread([this, endpoint = *m_endpoint](std::stop_token stop) { Run(endpoint, stop); });
        }
        m_initialized = true;
        const bool off = firstCall && !m_endpoint->IsEnabled();
        lock.unlock();
        if (off)
        {
            Log::Info(kChannel, "Analytics is off: no collector host configured");
        }
    }
    catch (const std::exception& exception)
    {
        Log::Error(kChannel, Format("Initialize: '%s'", exception.what()));
        std::printf("%s\n", exception.what());
    }
    catch (...)
    {
    }
}

void System::SubmitEvent(const AnalyticsEvent& event)
{
    AnalyticsEvent queued = event;
    {
        const std::lock_guard lock(m_mutex);
        // Without a host nothing will ever take the queue: keep nothing rather than grow it.
        if (!m_initialized || !m_endpoint->IsEnabled())
        {
            return;
        }
        if (m_queue.size() < kMaxQueuedEvents)
        {
            queued.userId = m_userId;
            queued.sessionId = m_sessionId;
            queued.build = m_build;
            m_queue.push_back(std::move(queued));
            m_wake.notify_all();
            return;
        }
    }
    Log::Warning(kChannel, Format("SubmitEvent: queue full, event '%s' dropped", EventName(event).c_str()));
}

std::vector<AnalyticsEvent> System::GetQueuedEvents() const
{
    const std::lock_guard lock(m_mutex);
    return m_queue;
}

void System::Shutdown()
{
    std::unique_lock lock(m_mutex);
    m_shuttingDown = true;
    if (!m_worker.joinable())
    {
        return;
    }
    m_wake.notify_all();
    m_workerDone.wait_for(lock, m_timing.shutdownLimit, [this] { return m_workerFinished; });
    lock.unlock();
    m_worker.request_stop();
    m_worker.join();
    lock.lock();
    const std::size_t unsent = m_abandoned + m_queue.size();
    lock.unlock();
    if (unsent > 0)
    {
        Log::Warning(kChannel, Format("Shutdown: %zu event(s) not submitted", unsent));
    }
}

void System::Run(const Endpoint& endpoint, std::stop_token stop)
{
    std::unique_lock lock(m_mutex);
    while (true)
    {
        m_wake.wait(lock, stop, [this] { return !m_queue.empty() || m_shuttingDown; });
        if (stop.stop_requested() || m_queue.empty())
        {
            break;
        }
        std::vector<AnalyticsEvent> batch;
        batch.swap(m_queue);
        lock.unlock();
        const std::size_t attempted = PostBatch(batch, endpoint, stop);
        lock.lock();
        m_abandoned += batch.size() - attempted;
        Pause(lock, stop);
    }
    m_workerFinished = true;
    m_workerDone.notify_all();
}

std::size_t System::PostBatch(const std::vector<AnalyticsEvent>& batch, const Endpoint& endpoint,
                              const std::stop_token& stop)
{
    const EventPoster poster(endpoint, m_timing.networkTimeout);
    std::size_t attempted = 0;
    for (const AnalyticsEvent& event : batch)
    {
        if (stop.stop_requested())
        {
            break;
        }
        ++attempted;
        if (poster.Post(event, stop))
        {
            Log::Info(kChannel, Format("Event '%s' submitted", EventName(event).c_str()));
        }
        else
        {
            Log::Error(kChannel, "Thread: Could not submit event");
        }
        std::unique_lock lock(m_mutex);
        Pause(lock, stop);
    }
    return attempted;
}

void System::Pause(std::unique_lock<std::mutex>& lock, const std::stop_token& stop)
{
    m_wake.wait_for(lock, stop, m_timing.pause, [this] { return m_shuttingDown; });
}
} // namespace Morvane::GameAnalytics
