// Edit fields from 'XEDT': focus makes the text frame, Return or Enter
// commits, a refused commit puts the value back and keeps the text, hiding
// drops the focus with -1989, and edit messages reach the frame only while
// focused.
#include "controls/controls/VEditField.h"

#include <gtest/gtest.h>

#include "controls/controls/ControlTemplates.h"
#include "controls/tests/ControlTestSupport.h"
#include "controls/text/VEntryFilters.h"
#include "controls/text/VTextEditFrame.h"
#include "framework/core/values/VLong.h"

namespace {

VEvent FieldKey(int16_t code, char16_t character = 0, bool command = false) {
  VEvent e(0, 0, 0, false, false, command, false, false, 0, uint16_t(code));
  e.SetCharacter(character);
  return e;
}
VEvent FieldTyped(char c) { return FieldKey(int16_t(uint8_t(c)), char16_t(uint8_t(c))); }

std::string FieldValueText(const VValue* v) {
  if (v == nullptr) return "<none>";
  VStr<255> s;
  v->FormatTo(s, nullptr, kWholeValue);
  char c[256];
  s.GetCText(c, sizeof c, kCharSetMac);
  return c;
}

std::string FrameText(const VEditField& f) {
  if (f.GetTextFrame() == nullptr) return "<no frame>";
  VStr<255> s;
  f.GetTextFrame()->GetText(s);
  char c[256];
  s.GetCText(c, sizeof c, kCharSetMac);
  return c;
}

std::vector<uint8_t> EditTemplateBytes(int32_t command, int16_t filter) {
  StoredBytes b;
  b.I32(command).I32(12).I32(14).I32(90).I32(22).Title("").U16(0).U16(uint16_t(filter)).U16(0);
  return b.bytes;
}

class EditField : public ControlTest {
 protected:
  void SetUp() override {
    ControlTest::SetUp();
    command_ = host_->Add(200, "Size");
    VStr<255> v;
    v.SetCText("12", kCharSetMac);
    command_->SetString(nullptr, v, 0);
    field_ = new VEditField(host_);
    field_->MoveTo(10, 10, 0);
    field_->ResizeTo(90, 22, 0);
    field_->AttachCommand(200);
  }
  void Focus() { ASSERT_TRUE(field_->RequestFocus()); }
  void Type(const std::string& s) {
    for (char c : s) {
      VEvent e = FieldTyped(c);
      field_->HandleKey(e);
    }
  }
  int32_t Press(int16_t code) {
    VEvent e = FieldKey(code);
    return field_->HandleKey(e);
  }
  VCommand* command_ = nullptr;
  VEditField* field_ = nullptr;
};

}  // namespace

TEST_F(EditField, FocusMakesTheFrameWithAllSelected) {
  EXPECT_EQ(field_->GetTextFrame(), nullptr);
  Focus();
  VTextEditFrame* frame = field_->GetTextFrame();
  ASSERT_NE(frame, nullptr);
  int32_t x = 0, y = 0;
  frame->GetPosition(x, y);
  EXPECT_EQ(x, 2);
  EXPECT_EQ(y, 2);
  EXPECT_EQ(frame->GetWidth(), 86);
  EXPECT_EQ(frame->GetHeight(), 18);
  EXPECT_EQ(FrameText(*field_), "12");
  int32_t a = 0, b = 0;
  frame->GetSelection(a, b);
  EXPECT_EQ(a, 0);
  EXPECT_EQ(b, 2);
  EXPECT_FALSE(field_->IsValueDirty());
  field_->ResizeTo(120, 30, 0);
  EXPECT_EQ(frame->GetWidth(), 116);
  EXPECT_EQ(frame->GetHeight(), 26);
}

TEST_F(EditField, ReturnOrEnterCommits) {
  for (int16_t key : {kKeyReturn, kKeyEnter}) {
    Focus();
    Type("34");
    host_->sent.clear();
    EXPECT_EQ(Press(key), 0);
    EXPECT_EQ(host_->sent, (std::vector<SentMessage>{{200, 0}})) << key;
    EXPECT_EQ(FieldValueText(command_->GetValue()), "34");
    EXPECT_FALSE(field_->IsModified());
    field_->LoseFocus(nullptr);
    VStr<255> v;
    v.SetCText("12", kCharSetMac);
    command_->SetString(nullptr, v, 0);
  }
}

TEST_F(EditField, ReturnWithNothingTypedSendsNothing) {
  Focus();
  Press(kKeyLeft);
  EXPECT_EQ(Press(kKeyReturn), 0);
  EXPECT_TRUE(host_->sent.empty());
  VEvent commandReturn = FieldKey(kKeyReturn, 13, true);
  Type("5");
  EXPECT_EQ(field_->HandleKey(commandReturn), 1) << "with the command flag it is no Return";
  EXPECT_TRUE(host_->sent.empty());
}

TEST_F(EditField, RefusedCommitRestoresTheValueAndKeepsTheText) {
  Focus();
  Type("abc");
  host_->accept = false;
  EXPECT_EQ(Press(kKeyReturn), 0);
  EXPECT_EQ(host_->sent.size(), 1u);
  EXPECT_EQ(FieldValueText(command_->GetValue()), "12");
  EXPECT_EQ(FrameText(*field_), "abc");
  EXPECT_TRUE(field_->IsFocused());
  EXPECT_TRUE(field_->GetTextFrame()->IsFocused());
  EXPECT_TRUE(field_->IsModified()) << "Return again tries again";
}

