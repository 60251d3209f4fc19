// Drop-down lists from 'XDRP': choices from each source, sorting, the
// pop-up's height and placement, choosing with the mouse, Escape and a press
// outside keeping the choice, opening by key, type-ahead and the combo box.
#include "controls/toolbars/VDropDownList.h"

#include <gtest/gtest.h>

#include <memory>

#include "controls/controls/ControlTemplates.h"
#include "controls/tests/ControlTestSupport.h"
#include "controls/text/VTextEditFrame.h"
#include "controls/toolbars/VDropDownListView.h"
#include "controls/toolbars/VDropDownWindow.h"
#include "framework/core/containers/VArray.h"
#include "framework/core/containers/VStringArray.h"
#include "platform/toolbox/TbxEvents.h"
#include "platform/win32/WinInput.h"
#include "platform/win32/WinMessages.h"
#include "platform/win32/WinWindowState.h"
#include "host/callback/HostCallback.h"
#include "views/VScrollContainer.h"

namespace {

VStr<255> S(const char* text) {
  VStr<255> s;
  s.SetCText(text, kCharSetMac);
  return s;
}

std::string Text(const VValue* v) {
  if (v == nullptr) return "<none>";
  VStr<255> s;
  v->FormatTo(s, nullptr, kWholeValue);
  char c[256];
  s.GetCText(c, sizeof c, kCharSetMac);
  return c;
}

// The commands among the messages that reached the host.
std::vector<SentMessage> Commands(const std::vector<SentMessage>& sent) {
  std::vector<SentMessage> out;
  for (const SentMessage& m : sent)
    if (m.message > 0) out.push_back(m);
  return out;
}

std::string Choices(const VArray* list) {
  std::string out;
  for (int32_t i = 1; list != nullptr && i <= list->Count(); ++i) {
    VStr<255> s;
    list->FormatTo(s, nullptr, i);
    char c[256];
    s.GetCText(c, sizeof c, kCharSetMac);
    out += (i > 1 ? "," : "") + std::string(c);
  }
  return out;
}

// A stored (big-endian) 'XDRP'.
std::vector<uint8_t> DropBytes(int32_t command, int32_t w, int32_t h, const char* source,
                               uint8_t flags, const std::vector<std::string>& items,
                               uint8_t lines = 0, int16_t filter = 0) {
  StoredBytes b;
  b.I32(command).I32(0).I32(0).I32(w).I32(h).Title("").U16(0).U16(0).U16(uint16_t(filter));
  for (int i = 0; i < 4; ++i) b.U8(uint8_t(source[i]));
  b.U8(lines).U8(flags).U16(uint16_t(items.size()));
  for (const std::string& s : items) b.U16(0).Title(s, 64);
  return b.bytes;
}

VEvent Key(int16_t code, char16_t c = 0) {
  VEvent e(-32000, -32000, 0, false, false, false, false, false, 0, uint16_t(code));
  e.SetCharacter(c);
  return e;
}

class DropDownList : public ControlTest {
 protected:
  void SetUp() override {
    ControlTest::SetUp();
    file_ = std::make_unique<StoredResourceFile>();
    command_ = host_->Add(300, "Size");
  }
  void TearDown() override {
    list_.reset();
    file_.reset();
    ControlTest::TearDown();
  }
  // Each list from a file of its own.
  void Fresh() {
    if (opened_ == nullptr) return;
    list_.reset();
    file_ = std::make_unique<StoredResourceFile>();
    opened_ = nullptr;
  }
  VDropDownList* Make(const std::vector<uint8_t>& bytes) {
    Fresh();
    file_->Add(kResTypeDropDownList, 100, bytes);
    if (opened_ == nullptr) opened_ = file_->Open();
    list_.reset(new VDropDownList(host_, nullptr, opened_, 100, 0));
    return list_.get();
  }
  // A list of n numbered choices at (x, y), w x h.
  VDropDownList* Numbers(int n, int32_t x, int32_t y, int32_t w = 80, int32_t h = 20) {
    std::vector<std::string> items;
    for (int i = 1; i <= n; ++i) items.push_back(std::to_string(i * 10));
    Make(DropBytes(300, w, h, "TEXT", 0, items));
    list_->MoveTo(x, y, 0);
    return list_.get();
  }
  // Entries of (time, virtual key held; -1 the left button) with the
  // cursor on the list's box, the button entries at (bx, by).
  void KeyScript(const std::vector<std::pair<int, int>>& steps, int32_t bx, int32_t by) {
    int32_t sx = 0, sy = 0;
    list_->LocalToScreen(sx, sy);
    std::vector<HeadlessInputEntry> entries;
    for (auto [t, key] : steps) {
      HeadlessInputEntry e{ULONGLONG(t), {sx + 10, sy + 10}, 0u, {0}};
      if (key == -1) {
        e.buttons = HEADLESS_LEFT_BUTTON;
      } else if (key > 0) {
        e.keys[0] = BYTE(key);
      }
      // Once the button was pressed the cursor stays where it was.
      if (key == -1 || (!entries.empty() && entries.back().buttons != 0)) e.cursor = {sx + bx, sy + by};
      entries.push_back(e);
    }
    ASSERT_TRUE(LoadHeadlessInput(entries.data(), entries.size(), 0));
  }
  std::unique_ptr<StoredResourceFile> file_;
  VResourceFile* opened_ = nullptr;
  std::unique_ptr<VDropDownList> list_;
  VCommand* command_ = nullptr;
};

}  // namespace

