// Printing in the headless stand-in: device modes, the default printer of
// the profile, the print dialog's provider, and print jobs written as PDF
// files whose text reads back and whose pages look as their pixels do.
#include "platform/print/WinPrint.h"

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "platform/gdi/GdiSnapshot.h"
#include "platform/gdi/WinGdi.h"

namespace {

class Printing : public testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/qvprintXXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder = pattern;
  }
  void TearDown() override {
    ResetHeadlessPrinting();
    ResetHeadlessDialogs();
    std::string command = getenv("QV_KEEP") ? "true" : "rm -rf '" + folder + "'";
    EXPECT_EQ(std::system(command.c_str()), 0);
  }
  static bool Exists(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0;
  }
  static std::string Run(const std::string& command) {
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return out;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
    pclose(pipe);
    return out;
  }
  std::string folder;
};

// A printer's DC lays out the paper and orientation of the device mode it
// is made with: at 300 dpi, within the default printer's 75-pixel margins.
TEST_F(Printing, DevicesFollowTheirModesPaperAndOrientation) {
  struct Case {
    const char* name;
    uint32_t fields;
    int16_t paper, orientation, width, length;  // tenths of a millimetre
    int physicalWidth, physicalHeight;
  };
  const uint32_t kPaper = DM_PAPERSIZE | DM_ORIENTATION;
  const Case cases[] = {
      {"Letter upright", kPaper, 1, DMORIENT_PORTRAIT, 0, 0, 2550, 3300},
      {"Letter across", kPaper, 1, DMORIENT_LANDSCAPE, 0, 0, 3300, 2550},
      {"A4 upright", kPaper, 9, DMORIENT_PORTRAIT, 0, 0, 2480, 3507},
      {"A4 across", kPaper, 9, DMORIENT_LANDSCAPE, 0, 0, 3507, 2480},
      {"A3 without orientation", DM_PAPERSIZE, 8, DMORIENT_LANDSCAPE, 0, 0, 3507, 4960},
      {"own lengths", kPaper | DM_PAPERWIDTH | DM_PAPERLENGTH, 0, DMORIENT_PORTRAIT, 1000, 1500, 1181, 1771},
      {"unknown code: the printer's own page", kPaper, 24, DMORIENT_PORTRAIT, 0, 0, 2550, 3300},
      {"no paper field", DM_ORIENTATION, 9, DMORIENT_PORTRAIT, 0, 0, 2550, 3300},
  };
  for (const Case& c : cases) {
    DEVMODEA mode{};
    std::strcpy(mode.dmDeviceName, "Qv Printer");
    mode.dmFields = c.fields;
    mode.dmPaperSize = c.paper;
    mode.dmOrientation = c.orientation;
    mode.dmPaperWidth = c.width;
    mode.dmPaperLength = c.length;
    for (bool information : {true, false}) {
      HDC dc = information ? CreateICA("winspool", "Qv Printer", nullptr, &mode)
                           : CreateDCA("winspool", "Qv Printer", nullptr, &mode);
      ASSERT_NE(dc, nullptr) << c.name;
      EXPECT_EQ(GetDeviceCaps(dc, PHYSICALWIDTH), c.physicalWidth) << c.name;
      EXPECT_EQ(GetDeviceCaps(dc, PHYSICALHEIGHT), c.physicalHeight) << c.name;
      EXPECT_EQ(GetDeviceCaps(dc, PHYSICALOFFSETX), 75) << c.name;
      EXPECT_EQ(GetDeviceCaps(dc, PHYSICALOFFSETY), 75) << c.name;
      EXPECT_EQ(GetDeviceCaps(dc, HORZRES), c.physicalWidth - 150) << c.name;
      EXPECT_EQ(GetDeviceCaps(dc, VERTRES), c.physicalHeight - 150) << c.name;
      DeleteDC(dc);
    }
  }
}

TEST_F(Printing, DeviceModesMergeWhatThePrinterTakes) {
  HANDLE printer = nullptr;
  ASSERT_TRUE(OpenPrinterA("Qv Printer", &printer, nullptr));
  EXPECT_EQ(DocumentPropertiesA(nullptr, printer, nullptr, nullptr, nullptr, 0), 156);
  DEVMODEA mode{};
  ASSERT_EQ(DocumentPropertiesA(nullptr, printer, nullptr, &mode, nullptr, DM_OUT_BUFFER), IDOK_);
  EXPECT_STREQ(mode.dmDeviceName, "Qv Printer");
  EXPECT_EQ(mode.dmPaperSize, 1);
  EXPECT_EQ(mode.dmOrientation, DMORIENT_PORTRAIT);
  EXPECT_EQ(mode.dmYResolution, 300);

  struct Case {
    uint32_t fields;
    int16_t orientation, paper, length, width, scale;
    int16_t wantPaper, wantOrientation, wantScale, wantWidth;
  };
  const Case cases[] = {
      {DM_ORIENTATION | DM_PAPERSIZE, 2, 9, 0, 0, 0, 9, 2, 100, 0},
      {DM_PAPERSIZE | DM_PAPERLENGTH | DM_PAPERWIDTH, 0, 0, 2970, 2100, 0, 0, 1, 100, 2100},
      {DM_PAPERSIZE | DM_SCALE, 0, 24, 0, 0, 50, 1, 1, 50, 0},   // a code without size
      {DM_ORIENTATION | DM_SCALE, 7, 0, 0, 0, 5000, 1, 1, 100, 0},  // out of range
      {0, 2, 9, 0, 0, 50, 1, 1, 100, 0},                        // no fields: nothing taken
  };
  for (const Case& c : cases) {
    DEVMODEA in = mode;
    in.dmFields = c.fields;
    in.dmOrientation = c.orientation;
    in.dmPaperSize = c.paper;
    in.dmPaperLength = c.length;
    in.dmPaperWidth = c.width;
    in.dmScale = c.scale;
    DEVMODEA out{};
    ASSERT_EQ(DocumentPropertiesA(nullptr, printer, nullptr, &out, &in,
                                  DM_IN_BUFFER | DM_OUT_BUFFER),
              IDOK_);
    EXPECT_EQ(out.dmPaperSize, c.wantPaper) << c.fields;
    EXPECT_EQ(out.dmOrientation, c.wantOrientation) << c.fields;
    EXPECT_EQ(out.dmScale, c.wantScale) << c.fields;
    EXPECT_EQ(out.dmPaperWidth, c.wantWidth) << c.fields;
  }
  EXPECT_TRUE(ClosePrinter(printer));
  EXPECT_FALSE(ClosePrinter(printer));
  EXPECT_EQ(DocumentPropertiesA(nullptr, printer, nullptr, &mode, nullptr, DM_OUT_BUFFER), -1);
  EXPECT_FALSE(OpenPrinterA("No Such Printer", &printer, nullptr));
  EXPECT_EQ(printer, nullptr);
}

