// The editing area's commands through DaVuze and the stand-in host: the
// references handed out with the creating events, the value forms of the
// command lines, the user's methods called through the host with their
// arguments, and the host refusing them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>

#include "area/tests/DocumentFileSupport.h"
#include "platform/gdi/GdiSnapshot.h"
#include "platform/gdi/WinGdi.h"
#include "qvhost/tests/ScriptTestSupport.h"

namespace {

class AreaCommands : public ScriptTest {
 protected:
  // Runs the lines after a start; no line may fail.
  void RunLines(const std::string& lines) {
    const ScriptRunner::Outcome outcome = Run("start\n" + lines);
    EXPECT_EQ(outcome.error, "") << out.str();
    EXPECT_EQ(outcome.failures, 0) << out.str();
  }
  // On a new area of a form of its own, takes a picture after `shown`, runs
  // `hide` and takes another, then runs `show`: hidden, the picture differs;
  // shown again, it is the first one.
  void HideAndShowAgain(const std::string& form, const std::string& shown, const std::string& hide,
                        const std::string& show) {
    const std::string all = form + "-all.png", hidden = form + "-hidden.png";
    RunLines("form " + form + " 20 40 420 300\n"
             "area " + form + " create form at " + form + " 10 10 400 280\n"
             "command 46 area " + form + " word 0\n" + shown +
             "snapshot " + form + " \"" + folder + all + "\"\n" + hide +
             "snapshot " + form + " \"" + folder + hidden + "\"\n" + show +
             "expect png " + form + " \"" + folder + all + "\"\n"
             "area " + form + " 17\n"
             "stop\n");
    EXPECT_FALSE(Png(all).empty());
    EXPECT_NE(Png(hidden), Png(all));
  }
};

TEST_F(AreaCommands, TheScriptOfAreasRunsWithEveryExpectationHeld) {
  std::ifstream in(QVHOST_AREAS_SCRIPT);
  std::stringstream script;
  script << in.rdbuf();
  const ScriptRunner::Outcome outcome = Run(script.str());
  EXPECT_EQ(outcome.error, "") << out.str();
  EXPECT_EQ(outcome.failures, 0) << out.str();
  EXPECT_GT(outcome.lines, 60);
}

// A file's bytes less the informations' modification stamp, which every
// save sets; empty when there is no such file.
documentfile::Bytes FileBytes(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  documentfile::Bytes bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  return documentfile::WithoutStamp(bytes);
}

// The script's rich document, written in this process as the module
// writes it.
class DocumentFileScript : public documentfile::Fixture {
 public:
  void WriteRichDocument(const std::string& path) {
    auto document = NewDocument();
    documentfile::FillDocument(*document, 20);
    const documentfile::Bytes bytes = documentfile::Write(*document);
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  }
  // A rich document as hex digits; `repaired`: its body names a font the
  // file lacks.
  std::string DocumentHex(bool repaired) {
    auto document = NewDocument();
    documentfile::FillDocument(*document, 2);
    if (repaired) documentfile::Engine(*document, kPartBody).InsertPropertyRecord(0, kPropFont, 60);
    return Hex(*document);
  }
  // A document of one line of text as hex digits.
  std::string LetterHex(const std::string& text) {
    auto document = NewDocument();
    documentfile::Type(documentfile::Engine(*document, kPartBody), text);
    return Hex(*document);
  }
  void TestBody() override {}

