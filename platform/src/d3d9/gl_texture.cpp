// Uploading Direct3D textures to OpenGL and keeping their per-texture sampler parameters.
#include "d3d9/gl_texture.h"

#include "d3d9/state_tables.h"

namespace platform::d3d9 {

bool GlFormatOf(D3DFORMAT format, GlPixelFormat* out) {
  // Direct3D's formats name channels from the most significant bit; read as little-endian
  // words they are GL's BGRA with the *_REV packed types.
  switch (format) {
    case D3DFMT_A8R8G8B8: *out = {GL_RGBA8, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV}; return true;
    case D3DFMT_X8R8G8B8: *out = {GL_RGB8, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV}; return true;
    case D3DFMT_A4R4G4B4: *out = {GL_RGBA4, GL_BGRA, GL_UNSIGNED_SHORT_4_4_4_4_REV}; return true;
    case D3DFMT_R5G6B5: *out = {GL_RGB5, GL_RGB, GL_UNSIGNED_SHORT_5_6_5}; return true;
    case D3DFMT_X1R5G5B5: *out = {GL_RGB5, GL_BGRA, GL_UNSIGNED_SHORT_1_5_5_5_REV}; return true;
    case D3DFMT_A1R5G5B5: *out = {GL_RGB5_A1, GL_BGRA, GL_UNSIGNED_SHORT_1_5_5_5_REV}; return true;
    default: return false;
  }
}

GlTexture::GlTexture(Texture& texture)
    : texture_(texture),
      dirty_(texture.levelCount(), true) {}

GlTexture::~GlTexture() { Delete(); }

void GlTexture::LevelChanged(UINT level) {
  // A level without a memory copy was not written since GL got it (locking brings the copy back).
  if (level < dirty_.size() && !texture_.level(level).bits.empty()) dirty_[level] = true;
}

void GlTexture::Evict() {
  // Only GL holds dropped levels: bring them back before the GL object goes.
  for (UINT level = 0; level < texture_.levelCount(); ++level) Restore(level);
  Delete();
}

void GlTexture::Delete() {
  if (name_ != 0) glDeleteTextures(1, &name_);
  name_ = 0;
  applied_ = GlSamplerParameters{};
  dirty_.assign(dirty_.size(), true);
}

bool GlTexture::CopyCanGo(const Image& image) const {
  bool bgra = image.format == D3DFMT_A8R8G8B8 || image.format == D3DFMT_X8R8G8B8;
  return bgra && texture_.pool() == D3DPOOL_MANAGED && !image.locked;
}

bool GlTexture::Restore(UINT level) {
  Image& image = texture_.level(level);
  if (!image.bits.empty()) return true;
  if (name_ == 0 || dirty_[level] || !CopyCanGo(image)) return false;
  // The unit's binding is GlState's to know: put it back as it was.
  GLint previous = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &previous);
  glBindTexture(GL_TEXTURE_2D, name_);
  image.bits.resize(static_cast<size_t>(image.pitch) * image.height);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glGetTexImage(GL_TEXTURE_2D, static_cast<GLint>(level), GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, image.bits.data());
  glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(previous));
  return true;
}

void GlTexture::Upload(UINT level) {
  GlPixelFormat format{};
  if (!GlFormatOf(texture_.format(), &format)) return;
  Image& image = texture_.level(level);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glTexImage2D(GL_TEXTURE_2D, static_cast<GLint>(level), format.internalFormat, static_cast<GLsizei>(image.width),
               static_cast<GLsizei>(image.height), 0, format.format, format.type, image.bits.data());
  dirty_[level] = false;
  if (CopyCanGo(image)) std::vector<BYTE>().swap(image.bits);
  if (level == 0 && (texture_.usage() & D3DUSAGE_AUTOGENMIPMAP)) glGenerateMipmap(GL_TEXTURE_2D);
}

bool GlTexture::UseMipmaps(bool wanted, GLint baseLevel) const {
  if (!wanted) return false;
  if (texture_.usage() & D3DUSAGE_AUTOGENMIPMAP) return true;
  return baseLevel < static_cast<GLint>(texture_.levelCount()) - 1;
}

GLuint GlTexture::Bind(GLuint bound) {
  if (name_ == 0) {
    // A new name may equal a deleted one that GL already unbound: always bind it.
    glGenTextures(1, &name_);
    glBindTexture(GL_TEXTURE_2D, name_);
    if (!(texture_.usage() & D3DUSAGE_AUTOGENMIPMAP)) {
      glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, static_cast<GLint>(texture_.levelCount()) - 1);
    }
  } else if (bound != name_) {
    glBindTexture(GL_TEXTURE_2D, name_);
  }
  for (UINT level = 0; level < dirty_.size(); ++level) {
    if (dirty_[level]) Upload(level);
  }
  return name_;
}

void GlTexture::ApplySampler(const GlSamplerParameters& p) {
  if (p == applied_) return;
  if (p.minFilter != applied_.minFilter) glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, p.minFilter);
  if (p.magFilter != applied_.magFilter) glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, p.magFilter);
  if (p.wrapS != applied_.wrapS) glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, p.wrapS);
  if (p.wrapT != applied_.wrapT) glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, p.wrapT);
  if (p.baseLevel != applied_.baseLevel) glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, p.baseLevel);
  if (p.borderColour != applied_.borderColour) {
    DWORD c = p.borderColour;
    GLfloat colour[4] = {((c >> 16) & 0xFF) / 255.0f, ((c >> 8) & 0xFF) / 255.0f, (c & 0xFF) / 255.0f,
                         (c >> 24) / 255.0f};
    glTexParameterfv(GL_TEXTURE_2D, GL_TEXTURE_BORDER_COLOR, colour);
  }
  applied_ = p;
}

}  // namespace platform::d3d9
