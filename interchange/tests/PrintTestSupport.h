// Printing a document as the print command does, through its print
// settings' job, into a PDF file of the virtual printer; and what pdfinfo
// reads of the file.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "area/printing/xMorvaPrintCommands.h"
#include "document/xMorvaDocument.h"
#include "graphics/printing/VPrintSettings.h"
#include "interchange/tests/PeerTestSupport.h"
#include "platform/print/WinPrint.h"

namespace printtest {

// Every page of the document's body into `pdf`; the number of pages begun.
inline int32_t PrintDocument(xMorvaDocument& document, const std::filesystem::path& pdf) {
  std::filesystem::remove(pdf);
  SetHeadlessPrintOutput(pdf.c_str());
  xMorvaPrinting::PaperBeforePrinting(document);
  VPrintSettings* printer = document.GetPrinter();
  if (printer == nullptr) return 0;
  const int32_t count = document.GetBodyPageCount();
  VPort* port = printer->BeginDocument("page");
  if (port == nullptr) return 0;
  int32_t printed = 0;
  for (int32_t page = 0; page < count; ++page) {
    if (page > 0 && !printer->NextPage()) break;
    xMorvaPrinting::PrintPages(document, *port, page);
    ++printed;
  }
  printer->EndDocument();
  xMorvaPrinting::SetCurrentPrintedPage(1);
  return printed;
}

// pdfinfo's page size of the file, "W x H" in whole points.
inline std::string PdfPageSize(const std::filesystem::path& pdf) {
  const std::string info = peertest::Output("pdfinfo '" + pdf.string() + "' 2>/dev/null");
  const size_t at = info.find("Page size:");
  if (at == std::string::npos) return "";
  double width = 0, height = 0;
  if (std::sscanf(info.c_str() + at + 10, " %lf x %lf", &width, &height) != 2) return "";
  return std::to_string(int(width + 0.5)) + " x " + std::to_string(int(height + 0.5));
}

}  // namespace printtest
