// The special-element commands and the selection's stored form on a form
// area and an offscreen one: each element inserted and read back, the
// codes of kinds and formats out of range, and element streams from the
// host that are empty, cut short or damaged, which change nothing.
#include <gtest/gtest.h>

#include "area/tests/TableCommandsSupport.h"

namespace {

using namespace tablecommands;

class ElementCommands : public TableCommands {
 protected:
  static void Type(xMorvaPlugIn* area, const std::u16string& text) {
    for (char16_t c : text) Body(area).TypeCharacterWithUndo(c);
  }
  static Bytes StreamOf(xMorvaPlugIn* area) {
    xMorvaEngine& body = Body(area);
    const uint8_t* bytes = body.LockStream();
    Bytes out(bytes, bytes + body.GetStreamSize());
    body.UnlockStream();
    return out;
  }
};

TEST_F(ElementCommands, ExpressionsAndLinksReadBackAsTheyWereGiven) {
  for (bool form : {true, false}) {
    SCOPED_TRACE(form);
    xMorvaPlugIn* area = Area(form);
    const uint32_t ref = area->GetReference();
    // 156 then 118, 168 then 117: each reads its own code only.
    struct Row {
      int32_t insert, read, other;
    } rows[] = {{156, 118, 117}, {168, 117, 118}};
    for (const Row& row : rows) {
      HostText text("<b>" + std::to_string(row.insert) + "</b>");
      Run(row.insert, ref, {&text.record});
      EXPECT_EQ(0, Code(area));
      Body(area).SetSelection(Body(area).GetLength() - 1, Body(area).GetLength());
      HostText read;
      Run(row.read, ref, {}, &read.record);
      EXPECT_EQ(text.Text(), read.Text());
      HostText other("stale");
      Run(row.other, ref, {}, &other.record);
      EXPECT_EQ("", other.Text());
      EXPECT_EQ(0u, other.Handle());
    }

    // 147 then 169: every field of the link.
    int16_t kind = 0;
    int16_t style = 1;
    HostText title("Run it");
    HostText target("OnLink");
    int32_t value = 4711;
    Run(147, ref, {&kind, &style, &title.record, &target.record, &value});
    EXPECT_EQ(0, Code(area));
    Body(area).SetSelection(Body(area).GetLength() - 1, Body(area).GetLength());
    int16_t readKind = 7;
    int16_t readStyle = 7;
    HostText readTitle("old");
    HostText readTarget("old");
    int32_t readValue = 7;
    Run(169, ref, {&readKind, &readStyle, &readTitle.record, &readTarget.record, &readValue});
    EXPECT_EQ(0, Code(area));
    EXPECT_EQ(0, readKind);
    EXPECT_EQ(1, readStyle);
    EXPECT_EQ("Run it", readTitle.Text());
    EXPECT_EQ("OnLink", readTarget.Text());
    EXPECT_EQ(4711, readValue);

    // No link at the selection: the cleared outputs.
    Body(area).SetSelection(0, 0);
    Run(169, ref, {&readKind, &readStyle, &readTitle.record, &readTarget.record, &readValue});
    EXPECT_EQ(-1, readKind);
    EXPECT_EQ(0u, readTitle.Handle());
    EXPECT_EQ(0, readValue);
  }
}

TEST_F(ElementCommands, DatesAndPageNumbersKeepTheirFormatsAndRefuseOthers) {
  xMorvaPlugIn* area = Area(true);
  const uint32_t ref = area->GetReference();
  struct Row {
    int32_t insert, read;
    int32_t kind, format;
    int32_t code;
    int16_t first, second;
  } rows[] = {
      {120, 166, 5, 2, 0, 5, 2},      {120, 166, 0, 0, 0, 0, 0},   {120, 166, 7, 5, 0, 7, 5},
      {120, 166, 8, 1, 1054, -1, -1}, {120, 166, -1, 1, 1054, -1, -1}, {120, 166, 65541, 1, 1054, -1, -1},
      {120, 166, 1, 6, 1055, -1, -1}, {120, 166, 1, -1, 1055, -1, -1},
      {135, 167, 3, 1, 0, 3, 1},      {135, 167, 0, 0, 0, 0, 0},   {135, 167, 4, 9, 0, 4, 1},
      {135, 167, 5, 0, 1085, -1, -1}, {135, 167, -2, 0, 1085, -1, -1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << row.insert << " " << row.kind << " " << row.format);
    Body(area).SelectAll();
    Body(area).DeleteSelection();
    const Bytes before = StreamOf(area);
    if (row.insert == 120) {
      int32_t kind = row.kind, format = row.format;
      Run(120, ref, {&kind, &format});
    } else {
      int16_t kind = int16_t(row.kind), format = int16_t(row.format);
      Run(135, ref, {&kind, &format});
    }
    EXPECT_EQ(row.code, Code(area));
    if (row.code != 0) {
      EXPECT_EQ(before, StreamOf(area));
    }
    Body(area).SetSelection(0, 1);
    int16_t first = 99;
    int16_t second = 99;
    Run(row.read, ref, {&first, &second});
    EXPECT_EQ(row.first, first);
    EXPECT_EQ(row.second, second);
  }
}

TEST_F(ElementCommands, TheSelectionTravelsAsAnElementStream) {
  xMorvaPlugIn* source = Area(true);
  xMorvaPlugIn* target = Area(false);
  Type(source, u"Hello world");
  Body(source).SetSelection(6, 11);
  uint32_t stream = 0;
  Run(127, source->GetReference(), {}, &stream);
  ASSERT_EQ(0, Code(source));
  ASSERT_NE(0u, stream);
  Type(target, u"<>");
  Body(target).SetSelection(1, 1);
  Run(128, target->GetReference(), {&stream});
  EXPECT_EQ(0, Code(target));
  VStrInHandle text;
  Body(target).WritePlainText(text, false, false);
  VStr<64> expected;
  expected.SetAnsiCText("<world>");
  EXPECT_EQ(0, text.Compare(expected, true));
  // The host's handle stays the host's.
  EXPECT_FALSE(HandleBytes(stream).empty());
  Tbx::DisposeHandle(stream);
}

TEST_F(ElementCommands, ABadElementStreamChangesNothing) {
  xMorvaPlugIn* source = Area(false);
  Type(source, u"ab");
  Body(source).SelectAll();
  uint32_t copied = 0;
  Run(127, source->GetReference(), {}, &copied);
  const Bytes whole = HandleBytes(copied);
  Tbx::DisposeHandle(copied);
  ASSERT_GT(whole.size(), 12u);
  // The stream ends with its element bytes: u32 n, then n bytes, here the
  // two units and whatever records the copy carries.
  auto withTail = [&](const Bytes& tail, uint32_t claimed) {
    Bytes bytes = whole;
    uint32_t n = 0;
    size_t at = bytes.size();
    for (size_t k = 0; k + 4 <= bytes.size(); ++k) {
      std::memcpy(&n, bytes.data() + bytes.size() - k - 4, 4);
      if (n == k) {
        at = bytes.size() - k - 4;
        break;
      }
    }
    bytes.resize(at);
    const uint32_t size = claimed;
    bytes.insert(bytes.end(), reinterpret_cast<const uint8_t*>(&size), reinterpret_cast<const uint8_t*>(&size) + 4);
    bytes.insert(bytes.end(), tail.begin(), tail.end());
    return bytes;
  };
  struct Row {
    const char* name;
    Bytes bytes;
    bool handle;
  } rows[] = {
      {"no handle", {}, false},
      {"empty handle", {}, true},
      {"cut short", Bytes(whole.begin(), whole.end() - 1), true},
      {"record running past the handle", withTail({'a', 0, 0, 0, 0, 0}, 6), true},
      {"elements claiming more than the handle", withTail({'a', 0}, 40), true},
      {"bold of 9", withTail({'a', 0, 0, 0, 0, 0, 9, 0, 0, 0}, 10), true},
      {"control unit", withTail({'a', 0, 3, 0}, 4), true},
  };
  for (bool form : {true, false}) {
    xMorvaPlugIn* area = Area(form);
    Type(area, u"xyz");
    Body(area).SetSelection(1, 2);
    const Bytes before = StreamOf(area);
    for (const Row& row : rows) {
      SCOPED_TRACE(testing::Message() << row.name << (form ? " form" : " offscreen"));
      uint32_t handle = row.handle ? NewHandleWith(row.bytes) : 0;
      Run(128, area->GetReference(), {&handle});
      EXPECT_EQ(1074, Code(area));
      EXPECT_EQ(before, StreamOf(area));
      EXPECT_EQ(1, Body(area).GetSelStart());
      EXPECT_EQ(2, Body(area).GetSelEnd());
      if (handle != 0) {
        EXPECT_EQ(row.bytes, HandleBytes(handle));
        Tbx::DisposeHandle(handle);
      }
    }
  }
}

TEST_F(ElementCommands, AnAreaThatDoesNotResolveAnswersEmptyTexts) {
  for (int32_t command : {117, 118}) {
    HostText result("stale");
    Run(command, 0, {}, &result.record);
    EXPECT_EQ(0u, result.Handle()) << command;
    EXPECT_EQ(0, result.Length()) << command;
  }
  int16_t kind = 0;
  int16_t style = 1;
  HostText title("stale");
  HostText target("stale");
  int32_t value = 3;
  Run(169, 0, {&kind, &style, &title.record, &target.record, &value});
  EXPECT_EQ(-1, kind);
  EXPECT_EQ(0u, title.Handle());
  EXPECT_EQ(0u, target.Handle());
  uint32_t stream = 5;
  Run(127, 12345, {}, &stream);
  EXPECT_EQ(0u, stream);
}

}  // namespace
