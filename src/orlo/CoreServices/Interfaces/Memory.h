#pragma once

#include <cstddef>
#include <cstdint>

namespace orlo {

// The library's two allocation entry points: every block of the containers is
// requested from, and returned to, the default memory pool with a text naming
// the kind of request.
//
// Allocate returns none when the pool cannot supply the block (and for 0 bytes);
// callers that cannot carry on without the block use AllocateOrRaise.
void* Allocate(uint32_t size, const char* location);
void Free(void* block, const char* location);

// Allocate, raising an error of type BAD_ALLOC instead of returning none for a
// request of one byte or more, after the warning of a failed allocation on the
// warning channel, as the allocators give it. Sizes beyond 32 bits are refused
// the same way.
void* AllocateOrRaise(uint64_t size, const char* location);

// The one text of a failed allocation: "memory allocation of <size> bytes from
// location "<location>" failed". Writes into `out` (always terminated) and
// returns it.
const char* FormatAllocationFailure(uint64_t size, const char* location, char* out, size_t outSize);
inline constexpr size_t ALLOCATION_FAILURE_SIZE = 512;

// The location texts of the system's requests.
inline constexpr const char* LOCATION_NEW = "global operator new";
inline constexpr const char* LOCATION_DELETE = "global operator delete";
inline constexpr const char* LOCATION_NEW_ARRAY = "global operator new[]";
inline constexpr const char* LOCATION_DELETE_ARRAY = "global operator delete[]";

} // namespace orlo
