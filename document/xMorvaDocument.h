// xMorvaDocument: one styled-text document as an area edits it: a body and
// six header and footer texts sharing one undo history, the parameters and
// informations, the printer its pages are laid out for, the style-sheet
// store, which part is current, the change protocol (BeginChange, the edit,
// EndChange, Refresh) and the numbered document commands.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "document/xMorvaCaret.h"
#include "document/xMorvaDocInfos.h"
#include "document/xMorvaDocParams.h"
#include "document/xMorvaDocumentInterface.h"
#include "document/xMorvaFontTable.h"
#include "document/xMorvaRecordStore.h"
#include "framework/core/VObject.h"

class VBitmapPort;
class VDIBPort;
class VMemoryResourceFile;
class VPort;
class VPrintSettings;
class VResourceFile;
class VWinPrinter;
class xMorvaDocumentArea;
class xMorvaLayoutInterface;
struct xMorvaLineLocation;
class xMorvaTextInterface;
class xMorvaUndo;

// Parts by number: the body, then the headers and footers.
enum xMorvaPart : int16_t {
  kPartBody = 0,
  kPartHeader = 1,
  kPartFooter = 2,
  kPartLeftHeader = 3,
  kPartLeftFooter = 4,
  kPartFirstHeader = 5,
  kPartFirstFooter = 6,
  kPartCount = 7,
};

// The 'XPPR' paper used when the printer gives none: six 32-bit values
// (paper width and height, left, top, right, bottom margins), hundredths of
// a millimetre.
constexpr uint32_t kPaperResourceType = 0x58505052;  // 'XPPR'

