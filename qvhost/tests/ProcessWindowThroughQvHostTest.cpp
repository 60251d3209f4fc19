// Process windows run in host processes of the stand-in host: the start
// handshake, the events of the scripted queue reaching the first active
// frame, idle passes, the ways a loop ends (code 33, a close from one of its
// own frames, a close from the starter, an exhausted script) and a host
// that refuses the process. Every test ends with no process left waiting.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "boundary/HostSelectors.h"
#include "boundary/HostServiceSelectors.h"
#include "framework/core/strings/VUniString.h"
#include "views/VEvent.h"
#include "views/VProcessWindow.h"
#include "views/VWindowView.h"
#include "host/context/HostProcesses.h"
#include "platform/toolbox/TbxEnvironment.h"
#include "platform/toolbox/TbxWindows.h"
#include "platform/win32/WinPaint.h"
#include "qvhost/QvHost.h"
#include "qvhost/tests/ProcessHostTestSupport.h"

namespace {

// A window that keeps what reaches it; the key 'q' closes its task from
// within the task's own process.
class SeenView : public VWindowView {
 public:
  SeenView(VWindowDelegate* delegate, std::vector<std::string>& seen, VTask*& task, std::string label)
      : VWindowView(delegate, 5, true, true, false), fSeen(seen), fTask(task), fLabel(std::move(label)) {}
  int32_t HandleKey(VEvent& event) override {
    HostEventRecord record{};
    event.GetHostRecord(record);
    const char c = static_cast<char>(record.message & 0xFF);
    fSeen.push_back(fLabel + "key " + c);
    if (c == 'q' && fTask != nullptr) {
      fTask->Close();
      fSeen.push_back(fTask->GetState() == kTaskEnded ? "closed from a frame" : "close did not mark");
    }
    return 0;
  }
  bool DispatchMouse(VEvent& event) override {
    fSeen.push_back("mouse at " + std::to_string(event.GetX()) + "," + std::to_string(event.GetY()));
    return true;
  }

 private:
  std::vector<std::string>& fSeen;
  VTask*& fTask;
  std::string fLabel;
};

class Delegate : public VWindowDelegate {
 public:
  void Attached(VWindowView*) override {}
  void Detached(VWindowView*) override {}
  VCommand* FindCommand(int32_t) override { return nullptr; }
  bool HandleMessage(VFrame*, int32_t message, intptr_t) override {
    messages.push_back(message);
    return true;
  }
  std::vector<int32_t> messages;
};

// A process window whose OpenWindows makes `count` windows side by side.
class TestWindow : public VProcessWindow {
 public:
  TestWindow(const char* title, uint32_t stack, bool local, int count)
      : VProcessWindow(nullptr, Title(title).get(), stack, local), fCount(count) {
    fSelf = this;
  }
  ~TestWindow() override {
    for (SeenView* view : views) delete view;
  }
  void OpenWindows() override {
    for (int i = 0; i < fCount; ++i) {
      auto* view = new SeenView(&fDelegate, seen, fSelf, fCount > 1 ? std::to_string(i) + ":" : "");
      Tbx::MoveWindow(view->GetToolboxWindow(), static_cast<int16_t>(100 + 300 * i), 100, false);
      Tbx::SizeWindow(view->GetToolboxWindow(), 200, 150, false);
      view->SetVisible(true);
      views.push_back(view);
      AddFrame(view);
    }
    opened = true;
  }
  void Idle() override { ++idles; }
  void Ended() override { ended = true; }
  uint32_t Reference(int i) const {
    return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(views[static_cast<size_t>(i)]->GetNativeWindow()));
  }

  std::vector<std::string> seen;
  std::vector<SeenView*> views;
  bool opened = false;
  bool ended = false;
  int idles = 0;
  Delegate fDelegate;

 private:
  static std::unique_ptr<VStr<255>> Title(const char* text) {
    auto title = std::make_unique<VStr<255>>();
    title->SetAnsiCText(text);
    return title;
  }
  int fCount;
  VTask* fSelf = nullptr;
};

HostEventRecord Key(char c) { return HostEventRecord{3, static_cast<uintptr_t>(c), 0, 0, 0, 0}; }

using ProcessWindows = ProcessHostTest;

