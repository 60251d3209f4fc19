// The package base: its identity and routine list from the module's
// resource file, the routing of package events, area events and commands,
// focus tracking, the registry of plug-in objects, the preferences file and
// the shared resource files.
#include "host/package/VPackage.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "framework/core/strings/VUniString.h"
#include "framework/system/resources/VMacResourceFile.h"
#include "host/context/VHostContext.h"
#include "boundary/ModuleExports.h"
#include "host/package/VPlugInObject.h"
#include "host/tests/HostTestSupport.h"
#include "platform/toolbox/TbxPorts.h"

namespace {

using hosttest::BigEndian16;
using hosttest::BigEndian32;
using hosttest::RecordingHost;
using hosttest::Resource;
using hosttest::StringList;
using hosttest::TempDir;

constexpr uint32_t kSTRS = FourCC("STR#");
constexpr uint32_t kTEST = FourCC("TEST");

using Journal = std::vector<std::string>;

// A plug-in object of any kind that writes what reaches it into a journal.
class TestPlugIn : public VObject, public VPlugInObject {
 public:
  TestPlugIn(VPackage* package, int32_t kind, void* params, Journal& journal, std::string name)
      : fPackage(package), fKind(kind), fJournal(journal), fName(std::move(name)) {
    switch (kind) {
      case kPlugInDesign: package->AddDesignPlugIn(this); break;
      case kPlugInForm: package->AddFormPlugIn(this); break;
      case kPlugInOffscreen: package->AddOffscreenPlugIn(this); break;
      case kPlugInOutput: package->AddOutputPlugIn(this); break;
      case kPlugInPrinting: package->AddPrintingPlugIn(this); break;
    }
    if (params != nullptr) {
      auto** cell = static_cast<VPlugInObject**>(static_cast<void**>(params)[kAreaObjectCellEntry]);
      if (cell != nullptr) *cell = this;
    }
  }
  ~TestPlugIn() override {
    fJournal.push_back(fName + " deleted");
    switch (fKind) {
      case kPlugInDesign: fPackage->RemoveDesignPlugIn(this); break;
      case kPlugInForm: fPackage->RemoveFormPlugIn(this); break;
      case kPlugInOffscreen: fPackage->RemoveOffscreenPlugIn(this); break;
      case kPlugInOutput: fPackage->RemoveOutputPlugIn(this); break;
      case kPlugInPrinting: fPackage->RemovePrintingPlugIn(this); break;
    }
  }
  void HandleEvent(void** params) override { Note("event", params); }
  void DrawPicture(void** params) override { Note("picture", params); }
  void DrawOutput(void** params) override { Note("output", params); }
  void PrintPage(void** params) override { Note("print", params); }
  void Close() override { fJournal.push_back(fName + " closed"); }
  bool IsClosed() const override { return closed; }

  bool closed = false;

 private:
  // The event code, and whether the cell the package gave holds this object.
  void Note(const char* what, void** params) {
    const auto* event = static_cast<const HostEventRecord*>(params[kAreaEventRecordEntry]);
    const auto* cell = static_cast<VPlugInObject* const*>(params[kAreaObjectCellEntry]);
    std::string entry = fName + " " + what + " " + std::to_string(event->what);
    if (cell == nullptr || *cell != this) entry += " (other cell)";
    fJournal.push_back(entry);
  }

  VPackage* fPackage;
  int32_t fKind;
  Journal& fJournal;
  std::string fName;
};

class TestPackage : public VPackage {
 public:
  TestPackage(HostStartupRecord* params, Journal& journal) : VPackage(params), fJournal(journal) {}

  bool Init() override { return Note("init"), true; }
  void DeInit() override { Note("deinit"); }
  void ExecuteCommand(int32_t selector, void*, void*) override { Note("command " + std::to_string(selector)); }
  VPlugInObject* NewPlugIn(int32_t, void* params) override { return Make(kPlugInForm, params); }
  VPlugInObject* NewDesignPlugIn(int32_t, void* params) override { return Make(kPlugInDesign, params); }
  VPlugInObject* NewOutputPlugIn(int32_t, void* params) override { return Make(kPlugInOutput, params); }
  VPlugInObject* NewPrintingPlugIn(int32_t, void* params) override { return Make(kPlugInPrinting, params); }
  int16_t GetAreaResourceId(int32_t) override { return areaResourceId; }
  void OffscreenPlugInsDeleted(int32_t count) override { Note("offscreen deleted " + std::to_string(count)); }
  void OnEvent206(uint32_t a, uint16_t b, uint32_t r, uint32_t c) override {
    Note("206 " + std::to_string(a) + " " + std::to_string(b) + " " + std::to_string(r) + " " + std::to_string(c));
  }
  bool OnEvent205(uint32_t a, uint16_t, uint32_t& r, uint32_t& d) override {
    Note("205");
    r = a + 1;
    d = a + 2;
    return answer205;
  }
  void OnEvent207(uint32_t, uint16_t, uint32_t, uint32_t) override { Note("207"); }
  void OnEvent201() override { Note("201"); }
  void OnEvent202() override { Note("202"); }
  void OnEvent3(uint32_t value) override { Note("3 " + std::to_string(value)); }
  void OnEvent4(uint32_t value) override { Note("4 " + std::to_string(value)); }

  // What the creating operations make next; null when empty.
  std::vector<std::string> nextNames;
  int16_t areaResourceId = 0;
  bool answer205 = true;
  // The port current while the last object was made.
  Tbx::GrafPtr portAtCreation = nullptr;

