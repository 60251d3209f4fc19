// The insert and document dialogs run by the real module on the stand-in
// host's forms: their scripts with the pictures of their forms, the
// document's bytes around each cancelled run, and the fixed clock's line.
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "qvhost/tests/ScriptTestSupport.h"

namespace {

class DocumentDialogs : public ScriptTest {
 protected:
};

TEST_F(DocumentDialogs, InsertingDatesPageNumbersLinksAndExpressionsCancelChangesNoByte) {
  RunScriptIn(ScriptWithReferences("dialogs-insert.qvs"), folder);
  const std::string before = SavedDocument("insert-before.qmv");
  ASSERT_FALSE(before.empty());
  EXPECT_EQ(SavedDocument("insert-date-cancelled.qmv"), before);
  EXPECT_NE(SavedDocument("insert-dates.qmv"), before);
  for (const char* kind : {"page", "link", "html"}) {
    const std::string prefix = std::string("insert-") + kind;
    const std::string ready = SavedDocument(prefix + "-before.qmv");
    ASSERT_FALSE(ready.empty()) << kind;
    EXPECT_EQ(SavedDocument(prefix + "-cancelled.qmv"), ready) << kind;
  }
}

TEST_F(DocumentDialogs, PreferencesAndInformationCancelChangesNoByte) {
  RunScriptIn(ScriptWithReferences("dialogs-document.qvs"), folder);
  for (const char* kind : {"prefs", "infos"}) {
    const std::string prefix = std::string("document-") + kind;
    const std::string ready = SavedDocument(prefix + "-before.qmv");
    ASSERT_FALSE(ready.empty()) << kind;
    EXPECT_EQ(SavedDocument(prefix + "-cancelled.qmv"), ready) << kind;
  }
  // Locking the document took its bars and rulers off the form.
  const std::string unlocked = Png("document-infos-unlocked.png");
  ASSERT_FALSE(unlocked.empty());
  EXPECT_NE(Png("document-infos-locked.png"), unlocked);
}

TEST_F(DocumentDialogs, ColumnsCancelChangesNoByteAndOKChangesTheParameters) {
  RunScriptIn(ScriptWithReferences("dialogs-columns.qvs"), folder);
  const std::string before = SavedDocument("columns-before.qmv");
  ASSERT_FALSE(before.empty());
  EXPECT_EQ(SavedDocument("columns-cancelled.qmv"), before);
  EXPECT_NE(SavedDocument("columns-one.qmv"), before);
}

TEST_F(DocumentDialogs, NotesAsLongAsTheFormHoldsGoBackWhole) {
  // 30,000 characters over many lines: the form's text handle carries them
  // all, and reading them back into the document loses none.
  std::string notes;
  while (notes.size() < 30000) notes += "Line of notes " + std::to_string(notes.size()) + "\\r";
  const std::string script =
      "set name \"Qvbase\"\nset version 0x670\nstart -1\nform letters 20 40 420 300\n"
      "area letter create form at letters 10 10 400 280\n"
      "form mvDocumentInformations set vNotes \"" + notes + "\"\n"
      "form mvDocumentInformations accept butOK\ncommand 113 area letter long 801\n"
      "form mvDocumentInformations set vTitle \"Notes kept\"\n"
      "form mvDocumentInformations accept butOK\ncommand 113 area letter long 801\n"
      "form mvDocumentInformations cancel butCancel\ncommand 113 area letter long 801\nstop\n";
  RunScriptIn(script, folder);
  const HostForms::Form* last = host->Forms().LastClosed();
  ASSERT_NE(last, nullptr);
  std::string shown;
  for (const HostForms::Object& object : last->objects) {
    if (object.name == "vNotes") shown = object.text;
  }
  std::string expected;
  for (size_t at = 0; at < notes.size(); ++at) {
    if (notes.compare(at, 2, "\\r") == 0) {
      expected += '\r';
      ++at;
    } else {
      expected += notes[at];
    }
  }
  EXPECT_EQ(shown.size(), expected.size());
  EXPECT_EQ(shown, expected);
}

// A document made and saved while the host's clock stands still carries
// that moment as its creation and its modification stamp.
TEST_F(DocumentDialogs, TheDocumentsStampsFollowTheHostsClock) {
  RunScriptIn(
      "set name \"Qvbase\"\nset version 0x670\nset clock \"2031-12-31 23:59\"\nstart -1\n"
      "form letters 20 40 420 300\narea letter create form at letters 10 10 400 280\n"
      "command 140 area letter word 0 result blob \"stamped.qmv\"\nstop\n",
      folder);
  std::ifstream in(folder + "stamped.qmv", std::ios::binary);
  const std::string bytes(std::istreambuf_iterator<char>(in), {});
  const std::string tag = "FNIw0100";
  const size_t at = bytes.find(tag);
  ASSERT_NE(at, std::string::npos);
  ASSERT_GE(bytes.size() - at, tag.size() + kInfoStamps);
  // Two dates (year, month, day, 16 bits each), then two times in seconds
  // (32 bits each), in this machine's order.
  auto number = [&](size_t offset, int width) {
    uint32_t value = 0;
    for (int i = width - 1; i >= 0; --i) value = value << 8 | uint8_t(bytes[at + tag.size() + offset + i]);
    return value;
  };
  for (size_t date : {0u, 6u}) {
    EXPECT_EQ(number(date, 2), 2031u);
    EXPECT_EQ(number(date + 2, 2), 12u);
    EXPECT_EQ(number(date + 4, 2), 31u);
  }
  EXPECT_EQ(number(12, 4), 23u * 3600 + 59 * 60);
  EXPECT_EQ(number(16, 4), 23u * 3600 + 59 * 60);
}

TEST_F(DocumentDialogs, TheClockLineTakesOnlyARealDateAndTime) {
  struct Case {
    const char* line;
    const char* error;
  };
  const std::vector<Case> cases = {
      {"set clock \"2026-03-05 14:30\"", ""},
      {"set clock \"2026-02-29 10:00\"", "line 1: set clock: no such date"},
      {"set clock \"2026-03-05\"", "line 1: set clock: \"YYYY-MM-DD HH:MM\" expected"},
      {"set clock \"2026-03-05 24:00\"", "line 1: set clock: \"YYYY-MM-DD HH:MM\" expected"},
      {"set clock \"2026-03-05 14:30 extra\"", "line 1: set clock: \"YYYY-MM-DD HH:MM\" expected"},
      {"set clock", "line 1: set clock \"YYYY-MM-DD HH:MM\""},
  };
  for (const Case& c : cases) {
    const ScriptRunner::Outcome outcome = Run(std::string(c.line) + "\n");
    EXPECT_EQ(outcome.error, c.error) << c.line;
  }
}

}  // namespace