TEST_F(DropDownList, LongItemsInTemplateOrderOrSorted) {
  Make(DropBytes(300, 80, 20, "LONG", 0, {"14", "10", "12"}));
  EXPECT_EQ(Choices(command_->GetChoiceList()), "14,10,12");
  EXPECT_EQ(Text(command_->GetValue()), "14");
  command_ = host_->Add(301);
  Make(DropBytes(301, 80, 20, "LONG", kDropSorted, {"14", "10", "12"}));
  EXPECT_EQ(Choices(command_->GetChoiceList()), "10,12,14");
  EXPECT_EQ(Text(command_->GetValue()), "10");
}

TEST_F(DropDownList, StringListByNumber) {
  StoredBytes one;
  one.U16(2).U8(3).U8('O').U8('n').U8('e').U8(3).U8('T').U8('w').U8('o');
  file_->Add(FourCC("STR#"), 128, one.bytes);
  StoredBytes named;
  named.U16(1).U8(5).U8('N').U8('a').U8('m').U8('e').U8('d');
  file_->Add(FourCC("STR#"), 129, named.bytes, "Sizes");
  Make(DropBytes(300, 80, 20, "STR#", 0, {"128"}));
  EXPECT_EQ(Choices(command_->GetChoiceList()), "One,Two");
  EXPECT_EQ(Text(command_->GetValue()), "One");
}

TEST_F(DropDownList, StringListOfAName) {
  StoredBytes named;
  named.U16(1).U8(5).U8('N').U8('a').U8('m').U8('e').U8('d');
  file_->Add(FourCC("STR#"), 129, named.bytes, "Sizes");
  Make(DropBytes(300, 80, 20, "STR#", 0, {"Sizes"}));
  EXPECT_EQ(Choices(command_->GetChoiceList()), "Named");
  EXPECT_EQ(Text(command_->GetValue()), "Named");
}

TEST_F(DropDownList, UnknownSourceOrMissingTemplateGivesNoChoices) {
  Make(DropBytes(300, 80, 20, "ABCD", 0, {"1"}));
  EXPECT_FALSE(list_->HasChoices());
  EXPECT_EQ(command_->GetChoiceList(), nullptr);
  VDropDownList missing(host_, nullptr, opened_, 555, 0);
  EXPECT_FALSE(missing.HasChoices());
  EXPECT_EQ(missing.GetVisibleLines(), 5);
  EXPECT_FALSE(missing.IsEditable());
}

TEST_F(DropDownList, PopUpHeightHoldsWholeLinesOfTheRoom) {
  Numbers(20, 0, 0);
  list_->SetLineHeight(17);
  EXPECT_EQ(list_->GetPopUpHeight(60), 51);   // 3 lines fit
  EXPECT_EQ(list_->GetPopUpHeight(500), 85);  // 5 lines shown at most
  EXPECT_EQ(list_->GetPopUpHeight(10), 0);
  Make(DropBytes(300, 80, 20, "TEXT", 0, {"a", "b"}, 9));
  list_->SetLineHeight(17);
  EXPECT_EQ(list_->GetVisibleLines(), 9);
  EXPECT_EQ(list_->GetPopUpHeight(500), 34);
}

