// Draws small scenes through the Direct3D interfaces on the OpenGL device and compares regions
// of the presented picture (read back with GetFrontBufferData) with what Direct3D shows for the
// same calls: placement of a 2-D quad, depth order, culling, texture operations, addressing,
// lighting, blending, pre-transformed vertices and a reset to another size.
// Exit status: 0 all checks passed, 1 a check failed, 77 no OpenGL device could be created.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "d3d9.h"
#include "support/windowed_present.h"
#include "windows.h"

namespace {

struct ColourVertex {  // D3DFVF_XYZ | D3DFVF_DIFFUSE
  float x, y, z;
  D3DCOLOR colour;
};
struct TexturedVertex {  // FVF 0x142
  float x, y, z;
  D3DCOLOR colour;
  float u, v;
};
struct LitVertex {  // FVF 0x112
  float x, y, z, nx, ny, nz, u, v;
};
struct ScreenVertex {  // FVF 0x104 plus diffuse: D3DFVF_XYZRHW | D3DFVF_DIFFUSE
  float x, y, z, rhw;
  D3DCOLOR colour;
};

constexpr D3DCOLOR kBlue = 0xFF0000FF;
constexpr D3DCOLOR kRed = 0xFFFF0000;
constexpr D3DCOLOR kGreen = 0xFF00FF00;
constexpr D3DCOLOR kWhite = 0xFFFFFFFF;

D3DMATRIX Identity() {
  D3DMATRIX m{};
  m._11 = m._22 = m._33 = m._44 = 1.0f;
  return m;
}

D3DMATRIX OrthoOffCenter(float width, float height) {
  D3DMATRIX m = Identity();
  m._11 = 2.0f / width;
  m._22 = 2.0f / height;
  m._41 = -1.0f;
  m._42 = -1.0f;
  return m;
}

D3DMATRIX PerspectiveFov(float fov, float aspect, float zn, float zf) {
  D3DMATRIX m{};
  float yScale = 1.0f / std::tan(fov / 2.0f);
  m._11 = yScale / aspect;
  m._22 = yScale;
  m._33 = zf / (zf - zn);
  m._34 = 1.0f;
  m._43 = -zn * zf / (zf - zn);
  return m;
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM w, LPARAM l) {
  return DefWindowProcA(window, message, w, l);
}

class Probe {
 public:
  ~Probe() {
    if (device_) device_->Release();
    if (d3d_) d3d_->Release();
    if (window_) DestroyWindow(window_);
  }

  // 77 when no OpenGL device exists here, 1 on an unexpected failure, 0 when ready.
  int Start() {
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.lpszClassName = "D3D9Probe";
    RegisterClassExA(&windowClass);
    window_ = CreateWindowA("D3D9Probe", "d3d9 probe", WS_OVERLAPPEDWINDOW, 0, 0, 640, 480, nullptr, nullptr,
                            nullptr, nullptr);
    if (!window_) return Fail("CreateWindowA failed"), 1;
    ShowWindow(window_, SW_SHOW);
    d3d_ = Direct3DCreate9(D3D_SDK_VERSION);
    if (!d3d_) return std::puts("SKIP: no OpenGL Direct3D object"), 77;
    D3DADAPTER_IDENTIFIER9 id{};
    d3d_->GetAdapterIdentifier(0, 0, &id);
    std::printf("adapter: %s (%s)\n", id.Description, id.Driver);
    params_ = WindowedPresentParameters(640, 480, window_, D3DPRESENT_INTERVAL_IMMEDIATE);
    HRESULT result = d3d_->CreateDevice(0, D3DDEVTYPE_HAL, window_, D3DCREATE_HARDWARE_VERTEXPROCESSING, &params_,
                                        &device_);
    if (result == D3DERR_NOTAVAILABLE) return std::puts("SKIP: no OpenGL device"), 77;
    if (FAILED(result)) return Fail("CreateDevice failed"), 1;
    return 0;
  }

