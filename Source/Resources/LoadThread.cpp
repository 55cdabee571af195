#include "Resources/LoadThread.h"

#include "Platform/ThreadName.h"
#include "Resources/Resource.h"
#include "System/Logging/Format.h"
#include "System/Logging/LoggingSystem.h"

#include <algorithm>
#include <string>
#include <utility>

namespace Morvane::Resources
{
namespace
{
const char* const kChannel = "Resource system";
} // namespace

LoadThread::~LoadThread()
{
    Stop();
}

void LoadThread::Start()
{
    if (m_thread.joinable())
    {
        return;
    }
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = false;
    }
    m_thread = std::thread(&LoadThread::Run, this);
    Platform::SetThreadName(m_thread, kThreadName);
}

void LoadThread::Stop()
{
    if (!m_thread.joinable())
    {
        return;
    }
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_workQueued.notify_one();
    m_thread.join();

    const std::lock_guard lock(m_mutex);
    m_queue.insert(m_queue.begin(), m_batch.begin(), m_batch.end());
    m_batch.clear();
    m_loadingCount = 0;
}

void LoadThread::Clear()
{
    const std::lock_guard lock(m_mutex);
    m_queue.clear();
    m_batch.clear();
    m_parsed.clear();
    m_loadingCount = 0;
    m_parseFailure = nullptr;
}

void LoadThread::Enqueue(Resource& resource, const IParserData& definition)
{
    {
        const std::lock_guard lock(m_mutex);
        m_queue.push_back({&resource, &definition});
    }
    m_workQueued.notify_one();
}

void LoadThread::Forget(const Resource& resource)
{
    std::unique_lock lock(m_mutex);
    m_parseFinished.wait(lock, [&] { return m_parsing != &resource; });

    const auto isResource = [&](const Job& job) { return job.resource == &resource; };
    std::erase_if(m_queue, isResource);
    const std::size_t removedFromBatch = std::erase_if(m_batch, isResource);
    m_loadingCount -= static_cast<int>(removedFromBatch);
    std::erase(m_parsed, &resource);
}

Resource* LoadThread::TakeParsed()
{
    const std::lock_guard lock(m_mutex);
    if (m_parsed.empty())
    {
        return nullptr;
    }
    Resource* const resource = m_parsed.front();
    m_parsed.pop_front();
    return resource;
}

int LoadThread::GetLoadingCount() const
{
    const std::lock_guard lock(m_mutex);
    return m_loadingCount;
}

int LoadThread::GetPendingCount() const
{
    const std::lock_guard lock(m_mutex);
    return static_cast<int>(m_queue.size() + m_batch.size() + m_parsed.size()) +
           (m_parsing != nullptr ? 1 : 0);
}

void LoadThread::RethrowParseFailure()
{
    std::exception_ptr failure;
    {
        const std::lock_guard lock(m_mutex);
        failure = std::exchange(m_parseFailure, nullptr);
    }
    if (failure != nullptr)
    {
        std::rethrow_exception(failure);
    }
}

void LoadThread::Run()
{
    std::unique_lock lock(m_mutex);
    while (true)
    {
        m_workQueued.wait(lock, [&] { return m_stopping || !m_queue.empty(); });
        if (m_stopping)
        {
            return;
        }
        m_batch = std::move(m_queue);
        m_queue.clear();
        m_loadingCount = static_cast<int>(m_batch.size());
        while (!m_batch.empty() && !m_stopping)
        {
            ParseNext(lock);
        }
    }
}

void LoadThread::ParseNext(std::unique_lock<std::mutex>& lock)
{
    const Job job = m_batch.front();
    m_batch.pop_front();
    m_parsing = job.resource;

    // Parsing happens unlocked so that the main thread never waits for file reading; Forget waits for
    // m_parsing to change, so the resource stays alive meanwhile.
    lock.unlock();
    bool parsed = false;
    std::exception_ptr failure;
    try
    {
        parsed = job.resource->Parse(job.definition);
    }
    catch (...)
    {
        failure = std::current_exception();
    }
    lock.lock();

    if (failure != nullptr && m_parseFailure == nullptr)
    {
        m_parseFailure = failure;
    }

    const std::string& name = job.resource->GetName();
    if (parsed)
    {
        Log::Info(kChannel, Format("Resource '%s' parsed", name.c_str()));
        m_parsed.push_back(job.resource);
    }
    else
    {
        Log::Error(kChannel, Format("Load thread: Resource '%s' could not be loaded", name.c_str()));
    }
    --m_loadingCount;
    m_parsing = nullptr;
    m_parseFinished.notify_all();
}
} // namespace Morvane::Resources
