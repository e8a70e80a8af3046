// Test hook of the network transport: how many blocks ENet's allocations have taken from the
// system allocator so far (freed blocks are reused), to check that steady sending takes none.
#pragma once

#include <cstddef>

namespace platform {

size_t TransportSystemAllocations();

}  // namespace platform