  // Clears to blue, runs `draw` inside a scene with default states, presents and reads back:
  // the front buffer after Present, or with GL_PROBE_READ=back the back buffer before it (a
  // device never asked for its front buffer keeps drawing into the window when it can).
  void Frame(const std::function<void(IDirect3DDevice9*)>& draw) {
    device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kBlue, 1.0f, 0);
    device_->BeginScene();
    draw(device_);
    device_->EndScene();
    if (readBack_) ReadBack();
    device_->Present(nullptr, nullptr, nullptr, nullptr);
    if (!readBack_) ReadFront();
  }

  void ReadBack() {
    UINT width = params_.BackBufferWidth, height = params_.BackBufferHeight;
    picture_.assign(static_cast<size_t>(width) * height, 0);
    IDirect3DSurface9* backBuffer = nullptr;
    IDirect3DSurface9* copy = nullptr;
    D3DLOCKED_RECT locked{};
    if (SUCCEEDED(device_->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &backBuffer)) &&
        SUCCEEDED(device_->CreateOffscreenPlainSurface(width, height, params_.BackBufferFormat, D3DPOOL_SYSTEMMEM,
                                                       &copy, nullptr)) &&
        SUCCEEDED(device_->GetRenderTargetData(backBuffer, copy)) &&
        SUCCEEDED(copy->LockRect(&locked, nullptr, D3DLOCK_READONLY))) {
      for (UINT y = 0; y < height; ++y) {
        const DWORD* row = reinterpret_cast<const DWORD*>(static_cast<const BYTE*>(locked.pBits) + y * locked.Pitch);
        for (UINT x = 0; x < width; ++x) picture_[y * width + x] = row[x] | 0xFF000000;
      }
      copy->UnlockRect();
    } else {
      Fail("reading the back buffer failed");
    }
    if (copy) copy->Release();
    if (backBuffer) backBuffer->Release();
  }

  void ReadFront() {
    UINT width = params_.BackBufferWidth, height = params_.BackBufferHeight;
    IDirect3DSurface9* surface = nullptr;
    picture_.assign(static_cast<size_t>(width) * height, 0);
    // Windowed, the copy is the desktop with the picture at the window's client area.
    D3DDISPLAYMODE desktop{};
    POINT origin{0, 0};
    if (FAILED(d3d_->GetAdapterDisplayMode(0, &desktop)) || !ClientToScreen(window_, &origin) ||
        origin.x < 0 || origin.y < 0 || origin.x + width > desktop.Width || origin.y + height > desktop.Height) {
      Fail("the window does not lie on the desktop");
      return;
    }
    if (FAILED(device_->CreateOffscreenPlainSurface(desktop.Width, desktop.Height, D3DFMT_A8R8G8B8,
                                                     D3DPOOL_SYSTEMMEM, &surface, nullptr))) {
      Fail("CreateOffscreenPlainSurface failed");
      return;
    }
    D3DLOCKED_RECT locked{};
    if (SUCCEEDED(device_->GetFrontBufferData(0, surface)) &&
        SUCCEEDED(surface->LockRect(&locked, nullptr, D3DLOCK_READONLY))) {
      for (UINT y = 0; y < height; ++y) {
        const BYTE* start = static_cast<const BYTE*>(locked.pBits) + (origin.y + y) * locked.Pitch + origin.x * 4;
        const DWORD* row = reinterpret_cast<const DWORD*>(start);
        for (UINT x = 0; x < width; ++x) picture_[y * width + x] = row[x];
      }
      surface->UnlockRect();
    } else {
      Fail("GetFrontBufferData failed");
    }
    surface->Release();
  }

  // Checks the pixel at (x, y), measured from the top-left corner, within a tolerance per channel.
  void Expect(const char* check, int x, int y, D3DCOLOR wanted, int tolerance = 8) {
    D3DCOLOR got = picture_[static_cast<size_t>(y) * params_.BackBufferWidth + x];
    bool ok = true;
    for (int shift : {16, 8, 0}) {
      int difference = static_cast<int>((got >> shift) & 0xFF) - static_cast<int>((wanted >> shift) & 0xFF);
      ok = ok && std::abs(difference) <= tolerance;
    }
    std::printf("%s %s at (%d,%d): got %08X, want %08X\n", ok ? "PASS" : "FAIL", check, x, y, got, wanted);
    if (!ok) ++failures_;
  }

  void Fail(const char* what) {
    std::printf("FAIL %s\n", what);
    ++failures_;
  }

  IDirect3DTexture9* MakeTexture(UINT width, UINT height, const std::vector<DWORD>& texels) {
    IDirect3DTexture9* texture = nullptr;
    if (FAILED(device_->CreateTexture(width, height, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr))) {
      Fail("CreateTexture failed");
      return nullptr;
    }
    D3DLOCKED_RECT locked{};
    texture->LockRect(0, &locked, nullptr, 0);
    for (UINT y = 0; y < height; ++y) {
      auto* row = reinterpret_cast<DWORD*>(static_cast<BYTE*>(locked.pBits) + y * locked.Pitch);
      for (UINT x = 0; x < width; ++x) row[x] = texels[y * width + x];
    }
    texture->UnlockRect(0);
    return texture;
  }

  IDirect3DDevice9* device() { return device_; }
  D3DPRESENT_PARAMETERS& params() { return params_; }
  int failures() const { return failures_; }

 private:
  IDirect3D9* d3d_ = nullptr;
  IDirect3DDevice9* device_ = nullptr;
  HWND window_ = nullptr;
  D3DPRESENT_PARAMETERS params_{};
  std::vector<DWORD> picture_;
  bool readBack_ = std::getenv("GL_PROBE_READ") != nullptr && std::string(std::getenv("GL_PROBE_READ")) == "back";
  int failures_ = 0;
};

