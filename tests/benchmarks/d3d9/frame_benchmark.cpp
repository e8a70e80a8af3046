// Frame time of the Direct3D device for tools/bench.sh: a window the size of the back buffer
// shows a textured, depth-tested floor over the whole picture and a number of blended 2-D quads
// over it, as the game's match and its interface do. Prints the median and the slowest 5% of
// the frame times. Usage: frame_benchmark WIDTH HEIGHT QUADS [FRAMES]. Not a test.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "d3d9.h"
#include "support/windowed_present.h"
#include "windows.h"

namespace {

struct ScreenVertex {
  float x, y, z, rhw;
  D3DCOLOR colour;
  float u, v;
};
constexpr DWORD kScreenFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM w, LPARAM l) {
  return DefWindowProcA(window, message, w, l);
}

// A managed texture of size x size in `format`, filled with a pattern whose alpha varies.
IDirect3DTexture9* MakeTexture(IDirect3DDevice9* device, UINT size, D3DFORMAT format) {
  IDirect3DTexture9* texture = nullptr;
  if (FAILED(device->CreateTexture(size, size, 1, 0, format, D3DPOOL_MANAGED, &texture, nullptr))) return nullptr;
  D3DLOCKED_RECT locked{};
  if (FAILED(texture->LockRect(0, &locked, nullptr, 0))) {
    texture->Release();
    return nullptr;
  }
  for (UINT y = 0; y < size; ++y) {
    DWORD* row = reinterpret_cast<DWORD*>(static_cast<BYTE*>(locked.pBits) + y * locked.Pitch);
    for (UINT x = 0; x < size; ++x) row[x] = ((x ^ y) & 16 ? 0xC0E0A040u : 0x60406080u) ^ (x * 0x010203u);
  }
  texture->UnlockRect(0);
  return texture;
}

// Two triangles covering (x, y, width, height) in pixels at depth z.
void Quad(std::vector<ScreenVertex>& out, float x, float y, float width, float height, float z, float repeat) {
  const ScreenVertex corners[4] = {{x, y, z, 1.0f, 0xFFFFFFFF, 0.0f, 0.0f},
                                   {x + width, y, z, 1.0f, 0xFFFFFFFF, repeat, 0.0f},
                                   {x, y + height, z, 1.0f, 0xFFFFFFFF, 0.0f, repeat},
                                   {x + width, y + height, z, 1.0f, 0xFFFFFFFF, repeat, repeat}};
  for (int index : {0, 1, 2, 2, 1, 3}) out.push_back(corners[index]);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: frame_benchmark WIDTH HEIGHT QUADS [FRAMES]\n");
    return 2;
  }
  const int width = std::atoi(argv[1]), height = std::atoi(argv[2]), quads = std::atoi(argv[3]);
  const int frames = argc > 4 ? std::atoi(argv[4]) : 300;
  if (width <= 0 || height <= 0 || quads < 0 || frames <= 0) {
    std::fprintf(stderr, "frame_benchmark: sizes and counts must be positive\n");
    return 2;
  }
  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = WindowProc;
  windowClass.lpszClassName = "FrameBenchmark";
  RegisterClassExA(&windowClass);
  HWND window = CreateWindowA("FrameBenchmark", "frame benchmark", WS_POPUP, 0, 0, width, height, nullptr, nullptr,
                              nullptr, nullptr);
  ShowWindow(window, SW_SHOW);
  IDirect3D9* d3d = Direct3DCreate9(D3D_SDK_VERSION);
  D3DPRESENT_PARAMETERS params = WindowedPresentParameters(static_cast<UINT>(width), static_cast<UINT>(height),
                                                           window, D3DPRESENT_INTERVAL_IMMEDIATE);
  IDirect3DDevice9* device = nullptr;
  if (!window || !d3d ||
      FAILED(d3d->CreateDevice(0, D3DDEVTYPE_HAL, window, D3DCREATE_HARDWARE_VERTEXPROCESSING, &params, &device))) {
    std::fprintf(stderr, "frame_benchmark: no Direct3D device\n");
    return 1;
  }
  IDirect3DTexture9* floor = MakeTexture(device, 512, D3DFMT_X8R8G8B8);
  IDirect3DTexture9* sprite = MakeTexture(device, 64, D3DFMT_A8R8G8B8);
  if (!floor || !sprite) {
    std::fprintf(stderr, "frame_benchmark: no textures\n");
    return 1;
  }
  std::vector<ScreenVertex> floorQuad, spriteQuads;
  Quad(floorQuad, 0.0f, 0.0f, static_cast<float>(width), static_cast<float>(height), 0.5f, 4.0f);
  for (int index = 0; index < quads; ++index) {
    float x = static_cast<float>((index * 97) % std::max(1, width - 64));
    float y = static_cast<float>((index * 61) % std::max(1, height - 64));
    Quad(spriteQuads, x, y, 64.0f, 64.0f, 0.0f, 1.0f);
  }
  device->SetRenderState(D3DRS_LIGHTING, FALSE);
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
  device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
  device->SetFVF(kScreenFvf);
  std::vector<double> times;
  times.reserve(static_cast<size_t>(frames));
  auto last = std::chrono::steady_clock::now();
  for (int frame = 0; frame < frames + 10; ++frame) {
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    device->BeginScene();
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    device->SetTexture(0, floor);
    device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 2, floorQuad.data(), sizeof(ScreenVertex));
    if (quads > 0) {
      device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
      device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
      device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
      device->SetTexture(0, sprite);
      device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, static_cast<UINT>(quads) * 2, spriteQuads.data(),
                              sizeof(ScreenVertex));
    }
    device->EndScene();
    device->Present(nullptr, nullptr, nullptr, nullptr);
    auto now = std::chrono::steady_clock::now();
    // The first frames compile the rasteriser's shaders; they are not counted.
    if (frame >= 10) times.push_back(std::chrono::duration<double, std::milli>(now - last).count());
    last = now;
  }
  std::sort(times.begin(), times.end());
  std::printf("frame_benchmark: %dx%d, %d blended quads, %d frames, median frame %.3f ms, slowest 5%% from %.3f ms\n",
              width, height, quads, frames, times[times.size() / 2], times[times.size() * 95 / 100]);
  sprite->Release();
  floor->Release();
  device->Release();
  d3d->Release();
  DestroyWindow(window);
  return 0;
}
