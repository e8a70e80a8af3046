// Translating the Direct3D state mirror into fixed-function OpenGL state, sending only changes.
#include "d3d9/gl_state.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace platform::d3d9 {

namespace {

template <class T, class Send>
void Update(T& cached, T value, Send send) {
  if (cached != value) {
    cached = value;
    send();
  }
}

bool SameMatrix(const D3DMATRIX& a, const D3DMATRIX& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

float AsFloat(DWORD bits) {
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

void ReportValue(const char* family, DWORD value) {
  ReportUnsupported(family, value, "drawn with the default");
}

GLenum CompareFunction(DWORD value) {
  switch (value) {
    case D3DCMP_NEVER: return GL_NEVER;
    case D3DCMP_LESS: return GL_LESS;
    case D3DCMP_EQUAL: return GL_EQUAL;
    case D3DCMP_LESSEQUAL: return GL_LEQUAL;
    case D3DCMP_GREATER: return GL_GREATER;
    case D3DCMP_NOTEQUAL: return GL_NOTEQUAL;
    case D3DCMP_GREATEREQUAL: return GL_GEQUAL;
    case D3DCMP_ALWAYS: return GL_ALWAYS;
    default: ReportValue("D3DCMPFUNC", value); return GL_LEQUAL;
  }
}

GLenum BlendFactor(DWORD value, GLenum fallback) {
  switch (value) {
    case D3DBLEND_ZERO: return GL_ZERO;
    case D3DBLEND_ONE: return GL_ONE;
    case D3DBLEND_SRCCOLOR: return GL_SRC_COLOR;
    case D3DBLEND_INVSRCCOLOR: return GL_ONE_MINUS_SRC_COLOR;
    case D3DBLEND_SRCALPHA: return GL_SRC_ALPHA;
    case D3DBLEND_INVSRCALPHA: return GL_ONE_MINUS_SRC_ALPHA;
    case D3DBLEND_DESTALPHA: return GL_DST_ALPHA;
    case D3DBLEND_INVDESTALPHA: return GL_ONE_MINUS_DST_ALPHA;
    case D3DBLEND_DESTCOLOR: return GL_DST_COLOR;
    case D3DBLEND_INVDESTCOLOR: return GL_ONE_MINUS_DST_COLOR;
    case D3DBLEND_SRCALPHASAT: return GL_SRC_ALPHA_SATURATE;
    default: ReportValue("D3DBLEND", value); return fallback;
  }
}

GLenum BlendEquation(DWORD value) {
  switch (value) {
    case D3DBLENDOP_ADD: return GL_FUNC_ADD;
    case D3DBLENDOP_SUBTRACT: return GL_FUNC_SUBTRACT;
    case D3DBLENDOP_REVSUBTRACT: return GL_FUNC_REVERSE_SUBTRACT;
    case D3DBLENDOP_MIN: return GL_MIN;
    case D3DBLENDOP_MAX: return GL_MAX;
    default: ReportValue("D3DBLENDOP", value); return GL_FUNC_ADD;
  }
}

GLint WrapMode(DWORD value) {
  switch (value) {
    case D3DTADDRESS_WRAP: return GL_REPEAT;
    case D3DTADDRESS_MIRROR: return GL_MIRRORED_REPEAT;
    case D3DTADDRESS_CLAMP: return GL_CLAMP_TO_EDGE;
    case D3DTADDRESS_BORDER: return GL_CLAMP_TO_BORDER;
    default: ReportValue("D3DTEXTUREADDRESS", value); return GL_REPEAT;
  }
}

GLint MagFilter(DWORD value) {
  if (value == D3DTEXF_POINT) return GL_NEAREST;
  if (value == D3DTEXF_LINEAR || value == D3DTEXF_ANISOTROPIC) return GL_LINEAR;
  ReportValue("D3DSAMP_MAGFILTER", value);
  return GL_LINEAR;
}

GLint MinFilter(DWORD minFilter, DWORD mipFilter, bool hasMipmaps) {
  bool linear = minFilter == D3DTEXF_LINEAR || minFilter == D3DTEXF_ANISOTROPIC;
  if (minFilter != D3DTEXF_POINT && !linear) ReportValue("D3DSAMP_MINFILTER", minFilter);
  if (!hasMipmaps || mipFilter == D3DTEXF_NONE) return linear ? GL_LINEAR : GL_NEAREST;
  if (mipFilter == D3DTEXF_POINT) return linear ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST;
  if (mipFilter != D3DTEXF_LINEAR) ReportValue("D3DSAMP_MIPFILTER", mipFilter);
  return linear ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR;
}

// A texture argument: the GL source and operand for colour (alpha = false) or alpha.
void TextureArgument(DWORD argument, bool alpha, GLint* source, GLint* operand) {
  switch (argument & D3DTA_SELECTMASK) {
    case D3DTA_DIFFUSE: *source = GL_PRIMARY_COLOR; break;
    case D3DTA_CURRENT: *source = GL_PREVIOUS; break;
    case D3DTA_TEXTURE: *source = GL_TEXTURE; break;
    case D3DTA_TFACTOR: *source = GL_CONSTANT; break;
    default: ReportValue("D3DTA", argument); *source = GL_PREVIOUS; break;
  }
  bool complement = (argument & D3DTA_COMPLEMENT) != 0;
  if (alpha || (argument & D3DTA_ALPHAREPLICATE)) {
    *operand = complement ? GL_ONE_MINUS_SRC_ALPHA : GL_SRC_ALPHA;
  } else {
    *operand = complement ? GL_ONE_MINUS_SRC_COLOR : GL_SRC_COLOR;
  }
}

// One combiner (colour or alpha) of a stage: mode, scale and three source/operand pairs.
struct Combiner {
  GLint mode = GL_MODULATE;
  GLint scale = 1;
  GLint source[3] = {GL_TEXTURE, GL_PREVIOUS, GL_CONSTANT};
  GLint operand[3] = {GL_SRC_COLOR, GL_SRC_COLOR, GL_SRC_ALPHA};
};

Combiner MakeCombiner(DWORD op, DWORD argument1, DWORD argument2, bool alpha) {
  Combiner c;
  TextureArgument(argument1, alpha, &c.source[0], &c.operand[0]);
  TextureArgument(argument2, alpha, &c.source[1], &c.operand[1]);
  auto interpolateBy = [&](GLint source) {
    c.mode = GL_INTERPOLATE;
    c.source[2] = source;
    c.operand[2] = GL_SRC_ALPHA;
  };
  switch (op) {
    case D3DTOP_DISABLE:  // alpha only: the alpha of the previous stage passes through
      c.mode = GL_REPLACE;
      c.source[0] = GL_PREVIOUS;
      c.operand[0] = GL_SRC_ALPHA;
      break;
    case D3DTOP_SELECTARG1: c.mode = GL_REPLACE; break;
    case D3DTOP_SELECTARG2:
      c.mode = GL_REPLACE;
      c.source[0] = c.source[1];
      c.operand[0] = c.operand[1];
      break;
    case D3DTOP_MODULATE: break;
    case D3DTOP_MODULATE2X: c.scale = 2; break;
    case D3DTOP_MODULATE4X: c.scale = 4; break;
    case D3DTOP_ADD: c.mode = GL_ADD; break;
    case D3DTOP_ADDSIGNED: c.mode = GL_ADD_SIGNED; break;
    case D3DTOP_ADDSIGNED2X: c.mode = GL_ADD_SIGNED; c.scale = 2; break;
    case D3DTOP_SUBTRACT: c.mode = GL_SUBTRACT; break;
    case D3DTOP_BLENDDIFFUSEALPHA: interpolateBy(GL_PRIMARY_COLOR); break;
    case D3DTOP_BLENDTEXTUREALPHA: interpolateBy(GL_TEXTURE); break;
    case D3DTOP_BLENDFACTORALPHA: interpolateBy(GL_CONSTANT); break;
    case D3DTOP_BLENDCURRENTALPHA: interpolateBy(GL_PREVIOUS); break;
    case D3DTOP_DOTPRODUCT3:
      if (!alpha) {
        c.mode = GL_DOT3_RGB;
        break;
      }
      [[fallthrough]];
    default: ReportValue(alpha ? "D3DTSS_ALPHAOP" : "D3DTSS_COLOROP", op); break;
  }
  return c;
}

GLenum LightName(DWORD index) { return GL_LIGHT0 + index; }

void SendColour(GLenum light, GLenum parameter, const D3DCOLORVALUE& colour) {
  GLfloat values[4] = {colour.r, colour.g, colour.b, colour.a};
  glLightfv(light, parameter, values);
}

void SendMaterialColour(GLenum parameter, const D3DCOLORVALUE& colour) {
  GLfloat values[4] = {colour.r, colour.g, colour.b, colour.a};
  glMaterialfv(GL_FRONT_AND_BACK, parameter, values);
}

}  // namespace

D3DMATRIX ClipSpaceCorrection(DWORD viewportWidth, DWORD viewportHeight) {
  // Direct3D's pixel centres lie on integer window coordinates, GL's half a pixel further right
  // and down (GL's y runs upwards). Shifting by exactly half a pixel would put every edge drawn
  // on a pixel centre onto a GL sample point, where GL's own tie rule, meeting the flip in y,
  // keeps the bottom row instead of the top one. A shift a little short of half a pixel (and
  // well above the rasteriser's 1/256 sub-pixel step) leaves those edges just before the sample
  // point, so a centre on a top or left edge is inside and one on a bottom or right edge is out.
  constexpr float kShift = 63.0f / 128.0f;
  D3DMATRIX c{};
  c._11 = 1.0f;
  c._22 = 1.0f;
  c._33 = 2.0f;
  // A shift of s pixels is 2s / size in normalised device coordinates; scaled by w in clip space.
  c._41 = viewportWidth ? 2.0f * kShift / static_cast<float>(viewportWidth) : 0.0f;
  c._42 = viewportHeight ? -2.0f * kShift / static_cast<float>(viewportHeight) : 0.0f;
  c._43 = -1.0f;
  c._44 = 1.0f;
  return c;
}

GlState::GlState(UINT textureUnits) : units_(std::min<UINT>(textureUnits, kTextureStages)) {}

void GlState::Invalidate() {
  *this = GlState(units_);
}

void GlState::Enable(GLenum capability, int& cached, bool on) {
  Update(cached, on ? 1 : 0, [&] { on ? glEnable(capability) : glDisable(capability); });
}

void GlState::SetClientArray(GLenum array, int& cached, bool on) {
  Update(cached, on ? 1 : 0, [&] { on ? glEnableClientState(array) : glDisableClientState(array); });
}

// ---------------------------------------------------------------------------------------------
// Rasterisation and output merging

void GlState::ApplyRasterState(const DeviceBase& device) {
  DWORD zEnable = device.renderState(D3DRS_ZENABLE);
  if (zEnable == D3DZB_USEW) ReportOnce("D3DRS_ZENABLE D3DZB_USEW is drawn as an ordinary z-buffer");
  bool hasDepth = device.presentParameters().EnableAutoDepthStencil != FALSE;
  Enable(GL_DEPTH_TEST, depthTest_, hasDepth && zEnable != D3DZB_FALSE);
  Update(depthMask_, device.renderState(D3DRS_ZWRITEENABLE) ? 1 : 0,
         [&] { glDepthMask(depthMask_ ? GL_TRUE : GL_FALSE); });
  Update(depthFunc_, static_cast<int>(CompareFunction(device.renderState(D3DRS_ZFUNC))),
         [&] { glDepthFunc(static_cast<GLenum>(depthFunc_)); });

  // Both measure winding as the triangle appears on the screen, and nothing is mirrored on the
  // way there, so with GL's counter-clockwise front faces D3D's CCW culling culls GL's fronts.
  DWORD cull = device.renderState(D3DRS_CULLMODE);
  Enable(GL_CULL_FACE, cull_, cull == D3DCULL_CW || cull == D3DCULL_CCW);
  if (cull == D3DCULL_CW || cull == D3DCULL_CCW) {
    Update(cullFace_, static_cast<int>(cull == D3DCULL_CCW ? GL_FRONT : GL_BACK),
           [&] { glCullFace(static_cast<GLenum>(cullFace_)); });
  } else if (cull != D3DCULL_NONE) {
    ReportValue("D3DRS_CULLMODE", cull);
  }

  Enable(GL_DITHER, dither_, device.renderState(D3DRS_DITHERENABLE) != FALSE);
  DWORD shade = device.renderState(D3DRS_SHADEMODE);
  if (shade == D3DSHADE_PHONG) ReportOnce("D3DSHADE_PHONG is drawn with Gouraud shading");
  Update(shade_, static_cast<int>(shade == D3DSHADE_FLAT ? GL_FLAT : GL_SMOOTH),
         [&] { glShadeModel(static_cast<GLenum>(shade_)); });
  DWORD fill = device.renderState(D3DRS_FILLMODE);
  Update(fill_, static_cast<int>(fill == D3DFILL_POINT ? GL_POINT : fill == D3DFILL_WIREFRAME ? GL_LINE : GL_FILL),
         [&] { glPolygonMode(GL_FRONT_AND_BACK, static_cast<GLenum>(fill_)); });
  DWORD mask = device.renderState(D3DRS_COLORWRITEENABLE) & 0xF;
  Update(colourMask_, static_cast<int>(mask), [&] {
    glColorMask(mask & D3DCOLORWRITEENABLE_RED ? GL_TRUE : GL_FALSE, mask & D3DCOLORWRITEENABLE_GREEN ? GL_TRUE : GL_FALSE,
                mask & D3DCOLORWRITEENABLE_BLUE ? GL_TRUE : GL_FALSE, mask & D3DCOLORWRITEENABLE_ALPHA ? GL_TRUE : GL_FALSE);
  });
  bool multisampled = device.presentParameters().MultiSampleType != D3DMULTISAMPLE_NONE;
  Enable(GL_MULTISAMPLE, multisample_, multisampled && device.renderState(D3DRS_MULTISAMPLEANTIALIAS));
  Enable(GL_SCISSOR_TEST, scissor_, false);
  Update(pointSize_, AsFloat(device.renderState(D3DRS_POINTSIZE)), [&] { glPointSize(std::max(pointSize_, 1.0f)); });

  for (DWORD state : {D3DRS_FOGENABLE, D3DRS_STENCILENABLE, D3DRS_CLIPPLANEENABLE, D3DRS_VERTEXBLEND,
                      D3DRS_POINTSPRITEENABLE, D3DRS_SCISSORTESTENABLE, D3DRS_SEPARATEALPHABLENDENABLE}) {
    const StateInfo* info = FindRenderState(state);
    DWORD value = device.renderState(state);
    if (value != info->defaultValue) ReportUnsupported(info->name, value, "the render state has no effect");
  }
}

void GlState::ApplyBlendState(const DeviceBase& device) {
  Enable(GL_BLEND, blend_, device.renderState(D3DRS_ALPHABLENDENABLE) != FALSE);
  int source = static_cast<int>(BlendFactor(device.renderState(D3DRS_SRCBLEND), GL_ONE));
  int dest = static_cast<int>(BlendFactor(device.renderState(D3DRS_DESTBLEND), GL_ZERO));
  if (source != blendSource_ || dest != blendDest_) {
    blendSource_ = source;
    blendDest_ = dest;
    glBlendFunc(static_cast<GLenum>(source), static_cast<GLenum>(dest));
  }
  Update(blendEquation_, static_cast<int>(BlendEquation(device.renderState(D3DRS_BLENDOP))),
         [&] { glBlendEquation(static_cast<GLenum>(blendEquation_)); });
  Enable(GL_ALPHA_TEST, alphaTest_, device.renderState(D3DRS_ALPHATESTENABLE) != FALSE);
  int function = static_cast<int>(CompareFunction(device.renderState(D3DRS_ALPHAFUNC)));
  float reference = static_cast<float>(device.renderState(D3DRS_ALPHAREF) & 0xFF) / 255.0f;
  if (function != alphaFunc_ || reference != alphaRef_) {
    alphaFunc_ = function;
    alphaRef_ = reference;
    glAlphaFunc(static_cast<GLenum>(function), reference);
  }
}

void GlState::ApplyViewport(const DeviceBase& device) {
  const D3DVIEWPORT9& v = device.viewport();
  if (viewportKnown_ && std::memcmp(&v, &viewport_, sizeof v) == 0) return;
  viewport_ = v;
  viewportKnown_ = true;
  // Direct3D's viewport is measured from the top of the back buffer, GL's from the bottom.
  GLint bottom = static_cast<GLint>(device.presentParameters().BackBufferHeight) - static_cast<GLint>(v.Y + v.Height);
  glViewport(static_cast<GLint>(v.X), bottom, static_cast<GLsizei>(v.Width), static_cast<GLsizei>(v.Height));
  glDepthRange(v.MinZ, v.MaxZ);
}

void GlState::DisableScissor() { Enable(GL_SCISSOR_TEST, scissor_, false); }

void GlState::PrepareClear(GLint x, GLint y, GLsizei width, GLsizei height) {
  Update(depthMask_, 1, [] { glDepthMask(GL_TRUE); });
  Update(colourMask_, 0xF, [] { glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE); });
  Enable(GL_SCISSOR_TEST, scissor_, true);
  glScissor(x, y, width, height);
}

// ---------------------------------------------------------------------------------------------
// Transforms and lighting

void GlState::ApplyTransforms(const DeviceBase& device, bool transformed) {
  const D3DVIEWPORT9& v = device.viewport();
  D3DMATRIX correction = ClipSpaceCorrection(v.Width, v.Height);
  D3DMATRIX modelView, projection;
  if (transformed) {
    // Pre-transformed vertices are in back-buffer pixels, whatever the viewport; GL maps clip
    // space onto the viewport, so the matrix undoes that mapping.
    D3DMATRIX pixels{};
    pixels._11 = 2.0f / static_cast<float>(v.Width);
    pixels._22 = -2.0f / static_cast<float>(v.Height);
    pixels._33 = 1.0f;
    pixels._41 = -1.0f - 2.0f * static_cast<float>(v.X) / static_cast<float>(v.Width);
    pixels._42 = 1.0f + 2.0f * static_cast<float>(v.Y) / static_cast<float>(v.Height);
    pixels._44 = 1.0f;
    modelView = IdentityMatrix();
    projection = MultiplyMatrices(pixels, correction);
  } else {
    modelView = MultiplyMatrices(device.world(), device.view());
    projection = MultiplyMatrices(device.projection(), correction);
  }
  // A row-vector matrix stored row by row is, read as GL's column-major array, the transpose
  // GL's column-vector convention needs: both load unchanged.
  if (!matricesKnown_ || !SameMatrix(projection, projection_)) {
    glMatrixMode(GL_PROJECTION);
    glLoadMatrixf(&projection.m[0][0]);
    projection_ = projection;
  }
  if (!matricesKnown_ || !SameMatrix(modelView, modelView_)) {
    glMatrixMode(GL_MODELVIEW);
    glLoadMatrixf(&modelView.m[0][0]);
    modelView_ = modelView;
  }
  matricesKnown_ = true;
}

void GlState::ApplyLights(const DeviceBase& device) {
  // GL transforms light positions by the modelview matrix current when they are given; Direct3D
  // gives them in world space, so they are sent with the view matrix alone.
  bool viewChanged = !SameMatrix(device.view(), lightView_);
  DWORD slot = 0;
  for (const auto& [index, entry] : device.lights()) {
    if (!entry.enabled) continue;
    if (slot == kMaxLights) {
      ReportOnce("more than 8 lights are enabled; the others are ignored");
      break;
    }
    const D3DLIGHT9& light = entry.light;
    GLenum name = LightName(slot);
    Enable(name, lightEnabled_[slot], true);
    if (viewChanged || !lightKnown_[slot] || std::memcmp(&light, &lights_[slot], sizeof light) != 0) {
      if (viewChanged || !lightKnown_[slot]) {
        glMatrixMode(GL_MODELVIEW);
        glLoadMatrixf(&device.view().m[0][0]);
        matricesKnown_ = false;
      }
      SendColour(name, GL_DIFFUSE, light.Diffuse);
      D3DCOLORVALUE specular = light.Specular;
      SendColour(name, GL_SPECULAR, specular);
      SendColour(name, GL_AMBIENT, light.Ambient);
      if (light.Type == D3DLIGHT_DIRECTIONAL) {
        GLfloat towardLight[4] = {-light.Direction.x, -light.Direction.y, -light.Direction.z, 0.0f};
        glLightfv(name, GL_POSITION, towardLight);
        glLightf(name, GL_SPOT_CUTOFF, 180.0f);
      } else {
        GLfloat position[4] = {light.Position.x, light.Position.y, light.Position.z, 1.0f};
        glLightfv(name, GL_POSITION, position);
        glLightf(name, GL_CONSTANT_ATTENUATION, light.Attenuation0);
        glLightf(name, GL_LINEAR_ATTENUATION, light.Attenuation1);
        glLightf(name, GL_QUADRATIC_ATTENUATION, light.Attenuation2);
        if (light.Type == D3DLIGHT_SPOT) {
          GLfloat direction[3] = {light.Direction.x, light.Direction.y, light.Direction.z};
          glLightfv(name, GL_SPOT_DIRECTION, direction);
          glLightf(name, GL_SPOT_CUTOFF, std::min(90.0f, light.Phi * 0.5f * 57.29578f));
          glLightf(name, GL_SPOT_EXPONENT, std::clamp(light.Falloff, 0.0f, 128.0f));
        } else {
          glLightf(name, GL_SPOT_CUTOFF, 180.0f);
        }
        if (light.Range < D3DLIGHT_RANGE_MAX * 0.5f) ReportOnce("the range of point and spot lights is not applied");
      }
      lights_[slot] = light;
      lightKnown_[slot] = true;
    }
    ++slot;
  }
  for (; slot < kMaxLights; ++slot) Enable(LightName(slot), lightEnabled_[slot], false);
  lightView_ = device.view();
}

void GlState::ApplyLighting(const DeviceBase& device, const VertexLayout& layout, bool transformed) {
  bool lit = !transformed && device.renderState(D3DRS_LIGHTING) != FALSE;
  Enable(GL_LIGHTING, lighting_, lit);
  // Direct3D's vertex colour reaches the pipeline only where the layout carries one; without it
  // an unlit vertex is white.
  if (layout.diffuse < 0) glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
  if (layout.normal < 0) glNormal3f(0.0f, 0.0f, 0.0f);
  if (!lit) return;
  Enable(GL_NORMALIZE, normalize_, device.renderState(D3DRS_NORMALIZENORMALS) != FALSE);
  Update(localViewer_, device.renderState(D3DRS_LOCALVIEWER) ? 1 : 0,
         [&] { glLightModeli(GL_LIGHT_MODEL_LOCAL_VIEWER, localViewer_); });
  Update(separateSpecular_, 1,
         [] { glLightModeli(GL_LIGHT_MODEL_COLOR_CONTROL, GL_SEPARATE_SPECULAR_COLOR); });
  DWORD ambient = device.renderState(D3DRS_AMBIENT);
  if (!ambientKnown_ || ambient != ambient_) {
    GLfloat colour[4] = {((ambient >> 16) & 0xFF) / 255.0f, ((ambient >> 8) & 0xFF) / 255.0f, (ambient & 0xFF) / 255.0f,
                         (ambient >> 24) / 255.0f};
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, colour);
    ambient_ = ambient;
    ambientKnown_ = true;
  }

