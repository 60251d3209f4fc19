// xMorvaTextInterface: one styled text of a document (the body, or a header
// or footer) as the document sees it. The document holds its seven texts
// only through this interface and makes them through the factory that the
// text engine installs (xMorvaEngineServices::NewText); the undo history
// replays their edits through the xMorvaUndoEngine part.
#pragma once

#include <cstdint>

#include "document/xMorvaUndoEngine.h"
#include "framework/core/VObject.h"

class VString;
class xMorvaProperties;
class xMorvaPropertiesStates;
class xMorvaTabs;
class xMorvaUndo;

// The error of an edit whose text cannot grow.
constexpr int32_t kErrorTextCannotGrow = 1041;

// Element search codes for groups of computed elements: dates and host
// expressions; those and hyperlinks and HTML expressions; all those and
// page numbers.
constexpr uint16_t kFindDateOrExpression = 24009;
constexpr uint16_t kFindFieldOrLink = 24010;
constexpr uint16_t kFindAnyComputed = 24011;

class xMorvaTextInterface : public xMorvaUndoEngine {
 public:
  // Empties the text: no bytes, no positions, field display mode 0.
  virtual void Clear() = 0;

  // ---- The element stream.
  virtual uint32_t GetStreamSize() const = 0;

  // ---- The selection (positions and byte offsets).
  virtual int32_t GetSelStart() const = 0;
  virtual int32_t GetSelEnd() const = 0;
  virtual bool HasSelection() const = 0;
  virtual uint32_t GetSelStartOffset() const = 0;
  virtual uint32_t GetSelEndOffset() const = 0;
  // The paragraphs that hold the selection's start and end.
  virtual int32_t GetParagraphStart() const = 0;
  virtual int32_t GetParagraphEnd() const = 0;
  virtual uint32_t GetParagraphStartOffset() const = 0;
  virtual uint32_t GetParagraphEndOffset() const = 0;
  // Bytes of the next paragraph's records counted in the paragraph end
  // offset.
  virtual uint32_t GetParagraphRecordBytes() const = 0;
  // The paragraph end offset and the record bytes that a selection one
  // position longer (its end taken to a character's end) would give, read
  // on from the selection's end; the selection stays as it is.
  virtual void MeasureOnePositionMore(uint32_t& paragraphEndOffset, uint32_t& recordBytes) = 0;
  virtual int32_t GetSelParagraphEndCount() const = 0;
  virtual bool IsPictureSelected() const = 0;

  // ---- The properties at the selection.
  virtual const xMorvaProperties& GetCurrentProperties() const = 0;
  virtual const xMorvaTabs& GetCurrentTabs() const = 0;
  virtual int32_t GetPropertyValue(uint16_t id) const = 0;
  // 2 when one of the style ids 0 to 5 is mixed, 1 when all six are 0,
  // else 0.
  virtual int16_t GetPlainStyleState() const = 0;
  // The largest (or smallest) value of a property over the selection (whole
  // paragraphs for paragraph ids), or over the whole text.
  virtual int32_t GetPropertyExtreme(uint16_t id, bool inSelection, bool wantMaximum) = 0;
  // Indent sums: over the whole text, and over the selected paragraphs.
  virtual int32_t GetMaxIndentSum() = 0;
  virtual int32_t GetMaxLeftIndentSum() = 0;
  virtual int32_t GetMaxRightIndentSum() = 0;
  virtual int32_t GetMaxSideIndentSum() = 0;
  // Whether the default properties or a record of the text has that value.
  virtual bool UsesPropertyValue(uint16_t id, int32_t value) = 0;

  // ---- Edits. Each answers 0 or an error code (1041: the text cannot
  // grow). The with-undo variants run in one undo step, rolled back when
  // they fail.
  virtual void BeginUndoStep(uint16_t kind, uint16_t value) = 0;
  virtual void EndUndoStep(int32_t result) = 0;
  virtual int32_t SetPropertyValue(uint16_t id, int32_t value) = 0;
  virtual int32_t SetPropertyWithUndo(uint16_t id, int32_t value) = 0;
  virtual int32_t SetTabsWithUndo(const xMorvaTabs& tabs) = 0;
  virtual int32_t TypeCharacterWithUndo(char16_t unit) = 0;
  virtual int32_t InsertParagraphEndWithUndo() = 0;
  // A soft hyphen (its payload the hidden unit 173), and a column or page
  // break (its payload a paragraph end), each replacing the selection with
  // the caret put after it.
  virtual int32_t InsertSoftHyphenWithUndo() = 0;
  virtual int32_t InsertBreakWithUndo(uint16_t code) = 0;
  virtual int32_t DeleteSelectionWithUndo() = 0;
  // Replaces the selection by the element bytes of `handle`, which hold
  // `positions` positions, and selects them.
  virtual int32_t InsertHandle(VMemHandle handle, int32_t positions) = 0;
  virtual int32_t InsertHandleWithUndo(VMemHandle handle, int32_t positions) = 0;
  // Changes the case of the selected characters in one undo step: 0 lower,
  // 1 upper, 2 capitalise each word, 3 exchange. Nothing without a
  // selection.
  virtual int32_t ChangeCaseWithUndo(int16_t mode) = 0;