TEST_F(DropDownList, PopUpOpensBelowOrAboveAndRightAligned) {
  // The window is 320 x 240 and the host view sits at (10, 10).
  Numbers(3, 20, 20);
  VEvent down = Key(kKeyDown);
  ASSERT_TRUE(list_->RequestFocus());
  list_->HandleKey(down);
  int32_t r[4];
  list_->GetLastPopUpRect(r);
  const int32_t h = list_->GetPopUpHeight(1000);
  EXPECT_EQ(r[0], 30 + 2);
  EXPECT_EQ(r[1], 30 + 20 + 2);
  EXPECT_EQ(r[2], 76);
  EXPECT_EQ(r[3], h);
  // Near the bottom it opens above; too wide for the right, it aligns with
  // the control's right edge 2 pixels in.
  Numbers(3, 250, 200, 60);
  list_->ResizeTo(60, 20, 0);
  ASSERT_TRUE(list_->RequestFocus());
  list_->HandleKey(down);
  list_->GetLastPopUpRect(r);
  EXPECT_EQ(r[1], 210 - 2 - h);
  EXPECT_EQ(r[0], 260 + 2);
}

TEST_F(DropDownList, ClickOnARowChoosesItAndRunsTheCommand) {
  Numbers(4, 20, 20);
  ASSERT_TRUE(list_->RequestFocus());
  const int32_t row = list_->GetLineHeight();
  // Press on the box, let go, move to the third row, press and let go.
  const int32_t rowY = 20 + 2 + 2 * row + row / 2;
  Script(*list_, {{10, 10, true}, {10, 10, false}, {20, rowY, false}, {20, rowY, true},
                  {20, rowY, false}});
  VEvent press(10, 10, 0, false, false, false, false, false, 1, 0);
  list_->MouseDown(press);
  EXPECT_FALSE(list_->IsOpen());
  EXPECT_FALSE(list_->IsCancelled());
  EXPECT_EQ(list_->GetPopUp(), nullptr);
  EXPECT_EQ(Text(command_->GetValue()), "30");
  EXPECT_EQ(command_->GetChoiceList()->GetCurrent(), 3);
  ASSERT_FALSE(host_->sent.empty());
  EXPECT_EQ(host_->sent.back(), (SentMessage{300, 0}));
}

TEST_F(DropDownList, EscapeAndAPressOutsideKeepTheChoice) {
  Numbers(4, 20, 20);
  ASSERT_TRUE(list_->RequestFocus());
  // The script runs out at once: the stand-in presses Escape.
  VEvent down = Key(kKeyDown);
  list_->HandleKey(down);
  EXPECT_TRUE(list_->IsCancelled());
  EXPECT_EQ(Text(command_->GetValue()), "10");
  EXPECT_EQ(command_->GetChoiceList()->GetCurrent(), 1);
  EXPECT_TRUE(Commands(host_->sent).empty());
  EXPECT_TRUE(list_->IsFocused()) << "the closing pop-up gives the focus back";
  // Down moves the pop-up's row (and shows it in the box), then a press
  // far outside cancels: the value and the row are the old ones again.
  host_->sent.clear();
  KeyScript({{0, 0}, {10, 40}, {20, 0}, {30, -1}, {40, 0}}, 250, 180);
  VEvent press(10, 10, 0, false, false, false, false, false, 1, 0);
  list_->MouseDown(press);
  EXPECT_TRUE(list_->IsCancelled());
  EXPECT_EQ(Text(command_->GetValue()), "10");
  EXPECT_EQ(command_->GetChoiceList()->GetCurrent(), 1);
  EXPECT_TRUE(Commands(host_->sent).empty());
}

TEST_F(DropDownList, KeysInThePopUpMoveAndReturnChooses) {
  Numbers(4, 20, 20);
  ASSERT_TRUE(list_->RequestFocus());
  KeyScript({{0, 0}, {10, 40}, {20, 0}, {30, 40}, {40, 0}, {50, 13}, {60, 0}}, 10, 10);
  VEvent press(10, 10, 0, false, false, false, false, false, 1, 0);
  list_->MouseDown(press);
  EXPECT_FALSE(list_->IsCancelled());
  EXPECT_EQ(Text(command_->GetValue()), "30");
  EXPECT_EQ(Commands(host_->sent), (std::vector<SentMessage>{{300, 0}}));
}

