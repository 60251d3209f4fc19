// Shared by the frame, scroll and pane tests: a headless window with a root
// view, the frame services installed, and reads of its update region and
// pixels.
#pragma once

#include <gtest/gtest.h>

#include "views/VFrameServices.h"
#include "views/VWindowView.h"
#include "platform/gdi/WinGdi.h"
#include "platform/win32/WinInput.h"
#include "platform/win32/WinPaint.h"
#include "platform/win32/WinWindowState.h"
#include "platform/win32/WinWindows.h"

class HeadlessWindowTest : public testing::Test {
 protected:
  // The window's client size; fixtures that need another pass it here.
  explicit HeadlessWindowTest(int width = 200, int height = 200) : width_(width), height_(height) {}
  void SetUp() override {
    ResetHeadlessInput();
    ResetHeadlessWindowState();
    VFrameAreaService::Install(&kFrameAreaProc);
    VFrameWindowService::Install(&kFrameWindowProc);
    window_ = CreateHeadlessWindow(width_, height_);
    root_ = new VWindowView(window_);
  }
  void TearDown() override {
    delete root_;
    if (IsWindow(window_)) DestroyWindow(window_);
    VFrameWindowService::Remove(&kFrameWindowProc);
    VFrameAreaService::Remove(&kFrameAreaProc);
  }
  bool Invalid(int x, int y) {
    HRGN r = CreateRectRgn(0, 0, 0, 0);
    GetUpdateRgn(window_, r, FALSE_);
    const bool in = PtInRegion(r, x, y) != 0;
    DeleteObject(r);
    return in;
  }
  COLORREF Pixel(int x, int y) {
    HDC dc = GetDC(window_);
    const COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(window_, dc);
    return c;
  }
  int width_;
  int height_;
  HWND window_ = nullptr;
  VWindowView* root_ = nullptr;
};