TEST_F(Printing, ProfileNamesTheDefaultPrinter) {
  char device[256];
  EXPECT_EQ(GetProfileStringA("windows", "device", "", device, sizeof device), 23u);
  EXPECT_STREQ(device, "Qv Printer,winspool,QV:");
  SetHeadlessDefaultPrinter(nullptr);
  EXPECT_EQ(GetProfileStringA("windows", "device", "", device, sizeof device), 0u);
  EXPECT_STREQ(device, "");
  char small[4];
  SetHeadlessDefaultPrinter("Qv Printer");
  EXPECT_EQ(GetProfileStringA("windows", "device", "", small, sizeof small), 3u);
  EXPECT_STREQ(small, "Qv ");
}

TEST_F(Printing, PrintDialogAnswersThroughItsProvider) {
  PRINTDLGA dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.Flags = PD_RETURNDC;
  EXPECT_FALSE(PrintDlgA(&dialog));  // no provider: cancelled
  EXPECT_EQ(dialog.hDC, nullptr);
  SetHeadlessPrintProvider(
      [](PRINTDLGA* d, void*) -> BOOL {
        d->nFromPage = 2;
        d->nToPage = 3;
        return d->hDevMode != nullptr ? TRUE_ : FALSE_;
      },
      nullptr);
  ASSERT_TRUE(PrintDlgA(&dialog));
  EXPECT_NE(dialog.hDC, nullptr);
  EXPECT_EQ(dialog.nToPage, 3);
  EXPECT_EQ(GetDeviceCaps(dialog.hDC, LOGPIXELSX), 300);
  DeleteDC(dialog.hDC);
  GlobalFree(dialog.hDevMode);
  GlobalFree(dialog.hDevNames);
}

// The calls of one page: a frame, a line and the page's number.
void DrawPage(HDC dc, int page) {
  LOGFONTA font{};
  font.lfHeight = -120;
  std::strcpy(font.lfFaceName, "Arial");
  HFONT made = CreateFontIndirectA(&font);
  HGDIOBJ old = SelectObject(dc, made);
  Rectangle(dc, 150, 150, 1650, 600);
  MoveToEx(dc, 150, 800, nullptr);
  LineTo(dc, 1650, 800);
  SetBkMode(dc, TRANSPARENT);
  const std::string text = "Page " + std::to_string(page);
  TextOutA(dc, 300, 300, text.c_str(), int(text.size()));
  SelectObject(dc, old);
  DeleteObject(made);
}

TEST_F(Printing, ThreePagesReadBackAsTextAndLookAsTheirPixels) {
  const std::string pdf = folder + "/job.pdf";
  SetHeadlessPrintPagePng((folder + "/page").c_str());
  HDC dc = CreateDCA("winspool", "Qv Printer", nullptr, nullptr);
  ASSERT_NE(dc, nullptr);
  DOCINFOA info{sizeof(DOCINFOA), "Numbers", pdf.c_str(), nullptr, 0};
  ASSERT_GT(StartDocA(dc, &info), 0);
  EXPECT_EQ(StartDocA(dc, &info), 0);  // one job at a time
  for (int page = 1; page <= 3; ++page) {
    ASSERT_GT(StartPage(dc), 0);
    DrawPage(dc, page);
    ASSERT_GT(EndPage(dc), 0);
  }
  EXPECT_EQ(EndPage(dc), 0);  // no page open
  ASSERT_GT(EndDoc(dc), 0);
  DeleteDC(dc);
  ASSERT_TRUE(Exists(pdf));

  const std::string pdfInfo = Run("pdfinfo '" + pdf + "'");
  EXPECT_NE(pdfInfo.find("Pages:"), std::string::npos);
  EXPECT_EQ(std::stoi(pdfInfo.substr(pdfInfo.find("Pages:") + 6)), 3);
  for (int page = 1; page <= 3; ++page) {
    const std::string text = Run("pdftotext -f " + std::to_string(page) + " -l " +
                                 std::to_string(page) + " '" + pdf + "' -");
    EXPECT_NE(text.find("Page " + std::to_string(page)), std::string::npos) << text;
    EXPECT_EQ(text.find("Page " + std::to_string(page % 3 + 1)), std::string::npos) << text;
  }

  // Page 2 rendered from the PDF against its pixels: the same ink in every
  // 10 x 10 block of the printable area, up to anti-aliasing.
  ASSERT_EQ(system(("pdftoppm -r 300 -f 2 -l 2 -png -singlefile '" + pdf + "' '" + folder +
                    "/render'")
                       .c_str()),
            0);
  HBITMAP rendered = GdiReadPng((folder + "/render.png").c_str());
  HBITMAP pixels = GdiReadPng((folder + "/page2.png").c_str());
  ASSERT_NE(rendered, nullptr);
  ASSERT_NE(pixels, nullptr);
  DIBSECTION a{}, b{};
  ASSERT_EQ(GetObjectA(rendered, sizeof a, &a), int(sizeof a));
  ASSERT_EQ(GetObjectA(pixels, sizeof b, &b), int(sizeof b));
  ASSERT_EQ(a.dsBm.bmWidth, 2550);
  ASSERT_EQ(b.dsBm.bmWidth, 2400);
  auto dark = [](const BITMAP& bm, int x, int y) {
    const auto* p = static_cast<const uint8_t*>(bm.bmBits) + ptrdiff_t(y) * bm.bmWidthBytes + 4 * x;
    return (255 * 3 - p[0] - p[1] - p[2]) / (255.0 * 3);
  };
  int inkBlocks = 0;
  double worst = 0;
  for (int by = 0; by + 10 <= 3150; by += 10) {
    for (int bx = 0; bx + 10 <= 2400; bx += 10) {
      double sumA = 0, sumB = 0;
      for (int y = by; y < by + 10; ++y) {
        for (int x = bx; x < bx + 10; ++x) {
          sumA += dark(a.dsBm, x + 75, y + 75);
          sumB += dark(b.dsBm, x, y);
        }
      }
      if (sumB > 0) ++inkBlocks;
      worst = std::max(worst, std::abs(sumA - sumB) / 100);
    }
  }
  EXPECT_GT(inkBlocks, 300);
  EXPECT_LT(worst, 0.35);
  DeleteObject(rendered);
  DeleteObject(pixels);
}

