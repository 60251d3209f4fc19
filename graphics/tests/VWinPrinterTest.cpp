// The Windows printer binding: the default printer's paper and margins, the
// stored device mode, the dialogs through their providers, and print jobs
// through a scaled port into a PDF file.
#include "graphics/printing/VWinPrinter.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/streams/VHandleStream.h"
#include "framework/core/streams/VMemoryStream.h"
#include "framework/core/strings/VString.h"
#include "graphics/VScaledPort.h"
#include "platform/print/WinPrint.h"
#include "platform/win32/WinCommonDialogs.h"

namespace {

using Bytes = std::vector<uint8_t>;

class WinPrinter : public testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/qvprinterXXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder = pattern;
  }
  void TearDown() override {
    ResetHeadlessPrinting();
    ResetHeadlessDialogs();
    EXPECT_EQ(std::system(("rm -rf '" + folder + "'").c_str()), 0);
  }
  static bool Exists(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0;
  }
  static std::string Run(const std::string& command) {
    std::string out;
    if (FILE* pipe = popen(command.c_str(), "r")) {
      char buffer[4096];
      size_t n;
      while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
      pclose(pipe);
    }
    return out;
  }
  std::string folder;
};

Bytes Write(VPrintSettings& settings, bool big) {
  VMemHandle handle = 0;
  {
    VHandleStream stream(handle);
    stream.SetByteOrders(big ? kByteOrderMacintosh : kByteOrderLittle, kByteOrderKeep);
    stream.OpenWrite();
    settings.WriteToStream(&stream, 0);
    stream.CloseWrite(1);
  }
  Bytes bytes(gMemoryMgr->GetHandleSize(handle));
  if (!bytes.empty()) {
    std::memcpy(bytes.data(), gMemoryMgr->LockHandle(handle), bytes.size());
    gMemoryMgr->UnlockHandle(handle);
  }
  gMemoryMgr->DisposeHandle(handle);
  return bytes;
}

int16_t Read(VPrintSettings& settings, const Bytes& bytes, bool big) {
  VMemoryStream stream(bytes.data(), uint32_t(bytes.size()));
  stream.SetByteOrders(big ? kByteOrderMacintosh : kByteOrderLittle, kByteOrderKeep);
  stream.OpenRead();
  const int16_t result = settings.ReadFromStream(&stream, 0);
  stream.CloseRead();
  return result;
}

DEVMODEA HeldMode(const VWinPrinter& printer) {
  DEVMODEA mode{};
  const void* block = GlobalLock(printer.GetDevMode());
  if (block != nullptr) std::memcpy(&mode, block, sizeof mode);
  GlobalUnlock(printer.GetDevMode());
  return mode;
}

TEST_F(WinPrinter, BindsToTheDefaultPrinter) {
  VWinPrinter printer;
  EXPECT_TRUE(printer.IsBound());
  EXPECT_EQ(printer.GetDeviceName(), "Qv Printer");
  EXPECT_EQ(printer.GetPaperCode(), 1);
  int32_t w, h, l, t, r, b;
  printer.GetPaperSize(w, h);
  EXPECT_EQ(w, 21590);
  EXPECT_EQ(h, 27940);
  printer.GetMinimumMargins(l, t, r, b);  // 75 pixels at 300 dpi
  EXPECT_EQ(l, 635);
  EXPECT_EQ(t, 635);
  EXPECT_EQ(r, 635);
  EXPECT_EQ(b, 27940 - 635 - 26670);
  printer.GetMargins(l, t, r, b);
  EXPECT_EQ(l, 1000);
  EXPECT_NE(printer.GetInfoDC(), nullptr);
  EXPECT_TRUE(printer.RegisterPort(reinterpret_cast<VPort*>(&printer)));
  EXPECT_FALSE(printer.RegisterPort(reinterpret_cast<VPort*>(&printer)));
}

