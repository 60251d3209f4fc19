// The module's own area in a form of the stand-in host, driven by scripts
// as a user and the host drive it: made, drawn, clicked, keyed (Tab out
// forwards and backwards), idled, activated, deactivated and closed, each
// checked by its answer, the host calls it made and what the form shows.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include "boundary/HostSelectors.h"
#include "qvhost/QvHost.h"
#include "qvhost/ScriptRunner.h"
#include "qvhost/tests/ScriptTestSupport.h"

namespace {

class AreaScripts : public ScriptTest {};

const char kStart[] =
    "set name \"Qvbase\"\n"
    "set version 0x680\n"
    "start -1\n"
    "form invoice 40 60 400 240\n";

// What a shell command writes on its standard output, whatever its status.
std::string CommandOutput(const std::string& command) {
  std::string out;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
    pclose(pipe);
  }
  return out;
}

// One edge (xMin, yMin, xMax, yMax) in points of the first word `word` on
// the first page of a PDF, as pdftotext places it; -1 when it is not there.
double WordEdge(const std::string& pdf, const std::string& word, const std::string& edge) {
  const std::string boxes = CommandOutput("pdftotext -bbox -f 1 -l 1 '" + pdf + "' - 2>/dev/null");
  const size_t at = boxes.find("\">" + word + "</word>");
  if (at == std::string::npos) return -1;
  const size_t from = boxes.find(edge + "=\"", boxes.rfind("<word ", at));
  return from == std::string::npos || from > at ? -1 : std::atof(boxes.c_str() + from + edge.size() + 2);
}

// A screen's 12-pixel text printed at the screen's size is about 9 points
// high; in the printer's own dots it would be under 3.
double WordHeight(const std::string& pdf, const std::string& word) {
  return WordEdge(pdf, word, "yMax") - WordEdge(pdf, word, "yMin");
}

TEST_F(AreaScripts, AnAreaIsDrawnInItsFormAndDrawnAgainTheSame) {
  const std::string script = std::string(kStart) +
                             "snapshot invoice \"" + folder + "empty.png\"\n"
                             "area body create form at invoice 10 10 380 220\n"
                             "expect cell body set\n"
                             "expect calls -164 1\n"  // the host's look, asked once at initialisation
                             "snapshot invoice \"" + folder + "drawn.png\"\n"
                             "update invoice\n"
                             "expect png invoice \"" + folder + "drawn.png\"\n"
                             "area body 17\n"
                             "stop -2\n";
  ASSERT_NO_FATAL_FAILURE(RunOk(script));
  const std::string empty = Png("empty.png");
  const std::string drawn = Png("drawn.png");
  ASSERT_GT(drawn.size(), 8u);
  EXPECT_EQ(drawn.substr(1, 3), "PNG");
  EXPECT_NE(drawn, empty);
  // The update event reached the area with the form's port clipped.
  EXPECT_NE(out.str().find("event 6 to body"), std::string::npos);
}

// Four areas made one after another, two a row and side by side, the
// first showing a letter. An area's first update invalidates its own old
// and new places, not the whole form, and what its frames invalidate is
// cut to its box (the content view's first place, and the margin round
// it, reach past it): so the line that makes the last area sends update
// events only to it and to the one made before (whose first update was
// the line before), not to the two above them. The form then shows what
// it shows when every area draws again, as it did when each first update
// redrew all.
TEST_F(AreaScripts, AreasMadeOneAfterAnotherRedrawOnlyWhereTheNewOneStands) {
  const std::string last = "area a3 create form at invoice 190 80 180 70\n";
  const std::string script = std::string(kStart) +
                             "area a0 create form at invoice 10 10 180 70\n"
                             "command 49 area a0 blob \"" QVHOST_SCRIPTS_FOLDER "/letter.qmv\"\n"
                             "area a1 create form at invoice 190 10 180 70\n"
                             "area a2 create form at invoice 10 80 180 70\n" +
                             last + "idle 1\n"
                             "snapshot invoice \"" + folder + "made.png\"\n"
                             "update invoice\n"
                             "expect png invoice \"" + folder + "made.png\"\n" +
                             CompareLine("invoice", "areas_made_one_after_another.png") + "stop -2\n";
  ASSERT_NO_FATAL_FAILURE(RunOk(script));
  const std::string text = out.str();
  const size_t from = text.find("> " + last);
  ASSERT_NE(from, std::string::npos);
  const std::string shown = text.substr(from, text.find("\n> ", from + 1) - from);
  for (const char* drawn : {"event 6 to a2", "event 6 to a3"}) EXPECT_NE(shown.find(drawn), std::string::npos) << shown;
  for (const char* other : {"event 6 to a0", "event 6 to a1"})
    EXPECT_EQ(shown.find(other), std::string::npos) << other << " in:\n" << shown;
}

