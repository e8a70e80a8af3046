// libFuzzer harness for the console's command line: the input is split into lines, each run
// as an entered line against a table with a command of every signature (so every argument
// conversion runs), and the same bytes are then typed as keys, with a few byte values standing
// for the editing keys, so the entry line's caret and scroll rules run too.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <aru_platform.h>

#include "services/console.h"

namespace {

constexpr uint32_t kActivator = 96;  // the grave accent opens and closes the panel

// Arguments are folded into a sum the optimiser cannot drop; unsigned, so any value is fine.
volatile uint32_t sink = 0;
void Add(uint32_t value) { sink = sink + value; }
void None() { Add(1); }
void OneInt(int32_t a) { Add(static_cast<uint32_t>(a)); }
void TwoInts(int32_t a, int32_t b) { Add(static_cast<uint32_t>(a) ^ static_cast<uint32_t>(b)); }
void ThreeInts(int32_t a, int32_t b, int32_t c) { Add(static_cast<uint32_t>(a) ^ static_cast<uint32_t>(b) ^ static_cast<uint32_t>(c)); }
void OneFloat(float a) { Add(a != a); }
void TwoFloats(float a, float b) { Add(a < b); }
void ThreeFloats(float a, float b, float c) { Add(a < b && b < c); }
void Text(std::string text) {
  if (text.empty()) {
    std::fprintf(stderr, "fuzz_console: a text command ran without its text\n");
    std::abort();
  }
  Add(static_cast<uint32_t>(text.size()));
}

void BindEverySignature(aruConsole& console) {
  console.Bind("a", 0, None, false);
  console.Bind("a", 1, OneInt, false);
  console.Bind("a", 2, TwoInts, false);
  console.Bind("a", 3, ThreeInts, false);
  console.Bind("b", 4, OneFloat, false);
  console.Bind("b", 5, TwoFloats, false);
  console.Bind("b", 6, ThreeFloats, false);
  console.Bind("b", 7, Text, false);
  console.Bind("c", 9, None, false);  // a signature that never runs
}

// Bytes 1..12 stand for the entry line's editing and scrolling keys.
uint32_t KeyFor(uint8_t byte) {
  static const uint32_t keys[] = {VK_BACK, VK_RETURN, VK_ESCAPE, VK_PRIOR, VK_NEXT, VK_END,
                                  VK_HOME, VK_LEFT,   VK_UP,     VK_RIGHT, VK_DOWN, VK_DELETE};
  return keys[byte - 1];
}

void Type(aruConsole& console, const uint8_t* data, size_t size) {
  console.HandleKey(kActivator, true);
  for (size_t i = 0; i < size; ++i) {
    if (data[i] >= 1 && data[i] <= 12) {
      console.HandleKey(KeyFor(data[i]), false);
    } else if (data[i] == 0) {
      console.Paste("b 1.5 -2e9 nan");
    } else if (data[i] != kActivator) {
      console.HandleKey(data[i], true);
    }
    if (console.GetCaret() < 0 || console.GetCaret() > static_cast<int32_t>(console.GetInput().size()) ||
        console.GetScroll() < 0 || console.GetScroll() > console.GetMaxScroll()) {
      std::fprintf(stderr, "fuzz_console: caret or scroll out of range\n");
      std::abort();
    }
  }
  console.HandleKey(VK_RETURN, false);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool clock = [] {
    platform::InstallTestClock(5'000'000'000);
    return true;
  }();
  (void)clock;
  aruConsole console;
  BindEverySignature(console);
  const std::string text(reinterpret_cast<const char*>(data), size);
  for (size_t begin = 0; begin <= text.size();) {
    const size_t end = std::min(text.find('\n', begin), text.size());
    console.Execute(text.substr(begin, end - begin));
    begin = end + 1;
  }
  Type(console, data, size);
  return 0;
}
