// The placeholder, output and printing kinds driven as the host drives
// them: fields bound through a fake host's table, binding states and
// labels, form data of either byte order, the answers of every event code,
// the test pattern's pixels, the printed device rectangle at high
// resolutions, printing through a scaled port and through a metafile, and
// the properties' data handed back to the host.
#include "views/VPlugInKinds.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "boundary/HostRecords.h"
#include "boundary/HostSelectors.h"
#include "boundary/HostServiceSelectors.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/streams/ByteSwap.h"
#include "framework/system/environment/VEnvironmentLinks.h"
#include "framework/system/resources/VMacResourceFile.h"
#include "framework/system/resources/VResourceFile.h"
#include "views/VFrameServices.h"
#include "views/VPlugIn.h"
#include "views/VPlugInDocMgr.h"
#include "views/VWindowView.h"
#include "graphics/VCharWidthCache.h"
#include "graphics/VLookPainter.h"
#include "graphics/VGraphicsEnvironmentLink.h"
#include "graphics/VPort.h"
#include "host/callback/HostCallback.h"
#include "host/context/VHostContext.h"
#include "host/package/VPackage.h"
#include "platform/gdi/GdiExtra.h"
#include "platform/gdi/WinGdi.h"
#include "platform/print/WinPrint.h"
#include "platform/toolbox/TbxPictures.h"
#include "platform/toolbox/TbxPrinting.h"
#include "platform/toolbox/TbxWindows.h"
#include "platform/win32/WinWindowState.h"

namespace {

// The fake host's table 3: field names and types (2 text, 3 picture, 30
// BLOB), numbered from 1.
struct Field {
  std::string name;
  int16_t type;
};
std::vector<Field> gFields;

void FakeHost(int32_t selector, HostParamBlock* block) {
  if (selector == kHostSelLook) {
    block->param1 = 3;
    return;
  }
  const bool known = block->table == 3;
  if (selector == kHostSelCountFields) {
    block->param1 = HostWord(known ? static_cast<int32_t>(gFields.size()) : 0);
    return;
  }
  if (selector == kHostSelFieldInfo) {
    if (!known || block->field < 1 || block->field > gFields.size()) {
      block->error = -1;
      return;
    }
    const Field& f = gFields[block->field - 1];
    block->text[0] = static_cast<uint8_t>(f.name.size());
    std::memcpy(block->text + 1, f.name.data(), f.name.size());
    block->param1 = HostWord(f.type);
    block->error = 0;
  }
}

class EmptyPackage : public VPackage {
 public:
  EmptyPackage() : VPackage(nullptr) {}
  void ExecuteCommand(int32_t, void*, void*) override {}
};

// A manager keeping data 'TEST' version 5 that can use the fields told.
class Manager : public VPlugInDocMgr {
 public:
  Manager(bool picture, bool blob) : fPicture(picture), fBlob(blob) {}
  uint32_t GetSignature() override { return FourCC("TEST"); }
  uint32_t GetVersion() override { return 5; }
  bool CanUsePictureField() override { return fPicture; }
  bool CanUseBlobField() override { return fBlob; }
  void LoadFromField(VObject*) override { ++loads; }
  void SaveToField(VObject*) override { ++saves; }
  int loads = 0;
  int saves = 0;

