// xMorvaEngine: one flow of styled text (a document's body, or one of its
// headers and footers). It holds the element stream in one relocatable
// block, keeps a selection with its paragraph, its word and the properties
// in effect there, sets properties over runs of the text and edits it in
// undo steps; every byte inserted or deleted is reported to the undo
// history.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "document/xMorvaProperties.h"
#include "document/xMorvaPropertiesStates.h"
#include "document/xMorvaTabs.h"
#include "document/xMorvaText.h"
#include "framework/core/VObject.h"
#include "framework/core/intl/WordScripts.h"

class VPictureData;
class VPictureShape;
class VResourceFile;
class VStream;
class VString;
class VStringArray;
class xMorvaDocument;
class VValue;
class xMorvaEngineLink;
class xMorvaLines;
struct xMorvaPictureHeader;
struct xMorvaLoadWalk;
class xMorvaUndo;
struct VDateRec;

// Counts of a text (GetTextStatistics).
struct xMorvaTextStatistics {
  uint32_t characters = 0;  // character units and tabs
  uint32_t words = 0;
  uint32_t paragraphs = 0;
  uint32_t pictures = 0;
  uint32_t hostExpressions = 0;
  uint32_t softHyphens = 0;
  uint32_t pageBreaks = 0;
  uint32_t columnBreaks = 0;
  uint32_t datesAndTimes = 0;
  uint32_t pageNumbers = 0;
  uint32_t hyperlinks = 0;
  uint32_t htmlExpressions2 = 0;
  uint32_t htmlExpressions = 0;
};

// The units that stand for elements in text for the Word writer; 0 for a
// computed element lets its visible text through instead.
struct xMorvaWordUnits {
  uint16_t pageBreak = 0;
  uint16_t columnBreak = 0;
  uint16_t softHyphen = 0;
  uint16_t noBreakSpace = 0;
  uint16_t picture = 0;
  uint16_t pageNumber = 0;
  uint16_t dateTime = 0;
  uint16_t hostExpression = 0;
};

// The status of a computed element for which no result text can be made.
constexpr int32_t kErrorNoResultText = 1073;

// The computed element's head behind the element head: u32 object length n,
// u32 result-text bytes, u32 source-text bytes, u8 order flag (1: result
// first), u8 unused; then the object and the two texts.
constexpr uint32_t kComputedHeadSize = 14;
// The object of a computed element's payload of `size` bytes (its head's
// first u32 is the object's length): nullptr when it does not fit.
const uint8_t* ComputedObjectOf(const uint8_t* payload, uint32_t size, uint32_t& length);
// Where the text a hyperlink element of `size` bytes at `at` holds as its
// title lies in `stream`: its result text, whichever of its two texts the
// display mode put first. False when the element's lengths do not fit.
bool LinkTitleOf(const uint8_t* stream, uint32_t at, uint32_t size, uint32_t& from, uint32_t& bytes);
// A page-number element's format word: bit 0 the page count instead of the
// page number, bits 28 to 31 the list-number style.
constexpr uint32_t kPageNumberCount = 1;
constexpr uint32_t kPageNumberStyleShift = 28;
// The date/time word of a new element: date style 5, no time.
constexpr uint16_t kDefaultDateTimeFormat = 5 << 8;

// The error of stream bytes that are not a well-formed run of items.
constexpr int32_t kErrorBadStream = 1074;

// The object of an HTML expression: this tag, this version, the string.
constexpr uint32_t kTagExpression = FourCC("wEXP");
constexpr uint32_t kExpressionVersion = FourCC("0100");

class xMorvaEngine : public VObject, public xMorvaTextInterface {
 public:
  // Granules of the stream block: the body, and headers and footers.
  static constexpr uint16_t kBodyGranule = 16000;
  static constexpr uint16_t kPartGranule = 128;
  // The cache point is left this many positions behind a target, and kept
  // when it already lies within kCacheSlack of there. A walk that starts
  // past that place (from a mark or its last stop) leaves the point as a
  // position alone, whose state the next walk through it takes.
  static constexpr int32_t kCacheDistance = 512;
  static constexpr int32_t kCacheSlack = 64;
  // The position walks leave a mark of their state every this many
  // positions (see fMarkBlocks): a walk anywhere in a text they have passed
  // goes at most that far, and a mark takes about 160 bytes.
  static constexpr int32_t kMarkSpacing = 256;
  // Bytes a position walk asks the cache for past those of the positions
  // it walks, and at most in all.
  static constexpr uint32_t kPrefetchBeyond = 512;
  static constexpr uint32_t kPrefetchLimit = 8192;

  xMorvaEngine(xMorvaUndo* undo, uint16_t granule);
  xMorvaEngine(const xMorvaEngine&) = delete;
  xMorvaEngine& operator=(const xMorvaEngine&) = delete;
  ~xMorvaEngine() override;

  // True when the stream block could be made.
  bool IsValid() const { return fStream != 0; }
  void Reset();
  void Clear() override;

  // ---- Stream primitives. Offsets are bytes from the stream's start; the
  // position count is the callers' to adjust.
  uint8_t* LockStream() override;
  void UnlockStream() override;
  uint32_t GetStreamSize() const override { return fBytesInUse; }
  int32_t GetLength() const override { return fLength; }
  void SetLength(int32_t length) override;
  // Bytes of the item at `item` for a position walker and a text walker.
  // Unbounded: walkers of this engine bound them by what remains.
  static uint32_t ElementSize(const uint8_t* item);
  static uint32_t ElementSkipSize(const uint8_t* item);
  // Inserts n bytes at the offset, copied from `source`, or zeros when it is
  // null: 0, or 1041 with nothing changed when the stream cannot grow. An
  // offset beyond the bytes in use is refused (1041) too.
  int32_t InsertBytes(uint32_t offset, const void* source, uint32_t n);
  int32_t InsertBytes(int32_t offset, int32_t n) override;
  // Removes n bytes at the offset (cut to the bytes in use).
  void DeleteBytes(int32_t offset, int32_t n) override;
  // Room ahead for `extra` more bytes, so that a long run of insertions at
  // the end (a file being read) grows the block once instead of copying it
  // at every growth; room never written costs no memory. False, nothing
  // changed, when the block cannot grow. ReleaseCapacity gives back what
  // was not used.
  bool ReserveCapacity(uint32_t extra);
  void ReleaseCapacity();
  // Overwrites n bytes at the offset, reported as a deletion and an
  // insertion. Offsets beyond the bytes in use are ignored.
  void ReplaceBytes(uint32_t offset, const void* source, uint32_t n);
  int32_t InsertPropertyRecord(uint32_t offset, uint16_t id, uint32_t value);
  void ApplyRecordsInRange(uint32_t start, uint32_t end, xMorvaProperties& properties);
  // In the run of records at the offset, deletes the first of that id.
  bool RemoveRecordAt(uint16_t id, uint32_t offset);
  // Deletes the run of paragraph records at the offset: the bytes removed.
  uint32_t RemoveParagraphRecordsAt(uint32_t offset);
  void ReadParagraphRecordsAt(uint32_t offset, xMorvaProperties& properties, xMorvaTabs& tabs);
  // The tab stops in effect at the byte offset. A text's stops are the sum
  // of every tab record before the place, in stream order: a paragraph
  // starts with the stops of the one before it, and its own records add or
  // remove stops (setting a paragraph's stops writes records that restore
  // the next paragraph's). Composition, repair and the selection walk keep
  // the same sum as they go.
  void GetTabsAt(uint32_t offset, xMorvaTabs& tabs);
  uint32_t FindParagraphEndFrom(uint32_t offset);
  void GetRecordStatesInRange(uint32_t offset, uint32_t n, xMorvaPropertiesStates& states,
                              bool& paragraphId);

