// Push buttons from 'XBUT' and 'XIC#': sizes, the four kinds of tracking on
// the input timeline, hot tracking and the group chains of toolbar copies.
#include "controls/controls/VPushButton.h"

#include <gtest/gtest.h>

#include "controls/controls/ControlTemplates.h"
#include "controls/tests/ControlTestSupport.h"
#include "framework/core/values/VLong.h"
#include "framework/system/environment/VSystemServices.h"
#include "graphics/VIconShape.h"

namespace {

constexpr int16_t kIconA = 9300;  // a 13 x 13 'cicn' of the module's file
constexpr int16_t kIconB = 9301;

std::vector<uint8_t> ButtonBytes(int32_t command, int32_t w, int32_t h, const std::string& title,
                                 int16_t icon, uint8_t flags, int length = -1) {
  StoredBytes b;
  b.I32(command).I32(5).I32(6).I32(w).I32(h).Title(title, 32, length);
  b.U16(uint16_t(icon)).U16(0).U8(flags);
  return b.bytes;
}

class PushButton : public ControlTest {
 protected:
  void SetUp() override {
    ControlTest::SetUp();
    file_ = std::make_unique<StoredResourceFile>();
  }
  void TearDown() override {
    VPushButton::ResetOpenGroupChain();
    ControlTest::TearDown();
    file_.reset();
  }
  VPushButton* Make(int16_t id, int32_t commandId = 0) {
    if (opened_ == nullptr) opened_ = file_->Open();
    return new VPushButton(host_, &canvas_.port(), opened_, id, commandId);
  }
  // A plain button of 30 x 20 at (x, 10) bound to `command`.
  VPushButton* Plain(int32_t command, int32_t x = 10) {
    auto* b = new VPushButton(host_);
    b->MoveTo(x, 10, 0);
    b->ResizeTo(30, 20, 0);
    b->AttachCommand(command);
    return b;
  }
  LookResources resources_;
  LookCanvas canvas_{10, 10};
  std::unique_ptr<StoredResourceFile> file_;
  VResourceFile* opened_ = nullptr;
};

int32_t ButtonTitleWidth(VPort& port, const char* text) {
  VStr<255> s;
  s.SetCText(text, kCharSetMac);
  port.UseStandardFont(2);
  return static_cast<int32_t>(port.MeasureString(s));
}

}  // namespace

TEST_F(PushButton, SizesFromTemplates) {
  ASSERT_TRUE(resources_.IsOpen());
  struct Row {
    const char* what;
    std::vector<uint8_t> bytes;
    int32_t w, h;
    int32_t x, y;
  };
  const int32_t title = ButtonTitleWidth(canvas_.port(), "Go") + 16;
  const int32_t line = canvas_.port().GetLineHeight() + 4;
  StoredBytes list;
  list.U16(kIconA).U16(kIconB).U16(0).U16(0);
  StoredBytes shortList;
  shortList.U16(kIconA).U16(kIconB);
  file_->Add(kResTypeIconList, 50, list.bytes);
  file_->Add(kResTypeIconList, 51, shortList.bytes);
  const std::vector<Row> rows = {
      {"nothing at all", ButtonBytes(0, 0, 0, "", 0, 0), 16, 16, 5, 6},
      {"one cicn gets a margin", ButtonBytes(0, 0, 0, "", kIconA, 0), 17, 17, 5, 6},
      {"an XIC# list none", ButtonBytes(0, 0, 0, "", 50, kButtonIconList), 13, 13, 5, 6},
      {"an XIC# of two ids", ButtonBytes(0, 0, 0, "", 51, kButtonIconList), 16, 16, 5, 6},
      {"a missing XIC#", ButtonBytes(0, 0, 0, "", 52, kButtonIconList), 16, 16, 5, 6},
      {"a missing cicn", ButtonBytes(0, 0, 0, "", 777, 0), 16, 16, 5, 6},
      {"template size wins", ButtonBytes(0, 40, 30, "", kIconA, 0), 40, 30, 5, 6},
      {"a title", ButtonBytes(0, 0, 0, "Go", 0, 0), title, std::max(16, line), 5, 6},
      {"icon and title", ButtonBytes(0, 0, 0, "Go", kIconA, 0), 17 + title, std::max(17, line),
       5, 6},
      {"51 bytes count as missing", std::vector<uint8_t>(51, 0), 60, 20, 0, 0},
  };
  int16_t id = 100;
  for (const Row& r : rows) file_->Add(kResTypeButton, id++, r.bytes);
  id = 100;
  for (const Row& r : rows) {
    std::unique_ptr<VPushButton> b(Make(id++));
    EXPECT_EQ(b->GetWidth(), r.w) << r.what;
    EXPECT_EQ(b->GetHeight(), r.h) << r.what;
    int32_t x = 0, y = 0;
    b->GetPosition(x, y);
    EXPECT_EQ(x, r.x) << r.what;
    EXPECT_EQ(y, r.y) << r.what;
  }
  std::unique_ptr<VPushButton> missing(Make(999));
  EXPECT_EQ(missing->GetWidth(), 60);
  EXPECT_EQ(missing->GetHeight(), 20);
}

