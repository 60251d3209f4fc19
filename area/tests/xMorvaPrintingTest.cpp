// The printing object prints its document for the host: started, printed a
// page a slice and ended through the host's three printing events, onto
// the virtual printer, whose PDF is read back with pdftotext.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "area/tests/AreaTestSupport.h"
#include "boundary/HostRecords.h"
#include "document/xMorvaUndo.h"
#include "framework/core/intl/Utf.h"
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

namespace {

// The UTF-8 form of a UTF-16 text, a surrogate pair as one character.
std::string Utf8Of(const std::u16string& text) {
  std::string out;
  Utf16ToUtf8(text, &out, VLoneSurrogate::kReplace);
  return out;
}

// A document in every script prints as text: the fonts that stand in for
// the face where it lacks a character are embedded, and every character
// reads back once, none as a replacement mark.
TEST_F(PrintingTest, ADocumentInEveryScriptPrintsEveryCharacterOnce) {
  xMorvaPrintingPlugIn* object = NewPrinting();
  xMorvaDocument& document = *object->GetDocument();
  const std::u16string words[] = {u"Greek", u"\u0395\u03BB\u03BB\u03B7\u03BD\u03B9\u03BA\u03AC",
                                  u"\u0420\u0443\u0441\u0441\u043A\u0438\u0439", u"\u4E2D\u6587\u5B57",
                                  u"\u65E5\u672C\u8A9E", u"\u0627\u0644\u0639\u0631\u0628\u064A\u0629",
                                  u"\U0001F600", u"x\u2011y"};
  std::u16string all;
  for (const std::u16string& word : words) all += word + u" ";
  for (char16_t unit : all) document.TypeCharacter(unit);
  if (xMorvaUndo* undo = document.GetUndo()) undo->Commit();
  const std::string folder = Folder();
  const std::string pdf = folder + "scripts.pdf";
  int32_t pages = 0;
  Print(object, pdf, pages);
  EXPECT_EQ(pages, 1);
  std::string fonts;
  if (FILE* pipe = popen(("pdffonts '" + pdf + "' 2>/dev/null").c_str(), "r")) {
    char buffer[512];
    for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) fonts.append(buffer, n);
    pclose(pipe);
  }
  EXPECT_NE(fonts.find("WenQuanYiMicroHei"), std::string::npos) << fonts;
  EXPECT_NE(fonts.find("DejaVuSans"), std::string::npos) << fonts;
  const std::string text = PdfText(pdf);
  EXPECT_EQ(text.find("\xEF\xBF\xBD"), std::string::npos) << text;
  for (const std::u16string& word : words) {
    if (word == words[5]) continue;  // Arabic: the reader may turn it round
    const std::string utf8 = Utf8Of(word);
    const size_t at = text.find(utf8);
    EXPECT_NE(at, std::string::npos) << utf8 << " in " << text;
    if (at != std::string::npos) {
      EXPECT_EQ(text.find(utf8, at + 1), std::string::npos) << utf8;
    }
  }
  for (char16_t letter : words[5]) {
    const std::string one = Utf8Of(std::u16string(1, letter));
    const size_t count = size_t(std::count(words[5].begin(), words[5].end(), letter));
    size_t seen = 0;
    for (size_t at = text.find(one); at != std::string::npos; at = text.find(one, at + 1)) ++seen;
    EXPECT_EQ(seen, count) << one;
  }
  std::filesystem::remove_all(folder);
}

}  // namespace
