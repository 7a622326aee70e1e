#pragma once
// Memory for pictures. A picture of a whole screen or more gets memory of its
// own, in 2 MB pieces the system may back with huge pages: touching such a
// picture for the first time then costs one page fault per 2 MB instead of
// one per 4 KB (469 for an 800 x 600 picture), which on a virtual machine is
// most of what making the back buffers and the menu's backdrops costs at
// start-up. Smaller pictures come from the ordinary heap.

#include <cstddef>
#include <cstdint>
#include <new>

namespace klv {

// Pictures from this many bytes on get memory of their own.
constexpr std::size_t kLargePictureBytes = std::size_t(3) << 19;  // 1.5 MB

// Throws std::bad_alloc when no memory is left.
void* AllocatePictureMemory(std::size_t bytes);
void FreePictureMemory(void* p, std::size_t bytes) noexcept;

// Memory of its own for a large picture: starts on a 2 MB boundary and runs
// to the next one after `bytes`. Used by the two above for large pictures
// (but for AddressSanitizer builds, which keep every picture on the heap).
void* MapPictureMemory(std::size_t bytes);
void UnmapPictureMemory(void* p, std::size_t bytes) noexcept;

template <typename T>
struct PictureAllocator {
  using value_type = T;
  PictureAllocator() = default;
  template <typename U>
  PictureAllocator(const PictureAllocator<U>&) noexcept {}
  T* allocate(std::size_t n) {
    if (n > SIZE_MAX / sizeof(T)) throw std::bad_alloc();
    return static_cast<T*>(AllocatePictureMemory(n * sizeof(T)));
  }
  void deallocate(T* p, std::size_t n) noexcept { FreePictureMemory(p, n * sizeof(T)); }
  template <typename U>
  bool operator==(const PictureAllocator<U>&) const noexcept {
    return true;
  }
};

}  // namespace klv
