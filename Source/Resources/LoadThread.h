#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>

namespace Morvane
{
class IParserData;
}

namespace Morvane::Resources
{
class Resource;

// The background thread that parses "multiThreaded" resources. It sleeps until work is queued, takes the
// whole queue as one batch and parses it resource by resource; parsed resources wait for the main thread
// to take them. The resources and definitions are not owned: the owner must Forget a resource before
// destroying it and Stop the thread before destroying definitions.
class LoadThread
{
public:
    // The thread's name in thread lists.
    static constexpr const char* kThreadName = "Resource load";

    LoadThread() = default;
    ~LoadThread();
    LoadThread(const LoadThread&) = delete;
    LoadThread& operator=(const LoadThread&) = delete;

    // Starts the thread unless it is running already.
    void Start();
    // Lets the resource being parsed finish, then joins the thread. The rest of its batch goes back to the
    // front of the queue.
    void Stop();
    // Drops every queued and parsed resource. Only while stopped.
    void Clear();

    void Enqueue(Resource& resource, const IParserData& definition);
    // Removes every trace of `resource`, waiting first if the thread is parsing it.
    void Forget(const Resource& resource);
    // The oldest parsed resource not yet taken, or null.
    Resource* TakeParsed();
    // Resources of the batch being parsed that are not finished yet.
    int GetLoadingCount() const;
    // Resources queued, being parsed, or parsed and not yet taken; a failed one is done.
    int GetPendingCount() const;
    // Throws, on the calling thread, the first exception a Parse threw on the load thread since the last
    // call, so that it reaches the crash report instead of ending the process from the load thread.
    void RethrowParseFailure();

private:
    struct Job
    {
        Resource* resource;
        const IParserData* definition;
    };

    void Run();
    void ParseNext(std::unique_lock<std::mutex>& lock);

    mutable std::mutex m_mutex;
    std::condition_variable m_workQueued;
    std::condition_variable m_parseFinished;
    std::deque<Job> m_queue;
    std::deque<Job> m_batch;
    std::deque<Resource*> m_parsed;
    const Resource* m_parsing = nullptr;
    int m_loadingCount = 0;
    std::exception_ptr m_parseFailure;
    bool m_stopping = false;
    std::thread m_thread;
};
} // namespace Morvane::Resources