TEST_F(WinPrinter, WithoutAPrinterNothingBindsOrPrints) {
  SetHeadlessDefaultPrinter(nullptr);
  VWinPrinter printer;
  EXPECT_FALSE(printer.IsBound());
  EXPECT_EQ(printer.GetDevMode(), nullptr);
  EXPECT_EQ(printer.GetInfoDC(), nullptr);
  EXPECT_EQ(printer.BeginDocument("None"), nullptr);
  EXPECT_EQ(printer.GetUseCount(), 0);
  EXPECT_FALSE(printer.NextPage());
}

TEST_F(WinPrinter, StoredDeviceModeRoundTripsAndRulesThePaper) {
  VWinPrinter printer;
  // Make the stored mode A4 across: the record follows the printer's.
  {
    auto* mode = static_cast<DEVMODEA*>(GlobalLock(printer.GetDevMode()));
    mode->dmPaperSize = 9;
    mode->dmOrientation = DMORIENT_LANDSCAPE;
    GlobalUnlock(printer.GetDevMode());
  }
  printer.BindToPrinter();
  for (bool big : {true, false}) {
    const Bytes stored = Write(printer, big);
    ASSERT_GE(stored.size(), 8u + 38 + 8 + 156);
    // The device mode's bytes stand as they are, whatever the record's order.
    EXPECT_EQ(std::memcmp(stored.data() + stored.size() - 156, GlobalLock(printer.GetDevMode()), 156), 0);
    GlobalUnlock(printer.GetDevMode());
    VWinPrinter read;
    EXPECT_EQ(Read(read, stored, big), 0) << big;
    EXPECT_EQ(read.GetPaperCode(), 9);
    EXPECT_TRUE(read.IsLandscape());
    int32_t w, h;
    read.GetPaperSize(w, h);
    EXPECT_EQ(w, 29700);
    EXPECT_EQ(h, 21000);
    EXPECT_EQ(Write(read, big), stored) << big;
  }
}

// The printer's minimum margins are those of the paper and orientation the
// device mode names, not of Letter upright.
TEST_F(WinPrinter, MinimumMarginsFollowThePaperAndOrientation) {
  struct Case {
    int16_t paper;
    bool landscape;
    int32_t width, height, right, bottom;
  };
  // 75 pixels at 300 dpi is 635; the page's pixels are truncated, so the far
  // margins take up what is left of the paper.
  const Case cases[] = {
      {1, false, 21590, 27940, 635, 635},
      {1, true, 27940, 21590, 635, 635},
      {9, false, 21000, 29700, 638, 643},
      {9, true, 29700, 21000, 643, 638},
      {8, true, 42000, 29700, 641, 643},
  };
  for (const Case& c : cases) {
    VWinPrinter printer;
    {
      auto* mode = static_cast<DEVMODEA*>(GlobalLock(printer.GetDevMode()));
      mode->dmPaperSize = c.paper;
      mode->dmOrientation = c.landscape ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT;
      GlobalUnlock(printer.GetDevMode());
    }
    printer.BindToPrinter();
    int32_t w, h, l, t, r, b;
    printer.GetPaperSize(w, h);
    EXPECT_EQ(w, c.width) << c.paper << c.landscape;
    EXPECT_EQ(h, c.height) << c.paper << c.landscape;
    printer.GetMinimumMargins(l, t, r, b);
    EXPECT_EQ(l, 635) << c.paper << c.landscape;
    EXPECT_EQ(t, 635) << c.paper << c.landscape;
    EXPECT_EQ(r, c.right) << c.paper << c.landscape;
    EXPECT_EQ(b, c.bottom) << c.paper << c.landscape;
    printer.GetPrintableSize(w, h);
    EXPECT_EQ(w, c.width - 635 - c.right) << c.paper << c.landscape;
  }
}

