// The small toolbar controls and the factory: static text columns, icons
// by value, the lock-key indicator at idle, the choosers' samples, the menu
// button's width and pressed state, and the items a toolbar list makes.
#include <gtest/gtest.h>

#include <memory>

#include "controls/controls/VEditField.h"
#include "controls/controls/VPushButton.h"
#include "controls/looks/LookPainterMaker.h"
#include "controls/tests/ControlTestSupport.h"
#include "controls/toolbars/ToolBarControlFactory.h"
#include "controls/toolbars/VChoosers.h"
#include "controls/toolbars/VDropDownList.h"
#include "controls/toolbars/VMenuButton.h"
#include "controls/toolbars/VStaticControls.h"
#include "controls/toolbars/VToolBarSeparator.h"
#include "graphics/VIconShape.h"
#include "platform/win32/WinInput.h"
#include "platform/win32/WinPaint.h"

namespace {

// Columns (x) where two drawings of the same frame differ.
std::vector<int32_t> ChangedColumns(const std::function<void(VPort&)>& before,
                                    const std::function<void(VPort&)>& after, int32_t w, int32_t h) {
  LookCanvas a(w, h);
  LookCanvas b(w, h);
  a.port().SetLook(2);
  b.port().SetLook(2);
  before(a.port());
  after(b.port());
  std::vector<int32_t> columns;
  for (int32_t x = 0; x < w; ++x)
    for (int32_t y = 0; y < h; ++y)
      if (a.At(x, y) != b.At(x, y)) {
        columns.push_back(x);
        break;
      }
  return columns;
}

bool AnyIn(const std::vector<int32_t>& xs, int32_t from, int32_t to) {
  for (int32_t x : xs)
    if (x >= from && x < to) return true;
  return false;
}

VStr<255> S(const char* text) {
  VStr<255> s;
  s.SetCText(text, kCharSetMac);
  return s;
}

class ToolbarControls : public ControlTest {
 protected:
  void SetUp() override {
    VLookPainterMakerService::Install(&kLookPainterMaker);
    ControlTest::SetUp();
    looks_ = std::make_unique<LookResources>();
    file_ = std::make_unique<StoredResourceFile>();
  }
  void TearDown() override {
    file_.reset();
    looks_.reset();
    ControlTest::TearDown();
    VLookPainterMakerService::Remove(&kLookPainterMaker);
  }
  std::unique_ptr<LookResources> looks_;
  VResourceFile* Opened() {
    if (opened_ == nullptr) opened_ = file_->Open();
    return opened_;
  }
  std::unique_ptr<StoredResourceFile> file_;
  VResourceFile* opened_ = nullptr;
};

// Records the command's value at each change it hears.
class ValueWatcher : public VControl {
 public:
  explicit ValueWatcher(VFrame* parent) : VControl(parent) {}
  void CommandValueChanged(int32_t mode) override {
    VControl::CommandValueChanged(mode);
    seen.push_back(GetLongValue());
  }
  std::vector<int32_t> seen;
};

}  // namespace

TEST_F(ToolbarControls, StaticTextDrawsTabFieldsAtTheColumnSteps) {
  host_->Add(400)->SetString(nullptr, S("Ab\tCd\tEf"), 0);
  StoredBytes b;
  b.I32(400).I32(0).I32(0).I32(160).I32(20).U16(0).U16(50);
  file_->Add(kResTypeStaticText, 10, b.bytes);
  VStaticText text(host_, nullptr, Opened(), 10, 0);
  ASSERT_EQ(text.GetColumnStep(), 50);
  ASSERT_EQ(text.GetWidth(), 160);
  VStaticText empty(host_, nullptr, Opened(), 10, 0);
  empty.AttachCommand(0);
  const auto columns = ChangedColumns([&](VPort& p) { empty.DrawContent(p); },
                                      [&](VPort& p) { text.DrawContent(p); }, 160, 20);
  ASSERT_FALSE(columns.empty());
  EXPECT_EQ(columns.front(), 5);
  EXPECT_TRUE(AnyIn(columns, 55, 60));
  EXPECT_TRUE(AnyIn(columns, 105, 110));
  EXPECT_FALSE(AnyIn(columns, 30, 55));
  EXPECT_FALSE(AnyIn(columns, 80, 105));
  // A missing template: 60 x 20 at (0, 0).
  VStaticText missing(host_, nullptr, Opened(), 99, 0);
  EXPECT_EQ(missing.GetWidth(), 60);
  EXPECT_EQ(missing.GetHeight(), 20);
}

