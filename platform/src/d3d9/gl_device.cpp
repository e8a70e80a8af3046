// Context, framebuffers, clearing, drawing, presentation and read-back of the OpenGL device.
#include "d3d9/gl_device.h"

#include <cstdio>
#include <utility>

#include "d3d9/gl_texture.h"
#include "win32/window_internal.h"

namespace platform::d3d9 {

namespace {

GLenum PrimitiveMode(D3DPRIMITIVETYPE type) {
  switch (type) {
    case D3DPT_POINTLIST: return GL_POINTS;
    case D3DPT_LINELIST: return GL_LINES;
    case D3DPT_LINESTRIP: return GL_LINE_STRIP;
    case D3DPT_TRIANGLELIST: return GL_TRIANGLES;
    case D3DPT_TRIANGLESTRIP: return GL_TRIANGLE_STRIP;
    default: return GL_TRIANGLE_FAN;
  }
}

GLenum DepthFormat(D3DFORMAT format) {
  switch (format) {
    case D3DFMT_D16: return GL_DEPTH_COMPONENT16;
    case D3DFMT_D24X8: return GL_DEPTH_COMPONENT24;
    case D3DFMT_D32: return GL_DEPTH_COMPONENT32;
    default: return GL_DEPTH24_STENCIL8;
  }
}

// Non-maskable quality q renders with 2^(q+1) samples; the numbered types with their number.
GLsizei SampleCount(const D3DPRESENT_PARAMETERS& parameters) {
  if (parameters.MultiSampleType == D3DMULTISAMPLE_NONE) return 0;
  if (parameters.MultiSampleType == D3DMULTISAMPLE_NONMASKABLE) {
    return static_cast<GLsizei>(2u << parameters.MultiSampleQuality);
  }
  return static_cast<GLsizei>(parameters.MultiSampleType);
}

}  // namespace

HRESULT GlDevice::Create(Direct3DBase* direct3D, UINT adapter, HWND focusWindow, DWORD behaviorFlags,
                         const D3DPRESENT_PARAMETERS& parameters, IDirect3DDevice9** device) {
  HWND windowHandle = parameters.hDeviceWindow ? parameters.hDeviceWindow : focusWindow;
  SDL_Window* window = SdlWindowOf(windowHandle);
  if (!window) {
    std::fprintf(stderr, "d3d9: the device window has no SDL window (is ARU_VIDEO=null?)\n");
    return D3DERR_NOTAVAILABLE;
  }
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
  SDL_GLContext context = SDL_GL_CreateContext(window);
  if (!context) {
    std::fprintf(stderr, "d3d9: SDL_GL_CreateContext failed: %s\n", SDL_GetError());
    return D3DERR_NOTAVAILABLE;
  }
  int version = epoxy_gl_version();
  bool framebuffers = version >= 30 || epoxy_has_gl_extension("GL_ARB_framebuffer_object");
  bool bgraColours = version >= 32 || epoxy_has_gl_extension("GL_ARB_vertex_array_bgra");
  if (!framebuffers || !bgraColours) {
    std::fprintf(stderr, "d3d9: OpenGL %d.%d lacks framebuffer objects or BGRA vertex colours\n", version / 10,
                 version % 10);
    SDL_GL_DeleteContext(context);
    return D3DERR_NOTAVAILABLE;
  }
  GLint units = 1;
  glGetIntegerv(GL_MAX_TEXTURE_UNITS, &units);
  auto* created = new GlDevice(direct3D, adapter, focusWindow, behaviorFlags, parameters, window, context,
                               static_cast<UINT>(units));
  if (!created->CreateFramebuffers(parameters)) {
    created->Release();
    return D3DERR_OUTOFVIDEOMEMORY;
  }
  created->ApplyWindowMode(parameters);
  *device = created;
  return D3D_OK;
}

GlDevice::GlDevice(Direct3DBase* direct3D, UINT adapter, HWND focusWindow, DWORD behaviorFlags,
                   const D3DPRESENT_PARAMETERS& parameters, SDL_Window* window, SDL_GLContext context, UINT units)
    : DeviceBase(direct3D, adapter, focusWindow, behaviorFlags, parameters),
      window_(window),
      context_(context),
      deviceWindow_(parameters.hDeviceWindow ? parameters.hDeviceWindow : focusWindow),
      state_(units) {
  if (epoxy_gl_version() >= 32) glProvokingVertex(GL_FIRST_VERTEX_CONVENTION);  // flat shading as Direct3D
  glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
}

GlDevice::~GlDevice() {
  // Bound textures may die with their bindings; their GL objects need the context.
  ReleaseBindings();
  DestroyFramebuffers();
  SDL_GL_DeleteContext(context_);
}

std::unique_ptr<TextureBacking> GlDevice::CreateTextureBacking(Texture& texture) {
  return std::make_unique<GlTexture>(texture);
}

// ---------------------------------------------------------------------------------------------
// Framebuffers

bool GlDevice::CreateFramebuffers(const D3DPRESENT_PARAMETERS& parameters) {
  backBufferBound_ = false;
  GLsizei width = static_cast<GLsizei>(parameters.BackBufferWidth);
  GLsizei height = static_cast<GLsizei>(parameters.BackBufferHeight);
  samples_ = SampleCount(parameters);
  auto make = [&](Framebuffer& target, GLsizei samples, bool depth) {
    glGenFramebuffers(1, &target.framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, target.framebuffer);
    glGenRenderbuffers(1, &target.colour);
    glBindRenderbuffer(GL_RENDERBUFFER, target.colour);
    glRenderbufferStorageMultisample(GL_RENDERBUFFER, samples, GL_RGBA8, width, height);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, target.colour);
    if (depth) {
      GLenum format = DepthFormat(parameters.AutoDepthStencilFormat);
      glGenRenderbuffers(1, &target.depth);
      glBindRenderbuffer(GL_RENDERBUFFER, target.depth);
      glRenderbufferStorageMultisample(GL_RENDERBUFFER, samples, format, width, height);
      GLenum attachment = format == GL_DEPTH24_STENCIL8 ? GL_DEPTH_STENCIL_ATTACHMENT : GL_DEPTH_ATTACHMENT;
      glFramebufferRenderbuffer(GL_FRAMEBUFFER, attachment, GL_RENDERBUFFER, target.depth);
    }
    return glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
  };
  bool complete = make(back_, samples_, parameters.EnableAutoDepthStencil != FALSE) && make(front_, 0, false) &&
                  (samples_ == 0 || make(resolve_, 0, false));
  // A flipping chain swaps the two pictures at each Present instead of copying the whole back
  // buffer; the depth buffer stays with whichever is drawn into, so both share it.
  flipping_ = samples_ == 0 && parameters.SwapEffect != D3DSWAPEFFECT_COPY;
  if (complete && flipping_ && back_.depth != 0) {
    GLenum format = DepthFormat(parameters.AutoDepthStencilFormat);
    GLenum attachment = format == GL_DEPTH24_STENCIL8 ? GL_DEPTH_STENCIL_ATTACHMENT : GL_DEPTH_ATTACHMENT;
    glBindFramebuffer(GL_FRAMEBUFFER, front_.framebuffer);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, attachment, GL_RENDERBUFFER, back_.depth);
    complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
  }
  // Both pictures start black, as a new Direct3D device's do.
  for (const Framebuffer* target : {&front_, &back_}) {
    glBindFramebuffer(GL_FRAMEBUFFER, target->framebuffer);
    state_.PrepareClear(0, 0, width, height);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
  }
  if (!complete) std::fprintf(stderr, "d3d9: the %dx%d back buffer framebuffer is incomplete\n", width, height);
  return complete;
}