TEST_F(WinPrinter, ShortOrLongDeviceModesAreRefusedWithoutLosingThePaper) {
  VWinPrinter source;
  VPrintRecord record;
  source.GetRecord(record);
  record.paperCode = 9;
  record.paperWidth = 21000;
  record.paperHeight = 29700;
  record.marginLeft = 2500;
  source.SetCopies(1);  // unbound: the stored paper rules
  source.SetRecord(record);
  Bytes stored = Write(source, true);
  ASSERT_GE(stored.size(), 156u + 8);
  // 'WPRI' cut to 100 bytes.
  Bytes shortened(stored.begin(), stored.end() - 156 - 4);
  shortened.insert(shortened.end(), {0, 0, 0, 100});
  shortened.insert(shortened.end(), stored.end() - 156, stored.end() - 56);
  VWinPrinter read;
  EXPECT_EQ(Read(read, shortened, true), kPrintNotBound);
  int32_t l, t, r, b;
  read.GetMargins(l, t, r, b);
  EXPECT_EQ(l, 2500);
  EXPECT_EQ(read.GetPaperCode(), 9);
  EXPECT_EQ(HeldMode(read).dmPaperSize, 9);  // the printer follows the stored paper

  // A length beyond the record.
  Bytes overlong(stored.begin(), stored.end() - 156 - 4);
  overlong.insert(overlong.end(), {0, 0x10, 0, 0});
  overlong.insert(overlong.end(), stored.end() - 156, stored.end());
  VWinPrinter other;
  EXPECT_EQ(Read(other, overlong, true), kPrintNotBound);
  other.GetMargins(l, t, r, b);
  EXPECT_EQ(l, 2500);
}

TEST_F(WinPrinter, CustomPaperGoesIntoTheDeviceModeInTenths) {
  struct Case {
    int16_t scale;
    int16_t width, length;
  };
  for (const Case& c : {Case{100, 2100, 2970}, Case{50, 4200, 5940}}) {
    VWinPrinter printer;
    VPrintRecord record;
    printer.GetRecord(record);
    record.paperCode = 0;
    record.paperWidth = 21000;
    record.paperHeight = 29700;
    record.scale = c.scale;
    printer.SetFirstPage(1);  // unbound
    printer.SetRecord(record);
    const DEVMODEA mode = HeldMode(printer);
    EXPECT_EQ(mode.dmPaperSize, 0) << c.scale;
    EXPECT_EQ(mode.dmPaperWidth, c.width) << c.scale;
    EXPECT_EQ(mode.dmPaperLength, c.length) << c.scale;
    EXPECT_EQ(mode.dmScale, c.scale);
  }
}

TEST_F(WinPrinter, PageSetupKeepsTheMinimumMargins) {
  VWinPrinter printer;
  EXPECT_FALSE(printer.PageSetupDialog());  // no provider: cancelled
  SetHeadlessPageSetupProvider(
      [](PAGESETUPDLGA* dialog, void*) -> BOOL {
        dialog->rtMargin = RECT{100, 2000, 3000, 4000};
        return TRUE_;
      },
      nullptr);
  ASSERT_TRUE(printer.PageSetupDialog());
  int32_t l, t, r, b;
  printer.GetMargins(l, t, r, b);
  EXPECT_EQ(l, 635);
  EXPECT_EQ(t, 2000);
  EXPECT_EQ(r, 3000);
  EXPECT_EQ(printer.GetUseCount(), 0);
}

