// Scripted input on the virtual clock: poll steps, entries reached, the
// messages they post, running out, refused scripts and exact replays.
#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "platform/gdi/WinGdi.h"
#include "platform/win32/WinInput.h"
#include "platform/win32/WinMessages.h"
#include "platform/win32/WinTime.h"
#include "platform/win32/WinWindowState.h"

namespace {

HeadlessInputEntry At(ULONGLONG t, LONG x, LONG y, UINT buttons = 0, BYTE key = 0) {
  HeadlessInputEntry e{t, POINT{x, y}, buttons, {}};
  e.keys[0] = key;
  return e;
}

class Script : public testing::Test {
 protected:
  void SetUp() override {
    ResetHeadlessInput();
    ResetHeadlessMessages();
  }
  void TearDown() override {
    for (HWND w : made_) DestroyWindow(w);
    ResetHeadlessInput();
    ResetHeadlessMessages();
    ResetHeadlessWindowState();
  }
  HWND Make(LONG x, LONG y, LONG w, LONG h) {
    HWND window = CreateHeadlessWindow(w, h);
    SetHeadlessWindowOrigin(window, x, y);
    made_.push_back(window);
    return window;
  }
  // The queued input messages, in order: (window, message, wParam, lParam).
  std::vector<std::tuple<HWND, UINT, WPARAM, LPARAM>> Drain() {
    std::vector<std::tuple<HWND, UINT, WPARAM, LPARAM>> got;
    MSG m;
    while (PeekMessageA(&m, nullptr, WM_KEYDOWN, WM_CAPTURECHANGED, PM_REMOVE)) {
      got.emplace_back(m.hwnd, m.message, m.wParam, m.lParam);
    }
    return got;
  }
  std::vector<HWND> made_;
};

TEST_F(Script, EachPollIsOneMillisecondOnA64BitClock) {
  const ULONGLONG start = 0xFFFF'FFF0ull;
  const HeadlessInputEntry entries[] = {At(start + 5, 10, 10, HEADLESS_LEFT_BUTTON),
                                        At(start + 40, 30, 10)};
  ASSERT_TRUE(LoadHeadlessInput(entries, 2, start));
  EXPECT_EQ(GetTickCount64(), start);  // reading the clock is not a poll
  POINT p;
  for (int i = 1; i <= 4; ++i) GetCursorPos(&p);
  EXPECT_EQ(GetTickCount64(), start + 4);
  // The fifth poll reaches the entry and applies it before answering.
  EXPECT_LT(GetAsyncKeyState(VK_LBUTTON), 0);
  GetCursorPos(&p);
  EXPECT_EQ(p.x, 10);
  ASSERT_TRUE(AdvanceHeadlessClock(30));
  EXPECT_EQ(GetTickCount64(), start + 36);
  EXPECT_EQ(GetTickCount(), 0x14u);  // past the 32-bit wrap
  int polls = 0;
  while (GetAsyncKeyState(VK_LBUTTON) < 0) ++polls;
  EXPECT_EQ(polls, 3);  // +37, +38, +39; the entry at +40 lets go of the button
  UnloadHeadlessInput();
  EXPECT_LT(GetTickCount64(), start);  // the real clock again
}

TEST_F(Script, EntriesPostToTheCaptureFocusOrPointedWindow) {
  HWND left = Make(0, 0, 100, 100);
  HWND right = Make(200, 0, 100, 100);
  SetFocus(left);
  const HeadlessInputEntry entries[] = {
      At(1, 240, 20),
      At(2, 250, 20, HEADLESS_LEFT_BUTTON),  // moves, then presses
      At(3, 50, 60, HEADLESS_LEFT_BUTTON),
      At(4, 50, 60, 0, 'A'),
  };
  ASSERT_TRUE(LoadHeadlessInput(entries, 4, 0));
  POINT p;
  GetCursorPos(&p);
  GetCursorPos(&p);
  SetCapture(right);  // the pressed window takes the mouse
  GetCursorPos(&p);
  GetCursorPos(&p);
  auto pack = [](int x, int y) { return static_cast<LPARAM>((x & 0xFFFF) | ((y & 0xFFFF) << 16)); };
  const std::vector<std::tuple<HWND, UINT, WPARAM, LPARAM>> expected = {
      {right, WM_MOUSEMOVE, 0, pack(40, 20)},
      {right, WM_MOUSEMOVE, 0, pack(50, 20)},
      {right, WM_LBUTTONDOWN, MK_LBUTTON, pack(50, 20)},
      {right, WM_MOUSEMOVE, MK_LBUTTON, pack(-150, 60)},  // captured: outside its area
      {right, WM_LBUTTONUP, 0, pack(-150, 60)},
      {left, WM_KEYDOWN, 'A', 1},
      // Looking into the empty queue ran the script out: Escape, once.
      {left, WM_KEYDOWN, VK_ESCAPE, 1},
      {left, WM_KEYUP, VK_ESCAPE, static_cast<LPARAM>(0xC0000001u)},
  };
  EXPECT_EQ(Drain(), expected);
}

TEST_F(Script, RunningOutLetsButtonsUpAndPressesEscapeOnce) {
  const HeadlessInputEntry entries[] = {At(0, 5, 5, HEADLESS_LEFT_BUTTON | HEADLESS_RIGHT_BUTTON)};
  ASSERT_TRUE(LoadHeadlessInput(entries, 1, 100));
  EXPECT_LT(GetAsyncKeyState(VK_RBUTTON), 0);
  // A drag loop ends: the step after the last entry lets go.
  int polls = 0;
  while (GetAsyncKeyState(VK_LBUTTON) < 0 && polls < 1000) ++polls;
  EXPECT_EQ(polls, 0);
  EXPECT_EQ(GetAsyncKeyState(VK_RBUTTON), 0);
  EXPECT_EQ(GetKeyState(VK_ESCAPE), 0);  // pressed for one step only
  EXPECT_FALSE(HeadlessInputPending());
  // A message loop with nothing else to do ends as well.
  MSG m;
  EXPECT_FALSE(GetMessageA(&m, nullptr, 0, 0));
}

TEST_F(Script, ScriptsGoingBackInTimeAreRefused) {
  const HeadlessInputEntry good[] = {At(10, 1, 1), At(10, 2, 2), At(20, 3, 3)};
  ASSERT_TRUE(LoadHeadlessInput(good, 3, 0));
  const HeadlessInputEntry bad[] = {At(10, 1, 1), At(9, 2, 2)};
  SetLastError(0);
  EXPECT_FALSE(LoadHeadlessInput(bad, 2, 0));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_FALSE(LoadHeadlessInput(nullptr, 1, 0));
  EXPECT_TRUE(HeadlessInputPending());  // the good one stays loaded
  UnloadHeadlessInput();
  EXPECT_FALSE(AdvanceHeadlessClock(1));
}

// A drag loop of the kind the framework runs: polls the mouse until the
// button is up and inverts a 3 x 3 square at every new place, on the screen.
struct DragRun {
  std::vector<std::tuple<ULONGLONG, LONG, LONG>> polls;
  std::vector<COLORREF> pixels;
};

DragRun Drag(HWND window) {
  DragRun run;
  HDC screen = GetDC(nullptr);
  POINT last{-1, -1};
  while (GetAsyncKeyState(VK_LBUTTON) < 0 || run.polls.empty()) {
    POINT p;
    GetCursorPos(&p);
    run.polls.emplace_back(GetTickCount64(), p.x, p.y);
    if (p.x != last.x || p.y != last.y) PatBlt(screen, p.x - 1, p.y - 1, 3, 3, DSTINVERT);
    last = p;
    if (run.polls.size() > 10000) break;
  }
  ReleaseDC(nullptr, screen);
  HDC dc = GetDC(window);
  for (int y = 0; y < 40; ++y) {
    for (int x = 0; x < 40; ++x) run.pixels.push_back(GetPixel(dc, x, y));
  }
  ReleaseDC(window, dc);
  return run;
}

TEST_F(Script, AReplayedScriptGivesTheSamePollsAndPixels) {
  std::vector<HeadlessInputEntry> entries = {At(1001, 5, 5, HEADLESS_LEFT_BUTTON)};
  for (int i = 1; i <= 10; ++i) {
    entries.push_back(At(1001 + 7 * i, 5 + 3 * i, 5 + 2 * i, HEADLESS_LEFT_BUTTON));
  }
  entries.push_back(At(1090, 35, 30));
  DragRun runs[2];
  for (DragRun& run : runs) {
    HWND w = CreateHeadlessWindow(40, 40);
    ASSERT_TRUE(LoadHeadlessInput(entries.data(), entries.size(), 1000));
    run = Drag(w);
    UnloadHeadlessInput();
    ResetHeadlessInput();
    DestroyWindow(w);
  }
  EXPECT_EQ(runs[0].polls, runs[1].polls);
  EXPECT_EQ(runs[0].pixels, runs[1].pixels);
  // Two polls a round (button, cursor): the last round read the entry at 1090.
  EXPECT_EQ(runs[0].polls.back(), std::make_tuple(ULONGLONG{1090}, LONG{35}, LONG{30}));
  EXPECT_EQ(runs[0].polls.size(), 45u);
  size_t black = 0;
  for (COLORREF c : runs[0].pixels) black += c == RGB(0, 0, 0);
  EXPECT_GT(black, 9u);
}

}  // namespace