TEST_F(ToolbarControls, IconControlShowsTheIconOfTheValue) {
  VCommand* c = host_->Add(401);
  c->SetLong(nullptr, 2, 0);
  StoredBytes b;
  b.I32(401).I32(0).I32(0).I32(0).I32(0).U16(0).Title("", 30).U16(0).U16(2);
  b.U16(1).U16(3001).U16(2).U16(3002);
  file_->Add(kResTypeIconControl, 11, b.bytes);
  VIconControl icon(host_, nullptr, Opened(), 11, 0);
  EXPECT_EQ(icon.CurrentIconId(), 3002);
  ASSERT_NE(icon.GetIcon(), nullptr);
  EXPECT_EQ(icon.GetIcon()->GetId(), 3002);
  // A value no pair has draws no icon.
  c->SetLong(nullptr, 7, 1);
  LookCanvas canvas(60, 20);
  icon.DrawContent(canvas.port());
  EXPECT_EQ(icon.CurrentIconId(), 0);
  EXPECT_EQ(icon.GetIcon(), nullptr);
  // A copy shares the pairs.
  std::unique_ptr<VFrame> copy(icon.Clone(host_, 0));
  c->SetLong(nullptr, 1, 1);
  EXPECT_EQ(static_cast<VIconControl*>(copy.get())->CurrentIconId(), 3001);
}

TEST_F(ToolbarControls, LockIndicatorFollowsCapsLockAtIdle) {
  StoredBytes b;
  b.I32(kLockKeyCaps).I32(0).I32(0).I32(30).I32(16).U16(0).Title("CAPS");
  file_->Add(kResTypeLockIndicator, 12, b.bytes);
  SetHeadlessKeyToggled(VK_CAPITAL, false);
  VIconList lock(host_, nullptr, Opened(), 12, 0);
  EXPECT_EQ(lock.GetKey(), kLockKeyCaps);
  EXPECT_FALSE(lock.IsLockOn());
  SetHeadlessKeyToggled(VK_CAPITAL, true);
  ValidateRect(lock.GetWindowHandle(), nullptr);
  lock.Idle(false);
  RECT r{};
  EXPECT_TRUE(GetUpdateRect(lock.GetWindowHandle(), &r, FALSE_));
  LookCanvas canvas(30, 16);
  lock.DrawContent(canvas.port());
  EXPECT_TRUE(lock.IsLockOn());
  // Drawn on, it looks otherwise than drawn off.
  SetHeadlessKeyToggled(VK_CAPITAL, false);
  const auto onOff = ChangedColumns(
      [&](VPort& p) { lock.DrawContent(p); },
      [&](VPort& p) {
        SetHeadlessKeyToggled(VK_CAPITAL, true);
        lock.DrawContent(p);
      },
      30, 16);
  EXPECT_FALSE(onOff.empty());
  SetHeadlessKeyToggled(VK_CAPITAL, false);
}

TEST_F(ToolbarControls, ChooserSamples) {
  VCommand* c = host_->Add(402);
  StoredBytes b;
  b.I32(402).I32(0).I32(0).I32(40).I32(26).U16(0).U16(0).U16(0);
  file_->Add(kResTypeChooser, 13, b.bytes);
  VColorChooser colour(host_, nullptr, Opened(), 13, 0);
  int32_t sample[4];
  colour.GetSampleRect(sample);
  EXPECT_EQ(sample[2], 34);
  EXPECT_EQ(sample[3], 20);
  // An RGB value fills the sample; so does an index past the choice list.
  LookCanvas canvas(40, 26);
  c->SetLong(nullptr, 0x0000FF, 0);
  colour.DrawSample(canvas.port(), sample);
  EXPECT_EQ(canvas.At(20, 13), COLORREF(0x0000FF));
  c->SetLong(nullptr, 0x01000000 | 0x00FF00, 0);
  colour.DrawSample(canvas.port(), sample);
  EXPECT_EQ(canvas.At(20, 13), COLORREF(0x00FF00));

  // The line chooser: a value of 30 in a 20-high sample is 18 thick.
  VLineChooser line(host_, nullptr, Opened(), 13, 0);
  const auto rows = [&](int32_t value) {
    c->SetLong(nullptr, value, 0);
    LookCanvas before(40, 26), after(40, 26);
    c->SetLong(nullptr, 0, 0);
    line.DrawSample(before.port(), sample);
    c->SetLong(nullptr, value, 0);
    line.DrawSample(after.port(), sample);
    int32_t n = 0;
    for (int32_t y = 0; y < 26; ++y) n += before.At(20, y) != after.At(20, y) ? 1 : 0;
    return n;
  };
  EXPECT_EQ(rows(30), 18);
  EXPECT_EQ(rows(4), 4);
}

