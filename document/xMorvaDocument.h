// xMorvaDocument: one styled-text document as an area edits it: a body and
// six header and footer texts sharing one undo history, the parameters and
// informations, the printer its pages are laid out for, the style-sheet
// store, which part is current, the change protocol (BeginChange, the edit,
// EndChange, Refresh) and the numbered document commands.
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "document/xMorvaCaret.h"
#include "document/xMorvaDocInfos.h"
#include "document/xMorvaDocParams.h"
#include "document/xMorvaDocumentInterface.h"
#include "document/xMorvaFontTable.h"
#include "document/xMorvaPagePicturesInterface.h"
#include "document/xMorvaRecordStore.h"
#include "framework/core/VObject.h"

class VBitmapPort;
class VDIBPort;
class VMemoryResourceFile;
class VPort;
class VPrintSettings;
class VResourceFile;
class VStream;
class VStringArray;
class VWinPrinter;
class xMorvaDocumentArea;
class xMorvaFindReplaceParameters;
class xMorvaLayoutInterface;
struct xMorvaLineLocation;
struct xMorvaSelectionState;
class xMorvaLineMeasure;
class xMorvaProperties;
class xMorvaStyleSheet;
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

// The header and the footer a page (0 the first) shows: the first page's
// own, the left pages' own, or the common one, as the page settings choose.
int16_t HeaderPartOfPage(const xMorvaDocParams& params, int32_t page);
int16_t FooterPartOfPage(const xMorvaDocParams& params, int32_t page);

