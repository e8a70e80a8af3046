// The HTML log's exact text: head, generator banner, lists and depth, value forms, memory sizes,
// time stamps, the exception block and the result-code lines with their fatal flags.
#include "core/log.h"

#include <aru_platform.h>
#include <d3d9.h>
#include <dplay8.h>
#include <dsound.h>
#include <gtest/gtest.h>

#include <stdexcept>

#include "aru/test_support.h"

using testing_support::ReadFile;
using testing_support::TempDir;

namespace {

class LogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path = dir.File("errlog.html");
    log.SetPath(path.c_str());
  }
  // Text written since the head (the head is checked by its own test).
  std::string Body() {
    const std::string all = ReadFile(path);
    const std::string head = "</style>\n<body>\n";
    return all.substr(all.find(head) + head.size());
  }
  TempDir dir;
  std::string path;
  aruLog log;
};

TEST_F(LogTest, FreshLogBeginsWithHeadAndGeneratorBanner) {
  platform::InstallTestClock(0);
  platform::SetTestLocalTime(2004, 12, 6, 15, 15, 7);
  log.Open("Rallix Error Log", true);
  platform::RemoveTestClock();
  EXPECT_EQ(ReadFile(path),
            "<html>\n<head>\n  <title>Rallix Error Log</title>\n<style>\n"
            "  body { font-size: x-small; font-family: Verdana; }\n"
            "  .banner { font-size: 16px; font-weight: bold; }\n"
            "</style>\n<body>\n"
            "  <b>Quillmark Log Generator</b><br />\n"
            "  <ul>\n"
            "     <li>QMLG Version 1.07</li>\n"
            "     <li>Log Created at 03:15:07 PM on 12/06/2004</li>\n"
            "  </ul>\n");
  EXPECT_EQ(log.GetDepth(), 0);
}

TEST_F(LogTest, ListsIndentByDepthAndEndListAtTopDoesNothing) {
  log.Open("t", false);
  log.Line("top");
  log.BeginList("A");
  log.Line("one");
  log.BeginList("B");
  log.Line("two");
  log.EndList();
  log.EndList();
  log.EndList();
  EXPECT_EQ(log.GetDepth(), 0);
  log.Banner("Phase");
  log.Close(1);
  EXPECT_EQ(Body(),
            "top<br />\n"
            "  <b>A</b><br />\n"
            "  <ul>\n"
            "     <li>one</li>\n"
            "   <li><b>B</b></li>\n"
            "   <ul>\n"
            "      <li>two</li>\n"
            "   </ul>\n"
            "  </ul>\n"
            "<br /><br /><span class=\"banner\">Phase</span><br />\n<hr><br />\n"
            "</body>\n</html>");
}

TEST_F(LogTest, ValueFormsFollowTheLabelDirectly) {
  log.Open("t", false);
  log.Value("i: ", int32_t{-5});
  log.Value("u: ", uint32_t{4000000000u});
  log.Value("l: ", int64_t{-9000000000LL});
  log.Value("d: ", 0.75);
  log.Value("d3: ", 1.0 / 3.0);
  log.Value("b: ", true);
  log.Value("s: ", "text");
  log.Value("p: ", reinterpret_cast<const void*>(uintptr_t{0xFFFFFFFF}));
  log.Printf("%s=%d", "x", 7);
  EXPECT_EQ(Body(),
            "i: -5<br />\nu: 4000000000<br />\nl: -9000000000<br />\nd: 0.75<br />\nd3: 0.333333<br />\n"
            "b: true<br />\ns: \"text\"<br />\np: -1<br />\nx=7<br />\n");
}

TEST_F(LogTest, MemorySizesUseDecimalThresholdsAndBinaryDivisors) {
  log.Open("t", false);
  log.MemorySize("a ", 1000);
  log.MemorySize("b ", 1001);
  log.MemorySize("c ", 1000001);
  log.MemorySize("d ", 2000000000u);
  EXPECT_EQ(Body(),
            "a 1000 Bytes<br />\nb 0.977539 KiloBytes<br />\nc 0.953675 MegaBytes<br />\n"
            "d 1.86265 GigaBytes<br />\n");
}

