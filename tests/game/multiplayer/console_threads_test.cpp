// The console's line list shared by a printing thread (the network handlers) and the drawing
// main thread: every copy the drawing takes is whole and in order. Runs under ThreadSanitizer.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

#include "services/console.h"

namespace {

class DrawingConsole : public aruConsole {
 public:
  // Sizes the drawing copy as Initialize does (no engine: it fails after that).
  void Prepare() { Initialize(nullptr, 0xFF000000, 200, 96, 0.75f); }
  const std::vector<Line>& CopyForDrawing(bool recentOnly) {
    CopyShownLines(recentOnly);
    return shownLines;
  }
};

// "line N" texts must come out whole and with rising numbers.
void ExpectOrdered(const std::vector<aruConsole::Line>& lines) {
  int previous = -1;
  for (const aruConsole::Line& line : lines) {
    int number = -1;
    ASSERT_EQ(std::sscanf(line.text, "line %d", &number), 1) << line.text;
    ASSERT_GT(number, previous);
    ASSERT_EQ(line.colour, 0xFF00FF00u);
    previous = number;
  }
}

TEST(ConsoleThreads, PrintingFromAnotherThreadWhileTheConsoleDraws) {
  DrawingConsole console;
  console.Prepare();
  constexpr int total = 20000;
  std::atomic<bool> done{false};
  std::thread printer([&] {
    for (int i = 0; i < total; ++i) console.Printf(0xFF00FF00, "line %d", i);
    done = true;
  });
  int copies = 0;
  while (!done || copies < 10) {
    ExpectOrdered(console.CopyForDrawing(false));
    ExpectOrdered(console.CopyForDrawing(true));
    ExpectOrdered(console.CopyLines());
    ++copies;
  }
  printer.join();
  const std::vector<aruConsole::Line> last = console.CopyLines();
  ASSERT_EQ(last.size(), 200u);
  EXPECT_STREQ(last.back().text, "line 19999");
  EXPECT_LE(console.CopyForDrawing(false).size(), static_cast<size_t>(aruConsole::VisibleLineCount()));
}

}  // namespace
