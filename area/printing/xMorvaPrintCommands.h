// Printing an editing area's document: the print command, the print merge
// over the records of a host table, page setup, the preview, and the
// drawing of one page into a printer's port. The current printed page is
// what page-number elements and the host language read while a job runs.
#pragma once

#include <cstdint>

#include "framework/core/VService.h"

class VPort;
class xMorvaMain;
class xMorvaDocument;
class xMorvaPlugIn;

// The codes of the printing commands.
constexpr int32_t kErrorPrintJob = 1002;
constexpr int32_t kErrorEmptyTable = 1023;
constexpr int32_t kErrorNoRecord = 1081;
// The area event offered to the user's event method before a document, or
// a record of a print merge, prints.
constexpr int16_t kEventPrinting = 7;

// Answers of the paper question.
constexpr int16_t kPaperFitDocument = 0;
constexpr int16_t kPaperPrintAsIs = 1;
constexpr int16_t kPaperCancel = 2;

// The forms the printing commands run ("mvMailing", "mvPaperSize",
// "mvPrintPreview"); the dialogs layer installs them at start. Without
// them the print merge runs on the table it was given, the paper question
// prints as is and the preview is refused, so nothing changes unasked.
class xMorvaPrintDialogs {
 public:
  virtual ~xMorvaPrintDialogs() = default;
  // The mailing dialog, opened on `table`: true with the table chosen.
  virtual bool RunMailing(xMorvaPlugIn& area, int16_t& table) = 0;
  // The printer's paper differs from the document's: one of the answers above.
  virtual int16_t RunPaperQuestion(xMorvaPlugIn& area) = 0;
  // The print preview: true when the user closed it with OK.
  virtual bool RunPrintPreview(xMorvaPlugIn& area) = 0;
};
using xMorvaPrintDialogSlot = VService<xMorvaPrintDialogs>;

namespace xMorvaPrinting {

// 1 outside printing; during a job the 0-based index of the page drawn.
int32_t GetCurrentPrintedPage();
void SetCurrentPrintedPage(int32_t page);

// Hands the document's page geometry to its print settings: paper size and
// the top and bottom distances in whole millimetres.
void PaperBeforePrinting(xMorvaDocument& document);
// One page (0-based) of the document into the port: pictures behind the
// text, header, body columns with their rules, footer, pictures in front.
void PrintPages(xMorvaDocument& document, VPort& port, int32_t page);
// The print dialog and, when the paper changed, the paper question: false
// when the user cancelled either.
bool CheckPaperChange(xMorvaPlugIn& area);

// Prints pages `first` to `last` (1-based; all when `first` is 0), clamped
// to the document: 0, or 1002 when the job did not start or a page failed.
int32_t PrintCommand(xMorvaPlugIn& area, bool askPaper, int32_t first, int32_t last);
// Prints the document once per record of the host table: 0, 1023 for an
// empty table, 1002 for a failed job, 1081 when a record cannot be reached.
int32_t MailingCommand(xMorvaPlugIn& area, bool askDialog, bool askPaper, int16_t table);
void PageSetupCommand(xMorvaPlugIn& area);
void PrintPreviewCommand(xMorvaPlugIn& area);

// The host language's commands: print (4: p[1] the all-parts option for
// the printout, p[2] how many times), print merge (5: p[1] the table, p[2]
// asks about the paper) and the current printed page (26, into `result`).
void CommandPrint(xMorvaMain& package, void** p);
void CommandMailing(xMorvaMain& package, void** p);
void CommandPrintedPage(void* result);

}  // namespace xMorvaPrinting