TEST(LogTimeStamp, NoonAndMidnightKeepTheirHoursWithAM) {
  char text[64];
  SYSTEMTIME time{};
  time.wYear = 2026;
  time.wMonth = 3;
  time.wDay = 9;
  time.wHour = 12;
  time.wMinute = 30;
  aruLog::TimeStamp(time, text, sizeof text);
  EXPECT_STREQ(text, "12:30:00 AM on 03/09/2026");
  time.wHour = 0;
  aruLog::TimeStamp(time, text, sizeof text);
  EXPECT_STREQ(text, "00:30:00 AM on 03/09/2026");
  time.wHour = 23;
  time.wSecond = 5;
  aruLog::TimeStamp(time, text, sizeof text);
  EXPECT_STREQ(text, "11:30:05 PM on 03/09/2026");
}

struct DerivedRuntimeError : std::runtime_error {
  DerivedRuntimeError() : std::runtime_error("derived") {}
};

TEST_F(LogTest, ExceptionBlockNamesExactTypesOnly) {
  EXPECT_STREQ(aruLog::ExceptionExtra(std::bad_alloc()), "Ran out of Memory.");
  EXPECT_STREQ(aruLog::ExceptionExtra(std::runtime_error("x")), "Run-Time Error.");
  EXPECT_STREQ(aruLog::ExceptionExtra(std::out_of_range("x")), "Out of Range (argument).");
  EXPECT_STREQ(aruLog::ExceptionExtra(std::overflow_error("x")), "Arithmatic Overflow Error.");
  EXPECT_STREQ(aruLog::ExceptionExtra(DerivedRuntimeError()), "No extra information provided.");

  log.Open("t", false);
  log.BeginList("Phase");
  log.Exception(std::length_error("too long"));
  log.EndList();
  const std::string body = Body();
  EXPECT_NE(body.find("   <li><b>Exception Information:</b></li>\n   <ul>\n"
                      "      <li>Caught: \"too long\"</li>\n      <li>Type: \""),
            std::string::npos)
      << body;
  EXPECT_NE(body.find("      <li>Extra: Length Error: Object too long to be specified.</li>\n   </ul>\n"),
            std::string::npos)
      << body;
}

TEST_F(LogTest, ResultLinesAndTheirFatalFlags) {
  log.Open("t", false);
  EXPECT_FALSE(log.Direct3DResult(S_OK));
  EXPECT_TRUE(log.Direct3DResult(D3DERR_INVALIDCALL));
  EXPECT_FALSE(log.Direct3DResult(D3DERR_DEVICELOST));
  EXPECT_FALSE(log.Direct3DResult(D3DERR_DEVICENOTRESET));
  EXPECT_TRUE(log.Direct3DResult(0x80001234));
  EXPECT_FALSE(log.DirectSoundResult(DSERR_BUFFERLOST));
  EXPECT_TRUE(log.DirectSoundResult(DSERR_BADFORMAT));
  EXPECT_FALSE(log.DirectPlayResult(DPNSUCCESS_PENDING));
  EXPECT_FALSE(log.DirectPlayResult(DPNERR_SESSIONFULL));
  EXPECT_TRUE(log.DirectPlayResult(DPNERR_ALREADYDISCONNECTING));
  EXPECT_TRUE(log.DirectPlayResult(DPNERR_TIMEDOUT));
  EXPECT_EQ(Body(),
            "Direct3D: <font color=\"#770000\">Invalid call.</font><br />\n"
            "Direct3D: <font color=\"#770000\">Device reset failed. Trying again...</font><br />\n"
            "Direct3D: <font color=\"#770000\"></font><br />\n"
            "Direct3D: <font color=\"#770000\">An unknown or non-Direct3D related error occured.</font><br />\n"
            "DirectSound: <font color=\"#770000\">The buffer memory has been lost and must be restored. "
            "</font><br />\n"
            "DirectSound: <font color=\"#770000\">The specified wave format is not supported. </font><br />\n"
            "DirectPlay: <font color=\"#770000\">Session is full.</font><br />\n"
            "DirectPlay: <font color=\"#770000\">Already disconnecting.</font><br />\n"
            "DirectPlay: <font color=\"#770000\">Operation timed out.</font><br />\n");
}

TEST_F(LogTest, WritesWhileClosedAreIgnored) {
  log.Line("nothing");
  log.BeginList("nothing");
  EXPECT_EQ(log.GetDepth(), 0);
  EXPECT_FALSE(std::filesystem::exists(path));
}

}  // namespace
