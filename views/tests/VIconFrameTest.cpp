// The icon frame: the area erased and the icon centred, a lent icon left to
// its owner, an icon made from an id that no file knows drawing nothing.
#include <vector>

#include "framework/core/memory/VMemoryMgr.h"
#include "views/VIconFrame.h"
#include "views/tests/ScrollTestSupport.h"
#include "graphics/VIconShape.h"
#include "graphics/VPort.h"

namespace {

void Put16(std::vector<uint8_t>& b, int32_t v) {
  b.push_back(uint8_t(v >> 8));
  b.push_back(uint8_t(v));
}
void Put32(std::vector<uint8_t>& b, uint32_t v) {
  Put16(b, int32_t(v >> 16));
  Put16(b, int32_t(v & 0xFFFF));
}
void PutBitMap(std::vector<uint8_t>& b) {
  Put32(b, 0);
  Put16(b, 2);
  for (int32_t edge : {0, 0, 4, 4}) Put16(b, edge);
}

// A 4 x 4 colour icon, red where its mask covers the two left columns.
std::vector<uint8_t> RedIcon() {
  std::vector<uint8_t> b;
  Put32(b, 0);
  Put16(b, 0x8000 | 1);
  for (int32_t edge : {0, 0, 4, 4}) Put16(b, edge);
  for (int i = 0; i < 2; ++i) Put16(b, 0);
  for (int i = 0; i < 3; ++i) Put32(b, 0);
  for (int32_t v : {0, 1, 1, 1}) Put16(b, v);
  for (int i = 0; i < 3; ++i) Put32(b, 0);
  PutBitMap(b);
  PutBitMap(b);
  Put32(b, 0);
  for (int32_t r = 0; r < 4; ++r) Put16(b, 0xC000);
  for (int32_t r = 0; r < 4; ++r) Put16(b, 0);
  Put32(b, 0);
  for (int32_t v : {0, 1, 0, 0xFFFF, 0xFFFF, 0xFFFF, 1, 0xFFFF, 0, 0}) Put16(b, v);
  for (int32_t r = 0; r < 4; ++r) b.push_back(0xC0);
  return b;
}

class IconFrames : public HeadlessWindowTest {};

TEST_F(IconFrames, IconIsCentredOnTheErasedArea) {
  const std::vector<uint8_t> bytes = RedIcon();
  VIconShape icon(gMemoryMgr->NewHandleFromData(bytes.data(), uint32_t(bytes.size())), 1);
  root_->ResizeTo(200, 200, 0);
  const struct {
    int32_t w, h;
    int32_t x, y;  // where the icon's corner lands in the frame
  } cases[] = {{20, 10, 8, 3}, {4, 4, 0, 0}, {9, 7, 2, 1}};
  for (const auto& c : cases) {
    HDC dc = GetDC(window_);
    PatBlt(dc, 0, 0, 200, 200, BLACKNESS);
    ReleaseDC(window_, dc);
    {
      VIconFrame frame(root_, &icon);
      frame.MoveTo(30, 40, 0);
      frame.ResizeTo(c.w, c.h, 0);
      frame.Invalidate(2);
      EXPECT_EQ(Pixel(30 + c.x, 40 + c.y), RGB(255, 0, 0)) << c.w;
      EXPECT_EQ(Pixel(30 + c.x + 1, 40 + c.y + 3), RGB(255, 0, 0)) << c.w;
      // Outside the mask and around the icon the area is erased.
      EXPECT_EQ(Pixel(30 + c.x + 2, 40 + c.y), RGB(255, 255, 255)) << c.w;
      EXPECT_EQ(Pixel(30 + c.w - 1, 40 + c.h - 1), RGB(255, 255, 255));
      EXPECT_EQ(Pixel(30 + c.w, 40), RGB(0, 0, 0));
      EXPECT_EQ(Pixel(29, 40), RGB(0, 0, 0));
      EXPECT_FALSE(frame.OwnsIcon());
    }
    // The lent icon outlives the frame.
    EXPECT_NE(icon.GetData(), 0u);
  }
}

TEST_F(IconFrames, AnUnknownIdDrawsOnlyTheErasedArea) {
  root_->ResizeTo(200, 200, 0);
  auto* frame = new VIconFrame(root_, static_cast<int16_t>(-12345));
  EXPECT_TRUE(frame->OwnsIcon());
  ASSERT_NE(frame->GetIcon(), nullptr);
  frame->MoveTo(10, 10, 0);
  frame->ResizeTo(20, 20, 0);
  HDC dc = GetDC(window_);
  PatBlt(dc, 0, 0, 200, 200, BLACKNESS);
  ReleaseDC(window_, dc);
  frame->Invalidate(2);
  for (int y = 10; y < 30; y += 3) {
    for (int x = 10; x < 30; x += 3) EXPECT_EQ(Pixel(x, y), RGB(255, 255, 255));
  }
}

}  // namespace
