// The module's life cycle at the level of the entry point's work: the order
// in which start-up makes the service objects and starts the layers, the
// reverse at shut-down, the host told first and last, and the states. The
// end-to-end tests of the stand-in host drive the same through DaVuze.
#include "host/lifecycle/ModuleLifeCycle.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/core/VService.h"
#include "framework/core/host/VHostBridge.h"
#include "framework/core/intl/VIntlMgr.h"
#include "framework/core/memory/VHeap.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "host/context/VHostCallbackBridge.h"
#include "host/context/VHostContext.h"
#include "host/package/VPackage.h"
#include "host/tests/HostTestSupport.h"

namespace {

using hosttest::RecordingHost;

std::vector<std::string> gSteps;

// What was there when a layer step ran.
std::string State() {
  std::string s;
  s += gHeap != nullptr ? "H" : "-";
  s += gMemoryMgr != nullptr ? "M" : "-";
  s += gHostContext != nullptr ? "C" : "-";
  s += VHostBridgeService::Get() != nullptr ? "B" : "-";
  return s;
}

class StepPackage : public VPackage {
 public:
  explicit StepPackage(HostStartupRecord* params) : VPackage(params) { gSteps.push_back("package made"); }
  ~StepPackage() override { gSteps.push_back("package deleted"); }
  bool Init() override {
    gSteps.push_back("init");
    return true;
  }
  void DeInit() override { gSteps.push_back("deinit"); }
  void ExecuteCommand(int32_t selector, void*, void*) override { gSteps.push_back("command " + std::to_string(selector)); }
};

VHostCallbackBridge gBridge;

// Two services: the host bridge, and one that records its installation.
const VServiceInstallation kServices[] = {
    ServiceInstallation<VHostBridge, &gBridge>(),
    {[] { gSteps.push_back("install service " + State()); }, [] { gSteps.push_back("remove service " + State()); }},
};

const VModuleLayers kLayers = {
    .services = kServices,
    .serviceCount = 2,
    .initGraphics = [] { gSteps.push_back("initGraphics " + State()); },
    .initMenuGlobals = [] { gSteps.push_back("initMenuGlobals"); },
    .installMenuWindowProc = [] { gSteps.push_back("installMenuWindowProc"); },
    .loadRichEditLibrary = [] { gSteps.push_back("loadRichEditLibrary"); },
    .startPictureServices = [] { gSteps.push_back("startPictureServices"); },
    .stopPictureServices = [] { gSteps.push_back("stopPictureServices " + State()); },
    .disposeTextFieldOffscreen = [] { gSteps.push_back("disposeTextFieldOffscreen"); },
    .unloadRichEditLibrary = [] { gSteps.push_back("unloadRichEditLibrary"); },
    .removeMenuWindowProc = [] { gSteps.push_back("removeMenuWindowProc"); },
    .freeMenuGlobals = [] { gSteps.push_back("freeMenuGlobals"); },
    .exitGraphics = [] { gSteps.push_back("exitGraphics " + State()); },
    .newPackage = [](HostStartupRecord* params) -> VPackage* { return new StepPackage(params); },
};

// The test program's own heap and memory manager are put aside while the
// life cycle makes and deletes the module's.
class LifeCycleTest : public testing::Test {
 protected:
  void SetUp() override {
    fHeap = gHeap;
    fMemoryMgr = gMemoryMgr;
    fIntl = gIntlMgr;
    gHeap = nullptr;
    gMemoryMgr = nullptr;
    gIntlMgr = nullptr;
    gSteps.clear();
    SetModuleLayers(&kLayers);
    host.answer = [](int32_t selector, HostParamBlock& block) {
      if (selector == kHostSelModuleState) gSteps.push_back(std::string("host ") + (block.flag ? "start " : "stop ") + State());
    };
    record.callback = &RecordingHost::Entry;
    record.hostInterfaceVersion = 0x600;
  }
  void TearDown() override {
    ModuleEntry(kSelStop, nullptr, &slot, nullptr);
    SetModuleLayers(nullptr);
    gHeap = fHeap;
    gMemoryMgr = fMemoryMgr;
    gIntlMgr = fIntl;
  }

