// The text-field base over a field that records what it is asked: loading
// 'TEXT', 'styl' and 'HE' resources (and emptying on failure), strings in
// and out, the default font, colours, the selection stack and the context
// commands.
#include "controls/fields/VTextFieldBase.h"

#include <gtest/gtest.h>

#include "controls/tests/ControlTestSupport.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/strings/VByteString.h"
#include "framework/system/resources/VMemoryResourceFile.h"

namespace {

class RecordingField : public VTextFieldBase {
 public:
  explicit RecordingField(VFrame* parent) : VTextFieldBase(parent, true, false) {}
  bool SetText(const void* t, int32_t n, bool) override {
    text.assign(static_cast<const char*>(t) == nullptr ? "" : std::string(static_cast<const char*>(t), size_t(n)));
    calls.push_back("text");
    return true;
  }
  bool SetStyles(const void*, int32_t n, bool) override {
    calls.push_back("styles " + std::to_string(n));
    return true;
  }
  VMemHandle GetTextHandle(bool) override { return gMemoryMgr->NewHandleFromData(text.data(), uint32_t(text.size())); }
  void Clear(bool) override {}
  int32_t GetTextLength(bool) override { return int32_t(text.size()); }
  void SetAlignment(int32_t) override {}
  void SetFontNumber(int32_t n) override { calls.push_back("font " + std::to_string(n)); }
  void SetFontSize(int16_t n) override { calls.push_back("size " + std::to_string(n)); }
  void SetBold(bool on) override { calls.push_back(on ? "bold" : "not bold"); }
  void SetItalic(bool on) override { calls.push_back(on ? "italic" : "not italic"); }
  void SetUnderline(bool) override {}
  void SetOutline(bool) override {}
  void SetShadow(bool) override {}
  void SetCondense(bool) override {}
  void SetExtend(bool) override {}
  void SetPlain() override { calls.push_back("plain"); }
  void SetBackColor(uint32_t c) override { back = c; }
  void SetTextColor(uint32_t c) override { fore = c; }
  bool GetFontName(VString& out) override {
    out.SetCText("Courier", kCharSetMac);
    return true;
  }
  bool GetStyle(uint8_t& face) override {
    face = kFaceBold | kFaceUnderline;
    return true;
  }
  bool GetFontSize(int16_t& size) override {
    size = 14;
    return true;
  }
  bool GetColor(uint32_t& color) override {
    color = 0x0000FF;
    return true;
  }
  void SetSelection(int32_t s, int32_t e) override { start = s, end = e; }
  void GetSelection(int32_t& s, int32_t& e) override { s = start, e = end; }
  void ShowSelection() override {}
  int32_t FindText(int32_t, const VString&, bool) override { return -1; }
  bool ReplaceText(int32_t, int32_t, const VString&) override { return false; }
  void EnableUndo() override {}
  void DisableUndo() override {}
  bool IsUndoEnabled() override { return false; }
  void EmptyUndo() override {}
  void Redo() override {}
  void Undo() override {}
  bool CanUndo() override { return false; }

