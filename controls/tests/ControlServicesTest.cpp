// What the controls install for the system services, used from below: the
// file dialogs reached through the system's exchanges, the standard colours
// and fonts answered by the current look's painter, and PICT pictures
// through the clipboard.
#include "controls/services/ControlServices.h"

#include <gtest/gtest.h>

#include <memory>

#include <cstring>
#include <string>
#include <vector>

#include "framework/core/containers/VNumericArrays.h"
#include "framework/core/containers/VStringArray.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/strings/VUniString.h"
#include "framework/system/environment/VClipboard.h"
#include "framework/system/environment/VEnvironmentLinks.h"
#include "framework/system/files/VFile.h"
#include "framework/system/files/VFileDialog.h"
#include "framework/system/resources/StandardColors.h"
#include "framework/system/tests/FilesTestSupport.h"
#include "graphics/VGraphicsEnvironmentLink.h"
#include "graphics/VGraphicsStart.h"
#include "graphics/VLookPainter.h"
#include "graphics/pictures/VEmfPictureData.h"
#include "graphics/pictures/VPictPictureData.h"
#include "platform/gdi/WinGdi.h"
#include "platform/gdi/WinGdiMetafile.h"
#include "platform/toolbox/TbxScrap.h"
#include "platform/win32/WinFileDialogs.h"
#include "testsupport/FakeHost.h"

namespace {

using files_test::ScopedTypeMap;
using files_test::Str;
using files_test::Text;

// The three tables, installed as the module's list installs them.
void InstallControlServices() {
  VFileDialogService::Install(&kControlFileDialogRunners);
  VLookQueryService::Install(&kControlLookQueries);
  VClipboardPictureService::Install(&kControlPictureOps);
}

void RemoveControlServices() {
  VClipboardPictureService::Remove(&kControlPictureOps);
  VLookQueryService::Remove(&kControlLookQueries);
  VFileDialogService::Remove(&kControlFileDialogRunners);
}

class ControlServices : public testing::Test {
 protected:
  void SetUp() override { InstallControlServices(); }
  void TearDown() override { RemoveControlServices(); }
};

// ---- File dialogs through the exchanges

void Accept(int32_t, const void*, HeadlessChooserAnswer* answer, void*) {
  answer->action = kHeadlessAccept;
  std::snprintf(answer->path, sizeof answer->path, "/home/u/story.rtf");
  answer->filterIndex = 2;
}

TEST_F(ControlServices, AskOpenFileRunsTheStandardOpenDialog) {
  ScopedTypeMap map;
  map.Row("TEXT", "TXT ").Row("RTF ", "RTF ");
  VStringArray names;
  SetHeadlessChooserProvider(&Accept, nullptr);
  // A description made from the system's side, as the editing code does.
  names.AppendString(Str("Text"), false);
  names.AppendString(Str("Rich text"), false);
  VLongArray types;
  types.AppendLong(int32_t(FourCC("TEXT")), false);
  types.AppendLong(int32_t(FourCC("RTF ")), false);
  VGetFileDialog* dialog = new VGetFileDialog(&names, &types, kCodesAreFileTypes);
  const VFileDialogRunners* runners = VFileDialogService::Install(nullptr);
  VFileDialogService::Install(runners);
  ASSERT_NE(runners, nullptr);
  VFile* file = runners->showOpen(*dialog);
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(file->GetFileType(), FourCC("RTF "));
  EXPECT_EQ(dialog->GetChosenType(), FourCC("RTF "));
  delete file;
  delete dialog;
  // And through the exchange by resource: without the resource the dialog
  // has no filters, and the file is still chosen.
  uint32_t type = 1;
  file = AskOpenFile(nullptr, 128, &type);
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(type, 0u);
  delete file;
  SetHeadlessChooserProvider(nullptr, nullptr);
}

TEST_F(ControlServices, RemovingThemCancelsEveryExchange) {
  SetHeadlessChooserProvider(&Accept, nullptr);
  RemoveControlServices();
  EXPECT_EQ(AskOpenFile(nullptr, 128, nullptr), nullptr);
  EXPECT_EQ(AskFolder(Str("x")), nullptr);
  SetHeadlessChooserProvider(nullptr, nullptr);
}

// ---- Standard colours and fonts from the current look's painter

// A painter whose colours carry its kind, and whose fonts name it.
class KindPainter : public VLookPainter {
 public:
  explicit KindPainter(int32_t kind) : fKind(kind) {}
  bool DrawElement(VPort&, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, const VString*,
                   int32_t) override {
    return false;
  }
  COLORREF GetColor(int32_t index) override { return COLORREF(fKind * 0x10000 + index); }
  bool GetFont(HDC, int32_t kind, VString& name, int16_t& size, uint8_t& bold,
               uint8_t& italic) override {
    if (kind != 5) return false;
    name.SetCText(fKind == 0 ? "Geneva" : "Tahoma", kCharSetAnsi);
    size = 9;
    bold = 0;
    italic = 1;
    return true;
  }
  int32_t GetMetric(int32_t) override { return 0; }

