// A floating toolbar's messages through the stand-in host: from the
// toolbar's own process they reach the dock at once; from another process
// they wait as a pending reply that the toolbar answers at the dock's idle,
// which the host runs while the main process waits.
#include <gtest/gtest.h>

#include <memory>
#include <utility>
#include <vector>

#include "controls/bars/BarResources.h"
#include "controls/bars/VToolBarItem.h"
#include "controls/bars/VToolBarWindow.h"
#include "host/context/HostProcesses.h"
#include "qvhost/QvHost.h"
#include "qvhost/tests/ProcessHostTestSupport.h"
#include "views/VDockFloatingBarWindow.h"
#include "views/VDockView.h"
#include "views/tests/StoredResourceFile.h"

namespace {

// Notes each message that reaches it and the process it came in.
class RecordingDock : public VDockView {
 public:
  RecordingDock() : VDockView(nullptr) {}
  bool NotifyParent(VFrame* sender, int32_t message, intptr_t parameter) override {
    if (message > 0 || message == kMsgDockBarsChanged)
      seen.push_back({message, parameter, HostGetCurrentProcess()});
    if (message > 0) return message != 666;
    return VDockView::NotifyParent(sender, message, parameter);
  }
  struct Seen {
    int32_t message;
    intptr_t parameter;
    int32_t process;
    bool operator==(const Seen&) const = default;
  };
  std::vector<Seen> seen;
};

// What the asking processes send and what they were answered.
VToolBarItem* gBar = nullptr;
std::vector<std::pair<int32_t, intptr_t>> gQuestions;
std::vector<int> gAnswers;

void AskFromAnotherProcess() {
  const auto question = gQuestions.front();
  gQuestions.erase(gQuestions.begin());
  gAnswers.push_back(gBar->NotifyParent(gBar, question.first, question.second) ? 1 : 0);
}

class FloatingToolBar : public ProcessHostTest {
 protected:
  void SetUp() override {
    VDockFloatingWindowService::Install(&kDockFloatingBarWindowMaker);
    ProcessHostTest::SetUp();
    file_ = std::make_unique<StoredResourceFile>();
    StoredBytes bar;
    bar.U8(kDockTop).U8(kBarFlagShown | kBarFlagGrip).I32(30).I32(0).Title("Tools").U16(0);
    file_->Add(kResTypeToolBar, 300, bar.bytes);
    VResourceFile* file = file_->Open();
    dock_ = new RecordingDock();
    dock_->ResizeTo(300, 200, 0);
    bar_ = new VToolBarItem(dock_, nullptr, file, 300);
    dock_->UndockBar(bar_, true);
    dock_->DockBar(bar_, kDockFloating, 100, 120, true);
    gBar = bar_;
    // The floating window's process waits for events meanwhile: without
    // them the host would end it, and the window would close.
    for (int i = 0; i < 400; ++i) host->QueueEvent(HostEventRecord{0xFFFF, 0, 0, 0, 0, 0});
    host->idlePass = [this] { dock_->DispatchIdle(true); };
  }
  void TearDown() override {
    host->idlePass = nullptr;
    delete dock_;
    gBar = nullptr;
    gQuestions.clear();
    gAnswers.clear();
    file_.reset();
    ProcessHostTest::TearDown();
    VDockFloatingWindowService::Remove(&kDockFloatingBarWindowMaker);
  }
  void Ask(int32_t message, intptr_t parameter) {
    gQuestions.push_back({message, parameter});
    ASSERT_NE(HostNewProcess(&AskFromAnotherProcess, VStr<255>(), 16000, true), 0);
  }
  std::unique_ptr<StoredResourceFile> file_;
  RecordingDock* dock_ = nullptr;
  VToolBarItem* bar_ = nullptr;
};

TEST_F(FloatingToolBar, FloatsInAWindowOfItsOwn) {
  EXPECT_EQ(bar_->GetSide(), kDockFloating);
  auto* window = dynamic_cast<VToolBarWindow*>(bar_->GetParent());
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window->GetToolBar(), bar_);
  EXPECT_EQ(bar_->GetProcess(), 1u);
  EXPECT_FALSE(bar_->IsInOtherProcess());
}

TEST_F(FloatingToolBar, MessagesOfItsOwnProcessGoStraightToTheDock) {
  EXPECT_TRUE(bar_->NotifyParent(bar_, 600, 7));
  EXPECT_FALSE(bar_->NotifyParent(bar_, 666, 0));
  EXPECT_EQ(dock_->seen, (std::vector<RecordingDock::Seen>{{600, 7, 1}, {666, 0, 1}}));
  EXPECT_FALSE(bar_->HasPendingRequest());
}

TEST_F(FloatingToolBar, AnotherProcessWaitsForTheAnswerGivenAtIdle) {
  Ask(600, 7);
  Ask(666, 9);  // a second question while the first is being answered
  RunProcesses();
  EXPECT_TRUE(gQuestions.empty());
  // Both were answered in the toolbar's own process, in turn.
  ASSERT_EQ(dock_->seen.size(), 2u);
  EXPECT_EQ(dock_->seen[0], (RecordingDock::Seen{600, 7, 1}));
  EXPECT_EQ(dock_->seen[1], (RecordingDock::Seen{666, 9, 1}));
  EXPECT_EQ(gAnswers, (std::vector<int>{1, 0}));
  EXPECT_FALSE(bar_->HasPendingRequest());
  EXPECT_EQ(bar_->GetAnswerDepth(), 0);
}

TEST_F(FloatingToolBar, HidingFromAnotherProcessDocksItHidden) {
  Ask(kMsgHideBar, 0);
  RunProcesses();
  EXPECT_EQ(gAnswers, (std::vector<int>{1}));
  EXPECT_EQ(dock_->GetBarSide(bar_), kDockTop);
  EXPECT_EQ(bar_->GetParent(), dock_);
  EXPECT_FALSE(bar_->IsVisible());
  EXPECT_FALSE(bar_->IsDisplayed());
  ASSERT_FALSE(dock_->seen.empty());
  EXPECT_EQ(dock_->seen.back().message, kMsgDockBarsChanged);
  EXPECT_EQ(dock_->seen.back().process, 1);
}

}  // namespace
