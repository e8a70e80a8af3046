// Context, framebuffers, clearing, drawing, presentation and read-back of the OpenGL device.
#include "d3d9/gl_device.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
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

struct DepthStencilBits {
  GLint depth = 0;
  GLint stencil = 0;
};

DepthStencilBits BitsOf(const D3DPRESENT_PARAMETERS& parameters) {
  if (!parameters.EnableAutoDepthStencil) return {};
  switch (parameters.AutoDepthStencilFormat) {
    case D3DFMT_D16: return {16, 0};
    case D3DFMT_D24X8: return {24, 0};
    case D3DFMT_D32: return {32, 0};
    default: return {24, 8};
  }
}

GLint Bits(GLenum name) {
  GLint bits = 0;
  glGetIntegerv(name, &bits);
  return bits;
}

// True when the window's default framebuffer, bound for drawing, holds the colour, depth and
// stencil the back buffer asks for. Its depth may be finer than asked (a 16-bit request meets
// 24 or 32 bits on most drivers); it is never coarser, so no surface loses a depth test it won.
bool DefaultFramebufferFits(const D3DPRESENT_PARAMETERS& parameters) {
  GLboolean doubleBuffered = GL_FALSE;
  glGetBooleanv(GL_DOUBLEBUFFER, &doubleBuffered);
  if (!doubleBuffered) return false;
  if (Bits(GL_RED_BITS) != 8 || Bits(GL_GREEN_BITS) != 8 || Bits(GL_BLUE_BITS) != 8) return false;
  bool alpha = parameters.BackBufferFormat == D3DFMT_A8R8G8B8;
  if (alpha && Bits(GL_ALPHA_BITS) < 8) return false;
  DepthStencilBits wanted = BitsOf(parameters);
  return Bits(GL_DEPTH_BITS) >= wanted.depth && Bits(GL_STENCIL_BITS) >= wanted.stencil;
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
  created->ApplyWindowMode(parameters);
  if (!created->ChooseBackBuffer(parameters, true)) {
    created->Release();
    return D3DERR_OUTOFVIDEOMEMORY;
  }
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
  const char* offscreen = std::getenv("ARU_GL_OFFSCREEN");
  windowAllowed_ = !(offscreen && std::strcmp(offscreen, "1") == 0);
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

// Drawing into the window saves copying every pixel at each Present. That needs the window's
// framebuffer to hold the back buffer's size and formats, no multisampling, and a swap effect
// that does not promise the back buffer's contents after Present. GetFrontBufferData is served
// from the window's back buffer, which holds the presented picture until the next frame is drawn
// where the swap keeps it; a device asked for the front buffer once keeps its own copy thereafter.
bool GlDevice::WindowMatches(const D3DPRESENT_PARAMETERS& parameters) {
  if (!windowAllowed_ || frontReadsSeen_ || swapKeepsBackBuffer_ == 0 || SampleCount(parameters) != 0 ||
      parameters.SwapEffect == D3DSWAPEFFECT_COPY) {
    return false;
  }
  int width = 0, height = 0;
  SDL_GL_GetDrawableSize(window_, &width, &height);
  windowWidth_ = width;
  windowHeight_ = height;
  if (static_cast<UINT>(width) != parameters.BackBufferWidth || static_cast<UINT>(height) != parameters.BackBufferHeight) {
    return false;
  }
  backBufferBound_ = false;
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  return DefaultFramebufferFits(parameters);
}

void GlDevice::ClearWindow(GLfloat red, GLfloat green, GLfloat blue) {
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  backBufferBound_ = false;
  state_.PrepareClear(0, 0, windowWidth_, windowHeight_);
  glClearColor(red, green, blue, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
}

// Whether the window's back buffer still holds a picture after it was swapped to the screen:
// GL leaves that to the driver. Tried once per device on a near-black picture.
bool GlDevice::SwapKeepsBackBuffer() {
  if (swapKeepsBackBuffer_ < 0) {
    constexpr GLubyte kMark[3] = {1, 2, 3};
    ClearWindow(kMark[0] / 255.0f, kMark[1] / 255.0f, kMark[2] / 255.0f);
    SDL_GL_SwapWindow(window_);
    GLubyte pixel[4] = {};
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    swapKeepsBackBuffer_ = pixel[0] == kMark[0] && pixel[1] == kMark[1] && pixel[2] == kMark[2] ? 1 : 0;
  }
  return swapKeepsBackBuffer_ == 1;
}

bool GlDevice::ChooseBackBuffer(const D3DPRESENT_PARAMETERS& parameters, bool fresh) {
  bool wasDirect = direct_;
  DestroyFramebuffers();
  direct_ = WindowMatches(parameters) && SwapKeepsBackBuffer();
  if (!direct_) {
    if (!CreateFramebuffers(parameters)) return false;
    // Turning away from the window at a Present: the picture it showed becomes the front copy.
    if (wasDirect && !fresh && WindowMatchesSize(parameters)) {
      Blit(0, front_.framebuffer, windowWidth_, windowHeight_, GL_NEAREST);
    }
    return true;
  }
  samples_ = 0;
  flipping_ = false;
  // A new device's pictures start black, as a new Direct3D device's do; a device that turns to
  // the window at a Present keeps what that Present showed, in the window's back buffer.
  if (fresh) {
    ClearWindow(0.0f, 0.0f, 0.0f);
    SDL_GL_SwapWindow(window_);
  }
  drawnSincePresent_ = false;
  return true;
}

bool GlDevice::WindowMatchesSize(const D3DPRESENT_PARAMETERS& parameters) {
  int width = 0, height = 0;
  SDL_GL_GetDrawableSize(window_, &width, &height);
  return static_cast<UINT>(width) == parameters.BackBufferWidth && static_cast<UINT>(height) == parameters.BackBufferHeight;
}

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
  ApplyWindowMode(parameters);
  if (!ChooseBackBuffer(parameters, true)) return D3DERR_OUTOFVIDEOMEMORY;
  return D3D_OK;
}

bool GlDevice::WindowHidesDevice() {
  return !presentParameters().Windowed && IsWindowMinimised(deviceWindow_);
}

// ---------------------------------------------------------------------------------------------
// Clearing and drawing

void GlDevice::BindBackBuffer() {
  if (backBufferBound_) return;
  glBindFramebuffer(GL_FRAMEBUFFER, direct_ ? 0 : back_.framebuffer);
  backBufferBound_ = true;
}

void GlDevice::BackendClear(const D3DRECT& rect, DWORD flags, D3DCOLOR color, float z) {
  BindBackBuffer();
  drawnSincePresent_ = true;
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
  drawnSincePresent_ = true;
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
  if (direct_) {
    SDL_GL_SwapWindow(window_);
    drawnSincePresent_ = false;
  } else {
    PresentOffscreen();
  }
  // A window resized, moved or made full screen since decides where the next frame is drawn.
  if (WindowMatches(presentParameters()) != direct_ && !ChooseBackBuffer(presentParameters(), false)) {
    return D3DERR_OUTOFVIDEOMEMORY;
  }
  return D3D_OK;
}

void GlDevice::PresentOffscreen() {
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
}

void GlDevice::ReadFramebuffer(GLuint framebuffer, GLenum buffer, BYTE* pixels, UINT pitch) {
  GLint width = static_cast<GLint>(presentParameters().BackBufferWidth);
  GLint height = static_cast<GLint>(presentParameters().BackBufferHeight);
  backBufferBound_ = false;
  glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer);
  glReadBuffer(buffer);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  // GL's rows run bottom-up; surfaces hold the top row first.
  for (GLint y = 0; y < height; ++y) {
    BYTE* row = pixels + static_cast<size_t>(y) * pitch;
    glReadPixels(0, height - 1 - y, width, 1, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, row);
    for (GLint x = 0; x < width; ++x) row[x * 4 + 3] = 0xFF;
  }
}

