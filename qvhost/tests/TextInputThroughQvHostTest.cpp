// The user edits an area's text with keys and the mouse through the real
// module: typing, moves that select, double clicks, drags over text and
// down the margin, the Control-click that inserts the field the host's
// chooser answers, and what the form shows after each is compared with a
// reference picture drawn with the pinned fonts (QV_REGENERATE_REFERENCES=1
// writes the references again). Input that must change nothing is played
// too: keys at the text's ends, wheels at their limits, drags off the
// window, and a script that ends with the button down.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "qvhost/tests/ScriptTestSupport.h"

namespace {

class TextInputScripts : public ScriptTest {
 protected:
  std::string Snapshot(const std::string& name) { return "update f\nsnapshot f \"" + folder + name + "\"\n"; }
};

// The form's content lies at (40, 60) of the screen and the area at (10,
// 10) of it: the text's first line is at y 106, its second at y 124 (under the ruler), and
// "world" at x 130 to 155.
const char kTextStart[] =
    "set name \"Qvbase\"\n"
    "set version 0x680\n"
    "start -1\n"
    "table 1 \"Clients\"\n"
    "field 1 1 \"Name\" alpha\n"
    "value 1 1 text \"Zed\"\n"
    "form f 40 60 400 240\n"
    "area body create form at f 10 10 380 220\n"
    "click 100 100\n"
    "type \"hello world\\nsecond line here\"\n";

const char kTextEnd[] = "form mvCanDelete click butNo\narea body 17\nstop -2\n";

TEST_F(TextInputScripts, KeysAndClicksSelectWhatTheySay) {
  RunOk(std::string(kTextStart) +
        // Shift and Command-Shift Left from the text's end: "here" and the
        // word before it.
        "key left modifiers 0x200\n"
        "key left modifiers 0x300\n" + CompareLine("f", "text_keys_selected.png") +
        "click 140 106 count 2\n" + CompareLine("f", "text_word_selected.png") +
        "drag 82 106 to 150 124 steps 4\n" + CompareLine("f", "text_drag_selected.png") +
        "drag 60 106 to 60 125 steps 3\n" + CompareLine("f", "text_margin_lines.png") + kTextEnd);
}

TEST_F(TextInputScripts, ControlClickInsertsTheFieldTheChooserAnswers) {
  RunOk(std::string(kTextStart) + "click 100 106\n" + Snapshot("plain.png") + "click 150 124\n" +
        // The chooser answers no table: the caret moves, nothing goes in.
        "choose field 0 0\n"
        "click 100 106 modifiers 0x1000\n" + Snapshot("none.png") +
        "choose field 1 1\n"
        "click 100 106 modifiers 0x1000\n" + CompareLine("f", "text_host_field.png") + kTextEnd);
  EXPECT_NE(At("field at 100,106: 0.0"), std::string::npos) << out.str();
  EXPECT_NE(At("field at 100,106: 1.1"), std::string::npos) << out.str();
  EXPECT_EQ(Png("none.png"), Png("plain.png"));
}

TEST_F(TextInputScripts, InputThatCannotChangeTheTextLeavesItWhole) {
  // The second drag below is pressed where the first began: a double click
  // on the ruler, whose tab stops dialog is cancelled. After a dialog the
  // text has the focus again and a key shows the caret, so the first
  // picture is taken after a dialog and a key too.
  RunOk(std::string(kTextStart) +
        "form mvTabulations cancel butCancel\n"
        "command 113 area body long 753\n"
        "key end modifiers 0x100\n" +
        Snapshot("typed.png") +
        "key home modifiers 0x100\n"
        "key left\n"
        "key delete modifiers 0x200\n"
        "key home modifiers 0x100\n"
        "key end modifiers 0x100\n"
        "key right\n"
        "key end\n"
        "wheel 100 100 32767\n"
        "wheel 100 100 -32767\n"
        "wheel 100 100 -32768\n"
        "drag 100 82 to -3000 -3000 steps 3\n"
        "form mvTabulations cancel butCancel\n"
        "drag 100 82 to 30000 30000 steps 3\n"
        "key end modifiers 0x100\n" + Snapshot("after.png") +
        // The button stays down as the script ends: the input timeline lets
        // it up, and the module's loops end.
        "mouse down 100 100\n"
        "mouse move 100 120\n");
  EXPECT_EQ(Png("typed.png"), Png("after.png"));
}

}  // namespace
