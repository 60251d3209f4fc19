// Tasks without a process: states, frames, posted objects, idle ticks, the
// plug-in owner's commands, and a process window's stack and delays.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "boundary/HostRecords.h"
#include "boundary/HostServiceSelectors.h"
#include "framework/core/strings/VUniString.h"
#include "framework/system/environment/VSystemServices.h"
#include "views/VFrame.h"
#include "views/VProcessWindow.h"
#include "views/VTask.h"
#include "host/callback/HostCallback.h"
#include "platform/win32/WinTime.h"

namespace {

// A task that counts its idle passes and answers messages by their sum.
class CountingTask : public VTask {
 public:
  CountingTask() = default;
  explicit CountingTask(VFrame* owner) : VTask(owner) {}
  void Delay(int32_t) override {}
  void Pause() override {}
  bool Start() override { return false; }
  void Resume() override {}
  void Idle() override { ++idles; }
  bool HandleMessage(intptr_t a, intptr_t b, intptr_t c) override { return a + b + c == 6; }
  int idles = 0;
};

class IdleFrame : public VFrame {
 public:
  explicit IdleFrame(uint32_t kind = 0) : VFrame(nullptr, nullptr), fKind(kind) {}
  uint32_t GetKind() const override { return fKind; }
  void DispatchIdle(bool flag) override { seen.push_back(flag); }
  VCommand* FindCommand(int32_t id) override {
    asked.push_back(id);
    return nullptr;
  }
  std::vector<bool> seen;
  std::vector<int32_t> asked;

 private:
  uint32_t fKind;
};

std::vector<std::pair<int32_t, int32_t>> gCalls;  // selector, first parameter

void Record(int32_t selector, HostParamBlock* block) {
  gCalls.emplace_back(selector, HostWordOf(block->param1));
  if (selector == kHostSelCurrentProcess) block->param1 = 7;
}

class Tasks : public testing::Test {
 protected:
  void SetUp() override {
    previous = GetHostCallback();
    SetHostCallback(&Record);
    gCalls.clear();
  }
  void TearDown() override {
    SetHostCallback(previous);
    ReleaseHeadlessTickCount();
  }
  HostCallback previous = nullptr;
};

TEST_F(Tasks, StatesFramesAndPostedObjects) {
  CountingTask plain;
  IdleFrame owner;
  CountingTask owned(&owner);
  EXPECT_EQ(plain.GetState(), 2);
  EXPECT_EQ(owned.GetState(), 0);
  EXPECT_EQ(owned.GetIdleInterval(), VSystemServices::GetCaretBlinkTime());
  owned.Close();
  EXPECT_EQ(owned.GetState(), kTaskEnded);
  EXPECT_TRUE(owned.SendMessage(99, 1, 2, 3));
  EXPECT_FALSE(owned.SendMessage(1, 2, 3, 4));

  IdleFrame a, b;
  owned.AddFrame(&a);
  owned.AddFrame(&b);
  owned.AddFrame(nullptr);
  EXPECT_EQ(owned.CountFrames(), 2);
  EXPECT_EQ(owned.GetFrame(2), &b);
  EXPECT_EQ(owned.GetFrame(0), nullptr);
  EXPECT_EQ(owned.GetFrame(3), nullptr);
  owned.RemoveFrame(&a);
  owned.RemoveFrame(&a);
  EXPECT_FALSE(owned.HasFrame(&a));
  EXPECT_EQ(owned.GetFrame(1), &b);

  VPendingReply first(1, 2, 3, 0), second(4, 5, 6, 1);
  EXPECT_EQ(owned.TakePosted(), nullptr);
  owned.Post(&first);
  owned.Post(&second);
  EXPECT_EQ(owned.TakePosted(), &first);
  EXPECT_EQ(owned.TakePosted(), &second);
  EXPECT_EQ(owned.TakePosted(), nullptr);
}

TEST_F(Tasks, TickIdlesOnlyAfterTheInterval) {
  CountingTask task;
  IdleFrame shown, hidden;
  hidden.SetVisible(false);
  task.AddFrame(&shown);
  task.AddFrame(&hidden);
  task.SetIdleInterval(10);
  struct Step {
    uint64_t milliseconds;
    bool idles;
  } steps[] = {{100000, true}, {100100, false}, {100166, false}, {100184, true}, {100200, false}};
  int expected = 0;
  for (const Step& s : steps) {
    FreezeHeadlessTickCount(s.milliseconds);
    EXPECT_EQ(task.Tick(), s.idles) << s.milliseconds;
    expected += s.idles ? 1 : 0;
    EXPECT_EQ(task.idles, expected) << s.milliseconds;
  }
  // Only the shown frame idles, with false.
  EXPECT_EQ(shown.seen, std::vector<bool>(2, false));
  EXPECT_TRUE(hidden.seen.empty());
}

TEST_F(Tasks, OnlyAPlugInOwnerIsAskedForCommands) {
  IdleFrame plugIn(0x504C5547), other(0x54455854);
  CountingTask a(&plugIn), b(&other), none;
  EXPECT_EQ(a.FindCommand(12), nullptr);
  EXPECT_EQ(b.FindCommand(13), nullptr);
  EXPECT_EQ(none.FindCommand(14), nullptr);
  EXPECT_EQ(plugIn.asked, std::vector<int32_t>{12});
  EXPECT_TRUE(other.asked.empty());
}

TEST_F(Tasks, ProcessWindowDefaultsAndHostRequests) {
  VStr<255> title;
  title.SetAnsiCText("Palette");
  VProcessWindow window(nullptr, &title, 0, true);
  EXPECT_EQ(window.GetStackSize(), 16000u);
  EXPECT_EQ(window.GetStarterProcess(), 7u);
  VProcessWindow sized(nullptr, nullptr, 30000, false);
  EXPECT_EQ(sized.GetStackSize(), 30000u);

  // Delays go to the host in ticks; with no process they name the current one.
  gCalls.clear();
  window.Delay(1000);
  ASSERT_FALSE(gCalls.empty());
  EXPECT_EQ(gCalls.back().first, kHostSelDelayProcess);
  EXPECT_EQ(gCalls.back().second, 7);
  // Closing a window without a process only marks it.
  gCalls.clear();
  window.Close();
  EXPECT_EQ(window.GetState(), kTaskEnded);
  EXPECT_TRUE(gCalls.empty());
}

}  // namespace
