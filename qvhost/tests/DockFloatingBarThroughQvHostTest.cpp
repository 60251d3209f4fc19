// A dock's floating bar through the stand-in host: its window runs in a
// host process named after the dock, a click in it reaches the bar through
// that process's loop, and when the host ends the process the dock's next
// idle takes the window away and keeps the bar, hidden.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "boundary/HostSelectors.h"
#include "boundary/HostServiceSelectors.h"
#include "views/VDockFloatingBarWindow.h"
#include "views/VDockView.h"
#include "views/VEvent.h"
#include "views/VWindowView.h"
#include "host/context/HostProcesses.h"
#include "platform/toolbox/TbxEnvironment.h"
#include "platform/toolbox/TbxWindows.h"
#include "qvhost/QvHost.h"
#include "qvhost/tests/ProcessHostTestSupport.h"

namespace {

class ClickedBar : public VDockBar {
 public:
  explicit ClickedBar(VFrame* parent) : VDockBar(parent) { ResizeTo(60, 20, 0); }
  void GetFloatingSize(int32_t& w, int32_t& h) override {
    w = 90;
    h = 30;
  }
  int32_t GetDockedLength(bool) override { return 60; }
  int32_t GetDockedThickness(bool) override { return 20; }
  void SetDockSide(int16_t) override {}
  bool DispatchMouse(VEvent& event) override {
    clicks.push_back(std::to_string(event.GetX()) + "," + std::to_string(event.GetY()));
    return true;
  }
  std::vector<std::string> clicks;
};

// Floating bars' windows are made through the dock's window maker.
class FloatingBarProcess : public ProcessHostTest {
 protected:
  void SetUp() override {
    VDockFloatingWindowService::Install(&kDockFloatingBarWindowMaker);
    ProcessHostTest::SetUp();
  }
  void TearDown() override {
    ProcessHostTest::TearDown();
    VDockFloatingWindowService::Remove(&kDockFloatingBarWindowMaker);
  }
};

TEST_F(FloatingBarProcess, TheBarsWindowRunsInTheDocksProcessUntilTheHostEndsIt) {
  auto* dock = new VDockView(nullptr);
  dock->SetTitle("Tools");
  dock->ResizeTo(300, 200, 0);
  auto* bar = new ClickedBar(dock);
  dock->DockBar(bar, kDockFloating, 100, 120, true);

  auto* floating = dynamic_cast<VDockFloatingBarWindow*>(dock->GetFloatingWindow());
  ASSERT_NE(floating, nullptr);
  EXPECT_EQ(Logged(kHostSelNewProcess),
            std::vector<std::string>{"new process $Tools stack -16000"});
  const uint32_t process = floating->GetProcess();
  ASSERT_NE(process, 0u);
  VWindowView* window = floating->WindowOf(bar);
  ASSERT_NE(window, nullptr);
  const auto reference =
      static_cast<uint32_t>(reinterpret_cast<uintptr_t>(window->GetNativeWindow()));
  EXPECT_EQ(Logged(-92), std::vector<std::string>{"window " + std::to_string(reference) +
                                                  " to process " + std::to_string(process)});

  // A click 10 and 5 pixels into the bar's window, then the host ends the
  // process.
  int32_t left = 0, top = 0, width = 0, height = 0;
  Tbx::GetWindowBounds(window->GetToolboxWindow(), &left, &top, &width, &height);
  EXPECT_EQ(left, 100);
  EXPECT_EQ(top, 120);
  EXPECT_EQ(width, 90);
  EXPECT_EQ(height, 30);
  host->QueueEvent(
      HostEventRecord{1, 0, 0, static_cast<int16_t>(top + 5), static_cast<int16_t>(left + 10), 0});
  host->QueueEvent(HostEventRecord{33, 0, 0, 0, 0, 0});
  EXPECT_LT(RunProcesses(), 200);
  EXPECT_EQ(bar->clicks, std::vector<std::string>{"10,5"});
  EXPECT_EQ(floating->GetProcess(), 0u);
  EXPECT_FALSE(floating->IsOpen());

  dock->Idle(false);
  EXPECT_EQ(dock->GetFloatingWindow(), nullptr);
  EXPECT_EQ(bar->GetParent(), dock);
  EXPECT_FALSE(bar->IsVisible());
  delete dock;
  EXPECT_EQ(host->Processes().CountLive(), 0u);
}

TEST_F(FloatingBarProcess, ADockDeletedWithABarFloatingWaitsForItsProcessToEnd) {
  auto* dock = new VDockView(nullptr);
  auto* bar = new ClickedBar(dock);
  dock->DockBar(bar, kDockFloating, 40, 60, true);
  auto* floating = dynamic_cast<VDockFloatingBarWindow*>(dock->GetFloatingWindow());
  ASSERT_NE(floating, nullptr);
  const auto process = static_cast<int32_t>(floating->GetProcess());
  ASSERT_TRUE(host->Processes().IsLive(process));
  host->QueueNoEvent();
  // The window's close from the main process waits for the loop to end;
  // the bar goes with the dock.
  delete dock;
  EXPECT_FALSE(host->Processes().IsLive(process));
  EXPECT_EQ(host->Processes().CountLive(), 0u);
}

}  // namespace