  // Notes the range as changed in the paired lines, which compose it again
  // at their next update (the document's EndChange).
  void RecomposeRange(int32_t firstOffset, int32_t lastOffset) override;

  // ---- Selection.
  void SetSelection(int32_t start, int32_t end) override;
  void SetSelectionAsTyped(int32_t start, int32_t end) override;
  bool TrySetSelection(int32_t start, int32_t end);
  void SelectAll() { SetSelection(0, fLength); }
  void SetCaretToStart() { SetSelection(0, 0); }
  // A paragraph's start whose offset and walk state the caller knows (a
  // line table's record of the paragraph's first line: the properties and
  // tab stops in effect at its first byte): the next position walk to a
  // place at or after it starts there when no known place lies nearer.
  void NoteParagraphStart(int32_t position, uint32_t offset, const xMorvaProperties& state,
                          const xMorvaTabs& tabs);
  void GetSelection(int32_t& start, int32_t& end) const override;
  void GetSelection(int32_t* start, int32_t* end) const;

  int32_t GetSelStart() const override { return fSelStart; }
  int32_t GetSelEnd() const override { return fSelEnd; }
  int32_t GetSelLength() const { return fSelLength; }
  bool HasSelection() const override { return fSelStart != fSelEnd; }
  uint32_t GetSelStartOffset() const override { return fSelStartOffset; }
  uint32_t GetSelEndOffset() const override { return fSelEndOffset; }
  int32_t GetParagraphStart() const override { return fParaStart; }
  int32_t GetParagraphEnd() const override { return fParaEnd; }
  uint32_t GetParagraphStartOffset() const override { return fParaStartOffset; }
  uint32_t GetParagraphEndOffset() const override { return fParaEndOffset; }
  uint32_t GetParagraphRecordBytes() const override { return fTrailingRecordBytes; }
  void MeasureOnePositionMore(uint32_t& paragraphEndOffset, uint32_t& recordBytes) override;
  int32_t GetWordStart() const { return fWordStart; }
  int32_t GetWordEnd() const { return fWordEnd; }
  int32_t GetSelParagraphEndCount() const override { return fParaEndCount; }
  int32_t GetSelBreakCount() const { return fBreakCount; }
  bool SelectionEndsWithParagraphEnd() const { return fEndsWithParaEnd != 0; }
  bool SelectionEndsWithSpace() const { return fSpaceAtEnd != 0; }
  bool IsInLastParagraph() const { return fInLastParagraph != 0; }
  bool IsPictureSelected() const override { return fPictureSelected != 0; }
  int32_t GetCachePosition() const { return fCachePosition; }

  const xMorvaProperties& GetCurrentProperties() const override { return fCurrent; }
  const xMorvaProperties& GetWalkProperties() const { return fWalk; }
  const xMorvaProperties& GetTypingProperties() const { return fTyping; }
  const xMorvaTabs& GetWalkTabs() const { return fWalkTabs; }
  const xMorvaTabs& GetCurrentTabs() const override { return fCurrentTabs; }
  const xMorvaPropertiesStates& GetPropertiesStates() const { return fStates; }
  int32_t GetTabCount() const { return fCurrentTabs.Count(); }
  // False for an index outside the current tabs.
  bool GetTab(int32_t index, uint32_t& stop) const;
  uint8_t GetPropertyState(uint16_t id) const { return fStates.GetState(id); }
  int32_t GetPropertyValue(uint16_t id) const override { return fCurrent.GetProperty(id); }
  int16_t GetPlainStyleState() const override;

  // ---- Property runs.
  int32_t SetPropertyValue(uint16_t id, int32_t value) override;
  int32_t SetPropertyWithUndo(uint16_t id, int32_t value) override;
  // Deletes the records of `id` between the offsets; for the tab list only
  // those of stop position `stopPosition` unless `allStops`.
  void RemovePropertyRecords(uint16_t id, int16_t stopPosition, uint32_t start, uint32_t end,
                             bool allStops);
  // With `on`, the records are deleted one after the other, each moving
  // the rest of the text: the slow way, kept for comparison.
  void RemoveRecordsOneAtATime(bool on) { fRemoveOneAtATime = on; }
  int32_t SetTabs(const xMorvaTabs& tabs);
  int32_t SetTabsWithUndo(const xMorvaTabs& tabs) override;
  int32_t GetPropertyExtreme(uint16_t id, bool inSelection, bool wantMaximum) override;
  int32_t GetMaxIndentSum() override;
  int32_t GetMaxLeftIndentSum() override;
  int32_t GetMaxRightIndentSum() override;
  int32_t GetMaxSideIndentSum() override;
  bool UsesPropertyValue(uint16_t id, int32_t value) override;