  std::string text;
  std::vector<std::string> calls;
  uint32_t back = 0, fore = 0;
  int32_t start = -5, end = -5;
};

class TextFieldBase : public ControlTest {
 protected:
  void SetUp() override {
    ControlTest::SetUp();
    field_ = new RecordingField(host_);
    file_ = std::make_unique<VMemoryResourceFile>(gMemoryMgr->NewHandle(0, 0), 1);
    Add(FourCC("TEXT"), 7, "seven");
    const std::vector<uint8_t> scrap(22, 0);
    file_->AddResource(FourCC("styl"), 7, nullptr, scrap.data(), uint32_t(scrap.size()));
  }
  void TearDown() override {
    file_.reset();
    ControlTest::TearDown();
  }
  void Add(uint32_t type, int16_t id, const std::string& bytes) {
    file_->AddResource(type, id, nullptr, bytes.data(), uint32_t(bytes.size()));
  }
  RecordingField* field_ = nullptr;
  std::unique_ptr<VMemoryResourceFile> file_;
};

TEST_F(TextFieldBase, LoadsTextAndStyledTextFromResources) {
  EXPECT_TRUE(field_->LoadTextResource(*file_, FourCC("TEXT"), 7, true));
  EXPECT_EQ(field_->calls, (std::vector<std::string>{"text"}));
  field_->calls.clear();
  EXPECT_TRUE(field_->LoadTextResource(*file_, FourCC("styl"), 7, true));
  EXPECT_EQ(field_->calls, (std::vector<std::string>{"text", "styles 22"}));
  EXPECT_EQ(field_->text, "seven");
}

TEST_F(TextFieldBase, ReadsAnyHeTypeAndEmptiesTheFieldWhenNothingLoads) {
  NativeBytes he;
  he.I32(int32_t(FourCC("HEab"))).I32(128).I32(0).I32(3).U8('a').U8('b').U8('c').I32(0).I32(0).I32(1).I32(2);
  const std::string stream(he.bytes.begin(), he.bytes.end());
  Add(FourCC("HEab"), 1, stream);
  Add(FourCC("abHE"), 1, stream);
  Add(FourCC("abHE"), 2, std::string("\0\0\1\0", 4));
  for (uint32_t type : {FourCC("HEab"), FourCC("abHE")}) {
    field_->text = "old";
    EXPECT_TRUE(field_->LoadTextResource(*file_, type, 1, true));
    EXPECT_EQ(field_->text, "abc");
    EXPECT_EQ(field_->start, 1);
    EXPECT_EQ(field_->end, 2);
  }
  struct Case {
    uint32_t type;
    int16_t id;
  };
  for (const Case& c : {Case{FourCC("abHE"), 2}, Case{FourCC("TEXT"), 99}, Case{FourCC("????"), 7},
                        Case{FourCC("styl"), 8}}) {
    field_->text = "old";
    EXPECT_FALSE(field_->LoadTextResource(*file_, c.type, c.id, true)) << c.id;
    EXPECT_EQ(field_->text, "") << "emptied";
  }
}

TEST_F(TextFieldBase, StringsGoInAsMacintoshTextAndComeBackWhole) {
  VStr<40> s;
  s.SetUniCText(u"cafe");
  EXPECT_TRUE(field_->SetString(s, true)) << "a UTF-16 string goes through a Macintosh copy";
  EXPECT_EQ(field_->text, "cafe");
  VMacStrInHandle mac;
  mac.SetCText("tea", kCharSetMac);
  EXPECT_TRUE(field_->SetString(mac, false));
  EXPECT_EQ(field_->text, "tea");
  VStr<40> back;
  field_->GetString(back, true);
  EXPECT_EQ(back.GetLength(), 3);
  EXPECT_EQ(back.GetCharAt(3), u'a');
}

TEST_F(TextFieldBase, DefaultFontColoursAndTheSelectionStack) {
  field_->SetDefaultFont(5);
  ASSERT_GE(field_->calls.size(), 5u);
  EXPECT_EQ(field_->calls.front(), "plain");
  EXPECT_EQ(field_->calls.back(), "not italic");
  field_->SetTextColorRGB(1, 2, 3);
  field_->SetBackColorRGB(0xFF, 0, 0x80);
  EXPECT_EQ(field_->fore, 0x030201u);
  EXPECT_EQ(field_->back, 0x8000FFu);
  field_->SelectAll();
  EXPECT_EQ(field_->end, kFieldTextEnd);
  field_->PopSelection();
  EXPECT_EQ(field_->start, 0) << "empty stacks give 0 to 0";
  EXPECT_EQ(field_->end, 0);
  field_->SetSelection(2, 4);
  field_->PushSelection();
  field_->SetSelection(9, 9);
  field_->PushSelection();
  field_->CollapseSelection(true);
  field_->PopSelection();
  field_->PopSelection();
  EXPECT_EQ(field_->start, 2);
  EXPECT_EQ(field_->end, 4);
}

TEST_F(TextFieldBase, ContextCommandsShowTheSelectionsAttributes) {
  for (int32_t id : {541, 542, 544, 545, 546, 547}) host_->Add(id);
  host_->commands[542]->SetLong(nullptr, 0, 0);
  field_->UpdateContextCommands();
  EXPECT_EQ(field_->GetCommandLong(542), 614);
  EXPECT_EQ(field_->GetCommandLong(544), 0xFF);
  EXPECT_EQ(field_->GetCommandLong(545), 1);
  EXPECT_EQ(field_->GetCommandLong(546), 0);
  EXPECT_EQ(field_->GetCommandLong(547), 1);
}

}  // namespace