 private:
  void Note(const std::string& entry) { fJournal.push_back(entry); }
  VPlugInObject* Make(int32_t kind, void* params) {
    Tbx::GetPort(&portAtCreation);
    Tbx::SetPort(reinterpret_cast<Tbx::GrafPtr>(0x1234));
    if (nextNames.empty()) return nullptr;
    const std::string name = nextNames.front();
    nextNames.erase(nextNames.begin());
    return new TestPlugIn(this, kind, params, fJournal, name);
  }
  Journal& fJournal;
};

// The package's resource file, current, as the module's own.
class PackageTest : public testing::Test {
 protected:
  void UseResources(const std::vector<Resource>& resources) {
    ASSERT_TRUE(hosttest::WriteResourceFile(fDir.Path("module.rsrc"), resources));
    fOpen = std::make_unique<hosttest::OpenResourceFile>(fDir.Path("module.rsrc"), &SwapRsrcProc);
    ASSERT_GE(fOpen->ref, 0);
    Tbx::UseResFile(fOpen->ref);
    gModuleResFile = new VMacResourceFile(fOpen->ref);
  }
  void TearDown() override {
    delete gModuleResFile;
    gModuleResFile = nullptr;
    fOpen.reset();
  }
  std::unique_ptr<TestPackage> MakePackage(HostStartupRecord* params = nullptr) {
    return std::unique_ptr<TestPackage>(new TestPackage(params, journal));
  }

  // An area event for one area's cell, through the package's dispatch.
  struct Area {
    void* cell = nullptr;
    HostEventRecord event{};
    void* params[kAreaEventParamCount] = {};
  };
  void Send(VPackage& package, Area& area, uint16_t code, uintptr_t message = 0, uint16_t modifiers = 0,
            int32_t routine = 1) {
    area.event = HostEventRecord{};
    area.event.what = code;
    area.event.message = message;
    area.event.modifiers = modifiers;
    area.params[kAreaEventRecordEntry] = &area.event;
    area.params[kAreaObjectCellEntry] = &area.cell;
    package.Dispatch(routine, area.params, nullptr);
  }

  static std::vector<Resource> Standard() {
    return {{kTypeQBNX, 500, "Pkg", {}},
            {kSTRS, 500, "", StringList({"%Area"})},
            {kSTRS, 506, "", StringList({"", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "Gone"})}};
  }