TEST_F(AreaScripts, EventsAnswerTheHostInTheirRecords) {
  const std::string script = std::string(kStart) +
                             "area body create form at invoice 10 10 380 220\n"
                             "click 100 100\n"
                             "expect calls -307 1\n"           // the focus taken sets the edit menu
                             "area body 1\n"
                             "expect event body message 301\n"  // a click is taken
                             "area body 3 message 0x3009\n"
                             "expect event body message 301\n"  // Tab: a tab in the text
                             "area body 3 message 0x3009 modifiers 0x100\n"
                             "expect event body message 110\n"  // Ctrl+Tab: out forwards
                             "area body 3 message 0x3009 modifiers 0x200\n"
                             "expect event body message 111\n"  // Shift-Tab: out backwards
                             "area body 3 message 0\n"
                             "expect event body message 0\n"    // no key: no answer
                             "area body 3 message 0x0C71 modifiers 0x100\n"
                             "expect event body message 112\n"  // a key nobody takes (Ctrl+Q)
                             "area body 20\n"
                             "expect event body message 101\n"  // enabled
                             "idle 3\n"
                             "deactivate body\n"
                             "activate body\n"
                             "expect calls -307 3\n"            // the tab typed, and taken again:
                                                                // the edit menu each time
                             "form mvCanDelete click butNo\narea body 17 message 130\n"
                             "expect event body message 130\n"  // closed, not refused
                             "stop -2\n"
                             "expect calls -433 2\n";
  ASSERT_NO_FATAL_FAILURE(RunOk(script));
}

TEST_F(AreaScripts, ClosingWithoutTheForcedMessageAlsoClosesTheBaseArea) {
  const std::string script = std::string(kStart) +
                             "area note create form at invoice 10 10 100 50\n"
                             "area note 17\n"
                             "expect event note message 0\n"  // not 122: the base area may close
                             "area body create form at invoice 10 70 100 50\n"
                             "area body 17 message 130\n"
                             "expect event body message 130\n"
                             "stop -2\n";
  ASSERT_NO_FATAL_FAILURE(RunOk(script));
}

TEST_F(AreaScripts, AnOutputAreaShowsItsDocumentOnUpdate) {
  const std::string script = std::string(kStart) +
                             "snapshot invoice \"" + folder + "blank.png\"\n"
                             "area pattern create output at invoice 10 10 200 100\n"
                             "expect cell pattern set\n"
                             "command 49 area pattern blob \"" QVHOST_SCRIPTS_FOLDER "/letter.qmv\"\n"
                             "update invoice\n"
                             "snapshot invoice \"" + folder + "pattern.png\"\n"
                             "area pattern 6\n"
                             "expect png invoice \"" + folder + "pattern.png\"\n"
                             "area pattern 20\n"
                             "expect event pattern message 0x1000000\n"  // words 0x100 and 0
                             "area pattern 0x70\n"
                             "expect event pattern modifiers 0x70\n"     // not the output's
                             "area pattern 17\n"
                             "stop -2\n";
  ASSERT_NO_FATAL_FAILURE(RunOk(script));
  const std::string blank = Png("blank.png");
  const std::string pattern = Png("pattern.png");
  ASSERT_GT(pattern.size(), 8u);
  EXPECT_EQ(pattern.substr(1, 3), "PNG");
  EXPECT_NE(pattern, blank);
  EXPECT_NE(out.str().find("event 6 to pattern"), std::string::npos);
}

TEST_F(AreaScripts, APrintingAreaPrintsAPageOnTheVirtualPrinter) {
  const std::string pdf = folder + "area.pdf";
  const std::string script = std::string(kStart) +
                             "area sheet create printing at invoice 10 10 200 100\n"
                             "expect cell sheet set\n"
                             "print sheet \"" + pdf + "\"\n"
                             "expect event sheet message 0\n"  // 28: the base ends nothing
                             "print nobody \"" + pdf + "\"\n";
  const ScriptRunner::Outcome outcome = Run(script);
  EXPECT_NE(outcome.error.find("no area nobody"), std::string::npos) << outcome.error << "\n" << out.str();
  EXPECT_EQ(outcome.failures, 0) << out.str();
  ASSERT_TRUE(std::filesystem::exists(pdf));
  const std::string info = CommandOutput("pdfinfo '" + pdf + "' 2>&1");
  ASSERT_NE(info.find("Pages:"), std::string::npos) << info;
  EXPECT_EQ(std::stoi(info.substr(info.find("Pages:") + 6)), 1);
  host->Stop(kSelStop);
}

