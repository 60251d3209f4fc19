// xMorvaDocument: one styled-text document as an area edits it: a body and
// six header and footer texts sharing one undo history, the parameters and
// informations, the printer its pages are laid out for, the style-sheet
// store, which part is current, the change protocol (BeginChange, the edit,
// EndChange, Refresh) and the numbered document commands.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

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
class VStream;
class VWinPrinter;
class xMorvaDocumentArea;
class xMorvaLineMeasure;
class xMorvaProperties;
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

  // The store of the style sheets, 'wSTL' resources by sheet id and name;
  // null when it could not be made.
  VResourceFile* GetStyleSheetStore() const;

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

  // ---- Commands.
  // True when the id was handled (also when it needs an area and there is
  // none), false for an id the document does not know.
  bool DoCommand(int32_t id);
  void ApplySelectionAttribute(uint16_t id, uint32_t value);
  void ApplyParagraphAttribute(uint16_t id, uint32_t value);
  // Before a toggle command run from the host language: its value flips.
  void UpdateMenuItemState(int32_t id);

  // ---- Area options and settings as the host language reads and sets
  // them (lengths in the display unit, colours with their low and high
  // bytes exchanged). Each answers 0 or a command error; a refused value
  // changes nothing.
  // 1079 for n outside 0 to 59.
  int32_t GetAreaOption(int16_t n, double& value);
  // 1079 for n outside 0 to 59 and for the read-only options 39 to 44 and
  // 59; 1080 for a value outside the option's range.
  int32_t SetAreaOption(int16_t n, double value);
  // A stored property value as the host sees it: 1075 for an id the host
  // may not use.
  int32_t GetPropertyAsReal(uint16_t id, int32_t stored, double& real);
  // The stored value of a real: 1075 for an id the host may not set, 1076
  // for a value out of range. Indents are bounded by the selection's
  // paragraphs, or with `forParagraph` false by `sheet` (a style sheet's
  // record; none: no bound but the text width).
  int32_t RealToPropertyValue(uint16_t id, double real, int32_t& stored, bool forParagraph,
                              const xMorvaProperties* sheet = nullptr);
  // Converts, then sets the property over the selection in one undo step.
  int32_t SetPropertyFromReal(uint16_t id, double real);
  // 1089 for n outside 0 to 11 and for 5; `text` goes with settings 6 and 7.
  int32_t SetAreaSetting(int16_t n, int16_t value, const VString* text);
  int32_t GetAreaSetting(int16_t n, uint16_t& value, VString* text);
  // The current part's number; 0 when it is none of the seven.
  int16_t CurrentPartNumber() const;
  // Makes part n current when the page layout has it: 1091 otherwise, the
  // current part unchanged.
  int32_t SwitchEditedPart(int16_t n);
  // The body becomes current with the caret at the page's first position:
  // 1086 for a page outside the page table.
  int32_t GoToPage(int32_t page);
  // The printer's settings as the 'wPRT' record, resource id 0 of the
  // store. Read answers false, the settings kept, for a missing resource or
  // a record that does not read whole.
  bool WritePrintRecord(xMorvaRecordStore& store);
  bool ReadPrintRecord(xMorvaRecordStore& store);
  // The record on a stream: the settings read, or none when the record
  // does not read whole.
  static bool WritePrintRecordTo(VStream& stream, VPrintSettings& printer);
  static std::unique_ptr<VWinPrinter> ReadPrintRecordFrom(VStream& stream);
  // The name shown for the document: the fixed name of setting 7 when it is
  // on, else the document's own name.
  void GetDocumentName(VString& name) const;
  // The ranges within which the margins and the header and footer
  // distances of one kind of page may lie (pixels).
  void GetLeftMarginRange(int32_t& min, int32_t& max);
  void GetRightMarginRange(int32_t& min, int32_t& max);
  void GetTopMarginRange(bool firstPage, int32_t& min, int32_t& max) const;
  void GetBottomMarginRange(bool firstPage, int32_t& min, int32_t& max) const;
  void GetHeaderTopRange(bool firstPage, int32_t& min, int32_t& max) const;
  void GetHeaderBottomRange(bool firstPage, int32_t& min, int32_t& max) const;
  void GetFooterTopRange(bool firstPage, int32_t& min, int32_t& max) const;
  void GetFooterBottomRange(bool firstPage, int32_t& min, int32_t& max) const;
  // The largest indent sum over the seven parts, the body's times its
  // columns.
  int32_t GetWidestIndentSum();
  // The text width of the current part: the column for the body.
  int32_t CurrentTextWidth() const;

  // ---- The mouse on the selected picture.
  // The boxes of the selected picture and of its handles (four corners,
  // then two pairs that only some pictures have; an empty box: no such
  // handle), kept by the drawing of the selection, frame coordinates.
  static constexpr int32_t kPictureHandleCount = 8;
  void SetPictureHandles(const VRect& picture, const VRect* handles, int32_t count);
  // A mouse-down at `point` in the current part: a handle starts the
  // resize drag, a double click the picture's dialog, a click in a page
  // picture the move drag. True when a drag or a double click was handled.
  bool HandlePictureClick(const VPoint& point, bool doubleClick, bool controlKey);
  // The host hears that a modal dialog ended, while it drives the document.
  void NotifyHostModal(bool accepted);

  // ---- Computed elements over all parts.
  void SetFieldDisplayModeOfPart(uint8_t mode);
  // Dates, times and host expressions of every part evaluated again,
  // recording nothing in the undo history.
  void UpdateDateTimeFields();
  void UpdateDateTimeFieldsOfPart();
  // Without a selection: every part's computed elements become plain text
  // in one undo group; with one: those of the selection.
  void FreezeComputedElements();
  void FreezeComputedElementsOfPart();

  // ---- Page numbers of headers and footers, laid out per page while a
  // line is drawn, measured or hit-tested. The pointers are into a locked
  // element stream; every element is bounded by `end`.
  static void ResetTabElements(uint8_t* start, uint8_t* end);
  // Lays out the line's page numbers for `page` (0-based) and widens the
  // tabs before them by what the numbers lost: the total that the line's
  // width shrinks by.
  float AdjustTabsForPageNumbers(xMorvaLineMeasure& font, int32_t page, uint8_t* lineStart,
                                 uint8_t* end);
  // The width of a computed element's visible text; 0 when it shows its
  // source.
  static int32_t MeasureElementText(xMorvaLineMeasure& font, const uint8_t* element,
                                    const uint8_t* end);
  static void PreparePageNumberElement(uint8_t* element, const uint8_t* end);
  void FormatPageNumberElement(uint8_t* element, const uint8_t* end, int32_t page);
  // The body's page count: one until the body has a page table.
  int32_t GetBodyPageCount() const;
  // ---- Clipboard, through the framework clipboard object.
  // The flavours the document writes itself ('xMo7', 'xRul', 'RTF ',
  // 'EMF '), registered while an area shows the document.
  void RegisterScrapTypes();
  void UnregisterScrapTypes();
  // A selected picture goes alone as 'PICT'; any other selection as
  // 'xMo7', 'xRul', 'TEXT' (with 'styl') and 'RTF ', each as far as it can
  // be made. Nothing selected leaves the clipboard as it was.
  void CopySelection();
  // Pastes the first flavour present of 'xMo7', 'xRul', 'RTF ', 'TEXT' and
  // 'PICT' at the selection.
  void PasteClipboard();
  // The ruler at the selection as 'xRul' alone, and back onto the selected
  // paragraphs.
  void CopyRuler();
  void PasteRuler();
  // Pastes an 'xMo7' stream held in a handle or in memory at the selection
  // and puts the caret after it: the engine's error code, 0 on success.
  int32_t PasteStreamFromHandle(VMemHandle handle, bool refresh);
  int32_t PasteStreamFromMemory(const void* bytes, uint32_t size, bool refresh);

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
  // The range of an indent: over the selection's paragraphs, or for a
  // style sheet's record.
  void GetIndentRange(uint16_t id, bool forParagraph, const xMorvaProperties* sheet, int32_t& min,
                      int32_t& max);
  // A style sheet's 1-based position among the document's sheets (0: none)
  // and the id at a position (the number itself when no sheet is there).
  int32_t StyleSheetPosition(int32_t id) const;
  int32_t StyleSheetIdAtPosition(int32_t position) const;
  // The body's page table: the first position of a page, and the pages
  // computed again from the first.
  int32_t BodyPageFirstPosition(int32_t page) const;
  void RepaginateBody();
  // The part's computed elements of a search group, each selected and
  // handed to `each` between BeginChange and EndChange.
  template <typename Each>
  void ForEachComputedElement(uint16_t group, Each&& each);
  class PartWalk;
  int32_t PasteStream(const void* bytes, uint32_t size, bool refresh);
  // Plain 'TEXT' up to its first zero byte, inserted as element units.
  void PastePlainText(VMemHandle text);
  void PastePicture();

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
  xMorvaTextInterface* fCurrent = nullptr;
  int16_t fCurrentNumber = kPartBody;

  // Area settings 0 to 11 (8 and 9 are the minimum area size), the texts of
  // settings 6 and 7, and the page area rectangle (empty: the page).
  uint8_t fAreaSettings[12] = {};
  int32_t fMinimumAreaWidth = 0;
  int32_t fMinimumAreaHeight = 0;
  std::string fAreaFlagText;
  std::string fFixedDocumentName;
  VRect fPageArea;
  VRect fPictureBox;
  VRect fPictureHandles[kPictureHandleCount];
};
