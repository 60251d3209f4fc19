// Tests of the metafile port: a recorded drawing played back gives the
// pixels of the same drawing made directly; the picture's frame, reference
// device and description; recordings refused, ended and empty.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "graphics/GraphicsHooks.h"
#include "graphics/VMetafilePort.h"
#include "graphics/VRegion.h"
#include "graphics/VShape.h"
#include "graphics/tests/GraphicsTestSupport.h"
#include "platform/gdi/GdiExtra.h"
#include "platform/gdi/WinGdiMetafile.h"

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGreen = RGB(0, 160, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

// Record types of the enhanced-metafile format that the tests look for.
constexpr uint32_t kRecordHeader = 1;
constexpr uint32_t kRecordEof = 14;
constexpr uint32_t kRecordSetWindowOrg = 10;
constexpr uint32_t kRecordSelectPalette = 48;
constexpr uint32_t kRecordRealizePalette = 52;

void UseFont(VPort& port, const char* face, double size) {
  VStr<80> name;
  name.SetChars(face, 0, int32_t(std::strlen(face)), kCharSetAnsi);
  port.SetFontName(name);
  port.SetFontSize(size, false);
}

void DrawText(VPort& port, const char* text) {
  VStr<80> s;
  s.SetChars(text, 0, int32_t(std::strlen(text)), kCharSetAnsi);
  port.DrawString(s);
}

// One drawing of every kind, placed at (ox, oy) in port coordinates:
// solid, patterned and hatched fills, framed boxes, thin, wide and patterned
// pens, a not-xor pen, clips by rectangle and by an oval region, and text
// drawn transparent and opaque, from UTF-16 and from bytes.
void DrawScene(VPort& port, int32_t ox, int32_t oy) {
  port.SetFillColor(kRed);
  port.PaintRect(ox + 2, oy + 3, 40, 25);

  port.SetFillColor(kBlue);
  port.SetFillPatternIndex(3);  // 50 % grey: a pattern brush
  port.PaintRect(ox + 46, oy + 3, 30, 25);
  const uint8_t hatch[8] = {0x00, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x00, 0xFF};
  port.SetFillPattern(hatch);
  port.PaintRect(ox + 80, oy + 3, 30, 25);
  const uint8_t odd[8] = {0xC3, 0x81, 0x18, 0x3C, 0x3C, 0x18, 0x81, 0xC3};
  port.SetFillPattern(odd);
  port.SetBackColor(RGB(250, 240, 200));
  port.PaintAndFrameRect(ox + 114, oy + 3, 30, 25);
  port.SetBackColorIndex(0);

  port.SetFillPatternIndex(6);
  port.SetPenColor(kGreen);
  port.SetPenWidth(3);
  port.DrawLine(ox + 4, oy + 34, ox + 70, oy + 50);
  port.SetPenWidth(1);
  port.DrawLine(ox + 4, oy + 54, ox + 70, oy + 38);
  const int32_t steps[] = {10, 0, 0, 8, -10, 0, 0, 0};
  port.DrawPolyLineBy(ox + 75, oy + 36, steps);
  const uint8_t dots[8] = {0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55};
  port.SetPenPattern(dots);
  port.SetPenWidth(2);
  port.DrawLine(ox + 90, oy + 36, ox + 140, oy + 56);
  port.SetPenPatternIndex(6);
  port.SetPenWidth(1);
  port.SetPenMode(2);
  port.SetPenColor(RGB(0, 0, 0));
  port.DrawLine(ox + 0, oy + 15, ox + 150, oy + 15);
  port.SetPenMode(0);

  port.PaintVRectChecked(VRect(ox + 120, oy + 60, 24, 16));

  // Clip regions are in device pixels: the oval is placed through the
  // port's origin.
  port.PushClip(false);
  VRegion oval(VOval{}, VRect(ox + port.GetOriginX() + 4, oy + port.GetOriginY() + 58, 50, 30));
  port.ClipToRegion(oval, true);
  port.SetFillColor(kGreen);
  port.PaintRect(ox, oy + 55, 60, 40);
  port.PopClip();

  port.PushClip(false);
  port.ClipToRect(VRect(ox + 62, oy + 60, 20, 12), true);
  port.SetPenColor(kBlue);
  port.SetPenWidth(4);
  port.DrawLine(ox + 58, oy + 58, ox + 90, oy + 80);
  port.SetPenWidth(1);
  port.PopClip();

  UseFont(port, "Arial", 12);
  port.SetTextColor(RGB(40, 40, 160));
  port.MoveTo(ox + 4, oy + 102, true);
  DrawText(port, "Metafile 123");
  port.SetTextMode(0);
  port.SetBackColor(RGB(255, 255, 0));
  UseFont(port, "Times New Roman", 11);
  port.SetBold(true);
  port.MoveTo(ox + 90, oy + 102, true);
  DrawText(port, "Wg,!");
  // Byte text, which a metafile takes one character at a time.
  port.SetTextMode(1);
  UseFont(port, "Courier New", 10);
  port.MoveTo(ox + 84, oy + 90, true);
  port.DrawTextRun("Ansi", 4, kTextAnsi);
}

// The records of a metafile's bits, by type, walked from the header to the
// end; empty when a record's size does not fit what remains.
std::vector<uint32_t> RecordTypes(const std::vector<uint8_t>& bits) {
  std::vector<uint32_t> types;
  size_t at = 0;
  while (at + 8 <= bits.size()) {
    uint32_t type = 0, size = 0;
    std::memcpy(&type, bits.data() + at, 4);
    std::memcpy(&size, bits.data() + at + 4, 4);
    if (size < 8 || size % 4 != 0 || size > bits.size() - at) return {};
    types.push_back(type);
    at += size;
  }
  if (at != bits.size()) return {};
  return types;
}

std::vector<uint8_t> Bits(HENHMETAFILE metafile) {
  const UINT size = GetEnhMetaFileBits(metafile, 0, nullptr);
  std::vector<uint8_t> bits(size);
  if (size != 0) {
    EXPECT_EQ(GetEnhMetaFileBits(metafile, size, bits.data()), size);
  }
  return bits;
}

ENHMETAHEADER Header(HENHMETAFILE metafile) {
  ENHMETAHEADER header{};
  EXPECT_EQ(GetEnhMetaFileHeader(metafile, sizeof(header), &header), sizeof(header));
  return header;
}

bool Contains(const std::vector<uint32_t>& types, uint32_t type) {
  for (uint32_t t : types) {
    if (t == type) return true;
  }
  return false;
}

HDC gPortDC = nullptr;
HDC TestPortDC() { return gPortDC; }

const VPortDCProc kTestPortDC{&TestPortDC};

}  // namespace