// Three pages each showing its number, through the job's scaled port.
TEST_F(WinPrinter, PrintsPagesOneByOneIntoAPdf) {
  const std::string pdf = folder + "/pages.pdf";
  SetHeadlessPrintOutput(pdf.c_str());
  VWinPrinter printer;
  EXPECT_FALSE(printer.PrintDialog(nullptr));  // no provider: cancelled
  EXPECT_FALSE(Exists(pdf));
  SetHeadlessPrintProvider(
      [](PRINTDLGA* dialog, void*) -> BOOL {
        dialog->nFromPage = 3;
        dialog->nToPage = 5;
        return TRUE_;
      },
      nullptr);
  ASSERT_TRUE(printer.PrintDialog(nullptr));
  EXPECT_EQ(printer.GetFirstPage(), 3);
  EXPECT_EQ(printer.GetLastPage(), 5);

  VPort* port = printer.BeginDocument("Numbers");
  ASSERT_NE(port, nullptr);
  EXPECT_EQ(printer.BeginDocument("Again"), nullptr);  // one job at a time
  EXPECT_FALSE(printer.PageSetupDialog());
  EXPECT_EQ(printer.GetPageCount(), 3);
  for (int page = 1; page <= 3; ++page) {
    EXPECT_EQ(printer.GetCurrentPage(), page);
    VStr<80> face;
    face.SetChars("Arial", 0, 5, kCharSetAnsi);
    printer.GetPrintingPort()->SetFontName(face);
    printer.GetPrintingPort()->SetFontSize(24, false);
    printer.GetPrintingPort()->MoveTo(100, 100, true);
    const std::string text = "Page " + std::to_string(page + 2);
    printer.GetPrintingPort()->DrawTextRun(text.data(), int32_t(text.size()), 1);
    // The third NextPage ends the last page (its answer) and starts none.
    EXPECT_TRUE(printer.NextPage());
  }
  printer.EndDocument();
  EXPECT_FALSE(printer.IsPrinting());
  EXPECT_EQ(printer.GetUseCount(), 0);
  ASSERT_TRUE(Exists(pdf));
  const std::string info = Run("pdfinfo '" + pdf + "'");
  ASSERT_NE(info.find("Pages:"), std::string::npos);
  EXPECT_EQ(std::stoi(info.substr(info.find("Pages:") + 6)), 3);
  for (int page = 1; page <= 3; ++page) {
    const std::string text = Run("pdftotext -f " + std::to_string(page) + " -l " +
                                 std::to_string(page) + " '" + pdf + "' -");
    EXPECT_NE(text.find("Page " + std::to_string(page + 2)), std::string::npos) << text;
  }
}

TEST_F(WinPrinter, FailingJobsLeaveNoFileAndNoUse) {
  const std::string pdf = folder + "/failed.pdf";
  SetHeadlessPrintOutput(pdf.c_str());
  for (int which : {1, 2}) {
    VWinPrinter printer;
    SetHeadlessPrintFailure(which);
    EXPECT_EQ(printer.BeginDocument("Failing"), nullptr) << which;
    EXPECT_FALSE(printer.IsPrinting());
    EXPECT_EQ(printer.GetUseCount(), 0);
    EXPECT_FALSE(Exists(pdf)) << which;
    // The next job runs.
    ASSERT_NE(printer.BeginDocument("Working"), nullptr);
    printer.EndDocument();
    EXPECT_TRUE(Exists(pdf));
    unlink(pdf.c_str());
  }
  // A printer gone with its job running takes the file along.
  {
    VWinPrinter printer;
    ASSERT_NE(printer.BeginDocument("Dropped"), nullptr);
  }
  EXPECT_FALSE(Exists(pdf));
}

