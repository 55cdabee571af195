#include "System/Pool/Pool.h"

#include "System/Assert/Assertion.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <sanitizer/asan_interface.h>

namespace Morvane
{
namespace
{
// The guard before a block says whether it is handed out or free; the guard after it never changes.
constexpr std::uint64_t kGuardInUse = 0xA110CA7EDB10C4EDULL;
constexpr std::uint64_t kGuardFree = 0xF4EEB10CF4EEB10CULL;
constexpr std::uint64_t kGuardEnd = 0x600DF00D600DF00DULL;

constexpr std::size_t RoundUp(std::size_t size, std::size_t alignment)
{
    return (size + alignment - 1) / alignment * alignment;
}
} // namespace

// Page layout: the link to the previous page, then eight slots of front guard, block, end guard. The
// link and each guard take half the alignment, so every block starts aligned.
static_assert(sizeof(void*) + sizeof(std::uint64_t) == Pool::kAlignment);

Pool::Pool(std::size_t objectSize)
    : m_objectSize(objectSize),
      m_blockSize(RoundUp(std::max<std::size_t>(objectSize, kLinkSize), kAlignment)),
      m_stride(m_blockSize + 2 * kGuardSize)
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
    Add(m_freeCount, kBlocksPerPage);
}

void Pool::LinkFree(std::byte* block, std::byte*& list) const
{
    WriteGuard(block - kGuardSize, kGuardFree);
    std::memcpy(block, &list, kLinkSize);
    ASAN_POISON_MEMORY_REGION(block, m_blockSize);
    list = block;
}

void Pool::TakeRemoteFrees()
{
    const std::lock_guard lock(m_mutex);
    const std::size_t count = m_remoteFreeCount.load(std::memory_order_relaxed);
    // Only called with the free list empty, so the other threads' list becomes it whole.
    m_freeList = m_remoteFreeList;
    m_remoteFreeList = nullptr;
    m_remoteFreeCount.store(0, std::memory_order_relaxed);
    Add(m_freeCount, count);
    Subtract(m_inUse, count);
    Add(m_releases, count);
}

void* Pool::Allocate()
{
    if (m_freeList == nullptr && m_remoteFreeCount.load(std::memory_order_relaxed) > 0)
    {
        TakeRemoteFrees();
    }
    // A block given back at this very moment waits for the next time the list runs dry.
    if (m_freeList == nullptr)
    {
        AddPage();
    }
    std::byte* const block = m_freeList;
    MORVANE_ASSERT(ReadGuard(block - kGuardSize) == kGuardFree);
    ASAN_UNPOISON_MEMORY_REGION(block, m_blockSize);
    std::memcpy(&m_freeList, block, kLinkSize);
    WriteGuard(block - kGuardSize, kGuardInUse);
    std::memset(block, 0, m_blockSize);
    Subtract(m_freeCount, 1);
    Add(m_inUse, 1);
    Add(m_allocations, 1);
    return block;
}

Pool::FreeResult Pool::Free(void* block)
{
    if (block == nullptr)
    {
        return FreeResult::Null;
    }
    auto* const address = static_cast<std::byte*>(block);
    if (FindPage(address) == nullptr)
    {
        return FreeResult::Foreign;
    }
    const FreeResult result = CheckGuards(address);
    if (result == FreeResult::Freed)
    {
        LinkFree(address, m_freeList);
        Add(m_freeCount, 1);
        Subtract(m_inUse, 1);
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
    if (front == kGuardFree)
    {
        return FreeResult::DoubleFree;
    }
    if (front != kGuardInUse || ReadGuard(block + m_blockSize) != kGuardEnd)
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
    std::byte* const page = *first;
    const auto offset = static_cast<std::size_t>(block - page);
    if (offset < kLinkSize + kGuardSize || offset >= kLinkSize + kBlocksPerPage * m_stride)
    {
        return nullptr;
    }
    // Pages are small: a 32-bit remainder is enough and much cheaper than a 64-bit one.
    const auto slotOffset = static_cast<std::uint32_t>(offset - kLinkSize - kGuardSize);
    return slotOffset % static_cast<std::uint32_t>(m_stride) == 0 ? page : nullptr;
}

// Under AddressSanitizer the guards stay poisoned, so a write past a block is seen where it happens.
Pool::Guard Pool::ReadGuard(const std::byte* guard)
{
    ASAN_UNPOISON_MEMORY_REGION(guard, kGuardSize);
    Guard value = 0;
    std::memcpy(&value, guard, kGuardSize);
    ASAN_POISON_MEMORY_REGION(guard, kGuardSize);
    return value;
}

void Pool::WriteGuard(std::byte* guard, Guard value)
{
    ASAN_UNPOISON_MEMORY_REGION(guard, kGuardSize);
    std::memcpy(guard, &value, kGuardSize);
    ASAN_POISON_MEMORY_REGION(guard, kGuardSize);
}

PoolStatistics Pool::GetStatistics() const
{
    constexpr auto relaxed = std::memory_order_relaxed;
    const std::lock_guard lock(m_mutex);
    // Blocks other threads gave back count as free already.
    const std::size_t remote = m_remoteFreeCount.load(relaxed);
    return {m_pageCount.load(relaxed), m_freeCount.load(relaxed) + remote, m_inUse.load(relaxed) - remote,
            m_allocations.load(relaxed), m_releases.load(relaxed) + remote};
}

void Pool::Add(Counter& counter, std::size_t delta)
{
    counter.store(counter.load(std::memory_order_relaxed) + delta, std::memory_order_relaxed);
}

void Pool::Subtract(Counter& counter, std::size_t delta)
{
    counter.store(counter.load(std::memory_order_relaxed) - delta, std::memory_order_relaxed);
}
} // namespace Morvane