 private:
  bool fPicture;
  bool fBlob;
};

bool gPicture = false;
bool gBlob = true;

class Design : public VDesignPlugIn {
 public:
  using VDesignPlugIn::VDesignPlugIn;
  VPlugInDocMgr* NewDocMgr() override { return new Manager(gPicture, gBlob); }
  void UsePreviewData(const void* data, uint32_t size) override {
    previews.push_back({data, size});
  }
  std::vector<std::pair<const void*, uint32_t>> previews;
};

struct DataSeen {
  const void* data;
  uint32_t size;
};

class Output : public VOutputPlugIn {
 public:
  using VOutputPlugIn::VOutputPlugIn;
  VPlugInDocMgr* NewDocMgr() override { return new Manager(false, true); }
  void SetData(const void* data, uint32_t size) override { seen.push_back({data, size}); }
  std::vector<DataSeen> seen;
};

class Printing : public VPrintingPlugIn {
 public:
  using VPrintingPlugIn::VPrintingPlugIn;
  bool StartPrinting() override { return agree; }
  bool EndPrinting(bool printing) override {
    endedWhilePrinting = printing;
    return true;
  }
  void PrintInPort(VPort& port, int32_t height) override {
    heights.push_back(height);
    scaled.push_back(port.IsScaled());
    metafile.push_back(port.IsMetafile());
    port.SetFillColorRGB(0, 0, 0);
    port.SetFillPatternIndex(6);
    port.PaintRect(0, 0, 20, 20);
  }
  bool agree = true;
  bool endedWhilePrinting = false;
  std::vector<int32_t> heights;
  std::vector<bool> scaled;
  std::vector<bool> metafile;
};

// What the host hands over: the record, the rectangle (top, left, bottom,
// right), the name and the cell.
struct Host {
  HostEventRecord record{};
  int16_t rect[4] = {10, 20, 110, 220};
  uint8_t name[32] = {6, 'L', 'e', 't', 't', 'e', 'r'};
  void* cell = nullptr;
  void* params[kAreaEventParamCount] = {&record, rect, name, &cell};
  void Name(const std::string& text) {
    name[0] = static_cast<uint8_t>(text.size());
    std::memcpy(name + 1, text.data(), text.size());
  }
  HostEventRecord& Prepare(uint16_t what, uintptr_t message = 0, uint32_t when = 0) {
    record = HostEventRecord{};
    record.what = what;
    record.message = message;
    record.when = when;
    return record;
  }
};

class Kinds : public testing::Test {
 protected:
  void SetUp() override {
    ResetHeadlessWindowState();
    VFrameAreaService::Install(&kFrameAreaProc);
    VFrameWindowService::Install(&kFrameWindowProc);
    VEnvironmentGraphicsService::Install(GraphicsEnvironmentLink());
    SetHostCallback(&FakeHost);
    gFields = {{"Letter", 2}, {"Letter_", 30}, {"Other", 3}};
    gPicture = false;
    gBlob = true;
    Tbx::Rect bounds{40, 30, 340, 430};
    const uint8_t title[] = {4, 'F', 'o', 'r', 'm'};
    window =
        Tbx::NewCWindow(nullptr, &bounds, title, true, Tbx::documentProc, Tbx::kInFront, true, 0);
    Tbx::SetPort(&window->port);
  }
  void TearDown() override {
    Tbx::SetPort(nullptr);
    Tbx::DisposeWindow(window);
    Tbx::SetPrintOffsets(0, 0);
    // The text drawn filled the graphics layer's font cache.
    FreeFontCache();
    SetHostCallback(nullptr);
    VEnvironmentGraphicsService::Remove(GraphicsEnvironmentLink());
    VFrameWindowService::Remove(&kFrameWindowProc);
    VFrameAreaService::Remove(&kFrameAreaProc);
  }
  // A placeholder made for code 26 with a design record of table 3.
  std::unique_ptr<Design> MakeDesign(const std::string& name = "Letter") {
    host.Name(name);
    design = HostDesignRecord{};
    design.table = 3;
    host.Prepare(kAreaEventDesign, HostAddress(&design));
    return std::make_unique<Design>(&package, host.params);
  }
  std::vector<COLORREF> Pixels(int x, int y, int w, int h) {
    HWND native = Tbx::GetNativeWindow(window);
    HDC dc = GetDC(native);
    std::vector<COLORREF> v;
    for (int j = 0; j < h; ++j) {
      for (int i = 0; i < w; ++i) v.push_back(GetPixel(dc, x + i, y + j));
    }
    ReleaseDC(native, dc);
    return v;
  }
  EmptyPackage package;
  Host host;
  HostDesignRecord design{};
  Tbx::WindowRef window = nullptr;
};

TEST_F(Kinds, ThePlaceholderShowsItsBindingState) {
  const struct {
    std::vector<Field> fields;
    bool picture, blob;
    std::string name;
    int16_t state;
    uint16_t field;
    std::string label;  // in the module's words, the package named by it
  } cases[] = {
      {{{"Letter", 2}, {"Letter_", 30}}, false, true, "Letter", 1, 2,
       "Letter: Qv Morva document in field Letter_"},
      {{{"Letter", 2}, {"Letter_", 30}}, true, false, "Letter", 3, 2,
       "Letter: Qv Morva document needs a picture field, not Letter_"},
      {{{"Letter_", 2}}, true, true, "Letter", 2, 1,
       "Letter: Qv Morva document needs a picture or BLOB field, not Letter_"},
      {{{"Letter_", 3}}, true, true, "Letter", 1, 1,
       "Letter: Qv Morva document in field Letter_"},
      {{{"Letter_", 3}}, false, true, "Letter", 4, 1,
       "Letter: Qv Morva document needs a BLOB field, not Letter_"},
      {{{"Letter", 30}}, false, true, "Letter", 7, 0,
       "Letter: Qv Morva document has no BLOB field named Letter_"},
      {{{"Letter", 30}}, true, true, "Letter", 5, 0,
       "Letter: Qv Morva document has no picture or BLOB field named Letter_"},
      {{{"Letter", 30}}, true, false, "Letter", 6, 0,
       "Letter: Qv Morva document has no picture field named Letter_"},
      {{{"Letter_", 30}}, false, false, "Letter", 0, 0, "Letter"},
      // Two fields with the name: the higher number wins.
      {{{"Letter_", 3}, {"x", 2}, {"Letter_", 30}}, false, true, "Letter", 1, 3,
       "Letter: Qv Morva document in field Letter_"},
      {{{"Letter_", 3}, {"x", 2}, {"Letter_", 30}}, true, false, "Letter", 3, 3,
       "Letter: Qv Morva document needs a picture field, not Letter_"},
      // An interprocess area is never bound; its mark stays off the name.
      {{{"Letter_", 30}}, false, true, "<>Letter", 7, 0,
       "<>Letter: Qv Morva document has no BLOB field named Letter_"},
      {{{"Letter_", 30}}, false, true, "\xD7Letter", 7, 0,
       "<>Letter: Qv Morva document has no BLOB field named Letter_"},
  };
  // The module's resource file, current as the host starts the module.
  std::unique_ptr<VMacResourceFile> moduleFile(VMacResourceFile::OpenExact(QV_RESOURCE_FILE, 0));
  ASSERT_NE(moduleFile, nullptr);
  VMacResourceFile* const hostsFile = gModuleResFile;
  gModuleResFile = moduleFile.get();
  EmptyPackage module;
  gModuleResFile = hostsFile;
  for (const auto& c : cases) {
    gFields = c.fields;
    gPicture = c.picture;
    gBlob = c.blob;
    std::unique_ptr<Design> placeholder = MakeDesign(c.name);
    EXPECT_EQ(placeholder->GetBindingState(), c.state) << c.name << " " << c.fields.size();
    EXPECT_EQ(placeholder->GetDocMgr()->GetField(), c.field) << c.name;
    VStr<255> label;
    Design named(&module, host.params);
    named.BuildLabel(label, module.GetResourceFile(), named.GetBindingState());
    char text[256] = {0};
    label.GetCText(text, sizeof text, kResCharSetMac);
    EXPECT_EQ(std::string(text), c.label) << c.state;
  }
  // Without a table nothing binds.
  gFields = {{"Letter_", 30}};
  std::unique_ptr<Design> placeholder = MakeDesign();
  design.table = 0;
  host.Prepare(kAreaEventDesign, HostAddress(&design));
  Design noTable(&package, host.params);
  EXPECT_EQ(noTable.GetBindingState(), 7);
}

TEST_F(Kinds, FormDataIsTakenInEitherOrderAndNeverNewer) {
  auto bytes = [](uint32_t signature, uint32_t version, bool swap, size_t size) {
    if (swap) {
      Swap32(&signature);
      Swap32(&version);
    }
    std::vector<uint8_t> v(size, 0xEE);
    std::memcpy(v.data(), &signature, std::min<size_t>(4, size));
    if (size >= 8) std::memcpy(v.data() + 4, &version, 4);
    return v;
  };
  const uint32_t kTest = FourCC("TEST");
  const struct {
    std::vector<uint8_t> data;
    bool accepted;
  } cases[] = {
      {bytes(kTest, 5, false, 8), true},   {bytes(kTest, 4, false, 20), true},
      {bytes(kTest, 6, false, 20), false},  // newer
      {bytes(kTest, 5, true, 20), true},   {bytes(kTest, 0, true, 20), true},
      {bytes(kTest, 6, true, 20), false},  {bytes(FourCC("XMOR"), 1, false, 20), false},
      {bytes(kTest, 5, false, 7), false},  {{}, false},
  };
  Manager manager(false, true);
  for (const auto& c : cases) {
    EXPECT_EQ(manager.AcceptsFormData(c.data.data(), c.data.size()), c.accepted) << c.data.size();
    // An output object made from the form record sees the data or none.
    HostAreaRecord area{};
    area.version = 0x606;
    area.look = 4;
    area.table = 3;
    area.data = HostAddress(c.data.data());
    area.dataSize = static_cast<uint32_t>(c.data.size());
    host.Prepare(kAreaEventCreateFromRecord, HostAddress(&area));
    Output output(&package, host.params);
    host.cell = nullptr;
    output.DrawOutput(host.params);
    EXPECT_EQ(host.record.modifiers, kKindAnswerFormData);
    EXPECT_EQ(host.cell, static_cast<void*>(static_cast<VPlugInObject*>(&output)));
    EXPECT_EQ(output.GetLookIndex(), 3);
    ASSERT_EQ(output.seen.size(), 1u);
    EXPECT_EQ(output.seen[0].data, c.accepted ? c.data.data() : nullptr);
    EXPECT_EQ(output.seen[0].size, c.accepted ? c.data.size() : 0u);
    // Bound to Letter_, a BLOB field it can use: loaded once.
    EXPECT_EQ(static_cast<Manager*>(output.GetDocMgr())->loads, 1);
  }
}

TEST_F(Kinds, EveryCodeGetsItsAnswer) {
  const uint16_t kUnknown = 0x70;
  struct Case {
    uint16_t code;
    uintptr_t message;
    uint16_t modifiers;
  };
  Output output(&package, host.params);
  const Case outputCases[] = {{20, kKindAnswerEnabledQuery, 0},
                              {0x70, 0, kUnknown},
                              {30, 0, kUnknown},
                              {27, 0, kUnknown},
                              {70, 0, 0},
                              {16, 0, 0}};
  for (const Case& c : outputCases) {
    output.DrawOutput(host.params);  // no record change: the last answer stays
    host.Prepare(c.code, 0, 3);
    output.DrawOutput(host.params);
    EXPECT_EQ(host.record.message, c.message) << c.code;
    EXPECT_EQ(host.record.modifiers, c.modifiers) << c.code;
  }
  // Code 16 took the host's look and gave no data.
  EXPECT_EQ(output.GetLookIndex(), 3);
  EXPECT_EQ(output.seen.back().data, nullptr);

  Printing printing(&package, host.params);
  host.Prepare(27);
  printing.PrintPage(host.params);
  EXPECT_EQ(host.record.message, kKindAnswerPrinting);
  EXPECT_TRUE(printing.IsPrinting());
  host.Prepare(28);
  printing.PrintPage(host.params);
  EXPECT_EQ(host.record.message, 1u);
  EXPECT_TRUE(printing.endedWhilePrinting);
  EXPECT_FALSE(printing.IsPrinting());
  printing.agree = false;
  host.Prepare(27);
  printing.PrintPage(host.params);
  EXPECT_EQ(host.record.message, 0u);
  for (uint16_t code : {uint16_t{0x70}, uint16_t{6}, uint16_t{26}}) {
    host.Prepare(code);
    printing.PrintPage(host.params);
    EXPECT_EQ(host.record.modifiers, kUnknown) << code;
  }
  host.Prepare(20);
  printing.PrintPage(host.params);
  EXPECT_EQ(host.record.message, kKindAnswerEnabledQuery);

  std::unique_ptr<Design> placeholder = MakeDesign();
  host.Prepare(kAreaEventDesign603);
  placeholder->DrawPicture(host.params);
  EXPECT_EQ(host.record.message, kAreaEventDesign603);
  host.Prepare(kAreaEventDeleteAlt);
  placeholder->DrawPicture(host.params);
  EXPECT_TRUE(placeholder->IsClosing());
}

TEST_F(Kinds, TheOutputUpdateDrawsItsTestPattern) {
  Output output(&package, host.params);
  const std::vector<COLORREF> before = Pixels(0, 0, 300, 150);
  host.Prepare(6);
  output.DrawOutput(host.params);
  // The rectangle (20, 10) 200 x 100 framed in black, erased inside.
  const COLORREF black = RGB(0, 0, 0), white = RGB(255, 255, 255);
  const std::vector<COLORREF> after = Pixels(0, 0, 300, 150);
  auto at = [&](int x, int y) { return after[y * 300 + x]; };
  EXPECT_EQ(at(20, 10), black);
  EXPECT_EQ(at(219, 109), black);
  EXPECT_EQ(at(120, 10), black);
  // The labels start at (x + 5, y + 10) of every 40 x 10 cell: ink in the
  // first cell's label, none in the gap left of it.
  int ink = 0;
  for (int y = 10; y < 22; ++y) {
    for (int x = 25; x < 45; ++x) ink += at(x, y) != white;
  }
  EXPECT_GT(ink, 0);
  for (int y = 12; y < 108; ++y) EXPECT_EQ(at(22, y), white) << y;
  // Nothing outside the rectangle changed.
  for (int y = 0; y < 150; ++y) {
    for (int x = 0; x < 300; ++x) {
      if (x >= 20 && x < 220 && y >= 10 && y < 110) continue;
      ASSERT_EQ(after[y * 300 + x], before[y * 300 + x]) << x << "," << y;
    }
  }
}

TEST_F(Kinds, ThePlaceholderDrawsItsLabelInTheHostPort) {
  const std::vector<COLORREF> before = Pixels(0, 0, 300, 150);
  std::unique_ptr<Design> placeholder = MakeDesign();
  placeholder->DrawPicture(host.params);
  EXPECT_EQ(host.record.message, kKindAnswerDrawn);
  const std::vector<COLORREF> after = Pixels(0, 0, 300, 150);
  int changed = 0;
  for (int y = 0; y < 150; ++y) {
    for (int x = 0; x < 300; ++x) {
      const bool inside = x >= 20 && x < 220 && y >= 10 && y < 110;
      if (!inside) {
        ASSERT_EQ(after[y * 300 + x], before[y * 300 + x]) << x << "," << y;
      }
      changed += inside && after[y * 300 + x] != before[y * 300 + x];
    }
  }
  EXPECT_GT(changed, 0);

  // With the module's icon, 16 x 16, and a look that frames round the
  // rectangle as a bevel does: nothing drawn outside a small placeholder.
  std::unique_ptr<VMacResourceFile> moduleFile(VMacResourceFile::OpenExact(QV_RESOURCE_FILE, 0));
  VMacResourceFile* const hostsFile = std::exchange(gModuleResFile, moduleFile.get());
  EmptyPackage withIcon;
  gModuleResFile = hostsFile;
  struct : VPlainLookPainter {
    bool DrawElement(VPort& port, int32_t, int32_t, int32_t x, int32_t y, int32_t w, int32_t h,
                     const VString*, int32_t) override {
      port.FrameRect(x - 1, y - 1, w + 2, h + 2);
      return true;
    }
  } look;
  const auto looks = std::to_array(gLookPainters);
  std::fill(std::begin(gLookPainters), std::end(gLookPainters), &look);
  for (const auto& [w, h] :
       {std::pair{1, 1}, std::pair{10, 10}, std::pair{7, 7}, std::pair{12, 40}}) {
    const std::vector<COLORREF> under = Pixels(0, 0, 300, 150);
    host.rect[2] = int16_t(10 + h), host.rect[3] = int16_t(20 + w);
    host.Prepare(kAreaEventDesign, HostAddress(&design));
    Design(&withIcon, host.params).DrawPicture(host.params);
    const std::vector<COLORREF> drawn = Pixels(0, 0, 300, 150);
    for (int at = 0; at < 300 * 150; ++at) {
      if (at % 300 >= 20 && at % 300 < 20 + w && at / 300 >= 10 && at / 300 < 10 + h) continue;
      ASSERT_EQ(drawn[at], under[at]) << w << "x" << h << " at " << at % 300 << "," << at / 300;
    }
  }
  std::copy(looks.begin(), looks.end(), gLookPainters);
}

TEST_F(Kinds, ThePrintedRectangleKeepsItsThirtyTwoBits) {
  // A0 (2384 x 3370 points) at 1200 dpi over a 96 dpi screen: s = 12.5.
  const int16_t a0[4] = {0, 0, 3370, 2384};
  const struct {
    const int16_t* rect;
    double s;
    int16_t ox, oy;
    VPrintDeviceRect expected;
  } cases[] = {
      {a0, 12.5, 0, 0, {0, 0, 39733, 56166}},
      {a0, 12.5, 30, -20, {30, -20, 39763, 56146}},
      {a0, 1.0, 0, 0, {0, 0, 3178, 4493}},
  };
  for (const auto& c : cases) {
    const VPrintDeviceRect r = ComputePrintDeviceRect(c.rect, c.s, c.s, c.ox, c.oy);
    EXPECT_EQ(r.left, c.expected.left);
    EXPECT_EQ(r.top, c.expected.top);
    EXPECT_EQ(r.right, c.expected.right);
    EXPECT_EQ(r.bottom, c.expected.bottom);
  }
  // Printed at 1200 dpi: the area's height reaches the leaf whole.
  ASSERT_TRUE(GdiExtraAddPrinter("Qv 1200", 1200, 1200, 200, 200, -1));
  HDC printer = CreateDCA(nullptr, "Qv 1200", nullptr, nullptr);
  ASSERT_NE(printer, nullptr);
  SetMapMode(printer, 8);
  Printing printing(&package, host.params);
  printing.PrintInto(printer, a0);
  ASSERT_EQ(printing.heights.size(), 1u);
  EXPECT_EQ(printing.heights[0], 4493);
  EXPECT_TRUE(printing.scaled[0]);
  // The device context's settings are put back.
  EXPECT_EQ(GetMapMode(printer), 8);
  DeleteDC(printer);
}

TEST_F(Kinds, AMetafilePrintShowsWhatADirectOneShows) {
  // Direct: into the window's port, at screen resolution.
  host.rect[0] = 0;
  host.rect[1] = 0;
  host.rect[2] = 60;
  host.rect[3] = 60;
  Printing direct(&package, host.params);
  host.Prepare(29);
  direct.PrintPage(host.params);
  ASSERT_EQ(direct.heights.size(), 1u);
  EXPECT_EQ(direct.heights[0], 80);
  EXPECT_FALSE(direct.metafile[0]);
  const std::vector<COLORREF> pixels = Pixels(0, 0, 80, 80);
  EXPECT_EQ(pixels[5 * 80 + 5], RGB(0, 0, 0));
  // Through a picture: the metafile is played into the picture.
  const Tbx::Rect frame{0, 0, 60, 60};
  Tbx::Handle picture = Tbx::OpenPicture(&frame);
  ASSERT_NE(picture, Tbx::Handle{});
  Printing recorded(&package, host.params);
  host.Prepare(29);
  recorded.PrintPage(host.params);
  Tbx::ClosePicture();
  ASSERT_EQ(recorded.heights.size(), 1u);
  EXPECT_EQ(recorded.heights[0], 80);
  EXPECT_TRUE(recorded.metafile[0]);
  // The picture ends with its 60 x 60 pixels (0 R G B each) and the end
  // code; the area's 80 points of drawing were scaled into them. Away from
  // the square's edge, each pixel is what the direct print shows at the
  // same place of the area.
  const int32_t size = Tbx::GetHandleSize(picture);
  ASSERT_GT(size, 60 * 60 * 4 + 2);
  const auto* bytes = static_cast<const uint8_t*>(Tbx::HLock(picture));
  const uint8_t* rows = bytes + size - 2 - 60 * 60 * 4;
  int compared = 0;
  for (int y = 0; y < 60; y += 3) {
    for (int x = 0; x < 60; x += 3) {
      if ((x >= 13 && x <= 17) || (y >= 13 && y <= 17)) continue;
      const uint8_t* px = rows + (y * 60 + x) * 4;
      const bool inkRecorded = px[1] < 128 && px[2] < 128 && px[3] < 128;
      const bool inkDirect = pixels[(y * 4 / 3) * 80 + x * 4 / 3] == RGB(0, 0, 0);
      EXPECT_EQ(inkRecorded, inkDirect) << x << "," << y;
      ++compared;
    }
  }
  EXPECT_GT(compared, 300);
  Tbx::HUnlock(picture);
  Tbx::DisposeHandle(picture);
}

TEST_F(Kinds, TheFormEditorsRecordsReachThePlaceholder) {
  // A newer editor's window: the placeholder lives in a window view.
  design = HostDesignRecord{};
  design.version = 0x660;
  design.table = 3;
  design.window = HostAddress(window);
  host.Prepare(kAreaEventDesignKeep, HostAddress(&design));
  {
    Design placeholder(&package, host.params);
    ASSERT_NE(placeholder.GetWindowView(), nullptr);
    EXPECT_EQ(placeholder.GetParent(), placeholder.GetWindowView());
    // 605: the form data, as the preview.
    const uint32_t data[2] = {FourCC("TEST"), 5};
    design.data = HostAddress(data);
    design.dataSize = sizeof data;
    placeholder.DrawPicture(host.params);
    ASSERT_EQ(placeholder.previews.size(), 1u);
    EXPECT_EQ(placeholder.previews[0].first, data);
    // 607: moved and sized to the record's rectangle, drawn, answered.
    design.top = 20;
    design.left = 30;
    design.bottom = 60;
    design.right = 130;
    host.Prepare(kAreaEventDesignRedraw, HostAddress(&design));
    placeholder.DrawPicture(host.params);
    EXPECT_EQ(host.record.message, kKindAnswerDrawn);
    EXPECT_EQ(placeholder.GetWidth(), 100);
    EXPECT_EQ(placeholder.GetHeight(), 40);
    int32_t x = 0, y = 0;
    placeholder.GetHostOrigin(x, y);
    EXPECT_EQ(x, 30);
    EXPECT_EQ(y, 20);
    // 601: a block of ours handed back is freed (the leak check sees it);
    // another kind's is left to the host.
    auto* ours = static_cast<uint32_t*>(gMemoryMgr->NewBlock(8));
    ours[0] = FourCC("TEST");
    uint32_t theirs[2] = {FourCC("XMOR"), 1};
    for (void* block : {static_cast<void*>(ours), static_cast<void*>(theirs)}) {
      HostPropertyRecord back{HostAddress(block), 8};
      host.Prepare(kAreaEventDesign601, HostAddress(&back));
      placeholder.DrawPicture(host.params);
    }
    EXPECT_EQ(theirs[0], FourCC("XMOR"));
  }
  // A user-mode area made in the editor's window, before or after the
  // placeholder, shares its view; the placeholder closed first (606, 17, the
  // stop) leaves the area in the view, which goes with the last of them.
  for (const bool placeholderFirst : {true, false}) {
    host.Prepare(kAreaEventDesignKeep, HostAddress(&design));
    std::unique_ptr<Design> placeholder;
    if (placeholderFirst) placeholder = std::make_unique<Design>(&package, host.params);
    Host user;
    user.Prepare(kAreaEventCreate);
    auto area = std::make_unique<VPlugIn>(&package, 1, user.params);
    if (!placeholderFirst) placeholder = std::make_unique<Design>(&package, host.params);
    VWindowView* view = area->GetWindowView();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(placeholder->GetWindowView(), view) << placeholderFirst;
    host.Prepare(kAreaEventDeleteAlt);
    placeholder->DrawPicture(host.params);
    placeholder.reset();
    EXPECT_EQ(FindWindowView(Tbx::GetNativeWindow(window)), view) << placeholderFirst;
    EXPECT_EQ(area->GetParent(), view);
    EXPECT_EQ(package.KindOfPlugIn(area.get()), kPlugInForm);
    area.reset();
    EXPECT_EQ(FindWindowView(Tbx::GetNativeWindow(window)), nullptr) << placeholderFirst;
  }
  // An older editor has no window for it.
  design.version = 0x65F;
  host.Prepare(kAreaEventDesignKeep, HostAddress(&design));
  Design older(&package, host.params);
  EXPECT_EQ(older.GetWindowView(), nullptr);
}

TEST_F(Kinds, PropertiesGiveTheirDataBackAsAHostBlock) {
  std::unique_ptr<Design> placeholder = MakeDesign();
  uint32_t words[4] = {FourCC("TEST"), 5, 0x11223344, 0x55667788};
  HostPropertyRecord record{HostAddress(words), sizeof words};
  {
    VPlugInProperties properties(placeholder.get(), &record);
    EXPECT_EQ(properties.GetOwner(), placeholder.get());
    const VMemHandle data = properties.GetData();
    ASSERT_NE(data, 0u);
    EXPECT_EQ(gMemoryMgr->GetHandleSize(data), sizeof words);
  }
  ASSERT_NE(record.data, 0u);
  EXPECT_NE(record.data, HostAddress(words));
  EXPECT_EQ(record.dataSize, sizeof words);
  EXPECT_EQ(std::memcmp(HostPointer<const void>(record.data), words, sizeof words), 0);
  gMemoryMgr->DisposeBlock(HostPointer<void>(record.data));
  // Data of another kind is none, and none goes back as 0 and 0.
  words[0] = FourCC("XMOR");
  record = HostPropertyRecord{HostAddress(words), sizeof words};
  {
    VPlugInProperties properties(placeholder.get(), &record);
    EXPECT_EQ(properties.GetData(), 0u);
  }
  EXPECT_EQ(record.data, 0u);
  EXPECT_EQ(record.dataSize, 0u);
  // Code 600 runs the properties: without data back the answer is 0.
  words[0] = FourCC("TEST");
  record = HostPropertyRecord{HostAddress(words), 7};  // too short
  host.Prepare(kAreaEventDesign600, HostAddress(&record));
  placeholder->DrawPicture(host.params);
  EXPECT_EQ(host.record.modifiers, 0);
  EXPECT_EQ(record.data, 0u);
}

TEST_F(Kinds, APrintingAreaPrintsAPageOnTheVirtualPrinter) {
  char pattern[] = "/tmp/qvkindsXXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  const std::string pdf = std::string(pattern) + "/area.pdf";
  // The job runs in a child process: the PDF surface keeps what the font
  // library made, which the leak check at this process's exit would report.
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    char device[256] = {0};
    GetProfileStringA("windows", "device", "", device, sizeof device);
    if (char* comma = std::strchr(device, ',')) *comma = 0;
    HDC dc = CreateDCA(nullptr, device, nullptr, nullptr);
    if (dc == nullptr) _exit(2);
    DOCINFOA info{sizeof(DOCINFOA), "area", pdf.c_str(), nullptr, 0};
    if (StartDocA(dc, &info) <= 0 || StartPage(dc) <= 0) _exit(3);
    const int dpi = GetDeviceCaps(dc, LOGPIXELSX);
    // One inch in from the page's corner, one inch square.
    const int16_t rect[4] = {72, 72, 144, 144};
    Printing printing(&package, host.params);
    printing.PrintInto(dc, rect);
    if (printing.heights.size() != 1 || printing.heights[0] != 96) _exit(4);
    // The leaf's 20-pixel square, scaled to the printer.
    if (GetPixel(dc, dpi + 2, dpi + 2) != RGB(0, 0, 0)) _exit(5);
    if (GetPixel(dc, dpi + 20 * dpi / 96 + 2, dpi + 2) == RGB(0, 0, 0)) _exit(6);
    if (GetPixel(dc, dpi - 2, dpi - 2) == RGB(0, 0, 0)) _exit(7);
    EndPage(dc);
    EndDoc(dc);
    DeleteDC(dc);
    _exit(0);
  }
  int status = -1;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_GT(std::filesystem::file_size(pdf), 0u);
  std::filesystem::remove_all(pattern);
}

}  // namespace
