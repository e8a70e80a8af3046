// The message queue and pump: PostMessageA/PeekMessageA/GetMessageA over one fixed-size queue
// (no allocation per message), TranslateMessage turning key-downs into characters,
// DispatchMessageA/SendMessageA calling window procedures, WM_QUIT, and SIGINT/SIGTERM turned
// into WM_DESTROY for the game's window.
#include <signal.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

#include "aru_platform.h"
#include "win32/window_state.h"

namespace {

constexpr size_t kQueueCapacity = 4096;

// queueLock guards the queue, the quit request and lastRemoved: PostMessageA may come from
// any thread.
std::mutex queueLock;
std::vector<platform::QueuedMessage> queue;
platform::QueuedMessage lastRemoved;
bool quitPosted = false;
int quitCode = 0;

// Set by the signal handler; PeekMessageA turns it into WM_DESTROY.
std::atomic<bool> terminationRequested{false};
std::atomic<HWND> terminationWindow{nullptr};
static_assert(std::atomic<bool>::is_always_lock_free, "signal handler needs a lock-free flag");

void OnTerminationSignal(int) { terminationRequested.store(true); }

void TakeTerminationRequest() {
  if (terminationRequested.exchange(false)) {
    platform::QueueMessage(terminationWindow.load(), WM_DESTROY, 0, 0);
  }
}

bool Matches(const MSG& msg, HWND window, UINT filterMin, UINT filterMax) {
  if (window && msg.hwnd != window) return false;
  if (filterMin == 0 && filterMax == 0) return true;
  return msg.message >= filterMin && msg.message <= filterMax;
}

MSG MakeMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  MSG msg{};
  msg.hwnd = window;
  msg.message = message;
  msg.wParam = wParam;
  msg.lParam = lParam;
  msg.time = GetTickCount();
  GetCursorPos(&msg.pt);
  return msg;
}

bool SameMessage(const MSG& a, const MSG& b) {
  return a.hwnd == b.hwnd && a.message == b.message && a.wParam == b.wParam &&
         a.lParam == b.lParam && a.time == b.time;
}

// Character messages go to the head of the queue so they follow their key message directly.
void PostCharactersFirst(HWND window, UINT message, const std::string& text, LPARAM lParam) {
  std::lock_guard<std::mutex> guard(queueLock);
  for (size_t i = 0; i < text.size() && queue.size() < kQueueCapacity; ++i) {
    platform::QueuedMessage entry;
    entry.msg = MakeMessage(window, message, WPARAM(static_cast<unsigned char>(text[i])), lParam);
    queue.insert(queue.begin() + i, entry);
  }
}

}  // namespace

namespace platform {

bool QueueMessage(const QueuedMessage& entry) {
  std::lock_guard<std::mutex> guard(queueLock);
  if (queue.capacity() < kQueueCapacity) queue.reserve(kQueueCapacity);
  if (queue.size() >= kQueueCapacity) return false;
  queue.push_back(entry);
  return true;
}

bool QueueMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  QueuedMessage entry;
  entry.msg = MakeMessage(window, message, wParam, lParam);
  return QueueMessage(entry);
}

void AttachTextToLastKeyDown(const std::string& latin1) {
  if (latin1.empty()) return;
  {
    std::lock_guard<std::mutex> guard(queueLock);
    for (auto entry = queue.rbegin(); entry != queue.rend(); ++entry) {
      if (!entry->awaitingText) continue;
      size_t used = std::strlen(entry->text);
      for (char c : latin1) {
        if (used + 1 < sizeof entry->text) entry->text[used++] = c;
      }
      entry->text[used] = '\0';
      entry->awaitingText = false;
      return;
    }
  }
  // The key message was handled before its text arrived: the characters follow on their own.
  PostCharactersFirst(FocusWindow(), WM_CHAR, latin1, 1);
}

void DropMessagesFor(HWND window) {
  std::lock_guard<std::mutex> guard(queueLock);
  std::erase_if(queue, [window](const QueuedMessage& entry) { return entry.msg.hwnd == window; });
}

void InstallTerminationHandler(HWND window) {
  terminationWindow.store(window);
  struct sigaction action{};
  action.sa_handler = OnTerminationSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

}  // namespace platform

BOOL PeekMessageA(LPMSG msg, HWND window, UINT filterMin, UINT filterMax, UINT removeFlags) {
  if (!msg) return FALSE;
  TakeTerminationRequest();
  if (platform::SdlVideoActive()) platform::PumpSdlEvents();
  std::lock_guard<std::mutex> guard(queueLock);
  for (auto entry = queue.begin(); entry != queue.end(); ++entry) {
    if (!Matches(entry->msg, window, filterMin, filterMax)) continue;
    *msg = entry->msg;
    if (removeFlags & PM_REMOVE) {
      lastRemoved = *entry;
      queue.erase(entry);
    }
    return TRUE;
  }
  // WM_QUIT comes once everything else has been retrieved.
  if (quitPosted && (filterMin == 0 && filterMax == 0 ? true : WM_QUIT >= filterMin && WM_QUIT <= filterMax)) {
    *msg = MakeMessage(nullptr, WM_QUIT, WPARAM(quitCode), 0);
    if (removeFlags & PM_REMOVE) quitPosted = false;
    return TRUE;
  }
  return FALSE;
}

BOOL GetMessageA(LPMSG msg, HWND window, UINT filterMin, UINT filterMax) {
  if (!msg) return -1;
  while (!PeekMessageA(msg, window, filterMin, filterMax, PM_REMOVE)) {
    if (platform::SdlVideoActive()) SDL_WaitEventTimeout(nullptr, 10);
    else std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return msg->message == WM_QUIT ? FALSE : TRUE;
}

BOOL TranslateMessage(const MSG* msg) {
  if (!msg || (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN)) return FALSE;
  std::string text;
  bool system = msg->message == WM_SYSKEYDOWN;
  bool known = false;
  {
    std::lock_guard<std::mutex> guard(queueLock);
    if (SameMessage(*msg, lastRemoved.msg) && lastRemoved.textKnown) {
      known = true;
      text = lastRemoved.text;
      system = system || lastRemoved.systemChars;
    }
  }
  // A key message posted by code (or built by the caller) types what the key would type.
  if (!known) {
    text = platform::CharactersOfKey(int(msg->wParam), platform::IsKeyDown(VK_SHIFT),
                                     platform::IsKeyDown(VK_CONTROL));
  }
  PostCharactersFirst(msg->hwnd, system ? WM_SYSCHAR : WM_CHAR, text, msg->lParam);
  return TRUE;
}

LRESULT DispatchMessageA(const MSG* msg) {
  if (!msg) return 0;
  return SendMessageA(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  platform::WindowRecord* record = platform::FindWindowRecord(window);
  if (!record || record->foreign || !record->procedure) return 0;
  return record->procedure(window, message, wParam, lParam);
}

LRESULT DefWindowProcA(HWND window, UINT message, WPARAM, LPARAM) {
  // The close box destroys the window unless the procedure handles WM_CLOSE itself.
  if (message == WM_CLOSE) DestroyWindow(window);
  return 0;
}

BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  platform::WindowRecord* record = window ? platform::FindWindowRecord(window) : nullptr;
  if (window && (!record || record->foreign)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  if (!platform::QueueMessage(window, message, wParam, lParam)) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return FALSE;
  }
  return TRUE;
}

void PostQuitMessage(int exitCode) {
  std::lock_guard<std::mutex> guard(queueLock);
  quitPosted = true;
  quitCode = exitCode;
}
