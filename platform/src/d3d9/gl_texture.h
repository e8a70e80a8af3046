// The OpenGL side of a Direct3D texture: a GL texture object filled from the texture's memory
// when a level is unlocked, dropped by EvictManagedResources and re-uploaded on its next use.
// A managed texture's memory copy of a 32-bit level is released once GL holds the level and
// read back from GL when the level is locked or the texture evicted.
// Sampler settings that GL keeps per texture object are cached here so they change only when
// a stage asks for different ones.
#pragma once

#include <epoxy/gl.h>

#include <vector>

#include "d3d9/resources.h"

namespace platform::d3d9 {

struct GlPixelFormat {
  GLint internalFormat;
  GLenum format;
  GLenum type;
};

// The GL upload format of a texture format; false for formats textures do not take.
bool GlFormatOf(D3DFORMAT format, GlPixelFormat* out);

struct GlSamplerParameters {
  GLint minFilter = -1;
  GLint magFilter = -1;
  GLint wrapS = -1;
  GLint wrapT = -1;
  GLint baseLevel = -1;
  DWORD borderColour = 0;
  bool operator==(const GlSamplerParameters&) const = default;
};

class GlTexture final : public TextureBacking {
 public:
  explicit GlTexture(Texture& texture);
  ~GlTexture() override;

  void LevelChanged(UINT level) override;
  void Evict() override;
  bool Restore(UINT level) override;

  // Makes this texture the active unit's texture (skipping the bind when `bound` already names
  // it) after uploading what changed since the last use; returns its GL name.
  GLuint Bind(GLuint bound);
  // Applies sampler parameters to the bound texture when they differ from the last ones.
  void ApplySampler(const GlSamplerParameters& parameters);
  // Whether a sampler that asks for a mip filter (`wanted`) with `baseLevel` as its largest level
  // reaches more than one level. With one level left a plain filter gives the same pixels
  // without the per-pixel level selection and the second fetch that a CPU rasteriser pays for.
  bool UseMipmaps(bool wanted, GLint baseLevel) const;

 private:
  void Upload(UINT level);
  void Delete();
  // Whether a level's memory copy may be released after upload: GL reads it back unchanged.
  bool CopyCanGo(const Image& image) const;

  Texture& texture_;
  GLuint name_ = 0;
  std::vector<bool> dirty_;
  GlSamplerParameters applied_;
};

}  // namespace platform::d3d9