  TempDir fDir;
  std::unique_ptr<hosttest::OpenResourceFile> fOpen;
  Journal journal;
};

std::vector<uint16_t> Routines(const VPackage& package) {
  std::vector<uint16_t> out;
  const uint16_t* r = package.GetAreaRoutines();
  if (r == nullptr) return out;
  while (true) {
    out.push_back(*r);
    if (*r++ == 0) break;
  }
  return out;
}

// ---- Identity and routines

TEST_F(PackageTest, IdentityIsTheFirstQBNXsIdAndName) {
  UseResources(Standard());
  auto package = MakePackage();
  EXPECT_EQ(package->GetResourceBase(), 500);
  EXPECT_EQ(package->GetName().GetLength(), 3);
  EXPECT_EQ(package->GetName().GetCharAt(1), u'P');
  EXPECT_EQ(package->GetResourceFile(), gModuleResFile);
}

TEST_F(PackageTest, ABaseAtByte8OfTheQBNXReplacesItsId) {
  std::vector<uint8_t> data(10, 0);
  const int16_t base = -300;  // as the resource layer delivers it
  std::memcpy(data.data() + 8, &base, 2);
  UseResources({{kTypeQBNX, 500, "Pkg", data}});
  EXPECT_EQ(MakePackage()->GetResourceBase(), -300);
}

TEST_F(PackageTest, AShorterQBNXKeepsItsId) {
  UseResources({{kTypeQBNX, 501, "Pkg", std::vector<uint8_t>(9, 0x7F)}});
  EXPECT_EQ(MakePackage()->GetResourceBase(), 501);
}

TEST_F(PackageTest, WithoutQBNXTheBaseIsMinusOneAndTheListIsMinusOnes) {
  UseResources({{kSTRS, -1, "", StringList({"_a", "b"})}});
  auto package = MakePackage();
  EXPECT_EQ(package->GetResourceBase(), -1);
  EXPECT_EQ(package->GetName().GetLength(), 0);
  EXPECT_EQ(Routines(*package), (std::vector<uint16_t>{1, 0}));
}

TEST_F(PackageTest, WithoutAnyListEverySelectorIsACommand) {
  UseResources({{kTypeQBNX, 500, "Pkg", {}}});
  auto package = MakePackage();
  EXPECT_EQ(package->GetAreaRoutines(), nullptr);
  EXPECT_FALSE(package->IsAreaRoutine(1));
  package->Dispatch(1, nullptr, nullptr);
  EXPECT_EQ(journal, Journal{"command 1"});
}

TEST_F(PackageTest, ItemsStartingWithPercentOrUnderscoreAreAreaRoutines) {
  UseResources({{kTypeQBNX, 500, "Pkg", {}}, {kSTRS, 500, "", StringList({"one", "%two", "three", "four", "_five", "#six"})}});
  auto package = MakePackage();
  EXPECT_EQ(Routines(*package), (std::vector<uint16_t>{2, 5, 0}));
  EXPECT_TRUE(package->IsAreaRoutine(2));
  EXPECT_TRUE(package->IsAreaRoutine(5));
  EXPECT_FALSE(package->IsAreaRoutine(6));
  EXPECT_FALSE(package->IsAreaRoutine(0));
}

TEST_F(PackageTest, TheFirstEmptyItemEndsTheRoutineList) {
  UseResources({{kTypeQBNX, 500, "Pkg", {}}, {kSTRS, 500, "", StringList({"%a", "", "%c"})}});
  EXPECT_EQ(Routines(*MakePackage()), (std::vector<uint16_t>{1, 0}));
}

TEST_F(PackageTest, AListWhoseCountRunsPastItsDataStopsAtTheEnd) {
  std::vector<uint8_t> data = StringList({"%a", "%b"});
  data[1] = 200;                  // claims 200 items
  data.push_back(40);             // and a third item claiming 40 bytes
  data.push_back('%');
  UseResources({{kTypeQBNX, 500, "Pkg", {}}, {kSTRS, 500, "", data}});
  EXPECT_EQ(Routines(*MakePackage()), (std::vector<uint16_t>{1, 2, 0}));
}

TEST_F(PackageTest, TheLow16BitsOfTheSelectorNameTheRoutine) {
  UseResources(Standard());
  auto package = MakePackage();
  package->Dispatch(0x10001, nullptr, nullptr);  // an area event with no array: dropped
  package->Dispatch(2, nullptr, nullptr);
  EXPECT_EQ(journal, Journal{"command 2"});
}

// ---- Start-up record

TEST_F(PackageTest, ModuleVersionIsWrittenFromHostInterface0x600) {
  UseResources(Standard());
  HostStartupRecord record{};
  record.hostInterfaceVersion = 0x600;
  MakePackage(&record);
  EXPECT_EQ(record.moduleInterfaceVersion, 0x660u);
}

TEST_F(PackageTest, OlderHostInterfaceLeavesTheRecordAsItWas) {
  UseResources(Standard());
  HostStartupRecord record{};
  record.hostInterfaceVersion = 0x5FF;
  record.moduleInterfaceVersion = 0xABCD;
  MakePackage(&record);
  EXPECT_EQ(record.moduleInterfaceVersion, 0xABCDu);
  record.hostInterfaceVersion = -1;
  MakePackage(&record);
  EXPECT_EQ(record.moduleInterfaceVersion, 0xABCDu);
}

// ---- Package events

TEST_F(PackageTest, StopSelectorsReachDeInit) {
  UseResources(Standard());
  auto package = MakePackage();
  package->Dispatch(kSelStop, nullptr, nullptr);
  package->Dispatch(kSelStopAlt, nullptr, nullptr);
  EXPECT_EQ(journal, (Journal{"deinit", "deinit"}));
}

TEST_F(PackageTest, StartSelectorOpensThePreferencesThenInitialises) {
  UseResources(Standard());
  RecordingHost host;
  host.folder = fDir.Folder();
  auto package = MakePackage();
  package->Dispatch(kSelStartSilent, nullptr, nullptr);
  EXPECT_EQ(journal, Journal{"init"});
  EXPECT_EQ(host.Count(kHostSelGetPath), 1);
  ASSERT_NE(package->GetPrefsFile(), nullptr);
  EXPECT_TRUE(std::filesystem::exists(fDir.Path("Pkg Prefs")));
}

TEST_F(PackageTest, Event207ReachesItsOwnOperationThen206) {
  UseResources(Standard());
  auto package = MakePackage();
  HostPackageEventRecord record{7, 8, 9};
  uint32_t cell = 5;
  package->Dispatch(kSelPackageEvent207, &record, &cell);
  EXPECT_EQ(journal, (Journal{"207", "206 7 8 5 9"}));
  journal.clear();
  package->Dispatch(kSelPackageEvent206, &record, &cell);
  EXPECT_EQ(journal, Journal{"206 7 8 5 9"});
}

TEST_F(PackageTest, Event205WritesItsAnswersOrZeros) {
  UseResources(Standard());
  auto package = MakePackage();
  HostPackageEventRecord record{10, 0, 99};
  uint32_t cell = 99;
  package->Dispatch(kSelPackageEvent205, &record, &cell);
  EXPECT_EQ(uint32_t{record.c}, 12u);
  EXPECT_EQ(cell, 11u);
  package->answer205 = false;
  package->Dispatch(kSelPackageEvent205, &record, &cell);
  EXPECT_EQ(uint32_t{record.c}, 0u);
  EXPECT_EQ(cell, 0u);
}

TEST_F(PackageTest, RecordEventsWithoutRecordOrResultCellAreIgnored) {
  UseResources(Standard());
  auto package = MakePackage();
  HostPackageEventRecord record{1, 2, 3};
  uint32_t cell = 0;
  package->Dispatch(kSelPackageEvent205, nullptr, &cell);
  package->Dispatch(kSelPackageEvent206, &record, nullptr);
  package->Dispatch(kSelPackageEvent207, nullptr, nullptr);
  EXPECT_TRUE(journal.empty());
}

TEST_F(PackageTest, Events3And4TakeTheParameterAsANumber) {
  UseResources(Standard());
  auto package = MakePackage();
  package->Dispatch(kSelPackageEvent3, reinterpret_cast<void*>(uintptr_t{77}), nullptr);
  package->Dispatch(kSelPackageEvent4, reinterpret_cast<void*>(uintptr_t{2}), nullptr);
  EXPECT_EQ(journal, (Journal{"3 77", "4 2"}));
}

TEST_F(PackageTest, Event4With1AndNoOffscreenAreasReportsNothing) {
  UseResources(Standard());
  auto package = MakePackage();
  package->Dispatch(kSelPackageEvent4, reinterpret_cast<void*>(uintptr_t{1}), nullptr);
  EXPECT_EQ(journal, Journal{"4 1"});
}

TEST_F(PackageTest, Event4With1ClosesAndDeletesEveryOffscreenArea) {
  UseResources(Standard());
  auto package = MakePackage();
  new TestPlugIn(package.get(), kPlugInOffscreen, nullptr, journal, "a");
  new TestPlugIn(package.get(), kPlugInOffscreen, nullptr, journal, "b");
  new TestPlugIn(package.get(), kPlugInForm, nullptr, journal, "form");
  package->Dispatch(kSelPackageEvent4, reinterpret_cast<void*>(uintptr_t{1}), nullptr);
  EXPECT_EQ(journal, (Journal{"4 1", "a closed", "a deleted", "b closed", "b deleted", "offscreen deleted 2"}));
  EXPECT_EQ(package->CountPlugIns(kPlugInOffscreen), 0);
  EXPECT_EQ(package->CountPlugIns(kPlugInForm), 1);
  journal.clear();
  package->Dispatch(kSelPackageEvent4, reinterpret_cast<void*>(uintptr_t{2}), nullptr);
  EXPECT_EQ(journal, Journal{"4 2"});
}

// An offscreen object that forgets to leave its list.
class ClingingPlugIn : public VObject, public VPlugInObject {};

TEST_F(PackageTest, Event4EndsEvenWhenAnObjectDoesNotLeaveItsList) {
  UseResources(Standard());
  auto package = MakePackage();
  package->AddOffscreenPlugIn(new ClingingPlugIn);
  package->Dispatch(kSelPackageEvent4, reinterpret_cast<void*>(uintptr_t{1}), nullptr);
  EXPECT_EQ(package->CountPlugIns(kPlugInOffscreen), 0);
  EXPECT_EQ(journal.back(), "offscreen deleted 1");
}

TEST_F(PackageTest, DepthEventsCountUpAndDown) {
  UseResources(Standard());
  auto package = MakePackage();
  package->Dispatch(kSelRaiseDepth, nullptr, nullptr);
  package->Dispatch(kSelRaiseDepth, nullptr, nullptr);
  package->Dispatch(kSelLowerDepth, nullptr, nullptr);
  EXPECT_EQ(package->GetEventDepth(), 1);
  EXPECT_EQ(journal, (Journal{"201", "201", "202"}));
}

TEST_F(PackageTest, OtherNegativeSelectorsDoNothing) {
  UseResources(Standard());
  auto package = MakePackage();
  HostPackageEventRecord record{};
  uint32_t cell = 0;
  for (int32_t selector : {-5, -100, -203, -204, -208, -210, -215, -219, INT32_MIN})
    package->Dispatch(selector, &record, &cell);
  EXPECT_TRUE(journal.empty());
  EXPECT_EQ(package->GetEventDepth(), 0);
}

TEST_F(PackageTest, DispatchPutsBackTheGraphicsWorld) {
  UseResources(Standard());
  auto package = MakePackage();
  auto* port = reinterpret_cast<Tbx::CGrafPtr>(0x5000);
  Tbx::SetGWorld(port, 42);
  package->nextNames = {"x"};
  Area area;
  Send(*package, area, kAreaEventCreate, 0, 1);  // the creation changes the port
  Tbx::CGrafPtr after = nullptr;
  Tbx::GDHandle device = 0;
  Tbx::GetGWorld(&after, &device);
  EXPECT_EQ(after, port);
  EXPECT_EQ(device, 42u);
  EXPECT_EQ(package->portAtCreation, port);
  Tbx::SetGWorld(nullptr, 0);
}

// ---- Area events

TEST_F(PackageTest, Code16MakesAFormAreaOutputOrPrintingObjectByMessageAndModifiers) {
  UseResources(Standard());
  auto package = MakePackage();
  package->nextNames = {"form", "output", "printing"};
  Area form, output, printing;
  Send(*package, form, kAreaEventCreate, 0, 0x100);
  Send(*package, output, kAreaEventCreate, 0, 0);
  Send(*package, printing, kAreaEventCreate, 5, 0x100);
  EXPECT_EQ(journal, (Journal{"form event 16", "output output 16", "printing print 16"}));
  EXPECT_EQ(package->KindOfPlugIn(static_cast<VPlugInObject*>(form.cell)), kPlugInForm);
  EXPECT_EQ(package->KindOfPlugIn(static_cast<VPlugInObject*>(output.cell)), kPlugInOutput);
  EXPECT_EQ(package->KindOfPlugIn(static_cast<VPlugInObject*>(printing.cell)), kPlugInPrinting);
}

TEST_F(PackageTest, ACreationThatMakesNothingDropsTheEvent) {
  UseResources(Standard());
  auto package = MakePackage();
  Area area;
  Send(*package, area, kAreaEventCreate, 0, 1);
  EXPECT_EQ(area.cell, nullptr);
  EXPECT_TRUE(journal.empty());
}

TEST_F(PackageTest, Code602DecidesByTheFormAndPrintingBytesOfTheHostRecord) {
  UseResources(Standard());
  auto package = MakePackage();
  package->nextNames = {"form", "output", "printing"};
  HostAreaRecord formRecord{}, outputRecord{}, printingRecord{};
  formRecord.isForm = 1;
  printingRecord.isForm = 1;
  printingRecord.isPrinting = 1;
  Area a, b, c, d;
  Send(*package, a, kAreaEventCreateFromRecord, HostAddress(&formRecord));
  Send(*package, b, kAreaEventCreateFromRecord, HostAddress(&outputRecord));
  Send(*package, c, kAreaEventCreateFromRecord, HostAddress(&printingRecord));
  Send(*package, d, kAreaEventCreateFromRecord, 0);  // no record: nothing
  EXPECT_EQ(journal, (Journal{"form event 602", "output output 602", "printing print 602"}));
}

TEST_F(PackageTest, FormEditorCodesMakeAPlaceholderForOneEvent) {
  UseResources(Standard());
  auto package = MakePackage();
  for (uint16_t code : {kAreaEventDesign, kAreaEventDesign600, kAreaEventDesign601, kAreaEventDesign603}) {
    journal.clear();
    package->nextNames = {"d"};
    Area area;
    Send(*package, area, code);
    EXPECT_EQ(journal, (Journal{"d picture " + std::to_string(code), "d closed", "d deleted"}));
    EXPECT_EQ(package->CountPlugIns(kPlugInDesign), 0);
  }
}

TEST_F(PackageTest, Code605KeepsItsPlaceholder) {
  UseResources(Standard());
  auto package = MakePackage();
  package->nextNames = {"d"};
  Area area;
  Send(*package, area, kAreaEventDesignKeep);
  EXPECT_EQ(journal, Journal{"d picture 605"});
  EXPECT_EQ(package->CountPlugIns(kPlugInDesign), 1);
  Send(*package, area, 30);
  EXPECT_EQ(journal.back(), "d picture 30");
  Send(*package, area, kAreaEventDelete);
  EXPECT_EQ(journal.back(), "d deleted");
}

TEST_F(PackageTest, Code604AnswersTheAreasResourceIdInTheRecord) {
  UseResources(Standard());
  auto package = MakePackage();
  Area area;
  Send(*package, area, kAreaEventResourceId, 9);
  EXPECT_EQ(area.event.message, 9u);  // id 0: unchanged
  EXPECT_EQ(area.event.when, 0u);
  package->areaResourceId = -2;
  Send(*package, area, kAreaEventResourceId, 9);
  EXPECT_EQ(area.event.message, 604u);
  EXPECT_EQ(area.event.when, 0xFFFFFFFEu);
}

TEST_F(PackageTest, DeleteCodeKeepsAFormAreaThatHasNotClosed) {
  UseResources(Standard());
  auto package = MakePackage();
  package->nextNames = {"f"};
  Area area;
  Send(*package, area, kAreaEventCreate, 0, 1);
  Send(*package, area, kAreaEventDelete);
  EXPECT_EQ(journal.back(), "f event 17");
  EXPECT_EQ(package->CountPlugIns(kPlugInForm), 1);
  static_cast<TestPlugIn*>(static_cast<VPlugInObject*>(area.cell))->closed = true;
  Send(*package, area, kAreaEventDeleteAlt);
  EXPECT_EQ(journal.back(), "f deleted");
  EXPECT_EQ(package->CountPlugIns(kPlugInForm), 0);
}

TEST_F(PackageTest, DeleteCodesAlwaysRemoveOutputAndPrintingObjects) {
  UseResources(Standard());
  auto package = MakePackage();
  package->nextNames = {"o", "p"};
  Area output, printing;
  Send(*package, output, kAreaEventCreate, 0, 0);
  Send(*package, printing, kAreaEventCreate, 1, 0);
  Send(*package, output, kAreaEventDelete);
  Send(*package, printing, kAreaEventDeleteAlt);
  EXPECT_EQ(package->CountPlugIns(kPlugInOutput), 0);
  EXPECT_EQ(package->CountPlugIns(kPlugInPrinting), 0);
}

TEST_F(PackageTest, EventsForObjectsThePackageNeverMadeAreIgnored) {
  UseResources(Standard());
  auto package = MakePackage();
  ClingingPlugIn stranger;
  Area area;
  area.cell = static_cast<VPlugInObject*>(&stranger);
  Send(*package, area, kAreaEventDelete);
  Send(*package, area, kAreaEventClick);
  area.cell = nullptr;
  Send(*package, area, kAreaEventClick);
  EXPECT_TRUE(journal.empty());
}

TEST_F(PackageTest, OffscreenAreasGetNoHostAreaEvents) {
  UseResources(Standard());
  auto package = MakePackage();
  Area area;
  area.cell = static_cast<VPlugInObject*>(new TestPlugIn(package.get(), kPlugInOffscreen, nullptr, journal, "off"));
  Send(*package, area, kAreaEventDelete);
  EXPECT_TRUE(journal.empty());
  EXPECT_EQ(package->CountPlugIns(kPlugInOffscreen), 1);
}

TEST_F(PackageTest, AreaEventWithoutArrayOrRecordIsDropped) {
  UseResources(Standard());
  auto package = MakePackage();
  void* params[kAreaEventParamCount] = {};
  package->Dispatch(1, params, nullptr);
  package->Dispatch(1, nullptr, nullptr);
  EXPECT_TRUE(journal.empty());
}

// ---- Focus tracking

class FocusTest : public PackageTest {
 protected:
  void SetUp() override {
    UseResources(Standard());
    package = MakePackage();
    package->nextNames = {"A", "B"};
    Send(*package, a, kAreaEventCreate, 0, 1);
    Send(*package, b, kAreaEventCreate, 0, 1);
    journal.clear();
  }
  std::unique_ptr<TestPackage> package;
  Area a, b;
};

TEST_F(FocusTest, AClickInASecondAreaDeactivatesTheFirstThenActivatesTheSecond) {
  Send(*package, a, kAreaEventClick);
  EXPECT_EQ(journal, (Journal{"A event 21", "A event 1"}));
  journal.clear();
  Send(*package, b, kAreaEventClick);
  EXPECT_EQ(journal, (Journal{"A event 22", "B event 21", "B event 1"}));
  EXPECT_EQ(package->GetCurrentFormArea(), static_cast<VPlugInObject*>(b.cell));
  // The host's array holds its own record and cell again.
  EXPECT_EQ(b.params[kAreaEventRecordEntry], &b.event);
  EXPECT_EQ(b.params[kAreaObjectCellEntry], &b.cell);
}

TEST_F(FocusTest, AClickInTheCurrentAreaSendsNoFocusEvents) {
  Send(*package, a, kAreaEventClick);
  journal.clear();
  Send(*package, a, kAreaEventClick);
  EXPECT_EQ(journal, Journal{"A event 1"});
}

TEST_F(FocusTest, ActivationWithMessage1DoesNotTakeTheFocus) {
  Send(*package, a, kAreaEventActivate);
  EXPECT_EQ(package->GetCurrentFormArea(), static_cast<VPlugInObject*>(a.cell));
  journal.clear();
  Send(*package, b, kAreaEventActivate, 1);
  EXPECT_EQ(journal, (Journal{"A event 22", "B event 21"}));
  EXPECT_EQ(package->GetCurrentFormArea(), static_cast<VPlugInObject*>(a.cell));
}

TEST_F(FocusTest, DeactivationClearsTheFocusUnlessItsMessageIs1) {
  Send(*package, a, kAreaEventClick);
  Send(*package, a, kAreaEventDeactivate, 1);
  EXPECT_EQ(package->GetCurrentFormArea(), static_cast<VPlugInObject*>(a.cell));
  Send(*package, a, kAreaEventDeactivate);
  EXPECT_EQ(package->GetCurrentFormArea(), nullptr);
}

TEST_F(FocusTest, LeavingTheCurrentAreaDeactivatesIt) {
  Send(*package, a, kAreaEventClick);
  journal.clear();
  Send(*package, b, kAreaEventLeave);
  EXPECT_EQ(journal, Journal{"B event 71"});
  journal.clear();
  Send(*package, a, kAreaEventLeave);
  EXPECT_EQ(journal, (Journal{"A event 22", "A event 71"}));
  EXPECT_EQ(package->GetCurrentFormArea(), nullptr);
}

TEST_F(FocusTest, DeletingTheCurrentAreaForgetsTheFocus) {
  Send(*package, a, kAreaEventClick);
  static_cast<TestPlugIn*>(static_cast<VPlugInObject*>(a.cell))->closed = true;
  Send(*package, a, kAreaEventDelete);
  EXPECT_EQ(package->GetCurrentFormArea(), nullptr);
  journal.clear();
  Send(*package, b, kAreaEventClick);
  EXPECT_EQ(journal, (Journal{"B event 21", "B event 1"}));
}

// ---- Registry

TEST_F(PackageTest, KindIsFoundInTheListsInOrder) {
  UseResources(Standard());
  auto package = MakePackage();
  ClingingPlugIn object;
  package->AddDesignPlugIn(&object);
  EXPECT_EQ(package->KindOfPlugIn(&object), kPlugInDesign);
  package->AddOutputPlugIn(&object);
  EXPECT_EQ(package->KindOfPlugIn(&object), kPlugInOutput);
  package->AddFormPlugIn(&object);
  EXPECT_EQ(package->KindOfPlugIn(&object), kPlugInForm);
  package->RemoveFormPlugIn(&object);
  package->RemoveOutputPlugIn(&object);
  package->RemoveDesignPlugIn(&object);
  EXPECT_EQ(package->KindOfPlugIn(&object), kPlugInNone);
  EXPECT_EQ(package->KindOfPlugIn(nullptr), kPlugInNone);
}

// Many live objects of several kinds leave in any order: each is told by
// its kind until it leaves, the counts follow, and an object in two lists
// is of the other kind once it leaves one.
TEST_F(PackageTest, KindsOfManyObjectsFollowTheirComingAndGoing) {
  UseResources(Standard());
  auto package = MakePackage();
  constexpr int kObjects = 300;
  std::vector<ClingingPlugIn> objects(kObjects);
  const int32_t kinds[] = {kPlugInOffscreen, kPlugInForm, kPlugInOutput};
  auto kindOf = [&](int i) { return kinds[i % 3]; };
  for (int i = 0; i < kObjects; ++i) {
    switch (kindOf(i)) {
      case kPlugInOffscreen: package->AddOffscreenPlugIn(&objects[size_t(i)]); break;
      case kPlugInForm: package->AddFormPlugIn(&objects[size_t(i)]); break;
      default: package->AddOutputPlugIn(&objects[size_t(i)]); break;
    }
  }
  // Leaving from the last, from the first and from the middle.
  std::vector<int> order;
  for (int i = kObjects - 1; i >= 2 * kObjects / 3; --i) order.push_back(i);
  for (int i = 0; i < kObjects / 3; ++i) order.push_back(i);
  for (int i = kObjects / 3; i < 2 * kObjects / 3; i += 2) order.push_back(i);
  std::vector<bool> gone(kObjects, false);
  for (int i : order) {
    switch (kindOf(i)) {
      case kPlugInOffscreen: package->RemoveOffscreenPlugIn(&objects[size_t(i)]); break;
      case kPlugInForm: package->RemoveFormPlugIn(&objects[size_t(i)]); break;
      default: package->RemoveOutputPlugIn(&objects[size_t(i)]); break;
    }
    gone[size_t(i)] = true;
  }
  int32_t left[3] = {};
  for (int i = 0; i < kObjects; ++i) {
    EXPECT_EQ(package->KindOfPlugIn(&objects[size_t(i)]), gone[size_t(i)] ? kPlugInNone : kindOf(i)) << i;
    if (!gone[size_t(i)]) ++left[i % 3];
  }
  for (int k = 0; k < 3; ++k) EXPECT_EQ(package->CountPlugIns(kinds[k]), left[k]) << kinds[k];
  // One left object joins the output list as well: form first, then
  // output when it leaves the forms.
  int twice = 0;
  while (twice < kObjects && (gone[size_t(twice)] || kindOf(twice) != kPlugInForm)) ++twice;
  ASSERT_LT(twice, kObjects);
  package->AddOutputPlugIn(&objects[size_t(twice)]);
  EXPECT_EQ(package->KindOfPlugIn(&objects[size_t(twice)]), kPlugInForm);
  package->RemoveFormPlugIn(&objects[size_t(twice)]);
  EXPECT_EQ(package->KindOfPlugIn(&objects[size_t(twice)]), kPlugInOutput);
  package->RemoveOutputPlugIn(&objects[size_t(twice)]);
  EXPECT_EQ(package->KindOfPlugIn(&objects[size_t(twice)]), kPlugInNone);
  // The rest leave before the objects go.
  for (int i = 0; i < kObjects; ++i) {
    if (gone[size_t(i)] || i == twice) continue;
    package->RemoveOffscreenPlugIn(&objects[size_t(i)]);
    package->RemoveFormPlugIn(&objects[size_t(i)]);
    package->RemoveOutputPlugIn(&objects[size_t(i)]);
    EXPECT_EQ(package->KindOfPlugIn(&objects[size_t(i)]), kPlugInNone) << i;
  }
  for (int32_t kind : kinds) EXPECT_EQ(package->CountPlugIns(kind), 0);
}

// ---- Preferences

class PrefsTest : public PackageTest {
 protected:
  // The module's 'XPRF' (version, entries) and the resources it lists.
  void UseModule(int32_t version, const std::vector<std::vector<uint8_t>>& entries,
                 std::vector<Resource> more = {}) {
    std::vector<uint8_t> xprf = BigEndian32(static_cast<uint32_t>(version));
    const std::vector<uint8_t> count = BigEndian16(static_cast<uint16_t>(entries.size()));
    xprf.insert(xprf.end(), count.begin(), count.end());
    for (const auto& e : entries) xprf.insert(xprf.end(), e.begin(), e.end());
    std::vector<Resource> resources = Standard();
    resources.push_back({kTypeXPRF, 500, "Pkg", xprf});
    resources.insert(resources.end(), more.begin(), more.end());
    UseResources(resources);
    host.folder = fDir.Folder();
  }
  static std::vector<uint8_t> Entry(uint32_t type, int16_t first, int16_t last) {
    std::vector<uint8_t> e = BigEndian32(type);
    for (int16_t v : {first, last}) {
      const std::vector<uint8_t> b = BigEndian16(static_cast<uint16_t>(v));
      e.insert(e.end(), b.begin(), b.end());
    }
    return e;
  }
  std::vector<int16_t> PrefsIds(VMacResourceFile* prefs, uint32_t type) {
    std::vector<int16_t> ids;
    for (int32_t i = 1; i <= prefs->CountResources(type); ++i) ids.push_back(prefs->GetIndResourceId(type, i));
    return ids;
  }
  int32_t PrefsVersion(VMacResourceFile* prefs) {
    const std::vector<uint8_t> name = hosttest::Pascal("Pkg");
    const VResourceRef h = prefs->GetPNamedResource(kTypeXPRF, name.data(), nullptr);
    if (h == 0) return -1;
    int32_t v = 0;
    std::memcpy(&v, prefs->LockResource(h), 4);
    prefs->UnlockResource(h);
    return v;
  }
  RecordingHost host;
};

TEST_F(PrefsTest, ANewPreferencesFileGetsTheXPRFAndTheListedResources) {
  UseModule(3, {Entry(kTEST, -1, 0)}, {{kTEST, 1, "a", {1}}, {kTEST, 2, "b", {2}}});
  auto package = MakePackage();
  VMacResourceFile* prefs = package->GetPrefsFile();
  ASSERT_NE(prefs, nullptr);
  EXPECT_EQ(PrefsVersion(prefs), 3);
  EXPECT_EQ(PrefsIds(prefs, kTEST), (std::vector<int16_t>{1, 2}));
}

TEST_F(PrefsTest, AnEntryWithARangeCopiesOnlyIdsInsideIt) {
  UseModule(1, {Entry(kTEST, 2, 3)}, {{kTEST, 1, "", {1}}, {kTEST, 2, "", {2}}, {kTEST, 3, "", {3}}, {kTEST, 4, "", {4}}});
  auto package = MakePackage();
  EXPECT_EQ(PrefsIds(package->GetPrefsFile(), kTEST), (std::vector<int16_t>{2, 3}));
}

TEST_F(PrefsTest, ASameOrNewerVersionLeavesThePreferencesUntouched) {
  UseModule(2, {Entry(kTEST, -1, 0)}, {{kTEST, 1, "", {1}}});
  // The file already holds version 5 and its own resource 9.
  std::vector<uint8_t> older = BigEndian32(5);
  older.push_back(0);
  older.push_back(0);
  ASSERT_TRUE(hosttest::WriteResourceFile(fDir.Path("Pkg Prefs"), {{kTypeXPRF, 1, "Pkg", older}, {kTEST, 9, "", {9}}}));
  auto package = MakePackage();
  VMacResourceFile* prefs = package->GetPrefsFile();
  EXPECT_EQ(PrefsVersion(prefs), 5);
  EXPECT_EQ(PrefsIds(prefs, kTEST), std::vector<int16_t>{9});
}

TEST_F(PrefsTest, AnOlderVersionIsReplacedAndAllOfATypeRecopied) {
  UseModule(7, {Entry(kTEST, -1, 0)}, {{kTEST, 1, "", {1}}});
  std::vector<uint8_t> older = BigEndian32(6);
  older.push_back(0);
  older.push_back(0);
  ASSERT_TRUE(hosttest::WriteResourceFile(fDir.Path("Pkg Prefs"), {{kTypeXPRF, 1, "Pkg", older}, {kTEST, 9, "", {9}}}));
  auto package = MakePackage();
  VMacResourceFile* prefs = package->GetPrefsFile();
  EXPECT_EQ(PrefsVersion(prefs), 7);
  EXPECT_EQ(prefs->CountResources(kTypeXPRF), 1);
  EXPECT_EQ(PrefsIds(prefs, kTEST), std::vector<int16_t>{1});
}

TEST_F(PrefsTest, CopiedResourcesKeepTheirNamesAndBytesAsStored) {
  const uint32_t kOther = FourCC("TES2");
  const std::string name = "caf\x8E \xA5";
  UseModule(1, {Entry(kTEST, -1, 0), Entry(kOther, 5, 5)},
            {{kTEST, 1, name, {1, 0, 255}}, {kOther, 5, "\xD0", {9}}, {kOther, 6, "not listed", {6}}});
  auto package = MakePackage();
  VMacResourceFile* prefs = package->GetPrefsFile();
  ASSERT_NE(prefs, nullptr);
  struct Copied {
    uint32_t type;
    int16_t id;
    std::string name;
    std::vector<uint8_t> data;
  };
  for (const Copied& c : {Copied{kTEST, 1, name, {1, 0, 255}}, Copied{kOther, 5, "\xD0", {9}}}) {
    const VResourceRef ref = prefs->GetResource(c.type, c.id, nullptr);
    ASSERT_NE(ref, 0u) << c.id;
    uint8_t stored[256];
    Tbx::GetResInfo(ref, nullptr, nullptr, stored);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(stored + 1), stored[0]), c.name) << c.id;
    const auto* data = static_cast<const uint8_t*>(prefs->LockResource(ref));
    EXPECT_EQ(std::vector<uint8_t>(data, data + prefs->GetResourceSize(ref)), c.data) << c.id;
    prefs->UnlockResource(ref);
  }
  EXPECT_FALSE(prefs->HasResource(kOther, 6));
}

