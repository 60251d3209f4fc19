// The commands on the package's and the areas' state: options, offscreen
// areas, the user's method names, allowed commands, command values and the
// locks.
#include <gtest/gtest.h>

#include <string>

#include "area/tests/AreaTestSupport.h"
#include "document/xMorvaText.h"

namespace {

using areatest::AreaTest;
using areatest::PString;

class CommandsTest : public AreaTest {
 protected:
  // Command 138 on `area` (0: the package): the value, and the text.
  uint16_t GetOption(uint32_t area, int16_t option, std::string* text = nullptr) {
    uint16_t value = 0xAAAA;
    PString t("stale");
    Run(138, area, {&option, &value, t.bytes});
    if (text != nullptr) *text = t.Text();
    return value;
  }
  void SetOption(uint32_t area, int16_t option, int16_t value, const std::string& text = "") {
    PString t(text);
    Run(137, area, {&option, &value, t.bytes});
  }
  // Command 115: the command's value and enabled state, its title.
  std::pair<int32_t, int16_t> State(uint32_t area, int32_t id, std::string* title = nullptr) {
    int32_t value = -1;
    PString text("stale"), name("stale");
    int16_t enabled = -1;
    Run(115, area, {&id, &value, text.bytes, name.bytes, &enabled});
    if (title != nullptr) *title = name.Text();
    return {value, enabled};
  }
};

TEST_F(CommandsTest, OptionsOfThePackageAndOfAnArea) {
  xMorvaPlugIn* area = NewFormArea();
  const uint32_t ref = area->GetReference();
  EXPECT_EQ(GetOption(0, 9), 80);
  SetOption(0, 8, -1);
  EXPECT_EQ(GetOption(0, 8), 65535);
  std::string text;
  SetOption(0, 6, 1, "Too small");
  EXPECT_EQ(GetOption(0, 6, &text), 1);
  EXPECT_EQ(text, "Too small");
  SetOption(ref, 7, 1, "Letter");
  EXPECT_EQ(GetOption(ref, 7, &text), 1);
  EXPECT_EQ(text, "Letter");
  SetOption(ref, 0, 0);
  EXPECT_EQ(GetOption(ref, 0), 0);
  EXPECT_EQ(GetOption(0, 0), 1);  // the package's default is its own
  EXPECT_EQ(LastError(ref), 0);
}

TEST_F(CommandsTest, BadOptionNumbersRecord1089AndChangeNothing) {
  xMorvaPlugIn* area = NewFormArea();
  const uint32_t ref = area->GetReference();
  SetErrorMethod("OnError");
  struct Row {
    uint32_t area;
    int16_t option;
  };
  for (const Row& row : {Row{0, -1}, Row{0, 3}, Row{0, 4}, Row{0, 13}, Row{ref, -1}, Row{ref, 5}, Row{ref, 12}}) {
    package->calls.clear();
    std::string text;
    EXPECT_EQ(GetOption(row.area, row.option, &text), 0) << row.option;
    EXPECT_EQ(text, "") << row.option;
    ASSERT_EQ(package->calls.size(), 1u) << row.option;
    EXPECT_EQ(package->calls[0].numbers, (std::vector<int32_t>{static_cast<int32_t>(row.area), 1089}));
    SetOption(row.area, row.option, 0);
  }
  for (int16_t n : {0, 1, 2, 5, 10, 11}) EXPECT_EQ(GetOption(0, n), 1) << n;
  EXPECT_EQ(GetOption(ref, 0), 1);
}

TEST_F(CommandsTest, OffscreenAreasAreMadeBy47AndDeletedBy38Only) {
  int32_t made = 0;
  Run(47, 0, {}, &made);
  ASSERT_NE(made, 0);
  EXPECT_EQ(LastError(static_cast<uint32_t>(made)), 0);
  xMorvaPlugIn* form = NewFormArea();
  Run(38, form->GetReference());
  EXPECT_EQ(LastError(form->GetReference()), 1022);
  EXPECT_EQ(package->CountPlugIns(kPlugInForm), 1);
  Run(38, static_cast<uint32_t>(made));
  EXPECT_EQ(package->CountPlugIns(kPlugInOffscreen), 0);
  EXPECT_EQ(LastError(static_cast<uint32_t>(made)), 1022);
}

TEST_F(CommandsTest, MethodNamesAreSetAndReadBack) {
  xMorvaPlugIn* area = NewFormArea();
  const uint32_t ref = area->GetReference();
  SetErrorMethod("OnError");
  PString result("stale");
  package->ExecuteCommand(172, nullptr, result.bytes);
  EXPECT_EQ(result.Text(), "OnError");
  PString callback("AreaCallback"), global("GlobalCallback"), none;
  Run(116, ref, {callback.bytes});
  Run(116, 0, {global.bytes});
  Run(171, ref, {}, result.bytes);
  EXPECT_EQ(result.Text(), "AreaCallback");
  Run(171, 0, {}, result.bytes);
  EXPECT_EQ(result.Text(), "GlobalCallback");
  Run(116, ref, {none.bytes});  // an empty name switches it off
  Run(171, ref, {}, result.bytes);
  EXPECT_EQ(result.Text(), "");
  int16_t kind = 3;
  PString event("Triple");
  Run(58, ref, {&kind, event.bytes});
  Run(170, ref, {&kind}, result.bytes);
  EXPECT_EQ(result.Text(), "Triple");
  Run(170, 0, {&kind}, result.bytes);
  EXPECT_EQ(result.Text(), "");
}

TEST_F(CommandsTest, EventKindsOutsideMinus1To10) {
  xMorvaPlugIn* area = NewFormArea();
  const uint32_t ref = area->GetReference();
  PString name("Method");
  for (int16_t kind : {int16_t(-2), int16_t(11), int16_t(-32768)}) {
    Run(58, ref, {&kind, name.bytes});
    EXPECT_EQ(LastError(ref), 1044) << kind;
    PString result("stale");
    Run(170, ref, {&kind}, result.bytes);
    EXPECT_EQ(result.Text(), "") << kind;
    // The package's: nothing happens, nothing is recorded; 172 neither.
    Run(58, 0, {&kind, name.bytes});
    package->ExecuteCommand(172, nullptr, result.bytes);
    EXPECT_EQ(LastError(ref), 1044) << kind;
  }
  // An output object has no event methods: 58 records 0.
  auto* output = NewKind<xMorvaOutputPlugIn>(&xMorvaMain::NewOutputPlugIn);
  int16_t kind = 2;
  Run(58, output->GetReference(), {&kind, name.bytes});
  EXPECT_EQ(LastError(output->GetReference()), 0);
}

TEST_F(CommandsTest, ForbiddenLockedAndReadBack) {
  // A form's area: the lock of 42 is an area object's.
  xMorvaPlugIn* area = NewFormArea();
  area->ReloadCommands();
  const uint32_t ref = area->GetReference();
  int32_t id = 502;
  int16_t forbid = 1, allow = 0, on = 1, off = 0;
  Run(114, ref, {&id, &forbid});
  std::string title;
  EXPECT_EQ(State(ref, 502, &title), std::make_pair(0, int16_t(0)));
  EXPECT_EQ(title, "Bold");
  Run(114, ref, {&id, &allow});
  EXPECT_EQ(State(ref, 502).second, 1);
  Run(146, ref, {&on});
  EXPECT_EQ(State(ref, 502).second, 0);
  EXPECT_EQ(State(ref, 101).second, 1);
  Run(42, ref, {&on});  // the interface too
  EXPECT_EQ(State(ref, 101).second, 0);
  EXPECT_TRUE(area->IsDisplaySuppressed());
  Run(42, ref, {&off});
  EXPECT_EQ(State(ref, 101).second, 1);
  EXPECT_EQ(State(ref, 502).second, 1);
  // A bad reference clears the outputs and records nothing on the area.
  EXPECT_EQ(State(0xBAD, 502, &title), std::make_pair(0, int16_t(0)));
  EXPECT_EQ(title, "");
  EXPECT_EQ(LastError(ref), 0);
}

TEST_F(CommandsTest, CommandValuesFollowTheSelection) {
  xMorvaPlugIn* area = NewOffscreenArea();
  area->GetDocument()->GetCurrentPart()->SetPropertyValue(9, 0x0000FF);
  EXPECT_EQ(State(area->GetReference(), 601), std::make_pair(603, int16_t(1)));
}

}  // namespace
