// The host commands below 95 on whole areas, family by family: view and
// bars, redraw, document options, menu commands by user code, BLOB
// insertion, fonts and colours without an area, and the numbers that do
// nothing. Bad input records its code and leaves the document as it was.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "area/commands/xMorvaAreaCommands.h"
#include "area/tests/AreaTestSupport.h"
#include "area/tests/DocumentFileSupport.h"
#include "area/xMorvaBarState.h"
#include "views/VPaneView.h"
#include "boundary/HostRecords.h"
#include "document/xMorvaProperties.h"
#include "document/xMorvaUndo.h"
#include "engine/xMorvaElementStream.h"
#include "engine/xMorvaEngine.h"
#include "framework/core/containers/VStringArray.h"
#include "framework/system/environment/VSystemServices.h"
#include "host/context/HostArrays.h"
#include "platform/toolbox/TbxHandles.h"

namespace {

using areatest::AreaTest;
using areatest::PString;
using documentfile::Bytes;
using documentfile::StreamOf;

class AreaCommandsTest : public areatest::TextAreasTest {
 protected:

  // An offscreen area with the text in its body (a line end starts a
  // paragraph) and the caret at its start.
  xMorvaPlugIn* AreaWith(const std::string& text, bool form = false) {
    xMorvaPlugIn* area = form ? NewFormArea() : NewOffscreenArea();
    // Its commands, as the host's first event loads them.
    if (form) area->ReloadCommands();
    xMorvaEngine& body = documentfile::Engine(*area->GetDocument(), kPartBody);
    documentfile::Type(body, text);
    if (xMorvaUndo* undo = area->GetDocument()->GetUndo()) undo->Commit();
    body.SetSelection(0, 0);
    return area;
  }
  static std::u16string TextOf(xMorvaDocument& document) {
    xMorvaTextInterface* part = document.GetPart(kPartBody);
    std::u16string text;
    const uint8_t* data = part->LockStream();
    for (uint32_t at = 0; data != nullptr && at < part->GetStreamSize();) {
      const StreamItem item = ReadStreamItem(data + at, part->GetStreamSize() - at);
      if (item.kind == StreamItem::kUnit) text.push_back(item.unit);
      at += item.size;
    }
    part->UnlockStream();
    return text;
  }
  // Commands 77 and 78.
  void SetView(uint32_t ref, int16_t view, int16_t rules, int16_t unit) { Run(77, ref, {&view, &rules, &unit}); }
  std::vector<int16_t> ReadView(uint32_t ref) {
    std::vector<int16_t> out(3, -9);
    Run(78, ref, {&out[0], &out[1], &out[2]});
    return out;
  }
  uint32_t WriteBlob(xMorvaPlugIn* area) {
    uint32_t blob = 0;
    Run(37, area->GetReference(), {}, &blob);
    return blob;
  }
  int32_t Menu(int32_t n, uint32_t ref, int16_t code, int16_t value = 0) {
    Run(n, ref, {&code, &value});
    return LastError(ref);
  }
};

// ---- View, rulers and bars

TEST_F(AreaCommandsTest, ViewValuesAreSetInTurnUntilTheFirstBadOne) {
  struct Row {
    int16_t view, rules, unit;
    int32_t code;
    // What 78 reads afterwards; -1: as the new area had it.
    int16_t readView, readRules, readUnit;
  } rows[] = {
      {1, 5, 0, 1056, 1, -1, -1},   // page view set, then the bad rule
      {2, 2, 3, 0, 2, 1, 2},        // facing pages, own first page, pixels
      {0, 0, 1, 0, 0, 0, 1},        // continuous, no rules, centimetres
      {-1, -1, 0, 0, -1, -1, 0},    // only the unit
      {1, 1, -1, 0, 1, 1, -1},      // pages, own first page
      {3, 0, 0, 1055, -1, -1, -1},  // nothing changes
      {-2, 0, 0, 1055, -1, -1, -1},
      {-1, 1, 4, 1057, -1, 1, -1},  // the rule stays set
      {-1, -1, -5, 1057, -1, -1, -1},
  };
  for (const Row& row : rows) {
    const uint32_t ref = AreaWith("Text")->GetReference();
    const std::vector<int16_t> before = ReadView(ref);
    SetView(ref, row.view, row.rules, row.unit);
    EXPECT_EQ(LastError(ref), row.code) << row.view << "," << row.rules << "," << row.unit;
    const std::vector<int16_t> after = ReadView(ref);
    EXPECT_EQ(after[0], row.readView == -1 ? before[0] : row.readView) << row.view;
    EXPECT_EQ(after[1], row.readRules == -1 ? before[1] : row.readRules) << row.view;
    EXPECT_EQ(after[2], row.readUnit == -1 ? before[2] : row.readUnit) << row.view;
  }
  // 78 on no area clears its outputs and records 1022.
  std::vector<int16_t> out = ReadView(987654);
  EXPECT_EQ(out, std::vector<int16_t>(3, 0));
}

TEST_F(AreaCommandsTest, RulersAndScrollBarsFollowTheirWords) {
  xMorvaPlugIn* area = AreaWith("Text", true);
  xMorvaDocument& document = *area->GetDocument();
  const uint32_t ref = area->GetReference();
  for (int16_t hide : {int16_t(0), int16_t(1), int16_t(0)}) {
    Run(46, ref, {&hide});
    double rulers = -1;
    document.GetAreaOption(2, rulers);
    EXPECT_EQ(rulers, hide == 0 ? 1 : 0);
  }
  for (int16_t show : {int16_t(1), int16_t(0), int16_t(7)}) {
    Run(86, ref, {&show});
    int32_t vertical = -1;
    Run(87, ref, {}, &vertical);
    EXPECT_EQ(vertical, show != 0 ? 1 : 0);
    double horizontal = -1;
    document.GetAreaOption(7, horizontal);
    EXPECT_EQ(horizontal, show != 0 ? 1 : 0);
  }
  EXPECT_EQ(LastError(ref), 0);
  // No area: 1022, and 87 leaves its result.
  int32_t vertical = -5;
  Run(87, 31337, {}, &vertical);
  EXPECT_EQ(vertical, -5);
}

TEST_F(AreaCommandsTest, Command43SwitchesDocumentCommand407) {
  xMorvaPlugIn* area = AreaWith("Text", true);
  const uint32_t ref = area->GetReference();
  for (int16_t off : {int16_t(1), int16_t(0), int16_t(-4)}) {
    Run(43, ref, {&off});
    EXPECT_EQ(area->IsCommandAllowed(407), off == 0);
  }
  EXPECT_EQ(LastError(ref), 0);
}

TEST_F(AreaCommandsTest, RedrawIsHeldBackBy9AndResumedBy9) {
  xMorvaPlugIn* area = AreaWith("Some text", true);
  const uint32_t ref = area->GetReference();
  xMorvaDocument& document = *area->GetDocument();
  auto heldInCommand = [&] {
    document.SetInHostCommand(true);
    const bool held = area->IsRedrawSuspended();
    document.SetInHostCommand(false);
    return held;
  };
  struct Row {
    int32_t n;
    int16_t word;
    bool held;
  } rows[] = {{9, 0, true}, {10, 0, true}, {9, 0, true}, {9, 1, false}, {10, 0, false}, {9, 5, false}};
  for (const Row& row : rows) {
    int16_t word = row.word;
    Run(row.n, ref, {&word});
    EXPECT_EQ(heldInCommand(), row.held) << row.n << " " << row.word;
    // The user's own typing and drawing outside commands are never held.
    EXPECT_FALSE(area->IsRedrawSuspended());
  }
  EXPECT_EQ(LastError(ref), 0);
}

// ---- Document options

TEST_F(AreaCommandsTest, OptionsOfTheDocumentAndThePackageDefaults) {
  struct Row {
    int16_t save, fixed, blankPreview, undoOff;
    // Settings 0, 4, 1 and 2 afterwards; -1: unchanged.
    int16_t s0, s4, s1, s2;
  } rows[] = {
      {1, 1, 0, 0, 1, 1, 1, 1},
      {0, 0, 1, 1, 0, 0, 0, 0},
      {2, -1, 5, 9, -1, -1, -1, -1},  // only 0 and 1 change anything
  };
  for (const Row& row : rows) {
    xMorvaPlugIn* area = AreaWith("Text", true);
    xMorvaDocument& document = *area->GetDocument();
    uint16_t before[5] = {};
    for (int16_t s : {0, 1, 2, 4}) document.GetAreaSetting(s, before[s], nullptr);
    int16_t unused = 0;
    Run(30, area->GetReference(), {&unused, const_cast<int16_t*>(&row.save), const_cast<int16_t*>(&row.fixed),
                                   const_cast<int16_t*>(&row.blankPreview), const_cast<int16_t*>(&row.undoOff)});
    const int16_t expected[5] = {row.s0, row.s1, row.s2, 0, row.s4};
    for (int16_t s : {0, 1, 2, 4}) {
      uint16_t value = 9;
      document.GetAreaSetting(s, value, nullptr);
      EXPECT_EQ(value, expected[s] == -1 ? before[s] : expected[s]) << "setting " << s << " row " << row.save;
    }
    EXPECT_EQ(LastError(area->GetReference()), 0);

    // Reference 0: the package's defaults, nothing recorded.
    uint16_t packageBefore[3] = {};
    for (int16_t o : {0, 1, 2}) package->GetOption(o, packageBefore[o], nullptr);
    package->calls.clear();
    Run(30, 0, {&unused, const_cast<int16_t*>(&row.save), const_cast<int16_t*>(&row.fixed),
                const_cast<int16_t*>(&row.blankPreview), const_cast<int16_t*>(&row.undoOff)});
    for (int16_t o : {0, 1, 2}) {
      uint16_t value = 9;
      package->GetOption(o, value, nullptr);
      const int16_t want = o == 0 ? row.s0 : o == 1 ? row.s1 : row.s2;
      EXPECT_EQ(value, want == -1 ? packageBefore[o] : want) << "option " << o;
    }
    EXPECT_TRUE(package->calls.empty());
  }
}

// ---- Menu commands by user code

TEST_F(AreaCommandsTest, RunningByCodeChangesTheSelectionOrRecords1016) {
  SetErrorMethod("OnError");
  struct Row {
    int16_t code;
    uint16_t property;
    int32_t value;  // after; -1 unchanged
    int32_t recorded;
  } rows[] = {
      {410, kPropSize, 9, 0},     {415, kPropSize, 24, 0},        {9905, kPropTextColour, 0xFF9900, 0},
      {9906, kPropTextColour, 0x9900FF, 0}, {405, kPropSize, -1, 0}, {9999, kPropSize, -1, 1016},
      {9803, kPropSize, -1, 0},   // one past the last style sheet: none
      {-3, kPropSize, -1, 1016},
  };
  for (const Row& row : rows) {
    xMorvaPlugIn* area = AreaWith("Hello world");
    xMorvaEngine& body = documentfile::Engine(*area->GetDocument(), kPartBody);
    body.SetSelection(0, 5);
    const int32_t before = body.GetPropertyValue(row.property);
    const Bytes stream = StreamOf(*area->GetDocument(), kPartBody);
    EXPECT_EQ(Menu(25, area->GetReference(), row.code), row.recorded) << row.code;
    body.SetSelection(0, 5);
    EXPECT_EQ(body.GetPropertyValue(row.property), row.value == -1 ? before : row.value) << row.code;
    if (row.value == -1) {
      EXPECT_EQ(StreamOf(*area->GetDocument(), kPartBody), stream) << row.code;
    }
  }
  // Larger and smaller step by one within 5 to 255.
  xMorvaPlugIn* area = AreaWith("Hello");
  xMorvaEngine& body = documentfile::Engine(*area->GetDocument(), kPartBody);
  body.SetSelection(0, 5);
  Menu(25, area->GetReference(), 412);
  Menu(25, area->GetReference(), 420);
  body.SetSelection(0, 5);
  EXPECT_EQ(body.GetPropertyValue(kPropSize), 13);
  Menu(25, area->GetReference(), 421);
  Menu(25, area->GetReference(), 421);
  body.SetSelection(0, 5);
  EXPECT_EQ(body.GetPropertyValue(kPropSize), 11);
}

TEST_F(AreaCommandsTest, FontCodesSetTheSelectionsFont) {
  const VStringArray* fonts = gSystemServices->GetFontList(false);
  ASSERT_NE(fonts, nullptr);
  ASSERT_GE(fonts->Count(), 1);
  xMorvaPlugIn* area = AreaWith("Hello", true);
  xMorvaDocument& document = *area->GetDocument();
  documentfile::Engine(document, kPartBody).SetSelection(0, 5);
  EXPECT_EQ(Menu(25, area->GetReference(), 301), 0);
  VStr<255> name;
  bool known = false;
  documentfile::Engine(document, kPartBody).SetSelection(0, 5);
  ASSERT_TRUE(document.FontNameForIndex(documentfile::Engine(document, kPartBody).GetPropertyValue(kPropFont), name,
                                        known));
  EXPECT_EQ(name.Compare(*fonts->GetAt(1), false), 0);
  // 44 reads the font back: its name, the font menu's state, and 1 for
  // the selection's own font.
  int16_t code = 301;
  int32_t value = -1;
  int16_t enabled = -1;
  PString title("stale");
  Run(44, area->GetReference(), {&code, &value, &enabled, title.bytes});
  EXPECT_EQ(LastError(area->GetReference()), 0);
  EXPECT_EQ(value, 1);
  EXPECT_EQ(enabled, area->IsCommandEnabled(1002) ? 1 : 0);
  char expected[256] = {};
  fonts->GetAt(1)->GetCText(expected, sizeof expected, kCharSetMac);
  EXPECT_EQ(title.Text(), expected);
  // One past the list is no code.
  EXPECT_EQ(Menu(25, area->GetReference(), int16_t(301 + fonts->Count())), 1016);
}

TEST_F(AreaCommandsTest, ReadingByCodeGivesTheCommandsStateOrLeavesItsOutputs) {
  xMorvaPlugIn* area = AreaWith("Hello", true);
  const uint32_t ref = area->GetReference();
  struct Row {
    int16_t code;
    int32_t recorded;
    bool titled;
  } rows[] = {{402, 0, true}, {410, 0, false}, {9905, 0, false}, {9999, 1016, false}, {300, 1016, false}};
  for (const Row& row : rows) {
    int16_t code = row.code;
    int32_t value = -1;
    int16_t enabled = -1;
    PString title("stale");
    Run(44, ref, {&code, &value, &enabled, title.bytes});
    EXPECT_EQ(LastError(ref), row.recorded) << row.code;
    // Code 402 is the bold command, 502.
    EXPECT_EQ(title.Text(), row.titled ? "Bold" : "") << row.code;
    if (!row.titled) {
      EXPECT_EQ(value, 0) << row.code;
      EXPECT_EQ(enabled, 0) << row.code;
    }
  }
}

TEST_F(AreaCommandsTest, SwitchingByCodeAndByGroup) {
  xMorvaPlugIn* area = AreaWith("Hello", true);
  const uint32_t ref = area->GetReference();
  auto enabled = [&](int32_t id) { return area->IsCommandAllowed(id); };
  ASSERT_TRUE(enabled(1002));
  ASSERT_TRUE(enabled(101));
  EXPECT_EQ(Menu(53, ref, 300, 1), 0);
  EXPECT_FALSE(enabled(1002));
  EXPECT_TRUE(enabled(101));
  EXPECT_EQ(Menu(53, ref, 300, 0), 0);
  EXPECT_TRUE(enabled(1002));
  // A code of the table switches its own command only.
  EXPECT_EQ(Menu(53, ref, 101, 1), 0);
  EXPECT_FALSE(enabled(101));
  EXPECT_TRUE(enabled(102));
  EXPECT_EQ(Menu(53, ref, 100, 0), 0);
  EXPECT_TRUE(enabled(101));
  struct Row {
    int16_t code;
    int32_t recorded;
  } rows[] = {{9999, 1016}, {301, 1016}, {410, 0}, {9906, 0}, {0, 1016}};
  for (const Row& row : rows) EXPECT_EQ(Menu(53, ref, row.code, 1), row.recorded) << row.code;
  EXPECT_TRUE(enabled(1002));
}

// ---- Commands of an area object only

// What each of these commands changes is the area's, so that a document
// made by command for an area without a host window, which has no area
// object, is left as it was and the command records 0; the same command on
// a form's area does its work.
TEST_F(AreaCommandsTest, AreaObjectCommandsLeaveADocumentMadeByCommandAlone) {
  struct Row {
    int32_t n;
    int16_t first, second;
    // The area's state the command changes, as a number, and what it is
    // after the command on a form's area.
    int32_t (*state)(xMorvaPlugIn& area);
    int32_t set;
  } rows[] = {
      {42, 1, 0, [](xMorvaPlugIn& a) { return int32_t(a.IsAreaLocked()); }, 1},
      {42, 1, 0, [](xMorvaPlugIn& a) { return int32_t(a.IsCommandEnabled(502)); }, 0},
      {43, 1, 0, [](xMorvaPlugIn& a) { return int32_t(a.IsCommandAllowed(407)); }, 0},
      {46, 1, 0, [](xMorvaPlugIn& a) { return int32_t(a.GetPaneView()->IsTopViewShown()); }, 0},
      {53, 300, 1, [](xMorvaPlugIn& a) { return int32_t(a.IsCommandAllowed(1002)); }, 0},
      {53, 100, 1, [](xMorvaPlugIn& a) { return int32_t(a.IsCommandAllowed(101)); }, 0},
      {58, 2, 0, [](xMorvaPlugIn& a) { return int32_t(a.GetEventMethods().ForKind(2)->on); }, 1},
  };
  for (const Row& row : rows) {
    for (bool form : {true, false}) {
      xMorvaPlugIn* area = AreaWith("Hello", form);
      const uint32_t ref = area->GetReference();
      const int32_t before = row.state(*area);
      // The command would change it.
      EXPECT_NE(before, row.set) << row.n << (form ? " form" : " offscreen");
      int16_t first = row.first;
      int16_t second = row.second;
      PString name("OnArea");
      Run(row.n, ref, {&first, row.n == 58 ? static_cast<void*>(name.bytes) : &second});
      EXPECT_EQ(LastError(ref), 0) << row.n << (form ? " form" : " offscreen");
      EXPECT_EQ(row.state(*area), form ? row.set : before) << row.n << "," << row.first << (form ? " form" : " offscreen");
    }
  }
  // The options of 46 and 86 are the document's, set with or without an
  // area object.
  xMorvaPlugIn* offscreen = AreaWith("Hello");
  for (int16_t word : {int16_t(1), int16_t(0)}) {
    Run(46, offscreen->GetReference(), {&word});
    Run(86, offscreen->GetReference(), {&word});
    double rulers = -1;
    double vertical = -1;
    offscreen->GetDocument()->GetAreaOption(2, rulers);
    offscreen->GetDocument()->GetAreaOption(8, vertical);
    EXPECT_EQ(rulers, word == 0 ? 1 : 0);
    EXPECT_EQ(vertical, word != 0 ? 1 : 0);
  }
  // Their codes too: an event kind out of range, a code no one knows, and
  // reading a command leaves the outputs as they were cleared.
  for (bool form : {true, false}) {
    xMorvaPlugIn* area = AreaWith("Hello", form);
    const uint32_t ref = area->GetReference();
    int16_t kind = 11;
    PString name("OnArea");
    Run(58, ref, {&kind, name.bytes});
    EXPECT_EQ(LastError(ref), form ? 1044 : 0);
    EXPECT_EQ(Menu(53, ref, 9999, 1), form ? 1016 : 0);
    int16_t code = 402;
    int32_t value = -1;
    int16_t enabled = -1;
    PString title("stale");
    Run(44, ref, {&code, &value, &enabled, title.bytes});
    EXPECT_EQ(title.Text(), form ? "Bold" : "");
    EXPECT_EQ(enabled, form ? 1 : 0);
    code = 9999;
    Run(44, ref, {&code, &value, &enabled, title.bytes});
    EXPECT_EQ(LastError(ref), form ? 1016 : 0);
  }
}

// ---- BLOB insertion

TEST_F(AreaCommandsTest, ABlobsDocumentGoesInAfterAParagraphEnd) {
  xMorvaPlugIn* source = AreaWith("Alpha");
  const uint32_t blob = WriteBlob(source);
  ASSERT_NE(blob, 0u);
  struct Row {
    int16_t atEnd, noClosingEnd;
    std::u16string text;
  } rows[] = {
      {1, 0, u"One\rTwo\rAlpha\r"},
      {1, 1, u"One\rTwo\rAlpha"},
      {0, 0, u"\rAlpha\rOne\rTwo"},
  };
  for (const Row& row : rows) {
    xMorvaPlugIn* target = AreaWith("One\nTwo");
    xMorvaDocument& document = *target->GetDocument();
    uint32_t slot = blob;
    int32_t result = -1;
    Run(54, target->GetReference(), {&slot, const_cast<int16_t*>(&row.atEnd), const_cast<int16_t*>(&row.noClosingEnd)},
        &result);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(LastError(target->GetReference()), 0);
    EXPECT_EQ(TextOf(document), row.text) << row.atEnd << row.noClosingEnd;
  }
  Tbx::DisposeHandle(blob);
}

TEST_F(AreaCommandsTest, BadBlobsInsertNothing) {
  xMorvaPlugIn* source = AreaWith("Alpha");
  documentfile::Engine(*source->GetDocument(), kPartBody).InsertPropertyRecord(0, kPropFont, 77);
  const uint32_t repaired = WriteBlob(source);
  const int32_t size = Tbx::GetHandleSize(repaired);
  Bytes damaged(static_cast<const uint8_t*>(Tbx::HLock(repaired)), static_cast<const uint8_t*>(Tbx::HLock(repaired)) + size);
  Tbx::HUnlock(repaired);
  Tbx::HUnlock(repaired);
  auto blobOf = [](const Bytes& bytes) {
    const uint32_t blob = Tbx::NewHandle(int32_t(bytes.size()));
    if (!bytes.empty()) {
      std::memcpy(Tbx::HLock(blob), bytes.data(), bytes.size());
      Tbx::HUnlock(blob);
    }
    return blob;
  };
  const uint32_t garbage = blobOf({1, 2, 3, 4, 5});
  const uint32_t empty = blobOf({});
  const uint32_t cut = blobOf(Bytes(damaged.begin(), damaged.begin() + damaged.size() / 2));
  struct Row {
    uint32_t blob;
    int32_t code;
  } rows[] = {{0, 1017}, {garbage, 1032}, {empty, 1032}, {repaired, 1097}};
  for (const Row& row : rows) {
    xMorvaPlugIn* target = AreaWith("One\nTwo");
    const Bytes before = StreamOf(*target->GetDocument(), kPartBody);
    uint32_t slot = row.blob;
    int16_t atEnd = 1, closing = 0;
    int32_t result = -1;
    Run(54, target->GetReference(), {&slot, &atEnd, &closing}, &result);
    EXPECT_EQ(result, row.code);
    EXPECT_EQ(LastError(target->GetReference()), row.code);
    EXPECT_EQ(StreamOf(*target->GetDocument(), kPartBody), before) << row.code;
  }
  // A cut BLOB is refused with a code, and nothing goes in.
  xMorvaPlugIn* target = AreaWith("One");
  const Bytes before = StreamOf(*target->GetDocument(), kPartBody);
  uint32_t slot = cut;
  int32_t result = -1;
  Run(54, target->GetReference(), {&slot}, &result);
  EXPECT_NE(result, 0);
  EXPECT_EQ(StreamOf(*target->GetDocument(), kPartBody), before);
  // No area: 1022 in the result.
  Run(54, 424242, {&slot}, &result);
  EXPECT_EQ(result, 1022);
  for (uint32_t blob : {repaired, garbage, empty, cut}) Tbx::DisposeHandle(blob);
}

// ---- Fonts and colours without an area

TEST_F(AreaCommandsTest, ColoursFromComponentsAndBack) {
  struct Row {
    int32_t red, green, blue, colour;
  } rows[] = {
      {65535, 0, 32768, 0xFF0080},
      {0, 0, 0, 0},
      {255, 256, 511, 0x000101},
      // Components beyond the range spill into the next field: plain
      // arithmetic shifts, no masking.
      {70000, 0, 0, 0x1110000},
      {65536, 0, 0, 16777216},
      {0, 65536, 0, 0x010000},
      {-256, 0, 0, -65536},
      {-1, -65536, 0x7FFFFFFF, -1},
  };
  for (const Row& row : rows) {
    int32_t r = row.red, g = row.green, b = row.blue, colour = -7;
    void* params[12] = {&r, &g, &b};
    package->ExecuteCommand(79, params, &colour);
    EXPECT_EQ(colour, row.colour) << row.red << "," << row.green << "," << row.blue;
  }
  struct Back {
    int32_t colour, red, green, blue;
  } backs[] = {{0xFF0080, 65280, 0, 32768}, {0xFFFFFF, 65280, 65280, 65280}, {0x010203, 256, 512, 768}};
  for (const Back& row : backs) {
    int32_t colour = row.colour, r = -1, g = -1, b = -1;
    void* params[12] = {&colour, &r, &g, &b};
    package->ExecuteCommand(80, params, nullptr);
    EXPECT_EQ(r, row.red);
    EXPECT_EQ(g, row.green);
    EXPECT_EQ(b, row.blue);
  }
  int32_t zero = -1;
  void* none[12] = {};
  package->ExecuteCommand(91, none, &zero);
  EXPECT_EQ(zero, 0);
}

TEST_F(AreaCommandsTest, FontNumbersNamesAndTheFontList) {
  const VStringArray* fonts = gSystemServices->GetFontList(false);
  ASSERT_NE(fonts, nullptr);
  ASSERT_GE(fonts->Count(), 1);
  char first[256] = {};
  fonts->GetAt(1)->GetCText(first, sizeof first, kCharSetMac);
  PString name(first);
  int32_t number = -1;
  void* byName[12] = {name.bytes};
  package->ExecuteCommand(31, byName, &number);
  int16_t word = int16_t(number);
  PString back("stale");
  void* byNumber[12] = {&word};
  package->ExecuteCommand(32, byNumber, back.bytes);
  EXPECT_EQ(back.Text(), first);

  HostVariableEntry array{};
  array.type = 18;  // an array of strings
  void* list[12] = {&array};
  package->ExecuteCommand(65, list, nullptr);
  ASSERT_EQ(GetHostArrayCount(array), fonts->Count());
  VStr<255> element;
  GetHostArrayString(array, 1, element);
  EXPECT_EQ(element.Compare(*fonts->GetAt(1), false), 0);
  GetHostArrayString(array, fonts->Count(), element);
  EXPECT_EQ(element.Compare(*fonts->GetAt(fonts->Count()), false), 0);
  ResizeHostArray(array, 0);
  if (array.value.array.handle != 0) Tbx::DisposeHandle(array.value.array.handle);
}

// ---- The numbers that do nothing

TEST_F(AreaCommandsTest, EmptyNumbersRecordNothingAndLeaveTheResult) {
  SetErrorMethod("OnError");
  xMorvaPlugIn* area = AreaWith("Text");
  const uint32_t ref = area->GetReference();
  SetView(ref, 9, 0, 0);  // 1055
  for (int32_t n : {0, 1, 6, 7, 8, 23, 33, 55, 56, 64, 66, 67, 81, 82, 83, 92, 93, 94}) {
    package->calls.clear();
    int32_t result = -77;
    Run(n, ref, {}, &result);
    EXPECT_EQ(result, -77) << n;
    EXPECT_TRUE(package->calls.empty()) << n;
    int32_t last = 0;
    Run(28, ref, {}, &last);
    EXPECT_EQ(last, 1055) << n;
  }
}

TEST_F(AreaCommandsTest, SavingBackToTheHostRecordsSuccess) {
  xMorvaPlugIn* area = AreaWith("Text");
  SetView(area->GetReference(), 9, 0, 0);
  Run(45, area->GetReference());
  EXPECT_EQ(LastError(area->GetReference()), 0);
}

}  // namespace
