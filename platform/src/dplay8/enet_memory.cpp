// A free-list pool for ENet's allocations. Blocks of up to 1 KB come in five sizes and, once
// freed, wait on their size's list for the next request; larger ones go straight to malloc.
// Every block starts with a header naming its size class, since ENet frees without a size.
// Under AddressSanitizer a block on a free list is poisoned after its link, so a use after free is
// still caught while the leak checker can follow the list.
#include "dplay8/enet_memory.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <mutex>

#include "dplay8_test.h"

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#define POOL_POISON(block, size) ASAN_POISON_MEMORY_REGION(block, size)
#define POOL_UNPOISON(block, size) ASAN_UNPOISON_MEMORY_REGION(block, size)
#else
#define POOL_POISON(block, size) ((void)(block), (void)(size))
#define POOL_UNPOISON(block, size) ((void)(block), (void)(size))
#endif

namespace platform::dplay8 {
namespace {

constexpr size_t kClassSizes[] = {64, 128, 256, 512, 1024};
constexpr size_t kClassCount = sizeof(kClassSizes) / sizeof(kClassSizes[0]);
constexpr uint32_t kLargeClass = kClassCount;

// Keeps the memory after it aligned as malloc's is.
struct alignas(std::max_align_t) Header {
  uint32_t sizeClass;
};

struct FreeBlock {
  FreeBlock* next;
};

std::mutex poolLock;
FreeBlock* freeLists[kClassCount] = {};
size_t systemAllocations = 0;  // under poolLock

uint32_t ClassFor(size_t size) {
  for (uint32_t i = 0; i < kClassCount; ++i) {
    if (size <= kClassSizes[i]) return i;
  }
  return kLargeClass;
}

Header* FromSystem(size_t payload, uint32_t sizeClass) {
  auto* header = static_cast<Header*>(std::malloc(sizeof(Header) + payload));
  if (!header) return nullptr;
  header->sizeClass = sizeClass;
  std::lock_guard guard(poolLock);
  ++systemAllocations;
  return header;
}

}  // namespace

void* EnetAllocate(size_t size) {
  const uint32_t sizeClass = ClassFor(size);
  if (sizeClass == kLargeClass) {
    Header* header = FromSystem(size, kLargeClass);
    return header ? header + 1 : nullptr;
  }
  {
    std::lock_guard guard(poolLock);
    if (FreeBlock* block = freeLists[sizeClass]) {
      POOL_UNPOISON(block + 1, kClassSizes[sizeClass] - sizeof(FreeBlock));
      freeLists[sizeClass] = block->next;
      return block;
    }
  }
  Header* header = FromSystem(kClassSizes[sizeClass], sizeClass);
  return header ? header + 1 : nullptr;
}

void EnetFree(void* memory) {
  if (!memory) return;
  Header* header = static_cast<Header*>(memory) - 1;
  const uint32_t sizeClass = header->sizeClass;
  if (sizeClass >= kClassCount) {
    std::free(header);
    return;
  }
  auto* block = static_cast<FreeBlock*>(memory);
  std::lock_guard guard(poolLock);
  block->next = freeLists[sizeClass];
  freeLists[sizeClass] = block;
  POOL_POISON(block + 1, kClassSizes[sizeClass] - sizeof(FreeBlock));
}

void EnetOutOfMemory() {
  std::fputs("ENet: out of memory\n", stderr);
  std::abort();
}

}  // namespace platform::dplay8

namespace platform {

size_t TransportSystemAllocations() {
  std::lock_guard guard(dplay8::poolLock);
  return dplay8::systemAllocations;
}

}  // namespace platform