TEST_F(Printing, RasterOperationsComeOutAsThePagePixels) {
  const std::string pdf = folder + "/invert.pdf";
  HDC dc = CreateDCA("winspool", "Qv Printer", nullptr, nullptr);
  DOCINFOA info{sizeof(DOCINFOA), "Invert", pdf.c_str(), nullptr, 0};
  ASSERT_GT(StartDocA(dc, &info), 0);
  ASSERT_GT(StartPage(dc), 0);
  HBRUSH black = CreateSolidBrush(RGB(0, 0, 0));
  HGDIOBJ old = SelectObject(dc, black);
  SelectObject(dc, GetStockObject(NULL_PEN));
  Rectangle(dc, 0, 0, 601, 601);  // a vector fill of 600 x 600
  const RECT half{0, 0, 300, 600};
  InvertRect(dc, &half);  // no PDF operator: the page's pixels
  SelectObject(dc, old);
  DeleteObject(black);
  ASSERT_GT(EndDoc(dc), 0);
  DeleteDC(dc);
  ASSERT_EQ(system(("pdftoppm -r 300 -png -singlefile '" + pdf + "' '" + folder + "/inv'").c_str()), 0);
  HBITMAP rendered = GdiReadPng((folder + "/inv.png").c_str());
  ASSERT_NE(rendered, nullptr);
  DIBSECTION section{};
  ASSERT_EQ(GetObjectA(rendered, sizeof section, &section), int(sizeof section));
  auto value = [&](int x, int y) {  // printable area coordinates
    return static_cast<const uint8_t*>(section.dsBm.bmBits)[ptrdiff_t(y + 75) * section.dsBm.bmWidthBytes + 4 * (x + 75)];
  };
  EXPECT_EQ(value(150, 300), 255);  // inverted to white
  EXPECT_EQ(value(450, 300), 0);    // still black
  EXPECT_EQ(value(800, 300), 255);  // untouched paper
  DeleteObject(rendered);
}

// One page printed by `draw` into a PDF; with `pngPrefix` the job also
// writes the page's pixels as a PNG, so it draws the whole page.
template <typename Draw>
std::string PrintOnePage(const std::string& pdf, const char* pngPrefix, Draw draw) {
  SetHeadlessPrintPagePng(pngPrefix);
  HDC dc = CreateDCA("winspool", "Qv Printer", nullptr, nullptr);
  DOCINFOA info{sizeof(DOCINFOA), "One page", pdf.c_str(), nullptr, 0};
  if (dc == nullptr || StartDocA(dc, &info) <= 0 || StartPage(dc) <= 0) return "no job";
  draw(dc);
  const bool ended = EndDoc(dc) > 0;
  DeleteDC(dc);
  SetHeadlessPrintPagePng(nullptr);
  return ended ? "" : "the job did not end";
}

// The page rendered at 100 dots per inch (or `dpi`), as grey bytes, row by
// row; its width goes to `width` when asked for.
std::vector<uint8_t> Rendered(const std::string& pdf, const std::string& stem, int* width = nullptr,
                              int dpi = 100) {
  std::vector<uint8_t> grey;
  const std::string command =
      "pdftoppm -r " + std::to_string(dpi) + " -gray -png -singlefile '" + pdf + "' '" + stem + "'";
  if (system(command.c_str()) != 0) return grey;
  HBITMAP bitmap = GdiReadPng((stem + ".png").c_str());
  DIBSECTION section{};
  if (bitmap == nullptr || GetObjectA(bitmap, sizeof section, &section) != int(sizeof section)) {
    return grey;
  }
  const BITMAP& bm = section.dsBm;
  for (int y = 0; y < bm.bmHeight; ++y) {
    const auto* row = static_cast<const uint8_t*>(bm.bmBits) + ptrdiff_t(y) * bm.bmWidthBytes;
    for (int x = 0; x < bm.bmWidth; ++x) grey.push_back(row[4 * x]);
  }
  if (width != nullptr) *width = bm.bmWidth;
  DeleteObject(bitmap);
  return grey;
}

TEST_F(Printing, TextAndPlainShapesMakeNoPagePixels) {
  ResetHeadlessPrinting();
  const std::string pdf = folder + "/plain.pdf";
  ASSERT_EQ(PrintOnePage(pdf, nullptr, [](HDC dc) { DrawPage(dc, 7); }), "");
  EXPECT_EQ(HeadlessPrintPagePixels(), 0);
  EXPECT_NE(Run("pdftotext '" + pdf + "' -").find("Page 7"), std::string::npos);
  // Written with its pixels, the same page renders the same.
  const std::string whole = folder + "/whole.pdf";
  ASSERT_EQ(PrintOnePage(whole, (folder + "/p").c_str(), [](HDC dc) { DrawPage(dc, 7); }), "");
  EXPECT_EQ(HeadlessPrintPagePixels(), 2400 * 3150);
  const std::vector<uint8_t> a = Rendered(pdf, folder + "/a");
  ASSERT_FALSE(a.empty());
  EXPECT_EQ(a, Rendered(whole, folder + "/b"));
}

// Text, shapes and a line under two raster calls whose boxes overlap, a pen
// deleted before the second: the page with pixels made where the raster calls need
// them renders as the page drawn whole does, and made few of them.
void DrawUnderRaster(HDC dc) {
  LOGFONTA font{};
  font.lfHeight = -90;
  std::strcpy(font.lfFaceName, "Arial");
  HFONT made = CreateFontIndirectA(&font);
  HGDIOBJ oldFont = SelectObject(dc, made);
  HBRUSH grey = CreateSolidBrush(RGB(160, 160, 160));
  HGDIOBJ oldBrush = SelectObject(dc, grey);
  Rectangle(dc, 100, 100, 700, 400);
  HPEN thick = CreatePen(PS_SOLID, 9, RGB(0, 0, 200));
  HGDIOBJ oldPen = SelectObject(dc, thick);
  MoveToEx(dc, 100, 1200, nullptr);
  LineTo(dc, 1500, 1300);
  SelectObject(dc, oldPen);
  DeleteObject(thick);
  SetBkMode(dc, TRANSPARENT);
  TextOutA(dc, 150, 200, "Under the first", 15);
  const RECT first{120, 150, 500, 350};
  InvertRect(dc, &first);
  // Drawn after the first raster call: where both boxes meet, and where
  // only the second reaches.
  TextOutA(dc, 200, 300, "Across both", 11);
  TextOutA(dc, 900, 1220, "Beside the line", 15);
  const RECT second{300, 250, 1400, 1350};
  InvertRect(dc, &second);
  TextOutA(dc, 100, 2000, "Last", 4);
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldFont);
  DeleteObject(grey);
  DeleteObject(made);
}

TEST_F(Printing, RasterCallsGetPixelsOnlyWhereTheyDraw) {
  ResetHeadlessPrinting();
  const std::string pdf = folder + "/parts.pdf";
  ASSERT_EQ(PrintOnePage(pdf, nullptr, DrawUnderRaster), "");
  const int64_t made = HeadlessPrintPagePixels();
  EXPECT_GT(made, 0);
  // The two boxes and what lies between them, not the page.
  EXPECT_LT(made, 2400 * 3150 / 4);
  const std::string whole = folder + "/whole.pdf";
  ASSERT_EQ(PrintOnePage(whole, (folder + "/p").c_str(), DrawUnderRaster), "");
  const std::vector<uint8_t> a = Rendered(pdf, folder + "/a");
  const std::vector<uint8_t> b = Rendered(whole, folder + "/b");
  ASSERT_EQ(a.size(), b.size());
  ASSERT_FALSE(a.empty());
  size_t differing = 0;
  for (size_t i = 0; i < a.size(); ++i) differing += a[i] != b[i];
  EXPECT_EQ(differing, 0u);
  const std::string text = Run("pdftotext '" + pdf + "' -");
  EXPECT_NE(text.find("Last"), std::string::npos) << text;
}

