// The plug-in area driven as the host drives it: set-up from the host's
// parameter array, event records and the answers written back, the host
// calls the area makes, the drawing port, the idle deadline and the saved
// data of an extended initialisation.
#include <algorithm>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "boundary/HostRecords.h"
#include "boundary/HostSelectors.h"
#include "boundary/HostServiceSelectors.h"
#include "framework/core/strings/VUniString.h"
#include "framework/system/environment/VEnvironmentLinks.h"
#include "framework/system/environment/VSystemServices.h"
#include "views/VCommand.h"
#include "views/VCommandMgr.h"
#include "views/VEvent.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "views/VDragTypeList.h"
#include "framework/system/resources/VMemoryResourceFile.h"
#include "views/VFrameServices.h"
#include "views/VPlugIn.h"
#include "views/VPlugInDocMgr.h"
#include "views/VViewsEnvironmentLink.h"
#include "views/VWindowMenuBar.h"
#include "views/VWindowView.h"
#include "graphics/VGraphicsEnvironmentLink.h"
#include "graphics/VPort.h"
#include "host/callback/HostCallback.h"
#include "platform/gdi/WinGdi.h"
#include "host/context/VHostContext.h"
#include "host/package/VPackage.h"
#include "platform/toolbox/TbxEnvironment.h"
#include "platform/toolbox/TbxWindows.h"
#include "platform/win32/WinInput.h"
#include "platform/win32/WinTime.h"
#include "platform/win32/WinWindowState.h"
#include "StoredResourceFile.h"

namespace {

struct HostCall {
  int32_t selector;
  std::string text;
  std::string text2;
  uintptr_t param1;
  uintptr_t handle;
  uintptr_t longValue;
};
std::vector<HostCall> gCalls;
uint16_t gHostVersion = 0x670;
// The folder the host reports for the module's files; empty for none.
std::string gFolder;

// The block is never cleared: a text the caller did not write holds
// whatever was there, so its length is held to the field.
template <size_t N>
std::string Pascal(const uint8_t (&p)[N]) {
  return std::string(reinterpret_cast<const char*>(p + 1), std::min<size_t>(p[0], N - 1));
}

void RecordHost(int32_t selector, HostParamBlock* block) {
  if (selector == kHostSelStartupQuery) {
    block->param2 = gHostVersion;
    return;
  }
  if (selector == kHostSelLook) block->param1 = 3;
  if (selector == kHostSelGetPath && !gFolder.empty()) {
    std::snprintf(HostPointer<char>(block->param3), HostWordOf(block->param4), "%s/", gFolder.c_str());
    return;
  }
  gCalls.push_back({selector, Pascal(block->text), Pascal(block->text2), block->param1, block->handle,
                    block->longValue});
}

int32_t CountCalls(int32_t selector) {
  int32_t n = 0;
  for (const HostCall& c : gCalls) n += c.selector == selector;
  return n;
}

class EmptyPackage : public VPackage {
 public:
  EmptyPackage() : VPackage(nullptr) {}
  void ExecuteCommand(int32_t, void*, void*) override {}
};

// A document manager that keeps data of kind 'TEST', version 5.
class TestDocMgr : public VPlugInDocMgr {
 public:
  uint32_t GetSignature() override { return FourCC("TEST"); }
  uint32_t GetVersion() override { return 5; }
};

// An area that tells what reached it.
class Area : public VPlugIn {
 public:
  using VPlugIn::VPlugIn;
  VPlugInDocMgr* NewDocMgr() override { return new TestDocMgr(); }
  void InitInterface(const void* data, uint32_t size) override {
    initData = data;
    initSize = size;
    ++inits;
  }
  bool CanClose(bool asking) override {
    closeAsked = asking;
    return mayClose;
  }
  void BeforeClose() override { ++beforeClose; }
  bool DoCommand(VFrame*, int32_t id, intptr_t) override {
    commands.push_back(id);
    return true;
  }
  using VPlugIn::IsDeadlinePassed;
  using VPlugIn::SetRefreshDeadline;
  const void* initData = nullptr;
  uint32_t initSize = 0;
  int32_t inits = 0;
  bool mayClose = true;
  bool closeAsked = false;
  int32_t beforeClose = 0;
  std::vector<int32_t> commands;
};

// What the host hands over with each event: the record, the area's
// rectangle (top, left, bottom, right), its object name and the cell.
struct Host {
  HostEventRecord record{};
  int16_t rect[4] = {10, 20, 110, 220};
  uint8_t name[8] = {5, 'n', 'o', 't', 'e', 's'};
  void* cell = nullptr;
  void* params[kAreaEventParamCount] = {&record, rect, name, &cell};

  HostEventRecord& Send(VPlugIn& area, uint16_t what, uintptr_t message = 0, uint32_t when = 0,
                        uint16_t modifiers = 0) {
    record = HostEventRecord{};
    record.what = what;
    record.message = message;
    record.when = when;
    record.modifiers = modifiers;
    area.HandleEvent(params);
    return record;
  }
};

class PlugInEvents : public testing::Test {
 protected:
  void SetUp() override {
    ResetHeadlessInput();
    ResetHeadlessWindowState();
    Tbx::ClearMainWindowRecord();
    VFrameAreaService::Install(&kFrameAreaProc);
    VFrameWindowService::Install(&kFrameWindowProc);
    VEnvironmentGraphicsService::Install(GraphicsEnvironmentLink());
    SetHostCallback(&RecordHost);
    FreezeHeadlessTickCount(100000);
    gCalls.clear();
    Tbx::Rect bounds{40, 30, 340, 430};
    const uint8_t title[] = {4, 'F', 'o', 'r', 'm'};
    window = Tbx::NewCWindow(nullptr, &bounds, title, true, Tbx::documentProc, Tbx::kInFront, true, 0);
    Tbx::SetPort(&window->port);
  }
  void TearDown() override {
    Tbx::SetPort(nullptr);
    Tbx::DisposeWindow(window);
    ReleaseHeadlessTickCount();
    SetHostCallback(nullptr);
    VEnvironmentGraphicsService::Remove(GraphicsEnvironmentLink());
    VFrameWindowService::Remove(&kFrameWindowProc);
    VFrameAreaService::Remove(&kFrameAreaProc);
  }
  // A form area made by the creation event with `table` in `when`.
  Area* MakeArea(uint32_t table, int16_t page = 2, int16_t variable = 0) {
    host.record = HostEventRecord{};
    host.record.what = kAreaEventCreate;
    host.record.when = table;
    host.record.whereH = page;
    host.record.whereV = variable;
    return new Area(&package, 1, host.params);
  }

