#pragma once

#include "System/Assert/Assertion.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <sanitizer/asan_interface.h>
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
// A pool has one owning thread at a time, which alone calls Take, Allocate and Free, without a lock.
// Any other thread gives blocks back through FreeFromAnotherThread: they wait on a list of their own
// until the owner runs out of free blocks. GetStatistics may be called from any thread.
// The front guard holds a word of this pool's own, one for live and one for free blocks, so that
// Free tells a live block of its own from anything else by that word and the end guard alone; debug
// builds also check first that the address is one of the pool's slots before reading at it.
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

    // Zeroes `size` bytes at `block`: small blocks with stores inlined, larger ones through the C
    // library, whose vector loop beats the string instruction the compiler would inline for them.
    static void Zero(void* block, std::size_t size)
    {
        if (size <= kInlineZeroSize)
        {
            std::memset(block, 0, size);
        }
        else
        {
            ZeroLarge(block, size);
        }
    }

    // Creates the pool with its first page.
    explicit Pool(std::size_t objectSize);
    ~Pool();
    Pool(const Pool&) = delete;
    Pool& operator=(const Pool&) = delete;

    // A block of at least the object size whose bytes the caller zeroes. Owning thread only. Inline,
    // as every pooled new goes through it.
    void* Take()
    {
        std::byte* const block = m_freeList != nullptr ? m_freeList : Refill();
        ASAN_UNPOISON_MEMORY_REGION(block, m_blockSize);
#ifndef NDEBUG
        MORVANE_ASSERT(ReadGuard(block - kGuardSize) == m_freeTag);
#endif
        std::memcpy(&m_freeList, block, kLinkSize);
        // Blocks come back in whatever order their objects went, so the next one is often out of the
        // cache; fetching it now hides that wait behind the caller's work on this one.
        __builtin_prefetch(m_freeList, 1);
        WriteGuard(block - kGuardSize, m_liveTag);
        Add(m_allocations, 1);
        return block;
    }
    // A zero-filled block of at least the object size. Owning thread only.
    void* Allocate()
    {
        void* const block = Take();
        Zero(block, m_blockSize);
        return block;
    }
    // Gives a block back. Anything but a live block of this pool is refused and leaves the pool as it
    // was. Owning thread only.
    FreeResult Free(void* block)
    {
#ifdef NDEBUG
        auto* const address = static_cast<std::byte*>(block);
        if (address != nullptr && ReadGuard(address - kGuardSize) == m_liveTag) [[likely]]
        {
            LinkFree(address, m_freeList);
            Add(m_releases, 1);
            return FreeResult::Freed;
        }
#endif
        return FreeChecked(block);
    }
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
    static constexpr std::size_t kInlineZeroSize = 128;

    static void ZeroLarge(void* block, std::size_t size);

    // The guard after a block never changes.
    static constexpr Guard kGuardEnd = 0x600DF00D600DF00DULL;

    // The first free block once the list has run dry: blocks other threads gave back, or a new page.
    std::byte* Refill();
    void AddPage();
    // Free with every check made before anything at the block is read.
    FreeResult FreeChecked(void* block);
    // The page holding `block` when it is the start of one of this pool's slots, or null. The owner
    // calls it freely; other threads hold m_mutex, which guards changes to the page index.
    std::byte* FindPage(const std::byte* block) const;
    // Whether `block` is the start of one of the slots of `page`.
    bool IsSlotOf(const std::byte* page, const std::byte* block) const;
    // Whether the guards of a block of this pool mark it as live; Freed when they do.
    FreeResult CheckGuards(const std::byte* block) const;
    // Under AddressSanitizer the guards stay poisoned, so a write past a block is seen where it happens.
    static Guard ReadGuard(const std::byte* guard)
    {
        ASAN_UNPOISON_MEMORY_REGION(guard, kGuardSize);
        Guard value = 0;
        std::memcpy(&value, guard, kGuardSize);
        ASAN_POISON_MEMORY_REGION(guard, kGuardSize);
        return value;
    }
    static void WriteGuard(std::byte* guard, Guard value)
    {
        ASAN_UNPOISON_MEMORY_REGION(guard, kGuardSize);
        std::memcpy(guard, &value, kGuardSize);
        ASAN_POISON_MEMORY_REGION(guard, kGuardSize);
    }
    // Marks a block free and links it before `list`, which then starts at it.
    void LinkFree(std::byte* block, std::byte*& list) const
    {
        WriteGuard(block - kGuardSize, m_freeTag);
        std::memcpy(block, &list, kLinkSize);
        ASAN_POISON_MEMORY_REGION(block, m_blockSize);
        list = block;
    }
    // Moves the blocks other threads gave back onto the free list.
    void TakeRemoteFrees();
    static void Add(Counter& counter, std::size_t delta)
    {
        counter.store(counter.load(std::memory_order_relaxed) + delta, std::memory_order_release);
    }

    std::byte* m_pages = nullptr;
    std::size_t m_pageSize = 0;
    std::byte* m_freeList = nullptr;
    // The page of the last block the owner gave back.
    std::byte* m_recentPage = nullptr;
    std::size_t m_blockSize = 0;
    std::size_t m_stride = 0;
    // ceil(2^64 / m_stride): tells whether an offset is a whole number of slots with one multiplication.
    std::uint64_t m_strideReciprocal = 0;
    // The front guards of this pool's live and free blocks.
    Guard m_liveTag = 0;
    Guard m_freeTag = 0;
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