TEST_F(PrefsTest, EntriesPastTheEndOfTheXPRFAreNotRead) {
  std::vector<uint8_t> xprf = BigEndian32(1);
  xprf.push_back(0);
  xprf.push_back(3);  // three entries claimed, one present
  const std::vector<uint8_t> e = Entry(kTEST, -1, 0);
  xprf.insert(xprf.end(), e.begin(), e.end());
  std::vector<Resource> resources = Standard();
  resources.push_back({kTypeXPRF, 500, "Pkg", xprf});
  resources.push_back({kTEST, 4, "", {4}});
  UseResources(resources);
  host.folder = fDir.Folder();
  auto package = MakePackage();
  EXPECT_EQ(PrefsIds(package->GetPrefsFile(), kTEST), std::vector<int16_t>{4});
}

TEST_F(PrefsTest, WithoutAFolderThereIsNoPreferencesFileAndItIsAskedAgain) {
  UseModule(1, {});
  host.folder.clear();
  auto package = MakePackage();
  EXPECT_EQ(package->GetPrefsFile(), nullptr);
  EXPECT_EQ(package->GetPrefsFile(), nullptr);
  EXPECT_EQ(host.Count(kHostSelGetPath), 2);
  host.folder = fDir.Folder();
  EXPECT_NE(package->GetPrefsFile(), nullptr);
}

