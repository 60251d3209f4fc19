// The page of an imported Word or RTF file becomes the document's paper:
// the paper of the print settings of its size, else a paper of the page's
// own size, used across as the file says, with the file's margins; the
// document paginates on it and prints on it.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include "area/tests/DocumentFileSupport.h"
#include "document/DocumentUnits.h"
#include "document/xMorvaDocParams.h"
#include "document/xMorvaLayoutInterface.h"
#include "engine/tests/FontCacheRelease.h"
#include "graphics/VGraphicsStart.h"
#include "graphics/printing/VPrintSettings.h"
#include "interchange/pages/xMorvaHeaderFooterFit.h"
#include "interchange/rtf/xMorvaImportRTF.h"
#include "interchange/tests/OleTestSupport.h"
#include "interchange/tests/PeerTestSupport.h"
#include "interchange/tests/PrintTestSupport.h"
#include "interchange/tests/RtfTestSupport.h"
#include "interchange/tests/TextTestSupport.h"
#include "interchange/word/xMorvaExportWord.h"
#include "interchange/word/xMorvaImportWord.h"

namespace fs = std::filesystem;

namespace filepaper {

fs::path PageFixtures() {
  fs::path source(__FILE__);
  if (source.is_relative()) source = fs::read_symlink("/proc/self/exe").parent_path() / source;
  return source.parent_path() / "fixtures" / "pages";
}

// Pixels of a paper length in hundredths of a millimetre, as the document
// fits its page to its paper (whole millimetres).
int32_t PaperPixels(int32_t hundredths) {
  return int32_t((hundredths + 50) / 100 * 0.1 / 2.54 * GetScreenResolution());
}

class FilePaper : public texttest::TextDocumentTest {
 protected:
  void SetUp() override {
    // Text is measured with the fonts it is drawn in, as in a started module.
    static const bool started = (InitGraphics(), true);
    (void)started;
    folder = fs::temp_directory_path() / ("qv-file-paper-" + std::to_string(getpid()));
    fs::create_directories(folder);
  }
  void TearDown() override {
    ResetHeadlessPrinting();
    std::error_code ignored;
    fs::remove_all(folder, ignored);
  }
  int32_t ImportRtf(const std::string& rtf) {
    xMorvaImportRTF reader;
    return reader.ImportRtfBytes(document, reinterpret_cast<const uint8_t*>(rtf.data()), uint32_t(rtf.size()), false);
  }
  int32_t ImportWord(const std::string& name) {
    const std::string bytes = peertest::ReadFile(PageFixtures() / name);
    oletest::MemoryFile memory(std::vector<uint8_t>(bytes.begin(), bytes.end()));
    xMorvaImportWord reader;
    return reader.ImportWordDocument(&document, &memory.Stream());
  }
  // The paper, orientation and page of the document against `expected`.
  void ExpectPaper(uint16_t code, bool across, int32_t width, int32_t height) {
    VPrintSettings* printer = document.GetPrinter();
    ASSERT_NE(printer, nullptr);
    EXPECT_EQ(printer->GetPaperCode(), code);
    EXPECT_EQ(printer->IsLandscape(), across);
    int32_t w = 0, h = 0;
    printer->GetPaperSize(w, h);
    EXPECT_EQ(w, width);
    EXPECT_EQ(h, height);
    EXPECT_EQ(document.GetParams().GetPageWidth(), PaperPixels(width));
    EXPECT_EQ(document.GetParams().GetPageHeight(), PaperPixels(height));
  }
  // The margins the file gave, in pixels.
  void ExpectMargins(int32_t left, int32_t right, int32_t top, int32_t bottom) {
    const xMorvaDocParams& params = document.GetParams();
    EXPECT_EQ(params.GetLeftMargin(), TwipsToPixels(left));
    EXPECT_EQ(params.GetRightMargin(), TwipsToPixels(right));
    EXPECT_EQ(params.TopMargin(1), TwipsToPixels(top));
    EXPECT_EQ(params.BottomMargin(1), TwipsToPixels(bottom));
  }
  fs::path folder;
};

TEST_F(FilePaper, AnRtfPageBecomesThePaperOfItsSizeWithTheFilesMargins) {
  struct Case {
    const char* page;
    uint16_t code;
    bool across;
    int32_t width, height;
  };
  const Case cases[] = {
      {"\\paperw16838\\paperh11906\\landscape", 9, true, 29700, 21000},
      {"\\paperw11906\\paperh16838", 9, false, 21000, 29700},
      // Wider than high without the word: across all the same.
      {"\\paperw15840\\paperh12240", 1, true, 27940, 21590},
      {"\\paperw12240\\paperh15840", 1, false, 21590, 27940},
      // No paper of the printer's that size: a paper of its own size, in
      // whole tenths of a millimetre (the page then to the millimetre).
      {"\\paperw11700\\paperh17000", 0, false, 20630, 29970},
      {"\\paperw6795\\paperh10200", 0, false, 11980, 17990},
      {"\\paperw10200\\paperh6795", 0, true, 17990, 11980},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.page);
    ASSERT_EQ(0, ImportRtf(std::string("{\\rtf1\\ansi") + c.page +
                           "\\margl1000\\margr1500\\margt1300\\margb1200 Hello\\par}"));
    ExpectPaper(c.code, c.across, c.width, c.height);
    ExpectMargins(1000, 1500, 1300, 1200);
  }
}