void Use2D(IDirect3DDevice9* device, float width, float height) {
  D3DMATRIX identity = Identity(), ortho = OrthoOffCenter(width, height);
  device->SetTransform(D3DTS_WORLD, &identity);
  device->SetTransform(D3DTS_VIEW, &identity);
  device->SetTransform(D3DTS_PROJECTION, &ortho);
  device->SetRenderState(D3DRS_LIGHTING, FALSE);
  device->SetRenderState(D3DRS_ZENABLE, FALSE);
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
}

void TexturedScreenQuad(IDirect3DDevice9* device, float uMax, D3DCOLOR colour) {
  TexturedVertex quad[4] = {{0, 0, 0, colour, 0, 1}, {0, 480, 0, colour, 0, 0}, {640, 0, 0, colour, uMax, 1},
                            {640, 480, 0, colour, uMax, 0}};
  device->SetFVF(0x142);
  device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(TexturedVertex));
}

// A red quad over the lower-left quarter of a width x height back buffer in the 2-D space.
void LowerLeftQuarter(Probe& probe, float width, float height) {
  probe.Frame([=](IDirect3DDevice9* device) {
    Use2D(device, width, height);
    float w = width / 2, h = height / 2;
    ColourVertex quad[4] = {{0, 0, 0, kRed}, {0, h, 0, kRed}, {w, 0, 0, kRed}, {w, h, 0, kRed}};
    device->SetFVF(D3DFVF_XYZ | D3DFVF_DIFFUSE);
    device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(ColourVertex));
  });
}

void CheckQuadPlacement(Probe& probe) {
  LowerLeftQuarter(probe, 640, 480);
  probe.Expect("2-D quad fills the lower-left quarter", 160, 360, kRed);
  probe.Expect("2-D quad leaves the upper-left quarter", 160, 120, kBlue);
  probe.Expect("2-D quad leaves the lower-right quarter", 480, 360, kBlue);
  probe.Expect("2-D quad ends at its right edge", 322, 470, kBlue);
  probe.Expect("2-D quad reaches its right edge", 318, 470, kRed);
}

void CheckDepthOrder(Probe& probe) {
  probe.Frame([](IDirect3DDevice9* device) {
    D3DMATRIX identity = Identity(), projection = PerspectiveFov(0.785398f, 640.0f / 480.0f, 1.0f, 100.0f);
    device->SetTransform(D3DTS_WORLD, &identity);
    device->SetTransform(D3DTS_VIEW, &identity);
    device->SetTransform(D3DTS_PROJECTION, &projection);
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
    device->SetFVF(D3DFVF_XYZ | D3DFVF_DIFFUSE);
    ColourVertex nearQuad[4] = {{-1, -1, 3, kGreen}, {-1, 1, 3, kGreen}, {1, -1, 3, kGreen}, {1, 1, 3, kGreen}};
    ColourVertex farQuad[4] = {{-4, -4, 6, kRed}, {-4, 4, 6, kRed}, {4, -4, 6, kRed}, {4, 4, 6, kRed}};
    device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, nearQuad, sizeof(ColourVertex));
    device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, farQuad, sizeof(ColourVertex));
  });
  probe.Expect("the nearer quad hides the farther one drawn after it", 320, 240, kGreen);
  probe.Expect("the farther quad shows around the nearer one", 320, 15, kRed);
}