  // Vertex colours feed the material where the material-source states say so.
  bool colourVertex = device.renderState(D3DRS_COLORVERTEX) != FALSE && layout.diffuse >= 0;
  bool diffuseFromVertex = colourVertex && device.renderState(D3DRS_DIFFUSEMATERIALSOURCE) == D3DMCS_COLOR1;
  bool ambientFromVertex = colourVertex && device.renderState(D3DRS_AMBIENTMATERIALSOURCE) == D3DMCS_COLOR1;
  Enable(GL_COLOR_MATERIAL, colourMaterial_, diffuseFromVertex || ambientFromVertex);
  if (diffuseFromVertex || ambientFromVertex) {
    GLenum mode = diffuseFromVertex && ambientFromVertex ? GL_AMBIENT_AND_DIFFUSE
                  : diffuseFromVertex                    ? GL_DIFFUSE
                                                         : GL_AMBIENT;
    Update(colourMaterialMode_, static_cast<int>(mode), [&] { glColorMaterial(GL_FRONT_AND_BACK, mode); });
  }
  bool specularOn = device.renderState(D3DRS_SPECULARENABLE) != FALSE;
  const D3DMATERIAL9& material = device.material();
  if (!materialKnown_ || specularOn != specularOn_ || std::memcmp(&material, &material_, sizeof material) != 0) {
    // Material colours that follow the vertex colour are left to GL_COLOR_MATERIAL.
    if (!diffuseFromVertex) SendMaterialColour(GL_DIFFUSE, material.Diffuse);
    if (!ambientFromVertex) SendMaterialColour(GL_AMBIENT, material.Ambient);
    SendMaterialColour(GL_SPECULAR, specularOn ? material.Specular : D3DCOLORVALUE{0, 0, 0, 0});
    SendMaterialColour(GL_EMISSION, material.Emissive);
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, std::clamp(material.Power, 0.0f, 128.0f));
    material_ = material;
    specularOn_ = specularOn;
    materialKnown_ = true;
  }
  ApplyLights(device);
}

