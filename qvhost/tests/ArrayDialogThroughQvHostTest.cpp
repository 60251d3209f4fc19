// The array dialog run by the module's command 408 on the stand-in host's
// forms, the document compared byte for byte: OK pastes the table as one
// undo step, cancel leaves the bytes as they were, and the host's query
// changes the record count a field column shows. (What the form shows is
// checked by the dialog script.)
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "qvhost/tests/ScriptTestSupport.h"

namespace {

class ArrayDialog : public ScriptTest {
 protected:
  // The letter's document as a BLOB in the own format.
  std::string Blob(const std::string& name) { return SaveDocument("command 37 area letter result blob", name); }
  void SetUp() override {
    ScriptTest::SetUp();
    if (HasFatalFailure()) return;
    RunOk(
        "set name \"Qvbase\"\n"
        "set version 0x670\n"
        "start -1\n"
        "form letters 20 40 660 600\n"
        "area letter create form at letters 10 10 640 580\n"
        "click 100 100\n"
        "type \"Before the table\"\n"
        "command 3 area letter long 17 long 17\n");
  }
  // The transcript from `mark` on.
  std::string Since(size_t mark) { return out.str().substr(mark); }
};

TEST_F(ArrayDialog, OkPastesTheTableAsOneUndoStepAndCancelChangesNoByte) {
  const std::string before = Blob("before.qmv");
  RunOk(
      "form mvNewArray select droTemplate \"3\"\n"
      "form mvNewArray cancel butCancel\n"
      "command 113 area letter long 408\n");
  EXPECT_TRUE(Same(Blob("cancelled.qmv"), before));
  RunOk(
      "form mvNewArray select droTemplate \"3\"\n"
      "form mvNewArray set vNumColumn \"3\"\n"
      "form mvNewArray accept butOK\n"
      "command 113 area letter long 408\n");
  const std::string pasted = Blob("pasted.qmv");
  EXPECT_GT(pasted.size(), before.size() + 40);
  RunOk("command 113 area letter long 1\n");
  EXPECT_TRUE(Same(Blob("undone.qmv"), before));
}

TEST_F(ArrayDialog, TableZeroShowsNoRecordsAndAQueryChangesTheCount) {
  RunOk(
      "table 1 \"People\"\n"
      "field 1 1 \"Name\" alpha\n"
      "records 1 12\n"
      "query 1 leaves 3\n");
  const size_t mark = out.str().size();
  // No field chosen: table 0 is neither counted, queried nor sorted.
  RunOk(
      "form mvNewArray select tabSettings \"2\"\n"
      "form mvNewArray expect nbrecs value \"0\"\n"
      "form mvNewArray click rbValue3\n"
      "form mvNewArray expect butFind enabled \"yes\"\n"
      "form mvNewArray click butFind\n"
      "form mvNewArray click butSort\n"
      "form mvNewArray expect nbrecs value \"0\"\n"
      "form mvNewArray cancel butCancel\n"
      "command 113 area letter long 408\n");
  EXPECT_EQ(std::string::npos, Since(mark).find("query 1")) << Since(mark);
  EXPECT_EQ(std::string::npos, Since(mark).find("sort 1")) << Since(mark);
  EXPECT_EQ(std::string::npos, Since(mark).find("FAILED")) << Since(mark);
}

TEST_F(ArrayDialog, AFieldColumnAsksToResizeAndAQueryChangesTheCount) {
  RunOk(
      "table 1 \"People\"\n"
      "field 1 1 \"Name\" alpha\n"
      "records 1 12\n"
      "query 1 leaves 3\n");
  const size_t mark = out.str().size();
  // 12 records for 5 lines whose first is left empty (target 4): asked, OK
  // makes 12 lines; the query leaves 3 records: asked again, cancelled.
  RunOk(
      "form mvNewArray select tabSettings \"3\"\n"
      "form mvNewArray set ckLeaveEmpty \"1\"\n"
      "form mvNewArray select tabSettings \"2\"\n"
      "form mvNewArray click butQvField\n"
      "form mvNewArray expect nbrecs value \"12\"\n"
      "form mvNewArray expect rbValue3 value \"1\"\n"
      "form mvNewArray expect vNumLine value \"12\"\n"
      "form mvNewArray click butFind\n"
      "form mvNewArray expect nbrecs value \"3\"\n"
      "form mvNewArray expect vNumLine value \"12\"\n"
      "form mvNewArray cancel butCancel\n"
      "form mvResizeArray accept butOK\n"
      "form EditEngineObject set vFields \"1.1\"\n"
      "form EditEngineObject accept bOK\n"
      "form mvResizeArray cancel butCancel\n"
      "command 113 area letter long 408\n");
  EXPECT_NE(std::string::npos, Since(mark).find("query 1")) << Since(mark);
  EXPECT_EQ(std::string::npos, Since(mark).find("FAILED")) << Since(mark);
}

TEST_F(ArrayDialog, AFieldColumnReadsItsCellsRecordByRecord) {
  RunOk(
      "table 1 \"People\"\n"
      "field 1 1 \"Name\" alpha\n"
      "records 1 3\n"
      "record 1 0\n"
      "value 1 1 text \"Agatha\"\n"
      "record 1 1\n"
      "value 1 1 text \"Bertrand\"\n"
      "record 1 2\n"
      "value 1 1 text \"Cornelia\"\n"
      "record 1 0\n");
  const std::string before = Blob("before.qmv");
  const size_t mark = out.str().size();
  // The first column takes the field: 3 records for 5 lines, resized to 3
  // on OK; each line shows its own record's name.
  RunOk(
      "form mvNewArray select tabSettings \"2\"\n"
      "form mvNewArray click butQvField\n"
      "form mvNewArray expect nbrecs value \"3\"\n"
      "form mvNewArray expect vNumLine value \"3\"\n"
      "form mvNewArray accept butOK\n"
      "form EditEngineObject set vFields \"1.1\"\n"
      "form EditEngineObject accept bOK\n"
      "form mvResizeArray accept butOK\n"
      "command 113 area letter long 408\n");
  const std::string pasted = Blob("fields.qmv");
  ASSERT_GT(pasted.size(), before.size());
  // The text is stored in 16-bit characters, low byte first.
  const auto wide = [](const std::string& text) {
    std::string bytes;
    for (const char c : text) bytes += std::string{c, '\0'};
    return bytes;
  };
  const size_t first = pasted.find(wide("Agatha")), second = pasted.find(wide("Bertrand")),
               third = pasted.find(wide("Cornelia"));
  ASSERT_NE(first, std::string::npos);
  ASSERT_NE(second, std::string::npos);
  ASSERT_NE(third, std::string::npos);
  EXPECT_LT(first, second);
  EXPECT_LT(second, third);
  // Every rebuild of the preview goes to records 1 to 3 in turn (the host
  // counts from 0), never past the last.
  const std::string log = Since(mark);
  const size_t one = log.find("goto 1 record 0"), two = log.find("goto 1 record 1"), three = log.find("goto 1 record 2");
  EXPECT_NE(one, std::string::npos) << log;
  EXPECT_LT(one, two) << log;
  EXPECT_LT(two, three) << log;
  EXPECT_EQ(std::string::npos, log.find("goto 1 record 3")) << log;
  EXPECT_EQ(std::string::npos, log.find("FAILED")) << log;
}

}  // namespace
