// The console's text side: scroll-back, command binding and argument conversion, the keys of
// the entry line, pasting, the closed-panel overlay timing and the statistics.
#include <gtest/gtest.h>

#include <aru_platform.h>

#include <cstring>
#include <string>
#include <vector>

#include "services/console.h"

namespace {

constexpr uint32_t kGrave = 96;

std::vector<std::string> calls;
void NoArguments() { calls.push_back("none"); }
void OneInt(int32_t a) { calls.push_back("int " + std::to_string(a)); }
void TwoInts(int32_t a, int32_t b) { calls.push_back("ints " + std::to_string(a) + " " + std::to_string(b)); }
void ThreeInts(int32_t a, int32_t b, int32_t c) {
  calls.push_back("ints " + std::to_string(a) + " " + std::to_string(b) + " " + std::to_string(c));
}
void OneFloat(float a) { calls.push_back("float " + std::to_string(a)); }
void ThreeFloats(float a, float b, float c) {
  calls.push_back("floats " + std::to_string(a) + " " + std::to_string(b) + " " + std::to_string(c));
}
void Text(std::string text) { calls.push_back("text [" + text + "]"); }
void Second() { calls.push_back("second"); }

class Console : public ::testing::Test {
 protected:
  void SetUp() override {
    calls.clear();
    platform::InstallTestClock(5'000'000'000);
  }
  void TearDown() override { platform::RemoveTestClock(); }

  void Type(const std::string& text) {
    for (unsigned char c : text) console.HandleKey(c, true);
  }
  void Enter(const std::string& text) {
    Type(text);
    console.HandleKey(VK_RETURN, false);
  }
  std::string LastLine() const { return console.GetLines().empty() ? "" : console.GetLines().back().text; }
  void Open() {
    if (!console.IsOpen()) console.HandleKey(kGrave, true);
  }

  aruConsole console;
};

TEST_F(Console, ScrollbackKeepsTheNewest200Lines) {
  for (int i = 1; i <= 201; ++i) console.Printf(0xFFFFFFB8, "line %d", i);
  ASSERT_EQ(console.GetLines().size(), 200u);
  EXPECT_STREQ(console.GetLines().front().text, "line 2");
  EXPECT_STREQ(console.GetLines().back().text, "line 201");
}

TEST_F(Console, EmptyTextsAddNothingAndLongTextsAreCut) {
  console.Print("", 0xFFFFFFFF);
  console.Print(nullptr, 0xFFFFFFFF);
  console.PrintFor("", 0xFFFFFFFF, 5000);
  EXPECT_TRUE(console.GetLines().empty());
  console.Print(std::string(1000, 'x').c_str(), 0xFF00FF00);
  ASSERT_EQ(console.GetLines().size(), 1u);
  EXPECT_EQ(std::strlen(console.GetLines().back().text), 255u);
  EXPECT_EQ(console.GetLines().back().colour, 0xFF00FF00u);
}

TEST_F(Console, ActivatorKeyTogglesForCharactersAndKeys) {
  EXPECT_FALSE(console.IsOpen());
  EXPECT_TRUE(console.HandleKey(kGrave, true));
  EXPECT_TRUE(console.IsOpen());
  EXPECT_TRUE(console.HandleKey(kGrave, false));  // keypad 0 shares the code
  EXPECT_FALSE(console.IsOpen());
  EXPECT_FALSE(console.HandleKey('a', true));
  EXPECT_FALSE(console.HandleKey(VK_RETURN, false));
  EXPECT_TRUE(console.GetInput().empty());
}

TEST_F(Console, EscapeClosesAndPassesTheKeyOn) {
  Open();
  EXPECT_TRUE(console.HandleKey('a', true));
  EXPECT_FALSE(console.HandleKey(VK_ESCAPE, false));
  EXPECT_FALSE(console.IsOpen());
}

TEST_F(Console, SignatureZeroRunsOnlyWithoutArguments) {
  console.Bind("quit", 0, NoArguments, false);
  Open();
  Enter("quit");
  EXPECT_EQ(calls, std::vector<std::string>{"none"});
  Enter("quit now");
  EXPECT_EQ(calls.size(), 1u);
  EXPECT_EQ(LastLine(), "No such command quit(now). Check parameters and try again.");
  EXPECT_EQ(console.GetLines().back().colour, 0xFFFFFFFFu);
  EXPECT_TRUE(console.GetInput().empty());
  EXPECT_EQ(console.GetCaret(), 0);
}

TEST_F(Console, IntegersAreTruncatedTowardZeroAndWordsGiveZero) {
  console.Bind("n", 1, OneInt, false);
  console.Execute("n 2.9");
  console.Execute("n -2.9");
  console.Execute("n hello");
  console.Execute("n 1e30");
  EXPECT_EQ(calls, (std::vector<std::string>{"int 2", "int -2", "int 0", "int 2147483647"}));
}

TEST_F(Console, ArgumentCountFollowsSpacesSoDoubleSpacesCountAnEmptyArgument) {
  console.Bind("pair", 2, TwoInts, false);
  console.Bind("triple", 3, ThreeInts, false);
  console.Execute("pair 4  ");    // three arguments: "4", "", ""
  console.Execute("triple 4  ");  // the same three fit
  console.Execute("pair 7 8");
  EXPECT_EQ(calls, (std::vector<std::string>{"ints 4 0 0", "ints 7 8"}));
  EXPECT_EQ(LastLine(), "No such command pair(4  ). Check parameters and try again.");
}

TEST_F(Console, FloatsAreRoundedToSinglePrecision) {
  console.Bind("f", 4, OneFloat, false);
  console.Bind("v", 6, ThreeFloats, false);
  console.Execute("f 0.1");
  console.Execute("v 1.5 -2 x");
  EXPECT_EQ(calls, (std::vector<std::string>{"float " + std::to_string(0.1f), "floats 1.500000 -2.000000 0.000000"}));
}

TEST_F(Console, StringCommandNeedsArgumentsAndGetsThemWhole) {
  console.Bind("say", 7, Text, false);
  console.Execute("say");
  EXPECT_TRUE(calls.empty());
  EXPECT_EQ(LastLine(), "No such command say(). Check parameters and try again.");
  console.Execute("say  hello  there ");
  EXPECT_EQ(calls, std::vector<std::string>{"text [ hello  there ]"});
}

TEST_F(Console, EveryFittingRecordOfANameRunsInBindingOrder) {
  console.Bind("go", 0, NoArguments, false);
  console.Bind("go", 1, OneInt, false);
  console.Bind("go", 0, Second, false);
  console.Bind("Go", 0, Second, false);
  console.Execute("go");
  EXPECT_EQ(calls, (std::vector<std::string>{"none", "second"}));
  calls.clear();
  console.Execute("go 3");
  EXPECT_EQ(calls, std::vector<std::string>{"int 3"});
}

TEST_F(Console, MismatchedOrUnknownSignaturesNeverRun) {
  console.Bind("bad", 1, NoArguments, false);  // an untyped function is trusted
  console.Bind("typed", 4, OneInt, false);     // a typed function must fit its signature
  console.Bind("eight", 8, NoArguments, false);
  console.Execute("typed 1");
  console.Execute("eight");
  EXPECT_TRUE(calls.empty());
  EXPECT_EQ(LastLine(), "No such command eight(). Check parameters and try again.");
}

TEST_F(Console, BuiltInsComeFirst) {
  console.Bind("up", 0, NoArguments, false);
  console.Execute("up");
  EXPECT_TRUE(console.IsOpen());
  console.Execute("down");
  EXPECT_FALSE(console.IsOpen());
  EXPECT_TRUE(calls.empty());
}

TEST_F(Console, ReportListsEveryBinding) {
  console.Bind("fov", 4, OneFloat, true);
  EXPECT_EQ(LastLine().rfind("Bound function fov(float) at 0x", 0), 0u);
  EXPECT_EQ(console.GetLines().back().colour, 0xFF8888FFu);
  console.Bind("fov", 0, NoArguments, false);
  console.Bind("odd", 9, NoArguments, false);
  const size_t before = console.GetLines().size();
  console.Execute("report");
  const auto& lines = console.GetLines();
  ASSERT_EQ(lines.size(), before + 6);
  EXPECT_STREQ(lines[before].text, "Quillmark ARU Console Statistics");
  EXPECT_EQ(std::string(lines[before + 1].text), "Console size: " + std::to_string(sizeof(aruConsole)) + " bytes");
  EXPECT_STREQ(lines[before + 2].text, "Number of bound functions: 3");
  EXPECT_EQ(std::string(lines[before + 3].text).rfind("Function: fov(float) is at 0x", 0), 0u);
  EXPECT_EQ(std::string(lines[before + 4].text).rfind("Function: fov() is at 0x", 0), 0u);
  EXPECT_STREQ(lines[before + 5].text, "Function: odd() is at 0x0.");
  for (size_t i = before; i < lines.size(); ++i) EXPECT_EQ(lines[i].colour, 0xFFFFFFB8u);
}

TEST_F(Console, InputHoldsSixtyCharactersAndPasteIsCut) {
  Open();
  Type(std::string(61, 'a'));
  EXPECT_EQ(console.GetInput(), std::string(60, 'a'));
  console.HandleKey(VK_HOME, false);
  console.HandleKey(VK_DELETE, false);
  console.Paste("0123456789");
  EXPECT_EQ(console.GetInput(), "0123456789" + std::string(50, 'a'));
  EXPECT_EQ(console.GetCaret(), 0);
  console.HandleKey(31, true);  // control characters are ignored
  EXPECT_EQ(console.GetInput().size(), 60u);
}

TEST_F(Console, PasteInsertsAtTheCaretWithoutMovingIt) {
  Open();
  Type("ad");
  console.HandleKey(VK_LEFT, false);
  console.Paste("bc");
  EXPECT_EQ(console.GetInput(), "abcd");
  EXPECT_EQ(console.GetCaret(), 1);
  console.Paste(std::string(500, 'z').c_str());
  EXPECT_EQ(console.GetInput().size(), 60u);
}

TEST_F(Console, CaretKeysEditTheEntryLine) {
  Open();
  Type("hello");
  console.HandleKey(VK_DELETE, false);  // at the end: nothing
  EXPECT_EQ(console.GetInput(), "hello");
  console.HandleKey(VK_HOME, false);
  EXPECT_EQ(console.GetCaret(), 0);
  console.HandleKey(VK_BACK, false);  // at the start: nothing
  console.HandleKey(VK_LEFT, false);
  EXPECT_EQ(console.GetCaret(), 0);
  console.HandleKey(VK_DELETE, false);
  EXPECT_EQ(console.GetInput(), "ello");
  console.HandleKey(VK_RIGHT, false);
  console.HandleKey(VK_BACK, false);
  EXPECT_EQ(console.GetInput(), "llo");
  console.HandleKey(VK_END, false);
  EXPECT_EQ(console.GetCaret(), 3);
  console.HandleKey(VK_RIGHT, false);
  EXPECT_EQ(console.GetCaret(), 3);
  Type("!");
  EXPECT_EQ(console.GetInput(), "llo!");
}

TEST_F(Console, PageAndArrowKeysScrollWithinTheScrollback) {
  Open();
  const int32_t visible = aruConsole::VisibleLineCount();
  EXPECT_EQ(visible, 12);
  for (int i = 0; i < 20; ++i) console.Printf(0xFFFFFFB8, "%d", i);
  console.HandleKey(VK_PRIOR, false);
  EXPECT_EQ(console.GetScroll(), 8);
  EXPECT_EQ(console.FirstShownLine(), 0);
  console.HandleKey(VK_UP, false);
  EXPECT_EQ(console.GetScroll(), 8);
  console.HandleKey(VK_DOWN, false);
  EXPECT_EQ(console.GetScroll(), 7);
  console.HandleKey(VK_NEXT, false);
  EXPECT_EQ(console.GetScroll(), 0);
  console.HandleKey(VK_DOWN, false);
  EXPECT_EQ(console.GetScroll(), 0);
  console.HandleKey(VK_UP, false);
  EXPECT_EQ(console.GetScroll(), 1);
}

TEST_F(Console, ClosedOverlayShowsLinesYoungerThanThreeSeconds) {
  console.Print("old", 0xFFFFFFFF);
  platform::AdvanceTestClock(200'000);
  console.Print("young", 0xFFFFFFFF);
  console.PrintFor("chat", 0xFFFFFFFF, 5000);
  platform::AdvanceTestClock(2'900'000);
  const uint32_t now = GetTickCount();
  const auto& lines = console.GetLines();
  EXPECT_FALSE(aruConsole::IsRecent(lines[0], now));  // printed 3.1 s ago
  EXPECT_TRUE(aruConsole::IsRecent(lines[1], now));   // printed 2.9 s ago
  EXPECT_TRUE(aruConsole::IsRecent(lines[2], now + 5000));
  EXPECT_TRUE(aruConsole::IsRecent(lines[2], now + 5000 + 99));
  EXPECT_FALSE(aruConsole::IsRecent(lines[2], now + 5000 + 101));  // about 8 s after printing
}

aruConsole* reentered = nullptr;
void PressEnterAgain() {
  reentered->HandleKey('x', true);
  reentered->HandleKey(VK_RETURN, false);
}

TEST_F(Console, ALineTypedWhileACommandRunsWaits) {
  reentered = &console;
  console.Bind("again", 0, PressEnterAgain, false);
  Open();
  Enter("again");
  EXPECT_EQ(LastLine(), "Please wait...");
  EXPECT_EQ(console.GetLines().back().colour, 0xFFFFFFCEu);
}

TEST_F(Console, AnyTypedLineIsAnsweredWithoutHarm) {
  console.Bind("n", 3, ThreeInts, false);
  console.Bind("s", 7, Text, false);
  Open();
  uint32_t seed = 12345;
  for (int line = 0; line < 300; ++line) {
    const int length = static_cast<int>(seed % 70);
    for (int i = 0; i < length; ++i) {
      seed = seed * 1103515245u + 12345u;
      const uint32_t pick = (seed >> 16) % 8;
      const uint32_t code = pick == 0 ? ' ' : pick == 1 ? 'n' : pick == 2 ? '9' : (seed >> 8) % 256;
      if (code != kGrave) console.HandleKey(code, true);
    }
    console.HandleKey(VK_RETURN, false);
    EXPECT_TRUE(console.GetInput().empty());
  }
  console.Execute("");
  console.Execute("     ");
  console.Execute(std::string(5000, ' ') + "x");
  EXPECT_LE(console.GetLines().size(), 200u);
}

}  // namespace
