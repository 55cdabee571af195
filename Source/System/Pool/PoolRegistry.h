#pragma once

#include "System/Pool/Pool.h"
#include "System/Pool/PoolCache.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <typeindex>
#include <typeinfo>
#include <utility>
#include <vector>

namespace Morvane
{
// Owns every object pool of the process: one per pooled class and object size (a class derived
// from a pooled class has its own size, so its own pool) and per thread that allocates such objects,
// so that allocating, and freeing on the allocating thread, take no lock. Safe to use from any thread;
// a block freed on another thread than the one that allocated it takes the registry's lock.
class PoolRegistry
{
public:
    // Where one class's new and delete remember the calling thread's pool for that class (one per
    // class and thread, so classes made in turn do not displace each other). It holds while the
    // thread keeps the pools it had when the slot was filled.
    struct ThreadSlot
    {
        Pool* pool = nullptr;
        std::size_t size = 0;
        std::uint64_t attachment = 0;
    };

    // Inline, as every pooled new and delete goes through it.
    static PoolRegistry& GetInstance()
    {
        static PoolRegistry instance;
        return instance;
    }

    // Allocate and Free through a class's slot: no lookup, no call and not even the registry while the
    // slot holds.
    static void* Allocate(ThreadSlot& slot, const std::type_info& type, std::size_t size)
    {
        Pool* const pool = Holds(slot, size) ? slot.pool : GetInstance().FillSlot(slot, type, size);
        void* const block = pool->Take();
        Pool::Zero(block, size);
        return block;
    }
    static void Free(ThreadSlot& slot, const std::type_info& type, void* block, std::size_t size)
    {
        if (Holds(slot, size) && slot.pool->Free(block) == Pool::FreeResult::Freed) [[likely]]
        {
            return;
        }
        GetInstance().Free(type, block, size);
    }

    // A zeroed block of `size` bytes from this thread's pool of `type`, made on first use.
    void* Allocate(const std::type_info& type, std::size_t size);
    // Gives a block back to the pool it came from. A null block, one no pool of that class handed out,
    // or one already given back is an assertion and leaves the pools untouched.
    void Free(const std::type_info& type, void* block, std::size_t size);
    // Frees every page of every pool; no pooled object may be used, or deleted, afterwards, and no
    // other thread may be using the pools meanwhile.
    void ReleaseAll();

    // How many pooled classes and sizes have pools.
    std::size_t GetPoolCount() const;
    // Counters of the pools of `type` and `size`, all threads' together, if there are any.
    std::optional<PoolStatistics> GetStatistics(const std::type_info& type, std::size_t size) const;

private:
    friend struct PoolThreadExit;

    using Key = std::pair<std::type_index, std::size_t>;
    struct OwnedPool
    {
        // The cache of the thread that owns the pool.
        const PoolCache* cache = nullptr;
        std::unique_ptr<Pool> pool;
    };
    struct Entry
    {
        const std::type_info* type = nullptr;
        std::vector<OwnedPool> pools;
    };

    struct ThreadState
    {
        PoolCache* cache = nullptr;
        std::uint64_t generation = 0;
        // Different for every time a thread takes a cache, so that slots filled before it gave its
        // cache up, or before ReleaseAll, no longer hold.
        std::uint64_t attachment = 0;
        // Set once the thread's exit handler has run; pooled objects deleted by destructors that run
        // after it (the main thread's statics) still find a cache, which then stays with the thread.
        bool exited = false;
    };

    PoolRegistry() = default;
    static bool Holds(const ThreadSlot& slot, std::size_t size)
    {
        return slot.attachment == t_thread.attachment && slot.size == size &&
               t_thread.generation == s_generation.load(std::memory_order_relaxed);
    }
    // This thread's pool of `type` and `size`, made if need be, remembered in `slot`.
    Pool* FillSlot(ThreadSlot& slot, const std::type_info& type, std::size_t size);
    // The calling thread's cache, handed to it on first use.
    PoolCache& GetThreadCache();
    PoolCache& AttachThread();
    // Called as a thread ends: its cache and pools wait, with their live blocks, for the next thread.
    void DetachThread();
    // Makes this thread's pool of `type` and `size`, or finds it under another address of `type`.
    Pool* AddPool(PoolCache& cache, const std::type_info& type, std::size_t size);
    // Gives `block` back to whichever other thread's pool of `type` and `size` holds it.
    Pool::FreeResult FreeToAnotherPool(const std::type_info& type, void* block, std::size_t size,
                                       const Pool* own);

    mutable std::mutex m_mutex;
    std::map<Key, Entry> m_pools;
    std::vector<std::unique_ptr<PoolCache>> m_caches;
    // The caches of threads that have ended, for the next threads to take over.
    std::vector<PoolCache*> m_idleCaches;
    // Changed by ReleaseAll, which frees every cache: a thread holding an older one takes a new one.
    // Static, so that the inline paths need not reach the instance.
    static inline std::atomic<std::uint64_t> s_generation = 1;
    std::uint64_t m_attachments = 0;

    // Trivially destructible, so that it stays usable until the thread is gone.
    static thread_local ThreadState t_thread;
};

inline thread_local PoolRegistry::ThreadState PoolRegistry::t_thread;
} // namespace Morvane