TEST(VMetafilePort, PlaybackGivesThePixelsOfTheDirectDrawing) {
  constexpr int32_t kW = 160, kH = 112;
  Canvas direct(kW, kH), played(kW, kH), untouched(kW, kH);
  direct.FillNoise();
  played.FillNoise();
  untouched.FillNoise();
  {
    VPort port(direct.dc());
    DrawScene(port, 0, 0);
  }
  VMetafilePort recorder(nullptr, 0, 0, kW, kH);
  ASSERT_TRUE(recorder.IsRecording());
  DrawScene(recorder, 0, 0);
  HENHMETAFILE metafile = recorder.EndRecording();
  ASSERT_NE(metafile, nullptr);
  const RECT rect{0, 0, kW, kH};
  ASSERT_TRUE(PlayEnhMetaFile(played.dc(), metafile, &rect));
  EXPECT_EQ(played.Pixels(), direct.Pixels());
  // The drawing covers much of the canvas, text included.
  EXPECT_GT(direct.CountAll(kRed), 500);
  EXPECT_NE(direct.Pixels(), untouched.Pixels());
  EXPECT_LT(direct.InkBox(kWhite).bottom, kH + 1);
  DeleteEnhMetaFile(metafile);
}

TEST(VMetafilePort, PictureOfAnAreaAwayFromTheOriginPlaysIntoItsRectangle) {
  constexpr int32_t kX = 37, kY = 21, kW = 150, kH = 110;
  Canvas direct(kW, kH), played(kW, kH);
  direct.FillNoise();
  played.FillNoise();
  {
    VPort port(direct.dc());
    port.PushOrigin(-kX, -kY);
    DrawScene(port, kX, kY);
  }
  VMetafilePort recorder(nullptr, kX, kY, kW, kH);
  DrawScene(recorder, kX, kY);
  HENHMETAFILE metafile = recorder.EndRecording();
  ASSERT_NE(metafile, nullptr);
  const std::vector<uint32_t> types = RecordTypes(Bits(metafile));
  ASSERT_FALSE(types.empty());
  EXPECT_FALSE(Contains(types, kRecordSetWindowOrg));
  const RECT rect{0, 0, kW, kH};
  ASSERT_TRUE(PlayEnhMetaFile(played.dc(), metafile, &rect));
  EXPECT_EQ(played.Pixels(), direct.Pixels());
  DeleteEnhMetaFile(metafile);
}