void GlDevice::DestroyFramebuffers() {
  backBufferBound_ = false;
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  for (Framebuffer* target : {&back_, &resolve_, &front_}) {
    if (target->framebuffer) glDeleteFramebuffers(1, &target->framebuffer);
    if (target->colour) glDeleteRenderbuffers(1, &target->colour);
    if (target->depth) glDeleteRenderbuffers(1, &target->depth);
    *target = Framebuffer{};
  }
}

void GlDevice::ApplyWindowMode(const D3DPRESENT_PARAMETERS& parameters) {
  Uint32 fullScreen = parameters.Windowed ? 0 : SDL_WINDOW_FULLSCREEN_DESKTOP;
  if ((SDL_GetWindowFlags(window_) & SDL_WINDOW_FULLSCREEN_DESKTOP) != fullScreen) {
    SDL_SetWindowFullscreen(window_, fullScreen);
  }
  // Xvfb and some drivers cannot change the swap interval; the picture is right either way.
  SDL_GL_SetSwapInterval(parameters.PresentationInterval == D3DPRESENT_INTERVAL_IMMEDIATE ? 0 : 1);
}

HRESULT GlDevice::BackendReset(const D3DPRESENT_PARAMETERS& parameters) {
  DestroyFramebuffers();
  state_.Invalidate();
  if (!CreateFramebuffers(parameters)) return D3DERR_OUTOFVIDEOMEMORY;
  ApplyWindowMode(parameters);
  return D3D_OK;
}

bool GlDevice::WindowHidesDevice() {
  return !presentParameters().Windowed && IsWindowMinimised(deviceWindow_);
}

// ---------------------------------------------------------------------------------------------
// Clearing and drawing

