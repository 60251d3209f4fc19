// The print command and the print merge of an editing area, printed on the
// virtual printer into a PDF that pdftotext and pdfinfo read back; the host
// language's commands 4, 5 and 26.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <filesystem>
#include <string>
#include <vector>

#include "area/printing/xMorvaPrintCommands.h"
#include "area/tests/AreaTestSupport.h"
#include "area/tests/DocumentFileSupport.h"
#include "area/view/xMorvaPicturesInPage.h"
#include "document/xMorvaLayoutInterface.h"
#include "document/xMorvaUndo.h"
#include "engine/xMorvaElementStream.h"
#include "engine/xMorvaEngine.h"
#include "framework/core/values/VPictureMaker.h"
#include "graphics/GraphicsGlobals.h"
#include "graphics/VDIBPort.h"
#include "graphics/VMetafilePort.h"
#include "graphics/pictures/VPictureData.h"
#include "graphics/printing/VPrintSettings.h"
#include "platform/print/WinPrint.h"
#include "platform/win32/WinCommonDialogs.h"
#include "platform/win32/WinMemory.h"

namespace {

using areatest::AreaTest;
using areatest::MethodCall;
using areatest::PString;

std::string Shell(const std::string& command) {
  std::string text;
  FILE* pipe = popen((command + " 2>/dev/null").c_str(), "r");
  if (pipe == nullptr) return text;
  char buffer[512];
  size_t n = 0;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) text.append(buffer, n);
  pclose(pipe);
  return text;
}

// The range the print dialog answers, when a test asks for one.
struct DialogAnswer {
  int from = 0;
  int to = 0;
  bool accept = true;
};

BOOL AnswerPrintDialog(PRINTDLGA* dialog, void* context) {
  const auto* answer = static_cast<const DialogAnswer*>(context);
  dialog->nFromPage = WORD(answer->from);
  dialog->nToPage = WORD(answer->to);
  return answer->accept ? 1 : 0;
}

