// The word processor's package: commands by range to their executors, its
// objects made for routine 1 only, its area resource id, its one-time
// initialisation and its alert when the host deletes the offscreen areas.
#include "area/xMorvaMain.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "area/xMorvaPlugIn.h"
#include "engine/xMorvaElementStream.h"
#include "framework/system/resources/VMacResourceFile.h"
#include "views/VDockBar.h"
#include "views/VWindowMenuBar.h"
#include "host/context/VHostContext.h"
#include "boundary/ModuleExports.h"
#include "host/tests/HostTestSupport.h"

namespace {

class RoutingMain : public xMorvaMain {
 public:
  RoutingMain() : xMorvaMain(nullptr) {}
  std::vector<std::string> reached;

 protected:
  void ExecuteLowCommand(int32_t selector, void**, void*) override { reached.push_back("low " + std::to_string(selector)); }
  void ExecuteTableCommand(int32_t selector, void**, void*) override {
    reached.push_back("table " + std::to_string(selector));
  }
};

TEST(MorvaMain, CommandsGoToTheirExecutorByRange) {
  RoutingMain package;
  for (int32_t n : {0, 2, 94, 95, 99, 100, 172, 173, 20000}) package.ExecuteCommand(n, nullptr, nullptr);
  EXPECT_EQ(package.reached,
            (std::vector<std::string>{"low 0", "low 2", "low 94", "table 100", "table 172"}));
}

TEST(MorvaMain, ObjectsAreMadeForRoutine1Only) {
  xMorvaMain package(nullptr);
  void* cell = nullptr;
  void* params[kAreaEventParamCount] = {nullptr, nullptr, nullptr, &cell};
  EXPECT_EQ(package.NewPlugIn(2, params), nullptr);
  EXPECT_EQ(package.NewDesignPlugIn(0, params), nullptr);
  EXPECT_EQ(cell, nullptr);
  VPlugInObject* area = package.NewPlugIn(1, params);
  ASSERT_NE(area, nullptr);
  EXPECT_EQ(cell, static_cast<void*>(area));
  EXPECT_EQ(package.KindOfPlugIn(area), kPlugInForm);
  VPlugInObject* design = package.NewDesignPlugIn(0x10001, params);
  VPlugInObject* output = package.NewOutputPlugIn(1, params);
  VPlugInObject* printing = package.NewPrintingPlugIn(1, params);
  EXPECT_EQ(package.KindOfPlugIn(design), kPlugInDesign);
  EXPECT_EQ(package.KindOfPlugIn(output), kPlugInOutput);
  EXPECT_EQ(package.KindOfPlugIn(printing), kPlugInPrinting);
  for (VPlugInObject* o : {area, design, output, printing}) delete o;
  EXPECT_EQ(package.KindOfPlugIn(area), kPlugInNone);
}

TEST(MorvaMain, AreaResourceIdIs12137ForRoutine1) {
  xMorvaMain package(nullptr);
  EXPECT_EQ(package.GetAreaResourceId(1), 12137);
  EXPECT_EQ(package.GetAreaResourceId(0x20001), 12137);
  EXPECT_EQ(package.GetAreaResourceId(2), 0);
}

TEST(MorvaMain, PackageSwapsItsOwnResourceTypes) {
  xMorvaMain package(nullptr);
  uint8_t data[] = {0x12, 0x34};
  EXPECT_EQ(package.SwapResource(1, FourCC("NESS"), 2, data), 1);
  EXPECT_EQ(data[0], 0x34);
  EXPECT_EQ(package.SwapResource(1, FourCC("TEXT"), 2, data), 0);
}

TEST(MorvaMain, InitialisationHappensOnce) {
  xMorvaMain package(nullptr);
  EXPECT_FALSE(package.IsInitialized());
  EXPECT_TRUE(package.Init());
  EXPECT_TRUE(package.Init());
  EXPECT_TRUE(package.IsInitialized());
}

TEST(MorvaMain, DeletedOffscreenAreasShowItem16OfTheAlertList) {
  hosttest::TempDir dir;
  std::vector<std::string> items(16);
  items[15] = "Closed.";
  ASSERT_TRUE(hosttest::WriteResourceFile(dir.Path("m"), {{FourCC("QBNX"), 800, "Morva", {}},
                                                          {FourCC("STR#"), 806, "", hosttest::StringList(items)}}));
  hosttest::OpenResourceFile open(dir.Path("m"), &SwapRsrcProc);
  Tbx::UseResFile(open.ref);
  gModuleResFile = new VMacResourceFile(open.ref);
  hosttest::RecordingHost host;
  {
    xMorvaMain package(nullptr);
    EXPECT_EQ(package.GetResourceBase(), 800);
    void* params[kAreaEventParamCount] = {};
    new xMorvaPlugIn(&package, params);
    // An offscreen area, deleted with the others by the host's event.
    class Offscreen : public VPlugIn {
     public:
      explicit Offscreen(VPackage* p) : VPlugIn(p, 1) {}
    };
    new Offscreen(&package);
    package.Dispatch(kSelPackageEvent4, reinterpret_cast<void*>(uintptr_t{1}), nullptr);
    EXPECT_EQ(host.Messages(), std::vector<std::string>{"Closed."});
    EXPECT_EQ(package.CountPlugIns(kPlugInOffscreen), 0);
    EXPECT_EQ(package.CountPlugIns(kPlugInForm), 1);
  }
  delete gModuleResFile;
  gModuleResFile = nullptr;
}

// A module resource file for a package with base 800: its identity and the
// resources a test adds.
class PackageFile {
 public:
  explicit PackageFile(std::vector<hosttest::Resource> extra = {}) {
    extra.push_back({FourCC("QBNX"), 800, "Morva", {}});
    EXPECT_TRUE(hosttest::WriteResourceFile(fDir.Path("m"), extra));
    fOpen = std::make_unique<hosttest::OpenResourceFile>(fDir.Path("m"), &SwapRsrcProc);
    Tbx::UseResFile(fOpen->ref);
    gModuleResFile = new VMacResourceFile(fOpen->ref);
  }
  ~PackageFile() {
    delete gModuleResFile;
    gModuleResFile = nullptr;
  }