void CheckCulling(Probe& probe) {
  // Left triangle runs clockwise on the screen, the right one counter-clockwise.
  auto draw = [](D3DCULL mode) {
    return [mode](IDirect3DDevice9* device) {
      Use2D(device, 640, 480);
      device->SetRenderState(D3DRS_CULLMODE, mode);
      ColourVertex triangles[6] = {{40, 100, 0, kWhite}, {160, 400, 0, kWhite}, {280, 100, 0, kWhite},
                                   {360, 100, 0, kWhite}, {600, 100, 0, kWhite}, {480, 400, 0, kWhite}};
      device->SetFVF(D3DFVF_XYZ | D3DFVF_DIFFUSE);
      device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 2, triangles, sizeof(ColourVertex));
    };
  };
  probe.Frame(draw(D3DCULL_CCW));
  probe.Expect("D3DCULL_CCW keeps the clockwise triangle", 160, 300, kWhite);
  probe.Expect("D3DCULL_CCW culls the counter-clockwise triangle", 480, 300, kBlue);
  probe.Frame(draw(D3DCULL_CW));
  probe.Expect("D3DCULL_CW culls the clockwise triangle", 160, 300, kBlue);
  probe.Expect("D3DCULL_CW keeps the counter-clockwise triangle", 480, 300, kWhite);
}

void CheckModulate(Probe& probe) {
  IDirect3DTexture9* grey = probe.MakeTexture(2, 2, std::vector<DWORD>(4, 0xFF808080));
  for (DWORD op : {D3DTOP_MODULATE, D3DTOP_MODULATE2X, D3DTOP_MODULATE4X}) {
    probe.Frame([&](IDirect3DDevice9* device) {
      Use2D(device, 640, 480);
      device->SetTexture(0, grey);
      device->SetTextureStageState(0, D3DTSS_COLOROP, op);
      device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
      device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
      TexturedScreenQuad(device, 1.0f, 0xFF808080);
      device->SetTexture(0, nullptr);
    });
    D3DCOLOR wanted = op == D3DTOP_MODULATE ? 0xFF404040 : op == D3DTOP_MODULATE2X ? 0xFF808080 : 0xFFFFFFFF;
    probe.Expect(op == D3DTOP_MODULATE ? "MODULATE multiplies" : op == D3DTOP_MODULATE2X ? "MODULATE2X brightens"
                                                                                         : "MODULATE4X saturates",
                 320, 240, wanted, 6);
  }
  probe.Frame([&](IDirect3DDevice9* device) {
    Use2D(device, 640, 480);
    device->SetTexture(0, grey);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
    TexturedScreenQuad(device, 1.0f, 0xFF20C040);
    device->SetTexture(0, nullptr);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
  });
  probe.Expect("SELECTARG2 shows the diffuse colour", 320, 240, 0xFF20C040, 4);
  grey->Release();
}

void CheckAddressing(Probe& probe) {
  IDirect3DTexture9* stripe = probe.MakeTexture(2, 1, {0xFF000000, 0xFFFFFFFF});
  for (DWORD mode : {D3DTADDRESS_WRAP, D3DTADDRESS_MIRROR}) {
    probe.Frame([&](IDirect3DDevice9* device) {
      Use2D(device, 640, 480);
      device->SetTexture(0, stripe);
      device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_POINT);
      device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
      device->SetSamplerState(0, D3DSAMP_ADDRESSU, mode);
      TexturedScreenQuad(device, 2.0f, kWhite);
      device->SetTexture(0, nullptr);
    });
    bool mirror = mode == D3DTADDRESS_MIRROR;
    probe.Expect("first texture copy starts black", 80, 240, 0xFF000000);
    probe.Expect("first texture copy ends white", 240, 240, kWhite);
    probe.Expect(mirror ? "MIRROR repeats the texture flipped" : "WRAP repeats the texture", 400, 240,
                 mirror ? kWhite : 0xFF000000);
    probe.Expect(mirror ? "MIRROR ends where it began" : "WRAP ends white", 560, 240, mirror ? 0xFF000000 : kWhite);
  }
  stripe->Release();
}

