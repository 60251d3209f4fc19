// TextEdit's styled, multi-line use: lines broken by width and at returns,
// TESetText, styles set at a caret and over a selection, the continuous
// style, the 'styl' scrap through copy and paste, line moves and auto-view.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/toolbox/TbxScrap.h"
#include "platform/toolbox/TbxTextEdit.h"

namespace {

using namespace Tbx;

class StyledTextEdit : public testing::Test {
 protected:
  void SetUp() override {
    SetPort(nullptr);
    te = TENew(&rect, &rect);
    const uint8_t name[] = "\x0f" "Liberation Sans";
    GetFNum(name, &font);
    const TextStyle style{font, 0, 13, {0, 0, 0}};
    TESetStyle(doAll, &style, false, te);
  }
  void TearDown() override { TEDispose(te); }
  TERec& R() { return *TEGetRecord(te); }
  void Set(const std::string& s) { TESetText(s.data(), int32_t(s.size()), te); }
  Rect rect{0, 0, 200, 100};
  int16_t font = 0;
  TEHandle te = 0;
};

TEST_F(StyledTextEdit, BreaksLinesAtReturnsAndAtTheWidth) {
  Set("one\rtwo");
  EXPECT_EQ(R().nLines, 2);
  EXPECT_EQ(R().selStart, 7) << "TESetText leaves the caret at the end";
  EXPECT_EQ(TEGetLineStart(1, te), 4);
  Set("alpha beta gamma delta epsilon zeta eta theta");
  ASSERT_GT(R().nLines, 1);
  const int32_t second = TEGetLineStart(1, te);
  EXPECT_EQ(std::string("alpha beta gamma delta epsilon zeta eta theta").at(size_t(second) - 1), ' ')
      << "a line breaks after a space";
  EXPECT_EQ(TEGetHeight(R().nLines - 1, 0, te), R().nLines * R().lineHeight);
  R().crOnly = -1;
  TECalText(te);
  EXPECT_EQ(R().nLines, 1);
}

TEST_F(StyledTextEdit, StylesAtACaretAndOverASelection) {
  Set("abcdef");
  TESetSelect(6, 6, te);
  const TextStyle big{font, bold, 20, {0, 0, 0}};
  TESetStyle(doFace | doSize, &big, false, te);
  TEKey('g', te);
  TESetSelect(6, 7, te);
  int16_t mode = doAll;
  TextStyle got{};
  EXPECT_TRUE(TEContinuousStyle(&mode, &got, te));
  EXPECT_EQ(got.tsSize, 20);
  EXPECT_EQ(got.tsFace, bold);
  TESetSelect(0, 7, te);
  mode = doSize | doFont;
  EXPECT_FALSE(TEContinuousStyle(&mode, &got, te));
  EXPECT_EQ(mode, doFont);
  const TextStyle toggle{0, bold, 0, {0, 0, 0}};
  TESetStyle(doFace | doToggle, &toggle, false, te);
  mode = doFace;
  TEContinuousStyle(&mode, &got, te);
  EXPECT_EQ(got.tsFace, bold) << "toggled on where only part was bold";
  EXPECT_GT(R().lineHeight, 20) << "the line is as high as its tallest run";
}

TEST_F(StyledTextEdit, CopyAndStylePasteCarryTheRuns) {
  Set("plain BIG");
  TESetSelect(6, 9, te);
  const TextStyle big{font, italic, 24, {0xFFFF, 0, 0}};
  TESetStyle(doAll, &big, false, te);
  TESetSelect(4, 9, te);
  TECopy(te);
  EXPECT_EQ(GetScrap(0, 0x7374796C, nullptr), 2 + 2 * 20) << "'styl' beside 'TEXT'";
  TESetSelect(0, 0, te);
  TEStylePaste(te);
  TESetSelect(2, 5, te);
  int16_t mode = doAll;
  TextStyle got{};
  EXPECT_TRUE(TEContinuousStyle(&mode, &got, te));
  EXPECT_EQ(got.tsSize, 24);
  EXPECT_EQ(got.tsColor.red, 0xFFFF);
  const Handle scrap = TEGetStyleScrapHandle(te);
  ASSERT_NE(scrap, 0u);
  int16_t count = 0;
  std::memcpy(&count, HLock(scrap), 2);
  HUnlock(scrap);
  EXPECT_EQ(count, 1);
  DisposeHandle(scrap);
}

TEST_F(StyledTextEdit, ArrowsMoveByLineAndAutoViewFollowsTheCaret) {
  Set("one\rtwo\rthree\rfour\rfive\rsix\rseven\reight");
  TESetSelect(5, 5, te);
  TEKey(30, te);
  EXPECT_EQ(R().selStart, 1);
  TEKey(31, te);
  TEKey(31, te);
  EXPECT_EQ(TEGetLineOf(R().selStart, te), 2);
  TEKey(28, te);
  TEKey(29, te);
  EXPECT_EQ(TEGetLineOf(R().selStart, te), 2);
  R().viewRect.bottom = int16_t(R().lineHeight * 2);
  TESetSelect(R().teLength, R().teLength, te);
  TESelView(te);
  EXPECT_EQ(R().destRect.top, 0) << "auto-view is off";
  TEAutoView(true, te);
  TESelView(te);
  EXPECT_EQ(R().destRect.top, -6 * R().lineHeight);
  const Point p = TEGetPoint(R().selStart, te);
  EXPECT_LE(p.v, R().viewRect.bottom);
}

}  // namespace