// A form's area prints as the host prints a form: an update with the
// page's port current, on which the area draws what it shows, text kept as
// text; its window is left as it was.
TEST_F(AreaScripts, AFormAreaPrintsTheTextItShowsOnThePage) {
  const std::string pdf = folder + "form.pdf";
  const std::string script = std::string(kStart) +
                             "area body create form at invoice 10 10 380 220\n"
                             "click 100 100\n"
                             "type \"Printed from the form\"\n"
                             "snapshot invoice \"" + folder + "before.png\"\n"
                             "print body \"" + pdf + "\"\n"
                             "expect pdf \"" + pdf + "\" pages 1\n"
                             "expect pdf \"" + pdf + "\" page 1 \"Printed from the form\"\n"
                             "expect png invoice \"" + folder + "before.png\"\n"
                             "form mvCanDelete click butNo\n"
                             "area body 17\n"
                             "stop -2\n";
  ASSERT_NO_FATAL_FAILURE(RunOk(script));
  // At the size the form shows, not in the printer's tiny dots.
  EXPECT_GT(WordHeight(pdf, "Printed"), 6.0);
}

// An output object of the form prints the same way, at its size in the
// form: its document's first line begins at the object's left edge, 10
// screen pixels into the form, which is 7.5 points on the page, text kept
// as text.
TEST_F(AreaScripts, AnOutputObjectPrintsAtItsSizeInTheForm) {
  const std::string pdf = folder + "output.pdf";
  const std::string wide = folder + "wide.pdf";
  RunOk(std::string(kStart) +
        "area out create output at invoice 10 10 200 100\n"
        "command 49 area out blob \"" QVHOST_SCRIPTS_FOLDER "/letter.qmv\"\n"
        "print out \"" + pdf + "\"\n"
        "expect pdf \"" + pdf + "\" pages 1\n"
        "area far create output at invoice 50 10 200 100\n"
        "command 49 area far blob \"" QVHOST_SCRIPTS_FOLDER "/letter.qmv\"\n"
        "print far \"" + wide + "\"\n");
  const double first = WordEdge(pdf, "letter", "xMin");
  const double moved = WordEdge(wide, "letter", "xMin");
  ASSERT_GE(first, 0);
  // 40 screen pixels further into the form lie 30 points further on the page.
  EXPECT_NEAR(moved - first, 30.0, 1.0);
}

// The module's own print jobs write where `printer output` says, an
// absolute path as it stands.
TEST_F(AreaScripts, PrinterOutputTakesAnAbsolutePath) {
  std::filesystem::create_directories(folder + "jobs");
  const std::string pdf = folder + "jobs/job.pdf";
  const std::string script = std::string(kStart) +
                             "area body create form at invoice 10 10 380 220\n"
                             "click 100 100\n"
                             "type \"Written where asked\"\n"
                             "printer output \"" + pdf + "\"\n"
                             "command 4 area body word 0 word 0\n"
                             "command 28 area body result long\n"
                             "expect result 0\n"
                             "expect pdf \"" + pdf + "\" page 1 \"Written where asked\"\n"
                             "form mvCanDelete click butNo\n"
                             "area body 17\n"
                             "stop -2\n";
  ASSERT_NO_FATAL_FAILURE(RunOk(script));
  EXPECT_TRUE(std::filesystem::is_regular_file(pdf));
}

// A print the host cannot carry out fails its line instead of leaving a
// blank page or nothing behind. Each case runs in a host of its own.
TEST_F(AreaScripts, APrintTheHostCannotCarryOutFailsItsLine) {
  const std::string missing = "/no/such/folder/page.pdf";
  // The lines after the area is made, and the error; "@" stands for the
  // host's pictures folder.
  const struct {
    std::string lines;
    std::string error;
  } cases[] = {
      {"printer output \"" + missing + "\"\n", "line 6: cannot write " + missing + ": no folder /no/such/folder"},
      {"printer output \"@\"\n", "line 6: cannot write @: it is a folder"},
      {"printer output page.pdf\n", "line 6: printer output \"file.pdf\""},
      {"printer accept all\n", "line 6: trailing word all (printer accept)"},
      {"printer keep\n", "line 6: printer output \"file.pdf\" | pages FROM TO [turn] | accept | cancel"},
      {"print body \"" + missing + "\"\n", "line 6: the print job did not start: cannot write " + missing},
      {"area loose create form\nprint loose \"@loose.pdf\"\n", "line 7: the area is in no form"},
      {"area none 1\nprint none \"@none.pdf\"\n", "line 7: the area was never made (event 16)"},
  };
  auto inFolder = [this](std::string text) {
    for (size_t at = text.find('@'); at != std::string::npos; at = text.find('@', at + folder.size()))
      text.replace(at, 1, folder);
    return text;
  };
  for (const auto& c : cases) {
    SetUp();
    const ScriptRunner::Outcome outcome =
        Run(std::string(kStart) + "area body create form at invoice 10 10 380 220\n" + inFolder(c.lines));
    EXPECT_EQ(outcome.error, inFolder(c.error)) << c.lines << out.str();
    EXPECT_FALSE(std::filesystem::exists(folder + "loose.pdf"));
    EXPECT_FALSE(std::filesystem::exists(folder + "none.pdf"));
  }
}

}  // namespace