  // Converts the string into element units in `handle` (its bytes are
  // replaced): `units` positions in `bytes` bytes. False when the handle
  // cannot grow.
  virtual bool StringToUnits(const VString& text, VMemHandle handle, uint32_t& units, uint32_t& bytes,
                             bool markControls) {
    return false;
  }
  // A style sheet (its id, whether it is a paragraph sheet, its values and
  // states, its tabs or null) over the selection, in one undo step.
  virtual int32_t ApplyStyleSheetToSelection(uint32_t sheetId, bool paragraphSheet, const xMorvaProperties& values,
                                             const xMorvaPropertiesStates& states, const xMorvaTabs* tabs) {
    return 0;
  }

  // ---- Search. Looks for the text between positions `from` and `to`
  // where the properties in effect meet `properties` under `states` (none:
  // any properties); an empty text finds the first run of positions whose
  // properties meet them. Found: the match is selected; else the caret is
  // put at `from`.
  virtual bool SearchText(int32_t from, int32_t to, const VString& text, const xMorvaProperties* properties,
                          const xMorvaPropertiesStates* states, bool wholeWord, bool caseSensitive) {
    return false;
  }

  // ---- Replace all in one walk. Every match of `text` from the
  // selection's end to the text's end (no property criteria) is replaced by
  // the element bytes of `units` (`positions` positions) and gets the
  // properties whose state is 1 in `states`, leaving the same bytes that
  // one replacement after another leaves, in one undo step that starts
  // with the first match selected. The number of replacements; the last
  // replacement stays selected, and with none nothing changes. -1, with
  // nothing changed, for what only one replacement at a time does: a
  // pattern or replacement holding a paragraph end, paragraph properties to
  // set, or a replacement the text refuses.
  virtual int32_t ReplaceEveryMatch(const VString& text, bool wholeWord, bool caseSensitive, VMemHandle units,
                                    int32_t positions, const xMorvaProperties& values,
                                    const xMorvaPropertiesStates& states) {
    return -1;
  }

  // How computed elements show (their value, or their source).
  virtual void SetFieldDisplayMode(uint8_t mode) = 0;
  virtual uint8_t GetFieldDisplayMode() const = 0;

  // ---- Computed elements (page numbers, dates, host expressions, links).
  // The position of the first element of the code or group code, over the
  // whole text, the selection, or from the selection's end; -1 when none.
  virtual int32_t FindElement(uint16_t code, bool wholeText, bool inSelection) { return -1; }
  // Makes the elements between the byte offsets show the text the field
  // display mode asks for; nothing is recorded.
  virtual void RefreshComputedElements(uint32_t fromByte, uint32_t toByte) {}
  // Evaluates the first date or host expression of the selection again, in
  // an undo step, and selects it.
  virtual int32_t UpdateComputedFields() { return 0; }
  // The selection's computed elements (page numbers aside) become the plain
  // text they show, in one undo step.
  virtual int32_t FreezeComputedElements() { return 0; }

  // Sets the shown size of the selected picture in one undo step: 1034
  // when the selection is not one picture.
  virtual int32_t SetSelectedPictureSize(int32_t width, int32_t height) { return 1034; }

  // Bytes the pictures decoded for drawing hold, and forgetting them (they
  // decode again when next drawn).
  virtual uint64_t PictureCacheSize() const { return 0; }
  virtual void ResetPictureCaches() {}

  // The width of the widest composed line, whole pixels; 0 while the text
  // has no composed lines.
  virtual int32_t GetWidestLine() const { return 0; }
};

// A new empty text through the installed engine services: its edits are
// recorded by `undo` (none: not recorded); its stream grows in steps of
// `granule` bytes. Null when no engine is installed or memory runs out.
xMorvaTextInterface* NewDocumentText(xMorvaUndo* undo, uint16_t granule);
