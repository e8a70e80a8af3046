// The OpenGL Direct3D device: an OpenGL 2.1 compatibility context on the SDL window behind the
// device window. When the window's own double-buffered framebuffer has the back buffer's size and
// formats, drawing goes straight into it and Present only swaps it. Otherwise the back buffer is an
// off-screen framebuffer of the presentation size (with multisampling when asked); Present then
// copies it to a front framebuffer, which is shown scaled in the window and read by
// GetFrontBufferData.
#pragma once

#include <SDL.h>
#include <epoxy/gl.h>

#include "d3d9/device_base.h"
#include "d3d9/gl_state.h"

namespace platform::d3d9 {

class GlDevice final : public DeviceBase {
 public:
  // Creates the context and framebuffers; D3DERR_NOTAVAILABLE when the window has no SDL window
  // or GL lacks framebuffer objects.
  static HRESULT Create(Direct3DBase* direct3D, UINT adapter, HWND focusWindow, DWORD behaviorFlags,
                        const D3DPRESENT_PARAMETERS& parameters, IDirect3DDevice9** device);

 protected:
  ~GlDevice() override;

  std::unique_ptr<TextureBacking> CreateTextureBacking(Texture& texture) override;
  void BackendClear(const D3DRECT& rect, DWORD flags, D3DCOLOR color, float z) override;
  void BackendDraw(const DrawCall& call) override;
  HRESULT BackendPresent() override;
  HRESULT BackendReset(const D3DPRESENT_PARAMETERS& parameters) override;
  void ReadBackBuffer(BYTE* pixels, UINT pitch) override;
  void ReadFrontBuffer(BYTE* pixels, UINT pitch) override;
  bool WindowHidesDevice() override;

 private:
  GlDevice(Direct3DBase* direct3D, UINT adapter, HWND focusWindow, DWORD behaviorFlags,
           const D3DPRESENT_PARAMETERS& parameters, SDL_Window* window, SDL_GLContext context, UINT units);

  struct Framebuffer {
    GLuint framebuffer = 0;
    GLuint colour = 0;
    GLuint depth = 0;
  };

  bool CreateFramebuffers(const D3DPRESENT_PARAMETERS& parameters);
  // Off-screen framebuffers, or none when the window's framebuffer can serve as the back buffer.
  // `fresh`: a new or reset device, whose pictures start black.
  bool ChooseBackBuffer(const D3DPRESENT_PARAMETERS& parameters, bool fresh);
  bool WindowMatches(const D3DPRESENT_PARAMETERS& parameters);
  bool WindowMatchesSize(const D3DPRESENT_PARAMETERS& parameters);
  bool SwapKeepsBackBuffer();
  void ClearWindow(GLfloat red, GLfloat green, GLfloat blue);
  void DestroyFramebuffers();
  void PresentOffscreen();
  void ApplyWindowMode(const D3DPRESENT_PARAMETERS& parameters);
  void ReadFramebuffer(GLuint framebuffer, GLenum buffer, BYTE* pixels, UINT pitch);
  void Blit(GLuint from, GLuint to, GLint toWidth, GLint toHeight, GLenum filter);
  // Binds the back buffer for drawing and reading unless it already is.
  void BindBackBuffer();

  SDL_Window* window_;
  SDL_GLContext context_;
  HWND deviceWindow_;
  GlState state_;
  Framebuffer back_;     // drawn into; multisampled when the parameters ask for it
  Framebuffer resolve_;  // single-sample copy of a multisampled back buffer, for reading
  Framebuffer front_;    // the last presented picture
  GLsizei samples_ = 0;
  bool flipping_ = false;  // Present swaps back_ and front_ instead of copying
  bool backBufferBound_ = false;
  bool direct_ = false;         // back_ is the window's framebuffer; front_ and resolve_ are unused
  bool drawnSincePresent_ = false;
  bool frontReadsSeen_ = false;  // GetFrontBufferData was called: Present keeps a copy
  int swapKeepsBackBuffer_ = -1;  // 1 or 0 once tried
  bool windowAllowed_ = true;   // ARU_GL_OFFSCREEN=1 keeps the off-screen back buffer
  int windowWidth_ = 0, windowHeight_ = 0;  // the window's drawable size when last checked
};

}  // namespace platform::d3d9