TEST_F(PushButton, IconListGivesPressedMixedAndDisabledIcons) {
  StoredBytes list;
  list.U16(kIconA).U16(kIconB).U16(0).U16(kIconB);
  file_->Add(kResTypeIconList, 50, list.bytes);
  file_->Add(kResTypeButton, 100, ButtonBytes(0, 0, 0, "", 50, kButtonIconList));
  std::unique_ptr<VPushButton> b(Make(100));
  ASSERT_NE(b->GetIcon(), nullptr);
  EXPECT_EQ(b->GetIcon()->GetId(), kIconA);
  ASSERT_NE(b->GetPressedIcon(), nullptr);
  EXPECT_EQ(b->GetPressedIcon()->GetId(), kIconB);
  EXPECT_EQ(b->GetMixedIcon(), nullptr);
  ASSERT_NE(b->GetDisabledIcon(), nullptr);
}

TEST_F(PushButton, TitleReferenceAndFlagsAndBinding) {
  host_->Add(120);
  host_->Add(121);
  StoredBytes strs;
  strs.U16(2).U8(3).U8('O').U8('n').U8('e').U8(3).U8('T').U8('w').U8('o');
  file_->Add(FourCC("STR#"), 700, strs.bytes);
  file_->Add(kResTypeButton, 100, ButtonBytes(120, 0, 0, ":700,2", 0, 0xF0));
  std::unique_ptr<VPushButton> b(Make(100));
  char title[64];
  b->GetTitle()->GetCText(title, sizeof title, kCharSetMac);
  EXPECT_STREQ(title, "Two");
  EXPECT_EQ(b->GetCommandId(), 120);
  EXPECT_TRUE(b->IsAutoRepeat());
  EXPECT_TRUE(b->IsToggle());
  EXPECT_TRUE(b->UsesAltFont());
  EXPECT_TRUE(b->HasNoFrame());
  std::unique_ptr<VPushButton> given(Make(100, 121));
  EXPECT_EQ(given->GetCommandId(), 121) << "the constructor's id wins";
}

TEST_F(PushButton, PlainPressSendsOnlyWhenReleasedInside) {
  host_->Add(200);
  VPushButton* b = Plain(200);
  Click(*b, {{5, 5}});
  EXPECT_EQ(host_->sent, (std::vector<SentMessage>{{200, 0}}));
  host_->sent.clear();
  Click(*b, {{5, 5}, {50, 50}});
  EXPECT_TRUE(host_->sent.empty()) << "released outside";
  Click(*b, {{50, 50}, {5, 5}});
  EXPECT_EQ(host_->sent.size(), 1u) << "moved in before the release";
  EXPECT_EQ(host_->commands[200]->GetLong(), 0) << "the pressed state is undone";
  EXPECT_FALSE(b->IsHighlighted());
  EXPECT_EQ(b->GetToolTipState(), kTipDone);
}

TEST_F(PushButton, TimelineEndingMidPressReleasesTheButton) {
  host_->Add(200);
  VPushButton* b = Plain(200);
  Script(*b, {{5, 5, true}});
  VEvent e;
  EXPECT_TRUE(b->MouseDown(e));
  EXPECT_EQ(host_->sent.size(), 1u);
  EXPECT_FALSE(VSystemServices::IsAnyMouseButtonDown());
}

TEST_F(PushButton, DisabledOrUnboundButtonsSendNothing) {
  host_->Add(200)->SetEnabled(false, 0);
  VPushButton* b = Plain(200);
  Click(*b, {{5, 5}});
  VPushButton* unbound = Plain(0, 60);
  Click(*unbound, {{5, 5}});
  EXPECT_TRUE(host_->sent.empty());
}