 private:
  static std::string Hex(xMorvaDocument& document) {
    std::string hex;
    char digits[3];
    for (uint8_t byte : documentfile::Write(document)) {
      std::snprintf(digits, sizeof digits, "%02X", byte);
      hex += digits;
    }
    return hex;
  }
};

TEST_F(AreaCommands, ARepairedDocumentInAFieldIsAcceptedWithoutAnAlert) {
  // The repair question is answered OK; the document is read, shown,
  // stored back repaired and read again as it was stored, with no alert
  // and no second question (the stored document needs no repair), and
  // closes without the question of a modified document.
  RunLines("table 1 \"Letters\"\n"
           "field 1 1 \"body_\" blob\n"
           "record 1 1\n"
           "value 1 1 hex \"" + DocumentFileScript().DocumentHex(true) + "\"\n"
           "form letters 20 40 300 200\n"
           "form mvRepair accept butOK\n"
           "area body create form at letters 10 10 280 180 table 1\n"
           "command 140 area body word 0 result blob \"" + folder + "body.qmv\"\n"
           "area body 70\n"
           "expect field 1 1 prefix \"00008E8F\"\n"
           "area body 69\n"
           "command 140 area body word 0 result blob \"" + folder + "again.qmv\"\n"
           "expect messages 0\n"
           "area body 17\n");
  EXPECT_FALSE(FileBytes(folder + "body.qmv").empty());
  EXPECT_EQ(FileBytes(folder + "again.qmv"), FileBytes(folder + "body.qmv"));
}

TEST_F(AreaCommands, TheScriptOfTheDocumentFileSavesAndReadsARichDocument) {
  DocumentFileScript().WriteRichDocument(folder + "rich.qmv");
  std::ifstream in(QVHOST_DOCUMENT_FILE_SCRIPT);
  std::stringstream script;
  script << in.rdbuf();
  // Its picture of the first page is compared with the reference too.
  std::string text = script.str();
  const std::string snapshot = "snapshot page \"saved-page.png\"\n";
  const size_t at = text.find(snapshot);
  ASSERT_NE(at, std::string::npos);
  text.insert(at + snapshot.size(), CompareLine("page", "document_file_first_page.png"));
  // The script's files are in the folder it runs in.
  const std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(folder);
  const ScriptRunner::Outcome outcome = Run(text);
  std::filesystem::current_path(previous);
  EXPECT_EQ(outcome.error, "") << out.str();
  EXPECT_EQ(outcome.failures, 0) << out.str();
  // Saved again, the same document; its body's words went through the
  // module and back, as UTF-16 units.
  EXPECT_EQ(FileBytes(folder + "again.qmv"), FileBytes(folder + "saved.qmv"));
  EXPECT_EQ(FileBytes(folder + "plain-again.qmv"), FileBytes(folder + "plain.qmv"));
  const documentfile::Bytes bytes = FileBytes(folder + "again.qmv");
  const std::string units("1\09\0 \0o\0f\0", 10);
  EXPECT_NE(std::search(bytes.begin(), bytes.end(), units.begin(), units.end()), bytes.end());
}

TEST_F(AreaCommands, EachObjectGetsItsOwnReferenceWhenItIsMade) {
  RunLines(
      "area a create form\n"
      "area b create form\n"
      "area c create output\n"
      "area d create printing\n");
  std::set<uint32_t> seen;
  for (const char* name : {"a", "b", "c", "d"}) {
    QvHost::Area* area = host->FindArea(name);
    ASSERT_NE(area, nullptr) << name;
    EXPECT_NE(area->reference, 0u) << name;
    seen.insert(area->reference);
  }
  EXPECT_EQ(seen.size(), 4u);
  EXPECT_EQ(Run("area a 17\narea b 17\narea c 17\narea d 17\n").failures, 0);
}

// A line that gives a command fewer arguments than it reads: the slots left
// out are empty, so the command reads them as absent (the sanitizers see
// any read past the list).
TEST_F(AreaCommands, ACommandGivenTooFewArgumentsReadsTheRestAsAbsent) {
  RunLines("area a create form\n"
           "command 13 area a result long\n"
           "command 20 area a result hosttext\n"
           "command 59 area a result long\n"
           "command 60 area a\n"
           "command 144 area a result text\n"
           "area a 17\n");
}

TEST_F(AreaCommands, TheErrorMethodHearsTheAreaTheCodeAndTheMessage) {
  RunLines(
      "method OnError\n"
      "command 52 text \"OnError\"\n"
      "area a create form\n"
      "command 137 area a word 5 word 1 text \"\"\n");
  const uint32_t reference = host->FindArea("a")->reference;
  EXPECT_NE(At("method OnError(" + std::to_string(reference) + ", 1089, \"The option number is out of range.\")"),
            std::string::npos)
      << out.str();
}

TEST_F(AreaCommands, ABadReferenceIsRefusedWhateverItsValue) {
  RunLines(
      "method OnError\n"
      "command 52 text \"OnError\"\n"
      "area a create form\n"
      "command 28 ref 0 result long\n"
      "expect result 1022\n"
      "command 28 ref 4294967295 result long\n"
      "expect result 1022\n"
      "command 115 ref 77 long 502 long 9 text \"x\" text \"y\" word 9\n"
      "expect out p2 0\n"
      "expect out p4 \"\"\n"
      "expect out p5 0\n"
      "command 28 area a result long\n"
      "expect result 0\n");
  EXPECT_NE(At("method OnError(0, 1022, \"This is not a Qv Morva area.\")"), std::string::npos) << out.str();
}

TEST_F(AreaCommands, CommandLinesRefuseBadValueForms) {
  struct Row {
    const char* line;
    const char* error;
  };
  const Row rows[] = {
      {"command 137 word 70000", "word 70000 does not fit: -32768 to 65535"},
      {"command 137 long x", "long needs a number, not x"},
      {"command 137 bool 256", "bool 256 does not fit: 0 to 255"},
      {"command 137 real", "argument real needs a value"},
      {"command 137 array 1,x", "array item needs a number, not x"},
      {"command 137 blob \"/no/such/file\"", "no file /no/such/file"},
      {"command 137 result picture", "unknown result form picture"},
      {"command 137 result long extra", "nothing may follow the result"},
      {"command 137 result area", "result area needs a name"},
      {"command 137 colour 5", "unknown argument kind colour"},
      {"method", "method NAME [answer N]"},
      {"methods many", "methods needs a number, not many"},
      {"methods 40000", "methods 40000 does not fit: -32768 to 32767"},
      {"method m answer 1 2", "method NAME [answer N]"},
  };
  for (const Row& row : rows) {
    std::ostringstream transcript;
    ScriptRunner runner(*host, transcript);
    EXPECT_EQ(runner.Run(std::string(row.line) + "\n").error, std::string("line 1: ") + row.error) << row.line;
  }
}

TEST_F(AreaCommands, BlobsTextsAndArraysTravelAsTheirForms) {
  const std::string blob = folder + "in.bin";
  {
    std::ofstream file(blob, std::ios::binary);
    file << "abcdef";
  }
  // Command 91 of the low set reads nothing; the forms are printed back as
  // the host made them.
  RunLines("command 91 blob \"" + blob + "\" hosttext \"long text\" array 3,-4,5 bool 1 real 2.5\n"
           "expect out p0 \"6 bytes\"\n"
           "expect out p1 \"long text\"\n"
           "expect out p2 3,-4,5\n"
           "expect out p3 1\n"
           "expect out p4 2.5\n");
}

TEST_F(AreaCommands, AFieldOfAnyKindKeepsTheDocumentInTheOwnFormat) {
  // An area bound to the field named after it shows the document the field
  // holds, stores it back in the own format (a picture field with its
  // preview in front) and reads it again from there whole. Areas are bound
  // to BLOB and picture fields only: a text field keeps its bytes.
  const std::string rich = DocumentFileScript().DocumentHex(false);
  struct Row {
    const char* type;
    const char* check;
  } rows[] = {{"blob", "prefix \"00008E8F\""}, {"picture", ""}, {"text", "hex \"01020304\""}};
  int n = 0;
  for (const Row& row : rows) {
    const std::string t = std::to_string(++n);
    const bool bound = row.type[0] != 't';
    const std::string first = folder + "first" + t + ".qmv";
    const std::string second = folder + "second" + t + ".qmv";
    RunLines("table " + t + " \"Letters\"\n"
             "field " + t + " 1 \"body" + t + "_\" " + row.type + "\n"
             "record " + t + " 1\n"
             "value " + t + " 1 hex \"" + (bound ? rich : std::string("01020304")) + "\"\n"
             "form letters" + t + " 20 40 300 200\n"
             "area body" + t + " create form at letters" + t + " 10 10 280 180 table " + t + "\n"
             "expect messages 0\n"
             "command 140 area body" + t + " word 0 result blob \"" + first + "\"\n"
             "area body" + t + " 70\n" +
             (row.check[0] != 0 ? "expect field " + t + " 1 " + row.check + "\n" : std::string()) +
             "command 138 area body" + t + " word 3 word 9 text \"\"\n"
             "expect out p2 0\n"
             "area body" + t + " 69\n"
             "command 140 area body" + t + " word 0 result blob \"" + second + "\"\n"
             "expect messages 0\n"
             "area body" + t + " 17\n");
    EXPECT_EQ(FileBytes(second), FileBytes(first)) << row.type;
    // What went round is the rich document, not an empty one.
    const documentfile::Bytes bytes = FileBytes(second);
    const std::string units("P\0a\0r\0a\0", 8);
    EXPECT_EQ(std::search(bytes.begin(), bytes.end(), units.begin(), units.end()) != bytes.end(), bound) << row.type;
  }
}

TEST_F(AreaCommands, OnlyTheFieldsOwnFailedLoadHoldsItsSaveAndEveryOtherWriteGivesWhatTheAreaShows) {
  // A field whose bytes are no document shows an empty one and keeps its
  // bytes through its saves until the user types. A save into the kept file
  // meanwhile writes the document shown. A BLOB the area refuses holds
  // nothing: the field's save stores what the area shows.
  const std::string damaged = folder + "damaged.qmv";
  {
    std::ofstream file(damaged, std::ios::binary);
    file << std::string("\0\0\x8E\x8F\x07\0\0\0\x07\0\0\0", 12);
  }
  const std::string noDocument = "expect message \"The document is in no format Qv Morva can read.\"\n";
  const auto shows = [](const std::string& area, const std::string& text) {
    return "command 20 area " + area + " long 0 long 1000 result hosttext\nexpect out result \"" + text + "\"\n";
  };
  // Row n's area is bodyn, bound to field 1 of table n.
  struct Row {
    std::string value;
    std::string lines;
  } rows[] = {
      {"01020304", noDocument +
                       "area body1 70\n"
                       "expect field 1 1 hex \"01020304\"\n"
                       "area body1 70\n"
                       "expect field 1 1 hex \"01020304\"\n"
                       "command 19 area body1 hosttext \"Typed.\"\n"
                       "area body1 70\n"
                       "expect field 1 1 prefix \"00008E8F\"\n"
                       "area body1 69\n" + shows("body1", "Typed.")},
      {"01020304", noDocument +
                       "command 19 area body2 hosttext \"Typed.\"\n"
                       "command 50 area body2 hosttext \"kept.qmv\" text \"\"\n"
                       "area body2 69\n" +
                       noDocument +
                       "command 113 area body2 long 103\n"
                       "command 47 result area reader\n"
                       "command 48 area reader hosttext \"kept.qmv\" text \"\"\n"
                       "command 28 area reader result long\n"
                       "expect result 0\n" +
                       shows("reader", "") +
                       "command 38 area reader\n"
                       "area body2 70\n"
                       "expect field 2 1 hex \"01020304\"\n"},
      {DocumentFileScript().LetterHex("Good letter"),
       "command 3 area body3 long 0 long 0\n"
       "command 19 area body3 hosttext \"Edit \"\n"
       "command 49 area body3 blob \"" + damaged + "\"\n"
       "command 28 area body3 result long\n"
       "expect result 1015\n" + shows("body3", "Edit Good letter") + "area body3 70\narea body3 69\n" +
           shows("body3", "Edit Good letter")},
  };
  int n = 0;
  for (const Row& row : rows) {
    const std::string t = std::to_string(++n);
    SCOPED_TRACE("row " + t);
    RunLines("table " + t + " \"Letters\"\n"
             "field " + t + " 1 \"body" + t + "_\" blob\n"
             "record " + t + " 1\n"
             "value " + t + " 1 hex \"" + row.value + "\"\n"
             "form letters" + t + " 20 40 300 200\n"
             "area body" + t + " create form at letters" + t + " 10 10 280 180 table " + t + "\n" +
             row.lines + "area body" + t + " 17\n");
  }
}

}  // namespace