// A page read back while it is drawn has the pixels of what was drawn.
TEST_F(Printing, APageReadBackHasItsPixels) {
  ResetHeadlessPrinting();
  COLORREF inside = CLR_INVALID, outside = CLR_INVALID, after = CLR_INVALID;
  ASSERT_EQ(PrintOnePage(folder + "/read.pdf", nullptr,
                         [&](HDC dc) {
                           HGDIOBJ old = SelectObject(dc, GetStockObject(BLACK_BRUSH));
                           Rectangle(dc, 10, 10, 110, 110);
                           inside = GetPixel(dc, 50, 50);
                           outside = GetPixel(dc, 500, 500);
                           Rectangle(dc, 400, 400, 600, 600);  // drawn on the pixels at once
                           after = GetPixel(dc, 500, 500);
                           SelectObject(dc, old);
                         }),
            "");
  EXPECT_EQ(inside, RGB(0, 0, 0));
  EXPECT_EQ(outside, RGB(255, 255, 255));
  EXPECT_EQ(after, RGB(0, 0, 0));
  EXPECT_EQ(HeadlessPrintPagePixels(), 2400 * 3150);
}

// Arcs, chords and pies have no vector form here: the page shows their
// pixels, made for their boxes alone.
TEST_F(Printing, ArcsComeOutAsTheirPixels) {
  ResetHeadlessPrinting();
  const std::string pdf = folder + "/arcs.pdf";
  ASSERT_EQ(PrintOnePage(pdf, nullptr,
                         [](HDC dc) {
                           HPEN pen = CreatePen(PS_SOLID, 12, RGB(0, 0, 0));
                           HGDIOBJ old = SelectObject(dc, pen);
                           Arc(dc, 300, 300, 900, 900, 900, 600, 300, 600);
                           SelectObject(dc, GetStockObject(BLACK_BRUSH));
                           Pie(dc, 1200, 300, 1800, 900, 1800, 600, 1200, 600);
                           SelectObject(dc, old);
                           DeleteObject(pen);
                         }),
            "");
  const int64_t made = HeadlessPrintPagePixels();
  EXPECT_GT(made, 2 * 600 * 600);
  EXPECT_LT(made, 2400 * 3150 / 4);
  // At 100 dots per inch, printable area from (25, 25): the arc's top and
  // the pie's filled half show ink; the arc's open half does not.
  const std::vector<uint8_t> grey = Rendered(pdf, folder + "/arcs");
  ASSERT_EQ(grey.size(), size_t(850) * 1100);
  auto at = [&](int x, int y) { return grey[size_t(25 + y / 3) * 850 + size_t(25 + x / 3)]; };
  EXPECT_LT(at(600, 305), 128);
  EXPECT_LT(at(1500, 450), 128);
  EXPECT_GT(at(600, 800), 128);
}

TEST_F(Printing, FailedJobsLeaveNoFile) {
  const std::string pdf = folder + "/failed.pdf";
  DOCINFOA info{sizeof(DOCINFOA), "Failed", pdf.c_str(), nullptr, 0};
  HDC dc = CreateDCA("winspool", "Qv Printer", nullptr, nullptr);
  ASSERT_NE(dc, nullptr);

  SetHeadlessPrintFailure(1);
  EXPECT_EQ(StartDocA(dc, &info), 0);
  EXPECT_FALSE(Exists(pdf));

  SetHeadlessPrintFailure(2);
  ASSERT_GT(StartDocA(dc, &info), 0);
  EXPECT_EQ(StartPage(dc), 0);
  EXPECT_GT(AbortDoc(dc), 0);
  EXPECT_FALSE(Exists(pdf));

  // A DC deleted in the middle of its job takes the job's file with it.
  ASSERT_GT(StartDocA(dc, &info), 0);
  ASSERT_GT(StartPage(dc), 0);
  DrawPage(dc, 1);
  DeleteDC(dc);
  EXPECT_FALSE(Exists(pdf));

  // No job on a screen DC, nor in a folder that does not exist.
  HDC screen = GetDC(nullptr);
  EXPECT_EQ(StartDocA(screen, &info), 0);
  ReleaseDC(nullptr, screen);
  HDC printer = CreateDCA("winspool", "Qv Printer", nullptr, nullptr);
  DOCINFOA nowhere{sizeof(DOCINFOA), "X", "/nonexistent/folder/x.pdf", nullptr, 0};
  EXPECT_EQ(StartDocA(printer, &nowhere), 0);
  DeleteDC(printer);
}

namespace {
// A job of three pages: the step that first failed ("page N", "end"), or ""
// when the whole job printed. A failed page gives the job up.
std::string PrintThreePages(HDC dc, const DOCINFOA& info) {
  if (StartDocA(dc, &info) <= 0) return "start";
  for (int page = 1; page <= 3; ++page) {
    const bool started = StartPage(dc) > 0;
    if (started) DrawPage(dc, page);
    if (!started || EndPage(dc) <= 0) {
      AbortDoc(dc);
      return "page " + std::to_string(page);
    }
  }
  return EndDoc(dc) > 0 ? "" : "end";
}

// The names in the folder, hidden ones too.
std::vector<std::string> Names(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}
}  // namespace

// A full disk under the output, met from the job's start, after its first
// page or at its end: the step that meets it answers 0, at the latest the
// one named, and the job leaves no file, hidden or not; an older file of
// the output's name stays as it was. A job that prints whole replaces that
// file and keeps its permissions.
TEST_F(Printing, AFullDiskLeavesNoFileAndAnOlderOneAsItWas) {
  const std::string pdf = folder + "/full.pdf";
  {
    std::ofstream older(pdf);
    older << "older";
  }
  ASSERT_EQ(chmod(pdf.c_str(), 0640), 0);
  DOCINFOA info{sizeof(DOCINFOA), "Full", pdf.c_str(), nullptr, 0};
  const struct {
    int failure;
    std::vector<std::string> failedBy;  // the steps where it may fail
  } rows[] = {
      {3, {"start", "page 1"}},
      {4, {"page 2"}},
      {5, {"end"}},
  };
  for (const auto& row : rows) {
    HDC dc = CreateDCA("winspool", "Qv Printer", nullptr, nullptr);
    ASSERT_NE(dc, nullptr);
    SetHeadlessPrintFailure(row.failure);
    const std::string failed = PrintThreePages(dc, info);
    DeleteDC(dc);
    EXPECT_NE(std::find(row.failedBy.begin(), row.failedBy.end(), failed), row.failedBy.end())
        << row.failure << ": " << failed;
    EXPECT_EQ(Names(folder), std::vector<std::string>{"full.pdf"}) << row.failure;
    std::ifstream in(pdf);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "older") << row.failure;
  }
  HDC dc = CreateDCA("winspool", "Qv Printer", nullptr, nullptr);
  EXPECT_EQ(PrintThreePages(dc, info), "");
  DeleteDC(dc);
  EXPECT_EQ(Names(folder), std::vector<std::string>{"full.pdf"});
  const std::string pdfInfo = Run("pdfinfo '" + pdf + "' 2>&1");
  ASSERT_NE(pdfInfo.find("Pages:"), std::string::npos) << pdfInfo;
  EXPECT_EQ(std::stoi(pdfInfo.substr(pdfInfo.find("Pages:") + 6)), 3);
  struct stat made {};
  ASSERT_EQ(stat(pdf.c_str(), &made), 0);
  EXPECT_EQ(made.st_mode & 0777, 0640u);
  // Printed through a link, the file it names is replaced and the link stays.
  const std::string link = folder + "/link.pdf";
  ASSERT_EQ(symlink("full.pdf", link.c_str()), 0);
  ASSERT_EQ(truncate(pdf.c_str(), 0), 0);
  DOCINFOA linked{sizeof(DOCINFOA), "Linked", link.c_str(), nullptr, 0};
  dc = CreateDCA("winspool", "Qv Printer", nullptr, nullptr);
  EXPECT_EQ(PrintThreePages(dc, linked), "");
  DeleteDC(dc);
  EXPECT_EQ(Names(folder), (std::vector<std::string>{"full.pdf", "link.pdf"}));
  ASSERT_EQ(lstat(link.c_str(), &made), 0);
  EXPECT_TRUE(S_ISLNK(made.st_mode));
  ASSERT_EQ(stat(pdf.c_str(), &made), 0);
  EXPECT_GT(made.st_size, 0);
  EXPECT_EQ(made.st_mode & 0777, 0640u);
}

