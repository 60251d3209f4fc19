// xMorvaDocumentInterface: what the document's records and its undo history
// ask of the document object. The document (xMorvaDocument) implements it;
// tests implement it with a small document of their own.
#pragma once

#include <cstdint>
#include <vector>

class VRect;
class VString;
class xMorvaDocParams;
class VStreamProgress;
class xMorvaFontTable;
class xMorvaLineMeasure;
class xMorvaTextInterface;
class xMorvaUndoEngine;

// The messages of the progress gauge, items of the progress texts.
constexpr int16_t kProgressComposing = 1;
constexpr int16_t kProgressReadingHTML = 4;
constexpr int16_t kProgressReadingRTF = 6;
constexpr int16_t kProgressWritingRTF = 7;
constexpr int16_t kProgressWritingWord = 11;

class xMorvaDocumentInterface {
 public:
  virtual ~xMorvaDocumentInterface() = default;

  // The document's parameters: units, default tab interval, page geometry.
  virtual const xMorvaDocParams& GetParams() const = 0;
  // The width of the text of a part (body, a header or a footer), pixels.
  virtual int32_t GetTextWidth(int16_t part) = 0;
  // Appends the name of style sheet `id` to `name`; a document without
  // style sheets appends nothing.
  virtual void GetStyleSheetName(int16_t id, VString& name) {
    (void)id;
    (void)name;
  }

  // The document's font table; a document without one answers null.
  virtual xMorvaFontTable* GetFontTable() { return nullptr; }
  // A new progress object for a long operation of `total` steps (stream
  // bytes for a read, a write or a composition), whose message is item
  // `messageIndex` of the progress texts; null: none shown. The caller
  // advances it and deletes it.
  virtual VStreamProgress* NewProgressStatus(int16_t messageIndex, uint32_t total) {
    (void)messageIndex;
    (void)total;
    return nullptr;
  }
  // The body's text; a document without one answers null.
  virtual xMorvaTextInterface* GetBodyText() { return nullptr; }

  // Marks the document modified.
  virtual void SetModified() = 0;
  // Gives the picture placed on a page whose data id is `picture` the box
  // (left, top, width, height on its page) and selects it, as undo and
  // redo put it back: false when no picture has that id.
  virtual bool SetPagePictureBox(int32_t picture, const VRect& box) {
    (void)picture;
    (void)box;
    return false;
  }
  // Puts back, selected, the picture placed on a page that such bytes as
  // the page pictures keep for undo describe, or, for none (null), takes
  // the picture with data id `picture` off its page with its data: false
  // when it could not be done. No picture has a negative id: undo marks a
  // record whose picture is gone with -1, and both answer false for it.
  virtual bool PutPagePictureState(int16_t picture, const std::vector<uint8_t>* state) {
    (void)picture;
    (void)state;
    return false;
  }
  // Makes the part whose engine this is the current part.
  virtual void SetCurrentPart(xMorvaUndoEngine& engine) = 0;
  // The current part's engine (null for a document without parts) and the
  // page its header or footer was chosen for; and the two made current
  // again, as undo and redo of a group leave them.
  virtual xMorvaUndoEngine* GetEditedPart(int32_t& page) {
    page = 0;
    return nullptr;
  }
  virtual void RestoreEditedPart(xMorvaUndoEngine& engine, int32_t page) {
    (void)page;
    SetCurrentPart(engine);
  }

  // Style sheet `id` as undo keeps it, bytes that only the document reads:
  // false when the document has no such sheet. PutStyleSheetState makes the
  // sheet what such bytes say, or removes it for none (null): false when
  // the store refuses.
  virtual bool GetStyleSheetState(int16_t id, std::vector<uint8_t>& state) {
    (void)id;
    state.clear();
    return false;
  }
  virtual bool PutStyleSheetState(int16_t id, const std::vector<uint8_t>* state) {
    (void)id;
    (void)state;
    return false;
  }
  // Told before style sheet `id` of the document's store is rewritten.
  virtual void StyleSheetChanging(int16_t id) { (void)id; }
  // The sheet ids the undo history holds, which no new sheet may take.
  virtual std::vector<int16_t> HeldStyleSheetIds() { return {}; }
  // Every edit runs between the two; the end recomposes and refreshes.
  virtual void BeginChange() = 0;
  virtual void EndChange() = 0;

  // Page numbers, which show the page a line is drawn on. Lines are
  // composed with each page number holding the widest text of its style;
  // before a line is drawn, measured or hit-tested for a page, its tabs
  // get their composed widths back and its page numbers show that page,
  // the tabs around them widened by what the numbers lost. The stream
  // bytes are those of a locked stream; nothing is read at or after `end`.
  virtual void PreparePageNumber(uint8_t* element, const uint8_t* end) {
    (void)element;
    (void)end;
  }
  // The width the line (from `lineStart`) lost; 0 for a document without
  // page numbers.
  virtual float LayOutPageNumbers(xMorvaLineMeasure& font, int32_t page, uint8_t* lineStart,
                                  uint8_t* end) {
    (void)font;
    (void)page;
    (void)lineStart;
    (void)end;
    return 0;
  }
};
