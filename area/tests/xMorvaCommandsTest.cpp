// The commands on the package's and the areas' state: options, offscreen
// areas, the user's method names, allowed commands, command values and the
// editing lock.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "area/tests/AreaTestSupport.h"
#include "area/xMorvaBarState.h"
#include "document/xMorvaText.h"

namespace {

using areatest::AreaTest;

struct PString {
  explicit PString(const std::string& text = "") {
    bytes[0] = static_cast<uint8_t>(text.size());
    std::memcpy(bytes + 1, text.data(), text.size());
  }
  std::string Text() const { return std::string(reinterpret_cast<const char*>(bytes + 1), bytes[0]); }
  uint8_t bytes[256] = {};
};

class CommandsTest : public AreaTest {
 protected:
  void Run(int32_t n, uint32_t area, std::vector<void*> more = {}, void* result = nullptr) {
    reference = area;
    std::vector<void*> params{&reference};
    params.insert(params.end(), more.begin(), more.end());
    params.resize(12, nullptr);
    package->ExecuteCommand(n, params.data(), result);
  }
  int32_t LastError(uint32_t area) {
    int32_t result = 0;
    Run(28, area, {}, &result);
    return result;
  }
  // Command 137 or 138 on `area` (0: the package).
  int32_t SetOption(uint32_t area, int16_t option, int16_t value, const std::string& text = "") {
    PString t(text);
    Run(137, area, {&option, &value, t.bytes});
    return area != 0 ? LastError(area) : 0;
  }
  uint16_t GetOption(uint32_t area, int16_t option, std::string* text = nullptr) {
    uint16_t value = 0xAAAA;
    PString t("stale");
    Run(138, area, {&option, &value, t.bytes});
    if (text != nullptr) *text = t.Text();
    return value;
  }

  uint32_t reference = 0;
};

TEST_F(CommandsTest, PackageOptionsWithArea0) {
  EXPECT_EQ(GetOption(0, 0), 1);
  EXPECT_EQ(GetOption(0, 9), 80);
  SetOption(0, 8, -1);
  EXPECT_EQ(GetOption(0, 8), 65535);
  SetOption(0, 6, 1, "Too small");
  std::string text;
  EXPECT_EQ(GetOption(0, 6, &text), 1);
  EXPECT_EQ(text, "Too small");
  SetOption(0, 6, 0, "ignored");
  EXPECT_EQ(GetOption(0, 6, &text), 0);
  EXPECT_EQ(text, "");
}

TEST_F(CommandsTest, BadOptionNumbersRecord1089AndChangeNothing) {
  xMorvaPlugIn* area = NewFormArea();
  const uint32_t ref = area->GetReference();
  PString errorName("OnError");
  void* set[] = {errorName.bytes};
  package->ExecuteCommand(52, set, nullptr);
  struct Row {
    uint32_t area;
    int16_t option;
  };
  for (const Row& row : {Row{0, -1}, Row{0, 3}, Row{0, 4}, Row{0, 13}, Row{ref, -1}, Row{ref, 5}, Row{ref, 12},
                         Row{ref, 13}}) {
    package->calls.clear();
    std::string text;
    EXPECT_EQ(GetOption(row.area, row.option, &text), 0) << row.option;
    EXPECT_EQ(text, "") << row.option;
    ASSERT_EQ(package->calls.size(), 1u) << row.option;
    EXPECT_EQ(package->calls[0].numbers, (std::vector<int32_t>{static_cast<int32_t>(row.area), 1089}));
    int16_t option = row.option, value = 0;
    PString t;
    Run(137, row.area, {&option, &value, t.bytes});
  }
  // The defaults stand.
  for (int16_t n : {0, 1, 2, 5, 10, 11}) EXPECT_EQ(GetOption(0, n), 1) << n;
  EXPECT_EQ(GetOption(ref, 0), 1);
}

TEST_F(CommandsTest, DocumentOptionsOfAnArea) {
  xMorvaPlugIn* area = NewFormArea();
  const uint32_t ref = area->GetReference();
  EXPECT_EQ(SetOption(ref, 7, 1, "Letter"), 0);
  std::string text;
  EXPECT_EQ(GetOption(ref, 7, &text), 1);
  EXPECT_EQ(text, "Letter");
  EXPECT_EQ(SetOption(ref, 0, 0), 0);
  EXPECT_EQ(GetOption(ref, 0), 0);
  EXPECT_EQ(GetOption(0, 0), 1);  // the package's default is its own
}

TEST_F(CommandsTest, OffscreenAreasAreMadeBy47AndDeletedBy38Only) {
  int32_t made = 0;
  Run(47, 0, {}, &made);
  ASSERT_NE(made, 0);
  EXPECT_EQ(package->CountPlugIns(kPlugInOffscreen), 1);
  EXPECT_EQ(LastError(static_cast<uint32_t>(made)), 0);
  // A form area is no offscreen one.
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
  PString errorName("OnError");
  void* set[] = {errorName.bytes};
  package->ExecuteCommand(52, set, nullptr);
  PString result("stale");
  package->ExecuteCommand(172, nullptr, result.bytes);
  EXPECT_EQ(result.Text(), "OnError");
  PString callback("AreaCallback"), global("GlobalCallback");
  Run(116, ref, {callback.bytes});
  Run(116, 0, {global.bytes});
  Run(171, ref, {}, result.bytes);
  EXPECT_EQ(result.Text(), "AreaCallback");
  Run(171, 0, {}, result.bytes);
  EXPECT_EQ(result.Text(), "GlobalCallback");
  int16_t kind = 3;
  PString event("Triple");
  Run(58, ref, {&kind, event.bytes});
  Run(170, ref, {&kind}, result.bytes);
  EXPECT_EQ(result.Text(), "Triple");
  Run(170, 0, {&kind}, result.bytes);
  EXPECT_EQ(result.Text(), "");
  // An empty name switches a method off.
  PString none;
  Run(116, ref, {none.bytes});
  Run(171, ref, {}, result.bytes);
  EXPECT_EQ(result.Text(), "");
  // 172 never changes the area's last error.
  int16_t bad = 11;
  Run(58, ref, {&bad, event.bytes});
  package->ExecuteCommand(172, nullptr, result.bytes);
  EXPECT_EQ(LastError(ref), 1044);
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
    EXPECT_EQ(LastError(ref), 1044) << kind;
    // The package's: nothing happens, nothing is recorded.
    Run(58, 0, {&kind, name.bytes});
  }
  for (int16_t kind = -1; kind <= 10; ++kind) {
    PString result;
    Run(170, 0, {&kind}, result.bytes);
    EXPECT_EQ(result.Text(), "") << kind;
  }
  // An output object has no event methods: 58 records 0.
  auto* output = NewKind<xMorvaOutputPlugIn>(&xMorvaMain::NewOutputPlugIn);
  int16_t kind = 2;
  Run(58, output->GetReference(), {&kind, name.bytes});
  EXPECT_EQ(LastError(output->GetReference()), 0);
}