TEST_F(EditField, AcceptedCommitShowsTheValueAsTheExecutorLeftIt) {
  host_->onCommand = [&](int32_t) {
    VStr<255> v;
    v.SetCText("1,000", kCharSetMac);
    command_->SetString(field_, v, 0);
  };
  Focus();
  Type("1000");
  Press(kKeyReturn);
  EXPECT_EQ(FrameText(*field_), "1,000");
  EXPECT_FALSE(field_->IsModified());
}

TEST_F(EditField, LosingFocusDropsUncommittedText) {
  Focus();
  Type("99");
  field_->LoseFocus(nullptr);
  EXPECT_EQ(field_->GetTextFrame(), nullptr);
  EXPECT_EQ(FieldValueText(command_->GetValue()), "12");
  EXPECT_TRUE(field_->IsValueDirty());
  EXPECT_TRUE(field_->CommitText()) << "nothing to commit";
  EXPECT_EQ(host_->sent, (std::vector<SentMessage>{{kMsgLostFocus, 0}})) << "no command";
}

TEST_F(EditField, HidingSendsFocusLost) {
  Focus();
  host_->sent.clear();
  field_->SetVisible(false);
  EXPECT_FALSE(field_->IsFocused());
  EXPECT_EQ(field_->GetTextFrame(), nullptr);
  EXPECT_EQ(host_->sent, (std::vector<SentMessage>{{kMsgLostFocus, 0}}));
  VEvent e = FieldTyped('x');
  EXPECT_EQ(field_->HandleKey(e), 1);
}

TEST_F(EditField, EditMessagesReachTheFrameOnlyWhileFocused) {
  host_->sent.clear();
  field_->NotifyParent(field_, kEditSelectAll, 0);
  EXPECT_EQ(host_->sent, (std::vector<SentMessage>{{kEditSelectAll, 0}})) << "unfocused: to the parent";
  Focus();
  host_->sent.clear();
  for (int32_t m = 1; m <= 7; ++m) EXPECT_TRUE(field_->NotifyParent(field_, m, 0)) << m;
  EXPECT_TRUE(host_->sent.empty()) << "all seven went to the frame";
  field_->NotifyParent(field_, 8, 0);
  EXPECT_EQ(host_->sent, (std::vector<SentMessage>{{8, 0}}));
  EXPECT_NE(field_->UpdateEditCommands(), 0);
  EXPECT_TRUE(field_->AcceptsScrapType(FourCC("TEXT")));
}

TEST_F(EditField, RevertTakesTheCommandValueBack) {
  Focus();
  Type("77");
  field_->NotifyParent(field_, kEditRevert, 0);
  EXPECT_EQ(FrameText(*field_), "12");
  EXPECT_FALSE(field_->IsModified());
}

TEST_F(EditField, ValuesThatAreNotTextBecomeText) {
  command_->SetLong(nullptr, 42, 0);
  field_->EnsureValue();
  ASSERT_NE(command_->GetValue(), nullptr);
  EXPECT_EQ(command_->GetValue()->GetKind(), kValueString);
  EXPECT_EQ(FieldValueText(command_->GetValue()), "42");
  command_->SetNull(nullptr, 0);
  field_->EnsureValue();
  EXPECT_EQ(FieldValueText(command_->GetValue()), "");
}

TEST_F(EditField, DisabledOrUnboundFieldsTakeNoFocusFromClicks) {
  command_->SetEnabled(false, 0);
  VEvent click(20, 20, 0, false, false, false, false, false, 1, 0);
  EXPECT_TRUE(field_->MouseDown(click));
  EXPECT_FALSE(field_->IsFocused());
  command_->SetEnabled(true, 0);
  EXPECT_TRUE(field_->MouseDown(click));
  EXPECT_TRUE(field_->IsFocused());
  field_->SetEnabled(false);
  EXPECT_EQ(field_->GetCursorId(), 0);
  field_->SetEnabled(true);
  EXPECT_EQ(field_->GetCursorId(), 1);
}

TEST_F(EditField, TemplatesGiveSizeAndFilter) {
  StoredResourceFile file;
  file.Add(kResTypeEditField, 10, EditTemplateBytes(200, kFilterUnsignedInteger));
  file.Add(kResTypeEditField, 11, EditTemplateBytes(200, -5));
  file.Add(kResTypeEditField, 12, EditTemplateBytes(200, 0));
  file.Add(kResTypeEditField, 13, std::vector<uint8_t>(51, 0));
  VResourceFile* f = file.Open();
  struct Row {
    int16_t id;
    bool filtered;
    int32_t w;
  };
  for (const Row& r : std::vector<Row>{{10, true, 90}, {11, false, 90}, {12, false, 90},
                                      {13, false, 0}, {99, false, 0}}) {
    VEditField e(host_, nullptr, f, r.id, 0);
    EXPECT_EQ(e.GetEntryFilter() != nullptr, r.filtered) << r.id;
    EXPECT_EQ(e.GetWidth() == 90, r.w == 90) << r.id;
    EXPECT_EQ(e.GetCommandId(), r.w == 90 ? 200 : 0) << r.id;
    EXPECT_EQ(e.GetResourceId(), r.id);
  }
  VEditField filtered(host_, nullptr, f, 10, 0);
  filtered.RequestFocus();
  VEvent e = FieldTyped('a');
  EXPECT_EQ(filtered.HandleKey(e), 1) << "the unsigned filter refuses letters";
  VEvent d = FieldTyped('5');
  EXPECT_EQ(filtered.HandleKey(d), 0);
}
