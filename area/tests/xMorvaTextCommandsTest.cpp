// The host commands on an area's text, family by family, on an area of a
// form and on an offscreen area: what each answers and records, and bad
// input that records its code and leaves the document as it was.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "area/tests/AreaTestSupport.h"
#include "area/tests/DocumentFileSupport.h"
#include "boundary/HostRecords.h"
#include "document/xMorvaDocParams.h"
#include "document/xMorvaProperties.h"
#include "document/xMorvaTabs.h"
#include "document/xMorvaText.h"
#include "document/xMorvaUndo.h"
#include "framework/system/environment/VSystemServices.h"
#include "platform/toolbox/TbxHandles.h"
#include "framework/core/containers/VStringArray.h"

namespace {

using areatest::AreaTest;
using areatest::PString;
using documentfile::Bytes;

using areatest::HostText;

class TextCommandsTest : public areatest::TextAreasTest {
 protected:
  xMorvaTextInterface& Text(uint32_t ref) { return *Doc(ref).GetCurrentPart(); }
  void Select(uint32_t ref, int32_t start, int32_t end) { Text(ref).SetSelection(start, end); }
  // What a refused command must leave: the body's bytes, the selection, the
  // style sheets and the current part.
  struct State {
    Bytes body;
    int32_t start, end, sheets;
    int16_t part;
    bool operator==(const State&) const = default;
  };
  State StateOf(uint32_t ref) {
    xMorvaDocument& document = Doc(ref);
    return {documentfile::StreamOf(document, kPartBody), Text(ref).GetSelStart(), Text(ref).GetSelEnd(),
            document.StyleSheetCount(), document.CurrentPartNumber()};
  }
};

// ---- Selection and position

TEST_F(TextCommandsTest, WordAndParagraphBoundsOfTheSelection) {
  for (uint32_t ref : Areas("Hello brave world\nSecond line")) {
    Select(ref, 7, 14);  // "rave wo"
    int32_t start = -1, end = -1;
    int16_t space = -1;
    Run(100, ref, {&start, &end, &space});
    EXPECT_EQ(start, 6);
    EXPECT_EQ(end, 17);
    EXPECT_EQ(space, 0);
    Select(ref, 6, 12);  // "brave "
    Run(100, ref, {&start, &end, &space});
    EXPECT_EQ(space, 1);
    Select(ref, 20, 21);
    Run(101, ref, {&start, &end});
    EXPECT_EQ(start, 18);
    EXPECT_EQ(end, 29);
    EXPECT_EQ(LastError(ref), 0);
  }
}

TEST_F(TextCommandsTest, TheCaretIsPlacedByPageColumnLineAndCharacterAndReadBack) {
  for (uint32_t ref : Areas("First paragraph\nSecond paragraph\nThird")) {
    int32_t page = 1, column = 1, line = 2, character = 4;
    Run(106, ref, {&page, &column, &line, &character});
    ASSERT_EQ(LastError(ref), 0);
    EXPECT_EQ(Text(ref).GetSelStart(), 16 + 3);
    EXPECT_EQ(Text(ref).GetSelEnd(), 16 + 3);
    // Column 0 is the first column; a line of 0 the column's start.
    column = 0, line = 0, character = 3;
    Run(106, ref, {&page, &column, &line, &character});
    EXPECT_EQ(Text(ref).GetSelStart(), 2);
    // 134 hands out what 106 takes.
    Select(ref, 21, 21);
    int32_t out[4] = {-1, -1, -1, -1};
    Run(134, ref, {&out[0], &out[1], &out[2], &out[3]});
    EXPECT_EQ(out[0], 1);
    EXPECT_EQ(out[1], 1);
    EXPECT_EQ(out[2], 2);
    EXPECT_EQ(out[3], 6);
    Select(ref, 0, 0);
    Run(106, ref, {&out[0], &out[1], &out[2], &out[3]});
    EXPECT_EQ(Text(ref).GetSelStart(), 21);
    // The caret's place in the display unit: below the first line.
    double lengths[3] = {-1, -1, -1};
    Run(129, ref, {&lengths[0], &lengths[1], &lengths[2]});
    EXPECT_GT(lengths[1], 0);
    EXPECT_GT(lengths[2], 0);
  }
}

TEST_F(TextCommandsTest, APlaceOutsideTheDocumentRecordsItsCodeAndMovesNothing) {
  struct Row {
    int32_t page, column, line, character, code;
  };
  const Row rows[] = {{0, 1, 1, 1, 1086},  {2, 1, 1, 1, 1086},  {-5, 1, 1, 1, 1086},
                      {1, 2, 1, 1, 1087},  {1, 11, 1, 1, 1087}, {1, 1, 4, 1, 1088},
                      {1, 1, 99, 1, 1088}};
  for (uint32_t ref : Areas("One\nTwo\nThree")) {
    Select(ref, 1, 2);
    const State before = StateOf(ref);
    for (const Row& row : rows) {
      Row r = row;
      Run(106, ref, {&r.page, &r.column, &r.line, &r.character});
      EXPECT_EQ(LastError(ref), row.code) << row.page << " " << row.column << " " << row.line;
      EXPECT_TRUE(StateOf(ref) == before);
    }
  }
}

TEST_F(TextCommandsTest, DeletingTheSelectionAndSwitchingTheEditedPart) {
  for (uint32_t ref : Areas("Hello world")) {
    Select(ref, 5, 11);
    Run(162, ref);
    EXPECT_EQ(Text(ref).GetLength(), 5);
    // Nothing selected: nothing to delete.
    Run(162, ref);
    EXPECT_EQ(Text(ref).GetLength(), 5);
    int16_t part = kPartHeader;
    Run(163, ref, {&part});
    EXPECT_EQ(LastError(ref), 0);
    int32_t current = -1;
    Run(164, ref, {}, &current);
    EXPECT_EQ(current, kPartHeader);
    part = 9;
    Run(163, ref, {&part});
    EXPECT_EQ(LastError(ref), 1091);
    Run(164, ref, {}, &current);
    EXPECT_EQ(current, kPartHeader);
  }
  // No area: the result stays cleared.
  int32_t current = -1;
  Run(164, 12345, {}, &current);
  EXPECT_EQ(current, 0);
}

// ---- Properties, fonts and area options

TEST_F(TextCommandsTest, APropertySetOverTheSelectionReadsBackUniform) {
  for (uint32_t ref : Areas("Bold and plain")) {
    Select(ref, 0, 4);
    int16_t id = kPropBold;
    double value = 1;
    Run(103, ref, {&id, &value});
    EXPECT_EQ(LastError(ref), 0);
    int16_t uniform = -1;
    double read = -1;
    Run(102, ref, {&id, &uniform}, &read);
    EXPECT_EQ(read, 1);
    EXPECT_EQ(uniform, 1);
    Select(ref, 2, 8);
    Run(102, ref, {&id, &uniform}, &read);
    EXPECT_EQ(uniform, 0);
    // The size in points, the tab list as its count of stops.
    id = kPropSize;
    Run(102, ref, {&id, &uniform}, &read);
    EXPECT_EQ(read, 12);
    id = kPropTabs;
    Run(102, ref, {&id, &uniform}, &read);
    EXPECT_EQ(read, 0);
    EXPECT_EQ(LastError(ref), 0);
  }
}

TEST_F(TextCommandsTest, InvalidPropertyIdsRecord1075AndChangeNothing) {
  for (uint32_t ref : Areas("Some text")) {
    Select(ref, 0, 4);
    const State before = StateOf(ref);
    for (int16_t id : {-1, 17, 31, 46, 65}) {
      double value = 1;
      Run(103, ref, {&id, &value});
      EXPECT_EQ(LastError(ref), 1075) << id;
      double read = -7;
      int16_t uniform = -7;
      Run(102, ref, {&id, &uniform}, &read);
      EXPECT_EQ(LastError(ref), 1075) << id;
      EXPECT_EQ(read, 0) << id;
      EXPECT_TRUE(StateOf(ref) == before) << id;
    }
    // The tab list is read, never set, as a value.
    int16_t tabs = kPropTabs;
    double value = 3;
    Run(103, ref, {&tabs, &value});
    EXPECT_EQ(LastError(ref), 1075);
  }
  double read = -7;
  int16_t id = kPropBold;
  Run(102, 0, {&id}, &read);
  EXPECT_EQ(read, 0);
}

TEST_F(TextCommandsTest, TheFontOfTheSelectionByName) {
  for (uint32_t ref : Areas("Some text")) {
    Select(ref, 0, 4);
    PString font("Times New Roman");
    Run(105, ref, {font.bytes});
    ASSERT_EQ(LastError(ref), 0);
    int16_t uniform = -1;
    PString name("stale");
    Run(104, ref, {&uniform}, name.bytes);
    EXPECT_EQ(name.Text(), "Times New Roman");
    EXPECT_EQ(uniform, 1);
    Select(ref, 2, 8);
    Run(104, ref, {&uniform}, name.bytes);
    EXPECT_EQ(uniform, 0);
    const State before = StateOf(ref);
    PString missing("No Such Font 42");
    Run(105, ref, {missing.bytes});
    EXPECT_EQ(LastError(ref), 1077);
    EXPECT_TRUE(StateOf(ref) == before);
  }
}

TEST_F(TextCommandsTest, AreaOptionsAsReals) {
  for (uint32_t ref : Areas("")) {
    int16_t option = 24;  // the column count
    double value = -1;
    Run(108, ref, {&option}, &value);
    EXPECT_EQ(value, 1);
    double two = 2;
    Run(109, ref, {&option, &two});
    EXPECT_EQ(LastError(ref), 0);
    Run(108, ref, {&option}, &value);
    EXPECT_EQ(value, 2);
    option = 60;
    Run(108, ref, {&option}, &value);
    EXPECT_EQ(LastError(ref), 1079);
    EXPECT_EQ(value, 0);
    Run(109, ref, {&option, &two});
    EXPECT_EQ(LastError(ref), 1079);
  }
}

// ---- Find and replace

TEST_F(TextCommandsTest, FindAndReplaceInTheEditedText) {
  for (uint32_t ref : Areas("one two one two")) {
    HostText find("two");
    int16_t whole = 0, matchCase = 0, wrap = 0;
    int32_t found = -7;
    Run(111, ref, {&find.record, &whole, &matchCase, &wrap}, &found);
    EXPECT_EQ(found, 1);
    EXPECT_EQ(Text(ref).GetSelStart(), 4);
    EXPECT_EQ(Text(ref).GetSelEnd(), 7);
    HostText none("three");
    Run(111, ref, {&none.record, &whole, &matchCase, &wrap}, &found);
    EXPECT_EQ(found, 0);
    // Replace the next match, then every match.
    Select(ref, 0, 0);
    HostText one("one"), uno("uno");
    int16_t next = 1;
    Run(112, ref, {&one.record, &uno.record, &whole, &matchCase, &next, &wrap}, &found);
    EXPECT_EQ(found, 1);
    int16_t all = 0;
    wrap = 1;
    HostText two("two"), dos("dos");
    Run(112, ref, {&two.record, &dos.record, &whole, &matchCase, &all, &wrap}, &found);
    EXPECT_EQ(found, 1);
    Run(112, ref, {&two.record, &dos.record, &whole, &matchCase, &all, &wrap}, &found);
    EXPECT_EQ(found, 0);
    Bytes body = documentfile::StreamOf(Doc(ref), kPartBody);
    std::string text;
    for (size_t i = 0; i + 1 < body.size(); i += 2) text += char(body[i]);
    EXPECT_EQ(text, "uno dos one dos");
    EXPECT_EQ(LastError(ref), 0);
  }
  int32_t found = 7;
  Run(112, 0, {}, &found);
  EXPECT_EQ(found, -1);
}

// Search texts that ask for nothing find nothing: the answer is that of a
// text not found, no error is recorded, and the text, the selection and the
// undo history stay as they were.
TEST_F(TextCommandsTest, FindAndReplaceOfNothingChangeNothing) {
  struct Row {
    const char* name;
    int32_t n;
    const char* find;
    bool emptyHandle;  // the empty text in a handle of no bytes, not in none
    const char* by;
    int16_t next, whole, wrap;
    int32_t answer;
  };
  const Row rows[] = {
      {"find, no handle", 111, "", false, "", 0, 0, 0, 0},
      {"find, empty handle, wrap", 111, "", true, "", 0, 0, 1, 0},
      {"find, whole word", 111, "", false, "", 0, 1, 1, 0},
      {"replace next", 112, "", false, "x", 1, 0, 0, 0},
      {"replace next, empty handle, wrap", 112, "", true, "x", 1, 0, 1, 0},
      {"replace all", 112, "", false, "x", 0, 0, 1, 0},
      {"replace all by nothing", 112, "", true, "", 0, 0, 1, 0},
      {"replace all, no wrap", 112, "", false, "abc", 0, 1, 0, 0},
      // A text that is not there answers the same.
      {"replace all, absent text", 112, "zebra", false, "x", 0, 0, 1, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    for (uint32_t ref : Areas("one two\nthree")) {
      Select(ref, 2, 5);
      const State before = StateOf(ref);
      const bool couldUndo = Doc(ref).GetUndo()->CanUndo();
      HostText find(row.find), by(row.by);
      if (row.emptyHandle && find.record.handle == 0) find.record.handle = uint32_t(Tbx::NewHandle(0));
      int16_t whole = row.whole, matchCase = 0, wrap = row.wrap, next = row.next;
      int32_t answer = -7;
      if (row.n == 111) {
        Run(111, ref, {&find.record, &whole, &matchCase, &wrap}, &answer);
      } else {
        Run(112, ref, {&find.record, &by.record, &whole, &matchCase, &next, &wrap}, &answer);
      }
      EXPECT_EQ(answer, row.answer);
      EXPECT_EQ(LastError(ref), 0);
      EXPECT_TRUE(StateOf(ref) == before);
      EXPECT_EQ(Doc(ref).GetUndo()->CanUndo(), couldUndo);
    }
  }
}

class StoredSearchTest : public TextCommandsTest {
 protected:
  // The stored document of an area with the text.
  Bytes Stored(const std::string& text) {
    xMorvaPlugIn* area = NewOffscreenArea();
    xMorvaDocument& document = *area->GetDocument();
    for (char c : text) document.TypeCharacter(char16_t(c));
    return documentfile::Write(document);
  }
  // Command 110 on the bytes as a handle; the handle's bytes afterwards.
  int32_t Search(const Bytes& bytes, const std::string& pattern, Bytes* after = nullptr) {
    uint32_t handle = bytes.empty() ? 0 : uint32_t(Tbx::NewHandle(int32_t(bytes.size())));
    if (handle != 0) std::memcpy(Tbx::HLock(handle), bytes.data(), bytes.size());
    if (handle != 0) Tbx::HUnlock(handle);
    HostText text(pattern);
    int16_t whole = 0, matchCase = 0;
    int32_t found = 7;
    Run(110, handle, {&text.record, &whole, &matchCase}, &found);
    if (handle != 0 && after != nullptr) {
      const auto* b = static_cast<const uint8_t*>(Tbx::HLock(handle));
      after->assign(b, b + Tbx::GetHandleSize(handle));
      Tbx::HUnlock(handle);
    }
    if (handle != 0) Tbx::DisposeHandle(handle);
    return found;
  }
};

TEST_F(StoredSearchTest, AStoredDocumentIsSearchedAndADamagedOneFindsNothing) {
  SetErrorMethod("OnError");
  const Bytes stored = Stored("alpha beta gamma");
  Bytes after;
  // Positions count the stored header as one.
  EXPECT_EQ(Search(stored, "beta", &after), 7);
  EXPECT_EQ(after, stored);
  EXPECT_TRUE(package->calls.empty());
  // The last element's length made to run past the handle.
  Bytes longer = stored;
  const size_t body = longer.size() - 16 * 2;
  longer.resize(body);
  Bytes pastEnd = stored;
  pastEnd.push_back(0);
  pastEnd.push_back(0);
  pastEnd.insert(pastEnd.end(), {0x01, 0x3E, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0});  // element 16001, huge
  Bytes notStored(stored.begin() + 4, stored.end());
  struct Row {
    const char* what;
    Bytes bytes;
    std::string pattern;
  };
  const Row rows[] = {{"empty handle", {}, "beta"},
                      {"not found", stored, "delta"},
                      {"element past the handle", pastEnd, "beta"},
                      {"cut short", Bytes(stored.begin(), stored.begin() + 40), "beta"},
                      {"no stored document", notStored, "beta"}};
  for (const Row& row : rows) {
    package->calls.clear();
    Bytes kept;
    EXPECT_EQ(Search(row.bytes, row.pattern, &kept), -2) << row.what;
    if (!row.bytes.empty()) {
      EXPECT_EQ(kept, row.bytes) << row.what;
    }
    ASSERT_EQ(package->calls.size(), 1u) << row.what;
    EXPECT_EQ(package->calls[0].numbers, (std::vector<int32_t>{0, 1074})) << row.what;
  }
}

// ---- Document command ids

TEST_F(TextCommandsTest, ADocumentCommandIdRunsWithoutTheUsersMethods) {
  for (uint32_t ref : Areas("Some text")) {
    PString name("OnCommand");
    Run(57, ref, {name.bytes});
    package->calls.clear();
    Select(ref, 0, 4);
    int32_t clear = 6;  // deletes the selection
    Run(113, ref, {&clear});
    EXPECT_EQ(LastError(ref), 0);
    EXPECT_EQ(Text(ref).GetLength(), 5);
    EXPECT_TRUE(package->calls.empty());
    int32_t unknown = 99999;
    Run(113, ref, {&unknown});
    EXPECT_EQ(LastError(ref), 1092);
  }
}

// ---- Tab stops of the selection

TEST_F(TextCommandsTest, TabStopsAddedReadChangedAndRemoved) {
  for (uint32_t ref : Areas("Tabbed paragraph")) {
    xMorvaDocument& document = Doc(ref);
    double position = document.GetParams().ToDisplayUnit(100);
    int16_t kind = kTabRight;
    PString leader(".");
    Run(132, ref, {&position, &kind, leader.bytes});
    ASSERT_EQ(LastError(ref), 0);
    int32_t n = 1;
    double read = -1;
    int32_t readKind = -1;
    PString readLeader("stale");
    Run(130, ref, {&n, &read, &readKind, readLeader.bytes});
    EXPECT_EQ(read, position);
    EXPECT_EQ(readKind, kTabRight);
    EXPECT_EQ(readLeader.Text(), ".");
    // Changed: a left stop further on, its leader none (a space is none).
    double moved = document.GetParams().ToDisplayUnit(200);
    int16_t left = kTabLeft;
    PString space(" ");
    Run(131, ref, {&n, &moved, &left, space.bytes});
    ASSERT_EQ(LastError(ref), 0);
    Run(130, ref, {&n, &read, &readKind, readLeader.bytes});
    EXPECT_EQ(read, moved);
    EXPECT_EQ(readKind, kTabLeft);
    EXPECT_EQ(readLeader.Text(), "");
    Run(133, ref, {&n});
    EXPECT_EQ(LastError(ref), 0);
    EXPECT_EQ(Text(ref).GetCurrentTabs().Count(), 0);
  }
}

TEST_F(TextCommandsTest, BadTabStopsRecordTheirCodesAndChangeNothing) {
  for (uint32_t ref : Areas("Tabbed")) {
    xMorvaDocument& document = Doc(ref);
    double position = document.GetParams().ToDisplayUnit(50);
    int16_t kind = kTabLeft;
    PString none("");
    Run(132, ref, {&position, &kind, none.bytes});
    const State before = StateOf(ref);
    const double width = document.GetParams().ToDisplayUnit(document.CurrentTextWidth());
    struct Row {
      int32_t n;
      double position;
      int16_t kind;
      int32_t code;
    };
    const Row adding[] = {{0, -1, 1, 1067}, {0, width + 1, 1, 1067}, {0, 1, -1, 1068}, {0, 1, 6, 1068}};
    for (const Row& row : adding) {
      Row r = row;
      Run(132, ref, {&r.position, &r.kind, none.bytes});
      EXPECT_EQ(LastError(ref), row.code) << row.position << " " << row.kind;
    }
    const Row changing[] = {{0, 1, 1, 1084}, {2, 1, 1, 1084}, {1, -1, 1, 1067}, {1, 1, 0, 1068}, {1, 1, 9, 1068}};
    for (const Row& row : changing) {
      Row r = row;
      Run(131, ref, {&r.n, &r.position, &r.kind, none.bytes});
      EXPECT_EQ(LastError(ref), row.code) << row.n << " " << row.kind;
      if (row.code != 1084) continue;
      Run(133, ref, {&r.n});
      EXPECT_EQ(LastError(ref), 1084);
      double read = -1;
      int32_t readKind = -1;
      PString leader("x");
      Run(130, ref, {&r.n, &read, &readKind, leader.bytes});
      EXPECT_EQ(LastError(ref), 1084);
      EXPECT_EQ(read, 0);
      EXPECT_EQ(leader.Text(), "");
    }
    EXPECT_TRUE(StateOf(ref) == before);
  }
}

TEST_F(TextCommandsTest, AFullTabListTakesNoMoreStops) {
  const uint32_t ref = Areas("Full")[1];
  xMorvaTabs tabs;
  for (int16_t i = 0; i < xMorvaTabs::kCapacity; ++i) tabs.AddStop(MakeTabStop(i, 0, kTabLeft));
  xMorvaDocument& document = Doc(ref);
  document.BeginChange();
  ASSERT_EQ(Text(ref).SetTabsWithUndo(tabs), 0);
  document.EndChange();
  ASSERT_EQ(Text(ref).GetCurrentTabs().Count(), 256);
  const State before = StateOf(ref);
  double position = document.GetParams().ToDisplayUnit(300);
  int16_t kind = kTabLeft;
  PString none("");
  Run(132, ref, {&position, &kind, none.bytes});
  EXPECT_EQ(LastError(ref), 1066);
  EXPECT_TRUE(StateOf(ref) == before);
}

TEST_F(TextCommandsTest, AddedStopsOfKindZeroAreLeftStopsUpToTheFullList) {
  for (uint32_t ref : Areas("Merged")) {
    xMorvaDocument& document = Doc(ref);
    // Positions in plain pixels, as the host gives them.
    document.Params().SetDisplayUnit(kUnitPoints);
    PString none("");
    // Two right stops, then kind 0 at every place from 1 to 256 pixels:
    // the two are turned into left stops, none is lost, and the list is
    // full at 256.
    const int16_t held[] = {113, 188};
    for (int16_t at : held) {
      double position = document.GetParams().ToDisplayUnit(at);
      int16_t kind = kTabRight;
      Run(132, ref, {&position, &kind, none.bytes});
    }
    ASSERT_EQ(Text(ref).GetCurrentTabs().Count(), 2);
    for (int16_t at = 1; at <= xMorvaTabs::kCapacity; ++at) {
      double position = document.GetParams().ToDisplayUnit(at);
      int16_t kind = kTabNone;
      Run(132, ref, {&position, &kind, none.bytes});
      ASSERT_EQ(LastError(ref), 0) << at;
    }
    const xMorvaTabs& tabs = Text(ref).GetCurrentTabs();
    ASSERT_EQ(tabs.Count(), 256);
    for (int32_t i = 0; i < tabs.Count(); ++i) EXPECT_EQ(tabs.StopAt(i), MakeTabStop(int16_t(i + 1), 0, kTabLeft));
    double position = document.GetParams().ToDisplayUnit(300);
    int16_t kind = kTabNone;
    Run(132, ref, {&position, &kind, none.bytes});
    EXPECT_EQ(LastError(ref), 1066);
  }
}

// ---- Style sheets

class StyleSheetCommandsTest : public TextCommandsTest {
 protected:
  // Command 151: the new sheet's place.
  int32_t NewSheet(uint32_t ref, const std::string& name, int16_t paragraph, const std::string& key) {
    PString n(name), k(key);
    int32_t index = 7;
    Run(151, ref, {n.bytes, &paragraph, k.bytes}, &index);
    return index;
  }
};

TEST_F(StyleSheetCommandsTest, ASheetIsMadeNamedReadAndApplied) {
  for (uint32_t ref : Areas("Styled text\nNext")) {
    const int32_t index = NewSheet(ref, "Quote", 0, "q");
    ASSERT_EQ(index, 2);
    int32_t at = index;
    PString name("stale"), key("stale");
    int16_t second = -1, first = -1;
    Run(148, ref, {&at, name.bytes, &second, &first, key.bytes});
    EXPECT_EQ(name.Text(), "Quote");
    EXPECT_EQ(second, 0);
    EXPECT_EQ(first, 0);
    EXPECT_EQ(key.Text(), "q");
    PString renamed("Citation"), noKey("");
    int16_t paragraph = 1;
    Run(149, ref, {&at, renamed.bytes, &paragraph, noKey.bytes});
    Run(148, ref, {&at, name.bytes, &second, &first, key.bytes});
    EXPECT_EQ(name.Text(), "Citation");
    EXPECT_EQ(second, 1);
    EXPECT_EQ(key.Text(), "");
    PString typed("Cit@");  // stored as typed, no pattern of the name shown
    Run(149, ref, {&at, typed.bytes, &paragraph, noKey.bytes});
    Run(148, ref, {&at, name.bytes, &second, &first, key.bytes});
    EXPECT_EQ(name.Text(), "Cit@");
    Run(149, ref, {&at, renamed.bytes, &paragraph, noKey.bytes});
    // An empty name keeps the sheet's; a new sheet without one is numbered.
    PString empty("");
    Run(149, ref, {&at, empty.bytes, &paragraph, noKey.bytes});
    Run(148, ref, {&at, name.bytes, &second, &first, key.bytes});
    EXPECT_EQ(name.Text(), "Citation");
    // A Greek name: the host gets the form's Macintosh name, and handing it
    // back keeps the whole name.
    VStr<255> greek;
    greek.SetUniCText(u"Τίτλος");
    int16_t sheetId = 0;
    ASSERT_TRUE(Doc(ref).StyleSheetIdAt(at, sheetId));
    ASSERT_TRUE(SetStyleSheetWholeName(*Doc(ref).GetStyleSheetStore(), sheetId, greek));
    Run(148, ref, {&at, name.bytes, &second, &first, key.bytes});
    EXPECT_EQ(name.Text(), "??????");
    Run(149, ref, {&at, name.bytes, &paragraph, noKey.bytes});
    VStr<255> whole;
    Doc(ref).GetStyleSheetName(sheetId, whole, false);
    EXPECT_EQ(whole.Compare(greek, true), 0);
    int32_t unnamed = NewSheet(ref, "", 1, "");
    Run(148, ref, {&unnamed, name.bytes, &second, &first, key.bytes});
    EXPECT_NE(name.Text(), "");
    Run(150, ref, {&unnamed});
    // A property of the sheet, then the sheet over the selection.
    int16_t id = kPropItalic;
    double value = 1;
    int32_t convert = 0;
    Run(152, ref, {&at, &id, &value, &convert});
    ASSERT_EQ(LastError(ref), 0);
    double read = -1;
    Run(153, ref, {&at, &id}, &read);
    EXPECT_EQ(read, 1);
    PString font("Courier New");
    Run(154, ref, {&at, font.bytes});
    ASSERT_EQ(LastError(ref), 0);
    PString fontName("stale");
    Run(155, ref, {&at}, fontName.bytes);
    EXPECT_EQ(fontName.Text(), "Courier New");
    Select(ref, 0, 3);
    Run(107, ref, {&at});
    EXPECT_EQ(LastError(ref), 0);
    EXPECT_EQ(Text(ref).GetPropertyValue(kPropItalic), 1);
    EXPECT_EQ(Doc(ref).StyleSheetIndex(int16_t(Text(ref).GetPropertyValue(kPropStyleSheet))), 2);
    // Re-applied after a change, then deleted: its runs fall back to the
    // default sheet.
    Run(161, ref, {&at});
    EXPECT_EQ(LastError(ref), 0);
    Run(150, ref, {&at});
    EXPECT_EQ(LastError(ref), 0);
    EXPECT_EQ(Doc(ref).StyleSheetCount(), 1);
    Select(ref, 0, 3);
    EXPECT_EQ(Text(ref).GetPropertyValue(kPropStyleSheet), kDefaultStyleSheetId);
  }
}

// A rename by 149, a size by 152, a font by 154 or a stop by 159 has no undo
// step of its own: the sheet deleted by 150 or 75 comes back from undo as
// the user left it; applied again by 161, undo gives back the sheet with
// its text and redo both, each ending in the part the user was in.
TEST_F(StyleSheetCommandsTest, ASheetChangedThenDeletedComesBackFromUndoAsLeft) {
  struct Row {
    bool rename, resize;
    int32_t remove;
    bool font = false, tab = false;
    int16_t part = kPartBody;
  };
  const Row rows[] = {{true, false, 150}, {true, false, 75},  {false, true, 150},
                      {false, true, 75},  {true, true, 150}, {true, true, 75},
                      {false, false, 161, true}, {false, false, 161, false, true}, {true, false, 161},
                      {false, true, 161}, {true, false, 161, false, false, kPartHeader},
                      {false, false, 161, true, false, kPartFirstFooter}};
  int32_t recorded = 0;
  for (const Row& row : rows) {
    for (uint32_t ref : Areas("Styled text\nNext")) {
      // An area whose undo history is off has nothing to give back.
      if (!Doc(ref).GetUndo()->IsRecording()) continue;
      ++recorded;
      const std::string label = "row " + std::to_string(&row - rows);
      int32_t at = NewSheet(ref, "Beta", 0, "");
      int16_t size = kPropSize;
      double twelve = 12, eighteen = 18;
      int32_t convert = 0;
      Run(152, ref, {&at, &size, &twelve, &convert});
      Select(ref, 0, 6);
      Run(107, ref, {&at});
      // The user goes on in the row's part.
      Doc(ref).Params().SetDifferentFirstPage(1);
      int16_t part = row.part;
      Run(163, ref, {&part});
      ASSERT_EQ(LastError(ref), 0) << label;
      PString renamed("Bravo"), noKey(""), font("Liberation Mono"), fontWas("stale");
      Run(155, ref, {&at}, fontWas.bytes);
      int16_t paragraph = 0, centre = kTabCentre;
      double stop = Doc(ref).GetParams().ToDisplayUnit(80);
      if (row.rename) Run(149, ref, {&at, renamed.bytes, &paragraph, noKey.bytes});
      if (row.resize) Run(152, ref, {&at, &size, &eighteen, &convert});
      if (row.font) Run(154, ref, {&at, font.bytes});
      if (row.tab) Run(159, ref, {&at, &stop, &centre, noKey.bytes});
      ASSERT_EQ(LastError(ref), 0) << label;
      int16_t low = int16_t(at - 1);
      if (row.remove == 150) {
        Run(150, ref, {&at});
      } else if (row.remove == 75) {
        Run(75, ref, {&low});
      } else {
        Run(161, ref, {&at});
      }
      ASSERT_EQ(LastError(ref), 0) << label;
      ASSERT_EQ(Doc(ref).StyleSheetCount(), row.remove == 161 ? 2 : 1) << label;
      // The sheet as the user left it, or (`changed` false) as before.
      const auto expectAsLeft = [&](const char* step, bool changed = true) {
        ASSERT_EQ(Doc(ref).StyleSheetCount(), 2) << label << step;
        PString name("stale"), key("stale"), fontName("stale");
        int16_t second = -1, first = -1, tabs = kPropTabs;
        Run(148, ref, {&at, name.bytes, &second, &first, key.bytes});
        EXPECT_EQ(name.Text(), row.rename && changed ? "Bravo" : "Beta") << label << step;
        double read = -1, stops = -1;
        Run(153, ref, {&at, &size}, &read);
        EXPECT_EQ(read, row.resize && changed ? 18 : 12) << label << step;
        Run(155, ref, {&at}, fontName.bytes);
        EXPECT_EQ(fontName.Text(), row.font && changed ? font.Text() : fontWas.Text()) << label << step;
        Run(153, ref, {&at, &tabs}, &stops);
        EXPECT_EQ(stops, row.tab && changed ? 1 : 0) << label << step;
        EXPECT_EQ(Doc(ref).CurrentPartNumber(), row.part) << label << step;
      };
      const bool again = row.remove == 161;
      Doc(ref).Undo();
      expectAsLeft(" undone", !again);
      Doc(ref).Redo();
      if (again) expectAsLeft(" redone");
      EXPECT_EQ(Doc(ref).StyleSheetCount(), again ? 2 : 1) << label << " redone";
      Doc(ref).Undo();
      expectAsLeft(" undone again", !again);
    }
  }
  EXPECT_EQ(recorded, 12);
}

TEST_F(StyleSheetCommandsTest, TheTabStopsOfASheet) {
  for (uint32_t ref : Areas("")) {
    int32_t at = NewSheet(ref, "Table", 1, "");
    int32_t n = 1;
    double read = -1;
    int32_t kind = -1;
    PString leader("stale");
    // Not set yet.
    Run(157, ref, {&at, &n, &read, &kind, leader.bytes});
    EXPECT_EQ(LastError(ref), 1084);
    double position = Doc(ref).GetParams().ToDisplayUnit(80);
    int16_t centre = kTabCentre;
    PString dash("-");
    Run(159, ref, {&at, &position, &centre, dash.bytes});
    ASSERT_EQ(LastError(ref), 0);
    Run(157, ref, {&at, &n, &read, &kind, leader.bytes});
    EXPECT_EQ(read, position);
    EXPECT_EQ(kind, kTabCentre);
    EXPECT_EQ(leader.Text(), "-");
    double further = Doc(ref).GetParams().ToDisplayUnit(160);
    int16_t right = kTabRight;
    Run(158, ref, {&at, &n, &further, &right, dash.bytes});
    Run(157, ref, {&at, &n, &read, &kind, leader.bytes});
    EXPECT_EQ(read, further);
    int16_t id = kPropTabs;
    double count = -1;
    Run(153, ref, {&at, &id}, &count);
    EXPECT_EQ(count, 1);
    Run(160, ref, {&at, &n});
    Run(153, ref, {&at, &id}, &count);
    EXPECT_EQ(count, 0);
    Run(160, ref, {&at, &n});
    EXPECT_EQ(LastError(ref), 1084);
  }
}

TEST_F(StyleSheetCommandsTest, SheetsThatDoNotExistRecordTheirCodesAndChangeNothing) {
  for (uint32_t ref : Areas("Text")) {
    NewSheet(ref, "Only", 1, "");
    const State before = StateOf(ref);
    // Places 0 and N + 1, then what sheet 1 refuses.
    struct Row {
      int32_t n, index, code;
    };
    std::vector<Row> rows;
    for (int32_t n : {107, 148, 149, 150, 152, 153, 154, 155, 157, 158, 159, 160, 161}) {
      const int32_t code = n == 107 ? 1078 : 1038;
      rows.push_back({n, 0, code});
      rows.push_back({n, 3, code});
    }
    rows.push_back({150, 1, 1094});
    rows.push_back({152, 1, 1075});
    rows.push_back({153, 1, 1075});
    rows.push_back({154, 1, 1077});
    for (const Row& row : rows) {
      int32_t index = row.index;
      int16_t word = row.n == 152 || row.n == 153 ? 46 : 1;
      PString text(row.n == 154 ? "No Such Font 42" : "x");
      double real = 1;
      double result = -7;
      void* more[] = {&index, &word, &real, text.bytes};
      if (row.n == 149 || row.n == 154) more[1] = text.bytes;
      Run(row.n, ref, {more[0], more[1], more[2], more[3]}, row.n == 153 ? &result : nullptr);
      EXPECT_EQ(LastError(ref), row.code) << row.n << " at " << row.index;
      if (row.n == 153) {
        EXPECT_EQ(result, 0);
      }
      EXPECT_TRUE(StateOf(ref) == before) << row.n << " at " << row.index;
    }
  }
}

}  // namespace
