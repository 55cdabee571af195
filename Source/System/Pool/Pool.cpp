#include "System/Pool/Pool.h"

#include "System/Assert/Assertion.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>
#include <sanitizer/asan_interface.h>

namespace Morvane
{
namespace
{
// The guard before a block says whether it is handed out or free, mixed with the pool's address so
// that no other pool's blocks carry the same words.
constexpr std::uint64_t kGuardInUse = 0xA110CA7EDB10C4EDULL;
constexpr std::uint64_t kGuardFree = 0xF4EEB10CF4EEB10CULL;

constexpr std::size_t RoundUp(std::size_t size, std::size_t alignment)
{
    return (size + alignment - 1) / alignment * alignment;
}
} // namespace

// Page layout: the link to the previous page, then eight slots of front guard, block, end guard. The
// link and each guard take half the alignment, so every block starts aligned.
static_assert(sizeof(void*) + sizeof(std::uint64_t) == Pool::kAlignment);

Pool::Pool(std::size_t objectSize)
    : m_blockSize(RoundUp(std::max<std::size_t>(objectSize, kLinkSize), kAlignment)),
      m_stride(m_blockSize + 2 * kGuardSize),
      m_strideReciprocal(std::numeric_limits<std::uint64_t>::max() / m_stride + 1),
      m_liveTag(kGuardInUse ^ reinterpret_cast<std::uintptr_t>(this)),
      m_freeTag(kGuardFree ^ reinterpret_cast<std::uintptr_t>(this))
{
    m_pageSize = kLinkSize + kBlocksPerPage * m_stride;
    AddPage();
}

Pool::~Pool()
{
    while (m_pages != nullptr)
    {
        std::byte* const page = m_pages;
        std::memcpy(&m_pages, page, kLinkSize);
        ASAN_UNPOISON_MEMORY_REGION(page, m_pageSize);
        std::free(page);
    }
}

void Pool::AddPage()
{
    void* const memory = std::aligned_alloc(kAlignment, RoundUp(m_pageSize, kAlignment));
    if (memory == nullptr)
    {
        throw std::bad_alloc();
    }
    auto* const page = static_cast<std::byte*>(memory);
    std::memset(page, 0, m_pageSize);
    std::memcpy(page, &m_pages, kLinkSize);
    m_pages = page;
    m_recentPage = page;
    {
        const std::lock_guard lock(m_mutex);
        m_pageIndex.insert(std::upper_bound(m_pageIndex.begin(), m_pageIndex.end(), page), page);
    }
    Add(m_pageCount, 1);

    // Threaded so that the list runs from the page's last slot back to its first.
    for (std::size_t slot = 0; slot < kBlocksPerPage; ++slot)
    {
        std::byte* const block = page + kLinkSize + slot * m_stride + kGuardSize;
        WriteGuard(block + m_blockSize, kGuardEnd);
        LinkFree(block, m_freeList);
    }
}

void Pool::TakeRemoteFrees()
{
    const std::lock_guard lock(m_mutex);
    const std::size_t count = m_remoteFreeCount.load(std::memory_order_relaxed);
    // Only called with the free list empty, so the other threads' list becomes it whole.
    m_freeList = m_remoteFreeList;
    m_remoteFreeList = nullptr;
    m_remoteFreeCount.store(0, std::memory_order_relaxed);
    Add(m_releases, count);
}

void Pool::ZeroLarge(void* block, std::size_t size)
{
    std::memset(block, 0, size);
}

std::byte* Pool::Refill()
{
    if (m_remoteFreeCount.load(std::memory_order_relaxed) > 0)
    {
        TakeRemoteFrees();
    }
    // A block given back at this very moment waits for the next time the list runs dry.
    if (m_freeList == nullptr)
    {
        AddPage();
    }
    return m_freeList;
}

Pool::FreeResult Pool::FreeChecked(void* block)
{
    if (block == nullptr)
    {
        return FreeResult::Null;
    }
    auto* const address = static_cast<std::byte*>(block);
    // Objects made together tend to go together: the page of the last block given back is tried first.
    if (!IsSlotOf(m_recentPage, address))
    {
        std::byte* const page = FindPage(address);
        if (page == nullptr)
        {
            return FreeResult::Foreign;
        }
        m_recentPage = page;
    }
    const FreeResult result = CheckGuards(address);
    if (result == FreeResult::Freed)
    {
        LinkFree(address, m_freeList);
        Add(m_releases, 1);
    }
    return result;
}

Pool::FreeResult Pool::FreeFromAnotherThread(void* block)
{
    if (block == nullptr)
    {
        return FreeResult::Null;
    }
    auto* const address = static_cast<std::byte*>(block);
    const std::lock_guard lock(m_mutex);
    if (FindPage(address) == nullptr)
    {
        return FreeResult::Foreign;
    }
    const FreeResult result = CheckGuards(address);
    if (result == FreeResult::Freed)
    {
        LinkFree(address, m_remoteFreeList);
        m_remoteFreeCount.store(m_remoteFreeCount.load(std::memory_order_relaxed) + 1,
                                std::memory_order_relaxed);
    }
    return result;
}

Pool::FreeResult Pool::CheckGuards(const std::byte* block) const
{
    const Guard front = ReadGuard(block - kGuardSize);
    if (front == m_freeTag)
    {
        return FreeResult::DoubleFree;
    }
    if (front != m_liveTag || ReadGuard(block + m_blockSize) != kGuardEnd)
    {
        return FreeResult::GuardCorrupted;
    }
    return FreeResult::Freed;
}

std::byte* Pool::FindPage(const std::byte* block) const
{
    if (m_pageIndex.empty() || block < m_pageIndex.front())
    {
        return nullptr;
    }
    // The last page starting at or before `block`, found without branches that mispredict.
    std::byte* const* first = m_pageIndex.data();
    std::size_t count = m_pageIndex.size();
    while (count > 1)
    {
        const std::size_t half = count / 2;
        first = first[half] <= block ? first + half : first;
        count -= half;
    }
    return IsSlotOf(*first, block) ? *first : nullptr;
}

bool Pool::IsSlotOf(const std::byte* page, const std::byte* block) const
{
    // As integers: the pointers may belong to different objects.
    const std::uintptr_t offset =
        reinterpret_cast<std::uintptr_t>(block) - reinterpret_cast<std::uintptr_t>(page);
    if (offset < kLinkSize + kGuardSize || offset >= kLinkSize + kBlocksPerPage * m_stride)
    {
        return false;
    }
    // Pages are small, so the offset fits 32 bits, for which a multiplication by the reciprocal tells
    // divisibility exactly (Lemire, Kaser and Kurz) and far more cheaply than a division.
    const auto slotOffset = static_cast<std::uint32_t>(offset - kLinkSize - kGuardSize);
    return slotOffset * m_strideReciprocal <= m_strideReciprocal - 1;
}

PoolStatistics Pool::GetStatistics() const
{
    const std::lock_guard lock(m_mutex);
    // Read in the reverse of the order the owner changes them, so that they fit together even while it
    // works: its release stores make all it did before visible to these acquire loads.
    const std::size_t remote = m_remoteFreeCount.load(std::memory_order_relaxed);
    const std::size_t releases = m_releases.load(std::memory_order_acquire) + remote;
    const std::size_t allocations = m_allocations.load(std::memory_order_acquire);
    const std::size_t pageCount = m_pageCount.load(std::memory_order_acquire);
    const std::size_t inUse = allocations - releases;
    return {pageCount, pageCount * kBlocksPerPage - inUse, inUse, allocations, releases};
}
} // namespace Morvane
