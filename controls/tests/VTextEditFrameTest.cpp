// The text-edit frame and the entry filters: arrows with the extend bit,
// Backspace and Delete at the ends, printable classes, the edit messages and
// their mask, the 32,767-character cut, the shared offscreen world, and each
// filter's answers with the locale's separators, masked or not.
#include "controls/text/VTextEditFrame.h"

#include <gtest/gtest.h>

#include <string>

#include "controls/fields/TextFieldLayer.h"
#include "controls/tests/ControlTestSupport.h"
#include "controls/text/VEntryFilters.h"
#include "framework/core/filters/VMaskFilter.h"
#include "framework/system/environment/VSystemServices.h"
#include "platform/toolbox/TbxScrap.h"

namespace {

std::string FrameTextOf(const VTextEditFrame& f) {
  VStrInHandle s;
  f.GetText(s);
  std::string out(static_cast<size_t>(s.GetLength()), '\0');
  for (int32_t i = 0; i < s.GetLength(); ++i) out[size_t(i)] = char(s.GetCharAt(i + 1));
  return out;
}

VEvent FrameKey(int16_t code, char16_t character = 0, bool shift = false, bool command = false) {
  VEvent e(0, 0, 0, false, false, command, false, shift, 0, uint16_t(code));
  e.SetCharacter(character);
  return e;
}
VEvent FrameTyped(char c) { return FrameKey(int16_t(uint8_t(c)), char16_t(uint8_t(c))); }

class TextFrame : public ControlTest {
 protected:
  void SetUp() override {
    ControlTest::SetUp();
    const int32_t rect[4] = {10, 10, 120, 20};
    frame_ = new VTextEditFrame(host_, rect);
    frame_->TakeFocus();
  }
  void Put(const std::string& s, int32_t start, int32_t end) {
    VStr<255> v;
    v.SetCText(s.c_str(), kCharSetMac);
    frame_->SetText(v);
    frame_->SetSelection(start, end);
  }
  std::pair<int32_t, int32_t> Sel() const {
    int32_t a = 0, b = 0;
    frame_->GetSelection(a, b);
    return {a, b};
  }
  int32_t Send(VEvent e) { return frame_->HandleKey(e); }
  VTextEditFrame* frame_ = nullptr;
};

using FrameSel = std::pair<int32_t, int32_t>;

}  // namespace

// Each row: text and selection before, keys, then text, selection and
// answer of the last key.
TEST_F(TextFrame, Keys) {
  struct Row {
    const char* what;
    std::string text;
    FrameSel before;
    std::vector<VEvent> keys;
    std::string after;
    FrameSel sel;
    int32_t answer;
  };
  const std::vector<Row> rows = {
      {"typing replaces", "abc", {1, 2}, {FrameTyped('X')}, "aXc", {2, 2}, 0},
      {"backspace at end", "abc", {3, 3}, {FrameKey(kKeyBackspace)}, "ab", {2, 2}, 0},
      {"delete at end does nothing", "abc", {3, 3}, {FrameKey(kKeyDelete)}, "abc", {3, 3}, 0},
      {"delete before the end", "abc", {1, 1}, {FrameKey(kKeyDelete)}, "ac", {1, 1}, 0},
      {"delete a selection", "abc", {0, 2}, {FrameKey(kKeyDelete)}, "c", {0, 0}, 0},
      {"left", "abc", {2, 2}, {FrameKey(kKeyLeft)}, "abc", {1, 1}, 0},
      {"left at 0 stays", "abc", {0, 0}, {FrameKey(kKeyLeft)}, "abc", {0, 0}, 0},
      {"right past the end", "abc", {3, 3}, {FrameKey(kKeyRight)}, "abc", {3, 3}, 0},
      {"shift-left selects back", "abc", {2, 2}, {FrameKey(kKeyLeft, 0, true)}, "abc", {1, 2}, 0},
      {"and keeps extending at the start", "abc", {2, 2},
       {FrameKey(kKeyLeft, 0, true), FrameKey(kKeyLeft, 0, true)}, "abc", {0, 2}, 0},
      {"shift-right then shrinks from the start", "abc", {2, 2},
       {FrameKey(kKeyLeft, 0, true), FrameKey(kKeyLeft, 0, true), FrameKey(kKeyRight, 0, true)}, "abc", {1, 2}, 0},
      {"shift-right from a caret grows the end", "abc", {0, 0},
       {FrameKey(kKeyRight, 0, true), FrameKey(kKeyRight, 0, true)}, "abc", {0, 2}, 0},
      {"tab passes", "abc", {1, 1}, {FrameKey(kKeyTab, 9)}, "abc", {1, 1}, 1},
      {"up passes", "abc", {1, 1}, {FrameKey(kKeyUp)}, "abc", {1, 1}, 1},
      {"enter passes", "abc", {1, 1}, {FrameKey(kKeyEnter)}, "abc", {1, 1}, 1},
      {"return passes", "abc", {1, 1}, {FrameKey(kKeyReturn, 13)}, "abc", {1, 1}, 1},
      {"command keys pass", "abc", {1, 1}, {FrameKey('C', 'c', false, true)}, "abc", {1, 1}, 1},
      {"control characters are not typed", "abc", {1, 1}, {FrameKey(0, 1)}, "abc", {1, 1}, 1},
      {"keys without a character type nothing", "abc", {1, 1}, {FrameKey(kKeyHome)}, "abc", {1, 1}, 1},
  };
  for (const Row& r : rows) {
    Put(r.text, r.before.first, r.before.second);
    frame_->SetChanged(false);
    int32_t answer = -1;
    for (const VEvent& k : r.keys) answer = Send(k);
    EXPECT_EQ(FrameTextOf(*frame_), r.after) << r.what;
    EXPECT_EQ(Sel(), r.sel) << r.what;
    EXPECT_EQ(answer, r.answer) << r.what;
    EXPECT_EQ(frame_->IsChanged(), r.after != r.text) << r.what;
  }
}

