// The small window services: the colour-cube palette, the font lookup that
// adds nothing, pointer-sized window longs, the pop-up tracking flag around
// the trap patch, and the delayed progress gauge on the virtual clock.
#include "views/VWindowUtilities.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "graphics/VCharWidthCache.h"
#include "platform/gdi/WinGdi.h"
#include "platform/win32/WinTime.h"
#include "platform/win32/WinWindowState.h"

namespace {

TEST(WindowUtilities, TheColourCubeFollowsTheDefaultPalette) {
  HPALETTE palette = CreateColorCubePalette();
  ASSERT_NE(palette, nullptr);
  WORD count = 0;
  ASSERT_NE(GetObjectA(palette, sizeof count, &count), 0);
  ASSERT_EQ(count, 236);
  std::vector<PALETTEENTRY> entries(count);
  ASSERT_EQ(GetPaletteEntries(palette, 0, count, entries.data()), 236u);
  std::vector<PALETTEENTRY> defaults(20);
  GetPaletteEntries(static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE)), 0, 20, defaults.data());
  for (int i = 0; i < 20; ++i) {
    EXPECT_EQ(entries[i].peRed, defaults[i].peRed) << i;
    EXPECT_EQ(entries[i].peBlue, defaults[i].peBlue) << i;
  }
  const struct {
    int index;
    BYTE r, g, b;
  } cube[] = {{20, 0, 0, 0},  {21, 0, 0, 51},       {26, 0, 51, 0},
              {56, 51, 0, 0}, {235, 255, 255, 255}, {234, 255, 255, 204}};
  for (const auto& c : cube) {
    EXPECT_EQ(entries[c.index].peRed, c.r) << c.index;
    EXPECT_EQ(entries[c.index].peGreen, c.g) << c.index;
    EXPECT_EQ(entries[c.index].peBlue, c.b) << c.index;
    EXPECT_EQ(entries[c.index].peFlags, 0) << c.index;
  }
  DeleteObject(palette);
}

TEST(WindowUtilities, FontEntriesAreFoundAndNeverMade) {
  LOGFONTA* made = FindFontDescriptor("Qv Test");
  ASSERT_NE(made, nullptr);
  const int32_t count = CountFontDescriptors();
  EXPECT_EQ(FindFontEntry("Qv Test"), made);
  EXPECT_EQ(FindFontEntry("No Such Face Anywhere"), nullptr);
  EXPECT_EQ(FindFontEntry(nullptr), nullptr);
  EXPECT_EQ(CountFontDescriptors(), count);
}

LRESULT ProcA(HWND, UINT, WPARAM, LPARAM) { return 1; }
LRESULT ProcB(HWND, UINT, WPARAM, LPARAM) { return 2; }

TEST(WindowUtilities, WindowLongsKeepWholeAddresses) {
  ResetHeadlessWindowState();
  HWND window = CreateHeadlessWindow(50, 50);
  ASSERT_NE(window, nullptr);
  int anchor = 0;
  const auto address = reinterpret_cast<intptr_t>(&anchor);
  EXPECT_EQ(SetWindowUserData(window, address), 0);
  EXPECT_EQ(GetWindowUserData(window), address);
  EXPECT_EQ(SetWindowUserData(window, 7), address);
  EXPECT_EQ(SetWindowId(window, 4242), 0);
  EXPECT_EQ(GetWindowId(window), 4242);
  const WNDPROC first = GetWindowProc(window);
  EXPECT_EQ(SetWindowProc(window, &ProcA), first);
  EXPECT_EQ(SetWindowProc(window, &ProcB), &ProcA);
  EXPECT_EQ(GetWindowProc(window), &ProcB);
  SetWindowProc(window, first);
  DestroyWindow(window);
}

std::vector<std::string> gCalls;
int32_t RecordingPopUp(void* menu, int16_t top, int16_t left, int16_t item) {
  gCalls.push_back(std::to_string(reinterpret_cast<intptr_t>(menu)) + " " + std::to_string(top) +
                   " " + std::to_string(left) + " " + std::to_string(item) +
                   (IsPopUpMenuTracking() ? " tracking" : ""));
  return 0x00050003;
}