  // ---- Editing.
  void BeginUndoStep(uint16_t kind, uint16_t value) override;
  void EndUndoStep(int32_t result) override;
  int32_t WriteTypingProperties();
  int32_t TypeCharacter(char16_t unit);
  // Types the units one after the other as TypeCharacter does, the stream,
  // selection and word coming out the same, with one insertion for them all.
  int32_t TypeCharacters(const char16_t* units, int32_t count);
  // A caret at the text's end with nothing after it, not even a record.
  bool CaretAtTextEnd() const { return fSelLength == 0 && fSelStart >= fLength && fSelStartOffset >= fBytesInUse; }
  // For a reader that builds a text from its start: types the units at
  // the caret, which stands at the text's end, into the same stream as
  // TypeCharacters, and moves the caret past them without following the
  // word or the character it stands in. The caller sets the selection
  // before anything but more of these, a property at the caret, a tab or a
  // paragraph end; the walk there finds what typing would have left.
  // Where the caret is elsewhere it types them.
  int32_t AppendTyped(const char16_t* units, int32_t count);
  int32_t TypeCharacterWithUndo(char16_t unit) override;
  // Leaves the selection to the caller, which selects the new paragraph
  // end; the with-undo variant puts the caret after it.
  int32_t InsertParagraphEnd();
  int32_t InsertParagraphEndWithUndo() override;
  int32_t InsertMarker();
  int32_t RemoveMarkers();
  int32_t DeleteSelection();
  int32_t DeleteSelectionWithUndo() override;
  int32_t InsertHandle(VMemHandle handle, int32_t positions) override;
  int32_t InsertHandleWithUndo(VMemHandle handle, int32_t positions) override;
  int32_t ChangeCaseWithUndo(int16_t mode) override;
  // Which of their two texts computed elements show; any non-zero mode is 1.
  void SetFieldDisplayMode(uint8_t mode) override { fFieldDisplayMode = mode != 0 ? 1 : 0; }
  uint8_t GetFieldDisplayMode() const override { return fFieldDisplayMode; }

  // The line table composed over this text (not owned; null: none). The
  // widest line is answered from it, and every change of the stream is
  // noted in it.
  void SetLines(xMorvaLines* lines) { fLines = lines; }
  xMorvaLines* GetLines() const { return fLines; }
  int32_t GetWidestLine() const override;
  void GetFirstCharacterProperties(xMorvaProperties& properties);
  int32_t WriteParagraphTransition(uint32_t offset, uint32_t& count, const xMorvaProperties& from,
                                   const xMorvaProperties& to, const xMorvaTabs& fromTabs,
                                   const xMorvaTabs& toTabs);
  // Character sets: 0 Macintosh, others Windows (from); 1 Windows, others
  // Macintosh (to); -1 and -2 leave the text as it is.
  void ConvertCharacterSet(int16_t fromSet, int16_t toSet);