namespace {

// The document commands of the bars sent by the host: each one hides its
// bar when shown and shows it when hidden, the text laid out again under
// the bars left; showing it again gives back the same picture. The bar's
// show command tells whether it shows (the docked bar is the menu bar,
// bar 2, and the tool bar the status bar, bar 1). The scroll bars' view
// commands (318 horizontal, 319 vertical) do the same with the text's
// scroll bar.
TEST_F(AreaCommands, EachBarCommandHidesItsShownBarAndShowsItAgain) {
  struct Row {
    int command;
    int shows;  // the command whose value says whether the bar shows
  };
  const Row rows[] = {{310, 310}, {310, 333}, {320, 332}, {331, 331}, {332, 332},
                      {333, 333}, {334, 334}, {318, 318}, {319, 319}};
  int n = 0;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.command);
    const std::string form = "bars" + std::to_string(++n);
    const std::string area = " area " + form;
    const std::string send = "command 113" + area + " long " + std::to_string(row.command) + "\nidle 5\n";
    const std::string shows = "command 115" + area + " long " + std::to_string(row.shows) +
                              " long 0 text \"\" text \"\" word 0\n";
    HideAndShowAgain(form, "idle 5\n",
                     send + "command 28" + area + " result long\nexpect result 0\n" + shows + "expect out p2 0\n",
                     send + shows + "expect out p2 1\n");
  }
}

