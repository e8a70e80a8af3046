// The OpenGL back end's Direct3D object: adapters are SDL's displays, their modes SDL's mode
// lists, and caps and multisample types come from the limits of an OpenGL context probed once.
#include <SDL.h>
#include <epoxy/gl.h>

#include <cstdio>
#include <cstring>

#include "d3d9/backends.h"
#include "d3d9/caps.h"
#include "d3d9/direct3d_base.h"
#include "d3d9/gl_device.h"
#include "win32/window_internal.h"

namespace platform::d3d9 {

namespace {

// GL offers no portable way to ask for video memory; this is what textures may use.
constexpr UINT kDefaultTextureMemory = 256u * 1024u * 1024u;

struct GlLimits {
  RendererLimits renderer;
  UINT maxSamples = 0;
  UINT textureMemory = kDefaultTextureMemory;
  char rendererName[MAX_DEVICE_IDENTIFIER_STRING] = {};
  char version[MAX_DEVICE_IDENTIFIER_STRING] = {};
};

void ReadLimits(GlLimits* limits) {
  auto integer = [](GLenum name) {
    GLint value = 0;
    glGetIntegerv(name, &value);
    return value;
  };
  limits->renderer.maxTextureSize = static_cast<DWORD>(integer(GL_MAX_TEXTURE_SIZE));
  limits->renderer.textureUnits = static_cast<DWORD>(integer(GL_MAX_TEXTURE_UNITS));
  limits->renderer.maxLights = static_cast<DWORD>(integer(GL_MAX_LIGHTS));
  limits->renderer.maxElementIndex = static_cast<DWORD>(integer(GL_MAX_ELEMENTS_INDICES));
  GLfloat pointSizes[2] = {1.0f, 1.0f};
  glGetFloatv(GL_ALIASED_POINT_SIZE_RANGE, pointSizes);
  limits->renderer.maxPointSize = pointSizes[1];
  int version = epoxy_gl_version();
  limits->renderer.autoGenerateMipmaps = version >= 30 || epoxy_has_gl_extension("GL_ARB_framebuffer_object");
  if (version >= 30 || epoxy_has_gl_extension("GL_ARB_framebuffer_object")) {
    limits->maxSamples = static_cast<UINT>(integer(GL_MAX_SAMPLES));
  }
  if (epoxy_has_gl_extension("GL_NVX_gpu_memory_info")) {
    limits->textureMemory = static_cast<UINT>(integer(0x9048)) * 1024u;  // dedicated video memory, in KiB
  }
  const char* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
  const char* versionText = reinterpret_cast<const char*>(glGetString(GL_VERSION));
  std::snprintf(limits->rendererName, sizeof limits->rendererName, "%s", renderer ? renderer : "OpenGL");
  std::snprintf(limits->version, sizeof limits->version, "%s", versionText ? versionText : "");
}

// Makes a hidden window with a context just long enough to read GL's limits.
bool ProbeGl(GlLimits* limits) {
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
  SDL_Window* window = SDL_CreateWindow("", 0, 0, 16, 16, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
  if (!window) {
    std::fprintf(stderr, "d3d9: no OpenGL window: %s\n", SDL_GetError());
    return false;
  }
  SDL_GLContext context = SDL_GL_CreateContext(window);
  if (!context) {
    std::fprintf(stderr, "d3d9: no OpenGL context: %s\n", SDL_GetError());
    SDL_DestroyWindow(window);
    return false;
  }
  ReadLimits(limits);
  SDL_GL_DeleteContext(context);
  SDL_DestroyWindow(window);
  return true;
}

D3DFORMAT DisplayFormatOf(Uint32 sdlFormat) {
  return SDL_BITSPERPIXEL(sdlFormat) == 16 ? D3DFMT_R5G6B5 : D3DFMT_X8R8G8B8;
}

// Every size SDL lists is offered in both 32- and 16-bit colour: the device renders into its
// own framebuffer, so the display's depth does not limit the back buffer.
void AddDisplayModes(int display, AdapterInfo* adapter) {
  int count = SDL_GetNumDisplayModes(display);
  for (int i = 0; i < count; ++i) {
    SDL_DisplayMode mode{};
    if (SDL_GetDisplayMode(display, i, &mode) != 0 || mode.w <= 0 || mode.h <= 0) continue;
    for (D3DFORMAT format : {D3DFMT_X8R8G8B8, D3DFMT_R5G6B5}) {
      D3DDISPLAYMODE entry{static_cast<UINT>(mode.w), static_cast<UINT>(mode.h),
                           static_cast<UINT>(mode.refresh_rate), format};
      bool known = false;
      for (const D3DDISPLAYMODE& existing : adapter->modes) {
        known = known || std::memcmp(&existing, &entry, sizeof entry) == 0;
      }
      if (!known) adapter->modes.push_back(entry);
    }
  }
  if (adapter->modes.empty() && adapter->desktop.Width > 0) {
    for (D3DFORMAT format : {D3DFMT_X8R8G8B8, D3DFMT_R5G6B5}) {
      adapter->modes.push_back(D3DDISPLAYMODE{adapter->desktop.Width, adapter->desktop.Height,
                                              adapter->desktop.RefreshRate, format});
    }
  }
  SortModes(&adapter->modes);
}

class GlDirect3D final : public Direct3DBase {
 public:
  bool Enumerate() {
    InitSdlVideo();
    GlLimits limits;
    if (!ProbeGl(&limits)) return false;
    int displays = SDL_GetNumVideoDisplays();
    for (int display = 0; display < displays; ++display) {
      AdapterInfo adapter;
      SDL_DisplayMode desktop{};
      if (SDL_GetDesktopDisplayMode(display, &desktop) == 0) {
        adapter.desktop = D3DDISPLAYMODE{static_cast<UINT>(desktop.w), static_cast<UINT>(desktop.h),
                                         static_cast<UINT>(desktop.refresh_rate), DisplayFormatOf(desktop.format)};
      }
      if (adapter.desktop.Width == 0 || adapter.desktop.Height == 0) {
        adapter.desktop = D3DDISPLAYMODE{1024, 768, 0, D3DFMT_X8R8G8B8};
      }
      AddDisplayModes(display, &adapter);
      D3DADAPTER_IDENTIFIER9& id = adapter.identifier;
      std::snprintf(id.Driver, sizeof id.Driver, "OpenGL %.480s", limits.version);
      std::snprintf(id.Description, sizeof id.Description, "%s", limits.rendererName);
      std::snprintf(id.DeviceName, sizeof id.DeviceName, "\\\\.\\DISPLAY%d", display + 1);
      adapter.caps = FixedFunctionCaps(limits.renderer);
      adapter.maxSamples = limits.maxSamples;
      adapter.textureMemory = limits.textureMemory;
      adapters_.push_back(adapter);
    }
    return !adapters_.empty();
  }

 protected:
  HRESULT CreateBackendDevice(UINT adapter, HWND focusWindow, DWORD behaviorFlags,
                              const D3DPRESENT_PARAMETERS& parameters, IDirect3DDevice9** device) override {
    return GlDevice::Create(this, adapter, focusWindow, behaviorFlags, parameters, device);
  }

  bool WindowClientSize(HWND window, UINT* width, UINT* height) override {
    SDL_Window* sdlWindow = SdlWindowOf(window);
    if (!sdlWindow) return false;
    int w = 0, h = 0;
    SDL_GetWindowSize(sdlWindow, &w, &h);
    *width = static_cast<UINT>(w);
    *height = static_cast<UINT>(h);
    return w > 0 && h > 0;
  }
};

}  // namespace

IDirect3D9* CreateGlDirect3D() {
  auto* direct3D = new GlDirect3D();
  if (!direct3D->Enumerate()) {
    direct3D->Release();
    return nullptr;
  }
  return direct3D;
}

}  // namespace platform::d3d9