void CheckLighting(Probe& probe) {
  probe.Frame([](IDirect3DDevice9* device) {
    Use2D(device, 640, 480);
    device->SetRenderState(D3DRS_LIGHTING, TRUE);
    device->SetRenderState(D3DRS_AMBIENT, 0);
    D3DMATERIAL9 material{};
    material.Diffuse = D3DCOLORVALUE{1.0f, 0.5f, 0.25f, 1.0f};
    device->SetMaterial(&material);
    D3DLIGHT9 light{};
    light.Type = D3DLIGHT_DIRECTIONAL;
    light.Diffuse = D3DCOLORVALUE{1.0f, 1.0f, 1.0f, 1.0f};
    light.Direction = D3DVECTOR{0.0f, 0.0f, 1.0f};  // into the screen, onto the quad's front
    device->SetLight(0, &light);
    device->LightEnable(0, TRUE);
    LitVertex quad[4] = {{0, 0, 0, 0, 0, -1, 0, 0}, {0, 480, 0, 0, 0, -1, 0, 0}, {640, 0, 0, 0, 0, -1, 0, 0},
                         {640, 480, 0, 0, 0, -1, 0, 0}};
    device->SetFVF(0x112);
    device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(LitVertex));
    device->LightEnable(0, FALSE);
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
  });
  probe.Expect("a directional light on the front face gives the material colour", 320, 240, 0xFFFF8040, 6);
}

void CheckBlending(Probe& probe) {
  probe.Frame([](IDirect3DDevice9* device) {
    Use2D(device, 640, 480);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    TexturedScreenQuad(device, 1.0f, 0x80FF0000);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
  });
  probe.Expect("half-transparent red over blue", 320, 240, 0xFF80007F, 4);
}

void CheckScreenSpaceVertices(Probe& probe) {
  probe.Frame([](IDirect3DDevice9* device) {
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    ScreenVertex quad[4] = {{10, 10, 0.5f, 1, kGreen}, {30, 10, 0.5f, 1, kGreen}, {10, 30, 0.5f, 1, kGreen},
                            {30, 30, 0.5f, 1, kGreen}};
    device->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE);
    device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(ScreenVertex));
  });
  probe.Expect("pre-transformed quad covers its pixels", 20, 20, kGreen);
  probe.Expect("pre-transformed quad starts at x = 10", 10, 20, kGreen);
  probe.Expect("pre-transformed quad stops before x = 30", 30, 20, kBlue);
  probe.Expect("pre-transformed quad stops before x = 9", 9, 20, kBlue);
}

// Fills every level of a texture with one colour per level, written in the texture's format.
IDirect3DTexture9* LevelColouredTexture(Probe& probe, UINT size, UINT levels, D3DFORMAT format,
                                        const std::vector<WORD>& sixteenBit, const std::vector<DWORD>& argb) {
  IDirect3DTexture9* texture = nullptr;
  if (FAILED(probe.device()->CreateTexture(size, size, levels, 0, format, D3DPOOL_MANAGED, &texture, nullptr))) {
    probe.Fail("CreateTexture with levels failed");
    return nullptr;
  }
  for (UINT level = 0; level < texture->GetLevelCount(); ++level) {
    D3DSURFACE_DESC desc{};
    texture->GetLevelDesc(level, &desc);
    D3DLOCKED_RECT locked{};
    texture->LockRect(level, &locked, nullptr, 0);
    for (UINT y = 0; y < desc.Height; ++y) {
      BYTE* row = static_cast<BYTE*>(locked.pBits) + y * locked.Pitch;
      for (UINT x = 0; x < desc.Width; ++x) {
        if (argb.empty()) {
          reinterpret_cast<WORD*>(row)[x] = sixteenBit[level];
        } else {
          reinterpret_cast<DWORD*>(row)[x] = argb[level];
        }
      }
    }
    texture->UnlockRect(level);
  }
  return texture;
}

