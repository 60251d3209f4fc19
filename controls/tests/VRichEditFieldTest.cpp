// The rich-edit field over its control: text in and out (CR LF grown), the
// attributes set and read, find, undo, the own styled-text record checked
// against its layout and read back, the RTF round trip, bad records, and the
// subclassed window's right clicks and wheel.
#include "controls/fields/VRichEditField.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controls/fields/TextFieldLayer.h"
#include "controls/tests/ControlTestSupport.h"
#include "framework/core/containers/VStringArray.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/streams/VHandleStream.h"
#include "framework/core/streams/VMemoryStream.h"
#include "platform/richedit/RichEditLibrary.h"
#include "platform/win32/WinMessages.h"
#include "platform/win32/WinOle.h"

namespace {

using Bytes = std::vector<uint8_t>;

class RichEditField : public ControlTest {
 protected:
  void SetUp() override {
    ControlTest::SetUp();
    LoadRichEditLibrary();
    ASSERT_TRUE(IsRichEditAvailable());
    field_ = new VRichEditField(host_, true, false);
    field_->MoveTo(5, 5, 0);
    field_->ResizeTo(200, 100, 0);
    ASSERT_NE(field_->GetControlWindow(), nullptr);
  }
  void TearDown() override {
    delete field_;
    UnloadRichEditLibrary();
    while (GetHeadlessComDepth() > 0) OleUninitialize();  // the load started OLE
    ControlTest::TearDown();
  }
  void Set(const std::string& mac) { field_->SetText(mac.data(), int32_t(mac.size()), true); }
  std::string String(bool all = true) {
    VStr<255> s;
    field_->GetString(s, all);
    char out[256] = {0};
    s.GetCText(out, sizeof out, kCharSetAnsi);
    return out;
  }
  Bytes Write(bool rtf) {
    VMemHandle handle = 0;
    VHandleStream stream(handle);
    EXPECT_TRUE(field_->WriteStyledText(stream, 0, rtf));
    Bytes bytes;
    if (handle != 0) {
      const auto* p = static_cast<const uint8_t*>(gMemoryMgr->LockHandle(handle));
      bytes.assign(p, p + gMemoryMgr->GetHandleSize(handle));
      gMemoryMgr->UnlockHandle(handle);
      gMemoryMgr->DisposeHandle(handle);
    }
    return bytes;
  }
  bool Read(const Bytes& bytes, bool rtf) {
    VMemoryStream stream(bytes.data(), uint32_t(bytes.size()));
    return field_->ReadStyledText(stream, 0, rtf);
  }
  VRichEditField* field_ = nullptr;
};

TEST_F(RichEditField, TextGoesInAsAnsiAndComesOutWithCrLf) {
  Set("one\rtwo\rthree");
  EXPECT_EQ(field_->GetTextLength(true), 13);
  // Two paragraph ends grow by one unit each and nothing is cut.
  EXPECT_EQ(String(), "one\r\ntwo\r\nthree");
  field_->SetSelection(4, 7);
  EXPECT_EQ(field_->GetTextLength(false), 3);
  EXPECT_EQ(String(false), "two") << "the selection comes as ANSI";
  field_->Clear(true);
  EXPECT_EQ(field_->GetTextLength(true), 0);
}

TEST_F(RichEditField, AttributesSetOnTheSelectionReadBack) {
  Set("styled text");
  field_->SetSelection(0, 6);
  field_->SetBold(true);
  field_->SetUnderline(true);
  field_->SetFontSize(24);
  field_->SetTextColor(0x00336699);
  uint8_t face = 0;
  EXPECT_FALSE(field_->GetStyle(face));
  EXPECT_EQ(face, kFaceBold | kFaceUnderline);
  int16_t size = 0;
  EXPECT_TRUE(field_->GetFontSize(size));
  EXPECT_EQ(size, 24) << "pixels to twips and back";
  EXPECT_TRUE(field_->IsModified());
  field_->SetSelection(0, 11);
  face = 0;
  field_->GetStyle(face);
  EXPECT_EQ(face, 0) << "mixed attributes are not shown";
}

TEST_F(RichEditField, FindAnswersTheOffsetOrMinusOneAndUndoRedoes) {
  Set("find the needle, then the needle");
  VStr<32> needle;
  needle.SetCText("needle", kCharSetAnsi);
  EXPECT_EQ(field_->FindText(0, needle, false), 9);
  EXPECT_EQ(field_->FindText(10, needle, false), 26);
  EXPECT_EQ(field_->FindText(27, needle, false), -1);
  field_->SetSelection(0, 4);
  VStr<32> seek;
  seek.SetCText("seek", kCharSetAnsi);
  EXPECT_TRUE(field_->ReplaceText(-1, -1, seek));
  EXPECT_TRUE(field_->CanUndo());
  field_->Undo();
  EXPECT_EQ(String().substr(0, 4), "find");
  EXPECT_TRUE(field_->CanUndo()) << "a redo is waiting";
  field_->Redo();
  EXPECT_EQ(String().substr(0, 4), "seek");
}

TEST_F(RichEditField, TheOwnRecordFollowsItsLayout) {
  EXPECT_TRUE(Write(false).empty()) << "an empty field writes no record";
  Set("ab");
  field_->SelectAll();
  field_->SetBold(true);
  const Bytes bytes = Write(false);
  ASSERT_GT(bytes.size(), 13u);
  EXPECT_EQ(bytes[0], 0);
  VMemoryStream stream(bytes.data(), uint32_t(bytes.size()));
  stream.OpenRead();
  stream.GetByte();
  EXPECT_EQ(uint16_t(stream.GetWord()), 0x7F7E);
  const uint32_t end = stream.GetULong();
  const uint32_t fontLength = stream.GetULong();
  EXPECT_EQ(end, bytes.size());
  EXPECT_EQ(uint16_t(stream.GetWord()), 0x7631);
  VStringArray faces;
  ASSERT_EQ(faces.ReadFromStream(stream, 0), 0);
  EXPECT_EQ(faces.Count(), 1);
  EXPECT_EQ(stream.GetPosition(), 11 + fontLength);
  // One attribute unit for each attribute that differs from the starting
  // format (bold, face, size; colour 0 and the rest are as they start),
  // then the two characters.
  std::vector<uint8_t> codes;
  for (int unit = 0; unit < 3; ++unit) {
    EXPECT_EQ(stream.GetWord(), 0);
    codes.push_back(stream.GetByte());
    stream.GetULong();
  }
  EXPECT_EQ(codes, (std::vector<uint8_t>{0, 7, 8}));
  for (char c : {'a', 'b'}) {
    EXPECT_EQ(stream.GetByte(), 0);
    EXPECT_EQ(stream.GetByte(), uint8_t(c));
  }
  EXPECT_EQ(stream.GetPosition(), end);
}

TEST_F(RichEditField, BothFormsReadBackWithTheirAttributes) {
  Set("plain bold\ritalic");
  field_->SetSelection(6, 10);
  field_->SetBold(true);
  field_->SetSelection(11, 17);
  field_->SetItalic(true);
  field_->SetTextColor(0x0000FF);
  for (bool rtf : {false, true}) {
    const Bytes bytes = Write(rtf);
    field_->Clear(true);
    ASSERT_TRUE(Read(bytes, rtf)) << rtf;
    EXPECT_EQ(String(), "plain bold\r\nitalic") << rtf;
    uint8_t face = 0;
    field_->SetSelection(6, 10);
    field_->GetStyle(face);
    EXPECT_EQ(face, kFaceBold) << rtf;
    face = 0;
    field_->SetSelection(11, 17);
    field_->GetStyle(face);
    EXPECT_EQ(face, kFaceItalic) << rtf;
  }
  // GetTextHandle passes the content once through RTF and keeps it.
  const VMemHandle handle = field_->GetTextHandle(true);
  ASSERT_NE(handle, 0u);
  EXPECT_EQ(gMemoryMgr->GetHandleSize(handle), 18u);
  gMemoryMgr->DisposeHandle(handle);
  EXPECT_EQ(String(), "plain bold\r\nitalic");
}

TEST_F(RichEditField, BadRecordsAreRefusedOrReadUpToTheirDamage) {
  Set("kept");
  field_->SelectAll();
  field_->SetBold(true);
  const Bytes good = Write(false);
  // Every prefix: the reader never reads past what it was given.
  for (size_t n = 0; n < good.size(); ++n) {
    Bytes prefix(good.begin(), good.begin() + long(n));
    VMemoryStream stream(prefix.data(), uint32_t(prefix.size()));
    stream.OpenRead();
    VRichRecord record;
    if (ReadRichRecord(stream, "Default", 12, record)) {
      size_t characters = 0;
      for (const auto& run : record.runs) characters += run.text.size();
      EXPECT_LE(characters, 4u) << n;
    }
  }
  struct Case {
    const char* name;
    Bytes bytes;
    bool read;
  };
  Bytes lead = good;
  lead[0] = 1;
  Bytes farEnd = good;
  farEnd[3] = farEnd[4] = farEnd[5] = farEnd[6] = 0x7F;  // the end past the data
  Bytes badFace = good;
  // The face unit's index past the table.
  for (size_t i = 11; i + 7 < badFace.size(); ++i) {
    if (badFace[i] == 0 && badFace[i + 1] == 0 && badFace[i + 2] == 7) {
      badFace[i + 3] = badFace[i + 4] = badFace[i + 5] = badFace[i + 6] = 0x40;
      break;
    }
  }
  const Case cases[] = {
      {"lead byte not 0", lead, false},
      {"end past the data", farEnd, true},
      {"face index past the table", badFace, true},
  };
  for (const Case& c : cases) {
    VMemoryStream stream(c.bytes.data(), uint32_t(c.bytes.size()));
    stream.OpenRead();
    VRichRecord record;
    EXPECT_EQ(ReadRichRecord(stream, "Default", 12, record), c.read) << c.name;
    if (!c.read) continue;
    ASSERT_EQ(record.runs.size(), 1u) << c.name;
    EXPECT_EQ(record.runs[0].text, "kept") << c.name;
    EXPECT_TRUE(record.runs[0].bold) << c.name;
  }
  VMemoryStream stream(badFace.data(), uint32_t(badFace.size()));
  stream.OpenRead();
  VRichRecord record;
  ASSERT_TRUE(ReadRichRecord(stream, "Default", 12, record));
  EXPECT_EQ(record.runs[0].face, "Default");
}

TEST_F(RichEditField, RightClicksStayWithTheFieldAndTheWheelScrollsALine) {
  Set("x");
  HWND window = field_->GetControlWindow();
  field_->SetSelection(0, 1);
  SendMessageA(window, WM_RBUTTONDOWN, 0, (5 << 16) | 5);
  int32_t start = 0, end = 0;
  field_->GetSelection(start, end);
  EXPECT_EQ(end - start, 1) << "the control never saw the click";
  field_->SetModified(false);
  SendMessageA(window, WM_KEYDOWN, 'Y', 0);
  EXPECT_TRUE(field_->IsModified()) << "a key marks the field changed";
  EXPECT_EQ(RichEditScrollTop(window), 0);
  SendMessageA(window, WM_MOUSEWHEEL, WPARAM(uint16_t(-120)) << 16, 0);
  const LONG line = RichEditScrollTop(window);
  EXPECT_GT(line, 0) << "turned towards the user: one line down";
  SendMessageA(window, WM_MOUSEWHEEL, WPARAM(120) << 16, 0);
  EXPECT_EQ(RichEditScrollTop(window), 0);
}

}  // namespace