  EmptyPackage package;
  Host host;
  Tbx::WindowRef window = nullptr;
};

TEST_F(PlugInEvents, SetUpReadsTableNameAndRectangleFromTheHost) {
  struct Case {
    uint32_t when;
    int16_t table, page;
    uint8_t variable;
    int32_t height;
    const char* objectName;
  };
  const Case cases[] = {
      {0xFFFFFFFFu, 0, -1, 0, 101, ""},  // no table: one pixel taller, no name, no variable
      {0, 0, -1, 0, 101, ""},
      {7, 7, 2, 1, 100, "notes"},
  };
  for (const Case& c : cases) {
    Area* area = MakeArea(c.when, 2, 1);
    EXPECT_EQ(area->GetFormTable(), c.table) << c.when;
    EXPECT_EQ(area->GetFormPage(), c.page) << c.when;
    EXPECT_EQ(area->GetVariableKind(), c.variable) << c.when;
    EXPECT_EQ(area->GetHeight(), c.height) << c.when;
    EXPECT_EQ(area->GetWidth(), 200);
    VStr<40> expected;
    expected.SetCText(c.objectName, 0);
    EXPECT_EQ(area->GetObjectName().Compare(expected, true), 0) << c.when;
    int32_t x = 0, y = 0;
    area->GetPosition(x, y);
    EXPECT_EQ(x, 20);
    EXPECT_EQ(y, 10);
    EXPECT_EQ(host.cell, static_cast<void*>(static_cast<VPlugInObject*>(area)));
    EXPECT_EQ(package.KindOfPlugIn(area), kPlugInForm);
    EXPECT_NE(area->GetWindowView(), nullptr);
    delete area;
    EXPECT_EQ(package.KindOfPlugIn(area), kPlugInNone);
  }
}

TEST_F(PlugInEvents, TheWindowViewIsSharedAndGoesWithItsLastArea) {
  Area* a = MakeArea(0);
  Area* b = MakeArea(0);
  VWindowView* view = a->GetWindowView();
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(b->GetWindowView(), view);
  EXPECT_EQ(FindWindowView(Tbx::GetNativeWindow(window)), view);
  delete a;
  EXPECT_EQ(FindWindowView(Tbx::GetNativeWindow(window)), view);
  EXPECT_EQ(view->GetSubFrames().size(), 1u);
  delete b;
  EXPECT_EQ(FindWindowView(Tbx::GetNativeWindow(window)), nullptr);
}

TEST_F(PlugInEvents, DialogAreasAndAreasWithoutWindowRegisterByKind) {
  VStr<40> name;
  name.SetCText("user", 0);
  Area alone(&package, nullptr, name, host.params);
  EXPECT_TRUE(alone.IsStandAlone());
  EXPECT_EQ(package.KindOfPlugIn(&alone), kPlugInNone);
  EXPECT_EQ(alone.GetResourceId(), 0);
  Area offscreen(&package, 4);
  EXPECT_TRUE(offscreen.IsOffscreen());
  EXPECT_EQ(offscreen.GetWindowView(), nullptr);
  EXPECT_EQ(package.KindOfPlugIn(&offscreen), kPlugInOffscreen);
  EXPECT_EQ(offscreen.GetWidth(), 200);
  EXPECT_EQ(offscreen.GetHeight(), 200);
  EXPECT_EQ(offscreen.GetFormPage(), -1);
}

TEST_F(PlugInEvents, ThePortIsLentOnceUntilFlushed) {
  Area offscreen(&package, 4);
  std::unique_ptr<Area> form(MakeArea(0));
  std::unique_ptr<Area> table(MakeArea(3));
  for (VPlugIn* area : {static_cast<VPlugIn*>(&offscreen), static_cast<VPlugIn*>(form.get()),
                        static_cast<VPlugIn*>(table.get())}) {
    VPort* port = area->GetPort();
    ASSERT_NE(port, nullptr);
    EXPECT_EQ(area->GetPort(), nullptr);
    EXPECT_TRUE(area->IsPortInUse());
    area->FlushWindow();
    EXPECT_FALSE(area->IsPortInUse());
    ASSERT_NE(area->GetPort(), nullptr);
    area->FlushWindow();
  }
}

TEST_F(PlugInEvents, EventCodesAnswerInTheirField) {
  struct Case {
    uint16_t what;
    uintptr_t message;
    uint32_t when;
    uintptr_t answerMessage;
    uint16_t answerModifiers;
  };
  const Case cases[] = {
      {1, 0, 0, kAreaAnswerTaken, 0},           // mouse down is taken
      {3, 0, 0, 0, 0},                          // a key without message only marks the key down
      {6, 0, 1, 0, 0},                          // update with when 1: nothing
      {6, 0, 3, 0, kAreaAnswerNotHandled},      // update with when 3
      {20, 0, 0, kAreaAnswerEnabled, 0},        // enabled query
      {69, 0, 0, 0, kAreaAnswerReloaded},       // reload
      {81, 77, 9, 77, 0},                       // drag leave: the record stays as it was
      {99, 5, 0, 5, kAreaAnswerNotHandled},     // unknown code
      {600 + 7, 0, 0, 0, kAreaAnswerNotHandled},
  };
  std::unique_ptr<Area> area(MakeArea(0));
  for (const Case& c : cases) {
    const HostEventRecord& r = host.Send(*area, c.what, c.message, c.when);
    EXPECT_EQ(r.message, c.answerMessage) << c.what;
    EXPECT_EQ(r.modifiers, c.answerModifiers) << c.what;
  }
  EXPECT_TRUE(area->IsKeyDown());
  host.Send(*area, 4);
  EXPECT_FALSE(area->IsKeyDown());
  area->SetEnabled(false);
  EXPECT_EQ(host.Send(*area, 20).message, 0u);
}

TEST_F(PlugInEvents, TabLeavesTheAreaForwardsAndShiftTabBackwards) {
  std::unique_ptr<Area> area(MakeArea(0));
  const uintptr_t tab = (0x30 << 8) | 9;
  EXPECT_EQ(host.Send(*area, 3, tab).message, kAreaAnswerTabForward);
  EXPECT_EQ(host.Send(*area, 3, tab, 0, kHostModifierShift).message, kAreaAnswerTabBackward);
  // A plain letter nobody takes.
  EXPECT_EQ(host.Send(*area, 3, (0x00 << 8) | 'a').message, kAreaAnswerNotHandled);
}

TEST_F(PlugInEvents, CloseAsksUnlessForcedAndEventsAfterItAreRefused) {
  std::unique_ptr<Area> area(MakeArea(0));
  area->mayClose = false;
  EXPECT_EQ(host.Send(*area, kAreaEventDelete, 0).message, kAreaAnswerCloseRefused);
  EXPECT_TRUE(area->closeAsked);
  EXPECT_FALSE(area->IsClosed());
  EXPECT_EQ(host.Send(*area, kAreaEventDelete, kAreaForcedClose).message, kAreaForcedClose);
  EXPECT_FALSE(area->closeAsked);
  EXPECT_TRUE(area->IsClosed());
  EXPECT_EQ(area->beforeClose, 1);
  // After the close nothing reaches the views.
  EXPECT_EQ(host.Send(*area, 1).message, 0u);
  EXPECT_EQ(host.Send(*area, 1).modifiers, kAreaAnswerNotHandled);
}

TEST_F(PlugInEvents, InitialisationTakesTheHostsLookAndFillsTheCell) {
  std::unique_ptr<Area> area(MakeArea(0));
  host.cell = nullptr;
  host.Send(*area, kAreaEventCreate);
  EXPECT_EQ(area->GetLookIndex(), 3);
  EXPECT_EQ(area->inits, 1);
  EXPECT_EQ(area->initData, nullptr);
  EXPECT_EQ(host.cell, static_cast<void*>(static_cast<VPlugInObject*>(area.get())));
  EXPECT_NE(area->GetNextIdleTime(), 0u);
}

TEST_F(PlugInEvents, ExtendedInitialisationChecksTheSavedDataInEitherOrder) {
  struct Case {
    std::vector<uint8_t> data;
    bool accepted;
  };
  const std::vector<uint8_t> big = {'T', 'E', 'S', 'T', 0, 0, 0, 5, 1, 2};
  const std::vector<uint8_t> little = {'T', 'S', 'E', 'T', 4, 0, 0, 0};
  const std::vector<uint8_t> newer = {'T', 'S', 'E', 'T', 6, 0, 0, 0};
  const std::vector<uint8_t> other = {'X', 'X', 'X', 'X', 1, 0, 0, 0};
  const std::vector<uint8_t> shorter = {'T', 'S', 'E', 'T', 4, 0, 0};
  const Case cases[] = {{big, true}, {little, true}, {newer, false}, {other, false}, {shorter, false}};
  for (const Case& c : cases) {
    std::unique_ptr<Area> area(MakeArea(0));
    HostAreaRecord record{};
    record.version = 0x606;
    record.look = 5;
    record.isForm = 1;
    record.data = HostAddress(c.data.data());
    record.dataSize = static_cast<uint32_t>(c.data.size());
    const HostEventRecord& r = host.Send(*area, kAreaEventCreateFromRecord, HostAddress(&record));
    EXPECT_EQ(r.modifiers, kAreaAnswerInitialised);
    EXPECT_EQ(area->GetLookIndex(), 4);
    EXPECT_EQ(area->initData, c.accepted ? static_cast<const void*>(c.data.data()) : nullptr) << c.data.size();
    EXPECT_EQ(area->initSize, c.accepted ? c.data.size() : 0u);
  }
  // An older record's look is not read.
  std::unique_ptr<Area> area(MakeArea(0));
  HostAreaRecord old{};
  old.version = 0x605;
  old.look = 9;
  host.Send(*area, kAreaEventCreateFromRecord, HostAddress(&old));
  EXPECT_EQ(area->GetLookIndex(), 2);
}

TEST_F(PlugInEvents, TheIdleDeadlineSurvivesTheTickCountWrapping) {
  std::unique_ptr<Area> area(MakeArea(0));
  // Ticks are milliseconds * 6 / 100; 0xFFFFFFFF ticks lie just before the
  // count wraps.
  struct Case {
    uint32_t due;
    uint32_t now;
    bool passed;
  };
  const Case cases[] = {
      {100, 99, false}, {100, 100, true}, {100, 101, true},
      {0xFFFFFFFEu, 0xFFFFFFFFu, true},  // due before the wrap, now after it
      {0xFFFFFFFEu, 1, true},
      {2, 0xFFFFFFFFu, false},           // due after the wrap, now before it
  };
  for (const Case& c : cases) {
    // The deadline is set from a clock frozen two ticks before `due`.
    const uint32_t start = c.due - 2;
    FreezeHeadlessTickCount(static_cast<ULONGLONG>(start) * 100 / 6 + 1);
    area->SetRefreshDeadline();
    ASSERT_EQ(area->GetNextIdleTime(), c.due);
    EXPECT_EQ(area->IsDeadlinePassed(c.now), c.passed) << c.due << " " << c.now;
  }
  // A deadline falling on 0 (none) is moved a tick on.
  FreezeHeadlessTickCount(static_cast<ULONGLONG>(0xFFFFFFFEu) * 100 / 6 + 1);
  area->SetRefreshDeadline();
  EXPECT_EQ(area->GetNextIdleTime(), 1u);
  EXPECT_TRUE(area->IsDeadlinePassed(1));
}

TEST_F(PlugInEvents, IdleDoesTheDeferredWorkOnceTheDeadlineHasCome) {
  std::unique_ptr<Area> area(MakeArea(0));
  host.Send(*area, kAreaEventActivate);
  gCalls.clear();
  host.Send(*area, 1);
  const uint32_t due = area->GetNextIdleTime();
  ASSERT_NE(due, 0u);
  host.Send(*area, 0);  // the clock has not moved
  EXPECT_EQ(area->GetNextIdleTime(), due);
  FreezeHeadlessTickCount(static_cast<ULONGLONG>(due) * 100 / 6 + 20);
  host.Send(*area, 0);
  EXPECT_EQ(area->GetNextIdleTime(), 0u);
}

TEST_F(PlugInEvents, TakingTheFocusSetsTheHostsEditMenu) {
  StoredResourceFile res;
  res.Add(kResTypeSTRList, kEditTitleList,
          StoredBytes().U16(4).U8(4).U8('U').U8('n').U8('d').U8('o').U8(1).U8('R').U8(1).U8('N').U8(1).U8('M').bytes);
  VMacResourceFile* file = static_cast<VMacResourceFile*>(res.Open());
  VMacResourceFile* saved = gModuleResFile;
  gModuleResFile = file;
  {
    EmptyPackage withFile;
    host.record.what = kAreaEventCreate;
    host.record.when = 0;
    Area area(&withFile, 1, host.params);
    host.Send(area, kAreaEventActivate);
    ASSERT_EQ(CountCalls(-307), 1);
    const HostCall& call = gCalls.back();
    EXPECT_EQ(call.text, "N");   // nothing to undo: item 3
    EXPECT_EQ(call.text2, "M");  // nothing to redo: item 4
    EXPECT_EQ(call.param1, 0u);
    // Deactivated, it no longer tells the host.
    host.Send(area, kAreaEventDeactivate);
    area.UpdateCommands(2);
    EXPECT_EQ(CountCalls(-307), 1);
  }
  gModuleResFile = saved;
}

TEST_F(PlugInEvents, AFocusRequestNamesTheVariableToTheHost) {
  std::unique_ptr<Area> withTable(MakeArea(4, 1, 1));
  EXPECT_FALSE(withTable->HandleMessage(nullptr, kMsgOwnerFocusMayMove, 0));
  ASSERT_EQ(CountCalls(kHostSelVariableOp306), 1);
  EXPECT_EQ(gCalls.back().text, "notes");
  EXPECT_EQ(gCalls.back().param1, 1u);  // an interprocess variable
  std::unique_ptr<Area> noTable(MakeArea(0));
  noTable->HandleMessage(nullptr, kMsgOwnerFocusMayMove, 0);
  EXPECT_EQ(CountCalls(kHostSelVariableOp306), 1);
}

TEST_F(PlugInEvents, MessagesOfOneOrMoreBecomeCommands) {
  std::unique_ptr<Area> area(MakeArea(0));
  EXPECT_TRUE(area->HandleMessage(nullptr, 400, 0));
  EXPECT_FALSE(area->HandleMessage(nullptr, 0, 0));
  EXPECT_FALSE(area->HandleMessage(nullptr, -5, 0));
  EXPECT_FALSE(area->HandleMessage(nullptr, kMsgDockMessage, 0));
  EXPECT_EQ(area->commands, std::vector<int32_t>{400});
  VFrame* hot = area.get();
  EXPECT_TRUE(area->HandleMessage(nullptr, kMsgFrameUnderPointer, reinterpret_cast<intptr_t>(&hot)));
  EXPECT_EQ(hot, nullptr);
}

TEST_F(PlugInEvents, TheWindowTitleGoesToTheHostWithTheWindowPort) {
  std::unique_ptr<Area> area(MakeArea(0));
  VStr<40> title;
  title.SetCText("Letter", 0);
  area->SetTitle(title);
  ASSERT_EQ(CountCalls(kHostSelWindowTitle), 1);
  EXPECT_EQ(gCalls.back().text, "Letter");
  EXPECT_EQ(gCalls.back().handle, HostAddress(area.get()));
  EXPECT_EQ(gCalls.back().longValue, HostAddress(&window->port));
}

// An area that takes part in drags and notes what it was offered.
class DragArea : public Area {
 public:
  using Area::Area;
  VDragTypeList* GetDragTypes() const override { return const_cast<VDragTypeList*>(&fTypes); }
  bool AcceptsDrag(const VDragTypeList* dragged, uint32_t mask, const VPoint& p) override {
    seenCount = dragged->Count();
    seenMask = mask;
    seenX = p.GetX();
    seenY = p.GetY();
    return seenCount > 0;
  }
  VDragTypeList fTypes;
  int32_t seenCount = -1;
  uint32_t seenMask = 0;
  int32_t seenX = 0, seenY = 0;
};

TEST_F(PlugInEvents, DragsNeedANewerHostAndTrustTheTypeBlockOnlyAsFarAsItGoes) {
  host.record = HostEventRecord{};
  host.record.what = kAreaEventCreate;
  DragArea area(&package, 1, host.params);
  // A type block whose count claims more entries than its capacity holds.
  std::vector<uint8_t> block(kDragTypeHeaderSize + kDragTypeEntrySize, 0);
  block[0] = 1;
  block[22] = 1;  // capacity 1
  block[24] = 9;  // count 9
  block[kDragTypeHeaderSize + 1] = 1;
  HostDragRecord drag{};
  drag.dragReference = HostAddress(block.data());
  drag.value = 0x44;
  struct Case {
    uint16_t version;
    uint16_t answer;
  };
  const Case cases[] = {{0x670, 0}, {0x671, kAreaAnswerDragYes}};
  for (const Case& c : cases) {
    gHostVersion = c.version;
    HostStartupRecord startup{};
    startup.callback = &RecordHost;
    VMacResourceFile* savedModule = gModuleResFile;
    gModuleResFile = nullptr;
    gHostContext = new VHostContext(&startup);
    host.record = HostEventRecord{};
    host.record.what = 80;
    host.record.message = HostAddress(&drag);
    host.record.whereH = 500;
    host.record.whereV = 600;
    area.HandleEvent(host.params);
    EXPECT_EQ(host.record.modifiers, c.answer) << c.version;
    delete gHostContext;
    gHostContext = nullptr;
    delete gModuleResFile;
    gModuleResFile = savedModule;
  }
  EXPECT_EQ(area.seenCount, 1);
  EXPECT_EQ(area.seenMask, 0x44u);
  int32_t sx = 0, sy = 0;
  area.LocalToScreen(sx, sy);
  EXPECT_EQ(area.seenX, 500 - sx);
  EXPECT_EQ(area.seenY, 600 - sy);
  gHostVersion = 0x670;
}

// The module's file for dialog areas (resource id 0): rules with `stamp`,
// and with `withKeys` a shortcut list too.
struct ModuleFile {
  ModuleFile(uint32_t stamp, bool withKeys, bool withLayout = false) {
    res.Add(kResTypeInterfaceRules, 0, StoredBytes().I32(static_cast<int32_t>(stamp)).U16(0).bytes);
    if (withLayout) res.Add(kResTypeDockLayout, 0, StoredBytes().U16(0).U16(0).U16(0).bytes);
    res.Add(FourCC("XCOM"), 0, StoredBytes().U16(0).bytes);
    if (withKeys) res.Add(kResTypeKeyShortcuts, 0, StoredBytes().U16(0).bytes);
    file = static_cast<VMacResourceFile*>(res.Open());
  }
  StoredResourceFile res;
  VMacResourceFile* file = nullptr;
};

bool BlockHas(VMemHandle block, uint32_t type) {
  VMemoryResourceFile memory(block, 0);
  return memory.HasResource(type, 0);
}

TEST_F(PlugInEvents, ADialogAreasBlockIsKeptInThePreferencesUntilItsStampIsStale) {
  char folder[] = "/tmp/qvplugXXXXXX";
  ASSERT_NE(mkdtemp(folder), nullptr);
  gFolder = folder;
  VMacResourceFile* savedModule = gModuleResFile;
  VStr<40> name;
  name.SetCText("user", 0);
  struct Step {
    uint32_t stamp;
    bool moduleHasKeys;
    bool blockHasKeys;  // a stored block was taken (false) or a new one built from the module (true)
  };
  const Step steps[] = {
      {1, false, false},  // built, stored
      {1, true, false},   // the stored block is taken: the module's new keys are not in it
      {2, true, true},    // the stamp moved on: rebuilt from the module
      {2, false, true},   // and the rebuilt block was stored
  };
  for (const Step& step : steps) {
    ModuleFile module(step.stamp, step.moduleHasKeys);
    gModuleResFile = module.file;
    {
      EmptyPackage withFiles;
      Area area(&withFiles, nullptr, name, host.params);
      area.LoadInterface(name);
      ASSERT_NE(area.GetInterfaceBlock(), 0u) << step.stamp;
      EXPECT_TRUE(BlockHas(area.GetInterfaceBlock(), FourCC("XCOM")));
      EXPECT_EQ(BlockHas(area.GetInterfaceBlock(), kResTypeKeyShortcuts), step.blockHasKeys) << step.stamp;
      VMacResourceFile* prefs = withFiles.GetPrefsFile();
      ASSERT_NE(prefs, nullptr);
      EXPECT_EQ(prefs->CountResources(kResTypeDockBlock), 1);
    }
    gModuleResFile = savedModule;
  }
  gFolder.clear();
  std::filesystem::remove_all(folder);
}

// A frame that notes the cursor calls it gets, and draws a black block.
class Spot : public VFrame {
 public:
  Spot(VFrame* parent, int32_t x, int32_t y) : VFrame(parent, nullptr) {
    MoveTo(x, y, 0);
    ResizeTo(20, 10, 0);
  }
  void UpdateCursor(VEvent& e, bool entered) override {
    seen.push_back(std::string(entered ? "enter " : "within ") + std::to_string(e.GetX()) + "," +
                   std::to_string(e.GetY()));
  }
  void CursorHook() override { seen.push_back("left"); }
  void DrawContent(VPort& port) override {
    port.SetBackColorRGB(0, 0, 0);
    port.EraseRect(0, 0, GetWidth(), GetHeight());
  }
  std::vector<std::string> seen;
};

TEST_F(PlugInEvents, MouseMovesKeepTheHotFrameAndItsCursor) {
  std::unique_ptr<Area> area(MakeArea(0));
  auto* spot = new Spot(area.get(), 5, 5);
  auto move = [&](int16_t h, int16_t v) {
    host.record = HostEventRecord{};
    host.record.what = 18;
    host.record.whereH = h;
    host.record.whereV = v;
    area->HandleEvent(host.params);
    return host.record.message;
  };
  // The area lies at (20, 10) of the window; the spot at (5, 5) in it.
  EXPECT_EQ(move(30, 20), 0u);
  EXPECT_EQ(area->GetHotFrame(), spot);
  move(30, 20);  // the same place again: nothing at all
  move(31, 21);
  move(200, 100);  // over the area, off the spot: the area itself is hot
  EXPECT_EQ(area->GetHotFrame(), area.get());
  EXPECT_EQ(spot->seen, (std::vector<std::string>{"enter 5,5", "within 6,6", "left"}));
}

TEST_F(PlugInEvents, BothDrawingPathsGiveTheSamePixels) {
  // Table 0: drawn off screen through the area's kept port; table 3: drawn
  // straight into the host's port.
  std::vector<COLORREF> pixels[2];
  const uint32_t tables[2] = {0, 3};
  HWND native = Tbx::GetNativeWindow(window);
  for (int i = 0; i < 2; ++i) {
    std::unique_ptr<Area> area(MakeArea(tables[i]));
    area->SetLookBackground(false);
    new Spot(area.get(), 30, 40);
    host.Send(*area, 6, 0, 0);
    HDC dc = GetDC(native);
    for (int y = 0; y < 100; ++y) {
      for (int x = 0; x < 200; ++x) pixels[i].push_back(GetPixel(dc, 20 + x, 10 + y));
    }
    ReleaseDC(native, dc);
    EXPECT_EQ(GetPixel(GetDC(native), 20 + 35, 10 + 45), RGB(0, 0, 0)) << tables[i];
  }
  EXPECT_EQ(pixels[0], pixels[1]);
}

// A frame that holds the focus and answers the edit questions as told.
class EditFrame : public VFrame {
 public:
  explicit EditFrame(VFrame* parent) : VFrame(parent, nullptr) {}
  int32_t UpdateEditCommands() override { return bits; }
  bool HandlesEditCommands() override { return handles; }
  bool AcceptsScrapType(uint32_t) override { return acceptsScrap; }
  int32_t bits = 0;
  bool handles = false;
  bool acceptsScrap = false;
};

TEST_F(PlugInEvents, TheEditMenuTakesTheFocusFramesBitsAndTitles) {
  StoredResourceFile res;
  res.Add(kResTypeSTRList, kEditTitleList,
          StoredBytes().U16(4).U8(1).U8('U').U8(1).U8('R').U8(1).U8('u').U8(1).U8('r').bytes);
  VMacResourceFile* saved = gModuleResFile;
  gModuleResFile = static_cast<VMacResourceFile*>(res.Open());
  struct Case {
    int32_t bits;
    bool handles;
    int32_t flags;
    const char* undo;
    const char* redo;
  };
  const Case cases[] = {
      // Paste (bit 4) needs a clipboard type the frame takes: none here.
      {0x1F, true, 0x0F, "U", "R"},
      {0x1D, true, 0x0D, "U", "r"},
      // A frame without undo history gives no undo or redo.
      {0x1F, false, 0x0C, "u", "r"},
      {0x40, true, 0x40, "u", "r"},
  };
  for (const Case& c : cases) {
    EmptyPackage withFile;
    host.record = HostEventRecord{};
    host.record.what = kAreaEventCreate;
    Area area(&withFile, 1, host.params);
    auto* frame = new EditFrame(&area);
    frame->bits = c.bits;
    frame->handles = c.handles;
    frame->SetEnabled(true);
    frame->RequestFocus();
    gCalls.clear();
    host.Send(area, kAreaEventActivate);
    ASSERT_EQ(CountCalls(-307), 1) << c.bits;
    EXPECT_EQ(gCalls.back().param1, static_cast<uintptr_t>(c.flags)) << c.bits;
    EXPECT_EQ(gCalls.back().text, c.undo) << c.bits;
    EXPECT_EQ(gCalls.back().text2, c.redo) << c.bits;
  }
  gModuleResFile = saved;
}

TEST_F(PlugInEvents, AnEditCommandNoFrameTakesDoesNotGoRound) {
  std::unique_ptr<Area> area(MakeArea(0));
  auto* frame = new EditFrame(area.get());
  frame->SetEnabled(true);
  frame->RequestFocus();
  VStr<8> title;
  for (int32_t id = 1; id <= 7; ++id) area->AddCommand(id, title);
  for (uint16_t code = 30; code <= 35; ++code) host.Send(*area, code);
  EXPECT_FALSE(area->HandleMessage(nullptr, 3, 0));
  EXPECT_TRUE(area->commands.empty());
}

TEST_F(PlugInEvents, AShortcutSendsItsCommandToTheAreaAndTogglesIt) {
  std::unique_ptr<Area> area(MakeArea(0));
  HostEventRecord key{};
  key.what = 3;
  key.message = (0x0B << 8) | 'b';
  key.modifiers = kHostModifierCommand;
  const VShortcut probe(key);
  auto* entry = new VCommandKey(100, probe.GetKeyCode(), true, false, false, true);
  entry->SetSignificance(kShortcutCommandSignificant | kShortcutOptionSignificant | kShortcutShiftSignificant);
  area->GetShortcuts().AddLast(&entry);
  VStr<8> title;
  VCommand* command = area->GetCommandTable().AddCommand(100, title);
  ASSERT_NE(command, nullptr);
  struct Case {
    bool enabled;
    std::vector<int32_t> commands;
    int32_t value;
  };
  const Case cases[] = {{true, {100}, 1}, {true, {100, 100}, 0}, {false, {100, 100}, 0}};
  for (const Case& c : cases) {
    command->SetEnabled(c.enabled, 0);
    EXPECT_EQ(host.Send(*area, 3, key.message, 0, key.modifiers).message, kAreaAnswerTaken);
    EXPECT_EQ(area->commands, c.commands);
    EXPECT_EQ(command->GetLong(), c.value);
  }
  // Without the command modifier the key is nobody's.
  EXPECT_EQ(host.Send(*area, 3, key.message).message, kAreaAnswerNotHandled);
}

// A frame that notes the keys it is offered.
class KeyFrame : public VFrame {
 public:
  explicit KeyFrame(VFrame* parent) : VFrame(parent, nullptr) {}
  int32_t HandleKey(VEvent& event) override {
    characters.push_back(event.GetCharacter());
    codes.push_back(event.GetKeyWord());
    return 0;
  }
  std::vector<char16_t> characters;
  std::vector<uint16_t> codes;
};

TEST_F(PlugInEvents, AKeyReachesTheFocusWithTheCharacterItTyped) {
  std::unique_ptr<Area> area(MakeArea(0));
  auto* frame = new KeyFrame(area.get());
  frame->SetEnabled(true);
  host.Send(*area, kAreaEventActivate);
  ASSERT_TRUE(frame->RequestFocus());
  const uint32_t message = (0x0B << 8) | 'b';
  EXPECT_EQ(host.Send(*area, 3, message).message, kAreaAnswerTaken);
  ASSERT_EQ(frame->characters.size(), 1u);
  EXPECT_EQ(frame->characters[0], u'b') << "the key code alone would be the capital";
  VEvent copy(0, 0, 0, false, false, false, false, false, 0, 0);
  copy.SetCharacter(u'z');
  VEvent again(copy);
  EXPECT_EQ(again.GetCharacter(), u'z');
}

// A frame that notes the click count of each press it gets.
class PressFrame : public VFrame {
 public:
  explicit PressFrame(VFrame* parent) : VFrame(parent, nullptr) { ResizeTo(200, 100, 0); }
  bool MouseDown(VEvent& event) override {
    clicks.push_back(event.GetClickCount());
    return true;
  }
  std::vector<int16_t> clicks;
};

TEST_F(PlugInEvents, AfterADeactivationTheFocusFrameHasTheFocusAgainAndANewClickRun) {
  VSystemServices services;
  gSystemServices = &services;
  VEnvironmentViewsService::Install(ViewsEnvironmentLink());
  auto press = [&](VPlugIn& area, uint32_t when) {
    host.record = HostEventRecord{};
    host.record.what = 1;
    host.record.when = when;
    host.record.whereH = 50;
    host.record.whereV = 40;
    area.HandleEvent(host.params);
  };
  // The host's events, and the messages a dialog's run sends its owner
  // before and after it.
  enum Way { kEvents, kMessages };
  for (const Way way : {kEvents, kMessages}) {
    std::unique_ptr<Area> area(MakeArea(0));
    auto* frame = new PressFrame(area.get());
    frame->SetEnabled(true);
    host.Send(*area, kAreaEventActivate);
    ASSERT_TRUE(frame->RequestFocus());
    press(*area, 7000);
    if (way == kEvents) {
      host.Send(*area, kAreaEventDeactivate);
      EXPECT_FALSE(frame->IsFocused()) << way;
      host.Send(*area, kAreaEventActivate);
    } else {
      area->NotifyParent(nullptr, kMsgDeactivate, 0);
      EXPECT_FALSE(frame->IsFocused()) << way;
      area->NotifyParent(nullptr, kMsgActivate, 0);
    }
    EXPECT_TRUE(frame->IsFocused()) << way;
    EXPECT_EQ(area->GetFocusManager()->GetTarget(), frame) << way;
    // Presses at the same place within the interval: the one before the
    // deactivation makes no double click with the one after it.
    press(*area, 7001);
    press(*area, 7002);
    EXPECT_EQ(frame->clicks, (std::vector<int16_t>{1, 1, 2})) << way;
  }
  VEnvironmentViewsService::Remove(ViewsEnvironmentLink());
  gSystemServices = nullptr;
}

TEST_F(PlugInEvents, FramesFindShortcutsThroughTheArea) {
  std::unique_ptr<Area> area(MakeArea(0));
  auto* entry = new VCommandKey(100, 'B', true, false, false, false);
  area->GetShortcuts().AddLast(&entry);
  auto* frame = new KeyFrame(area.get());
  auto* inner = new KeyFrame(frame);
  EXPECT_EQ(inner->FindShortcut(100), entry);
  EXPECT_EQ(inner->FindShortcut(101), nullptr);
  VFrame orphan(nullptr, nullptr);
  EXPECT_EQ(orphan.FindShortcut(100), nullptr);
}

TEST(StoredInterfaceBlocks, TheSharedFileComesFirstThenTheHostsThenThePreferences) {
  constexpr uint32_t kType = FourCC("TEST");
  struct Stored {
    int file;  // 0 shared, 1 host, 2 preferences
    const char* name;
    uint8_t size;
  };
  struct Case {
    std::vector<Stored> stored;
    uint32_t found;  // the size of the block found, 0 for none
  };
  const Case cases[] = {
      {{{0, "key", 1}, {0, "area", 2}, {1, "key", 3}}, 1},  // the key before the area's name
      {{{0, "area", 2}, {1, "key", 3}}, 2},                 // the host's file only when the shared one has neither
      {{{1, "area", 4}, {2, "area", 5}}, 4},
      {{{2, "key", 6}, {2, "area", 5}}, 5},                 // the preferences by the area's name only
      {{{2, "key", 6}}, 0},
      {{}, 0},
  };
  VStr<8> key, areaName;
  key.SetCText("key", 0);
  areaName.SetCText("area", 0);
  for (const Case& c : cases) {
    StoredResourceFile files[3];
    for (const Stored& s : c.stored) files[s.file].Add(kType, static_cast<int16_t>(128 + s.size),
                                                      std::vector<uint8_t>(s.size, 7), s.name);
    VResourceFile* open[3] = {files[0].Open(), files[1].Open(), files[2].Open()};
    const VMemHandle block = FindStoredInterfaceBlock(open[0], open[1], open[2], kType, key, areaName);
    EXPECT_EQ(block != 0 ? gMemoryMgr->GetHandleSize(block) : 0u, c.found) << c.stored.size();
    if (block != 0) gMemoryMgr->DisposeHandle(block);
  }
  // No files at all.
  EXPECT_EQ(FindStoredInterfaceBlock(nullptr, nullptr, nullptr, kType, key, areaName), 0u);
}

TEST_F(PlugInEvents, SavingTheDocksWritesTheBlockOverTheStoredOne) {
  char folder[] = "/tmp/qvplugXXXXXX";
  ASSERT_NE(mkdtemp(folder), nullptr);
  gFolder = folder;
  VMacResourceFile* savedModule = gModuleResFile;
  VStr<40> name;
  name.SetCText("user", 0);
  for (bool withLayout : {true, false}) {
    // A new stamp each time, so that the block is built from this module.
    ModuleFile module(withLayout ? 1 : 2, false, withLayout);
    gModuleResFile = module.file;
    EmptyPackage withFiles;
    Area area(&withFiles, nullptr, name, host.params);
    area.LoadInterface(name);
    ASSERT_NE(area.GetInterfaceBlock(), 0u);
    const uint32_t blockSize = gMemoryMgr->GetHandleSize(area.GetInterfaceBlock());
    EXPECT_NE(area.GetWindowView(), nullptr);
    EXPECT_EQ(BlockHas(area.GetInterfaceBlock(), kResTypeDockLayout), withLayout);
    // The stored copy is spoilt, then the layout saved.
    VMacResourceFile* prefs = withFiles.GetPrefsFile();
    ASSERT_NE(prefs, nullptr);
    prefs->RemoveNamedResource(kResTypeDockBlock, &name);
    const uint8_t spoilt[3] = {1, 2, 3};
    prefs->AddResource(kResTypeDockBlock, -1, &name, spoilt, 3);
    area.SaveDocks(name);
    uint8_t owned = 0;
    const VResourceRef ref = prefs->GetNamedResource(kResTypeDockBlock, &name, &owned);
    ASSERT_NE(ref, 0u);
    // Without a layout in the block there is nothing to save.
    EXPECT_EQ(prefs->GetResourceSize(ref), withLayout ? blockSize : 3u) << withLayout;
    if (owned != 0) prefs->ReleaseResource(ref);
    gModuleResFile = savedModule;
  }
  gFolder.clear();
  std::filesystem::remove_all(folder);
}

TEST_F(PlugInEvents, AFormAreaIsNamedByItsRoutineInThePackagesList) {
  StoredResourceFile res;
  res.Add(FourCC("QBNX"), 700, {}, "Pkg");
  res.Add(kResTypeSTRList, 700,
          StoredBytes().U16(2).U8(4).U8('%').U8('A').U8('b').U8('c').U8(7).U8('_').U8('L').U8('e').U8('t').U8('t').U8('e').U8('r').bytes);
  VMacResourceFile* saved = gModuleResFile;
  gModuleResFile = static_cast<VMacResourceFile*>(res.Open());
  {
    EmptyPackage named;
    ASSERT_EQ(named.GetResourceBase(), 700);
    host.record = HostEventRecord{};
    host.record.what = kAreaEventCreate;
    Area area(&named, 2, host.params);
    VStr<40> expected;
    expected.SetCText("Letter", 0);
    EXPECT_EQ(area.GetAreaName().Compare(expected, true), 0);
    EXPECT_EQ(area.GetResourceId(), 702);
    EXPECT_EQ(area.GetResourceOffset(), 2);
    Area offscreen(&named, 1);
    expected.SetCText("Abc", 0);
    EXPECT_EQ(offscreen.GetAreaName().Compare(expected, true), 0);
  }
  gModuleResFile = saved;
}

}  // namespace

namespace {

int gChoicesTaken = 0;
const VMenuBarChoiceTaker kCountingTaker{[] { ++gChoicesTaken; }};

TEST_F(PlugInEvents, EveryEventEndsByTakingTheMenuBarsPendingChoices) {
  std::unique_ptr<Area> area(MakeArea(0));
  gChoicesTaken = 0;
  {
    VInstalledService<const VMenuBarChoiceTaker> taker(&kCountingTaker);
    for (uint16_t what : {uint16_t(0), uint16_t(1), uint16_t(2), uint16_t(99)}) host.Send(*area, what);
  }
  EXPECT_EQ(gChoicesTaken, 4);
  // Without the controls installed nothing is taken, and nothing fails.
  host.Send(*area, 0);
  EXPECT_EQ(gChoicesTaken, 4);
}

}  // namespace
