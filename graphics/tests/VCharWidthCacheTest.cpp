// Tests of the shared font cache: keys, sharing between ports, the limit of
// 24 entries with its retired list, width pages, descriptors and shut-down.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "framework/core/containers/VChainListOf.h"
#include "graphics/GraphicsHooks.h"
#include "graphics/VCharWidthCache.h"
#include "graphics/VGraphicsStart.h"
#include "graphics/VPort.h"
#include "graphics/tests/GraphicsTestSupport.h"
#include "platform/gdi/GdiFont.h"

namespace {

uint32_t gNow = 0;
int32_t gTickReads = 0;
uint32_t TestTicks() {
  ++gTickReads;
  return gNow;
}

const VTickProc kTestTicks{&TestTicks};

// Every test starts from an empty cache on its own clock.
class FontCache : public testing::Test {
 protected:
  void SetUp() override {
    ExitGraphics();
    InitGraphics();
    VGraphicsTickService::Install(&kTestTicks);
    gNow = 100;
  }
  void TearDown() override { VGraphicsTickService::Remove(&kTestTicks); }

  static void UseFont(VPort& port, const char* face, double size) {
    VStr<80> name;
    name.SetChars(face, 0, int32_t(std::strlen(face)), kCharSetAnsi);
    port.SetFontName(name);
    port.SetFontSize(size, false);
  }
};

}  // namespace

TEST_F(FontCache, TwoScreenPortsWithTheSameFontShareOneEntry) {
  Canvas a(8, 8), b(8, 8);
  VPort first(a.dc()), second(b.dc());
  UseFont(first, "Arial", 12);
  UseFont(second, "arial", 12);
  first.PrepareFont(VPort::kFontDirtyMetrics);
  second.PrepareFont(VPort::kFontDirtyMetrics);
  ASSERT_NE(first.GetFontEntry(), nullptr);
  EXPECT_EQ(first.GetFontEntry(), second.GetFontEntry());
  EXPECT_EQ(gFontCache->Count(), 1);
  second.SetBold(true);
  second.PrepareFont(VPort::kFontDirtyEntry);
  EXPECT_NE(first.GetFontEntry(), second.GetFontEntry());
  EXPECT_EQ(gFontCache->Count(), 2);
}

TEST_F(FontCache, TwelvePointsOnA96DpiScreenIsSixteenPixels) {
  Canvas canvas(8, 8);
  VPort port(canvas.dc());
  UseFont(port, "Times New Roman", 12);
  port.PrepareFont(VPort::kFontDirtyGdiFont);
  EXPECT_EQ(port.GetFontEntry()->GetPixelSize(), 16);
  LOGFONTA selected{};
  ASSERT_EQ(GetObjectA(GetCurrentObject(canvas.dc(), OBJ_FONT), sizeof selected, &selected),
            int(sizeof selected));
  EXPECT_EQ(selected.lfHeight, -16);
  EXPECT_EQ(selected.lfWeight, FW_NORMAL);
  EXPECT_STREQ(selected.lfFaceName, "Times New Roman");
}

TEST_F(FontCache, APortWithAReferencePrinterUsesAnEntryKeyedByThePrintersDC) {
  HDC info = NewPrinterInfoDC(600);
  ASSERT_NE(info, nullptr);
  TestPrinter printer(info);
  Canvas a(8, 8), b(8, 8);
  VPort screen(a.dc()), measuring(b.dc());
  UseFont(screen, "Arial", 12);
  UseFont(measuring, "Arial", 12);
  measuring.SetReferencePrinter(&printer);
  EXPECT_DOUBLE_EQ(measuring.GetPrinterRatioX(), 600.0 / 96.0);
  screen.PrepareFont(VPort::kFontDirtyGdiFont);
  measuring.PrepareFont(VPort::kFontDirtyGdiFont);
  ASSERT_NE(measuring.GetFontEntry(), nullptr);
  EXPECT_NE(screen.GetFontEntry(), measuring.GetFontEntry());
  EXPECT_EQ(measuring.GetFontEntry()->GetKeyDC(), info);
  EXPECT_EQ(screen.GetFontEntry()->GetKeyDC(), nullptr);
  EXPECT_EQ(measuring.GetFontEntry()->GetPixelSize(), 100);
  LOGFONTA printerFont{};
  GetObjectA(GetCurrentObject(info, OBJ_FONT), sizeof printerFont, &printerFont);
  EXPECT_EQ(printerFont.lfHeight, -100);
  LOGFONTA portFont{};
  GetObjectA(GetCurrentObject(b.dc(), OBJ_FONT), sizeof portFont, &portFont);
  EXPECT_EQ(portFont.lfHeight, -16);
  EXPECT_EQ(printer.Registered(), &measuring);
  // Forgetting the printer takes the port's font out of the printer's DC.
  measuring.ClearReferencePrinter();
  EXPECT_EQ(printer.Registered(), nullptr);
  EXPECT_EQ(GetCurrentObject(info, OBJ_FONT), GetStockObject(SYSTEM_FONT));
  DeleteDC(info);
}