TEST_F(DropDownList, DownOpensAClosedListButLeftAndRightDoNot) {
  Numbers(4, 20, 20);
  ASSERT_TRUE(list_->RequestFocus());
  int32_t calls = 0;
  int32_t before = 0;
  Tbx::CountFlushEvents(&before, nullptr);
  VEvent left = Key(kKeyLeft);
  VEvent right = Key(kKeyRight);
  list_->HandleKey(left);
  list_->HandleKey(right);
  Tbx::CountFlushEvents(&calls, nullptr);
  EXPECT_EQ(calls, before);
  VEvent down = Key(kKeyDown);
  list_->HandleKey(down);
  int16_t mask = 0;
  Tbx::CountFlushEvents(&calls, &mask);
  EXPECT_EQ(calls, before + 2);  // opened and closed once
  EXPECT_EQ(mask, 0x1a);
  // Procedures, capture and key target are as before.
  EXPECT_EQ(gPopUpKeyTarget, nullptr);
  EXPECT_EQ(GetCapture(), nullptr);
}

// A list the user cannot see leaves every key to the frames after it: none
// is answered as handled and none opens the pop-up.
TEST_F(DropDownList, HiddenListPassesEveryKeyOn) {
  struct Row {
    const char* what;
    bool hideList;  // else its parent is hidden
    int16_t code;
    char16_t c;
  };
  const Row rows[] = {
      {"hidden, down", true, kKeyDown, 0},       {"hidden, return", true, kKeyReturn, 13},
      {"hidden, escape", true, kKeyEscape, 27},  {"hidden, letter", true, 0, u'a'},
      {"parent hidden, down", false, kKeyDown, 0}, {"parent hidden, tab", false, kKeyTab, 9},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    Numbers(4, 20, 20);
    ASSERT_TRUE(list_->RequestFocus());
    if (row.hideList) {
      list_->SetVisible(false);
    } else {
      host_->SetVisible(false);
    }
    int32_t before = 0;
    Tbx::CountFlushEvents(&before, nullptr);
    VEvent key = Key(row.code, row.c);
    EXPECT_EQ(list_->HandleKey(key), kKeyNotHandled);
    int32_t after = 0;
    Tbx::CountFlushEvents(&after, nullptr);
    EXPECT_EQ(after, before);  // never opened
    host_->SetVisible(true);
  }
}

TEST_F(DropDownList, WithoutChoicesItNeverOpens) {
  Make(DropBytes(300, 80, 20, "TEXT", 0, {}));
  ASSERT_TRUE(list_->RequestFocus());
  int32_t before = 0;
  Tbx::CountFlushEvents(&before, nullptr);
  VEvent down = Key(kKeyDown);
  list_->HandleKey(down);
  VEvent press(10, 10, 0, false, false, false, false, false, 1, 0);
  list_->MouseDown(press);
  int32_t after = 0;
  Tbx::CountFlushEvents(&after, nullptr);
  EXPECT_EQ(after, before);
}

TEST_F(DropDownList, ComboBoxPressOnTheBoxEditsAndReturnCommitsTheText) {
  Make(DropBytes(300, 100, 22, "TEXT", kDropEditable, {"Arial", "Courier"}));
  ASSERT_TRUE(list_->RequestFocus());
  ASSERT_NE(list_->GetTextFrame(), nullptr);
  int32_t before = 0;
  Tbx::CountFlushEvents(&before, nullptr);
  Script(*list_, {{10, 10, true}, {10, 10, false}});
  VEvent press(10, 10, 0, false, false, false, false, false, 1, 0);
  list_->MouseDown(press);
  int32_t after = 0;
  Tbx::CountFlushEvents(&after, nullptr);
  EXPECT_EQ(after, before) << "the press went to the text, not the list";
  list_->GetTextFrame()->SelectAll();
  for (char c : std::string("Times")) {
    VEvent k = Key(int16_t(c), char16_t(c));
    list_->HandleKey(k);
  }
  EXPECT_TRUE(list_->IsModified());
  VEvent ret = Key(kKeyReturn);
  EXPECT_EQ(list_->HandleKey(ret), kKeyHandled);
  EXPECT_EQ(Text(command_->GetValue()), "Times");
  EXPECT_EQ(host_->sent.back(), (SentMessage{300, 0}));
  EXPECT_FALSE(list_->IsModified());
}

TEST_F(DropDownList, RefusedCommitRestoresTheValueAndKeepsTheText) {
  Make(DropBytes(300, 100, 22, "TEXT", kDropEditable, {"Arial", "Courier"}));
  host_->accept = false;
  ASSERT_TRUE(list_->RequestFocus());
  list_->GetTextFrame()->SelectAll();
  VEvent k = Key('Z', u'Z');
  list_->HandleKey(k);
  VEvent ret = Key(kKeyReturn);
  list_->HandleKey(ret);
  EXPECT_EQ(Text(command_->GetValue()), "Arial");
  VStr<255> shown;
  list_->GetTextFrame()->GetText(shown);
  char c[64];
  shown.GetCText(c, sizeof c, kCharSetMac);
  EXPECT_STREQ(c, "Z");
}

