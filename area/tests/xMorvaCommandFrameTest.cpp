// The command frame: references resolved or refused, the last error and the
// error method, the method question, the four families of user methods and
// the command notification table, and commands nested in a method.
#include <gtest/gtest.h>

#include <string>

#include "area/tests/AreaTestSupport.h"
#include "framework/core/intl/VIntlMgr.h"

namespace {

using areatest::AreaTest;
using areatest::MethodCall;
using areatest::PString;

class FrameTest : public AreaTest {
 protected:
  // Option 13 of an area: a command that fails with 1089.
  void Fail(uint32_t area) {
    int16_t option = 13, value = 0;
    PString text;
    Run(137, area, {&option, &value, text.bytes});
  }
};

TEST_F(FrameTest, BadReferencesRecord1022AndReachTheErrorMethod) {
  xMorvaPlugIn* gone = NewOffscreenArea();
  const uint32_t deleted = gone->GetReference();
  Delete(gone);
  auto* design = NewKind<xMorvaDesignPlugIn>(&xMorvaMain::NewDesignPlugIn);
  xMorvaPlugIn* area = NewFormArea();
  SetErrorMethod("OnError");
  for (uint32_t bad : {0u, deleted, design->GetReference(), 0xDEADBEEFu, area->GetReference() + 1000}) {
    package->calls.clear();
    EXPECT_EQ(LastError(bad), 1022) << bad;
    ASSERT_EQ(package->calls.size(), 1u) << bad;
    EXPECT_EQ(package->calls[0].name, "OnError");
    EXPECT_EQ(package->calls[0].numbers, (std::vector<int32_t>{0, 1022})) << bad;
    EXPECT_EQ(package->calls[0].text, "This is not a Qv Morva area.");
  }
  EXPECT_EQ(LastError(area->GetReference()), 0);
}

TEST_F(FrameTest, ASuccessClearsTheLastErrorAnd28ReportsItAgain) {
  xMorvaPlugIn* area = NewFormArea();
  const uint32_t ref = area->GetReference();
  SetErrorMethod("OnError");
  Fail(ref);
  ASSERT_EQ(package->calls.size(), 1u);
  EXPECT_EQ(package->calls[0].numbers, (std::vector<int32_t>{static_cast<int32_t>(ref), 1089}));
  EXPECT_EQ(LastError(ref), 1089);
  EXPECT_EQ(package->calls.size(), 2u);  // 28 recorded it again
  int16_t option = 0, value = 1;
  PString text;
  Run(137, ref, {&option, &value, text.bytes});
  EXPECT_EQ(LastError(ref), 0);
  EXPECT_EQ(package->calls.size(), 2u);
  EXPECT_FALSE(area->GetDocument()->IsInHostCommand());
  // Numbers outside the commands do nothing, not even clear the error.
  Fail(ref);
  for (int32_t n : {95, 96, 99, 173, 0x7FFFFFFF}) {
    int32_t result = 55;
    Run(n, ref, {}, &result);
    EXPECT_EQ(result, 55) << n;
  }
  EXPECT_EQ(LastError(ref), 1089);
}

TEST_F(FrameTest, MessagesOfErrorCodes) {
  struct Row {
    int16_t code;
    const char* text;
  };
  for (const Row& row : {Row{1022, "This is not a Qv Morva area."}, Row{1001, "A required argument is missing."},
                         Row{1000, ""}, Row{999, ""}, Row{1101, ""}, Row{-1, ""}}) {
    int16_t code = row.code;
    PString result("stale");
    void* params[] = {&code};
    package->ExecuteCommand(39, params, result.bytes);
    EXPECT_EQ(result.Text(), row.text) << row.code;
  }
}

TEST_F(FrameTest, WhenTheHostRefusesMethodsTheAlertReplacesTheCall) {
  xMorvaPlugIn* area = NewFormArea();
  SetErrorMethod("OnError");
  methodRoom = 15999;
  Fail(area->GetReference());
  EXPECT_TRUE(package->calls.empty());
  EXPECT_EQ(host.Messages(), std::vector<std::string>{"Qvbase has no room left to run a method now."});
  EXPECT_EQ(LastError(area->GetReference()), 1089);
  int32_t made = -1;
  Run(47, 0, {}, &made);
  EXPECT_EQ(made, 0);
  EXPECT_EQ(package->CountPlugIns(kPlugInOffscreen), 0);
}

TEST_F(FrameTest, AUserCommandGoesToTheCommandMethodThenTheCallbackAndIsNotRun) {
  xMorvaPlugIn* area = NewFormArea();
  PString command("OnCommand"), callback("OnCallback");
  Run(57, area->GetReference(), {command.bytes});
  Run(116, area->GetReference(), {callback.bytes});
  EXPECT_TRUE(area->GetDocument()->DoCommand(7));
  ASSERT_EQ(package->calls.size(), 2u);
  EXPECT_EQ(package->calls[0].name, "OnCommand");
  EXPECT_EQ(package->calls[0].numbers[1], 208);  // the user's code of command 7
  EXPECT_EQ(package->calls[1].numbers, (std::vector<int32_t>{static_cast<int32_t>(area->GetReference()), 7}));
  EXPECT_EQ(package->GetLastMethodValue(), 7);
  // An id the table lacks is not notified; the package's callback serves
  // an area without its own.
  package->calls.clear();
  EXPECT_FALSE(area->CallCommandMethod(999));
  PString none, global("Global");
  Run(116, area->GetReference(), {none.bytes});
  Run(116, 0, {global.bytes});
  EXPECT_TRUE(area->CallAreaCallback(999));
  ASSERT_EQ(package->calls.size(), 1u);
  EXPECT_EQ(package->calls[0].name, "Global");
}

TEST(CommandNotification, TheFirstPairGivesTheCodeAndModifiersAdd) {
  struct Row {
    int32_t command;
    int16_t code;
  };
  for (const Row& row : {Row{613, 419}, Row{407, 701}, Row{755, 423}, Row{110, 106}, Row{804, 713}, Row{1, 201},
                         Row{999, 0}, Row{0, 0}}) {
    EXPECT_EQ(xMorvaMain::UserCodeOfCommand(row.command), row.code) << row.command;
  }
  EXPECT_EQ(xMorvaMain::ModifierValue(true, true, false, false), 768);
  EXPECT_EQ(xMorvaMain::ModifierValue(false, false, true, false), 1024);
  EXPECT_EQ(xMorvaMain::ModifierValue(true, true, true, true), 3840);
}

TEST_F(FrameTest, EventMethodsAreTriedAreaFirstThenAnyKindThenThePackage) {
  xMorvaPlugIn* area = NewFormArea();
  const uint32_t ref = area->GetReference();
  auto setEvent = [&](uint32_t on, int16_t kind, const char* name) {
    PString text(name);
    Run(58, on, {&kind, text.bytes});
  };
  setEvent(0, -1, "PackageAny");
  setEvent(0, 2, "PackageClick");
  area->CallEventCallback(2, 1);
  area->CallEventCallback(9, 3);
  setEvent(ref, -1, "AreaAny");
  area->CallEventCallback(9, 4);
  setEvent(ref, 9, "AreaDate");
  area->CallEventCallback(9, 5);
  ASSERT_EQ(package->calls.size(), 4u);
  EXPECT_EQ(package->calls[0].name, "PackageClick");
  EXPECT_EQ(package->calls[1].name, "PackageAny");
  EXPECT_EQ(package->calls[3].name, "AreaDate");
  // Reference, shift, alt, control, kind (the real one), value; a function.
  EXPECT_EQ(package->calls[2].numbers, (std::vector<int32_t>{static_cast<int32_t>(ref), 0, 0, 0, 9, 4}));
  EXPECT_TRUE(package->calls[2].function);
}

TEST_F(FrameTest, AnEventMethodsResultDecidesAndABusyOneIsSkipped) {
  xMorvaPlugIn* area = NewFormArea();
  int16_t kind = 5;
  PString name("Focus");
  Run(58, area->GetReference(), {&kind, name.bytes});
  package->answer = 0;
  EXPECT_FALSE(area->CallEventCallback(5, 0));
  // Raised again from inside the method: it is busy, and nothing else is on.
  bool inner = true;
  package->during = [&](const MethodCall&) { inner = area->CallEventCallback(5, 0); };
  package->answer = 1;
  EXPECT_TRUE(area->CallEventCallback(5, 1));
  EXPECT_FALSE(inner);
  EXPECT_EQ(package->calls.size(), 2u);
  methodRoom = 0;
  EXPECT_FALSE(area->CallEventCallback(5, 1));
  EXPECT_EQ(package->calls.size(), 2u);
}

TEST_F(FrameTest, AKeyEventPassesTheMacintoshCharacter) {
  VIntlMgr* const before = gIntlMgr;
  if (before == nullptr) StartIntl();
  ASSERT_NE(gIntlMgr, nullptr);
  xMorvaPlugIn* area = NewFormArea();
  int16_t kind = 0;
  PString name("Keys");
  Run(58, area->GetReference(), {&kind, name.bytes});
  area->CallEventCallback(0, 0x00E9);  // é
  area->CallEventCallback(0, 28);      // arrow left
  ASSERT_EQ(package->calls.size(), 2u);
  EXPECT_EQ(package->calls[0].numbers[5], 0x8E);
  EXPECT_EQ(package->calls[1].numbers[5], 28);
  if (before == nullptr) {
    delete gIntlMgr;
    gIntlMgr = nullptr;
  }
}

TEST_F(FrameTest, ACommandRunByAMethodOnAnotherAreaLeavesTheOuterCommandItsOwn) {
  xMorvaPlugIn* outer = NewFormArea();
  xMorvaPlugIn* other = NewFormArea();
  SetErrorMethod("OnError");
  // The error method of a command on the outer area runs a command on the
  // other area, and one on the outer area itself.
  package->during = [&](const MethodCall&) {
    package->during = nullptr;
    int32_t read = 0;
    Run(28, other->GetReference(), {}, &read);
    Run(28, outer->GetReference(), {}, &read);
    EXPECT_EQ(package->GetCurrentArea(), outer->GetReference());
    EXPECT_TRUE(outer->GetDocument()->IsInHostCommand());
  };
  Fail(outer->GetReference());
  EXPECT_EQ(package->GetCurrentDocument(), nullptr);
  EXPECT_FALSE(outer->GetDocument()->IsInHostCommand());
  EXPECT_FALSE(other->GetDocument()->IsInHostCommand());
  // The outer area's document offers its commands to the methods again.
  PString callback("OnCallback");
  Run(116, outer->GetReference(), {callback.bytes});
  package->calls.clear();
  EXPECT_TRUE(outer->GetDocument()->DoCommand(7));
  ASSERT_EQ(package->calls.size(), 1u);
  EXPECT_EQ(package->calls[0].name, "OnCallback");
}

TEST_F(FrameTest, AMethodDeletingTheOuterCommandsAreaLeavesNothingDangling) {
  int32_t made = 0;
  Run(47, 0, {}, &made);
  ASSERT_NE(made, 0);
  SetErrorMethod("OnError");
  package->during = [&](const MethodCall&) {
    package->during = nullptr;
    Run(38, static_cast<uint32_t>(made));
  };
  Fail(static_cast<uint32_t>(made));
  EXPECT_EQ(package->CountPlugIns(kPlugInOffscreen), 0);
  EXPECT_EQ(package->GetCurrentDocument(), nullptr);
  EXPECT_EQ(LastError(static_cast<uint32_t>(made)), 1022);
}

}  // namespace