TEST_F(TextFrame, ReturnIsTypedOnlyWhenAccepted) {
  Put("ab", 1, 1);
  frame_->SetAcceptsReturn(true);
  EXPECT_EQ(Send(FrameKey(kKeyReturn, 13)), 0);
  EXPECT_EQ(FrameTextOf(*frame_), "a\rb");
}

TEST_F(TextFrame, UnfocusedOrHiddenFramesIgnoreEverything) {
  Put("abc", 0, 0);
  frame_->LoseFocus(nullptr);
  EXPECT_EQ(Send(FrameTyped('x')), 1);
  frame_->SetSelection(1, 2);
  EXPECT_EQ(Sel(), FrameSel(0, 0));
  frame_->TakeFocus();
  host_->SetHiddenByParent(true);
  EXPECT_EQ(Send(FrameTyped('x')), 1);
  VEvent click;
  EXPECT_TRUE(frame_->MouseDown(click));
  frame_->SetSelection(1, 2);
  EXPECT_EQ(Sel(), FrameSel(0, 0));
  host_->SetHiddenByParent(false);
  EXPECT_EQ(FrameTextOf(*frame_), "abc");
}

TEST_F(TextFrame, EditMessagesAndTheirMask) {
  Tbx::ZeroScrap();
  Put("", 0, 0);
  EXPECT_EQ(frame_->UpdateEditCommands(), 16) << "paste only";
  Put("hello", 0, 5);
  EXPECT_EQ(frame_->UpdateEditCommands(), 60) << "all selected: no select all";
  frame_->SetSelection(1, 1);
  EXPECT_EQ(frame_->UpdateEditCommands(), 112);
  frame_->SetSelection(1, 3);
  EXPECT_TRUE(frame_->NotifyParent(frame_, kEditCopy, 0));
  EXPECT_FALSE(frame_->IsChanged());
  EXPECT_TRUE(frame_->NotifyParent(frame_, kEditCut, 0));
  EXPECT_EQ(FrameTextOf(*frame_), "hlo");
  EXPECT_EQ(frame_->UpdateEditCommands(), 113) << "changed adds revert";
  EXPECT_TRUE(frame_->NotifyParent(frame_, kEditPaste, 0));
  EXPECT_EQ(FrameTextOf(*frame_), "hello");
  EXPECT_TRUE(frame_->NotifyParent(frame_, kEditSelectAll, 0));
  EXPECT_EQ(Sel(), FrameSel(0, 5));
  frame_->SetSelection(2, 2);
  EXPECT_TRUE(frame_->NotifyParent(frame_, kEditClear, 0));
  EXPECT_EQ(FrameTextOf(*frame_), "") << "clear with an empty selection clears all";
  EXPECT_TRUE(frame_->NotifyParent(frame_, 2, 0));
  EXPECT_FALSE(frame_->NotifyParent(frame_, 8, 0)) << "goes to the parent, which refuses";
  EXPECT_EQ(host_->sent.back(), (SentMessage{8, 0}));
  EXPECT_TRUE(frame_->AcceptsScrapType(FourCC("TEXT")));
  EXPECT_FALSE(frame_->AcceptsScrapType(FourCC("PICT")));
}