// The 'XPPR' paper used when the printer gives none: six 32-bit values
// (paper width and height, left, top, right, bottom margins), hundredths of
// a millimetre, in native order as the package's resource file reads them.
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
  void PreparePageNumber(uint8_t* element, const uint8_t* end) override {
    PreparePageNumberElement(element, end);
  }
  float LayOutPageNumbers(xMorvaLineMeasure& font, int32_t page, uint8_t* lineStart,
                          uint8_t* end) override;
  // Every change marks the document modified, and a change releases the
  // write-back hold.
  void SetModified() override {
    fModified = true;
    fWriteBackHeld = false;
  }
  void SetCurrentPart(xMorvaUndoEngine& engine) override;
  xMorvaUndoEngine* GetEditedPart(int32_t& page) override;
  void RestoreEditedPart(xMorvaUndoEngine& engine, int32_t page) override;
  void BeginChange() override;
  void EndChange() override;
  xMorvaFontTable* GetFontTable() override { return &fFonts; }
  // The area's status-bar gauge with the progress texts; none without an
  // area, without a visible status bar, or while the host command driving
  // the document keeps the area quiet.
  VStreamProgress* NewProgressStatus(int16_t messageIndex, uint32_t total) override;
  // While on, EndChange leaves the lines of the edits pending: a reader
  // that fills the whole document is laid out once, by the open that runs
  // it, instead of at each change it makes. Answers the previous setting,
  // which the caller puts back.
  bool SetLayoutDeferred(bool on);

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
  // The bytes the seven parts' decoded pictures hold (held at the largest
  // 32-bit number), and forgetting them all.
  int32_t PictureCacheSize() const;
  void ResetAllPictureCaches();
  void ApplyToAllParts(uint8_t fieldDisplayMode);
  // The lines of the seven parts and the body's pages; null without an
  // engine.
  xMorvaLayoutInterface* GetLayout() const { return fLayout.get(); }
  // Paints what is visible of the document into `port` (its coordinates),
  // the page column starting at `pageLeft`, with the highlight of the
  // showing view's `selection` (null: none); nothing without lines.
  void DrawDocument(xMorvaSelectionState* selection, VPort& port, int32_t visibleLeft,
                    int32_t visibleTop, int32_t visibleWidth, int32_t visibleHeight,
                    int32_t pageLeft);
  // One body page (0-based) at (x, y) as it prints.
  void DrawPageForPrinting(VPort& port, int32_t page, int32_t x, int32_t y);

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
  // ---- The write-back hold of the bound field. After the field's own load
  // failed, the document was reset and shows nothing of what the field
  // holds: the field's save writes nothing until the user changes the
  // document (SetModified) or a load replaces it (Reset, which every load
  // runs). Every other write (the BLOB commands, the files) writes the
  // document shown.
  void HoldWriteBack() { fWriteBackHeld = true; }
  bool IsWriteBackHeld() const { return fWriteBackHeld; }
  bool IsOffscreen() const { return fOffscreen != 0; }
  bool IsChangeInProgress() const { return fChangeInProgress != 0; }
  bool NeedsTypingResync() const { return fTypingResync != 0; }
  void SetInHostCommand(bool running) { fInHostCommand = running ? 1 : 0; }
  // Only while a host command drives the document: the host's outcome
  // variable becomes 1 or 0 through the area.
  void SetHostOutcome(bool outcome);
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
  // The page that a reader of a foreign file put in the parameters (its
  // size and margins), across when `landscape`, becomes the document's
  // paper: the print settings take the nearest paper they know and the
  // page's margins, and the page is fitted to that paper, so that the
  // document paginates and prints on it. Every reader of a file with a
  // page calls it once the page is read.
  void TakePaperFromPage(bool landscape);
  // After a document of the own format is read: the page fits the paper of
  // the print record read with it, as this machine's printer gives it,
  // keeping the file's margins. A record whose paper is not the page's
  // (none, stored where no printer was installed, or another, the page
  // set without page setup) takes the page's paper first, as a foreign
  // file's does, so that the page prints on the paper it was made for;
  // the page keeps the size the file states.
  void FitPageToPrintRecord();
  // The page's width and height in twips as files of other programs are
  // given it: a page fitted to a paper of the print settings' table (its
  // sides that paper's in whole millimetres, upright or across) is that
  // paper's exact size, so that their readers know it by name; any other
  // page is its own size.
  void GetPageTwips(int32_t& width, int32_t& height) const;
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
  // none), false for an id the document does not know and for an area
  // command that did not do its work (a save that wrote nothing), whose
  // code then goes to `failure` when one is given.
  bool DoCommand(int32_t id, int32_t* failure = nullptr);
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
  // ---- Style sheets (xMorvaDocumentStyleSheets.cpp): 'wSTL' resources of
  // the store, addressed by id (property 15) or by 1-based index in the
  // store's order.
  // The store itself ('wSTL' by sheet id and name); null when it could not
  // be made.
  VMemoryResourceFile* GetStyleSheetStore() const { return fStyleSheets.get(); }
  // The store becomes a container read from `handle` (taken, also on
  // failure): false, the document without a store, when it cannot be made.
  bool AdoptStore(VMemHandle handle);
  // The handle that holds the store's bytes (after its UpdateFile).
  VMemHandle GetStoreHandle() const { return fStyleSheetHandle; }
  // The pictures placed on the pages, made on first use; null when no
  // maker is installed or memory ran out.
  xMorvaPagePicturesInterface* GetPagePictures();
  int32_t StyleSheetCount() const;
  std::vector<int16_t> StyleSheetIds() const;
  // False for an index outside 1..count.
  bool StyleSheetIdAt(int32_t index, int16_t& id) const;
  // 0 when no sheet has the id.
  int32_t StyleSheetIndex(int16_t id) const;
  // Whether a sheet has the id: what StyleSheetIndex answers above 0,
  // without walking the store.
  bool HasStyleSheet(int16_t id) const;
  // The sheet's whole name, in every script and at any length it was
  // given; with `withShortcut` and a shortcut, followed by the shortcut's
  // text. What the writers of every format and the area's own menu take.
  void GetStyleSheetName(int16_t id, VString& name, bool withShortcut);
  void GetStyleSheetName(int16_t id, VString& name) override;
  // The default name of a new sheet, numbered by the document's counter.
  void NewStyleSheetName(VString& name);
  // The whole names in id order (the area's own menu).
  void FillStyleSheetList(VStringArray& list, bool withShortcut);
  // The names the host's forms show, in id order: Macintosh text, each
  // distinct from every other sheet's. A row of such a list is mapped back
  // to its sheet by its index, never by the text.
  void FillStyleSheetFormList(VStringArray& list);
  void GetStyleSheetFormName(int16_t id, VString& name);
  // Whether `given` is the name the forms show of sheet `id`: handed back
  // unchanged, it renames nothing, since the whole name may be longer.
  bool IsStyleSheetFormName(int16_t id, const VString& given);
  void UpdateStyleSheetMenu();
  void DeleteStyleSheet(int16_t id);
  // Whether any of the seven texts carries the sheet.
  bool IsStyleSheetUsed(int16_t id) const;
  // Applies the sheet to the selection of the current part (whole
  // paragraphs for a paragraph sheet): 0, 1038 for a sheet the store lacks,
  // or the engine's error.
  int32_t ApplyStyleSheet(int16_t id);
  // Applies the sheet again to every run of the current part that carries
  // it; with `revert` those runs get the default sheet instead.
  int32_t ReapplyStyleSheet(int16_t id, bool revert);
  // The same in the seven parts, one undo group.
  int32_t ReapplyStyleSheetEverywhere(int16_t id, bool revert);
  // A sheet as undo keeps it: its name (u16 count and the UTF-16 units, in
  // this machine's order) and then its 'wSTL' record as stored.
  bool GetStyleSheetState(int16_t id, std::vector<uint8_t>& state) override;
  bool PutStyleSheetState(int16_t id, const std::vector<uint8_t>* state) override;
  void StyleSheetChanging(int16_t id) override;
  std::vector<int16_t> HeldStyleSheetIds() override;

  // ---- Display, rulers, bars and indents (xMorvaDocumentDisplay.cpp).
  // Lengths are pixels; each range answers its minimum and maximum.
  // Mode 0 pages, 1 continuous text of the body (the body becomes current).
  void SetViewMode(int16_t mode);
  void ScrollFramesToOrigin();
  // Showing is refused while the area suppresses its display.
  void ShowRulers(bool show, bool relayout);
  void ShowHorizontalScrollBars(bool show, bool relayout);
  void ShowVerticalScrollBars(bool show, bool relayout);
  // The split boxes of each frame's pane: A beside the horizontal scroll
  // bar, B above the vertical one (view flags 45 and 46 leave them out).
  void ShowPaneElementA(bool show, bool relayout);
  void ShowPaneElementB(bool show, bool relayout);
  void ShowToolBar(bool show, bool relayout);
  bool IsToolBarShown() const;
  void ShowDockBar(bool show, bool relayout);
  bool IsDockBarShown() const;
  void SetDockBarState(uint8_t state);
  // Bar n, 0 to 3.
  void ShowBar(int16_t n, bool show, bool relayout);
  bool IsBarShown(int16_t n) const;
  void SetBarState(int16_t n, uint8_t state);
  void RefreshRulers();
  // For the page kind of the caret's page: shown, the top (bottom) margin
  // makes room for the band; hidden while its part is current, the body
  // becomes current.
  void ShowHeader(bool show);
  void ShowFooter(bool show);
  // The full text width for a header or footer, the column width for the
  // body; none: the current part.
  int32_t CurrentTextWidth(const xMorvaTextInterface* text = nullptr) const;
  void TextWidthRange(int32_t& min, int32_t& max) const;
  // The largest indent sum of the seven parts, the body's times its columns.
  int32_t GetWidestIndentSum() const;
  // Indent ranges of one properties record, and of the selected paragraphs
  // of the current part; an indent leaves at least 50 pixels of text.
  void GetLeftIndentRange(const xMorvaProperties& properties, int32_t& min, int32_t& max) const;
  void GetRightIndentRange(const xMorvaProperties& properties, int32_t& min, int32_t& max) const;
  void GetFirstLineRange(const xMorvaProperties& properties, int32_t& min, int32_t& max) const;
  void GetLeftAndFirstRangeOfSelection(int32_t& min, int32_t& max) const;
  void GetLeftIndentRangeOfSelection(int32_t& min, int32_t& max) const;
  void GetRightIndentRangeOfSelection(int32_t& min, int32_t& max) const;
  void GetFirstLineRangeOfSelection(int32_t& min, int32_t& max) const;
  // Margin and band ranges; the vertical ones for the first page or the
  // other pages. Header distances count from the page top, footer ones
  // from the page bottom.
  void GetLeftMarginRange(int32_t& min, int32_t& max) const;
  void GetRightMarginRange(int32_t& min, int32_t& max) const;
  void GetTopMarginRange(bool firstPage, int32_t& min, int32_t& max) const;
  void GetBottomMarginRange(bool firstPage, int32_t& min, int32_t& max) const;
  void GetHeaderTopRange(bool firstPage, int32_t& min, int32_t& max) const;
  void GetHeaderBottomRange(bool firstPage, int32_t& min, int32_t& max) const;
  void GetFooterTopRange(bool firstPage, int32_t& min, int32_t& max) const;
  void GetFooterBottomRange(bool firstPage, int32_t& min, int32_t& max) const;

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
  // The host hears that a modal dialog ended, while it drives the document:
  // its outcome variable, as SetHostOutcome sets it.
  void NotifyHostModal(bool accepted) { SetHostOutcome(accepted); }
  // Undo and redo put a picture placed on a page back in a box, or put it
  // back or take it away whole.
  bool SetPagePictureBox(int32_t picture, const VRect& box) override;
  bool PutPagePictureState(int16_t picture, const std::vector<uint8_t>* state) override;
  // A picture placed on a page by `place` (true when placed; the picture
  // placed is then the selected one): a continuous view turns to the pages
  // first; the picture placed is one undo step (of kind `undoKind`) that
  // takes it away again; one that could not be placed is told to the user.
  // True when placed.
  bool PlacePagePicture(uint16_t undoKind, const std::function<bool()>& place);
  // Picture `index` placed on a page (-1: the selected one) deleted with
  // its data, in one undo step that puts it back: the one road of every
  // deletion of such a picture (cut, clear, the keys, the host's commands).
  // False when there is no such picture. The caller refreshes.
  bool DeletePagePicture(int32_t index);

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
  // The body's page count from its page table (at least one).
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
  // Whether paste takes clipboard data of the type: the five flavours
  // above and no other.
  static bool PastesScrapType(uint32_t type);
  // The ruler at the selection as 'xRul' alone, and back onto the selected
  // paragraphs.
  void CopyRuler();
  void PasteRuler();
  // Pastes an 'xMo7' stream held in a handle or in memory at the selection
  // and puts the caret after it: the engine's error code, 0 on success.
  int32_t PasteStreamHandle(VMemHandle handle, bool refresh);
  int32_t PasteStreamFromMemory(const void* bytes, uint32_t size, bool refresh);
  // Inserts element units (`count` positions) at the selection in one undo
  // step, the computed elements among them refreshed when asked; the caret
  // ends behind them. The engine's code.
  int32_t InsertUnits(VMemHandle units, int32_t count, bool refresh);
  void Undo();
  void Redo();

  // ---- Find and replace in the current part (xMorvaDocumentFind.cpp).
  // The replacement in element units, made on first use.
  struct ReplaceBuffer {
    VMemHandle handle = 0;
    uint32_t units = 0;
    bool filled = false;
    int32_t error = 0;
  };
  // From the selection's end; with wrap, once more from the start. False,
  // the selection as it was, when nothing is found.
  bool FindNext(const xMorvaFindReplaceParameters& parameters);
  // Finds the next match and replaces it (its text, its properties) in one
  // undo step: whether a match was found.
  bool ReplaceOne(ReplaceBuffer& buffer, const xMorvaFindReplaceParameters& parameters);
  // Replaces the current match, or else the next one found, then finds the
  // next and leaves it selected: whether a match was replaced.
  bool ReplaceNext(const xMorvaFindReplaceParameters& parameters);
  // Whether the selection of the current part is a whole match of these
  // parameters, however it was made, and not the replacement the last
  // replacement left selected; the selection is left as it was.
  bool IsCurrentMatch(const xMorvaFindReplaceParameters& parameters);
  // Every match, from the start when wrap is on, in one undo group: the
  // number of replacements.
  int32_t ReplaceAll(xMorvaFindReplaceParameters& parameters);
  // The same, one replacement after another: what ReplaceAll does where
  // the text cannot replace every match in one walk (property criteria,
  // paragraph ends, paragraph properties), and the measure it is held to.
  int32_t ReplaceAllStepwise(xMorvaFindReplaceParameters& parameters);

 private:
  // ReplaceAll with the text's one walk first (`oneWalk`), or one
  // replacement at a time only.
  int32_t RunReplaceAll(xMorvaFindReplaceParameters& parameters, bool oneWalk);
  // Replaces the selected match (its text, its properties) in one undo
  // step; the error, if any, goes into the buffer.
  void ReplaceSelection(ReplaceBuffer& buffer, const xMorvaFindReplaceParameters& parameters);
  void RememberReplacement();
  // Runs `change` on the selected page picture and records the box it
  // leaves as one undo step with `value`.
  template <typename Change>
  void ChangePagePicture(uint16_t value, Change change);

  struct ChangeRecord {
    int32_t lineIndex = 0;
    int32_t linesRemoved = 0;
    int32_t pageIndex = 0;
    uint32_t recordBytes = 0;
    uint32_t paragraphStart = 0;
    uint32_t byteLength = 0;
  };

  // TypeCharacter's paths, without the edit commands' states.
  int32_t TypeUnit(char16_t unit);

  void BuildParts();
  void DeleteParts();
  void NewStyleSheetStore();
  // Both measuring ports measure with the printer (or the screen again).
  void UsePrinterForMeasuring(bool on);
  void DeleteStyleSheetStore();
  // The default sheet, id 1, into a new store.
  void SaveDefaultStyleSheet();
  // Makes the names the forms show again when the store changed since they
  // were made; answers the place of sheet `id` among them, -1 for none.
  int32_t StyleSheetFormAt(int16_t id);
  // Pixels of the screen resolution from hundredths of a millimetre.
  static int32_t PaperToPixels(int32_t hundredths);
  int32_t CommandValue(int32_t id) const;
  // Inserts the elements of `bytes` (`positions` positions) as one edit.
  void InsertElements(const uint8_t* bytes, uint32_t size, int32_t positions);
  // A soft hyphen, and a column or page break, at the selection as one
  // edit each.
  void InsertSoftHyphen();
  void InsertBreak(uint16_t code);
  // The time now or today's date as text at the caret, as one edit.
  void InsertNowAsText(bool time);
  void ApplyColour(int32_t id, uint16_t property, int32_t value, bool dialog, bool paragraph);
  bool DoColourCommand(int32_t id);
  // The area options that are flags (`flag` 0 or 1), and those that are
  // lengths (`pixels`): 0, or 1080 for a length outside its range.
  void SetAreaFlagOption(int16_t n, uint8_t flag);
  int32_t SetAreaLengthOption(int16_t n, int32_t pixels);
  // The margins and the header and footer distances of either page kind.
  int32_t SetBandLengthOption(int16_t n, int32_t pixels);
  // The families of numbered commands; each answers false for an id it
  // does not handle.
  bool DoEditCommand(int32_t id);
  bool DoViewCommand(int32_t id);
  bool DoViewFlagCommand(int32_t id);
  bool DoInsertCommand(int32_t id);
  bool DoCharacterCommand(int32_t id);
  bool DoFontCommand(int32_t id);
  bool DoParagraphCommand(int32_t id);
  // Every property of `properties` set to `value` over the selection, in
  // one undo step of `kind` and `code`.
  void SetPropertiesInOneStep(std::initializer_list<uint16_t> properties, int32_t value, uint16_t kind,
                              uint16_t code);
  void DeleteSelection(bool copyFirst);
  // The range of an indent: over the selection's paragraphs, or for a
  // style sheet's record.
  void GetIndentRange(uint16_t id, bool forParagraph, const xMorvaProperties* sheet, int32_t& min,
                      int32_t& max);
  // The body's pages computed again from the first.
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
  // Shows or hides a band of the caret's page kind.
  void ShowBand(bool header, bool show);
  // True when `show` may reach the area: hiding always may.
  bool MayShow(bool show) const;

  xMorvaDocParams fParams;
  xMorvaDocInfos fInfos;
  // The style sheets live in this store as 'wSTL' resources; so do the
  // document's single-resource records.
  VMemHandle fStyleSheetHandle = 0;
  std::unique_ptr<VMemoryResourceFile> fStyleSheets;
  // Sheets created under a default name so far.
  int32_t fStyleSheetCounter = 0;
  // The names the host's forms show of the sheets, in id order, made for
  // the store as it stood at its change stamp `fStyleSheetFormsStamp`: a
  // sheet made, renamed or deleted, by any road, changes the stamp.
  uint64_t fStyleSheetFormsStamp = 0;
  std::vector<int16_t> fStyleSheetFormIds;
  std::vector<std::u16string> fStyleSheetForms;
  std::unique_ptr<VWinPrinter> fPrinter;
  std::unique_ptr<VBitmapPort> fMeasuringPort;
  std::unique_ptr<VDIBPort> fLinePort;

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
  // Set while ReplaceAll or the reader of an open runs: EndChange leaves
  // the lines to its end.
  uint8_t fLayoutDeferred = 0;
  // The text the last replacement left selected, and in which part, so
  // that replaced text that reads like the find text is not taken again as
  // the selected match; a find that selects a match forgets it.
  struct ReplacedRange {
    const xMorvaTextInterface* text = nullptr;
    int32_t start = -1;
    int32_t end = -1;
  };
  ReplacedRange fReplaced;
  bool fModified = false;
  bool fWriteBackHeld = false;
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
  std::unique_ptr<xMorvaPagePicturesInterface> fPagePictures;
  xMorvaCaret fCaret;
  // The x that consecutive vertical moves keep, and the position the last
  // one reached (-1: none).
  int32_t fCaretGoalX = 0;
  int32_t fCaretGoalPosition = -1;
  bool fLastTypingFast = false;
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