TEST_F(CommandsTest, ForbiddenLockedAndReadBack) {
  xMorvaPlugIn* area = NewOffscreenArea();
  const uint32_t ref = area->GetReference();
  int32_t id = 502;
  int16_t forbid = 1;
  Run(114, ref, {&id, &forbid});
  int32_t value = -1;
  PString text("stale"), title("stale");
  int16_t enabled = -1;
  Run(115, ref, {&id, &value, text.bytes, title.bytes, &enabled});
  EXPECT_EQ(enabled, 0);
  EXPECT_EQ(title.Text(), "Bold");
  EXPECT_EQ(value, 0);
  int16_t allow = 0;
  Run(114, ref, {&id, &allow});
  Run(115, ref, {&id, &value, text.bytes, title.bytes, &enabled});
  EXPECT_EQ(enabled, 1);
  // 146 locks the editing commands.
  int16_t on = 1;
  Run(146, ref, {&on});
  Run(115, ref, {&id, &value, text.bytes, title.bytes, &enabled});
  EXPECT_EQ(enabled, 0);
  EXPECT_TRUE(area->IsEditingLocked());
  // A bad reference clears the outputs and records nothing on the area.
  Run(115, 0xBAD, {&id, &value, text.bytes, title.bytes, &enabled});
  EXPECT_EQ(value, 0);
  EXPECT_EQ(title.Text(), "");
  EXPECT_EQ(LastError(ref), 0);
}

TEST_F(CommandsTest, Command42LocksTheInterfaceAndTheEditing) {
  xMorvaPlugIn* area = NewOffscreenArea();
  const uint32_t ref = area->GetReference();
  int16_t on = 1, off = 0;
  Run(42, ref, {&on});
  EXPECT_TRUE(area->IsAreaLocked());
  EXPECT_TRUE(area->IsEditingLocked());
  EXPECT_FALSE(area->IsCommandEnabled(101));
  EXPECT_FALSE(area->IsCommandEnabled(502));
  EXPECT_TRUE(area->IsDisplaySuppressed());
  Run(42, ref, {&off});
  EXPECT_FALSE(area->IsAreaLocked());
  EXPECT_TRUE(area->IsCommandEnabled(101));
  EXPECT_TRUE(area->IsCommandEnabled(502));
  EXPECT_EQ(LastError(ref), 0);
  // Output objects have no area to lock: 0 is recorded.
  auto* output = NewKind<xMorvaOutputPlugIn>(&xMorvaMain::NewOutputPlugIn);
  Run(42, output->GetReference(), {&on});
  EXPECT_EQ(LastError(output->GetReference()), 0);
}

TEST_F(CommandsTest, CommandValuesFollowTheSelection) {
  xMorvaPlugIn* area = NewOffscreenArea();
  area->GetDocument()->GetCurrentPart()->SetPropertyValue(9, 0x0000FF);
  int32_t id = 601, value = 0;
  PString text, title;
  int16_t enabled = 0;
  Run(115, area->GetReference(), {&id, &value, text.bytes, title.bytes, &enabled});
  EXPECT_EQ(value, 603);
  EXPECT_EQ(enabled, 1);
}

}  // namespace
