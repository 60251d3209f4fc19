// Tests of the graphics start-up and shut-down: the painter table made by
// the installed maker, the screen's resolution, and the device colour count
// and palette read at the first attach.
#include <gtest/gtest.h>

#include <vector>

#include "graphics/GraphicsGlobals.h"
#include "graphics/GraphicsHooks.h"
#include "graphics/VGraphicsStart.h"
#include "graphics/VLookPainter.h"
#include "graphics/VPort.h"
#include "graphics/tests/GraphicsTestSupport.h"
#include "platform/gdi/GdiExtra.h"

namespace {

std::vector<int32_t> gMade;
int32_t gDeleted = 0;

// Answers every colour index with a colour that names its kind.
class KindPainter : public VLookPainter {
 public:
  explicit KindPainter(int32_t kind) : fKind(kind) {}
  ~KindPainter() override { ++gDeleted; }
  bool DrawElement(VPort&, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, const VString*,
                   int32_t) override {
    return false;
  }
  COLORREF GetColor(int32_t index) override { return RGB(fKind, index, 7); }
  bool GetFont(HDC, int32_t, VString&, int16_t&, uint8_t&, uint8_t&) override { return false; }
  int32_t GetMetric(int32_t) override { return 0; }

 private:
  int32_t fKind;
};

VLookPainter* MakeKindPainter(int32_t kind) {
  gMade.push_back(kind);
  return new KindPainter(kind);
}

const VLookPainterMaker kKindPainterMaker{&MakeKindPainter};

HPALETTE gPalette = nullptr;
HPALETTE TestPalette() { return gPalette; }

const VEmulatorPaletteProc kTestPalette{&TestPalette};

}  // namespace

TEST(GraphicsStart, PaintersAreMadeInKindOrderAndDeletedAtShutDown) {
  ExitGraphics();
  gMade.clear();
  gDeleted = 0;
  VLookPainterMakerService::Install(&kKindPainterMaker);
  InitGraphics();
  EXPECT_EQ(gMade, (std::vector<int32_t>{0, 1, 2, 3, 4}));
  {
    Canvas canvas(4, 4);
    VPort port(canvas.dc());
    // Kind 2 by default, kind 3 for the third look.
    EXPECT_EQ(port.GetBackColor(), RGB(2, 0, 7));
    port.SetLook(4);
    port.SetFillColorIndex(10);
    EXPECT_EQ(port.GetFillColor(), RGB(3, 10, 7));
  }
  ExitGraphics();
  EXPECT_EQ(gDeleted, 5);
  for (VLookPainter* painter : gLookPainters) EXPECT_EQ(painter, nullptr);
  VLookPainterMakerService::Remove(&kKindPainterMaker);
  InitGraphics();
  ASSERT_NE(gLookPainters[2], nullptr);
  EXPECT_EQ(gLookPainters[2]->GetColor(10), RGB(0, 0, 0));
  EXPECT_EQ(gLookPainters[2]->GetColor(17), 0xFFFFFFFFu);
}

TEST(GraphicsStart, ScreenResolutionAndTheTransparentCopyAreKnown) {
  EXPECT_EQ(gScreenLogPixelsX, 96);
  EXPECT_EQ(gScreenLogPixelsY, 96);
  EXPECT_NE(gTransparentBlt, nullptr);
}

TEST(GraphicsStart, APaletteDeviceTakesItsCountAndEntriesFromTheEmulatorsPalette) {
  FreeDeviceColors();
  std::vector<uint8_t> block(sizeof(LOGPALETTE) + 15 * sizeof(PALETTEENTRY));
  auto* logical = reinterpret_cast<LOGPALETTE*>(block.data());
  logical->palVersion = 0x300;
  logical->palNumEntries = 16;
  for (int i = 0; i < 16; ++i) logical->palPalEntry[i] = PALETTEENTRY{BYTE(i * 16), 1, 2, 0};
  gPalette = CreatePalette(logical);
  VEmulatorPaletteService::Install(&kTestPalette);
  ASSERT_TRUE(GdiExtraAddPrinter("Palette printer", 300, 300, 100, 100, 256));
  HDC dc = CreateDCA("winspool", "Palette printer", nullptr, nullptr);
  ASSERT_NE(dc, nullptr);
  {
    VPort port(dc);
    EXPECT_EQ(gDeviceColorCount, 16);
    EXPECT_TRUE(IsPaletteDevice());
    ASSERT_NE(gDevicePaletteEntries, nullptr);
    EXPECT_EQ(gDevicePaletteEntries[3].peRed, 48);
    // Colours become palette-relative.
    port.SetPenColor(RGB(1, 2, 3));
    EXPECT_EQ(port.GetPenColor(), 0x02030201u);
    port.SetFillColorIndex(10);
    EXPECT_EQ(port.GetFillColor(), 0u);
  }
  DeleteDC(dc);
  FreeDeviceColors();
  EXPECT_EQ(gDeviceColorCount, 0);
  VEmulatorPaletteService::Remove(&kTestPalette);
  DeleteObject(gPalette);
  // A true-colour device reports no colours.
  Canvas canvas(2, 2);
  VPort port(canvas.dc());
  EXPECT_EQ(gDeviceColorCount, 0xFFFF);
  EXPECT_FALSE(IsPaletteDevice());
}
