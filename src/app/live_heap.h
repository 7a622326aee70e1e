#pragma once
// The heap the program holds: bytes handed out by the allocator and not yet
// freed, large blocks it maps on its own included; free memory the allocator
// keeps for reuse is not counted. The soak and the memory tests watch it.

#include <cstddef>

namespace klv {

size_t LiveHeapBytes();

}  // namespace klv