// A page a document brings becomes the paper of the table of its size
// (within half a millimetre), else a paper of its own size, upright or
// across as the page lies or says, with its margins and the page's sides;
// the device mode follows, and the printer's minimum margins hold.
TEST_F(WinPrinter, APagesPaperIsThePaperOfItsSizeAcrossWhenItLiesSo) {
  struct Case {
    int32_t width, height;
    bool landscape;
    uint16_t code;
    bool across;
    int32_t paperWidth, paperHeight;
  };
  const Case cases[] = {
      {21000, 29700, false, 9, false, 21000, 29700},  // A4
      {29700, 21000, false, 9, true, 29700, 21000},   // A4 wider than high
      // Said to lie across, a page keeps its sides and its paper is the
      // page turned upright: one of its own for Letter's sides, Ledger for
      // 11 x 17 inches, one of its own for 10 x 20 cm.
      {21590, 27940, true, 0, true, 21590, 27940},
      {27940, 43180, true, 4, true, 27940, 43180},
      {10000, 20000, true, 0, true, 10000, 20000},
      {27940, 21590, true, 1, true, 27940, 21590},    // Letter across both ways
      {20990, 29690, false, 9, false, 21000, 29700},  // a pixel short of A4
      {20981, 29684, false, 9, false, 21000, 29700},  // A4 in pixels at 96 dpi
      {27940, 43180, false, 3, false, 27940, 43180},  // Tabloid
      {20500, 30000, false, 0, false, 20500, 30000},  // no paper of the table
      {11985, 17991, false, 0, false, 11980, 17990},  // 12 x 18 cm, in tenths of a millimetre
      {17991, 11985, false, 0, true, 17990, 11980},   // the same across
      {9974, 14975, false, 0, false, 9970, 14970},    // 10 x 15 cm, not the postcard's 10 x 14.8
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
    VWinPrinter printer;
    printer.TakePaperOfPage(c.width, c.height, c.landscape, 1764, 2293, 100, 2117);
    EXPECT_EQ(printer.GetPaperCode(), c.code);
    EXPECT_EQ(printer.IsLandscape(), c.across);
    EXPECT_TRUE(printer.IsBound());
    int32_t w, h, l, t, r, b;
    printer.GetPaperSize(w, h);
    EXPECT_EQ(w, c.paperWidth);
    EXPECT_EQ(h, c.paperHeight);
    // The page's margins, raised to the printer's minimum where below it.
    printer.GetMargins(l, t, r, b);
    EXPECT_EQ(l, 1764);
    EXPECT_EQ(t, 2293);
    int32_t ml, mt, mr, mb;
    printer.GetMinimumMargins(ml, mt, mr, mb);
    EXPECT_EQ(r, mr);
    EXPECT_EQ(b, 2117);
    const DEVMODEA mode = HeldMode(printer);
    EXPECT_EQ(mode.dmPaperSize, int16_t(c.code));
    EXPECT_EQ(mode.dmOrientation, c.across ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT);
  }
}

void Long(Bytes& b, uint32_t v, bool big) {
  for (int i = 0; i < 4; ++i) b.push_back(uint8_t(v >> (big ? 24 - 8 * i : 8 * i)));
}
void Word(Bytes& b, uint16_t v, bool big) {
  for (int i = 0; i < 2; ++i) b.push_back(uint8_t(v >> (big ? 8 - 8 * i : 8 * i)));
}

struct StoredPaper {
  uint16_t code, landscape;
  int32_t width, height, left, right, top, bottom;
  uint16_t scale, resolutionX, resolutionY;
};

// The 'UPRI' sub-record of a paper, as bytes.
void PutPaper(Bytes& b, const StoredPaper& p, bool big) {
  Long(b, kTagUPRI, big);
  Word(b, p.code, big);
  Word(b, p.landscape, big);
  for (int32_t v : {p.width, p.height, p.left, p.right, p.top, p.bottom}) Long(b, uint32_t(v), big);
  Word(b, p.scale, big);
  Word(b, p.resolutionX, big);
  Word(b, p.resolutionY, big);
}

Bytes RecordHead(bool big) {
  Bytes b;
  Long(b, kTagXPRI, big);
  Long(b, 3, big);
  return b;
}