TEST(DropDownListView, TypeAheadJoinsQuickLettersAndStartsAgainAfterAPause) {
  ResetHeadlessInput();
  // A script that only holds the virtual clock, so that it can be moved.
  const HeadlessInputEntry still[] = {{0, {0, 0}, 0, {0}}, {100000, {0, 0}, 0, {0}}};
  ASSERT_TRUE(LoadHeadlessInput(still, 2, 0));
  auto* names = new VStringArray;
  for (const char* s : {"Apple", "Banana", "Cherry", "Bcd"}) {
    VStr<255> t;
    t.SetCText(s, kCharSetMac);
    names->AppendString(t, false);
  }
  names->SetCurrent(1);
  VView root(nullptr);
  root.ResizeTo(100, 100, 0);
  VDropDownListView view(&root, nullptr, names, 17, false);
  view.ResizeTo(100, 51, 0);
  VEvent b = Key(0, u'b');
  view.HandleKey(b);
  EXPECT_EQ(view.GetCurrentRow(), 2);
  VEvent c = Key(0, u'c');
  view.HandleKey(c);  // "bc", at once
  EXPECT_EQ(view.GetCurrentRow(), 4);
  AdvanceHeadlessClock(300);  // more than 15 ticks
  view.HandleKey(c);          // "c" alone
  EXPECT_EQ(view.GetCurrentRow(), 3);
  // Up and Down stop at the ends; "err" is found inside a name.
  VEvent down = Key(kKeyDown);
  view.HandleKey(down);
  view.HandleKey(down);
  EXPECT_EQ(view.GetCurrentRow(), 4);
  EXPECT_EQ(view.GetContentHeight(), 4 * 17);
  AdvanceHeadlessClock(300);
  VEvent e = Key(0, u'e');
  VEvent r = Key(0, u'r');
  view.HandleKey(e);
  view.HandleKey(r);
  EXPECT_EQ(view.GetCurrentRow(), 3);
  delete names;
  ResetHeadlessInput();
}

TEST_F(DropDownList, AnotherApplicationInFrontCancels) {
  Numbers(4, 20, 20);
  ASSERT_TRUE(list_->RequestFocus());
  // Queued before the loop: the owner window hears it through the
  // activation procedure, which closes the pop-up as Escape does.
  PostMessageA(list_->GetWindowHandle(), WM_ACTIVATEAPP, 0, 0);
  KeyScript({{0, 0}, {500, 40}, {510, 13}, {520, 0}}, 10, 10);
  VEvent press(10, 10, 0, false, false, false, false, false, 1, 0);
  list_->MouseDown(press);
  EXPECT_TRUE(list_->IsCancelled());
  EXPECT_EQ(Text(command_->GetValue()), "10");
  EXPECT_TRUE(Commands(host_->sent).empty());
}

TEST_F(DropDownList, NoRoomAboveOrBelowDoesNotOpen) {
  // 215 high in a 240-pixel window: not one row fits on either side.
  Numbers(4, 20, 0, 80, 215);
  ASSERT_TRUE(list_->RequestFocus());
  int32_t before = 0;
  Tbx::CountFlushEvents(&before, nullptr);
  VEvent down = Key(kKeyDown);
  list_->HandleKey(down);
  int32_t after = 0;
  Tbx::CountFlushEvents(&after, nullptr);
  EXPECT_EQ(after, before);
  EXPECT_TRUE(list_->IsCancelled());
  EXPECT_EQ(list_->GetPopUp(), nullptr);
  EXPECT_TRUE(Commands(host_->sent).empty());
  int32_t r[4];
  list_->GetLastPopUpRect(r);
  EXPECT_EQ(r[3], 0);
}

TEST_F(DropDownList, HoverPastTheLastRowStaysOnTheLastRow) {
  auto* names = new VStringArray;
  for (const char* s : {"a", "b"}) {
    VStr<255> t;
    t.SetCText(s, kCharSetMac);
    names->AppendString(t, false);
  }
  names->SetCurrent(1);
  VDropDownListView view(host_, nullptr, names, 17, false);
  view.ResizeTo(80, 85, 0);
  view.MouseWithin(80);
  EXPECT_EQ(view.GetCurrentRow(), 2);
  view.MouseWithin(-5);
  EXPECT_EQ(view.GetCurrentRow(), 1);
  view.MouseWithin(20);
  EXPECT_EQ(view.GetCurrentRow(), 2);
  delete names;
}

