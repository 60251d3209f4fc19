// TextEdit stand-in: the text and selection of one line, the 32,767
// character bound, clicks by measured widths, the scrap, drawing into an
// offscreen world and the caret's blink on the tick clock.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/gdi/WinGdi.h"
#include "platform/toolbox/TbxScrap.h"
#include "platform/toolbox/TbxTextEdit.h"
#include "platform/toolbox/TbxWindows.h"
#include "platform/win32/WinInput.h"

namespace {

using namespace Tbx;

std::string RecordTextOf(TEHandle te) {
  TERec* r = TEGetRecord(te);
  if (r == nullptr || r->teLength == 0) return {};
  std::string s(static_cast<const char*>(HLock(r->hText)), static_cast<size_t>(r->teLength));
  HUnlock(r->hText);
  return s;
}

class TextEdit : public testing::Test {
 protected:
  void SetUp() override {
    SetPort(nullptr);
    te = TENew(&rect, &rect);
    ASSERT_NE(TEGetRecord(te), nullptr);
    int16_t font = 0;
    const uint8_t name[] = "\x0f" "Liberation Sans";
    GetFNum(name, &font);
    const TextStyle style{font, 0, 13, {0, 0, 0}};
    TESetStyle(doAll, &style, false, te);
  }
  void TearDown() override { TEDispose(te); }
  void Put(const std::string& s) {
    TESetSelect(0, teMaxLength, te);
    TEDelete(te);
    TEInsert(s.data(), static_cast<int32_t>(s.size()), te);
  }
  TERec& R() { return *TEGetRecord(te); }
  Rect rect{0, 0, 20, 200};
  TEHandle te = 0;
};

}  // namespace

TEST_F(TextEdit, KeysReplaceTheSelectionAndBackspaceDeletes) {
  Put("abcd");
  EXPECT_EQ(R().selStart, 4) << "insert leaves the caret after the text";
  TESetSelect(1, 3, te);
  TEKey('X', te);
  EXPECT_EQ(RecordTextOf(te), "aXd");
  EXPECT_EQ(R().selStart, 2);
  TEKey(8, te);
  EXPECT_EQ(RecordTextOf(te), "ad");
  TESetSelect(0, 0, te);
  TEKey(8, te);
  EXPECT_EQ(RecordTextOf(te), "ad") << "nothing before the caret";
  TESetSelect(9, -3, te);
  EXPECT_EQ(R().selStart, 0);
  EXPECT_EQ(R().selEnd, 2) << "clamped and ordered";
}

TEST_F(TextEdit, InsertKeepsTheSelectionAfterIt) {
  Put("world");
  TESetSelect(0, 2, te);
  TEInsert("hello ", 6, te);
  EXPECT_EQ(RecordTextOf(te), "hello world");
  EXPECT_EQ(R().selStart, 6);
  EXPECT_EQ(R().selEnd, 8);
}

TEST_F(TextEdit, HoldsAtMost32767Characters) {
  const std::string big(40000, 'x');
  Put(big);
  EXPECT_EQ(R().teLength, teMaxLength);
  TEKey('y', te);
  EXPECT_EQ(R().teLength, teMaxLength) << "a full record takes no key";
  TESetSelect(0, 1, te);
  TEKey('y', te);
  EXPECT_EQ(RecordTextOf(te)[0], 'y') << "replacing within the bound works";
}

TEST_F(TextEdit, ClickFindsTheNearestBoundary) {
  Put("iiiiWWWW");
  TEClick(Point{5, 0}, false, te);
  EXPECT_LE(R().selStart, 2);
  TEClick(Point{5, 199}, false, te);
  EXPECT_EQ(R().selStart, 8);
  TEClick(Point{5, 0}, false, te);
  TEClick(Point{5, 199}, true, te);
  EXPECT_EQ(R().selStart, 0);
  EXPECT_EQ(R().selEnd, 8);
}

TEST_F(TextEdit, CutCopyPasteGoThroughTheScrap) {
  Put("alpha beta");
  TESetSelect(0, 6, te);
  TECut(te);
  EXPECT_EQ(RecordTextOf(te), "beta");
  TESetSelect(4, 4, te);
  TEPaste(te);
  EXPECT_EQ(RecordTextOf(te), "betaalpha ");
  TESetSelect(0, 0, te);
  const int32_t before = GetScrap(0, 0x54455854, nullptr);
  TECopy(te);
  EXPECT_EQ(GetScrap(0, 0x54455854, nullptr), before) << "an empty selection copies nothing";
}

TEST_F(TextEdit, DrawsIntoAWorldAndBlinksOnTheTickClock) {
  GWorldPtr world = nullptr;
  const int32_t worlds = CountGWorlds();
  ASSERT_EQ(NewGWorld(&world, 0, &rect), noErr);
  EXPECT_EQ(CountGWorlds(), worlds + 1);
  Rect bounds{};
  ASSERT_TRUE(GetGWorldBounds(world, &bounds));
  EXPECT_EQ(bounds.right, 200);
  R().inPort = world;
  Put("Mm");
  TESetSelect(0, 0, te);
  TEActivate(te);
  TEUpdate(&rect, te);
  HDC dc = GetPortHDC(world);
  int dark = 0;
  for (int x = 0; x < 40; ++x)
    for (int y = 0; y < 20; ++y) dark += (GetPixel(dc, x, y) & 0xFF) < 128 ? 1 : 0;
  EXPECT_GT(dark, 10) << "the text and the caret are drawn";
  // The caret column at x 0 shows, then blinks off after the interval.
  const HeadlessInputEntry script[] = {{0, {0, 0}, 0, {0}}, {100000, {0, 0}, 0, {0}}};
  ASSERT_TRUE(LoadHeadlessInput(script, 2, 0));
  TEActivate(te);
  EXPECT_EQ(R().caretState, 1);
  AdvanceHeadlessClock(Tbx::GetCaretBlinkTime() * 1000 / 60 + 20);
  TEIdle(te);
  EXPECT_EQ(R().caretState, 0);
  TESetCaretBlinking(false);
  AdvanceHeadlessClock(Tbx::GetCaretBlinkTime() * 1000 / 60 + 20);
  TEIdle(te);
  EXPECT_EQ(R().caretState, 0) << "no blinking while switched off";
  TESetCaretBlinking(true);
  UnloadHeadlessInput();
  R().inPort = nullptr;
  DisposeGWorld(world);
  EXPECT_EQ(CountGWorlds(), worlds);
  EXPECT_FALSE(GetGWorldBounds(world, &bounds));
}

TEST_F(TextEdit, UnknownHandlesAreRefused) {
  EXPECT_EQ(TEGetRecord(0), nullptr);
  EXPECT_EQ(TEGetRecord(te + 1000), nullptr);
  TEKey('a', 0);
  TEDispose(0);
  GWorldPtr world = nullptr;
  const Rect empty{0, 0, 0, 0};
  EXPECT_NE(NewGWorld(&world, 0, &empty), noErr);
  EXPECT_EQ(world, nullptr);
}