  // ---- Special elements. The with-undo forms run in an undo step of the
  // special-element kind whose value is the code.
  // Replaces the selection by the element (head 0, code, a, b and a
  // payload of a bytes, zeros when `payload` is null) and puts the caret
  // after it.
  int32_t InsertSpecialElement(uint16_t code, const void* payload, uint32_t a, uint32_t b, bool withUndo);
  int32_t InsertTab();
  int32_t InsertTabWithUndo();
  int32_t InsertSoftHyphen();
  int32_t InsertSoftHyphenWithUndo() override;
  // A column or page break (any other code: 1074). It counts as one more
  // position at the selection's end; the offsets and the start are left to
  // the caller, which selects the break. The with-undo form puts the caret
  // after it.
  int32_t InsertBreak(uint16_t code);
  int32_t InsertBreakWithUndo(uint16_t code) override;
  // A host expression of the reference stored in `size` bytes at
  // `reference`, its result made from `value` (taken and deleted) or, when
  // null, from the host's evaluation: 1073 with nothing inserted when there
  // is none. A picture result is sized by `placement` when given.
  int32_t InsertHostExpression(const uint8_t* reference, uint32_t size, bool withUndo, VValue* value,
                               const xMorvaPictureHeader* placement = nullptr);
  int32_t InsertHostExpressionWithUndo(const uint8_t* reference, uint32_t size, VValue* value,
                                       const xMorvaPictureHeader* placement = nullptr);
  // The result units of a host reference's value (taken and deleted; null:
  // the host's): a new handle, empty for a value kind that has no text; 0
  // when there is no value or memory runs out. A picture value becomes one
  // picture element (isPicture set) shown at the placement's width, height,
  // mode and flag, or at its own size in mode 5 without one.
  VMemHandle BuildHostExpressionText(const uint8_t* reference, uint32_t size, bool& isPicture, VValue* value,
                                     const xMorvaPictureHeader* placement = nullptr);
  // A source text: the look record (14, lookValue), the opening mark, the
  // label's units, the closing mark and the look record (14, 0); the marks
  // only `withMarks`. A new handle (0 when memory runs out) and its bytes.
  VMemHandle StringToElementText(const VString& label, uint32_t& byteLength, uint32_t lookValue, bool withMarks);
  int32_t InsertDateTimeField(const VDateRec& date, int32_t seconds, uint16_t format);
  int32_t InsertDateTimeField(const VDateRec& date, int32_t seconds, uint16_t format, bool withUndo);
  // Date style in the high byte, time style in the low one, each a signed
  // byte of the host's styles, 0 for none; cut at 255 characters.
  static void FormatDateTime(const VDateRec& date, int32_t seconds, uint16_t format, VString& text);
  int32_t InsertPageNumberField(uint32_t format);
  int32_t InsertPageNumberField(uint32_t format, bool withUndo);
  // The bytes of a page-number element (`dateTime` false) or a date-time
  // element of `format`, as the inserters above lay one out in a text of
  // field display mode `displayMode`, for a reader to copy wherever its
  // file has one; empty when it could not be made.
  static std::vector<uint8_t> MakeComputedElement(uint8_t displayMode, bool dateTime, uint32_t format,
                                                  const VDateRec& date, int32_t seconds);
  bool GetDateTimeFormatAtSelection(uint16_t& format);
  bool GetPageNumberFormatAtSelection(uint32_t& format);
  // A new handle of the stored reference of the host expression at the
  // selection, or 0.
  VMemHandle GetHostExpressionAtSelection();
  // Rebuilds the result of the first host expression or date in the
  // selection, in an undo step, and selects it: 0, also when there is none;
  // an expression whose host gives no value for the current record shows
  // nothing; 1073 with the element unchanged when no result can be made
  // (no host to ask, memory).
  int32_t UpdateComputedFields() override;
  // The position of the first element of the code or group code, over the
  // whole text, the selection, or from the selection's end; -1 when none.
  int32_t FindElement(uint16_t code, bool wholeText, bool inSelection) override;
  // ---- Hyperlinks, HTML expressions and the display mode.
  // A hyperlink element carrying the link's record, its title as the
  // result and its description as the source; 1041 with nothing inserted
  // when memory or a stream cannot be had.
  int32_t InsertHyperlink(xMorvaEngineLink& link, bool withUndo);
  int32_t InsertHyperlinkWithUndo(xMorvaEngineLink& link);
  // The selected text as a link's result text: the link-look record
  // (`lookValue`), the selection's characters with their character
  // properties, records bringing those back to what they were at its start,
  // and the record of no look; `shown` gets the characters. A paragraph end
  // or a tab becomes a space, a field or link gives the text it shows, a
  // picture stays. 0 when memory runs out.
  VMemHandle SelectionToLinkText(uint32_t lookValue, VString& shown);
  // Reads the link of the hyperlink element at the selection into `link`:
  // false when there is none or its record does not read.
  bool GetHyperlinkAtSelection(xMorvaEngineLink& link);
  // An HTML expression (code 24007 or 24008, else 1074) of the string:
  // its 'wEXP' object, no result and its label as the source text; 1041
  // with nothing inserted when memory runs out.
  int32_t InsertHTMLExpression(uint16_t code, const VString& expression, bool withUndo);
  int32_t InsertHTMLExpressionWithUndo(const VString& expression);
  int32_t InsertHTMLExpression2WithUndo(const VString& expression);
  // The expression of the element of `code` at the selection; false when
  // there is none or its object cannot be read (the string untouched).
  bool GetHTMLExpressionAtSelection(uint16_t code, VString& expression);
  // Reads an expression object, tagged or the older bare string, in
  // either byte order, from an open stream; false for another version or
  // a string that is not all there.
  static bool ReadHTMLExpression(VStream& stream, VString& expression);
  // Reorders the two texts of every computed element between the offsets
  // whose order differs from the display mode; a layout change, not an
  // edit: the element's size does not change and nothing is recorded. A
  // page number keeps in its head's spare byte how many units of its
  // number it showed, so that switching there and back gives the same
  // bytes.
  void RefreshComputedElements(uint32_t fromByte, uint32_t toByte) override;
  // The first link-look record of the selection, when it is the link
  // look, becomes the visited look.
  void MarkLinkVisited();
  // Turns the host expressions, dates, links and HTML expressions of the
  // selection into the plain text they show, without their looks (an
  // element that shows nothing goes), in one undo step; page numbers stay.
  int32_t FreezeComputedElements() override;
  // ---- Text conversion, case change, statistics and range edits.
  // Converts the string into element units in `handle` (its bytes are
  // replaced): tabs and soft hyphens become elements, U+F0xx becomes 0x00xx,
  // other controls below 32 (13 kept) and U+FEFF become marker units with
  // `markControls`, else go. False, with the memory alert shown once and
  // what was converted so far kept, when the handle cannot grow.
  bool StringToUnits(const VString& text, VMemHandle handle, uint32_t& units, uint32_t& bytes,
                     bool markControls) override;
  // Appends the text (of the selection, or all) as the reader sees it.
  void WritePlainText(VString& sink, bool selectionOnly, bool lineFeedAfterReturn);
  // Single-byte text of the selection (or all) for the spelling service,
  // with a table of start and end character indexes (u32 pairs) of each
  // computed element. New handles, the caller's; false (both 0) when memory
  // runs out.
  bool ExportSingleByteText(VMemHandle& text, uint32_t& fieldCount, VMemHandle& table, bool ansi = false);
  // UTF-16 units of the selection for the Word writer into `handle`, with
  // the positions and units of pictures and substituted fields.
  bool ExportUnicodeText(VMemHandle handle, uint32_t& count, const xMorvaWordUnits& units,
                         std::vector<uint32_t>& positions, std::vector<uint16_t>& kinds);
  // Appends to `sink` the units from `byteOffset` up to and including a "."
  // or a paragraph end, endByte, or maxUnits units; false at endByte.
  bool CollectSentence(uint32_t& byteOffset, uint32_t endByte, uint32_t maxUnits, VString& sink);
  // 0 lower case, 1 upper case, 2 capitalised words, 3 case swapped where
  // it changes; in an undo step.
  int32_t ChangeCase(int32_t mode);
  void GetTextStatistics(xMorvaTextStatistics& counts);
  uint32_t RecountPositions();
  // The position one character after (or before) `position`, within 0 to
  // the length: the next boundary of what a user sees as one character (a
  // letter with its marks, a surrogate pair, a flag, a skin-toned or joined
  // emoji, a Hangul syllable of jamo), which is one step to move over and
  // to delete.
  int32_t CharacterStep(int32_t position, bool forward);
  // Whether a caret or a selection end may stand at the position: not
  // inside such a character.
  bool IsCaretPlace(int32_t position);
  // The position itself where a caret may stand there, else the start of
  // the character it falls in (the end, `forward`).
  int32_t CaretPlaceFrom(int32_t position, bool forward);
  // A style sheet (its id, whether it is a paragraph sheet, its values and
  // states, its tabs or null) over the selection, in an undo step.
  int32_t ApplyStyleSheetToSelection(uint32_t sheetId, bool paragraphSheet, const xMorvaProperties& values,
                                     const xMorvaPropertiesStates& states, const xMorvaTabs* tabs) override;
  // ---- Search (xMorvaEngineSearch.cpp): see xMorvaTextInterface.
  bool SearchText(int32_t from, int32_t to, const VString& text, const xMorvaProperties* properties,
                  const xMorvaPropertiesStates* states, bool wholeWord, bool caseSensitive) override;
  // ---- Replace all in one walk (xMorvaEngineReplace.cpp): see
  // xMorvaTextInterface.
  int32_t ReplaceEveryMatch(const VString& text, bool wholeWord, bool caseSensitive, VMemHandle units,
                            int32_t positions, const xMorvaProperties& values,
                            const xMorvaPropertiesStates& states) override;
  int32_t SetSelectionBorders(bool on, bool inner);
  // Sets the sides (41 to 44) whose state is 1 on the selected paragraphs:
  // left and right on each, top on the first and bottom on the last; with
  // `setInner`, every boundary between them takes top = `innerValue` and the
  // inner bottoms are cleared. The first error stops it.
  int32_t ApplyParagraphBorders(const xMorvaProperties& values, const xMorvaPropertiesStates& states,
                                bool setInner, bool innerValue);
  void SaveSelectionState(int32_t& start, int32_t& end);
  void RestoreSelectionState();