TEST_F(FontCache, EntriesOfADeviceAtAnotherResolutionDoNotMatch) {
  LOGFONTA* arial = FindFontDescriptor("Arial");
  HDC dc = reinterpret_cast<HDC>(0x1234);
  VCharWidthCache entry(dc, 300, 300, arial, 20, 0);
  EXPECT_TRUE(entry.Matches(dc, 300, 300, arial, 20, 0));
  EXPECT_FALSE(entry.Matches(dc, 600, 600, arial, 20, 0));
  EXPECT_FALSE(entry.Matches(nullptr, 300, 300, arial, 20, 0));
  EXPECT_FALSE(entry.Matches(dc, 300, 300, arial, 20, 1));
  EXPECT_FALSE(entry.Matches(dc, 300, 300, arial, 21, 0));
}

TEST_F(FontCache, ForgettingADeviceRetiresItsEntries) {
  HDC info = NewPrinterInfoDC(300);
  TestPrinter printer(info);
  Canvas canvas(8, 8);
  VPort port(canvas.dc());
  UseFont(port, "Arial", 10);
  port.SetReferencePrinter(&printer);
  port.PrepareFont(VPort::kFontDirtyGdiFont);
  VCharWidthCache* entry = port.GetFontEntry();
  ASSERT_EQ(gFontCache->Count(), 1);
  ForgetFontCacheDevice(info);
  EXPECT_EQ(gFontCache->Count(), 0);
  EXPECT_EQ(gFontCache->RetiredCount(), 1);
  EXPECT_TRUE(gFontCache->IsRetired(entry));
  // The port goes on measuring with it until it takes another font.
  EXPECT_EQ(port.GetFontEntry(), entry);
  EXPECT_GT(port.CharWidth(u'W'), 0.0f);
  port.ClearReferencePrinter();
  port.PrepareFont(VPort::kFontDirtyEntry);
  EXPECT_NE(port.GetFontEntry(), entry);
  EXPECT_EQ(gFontCache->RetiredCount(), 0);
  DeleteDC(info);
}

TEST_F(FontCache, The25thFontLetsTheLeastRecentlyUsedEntryGo) {
  Canvas canvas(8, 8);
  VPort keeper(canvas.dc());
  UseFont(keeper, "Arial", 5);
  gNow = 4000;
  keeper.PrepareFont(VPort::kFontDirtyEntry);
  VCharWidthCache* oldest = keeper.GetFontEntry();
  VPort port(canvas.dc());
  for (int size = 6; size < 29; ++size) {
    gNow = 5000 + size;
    UseFont(port, "Arial", size);
    port.PrepareFont(VPort::kFontDirtyEntry);
  }
  ASSERT_EQ(gFontCache->Count(), 24);
  gNow = 9000;
  UseFont(port, "Arial", 40);
  port.PrepareFont(VPort::kFontDirtyEntry);
  EXPECT_EQ(gFontCache->Count(), 24);
  EXPECT_FALSE(gFontCache->Holds(oldest));
  // Retired, not deleted: the port that uses it goes on with it.
  EXPECT_EQ(gFontCache->RetiredCount(), 1);
  EXPECT_EQ(keeper.GetFontEntry(), oldest);
  EXPECT_GT(keeper.GetFontAscent(), 0);
}

// A full cache lets its least recently used entry go only when it has been
// idle for more than 3600 ticks, however large the tick count, also across
// its wrap; otherwise the cache grows.
TEST_F(FontCache, AFullCacheLetsGoOnlyAnEntryIdleForMoreThanAMinute) {
  const struct {
    uint32_t oldestUse, now;
    bool letGo;
  } cases[] = {
      {10, 3610, false},         {10, 3611, true},          {100000, 100010, false},
      {100000, 103601, true},    {0xFFFFFF00u, 0xD10, false}, {0xFFFFFF00u, 0xD11, true},
  };
  for (const auto& c : cases) {
    ExitGraphics();
    InitGraphics();
    Canvas canvas(8, 8);
    VPort keeper(canvas.dc());
    UseFont(keeper, "Arial", 5);
    gNow = c.oldestUse;
    keeper.PrepareFont(VPort::kFontDirtyEntry);
    VCharWidthCache* oldest = keeper.GetFontEntry();
    VPort port(canvas.dc());
    gNow = c.now - 1;
    for (int size = 6; size < 29; ++size) {
      UseFont(port, "Arial", size);
      port.PrepareFont(VPort::kFontDirtyEntry);
    }
    ASSERT_EQ(gFontCache->Count(), 24);
    gNow = c.now;
    UseFont(port, "Arial", 40);
    port.PrepareFont(VPort::kFontDirtyEntry);
    EXPECT_EQ(gFontCache->Count(), c.letGo ? 24 : 25) << c.oldestUse << " " << c.now;
    EXPECT_EQ(!gFontCache->Holds(oldest), c.letGo) << c.oldestUse << " " << c.now;
    EXPECT_EQ(gFontCache->RetiredCount(), c.letGo ? 1 : 0) << c.oldestUse << " " << c.now;
  }
}