void CheckSixteenBitFormats(Probe& probe) {
  struct Case {
    D3DFORMAT format;
    WORD texel;
    D3DCOLOR shown;
    const char* name;
  };
  for (const Case& c : {Case{D3DFMT_R5G6B5, 0xF800, kRed, "R5G6B5 red"}, Case{D3DFMT_X1R5G5B5, 0x03E0, kGreen, "X1R5G5B5 green"},
                        Case{D3DFMT_A1R5G5B5, 0x801F, 0xFF0000FF, "A1R5G5B5 opaque blue"},
                        Case{D3DFMT_A4R4G4B4, 0xFFF0, 0xFFFFFF00, "A4R4G4B4 yellow"}}) {
    IDirect3DTexture9* texture = LevelColouredTexture(probe, 4, 1, c.format, {c.texel}, {});
    if (!texture) return;
    probe.Frame([&](IDirect3DDevice9* device) {
      Use2D(device, 640, 480);
      device->SetRenderState(D3DRS_ZENABLE, FALSE);
      device->SetTexture(0, texture);
      device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
      TexturedScreenQuad(device, 1.0f, kWhite);
      device->SetTexture(0, nullptr);
      device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    });
    probe.Expect(c.name, 320, 240, c.shown, 4);
    texture->Release();
  }
}

void CheckMipLevelsAndEviction(Probe& probe) {
  // 64x64 with 3 levels: red, green, white. Drawn 1:1, so the largest allowed level shows.
  IDirect3DTexture9* texture =
      LevelColouredTexture(probe, 64, 3, D3DFMT_A8R8G8B8, {}, {kRed, kGreen, kWhite});
  if (!texture) return;
  auto draw = [&](DWORD maxMipLevel) {
    probe.Frame([&](IDirect3DDevice9* device) {
      Use2D(device, 640, 480);
      device->SetTexture(0, texture);
      device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
      device->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_POINT);
      device->SetSamplerState(0, D3DSAMP_MAXMIPLEVEL, maxMipLevel);
      TexturedVertex quad[4] = {{100, 100, 0, kWhite, 0, 1}, {100, 164, 0, kWhite, 0, 0},
                                {164, 100, 0, kWhite, 1, 1}, {164, 164, 0, kWhite, 1, 0}};
      device->SetFVF(0x142);
      device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(TexturedVertex));
      device->SetTexture(0, nullptr);
      device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
      device->SetSamplerState(0, D3DSAMP_MAXMIPLEVEL, 0);
    });
  };
  draw(0);
  probe.Expect("MAXMIPLEVEL 0 uses the top level", 132, 348, kRed);
  draw(1);
  probe.Expect("MAXMIPLEVEL 1 starts at the second level", 132, 348, kGreen);
  draw(3);
  probe.Expect("MAXMIPLEVEL past the chain clamps to the last level", 132, 348, kWhite);
  probe.device()->EvictManagedResources();
  draw(0);
  probe.Expect("an evicted managed texture comes back when drawn", 132, 348, kRed);
  texture->Release();
}

