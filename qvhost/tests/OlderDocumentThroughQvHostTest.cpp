// Documents of the older format come in through every way the host hands a
// document over: a BLOB to commands 36, 49 and 141, a host field read by an
// area's document manager, and an area's template kept by the host as
// named data. Each is read by the real module in the stand-in host.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "qvhost/tests/ScriptTestSupport.h"

namespace {

namespace fs = std::filesystem;

std::string OlderFixture(const std::string& name) {
  fs::path source(__FILE__);
  if (source.is_relative()) source = fs::read_symlink("/proc/self/exe").parent_path() / source;
  return (source.parent_path().parent_path().parent_path() / "interchange" / "tests" / "fixtures" / "older" / name)
      .string();
}

std::vector<uint8_t> Bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

std::string Hex(const std::vector<uint8_t>& bytes) {
  std::string hex;
  char digits[3];
  for (const uint8_t byte : bytes) {
    std::snprintf(digits, sizeof digits, "%02X", byte);
    hex += digits;
  }
  return hex;
}

class OlderDocuments : public ScriptTest {
 protected:
  void RunLines(const std::string& lines) {
    const ScriptRunner::Outcome outcome = Run(lines);
    ASSERT_EQ(outcome.error, "") << out.str();
    EXPECT_EQ(outcome.failures, 0) << out.str();
  }
  // The area's last error is 0 and its text (command 20) holds the
  // letter's words.
  static std::string LetterCame(const std::string& area) {
    return "command 28 area " + area + " result long\n"
           "expect result 0\n"
           "command 20 area " + area + " long 0 long 1000 result hosttext\n";
  }
  void ExpectLetterText() {
    const size_t text = out.str().rfind("command 20");
    ASSERT_NE(text, std::string::npos) << out.str();
    EXPECT_NE(out.str().find("Hello\tworld caf", text), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("Second", text), std::string::npos) << out.str();
  }
};

const char kStart[] =
    "set name \"Qvbase\"\n"
    "set version 0x680\n"
    "start -1\n"
    "form f 20 20 400 300\n";

TEST_F(OlderDocuments, Command49ReadsABlobIntoAnArea) {
  RunLines(std::string(kStart) + "area body create form at f 10 10 380 280\n" +
           "command 49 area body blob \"" + OlderFixture("letter.be.qmv") + "\"\n" + LetterCame("body") +
           "area body 17\nstop -2\n");
  ExpectLetterText();
}

TEST_F(OlderDocuments, Command141ReadsABlobIntoAnArea) {
  RunLines(std::string(kStart) + "area body create form at f 10 10 380 280\n" +
           "command 141 area body blob \"" + OlderFixture("letter.le.qmv") + "\"\n" + LetterCame("body") +
           "area body 17\nstop -2\n");
  ExpectLetterText();
}

TEST_F(OlderDocuments, Command36MakesAnOffscreenAreaFromABlob) {
  RunLines(std::string(kStart) + "command 36 blob \"" + OlderFixture("offset.qmv") + "\" result area letter\n" +
           LetterCame("letter") + "stop -2\n");
  ExpectLetterText();
}

// The marks' references reach the host: the first reference (command 59,
// kind 1) names field 3 of table 2 (command 60).
TEST_F(OlderDocuments, MarksBecomeReferencesTheHostReads) {
  RunLines(std::string(kStart) + "table 2 \"Orders\"\nfield 2 3 \"Client\" alpha\n" +
           "area body create form at f 10 10 380 280\n" +
           "command 49 area body blob \"" + OlderFixture("marks.be.qmv") + "\"\n" +
           "command 28 area body result long\n"
           "expect result 0\n"
           "command 59 area body word 1 long 1 long 0\n"
           "command 60 area body word 0 word 0 text \"\" word 0 text \"\" word 0 word 0\n"
           "expect out p1 2\n"
           "expect out p2 3\n"
           "area body 17\nstop -2\n");
}

TEST_F(OlderDocuments, AnAreaBoundToAFieldReadsTheOlderFormat) {
  RunLines(std::string(kStart) + "table 1 \"Letters\"\nfield 1 1 \"body_\" blob\nrecord 1 1\n" +
           "value 1 1 hex \"" + Hex(Bytes(OlderFixture("letter.be.qmv"))) + "\"\n" +
           "area body create form at f 10 10 380 280 table 1\n" + "expect messages 0\n" + LetterCame("body") +
           "area body 17\nstop -2\n");
  ExpectLetterText();
}

// Stored into its field once the conversion question is accepted (package
// option 5 on), the document is in the own format: the next store asks
// nothing (a second question would find no script).
TEST_F(OlderDocuments, AnAcceptedConversionIsAskedOnce) {
  RunLines(std::string(kStart) + "table 1 \"Letters\"\nfield 1 1 \"body_\" blob\nrecord 1 1\n" +
           "value 1 1 hex \"" + Hex(Bytes(OlderFixture("letter.le.qmv"))) + "\"\n" +
           "command 137 ref 0 word 5 word 1 text \"\"\narea body create form at f 10 10 380 280 "
           "table 1\n"
           "form mvConvert accept butOK\narea body 70\narea body 70\nexpect field 1 1 prefix "
           "\"00008E8F\"\n"
           "expect messages 0\narea body 17\nstop -2\n");
}

// With the host keeping templates, an area on a table without its field
// starts from the named data "body_", here in the older format.
TEST_F(OlderDocuments, AnAreasTemplateKeptByTheHostReadsTheOlderFormat) {
  ASSERT_TRUE(host->Database().SetDocument("body_", Bytes(OlderFixture("letter.le.qmv"))));
  RunLines("set name \"Qvbase\"\nset version 0x680\nset flags 0 0 0 1 0\nstart -1\nform f 20 20 400 300\n"
           "table 1 \"Letters\"\n"
           "area body create form at f 10 10 380 280 table 1\n"
           "expect messages 0\n"
           "command 20 area body long 0 long 1000 result hosttext\n"
           "area body 17\nstop -2\n");
  ExpectLetterText();
}

}  // namespace