TEST_F(FontCache, ShutDownFreesEveryEntryRetiredOnesToo) {
  Canvas canvas(8, 8);
  {
    // The keeper outlives the cache: it must leave the deleted entry alone.
    VPort keeper(canvas.dc());
    UseFont(keeper, "Arial", 4);
    gNow = 100;
    keeper.PrepareFont(VPort::kFontDirtyEntry);
    VPort port(canvas.dc());
    for (int size = 5; size < 40; ++size) {
      gNow = 4000 * uint32_t(size);
      UseFont(port, "Arial", size);
      port.PrepareFont(VPort::kFontDirtyEntry);
    }
    EXPECT_EQ(gFontCache->RetiredCount(), 1);
    ExitGraphics();
    EXPECT_EQ(gFontCache, nullptr);
    EXPECT_EQ(CountFontDescriptors(), 0);
  }
  InitGraphics();
  EXPECT_EQ(gFontCache->Count(), 0);
}

// What the cache lets go and no port uses is deleted at once; what a port
// still uses waits for its last port. A row a case: how many ports hold the
// entry when it is let go, and what is left retired after each lets go.
TEST_F(FontCache, AnEntryLetGoIsDeletedWhenItsLastPortLetsGo) {
  const struct {
    int users;
  } cases[] = {{0}, {1}, {3}};
  for (const auto& c : cases) {
    ExitGraphics();
    InitGraphics();
    HDC info = NewPrinterInfoDC(300);
    TestPrinter printer(info);
    Canvas canvas(8, 8);
    std::vector<std::unique_ptr<VPort>> ports;
    VCharWidthCache* entry = nullptr;
    {
      VPort first(canvas.dc());
      UseFont(first, "Arial", 10);
      first.SetReferencePrinter(&printer);
      first.PrepareFont(VPort::kFontDirtyEntry);
      entry = first.GetFontEntry();
      for (int i = 0; i < c.users; ++i) {
        ports.push_back(std::make_unique<VPort>(canvas.dc()));
        UseFont(*ports.back(), "Arial", 10);
        ports.back()->SetReferencePrinter(&printer);
        ports.back()->PrepareFont(VPort::kFontDirtyEntry);
        EXPECT_EQ(ports.back()->GetFontEntry(), entry);
      }
      EXPECT_EQ(entry->GetUsers(), c.users + 1);
      first.ClearReferencePrinter();
    }
    EXPECT_EQ(entry->GetUsers(), c.users);
    ForgetFontCacheDevice(info);
    EXPECT_EQ(gFontCache->Count(), 0);
    EXPECT_EQ(gFontCache->RetiredCount(), c.users > 0 ? 1 : 0) << c.users;
    while (!ports.empty()) {
      ports.back()->ClearReferencePrinter();
      ports.pop_back();
      EXPECT_EQ(gFontCache->RetiredCount(), ports.empty() ? 0 : 1) << c.users;
    }
    DeleteDC(info);
  }
}

// Documents each measure on their own printer: every printer's fonts are
// found again while it lives, and deleting printers takes their entries
// with them, however many there were.
TEST_F(FontCache, ThousandsOfPrintersFindTheirOwnEntriesAndTakeThemAlong) {
  constexpr int kPrinters = 2000;
  Canvas canvas(8, 8);
  std::vector<HDC> devices;
  std::vector<VCharWidthCache*> entries;
  for (int i = 0; i < kPrinters; ++i) {
    devices.push_back(NewPrinterInfoDC(300));
    TestPrinter printer(devices.back());
    VPort port(canvas.dc());
    UseFont(port, i % 2 == 0 ? "Arial" : "Courier New", 10);
    port.SetReferencePrinter(&printer);
    port.PrepareFont(VPort::kFontDirtyEntry);
    entries.push_back(port.GetFontEntry());
    port.ClearReferencePrinter();
  }
  ASSERT_EQ(gFontCache->Count(), kPrinters);
  for (int i = 0; i < kPrinters; i += 97) {
    TestPrinter printer(devices[size_t(i)]);
    VPort port(canvas.dc());
    UseFont(port, i % 2 == 0 ? "Arial" : "Courier New", 10);
    port.SetReferencePrinter(&printer);
    port.PrepareFont(VPort::kFontDirtyEntry);
    EXPECT_EQ(port.GetFontEntry(), entries[size_t(i)]) << i;
    port.ClearReferencePrinter();
  }
  for (HDC dc : devices) {
    ForgetFontCacheDevice(dc);
    DeleteDC(dc);
  }
  EXPECT_EQ(gFontCache->Count(), 0);
  EXPECT_EQ(gFontCache->RetiredCount(), 0);
}

