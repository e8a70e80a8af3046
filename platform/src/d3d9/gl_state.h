// The GL half of the two-tier device: applies the Direct3D state mirror of a DeviceBase to the
// fixed-function OpenGL pipeline at draw time, remembering what GL already has so that only
// changes are sent. Each D3D value is translated through one mapping function per family;
// values without a GL meaning are reported once.
#pragma once

#include <epoxy/gl.h>

#include <array>

#include "d3d9/device_base.h"
#include "d3d9/gl_texture.h"

namespace platform::d3d9 {

class GlState {
 public:
  explicit GlState(UINT textureUnits);

  // Forgets everything GL is believed to hold (after the context was made or reset).
  void Invalidate();

  // Sends the state a draw with this vertex layout needs.
  void ApplyForDraw(const DeviceBase& device, const VertexLayout& layout);
  // Points the client arrays at a draw's vertices.
  void BindVertices(const DeviceBase& device, const VertexLayout& layout, const BYTE* vertices, UINT stride);
  // Turns on what Clear must write regardless of the render states and scissors to `rect`
  // (GL window coordinates).
  void PrepareClear(GLint x, GLint y, GLsizei width, GLsizei height);
  // Framebuffer blits obey the scissor test; presenting and reading back turn it off.
  void DisableScissor();

 private:
  struct UnitState {
    GLuint texture = ~0u;
    int enabled = -1;
    std::array<GLint, 16> combine{};
    bool combineKnown = false;
    DWORD factor = 0;
    bool factorKnown = false;
    float lodBias = -1000.0f;
    D3DMATRIX matrix{};
    bool matrixKnown = false;
    int texCoordArray = -1;
  };

  void ApplyRasterState(const DeviceBase& device);
  void ApplyBlendState(const DeviceBase& device);
  void ApplyTransforms(const DeviceBase& device, bool transformed);
  void ApplyLighting(const DeviceBase& device, const VertexLayout& layout, bool transformed);
  void ApplyLights(const DeviceBase& device);
  void ApplyTextureStages(const DeviceBase& device);
  void ApplyUnit(const DeviceBase& device, DWORD stage, bool enabled);
  void ApplyViewport(const DeviceBase& device);
  void Enable(GLenum capability, int& cached, bool on);
  void SetClientArray(GLenum array, int& cached, bool on);

  UINT units_;
  std::array<UnitState, kTextureStages> unitStates_{};
  GLint activeUnit_ = -1;
  GLint clientUnit_ = -1;

  int depthTest_ = -1, depthMask_ = -1, depthFunc_ = -1;
  int blend_ = -1, blendSource_ = -1, blendDest_ = -1, blendEquation_ = -1;
  int alphaTest_ = -1, alphaFunc_ = -1;
  float alphaRef_ = -1.0f;
  int cull_ = -1, cullFace_ = -1;
  int dither_ = -1, shade_ = -1, fill_ = -1, colourMask_ = -1, multisample_ = -1, scissor_ = -1;
  float pointSize_ = -1.0f;
  int lighting_ = -1, normalize_ = -1, colourMaterial_ = -1, colourMaterialMode_ = -1, separateSpecular_ = -1;
  int localViewer_ = -1;
  DWORD ambient_ = 0;
  bool ambientKnown_ = false;
  D3DMATERIAL9 material_{};
  bool materialKnown_ = false;
  bool specularOn_ = false;
  std::array<D3DLIGHT9, kMaxLights> lights_{};
  std::array<int, kMaxLights> lightEnabled_{};
  std::array<bool, kMaxLights> lightKnown_{};
  D3DMATRIX lightView_{};
  D3DMATRIX modelView_{};
  D3DMATRIX projection_{};
  bool matricesKnown_ = false;
  D3DVIEWPORT9 viewport_{};
  bool viewportKnown_ = false;
  int vertexArray_ = -1, normalArray_ = -1, colourArray_ = -1;
};

// Direct3D's clip space to GL's: z from [0, w] to [-w, w], and a shift of just under half a
// pixel of the viewport so that pixel centres and edge ties fall as Direct3D has them.
// Row-vector convention, applied after the projection.
D3DMATRIX ClipSpaceCorrection(DWORD viewportWidth, DWORD viewportHeight);

}  // namespace platform::d3d9