void GlDevice::ReadBackBuffer(BYTE* pixels, UINT pitch) {
  if (direct_) {
    ReadFramebuffer(0, GL_BACK, pixels, pitch);
    return;
  }
  if (samples_ == 0) {
    ReadFramebuffer(back_.framebuffer, GL_COLOR_ATTACHMENT0, pixels, pitch);
    return;
  }
  GLint width = static_cast<GLint>(presentParameters().BackBufferWidth);
  GLint height = static_cast<GLint>(presentParameters().BackBufferHeight);
  Blit(back_.framebuffer, resolve_.framebuffer, width, height, GL_NEAREST);
  ReadFramebuffer(resolve_.framebuffer, GL_COLOR_ATTACHMENT0, pixels, pitch);
}

void GlDevice::ReadFrontBuffer(BYTE* pixels, UINT pitch) {
  if (!direct_) {
    ReadFramebuffer(front_.framebuffer, GL_COLOR_ATTACHMENT0, pixels, pitch);
    return;
  }
  // From the next Present on, every picture is kept in front_ for reads like this one.
  frontReadsSeen_ = true;
  if (drawnSincePresent_) {
    std::fprintf(stderr, "d3d9: the front buffer was read while the next frame was drawn; the copy shows that frame\n");
  }
  ReadFramebuffer(0, GL_BACK, pixels, pitch);
}

}  // namespace platform::d3d9
