// The Toolbox emulation's picture recording: metafiles played into an open
// picture come back, through the PICT interpreter, as the same pixels.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/gdi/WinGdi.h"
#include "platform/gdi/WinGdiMetafile.h"
#include "platform/gdi/pict/PictInterpreter.h"
#include "platform/tests/GdiTestCanvas.h"
#include "platform/toolbox/TbxPictures.h"

namespace {

// A metafile of w x h with a red rectangle and a black one.
HENHMETAFILE TestMetafile(int w, int h) {
  const RECT frame{0, 0, w * 2540 / 96, h * 2540 / 96};
  HDC dc = CreateEnhMetaFileA(nullptr, nullptr, &frame, nullptr);
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  HGDIOBJ old = SelectObject(dc, red);
  PatBlt(dc, 1, 1, 4, 3, PATCOPY);
  SelectObject(dc, GetStockObject(BLACK_BRUSH));
  PatBlt(dc, 3, 2, w - 3, h - 2, PATCOPY);
  SelectObject(dc, old);
  DeleteObject(red);
  return CloseEnhMetaFile(dc);
}

std::vector<uint8_t> Bytes(Tbx::Handle h) {
  std::vector<uint8_t> out(static_cast<size_t>(Tbx::GetHandleSize(h)));
  if (!out.empty()) std::memcpy(out.data(), Tbx::HLock(h), out.size());
  Tbx::HUnlock(h);
  return out;
}

}  // namespace

TEST(TbxPictures, APlayedMetafileComesBackAsItsPixels) {
  constexpr int kW = 8, kH = 6;
  HENHMETAFILE emf = TestMetafile(kW, kH);
  ASSERT_NE(emf, nullptr);
  Canvas direct(kW, kH);
  const RECT whole{0, 0, kW, kH};
  ASSERT_TRUE(PlayEnhMetaFile(direct.dc(), emf, &whole));
  // The same frame at the origin and moved: the picture keeps its frame.
  for (const Tbx::Rect frame : {Tbx::Rect{0, 0, kH, kW}, Tbx::Rect{20, 30, 20 + kH, 30 + kW}}) {
    const Tbx::Handle pict = Tbx::OpenPicture(&frame);
    ASSERT_NE(pict, 0u);
    EXPECT_TRUE(Tbx::PlayMetafileIntoPicture(emf, &frame));
    Tbx::ClosePicture();
    const std::vector<uint8_t> bytes = Bytes(pict);
    ASSERT_GT(bytes.size(), 10u);
    EXPECT_EQ((bytes[0] << 8 | bytes[1]), int(bytes.size() & 0xFFFF));
    EXPECT_EQ((bytes[2] << 8 | bytes[3]), frame.top);
    EXPECT_EQ((bytes[8] << 8 | bytes[9]), frame.right);
    Canvas back(kW, kH);
    ASSERT_TRUE(PlayPict(back.dc(), bytes.data(), uint32_t(bytes.size()), &whole)) << frame.top;
    std::string first;
    EXPECT_EQ(back.Differences(direct, &first), 0) << first;
    EXPECT_EQ(back.At(1, 1), 0xFF0000u);
    Tbx::DisposeHandle(pict);
  }
  DeleteEnhMetaFile(emf);
}

TEST(TbxPictures, OnePictureAtATimeAndOnlyOfAFrameThatFits) {
  const Tbx::Rect frame{0, 0, 4, 4};
  EXPECT_FALSE(Tbx::PlayMetafileIntoPicture(nullptr, &frame));
  const Tbx::Rect refused[] = {{0, 0, 0, 4}, {5, 0, 4, 4}, {0, 0, 4, Tbx::kPictureMaxWidth + 1}};
  for (const Tbx::Rect& r : refused)
    EXPECT_EQ(Tbx::OpenPicture(&r), 0u) << r.bottom << " " << r.right;
  EXPECT_EQ(Tbx::OpenPicture(nullptr), 0u);
  const Tbx::Handle pict = Tbx::OpenPicture(&frame);
  ASSERT_NE(pict, 0u);
  EXPECT_EQ(Tbx::OpenPicture(&frame), 0u);
  Tbx::ClosePicture();
  // Nothing played: a white picture, which a second close leaves alone.
  const std::vector<uint8_t> bytes = Bytes(pict);
  Tbx::ClosePicture();
  EXPECT_EQ(Bytes(pict), bytes);
  Canvas back(4, 4, 0);
  const RECT whole{0, 0, 4, 4};
  ASSERT_TRUE(PlayPict(back.dc(), bytes.data(), uint32_t(bytes.size()), &whole));
  EXPECT_EQ(back.Count(0xFFFFFF), 16);
  Tbx::DisposeHandle(pict);
  const Tbx::Handle next = Tbx::OpenPicture(&frame);
  EXPECT_NE(next, 0u);
  Tbx::ClosePicture();
  Tbx::DisposeHandle(next);
}
