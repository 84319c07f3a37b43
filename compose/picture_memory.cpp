#include "compose/picture_memory.h"

#include <sys/mman.h>

#include <atomic>
#include <cstdint>

namespace picture_memory {
namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;

std::atomic<std::size_t> largeAllocations{0};

std::size_t RoundedUp(std::size_t bytes) { return (bytes + kHugePage - 1) / kHugePage * kHugePage; }

}  // namespace

void* AllocateLarge(std::size_t bytes) {
  largeAllocations.fetch_add(1, std::memory_order_relaxed);
  const std::size_t size = RoundedUp(bytes);
  // Map a huge page more than needed, then give back what lies before the first 2 MiB boundary
  // and after the buffer.
  void* mapped = ::mmap(nullptr, size + kHugePage, PROT_READ | PROT_WRITE,
                        MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (mapped == MAP_FAILED) throw std::bad_alloc();
  const auto base = reinterpret_cast<std::uintptr_t>(mapped);
  const std::uintptr_t aligned = (base + kHugePage - 1) & ~(std::uintptr_t{kHugePage} - 1);
  if (aligned > base) ::munmap(mapped, aligned - base);
  const std::uintptr_t end = base + size + kHugePage;
  if (end > aligned + size) ::munmap(reinterpret_cast<void*>(aligned + size), end - (aligned + size));
  void* memory = reinterpret_cast<void*>(aligned);
  ::madvise(memory, size, MADV_HUGEPAGE);  // a hint: without huge pages the memory still works
  return memory;
}

void FreeLarge(void* memory, std::size_t bytes) noexcept { ::munmap(memory, RoundedUp(bytes)); }

std::size_t LargeAllocationCount() noexcept { return largeAllocations.load(std::memory_order_relaxed); }

}  // namespace picture_memory