TEST_F(PushButton, AutoRepeatSendsAtOnceThenAfterTheDoubleClickTime) {
  host_->Add(200);
  VPushButton* b = Plain(200);
  b->SetAutoRepeat(1);
  std::vector<uint32_t> ticks;
  host_->onCommand = [&](int32_t) { ticks.push_back(VSystemServices::TickCount60()); };
  Script(*b, {{5, 5, true}, {5, 5, true}}, 1000);
  VEvent e;
  b->MouseDown(e);
  ASSERT_GE(ticks.size(), 3u);
  const uint32_t wait = VSystemServices::GetDoubleClickTime();
  EXPECT_LE(ticks[0], 1u) << "the first pass sends";
  EXPECT_GE(ticks[1], wait) << "then nothing until the double-click time";
  EXPECT_EQ(host_->sent.size(), ticks.size()) << "the click handler sends nothing more";
}

TEST_F(PushButton, ToggleFlipsOnlyWhenReleasedInside) {
  VCommand* c = host_->Add(200);
  file_->Add(kResTypeButton, 100, ButtonBytes(200, 30, 20, "", 0, kButtonToggle));
  VPushButton* b = Make(100);
  ASSERT_TRUE(b->IsToggle());
  struct Row {
    int32_t before;
    bool inside;
    int32_t after;
    size_t sent;
  };
  const std::vector<Row> rows = {
      {1, true, 0, 1}, {1, false, 1, 0}, {0, true, 1, 1}, {0, false, 0, 0}, {2, true, 1, 1}};
  for (const Row& r : rows) {
    c->SetLong(nullptr, r.before, 0);
    host_->sent.clear();
    Click(*b, r.inside ? std::vector<Move>{{5, 5}} : std::vector<Move>{{5, 5}, {90, 90}});
    EXPECT_EQ(c->GetLong(), r.after) << r.before << (r.inside ? " inside" : " outside");
    EXPECT_EQ(host_->sent.size(), r.sent) << r.before << (r.inside ? " inside" : " outside");
  }
}

// Command values that are not a button's: a text becomes a number, odd
// numbers are kept, and tracking puts them back.
TEST_F(PushButton, OddCommandValues) {
  VCommand* c = host_->Add(200);
  VPushButton* b = Plain(200);
  VStr<255> text;
  text.SetCText("text", kCharSetMac);
  c->SetString(nullptr, text, 0);
  b->EnsureValue();
  ASSERT_NE(c->GetValue(), nullptr);
  EXPECT_EQ(c->GetValue()->GetKind(), kValueLong);
  EXPECT_EQ(c->GetLong(), 0);
  for (int32_t v : {-5, 3}) {
    c->SetLong(nullptr, v, 0);
    Click(*b, {{5, 5}});
    EXPECT_EQ(c->GetLong(), v);
    b->Invalidate(2);  // draws the odd state without harm
  }
}

TEST_F(PushButton, HotTrackingHighlightsWhileTheMouseIsOver) {
  host_->Add(200);
  VPushButton* b = Plain(200);
  VEvent e;
  b->AdjustCursor(e);
  EXPECT_FALSE(b->IsHighlighted());
  b->SetHotTrack(1);
  b->AdjustCursor(e);
  EXPECT_TRUE(b->IsHighlighted());
  b->CursorHook();
  EXPECT_FALSE(b->IsHighlighted());
}

namespace {

// Three group buttons side by side (x 10, 50, 90), commands 301 to 303 in
// group 300, chained as the toolbar factory chains them.
class ButtonGroup : public PushButton {
 protected:
  void SetUp() override {
    PushButton::SetUp();
    group_ = host_->Add(300, "", true);
    for (int i = 0; i < 3; ++i) {
      host_->Add(301 + i);
      buttons_[i] = Plain(301 + i, 10 + 40 * i);
    }
    for (int i = 0; i < 3; ++i) {
      if (i > 0) buttons_[i]->SetPrevious(buttons_[i - 1]);
      if (i < 2) buttons_[i]->SetNext(buttons_[i + 1]);
    }
  }
  void Join() {
    for (VPushButton* b : buttons_) b->AttachGroupCommand(300);
  }
  VCommand* group_ = nullptr;
  VPushButton* buttons_[3] = {};
};

}  // namespace