TEST(VMetafilePort, DrawingOutsideTheAreaIsNotRecorded) {
  VMetafilePort recorder(nullptr, 10, 10, 40, 30);
  recorder.SetFillColor(kRed);
  recorder.PaintRect(0, 0, 100, 100);
  HENHMETAFILE metafile = recorder.EndRecording();
  ASSERT_NE(metafile, nullptr);
  Canvas canvas(100, 100);
  const RECT rect{20, 20, 60, 50};
  ASSERT_TRUE(PlayEnhMetaFile(canvas.dc(), metafile, &rect));
  EXPECT_EQ(canvas.CountAll(kRed), 40 * 30);
  const RECT ink = canvas.InkBox(kWhite);
  EXPECT_EQ(ink.left, 20);
  EXPECT_EQ(ink.top, 20);
  EXPECT_EQ(ink.right, 60);
  EXPECT_EQ(ink.bottom, 50);
  DeleteEnhMetaFile(metafile);
}

TEST(VMetafilePort, FrameIsTheAreaInHundredthsOfAMillimetreOfTheReference) {
  HDC screen = GetDC(nullptr);
  const int32_t horzSize = GetDeviceCaps(screen, HORZSIZE);
  const int32_t vertSize = GetDeviceCaps(screen, VERTSIZE);
  const int32_t horzRes = GetDeviceCaps(screen, HORZRES);
  const int32_t vertRes = GetDeviceCaps(screen, VERTRES);
  VMetafilePort recorder(screen, 0, 0, 100, 50);
  HENHMETAFILE metafile = recorder.EndRecording();
  ASSERT_NE(metafile, nullptr);
  const ENHMETAHEADER header = Header(metafile);
  EXPECT_EQ(header.rclFrame.left, 0);
  EXPECT_EQ(header.rclFrame.top, 0);
  EXPECT_EQ(header.rclFrame.right, 100 * (horzSize * 100) / horzRes);
  EXPECT_EQ(header.rclFrame.bottom, 50 * (vertSize * 100) / vertRes);
  // The 96-dpi screen of 1280 x 1024 pixels, 338 x 270 mm.
  EXPECT_EQ(header.rclFrame.right, 2640);
  EXPECT_EQ(header.rclFrame.bottom, 1318);
  EXPECT_EQ(header.szlDevice.cx, horzRes);
  EXPECT_EQ(header.szlDevice.cy, vertRes);
  EXPECT_EQ(header.szlMillimeters.cx, horzSize);
  EXPECT_EQ(header.szlMillimeters.cy, vertSize);
  DeleteEnhMetaFile(metafile);
  ReleaseDC(nullptr, screen);
}

TEST(VMetafilePort, FrameOnAPrinterTruncatesEachEdge) {
  HDC printer = NewPrinterInfoDC(300);  // 2400 x 3000 pixels, 203 x 254 mm
  ASSERT_NE(printer, nullptr);
  ASSERT_EQ(GetDeviceCaps(printer, HORZSIZE), 203);
  ASSERT_EQ(GetDeviceCaps(printer, VERTSIZE), 254);
  VMetafilePort recorder(printer, 12, 7, 300, 150);
  HENHMETAFILE metafile = recorder.EndRecording();
  ASSERT_NE(metafile, nullptr);
  const ENHMETAHEADER header = Header(metafile);
  EXPECT_EQ(header.rclFrame.left, 101);     // 12 x 20300 / 2400 = 101.5
  EXPECT_EQ(header.rclFrame.top, 59);       // 7 x 25400 / 3000 = 59.26
  EXPECT_EQ(header.rclFrame.right, 2639);   // 312 x 20300 / 2400 = 2639.0
  EXPECT_EQ(header.rclFrame.bottom, 1329);  // 157 x 25400 / 3000 = 1329.26
  EXPECT_EQ(header.szlDevice.cx, 2400);
  EXPECT_EQ(header.szlDevice.cy, 3000);
  DeleteEnhMetaFile(metafile);
  DeleteDC(printer);
}

