#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

namespace Morvane
{
// Counters of one pool.
struct PoolStatistics
{
    std::size_t pageCount = 0;
    std::size_t freeCount = 0;
    std::size_t inUse = 0;
    std::size_t allocations = 0;
    std::size_t releases = 0;
};

// Fixed-size blocks for the objects of one class, reserved eight at a time in pages that live until
// the pool is destroyed. Each block sits between two guard words; a free block's first bytes link to
// the next free block, and the most recently freed block is handed out first, zero-filled.
// A pool has one owning thread at a time, which alone calls Allocate and Free, without a lock. Any
// other thread gives blocks back through FreeFromAnotherThread: they wait on a list of their own
// until the owner runs out of free blocks. GetStatistics may be called from any thread.
class Pool
{
public:
    static constexpr std::size_t kBlocksPerPage = 8;
    // Blocks are aligned as operator new aligns memory.
    static constexpr std::size_t kAlignment = __STDCPP_DEFAULT_NEW_ALIGNMENT__;

    enum class FreeResult
    {
        Freed,
        Null,
        Foreign,
        DoubleFree,
        GuardCorrupted,
    };

    // Creates the pool with its first page.
    explicit Pool(std::size_t objectSize);
    ~Pool();
    Pool(const Pool&) = delete;
    Pool& operator=(const Pool&) = delete;

    // A zero-filled block of at least the object size. Owning thread only.
    void* Allocate();
    // Gives a block back. Anything but a live block of this pool is refused and leaves the pool as it
    // was. Owning thread only.
    FreeResult Free(void* block);
    // Free for any other thread; the block is handed out again once the owner has used up the rest.
    FreeResult FreeFromAnotherThread(void* block);

    PoolStatistics GetStatistics() const;

private:
    using Guard = std::uint64_t;
    // Written by the owner only, read by anyone: such loads and stores cost what plain ones do. The
    // blocks free and in use follow from these counts.
    using Counter = std::atomic<std::size_t>;
    static constexpr std::size_t kLinkSize = sizeof(void*);
    static constexpr std::size_t kGuardSize = sizeof(Guard);

    void AddPage();
    // The page holding `block` when it is the start of one of this pool's slots, or null. The owner
    // calls it freely; other threads hold m_mutex, which guards changes to the page index.
    std::byte* FindPage(const std::byte* block) const;
    // Whether `block` is the start of one of the slots of `page`.
    bool IsSlotOf(const std::byte* page, const std::byte* block) const;
    // Whether the guards of a block of this pool mark it as live; Freed when they do.
    FreeResult CheckGuards(const std::byte* block) const;
    static Guard ReadGuard(const std::byte* guard);
    static void WriteGuard(std::byte* guard, Guard value);
    // Marks a block free and links it before `list`, which then starts at it.
    void LinkFree(std::byte* block, std::byte*& list) const;
    // Moves the blocks other threads gave back onto the free list.
    void TakeRemoteFrees();
    static void Add(Counter& counter, std::size_t delta);

    std::byte* m_pages = nullptr;
    std::size_t m_pageSize = 0;
    std::byte* m_freeList = nullptr;
    // The page of the last block the owner gave back.
    std::byte* m_recentPage = nullptr;
    std::size_t m_blockSize = 0;
    std::size_t m_stride = 0;
    // ceil(2^64 / m_stride): tells whether an offset is a whole number of slots with one multiplication.
    std::uint64_t m_strideReciprocal = 0;
    Counter m_pageCount = 0;
    Counter m_allocations = 0;
    Counter m_releases = 0;
    // Page addresses in ascending order, to tell this pool's blocks from any other pointer.
    std::vector<std::byte*> m_pageIndex;

    // Held by the owner while it changes the page index and by other threads while they read it; it
    // also guards the blocks they gave back.
    mutable std::mutex m_mutex;
    std::byte* m_remoteFreeList = nullptr;
    // Also read without the lock, by the owner, to skip it when nothing came back.
    std::atomic<std::size_t> m_remoteFreeCount = 0;
};
} // namespace Morvane
