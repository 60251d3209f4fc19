// An editing area shows its document in its form: the user types styled
// paragraphs into it and splits its pane, and what the form shows is
// compared with a reference picture, drawn with the pinned fonts
// (QV_REGENERATE_REFERENCES=1 writes the references again).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "qvhost/tests/ScriptTestSupport.h"

namespace {

class AreaDocumentScripts : public ScriptTest {};

const char kStart[] =
    "set name \"Qvbase\"\n"
    "set version 0x680\n"
    "start -1\n"
    "form invoice 40 60 400 240\n"
    "area body create form at invoice 10 10 380 220\n"
    "click 100 100\n";

// Bold and italic are switched by their shortcuts around what is typed.
const char kStyledText[] =
    "key \"b\" modifiers 0x100\n"
    "type \"Qv Morva\"\n"
    "key \"b\" modifiers 0x100\n"
    "type \"\\nPlain words, then \"\n"
    "key \"i\" modifiers 0x100\n"
    "type \"slanted ones.\"\n"
    "key \"i\" modifiers 0x100\n"
    "type \"\\nA third paragraph.\"\n";

TEST_F(AreaDocumentScripts, TheAreaShowsTheStyledParagraphsTypedIntoIt) {
  const std::string script = std::string(kStart) +
                             "snapshot invoice \"" + folder + "empty.png\"\n" + kStyledText +
                             "idle 2\n"
                             "update invoice\n"
                             "snapshot invoice \"" + folder + "typed.png\"\n" +
                             CompareLine("invoice", "area_styled_paragraphs.png") +
                             "update invoice\n" +
                             CompareLine("invoice", "area_styled_paragraphs.png") +  // drawn again the same
                             "form mvCanDelete click butNo\narea body 17\n"
                             "stop -2\n";
  const ScriptRunner::Outcome outcome = Run(script);
  ASSERT_TRUE(outcome.ok()) << outcome.error << "\n" << out.str();
  EXPECT_EQ(outcome.failures, 0) << out.str();
  EXPECT_NE(Png("typed.png"), Png("empty.png"));
}

TEST_F(AreaDocumentScripts, ASplitPaneShowsTheDocumentTwice) {
  // The split box above the vertical bar, dragged half way down.
  const std::string script = std::string(kStart) + kStyledText +
                             "drag 422 72 to 422 170 steps 4\n"
                             "idle 2\n"
                             "update invoice\n" +
                             CompareLine("invoice", "area_split_pane.png") +
                             "form mvCanDelete click butNo\narea body 17\n"
                             "stop -2\n";
  const ScriptRunner::Outcome outcome = Run(script);
  ASSERT_TRUE(outcome.ok()) << outcome.error << "\n" << out.str();
  EXPECT_EQ(outcome.failures, 0) << out.str();
}

TEST_F(AreaDocumentScripts, AKeyNobodyTakesLeavesTheAreaAsItWas) {
  // Ctrl+Q is no shortcut of the area and types nothing: the area answers
  // that it did not take it and shows what it showed before.
  const std::string script = std::string(kStart) +
                             "type \"Kept\"\n"
                             "idle 40\n"
                             "update invoice\n"
                             "snapshot invoice \"" + folder + "before.png\"\n"
                             "key \"q\" modifiers 0x100\n"
                             "expect event body message 112\n"  // not taken
                             "idle 40\n"
                             "update invoice\n"
                             "expect png invoice \"" + folder + "before.png\"\n"
                             "form mvCanDelete click butNo\narea body 17\n"
                             "stop -2\n";
  const ScriptRunner::Outcome outcome = Run(script);
  ASSERT_TRUE(outcome.ok()) << outcome.error << "\n" << out.str();
  EXPECT_EQ(outcome.failures, 0) << out.str();
}

}  // namespace