// The area options of the text's panes set by the host: 7 and 8 hide the
// horizontal and vertical scroll bar at 0, 45 and 46 leave out the split
// box beside the horizontal bar and above the vertical one at 1; each
// option reads back as set, and set back it gives back the same picture.
TEST_F(AreaCommands, EachPaneOptionHidesItsElementAndShowsItAgain) {
  struct Row {
    int option;
    int hidden;  // the value that hides the element
  };
  const Row rows[] = {{7, 0}, {8, 0}, {45, 1}, {46, 1}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.option);
    const std::string form = "pane" + std::to_string(row.option);
    const auto set = [&](int value) {
      const std::string option = " area " + form + " word " + std::to_string(row.option);
      return "command 109" + option + " real " + std::to_string(value) + "\nidle 5\ncommand 108" + option +
             " result real\nexpect out result " + std::to_string(value) + "\n";
    };
    HideAndShowAgain(form, set(1 - row.hidden), set(row.hidden), set(1 - row.hidden));
  }
}

// The colours of the rectangle (x, y, w, h) of a PNG file, row by row;
// empty when the file cannot be read or is smaller.
std::vector<uint32_t> PixelsOf(const std::string& path, int32_t x, int32_t y, int32_t w, int32_t h) {
  std::vector<uint32_t> pixels;
  HBITMAP bitmap = GdiReadPng(path.c_str());
  if (bitmap == nullptr) return pixels;
  DIBSECTION section{};
  if (GetObjectA(bitmap, sizeof section, &section) == static_cast<int>(sizeof section) &&
      section.dsBm.bmWidth >= x + w && section.dsBm.bmHeight >= y + h) {
    const auto* bits = static_cast<const uint32_t*>(section.dsBm.bmBits);
    for (int32_t j = y; j < y + h; ++j) {
      for (int32_t i = x; i < x + w; ++i) pixels.push_back(bits[j * section.dsBm.bmWidth + i] & 0xFFFFFF);
    }
  }
  DeleteObject(bitmap);
  return pixels;
}