void CheckIndexedDynamicBuffers(Probe& probe) {
  IDirect3DDevice9* device = probe.device();
  IDirect3DVertexBuffer9* vertices = nullptr;
  IDirect3DIndexBuffer9* indices = nullptr;
  if (FAILED(device->CreateVertexBuffer(8 * sizeof(ColourVertex), D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY,
                                        D3DFVF_XYZ | D3DFVF_DIFFUSE, D3DPOOL_DEFAULT, &vertices, nullptr)) ||
      FAILED(device->CreateIndexBuffer(6 * sizeof(WORD), 0, D3DFMT_INDEX16, D3DPOOL_MANAGED, &indices, nullptr))) {
    probe.Fail("buffer creation failed");
    return;
  }
  WORD* index = nullptr;
  indices->Lock(0, 0, reinterpret_cast<void**>(&index), 0);
  const WORD list[6] = {0, 1, 2, 2, 1, 3};
  for (int i = 0; i < 6; ++i) index[i] = list[i];
  indices->Unlock();
  auto fill = [&](D3DCOLOR colour) {
    ColourVertex* v = nullptr;
    vertices->Lock(0, 0, reinterpret_cast<void**>(&v), D3DLOCK_DISCARD);
    const ColourVertex quad[4] = {{320, 240, 0, colour}, {320, 480, 0, colour}, {640, 240, 0, colour},
                                  {640, 480, 0, colour}};
    for (int i = 0; i < 4; ++i) v[4 + i] = quad[i];
    vertices->Unlock();
  };
  for (D3DCOLOR colour : {kGreen, kWhite}) {
    fill(colour);
    probe.Frame([&](IDirect3DDevice9* d) {
      Use2D(d, 640, 480);
      d->SetFVF(D3DFVF_XYZ | D3DFVF_DIFFUSE);
      d->SetStreamSource(0, vertices, 0, sizeof(ColourVertex));
      d->SetIndices(indices);
      d->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 4, 0, 4, 0, 2);
      d->SetStreamSource(0, nullptr, 0, 0);
      d->SetIndices(nullptr);
    });
    probe.Expect(colour == kGreen ? "indexed quad from a dynamic buffer" : "the buffer refilled with DISCARD", 480,
                 120, colour);
  }
  probe.Expect("indexed quad stays in its quarter", 160, 360, kBlue);
  vertices->Release();
  indices->Release();
}

void CheckMultisampling(Probe& probe) {
  D3DPRESENT_PARAMETERS p = probe.params();
  p.MultiSampleType = D3DMULTISAMPLE_4_SAMPLES;
  p.SwapEffect = D3DSWAPEFFECT_DISCARD;
  HRESULT result = probe.device()->Reset(&p);
  if (result == D3DERR_INVALIDCALL) {
    std::puts("SKIP 4x multisampling is not offered here");
    return;
  }
  if (FAILED(result)) {
    probe.Fail("Reset with 4 samples failed");
    return;
  }
  probe.params() = p;
  LowerLeftQuarter(probe, static_cast<float>(p.BackBufferWidth), static_cast<float>(p.BackBufferHeight));
  probe.Expect("a multisampled back buffer presents the quad", p.BackBufferWidth / 4, p.BackBufferHeight * 3 / 4,
               kRed);
  probe.Expect("a multisampled back buffer keeps the clear colour", p.BackBufferWidth * 3 / 4,
               p.BackBufferHeight / 4, kBlue);
}

void CheckShadingAndAlphaTest(Probe& probe) {
  for (DWORD mode : {D3DSHADE_FLAT, D3DSHADE_GOURAUD}) {
    probe.Frame([&](IDirect3DDevice9* device) {
      Use2D(device, 640, 480);
      device->SetRenderState(D3DRS_SHADEMODE, mode);
      ColourVertex triangle[3] = {{0, 0, 0, kRed}, {320, 480, 0, kGreen}, {640, 0, 0, 0xFF0000FF}};
      device->SetFVF(D3DFVF_XYZ | D3DFVF_DIFFUSE);
      device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, triangle, sizeof(ColourVertex));
      device->SetRenderState(D3DRS_SHADEMODE, D3DSHADE_GOURAUD);
    });
    if (mode == D3DSHADE_FLAT) {
      probe.Expect("flat shading takes the first vertex's colour", 320, 300, kRed, 2);
    } else {
      probe.Expect("Gouraud shading blends the vertex colours", 320, 320, 0xFF555555, 24);
    }
  }
  probe.Frame([](IDirect3DDevice9* device) {
    Use2D(device, 640, 480);
    device->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
    device->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATER);
    device->SetRenderState(D3DRS_ALPHAREF, 0x80);
    ColourVertex faint[4] = {{0, 0, 0, 0x40FFFFFF}, {0, 480, 0, 0x40FFFFFF}, {320, 0, 0, 0x40FFFFFF},
                             {320, 480, 0, 0x40FFFFFF}};
    ColourVertex strong[4] = {{320, 0, 0, 0xC0FFFFFF}, {320, 480, 0, 0xC0FFFFFF}, {640, 0, 0, 0xC0FFFFFF},
                              {640, 480, 0, 0xC0FFFFFF}};
    device->SetFVF(D3DFVF_XYZ | D3DFVF_DIFFUSE);
    device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, faint, sizeof(ColourVertex));
    device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, strong, sizeof(ColourVertex));
    device->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);
  });
  probe.Expect("alpha test drops pixels at or under the reference", 160, 240, kBlue);
  probe.Expect("alpha test keeps pixels over the reference", 480, 240, kWhite);
}