TEST_F(FontCache, WidthsAreKeptInPagesByHighByte) {
  Canvas canvas(8, 8);
  VPort port(canvas.dc());
  UseFont(port, "Arial", 12);
  port.PrepareFont(VPort::kFontDirtyGdiFont);
  VCharWidthCache* entry = port.GetFontEntry();
  EXPECT_FALSE(entry->HasPage(0x0141));
  const float width = port.CharWidth(0x0141);
  EXPECT_TRUE(entry->HasPage(0x0141));
  EXPECT_TRUE(entry->HasPage(0x0100));
  EXPECT_FALSE(entry->HasPage(0x0041));
  SIZE extent{};
  const char16_t l = 0x0141;
  GetTextExtentPoint32W(canvas.dc(), &l, 1, &extent);
  EXPECT_EQ(width, float(extent.cx));
  EXPECT_GT(width, 0.0f);
}

TEST_F(FontCache, UnknownFacesGetANewDescriptorAndStillDraw) {
  // The list starts with the installed faces; names match whatever their case.
  LOGFONTA* found = FindFontDescriptor("Arial");
  const int32_t known = CountFontDescriptors();
  EXPECT_GT(known, 1);
  EXPECT_EQ(FindFontDescriptor("ARIAL"), found);
  EXPECT_EQ(CountFontDescriptors(), known);
  LOGFONTA* made = FindFontDescriptor("No Such Face Anywhere");
  ASSERT_NE(made, nullptr);
  EXPECT_EQ(CountFontDescriptors(), known + 1);
  EXPECT_STREQ(made->lfFaceName, "No Such Face Anywhere");
  EXPECT_EQ(made->lfCharSet, 0);
  EXPECT_EQ(FindFontDescriptor("No Such Face Anywhere"), made);
  // A name longer than a face name keeps its first 31 bytes.
  LOGFONTA* longName = FindFontDescriptor("An extremely long face name that goes on and on");
  EXPECT_EQ(std::strlen(longName->lfFaceName), 31u);

  Canvas canvas(60, 20);
  VPort port(canvas.dc());
  UseFont(port, "No Such Face Anywhere", 12);
  EXPECT_GT(port.MeasureText(u"Fallback", 8, kTextUnicode), 0.0f);
  port.MoveTo(2, 15, true);
  port.DrawTextRun(u"Fallback", 8, kTextUnicode);
  EXPECT_GT(canvas.Count(RGB(0, 0, 0), 0, 0, 60, 20), 0);
}

// Measuring a character the cache holds, in the font prepared last, reads
// the clock only now and then, whether or not the font's metrics were
// prepared too; a change of font is prepared at once.
TEST_F(FontCache, CachedWidthsReadTheClockOnlyNowAndThen) {
  struct Case {
    const char* name;
    bool metricsFirst;
  };
  const Case cases[] = {{"widths alone", false}, {"metrics, then widths", true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Canvas canvas(8, 8);
    VPort port(canvas.dc());
    UseFont(port, "Arial", 12);
    if (c.metricsFirst) port.GetFontAscent();
    const float width = port.CharWidth(u'a');
    ASSERT_GT(width, 0.0f);
    gTickReads = 0;
    constexpr int32_t kMeasures = 640;
    for (int32_t i = 0; i < kMeasures; ++i) EXPECT_EQ(port.CharWidth(u'a'), width);
    EXPECT_LE(gTickReads, kMeasures / 64 + 1);
    EXPECT_GE(gTickReads, 1);
    // A bold font is another entry, prepared for the next measure.
    VCharWidthCache* plain = port.GetFontEntry();
    port.SetBold(true);
    port.CharWidth(u'a');
    EXPECT_NE(port.GetFontEntry(), plain);
    EXPECT_NE(port.GetFontEntry(), nullptr);
  }
}