  RecordingHost host;
  HostStartupRecord record{};
  void* slot = nullptr;

 private:
  VHeap* fHeap = nullptr;
  VMemoryMgr* fMemoryMgr = nullptr;
  VIntlMgr* fIntl = nullptr;
};

TEST_F(LifeCycleTest, StartMakesTheServicesThenStartsTheLayersInOrder) {
  StartFramework(&record);
  EXPECT_EQ(gSteps, (std::vector<std::string>{"host start ----", "install service HMCB", "initGraphics HMCB",
                                              "initMenuGlobals", "installMenuWindowProc", "loadRichEditLibrary",
                                              "startPictureServices"}));
  EXPECT_TRUE(IsFrameworkStarted());
  EXPECT_EQ(host.calls[0].selector, kHostSelModuleState);
  EXPECT_EQ(host.calls[1].selector, kHostSelStartupQuery);
}

TEST_F(LifeCycleTest, StopStopsTheLayersThenDeletesTheServicesThenTellsTheHost) {
  StartFramework(&record);
  gSteps.clear();
  StopFramework();
  EXPECT_EQ(gSteps, (std::vector<std::string>{"stopPictureServices HMCB", "disposeTextFieldOffscreen",
                                              "unloadRichEditLibrary", "removeMenuWindowProc", "freeMenuGlobals",
                                              "exitGraphics HMCB", "remove service HMCB", "host stop ----"}));
  EXPECT_EQ(VHostBridgeService::Get(), nullptr);
  EXPECT_FALSE(IsFrameworkStarted());
  EXPECT_EQ(gIntlMgr, nullptr);
}

TEST_F(LifeCycleTest, AStopWithoutAStartDoesNothing) {
  StopFramework();
  EXPECT_TRUE(gSteps.empty());
  EXPECT_TRUE(host.calls.empty());
}

TEST_F(LifeCycleTest, ASuccessfulStartReachesThePackagesDispatchInTheSameCall) {
  ModuleEntry(kSelStartSilent, &record, &slot, nullptr);
  ASSERT_NE(slot, nullptr);
  EXPECT_EQ(slot, GetModulePackage());
  EXPECT_EQ(gCurrentPackage, GetModulePackage());
  EXPECT_EQ(GetModuleState(), kModuleRunning);
  // Made, initialised by the entry point, then the start selector's own
  // initialisation in the package.
  const std::vector<std::string> tail(gSteps.end() - 3, gSteps.end());
  EXPECT_EQ(tail, (std::vector<std::string>{"package made", "init", "init"}));
  EXPECT_EQ(record.moduleInterfaceVersion, 0x660u);
}

TEST_F(LifeCycleTest, StopDeletesThePackageBeforeTheFramework) {
  ModuleEntry(kSelStart, &record, &slot, nullptr);
  gSteps.clear();
  ModuleEntry(kSelStopAlt, nullptr, &slot, nullptr);
  ASSERT_GE(gSteps.size(), 3u);
  EXPECT_EQ(gSteps[0], "deinit");
  EXPECT_EQ(gSteps[1], "package deleted");
  EXPECT_EQ(gSteps[2], "stopPictureServices HMCB");
  EXPECT_EQ(gSteps.back(), "host stop ----");
  EXPECT_EQ(slot, nullptr);
  EXPECT_EQ(gCurrentPackage, nullptr);
  EXPECT_EQ(GetModuleState(), kModuleStopped);
}

TEST_F(LifeCycleTest, AnOldHostIsRefusedAndTheFrameworkStays) {
  host.version = 0x66F;
  ModuleEntry(kSelStartSilent, &record, &slot, nullptr);
  EXPECT_EQ(slot, nullptr);
  EXPECT_EQ(GetModuleState(), kModuleRefused);
  EXPECT_TRUE(IsFrameworkStarted());
  EXPECT_EQ(GetModulePackage(), nullptr);
  // Nothing reaches a package afterwards.
  ModuleEntry(5, nullptr, &slot, nullptr);
  EXPECT_EQ(gSteps.back(), "startPictureServices");
}

TEST_F(LifeCycleTest, ANewStartAfterARefusalClosesTheFirstFrameworkFirst) {
  host.version = 0x66F;
  ModuleEntry(kSelStartSilent, &record, &slot, nullptr);
  host.version = 0x670;
  gSteps.clear();
  ModuleEntry(kSelStartSilent, &record, &slot, nullptr);
  ASSERT_FALSE(gSteps.empty());
  EXPECT_EQ(gSteps[7], "host stop ----");
  EXPECT_EQ(gSteps[8], "host start ----");
  EXPECT_EQ(gSteps[9], "install service HMCB");
  EXPECT_NE(slot, nullptr);
  EXPECT_EQ(host.Count(kHostSelModuleState), 3);
}

TEST_F(LifeCycleTest, CallsWithASlotThatDoesNotHoldThePackageDoNothing) {
  ModuleEntry(kSelStart, &record, &slot, nullptr);
  void* package = slot;
  int other = 0;
  void* foreign = &other;
  gSteps.clear();
  ModuleEntry(7, nullptr, &foreign, nullptr);
  ModuleEntry(kSelStart, &record, &foreign, nullptr);
  EXPECT_TRUE(gSteps.empty());
  EXPECT_EQ(foreign, &other);
  ModuleEntry(7, nullptr, &slot, nullptr);
  EXPECT_EQ(gSteps, std::vector<std::string>{"command 7"});
  EXPECT_EQ(slot, package);
  ModuleEntry(7, nullptr, nullptr, nullptr);
  EXPECT_EQ(gSteps.size(), 1u);
}

TEST_F(LifeCycleTest, AStartWhileRunningCreatesNothingAndReachesThePackage) {
  ModuleEntry(kSelStart, &record, &slot, nullptr);
  void* package = slot;
  gSteps.clear();
  ModuleEntry(kSelStart, &record, &slot, nullptr);
  EXPECT_EQ(gSteps, std::vector<std::string>{"init"});
  EXPECT_EQ(slot, package);
  EXPECT_EQ(host.Count(kHostSelModuleState), 1);
}

TEST_F(LifeCycleTest, AStopWithAForeignSlotStillClosesTheModule) {
  ModuleEntry(kSelStart, &record, &slot, nullptr);
  int other = 0;
  void* foreign = &other;
  gSteps.clear();
  ModuleEntry(kSelStop, nullptr, &foreign, nullptr);
  EXPECT_EQ(gSteps.front(), "package deleted");
  EXPECT_EQ(foreign, nullptr);
  EXPECT_FALSE(IsFrameworkStarted());
}

TEST_F(LifeCycleTest, ASecondStopDoesNothing) {
  ModuleEntry(kSelStart, &record, &slot, nullptr);
  ModuleEntry(kSelStop, nullptr, &slot, nullptr);
  gSteps.clear();
  ModuleEntry(kSelStop, nullptr, &slot, nullptr);
  EXPECT_TRUE(gSteps.empty());
  EXPECT_EQ(host.Count(kHostSelModuleState), 2);
}

TEST_F(LifeCycleTest, AStartWithoutARecordHasNoHostToTell) {
  ModuleEntry(kSelStartSilent, nullptr, &slot, nullptr);
  EXPECT_TRUE(host.calls.empty());
  // No host answered the start-up query: version 0 is refused.
  EXPECT_EQ(slot, nullptr);
  EXPECT_EQ(GetModuleState(), kModuleRefused);
}

}  // namespace
