// MessageBoxA answered through ARU_MESSAGEBOX: the named button comes back and the caption and
// text are written to standard error.
#include <gtest/gtest.h>

#include <cstdlib>

#include "windows.h"

namespace {

class ScriptedMessageBox : public ::testing::Test {
 protected:
  void TearDown() override { unsetenv("ARU_MESSAGEBOX"); }
};

TEST_F(ScriptedMessageBox, AnswersWithTheNamedButtonAndWritesCaptionAndText) {
  setenv("ARU_MESSAGEBOX", "no", 1);
  testing::internal::CaptureStderr();
  int answer = MessageBoxA(nullptr, "Would you like to modify your settings now?", "Safe Mode",
                           MB_YESNO | MB_ICONINFORMATION);
  std::string written = testing::internal::GetCapturedStderr();
  EXPECT_EQ(answer, IDNO);
  EXPECT_NE(written.find("Safe Mode"), std::string::npos);
  EXPECT_NE(written.find("Would you like to modify your settings now?"), std::string::npos);
}

TEST_F(ScriptedMessageBox, EveryButtonNameIsUnderstoodInAnyCase) {
  const std::pair<const char*, int> answers[] = {{"YES", IDYES}, {"ok", IDOK},        {"Cancel", IDCANCEL},
                                                 {"abort", IDABORT}, {"retry", IDRETRY}, {"ignore", IDIGNORE}};
  for (const auto& [name, id] : answers) {
    setenv("ARU_MESSAGEBOX", name, 1);
    testing::internal::CaptureStderr();
    EXPECT_EQ(MessageBoxA(nullptr, "text", "caption", MB_OK), id) << name;
    testing::internal::GetCapturedStderr();
  }
}

TEST_F(ScriptedMessageBox, UnknownAnswerIsAFailure) {
  setenv("ARU_MESSAGEBOX", "maybe", 1);
  testing::internal::CaptureStderr();
  EXPECT_EQ(MessageBoxA(nullptr, "text", "caption", MB_YESNO), 0);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("maybe"), std::string::npos);
}

}  // namespace