TEST_F(ButtonGroup, FirstToJoinIsSelected) {
  Join();
  EXPECT_EQ(group_->GetLong(), 301);
  EXPECT_EQ(host_->commands[301]->GetLong(), 1);
  EXPECT_TRUE(buttons_[2]->HasGroupCommand());
  EXPECT_EQ(buttons_[2]->GetGroupCommandId(), 300);
}

TEST_F(ButtonGroup, ClickSelectsAndSendsTheGroup) {
  Join();
  // Pressed on the first, dragged over the second, released on the third.
  Click(*buttons_[0], {{5, 5}, {45, 5}, {85, 5}});
  EXPECT_EQ(group_->GetLong(), 303);
  EXPECT_EQ(host_->commands[303]->GetLong(), 1);
  EXPECT_EQ(host_->commands[302]->GetLong(), 0) << "passed over, put back";
  EXPECT_EQ(host_->commands[301]->GetLong(), 0) << "the old selection";
  EXPECT_EQ(host_->sent, (std::vector<SentMessage>{{300, 303}}));
}

TEST_F(ButtonGroup, UnsetGroupSelectsTheHeadWhenTrackingStarts) {
  for (VPushButton* b : buttons_) b->AttachGroupCommand(0);
  // Joined without selection: the group's value is given, then taken away.
  Join();
  group_->SetNull(nullptr, 0);
  Click(*buttons_[1], {{5, 5}, {500, 500}});
  EXPECT_EQ(group_->GetLong(), 301);
  EXPECT_EQ(host_->sent, (std::vector<SentMessage>{{300, 301}})) << "released over none";
}

TEST_F(ButtonGroup, DisabledMemberIsNeverHit) {
  Join();
  host_->commands[302]->SetEnabled(false, 0);
  Click(*buttons_[0], {{45, 5}});
  EXPECT_EQ(group_->GetLong(), 301) << "the selection stays";
  EXPECT_EQ(host_->commands[302]->GetLong(), 0);
  // Released over no enabled button: the unchanged selection is sent.
  EXPECT_EQ(host_->sent, (std::vector<SentMessage>{{300, 301}}));
}

TEST_F(ButtonGroup, ToolbarCopiesChainTheirButtons) {
  Join();
  VPushButton::ResetOpenGroupChain();
  VPushButton* copies[3];
  for (int i = 0; i < 3; ++i) copies[i] = static_cast<VPushButton*>(buttons_[i]->Clone(host_, 0));
  EXPECT_EQ(copies[0]->GetPrevious(), nullptr);
  EXPECT_EQ(copies[0]->GetNext(), copies[1]);
  EXPECT_EQ(copies[1]->GetPrevious(), copies[0]);
  EXPECT_EQ(copies[2]->GetPrevious(), copies[1]);
  EXPECT_EQ(copies[2]->GetNext(), nullptr);
  EXPECT_EQ(VPushButton::GetOpenGroupChain(), nullptr) << "the chain's last closes it";
  EXPECT_EQ(copies[1]->GetGroupCommandId(), 300);
}

TEST_F(ButtonGroup, AbortedCopyLeavesNoPointerToADeletedButton) {
  Join();
  VPushButton::ResetOpenGroupChain();
  // A copy stopped after the first button: the chain is left open on it.
  VFrame* first = buttons_[0]->Clone(host_, 0);
  EXPECT_EQ(VPushButton::GetOpenGroupChain(), first);
  delete first;
  EXPECT_EQ(VPushButton::GetOpenGroupChain(), nullptr);
  // The next toolbar copy starts afresh.
  VPushButton::ResetOpenGroupChain();
  VFrame* again = buttons_[1]->Clone(host_, 0);
  EXPECT_EQ(static_cast<VPushButton*>(again)->GetPrevious(), nullptr);
}

TEST_F(PushButton, CopyKeepsIconsOfItsOwn) {
  file_->Add(kResTypeButton, 100, ButtonBytes(0, 0, 0, "", kIconA, kButtonToggle));
  auto* source = Make(100);
  VFrame* copy = source->Clone(host_, 0);
  delete source;
  auto* b = static_cast<VPushButton*>(copy);
  ASSERT_NE(b->GetIcon(), nullptr);
  EXPECT_EQ(b->GetIcon()->GetId(), kIconA);
  EXPECT_TRUE(b->IsToggle());
  b->Invalidate(2);
}
