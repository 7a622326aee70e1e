#include "app/live_heap.h"

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KLV_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define KLV_ASAN 1
#endif

#ifdef KLV_ASAN
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#else
#include <malloc.h>
#endif

namespace klv {

size_t LiveHeapBytes() {
#ifdef KLV_ASAN
  // The sanitizer's allocator replaces malloc; it counts what it has handed out.
  return __sanitizer_get_current_allocated_bytes();
#else
  // glibc: blocks in use in every arena, and blocks mapped on their own
  // (large ones, 128 KB and up until the allocator raises its threshold).
  const struct mallinfo2 info = mallinfo2();
  return info.uordblks + info.hblkhd;
#endif
}

}  // namespace klv