TEST_F(TextFrame, SetTextCutsAt32767AndNullEmpties) {
  VStrInHandle big;
  std::u16string units(40000, u'7');
  big.SetUniChars(units.data(), 0, int32_t(units.size()));
  frame_->SetText(big);
  EXPECT_EQ(frame_->GetTextLength(), 32767);
  VStrInHandle back;
  frame_->GetText(back);
  EXPECT_EQ(back.GetLength(), 32767);
  ValidateRect(window_, nullptr);
  frame_->SetText(nullptr);
  EXPECT_EQ(frame_->GetTextLength(), 0);
  EXPECT_TRUE(Invalid(30, 25)) << "still redrawn";
}

TEST_F(TextFrame, DrawsThroughOneSharedWorld) {
  Tbx::TESetCaretBlinking(false);
  Put("Wide", 0, 0);
  root_->Invalidate(2);
  Tbx::GWorldPtr world = VTextEditFrame::GetSharedWorld();
  ASSERT_NE(world, nullptr);
  const int32_t worlds = Tbx::CountGWorlds();
  const int32_t rect[4] = {10, 40, 60, 20};
  auto* second = new VTextEditFrame(host_, rect);
  root_->Invalidate(2);
  EXPECT_EQ(Tbx::CountGWorlds(), worlds) << "a smaller frame shares the world";
  int dark = 0;
  for (int x = 20; x < 80; ++x)
    for (int y = 20; y < 40; ++y) dark += (Pixel(x, y) & 0xFF) < 100 ? 1 : 0;
  EXPECT_GT(dark, 20) << "the text reached the window";
  second->ResizeTo(250, 30, 0);
  second->Invalidate(2);
  Tbx::Rect bounds{};
  ASSERT_TRUE(Tbx::GetGWorldBounds(VTextEditFrame::GetSharedWorld(), &bounds));
  EXPECT_GE(bounds.right - bounds.left, 250) << "replaced by a larger one";
  EXPECT_EQ(Tbx::CountGWorlds(), worlds);
  // Shut-down gives the world back; the next drawing makes a new one.
  DisposeTextFieldOffscreen();
  EXPECT_EQ(VTextEditFrame::GetSharedWorld(), nullptr);
  EXPECT_EQ(Tbx::CountGWorlds(), worlds - 1);
  second->Invalidate(2);
  EXPECT_EQ(Tbx::CountGWorlds(), worlds);
  Tbx::TESetCaretBlinking(true);
}

TEST_F(TextFrame, ClicksPlaceTheCaret) {
  Put("abcdef", 0, 0);
  VEvent far(500, 5, 0, false, false, false, false, false, 1, 0);
  EXPECT_TRUE(frame_->MouseDown(far));
  EXPECT_EQ(Sel(), FrameSel(6, 6));
  VEvent near(0, 5, 0, false, false, false, false, false, 1, 0);
  frame_->MouseDown(near);
  EXPECT_EQ(Sel(), FrameSel(0, 0));
}

// ---- Filters.

