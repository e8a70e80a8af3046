// The fader's runs: Cover goes from clear to the colour, Reveal back, each over `duration`
// seconds measured with GetTickCount. The quad is a dynamic default-pool buffer so its four
// colours can be rewritten every frame of a run.
#include "services/fader.h"

#include <algorithm>

#include "core/aru.h"

namespace {
constexpr float kOpaque = 255.0f;
// Alpha stays within 0..255 so a late frame never wraps the colour's byte. The last step of a
// run snaps to the end value once alpha is this close to it.
constexpr float kRevealSnapBelow = 5.0f;
constexpr float kCoverSnapAbove = 250.0f;
constexpr float kShortestRun = 0.001f;
}  // namespace

aruFader::aruFader() = default;

aruFader::~aruFader() { Release(); }

HRESULT aruFader::Create(ARU* owner) {
  engine = owner;
  quad = std::make_unique<aruVB>(owner);
  quad->SetUsage(D3DUSAGE_DYNAMIC);
  quad->SetLockFlags(D3DLOCK_NOSYSLOCK);
  quad->SetMemoryPool(D3DPOOL_DEFAULT);
  red = green = blue = kOpaque;
  SetDuration(1.0f);
  alpha = 0;
  return Restore();
}

HRESULT aruFader::Restore() {
  if (quad == nullptr) return E_FAIL;
  const float width = engine->GetScreenWidth();
  const float height = engine->GetScreenHeight();
  const D3DCOLOR colour = ARGB(alpha, red, green, blue);
  const aruNVertex corners[4] = {
      {0, height, 0, 0, 0, -1, colour, 0, 0},
      {width, height, 0, 0, 0, -1, colour, 1, 0},
      {0, 0, 0, 0, 0, -1, colour, 0, 1},
      {width, 0, 0, 0, 0, -1, colour, 1, 1},
  };
  return quad->Create(4, 2, corners);
}

void aruFader::Invalidate() {
  if (quad != nullptr) quad->Invalidate();
}

void aruFader::Release() { quad.reset(); }

void aruFader::SetTexture(int32_t index) {
  if (quad != nullptr) quad->SetTexture(index);
}

void aruFader::SetDuration(float seconds) {
  // A zero or negative duration fades within one frame instead of dividing by zero.
  duration = std::max(seconds, kShortestRun);
  rate = kOpaque / duration;
}

void aruFader::SetColour(float r, float g, float b) {
  red = r;
  green = g;
  blue = b;
  WriteColours();
}

void aruFader::Cover() {
  if (covering || revealing || alpha >= kOpaque) return;
  covering = true;
  alpha = 1;
  startTime = GetTickCount();
  WriteColours();
}

void aruFader::Reveal() {
  if (covering || revealing || alpha <= 0) return;
  revealing = true;
  alpha = kOpaque;
  startTime = GetTickCount();
  WriteColours();
}

void aruFader::SetClear() {
  covering = revealing = false;
  alpha = 0;
  WriteColours();
}

void aruFader::SetCovered() {
  covering = revealing = false;
  alpha = kOpaque;
  WriteColours();
}

void aruFader::Update() {
  const bool running = covering || revealing;
  const float elapsedSeconds = static_cast<float>(GetTickCount() - startTime) * 0.001f;
  if (revealing) {
    if (alpha < kRevealSnapBelow) {
      alpha = 0;
      revealing = false;
    } else {
      alpha = std::max(0.0f, kOpaque - elapsedSeconds * rate);
    }
  } else if (covering) {
    if (alpha > kCoverSnapAbove) {
      alpha = kOpaque;
      covering = false;
    } else {
      alpha = std::min(kOpaque, elapsedSeconds * rate);
    }
  }
  idle = !running;
  if (running) WriteColours();
  if (alpha > 0) Draw();
}

void aruFader::WriteColours() {
  if (quad == nullptr) return;
  aruNVertex* vertices = quad->Lock(0, 0);
  if (vertices == nullptr) return;
  const D3DCOLOR colour = ARGB(alpha, red, green, blue);
  for (uint32_t i = 0; i < quad->GetVertexCount(); ++i) vertices[i].colour = colour;
  quad->Unlock();
}

void aruFader::Draw() {
  if (quad == nullptr) return;
  IDirect3DDevice9* device = engine->GetDevice();
  aruMatrix identity;
  identity.Identity();
  engine->SetWorldTransform(identity);
  device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
  quad->Draw();
  device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
}