TEST(VMetafilePort, DescriptionNamesTheApplicationAndThePicture) {
  VMetafilePort recorder(nullptr, 0, 0, 10, 10);
  HENHMETAFILE metafile = recorder.EndRecording();
  ASSERT_NE(metafile, nullptr);
  const std::vector<uint8_t> bits = Bits(metafile);
  const ENHMETAHEADER header = Header(metafile);
  const std::u16string expected(u"Qvbase\0Temporary picture\0\0", 26);
  ASSERT_EQ(header.nDescription, expected.size());
  ASSERT_LE(header.offDescription + 2 * expected.size(), bits.size());
  std::u16string stored(expected.size(), u'\0');
  std::memcpy(stored.data(), bits.data() + header.offDescription, 2 * expected.size());
  EXPECT_EQ(stored, expected);
  DeleteEnhMetaFile(metafile);
}

TEST(VMetafilePort, WithoutAReferenceTheCurrentPortsDCIsTheReference) {
  gPortDC = NewPrinterInfoDC(300);
  ASSERT_NE(gPortDC, nullptr);
  VPortDCService::Install(&kTestPortDC);
  VMetafilePort recorder(nullptr, 0, 0, 240, 300);
  HENHMETAFILE metafile = recorder.EndRecording();
  VPortDCService::Remove(&kTestPortDC);
  ASSERT_NE(metafile, nullptr);
  const ENHMETAHEADER header = Header(metafile);
  EXPECT_EQ(header.szlDevice.cx, 2400);
  EXPECT_EQ(header.szlDevice.cy, 3000);
  EXPECT_EQ(header.rclFrame.right, 240 * 20300 / 2400);
  EXPECT_EQ(header.rclFrame.bottom, 300 * 25400 / 3000);
  DeleteEnhMetaFile(metafile);
  DeleteDC(gPortDC);
  gPortDC = nullptr;
}

TEST(VMetafilePort, ReferenceWithAColourTableGivesThePictureItsPalette) {
  // The device colour count is read at the first attach; a true-colour port
  // reads it first so that the palette reference does not decide it.
  Canvas canvas(4, 4);
  { VPort first(canvas.dc()); }
  ASSERT_TRUE(GdiExtraAddPrinter("Palette printer", 96, 96, 1280, 1024, 256));
  HDC reference = CreateICA("winspool", "Palette printer", nullptr, nullptr);
  ASSERT_NE(reference, nullptr);
  ASSERT_EQ(GetDeviceCaps(reference, NUMCOLORS), 256);
  VMetafilePort recorder(reference, 0, 0, 20, 20);
  recorder.SetFillColor(kRed);
  recorder.PaintRect(0, 0, 5, 5);
  HENHMETAFILE metafile = recorder.EndRecording();
  ASSERT_NE(metafile, nullptr);
  const std::vector<uint32_t> types = RecordTypes(Bits(metafile));
  EXPECT_TRUE(Contains(types, kRecordSelectPalette));
  EXPECT_TRUE(Contains(types, kRecordRealizePalette));
  DeleteEnhMetaFile(metafile);
  DeleteDC(reference);
}

TEST(VMetafilePort, TrueColourReferenceRecordsNoPalette) {
  VMetafilePort recorder(nullptr, 0, 0, 20, 20);
  HENHMETAFILE metafile = recorder.EndRecording();
  ASSERT_NE(metafile, nullptr);
  const std::vector<uint32_t> types = RecordTypes(Bits(metafile));
  ASSERT_FALSE(types.empty());
  EXPECT_FALSE(Contains(types, kRecordSelectPalette));
  EXPECT_FALSE(Contains(types, kRecordRealizePalette));
  DeleteEnhMetaFile(metafile);
}

TEST(VMetafilePort, EndRecordingHandsOverOnceAndLeavesNoDC) {
  VMetafilePort recorder(nullptr, 0, 0, 30, 30);
  EXPECT_TRUE(recorder.IsMetafile());
  EXPECT_NE(recorder.GetCurrentDC(), nullptr);
  HENHMETAFILE metafile = recorder.EndRecording();
  ASSERT_NE(metafile, nullptr);
  EXPECT_FALSE(recorder.IsRecording());
  EXPECT_EQ(recorder.GetCurrentDC(), nullptr);
  EXPECT_EQ(recorder.GetBaseDC(), nullptr);
  EXPECT_EQ(recorder.EndRecording(), nullptr);
  // Drawing on the ended port does nothing.
  recorder.PaintRect(0, 0, 10, 10);
  recorder.DrawLine(0, 0, 10, 10);
  DeleteEnhMetaFile(metafile);
}

