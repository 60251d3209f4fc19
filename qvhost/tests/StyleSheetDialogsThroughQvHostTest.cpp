// The style sheets dialog run by the module's command 755 on the stand-in
// host's forms: its script whole, with the pictures of its forms; the
// document compared byte for byte where a run must leave it as it was; the
// most sheets a document holds; deleting a sheet empties the undo; sheets
// named in Greek and Cyrillic told apart and copied.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "qvhost/tests/ScriptTestSupport.h"

namespace {

class StyleSheetDialogs : public ScriptTest {
 protected:
  void Open() {
    RunOk(
        "set name \"Qvbase\"\n"
        "set version 0x670\n"
        "start -1\n"
        "form letters 20 40 420 300\n"
        "area letter create form at letters 10 10 400 280\n"
        "click 100 100\n"
        "type \"Hello brave world\\nSecond line\"\n"
        "command 3 area letter long 1 long 5\n");
  }
  // The document in the own format, as a BLOB.
  std::string Blob(const std::string& name) {
    return SaveDocument("command 140 area letter word 0 result blob", name);
  }
};

TEST_F(StyleSheetDialogs, TheScriptRunsEveryButtonWithThePicturesOfItsForms) {
  const std::string script = ScriptWithReferences("dialogs-styles.qvs");
  // Its pictures are compared with the references in the tests' data.
  EXPECT_NE(script.find(std::string(QVHOST_TEST_DATA) + "/dialogs-styles-"), std::string::npos);
  // The BLOB it imports from is written beside the pictures.
  RunScriptIn(script, folder);
  EXPECT_TRUE(host->Forms().Failures().empty()) << host->Forms().Failures().front();
}

// LibreOffice's Word letter with paragraph styles named "Επιστολή",
// "Υπογραφή" (bold) and "Лист 2026": the manager lists three names of their
// own, a new sheet made from the second Greek one is bold like it, and the
// names stay whole through an edit that leaves them as shown and through
// our own file.
TEST_F(StyleSheetDialogs, SheetsNamedInOtherScriptsAreToldApartAndCopied) {
  const std::string letter =
      std::string(QVHOST_SCRIPTS_FOLDER) + "/../../interchange/tests/fixtures/word/stories/greekstyles.doc";
  const std::string names = "Normal|Heading|Text Body|List|Caption|Index|?π??????|?π?????? 2|???? 2026";
  Open();
  RunOk("command 48 area letter hosttext \"" + letter +
        "\" text \"\"\n"
        "form mvStyleSheets expect ListStyles items \"" + names + "\"\n"
        "form mvStyleSheets click butNew\n"
        "form mvStyleSheets accept butOK\n"
        "form mvNewStyle select rbChoice3 1\n"
        "form mvNewStyle select droStyleSheet 8\n"
        "form mvNewStyle accept butOK\n"
        "form mvEditStyle accept butOK\n"
        "command 113 area letter long 755\n"
        "command 73 area letter word 9 text \"\" word 0 word 0 word 0 long 0\n"
        "expect out p2 \"Style 1\"\n"
        "expect out p5 1\n"
        // Edited with the name left as shown, and through our own file.
        "form mvStyleSheets select ListStyles 8\n"
        "form mvStyleSheets click butEdit\n"
        "form mvStyleSheets expect ListStyles items \"" + names + "|Style 1\"\n"
        "form mvStyleSheets cancel butCancel\n"
        "form mvEditStyle expect vStyleName text \"?π?????? 2\"\n"
        "form mvEditStyle accept butOK\n"
        "form mvStyleModified accept butOK\n"
        "command 113 area letter long 755\n"
        "command 50 area letter hosttext \"" + folder + "names.rtf\" text \"RTF \"\n"
        "command 50 area letter hosttext \"" + folder + "names.qmv\" text \"QMV7\"\n"
        "command 48 area letter hosttext \"" + folder + "names.qmv\" text \"\"\n"
        "form mvStyleSheets expect ListStyles items \"" + names + "|Style 1\"\n"
        "form mvStyleSheets cancel butCancel\n"
        "command 113 area letter long 755\n");
  EXPECT_TRUE(host->Forms().Failures().empty()) << host->Forms().Failures().front();
  EXPECT_NE(SavedDocument("names.rtf").find(" \\u933\\'3f\\u960\\'3f\\u959\\'3f"), std::string::npos) << "Υπογραφή whole";
}

TEST_F(StyleSheetDialogs, AnEditCancelledAfterItsSubDialogsLeavesTheDocumentsBytes) {
  Open();
  const std::string before = Blob("before.qmv");
  RunOk(
      "form mvStyleSheets click butEdit\n"
      "form mvStyleSheets cancel butCancel\n"
      "form mvEditStyle click butCharacters\n"
      "form mvEditStyle select drAppliesTo 1\n"
      "form mvEditStyle cancel butCancel\n"
      "form mvChooseFont set chkBold 1\n"
      "form mvChooseFont accept butOK\n"
      "command 113 area letter long 755\n");
  EXPECT_TRUE(host->Forms().Failures().empty()) << host->Forms().Failures().front();
  EXPECT_TRUE(Same(Blob("after.qmv"), before));
  // A new sheet given up in either dialog adds nothing.
  RunOk(
      "form mvStyleSheets click butNew\n"
      "form mvStyleSheets click butNew\n"
      "form mvStyleSheets cancel butCancel\n"
      "form mvNewStyle accept butOK\n"
      "form mvEditStyle cancel butCancel\n"
      "form mvNewStyle cancel butCancel\n"
      "command 113 area letter long 755\n");
  EXPECT_TRUE(host->Forms().Failures().empty()) << host->Forms().Failures().front();
  EXPECT_TRUE(Same(Blob("given-up.qmv"), before));
}

TEST_F(StyleSheetDialogs, TheTwoHundredAndFiftySeventhSheetIsRefusedWithTheBeep) {
  Open();
  std::string lines;
  for (int32_t n = 2; n <= 256; ++n)
    lines += "command 151 area letter text \"Sheet " + std::to_string(n) +
             "\" word 1 text \"\" result long\n";
  RunOk(lines + "command 28 area letter result long\nexpect result 0\nexpect beeps 0\n");
  // No form of a new sheet opens: a script for one would be left over.
  RunOk(
      "form mvStyleSheets click butNew\n"
      "form mvStyleSheets cancel butCancel\n"
      "command 113 area letter long 755\n"
      "expect beeps 1\n");
  EXPECT_TRUE(host->Forms().Failures().empty()) << host->Forms().Failures().front();
  // One sheet fewer, and a new one is made again.
  RunOk(
      "command 150 area letter long 256\n"
      "form mvStyleSheets select ListStyles 255\n"
      "form mvStyleSheets click butNew\n"
      "form mvStyleSheets expect ListStyles value \"256\"\n"
      "form mvStyleSheets cancel butCancel\n"
      "form mvNewStyle accept butOK\n"
      "form mvEditStyle set vStyleName \"Last\"\n"
      "form mvEditStyle accept butOK\n"
      "command 113 area letter long 755\n"
      "command 148 area letter long 256 text \"\" word -1 word -1 text \"\"\n"
      "expect out p2 \"Last\"\n"
      "expect beeps 0\n");
  EXPECT_TRUE(host->Forms().Failures().empty()) << host->Forms().Failures().front();
}

TEST_F(StyleSheetDialogs, DeletingASheetTheTextCarriesLeavesNothingToUndo) {
  Open();
  RunOk(
      "command 151 area letter text \"Quote\" word 0 text \"\" result long\n"
      "command 152 area letter long 2 word 1 real 1 long 0\n"
      "command 107 area letter long 2\n"
      "command 102 area letter word 1 word 0 result real\n"
      "expect out result 1\n");
  RunOk(
      "form mvStyleSheets select ListStyles 2\n"
      "form mvStyleSheets click butDelete\n"
      "form mvStyleSheets expect ListStyles value \"1\"\n"
      "form mvStyleSheets expect ListStyles items \"Normal\"\n"
      "form mvStyleSheets cancel butCancel\n"
      "command 113 area letter long 755\n"
      "command 148 area letter long 2 text \"\" word -1 word -1 text \"\"\n"
      "command 28 area letter result long\n"
      "expect result 1038\n");
  EXPECT_TRUE(host->Forms().Failures().empty()) << host->Forms().Failures().front();
  // The host removes rows from the first to the last: row 2 alone.
  EXPECT_NE(At("ListStyles: remove rows 2 to 2"), std::string::npos) << out.str();
  const std::string deleted = Blob("deleted.qmv");
  RunOk("command 113 area letter long 1\n");
  EXPECT_TRUE(Same(Blob("undone.qmv"), deleted));
}

}  // namespace
