// Direct3DCreate9: picks the back end named by ARU_VIDEO ("gl" when unset) from a table.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "d3d9/backends.h"

namespace {

struct Backend {
  const char* name;
  IDirect3D9* (*create)();
};

constexpr Backend kBackends[] = {
    {"gl", platform::d3d9::CreateGlDirect3D},
    {"null", platform::d3d9::CreateNullDirect3D},
};

}  // namespace

IDirect3D9* WINAPI Direct3DCreate9(UINT sdkVersion) {
  if (sdkVersion != D3D_SDK_VERSION) return nullptr;
  const char* name = std::getenv("ARU_VIDEO");
  if (!name || !*name) name = "gl";
  for (const Backend& backend : kBackends) {
    if (std::strcmp(backend.name, name) == 0) return backend.create();
  }
  std::fprintf(stderr, "d3d9: unknown video back end \"%s\" (ARU_VIDEO); known: gl, null\n", name);
  return nullptr;
}