 private:
  int32_t fKind;
};

VLookPainter* MakeKindPainter(int32_t kind) { return new KindPainter(kind); }

const VLookPainterMaker kKindPainterMaker{&MakeKindPainter};

class LookServices : public ControlServices {
 protected:
  void SetUp() override {
    ControlServices::SetUp();
    ExitGraphics();
    VLookPainterMakerService::Install(&kKindPainterMaker);
    InitGraphics();
    VEnvironmentGraphicsService::Install(GraphicsEnvironmentLink());
  }
  void TearDown() override {
    VEnvironmentGraphicsService::Remove(GraphicsEnvironmentLink());
    ExitGraphics();
    VLookPainterMakerService::Remove(&kKindPainterMaker);
    ControlServices::TearDown();
  }
  FakeHost host_;
};

TEST_F(LookServices, StandardColorIsTheCurrentLooksColour) {
  host_.SetLookValue(1);
  EXPECT_EQ(StandardColor(15), 0x10000u + 15);
  EXPECT_EQ(StandardColor(30), 0x10000u + 30);
  host_.SetLookValue(4);
  EXPECT_EQ(StandardColor(0), 0x40000u);
}

TEST_F(LookServices, StandardFontIsTheCurrentLooksFont) {
  host_.SetLookValue(0);
  Str name;
  int16_t size = 0;
  uint8_t bold = 1, italic = 0;
  ASSERT_TRUE(StandardFont(nullptr, 5, &name, size, bold, italic));
  EXPECT_EQ(Text(name), "Geneva");
  EXPECT_EQ(size, 9);
  EXPECT_EQ(bold, 0);
  EXPECT_EQ(italic, 1);
  EXPECT_FALSE(StandardFont(nullptr, 2, &name, size, bold, italic));
}

TEST_F(ControlServices, WithoutTheGraphicsLinkTheFixedColoursApply) {
  EXPECT_EQ(StandardColor(15), 0xFF0FFFu);
}

// ---- Pictures through the clipboard

std::vector<uint8_t> HandleBytes(VMemHandle h) {
  std::vector<uint8_t> bytes(gMemoryMgr->GetHandleSize(h));
  if (!bytes.empty()) std::memcpy(bytes.data(), gMemoryMgr->LockHandle(h), bytes.size());
  gMemoryMgr->UnlockHandle(h);
  return bytes;
}

TEST_F(ControlServices, APictPictureRoundTripsThroughTheClipboard) {
  Tbx::ZeroScrap();
  VClipboard clipboard;
  // A header in this machine's order: size, top, left, bottom, right; then
  // picture bytes.
  int16_t header[5] = {14, 0, 0, 20, 30};
  std::vector<uint8_t> bytes(sizeof header);
  std::memcpy(bytes.data(), header, sizeof header);
  bytes.insert(bytes.end(), {0x00, 0x11, 0x02, 0xFF});
  VPictPictureData picture(bytes.data(), uint32_t(bytes.size()));
  ASSERT_TRUE(clipboard.PutPicture(picture));
  // On the clipboard big-endian, as every program reads a PICT.
  std::vector<uint8_t> big = {0, 14, 0, 0, 0, 0, 0, 20, 0, 30, 0x00, 0x11, 0x02, 0xFF};
  const VMemHandle stored = clipboard.GetData(kFlavorPICT);
  EXPECT_EQ(HandleBytes(stored), big);
  gMemoryMgr->DisposeHandle(stored);
  VPictureData* back = clipboard.GetPicture();
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->GetPictureKind(), kPictureKindPICT);
  EXPECT_EQ(back->GetKind(), 10);
  EXPECT_EQ(back->GetWidth(), 30);
  EXPECT_EQ(back->GetHeight(), 20);
  EXPECT_EQ(HandleBytes(back->GetHandle()), bytes);
  delete back;
  // Another program's PICT of 23 by 15 pastes at its size.
  big[7] = 15;
  big[9] = 23;
  ASSERT_TRUE(clipboard.PutData(kFlavorPICT, big.data(), int32_t(big.size())));
  std::unique_ptr<VPictureData> other(clipboard.GetPicture());
  ASSERT_NE(other, nullptr);
  EXPECT_EQ(other->GetWidth(), 23);
  EXPECT_EQ(other->GetHeight(), 15);
  Tbx::ZeroScrap();
}

TEST_F(ControlServices, AMetafilePictureIsPutAsItsPict) {
  Tbx::ZeroScrap();
  VClipboard clipboard;
  HDC recorder = CreateEnhMetaFileA(nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(recorder, nullptr);
  SelectObject(recorder, GetStockObject(BLACK_BRUSH));
  Rectangle(recorder, 0, 0, 24, 12);
  VEmfPictureData emf(CloseEnhMetaFile(recorder), true);
  ASSERT_TRUE(emf.HasData());
  ASSERT_TRUE(clipboard.PutPicture(emf));
  std::unique_ptr<VPictureData> back(clipboard.GetPicture());
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->GetPictureKind(), kPictureKindPICT);
  EXPECT_EQ(back->GetWidth(), emf.GetWidth());
  EXPECT_EQ(back->GetHeight(), emf.GetHeight());
  Tbx::ZeroScrap();
}

TEST_F(ControlServices, AnEmptyPictureIsNotPut) {
  Tbx::ZeroScrap();
  VClipboard clipboard;
  VPictPictureData empty;
  EXPECT_FALSE(clipboard.PutPicture(empty));
  EXPECT_FALSE(clipboard.HasData(kFlavorPICT));
  EXPECT_EQ(clipboard.GetPicture(), nullptr);
}

}  // namespace