// ---------------------------------------------------------------------------------------------
// Texture stages

void GlState::ApplyUnit(const DeviceBase& device, DWORD stage, bool enabled) {
  UnitState& unit = unitStates_[stage];
  auto activate = [&] {
    if (activeUnit_ != static_cast<GLint>(stage)) {
      glActiveTexture(GL_TEXTURE0 + stage);
      activeUnit_ = static_cast<GLint>(stage);
    }
  };
  if (!enabled) {
    if (unit.enabled != 0) {
      activate();
      glDisable(GL_TEXTURE_2D);
      unit.enabled = 0;
    }
    return;
  }
  activate();
  if (unit.enabled != 1) {
    glEnable(GL_TEXTURE_2D);
    unit.enabled = 1;
  }
  Texture* texture = device.boundTexture(stage);
  auto* backing = static_cast<GlTexture*>(texture->backing());
  unit.texture = backing->Bind(unit.texture);
  DWORD maxMip = device.samplerState(stage, D3DSAMP_MAXMIPLEVEL);
  DWORD mipFilter = device.samplerState(stage, D3DSAMP_MIPFILTER);
  GlSamplerParameters sampler;
  // D3DSAMP_MAXMIPLEVEL names the largest level used, clamped to the levels the texture has.
  sampler.baseLevel = static_cast<GLint>(std::min<DWORD>(maxMip, texture->levelCount() - 1));
  bool mipmaps = backing->UseMipmaps(mipFilter != D3DTEXF_NONE, sampler.baseLevel);
  sampler.minFilter = MinFilter(device.samplerState(stage, D3DSAMP_MINFILTER), mipFilter, mipmaps);
  sampler.magFilter = MagFilter(device.samplerState(stage, D3DSAMP_MAGFILTER));
  sampler.wrapS = WrapMode(device.samplerState(stage, D3DSAMP_ADDRESSU));
  sampler.wrapT = WrapMode(device.samplerState(stage, D3DSAMP_ADDRESSV));
  sampler.borderColour = device.samplerState(stage, D3DSAMP_BORDERCOLOR);
  backing->ApplySampler(sampler);

  float bias = AsFloat(device.samplerState(stage, D3DSAMP_MIPMAPLODBIAS));
  Update(unit.lodBias, bias, [&] { glTexEnvf(GL_TEXTURE_FILTER_CONTROL, GL_TEXTURE_LOD_BIAS, bias); });
  DWORD factor = device.renderState(D3DRS_TEXTUREFACTOR);
  if (!unit.factorKnown || unit.factor != factor) {
    GLfloat colour[4] = {((factor >> 16) & 0xFF) / 255.0f, ((factor >> 8) & 0xFF) / 255.0f, (factor & 0xFF) / 255.0f,
                         (factor >> 24) / 255.0f};
    glTexEnvfv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_COLOR, colour);
    unit.factor = factor;
    unit.factorKnown = true;
  }

  DWORD alphaOp = device.stageState(stage, D3DTSS_ALPHAOP);
  Combiner colour = MakeCombiner(device.stageState(stage, D3DTSS_COLOROP), device.stageState(stage, D3DTSS_COLORARG1),
                                 device.stageState(stage, D3DTSS_COLORARG2), false);
  Combiner alpha = MakeCombiner(alphaOp, device.stageState(stage, D3DTSS_ALPHAARG1),
                                device.stageState(stage, D3DTSS_ALPHAARG2), true);
  std::array<GLint, 16> combine = {colour.mode, colour.scale, colour.source[0], colour.source[1], colour.source[2],
                                   colour.operand[0], colour.operand[1], colour.operand[2], alpha.mode, alpha.scale,
                                   alpha.source[0], alpha.source[1], alpha.source[2], alpha.operand[0],
                                   alpha.operand[1], alpha.operand[2]};
  if (!unit.combineKnown || combine != unit.combine) {
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_COMBINE);
    glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_RGB, colour.mode);
    glTexEnvi(GL_TEXTURE_ENV, GL_RGB_SCALE, colour.scale);
    glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_ALPHA, alpha.mode);
    glTexEnvi(GL_TEXTURE_ENV, GL_ALPHA_SCALE, alpha.scale);
    for (int i = 0; i < 3; ++i) {
      glTexEnvi(GL_TEXTURE_ENV, GL_SRC0_RGB + i, colour.source[i]);
      glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND0_RGB + i, colour.operand[i]);
      glTexEnvi(GL_TEXTURE_ENV, GL_SRC0_ALPHA + i, alpha.source[i]);
      glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND0_ALPHA + i, alpha.operand[i]);
    }
    unit.combine = combine;
    unit.combineKnown = true;
  }

  // Texture transforms: with two coordinates Direct3D puts the translation in the third row,
  // GL (which pads to (s, t, 0, 1)) in the fourth.
  DWORD flags = device.stageState(stage, D3DTSS_TEXTURETRANSFORMFLAGS);
  D3DMATRIX matrix = IdentityMatrix();
  if (flags != D3DTTFF_DISABLE) {
    matrix = device.textureTransform(stage);
    if ((flags & ~D3DTTFF_PROJECTED) == D3DTTFF_COUNT2) {
      matrix._41 = matrix._31;
      matrix._42 = matrix._32;
      matrix._31 = matrix._32 = 0.0f;
    }
    if (flags & D3DTTFF_PROJECTED) ReportOnce("D3DTTFF_PROJECTED is not supported");
  }
  if (!unit.matrixKnown || !SameMatrix(matrix, unit.matrix)) {
    glMatrixMode(GL_TEXTURE);
    glLoadMatrixf(&matrix.m[0][0]);
    unit.matrix = matrix;
    unit.matrixKnown = true;
  }
}