TEST_F(FilePaper, AnRtfFileWithoutAPageLeavesThePaper) {
  ASSERT_EQ(0, ImportRtf("{\\rtf1\\ansi\\paperw16838\\paperh11906\\landscape Across\\par}"));
  ExpectPaper(9, true, 29700, 21000);
  ASSERT_EQ(0, ImportRtf("{\\rtf1\\ansi Nothing of a page\\par}"));
  EXPECT_EQ(document.GetPrinter()->GetPaperCode(), 9);
  EXPECT_TRUE(document.GetPrinter()->IsLandscape());
}

TEST_F(FilePaper, AWordSectionsPageBecomesThePaper) {
  // LibreOffice's files: A4 across with margins of 1000, 1500, 1300 and
  // 1200 twips; Letter upright with an inch all round; A4 upright.
  ASSERT_EQ(0, ImportWord("columns2.doc"));
  ExpectPaper(9, true, 29700, 21000);
  ExpectMargins(1000, 1500, 1300, 1200);
  ASSERT_EQ(0, ImportWord("paragraphs.doc"));
  ExpectPaper(1, false, 21590, 27940);
  ExpectMargins(1440, 1440, 1440, 1440);
  ASSERT_EQ(0, ImportWord("headings.doc"));
  ExpectPaper(9, false, 21000, 29700);
  ExpectMargins(1134, 1701, 1417, 1134);
}