  // ---- Picture elements (xMorvaPictureElement.h has the header layout).
  // The offset of the picture element that forms the selection (also one
  // inside the result of a host expression there); -1 when the selection
  // starts with anything else.
  int64_t FindSelectedPicture(const uint8_t* stream);
  // The offset, from the element's start, of the picture that forms the
  // result of the host expression at `element` (`size` bytes); -1 when its
  // result is no picture.
  static int64_t FindPictureInExpression(const uint8_t* element, uint32_t size);
  // A new picture value decoded from the selected element (the caller's),
  // only when the selection is exactly one position; null otherwise.
  VPictureData* GetSelectedPicture();
  // Shown and own size of the selected picture; 0 each when there is none.
  void GetSelectedPictureSize(int32_t* shownWidth, int32_t* shownHeight, int32_t* ownWidth,
                              int32_t* ownHeight);
  // New shown size, the other header words kept, in one undo step of the
  // picture-size kind; 1034 when no picture is selected.
  int32_t SetSelectedPictureSize(int32_t width, int32_t height);
  // The six header words; the run-time word is kept on setting. 1034 when
  // no picture is selected.
  int32_t GetSelectedPictureHeader(uint32_t words[6]);
  int32_t SetSelectedPictureHeader(const uint32_t words[6]);
  // The decoded picture of the element at `element` (`size` bytes, the
  // stream locked), made once and kept by the engine; its shown size and
  // display mode come out. Null when the element cannot be decoded (tried
  // again at the next call).
  VPictureShape* GetPictureForDrawing(uint8_t* element, uint32_t size, int32_t& width,
                                      int32_t& height, int16_t& mode);
  // Decodings made so far; a drawing from the cache makes none.
  uint32_t GetPictureDecodeCount() const { return fPictureDecodes; }
  // Bytes of picture data the decoded pictures kept for drawing hold.
  uint64_t PictureCacheSize() const override;
  // Forgets every decoded picture: ids already in the stream no longer
  // match and decode again when drawn.
  void ResetPictureCaches() override;
  // ---- Styled text in transfer streams ('xMo7'; the older 'xMor' is read).
  // The selection with the document's font names, the style sheets it uses
  // and the properties and tabs at both ends, in a new handle, written
  // little-endian like the element bytes; 0 when memory runs out.
  VMemHandle WriteStream(xMorvaDocument& document);
  // Replaces the selection by the stream's text, its fonts and style sheets
  // remapped into the document, and selects it. 1074 with nothing changed
  // for a stream that is not one or cannot be mended; 1041 when memory runs
  // out.
  int32_t ReadStream(VStream& stream, xMorvaDocument& document);
  // Checks a transfer stream held in memory without touching any text: 0
  // when it reads whole and its items pass the repair rules (fonts and
  // sheets aside, which a paste remaps); 1074 when anything is damaged,
  // 1041 when memory runs out.
  static int32_t CheckTransferStream(const void* bytes, uint32_t size);
  int32_t PasteStreamWithUndo(VStream& stream, xMorvaDocument& document);
  // The ruler: the current properties and tabs in a new handle (0 when
  // memory runs out); pasting applies their paragraph part to the selected
  // paragraphs in one undo step, and nothing for a handle that does not
  // read (1074).
  VMemHandle CopyStyle();
  int32_t PasteStyle(VMemHandle handle);
  // The steps of the two. PrepareCopy normalises the copied bytes of the
  // selection in place and completes the four sets: the new byte count.
  uint32_t PrepareCopy(uint8_t* bytes, uint32_t n, uint32_t& firstEnd, uint32_t& lastEnd, xMorvaProperties& start,
                       xMorvaProperties& end, xMorvaTabs& startTabs, xMorvaTabs& endTabs);
  // An in-memory resource file of the 'wSTL' resources of the sheets the
  // range uses (never sheet 1), in a new handle; 0 when memory runs out.
  static VMemHandle BuildStyleSheetBlock(xMorvaDocument& document, const xMorvaProperties& start,
                                         const uint8_t* bytes, uint32_t n);
  // The document's index of the stream's font `index`, appended by name
  // when missing; 1 for an index the stream's names do not hold.
  static int16_t MapFontId(const VStringArray& names, int32_t index, xMorvaDocument& document);
  static void MapFontRecords(uint8_t* bytes, uint32_t n, const VStringArray& names, xMorvaDocument& document);
  // The document's id of the stream's sheet `id`: 1 for 1 and for a sheet
  // the stream's file lacks, the id paired before, else the document's
  // sheet of that name or the sheet added under it; pairs are appended to
  // the two lists.
  static int32_t MapStyleSheetId(int32_t id, VResourceFile* sheets, xMorvaDocument& document,
                                 std::vector<int32_t>& streamIds, std::vector<int32_t>& documentIds);
  static void MapStyleSheetRecords(uint8_t* bytes, uint32_t n, VResourceFile* sheets, xMorvaDocument& document,
                                   std::vector<int32_t>& streamIds, std::vector<int32_t>& documentIds);
  // ---- Repair and enumeration.
  // Checks a loaded stream item by item and mends it in one pass: control
  // units become "?", items that run past the end and invalid records and
  // elements go, redundant records go, paragraph records found inside a
  // paragraph move to its start. `fontCount` bounds the font indexes,
  // `sheetIds` lists the style sheets the document has. True when no byte
  // changed; `damaged` tells that invalid data was met. Not recorded for
  // undo: it runs on texts being loaded or pasted.
  bool RepairStream(int32_t fontCount, const std::vector<int32_t>& sheetIds, bool& damaged);
  // The repair and the fix-ups of a stream just read in its stored form
  // (and swapped), in one walk as a stored text's load does, the records
  // judged as they load: true when the repair changed nothing and the
  // stream holds the positions its header counted (ReadResourceHeader left
  // that count as the length). A stream cut short, or running past its
  // end, is read as it is and answers false.
  bool RepairLoadedStream(int32_t fontCount, const std::vector<int32_t>& sheetIds, bool& damaged);
  // Selections by number (1-based); false, the selection unchanged, when
  // there is no such stretch.
  bool SelectParagraphs(int32_t n, int32_t m);
  bool SelectFormatRuns(int32_t n, int32_t m);
  bool SelectParagraphFormatRun(int32_t n);
  bool SelectCharacterFormatRun(int32_t n);
  bool SelectElement(uint16_t code, int32_t n);
  bool SelectionHasElement(uint16_t code);
  // Between two byte offsets: a tab element; a unit after which a line may
  // break.
  bool HasTabElement(uint32_t startOffset, uint32_t endOffset);
  bool HasBreakOpportunity(uint32_t startOffset, uint32_t endOffset);
  // The stream layout version ("0103" to "0106") the stream is in.
  uint32_t GetFormat() const { return fFormat; }