TEST_F(DropDownList, TextItemsResolveReferencesRealsReadAndResourceNames) {
  StoredBytes strs;
  strs.U16(2).U8(3).U8('O').U8('n').U8('e').U8(3).U8('T').U8('w').U8('o');
  file_->Add(FourCC("STR#"), 700, strs.bytes);
  Make(DropBytes(300, 80, 20, "TEXT", 0, {":700,2", "plain"}));
  EXPECT_EQ(Choices(command_->GetChoiceList()), "Two,plain");

  command_ = host_->Add(302);
  Make(DropBytes(302, 80, 20, "REAL", kDropSorted, {"2.5", "0.75", "10"}));
  ASSERT_NE(command_->GetChoiceList(), nullptr);
  EXPECT_EQ(command_->GetChoiceList()->Count(), 3);
  EXPECT_DOUBLE_EQ(command_->GetChoiceList()->GetReal(1), 0.75);
  EXPECT_DOUBLE_EQ(command_->GetChoiceList()->GetReal(3), 10.0);

  command_ = host_->Add(303);
  Fresh();
  file_->Add(FourCC("PICT"), 1, {0}, "Sunset");
  file_->Add(FourCC("PICT"), 2, {0}, "Harbour");
  Make(DropBytes(303, 80, 20, "RES#", 0, {"PICT"}));
  const std::string names = Choices(command_->GetChoiceList());
  EXPECT_NE(names.find("Sunset"), std::string::npos) << names;
  EXPECT_NE(names.find("Harbour"), std::string::npos) << names;

  // 'RES#' without an item has no list.
  command_ = host_->Add(304);
  Make(DropBytes(304, 80, 20, "RES#", 0, {}));
  EXPECT_EQ(command_->GetChoiceList(), nullptr);
}

TEST_F(DropDownList, PageAndEndKeysScrollThePopUpListByWholeRows) {
  auto* names = new VStringArray;
  for (int i = 1; i <= 20; ++i) names->AppendString(S(std::to_string(i).c_str()), false);
  names->SetCurrent(1);
  VScrollContainer scroller(host_, true, false);
  scroller.ResizeTo(80, 51, 0);
  auto* view = new VDropDownListView(&scroller, nullptr, names, 17, false);
  scroller.SetContentView(view, true);
  VEvent page = Key(kKeyPageDown);
  view->HandleKey(page);
  EXPECT_GT(view->GetScrollY(), 0);
  EXPECT_EQ(view->GetScrollY() % 17, 0);
  VEvent end = Key(kKeyEnd);
  view->HandleKey(end);
  EXPECT_EQ(view->GetScrollY() + 51, 20 * 17) << "End shows the last row";
  VEvent home = Key(kKeyHome);
  view->HandleKey(home);
  EXPECT_EQ(view->GetScrollY(), 0);
  scroller.Close();
  delete names;
}

namespace {
std::vector<int32_t> gLoopSelectors;
void RecordSelector(int32_t selector, HostParamBlock*) { gLoopSelectors.push_back(selector); }
}  // namespace

TEST_F(DropDownList, TheHostHearsTheLoopBeginEachPassAndEnd) {
  Numbers(4, 20, 20);
  ASSERT_TRUE(list_->RequestFocus());
  gLoopSelectors.clear();
  SetHostCallback(&RecordSelector);
  KeyScript({{0, 0}, {10, 40}, {20, 0}, {30, 13}, {40, 0}}, 10, 10);
  VEvent press(10, 10, 0, false, false, false, false, false, 1, 0);
  list_->MouseDown(press);
  SetHostCallback(nullptr);
  std::vector<int32_t> loop;
  for (int32_t s : gLoopSelectors)
    if (s == -143 || s == -144) loop.push_back(s);
  // -143 before the loop, -144 and -143 around each pass, -144 at its end.
  ASSERT_GE(loop.size(), 4u);
  EXPECT_EQ(loop.front(), -143);
  EXPECT_EQ(loop.back(), -144);
  EXPECT_EQ(loop.size() % 2, 0u);
  for (size_t i = 1; i + 1 < loop.size(); i += 2) {
    EXPECT_EQ(loop[i], -144) << i;
    EXPECT_EQ(loop[i + 1], -143) << i;
  }
  EXPECT_EQ(Text(command_->GetValue()), "20");
}