TEST_F(FilePaper, AWordSectionsColumnsAreTheDocuments) {
  struct Case {
    const char* name;
    int32_t columns, spacing;
  };
  // LibreOffice's files of two columns 567 twips apart, three 360 apart,
  // and one.
  const Case cases[] = {{"columns2.doc", 2, 567}, {"columns3.doc", 3, 360}, {"headings.doc", 1, -1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(0, ImportWord(c.name));
    EXPECT_EQ(document.GetParams().GetColumns(), c.columns);
    if (c.spacing >= 0) {
      EXPECT_EQ(document.GetParams().GetColumnSpacing(), TwipsToPixels(c.spacing));
    }
  }
}

// The printer's measuring context changes with the paper: text measured on
// it after the change still wraps at the page's width.
TEST_F(FilePaper, TextWrapsOnTheNewPaper) {
  const std::string words =
      "Morning tides bring boats with timber grain wool and copper which the weigh master records. ";
  std::string body;
  for (int i = 0; i < 40; ++i) body += words;
  for (const char* page : {"\\paperw16838\\paperh11906\\landscape", "\\paperw12240\\paperh15840"}) {
    SCOPED_TRACE(page);
    ASSERT_EQ(0, ImportRtf(std::string("{\\rtf1\\ansi") + page + "\\margl1440\\margr1440{\\fonttbl{\\f0 Liberation Serif;}}\\f0\\fs24 " +
                           body + "\\par}"));
    // Some 3,700 characters of 12-point text: more than one page's width
    // of lines, fewer than two pages.
    const int32_t width = document.GetTextWidth(kPartBody);
    ASSERT_GT(width, 400);
    EXPECT_GE(document.GetBodyPageCount(), 1);
    ASSERT_NE(document.GetLayout(), nullptr);
    EXPECT_GT(document.GetLayout()->GetLineCount(kPartBody), 20);
  }
}

TEST_F(FilePaper, ImportedPagesPrintOnTheFilesPaper) {
  struct Case {
    const char* name;
    const char* size;
  };
  const Case cases[] = {
      {"columns2.doc", "842 x 595"},
      {"headings.doc", "595 x 842"},
      {"columns3.lo.rtf", "792 x 612"},
      {"columns2.lo.rtf", "842 x 595"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string name = c.name;
    if (name.substr(name.size() - 4) == ".doc") {
      ASSERT_EQ(0, ImportWord(name));
    } else {
      ASSERT_EQ(0, ImportRtf(peertest::ReadFile(PageFixtures() / name)));
    }
    const fs::path pdf = folder / (name + ".pdf");
    ASSERT_GT(printtest::PrintDocument(document, pdf), 0);
    EXPECT_EQ(printtest::PdfPageSize(pdf), c.size);
  }
}

// A paper turned across, A4 (wider than high then), Ledger (higher than
// wide, the table's Ledger lying wide) and one of the user's own: its Word
// file says so as Word does, and the Word file, the RTF file and our own
// file each reopen on the paper and the orientation they were saved with,
// the page keeping its width and height.
TEST_F(FilePaper, AWordFileOfAPageAcrossSaysSoAsWordDoes) {
  struct Row {
    const char* what;
    int32_t width, height;  // hundredths of a millimetre, as the page lies
    uint16_t code;
  };
  const Row rows[] = {{"A4 across", 29700, 21000, 9}, {"Ledger across", 27940, 43180, 4},
                      {"200 x 100 mm across", 10000, 20000, 0}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    // As the page setup turns a paper across, and the page takes it.
    document.GetPrinter()->TakePaperOfPage(row.width, row.height, true, 2000, 2000, 2000, 2000);
    document.FitPageToPaper(false, true);
    ExpectPaper(row.code, true, row.width, row.height);
    // A paper of the user's own comes back from the page's whole pixels:
    // the same in whole millimetres.
    auto expectSaved = [&]() {
      if (row.code != 0) return ExpectPaper(row.code, true, row.width, row.height);
      int32_t w = 0, h = 0;
      document.GetPrinter()->GetPaperSize(w, h);
      ExpectPaper(0, true, w, h);
      EXPECT_NEAR(w, row.width, 50);
      EXPECT_NEAR(h, row.height, 50);
    };
    oletest::MemoryFile memory;
    xMorvaExportWord writer;
    ASSERT_EQ(0, writer.ExportWordDocument(&document, &memory.Stream()));
    const std::vector<uint8_t> bytes = memory.Contents();
    // sprmSBOrientation with 2, across; 1 would be upright.
    const std::string file(bytes.begin(), bytes.end());
    EXPECT_NE(file.find(std::string("\x1D\x30\x02", 3)), std::string::npos);
    EXPECT_EQ(file.find(std::string("\x1D\x30\x01", 3)), std::string::npos);
    const std::string rtf = rtftest::Export(document);
    const documentfile::Bytes own = documentfile::Write(document);
    {
      SCOPED_TRACE("Word");
      oletest::MemoryFile again(bytes);
      xMorvaImportWord reader;
      ASSERT_EQ(0, reader.ImportWordDocument(&document, &again.Stream()));
      expectSaved();
    }
    {
      SCOPED_TRACE("RTF");
      ASSERT_EQ(0, ImportRtf(rtf));
      expectSaved();
    }
    {
      SCOPED_TRACE("own file");
      document.Params().SetPageSize(PaperPixels(21000), PaperPixels(29700));
      document.TakePaperFromPage(false);
      ASSERT_EQ(0, documentfile::Read(document, own));
      expectSaved();
    }
  }
}

// A page fitted to a paper of the print settings' table goes to RTF and
// Word in that paper's exact size (the page itself is whole millimetres
// of whole pixels), upright or across; a paper of the user's own goes out
// as the page is.
TEST_F(FilePaper, ANamedPaperGoesOutInItsExactSize) {
  struct Row {
    const char* what;
    int32_t width, height;  // hundredths of a millimetre, as the page lies
    bool across;
    int32_t twipsWidth, twipsHeight;  // 0: the page's own, in twips
  };
  const Row rows[] = {{"Letter", 21590, 27940, false, 12240, 15840},
                      {"Legal", 21590, 35560, false, 12240, 20160},
                      {"A4", 21000, 29700, false, 11906, 16838},
                      {"Ledger across", 27940, 43180, true, 15840, 24480},
                      {"A5 across", 21000, 14800, true, 11906, 8391},
                      {"100 x 200 mm", 10000, 20000, false, 0, 0}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    document.GetPrinter()->TakePaperOfPage(row.width, row.height, row.across, 2000, 2000, 2000, 2000);
    document.FitPageToPaper(false, true);
    const int32_t width = row.twipsWidth != 0 ? row.twipsWidth : PixelsToTwips(document.GetParams().GetPageWidth());
    const int32_t height = row.twipsHeight != 0 ? row.twipsHeight : PixelsToTwips(document.GetParams().GetPageHeight());
    const std::string rtf = rtftest::Export(document);
    EXPECT_NE(rtf.find("\\paperw" + std::to_string(width) + "\\paperh" + std::to_string(height)), std::string::npos);
    oletest::MemoryFile memory;
    xMorvaExportWord writer;
    ASSERT_EQ(0, writer.ExportWordDocument(&document, &memory.Stream()));
    const std::vector<uint8_t> bytes = memory.Contents();
    const std::string file(bytes.begin(), bytes.end());
    // sprmSXaPage and sprmSYaPage, Letter's too.
    auto sprm = [](uint16_t opcode, int32_t twips) {
      return std::string{char(opcode & 0xFF), char(opcode >> 8), char(twips & 0xFF), char((twips >> 8) & 0xFF)};
    };
    EXPECT_NE(std::string::npos, file.find(sprm(0xB01F, width)));
    EXPECT_NE(std::string::npos, file.find(sprm(0xB020, height)));
  }
}

// An AbiWord file of three sections (the second of two columns), with a
// header whose right part stands at a right stop on the right margin, a
// footer of live page fields, soft hyphens given as characters and list
// items that AbiWord writes whole inside their label groups: printed, its
// header and footer lie inside the page at the first section's distances,
// the right part ends at the right margin, the soft hyphens do not show,
// the page fields show their numbers and each item has its own line.
TEST_F(FilePaper, AnAbiWordFileOfSectionsPrintsItsPartsInsideThePage) {
  ASSERT_EQ(0, ImportRtf(peertest::ReadFile(PageFixtures() / "sections.abiword.rtf")));
  const fs::path pdf = folder / "sections.pdf";
  ASSERT_EQ(printtest::PrintDocument(document, pdf), 1);
  ASSERT_EQ(printtest::PdfPageSize(pdf), "595 x 842");
  // Each word's box, by its text (the first of the text on the page).
  struct Box {
    double left, top, right, bottom;
  };
  std::map<std::string, Box> words;
  std::vector<std::string> order;
  const std::string boxes = peertest::Output("pdftotext -bbox '" + pdf.string() + "' - 2>/dev/null");
  const std::regex word("<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\" xMax=\"([0-9.]+)\" yMax=\"([0-9.]+)\">([^<]*)</word>");
  for (auto it = std::sregex_iterator(boxes.begin(), boxes.end(), word); it != std::sregex_iterator(); ++it) {
    const std::smatch& m = *it;
    order.push_back(m[5]);
    words.emplace(m[5], Box{std::stod(m[1]), std::stod(m[2]), std::stod(m[3]), std::stod(m[4])});
  }
  for (const char* needed : {"Harbour", "Right", "part", "Page", "of", "Timber", "Grain", "Copper",
                             "Donaudampfschifffahrtsgesellschaft", "Merchantships"})
    ASSERT_TRUE(words.count(needed)) << needed << "\n" << boxes.substr(0, 4000);
  // The header 567 twips (28.35 points) below the paper's top, the footer's
  // text above its bottom.
  EXPECT_NEAR(words["Harbour"].top, 28.35, 3.0);
  EXPECT_LT(words["Page"].bottom, 842 - 12.0);
  EXPECT_GT(words["Page"].top, 842 - 80.0);
  // The right part ends at the right margin (1134 twips, 56.7 points).
  EXPECT_NEAR(words["part"].right, 595.3 - 56.7, 2.0);
  EXPECT_NEAR(words["Right"].top, words["Harbour"].top, 1.0);
  // "Page 1 of 1": the numbers are there.
  const auto page = std::find(order.begin(), order.end(), "Page");
  ASSERT_LE(page + 4, order.end());
  EXPECT_EQ("1", page[1]);
  EXPECT_EQ("of", page[2]);
  EXPECT_EQ("1", page[3]);
  EXPECT_LT(words["Timber"].bottom, words["Grain"].top + 1.0);
  EXPECT_LT(words["Grain"].bottom, words["Copper"].top + 1.0);
}

// AbiWord's file of a header and a footer "Page N of M" on pages without
// margins, whose sections give the footer's distance as 0 (\footery0: the
// footer's band at the page's lower edge, where LibreOffice prints it half
// off the paper): printed, each of its three pages shows "Page N of 3"
// whole on the paper, its last line ending 12 points above the edge, and
// the body's lines end above it. The footer's place and the bottom margin
// stay through our own RTF.
TEST_F(FilePaper, AnAbiWordFooterAtTheLowerEdgePrintsOnThePaper) {
  const std::string rtf = peertest::ReadFile(PageFixtures().parent_path() / "rtf" / "footers.abiword.rtf");
  ASSERT_NE(std::string::npos, rtf.find("\\footery0"));
  ASSERT_EQ(0, ImportRtf(rtf));
  const xMorvaPageBands bands = document.Params().GetBands(false);
  const fs::path pdf = folder / "footers.pdf";
  ASSERT_EQ(printtest::PrintDocument(document, pdf), 3);
  ASSERT_EQ(printtest::PdfPageSize(pdf), "595 x 842");
  const std::string text = peertest::Output("pdftotext '" + pdf.string() + "' - 2>/dev/null");
  const std::string boxes = peertest::Output("pdftotext -bbox '" + pdf.string() + "' - 2>/dev/null");
  const std::regex word("<page |<word xMin=\"[0-9.]+\" yMin=\"([0-9.-]+)\" xMax=\"[0-9.]+\" yMax=\"([0-9.-]+)\">(Page|Line)</word>");
  std::vector<double> bodyEnd, footerTop;  // a page each
  for (auto it = std::sregex_iterator(boxes.begin(), boxes.end(), word); it != std::sregex_iterator(); ++it) {
    if (!(*it)[1].matched) {
      bodyEnd.push_back(0);
      footerTop.push_back(842);
      continue;
    }
    if (bodyEnd.empty()) continue;
    if ((*it)[3] == "Line") {
      bodyEnd.back() = std::max(bodyEnd.back(), std::stod((*it)[2]));
      continue;
    }
    SCOPED_TRACE("page " + std::to_string(bodyEnd.size()));
    footerTop.back() = std::stod((*it)[1]);
    EXPECT_LE(std::stod((*it)[2]), 842 - 11.0);
    EXPECT_GE(std::stod((*it)[1]), 842 - 40.0);
    EXPECT_NE(std::string::npos, text.find("Page " + std::to_string(bodyEnd.size()) + " of 3")) << text;
  }
  ASSERT_EQ(3u, bodyEnd.size());
  for (size_t p = 0; p < bodyEnd.size(); ++p) {
    EXPECT_LT(footerTop[p], 842) << "page " << p + 1;
    EXPECT_LE(bodyEnd[p], footerTop[p]) << "page " << p + 1;
  }
  // Written and read back three times, the page keeps the footer's upper
  // edge and the bottom margin; the footer goes out at the distance it
  // prints at, 12 points, which its band then reaches down to.
  xMorvaPageBands written = bands;
  written.footerBottom = written.footerTop - FooterLinesHeight(document, false);
  EXPECT_EQ(xMorvaDocParams::FooterFloor(), written.footerBottom);
  for (int trip = 1; trip <= 3; ++trip) {
    SCOPED_TRACE("trip " + std::to_string(trip));
    ASSERT_EQ(0, ImportRtf(rtftest::Export(document)));
    EXPECT_TRUE(document.Params().GetBands(false) == written);
  }
}

}  // namespace filepaper
