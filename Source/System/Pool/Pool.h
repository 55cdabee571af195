#pragma once

#include <cstddef>
#include <cstdint>
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
// Not thread-safe on its own (PoolRegistry serialises access).
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

    // A zero-filled block of at least the object size.
    void* Allocate();
    // Gives a block back. Anything but a live block of this pool is refused and leaves the pool as it
    // was.
    FreeResult Free(void* block);

    PoolStatistics GetStatistics() const;
    std::size_t GetObjectSize() const { return m_objectSize; }

private:
    using Guard = std::uint64_t;
    static constexpr std::size_t kLinkSize = sizeof(void*);
    static constexpr std::size_t kGuardSize = sizeof(Guard);

    void AddPage();
    // The page holding `block` when it is the start of one of this pool's slots, or null.
    std::byte* FindPage(const std::byte* block) const;
    static Guard ReadGuard(const std::byte* guard);
    static void WriteGuard(std::byte* guard, Guard value);
    void PushFree(std::byte* block);

    std::byte* m_pages = nullptr;
    std::size_t m_pageCount = 0;
    std::size_t m_pageSize = 0;
    std::byte* m_freeList = nullptr;
    std::size_t m_objectSize = 0;
    std::size_t m_blockSize = 0;
    std::size_t m_freeCount = 0;
    std::size_t m_inUse = 0;
    std::size_t m_allocations = 0;
    std::size_t m_releases = 0;
    std::size_t m_stride = 0;
    // Page addresses in ascending order, to tell this pool's blocks from any other pointer.
    std::vector<std::byte*> m_pageIndex;
};
} // namespace Morvane