  // ---- Storage as resource 'wENG'.
  bool SaveResource(VResourceFile& file, int16_t id);
  // Replaces stream, counts, selection and display mode by those of the
  // resource, swapped, repaired and fixed up; all or nothing: on false the
  // engine is as it was.
  bool LoadResource(VResourceFile& file, int16_t id, const std::vector<int32_t>& sheetIds, int32_t fontCount,
                    bool& damaged);
  // The same over the resource's bytes.
  bool LoadResourceBytes(const void* data, uint32_t size, const std::vector<int32_t>& sheetIds,
                         int32_t fontCount, bool& damaged);
  // The resource's bytes written into the stream, little-endian whatever
  // the stream's order was; `otherOrder` writes them as a big-endian
  // machine does (older files, and the readers' tests).
  bool WriteResource(VStream& stream, bool otherOrder = false);
  bool WriteResourceHeader(VStream& stream);
  bool WriteResourceStream(VStream& stream);
  bool ReadResourceHeader(VStream& stream, int32_t& selStart, int32_t& selEnd, bool& swapped);
  bool ReadResourceStream(VStream& stream, int32_t byteCount);
  // Turns stream bytes written in the other byte order into this one's;
  // false when an item ran past the end (the walk stopped there).
  static bool SwapStream(uint8_t* bytes, int32_t byteCount);
  // Lengths back to pixels, older layouts to the current one, computed
  // texts rebuilt; false when a host expression had no value (it is then
  // rebuilt with an empty result) or memory ran out (nothing changed).
  bool FixUpAfterLoad();
  // The two engines exchange their texts as they stand: the element
  // streams, their positions and format, and the decoded pictures the
  // streams' elements address. Neither stream is copied or walked; both
  // engines start again at position 0 without marks or cache point, and
  // their lines are told the text was replaced. Undo, display mode and
  // lines stay with each engine.
  void ExchangeText(xMorvaEngine& other);

 private:
  // The one walk of replace all (xMorvaEngineReplace.cpp).
  class ReplaceAllWalk;
  // The header with `length` as the positions, and the stream counting its
  // positions as it goes (the walk the header's count would repeat).
  bool PutResourceHeader(VStream& stream, int32_t length);
  bool PutResource(VStream& stream);
  bool PutResourceStream(VStream& stream, uint32_t& positions);

  // Selects run n of the paragraph records (which 1) or of the character
  // records (which 2).
  bool SelectRecordRun(int which, int32_t n);
  // The offset of the element of `code` met first from the selection's
  // start, past records only and before its end; UINT32_MAX when none.
  uint32_t ElementAtSelection(uint16_t code);
  // Inserts a computed element built from its object and two texts in the
  // order of the display mode; `hiddenResult` makes b = a (no visible text).
  int32_t InsertComputedElement(uint16_t code, const void* object, uint32_t n, VMemHandle result,
                                VMemHandle source, bool hiddenResult, bool withUndo);

