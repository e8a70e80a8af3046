// ENet's memory: the transport initialises ENet with these allocation functions, which keep
// small freed blocks for reuse so that a send in the steady state of a match (a packet, its data
// and ENet's command record) takes nothing from the system allocator.
#pragma once

#include <cstddef>

namespace platform::dplay8 {

void* EnetAllocate(size_t size);
void EnetFree(void* memory);
[[noreturn]] void EnetOutOfMemory();

}  // namespace platform::dplay8
