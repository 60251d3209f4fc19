// Shared by the scrolled-view and scroll-bar tests: a stand-in container
// and (from HeadlessWindowTest.h) a headless window with a root view.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/system/environment/VSystemServices.h"
#include "views/VFrameServices.h"
#include "views/VScrollBar.h"
#include "views/VScrolledView.h"
#include "views/VWindowView.h"
#include "views/tests/HeadlessWindowTest.h"
#include "platform/gdi/WinGdi.h"
#include "platform/win32/WinInput.h"
#include "platform/win32/WinPaint.h"
#include "platform/win32/WinWindowState.h"
#include "platform/win32/WinWindows.h"

// Stands in for the container: notes every message and layout as text,
// applies a bar's scroll requests to the bar (as the container does) and
// notes when, in ticks, they came.
class StubOwner : public VView, public VScrollOwner {
 public:
  StubOwner() : VView(nullptr), content(this) { ResizeTo(400, 400, 0); }
  bool NotifyParent(VFrame* sender, int32_t message, intptr_t parameter) override {
    if (message == kMsgFrameLeaving) return false;
    log.push_back(std::to_string(message) + ":" + std::to_string(parameter));
    auto* bar = dynamic_cast<VScrollBar*>(sender);
    if (bar != nullptr && (message == kMsgScrollVertically || message == kMsgScrollHorizontally)) {
      steps.push_back(static_cast<int32_t>(parameter));
      ticks.push_back(VSystemServices::TickCount60());
      bar->SetValue(bar->GetValue() + static_cast<int32_t>(parameter), 0);
    }
    return true;
  }
  void Layout(int32_t mode) override { log.push_back("layout " + std::to_string(mode)); }
  void DrawBarNow(VScrollBar* bar) override { pressed.push_back(bar->GetPressedPart()); }
  VScrolledView* GetContentView() override { return &content; }
  VScrolledView content;
  std::vector<std::string> log;
  std::vector<int32_t> steps;
  std::vector<uint32_t> ticks;
  std::vector<int32_t> pressed;
};