void GlState::ApplyTextureStages(const DeviceBase& device) {
  bool chainOpen = true;
  for (DWORD stage = 0; stage < units_; ++stage) {
    if (device.stageState(stage, D3DTSS_COLOROP) == D3DTOP_DISABLE) chainOpen = false;
    // A stage without a texture passes the colour of the one before it on, as a stage whose
    // texture argument reads white would for the modulating operations the engine uses.
    bool enabled = chainOpen && device.boundTexture(stage) != nullptr && device.boundTexture(stage)->backing();
    ApplyUnit(device, stage, enabled);
  }
}

void GlState::ApplyForDraw(const DeviceBase& device, const VertexLayout& layout) {
  ApplyRasterState(device);
  ApplyBlendState(device);
  ApplyViewport(device);
  // Lighting goes first: lights are sent under the view matrix, the transforms restore the rest.
  ApplyLighting(device, layout, layout.transformed);
  ApplyTransforms(device, layout.transformed);
  ApplyTextureStages(device);
}

void GlState::BindVertices(const DeviceBase& device, const VertexLayout& layout, const BYTE* vertices, UINT stride) {
  GLsizei step = static_cast<GLsizei>(stride);
  SetClientArray(GL_VERTEX_ARRAY, vertexArray_, true);
  glVertexPointer(3, GL_FLOAT, step, vertices);
  SetClientArray(GL_NORMAL_ARRAY, normalArray_, layout.normal >= 0);
  if (layout.normal >= 0) glNormalPointer(GL_FLOAT, step, vertices + layout.normal);
  SetClientArray(GL_COLOR_ARRAY, colourArray_, layout.diffuse >= 0);
  // D3DCOLOR is stored B, G, R, A in memory.
  if (layout.diffuse >= 0) glColorPointer(GL_BGRA, GL_UNSIGNED_BYTE, step, vertices + layout.diffuse);
  for (DWORD stage = 0; stage < units_; ++stage) {
    UnitState& unit = unitStates_[stage];
    DWORD index = device.stageState(stage, D3DTSS_TEXCOORDINDEX);
    if (index & 0xFFFF0000u) ReportOnce("generated texture coordinates (D3DTSS_TCI_*) are not supported");
    index &= 0xFFFF;
    bool on = unit.enabled == 1 && index < layout.texCoordCount;
    if (clientUnit_ != static_cast<GLint>(stage)) {
      glClientActiveTexture(GL_TEXTURE0 + stage);
      clientUnit_ = static_cast<GLint>(stage);
    }
    SetClientArray(GL_TEXTURE_COORD_ARRAY, unit.texCoordArray, on);
    if (on) {
      glTexCoordPointer(layout.texCoordSize[index], GL_FLOAT, step, vertices + layout.texCoord[index]);
    } else if (unit.enabled == 1) {
      glMultiTexCoord4f(GL_TEXTURE0 + stage, 0.0f, 0.0f, 0.0f, 1.0f);
    }
  }
}

}  // namespace platform::d3d9
