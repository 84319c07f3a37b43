#pragma once
// Memory for picture-sized buffers (a 1080 x 1920 raster is 6.2 MB). Fresh memory comes from the
// kernel a page at a time on first touch, and on a virtual machine each 4 KiB page fault costs
// some microseconds: 15 to 25 ms for one such buffer, more than composing the picture takes.
// Large buffers are therefore mapped on 2 MiB boundaries and offered to the kernel for
// transparent huge pages, so a picture is a few faults instead of 1500. Where huge pages are
// not to be had the memory is ordinary and only slower to touch the first time.
#include <cstddef>
#include <new>
#include <vector>

namespace picture_memory {

// Below this a buffer is not picture-sized and comes from the ordinary heap.
inline constexpr std::size_t kLargeBytes = std::size_t{1} << 20;

void* AllocateLarge(std::size_t bytes);          // throws std::bad_alloc
void FreeLarge(void* memory, std::size_t bytes) noexcept;

// How many picture-sized buffers have been mapped so far: the benchmark checks that renders
// after the first reuse theirs.
std::size_t LargeAllocationCount() noexcept;

}  // namespace picture_memory

template <typename T>
struct PictureAllocator {
  using value_type = T;

  PictureAllocator() = default;
  template <typename U>
  PictureAllocator(const PictureAllocator<U>&) noexcept {}

  T* allocate(std::size_t count) {
    const std::size_t bytes = count * sizeof(T);
    if (bytes < picture_memory::kLargeBytes) return std::allocator<T>().allocate(count);
    return static_cast<T*>(picture_memory::AllocateLarge(bytes));
  }
  void deallocate(T* memory, std::size_t count) noexcept {
    const std::size_t bytes = count * sizeof(T);
    if (bytes < picture_memory::kLargeBytes) return std::allocator<T>().deallocate(memory, count);
    picture_memory::FreeLarge(memory, bytes);
  }

  template <typename U>
  bool operator==(const PictureAllocator<U>&) const noexcept { return true; }
};

// The bytes of a raster or a picture file.
using PictureBytes = std::vector<unsigned char, PictureAllocator<unsigned char>>;