void CheckSpecular(Probe& probe) {
  for (BOOL specular : {FALSE, TRUE}) {
    probe.Frame([&](IDirect3DDevice9* device) {
      D3DMATRIX identity = Identity(), projection = PerspectiveFov(0.785398f, 640.0f / 480.0f, 1.0f, 100.0f);
      device->SetTransform(D3DTS_WORLD, &identity);
      device->SetTransform(D3DTS_VIEW, &identity);
      device->SetTransform(D3DTS_PROJECTION, &projection);
      device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
      device->SetRenderState(D3DRS_LIGHTING, TRUE);
      device->SetRenderState(D3DRS_AMBIENT, 0);
      device->SetRenderState(D3DRS_SPECULARENABLE, specular);
      D3DMATERIAL9 material{};
      material.Diffuse = D3DCOLORVALUE{0.5f, 0.0f, 0.0f, 1.0f};
      material.Specular = D3DCOLORVALUE{0.0f, 0.5f, 0.0f, 1.0f};
      material.Power = 10.0f;
      device->SetMaterial(&material);
      D3DLIGHT9 light{};
      light.Type = D3DLIGHT_DIRECTIONAL;
      light.Diffuse = light.Specular = D3DCOLORVALUE{1.0f, 1.0f, 1.0f, 1.0f};
      light.Direction = D3DVECTOR{0.0f, 0.0f, 1.0f};
      device->SetLight(0, &light);
      device->LightEnable(0, TRUE);
      LitVertex quad[4] = {{-1, -1, 5, 0, 0, -1, 0, 0}, {-1, 1, 5, 0, 0, -1, 0, 0}, {1, -1, 5, 0, 0, -1, 0, 0},
                           {1, 1, 5, 0, 0, -1, 0, 0}};
      device->SetFVF(0x112);
      device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(LitVertex));
      device->LightEnable(0, FALSE);
      device->SetRenderState(D3DRS_LIGHTING, FALSE);
      device->SetRenderState(D3DRS_SPECULARENABLE, FALSE);
    });
    // Specular is computed at the vertices, about 15 degrees off the viewing axis: 0.5 * 0.91.
    probe.Expect(specular ? "SPECULARENABLE adds the highlight" : "without SPECULARENABLE only diffuse shows", 320,
                 240, specular ? 0xFF807400 : 0xFF800000, 12);
  }
}

void CheckReset(Probe& probe) {
  D3DPRESENT_PARAMETERS& p = probe.params();
  p.BackBufferWidth = 800;
  p.BackBufferHeight = 600;
  if (FAILED(probe.device()->Reset(&p))) {
    probe.Fail("Reset to 800x600 failed");
    return;
  }
  LowerLeftQuarter(probe, 800, 600);
  probe.Expect("after Reset the lower-left quarter of 800x600", 200, 450, kRed);
  probe.Expect("after Reset the upper-right quarter stays clear", 600, 150, kBlue);
}

}  // namespace

int main() {
  Probe probe;
  int start = probe.Start();
  if (start != 0) return start;
  CheckQuadPlacement(probe);
  CheckDepthOrder(probe);
  CheckCulling(probe);
  CheckModulate(probe);
  CheckAddressing(probe);
  CheckLighting(probe);
  CheckBlending(probe);
  CheckScreenSpaceVertices(probe);
  CheckSixteenBitFormats(probe);
  CheckMipLevelsAndEviction(probe);
  CheckIndexedDynamicBuffers(probe);
  CheckShadingAndAlphaTest(probe);
  CheckSpecular(probe);
  CheckReset(probe);
  CheckMultisampling(probe);
  std::printf("%d check(s) failed\n", probe.failures());
  return probe.failures() == 0 ? 0 : 1;
}