TEST(VMetafilePort, DestroyingARecordingPortClosesTheRecording) {
  HDC recordingDC = nullptr;
  {
    VMetafilePort recorder(nullptr, 0, 0, 30, 30);
    recorder.PaintRect(0, 0, 10, 10);
    recordingDC = recorder.GetBaseDC();
    ASSERT_NE(recordingDC, nullptr);
    ASSERT_GT(GetDeviceCaps(recordingDC, HORZRES), 0);
  }
  // The recording DC is gone with the recording.
  EXPECT_EQ(GetDeviceCaps(recordingDC, HORZRES), 0);
}

TEST(VMetafilePort, PlainPortDrawsOnItsDCAndRecordsNothing) {
  Canvas canvas(20, 20);
  VMetafilePort port(canvas.dc());
  EXPECT_TRUE(port.IsMetafile());
  EXPECT_FALSE(port.IsRecording());
  port.SetFillColor(kRed);
  port.PaintRect(2, 2, 5, 5);
  EXPECT_EQ(canvas.CountAll(kRed), 25);
  EXPECT_EQ(port.EndRecording(), nullptr);
  EXPECT_EQ(port.GetCurrentDC(), canvas.dc());
}

TEST(VMetafilePort, EmptyOrUnplaceableAreaIsRefused) {
  struct Area {
    int32_t x, y, w, h;
  };
  const Area areas[] = {{0, 0, 0, 10},          {0, 0, 10, 0},         {0, 0, -5, 10},
                        {0, 0, 10, -1},         {INT32_MAX - 10, 0, 100, 10},
                        {0, INT32_MAX - 2, 10, 5}, {INT32_MIN, 0, 10, 10}};
  for (const Area& a : areas) {
    VMetafilePort recorder(nullptr, a.x, a.y, a.w, a.h);
    EXPECT_FALSE(recorder.IsRecording()) << a.x << " " << a.y << " " << a.w << " " << a.h;
    EXPECT_EQ(recorder.GetCurrentDC(), nullptr);
    recorder.PaintRect(0, 0, 10, 10);
    EXPECT_EQ(recorder.EndRecording(), nullptr);
  }
}

TEST(VMetafilePort, EmptyPictureIsWellFormedAndDrawsNothing) {
  VMetafilePort recorder(nullptr, 5, 5, 40, 20);
  HENHMETAFILE metafile = recorder.EndRecording();
  ASSERT_NE(metafile, nullptr);
  const std::vector<uint8_t> bits = Bits(metafile);
  const ENHMETAHEADER header = Header(metafile);
  EXPECT_EQ(header.dSignature, ENHMETA_SIGNATURE);
  EXPECT_EQ(header.nBytes, bits.size());
  const std::vector<uint32_t> types = RecordTypes(bits);
  ASSERT_GE(types.size(), 2u);
  EXPECT_EQ(types.front(), kRecordHeader);
  EXPECT_EQ(types.back(), kRecordEof);
  EXPECT_EQ(header.nRecords, types.size());

  Canvas canvas(60, 40), untouched(60, 40);
  canvas.FillNoise();
  untouched.FillNoise();
  const RECT rect{0, 0, 40, 20};
  EXPECT_TRUE(PlayEnhMetaFile(canvas.dc(), metafile, &rect));
  EXPECT_EQ(canvas.Pixels(), untouched.Pixels());
  DeleteEnhMetaFile(metafile);
}

TEST(VMetafilePort, PictureBitsRoundTripAndTruncatedBitsAreRefused) {
  VMetafilePort recorder(nullptr, 0, 0, 60, 40);
  DrawScene(recorder, 0, 0);
  HENHMETAFILE metafile = recorder.EndRecording();
  ASSERT_NE(metafile, nullptr);
  const std::vector<uint8_t> bits = Bits(metafile);
  ASSERT_GT(bits.size(), sizeof(ENHMETAHEADER));

  HENHMETAFILE copy = SetEnhMetaFileBits(UINT(bits.size()), bits.data());
  ASSERT_NE(copy, nullptr);
  Canvas first(60, 40), second(60, 40);
  const RECT rect{0, 0, 60, 40};
  EXPECT_TRUE(PlayEnhMetaFile(first.dc(), metafile, &rect));
  EXPECT_TRUE(PlayEnhMetaFile(second.dc(), copy, &rect));
  EXPECT_EQ(first.Pixels(), second.Pixels());
  DeleteEnhMetaFile(copy);

  EXPECT_EQ(SetEnhMetaFileBits(UINT(bits.size() - 4), bits.data()), nullptr);
  EXPECT_EQ(SetEnhMetaFileBits(UINT(sizeof(ENHMETAHEADER) - 1), bits.data()), nullptr);
  DeleteEnhMetaFile(metafile);
}