class xMorvaDocument : public VObject,
                       public xMorvaDocumentInterface,
                       public xMorvaRecordStore {
 public:
  // The area that shows the document, or none.
  explicit xMorvaDocument(xMorvaDocumentArea* area);
  xMorvaDocument(const xMorvaDocument&) = delete;
  xMorvaDocument& operator=(const xMorvaDocument&) = delete;
  ~xMorvaDocument() override;

  // ---- xMorvaDocumentInterface.
  const xMorvaDocParams& GetParams() const override { return fParams; }
  int32_t GetTextWidth(int16_t part) override;
  xMorvaTextInterface* GetBodyText() override { return GetPart(kPartBody); }
  void SetModified() override { fModified = true; }
  void SetCurrentPart(xMorvaUndoEngine& engine) override;
  void BeginChange() override;
  void EndChange() override;
  xMorvaFontTable* GetFontTable() override { return &fFonts; }

  // ---- xMorvaRecordStore, over the style-sheet store.
  VMemHandle CopyResource(uint32_t type, int16_t id) override;
  bool PutResource(uint32_t type, int16_t id, const void* data, uint32_t size) override;

  // ---- Parts.
  // A part by number (kPartBody ...); null for a number out of range or a
  // part that could not be made.
  xMorvaTextInterface* GetPart(int16_t part) const;
  xMorvaTextInterface* GetCurrentPart() const { return fCurrent; }
  // The number of the current part.
  int16_t GetCurrentPartNumber() const;
  void SetCurrentPart(int16_t part);
  void SelectBody();
  void SelectHeaderForPage(int32_t page);
  void SelectFooterForPage(int32_t page);
  int16_t HeaderForPage(int32_t page) const;
  int16_t FooterForPage(int32_t page) const;
  bool IsBodyCurrent() const { return fCurrentNumber == kPartBody; }
  bool IsHeaderCurrent() const;
  bool IsFooterCurrent() const;
  int32_t GetHeaderFooterPage() const { return fHeaderFooterPage; }
  void RecomposeCurrentPart();
  int32_t TotalTextSize() const;
  void ApplyToAllParts(uint8_t fieldDisplayMode);
  // The lines of the seven parts and the body's pages; null without an
  // engine.
  xMorvaLayoutInterface* GetLayout() const { return fLayout.get(); }

  // ---- State.
  xMorvaDocParams& Params() { return fParams; }
  xMorvaDocInfos& Infos() { return fInfos; }
  xMorvaUndo* GetUndo() const { return fUndo.get(); }
  VPrintSettings* GetPrinter() const;
  // The ports that measure the document's text (the screen's, and the one
  // that draws a single line off screen); they measure with the printer's
  // widths while the printer-metrics option is applied.
  VPort* GetMeasuringPort() const;
  VPort* GetLinePort() const;
  xMorvaDocumentArea* GetArea() const { return fArea; }
  bool IsModified() const { return fModified; }
  bool IsOffscreen() const { return fOffscreen != 0; }
  bool IsChangeInProgress() const { return fChangeInProgress != 0; }
  bool NeedsTypingResync() const { return fTypingResync != 0; }
  void SetInHostCommand(bool running) { fInHostCommand = running ? 1 : 0; }
  bool IsInHostCommand() const { return fInHostCommand != 0; }
  const std::string& GetDefaultFontName() const { return fDefaultFontName; }
  const std::string& GetDocumentName() const { return fDocumentName; }
  void SetCaretPage(int32_t page) { fCaretPage = page; }
  int32_t GetCaretPage() const { return fCaretPage; }
  // The printer's unprintable margins in pixels plus one, and the paper
  // minus those margins (left, top, width, height).
  void GetMinimumMargins(int32_t& left, int32_t& top, int32_t& right, int32_t& bottom) const;
  const VRect& GetPrintableArea() const { return fPrintableArea; }
  bool IsPrinterMetricsApplied() const { return fPrinterMetricsApplied != 0; }

  // ---- Font table (character property 7 indexes it from 1).
  // One entry again: the default font, known.
  void ResetFontTable();
  int32_t GetFontCount() const { return fFonts.Count(); }
  // The name's index; a missing name is appended (and may take the system's
  // spelling).
  int16_t FontIndexForName(VString& name) { return fFonts.IndexForName(name); }
  bool FontNameForIndex(int32_t index, VString& name, bool& known) const {
    return fFonts.NameForIndex(index, name, known);
  }
  bool WriteFontTable(VResourceFile& file) const { return fFonts.WriteToFile(file); }
  // False, the table unchanged, unless the file holds a whole table.
  bool ReadFontTable(VResourceFile& file) { return fFonts.ReadFromFile(file); }

  // ---- Operations.
  void Refresh(bool scroll, bool contentSize);
  void Reset(bool keepFile);
  void GetContentSize(int32_t& width, int32_t& height) const;
  void UpdateFrameContentSize();
  void UpdateReferencePrinter();
  void AttachReferencePrinter();
  void SetPrinterMetrics(uint8_t value);
  void FitPageToPaper(bool fitMargins, bool fitPage);
  void ApplyViewOptions(bool keepTitle);
  void ShowSelection(bool scroll);

  // ---- Caret and text geometry (view coordinates of a frame).
  xMorvaCaret& GetCaret() { return fCaret; }
  // The line of the current part holding the byte offset, and where it
  // lies; the line index (0 without lines).
  int32_t LocateOffset(uint32_t offset, xMorvaLineLocation& where);
  // The position under the point; with `select` the part under it becomes
  // current first.
  int32_t OffsetAtPoint(int32_t x, int32_t y, bool select);
  // The caret at the active end of the selection: its x, its y and its
  // line's top (the same) and height; the caret status follows.
  void GetCaretGeometry(int32_t& x, int32_t& y, int32_t& lineTop, int32_t& height);
  void GetCaretStatus(int32_t& page, int32_t& line, int32_t& position, int32_t& column) const;
  // One line up or down keeping the caret's x over consecutive moves; on
  // the first (last) line a beep and nothing else.
  void MoveCaretVertically(bool up, bool extend);
  // Whether a line ending at `bottom` (within its part) lies inside the
  // current header's or footer's area; always for the body.
  bool LineFitsInPart(int32_t bottom) const;
  void UpdateCaret(bool scroll);
  // Types one unit at the selection: on a line that can take it, without
  // composing (the line and its page take it); otherwise within a change.
  // The engine's answer (0, or 1041).
  int32_t TypeCharacter(char16_t unit);
  // Which typing path the last TypeCharacter took: true the fast one.
  bool LastTypingWasFast() const { return fLastTypingFast; }
  bool IsSelectionBackward() const { return fSelectionBackward != 0; }
  void SetSelectionBackward(bool backward) { fSelectionBackward = backward ? 1 : 0; }

  // ---- Commands.
  // True when the id was handled (also when it needs an area and there is
  // none), false for an id the document does not know.
  bool DoCommand(int32_t id);
  void ApplySelectionAttribute(uint16_t id, uint32_t value);
  void ApplyParagraphAttribute(uint16_t id, uint32_t value);
  // Before a toggle command run from the host language: its value flips.
  void UpdateMenuItemState(int32_t id);

 private:
  struct ChangeRecord {
    int32_t lineIndex = 0;
    int32_t linesRemoved = 0;
    int32_t pageIndex = 0;
    uint32_t recordBytes = 0;
    uint32_t paragraphStart = 0;
    uint32_t byteLength = 0;
    uint8_t extended = 0;
  };

  void BuildParts();
  void DeleteParts();
  void NewStyleSheetStore();
  // Both measuring ports measure with the printer (or the screen again).
  void UsePrinterForMeasuring(bool on);
  void DeleteStyleSheetStore();
  // Pixels of the screen resolution from hundredths of a millimetre.
  static int32_t PaperToPixels(int32_t hundredths);
  int32_t CommandValue(int32_t id) const;
  // Inserts the elements of `bytes` (`positions` positions) as one edit.
  void InsertElements(const uint8_t* bytes, uint32_t size, int32_t positions);
  void InsertSpecialElement(uint16_t code);
  void InsertText(const std::u16string& text);
  void ApplyColour(int32_t id, uint16_t property, int32_t value, bool dialog, bool paragraph);
  bool DoColourCommand(int32_t id);
  void DeleteSelection(bool copyFirst);

  xMorvaDocParams fParams;
  xMorvaDocInfos fInfos;
  // The style sheets live in this store as 'wSTL' resources; so do the
  // document's single-resource records.
  VMemHandle fStyleSheetHandle = 0;
  std::unique_ptr<VMemoryResourceFile> fStyleSheets;
  std::unique_ptr<VWinPrinter> fPrinter;
  std::unique_ptr<VBitmapPort> fMeasuringPort;
  std::unique_ptr<VDIBPort> fLinePort;
  int32_t fLinePortWidth = 8;
  int32_t fLinePortHeight = 1;

  // Caret status: page index, line, position in line, column index.
  int32_t fCaretPage = 0;
  int32_t fCaretLine = 1;
  int32_t fCaretColumnPosition = 1;
  int32_t fCaretColumn = 0;
  ChangeRecord fChange;
  uint8_t fSelectionBackward = 0;
  uint8_t fTypingResync = 0;
  std::string fDefaultFontName;
  xMorvaFontTable fFonts;
  std::string fDocumentName;
  uint8_t fPrinterMetricsApplied = 0;
  uint8_t fInHostCommand = 0;
  uint8_t fOffscreen = 0;
  uint8_t fChangeInProgress = 0;
  bool fModified = false;
  // Minimum margins (pixels) and the printable area.
  int32_t fMinLeft = 0;
  int32_t fMinTop = 0;
  int32_t fMinRight = 0;
  int32_t fMinBottom = 0;
  VRect fPrintableArea;

  std::unique_ptr<xMorvaUndo> fUndo;
  xMorvaDocumentArea* fArea = nullptr;
  int32_t fHeaderFooterPage = 0;
  // By part number.
  std::unique_ptr<xMorvaTextInterface> fParts[kPartCount];
  // Made over the parts, deleted before them.
  std::unique_ptr<xMorvaLayoutInterface> fLayout;
  xMorvaCaret fCaret;
  // The x that consecutive vertical moves keep, and the position the last
  // one reached (-1: none).
  int32_t fCaretGoalX = 0;
  int32_t fCaretGoalPosition = -1;
  bool fLastTypingFast = false;
  xMorvaTextInterface* fCurrent = nullptr;
  int16_t fCurrentNumber = kPartBody;
};
