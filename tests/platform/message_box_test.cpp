#include <gtest/gtest.h>

#include "platform/MessageBox.h"

namespace qel::platform {
namespace {

struct StyleCase {
  std::uint32_t style;
  std::vector<int> buttons;
  int answer;
};

class MessageBoxStyleTest : public ::testing::TestWithParam<StyleCase> {};

TEST_P(MessageBoxStyleTest, ButtonsAndTheDefaultAnswer) {
  EXPECT_EQ(MessageBoxButtons(GetParam().style), GetParam().buttons);
  EXPECT_EQ(DefaultButtonOf(GetParam().style), GetParam().answer);
}

INSTANTIATE_TEST_SUITE_P(
    Styles, MessageBoxStyleTest,
    ::testing::Values(StyleCase{0x00, {kIdOk}, kIdOk},
                      StyleCase{0x01, {kIdOk, kIdCancel}, kIdOk},
                      StyleCase{0x101, {kIdOk, kIdCancel}, kIdCancel},
                      StyleCase{0x02, {kIdAbort, kIdRetry, kIdIgnore}, kIdAbort},
                      StyleCase{0x202, {kIdAbort, kIdRetry, kIdIgnore}, kIdIgnore},
                      StyleCase{0x223, {kIdYes, kIdNo, kIdCancel}, kIdCancel},
                      StyleCase{0x34, {kIdYes, kIdNo}, kIdYes},            // warning, Yes and No
                      StyleCase{0x124, {kIdYes, kIdNo}, kIdNo},            // question, No by default
                      StyleCase{0x205, {kIdRetry, kIdCancel}, kIdRetry},   // third default missing: first
                      StyleCase{0x10, {kIdOk}, kIdOk},                     // error box
                      StyleCase{0x09, {}, 0}));                            // no such button set

TEST(MessageBoxTest, WithoutAPresenterTheBoxGoesToStandardErrorAndTakesTheDefault) {
  ::testing::internal::CaptureStderr();
  const int answer = ShowMessageBox("Setup.xml could not be loaded.", "Setup", kMbYesNo | kMbIconWarning | kMbDefaultButton2);
  const std::string written = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(answer, kIdNo);
  EXPECT_EQ(written, "[Setup] (warning)\nSetup.xml could not be loaded.\n[Yes] <No> -> No\n");
}

TEST(MessageBoxTest, APresenterTakesOverUntilRemoved) {
  std::string seenText;
  std::uint32_t seenStyle = 0;
  SetMessageBoxPresenter([&](const std::string& text, const std::string&, std::uint32_t style) {
    seenText = text;
    seenStyle = style;
    return kIdRetry;
  });
  EXPECT_EQ(ShowMessageBox("Disk full", "Setup", kMbRetryCancel | kMbIconError), kIdRetry);
  EXPECT_EQ(seenText, "Disk full");
  EXPECT_EQ(seenStyle, kMbRetryCancel | kMbIconError);
  SetMessageBoxPresenter({});
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(ShowMessageBox("Disk full", "Setup", kMbRetryCancel | 0x100), kIdCancel);
  EXPECT_NE(::testing::internal::GetCapturedStderr().find("[Retry] <Cancel>"), std::string::npos);
}

}  // namespace
}  // namespace qel::platform