class PrintCommandsTest : public AreaTest {
 protected:
  void SetUp() override {
    ResetHeadlessPrinting();
    folder = std::filesystem::temp_directory_path() / ("qv-print-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    pdf = folder + "/out.pdf";
    SetHeadlessPrintOutput(pdf.c_str());
    area = NewFormArea();
    document = area->GetDocument();
    // Screen widths, so that the tests see printing switch the printer's
    // widths on and back off.
    document->SetPrinterMetrics(0);
    host.answer = [this](int32_t selector, HostParamBlock& block) {
      if (selector == kHostSelRoomLeft) block.param2 = HostWord(methodRoom);
      if (selector == kHostSelRecordCount) block.param1 = records;
      if (selector == kHostSelGotoRecord) {
        const bool reachable = block.record < records && int32_t(block.record) != unreachable;
        block.error = reachable ? 0 : -1;
        if (reachable) visited.push_back(int32_t(block.record) + 1);
      }
    };
  }
  void TearDown() override {
    ResetHeadlessPrinting();
    std::filesystem::remove_all(folder);
  }
  xMorvaEngine* Body() const { return static_cast<xMorvaEngine*>(document->GetBodyText()); }
  void Type(const std::string& text) {
    for (char c : text) document->TypeCharacter(c == '\n' ? char16_t(13) : char16_t(c));
    if (xMorvaUndo* undo = document->GetUndo()) undo->Commit();
  }
  // Pages of "Page n" paragraphs, each page ended by a page break.
  void Pages(int32_t count) {
    for (int32_t n = 1; n <= count; ++n) {
      Type("Page " + std::to_string(n) + " text");
      if (n < count) document->DoCommand(406);  // a page break
    }
    ASSERT_EQ(document->GetBodyPageCount(), count);
  }
  int32_t PdfPages() const {
    const std::string info = Shell("pdfinfo '" + pdf + "'");
    const size_t at = info.find("Pages:");
    return at == std::string::npos ? 0 : std::atoi(info.c_str() + at + 6);
  }
  std::string PageText(int32_t page) const {
    const std::string n = std::to_string(page);
    return Shell("pdftotext -f " + n + " -l " + n + " '" + pdf + "' -");
  }
  // Straight strokes ("x y m x y l S") in the PDF's inflated page streams.
  int32_t Strokes() const {
    const std::string script =
        "import re,sys,zlib\n"
        "d=open(sys.argv[1],'rb').read()\n"
        "n=0\n"
        "for m in re.finditer(rb'stream\\r?\\n(.*?)endstream',d,re.S):\n"
        "  try: t=zlib.decompressobj().decompress(m.group(1))\n"
        "  except Exception: continue\n"
        "  n+=len(re.findall(rb' m [-0-9. ]+ l S',t))\n"
        "print(n)\n";
    const std::string path = folder + "/strokes.py";
    FILE* file = std::fopen(path.c_str(), "w");
    if (file == nullptr) return -1;
    std::fputs(script.c_str(), file);
    std::fclose(file);
    return std::atoi(Shell("python3 '" + path + "' '" + pdf + "'").c_str());
  }
  // The user's event method for kind 7, counted with its values.
  void WatchPrintingEvent() {
    int16_t kind = kEventPrinting;
    PString name("Printing");
    areatest::AreaTest::Run(58, area->GetReference(), {&kind, name.bytes});
  }
  int32_t PrintingEvents() const {
    int32_t n = 0;
    for (const MethodCall& call : package->calls) n += call.name == "Printing" ? 1 : 0;
    return n;
  }

  std::string folder;
  std::string pdf;
  xMorvaPlugIn* area = nullptr;
  xMorvaDocument* document = nullptr;
  uintptr_t records = 0;
  int32_t unreachable = -1;
  std::vector<int32_t> visited;
};

TEST_F(PrintCommandsTest, FirstPageZeroPrintsEveryPageAndTheCurrentPageReadsOneAfterwards) {
  Pages(3);
  WatchPrintingEvent();
  EXPECT_EQ(xMorvaPrinting::PrintCommand(*area, false, 0, 0), 0);
  EXPECT_EQ(PdfPages(), 3);
  for (int32_t page = 1; page <= 3; ++page) {
    EXPECT_NE(PageText(page).find("Page " + std::to_string(page) + " text"), std::string::npos) << page;
  }
  EXPECT_EQ(PrintingEvents(), 1);
  EXPECT_EQ(xMorvaPrinting::GetCurrentPrintedPage(), 1);
  // The layout option is back as it was.
  EXPECT_EQ(document->GetParams().GetPrinterMetrics(), 0);
}

TEST_F(PrintCommandsTest, RangesAreClampedToThePageCount) {
  Pages(3);
  struct Row {
    int32_t first, last;
    int32_t pages;
    const char* firstText;
  };
  const Row rows[] = {
      {2, 3, 2, "Page 2 text"},    // a range inside
      {2, 50, 2, "Page 2 text"},   // "to" past the count
      {3, 1, 1, "Page 1 text"},    // "from" after "to": from becomes to
      {9, 12, 1, "Page 3 text"},   // wholly past the count: the last page
  };
  for (const Row& row : rows) {
    EXPECT_EQ(xMorvaPrinting::PrintCommand(*area, false, row.first, row.last), 0) << row.first;
    EXPECT_EQ(PdfPages(), row.pages) << row.first << "-" << row.last;
    EXPECT_NE(PageText(1).find(row.firstText), std::string::npos) << row.first << "-" << row.last;
  }
}

TEST_F(PrintCommandsTest, AJobThatCannotStartAnswers1002AndLeavesTheOptionAsItWas) {
  Pages(2);
  SetHeadlessPrintFailure(1);
  EXPECT_EQ(xMorvaPrinting::PrintCommand(*area, false, 0, 0), kErrorPrintJob);
  EXPECT_FALSE(std::filesystem::exists(pdf));
  EXPECT_EQ(document->GetParams().GetPrinterMetrics(), 0);
  EXPECT_EQ(xMorvaPrinting::GetCurrentPrintedPage(), 1);
}

// The output's disk full from the job's start, once its first page is
// written, or at its end: the print and the merge answer 1002 and leave no
// file, hidden or not, in the output's folder; the host's command 4 records
// the code.
TEST_F(PrintCommandsTest, AFullDiskAtTheStartAPageOrTheEndAnswers1002AndLeavesNoFile) {
  Pages(3);
  records = 2;
  for (const int failure : {3, 4, 5}) {
    SetHeadlessPrintFailure(failure);
    EXPECT_EQ(xMorvaPrinting::PrintCommand(*area, false, 0, 0), kErrorPrintJob) << failure;
    EXPECT_TRUE(std::filesystem::is_empty(folder)) << failure;
    EXPECT_EQ(xMorvaPrinting::GetCurrentPrintedPage(), 1);
    EXPECT_EQ(document->GetParams().GetPrinterMetrics(), 0);

    SetHeadlessPrintFailure(failure);
    EXPECT_EQ(xMorvaPrinting::MailingCommand(*area, false, false, 2), kErrorPrintJob) << failure;
    EXPECT_TRUE(std::filesystem::is_empty(folder)) << failure;

    SetHeadlessPrintFailure(failure);
    uint8_t allParts = 0;
    int16_t runs = 0;
    AreaTest::Run(4, area->GetReference(), {&allParts, &runs});
    EXPECT_EQ(LastError(area->GetReference()), kErrorPrintJob) << failure;
    EXPECT_TRUE(std::filesystem::is_empty(folder)) << failure;
  }
  // With room on the disk again the same print is whole.
  EXPECT_EQ(xMorvaPrinting::PrintCommand(*area, false, 0, 0), 0);
  EXPECT_EQ(PdfPages(), 3);
}

// An A4 document with a footer 12 mm above the paper's bottom edge, saved
// in the own format on a machine without a printer and opened where the
// printer's own paper is Letter, prints on A4 with its footer, as its RTF
// twin does.
TEST_F(PrintCommandsTest, AnA4DocumentSavedWithoutAPrinterPrintsOnA4WithItsFooter) {
  // Hundredths of a millimetre in screen pixels, as a paper gives its page.
  const auto Pixels = [](int32_t hundredths) { return int32_t(int64_t(hundredths) * gScreenLogPixelsX / 2540); };
  documentfile::Bytes file;
  {
    SetHeadlessDefaultPrinter(nullptr);
    xMorvaDocument saved(nullptr);
    ResetHeadlessDialogs();
    xMorvaDocParams& params = saved.Params();
    params.SetPageSize(Pixels(21000), Pixels(29700));
    for (bool first : {false, true}) {
      xMorvaPageBands& bands = params.GetBands(first);
      bands.footerShown = 1;
      bands.footerBottom = Pixels(1200);
      bands.footerTop = Pixels(1800);
      bands.bottomMargin = Pixels(2500);
      bands.topMargin = Pixels(2500);
    }
    documentfile::Type(documentfile::Engine(saved, kPartBody), "The body of the A4 page.");
    documentfile::Type(documentfile::Engine(saved, kPartFooter), "Footer twelve above the edge");
    file = documentfile::Write(saved);
  }
  ASSERT_FALSE(file.empty());
  ASSERT_EQ(documentfile::Read(*document, file), 0);
  document->Refresh(false, true);
  EXPECT_EQ(document->GetParams().GetPageHeight(), Pixels(29700));
  EXPECT_EQ(xMorvaPrinting::PrintCommand(*area, false, 0, 0), 0);
  const std::string info = Shell("pdfinfo '" + pdf + "'");
  EXPECT_NE(info.find("(A4)"), std::string::npos) << info;
  EXPECT_NE(PageText(1).find("Footer twelve above the edge"), std::string::npos) << PageText(1);
  EXPECT_NE(PageText(1).find("The body of the A4 page."), std::string::npos);
}

TEST_F(PrintCommandsTest, ACancelledPrintDialogPrintsNothing) {
  Pages(2);
  DialogAnswer answer{1, 2, false};
  SetHeadlessPrintProvider(&AnswerPrintDialog, &answer);
  EXPECT_EQ(xMorvaPrinting::PrintCommand(*area, true, 0, 0), 0);
  EXPECT_FALSE(std::filesystem::exists(pdf));
}

TEST_F(PrintCommandsTest, ColumnRulesStandOnlyBetweenColumnsThatHoldLines) {
  document->Params().SetColumns(2);
  document->Params().SetColumnLines(1);
  document->UpdateReferencePrinter();
  Type("Only the first column holds text");
  // One column in use: no rule. The PDF's drawing shows a stroke only
  // when a rule is drawn (the text is text, not strokes).
  EXPECT_EQ(xMorvaPrinting::PrintCommand(*area, false, 0, 0), 0);
  const int32_t oneColumn = Strokes();
  std::string lines;
  for (int i = 0; i < 120; ++i) lines += "A line that fills the first column and runs on\n";
  Type(lines);
  ASSERT_GT(document->GetLayout()->GetColumnLineCount(0, 1), 0);
  EXPECT_EQ(xMorvaPrinting::PrintCommand(*area, false, 1, 1), 0);
  EXPECT_EQ(oneColumn, 0);
  EXPECT_EQ(Strokes(), 1);
}

TEST_F(PrintCommandsTest, MailingPrintsEveryRecordWithItsOwnValues) {
  Type("Dear ");
  records = 3;
  WatchPrintingEvent();
  // The user's method fills the record's value in before its pages print.
  const char* const names[] = {"Ada", "Boris", "Chloe"};
  int32_t typed = 0;
  package->during = [&](const MethodCall& call) {
    if (call.name != "Printing" || visited.empty()) return;
    Body()->SetSelection(5, 5 + typed);
    const std::string name = names[visited.back() - 1];
    for (char c : name) document->TypeCharacter(char16_t(c));
    typed = int32_t(name.size());
  };
  EXPECT_EQ(xMorvaPrinting::MailingCommand(*area, false, false, 2), 0);
  EXPECT_EQ(visited, (std::vector<int32_t>{1, 2, 3}));
  EXPECT_EQ(PrintingEvents(), 3);
  ASSERT_EQ(PdfPages(), 3);
  for (int32_t r = 0; r < 3; ++r) {
    EXPECT_NE(PageText(r + 1).find(std::string("Dear ") + names[r]), std::string::npos) << PageText(r + 1);
  }
  EXPECT_EQ(xMorvaPrinting::GetCurrentPrintedPage(), 1);
}

TEST_F(PrintCommandsTest, AMergeRangeOfThreeToFourPrintsExactlyTheSecondRecord) {
  Pages(2);
  records = 3;
  WatchPrintingEvent();
  DialogAnswer answer{3, 4, true};
  SetHeadlessPrintProvider(&AnswerPrintDialog, &answer);
  EXPECT_EQ(xMorvaPrinting::MailingCommand(*area, false, true, 2), 0);
  // Records 1 and 3 print nothing and are offered nothing; no blank page
  // follows the range's last page.
  EXPECT_EQ(PrintingEvents(), 1);
  EXPECT_EQ(PdfPages(), 2);
  EXPECT_NE(PageText(1).find("Page 1 text"), std::string::npos);
  EXPECT_NE(PageText(2).find("Page 2 text"), std::string::npos);
}

TEST_F(PrintCommandsTest, MailingFailuresAnswerTheirCodes) {
  Pages(1);
  struct Row {
    uintptr_t records;
    int32_t unreachable;  // 0-based record the host cannot reach
    int32_t code;
  };
  const Row rows[] = {{0, -1, kErrorEmptyTable}, {3, 1, kErrorNoRecord}, {2, -1, 0}};
  for (const Row& row : rows) {
    records = row.records;
    unreachable = row.unreachable;
    EXPECT_EQ(xMorvaPrinting::MailingCommand(*area, false, false, 2), row.code) << row.records;
    EXPECT_EQ(xMorvaPrinting::GetCurrentPrintedPage(), 1);
    EXPECT_EQ(document->GetParams().GetPrinterMetrics(), 0);
  }
}

TEST_F(PrintCommandsTest, TheHostsCommandsPrintMergeAndReadThePrintedPage) {
  Pages(2);
  uint8_t allParts = 0;
  int16_t runs = -1;
  AreaTest::Run(4, area->GetReference(), {&allParts, &runs});
  EXPECT_EQ(LastError(area->GetReference()), 0);
  EXPECT_FALSE(std::filesystem::exists(pdf));  // a negative count prints nothing
  runs = 0;
  AreaTest::Run(4, area->GetReference(), {&allParts, &runs});
  EXPECT_EQ(LastError(area->GetReference()), 0);
  EXPECT_EQ(PdfPages(), 2);

  int16_t table = 2;
  int16_t askPaper = 0;
  records = 0;
  AreaTest::Run(5, area->GetReference(), {&table, &askPaper});
  EXPECT_EQ(LastError(area->GetReference()), kErrorEmptyTable);

  int32_t page = 0;
  package->ExecuteCommand(26, nullptr, &page);
  EXPECT_EQ(page, 1);
}

// The forms of the printing commands, answered from a script.
class ScriptedPrintDialogs : public xMorvaPrintDialogs {
 public:
  bool acceptMailing = true;
  int16_t table = 0;
  int16_t seenTable = -1;
  int16_t paperAnswer = kPaperPrintAsIs;
  int32_t paperQuestions = 0;
  int32_t previews = 0;
  bool RunMailing(xMorvaPlugIn&, int16_t& chosen) override {
    seenTable = chosen;
    chosen = table;
    return acceptMailing;
  }
  int16_t RunPaperQuestion(xMorvaPlugIn&) override {
    ++paperQuestions;
    return paperAnswer;
  }
  bool RunPrintPreview(xMorvaPlugIn&) override {
    ++previews;
    return true;
  }
};

TEST_F(PrintCommandsTest, TheMailingDialogChoosesTheTableAndItsCancelPrintsNothing) {
  Pages(1);
  ScriptedPrintDialogs dialogs;
  VInstalledService<xMorvaPrintDialogs> installed(&dialogs);
  records = 2;
  dialogs.table = 4;
  dialogs.acceptMailing = false;
  EXPECT_EQ(xMorvaPrinting::MailingCommand(*area, true, false, 0), 0);
  EXPECT_FALSE(std::filesystem::exists(pdf));
  EXPECT_TRUE(visited.empty());
  dialogs.acceptMailing = true;
  EXPECT_EQ(xMorvaPrinting::MailingCommand(*area, true, false, 0), 0);
  EXPECT_EQ(dialogs.seenTable, 0);
  EXPECT_EQ(PdfPages(), 2);
  // An empty table chosen in the dialog: alert 10 and 1023.
  records = 0;
  const size_t before = host.Messages().size();
  EXPECT_EQ(xMorvaPrinting::MailingCommand(*area, true, false, 0), kErrorEmptyTable);
  ASSERT_EQ(host.Messages().size(), before + 1);
  EXPECT_EQ(host.Messages().back(), "The table has no records to print.");
}

// The print dialog in which the user turns the paper: the paper differs.
BOOL TurnThePaper(PRINTDLGA* dialog, void*) {
  if (auto* mode = static_cast<DEVMODEA*>(GlobalLock(dialog->hDevMode))) {
    mode->dmOrientation = mode->dmOrientation == DMORIENT_LANDSCAPE ? DMORIENT_PORTRAIT : DMORIENT_LANDSCAPE;
    GlobalUnlock(dialog->hDevMode);
  }
  dialog->nFromPage = 1;
  dialog->nToPage = 2;
  return 1;
}

// The same, choosing pages 1 to 99.
BOOL TurnThePaperForEveryPage(PRINTDLGA* dialog, void* context) {
  TurnThePaper(dialog, context);
  dialog->nToPage = 99;
  return 1;
}

TEST_F(PrintCommandsTest, ThePaperQuestionsCancelPrintsNothingAndThePreviewRuns) {
  Pages(2);
  ScriptedPrintDialogs dialogs;
  VInstalledService<xMorvaPrintDialogs> installed(&dialogs);
  SetHeadlessPrintProvider(&TurnThePaper, nullptr);
  dialogs.paperAnswer = kPaperCancel;
  EXPECT_EQ(xMorvaPrinting::PrintCommand(*area, true, 0, 0), 0);
  EXPECT_EQ(dialogs.paperQuestions, 1);
  EXPECT_FALSE(std::filesystem::exists(pdf));
  // "Print as is" prints.
  dialogs.paperAnswer = kPaperPrintAsIs;
  EXPECT_EQ(xMorvaPrinting::PrintCommand(*area, true, 0, 0), 0);
  EXPECT_EQ(dialogs.paperQuestions, 2);
  EXPECT_EQ(PdfPages(), 2);
  xMorvaPrinting::PrintPreviewCommand(*area);
  EXPECT_EQ(dialogs.previews, 1);
  EXPECT_EQ(document->GetParams().GetPrinterMetrics(), 0);
}

TEST_F(PrintCommandsTest, ThePaperQuestionsFitTurnsThePageAndPrintsEveryPageOfTheNewLayout) {
  // Lines that fill more landscape pages than portrait ones.
  std::string lines;
  for (int i = 1; i <= 100; ++i) lines += "Line " + std::to_string(i) + "\n";
  Type(lines);
  const int32_t portraitPages = document->GetBodyPageCount();
  ASSERT_LT(document->GetParams().GetPageWidth(), document->GetParams().GetPageHeight());
  ScriptedPrintDialogs dialogs;
  VInstalledService<xMorvaPrintDialogs> installed(&dialogs);
  SetHeadlessPrintProvider(&TurnThePaperForEveryPage, nullptr);
  dialogs.paperAnswer = kPaperFitDocument;
  // The whole document, as printing it from the menu asks.
  EXPECT_EQ(xMorvaPrinting::PrintCommand(*area, true, 0, 0), 0);
  EXPECT_EQ(dialogs.paperQuestions, 1);
  EXPECT_GT(document->GetParams().GetPageWidth(), document->GetParams().GetPageHeight());
  const int32_t landscapePages = document->GetBodyPageCount();
  EXPECT_GT(landscapePages, portraitPages);
  EXPECT_EQ(PdfPages(), landscapePages);
  EXPECT_NE(PageText(landscapePages).find("Line 100"), std::string::npos);
  // The document now has the printer's paper: printing again on it asks
  // nothing.
  DialogAnswer every{1, 99, true};
  SetHeadlessPrintProvider(&AnswerPrintDialog, &every);
  EXPECT_EQ(xMorvaPrinting::PrintCommand(*area, true, 0, 0), 0);
  EXPECT_EQ(dialogs.paperQuestions, 1);
  EXPECT_EQ(PdfPages(), landscapePages);
}

// A grey page: 8-bit levels of `width` x `height` pixels.
struct GreyPage {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint8_t> levels;
  uint8_t At(int32_t x, int32_t y) const { return levels[size_t(y) * size_t(width) + size_t(x)]; }
  int32_t Inked() const {
    int32_t n = 0;
    for (uint8_t level : levels) n += level < 128 ? 1 : 0;
    return n;
  }
};

// A binary PGM as pdftoppm writes it.
GreyPage ReadPgm(const std::string& path) {
  GreyPage page;
  FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return page;
  int maximum = 0;
  if (std::fscanf(file, "P5 %d %d %d", &page.width, &page.height, &maximum) == 3 && maximum == 255 &&
      std::fgetc(file) != EOF && page.width > 0 && page.height > 0) {
    page.levels.resize(size_t(page.width) * size_t(page.height));
    if (std::fread(page.levels.data(), 1, page.levels.size(), file) != page.levels.size()) page.levels.clear();
  }
  std::fclose(file);
  return page;
}

TEST_F(PrintCommandsTest, APrintedPageRendersAsTheAreaDrawsItWithRulesAndPagePictures) {
  xMorvaPicturesInPageMaker maker;
  VInstalledService<xMorvaPagePicturesMaker> pictureLists{&maker};
  VInstalledService<const VPictureMaker> pictureValues{&kPictureValueMaker};
  document->SetViewMode(0);  // pages, where pictures stand on them
  document->Params().SetColumns(2);
  document->Params().SetColumnLines(1);
  document->UpdateReferencePrinter();
  std::string lines;
  for (int i = 0; i < 70; ++i) lines += "Column text runs on " + std::to_string(i) + "\n";
  Type(lines);
  ASSERT_GT(document->GetLayout()->GetColumnLineCount(0, 1), 0);
  // A dark square on the page, in front of the text's margin.
  auto* pictures = dynamic_cast<xMorvaPicturesInPage*>(document->GetPagePictures());
  ASSERT_NE(pictures, nullptr);
  VMetafilePort recorder(nullptr, 0, 0, 60, 40);
  recorder.SetFillColor(RGB(0, 0, 128));
  recorder.PaintRect(0, 0, 60, 40);
  std::unique_ptr<VPictureData> square(recorder.EndAsPictureData());
  xMorvaPagePicture entry;
  entry.left = 20;
  entry.top = 10;
  ASSERT_EQ(pictures->AddPicture(*document->GetStyleSheetStore(), *square, entry), 0);
  ASSERT_EQ(pictures->GetCount(), 1);
  ASSERT_TRUE(pictures->GetEntry(0).picture != nullptr);

  ASSERT_EQ(xMorvaPrinting::PrintCommand(*area, false, 1, 1), 0);
  ASSERT_EQ(std::system(("pdftoppm -r 96 -gray -f 1 -l 1 -singlefile '" + pdf + "' '" + folder + "/printed'").c_str()), 0);
  const GreyPage printed = ReadPgm(folder + "/printed.pgm");
  ASSERT_FALSE(printed.levels.empty());

  // The area's own drawing of the page, with the printer's widths as the
  // print command lays the page out.
  const int32_t width = document->GetParams().GetPageWidth();
  const int32_t height = document->GetParams().GetPageHeight();
  ASSERT_LE(std::abs(printed.width - width), 2) << printed.width << "x" << printed.height << " " << width << "x" << height;
  ASSERT_LE(std::abs(printed.height - height), 2);
  VDIBPort canvas(width, height, 32);
  canvas.SetFillColor(RGB(255, 255, 255));
  canvas.SetFillPatternIndex(6);
  canvas.PaintRect(0, 0, width, height);
  document->SetPrinterMetrics(1);
  document->Refresh(false, true);
  xMorvaPrinting::PrintPages(*document, canvas, 0);
  document->SetPrinterMetrics(0);
  document->Refresh(false, true);
  GreyPage drawn{width, height, std::vector<uint8_t>(size_t(width) * size_t(height))};
  const auto* bits = static_cast<const uint32_t*>(canvas.GetBits());
  for (size_t i = 0; i < drawn.levels.size(); ++i) {
    const uint32_t p = bits[i];
    drawn.levels[i] = uint8_t(((p >> 16 & 0xFF) * 30 + (p >> 8 & 0xFF) * 59 + (p & 0xFF) * 11) / 100);
  }

  // Ink on both, about as much, and in blocks of 8 x 8 pixels about as
  // dense: antialiasing and a glyph's placement within its pixel move ink
  // across a block's pixels, not out of the block's neighbourhood.
  const int32_t w = std::min(width, printed.width);
  const int32_t h = std::min(height, printed.height);
  EXPECT_GT(drawn.Inked(), 60 * 40);
  EXPECT_NEAR(double(printed.Inked()), double(drawn.Inked()), 0.15 * drawn.Inked());
  auto density = [](const GreyPage& page, int32_t left, int32_t top) {
    int32_t ink = 0;
    for (int32_t y = top; y < top + 8; ++y)
      for (int32_t x = left; x < left + 8; ++x) ink += 255 - page.At(x, y);
    return ink / 64;
  };
  int32_t blocks = 0, differing = 0;
  for (int32_t y = 0; y + 8 <= h; y += 8) {
    for (int32_t x = 0; x + 8 <= w; x += 8) {
      ++blocks;
      differing += std::abs(density(printed, x, y) - density(drawn, x, y)) > 64 ? 1 : 0;
    }
  }
  EXPECT_LT(differing, blocks / 100) << differing << " of " << blocks;
  // The square is on both.
  EXPECT_LT(printed.At(50, 30), 100);
  EXPECT_LT(drawn.At(50, 30), 100);
}

// Go to page N puts the caret where page N begins: page view counts that
// position on page N, and a word typed there prints on page N, in a long
// text of paragraphs of one to four lines pasted as plain text (so that
// pages end at paragraph ends, inside paragraphs and where widow and
// orphan control moves a line).
TEST_F(PrintCommandsTest, GoToPageThenAWordTypedPrintsOnThatPage) {
  std::u16string text;
  uint32_t seed = 7;
  for (int i = 0; i < 9000; ++i) {
    seed = seed * 1103515245u + 12345u;
    std::string words = "Item " + std::to_string(i) + " the board noted the report";
    for (uint32_t w = (seed >> 16) % 40; w > 0; --w) words += w % 3 == 0 ? " and agreed" : " on minutes";
    text.append(words.begin(), words.end());
    text += u'\r';
  }
  text.pop_back();
  std::vector<uint8_t> bytes(2 * text.size());
  for (size_t i = 0; i < text.size(); ++i) PutStreamUnit(&bytes[2 * i], text[i]);
  // Page view, measured with the printer's widths as a new document is.
  document->Params().SetViewMode(0);
  document->SetPrinterMetrics(1);
  document->GetUndo()->Suspend();
  Body()->InsertBytes(0u, bytes.data(), uint32_t(bytes.size()));
  Body()->SetLength(int32_t(text.size()));
  document->GetUndo()->Resume();
  Body()->SetSelection(0, 0);
  document->GetLayout()->ComposeAll();
  const int32_t count = document->GetBodyPageCount();
  ASSERT_GT(count, 150);
  for (const int32_t n : {2, 150, count}) {
    ASSERT_EQ(document->GoToPage(n - 1), 0) << n;
    int32_t position = Body()->GetSelStart();
    int32_t page = 0;
    Run(62, area->GetReference(), {&position}, &page);
    EXPECT_EQ(page, n) << "page view counts the caret at " << position;
    // The caret, placed by its offset, is on that page too.
    int32_t x = 0, y = 0, top = 0, height = 0, line = 0, column = 0, inLine = 0;
    document->GetCaretGeometry(x, y, top, height);
    document->GetCaretStatus(page, line, inLine, column);
    EXPECT_EQ(page, n - 1) << "the caret's page index";
    const std::string word = "Quetzal" + std::to_string(n);
    for (char c : word) document->TypeCharacter(char16_t(c));
    document->GetUndo()->Commit();
    ASSERT_EQ(xMorvaPrinting::PrintCommand(*area, false, n - 1, n), 0) << n;
    ASSERT_EQ(PdfPages(), 2) << n;
    EXPECT_EQ(PageText(1).find(word), std::string::npos) << "the page before page " << n;
    EXPECT_NE(PageText(2).find(word), std::string::npos) << "page " << n << "\n" << PageText(1) << "\n---\n" << PageText(2);
    Body()->SetSelection(position, position + int32_t(word.size()));
    document->BeginChange();
    Body()->DeleteSelectionWithUndo();
    document->EndChange();
    ASSERT_EQ(Body()->GetLength(), int32_t(text.size()));
  }
}

}  // namespace
