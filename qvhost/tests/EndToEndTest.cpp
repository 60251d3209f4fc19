// The module driven through DaVuze by the stand-in host, in-process: its
// life cycle with the host checks and their alerts, the instance slot's
// protocol, package events, area events and commands.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include "boundary/HostSelectors.h"
#include "boundary/HostServiceSelectors.h"
#include "qvhost/QvHost.h"
#include "qvhost/ScriptRunner.h"

namespace {

const char kOldHostAlert[] = "Qv Morva needs Qvbase 6.7 or later; it has not been started.";
const char kNewHostAlert[] = "This version of Qvbase is newer than Qv Morva allows; it has not been started.";

QvHostConfig Config(const std::string& hostResources = QVHOST_HOST_RESOURCES) {
  QvHostConfig config;
  config.modulePath = QVHOST_MODULE_PATH;
  config.moduleResourcePath = QVHOST_MODULE_RESOURCES;
  config.hostResourcePath = hostResources;
  return config;
}

class EndToEnd : public testing::Test {
 protected:
  void Load(QvHostConfig config = Config()) {
    host = std::make_unique<QvHost>(std::move(config));
    std::string error;
    ASSERT_TRUE(host->Load(&error)) << error;
  }
  std::vector<int32_t> Selectors() const {
    std::vector<int32_t> out;
    for (const auto& call : host->Log()) out.push_back(call.selector);
    return out;
  }
  std::vector<std::string> StateCalls() const {
    std::vector<std::string> out;
    for (const auto& call : host->Log())
      if (call.selector == kHostSelModuleState) out.push_back(call.text);
    return out;
  }
  std::unique_ptr<QvHost> host;
};

// ---- Life cycle

TEST_F(EndToEnd, StartAndStopTellTheHostAndKeepThePackageInTheSlot) {
  Load();
  host->Start(kSelStart);
  EXPECT_NE(host->Slot(), nullptr);
  EXPECT_EQ(host->LastStartupRecord().moduleInterfaceVersion, 0x660u);
  EXPECT_EQ(Selectors(), (std::vector<int32_t>{kHostSelModuleState, kHostSelStartupQuery,
                                               kResSelOpenKept, kHostSelGetPath}));
  EXPECT_TRUE(host->Messages().empty());
  // The start selector reached the package, which made its preferences.
  EXPECT_TRUE(std::filesystem::exists(host->Folder() + "Qv Morva Prefs"));
  host->Stop(kSelStop);
  EXPECT_EQ(host->Slot(), nullptr);
  EXPECT_EQ(StateCalls(), (std::vector<std::string>{"module starts", "module stops"}));
}

TEST_F(EndToEnd, TheOtherStartAndStopSelectorsWorkAlike) {
  Load();
  host->Start(kSelStartSilent);
  EXPECT_NE(host->Slot(), nullptr);
  host->Stop(kSelStopAlt);
  EXPECT_EQ(host->Slot(), nullptr);
  EXPECT_EQ(host->CountCalls(kHostSelModuleState), 2);
}

TEST_F(EndToEnd, Host0x66FIsRefusedWithTheAlertUnderMinus1) {
  QvHostConfig config = Config();
  config.hostVersion = 0x66F;
  Load(config);
  host->Start(kSelStart);
  EXPECT_EQ(host->Slot(), nullptr);
  EXPECT_EQ(host->Messages(), std::vector<std::string>{kOldHostAlert});
  // No package, so no preferences were asked for.
  EXPECT_EQ(host->CountCalls(kHostSelGetPath), 0);
  // The framework stays until the host stops it.
  EXPECT_EQ(StateCalls(), std::vector<std::string>{"module starts"});
  host->Stop(kSelStop);
  EXPECT_EQ(StateCalls(), (std::vector<std::string>{"module starts", "module stops"}));
}

TEST_F(EndToEnd, RefusalUnderMinus200IsSilent) {
  QvHostConfig config = Config();
  config.hostVersion = 0x66F;
  Load(config);
  host->Start(kSelStartSilent);
  EXPECT_EQ(host->Slot(), nullptr);
  EXPECT_TRUE(host->Messages().empty());
}

TEST_F(EndToEnd, OnlyTheLow16BitsOfTheVersionCount) {
  QvHostConfig config = Config();
  config.hostVersion = 0x1066F;
  Load(config);
  host->Start(kSelStartSilent);
  EXPECT_EQ(host->Slot(), nullptr);
  host->Stop(kSelStop);
  host->Config().hostVersion = 0xFFFF0670;
  host->Start(kSelStartSilent);
  EXPECT_NE(host->Slot(), nullptr);
}

TEST_F(EndToEnd, ACompatibilityValueOf0x6700000Passes) {
  Load(Config(QVHOST_HOST_RESOURCES_XVER_EQUAL));
  host->Start(kSelStart);
  EXPECT_NE(host->Slot(), nullptr);
  EXPECT_TRUE(host->Messages().empty());
}

TEST_F(EndToEnd, AGreaterCompatibilityValueIsRefusedWithItsAlert) {
  Load(Config(QVHOST_HOST_RESOURCES_XVER_ABOVE));
  host->Start(kSelStart);
  EXPECT_EQ(host->Slot(), nullptr);
  EXPECT_EQ(host->Messages(), std::vector<std::string>{kNewHostAlert});
  // The package was made and deleted without reaching its dispatch.
  EXPECT_EQ(host->CountCalls(kHostSelGetPath), 0);
  host->Stop(kSelStop);
  EXPECT_EQ(host->CountCalls(kHostSelModuleState), 2);
}

TEST_F(EndToEnd, AGreaterCompatibilityValueIsRefusedSilentlyUnderMinus200) {
  Load(Config(QVHOST_HOST_RESOURCES_XVER_ABOVE));
  host->Start(kSelStartSilent);
  EXPECT_EQ(host->Slot(), nullptr);
  EXPECT_TRUE(host->Messages().empty());
}

TEST_F(EndToEnd, AHostWithoutResourceFilePassesTheCompatibilityTest) {
  Load(Config(""));
  host->Start(kSelStart);
  EXPECT_NE(host->Slot(), nullptr);
}

TEST_F(EndToEnd, AStartAfterARefusalClosesTheFirstFrameworkBeforeTheSecond) {
  QvHostConfig config = Config();
  config.hostVersion = 0x66F;
  Load(config);
  host->Start(kSelStartSilent);
  host->Config().hostVersion = 0x670;
  host->Start(kSelStartSilent);
  EXPECT_NE(host->Slot(), nullptr);
  EXPECT_EQ(StateCalls(), (std::vector<std::string>{"module starts", "module stops", "module starts"}));
  EXPECT_EQ(host->CountCalls(kHostSelStartupQuery), 2);
}

TEST_F(EndToEnd, ASecondStopDoesNothing) {
  Load();
  host->Start(kSelStart);
  host->Stop(kSelStop);
  host->Stop(kSelStop);
  host->Stop(kSelStopAlt);
  EXPECT_EQ(host->CountCalls(kHostSelModuleState), 2);
}

TEST_F(EndToEnd, AStopWithoutAStartDoesNothing) {
  Load();
  host->Stop(kSelStop);
  EXPECT_TRUE(host->Log().empty());
}

TEST_F(EndToEnd, AStartWhileRunningCreatesNothing) {
  Load();
  host->Start(kSelStart);
  void* package = host->Slot();
  host->ClearLog();
  host->Start(kSelStart);
  EXPECT_EQ(host->Slot(), package);
  EXPECT_EQ(host->CountCalls(kHostSelModuleState), 0);
  EXPECT_EQ(host->CountCalls(kHostSelStartupQuery), 0);
  // The package opened its preferences again.
  EXPECT_EQ(host->CountCalls(kHostSelGetPath), 1);
}

TEST_F(EndToEnd, CallsBeforeAnyStartDoNothing) {
  Load();
  host->PackageEvent(kSelPackageEvent4, 1);
  host->AreaEvent(1, "a", kAreaEventCreate, 0, 1);
  uint32_t result = 0;
  host->Command(101, {}, result);
  EXPECT_TRUE(host->Log().empty());
  EXPECT_EQ(host->FindArea("a")->cell, nullptr);
}

TEST_F(EndToEnd, ASlotThatDoesNotHoldThePackageGetsNothingDone) {
  Load();
  host->Start(kSelStart);
  void* package = host->Slot();
  int foreign = 0;
  host->SetSlot(&foreign);
  host->AreaEvent(1, "a", kAreaEventCreate, 0, 1);
  EXPECT_EQ(host->FindArea("a")->cell, nullptr);
  host->SetSlot(package);
  host->AreaEvent(1, "a", kAreaEventCreate, 0, 1);
  EXPECT_NE(host->FindArea("a")->cell, nullptr);
}

TEST_F(EndToEnd, AStopWithAForeignSlotStillClosesTheModule) {
  Load();
  host->Start(kSelStart);
  int foreign = 0;
  host->SetSlot(&foreign);
  host->Stop(kSelStop);
  EXPECT_EQ(host->Slot(), nullptr);
  EXPECT_EQ(host->CountCalls(kHostSelModuleState), 2);
}

TEST_F(EndToEnd, AnOlderHostInterfaceLeavesTheRecordsModuleVersionAlone) {
  QvHostConfig config = Config();
  config.interfaceVersion = 0x5FF;
  Load(config);
  host->Start(kSelStart);
  EXPECT_NE(host->Slot(), nullptr);
  EXPECT_EQ(host->LastStartupRecord().moduleInterfaceVersion, 0u);
}

TEST_F(EndToEnd, TheModuleCanBeStartedAgainAfterAStop) {
  Load();
  for (int i = 0; i < 3; ++i) {
    host->Start(kSelStart);
    ASSERT_NE(host->Slot(), nullptr);
    host->AreaEvent(1, "a", kAreaEventCreate, 0, 1);
    host->Stop(kSelStop);
  }
  EXPECT_EQ(host->CountCalls(kHostSelModuleState), 6);
}

// ---- Dispatch

TEST_F(EndToEnd, AreaEventsMakeTheEditingAreaInItsCell) {
  Load();
  host->Start(kSelStart);
  host->AreaEvent(1, "text", kAreaEventCreate, 0, 1);
  void* area = host->FindArea("text")->cell;
  EXPECT_NE(area, nullptr);
  host->AreaEvent(1, "text", kAreaEventClick, 0, 0);
  host->AreaEvent(1, "text", kAreaEventResourceId, 0, 0);
  EXPECT_EQ(host->FindArea("text")->event.message, 604u);
  EXPECT_EQ(host->FindArea("text")->event.when, 12137u);
  // A delete for an area that has not accepted to close keeps it.
  host->AreaEvent(1, "text", kAreaEventDelete, 0, 0);
  host->AreaEvent(1, "text", kAreaEventClick, 0, 0);
  EXPECT_EQ(host->FindArea("text")->cell, area);
}

TEST_F(EndToEnd, OtherRoutinesAreCommandsThatMakeNoArea) {
  Load();
  host->Start(kSelStart);
  host->AreaEvent(2, "x", kAreaEventCreate, 0, 1);
  EXPECT_EQ(host->FindArea("x")->cell, nullptr);
}

TEST_F(EndToEnd, OutputAndPrintingObjectsGoWithTheirDeleteEvents) {
  Load();
  host->Start(kSelStart);
  host->AreaEvent(1, "out", kAreaEventCreate, 0, 0);
  host->AreaEvent(1, "print", kAreaEventCreate, 1, 0);
  EXPECT_NE(host->FindArea("out")->cell, nullptr);
  EXPECT_NE(host->FindArea("print")->cell, nullptr);
  host->AreaEvent(1, "out", kAreaEventDelete, 0, 0);
  host->AreaEvent(1, "print", kAreaEventDeleteAlt, 0, 0);
  // A further event for a deleted object is ignored.
  host->AreaEvent(1, "out", 30, 0, 0);
  host->Stop(kSelStop);
  EXPECT_EQ(host->Slot(), nullptr);
}

TEST_F(EndToEnd, PackageEventsWithoutOffscreenAreasShowNothing) {
  Load();
  host->Start(kSelStart);
  host->PackageEvent(kSelPackageEvent4, 1);
  host->PackageEvent(kSelPackageEvent4, 2);
  host->PackageEvent(kSelRaiseDepth, 0);
  host->PackageEvent(kSelLowerDepth, 0);
  host->PackageEvent(-100, 0);
  HostPackageEventRecord record{1, 2, 3};
  uint32_t result = 9;
  host->PackageRecordEvent(kSelPackageEvent205, record, result);
  EXPECT_EQ(uint32_t{record.c}, 0u);
  EXPECT_EQ(result, 0u);
  EXPECT_TRUE(host->Messages().empty());
}

TEST_F(EndToEnd, CommandsOfEveryRangeReturn) {
  Load();
  host->Start(kSelStart);
  host->AreaEvent(1, "a", kAreaEventCreate, 0, 1);
  uint32_t result = 0;
  for (int32_t number : {2, 91, 95, 99, 100, 172, 173, 5000})
    host->Command(number, {&host->FindArea("a")->cell}, result);
  host->Command(101, {}, result);
  EXPECT_EQ(result, 0u);
  EXPECT_NE(host->Slot(), nullptr);
}

// ---- Scripts

TEST_F(EndToEnd, ScriptsCheckTheRefusalAlert) {
  Load();
  std::ostringstream out;
  ScriptRunner runner(*host, out);
  const ScriptRunner::Outcome outcome = runner.Run(
      "set version 0x66F\n"
      "start -1\n"
      "expect slot zero\n"
      "expect message \"" + std::string(kOldHostAlert) + "\"\n"
      "stop\n"
      "expect calls -433 2\n");
  EXPECT_TRUE(outcome.ok()) << outcome.error << "\n" << out.str();
}

TEST_F(EndToEnd, AFailedExpectationIsCountedAndTheRunGoesOn) {
  Load();
  std::ostringstream out;
  ScriptRunner runner(*host, out);
  const ScriptRunner::Outcome outcome = runner.Run("expect slot set\nstart\nexpect slot set\n");
  EXPECT_EQ(outcome.failures, 1);
  EXPECT_EQ(outcome.lines, 3);
  EXPECT_TRUE(outcome.error.empty());
  EXPECT_NE(out.str().find("FAILED: slot set"), std::string::npos);
}

TEST_F(EndToEnd, AMalformedLineStopsTheRunWithItsNumber) {
  Load();
  std::ostringstream out;
  ScriptRunner runner(*host, out);
  EXPECT_EQ(runner.Run("start\n\nfly away\nstop\n").error, "line 3: unknown verb fly");
  EXPECT_EQ(runner.Run("command\n").error, "line 1: command NUMBER [ARGUMENTS]");
  EXPECT_EQ(runner.Run("set name \"open\n").error, "line 1: unterminated text");
  EXPECT_EQ(runner.Run("command 5 area nowhere\n").error, "line 1: no area nowhere");
  EXPECT_EQ(runner.Run("area a 1 message\n").error, "line 1: option message needs a number");
}

TEST(QvHostLoad, AMissingModuleOrResourceFileIsReported) {
  QvHostConfig config = Config();
  config.modulePath = "/no/such/libqvmorva.so";
  QvHost missingModule(config);
  std::string error;
  EXPECT_FALSE(missingModule.Load(&error));
  EXPECT_NE(error.find("cannot load the module"), std::string::npos);

  config = Config();
  config.moduleResourcePath = "/no/such/file.rsrc";
  QvHost missingResources(config);
  EXPECT_FALSE(missingResources.Load(&error));
  EXPECT_NE(error.find("cannot open"), std::string::npos);
}

}  // namespace