// A narrow area's status bar is the same whether the area was made at its
// width or made wider and sized to it: each pair of forms, snapshot while
// in front, shows the same area. (The row and column of pixels beyond the
// area that the wider one drew are not compared: the host clears only the
// rectangle an area leaves.)
TEST_F(AreaCommands, TheStatusBarOfANarrowAreaIsTheSameMadeAtItsWidthOrSizedToIt) {
  const int widths[] = {250, 280, 320, 345};
  std::string lines;
  for (const int width : widths) {
    const std::string w = std::to_string(width);
    for (const std::string kind : {"made", "sized"}) {
      const std::string name = kind + w;
      lines += "form " + name + " 20 40 420 300\n"
               "area " + name + " create form at " + name + " 10 10 " + (kind == "made" ? w : "400") + " 280\n"
               "command 46 area " + name + " word 0\n"
               "idle 5\n";
      if (kind == "sized") lines += "area " + name + " move 10 10 " + w + " 280\nidle 5\n";
      lines += "snapshot " + name + " \"" + folder + name + ".png\"\n";
    }
  }
  RunLines(lines + "stop\n");
  for (const int width : widths) {
    const std::vector<uint32_t> made = PixelsOf(folder + "made" + std::to_string(width) + ".png", 10, 10, width, 280);
    EXPECT_EQ(made.size(), static_cast<size_t>(width) * 280) << width;
    EXPECT_TRUE(made == PixelsOf(folder + "sized" + std::to_string(width) + ".png", 10, 10, width, 280)) << width;
  }
}

}  // namespace