TEST_F(ProcessWindows, RunsScriptedEventsToTheActiveFrameAndEndsOnCode33) {
  TestWindow window("Palette", 0, true, 1);
  ASSERT_TRUE(window.Start());
  // The handshake is over: the process has the window and its frames.
  EXPECT_TRUE(window.opened);
  EXPECT_EQ(VProcessHandshake::Registered(), nullptr);
  const uint32_t process = window.GetProcess();
  EXPECT_EQ(process, 2u);
  EXPECT_EQ(Logged(kHostSelNewProcess), std::vector<std::string>{"new process $Palette stack -16000"});
  EXPECT_EQ(Logged(-92), std::vector<std::string>{"window " + std::to_string(window.Reference(0)) + " to process 2"});

  host->activeWindows.insert(window.Reference(0));
  host->QueueNoEvent();
  host->QueueEvent(Key('a'));
  // A click in the content of the front window, 10 and 20 pixels in.
  host->QueueEvent(HostEventRecord{1, 0, 0, 120, 110, 0});
  // The window shown is to be updated; the update empties its region.
  HWND native = window.views[0]->GetNativeWindow();
  RECT dirty{0, 0, 0, 0};
  ASSERT_TRUE(GetUpdateRect(native, &dirty, FALSE_));
  host->QueueEvent(HostEventRecord{6, reinterpret_cast<uintptr_t>(window.views[0]->GetToolboxWindow()), 0, 0, 0, 0});
  host->QueueEvent(HostEventRecord{33, 0, 0, 0, 0, 0});
  host->QueueEvent(Key('z'));  // after code 33: never taken
  EXPECT_LT(RunProcesses(), 200);

  EXPECT_EQ(window.seen, (std::vector<std::string>{"key a", "mouse at 10,20"}));
  EXPECT_EQ(window.idles, 1);
  EXPECT_FALSE(GetUpdateRect(native, &dirty, FALSE_));
  EXPECT_GT(host->CountCalls(kHostSelLook), 0);
  EXPECT_TRUE(window.ended);
  EXPECT_EQ(window.GetState(), kTaskEnded);
  EXPECT_EQ(window.GetProcess(), 0u);
  EXPECT_FALSE(host->Processes().IsLive(static_cast<int32_t>(process)));
  EXPECT_EQ(Logged(-86), std::vector<std::string>{"process 2 ends"});
}

TEST_F(ProcessWindows, TheCloseBoxAsksTheFrameToClose) {
  TestWindow window("Boxed", 0, false, 1);
  ASSERT_TRUE(window.Start());
  Tbx::WindowRef toolbox = window.views[0]->GetToolboxWindow();
  Tbx::Point box{0, 0};
  bool found = false;
  for (int16_t v = 70; v < 100 && !found; ++v)
    for (int16_t h = 90; h < 310 && !found; ++h) {
      Tbx::WindowRef under = nullptr;
      if (Tbx::FindWindow(Tbx::Point{v, h}, &under) == Tbx::inGoAway && under == toolbox) {
        box = Tbx::Point{v, h};
        found = true;
      }
    }
  ASSERT_TRUE(found);
  // The button comes up over the box: a close request; outside it: none.
  struct Press {
    POINT up;
    size_t requests;
  } presses[] = {{POINT{box.h, box.v}, 1}, {POINT{150, 150}, 1}};
  int turns = 2;  // the first turn ends the handshake
  for (const Press& p : presses) {
    const HeadlessInputEntry entries[] = {{0, POINT{box.h, box.v}, HEADLESS_LEFT_BUTTON, {0}},
                                          {10, p.up, HEADLESS_LEFT_BUTTON, {0}},
                                          {20, p.up, 0, {0}}};
    ASSERT_TRUE(LoadHeadlessInput(entries, 3, 0));
    host->QueueEvent(HostEventRecord{1, 0, 0, box.v, box.h, 0});
    RunProcesses(turns);
    turns = 1;
    UnloadHeadlessInput();
    EXPECT_EQ(window.fDelegate.messages.size(), p.requests);
  }
  RunProcesses();
  EXPECT_EQ(window.fDelegate.messages, std::vector<int32_t>{-994});
  EXPECT_EQ(window.GetProcess(), 0u);
}

