// An area too small in its form opens in a window of its own when clicked,
// through the real module: the script shrinks the area, queues what the
// user does in the own window (a click, typing, a resize, a pause, a
// snapshot) and ends the window by its close box or by the queue running
// out; the form is drawn as before afterwards.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include "qvhost/QvHost.h"
#include "qvhost/ScriptRunner.h"
#include "qvhost/tests/ScriptTestSupport.h"

namespace {

class OwnWindowScripts : public ScriptTest {
 protected:
  // The lines before the start, with a form first (see kShrunk).
  static constexpr char kStart[] =
      "set name \"Qvbase\"\nset version 0x680\nform first 40 60 400 240\nstart -1\n";
  // Form fN and its area aN, bound to `table`.
  static std::string FormAndArea(int n, const std::string& table = " table 3") {
    const std::string form = "f" + std::to_string(n);
    return "form " + form + " 40 60 400 240\narea a" + std::to_string(n) + " create form at " + form +
           " 10 10 380 220" + table + "\n";
  }
  // Runs the script to its stop; whether it ran and the host never quit.
  bool RunToTheStop(const std::string& script) {
    const ScriptRunner::Outcome outcome = Run(script + "stop -2\n");
    EXPECT_TRUE(outcome.ok()) << outcome.error << "\n" << out.str();
    EXPECT_EQ(At("command-Q taken"), std::string::npos) << out.str();
    return outcome.ok();
  }
};

// The form first, so that the host's main window stands when the module
// starts; the area is bound to a table, so it follows its minimum size.
const char kShrunk[] =
    "form invoice 40 60 400 240\n"
    "set name \"Qvbase\"\n"
    "set version 0x680\n"
    "start -1\n"
    "area body create form at invoice 10 10 380 220 table 3\n"
    "area body move 10 10 100 40\n";

// The own window's content lies at (11, 48), 1007 by 733, below the menu
// bar: its close box at (23, 37), its grow box at its bottom-right corner.
TEST_F(OwnWindowScripts, TheCloseBoxEndsTheWindowAfterClickTypingAndResize) {
  host->stateFlag = 1;
  const std::string script = std::string(kShrunk) +
                             "queue 1 h 200 v 200\n"
                             "queue 2 h 200 v 200\n"
                             "queue 3 message 0x61\n"
                             "queue 4 message 0x61\n"
                             "queue 1 h 1010 v 775 toh 810 tov 575\n"
                             "queue none\n"
                             "queue snapshot \"" +
                             folder +
                             "own.png\"\n"
                             "queue 1 h 23 v 37\n"
                             "queue 3 message 0x61\n"  // left waiting: the window closed before it
                             "click 80 90\n"
                             "expect calls -421 2\n"
                             "expect calls -178 1\n"
                             "stop -2\n";
  const ScriptRunner::Outcome outcome = Run(script);
  ASSERT_TRUE(outcome.ok()) << outcome.error << "\n" << out.str();
  // Events in order, the resize seen in the snapshot's size.
  const size_t click = At("host 361: event 1 at 200,200 taken");
  const size_t grow = At("host 361: event 1 at 1010,775 taken");
  const size_t shot = At("snapshot of the front window, content at 11,48 size 807x533");
  const size_t close = At("host 361: event 1 at 23,37 taken");
  ASSERT_NE(click, std::string::npos) << out.str();
  ASSERT_NE(grow, std::string::npos) << out.str();
  ASSERT_NE(shot, std::string::npos) << out.str();
  ASSERT_NE(close, std::string::npos) << out.str();
  EXPECT_LT(click, grow);
  EXPECT_LT(grow, shot);
  EXPECT_LT(shot, close);
  EXPECT_EQ(At("command-Q taken"), std::string::npos);
  // The host's mode went off for the window and on again after it.
  EXPECT_EQ(host->modes, (std::vector<int32_t>{0, 1}));
  // The area drew itself in the own window, which is not blank.
  const std::string own = Png("own.png");
  ASSERT_GT(own.size(), 8u);
  EXPECT_EQ(own.substr(1, 3), "PNG");
  // Back in the form: drawn again as before the window.
  EXPECT_NE(out.str().find("event 6 to body", close), std::string::npos);
}

// What is typed in the own window reaches the area's text and stays there
// when the close box ends the window, whether or not the area had the
// focus in its form before, and with or without a click into the text.
// Each row has a form and an area of its own, the newest in front.
TEST_F(OwnWindowScripts, WhatIsTypedInTheWindowStaysInTheText) {
  struct Row {
    bool activated;  // the area activated in its form before it shrank
    bool clickText;  // a click into the text first in the own window
  };
  const Row rows[] = {{false, true}, {false, false}, {true, true}, {true, false}};
  std::string script = kStart;
  int n = 0;
  for (const Row& row : rows) {
    const std::string area = "a" + std::to_string(++n);
    script += FormAndArea(n) + (row.activated ? "activate " + area + "\n" : "") + "area " + area +
              " move 10 10 100 40\n" + (row.clickText ? "queue 1 h 200 v 200\nqueue 2 h 200 v 200\n" : "") +
              "queue 3 message 0x61\n"
              "queue 4 message 0x61\n"
              "queue 3 message 0x173\n"
              "queue 4 message 0x173\n"
              "queue 3 message 0x173\n"
              "queue 4 message 0x173\n"
              "queue 1 h 23 v 37\n"
              "click 80 90\n"
              "expect calls -421 " + std::to_string(2 * n) + "\n"
              "command 20 area " + area + " long 0 long 1000 result hosttext\n";
  }
  ASSERT_TRUE(RunToTheStop(script));
  size_t from = 0;
  for (n = 1; n <= 4; ++n) {
    SCOPED_TRACE(n);
    from = out.str().find("> command 20 area a" + std::to_string(n), from);
    ASSERT_NE(from, std::string::npos) << out.str();
    const size_t line = out.str().find("\n  result hosttext", from);
    ASSERT_NE(line, std::string::npos) << out.str();
    EXPECT_EQ(out.str().compare(line + 3, 21, "result hosttext \"ass\""), 0) << out.str().substr(line, 40);
  }
}

TEST_F(OwnWindowScripts, TheQueueRunningOutQuitsTheWindow) {
  // The form as the own window leaves it, drawn the same after a second
  // window.
  const std::string script = std::string(kShrunk) +
                             "click 80 90\n"
                             "expect calls -421 2\n"
                             "snapshot invoice \"" +
                             folder +
                             "after.png\"\n"
                             "click 80 90\n"  // still too small: it opens again
                             "expect calls -421 4\n"
                             "expect png invoice \"" +
                             folder +
                             "after.png\"\n"
                             "area body move 10 10 200 100\n"
                             "click 80 90\n"  // large enough: an ordinary click
                             "expect calls -421 4\n"
                             "stop -2\n";
  const ScriptRunner::Outcome outcome = Run(script);
  ASSERT_TRUE(outcome.ok()) << outcome.error << "\n" << out.str();
  EXPECT_NE(At("command-Q taken"), std::string::npos);
  // Without the host's state flag its mode stays as it is.
  EXPECT_TRUE(host->modes.empty());
}

// The host language opens the own window by document command 20, run by
// command 113 or by its user code 114 (command 25), whatever the area's
// size; its loop runs before the command answers, and the close box ends
// it. An area without a table has no own window: nothing opens and the
// command still succeeds. Each row has a form and an area of its own.
TEST_F(OwnWindowScripts, TheHostLanguagesCommand20OpensTheOwnWindow) {
  struct Row {
    const char* table;  // the area's table, "" for none
    bool shrunk;        // moved below its minimum size first
    const char* send;   // the command line's number and arguments
    bool opens;
  };
  const Row rows[] = {{" table 3", false, "113 {} long 20", true},
                      {" table 3", true, "113 {} long 20", true},
                      {" table 3", false, "25 {} word 114 word 0", true},
                      {"", false, "113 {} long 20", false}};
  std::string script = kStart;
  int n = 0, opened = 0;
  for (const Row& row : rows) {
    const std::string area = "area a" + std::to_string(++n);
    std::string send = row.send;
    send.replace(send.find("{}"), 2, area);
    opened += row.opens ? 1 : 0;
    script += FormAndArea(n, row.table) + (row.shrunk ? area + " move 10 10 100 40\n" : "") +
              (row.opens ? "queue 1 h 23 v 37\n" : "") + "command " + send + "\nexpect calls -421 " +
              std::to_string(2 * opened) + "\nexpect calls 361 " + std::to_string(opened) + "\ncommand 28 " +
              area + " result long\nexpect result 0\n";
  }
  RunToTheStop(script);
}

TEST_F(OwnWindowScripts, AnAreaWithoutTableNeverShrinksIntoAWindow) {
  const std::string script =
      "form invoice 40 60 400 240\n"
      "start -1\n"
      "area body create form at invoice 10 10 380 220\n"
      "area body move 10 10 100 40\n"
      "click 80 90\n"
      "expect calls -421 0\n"
      "expect calls 361 0\n"
      "stop -2\n";
  const ScriptRunner::Outcome outcome = Run(script);
  ASSERT_TRUE(outcome.ok()) << outcome.error << "\n" << out.str();
}

}  // namespace
