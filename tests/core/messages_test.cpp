// Message functors with and without a receiver; boxes captured, not shown.
#include "test_engine.h"
#include "win32/messagebox.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Box {
  std::string caption;
  std::string text;
};

// Catches every message box while it lives.
class BoxCatcher {
 public:
  BoxCatcher() {
    previous = Win32_SetMessageBoxHook([this](HWND, const char* text, const char* caption, UINT) {
      boxes.push_back({caption, text});
      return IDOK;
    });
  }
  ~BoxCatcher() { Win32_SetMessageBoxHook(previous); }
  std::vector<Box> boxes;

 private:
  Win32_MessageBoxHook previous;
};

TEST(MessageFunctors, DropEverythingWithoutReceiver) {
  ASSERT_EQ(debugOutPut, nullptr);
  BoxCatcher catcher;
  ShowErrorMessage error;
  error("text");
  error("text", "more");
  error("text", 5);
  error(1.5f);
  error(kWildcardGuid);
  EXPECT_TRUE(catcher.boxes.empty());
}

TEST(MessageFunctors, ShowMessageWithoutReceiverOpensACaptionedBox) {
  BoxCatcher catcher;
  ShowDebugMessage debug;
  ShowErrorMessage error;
  ShowInfoMessage info;
  ShowMessageBox box;
  debug.ShowMessage("d");
  error.ShowMessage("e");
  info.ShowMessage("i");
  box.ShowMessage("m");
  ASSERT_EQ(catcher.boxes.size(), 4u);
  EXPECT_EQ(catcher.boxes[0].caption, "Debug");
  EXPECT_EQ(catcher.boxes[1].caption, "Error");
  EXPECT_EQ(catcher.boxes[2].caption, "Info");
  EXPECT_EQ(catcher.boxes[3].caption, "Message");
  EXPECT_EQ(catcher.boxes[3].text, "m");
}

TEST(MessageFunctors, EachFunctorSendsItsType) {
  MessageLog log;
  BoxCatcher catcher;
  ShowDebugMessage debug;
  ShowErrorMessage error;
  ShowInfoMessage info;
  ShowMessageBox box;
  debug("a");
  error("b");
  info("c");
  box("d");
  ASSERT_EQ(log.messages.size(), 4u);
  for (int type = 0; type < 4; ++type) EXPECT_EQ(log.messages[static_cast<size_t>(type)].first, type);
  EXPECT_TRUE(catcher.boxes.empty());
}

TEST(MessageFunctors, FormatTextsAndValues) {
  MessageLog log;
  ShowErrorMessage error;
  error("Couldn't create channel group file: ", "/tmp/x.grp");
  error("count", 5);
  error("scale", 1.5f);
  error(1.0f);
  error(GuidLiteral("11111111-1111-1111-1111-111111111111"));
  error(GuidLiteral("0a1b2c3d-4e5f-6071-8293-a4b5c6d7e8f9"));
  error(nullptr, "ignored");
  EXPECT_EQ(log.Texts(), (std::vector<std::string>{
                             "Couldn't create channel group file:  /tmp/x.grp",
                             "count 5",
                             "scale 1.5",
                             "1.",
                             "11111111-1111-1111-1111-111111111111",
                             "0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9",
                         }));
}

TEST(MessageFunctors, LongTextLeavesRoomForTheValue) {
  MessageLog log;
  ShowInfoMessage info;
  std::string text(600, 'x');
  info(text.c_str(), 12345);
  ASSERT_EQ(log.messages.size(), 1u);
  const std::string& sent = log.messages[0].second;
  EXPECT_LE(sent.size(), 499u);
  EXPECT_EQ(sent.substr(sent.size() - 6), " 12345");
}

TEST(MessageFunctors, ShowDebugWritesIntoADebugSlot) {
  TestEngine engine;
  ShowDebug show(&engine);
  show("count", 5, 3);
  EXPECT_STREQ(engine.ext->GetDebug(3), "count5");
  show(std::string(400, 'y').c_str(), 1, 3);  // too long: slot unchanged
  EXPECT_STREQ(engine.ext->GetDebug(3), "count5");
  EXPECT_EQ(engine.ext->GetDebug(10), nullptr);
}

}  // namespace
