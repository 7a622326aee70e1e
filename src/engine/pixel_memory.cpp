#include "engine/pixel_memory.h"

#include <sys/mman.h>

namespace klv {

namespace {

constexpr std::size_t kHugePage = std::size_t(2) << 20;

// Under AddressSanitizer every picture comes from the heap, where reads and
// writes past its end are caught.
#ifdef __SANITIZE_ADDRESS__
constexpr std::size_t kOwnMemoryFrom = SIZE_MAX;
#else
constexpr std::size_t kOwnMemoryFrom = kLargePictureBytes;
#endif

std::size_t RoundedUp(std::size_t bytes) {
  return (bytes + kHugePage - 1) & ~(kHugePage - 1);
}

}  // namespace

void* AllocatePictureMemory(std::size_t bytes) {
  if (bytes < kOwnMemoryFrom) return ::operator new(bytes);
  return MapPictureMemory(bytes);
}

void FreePictureMemory(void* p, std::size_t bytes) noexcept {
  if (p == nullptr) return;
  if (bytes < kOwnMemoryFrom) {
    ::operator delete(p);
    return;
  }
  UnmapPictureMemory(p, bytes);
}

void* MapPictureMemory(std::size_t bytes) {
  if (bytes == 0 || bytes > SIZE_MAX - 2 * kHugePage) throw std::bad_alloc();
  // One huge page more than asked for, to start on a 2 MB boundary; what is
  // left before and after the boundary goes back at once.
  const std::size_t size = RoundedUp(bytes);
  void* raw =
      mmap(nullptr, size + kHugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (raw == MAP_FAILED) throw std::bad_alloc();
  const auto start = reinterpret_cast<std::uintptr_t>(raw);
  const std::uintptr_t aligned = (start + kHugePage - 1) & ~(kHugePage - 1);
  if (aligned > start) munmap(raw, aligned - start);
  const std::size_t after = start + kHugePage - aligned;
  if (after > 0) munmap(reinterpret_cast<void*>(aligned + size), after);
  void* p = reinterpret_cast<void*>(aligned);
  // Only advice: without huge pages the memory is ordinary.
  madvise(p, size, MADV_HUGEPAGE);
  return p;
}

void UnmapPictureMemory(void* p, std::size_t bytes) noexcept {
  if (p != nullptr) munmap(p, RoundedUp(bytes));
}

}  // namespace klv
