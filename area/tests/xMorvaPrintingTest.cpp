// The printing object prints its document for the host: started, printed a
// page a slice and ended through the host's three printing events, onto
// the virtual printer, whose PDF is read back with pdftotext.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "area/tests/AreaTestSupport.h"
#include "boundary/HostRecords.h"
#include "document/xMorvaUndo.h"
#include "platform/gdi/WinGdi.h"
#include "platform/print/WinPrint.h"
#include "platform/toolbox/TbxPorts.h"
#include "platform/toolbox/TbxWindows.h"
#include "views/VShortcut.h"

namespace {

using areatest::AreaTest;

class PrintingTest : public AreaTest {
 protected:
  xMorvaPrintingPlugIn* NewPrinting() {
    return NewKind<xMorvaPrintingPlugIn>(&xMorvaMain::NewPrintingPlugIn);
  }
  // Types the text into the object's document (Return starts a paragraph).
  static void Fill(xMorvaDocument& document, const std::string& text) {
    for (char c : text) document.TypeCharacter(c == '\n' ? char16_t(13) : char16_t(c));
    if (xMorvaUndo* undo = document.GetUndo()) undo->Commit();
  }
  // Sends one host event to the object with its rectangle and answers the
  // record's message.
  uint32_t Event(xMorvaPrintingPlugIn* object, uint16_t what) {
    HostEventRecord record{};
    record.what = what;
    int16_t rect[4] = {0, 0, 100, 200};
    void* cell = nullptr;
    void* params[kAreaEventParamCount] = {&record, rect, nullptr, &cell};
    object->PrintPage(params);
    return static_cast<uint32_t>(record.message);
  }
  // Prints the object's pages into `pdf` as the host prints a printing
  // area, one page a slice while the end event answers that more is left.
  // The answers of the start event.
  uint32_t Print(xMorvaPrintingPlugIn* object, const std::string& pdf, int32_t& pages) {
    char device[256] = {0};
    GetProfileStringA("windows", "device", "", device, sizeof device);
    if (char* comma = std::strchr(device, ',')) *comma = 0;
    HDC dc = CreateDCA(nullptr, device, nullptr, nullptr);
    EXPECT_NE(dc, nullptr);
    DOCINFOA info{sizeof(DOCINFOA), "printing", pdf.c_str(), nullptr, 0};
    EXPECT_GT(StartDocA(dc, &info), 0);
    Tbx::GrafPtr port = Tbx::OpenPrinterPort(dc);
    Tbx::GrafPtr saved = nullptr;
    Tbx::GetPort(&saved);
    Tbx::SetPort(port);
    // Started once; a slice a page while the object has something left;
    // ended once.
    const uint32_t started = Event(object, 27);
    pages = 0;
    for (bool more = started != 0; more && pages < 10; more = object->HeightLeft(false) > 0) {
      StartPage(dc);
      Event(object, 29);
      EndPage(dc);
      ++pages;
    }
    ended = Event(object, 28);
    Tbx::SetPort(saved);
    Tbx::ClosePrinterPort(port);
    EndDoc(dc);
    DeleteDC(dc);
    return started;
  }
  uint32_t ended = 0;
  static std::string PdfText(const std::string& pdf) {
    std::string text;
    FILE* pipe = popen(("pdftotext -layout '" + pdf + "' - 2>/dev/null").c_str(), "r");
    if (pipe == nullptr) return text;
    char buffer[512];
    size_t n = 0;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) text.append(buffer, n);
    pclose(pipe);
    return text;
  }
  std::string Folder() {
    const std::string folder = std::filesystem::temp_directory_path() / ("qv-printing-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    return folder + "/";
  }
};

TEST_F(PrintingTest, AnEmptyDocumentLeavesNothingToPrint) {
  xMorvaPrintingPlugIn* object = NewPrinting();
  EXPECT_TRUE(object->IsFixedHeight());
  EXPECT_EQ(object->HeightLeft(true), 0);
  EXPECT_FALSE(object->StartPrinting());
  // With option 4 on the area prints at its own height.
  object->GetDocument()->SetAreaSetting(4, 1, nullptr);
  EXPECT_FALSE(object->IsFixedHeight());
  object->ResizeTo(200, 120, 0);
  EXPECT_EQ(object->HeightLeft(true), 120);
}

TEST_F(PrintingTest, TheHostsEventsPrintTheDocumentsPagesAndPdftotextReadsThem) {
  xMorvaPrintingPlugIn* object = NewPrinting();
  xMorvaDocument& document = *object->GetDocument();
  Fill(document, "Invoice for the Qvbase printing area\nTotal due: 42 crowns");
  const int32_t pageHeight = document.GetParams().GetPageHeight();
  ASSERT_EQ(document.GetBodyPageCount(), 1);
  EXPECT_EQ(object->HeightLeft(true), pageHeight);

  const std::string folder = Folder();
  const std::string pdf = folder + "printing.pdf";
  int32_t pages = 0;
  EXPECT_EQ(Print(object, pdf, pages), 104u);  // the host's "printing" answer
  EXPECT_EQ(pages, 1);
  EXPECT_EQ(object->GetNextPage(), 1);
  EXPECT_EQ(object->HeightLeft(false), 0);
  EXPECT_EQ(ended, 0u);  // nothing left
  const std::string text = PdfText(pdf);
  EXPECT_NE(text.find("Invoice for the Qvbase printing area"), std::string::npos) << text;
  EXPECT_NE(text.find("Total due: 42 crowns"), std::string::npos) << text;
  std::filesystem::remove_all(folder);
}

TEST_F(PrintingTest, ALongDocumentPrintsAPageASliceUntilNothingIsLeft) {
  xMorvaPrintingPlugIn* object = NewPrinting();
  xMorvaDocument& document = *object->GetDocument();
  std::string text;
  for (int i = 1; i <= 80; ++i) text += "Line " + std::to_string(i) + " of the long document\n";
  Fill(document, text);
  const int32_t count = document.GetBodyPageCount();
  ASSERT_GE(count, 2);
  const std::string folder = Folder();
  const std::string pdf = folder + "long.pdf";
  int32_t pages = 0;
  Print(object, pdf, pages);
  EXPECT_EQ(pages, count);
  const std::string read = PdfText(pdf);
  EXPECT_NE(read.find("Line 1 of the long document"), std::string::npos);
  EXPECT_NE(read.find("Line 80 of the long document"), std::string::npos);
  // Every page once: the first line is there once.
  EXPECT_EQ(read.find("Line 1 of the long document"), read.rfind("Line 1 of the long document"));
  std::filesystem::remove_all(folder);
}

}  // namespace