// Each row: the filter, the text and caret, a character; accepted or not.
TEST_F(TextFrame, FilterAnswers) {
  const char16_t th = LocaleThousandsSeparator();
  const char16_t dec = LocaleDecimalSeparator();
  struct Row {
    int16_t kind;  // 0: the range 'A'..'Z'
    std::string text;
    int32_t caret;
    char16_t c;
    bool taken;
  };
  const std::vector<Row> rows = {
      {kFilterSignedInteger, "", 0, u'-', true},   {kFilterSignedInteger, "1", 1, u'-', false},
      {kFilterSignedInteger, "1", 1, th, true},    {kFilterSignedInteger, "", 0, th, false},
      {kFilterSignedInteger, "1", 1, dec, th == dec},
      {kFilterSignedInteger, "1", 1, u'7', true},  {kFilterSignedInteger, "1", 1, u'a', false},
      {kFilterUnsignedInteger, "", 0, u'-', false}, {kFilterUnsignedInteger, "1", 1, th, true},
      {kFilterUnsignedInteger, "", 0, th, false}, {kFilterUnsignedReal, "", 0, th, false},
      {kFilterSignedReal, "", 0, u'-', true},      {kFilterSignedReal, "", 0, dec, false},
      {kFilterSignedReal, "1", 1, dec, true},      {kFilterUnsignedReal, "", 0, dec, false},
      {kFilterUnsignedReal, "1", 1, dec, true},    {kFilterUnsignedReal, "1.5", 3, dec, true},
      {kFilterUnsignedReal, "1", 1, th, true},     {kFilterUnsignedReal, "1", 1, th, true},
      {0, "", 0, u'Q', true},                      {0, "AB", 2, u'Q', true},
      {0, "", 0, u'a', false},                     {0, "", 0, u'Z', true},
  };
  for (const Row& r : rows) {
    VEntryFilter* f = r.kind == 0 ? new VCharRangeFilter(u'A', u'Z') : MakeEntryFilter(r.kind);
    ASSERT_NE(f, nullptr);
    frame_->SetFilter(f, true);
    Put(r.text, r.caret, r.caret);
    frame_->SetChanged(false);
    const int32_t answer = Send(FrameKey(0, r.c));
    EXPECT_EQ(answer, r.taken ? 0 : 1) << r.kind << " '" << char(r.c) << "' at " << r.caret;
    EXPECT_EQ(FrameTextOf(*frame_).size(), r.text.size() + (r.taken ? 1 : 0)) << r.kind;
    EXPECT_EQ(frame_->IsChanged(), r.taken) << "a refused key changes nothing";
  }
}

TEST_F(TextFrame, FilterKindsOutsideTheFourMakeNone) {
  for (int16_t kind : {0, -5, 1, 5, -32768}) EXPECT_EQ(MakeEntryFilter(kind), nullptr) << kind;
}

TEST_F(TextFrame, FilterPassesEditingKeysToTheFrame) {
  frame_->SetFilter(new VUnsignedIntegerFilter, true);
  Put("12", 2, 2);
  for (int16_t code : {kKeyLeft, kKeyRight, kKeyBackspace, kKeyDelete})
    EXPECT_EQ(Send(FrameKey(code)), 0) << code;
  EXPECT_EQ(FrameTextOf(*frame_), "1");
  for (int16_t code : {kKeyTab, kKeyReturn, kKeyEnter, kKeyUp})
    EXPECT_EQ(Send(FrameKey(code)), 1) << code;
}

// A mask "##-##": editable positions 0, 1, 3, 4.
TEST_F(TextFrame, MaskedFilterMovesBetweenEditablePositions) {
  VStr<255> mask;
  mask.SetCText("##-##", kCharSetMac);
  auto* f = new VMaskFilter(mask);
  frame_->SetFilter(f, true);
  VStr<255> empty;
  frame_->SetValueText(empty);
  frame_->SetSelection(0, 1);
  ASSERT_EQ(FrameTextOf(*frame_), "__-__");
  EXPECT_EQ(Send(FrameTyped('1')), 0);
  EXPECT_EQ(Sel(), FrameSel(1, 2));
  EXPECT_EQ(Send(FrameTyped('2')), 0);
  EXPECT_EQ(Sel(), FrameSel(3, 4)) << "the literal is skipped";
  EXPECT_EQ(FrameTextOf(*frame_), "12-__");
  EXPECT_EQ(Send(FrameKey(kKeyLeft)), 0);
  EXPECT_EQ(Sel(), FrameSel(1, 2));
  EXPECT_EQ(Send(FrameKey(kKeyBackspace)), 0);
  EXPECT_EQ(FrameTextOf(*frame_), "1_-__") << "the placeholder comes back";
  frame_->SetSelection(0, 1);
  EXPECT_EQ(Send(FrameKey(kKeyLeft)), kKeyNoPositionLeft);
  frame_->SetSelection(4, 5);
  EXPECT_EQ(Send(FrameKey(kKeyRight)), kKeyNoPositionRight);
  EXPECT_EQ(Send(FrameTyped('9')), kKeyNoPositionRight) << "typed, with nowhere further to go";
  EXPECT_EQ(FrameTextOf(*frame_), "1_-_9");
  VStr<255> value;
  frame_->GetValueText(value);
  EXPECT_EQ(value.GetLength(), 4) << "the four input positions";
}
