// The ruler above an editing area, used with the mouse as a user would:
// the left indent dragged, tab stops made with a click, of the kind chosen
// in the tab selector's menu, and pulled off again; what the form shows
// after each step is compared with a reference picture drawn with the
// pinned fonts (QV_REGENERATE_REFERENCES=1 writes the references again).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "qvhost/tests/ScriptTestSupport.h"

namespace {

class RulerScripts : public ScriptTest {
 protected:
  std::string Shot(const std::string& name) const {
    return "idle 2\nupdate letter\nsnapshot letter \"" + folder + name + "\"\n";
  }
};

// The form at (40, 60), its area 10 pixels in: the tab selector's square at
// screen (50, 70), the ruler beside it, the text's left edge at x = 78.
const char kRulerStart[] =
    "set name \"Qvbase\"\n"
    "set version 0x680\n"
    "start -1\n"
    "form letter 40 60 400 240\n"
    "area body create form at letter 10 10 380 220\n"
    "click 150 150\n"
    "type \"Columns of figures\\nA second paragraph.\"\n"
    "click 90 102\n";

TEST_F(RulerScripts, IndentsAndTabStopsAreDraggedOnTheRuler) {
  const std::string script = std::string(kRulerStart) + Shot("typed.png") +
                             // The lower part of the left indent's marker: the whole paragraph
                             // moves in by a centimetre, snapped.
                             "drag 78 88 to 117 88 steps 4\n" + Shot("indented.png") +
                             CompareLine("letter", "ruler_left_indent.png") +
                             // A click on the empty band makes a left stop.
                             "click 230 75\n" + Shot("left_stop.png") +
                             CompareLine("letter", "ruler_left_stop.png") +
                             // The selector's menu chooses right stops for the next click.
                             "menu choose 3\n"
                             "click 60 80\n"
                             "click 300 75\n" +
                             Shot("right_stop.png") + CompareLine("letter", "ruler_right_stop.png") +
                             // Pulled down off the ruler, the left stop goes.
                             "drag 230 75 to 230 110 steps 4\n" + Shot("pulled.png") +
                             "form mvCanDelete click butNo\narea body 17\n"
                             "stop -2\n";
  const ScriptRunner::Outcome outcome = Run(script);
  ASSERT_TRUE(outcome.ok()) << outcome.error << "\n" << out.str();
  EXPECT_EQ(outcome.failures, 0) << out.str();
  EXPECT_NE(Png("indented.png"), Png("typed.png"));
  EXPECT_NE(Png("left_stop.png"), Png("indented.png"));
  EXPECT_NE(Png("right_stop.png"), Png("left_stop.png"));
  EXPECT_NE(Png("pulled.png"), Png("right_stop.png"));
}

TEST_F(RulerScripts, DragsOffTheRulerAndPastTheWindowLeaveTheTextWhole) {
  const std::string script = std::string(kRulerStart) + Shot("before.png") +
                             // Left of the text, between the markers: nothing.
                             "click 76 79\n" + Shot("between.png") +
                             // The first line's marker dragged far past the window's right
                             // edge, then past its left edge: held to its limits each time.
                             "drag 78 73 to 1200 73 steps 6\n" + Shot("far.png") +
                             // The second press where the first went down is a double
                             // click on the stops' band: the tab stops dialog, cancelled.
                             "form mvTabulations cancel butCancel\n"
                             "drag 78 73 to -300 73 steps 6\n" + Shot("back.png") +
                             "form mvCanDelete click butNo\narea body 17\n"
                             "stop -2\n";
  const ScriptRunner::Outcome outcome = Run(script);
  ASSERT_TRUE(outcome.ok()) << outcome.error << "\n" << out.str();
  EXPECT_EQ(outcome.failures, 0) << out.str();
  EXPECT_EQ(Png("between.png"), Png("before.png"));
  EXPECT_NE(Png("far.png"), Png("before.png"));
}

TEST_F(RulerScripts, EachKindOfTheSelectorsMenuMakesItsOwnStop) {
  // Left, centred, right, decimal and bar stops, one each, chosen from the
  // tab selector's menu before each click on the ruler's empty band.
  std::string script = std::string(kRulerStart);
  for (int kind = 1; kind <= 5; ++kind) {
    script += "menu choose " + std::to_string(kind) + "\nclick 60 80\nclick " + std::to_string(110 + 45 * kind) +
              " 75\n" + Shot("kind" + std::to_string(kind) + ".png");
  }
  script += CompareLine("letter", "ruler_five_kinds.png") + "form mvCanDelete click butNo\narea body 17\nstop -2\n";
  const ScriptRunner::Outcome outcome = Run(script);
  ASSERT_TRUE(outcome.ok()) << outcome.error << "\n" << out.str();
  EXPECT_EQ(outcome.failures, 0) << out.str();
  // Each choice shows in the selector and each click adds a stop.
  for (int kind = 2; kind <= 5; ++kind) {
    EXPECT_NE(Png("kind" + std::to_string(kind) + ".png"), Png("kind" + std::to_string(kind - 1) + ".png")) << kind;
  }
}

TEST_F(RulerScripts, AChoiceByTextOfAnOwnerDrawnItemFailsTheLine) {
  // The selector's menu draws its items itself: no text shows to choose
  // one by, so the choice closes the menu with a beep and fails the line.
  const std::string script = std::string(kRulerStart) +
                             "menu choose \"Right\"\n"
                             "click 60 80\n"
                             "expect beeps 1\n"
                             "form mvCanDelete click butNo\narea body 17\nstop -2\n";
  const ScriptRunner::Outcome outcome = Run(script);
  ASSERT_TRUE(outcome.error.empty()) << outcome.error << "\n" << out.str();
  EXPECT_EQ(outcome.failures, 1) << out.str();
  EXPECT_NE(out.str().find("FAILED: menu choose \"Right\": no item shows that text"), std::string::npos) << out.str();
}

}  // namespace