TEST_F(ProcessWindows, CloseFromItsOwnFrameEndsTheLoopAtTheNextPass) {
  TestWindow window("Tools", 16000, false, 1);
  ASSERT_TRUE(window.Start());
  EXPECT_EQ(Logged(kHostSelNewProcess), std::vector<std::string>{"new process Tools stack -16000"});
  host->activeWindows.insert(window.Reference(0));
  host->QueueEvent(Key('q'));
  host->QueueEvent(Key('x'));
  RunProcesses();
  EXPECT_EQ(window.seen, (std::vector<std::string>{"key q", "closed from a frame"}));
  EXPECT_EQ(window.GetProcess(), 0u);
  EXPECT_EQ(host->Processes().CountLive(), 0u);
}

TEST_F(ProcessWindows, KeysGoToTheFirstActiveFrameOrNowhere) {
  TestWindow window("Two", 0, false, 2);
  ASSERT_TRUE(window.Start());
  ASSERT_EQ(window.CountFrames(), 2);
  // One event a turn: the first turn finishes the handshake.
  host->QueueEvent(Key('a'));  // no frame active: dropped
  RunProcesses(2);
  host->activeWindows = {window.Reference(1)};
  host->QueueEvent(Key('b'));
  RunProcesses(1);
  host->activeWindows = {window.Reference(0), window.Reference(1)};
  host->QueueEvent(Key('c'));
  RunProcesses(1);
  EXPECT_EQ(window.seen, (std::vector<std::string>{"1:key b", "0:key c"}));
  // The script has run out: the process is told to quit (code 33).
  RunProcesses();
  EXPECT_EQ(window.GetProcess(), 0u);
  const std::vector<std::string> events = Logged(-361);
  ASSERT_EQ(events.size(), 4u);
  EXPECT_EQ(events.back(), "process 2 event 33 (script exhausted)");
}

TEST_F(ProcessWindows, TwoWindowsStartedOneAfterTheOther) {
  for (int i = 0; i < 8; ++i) host->QueueNoEvent();
  TestWindow first("First", 0, false, 1);
  TestWindow second("Second", 0, false, 1);
  ASSERT_TRUE(first.Start());
  ASSERT_TRUE(second.Start());
  EXPECT_EQ(first.GetProcess(), 2u);
  EXPECT_EQ(second.GetProcess(), 3u);
  EXPECT_TRUE(first.opened && second.opened);
  EXPECT_EQ(Logged(kHostSelNewProcess),
            (std::vector<std::string>{"new process First stack -16000", "new process Second stack -16000"}));
  RunProcesses();
  // Both loops ran on the shared queue and ended when it ran out.
  EXPECT_GT(first.idles, 0);
  EXPECT_GT(second.idles, 0);
  EXPECT_EQ(first.idles + second.idles, 8);
  EXPECT_TRUE(first.ended && second.ended);
  EXPECT_EQ(first.GetProcess() + second.GetProcess(), 0u);
  EXPECT_EQ(Logged(-86), (std::vector<std::string>{"process 2 ends", "process 3 ends"}));
}

TEST_F(ProcessWindows, CloseFromTheStarterWaitsForTheLoopToEnd) {
  TestWindow window("Busy", 0, false, 1);
  ASSERT_TRUE(window.Start());
  for (int i = 0; i < 50; ++i) host->QueueNoEvent();
  RunProcesses(2);
  ASSERT_NE(window.GetProcess(), 0u);
  window.Close();
  EXPECT_EQ(window.GetProcess(), 0u);
  EXPECT_TRUE(window.ended);
  EXPECT_EQ(Logged(-88).size(), 1u);
  EXPECT_LT(window.idles, 50);
}

TEST_F(ProcessWindows, ARefusedProcessFailsWithoutWaiting) {
  host->refuseProcesses = true;
  TestWindow window("Refused", 0, false, 1);
  EXPECT_FALSE(window.Start());
  EXPECT_EQ(window.GetProcess(), 0u);
  EXPECT_FALSE(window.opened);
  EXPECT_EQ(host->CountCalls(kHostSelWaitIdle), 0);
  EXPECT_EQ(VProcessHandshake::Registered(), nullptr);
  // Nothing is left registered: the next start goes through.
  host->refuseProcesses = false;
  TestWindow next("Next", 0, false, 1);
  EXPECT_TRUE(next.Start());
  RunProcesses();
  EXPECT_EQ(next.GetProcess(), 0u);
}

}  // namespace
