// The stand-in host's form windows and its scripted user, with the module
// loaded: each input line's area events (code, point in the form, message,
// modifiers, tick), update events clipped to what needs drawing, the event
// requests' answers when nothing is queued, snapshots, malformed lines, and
// a session replayed twice giving the same clock and the same pixels.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include "boundary/HostSelectors.h"
#include "platform/gdi/WinGdi.h"
#include "platform/toolbox/TbxWindows.h"
#include "platform/win32/WinInput.h"
#include "platform/win32/WinPaint.h"
#include "qvhost/HostScreen.h"
#include "qvhost/QvHost.h"
#include "qvhost/ScriptRunner.h"

namespace {

// A form at (40, 60) with two areas: "letter" at (10, 10, 200 x 100) and
// "note" at (10, 120, 200 x 60) of its content; a click gives "letter" the
// focus.
const char kSetUp[] =
    "start -1\n"
    "form main 40 60 300 200\n"
    "area letter create form at main 10 10 200 100\n"
    "area note create form at main 10 120 200 60\n"
    "click 100 100\n";

QvHostConfig Config() {
  QvHostConfig config;
  config.modulePath = QVHOST_MODULE_PATH;
  config.moduleResourcePath = QVHOST_MODULE_RESOURCES;
  config.hostResourcePath = QVHOST_HOST_RESOURCES;
  return config;
}

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class HostScreenTest : public testing::Test {
 protected:
  void SetUp() override {
    host = std::make_unique<QvHost>(Config());
    std::string error;
    ASSERT_TRUE(host->Load(&error)) << error;
  }
  ScriptRunner::Outcome Run(const std::string& script) {
    out.str({});
    ScriptRunner runner(*host, out);
    return runner.Run(script);
  }
  // What the transcript shows after the line `line` (to the next line).
  std::string After(const std::string& line) const {
    const std::string text = out.str();
    const size_t at = text.rfind("> " + line + "\n");
    if (at == std::string::npos) return {};
    const size_t from = at + line.size() + 3;
    const size_t end = text.find("\n> ", from);
    return text.substr(from, end == std::string::npos ? std::string::npos : end - from);
  }
  std::unique_ptr<QvHost> host;
  std::ostringstream out;
};

struct LineCase {
  const char* line;
  std::vector<const char*> events;  // in order, each in the transcript after the line
};

TEST_F(HostScreenTest, EachInputLineSendsItsEventsToTheAreaConcerned) {
  const LineCase cases[] = {
      {"click 100 100", {"event 1 to letter at 60,40 message 0 modifiers 0", "event 2 to letter at 60,40"}},
      {"click 100 100 count 2",
       {"event 1 to letter at 60,40", "event 2 to letter", "event 1 to letter", "event 2 to letter"}},
      {"click 100 200 modifiers 0x200", {"event 1 to note at 60,140 message 0 modifiers 512"}},
      {"mouse down 100 100", {"event 1 to letter at 60,40"}},
      {"mouse move 110 105", {"event 18 to letter at 70,45"}},
      {"mouse up 100 200", {"event 2 to note at 60,140 message 0 modifiers 128"}},
      {"drag 60 80 to 150 120 steps 3",
       {"event 1 to letter at 20,20", "event 18 to letter at 50,33", "event 18 to letter at 80,46",
        "event 18 to letter at 110,60", "event 2 to letter at 110,60"}},
      // Key messages: the key code in the second byte, the character in the first.
      {"key \"A\"", {"event 3 to letter at 60,40 message 65 modifiers 512", "event 4 to letter"}},
      {"key \"q\" modifiers 0x100", {"event 3 to letter at 60,40 message 3185 modifiers 256"}},
      {"key return", {"event 3 to letter at 60,40 message 9229"}},
      {"key left", {"event 3 to letter at 60,40 message 31516"}},
      {"key \"?\"", {"event 3 to letter at 60,40 message 11327 modifiers 512"}},
      {"type \"a1\"", {"message 97 ", "event 4", "message 4657 ", "event 4"}},
      {"idle 2", {"event 0 to letter", "event 0 to note", "event 0 to letter", "event 0 to note"}},
      {"update main", {"event 6 to letter at 0,0 message 0 modifiers 0 when 0 clip 0,0,300,200", "event 6 to note"}},
      {"activate main", {"event 21 to letter at 0,0 message 0 modifiers 0 when 1", "event 21 to note"}},
      {"deactivate note", {"event 22 to note at 0,0 message 0 modifiers 0 when 0"}},
      {"click 10 10", {"click outside the areas"}},
  };
  for (const LineCase& c : cases) {
    SetUp();
    const ScriptRunner::Outcome outcome = Run(std::string(kSetUp) + c.line + "\n");
    ASSERT_TRUE(outcome.ok()) << c.line << ": " << outcome.error;
    const std::string shown = After(c.line);
    size_t at = 0;
    for (const char* event : c.events) {
      const size_t found = shown.find(event, at);
      EXPECT_NE(found, std::string::npos) << c.line << " lacks " << event << " in:\n" << shown;
      if (found != std::string::npos) at = found + 1;
    }
  }
}

TEST_F(HostScreenTest, EveryEventLineTakesOneTickAndKeysWaitForAFocus) {
  ASSERT_TRUE(Run("start -1\nform main 40 60 300 200\narea letter create form at main 10 10 200 100\n"
                  "key \"a\"\nclick 100 100\nclick 100 100\n")
                  .ok());
  EXPECT_NE(After("key \"a\"").find("key with no area in focus"), std::string::npos);
  const std::string text = out.str();
  const size_t first = text.find("event 1 to letter");
  const size_t second = text.find("event 1 to letter", first + 1);
  ASSERT_NE(second, std::string::npos);
  auto when = [&](size_t at) { return std::stoi(text.substr(text.find(" when ", at) + 6)); };
  EXPECT_EQ(when(second), when(first) + 1);
}

TEST_F(HostScreenTest, TheInputStateBetweenLinesIsTheLastLines) {
  // Pressed beside the area, where no loop of the module tracks the press.
  ASSERT_TRUE(Run(std::string(kSetUp) + "mouse down 300 110 modifiers 0x200\n").ok());
  // The button stays down until a line lets it up; no Escape comes between.
  EXPECT_LT(GetAsyncKeyState(VK_LBUTTON), 0);
  EXPECT_LT(GetAsyncKeyState(VK_SHIFT), 0);
  EXPECT_EQ(GetAsyncKeyState(VK_ESCAPE), 0);
  POINT cursor{0, 0};
  ASSERT_TRUE(GetCursorPos(&cursor));
  EXPECT_EQ(cursor.x, 300);
  EXPECT_EQ(cursor.y, 110);
  ASSERT_TRUE(Run("mouse up 310 110\n").ok());
  EXPECT_EQ(GetAsyncKeyState(VK_LBUTTON), 0);
  EXPECT_EQ(GetAsyncKeyState(VK_ESCAPE), 0);
  // A loop that keeps polling past the line's end sees the button up and
  // Escape pressed, so it cannot wait for ever.
  ASSERT_TRUE(Run("mouse down 300 110\n").ok());
  bool escape = false;
  for (int poll = 0; poll < 100 && !escape; ++poll) escape = GetAsyncKeyState(VK_ESCAPE) < 0;
  EXPECT_TRUE(escape);
  EXPECT_EQ(GetAsyncKeyState(VK_LBUTTON), 0);
}

TEST_F(HostScreenTest, TheMenuBarIsRedrawnWhereAFormUncoversIt) {
  // A new form window first shows at the screen's corner, over the menu
  // bar, then moves to its place.
  ASSERT_TRUE(Run("form main 500 100 300 200\n").ok());
  HDC screen = GetDC(nullptr);
  ASSERT_NE(screen, nullptr);
  for (const int x : {5, 200, 600}) {
    EXPECT_EQ(GetPixel(screen, x, 5), RGB(238, 238, 238)) << x;
    EXPECT_EQ(GetPixel(screen, x, HostScreen::kMenuBarHeight - 1), RGB(0, 0, 0)) << x;
    EXPECT_EQ(GetPixel(screen, x, HostScreen::kMenuBarHeight + 2), RGB(255, 255, 255)) << x;
  }
  ReleaseDC(nullptr, screen);
}

TEST_F(HostScreenTest, ActivatingAFormDeactivatesTheOneBefore) {
  auto front = [] {
    uint8_t title[256] = {0};
    Tbx::GetWTitle(Tbx::FrontWindow(), title);
    return std::string(reinterpret_cast<char*>(title + 1), title[0]);
  };
  ASSERT_TRUE(Run(std::string(kSetUp) +
                  "form side 200 100 200 100\narea margin create form at side 0 0 100 50\nactivate main\n")
                  .ok());
  EXPECT_EQ(After("activate main").find("event 22"), std::string::npos);
  EXPECT_EQ(front(), "main");  // in front of the form made after it
  ASSERT_TRUE(Run("activate side\ndeactivate side\n").ok());
  EXPECT_EQ(front(), "side");
  const std::string second = After("activate side");
  const size_t off = second.find("event 22 to letter at 0,0 message 0 modifiers 0 when 1");
  const size_t on = second.find("event 21 to margin");
  EXPECT_NE(off, std::string::npos) << second;
  EXPECT_NE(second.find("event 22 to note"), std::string::npos) << second;
  EXPECT_LT(off, on);
  const std::string last = After("deactivate side");
  EXPECT_NE(last.find("event 22 to margin"), std::string::npos);
  EXPECT_EQ(last.find("to letter"), std::string::npos);
}

TEST_F(HostScreenTest, AClosedAreaGetsNoMoreEvents) {
  ASSERT_TRUE(Run(std::string(kSetUp) + "area letter 17\nidle 1\nclick 100 100\nkey \"a\"\nupdate\n").ok());
  const std::string after = out.str().substr(out.str().find("> area letter 17"));
  EXPECT_EQ(after.find("to letter"), std::string::npos) << after;
  EXPECT_NE(After("idle 1").find("event 0 to note"), std::string::npos);
  EXPECT_NE(After("click 100 100").find("click outside the areas"), std::string::npos);
  EXPECT_NE(After("key \"a\"").find("no area in focus"), std::string::npos);
  EXPECT_NE(After("update").find("event 6 to note"), std::string::npos);
}

TEST_F(HostScreenTest, UpdatesGoOnlyToTheAreasTheRegionMeetsClippedToIt) {
  ASSERT_TRUE(Run(kSetUp).ok());
  // Only the note area's part of the content needs drawing.
  HWND native = Tbx::GetNativeWindow(Tbx::FrontWindow());
  const RECT part{20, 130, 60, 150};
  ASSERT_TRUE(InvalidateRect(native, &part, 0));
  host->ClearLog();
  host->Screen().DeliverUpdates();
  ASSERT_EQ(host->Log().size(), 1u);
  EXPECT_EQ(host->Log()[0].text, "event 6 to note at 0,0 message 0 modifiers 0 when 0 clip 20,130,60,150");
  // The region is valid afterwards: nothing more is sent.
  host->ClearLog();
  host->Screen().DeliverUpdates();
  EXPECT_TRUE(host->Log().empty());
  RECT box;
  EXPECT_FALSE(GetUpdateRect(native, &box, 0));
}

TEST_F(HostScreenTest, EventRequestsAnswerTheQueueThenUpdatesThenCommandQ) {
  ASSERT_TRUE(Run("start -1\nform main 40 60 300 200\nqueue none\nqueue 3 message 120\n").ok());
  HostEventRecord record{};
  HostParamBlock take{};
  take.param1 = 0xFFFF;
  take.handle = HostAddress(&record);
  auto ask = [&] {
    record = HostEventRecord{};
    HostParamBlock b = take;
    QvHost::Callback(kHostSelTakeEvent, &b);
    return b.param4;
  };
  EXPECT_EQ(ask(), 0u);  // the queued "no event"
  EXPECT_EQ(ask(), 1u);
  EXPECT_EQ(record.message, 120u);
  // The new form has no areas yet, so its content still waits to be drawn.
  EXPECT_EQ(ask(), 1u);
  EXPECT_EQ(record.what, 6);
  EXPECT_EQ(record.message, reinterpret_cast<uintptr_t>(Tbx::FrontWindow()));
  EXPECT_EQ(ask(), 1u);
  EXPECT_EQ(record.what, 3);
  EXPECT_EQ(record.message, uintptr_t{(0x0C << 8) | 'q'});
  EXPECT_EQ(record.modifiers, 0x100);
  EXPECT_EQ(ask(), 1u);  // and again: no loop waits for ever
  EXPECT_EQ(record.what, 3);
  take.param1 = 1 << 1;  // mouse-up only
  EXPECT_EQ(ask(), 0u);
}

TEST_F(HostScreenTest, SnapshotsAreWrittenAndCompared) {
  const std::string folder = host->Folder();
  const std::string script = std::string(kSetUp) + "snapshot main \"" + folder + "main.png\"\nsnapshot screen \"" +
                             folder + "screen.png\"\nexpect png main \"" + folder + "main.png\"\nexpect png screen \"" +
                             folder + "main.png\"\nexpect png main \"" + folder + "none.png\"\n";
  const ScriptRunner::Outcome outcome = Run(script);
  EXPECT_TRUE(outcome.error.empty()) << outcome.error;
  EXPECT_EQ(outcome.failures, 2);
  const std::string png = ReadBytes(folder + "main.png");
  ASSERT_GT(png.size(), 8u);
  EXPECT_EQ(png.substr(1, 3), "PNG");
  EXPECT_GT(ReadBytes(folder + "screen.png").size(), 8u);
  EXPECT_NE(out.str().find("ok: png main"), std::string::npos);
  EXPECT_NE(out.str().find("(no such file)"), std::string::npos);
}

TEST_F(HostScreenTest, MalformedLinesStopTheScriptWithAReason) {
  const struct {
    const char* line;
    const char* reason;
  } cases[] = {
      {"form other 1 2 0 5", "positive size"},
      {"form main 1 2 3 4", "exists"},
      {"form other 1 2 3", "form NAME set|select"},
      {"area x create form at nowhere 0 0 5 5", "no form nowhere"},
      {"area x create form at main 0 0 5", "area NAME create form|output|printing at FORM X Y W H"},
      {"area letter create form at main 0 0 5 5", "exists"},
      {"mouse press 1 2", "mouse down|up|move"},
      {"click 1 2 count 0", "click count"},
      {"drag 1 2 3 4", "drag X Y to X Y"},
      {"drag 1 2 to 3 4 steps 0", "drag steps"},
      {"key \"ab\"", "one character"},
      {"key bogus", "unknown key"},
      {"key \"\xC3\xA9\"", "one character"},
      {"type abc", "type \"text\""},
      {"type \"a\x01\"", "printable"},
      {"idle 0", "idle 1 to"},
      {"update nowhere", "no form nowhere"},
      {"activate nowhere", "no form or area"},
      {"snapshot nowhere \"f.png\"", "no form nowhere"},
      {"snapshot main f.png", "snapshot FORM|screen"},
      {"expect png main", "expect png"},
  };
  for (const auto& c : cases) {
    SetUp();
    const ScriptRunner::Outcome outcome = Run(std::string(kSetUp) + c.line + "\n");
    EXPECT_NE(outcome.error.find(c.reason), std::string::npos) << c.line << " gave: " << outcome.error;
  }
}

TEST_F(HostScreenTest, TheTranscriptShowsEachAnswerAndExpectEventChecksTheKeyDowns) {
  // Ctrl+Tab leaves the area (110) on its key-down (a plain Tab types a tab
  // into the text); its key-up is left as sent.
  ASSERT_TRUE(Run(std::string(kSetUp) + "key tab modifiers 0x100\nexpect event letter message 110\n").ok())
      << out.str();
  const std::string shown = After("key tab modifiers 0x100");
  const size_t down = shown.find("letter answered event 3 with message 110");
  const size_t up = shown.find("letter answered event 4 with message 12297");
  EXPECT_NE(down, std::string::npos) << shown;
  EXPECT_NE(up, std::string::npos) << shown;
  EXPECT_LT(down, up);
  EXPECT_NE(After("expect event letter message 110").find("ok: event 3 answered message 110"), std::string::npos);
  // After a click the last event's answer is checked, and says which it was.
  const ScriptRunner::Outcome outcome = Run("click 100 100\nexpect event letter message 301\n");
  EXPECT_EQ(outcome.failures, 1);
  EXPECT_NE(out.str().find("FAILED: event 2 answered message 301 (got 0)"), std::string::npos) << out.str();
}

// The pixels of the screen in a rectangle that are not white.
int Marked(int left, int top, int right, int bottom) {
  HDC screen = GetDC(nullptr);
  int marked = 0;
  for (int y = top; y < bottom; ++y)
    for (int x = left; x < right; ++x) marked += GetPixel(screen, x, y) != RGB(255, 255, 255);
  ReleaseDC(nullptr, screen);
  return marked;
}

TEST_F(HostScreenTest, AnAreaThatShrinksLeavesTheFormsBackgroundWhereItWas) {
  // The output area shows the letter's first lines across its rectangle,
  // (50, 180) to (250, 240) on the screen, alone on its form so that no
  // area beneath draws its own background into the uncovered place.
  ASSERT_TRUE(Run("start -1\nform main 40 60 300 200\narea grid create output at main 10 120 200 60\n"
                  "command 49 area grid blob \"" QVHOST_SCRIPTS_FOLDER "/letter.qmv\"\n"
                  "update main\n").ok());
  EXPECT_GT(Marked(140, 181, 249, 239), 0);
  // Erased at once, before any update reaches an area.
  ASSERT_EQ(host->Screen().MoveArea("grid", 10, 120, 50, 30), "");
  EXPECT_EQ(Marked(140, 181, 249, 239), 0);
  host->Screen().DeliverUpdates();
  EXPECT_EQ(Marked(140, 181, 249, 239), 0);
  EXPECT_GT(Marked(51, 181, 99, 209), 0);  // its new place is drawn
}

TEST_F(HostScreenTest, AFormWindowShowsItsSizeBoxOverItsAreas) {
  // Content (40, 60) to (340, 260); the box is its last 16 x 16 pixels.
  auto pixel = [](int x, int y) {
    HDC screen = GetDC(nullptr);
    const COLORREF c = GetPixel(screen, x, y);
    ReleaseDC(nullptr, screen);
    return c;
  };
  auto check = [&](const char* when) {
    EXPECT_EQ(pixel(330, 250), RGB(238, 238, 238)) << when;  // its face
    EXPECT_EQ(pixel(324, 250), RGB(128, 128, 128)) << when;  // its left edge
    EXPECT_EQ(pixel(330, 244), RGB(128, 128, 128)) << when;  // its top edge
    EXPECT_EQ(pixel(336, 255), RGB(128, 128, 128)) << when;  // a ridge
    EXPECT_EQ(pixel(320, 250), RGB(255, 255, 255)) << when;  // the content beside it
  };
  ASSERT_TRUE(Run("form main 40 60 300 200\n").ok());
  check("a new form");
  ASSERT_TRUE(Run("area all create output at main 0 0 300 200\nupdate main\n").ok());
  check("after an area over the corner drew");
}

TEST_F(HostScreenTest, ALongTypeLineIsToldOnceAndStillTypesEveryKey) {
  ASSERT_TRUE(Run(kSetUp).ok());
  const uint64_t before = host->Screen().Clock();
  ASSERT_TRUE(Run("type \"" + std::string(1000, 'a') + "\"\nexpect event letter message 301\n").ok()) << out.str();
  const std::string text = out.str();
  EXPECT_LT(text.size(), 1000u) << text;
  EXPECT_NE(text.find("(1007 characters)"), std::string::npos) << text;
  EXPECT_NE(text.find("1000 keys to letter (events 3 and 4 each); the last key-down answered message 301"),
            std::string::npos)
      << text;
  EXPECT_EQ(text.find("event 3 to letter"), std::string::npos);
  // A tick a key at least.
  EXPECT_GE(host->Screen().Clock() - before, 1000u * 1000 / 60);
}

TEST_F(HostScreenTest, ASessionReplayedGivesTheSameEventsClockAndPixels) {
  const std::string session = std::string(kSetUp) +
                              "type \"Hello\"\nkey left modifiers 0x200\ndrag 60 80 to 150 120 steps 5\n"
                              // The double click falls on the note's ruler: the tab stops
                              // dialog, cancelled.
                              "idle 3\nform mvTabulations cancel butCancel\nclick 100 200 count 2\nupdate\n"
                              "activate letter\n";
  std::string transcripts[2], pixels[2], screens[2];
  for (int run = 0; run < 2; ++run) {
    SetUp();
    ASSERT_TRUE(Run(session + "snapshot main \"" + host->Folder() + "main.png\"\nsnapshot screen \"" +
                    host->Folder() + "screen.png\"\n")
                    .ok());
    transcripts[run] = out.str();
    pixels[run] = ReadBytes(host->Folder() + "main.png");
    screens[run] = ReadBytes(host->Folder() + "screen.png");
  }
  // The folder's name differs between the runs; everything else is the same.
  auto strip = [](std::string text) {
    for (size_t at; (at = text.find("/tmp/")) != std::string::npos;) text.erase(at, text.find('/', at + 5) - at);
    return text;
  };
  EXPECT_EQ(strip(transcripts[0]), strip(transcripts[1]));
  EXPECT_NE(transcripts[0].find("clock "), std::string::npos);
  ASSERT_FALSE(pixels[0].empty());
  EXPECT_EQ(pixels[0], pixels[1]);
  EXPECT_EQ(screens[0], screens[1]);
}

}  // namespace