// A real limit on the size of the files the process may write, as a disk
// that fills: in a child of its own, the job fails and leaves no file.
TEST_F(Printing, AFileSizeLimitFailsTheJobAndLeavesNoFile) {
  const std::string pdf = folder + "/limited.pdf";
  DOCINFOA info{sizeof(DOCINFOA), "Limited", pdf.c_str(), nullptr, 0};
  for (const rlim_t limit : {rlim_t(0), rlim_t(3000)}) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      signal(SIGXFSZ, SIG_IGN);
      const rlimit size{limit, limit};
      if (setrlimit(RLIMIT_FSIZE, &size) != 0) _exit(2);
      HDC dc = CreateDCA("winspool", "Qv Printer", nullptr, nullptr);
      const std::string failed = PrintThreePages(dc, info);
      _exit(failed.empty() ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << limit;
    EXPECT_EQ(WEXITSTATUS(status), 0) << limit;
    EXPECT_TRUE(Names(folder).empty()) << limit;
  }
}

// Jobs killed midway leave their hidden files; the next job into that PDF
// removes them, as a save removes the copies killed saves left.
TEST_F(Printing, TheNextJobRemovesWhatKilledJobsLeft) {
  const std::string pdf = folder + "/killed.pdf";
  DOCINFOA info{sizeof(DOCINFOA), "Killed", pdf.c_str(), nullptr, 0};
  for (int job = 0; job < 4; ++job) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      HDC dc = CreateDCA("winspool", "Qv Printer", nullptr, nullptr);
      if (StartDocA(dc, &info) > 0 && StartPage(dc) > 0) DrawPage(dc, 1);
      _exit(0);
    }
    ASSERT_EQ(waitpid(child, nullptr, 0), child);
  }
  // Each job removed what the one before it left.
  EXPECT_EQ(Names(folder).size(), 1u);
  HDC dc = CreateDCA("winspool", "Qv Printer", nullptr, nullptr);
  EXPECT_EQ(PrintThreePages(dc, info), "");
  DeleteDC(dc);
  EXPECT_EQ(Names(folder), std::vector<std::string>{"killed.pdf"});
}

// cairo is not among the platform library's own libraries: a process that
// prints nothing maps neither it nor what it brings along. The first job
// loads it, and the job writes its file as before.
TEST_F(Printing, TheFirstJobLoadsCairo) {
  Dl_info where{};
  ASSERT_NE(dladdr(reinterpret_cast<void*>(&StartDocA), &where), 0);
  ASSERT_NE(where.dli_fname, nullptr);
  const std::string libraries = Run(std::string("ldd '") + where.dli_fname + "'");
  EXPECT_NE(libraries.find("libfreetype"), std::string::npos) << libraries;
  EXPECT_EQ(libraries.find("libcairo"), std::string::npos) << libraries;
  EXPECT_EQ(libraries.find("libX11"), std::string::npos) << libraries;

  const std::string pdf = folder + "/first.pdf";
  HDC dc = CreateDCA("winspool", "Qv Printer", nullptr, nullptr);
  ASSERT_NE(dc, nullptr);
  DOCINFOA info{sizeof(DOCINFOA), "First", pdf.c_str(), nullptr, 0};
  ASSERT_GT(StartDocA(dc, &info), 0);
  std::stringstream maps;
  maps << std::ifstream("/proc/self/maps").rdbuf();
  EXPECT_NE(maps.str().find("libcairo"), std::string::npos);
  ASSERT_GT(StartPage(dc), 0);
  DrawPage(dc, 1);
  ASSERT_GT(EndPage(dc), 0);
  ASSERT_GT(EndDoc(dc), 0);
  DeleteDC(dc);
  EXPECT_NE(Run("pdftotext '" + pdf + "' -").find("Page 1"), std::string::npos);
}

// One line of printed text: its face, weight, slant and characters.
struct PrintedLine {
  const char* face;
  LONG weight;
  BYTE italic;
  std::u16string text;
};

// The lines printed one below the other, 160 device pixels apart, in
// characters 96 pixels high (23 points at 300 dpi), from (100, 200).
void PrintLines(HDC dc, const std::vector<PrintedLine>& lines) {
  SetBkMode(dc, TRANSPARENT);
  SetTextAlign(dc, TA_BASELINE);
  for (size_t i = 0; i < lines.size(); ++i) {
    LOGFONTA font{};
    font.lfHeight = -96;
    font.lfWeight = lines[i].weight;
    font.lfItalic = lines[i].italic;
    std::strncpy(font.lfFaceName, lines[i].face, LF_FACESIZE - 1);
    HFONT made = CreateFontIndirectA(&font);
    HGDIOBJ old = SelectObject(dc, made);
    TextOutW(dc, 100, 200 + 160 * int(i), reinterpret_cast<LPCWSTR>(lines[i].text.data()),
             int(lines[i].text.size()));
    SelectObject(dc, old);
    DeleteObject(made);
  }
}

// The ink of printed line `i` on a page rendered at 100 dpi: the dark
// pixels of each row from 36 dots above its baseline to 12 below, and the
// mean x of each row's.
struct LineInk {
  int pixels = 0;
  std::vector<double> meanX;  // -1 for a row without ink
};
LineInk InkOfLine(const std::vector<uint8_t>& grey, int width, size_t i) {
  // The baseline at device y = 200 + 160 i, a 75-pixel margin, 3 device pixels a dot.
  const int baseline = (200 + 160 * int(i) + 75) / 3;
  LineInk ink;
  for (int y = baseline - 36; y < baseline + 12 && (y + 1) * width <= int(grey.size()); ++y) {
    double sum = 0;
    int count = 0;
    for (int x = 0; x < width; ++x) {
      if (grey[size_t(y) * width + x] >= 128) continue;
      sum += x;
      ++count;
    }
    ink.pixels += count;
    ink.meanX.push_back(count > 0 ? sum / count : -1);
  }
  return ink;
}