 private:
  hosttest::TempDir fDir;
  std::unique_ptr<hosttest::OpenResourceFile> fOpen;
};

TEST(MorvaMainOptions, DefaultsSizesAndTexts) {
  xMorvaMain package(nullptr);
  package.Init();
  const uint16_t expected[] = {1, 1, 1, 0, 0, 1, 0, 0, 170, 80, 1, 1, 0};
  for (int16_t n : {0, 1, 2, 5, 6, 7, 8, 9, 10, 11, 12}) {
    uint16_t value = 99;
    EXPECT_EQ(package.GetOption(n, value, nullptr), 0) << n;
    EXPECT_EQ(value, expected[n]) << n;
  }
  uint16_t value = 0;
  package.SetOption(8, -1, nullptr);
  package.GetOption(8, value, nullptr);
  EXPECT_EQ(value, 65535);  // stored as -1, read as a 16-bit word
  VStr<255> given, out;
  given.SetCText("Placeholder", kCharSetMac);
  package.SetOption(6, 1, &given);
  package.GetOption(6, value, &out);
  EXPECT_EQ(out.CompareCText("Placeholder", kCharSetMac, true), 0);
  package.SetOption(6, 0, &given);  // a cleared flag empties the text
  package.GetOption(6, value, &out);
  EXPECT_EQ(value, 0);
  EXPECT_EQ(out.GetLength(), 0);
}

TEST(MorvaMainOptions, OutOfRangeIndexesAnswer1089AndChangeNothing) {
  xMorvaMain package(nullptr);
  package.Init();
  VStr<255> text;
  text.SetCText("kept", kCharSetMac);
  for (int16_t n : {int16_t(-1), int16_t(3), int16_t(4), int16_t(13), int16_t(-32768), int16_t(32767)}) {
    uint16_t value = 7;
    EXPECT_EQ(package.SetOption(n, 0, &text), 1089) << n;
    EXPECT_EQ(package.GetOption(n, value, &text), 1089) << n;
    EXPECT_EQ(value, 0) << n;
  }
  for (int16_t n : {0, 1, 2, 5, 10, 11}) {
    uint16_t value = 0;
    package.GetOption(n, value, nullptr);
    EXPECT_EQ(value, 1) << n;
  }
}

TEST(MorvaMainWordCharacters, ComeFromUchAAtTheResourceBaseAsFarAsItGoes) {
  std::vector<uint8_t> table(8192, 0);
  table['a' >> 3] |= 1 << ('a' & 7);
  table[8191] = 0x80;  // U+FFFF
  {
    PackageFile file({{FourCC("UchA"), 800, "", table},
                      {FourCC("STR#"), 806, "", hosttest::StringList({"No memory left."})}});
    xMorvaMain package(nullptr);
    package.Init();
    EXPECT_TRUE(IsWordCharacter(u'a'));
    EXPECT_TRUE(IsWordCharacter(char16_t(0xFFFF)));
    EXPECT_FALSE(IsWordCharacter(u'b'));
    EXPECT_EQ(package.GetOutOfMemoryText().CompareCText("No memory left.", kCharSetMac, true), 0);
  }
  // A short table gives what it holds; none leaves every unit clear.
  for (const std::vector<uint8_t>& bytes : {std::vector<uint8_t>{0, 0, 0, 0, 0, 0, 0xFF}, std::vector<uint8_t>{}}) {
    PackageFile file(bytes.empty() ? std::vector<hosttest::Resource>{}
                                   : std::vector<hosttest::Resource>{{FourCC("UchA"), 800, "", bytes}});
    xMorvaMain package(nullptr);
    package.Init();
    EXPECT_EQ(IsWordCharacter(u'0'), !bytes.empty());
    EXPECT_FALSE(IsWordCharacter(u'a'));
  }
}

// A dock menu bar that is also a window menu bar.
class DockMenuBar : public VDockBar, public VWindowMenuBar {
 public:
  explicit DockMenuBar(VFrame* parent) : VDockBar(parent) {}
  void GetFloatingSize(int32_t& w, int32_t& h) override { w = h = 10; }
  int32_t GetDockedLength(bool) override { return 10; }
  int32_t GetDockedThickness(bool) override { return 10; }
  void SetDockSide(int16_t) override {}
  bool IsMenuBarShown() const override { return false; }
  void ShowMenuBar(bool) override {}
  VMenuChoice* BuildToolboxMenuBar() override { return nullptr; }
  void RemoveToolboxMenuBar() override {}
};
const VDockBarMakers kMenuBarMaker{
    [](VDockView* dock, VObject*, VResourceFile*, int16_t) -> VDockBar* { return new DockMenuBar(dock); },
    nullptr, nullptr};

TEST(MorvaPlugIn, TheDocksMenuBarServesTheOwnWindowBeforeTheAreasOwn) {
  hosttest::TempDir dir;
  ASSERT_TRUE(hosttest::WriteResourceFile(dir.Path("d"), {{FourCC("XDOK"), 200, "", {0, 5, 0, 0, 0, 0}}}));
  hosttest::OpenResourceFile open(dir.Path("d"), &SwapRsrcProc);
  VMacResourceFile file(open.ref);
  xMorvaMain package(nullptr);
  void* cell = nullptr;
  void* params[kAreaEventParamCount] = {nullptr, nullptr, nullptr, &cell};
  auto* area = static_cast<xMorvaPlugIn*>(package.NewPlugIn(1, params));
  ASSERT_NE(area, nullptr);
  VWindowMenuBar* own = area->GetWindowMenuBar();
  ASSERT_NE(own, nullptr);  // without a dock menu bar: the area's own
  VInstalledService<const VDockBarMakers> makers(&kMenuBarMaker);
  area->LoadDockDescription(nullptr, &file, 200);
  ASSERT_NE(area->GetDockBar(), nullptr);
  EXPECT_EQ(area->GetWindowMenuBar(), dynamic_cast<VWindowMenuBar*>(area->GetDockBar()));
  EXPECT_NE(area->GetWindowMenuBar(), own);
  delete area;
}

}  // namespace