TEST(WindowUtilities, ThePopUpFlagIsSetOnlyWhileThePatchedRoutineRuns) {
  const Tbx::TrapRoutine own = Tbx::NGetTrapAddress(Tbx::kTrapPopUpMenuSelect, Tbx::kToolboxTrap);
  ASSERT_NE(own, nullptr);
  EXPECT_EQ(Tbx::NGetTrapAddress(0xA000, Tbx::kToolboxTrap), nullptr);
  EXPECT_EQ(Tbx::PopUpMenuSelect(nullptr, 1, 2, 3), 0);
  Tbx::NSetTrapAddress(reinterpret_cast<Tbx::TrapRoutine>(&RecordingPopUp),
                       Tbx::kTrapPopUpMenuSelect, Tbx::kToolboxTrap);
  gCalls.clear();
  const Tbx::TrapRoutine saved = InstallPopUpMenuSelectPatch();
  EXPECT_EQ(saved, reinterpret_cast<Tbx::TrapRoutine>(&RecordingPopUp));
  // A second installation keeps calling the first routine replaced.
  const Tbx::TrapRoutine again = InstallPopUpMenuSelectPatch();
  EXPECT_EQ(Tbx::PopUpMenuSelect(reinterpret_cast<void*>(9), 10, 20, 4), 0x00050003);
  EXPECT_FALSE(IsPopUpMenuTracking());
  EXPECT_EQ(gCalls, (std::vector<std::string>{"9 10 20 4 tracking"}));
  RemovePopUpMenuSelectPatch(again);
  RemovePopUpMenuSelectPatch(saved);
  EXPECT_EQ(Tbx::NGetTrapAddress(Tbx::kTrapPopUpMenuSelect, Tbx::kToolboxTrap), saved);
  Tbx::PopUpMenuSelect(nullptr, 0, 0, 0);
  EXPECT_EQ(gCalls.back(), "0 0 0 0");
  Tbx::NSetTrapAddress(nullptr, Tbx::kTrapPopUpMenuSelect, Tbx::kToolboxTrap);
  EXPECT_EQ(Tbx::NGetTrapAddress(Tbx::kTrapPopUpMenuSelect, Tbx::kToolboxTrap), own);
}

class GaugeBar : public VProgressTarget {
 public:
  bool IsShown() const override { return shown; }
  void BeginProgress(VResourceFile*, int16_t listId, int16_t index, uint32_t total) override {
    log.push_back("begin " + std::to_string(listId) + " " + std::to_string(index) + " " +
                  std::to_string(total));
  }
  void SetProgress(uint32_t value) override { log.push_back("set " + std::to_string(value)); }
  void EndProgress() override { log.push_back("end"); }
  bool shown = true;
  std::vector<std::string> log;
};

TEST(WindowUtilities, TheDelayedGaugeShowsOnlyWhenTheWorkLasts) {
  // 120 ticks are 2000 ms of the virtual clock.
  const struct {
    bool shown;
    std::vector<uint64_t> at;  // ms of each Advance of 10
    std::vector<std::string> log;
  } cases[] = {
      {true, {0, 100, 500, 1000, 2000}, {}},
      {true, {0, 100, 500, 1000, 2000, 2017, 2500}, {"begin 300 2 700", "set 60", "set 10", "end"}},
      {false, {0, 5000, 9000}, {}},
  };
  for (const auto& c : cases) {
    GaugeBar bar;
    bar.shown = c.shown;
    FreezeHeadlessTickCount(1000000);
    {
      VDelayedProgress progress(&bar, nullptr, 300, 2, 700, 120);
      for (uint64_t ms : c.at) {
        FreezeHeadlessTickCount(1000000 + ms);
        EXPECT_FALSE(progress.Advance(10));
      }
    }
    EXPECT_EQ(bar.log, c.log) << c.at.size();
  }
  ReleaseHeadlessTickCount();
  VDelayedProgress none(nullptr, nullptr, 1, 1, 1, 0);
  EXPECT_FALSE(none.Advance(5));
}

}  // namespace