// How far a line's ink lies right of another's for each dot of height: the
// least-squares slope of the rows' mean shifts over their height. The same
// characters slanted by s give s.
double Lean(const LineInk& line, const LineInk& upright) {
  double sh = 0, sd = 0, shh = 0, shd = 0;
  int n = 0;
  for (size_t row = 0; row < line.meanX.size() && row < upright.meanX.size(); ++row) {
    if (line.meanX[row] < 0 || upright.meanX[row] < 0) continue;
    const double h = 36.0 - double(row), d = line.meanX[row] - upright.meanX[row];
    sh += h;
    sd += d;
    shh += h * h;
    shd += h * d;
    ++n;
  }
  const double spread = shh - sh * sh / std::max(n, 1);
  return n > 1 && spread > 0 ? (shd - sh * sd / n) / spread : 0;
}

std::string OneLine(std::string text) {
  std::string out;
  for (char c : text) {
    if (c == '\n' || c == '\f' || c == ' ') {
      if (!out.empty() && out.back() != ' ') out += ' ';
    } else {
      out += c;
    }
  }
  return out;
}

// Styles that no file of the family has (DejaVu's italics, WenQuanYi's bold
// and italic) print as text, slanted or emboldened from the outlines as the
// screen draws them: every word reads back and the page has no image and no
// pixels; vertical stems printed in the style lean by the slant, or carry
// more ink than the plain ones.
TEST_F(Printing, StylesNoFileHasPrintAsSlantedOrEmboldenedText) {
  ResetHeadlessPrinting();
  const std::u16string cjk = u"Bold words \u4E2D\u6587\u5B57 here";
  // Three stems: Latin letters, and the CJK vertical stroke, which the
  // fallback draws for Arial.
  const std::u16string latinStems = u"lll", cjkStems = u"\u4E28\u4E28\u4E28";
  struct Style {
    PrintedLine words;
    std::u16string stems;
  };
  const Style styles[] = {
      {{"DejaVu Sans", FW_NORMAL, 1, u"Slanted sans words"}, latinStems},
      {{"DejaVu Sans", FW_BOLD, 1, u"Slanted bold words"}, latinStems},
      {{"DejaVu Serif", FW_NORMAL, 1, u"Slanted serif words"}, latinStems},
      {{"DejaVu Sans Mono", FW_NORMAL, 1, u"Slanted mono words"}, latinStems},
      {{"WenQuanYi Micro Hei", FW_BOLD, 0, cjk}, cjkStems},
      {{"WenQuanYi Micro Hei", FW_NORMAL, 1, cjk}, cjkStems},
      {{"WenQuanYi Micro Hei", FW_BOLD, 1, cjk}, latinStems},
      // A face that has the style, whose CJK characters come from the fallback.
      {{"Arial", FW_BOLD, 0, cjk}, cjkStems},
  };
  std::vector<PrintedLine> words, stems, plainStems;
  for (const Style& style : styles) {
    const PrintedLine& line = style.words;
    words.push_back(line);
    stems.push_back({line.face, line.weight, line.italic, style.stems});
    plainStems.push_back({line.face, FW_NORMAL, 0, style.stems});
  }
  const std::string pdf = folder + "/styled.pdf";
  ASSERT_EQ(PrintOnePage(pdf, nullptr, [&](HDC dc) { PrintLines(dc, words); }), "");
  EXPECT_EQ(HeadlessPrintPagePixels(), 0);
  const std::string text = OneLine(Run("pdftotext '" + pdf + "' -"));
  for (const char* expected : {"Slanted sans words", "Slanted bold words", "Slanted serif words",
                               "Slanted mono words", "Bold words \xE4\xB8\xAD\xE6\x96\x87\xE5\xAD\x97 here"}) {
    EXPECT_NE(text.find(expected), std::string::npos) << expected << " in " << text;
  }
  // pdfimages lists a header of two lines, then one line an image.
  const std::string images = Run("pdfimages -list '" + pdf + "'");
  EXPECT_EQ(std::count(images.begin(), images.end(), '\n'), 2) << images;

  const std::string styled = folder + "/stems.pdf", plain = folder + "/plain.pdf";
  ASSERT_EQ(PrintOnePage(styled, nullptr, [&](HDC dc) { PrintLines(dc, stems); }), "");
  ASSERT_EQ(PrintOnePage(plain, nullptr, [&](HDC dc) { PrintLines(dc, plainStems); }), "");
  EXPECT_EQ(Run("pdfimages -list '" + styled + "' | wc -l"), "2\n");
  int width = 0, plainWidth = 0;
  const std::vector<uint8_t> a = Rendered(styled, folder + "/a", &width);
  const std::vector<uint8_t> b = Rendered(plain, folder + "/b", &plainWidth);
  ASSERT_FALSE(a.empty());
  ASSERT_EQ(width, plainWidth);
  for (size_t i = 0; i < stems.size(); ++i) {
    SCOPED_TRACE(std::string(stems[i].face) + " line " + std::to_string(i));
    const LineInk shown = InkOfLine(a, width, i), base = InkOfLine(b, width, i);
    EXPECT_GT(base.pixels, 100);
    // The synthesised slant is tan(12 degrees), 0.21.
    EXPECT_NEAR(Lean(shown, base), stems[i].italic ? 0.21 : 0.0, 0.05);
    // Only the bold lines are heavier: a plain face drawn after an
    // emboldened one of the same file stays plain.
    if (stems[i].weight == FW_BOLD) {
      EXPECT_GT(shown.pixels, base.pixels * 11 / 10);
    } else {
      EXPECT_LT(shown.pixels, base.pixels * 11 / 10);
    }
  }
}

