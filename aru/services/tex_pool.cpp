// The texture pool.
#include "tex_pool.h"

int32_t aruTexPool::LoadTexture(const char* name) {
  (void)name;
  return -1;
}