TEST_F(ToolbarControls, PatternValuesOutsideTheMenuDrawTheMixedSample) {
  VCommand* c = host_->Add(403);
  StoredBytes b;
  b.I32(403).I32(0).I32(0).I32(40).I32(26).U16(0).U16(0).U16(0);
  file_->Add(kResTypeChooser, 14, b.bytes);
  VPatternChooser pattern(host_, nullptr, Opened(), 14, 0);
  int32_t sample[4];
  pattern.GetSampleRect(sample);
  LookCanvas mixed(40, 26);
  pattern.DrawSample(mixed.port(), sample);  // no value
  for (int32_t value : {0, 37, -1}) {
    c->SetLong(nullptr, value, 0);
    LookCanvas canvas(40, 26);
    pattern.DrawSample(canvas.port(), sample);
    EXPECT_EQ(canvas.Count(mixed.At(5, 5), 3, 3, 34, 20), mixed.Count(mixed.At(5, 5), 3, 3, 34, 20))
        << value;
    EXPECT_EQ(canvas.At(4, 3), mixed.At(4, 3)) << value;
    EXPECT_EQ(canvas.At(3, 3), mixed.At(3, 3)) << value;
  }
}

TEST_F(ToolbarControls, MenuButtonWidthFollowsTheSide) {
  host_->Add(404);
  StoredBytes b;
  b.I32(404).I32(30).I32(40).I32(0).I32(0).Title("Insert").U16(0).U16(0);
  for (char ch : std::string("ABCD")) b.U8(uint8_t(ch));  // no menu
  b.U16(0);
  file_->Add(kResTypeMenuButton, 15, b.bytes);
  StoredBytes e;
  e.I32(404).I32(0).I32(0).I32(0).I32(0).Title("").U16(0).U16(0).I32(0).U16(0);
  file_->Add(kResTypeMenuButton, 16, e.bytes);
  LookCanvas measure(10, 10);
  VPort& port = measure.port();
  VMenuButton button(host_, &port, Opened(), 15, 0);
  const int16_t natural = button.GetNaturalWidth();
  EXPECT_EQ(button.GetWidth(), natural);
  int32_t x = -1, y = -1;
  button.GetPosition(x, y);
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, 0);
  VMenuButton empty(host_, &port, Opened(), 16, 0);
  port.UseStandardFont(1);
  EXPECT_EQ(empty.GetNaturalWidth(), int16_t(4.0f * port.MeasureChar(' ', 1)));
  EXPECT_GT(natural, empty.GetNaturalWidth());

  host_->ResizeTo(natural + 40, 200, 0);
  button.SetSide(kSideLeft);
  EXPECT_EQ(button.GetWidth(), natural + 32);
  button.SetSide(kSideTop);
  EXPECT_EQ(button.GetWidth(), natural);
  host_->ResizeTo(natural - 20, 200, 0);
  button.SetSide(kSideFloating);
  EXPECT_EQ(button.GetWidth(), natural);
}

TEST_F(ToolbarControls, MenuButtonPressShowsMinus100ToEveryControlOfTheCommand) {
  VCommand* c = host_->Add(405);
  c->SetLong(nullptr, 0, 0);
  StoredBytes b;
  b.I32(405).I32(0).I32(0).I32(0).I32(0).Title("Go").U16(0).U16(0).I32(0).U16(0);
  file_->Add(kResTypeMenuButton, 17, b.bytes);
  VMenuButton button(host_, nullptr, Opened(), 17, 0);
  ValueWatcher watcher(host_);
  watcher.AttachCommand(405);
  VEvent press(1, 1, 0, false, false, false, false, false, 1, 0);
  button.MouseDown(press);
  EXPECT_EQ(watcher.seen, (std::vector<int32_t>{kStatePressed, 0}));
}