  // Sets the selection, each end at a character's edge; with
  // `caretAsGiven`, a caret stands at `start` even inside a character.
  void Select(int32_t start, int32_t end, bool caretAsGiven);
  // The item at position t (the position walk); its offset.
  uint32_t WalkToPosition(const uint8_t* stream, int32_t target);
  // Takes up a walk from a point an earlier walk left (a mark, the last
  // stop or the cache point): the paragraph and word it was in and the
  // properties in force there; the caller restores the tab stops.
  void ResumeWalk(uint32_t paraStartOffset, int32_t paraStart, int32_t wordStart, VWordScript wordScript,
                  const xMorvaProperties& walk, const xMorvaProperties& pending);
  // A word character passed at the position: where the script changes, a
  // new word starts with it.
  void NoteWordUnit(char16_t unit, int32_t position);
  // After a word character typed: the word ends at the caret where the next
  // word character's script parts from it, runs one further where the
  // caret's word was the typed unit's and ran on over word characters
  // (`wordRanOn`), and otherwise ends as a caret inside the word finds it.
  // `after`: the offset of the text after the typed units (the caret's,
  // but where later units of the same typing already stand in between).
  // `stream`: the stream where the caller holds it locked, else null.
  void TakeWordEndAfterTyping(bool wordRanOn, uint32_t after, const uint8_t* stream);
  // The caret and the word patched past one typed unit: `wordBefore` and
  // `wordRunsOn` as the typing found them before it, `after` as above.
  void StepPastTypedUnit(char16_t unit, int32_t wordBefore, bool wordRunsOn, uint32_t after,
                         const uint8_t* stream = nullptr);
  // Writes the look typed with and then the units at the caret, which
  // stays before them.
  int32_t InsertTypedUnits(const char16_t* units, int32_t count);
  // A caret or selection whose first unit starts a word of another script
  // than the one before it is in that word.
  void TakeWordAtSelection(const uint8_t* stream);
  // From the selection start over the selected positions; the offset
  // reached. `endScript`: the script of the last selected word character;
  // `endSplitsPair`: the last selected unit is a pair's high unit (the walk
  // stops there); `endUnit`: the last selected unit (0: an element).
  uint32_t WalkSelection(const uint8_t* stream, uint32_t offset, int32_t count,
                         uint32_t& characterRecordBytes, VWordScript& endScript, bool& endSplitsPair,
                         char16_t& endUnit);
  // `wordScript`: the script of the word the selection ends in.
  uint32_t WalkToParagraphEnd(const uint8_t* stream, uint32_t offset, VWordScript wordScript);
  // The end of the word that runs on from the offset, at `position`, whose
  // units so far are of `wordScript`: the word rule of WalkToParagraphEnd
  // from a caret inside a word, a space after it taken in (space at end).
  int32_t WordEndFrom(const uint8_t* stream, uint32_t offset, int32_t position, VWordScript wordScript);
  // Forgets the walk's cache point, its marks and the last element found.
  void DropCache() {
    fCachePosition = 0;
    fStopValid = false;
    fElementCacheNumber = 0;
    fMarkBlocks.clear();
    fMarkIndex.clear();
    fMarkStops.clear();
  }
  // The walk's marks: the walk state at every kMarkSpacing positions that
  // a position walk has passed since the stream last changed before them,
  // so that a walk to any place starts at most that far behind it (from
  // the mark, the last stop or the cache point, whichever is nearest). The
  // mark's tab lists are kept in fMarkStops.
  struct WalkMark {
    uint32_t paraStartOffset = 0;
    int32_t paraStart = 0;
    int32_t wordStart = 0;
    VWordScript wordScript = VWordScript::kEither;
    xMorvaProperties walk;
    xMorvaProperties pending;
  };
  // The steps of the position walk (xMorvaEngine.cpp).
  struct PositionWalk;
  // Where to leave a new cache point for the target (-1: none);
  // `keepCache` when the present one lies about the right distance behind.
  int32_t ChooseCachePoint(int32_t target, bool& keepCache) const;
  // The walk leaves the cache point at `position` without passing it: its
  // state is taken by the next walk through it.
  void LeaveCachePosition(int32_t position, uint32_t walkStartOffset);
  // The number of marks before the position `limit` (the last of them is
  // the one a walk to there resumes from).
  size_t CountMarksBefore(int32_t limit) const;
  // The offset of the nearest position at or before `target` whose offset
  // is known without a walk (a mark, the last stop, the cache point, an end
  // of the selection; the start when none is), that position in `position`.
  uint32_t KnownPointAtOrBefore(int32_t target, int32_t& position) const;
  // The units of the positions `first` to `first + count - 1` (0 for an
  // element, and outside the text), read from the nearest known point.
  void ReadUnits(const uint8_t* stream, int32_t first, int32_t count, char16_t* out) const;
  // What is known of a position without a read behind it (a walk passed
  // it, or only characters stand between it and a known offset): its
  // offset and the code point before it (0: an element; a pair's unit
  // alone where only that is known, which leaves the answer to a read).
  struct PlaceSides {
    uint32_t offset = 0;
    char32_t before = 0;
  };
  // The cluster rules over the stream (`CharacterStep`, `IsCaretPlace`,
  // `CaretPlaceFrom`), the stream locked by the caller. `IsClusterPlace`
  // with the position's sides answers where the code points on either side
  // tell, without a read behind the position (xMorvaEngine_p.h).
  int32_t ClusterStep(const uint8_t* stream, int32_t position, bool forward) const;
  bool IsClusterPlace(const uint8_t* stream, int32_t position) const;
  bool IsClusterPlace(const uint8_t* stream, int32_t position, const PlaceSides& sides) const;
  // The code point that starts at the offset, past the records there (0
  // at an element or the stream's end).
  char32_t CodePointAtOffset(const uint8_t* stream, uint32_t offset) const;
  char32_t CodePointPastRecords(const uint8_t* stream, uint32_t offset) const;
  int32_t ClusterPlaceFrom(const uint8_t* stream, int32_t position, bool forward) const;
  // Where a window of units that the break rules read from `first` starts:
  // `first` itself, but inside a run of regional indicators, which pair
  // from the run's start, the edge of a pair at most 3 units before it.
  int32_t ClusterWindowStart(const uint8_t* stream, int32_t first) const;
  // Takes up the walk from the nearest of a mark, the last stop and the
  // cache point behind the target, or from the start, and asks the cache
  // for the bytes it will read.
  void StartPositionWalk(PositionWalk& walk, const uint8_t* stream, int32_t target);
  void SaveWalkMark(PositionWalk& walk);
  void SaveCachePoint(const PositionWalk& walk);
  // Past a paragraph end or a break: the pending paragraph part and tabs
  // are the walk's, and a paragraph starts.
  void PassParagraphEnd(const PositionWalk& walk);
  // Steps over ordinary characters up to the target, the new cache point
  // or the next mark.
  void StepCharacterRun(const uint8_t* stream, PositionWalk& walk, int32_t target);
  // One item (after the characters before it); false where the walk stops.
  bool StepPositionWalk(const uint8_t* stream, PositionWalk& walk, int32_t target);
  // Keeps the stop and sets the current properties and tabs.
  void StopPositionWalk(const PositionWalk& walk);
  // Forgets the marks at or after the byte offset.
  void ForgetMarksFrom(uint32_t offset);
  // An 8-byte record removed at `offset`: the offsets behind it move back.
  void RecordRemovedAt(uint32_t offset);
  // Deletes the 8-byte records at the offsets (ascending, of the stream as
  // it stands) in one pass, with the undo entries and offset updates that
  // deleting them one after the other makes.
  void DeleteRecords(const std::vector<uint32_t>& offsets);
  // Runs `edit` with the block grown ahead by `extra` bytes, so that its
  // insertions cannot fail half-way; 1041 with nothing changed when the
  // block cannot grow. The block is trimmed to the bytes in use after.
  template <typename Edit>
  int32_t Reserved(uint64_t extra, Edit&& edit);
  bool Reserve(uint64_t extra);
  void ReleaseReserve();
  // 0 when the handle holds whole items of exactly that many positions;
  // else 1074.
  static int32_t CheckHandle(VMemHandle handle, int32_t positions);
  // Drops the cache point when the stream changes at or before it.
  void StreamChangedAt(uint32_t offset);
  // Tells the paired lines that `removed` bytes at the offset became
  // `inserted` ones.
  void NoteLinesChange(uint32_t offset, uint32_t removed, uint32_t inserted);

  // Replaces the bytes in use by `size` bytes at `data`: false, nothing
  // changed, when the block cannot hold them.
  bool ReplaceStreamBytes(const uint8_t* data, uint32_t size);
  // The fix-ups after a load: 0; 1073 when a host expression had no value
  // (rebuilt with an empty result, the walk going on); 1041 when memory ran
  // out (the stream then unchanged).
  // With the walk of a load's repair, only the elements it noted.
  int32_t FixUpStream(const xMorvaLoadWalk* walk = nullptr);
  // The walk that does the fix-ups (xMorvaEngineStorage.cpp).
  class StreamFixUp;
  // The repair of the stream's bytes alone: the caller recounts the
  // positions and sets the selection again when it answers false. With a
  // walk (a load's), the kept records take their loaded values and the
  // walk gathers what the fix-ups need.
  bool RepairStreamBytes(int32_t fontCount, const std::vector<int32_t>& sheetIds, bool& damaged,
                         xMorvaLoadWalk* walk = nullptr);
  // Set by ReadResourceHeader when the stored display mode was neither 0
  // nor 1.
  bool fBadDisplayMode = false;