// Characters that no configured font has (Thai, Devanagari, an unassigned
// code) print as the face's missing-glyph box, one a character, also where
// the face's own mark is blank (Liberation Serif, Liberation Sans Italic);
// the characters read back as they were.
TEST_F(Printing, CharactersNoFontHasPrintAsMissingGlyphBoxes) {
  ResetHeadlessPrinting();
  const std::u16string thai = u"\u0E2A\u0E27\u0E31\u0E2A\u0E14\u0E35";
  const std::u16string devanagari = u"\u0928\u092E\u0938\u094D\u0924\u0947";
  const std::vector<PrintedLine> lines = {
      {"Times New Roman", FW_NORMAL, 0, thai},  {"Times New Roman", FW_BOLD, 1, devanagari},
      {"Arial", FW_NORMAL, 1, thai},            {"Arial", FW_NORMAL, 0, devanagari},
      {"Courier New", FW_NORMAL, 0, thai},      {"DejaVu Sans", FW_NORMAL, 0, u"\u0378\u0378\u0378"},
  };
  const std::string pdf = folder + "/boxes.pdf";
  ASSERT_EQ(PrintOnePage(pdf, nullptr, [&](HDC dc) { PrintLines(dc, lines); }), "");
  int width = 0;
  const std::vector<uint8_t> page = Rendered(pdf, folder + "/boxes", &width);
  ASSERT_FALSE(page.empty());
  for (size_t i = 0; i < lines.size(); ++i) {
    SCOPED_TRACE(std::string(lines[i].face) + " line " + std::to_string(i));
    // A box's outline at 23 points and 100 dpi is some 80 dots.
    EXPECT_GT(InkOfLine(page, width, i).pixels, 40 * int(lines[i].text.size()));
  }
  const std::string text = OneLine(Run("pdftotext '" + pdf + "' -"));
  EXPECT_NE(text.find("\xE0\xB8\xAA\xE0\xB8\xA7\xE0\xB8\xB1\xE0\xB8\xAA\xE0\xB8\x94\xE0\xB8\xB5"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("\xE0\xA4\xA8\xE0\xA4\xAE"), std::string::npos) << text;
}

// Letters followed by their combining marks print as the letters that hold
// them, and joiners, selectors and direction marks print nothing: each page
// of texts renders as the page of the texts they look as, and reads back
// as the texts printed.
TEST_F(Printing, MarksAndJoinersPrintAsTheTextTheyShow) {
  ResetHeadlessPrinting();
  const std::u16string vietnamese = u"Ha\u0300 No\u0323\u0302i: pho\u031B\u0309 bo\u0300, Vie\u0323\u0302t";
  // Russian stress and Yoruba tones, which no character holds whole: the
  // letter and its mark are two glyphs of one cluster.
  const std::u16string stressed =
      u"\u0437\u043D\u0430\u0301\u044E \u1ECC\u0300m\u1ECD\u0301 O\u0323\u0300mo\u0323\u0301 la\u0331b ka\u0323\u0301d";
  const std::vector<PrintedLine> texts = {
      {"Arial", FW_NORMAL, 0, vietnamese},
      {"Times New Roman", FW_NORMAL, 1, u"cafe\u0301, nai\u0308ve"},
      {"Arial", FW_NORMAL, 0, u"\u0645\u06CC\u200C\u062E\u0648 \u200E\U0001F468\u200D\U0001F469\u200D\U0001F467"},
      {"Arial", FW_NORMAL, 0, stressed},
  };
  const std::vector<PrintedLine> looks = {
      {"Arial", FW_NORMAL, 0, u"H\u00E0 N\u1ED9i: ph\u1EDF b\u00F2, Vi\u1EC7t"},
      {"Times New Roman", FW_NORMAL, 1, u"caf\u00E9, na\u00EFve"},
      {"Arial", FW_NORMAL, 0, u"\u0645\u06CC\u062E\u0648 \U0001F468\U0001F469\U0001F467"},
      {"Arial", FW_NORMAL, 0, stressed},
  };
  const std::string printed = folder + "/marks.pdf";
  const std::string shown = folder + "/shown.pdf";
  ASSERT_EQ(PrintOnePage(printed, nullptr, [&](HDC dc) { PrintLines(dc, texts); }), "");
  ASSERT_EQ(PrintOnePage(shown, nullptr, [&](HDC dc) { PrintLines(dc, looks); }), "");
  const std::vector<uint8_t> page = Rendered(printed, folder + "/marks");
  ASSERT_FALSE(page.empty());
  EXPECT_TRUE(page == Rendered(shown, folder + "/shown"));
  const std::string text = OneLine(Run("pdftotext '" + printed + "' -"));
  // "No" and its two marks, as printed.
  EXPECT_NE(text.find("No\xCC\xA3\xCC\x82i"), std::string::npos) << text;
  // Each word whole, as a reader searching for it finds it.
  EXPECT_NE(text.find(" \xD0\xB7\xD0\xBD\xD0\xB0\xCC\x81\xD1\x8E \xE1\xBB\x8C\xCC\x80m\xE1\xBB\x8D\xCC\x81 "
                      "O\xCC\xA3\xCC\x80mo\xCC\xA3\xCC\x81 la\xCC\xB1" "b ka\xCC\xA3\xCC\x81" "d"),
            std::string::npos)
      << text;
}

// A run prints the same among other runs as alone on its page: runs in
// one font after another keep their face and matrix (a synthesised slant
// of the same file after its upright, and back), a clipped run among
// unclipped ones, and characters met again (from the face, a fallback
// font, the missing-glyph mark, a surrogate pair) as the first time.
TEST_F(Printing, ARunPrintsTheSameAmongOthersAsAlone) {
  ResetHeadlessPrinting();
  struct Drawn {
    PrintedLine line;
    bool clipped;
  };
  const std::u16string mixed = u"Mixed \u4E2D\u6587 \u0E2A\u0E27 \U0001F600 words";
  const std::vector<Drawn> runs = {
      {{"Arial", FW_NORMAL, 0, mixed}, false},
      {{"DejaVu Sans", FW_NORMAL, 1, u"Slanted words"}, false},
      {{"DejaVu Sans", FW_NORMAL, 0, u"Upright words"}, false},
      {{"Times New Roman", FW_BOLD, 0, u"Clipped words"}, true},
      {{"DejaVu Sans", FW_NORMAL, 1, u"Slanted again"}, false},
      {{"Arial", FW_NORMAL, 0, mixed}, false},
  };
  // Run i on line i, drawn after runs [first, i).
  auto print = [&](const std::string& pdf, size_t first, size_t last) {
    return PrintOnePage(pdf, nullptr, [&](HDC dc) {
      SetBkMode(dc, TRANSPARENT);
      SetTextAlign(dc, TA_BASELINE);
      for (size_t i = first; i < last; ++i) {
        const Drawn& run = runs[i];
        LOGFONTA font{};
        font.lfHeight = -96;
        font.lfWeight = run.line.weight;
        font.lfItalic = run.line.italic;
        std::strncpy(font.lfFaceName, run.line.face, LF_FACESIZE - 1);
        HFONT made = CreateFontIndirectA(&font);
        HGDIOBJ old = SelectObject(dc, made);
        const int y = 200 + 160 * int(i);
        const RECT whole{0, y - 150, 2400, y + 50};
        ExtTextOutW(dc, 100, y, run.clipped ? ETO_CLIPPED : 0, run.clipped ? &whole : nullptr,
                    reinterpret_cast<LPCWSTR>(run.line.text.data()), UINT(run.line.text.size()), nullptr);
        SelectObject(dc, old);
        DeleteObject(made);
      }
    });
  };
  const std::string together = folder + "/together.pdf";
  ASSERT_EQ(print(together, 0, runs.size()), "");
  int width = 0;
  const std::vector<uint8_t> all = Rendered(together, folder + "/together", &width);
  ASSERT_FALSE(all.empty());
  for (size_t i = 0; i < runs.size(); ++i) {
    SCOPED_TRACE("run " + std::to_string(i));
    const std::string alone = folder + "/alone" + std::to_string(i) + ".pdf";
    ASSERT_EQ(print(alone, i, i + 1), "");
    int aloneWidth = 0;
    const std::vector<uint8_t> one = Rendered(alone, folder + "/alone" + std::to_string(i), &aloneWidth);
    ASSERT_EQ(aloneWidth, width);
    const LineInk shown = InkOfLine(all, width, i), expected = InkOfLine(one, width, i);
    EXPECT_GT(expected.pixels, 200);
    EXPECT_EQ(shown.pixels, expected.pixels);
    EXPECT_EQ(shown.meanX, expected.meanX);
  }
}

// A clip that a run's ink crosses (a one-line footer's band, which its
// descenders pass) keeps the run's glyphs whole, also in a later job whose
// glyphs cairo meets first in a face and size an earlier job printed: the
// 7 of "Page 7" after a job of "Page ". The clip is the device pixels'
// own: a fill under a band whose edges fall within points covers exactly
// the band's rows.
TEST_F(Printing, AClipKeepsItsBandAndTheGlyphsOfALaterJobWhole) {
  ResetHeadlessPrinting();
  // A size no other test prints in, so that no earlier job met the 7.
  LOGFONTA font{};
  font.lfHeight = -83;
  std::strncpy(font.lfFaceName, "Arial", LF_FACESIZE - 1);
  const int baseline = 300;
  SIZE before{}, whole{};
  auto line = [&](const char* text, bool clipped) {
    return [&, text, clipped](HDC dc) {
      HFONT made = CreateFontIndirectA(&font);
      HGDIOBJ old = SelectObject(dc, made);
      SetBkMode(dc, TRANSPARENT);
      SetTextAlign(dc, TA_BASELINE);
      GetTextExtentPoint32A(dc, "Page ", 5, &before);
      GetTextExtentPoint32A(dc, "Page 7", 6, &whole);
      if (clipped) IntersectClipRect(dc, 0, baseline - 80, 2400, baseline + 5);
      TextOutA(dc, 100, baseline, text, int(std::strlen(text)));
      SelectObject(dc, old);
      DeleteObject(made);
    };
  };
  ASSERT_EQ(PrintOnePage(folder + "/first.pdf", nullptr, line("Page ", false)), "");
  const std::string later = folder + "/later.pdf";
  ASSERT_EQ(PrintOnePage(later, nullptr, line("Page 7", true)), "");
  EXPECT_NE(Run("pdftotext '" + later + "' -").find("Page 7"), std::string::npos);
  int width = 0;
  const std::vector<uint8_t> page = Rendered(later, folder + "/later", &width, 300);
  ASSERT_FALSE(page.empty());
  // The ink where the 7 stands, on the page's pixels (75 of margin).
  ASSERT_GT(whole.cx, before.cx);
  int seven = 0;
  for (int y = baseline - 60; y < baseline; ++y) {
    for (int x = 100 + before.cx; x < 100 + whole.cx; ++x) seven += page[size_t(y + 75) * width + x + 75] < 128;
  }
  EXPECT_GT(seven, 200);

  // Rows 1003 to 1055 begin and end within a point (0.24 of a point a
  // pixel, 75 pixels of margin): rounded to whole points they would lose
  // three.
  const std::string band = folder + "/band.pdf";
  ASSERT_EQ(PrintOnePage(band, nullptr, [](HDC dc) {
              IntersectClipRect(dc, 0, 1003, 2400, 1056);
              HBRUSH black = CreateSolidBrush(RGB(0, 0, 0));
              HGDIOBJ old = SelectObject(dc, black);
              SelectObject(dc, GetStockObject(NULL_PEN));
              Rectangle(dc, 0, 900, 2401, 1201);
              SelectObject(dc, old);
              DeleteObject(black);
            }),
            "");
  const std::vector<uint8_t> filled = Rendered(band, folder + "/band", &width, 300);
  ASSERT_FALSE(filled.empty());
  int rows = 0;
  for (int y = 900; y < 1200; ++y) rows += filled[size_t(y + 75) * width + 1000] < 128;
  EXPECT_NEAR(rows, 53, 1);  // the renderer's own rounding at the edges
}

// The Macintosh face names of pandoc's and most Macintosh RTF files print in
// the metric-compatible Liberation face that stands for them, embedded as
// that font, never in the fallback for unknown names.
TEST_F(Printing, MacintoshFacesPrintInTheirLiberationFaces) {
  ResetHeadlessPrinting();
  const std::pair<const char*, const char*> faces[] = {
      {"Helvetica", "LiberationSans"}, {"Geneva", "LiberationSans"},
      {"Times", "LiberationSerif"},    {"Times Roman", "LiberationSerif"},
      {"New York", "LiberationSerif"}, {"Courier", "LiberationMono"},
      {"Monaco", "LiberationMono"},
  };
  for (const auto& [face, embedded] : faces) {
    SCOPED_TRACE(face);
    const std::string pdf = folder + "/face.pdf";
    ASSERT_EQ(PrintOnePage(pdf, nullptr,
                           [&](HDC dc) { PrintLines(dc, {{face, FW_NORMAL, 0, u"Words in a face"}}); }),
              "");
    const std::string fonts = Run("pdffonts '" + pdf + "'");
    EXPECT_NE(fonts.find(std::string("+") + embedded + " "), std::string::npos) << fonts;
    EXPECT_EQ(fonts.find("DejaVu"), std::string::npos) << fonts;
  }
}

// A symbol font's codes print as the symbols they show, and the page's text
// is those symbols, not the letters of the codes: Wingdings "lonq", 0xFC and
// "l" in the private use area (as ANSI text reaches the font) print as the
// same symbols set in the face that stands for Wingdings, and read so.
TEST_F(Printing, SymbolFontCodesReadBackAsTheSymbolsTheyShow) {
  ResetHeadlessPrinting();
  const std::string pdf = folder + "/symbols.pdf";
  ASSERT_EQ(PrintOnePage(pdf, nullptr, [](HDC dc) {
              PrintLines(dc, {{"Wingdings", FW_NORMAL, 0, u"lonq\u00FC\uF06C"},
                              {"Symbola", FW_NORMAL, 0, u"\u25CF\u25A1\u25A0\u2751\u2714\u25CF"}});
            }),
            "");
  const std::string shown = "\xE2\x97\x8F\xE2\x96\xA1\xE2\x96\xA0\xE2\x9D\x91\xE2\x9C\x94\xE2\x97\x8F";
  EXPECT_EQ(OneLine(Run("pdftotext '" + pdf + "' -")), shown + " " + shown + " ");
  int width = 0;
  const std::vector<uint8_t> page = Rendered(pdf, folder + "/symbols", &width);
  EXPECT_GT(InkOfLine(page, width, 1).pixels, 300);
  EXPECT_EQ(InkOfLine(page, width, 0).meanX, InkOfLine(page, width, 1).meanX);
}

}  // namespace
