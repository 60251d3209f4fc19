// The TextEdit text field: the 32,700 limit and its beeps, one-level undo
// that a second undo redoes, keys with the extension modifier, the edit
// commands and their bits, styles set both ways, find and replace, and the
// offscreen drawing against its reference image.
#include "controls/fields/VMacTextField.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "controls/fields/TextFieldLayer.h"
#include "controls/tests/ControlTestSupport.h"
#include "controls/text/VTextEditFrame.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "platform/gdi/GdiSnapshot.h"
#include "platform/gdi/WinGdi.h"
#include "platform/toolbox/TbxEnvironment.h"
#include "views/VShortcut.h"

namespace {

class MacTextField : public ControlTest {
 protected:
  void SetUp() override {
    ControlTest::SetUp();
    field_ = NewMacTextField(host_, true, false);
    field_->MoveTo(5, 5, 0);
    field_->ResizeTo(180, 90, 0);
    field_->GetView()->RequestFocus();
    ASSERT_TRUE(field_->GetView()->IsFocused());
  }
  void TearDown() override {
    StopMacTextFields();
    ControlTest::TearDown();
  }
  std::string Text() {
    const VMemHandle h = field_->GetTextHandle(true);
    std::string s(static_cast<const char*>(gMemoryMgr->LockHandle(h)), gMemoryMgr->GetHandleSize(h));
    gMemoryMgr->UnlockHandle(h);
    gMemoryMgr->DisposeHandle(h);
    return s;
  }
  void Set(const std::string& s) { ASSERT_TRUE(field_->SetText(s.data(), int32_t(s.size()), true)); }
  int32_t Key(int16_t code, char16_t c = 0, bool extend = false, bool command = false) {
    VEvent e(0, 0, 0, false, false, command, false, extend, 0, uint16_t(code));
    e.SetCharacter(c);
    return field_->GetView()->HandleKey(e);
  }
  std::pair<int32_t, int32_t> Sel() {
    int32_t s = 0, e = 0;
    field_->GetSelection(s, e);
    return {s, e};
  }
  VMacTextField* field_ = nullptr;
};

TEST_F(MacTextField, HoldsAtMost32700CharactersAndBeepsAtMore) {
  const int32_t beeps = Tbx::CountBeeps();
  const std::string full(32700, 'a');
  Set(full);
  EXPECT_EQ(field_->GetTextLength(true), 32700);
  const std::string more(32701, 'b');
  EXPECT_FALSE(field_->SetText(more.data(), int32_t(more.size()), true));
  EXPECT_EQ(Tbx::CountBeeps(), beeps + 1);
  EXPECT_EQ(field_->GetTextLength(true), 32700) << "the refused text loses nothing";
  field_->SetSelection(10, 10);
  EXPECT_FALSE(field_->SetText("x", 1, false));
  EXPECT_EQ(Tbx::CountBeeps(), beeps + 2);
  EXPECT_EQ(Key(0, u'z'), kKeyNotHandled) << "typing into a full field";
  VStr<8> two;
  two.SetCText("zz", kCharSetMac);
  EXPECT_FALSE(field_->ReplaceText(0, 1, two)) << "one more than the limit";
}

TEST_F(MacTextField, AnEmptyTextTakesTheDefaultFont) {
  Set("abc");
  field_->SelectAll();
  field_->SetFontSize(30);
  int16_t size = 0;
  field_->GetFontSize(size);
  EXPECT_EQ(size, 30);
  ASSERT_TRUE(field_->SetText(nullptr, 0, true));
  field_->GetFontSize(size);
  EXPECT_NE(size, 30);
}

TEST_F(MacTextField, UndoRestoresAndASecondUndoRedoes) {
  Set("abc");
  VStr<8> x;
  x.SetCText("X", kCharSetMac);
  ASSERT_TRUE(field_->ReplaceText(1, 1, x));
  EXPECT_EQ(Text(), "aXc");
  EXPECT_TRUE(field_->CanUndo());
  EXPECT_EQ(field_->GetView()->UpdateEditCommands() & 3, 3);
  field_->Undo();
  EXPECT_EQ(Text(), "abc");
  field_->Undo();
  EXPECT_EQ(Text(), "aXc") << "the second undo redoes";
  field_->SelectAll();
  field_->SetBold(true);
  field_->Undo();
  uint8_t face = 0;
  field_->SelectAll();
  field_->GetStyle(face);
  EXPECT_EQ(face & kFaceBold, 0) << "a style-only change is undone";
  field_->EmptyUndo();
  EXPECT_FALSE(field_->CanUndo());
}

TEST_F(MacTextField, KeysMoveExtendTypeAndDelete) {
  Set("hello");
  field_->SetSelection(3, 3);
  EXPECT_EQ(Key(kKeyLeft, 0, true), kKeyHandled);
  EXPECT_EQ(Key(kKeyLeft, 0, true), kKeyHandled);
  EXPECT_EQ(Sel(), std::make_pair(1, 3)) << "extension from a caret moves the start";
  EXPECT_EQ(Key(kKeyRight, 0, true), kKeyHandled);
  EXPECT_EQ(Sel(), std::make_pair(2, 3));
  EXPECT_EQ(Key(kKeyRight), kKeyHandled);
  EXPECT_EQ(Sel(), std::make_pair(4, 4));
  EXPECT_EQ(Key(kKeyBackspace), kKeyHandled);
  EXPECT_EQ(Text(), "helo");
  EXPECT_EQ(Key(0, u'!'), kKeyHandled);
  EXPECT_EQ(Text(), "hel!o");
  EXPECT_EQ(Key(kKeyDelete), kKeyHandled);
  EXPECT_EQ(Text(), "hel!");
  EXPECT_EQ(Key(0, u'q', false, true), kKeyNotHandled) << "the command modifier";
  const int32_t beeps = Tbx::CountBeeps();
  EXPECT_EQ(Key(0, char16_t(7)), kKeyNotHandled) << "a control character is not typed";
  EXPECT_EQ(Tbx::CountBeeps(), beeps + 1);
  EXPECT_TRUE(field_->IsModified());
}

TEST_F(MacTextField, ADragSelectsAsTheClickIsTracked) {
  Set("hello world");
  field_->SetEnabled(true);
  field_->SetSelection(0, 0);
  Script(*field_->GetView(), {{4, 6, true}, {60, 6, true}, {170, 6, true}, {170, 6, false}});
  VEvent down(4, 6, 0, false, false, false, false, false, 1, 0);
  EXPECT_TRUE(field_->GetView()->MouseDown(down));
  EXPECT_EQ(Sel(), std::make_pair(0, 11));
}

TEST_F(MacTextField, AContextClickShowsTheSelectionsAttributes) {
  for (int32_t id : {541, 542, 544, 545, 546, 547}) host_->Add(id);
  host_->commands[542]->SetLong(nullptr, 0, 0);
  Set("abc");
  field_->SelectAll();
  field_->SetFontSize(15);
  VEvent context(4, 6, 0, false, true, false, false, false, 1, 0);
  EXPECT_FALSE(field_->GetView()->MouseDown(context)) << "a disabled field takes no context click";
  EXPECT_EQ(field_->GetCommandLong(542), 0);
  field_->SetEnabled(true);
  EXPECT_TRUE(field_->GetView()->MouseDown(context));
  EXPECT_EQ(field_->GetCommandLong(542), 615);
}

TEST_F(MacTextField, EditCommandsAndTheirBits) {
  Set("");
  EXPECT_EQ(field_->GetView()->UpdateEditCommands() & ~3, 16);
  Set("one two");
  field_->SetSelection(0, 3);
  EXPECT_EQ(field_->GetView()->UpdateEditCommands() & ~3, 16 | 32 | 64 | 4 | 8);
  EXPECT_TRUE(field_->GetView()->NotifyParent(field_->GetView(), 3, 0));
  EXPECT_EQ(Text(), " two");
  field_->SetSelection(4, 4);
  field_->GetView()->NotifyParent(field_->GetView(), 5, 0);
  EXPECT_EQ(Text(), " twoone");
  field_->GetView()->NotifyParent(field_->GetView(), 7, 0);
  EXPECT_EQ(Sel(), std::make_pair(0, 7));
  EXPECT_EQ(field_->GetView()->UpdateEditCommands() & 64, 0) << "all is selected";
}

TEST_F(MacTextField, StylesFromAScrapBothWays) {
  Set("abcdefgh");
  NativeBytes scrap;
  scrap.I16(1).I32(2).I16(20).I16(15).I16(3).U8(kFaceItalic).U8(0).I16(17).I16(0).I16(0).I16(0);
  for (bool all : {false, true}) {
    field_->SetSelection(0, 0);
    ASSERT_TRUE(field_->SetStyles(scrap.bytes.data(), int32_t(scrap.bytes.size()), all));
    field_->SetSelection(2, 8);
    int16_t size = 0;
    EXPECT_TRUE(field_->GetFontSize(size)) << all;
    EXPECT_EQ(size, 17) << "one element styles from its start to the end";
  }
  EXPECT_EQ(Sel(), std::make_pair(2, 8)) << "the selection comes back";
  NativeBytes bad = NativeBytes(scrap).Cut(10);
  EXPECT_FALSE(field_->SetStyles(bad.bytes.data(), int32_t(bad.bytes.size()), false));
  const VMemHandle data = field_->GetStyleData(false);
  EXPECT_EQ(gMemoryMgr->GetHandleSize(data), 22u);
  gMemoryMgr->DisposeHandle(data);
}

TEST_F(MacTextField, FindsAndReplaces) {
  Set("abc abc");
  VStr<300> what;
  what.SetCText("abc", kCharSetMac);
  EXPECT_EQ(field_->FindText(0, what, true), 0);
  EXPECT_EQ(Sel(), std::make_pair(0, 3));
  EXPECT_EQ(field_->FindText(1, what, false), 4);
  EXPECT_EQ(field_->FindText(5, what, false), -1);
  const std::string longer(256, 'a');
  what.SetCText(longer.c_str(), kCharSetMac);
  EXPECT_EQ(field_->FindText(0, what, false), -1);
  VStr<8> with;
  with.SetCText("Z", kCharSetMac);
  field_->SetSelection(1, 2);
  ASSERT_TRUE(field_->ReplaceText(4, -1, with));
  EXPECT_EQ(Text(), "abc Zbc");
  EXPECT_EQ(Sel(), std::make_pair(1, 2)) << "a given start keeps the selection";
  ASSERT_TRUE(field_->ReplaceText(-1, 0, with));
  EXPECT_EQ(Text(), "aZc Zbc");
}

TEST_F(MacTextField, DrawsThroughTheOffscreenWorldAsItsReference) {
  Set("Styled text\rsecond line");
  field_->SetSelection(0, 6);
  field_->SetBold(true);
  field_->SetSelection(7, 11);
  field_->SetTextColor(0x0000FF);
  field_->SetSelection(3, 3);
  Tbx::TESetCaretBlinking(false);
  field_->Invalidate(2);
  EXPECT_NE(GetTextEditViewWorld(), nullptr);
  HDC window = GetDC(window_);
  HDC memory = CreateCompatibleDC(window);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = 200;
  info.bmiHeader.biHeight = -110;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP shot = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, shot);
  BitBlt(memory, 0, 0, 200, 110, window, 0, 0, SRCCOPY);
  ReleaseDC(window_, window);
  const auto reference = std::filesystem::path(__FILE__).parent_path() / "data" / "mac-text-field.png";
  const char* regenerate = std::getenv("QV_REGENERATE_REFERENCES");
  if (regenerate != nullptr && std::string(regenerate) == "1") {
    ASSERT_TRUE(GdiWriteBitmapPng(shot, reference.c_str()));
  }
  HBITMAP expected = GdiReadPng(reference.c_str());
  ASSERT_NE(expected, nullptr) << "missing " << reference;
  DIBSECTION section{};
  ASSERT_EQ(GetObjectA(expected, sizeof section, &section), int(sizeof section));
  int32_t differing = 0;
  for (int32_t i = 0; i < 200 * 110; ++i)
    differing += (static_cast<const uint32_t*>(bits)[i] & 0xFFFFFF) !=
                 (static_cast<const uint32_t*>(section.dsBm.bmBits)[i] & 0xFFFFFF);
  EXPECT_EQ(differing, 0);
  int red = 0;
  for (int32_t i = 0; i < 200 * 110; ++i) red += (static_cast<const uint32_t*>(bits)[i] & 0xFFFFFF) == 0xFF0000;
  EXPECT_GT(red, 5) << "the coloured run is drawn in its colour";
  DeleteObject(expected);
  SelectObject(memory, old);
  DeleteObject(shot);
  DeleteDC(memory);
  Tbx::TESetCaretBlinking(true);
}

}  // namespace
