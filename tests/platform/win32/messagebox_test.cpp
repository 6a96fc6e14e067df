#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "win32/win32.h"

namespace {

struct Captured {
  std::string text;
  std::string caption;
  UINT type;
};

TEST(MessageBox, HookReceivesTheBoxAndAnswersIt) {
  std::vector<Captured> boxes;
  Win32_SetMessageBoxHook([&](HWND, const char* text, const char* caption, UINT type) {
    boxes.push_back({text, caption, type});
    return IDCANCEL;
  });
  EXPECT_EQ(MessageBoxA(nullptr, "EngineControl::InitEngine: Out of memory", "Kelvane Error", MB_OK), IDCANCEL);
  EXPECT_EQ(MessageBoxA(nullptr, nullptr, nullptr, MB_OK | MB_ICONERROR), IDCANCEL);
  Win32_SetMessageBoxHook(nullptr);

  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].text, "EngineControl::InitEngine: Out of memory");
  EXPECT_EQ(boxes[0].caption, "Kelvane Error");
  EXPECT_EQ(boxes[0].type, MB_OK);
  EXPECT_EQ(boxes[1].text, "");
  EXPECT_EQ(boxes[1].caption, "Error") << "the default caption";
  EXPECT_EQ(boxes[1].type, MB_OK | MB_ICONERROR);
}

TEST(MessageBox, WithoutHookPrintsAndAnswersWithTheDefaultButton) {
  testing::internal::CaptureStderr();
  int result = MessageBoxA(nullptr, "It seems that Kelvane is not correctly installed",
                           "Kelvane Viewers registry key not found", MB_OK | MB_ICONERROR);
  std::string printed = testing::internal::GetCapturedStderr();
  EXPECT_EQ(result, IDOK);
  EXPECT_EQ(printed, "Kelvane Viewers registry key not found: It seems that Kelvane is not correctly installed\n");

  testing::internal::CaptureStderr();
  EXPECT_EQ(MessageBoxA(nullptr, "q", "c", MB_OKCANCEL), IDOK);
  EXPECT_EQ(MessageBoxA(nullptr, "q", "c", MB_YESNO), IDYES);
  EXPECT_EQ(MessageBoxA(nullptr, "q", "c", MB_YESNO | MB_DEFBUTTON2), IDNO);
  EXPECT_EQ(MessageBoxA(nullptr, "q", "c", MB_YESNOCANCEL | MB_DEFBUTTON3), IDCANCEL);
  testing::internal::GetCapturedStderr();
}

}  // namespace