// The bytes of a new document's record: the default printer's Letter paper,
// its margins, scale and resolution, then its device mode.
TEST_F(WinPrinter, DefaultRecordBytesFollowTheLayout) {
  VWinPrinter printer;
  for (bool big : {true, false}) {
    const Bytes stored = Write(printer, big);
    Bytes expected = RecordHead(big);
    PutPaper(expected, {1, 0, 21590, 27940, 1000, 1000, 1000, 1000, 100, 300, 300}, big);
    Long(expected, kTagWPRI, big);
    Long(expected, 156, big);
    ASSERT_EQ(stored.size(), expected.size() + 156) << big;
    EXPECT_EQ(Bytes(stored.begin(), stored.begin() + long(expected.size())), expected) << big;
    EXPECT_EQ(std::memcmp(stored.data() + expected.size(), GlobalLock(printer.GetDevMode()), 156),
              0);
    GlobalUnlock(printer.GetDevMode());
  }
}

// A record read, written, read again and written again gives the same bytes:
// a stored paper with no device mode of its own (the printer takes it and
// gives its answer at once, as it does when the device mode written with the
// record is read back), odd values the printer does not keep, a custom
// paper, and a device mode stored ahead of the paper.
TEST_F(WinPrinter, ARecordWrittenAgainIsTheSame) {
  VWinPrinter custom;
  {
    VPrintRecord record;
    custom.GetRecord(record);
    record.paperCode = 0;
    record.paperWidth = 20000;
    record.paperHeight = 25000;
    custom.SetCopies(1);  // unbound: the device mode takes the custom paper
    custom.SetRecord(record);
    custom.BindToPrinter();
  }
  const Bytes customStored = Write(custom, true);
  const Bytes modeFirst = [&] {
    Bytes b = RecordHead(true);
    b.insert(b.end(), customStored.end() - 164, customStored.end());
    PutPaper(b, {9, 1, 29700, 21000, 1500, 1500, 1500, 1500, 100, 300, 300}, true);
    return b;
  }();
  auto paperOnly = [](const StoredPaper& paper) {
    Bytes b = RecordHead(true);
    PutPaper(b, paper, true);
    return b;
  };
  struct Case {
    const char* name;
    Bytes stored;
  };
  const Case cases[] = {
      {"Letter without a resolution",
       paperOnly({1, 0, 21590, 27940, 1000, 1000, 1000, 1000, 100, 0, 0})},
      {"no scale, odd sizes", paperOnly({1, 0, 256, 11627, 8252, 48, 0, 825, 0, 0, 41216})},
      {"a margin inside the unprintable edge",
       paperOnly({1, 0, 21590, 27940, 1000, 1000, 1000, 0, 0, 0, 41377})},
      {"A4 across at half scale",
       paperOnly({9, 1, 29700, 21000, 2000, 2000, 2000, 2000, 50, 0, 0})},
      {"custom paper", paperOnly({0, 0, 20000, 25000, 1000, 1000, 1000, 1000, 100, 0, 0})},
      {"custom paper with its device mode", customStored},
      {"device mode ahead of the paper", modeFirst},
  };
  for (const Case& c : cases) {
    const Bytes& stored = c.stored;
    VWinPrinter first;
    const int16_t code = Read(first, stored, true);
    EXPECT_TRUE(code == 0 || code == kPrintNotBound || code == kPrintDiffersFromPrinter) << c.name;
    const Bytes written = Write(first, true);
    VWinPrinter second;
    EXPECT_EQ(Read(second, written, true), 0) << c.name;
    EXPECT_EQ(Write(second, true), written) << c.name;
    // The printer's answer is what the record holds once read.
    VPrintRecord held;
    second.GetRecord(held);
    EXPECT_EQ(held.resolutionX, 300) << c.name;
    EXPECT_TRUE(VPrintSettings::MarginsWithinMinimum(held)) << c.name;
  }
  // The custom paper survives its own device mode.
  VWinPrinter read;
  EXPECT_EQ(Read(read, customStored, true), 0);
  int32_t w, h;
  read.GetPaperSize(w, h);
  EXPECT_EQ(read.GetPaperCode(), 0);
  EXPECT_EQ(w, 20000);
  EXPECT_EQ(h, 25000);
}

}  // namespace