  VMemHandle fStream = 0;
  // The stream block's growth step, kept so that a block made elsewhere
  // (a load's) can take its place.
  uint16_t fGranule = 0;
  uint32_t fBytesInUse = 0;
  int32_t fLength = 0;
  uint32_t fFormat;
  uint8_t fFieldDisplayMode = 0;
  xMorvaLines* fLines = nullptr;
  int32_t fSelLength = 0;
  int32_t fParaEndCount = 0;
  int32_t fBreakCount = 0;
  uint8_t fEndsWithParaEnd = 0;
  uint8_t fInLastParagraph = 1;
  uint8_t fPictureSelected = 0;
  uint32_t fSelStartOffset = 0;
  uint32_t fSelEndOffset = 0;
  int32_t fSelStart = 0;
  int32_t fSelEnd = 0;
  uint32_t fParaStartOffset = 0;
  uint32_t fParaEndOffset = 0;
  int32_t fParaStart = 0;
  int32_t fParaEnd = 0;
  int32_t fWordStart = 0;
  int32_t fWordEnd = 0;
  // The script of the word the walk is in (kEither: none of its units has one yet).
  VWordScript fWordScript = VWordScript::kEither;
  uint8_t fSpaceAtEnd = 0;
  uint32_t fTrailingRecordBytes = 0;
  // The cache point: the walk state at a position behind the last target.
  // Without fCacheHasState only its position is known (the walk that left
  // it started past it); its offset then lies before fCacheBoundOffset,
  // where that walk started.
  xMorvaProperties fCacheWalk;
  xMorvaProperties fCachePending;
  xMorvaTabs fCacheWalkTabs;
  xMorvaTabs fCachePendingTabs;
  uint32_t fCacheOffset = 0;
  uint32_t fCacheParaStartOffset = 0;
  int32_t fCacheParaStart = 0;
  int32_t fCacheWordStart = 0;
  VWordScript fCacheWordScript = VWordScript::kEither;
  int32_t fCachePosition = 0;
  bool fCacheHasState = false;
  uint32_t fCacheBoundOffset = 0;
  // Where the last position walk stopped, with its state: the walk state of
  // the bytes before fStopOffset, which no change at or after that offset
  // alters. A caret set again after text inserted there (the way a reader
  // appends a document) walks on from it over the new text alone, instead
  // of from the cache point behind it.
  xMorvaProperties fStopWalk;
  xMorvaProperties fStopPending;
  xMorvaTabs fStopWalkTabs;
  xMorvaTabs fStopPendingTabs;
  uint32_t fStopOffset = 0;
  uint32_t fStopParaStartOffset = 0;
  int32_t fStopPosition = 0;
  int32_t fStopParaStart = 0;
  int32_t fStopWordStart = 0;
  VWordScript fStopWordScript = VWordScript::kEither;
  bool fStopValid = false;
  // The code point before the stop (0 for an element), when the walk that
  // left it passed one: with the one at the stop it tells most carets'
  // places without a read behind them.
  char32_t fStopBefore = 0;
  bool fStopKnowsBefore = false;
  // Ordered by position (and offset): mark i is slot i of the blocks, and
  // its place is fMarkIndex[i], searched without touching the marks
  // themselves, with where its two tab lists start in fMarkStops. The
  // marks are fMarkIndex's size; the slots beyond are free.
  static constexpr size_t kMarksPerBlock = 64;
  std::vector<std::unique_ptr<WalkMark[]>> fMarkBlocks;
  WalkMark& MarkAt(size_t i) { return fMarkBlocks[i / kMarksPerBlock][i % kMarksPerBlock]; }
  struct MarkPlace {
    int32_t position;
    uint32_t offset;
    uint32_t walkStops;
    uint32_t pendingStops;
  };
  std::vector<MarkPlace> fMarkIndex;
  // The marks' tab lists one after the other, each its count and its stops
  // in use (a tab list's own block has room for 256); consecutive marks
  // share a list while it is the same.
  std::vector<uint32_t> fMarkStops;
  // Appends the list unless it is the one at `previous` (UINT32_MAX: none):
  // where it starts.
  uint32_t KeepMarkStops(const xMorvaTabs& tabs, uint32_t previous);
  void RestoreMarkStops(uint32_t at, xMorvaTabs& tabs) const;
  // The last element SelectElement found: its code, its number among the
  // elements of that code, its offset and its position. Selecting the
  // elements of a code one after the other counts on from it instead of
  // from the start; any change of the stream forgets it.
  uint16_t fElementCacheCode = 0;
  int32_t fElementCacheNumber = 0;
  uint32_t fElementCacheOffset = 0;
  int32_t fElementCachePosition = 0;
  // The walk's state: character properties at the walked position,
  // paragraph part and tabs as of the last paragraph end; the pending sets
  // hold the paragraph records met so far.
  xMorvaProperties fWalk;
  xMorvaTabs fWalkTabs;
  xMorvaProperties fPending;
  xMorvaTabs fPendingTabs;
  xMorvaProperties fCurrent;
  xMorvaTabs fCurrentTabs;
  xMorvaProperties fTyping;
  xMorvaTabs fTypingTabs;
  xMorvaPropertiesStates fStates;
  xMorvaUndo* fUndo = nullptr;
  // The selection and properties kept by SaveSelectionState.
  xMorvaProperties fSavedProperties;
  int32_t fSavedStart = 0;
  int32_t fSavedEnd = 0;
  // Edits in progress that hold the block grown ahead.
  int32_t fReserveDepth = 0;
  bool fRemoveOneAtATime = false;
  // Decoded pictures, addressed by the id in an element's run-time word.
  struct PictureSlot;
  std::vector<std::unique_ptr<PictureSlot>> fPictures;
  uint32_t fPictureGeneration = 1;
  uint32_t fPictureDecodes = 0;
};
