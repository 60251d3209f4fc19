// Shared by the pane tests: a look with 16-pixel bars and boxes coloured by
// element, a document view that counts its layouts, rulers, and a headless
// 400 x 400 window holding a root pane.
#pragma once

#include <gtest/gtest.h>

#include "views/VPaneView.h"
#include "views/VScrollBar.h"
#include "views/VSplitter.h"
#include "views/tests/ScrollTestSupport.h"
#include "graphics/VLookPainter.h"
#include "graphics/VPort.h"

class PaneLook : public VLookPainter {
 public:
  bool DrawElement(VPort& port, int32_t kind, int32_t state, int32_t x, int32_t y, int32_t w,
                   int32_t h, const VString*, int32_t) override {
    port.SetFillPatternIndex(6);
    port.SetFillColorRGB(static_cast<uint8_t>(kind * 9), static_cast<uint8_t>(100 + state), 90);
    port.PaintRect(x, y, w, h);
    return true;
  }
  COLORREF GetColor(int32_t index) override {
    if (index == 10) return RGB(0, 0, 0);
    return RGB(index, 200, 200);
  }
  bool GetFont(HDC, int32_t, VString&, int16_t&, uint8_t&, uint8_t&) override { return false; }
  int32_t GetMetric(int32_t id) override {
    const int32_t metrics[] = {1, 0, 16, 10, 0};
    return id >= 0 && id < 5 ? metrics[id] : 0;
  }
};

// A 1000 x 1000 document of 10-pixel cells, each its own colour; only the
// visible cells are drawn.
class DocView : public VScrolledView {
 public:
  explicit DocView(VFrame* parent) : VScrolledView(parent) { SetContentSize(1000, 1000, false, 0); }
  void DrawContent(VPort& port) override {
    port.SetFillPatternIndex(6);
    const int x0 = GetScrollX() / 10, y0 = GetScrollY() / 10;
    for (int y = y0; y < 100 && y <= y0 + GetHeight() / 10 + 1; ++y) {
      for (int x = x0; x < 100 && x <= x0 + GetWidth() / 10 + 1; ++x) {
        port.SetFillColorRGB(static_cast<uint8_t>(y * 2), static_cast<uint8_t>(x * 2),
                             static_cast<uint8_t>(255 - y));
        port.PaintRect(x * 10, y * 10, 10, 10);
      }
    }
  }
  void GetVerticalBarState(int32_t& value, int32_t& maximum, int32_t& page) override {
    ++layouts;
    VScrolledView::GetVerticalBarState(value, maximum, page);
  }
  VFrame* Clone(VFrame* newParent, int32_t word) override {
    auto* copy = new DocView(newParent);
    copy->CopyFrom(newParent, *this, word);
    return copy;
  }
  int32_t layouts = 0;
};

// A ruler band: a scrolled view of a fixed thickness.
class RulerView : public VScrolledView {
 public:
  RulerView(VFrame* parent, int32_t w, int32_t h) : VScrolledView(parent) { ResizeTo(w, h, 0); }
  // Marks every 10 pixels of the content, so a scroll shows.
  void DrawContent(VPort& port) override {
    port.SetFillPatternIndex(6);
    port.SetFillColorRGB(250, 250, 120);
    port.PaintRect(GetScrollX(), GetScrollY(), GetWidth(), GetHeight());
    port.SetFillColorRGB(90, 20, 20);
    for (int i = 0; i < 1000; i += 10) {
      if (GetWidth() > GetHeight()) {
        port.PaintRect(i, 0, 1 + i % 30 / 10, GetHeight());
      } else {
        port.PaintRect(0, i, GetWidth(), 1 + i % 30 / 10);
      }
    }
  }
  VFrame* Clone(VFrame* newParent, int32_t word) override {
    auto* copy = new RulerView(newParent, GetWidth(), GetHeight());
    copy->CopyFrom(newParent, *this, word);
    return copy;
  }
};

struct Box {
  int32_t x, y, w, h;
  bool operator==(const Box&) const = default;
};

inline Box BoxOf(const VFrame* f) {
  Box b{};
  f->GetPosition(b.x, b.y);
  b.w = f->GetWidth();
  b.h = f->GetHeight();
  return b;
}

inline std::ostream& operator<<(std::ostream& os, const Box& b) {
  return os << "(" << b.x << ", " << b.y << ", " << b.w << " x " << b.h << ")";
}

constexpr Box kHidden{-1000, -1000, 0, 0};

class PaneTest : public HeadlessWindowTest {
 protected:
  PaneTest() : HeadlessWindowTest(400, 400) {}
  void SetUp() override {
    HeadlessWindowTest::SetUp();
    root_->ResizeTo(400, 400, 0);
    for (int i = 0; i < kLookPainterCount; ++i) {
      saved_[i] = gLookPainters[i];
      gLookPainters[i] = &look_;
    }
    root_->SetLookIndex(2);
  }
  void TearDown() override {
    HeadlessWindowTest::TearDown();
    for (int i = 0; i < kLookPainterCount; ++i) gLookPainters[i] = saved_[i];
  }
  // A pane of the size with both bars and boxes and a document.
  VPaneView* Make(int32_t w, int32_t h, bool bars = true) {
    auto* pane = new VPaneView(root_, bars, bars, bars, bars);
    pane->ResizeTo(w, h, 0);
    doc_ = new DocView(pane);
    pane->SetContentView(doc_, true);
    return pane;
  }
  PaneLook look_;
  VLookPainter* saved_[kLookPainterCount] = {};
  DocView* doc_ = nullptr;
};