TEST_F(PrefsTest, AFolderThatIsNotThereGivesNoFile) {
  UseModule(1, {});
  host.folder = fDir.Folder() + "missing/";
  EXPECT_EQ(MakePackage()->GetPrefsFile(), nullptr);
}

// ---- Shared resource files

class SharedFileTest : public PackageTest {
 protected:
  void SetUp() override {
    UseResources(Standard());
    host.folder = fDir.Folder();
    HostStartupRecord record{};
    record.callback = &RecordingHost::Entry;
    context = new VHostContext(&record);
    gHostContext = context;
  }
  void TearDown() override {
    gHostContext = nullptr;
    delete context;
    PackageTest::TearDown();
  }
  RecordingHost host;
  VHostContext* context = nullptr;
};

TEST_F(SharedFileTest, TwoAcquirersOfAKeyShareOneFileClosedByTheLastRelease) {
  auto package = MakePackage();
  VStr<31> folder;
  folder.SetChars("Shared", 0, 6, kCharSetMac);
  VMacResourceFile* first = package->AcquireSharedResourceFile(4, folder);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(package->AcquireSharedResourceFile(4, folder), first);
  EXPECT_TRUE(std::filesystem::exists(fDir.Path("Shared/Qvbase")));
  const int16_t ref = first->GetFileRef();
  package->ReleaseSharedResourceFile(first);
  EXPECT_TRUE(VMacResourceFile(ref).IsOpen());
  package->ReleaseSharedResourceFile(first);
  EXPECT_FALSE(VMacResourceFile(ref).IsOpen());
}

TEST_F(SharedFileTest, DifferentKeysGetTheirOwnRecords) {
  auto package = MakePackage();
  VStr<31> a, b;
  a.SetChars("A", 0, 1, kCharSetMac);
  b.SetChars("B", 0, 1, kCharSetMac);
  VMacResourceFile* fa = package->AcquireSharedResourceFile(1, a);
  VMacResourceFile* fb = package->AcquireSharedResourceFile(2, b);
  ASSERT_NE(fa, nullptr);
  ASSERT_NE(fb, nullptr);
  EXPECT_NE(fa, fb);
}

TEST_F(SharedFileTest, AFolderThatCannotBeMadeGivesNone) {
  auto package = MakePackage();
  VStr<63> folder;
  folder.SetChars("no/such/parent", 0, 14, kCharSetMac);
  EXPECT_EQ(package->AcquireSharedResourceFile(1, folder), nullptr);
  package->ReleaseSharedResourceFile(nullptr);
}

}  // namespace