void GlDevice::BindBackBuffer() {
  if (backBufferBound_) return;
  glBindFramebuffer(GL_FRAMEBUFFER, back_.framebuffer);
  backBufferBound_ = true;
}

void GlDevice::BackendClear(const D3DRECT& rect, DWORD flags, D3DCOLOR color, float z) {
  BindBackBuffer();
  GLint height = static_cast<GLint>(presentParameters().BackBufferHeight);
  state_.PrepareClear(rect.x1, height - rect.y2, rect.x2 - rect.x1, rect.y2 - rect.y1);
  GLbitfield mask = 0;
  if (flags & D3DCLEAR_TARGET) {
    glClearColor(((color >> 16) & 0xFF) / 255.0f, ((color >> 8) & 0xFF) / 255.0f, (color & 0xFF) / 255.0f,
                 (color >> 24) / 255.0f);
    mask |= GL_COLOR_BUFFER_BIT;
  }
  if (flags & D3DCLEAR_ZBUFFER) {
    glClearDepth(z);
    mask |= GL_DEPTH_BUFFER_BIT;
  }
  if (flags & D3DCLEAR_STENCIL) mask |= GL_STENCIL_BUFFER_BIT;
  glClear(mask);
}

void GlDevice::BackendDraw(const DrawCall& call) {
  BindBackBuffer();
  state_.ApplyForDraw(*this, call.layout);
  state_.BindVertices(*this, call.layout, call.vertices, call.stride);
  GLsizei count = static_cast<GLsizei>(call.elementCount);
  if (call.indices) {
    glDrawElements(PrimitiveMode(call.type), count, call.indexSize == 4 ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT,
                   call.indices);
  } else {
    glDrawArrays(PrimitiveMode(call.type), 0, count);
  }
}

// ---------------------------------------------------------------------------------------------
// Presentation and read-back

void GlDevice::Blit(GLuint from, GLuint to, GLint toWidth, GLint toHeight, GLenum filter) {
  GLint width = static_cast<GLint>(presentParameters().BackBufferWidth);
  GLint height = static_cast<GLint>(presentParameters().BackBufferHeight);
  state_.DisableScissor();
  backBufferBound_ = false;
  glBindFramebuffer(GL_READ_FRAMEBUFFER, from);
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, to);
  glBlitFramebuffer(0, 0, width, height, 0, 0, toWidth, toHeight, GL_COLOR_BUFFER_BIT, filter);
}

HRESULT GlDevice::BackendPresent() {
  GLint width = static_cast<GLint>(presentParameters().BackBufferWidth);
  GLint height = static_cast<GLint>(presentParameters().BackBufferHeight);
  if (flipping_) {
    // The depth buffer's id travels with the picture drawn into, so it is deleted once.
    std::swap(back_, front_);
    backBufferBound_ = false;
  } else {
    Blit(back_.framebuffer, front_.framebuffer, width, height, GL_NEAREST);
  }
  int windowWidth = 0, windowHeight = 0;
  SDL_GL_GetDrawableSize(window_, &windowWidth, &windowHeight);
  if (windowWidth > 0 && windowHeight > 0) {
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    Blit(front_.framebuffer, 0, windowWidth, windowHeight, width == windowWidth && height == windowHeight ? GL_NEAREST
                                                                                                        : GL_LINEAR);
    SDL_GL_SwapWindow(window_);
  }
  return D3D_OK;
}

void GlDevice::ReadFramebuffer(GLuint framebuffer, BYTE* pixels, UINT pitch) {
  GLint width = static_cast<GLint>(presentParameters().BackBufferWidth);
  GLint height = static_cast<GLint>(presentParameters().BackBufferHeight);
  backBufferBound_ = false;
  glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  // GL's rows run bottom-up; surfaces hold the top row first.
  for (GLint y = 0; y < height; ++y) {
    BYTE* row = pixels + static_cast<size_t>(y) * pitch;
    glReadPixels(0, height - 1 - y, width, 1, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, row);
    for (GLint x = 0; x < width; ++x) row[x * 4 + 3] = 0xFF;
  }
}

void GlDevice::ReadBackBuffer(BYTE* pixels, UINT pitch) {
  if (samples_ == 0) {
    ReadFramebuffer(back_.framebuffer, pixels, pitch);
    return;
  }
  GLint width = static_cast<GLint>(presentParameters().BackBufferWidth);
  GLint height = static_cast<GLint>(presentParameters().BackBufferHeight);
  Blit(back_.framebuffer, resolve_.framebuffer, width, height, GL_NEAREST);
  ReadFramebuffer(resolve_.framebuffer, pixels, pitch);
}

void GlDevice::ReadFrontBuffer(BYTE* pixels, UINT pitch) { ReadFramebuffer(front_.framebuffer, pixels, pitch); }

}  // namespace platform::d3d9