TEST_F(ToolbarControls, FactoryMakesEveryKindAndGroupsButtons) {
  host_->Add(500);
  StoredBytes button;
  button.I32(0).I32(0).I32(0).I32(20).I32(20).Title("").U16(0).U16(0).U8(0);
  for (int16_t id = 1; id <= 6; ++id) file_->Add(kResTypeButton, id, button.bytes);
  int customCalls = 0;
  VCustomControlMaker custom = [&](VFrame*, VPort*, VResourceFile*, uint32_t kind, int16_t) -> VFrame* {
    ++customCalls;
    return kind == FourCC("ZZZZ") ? new VStaticText(host_) : nullptr;
  };
  const std::vector<VToolBarItemEntry> items = {
      {kKindButtonGroup, 500}, {FourCC("XBUT"), 1}, {FourCC("XBUT"), 2}, {FourCC("XSPC"), 0},
      {FourCC("XBUT"), 3},     {kKindButtonGroup, 500}, {FourCC("XCHK"), 1}, {FourCC("XBUT"), 4},
      {kKindButtonGroup, 0},   {FourCC("XBUT"), 5},   {FourCC("XBUT"), 6}, {FourCC("XTSP"), 0},
      {FourCC("ZZZZ"), 1},     {FourCC("QQQQ"), 1},   {FourCC("XDRP"), 9}, {FourCC("XTXT"), 9},
      {FourCC("XICO"), 9},     {FourCC("XKLI"), 9},   {FourCC("XCCH"), 9}, {FourCC("XPCH"), 9},
      {FourCC("XLCH"), 9},     {FourCC("XMBU"), 9},   {FourCC("XEDT"), 9}};
  std::vector<VFrame*> made = MakeToolBarControls(host_, nullptr, Opened(), items, custom);
  ASSERT_EQ(made.size(), 19u);
  auto* b1 = dynamic_cast<VPushButton*>(made[0]);
  auto* b2 = dynamic_cast<VPushButton*>(made[1]);
  auto* b3 = dynamic_cast<VPushButton*>(made[3]);
  auto* b4 = dynamic_cast<VPushButton*>(made[5]);
  auto* b5 = dynamic_cast<VPushButton*>(made[6]);
  ASSERT_TRUE(b1 && b2 && b3 && b4 && b5);
  EXPECT_EQ(b1->GetNext(), b2);
  EXPECT_EQ(b2->GetPrevious(), b1);
  EXPECT_EQ(b2->GetNext(), nullptr);
  EXPECT_EQ(b1->GetGroupCommandId(), 500);
  EXPECT_FALSE(b3->HasGroupCommand()) << "the separator ended the group";
  EXPECT_FALSE(b4->HasGroupCommand()) << "a check box first makes no group";
  EXPECT_FALSE(b5->HasGroupCommand()) << "'XGRP' 0 opens none";
  EXPECT_EQ(made[2]->GetKind(), kKindSeparator);
  EXPECT_EQ(made[8]->GetKind(), kKindSeparator);
  EXPECT_FALSE(static_cast<VToolBarSeparator*>(made[8])->DrawsLine());
  EXPECT_EQ(customCalls, 2);
  EXPECT_NE(dynamic_cast<VStaticText*>(made[9]), nullptr);
  EXPECT_NE(dynamic_cast<VDropDownList*>(made[10]), nullptr);
  EXPECT_NE(dynamic_cast<VStaticText*>(made[11]), nullptr);
  EXPECT_NE(dynamic_cast<VIconControl*>(made[12]), nullptr);
  EXPECT_NE(dynamic_cast<VIconList*>(made[13]), nullptr);
  EXPECT_NE(dynamic_cast<VColorChooser*>(made[14]), nullptr);
  EXPECT_NE(dynamic_cast<VPatternChooser*>(made[15]), nullptr);
  EXPECT_NE(dynamic_cast<VLineChooser*>(made[16]), nullptr);
  EXPECT_NE(dynamic_cast<VMenuButton*>(made[17]), nullptr);
  EXPECT_NE(dynamic_cast<VEditField*>(made[18]), nullptr);
  // The status bar makes neither pattern nor line choosers.
  EXPECT_EQ(MakeToolBarControl(host_, nullptr, Opened(), FourCC("XPCH"), 9, true), nullptr);
  EXPECT_EQ(MakeToolBarControl(host_, nullptr, Opened(), FourCC("QQQQ"), 9, true), nullptr);
  for (VFrame* f : made) delete f;
}

TEST(ToolBarItems, BadInputs) {
  struct Row {
    const char* what;
    std::vector<uint8_t> bytes;
    bool taken;
    size_t items;
  };
  auto list = [](uint16_t count, size_t items, size_t cut = 0) {
    NativeBytes b;
    b.bytes.resize(2);
    std::memcpy(b.bytes.data(), &count, 2);
    for (size_t i = 0; i < items; ++i) b.U8('X').U8('B').U8('U').U8('T').I16(int16_t(i));
    if (cut != 0) b.Cut(b.bytes.size() - cut);
    return b.bytes;
  };
  const std::vector<Row> rows = {
      {"empty", {}, false, 0},
      {"one byte", {1}, false, 0},
      {"count 0", list(0, 0), true, 0},
      {"count 2 of 2", list(2, 2), true, 2},
      {"count 3 of 2", list(3, 2), false, 0},
      {"last item cut", list(2, 2, 1), false, 0},
      {"count 65535", list(65535, 1), false, 0},
      {"count 1 of 2", list(1, 2), true, 1},
  };
  for (const Row& r : rows) {
    std::vector<VToolBarItemEntry> out{{1, 1}};
    EXPECT_EQ(ReadToolBarItems(r.bytes.data(), r.bytes.size(), out), r.taken) << r.what;
    EXPECT_EQ(out.size(), r.taken ? r.items : 1u) << r.what;
  }
}
