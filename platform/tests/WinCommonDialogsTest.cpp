// The headless common dialogs (the colour picker answered by a provider or
// cancelled, the default printer's device blocks), COM and the shell's
// allocator, and the module file name.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "platform/gdi/WinGdi.h"
#include "platform/print/WinPrint.h"
#include "platform/win32/WinCommonDialogs.h"
#include "platform/win32/WinFiles.h"
#include "platform/win32/WinModule.h"
#include "platform/win32/WinShell.h"

namespace {

class CommonDialogs : public testing::Test {
 protected:
  void TearDown() override { ResetHeadlessDialogs(); }
};

CHOOSECOLORA ColorDialog(COLORREF* custom, COLORREF initial) {
  CHOOSECOLORA dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.rgbResult = initial;
  dialog.lpCustColors = custom;
  dialog.Flags = CC_RGBINIT;
  return dialog;
}

TEST_F(CommonDialogs, WithoutAProviderTheColourPickerIsCancelled) {
  COLORREF custom[16] = {};
  CHOOSECOLORA dialog = ColorDialog(custom, 0x123456);
  EXPECT_FALSE(ChooseColorA(&dialog));
  EXPECT_EQ(dialog.rgbResult, 0x123456u);
}

TEST_F(CommonDialogs, TheProviderAnswersAndMayEditTheCustomColours) {
  struct Seen {
    COLORREF initial = 0;
    DWORD flags = 0;
  } seen;
  SetHeadlessColorProvider(
      [](CHOOSECOLORA* dialog, void* context) -> BOOL {
        auto* s = static_cast<Seen*>(context);
        s->initial = dialog->rgbResult;
        s->flags = dialog->Flags;
        dialog->rgbResult = 0x00FF00;
        dialog->lpCustColors[3] = 0xABCDEF;
        return TRUE_;
      },
      &seen);
  COLORREF custom[16] = {};
  CHOOSECOLORA dialog = ColorDialog(custom, 0x0000FF);
  EXPECT_TRUE(ChooseColorA(&dialog));
  EXPECT_EQ(seen.initial, 0x0000FFu);
  EXPECT_EQ(seen.flags, CC_RGBINIT);
  EXPECT_EQ(dialog.rgbResult, 0x00FF00u);
  EXPECT_EQ(custom[3], 0xABCDEFu);
}

TEST_F(CommonDialogs, AColourRecordWithoutCustomColoursIsRefused) {
  SetHeadlessColorProvider([](CHOOSECOLORA*, void*) -> BOOL { return TRUE_; }, nullptr);
  CHOOSECOLORA dialog = ColorDialog(nullptr, 0);
  EXPECT_FALSE(ChooseColorA(&dialog));
  COLORREF custom[16];
  dialog = ColorDialog(custom, 0);
  dialog.lStructSize = 36;
  EXPECT_FALSE(ChooseColorA(&dialog));
}

PAGESETUPDLGA DefaultQuery() {
  PAGESETUPDLGA dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.Flags = PSD_RETURNDEFAULT;
  return dialog;
}

TEST_F(CommonDialogs, TheDefaultPrinterComesInTwoBlocksThatMakeAnInformationContext) {
  PAGESETUPDLGA dialog = DefaultQuery();
  ASSERT_TRUE(PageSetupDlgA(&dialog));
  ASSERT_NE(dialog.hDevMode, nullptr);
  ASSERT_NE(dialog.hDevNames, nullptr);
  EXPECT_EQ(GlobalSize(dialog.hDevMode), kDevModeSize);
  const auto* names = static_cast<const DEVNAMES*>(GlobalLock(dialog.hDevNames));
  const auto* base = reinterpret_cast<const char*>(names);
  const char* driver = base + names->wDriverOffset;
  const char* device = base + names->wDeviceOffset;
  const char* output = base + names->wOutputOffset;
  EXPECT_EQ(names->wDefault, DN_DEFAULTPRN);
  EXPECT_LT(names->wOutputOffset + std::strlen(output), GlobalSize(dialog.hDevNames));
  const void* mode = GlobalLock(dialog.hDevMode);
  EXPECT_STREQ(static_cast<const char*>(mode), device);
  HDC info = CreateICA(driver, device, output, static_cast<const DEVMODEA*>(mode));
  EXPECT_NE(info, nullptr);
  if (info != nullptr) DeleteDC(info);
  GlobalUnlock(dialog.hDevMode);
  GlobalUnlock(dialog.hDevNames);
  GlobalFree(dialog.hDevMode);
  GlobalFree(dialog.hDevNames);
}

TEST_F(CommonDialogs, WithoutADefaultPrinterTheQueryFails) {
  SetHeadlessDefaultPrinter(nullptr);
  PAGESETUPDLGA dialog = DefaultQuery();
  EXPECT_FALSE(PageSetupDlgA(&dialog));
  EXPECT_EQ(dialog.hDevMode, nullptr);
  EXPECT_EQ(dialog.hDevNames, nullptr);
}

TEST_F(CommonDialogs, PageSetupWithoutTheDefaultQueryIsCancelled) {
  PAGESETUPDLGA dialog = DefaultQuery();
  dialog.Flags = 0;
  EXPECT_FALSE(PageSetupDlgA(&dialog));
  dialog = DefaultQuery();
  dialog.lStructSize = 84;
  EXPECT_FALSE(PageSetupDlgA(&dialog));
}

// What the user chose in the device mode comes back as the paper's size as
// it lies, in the dialog's unit; a paper the printer does not know is its
// own (Letter).
TEST_F(CommonDialogs, AConfirmedPageSetupAnswersThePaperItsDeviceModeNames) {
  struct Choice {
    int16_t paper, orientation, width, length, scale;  // width, length: tenths of mm
  };
  static Choice sChoice;
  SetHeadlessPageSetupProvider(
      [](PAGESETUPDLGA* dialog, void*) -> BOOL {
        auto* mode = static_cast<DEVMODEA*>(GlobalLock(dialog->hDevMode));
        mode->dmFields |= DM_PAPERSIZE | DM_ORIENTATION | DM_SCALE | DM_PAPERWIDTH | DM_PAPERLENGTH;
        mode->dmPaperSize = sChoice.paper;
        mode->dmOrientation = sChoice.orientation;
        mode->dmPaperWidth = sChoice.width;
        mode->dmPaperLength = sChoice.length;
        mode->dmScale = sChoice.scale;
        GlobalUnlock(dialog->hDevMode);
        return TRUE_;
      },
      nullptr);
  const struct {
    Choice choice;
    DWORD unit;
    LONG x, y;
  } cases[] = {
      {{11, DMORIENT_PORTRAIT, 0, 0, 100}, PSD_INHUNDREDTHSOFMILLIMETERS, 14800, 21000},    // A5
      {{11, DMORIENT_LANDSCAPE, 0, 0, 100}, PSD_INHUNDREDTHSOFMILLIMETERS, 21000, 14800},   // A5 across
      {{0, DMORIENT_PORTRAIT, 1200, 1800, 100}, PSD_INHUNDREDTHSOFMILLIMETERS, 12000, 18000},  // own size
      {{9, DMORIENT_PORTRAIT, 0, 0, 50}, PSD_INHUNDREDTHSOFMILLIMETERS, 10500, 14850},      // A4 at half
      {{1, DMORIENT_PORTRAIT, 0, 0, 100}, PSD_INTHOUSANDTHSOFINCHES, 8500, 11000},          // Letter
      {{24, DMORIENT_PORTRAIT, 0, 0, 100}, PSD_INHUNDREDTHSOFMILLIMETERS, 21590, 27940},    // unknown
  };
  for (const auto& c : cases) {
    sChoice = c.choice;
    PAGESETUPDLGA dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.Flags = PSD_MARGINS | c.unit;
    ASSERT_TRUE(PageSetupDlgA(&dialog));
    EXPECT_EQ(dialog.ptPaperSize.x, c.x) << c.choice.paper;
    EXPECT_EQ(dialog.ptPaperSize.y, c.y) << c.choice.paper;
    GlobalFree(dialog.hDevMode);
    GlobalFree(dialog.hDevNames);
  }
}

TEST(HeadlessCom, StartsNestAndTheShellAllocatorCountsItsBlocks) {
  const int depth = GetHeadlessComDepth();
  EXPECT_EQ(CoInitialize(nullptr), depth == 0 ? S_OK : S_FALSE);
  EXPECT_EQ(CoInitialize(nullptr), S_FALSE);
  CoUninitialize();
  CoUninitialize();
  EXPECT_EQ(GetHeadlessComDepth(), depth);

  IMalloc* allocator = nullptr;
  ASSERT_EQ(SHGetMalloc(&allocator), S_OK);
  const int blocks = CountHeadlessShellBlocks();
  void* item = allocator->Alloc(20);
  EXPECT_EQ(CountHeadlessShellBlocks(), blocks + 1);
  allocator->Free(item);
  allocator->Release();
  EXPECT_EQ(CountHeadlessShellBlocks(), blocks);
  EXPECT_EQ(SHGetMalloc(nullptr), E_INVALIDARG);
}

}  // namespace


namespace {

TEST(ModuleFileName, IsTheExecutablesPathAndIsCutToTheBuffer) {
  char path[1024];
  const DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
  ASSERT_GT(n, 0u);
  EXPECT_EQ(std::strlen(path), n);
  EXPECT_EQ(access(path, X_OK), 0);
  EXPECT_NE(std::string(path).find("platform_tests"), std::string::npos);

  char small[6];
  EXPECT_EQ(GetModuleFileNameA(nullptr, small, sizeof small), sizeof small);
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(std::strlen(small), sizeof small - 1);
  EXPECT_EQ(std::string(small), std::string(path, sizeof small - 1));
  EXPECT_EQ(GetModuleFileNameA(nullptr, small, 0), 0u);
  EXPECT_EQ(GetModuleFileNameA(reinterpret_cast<HMODULE>(uintptr_t{16}), path, sizeof path), 0u);
}

}  // namespace
