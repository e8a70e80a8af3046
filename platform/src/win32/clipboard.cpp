// The clipboard (CF_TEXT) on SDL's clipboard, and the GlobalAlloc memory blocks that carry
// clipboard data. Text is ANSI (Latin-1) on our side and UTF-8 on SDL's. Without SDL video
// (headless) the clipboard is kept inside the process, so code using it still works in tests.
#include <cstdlib>
#include <mutex>
#include <string>

#include "aru_platform.h"
#include "win32/window_state.h"

namespace {

constexpr uint32_t kBlockMagic = 0x474C4F42;  // "GLOB"

struct GlobalBlock {
  uint32_t magic;
  uint32_t locks;
  SIZE_T size;
  alignas(16) unsigned char data[1];
};

GlobalBlock* BlockOf(HGLOBAL memory) {
  auto* block = static_cast<GlobalBlock*>(memory);
  if (!block || block->magic != kBlockMagic) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  return block;
}

// The clipboard is used from the window thread; the lock keeps a stray thread from corrupting it.
std::mutex clipboardLock;
bool clipboardOpen = false;
std::string headlessText;
bool headlessHasText = false;
HGLOBAL lastHandedOut = nullptr;  // owned by the clipboard, freed when replaced

bool UseSdl() { return platform::SdlVideoActive(); }

void ReplaceHandedOut(HGLOBAL memory) {
  if (lastHandedOut) GlobalFree(lastHandedOut);
  lastHandedOut = memory;
}

bool RequireOpen() {
  if (clipboardOpen) return true;
  SetLastError(ERROR_CLIPBOARD_NOT_OPEN);
  return false;
}

}  // namespace

HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes) {
  size_t total = offsetof(GlobalBlock, data) + (bytes ? bytes : 1);
  void* memory = (flags & GMEM_ZEROINIT) ? std::calloc(1, total) : std::malloc(total);
  if (!memory) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  auto* block = static_cast<GlobalBlock*>(memory);
  block->magic = kBlockMagic;
  block->locks = 0;
  block->size = bytes;
  return block;
}

LPVOID GlobalLock(HGLOBAL memory) {
  GlobalBlock* block = BlockOf(memory);
  if (!block) return nullptr;
  ++block->locks;
  return block->data;
}

BOOL GlobalUnlock(HGLOBAL memory) {
  GlobalBlock* block = BlockOf(memory);
  if (!block || block->locks == 0) return FALSE;
  // TRUE while the block is still locked, as on Windows.
  return --block->locks > 0 ? TRUE : FALSE;
}

HGLOBAL GlobalFree(HGLOBAL memory) {
  if (!memory) return nullptr;
  GlobalBlock* block = BlockOf(memory);
  if (!block) return memory;
  block->magic = 0;
  std::free(block);
  return nullptr;
}

SIZE_T GlobalSize(HGLOBAL memory) {
  GlobalBlock* block = BlockOf(memory);
  return block ? block->size : 0;
}

BOOL IsClipboardFormatAvailable(UINT format) {
  if (format != CF_TEXT) return FALSE;
  std::lock_guard<std::mutex> guard(clipboardLock);
  if (UseSdl()) return SDL_HasClipboardText() ? TRUE : FALSE;
  return headlessHasText ? TRUE : FALSE;
}

BOOL OpenClipboard(HWND) {
  std::lock_guard<std::mutex> guard(clipboardLock);
  if (clipboardOpen) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  clipboardOpen = true;
  return TRUE;
}

BOOL CloseClipboard() {
  std::lock_guard<std::mutex> guard(clipboardLock);
  if (!RequireOpen()) return FALSE;
  clipboardOpen = false;
  return TRUE;
}

BOOL EmptyClipboard() {
  std::lock_guard<std::mutex> guard(clipboardLock);
  if (!RequireOpen()) return FALSE;
  if (UseSdl()) SDL_SetClipboardText("");
  headlessText.clear();
  headlessHasText = false;
  ReplaceHandedOut(nullptr);
  return TRUE;
}

HANDLE GetClipboardData(UINT format) {
  std::lock_guard<std::mutex> guard(clipboardLock);
  if (!RequireOpen()) return nullptr;
  if (format != CF_TEXT) return nullptr;
  std::string text;
  if (UseSdl()) {
    if (!SDL_HasClipboardText()) return nullptr;
    char* utf8 = SDL_GetClipboardText();
    text = platform::Latin1FromUtf8(utf8 ? utf8 : "");
    SDL_free(utf8);
  } else {
    if (!headlessHasText) return nullptr;
    text = headlessText;
  }
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
  if (!memory) return nullptr;
  std::memcpy(GlobalLock(memory), text.c_str(), text.size() + 1);
  GlobalUnlock(memory);
  ReplaceHandedOut(memory);
  return memory;
}

HANDLE SetClipboardData(UINT format, HANDLE data) {
  std::lock_guard<std::mutex> guard(clipboardLock);
  if (!RequireOpen()) return nullptr;
  GlobalBlock* block = BlockOf(data);
  if (format != CF_TEXT || !block) return nullptr;
  // The text ends at its zero or at the end of the block, whichever comes first.
  const char* bytes = reinterpret_cast<const char*>(block->data);
  std::string text(bytes, strnlen(bytes, block->size));
  if (UseSdl()) {
    if (SDL_SetClipboardText(platform::Utf8FromLatin1(text.c_str()).c_str()) != 0) return nullptr;
  } else {
    headlessText = text;
    headlessHasText = true;
  }
  // The clipboard now owns the block.
  ReplaceHandedOut(data);
  return data;
}
