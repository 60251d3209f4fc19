// xMorvaLines: the line table of one text flow: one record per displayed
// line, in text order, each with the property state at its first byte.
// Composition walks the element stream with the measuring font, applies
// property records, lays out tabs, chooses line breaks and inserts records;
// after an edit only the paragraphs it touched are composed again.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "engine/xMorvaLineRecord.h"
#include "framework/core/VObject.h"

class VStreamProgress;
class xMorvaDocumentInterface;
class xMorvaEngine;
class xMorvaFont;
class xMorvaTabs;

// The status of a composition whose records could not all be stored.
constexpr int32_t kLinesOutOfMemory = 1041;

class xMorvaLines : public VObject {
 public:
  // `part` is the flow's part number (its text width); `initialRecords`
  // the room reserved at first.
  xMorvaLines(xMorvaDocumentInterface* document, xMorvaEngine* engine, int16_t part,
              int32_t initialRecords);
  ~xMorvaLines() override;
  xMorvaLines(const xMorvaLines&) = delete;
  xMorvaLines& operator=(const xMorvaLines&) = delete;

  int32_t GetLineCount() const { return int32_t(fRecords.size()); }
  // The flow composed, and its part number.
  xMorvaEngine* GetEngine() const { return fEngine; }
  int16_t GetPart() const { return fPart; }
  int32_t GetTotalHeight() const { return fTotalHeight; }
  const xMorvaLineRecord& GetLine(int32_t index) const { return *fRecords[size_t(index)]; }
  // The widest line's width, whole pixels rounded up.
  int32_t GetWidestLine() const;

  // Rebuilds the whole table: 0, or 1041 when a record could not be stored
  // (the table then asks for a full rebuild).
  // With `withProgress` a text of more than 1024 bytes shows the
  // document's progress object meanwhile.
  int32_t ComposeAll(xMorvaFont& font, bool withProgress = false);
  // Composes from `start` (the first byte of a paragraph, whose state and
  // tab list are given) to `end`, inserting records from `line` on; the
  // index after the last inserted record.
  int32_t Compose(xMorvaFont& font, int32_t line, xMorvaProperties& state, xMorvaTabs& tabs,
                  uint32_t start, uint32_t end);
  // Removes the records from `first` (which starts at byte `start`) until
  // their bytes reach `end`, at least one; with `alsoLast` the last record
  // too when it is next. The number removed.
  int32_t RemoveLines(int32_t first, uint32_t start, uint32_t end, bool alsoLast);
  // The state at the first byte of line `index`, which starts at `start`.
  void GetStateAtLine(uint32_t start, int32_t index, xMorvaProperties& state);
  bool InsertLineRecord(const xMorvaLineRecord& record, int32_t index);
  // The progress object of one composition, sized to `bytes`; each stored
  // record advances it by its bytes.
  void StartProgress(uint32_t bytes);
  void EndProgress();

  // The line holding the byte offset: the running sums of the lines before
  // it (bytes, y, positions) come out; an offset at the end of a line that
  // is not the last belongs to the next.
  int32_t FindLineForOffset(uint32_t offset, int32_t first, uint32_t& bytesBefore,
                            int32_t& yBefore, int32_t& positionsBefore, int32_t& height) const;

  // The pen x at byte `offset` of line `index`, which starts at byte
  // `lineStart`: the line's units measured from its start as drawing lays
  // them out. `height` receives the line's height.
  // With `page` not -1 the line's page numbers show that page first.
  double MeasureToOffset(xMorvaFont& font, uint32_t lineStart, uint32_t offset, int32_t index,
                         int32_t& height, int32_t page = -1);
  // The hit at x (line coordinates) on line `index`: the byte offset of the
  // nearer edge of the unit under x, and the positions before it on the
  // line. A computed element's text is hit as the element: its start or
  // its end.
  struct Hit {
    uint32_t offset = 0;
    int32_t positions = 0;
    bool leftOfText = false;
    bool italic = false;
    bool linkLook = false;
  };
  Hit HitTestLine(xMorvaFont& font, double x, int32_t index, uint32_t lineStart, int32_t page = -1);
  // The page numbers of `line` (starting at byte `lineStart`) laid out by
  // the document for `page`, the tabs around them widened: `laidOut` is
  // the line with its width less what the numbers lost. A line without
  // page numbers is copied as it is.
  void LayOutPageNumbers(xMorvaFont& font, uint32_t lineStart, const xMorvaLineRecord& line,
                         int32_t page, xMorvaLineRecord& laidOut);
  // The room a picture on `line` is laid out in (0: none, its shown size).
  // In a flow that is one of several columns a picture wider than its line
  // would be drawn over the next column's words: it is made as wide as the
  // line's room, and never wider than the column. Elsewhere (one column,
  // headers and footers) a wide picture runs on into the margin, where it
  // covers no text.
  int32_t PictureRoom(const xMorvaLineRecord& line) const;

  // The change cycle around an edit that replaced the bytes from `start`
  // to `oldEnd` by those up to `newEnd`: before the edit (Remove...) the
  // line where composition will begin again is found, `line` at byte
  // `lineStart`; the records stay until, after the edit (Recompose...),
  // the new lines replace them from there to where they meet the old
  // ones unchanged. Answers as ComposeAll.
  struct Change {
    int32_t line = 0;
    uint32_t lineStart = 0;
    uint32_t start = 0;
    uint32_t oldEnd = 0;
    uint32_t streamSize = 0;  // before the edit
  };
  Change RemoveForChange(uint32_t start, uint32_t oldEnd);
  int32_t RecomposeAfterChange(xMorvaFont& font, const Change& change, uint32_t newEnd);

  // Edits of the text as its engine makes them: `removed` bytes at the
  // offset replaced by `inserted` ones. The table notes the changed span
  // (in offsets of the text as it now stands) and brings itself up to date
  // at the next Update; a cleared text is composed whole.
  void NoteChange(uint32_t offset, uint32_t removed, uint32_t inserted);
  void NoteCleared() { fNeedsRebuild = true; }
  bool HasPendingChange() const { return fPending || fNeedsRebuild || fRecords.empty(); }
  // Composes again from the line before the noted changes until the new
  // lines meet the old ones (same first byte, same state and stops, each a
  // line composition can begin at); the whole table when it was never
  // composed or asks for a rebuild. `firstLine`
  // receives the first record composed (-1: nothing was pending). Answers
  // as ComposeAll.
  int32_t Update(xMorvaFont& font, int32_t& firstLine);
  // The offset of the one character unit inserted since the last update,
  // when that is the only change noted.
  bool GetInsertedUnit(uint32_t& offset) const;
  // Line `index` takes that unit: one position, two bytes, `width` more,
  // one space more with `space`; the note is done with.
  void TakeInsertedUnit(int32_t index, double width, bool space);

  // What the last composition after a change replaced: from record
  // `first` on, `oldCount` records gave way to `newCount` new ones and the
  // records after them are those of before (`whole`: the table was
  // composed whole instead).
  // `written`: how many of the records after the new ones (from the first
  // on) composition read into, looking for a place to break; it wrote the
  // layout of their tabs and page numbers again as it went.
  struct Replaced {
    int32_t first = 0;
    int32_t oldCount = 0;
    int32_t newCount = 0;
    int32_t written = 0;
    bool whole = true;
  };
  const Replaced& GetLastReplaced() const { return fReplaced; }
  // Counts the changes of the table's records: each composition (whole or
  // after a change) and each record inserted or removed by hand. One more
  // than a reader last saw, with GetLastReplaced not whole, means that
  // composition alone changed the records since, as it says.
  uint64_t GetChangeCount() const { return fChanges; }

  // The records' bytes add up to the stream and their positions to the
  // engine's length.
  bool CheckSums() const;
  // Set when a record could not be stored: the next change composes all.
  bool NeedsFullRebuild() const { return fNeedsRebuild; }
  int32_t GetStatus() const { return fStatus; }
  // Caps the table at `count` records (-1: none), as a table that cannot
  // grow would be.
  void SetRecordLimit(int32_t count) { fRecordLimit = count; }

  // Border width in pixels by style 0 to 10; others as style 0.
  static int32_t BorderWidth(int32_t style);

  // Whether a composition since the last call gave a line a page-number
  // element, which it then left showing its widest text.
  bool TakePageNumbersComposed() {
    const bool composed = fPageNumbersComposed;
    fPageNumbersComposed = false;
    return composed;
  }

 private:
  // One composition's walk over the stream, which stores its records here.
  friend class xMorvaComposer;

  int32_t ComputeAvailableWidth(const xMorvaProperties& state, bool firstLine) const;
  // Writes the layout cache of a tab element of `size` bytes: two f32
  // widths, i16 kind, u16 leader, i16 leader count, after the 12-byte head.
  static void SetTabLayout(uint8_t* element, uint32_t size, double width, uint16_t leader,
                           double leaderWidth, int32_t kind);
  static int32_t ComputeLineHeight(const xMorvaProperties& state, uint16_t flags, int32_t ascent,
                                   int32_t descent, int32_t fontHeight);

  // Where a composition after a change stands against the records of
  // before: the old record at the insertion index starts at `oldStart`
  // (offsets of the text before the edit, which replaced the bytes from
  // `start` to `oldEnd` and moved those after by `delta`).
  struct Resume {
    uint16_t flags = 0;
    int64_t oldStart = 0;
    uint32_t start = 0;
    uint32_t oldEnd = 0;
    int64_t delta = 0;
    int32_t composed = 0;
    int32_t dropped = 0;
  };
  // Composes the range with one xMorvaComposer; with `resume` (after a
  // change) it stops where the new lines meet the old ones.
  int32_t ComposeFrom(xMorvaFont& font, int32_t line, xMorvaProperties& state, xMorvaTabs& tabs,
                      uint32_t start, uint32_t end, Resume* resume);
  // The line holding byte `offset` of a text of `total` bytes, found from
  // the nearest of the first line, the last and the last place composed;
  // `lineStart` receives its first byte.
  int32_t LocateLine(uint32_t offset, uint32_t total, uint32_t& lineStart) const;
  // Composes again after the bytes from `start` to `oldEnd` of a text of
  // `oldSize` bytes were replaced: from the resumable line before the one
  // holding `start` until the new lines meet the old ones again.
  int32_t Recompose(xMorvaFont& font, uint32_t start, uint32_t oldEnd, uint32_t oldSize,
                    int32_t& firstLine);
  void ForgetHint() { fHintLine = -1; }

  xMorvaDocumentInterface* fDocument;
  xMorvaEngine* fEngine;
  // The changed span noted since the last update, in offsets of the text
  // as it stands, and how much the text grew (or shrank) meanwhile.
  bool fPending = false;
  uint32_t fDirtyStart = 0;
  uint32_t fDirtyEnd = 0;
  int64_t fDelta = 0;
  int16_t fPart;
  xMorvaLineRecord& Rec(int32_t index) { return *fRecords[size_t(index)]; }
  const xMorvaLineRecord& Rec(int32_t index) const { return *fRecords[size_t(index)]; }

  // One record per line, each on its own, so that an edit in the middle
  // shifts pointers rather than whole records.
  std::vector<std::unique_ptr<xMorvaLineRecord>> fRecords;
  int32_t fTotalHeight = 0;
  int32_t fStatus = 0;
  bool fNeedsRebuild = false;
  bool fPageNumbersComposed = false;
  uint64_t fChanges = 0;
  // Set by each composition that met old lines: see Replaced::written.
  int32_t fOldLinesWritten = 0;
  // Records beyond this count cannot be stored (-1: no limit).
  int32_t fRecordLimit = -1;
  std::unique_ptr<VStreamProgress> fProgress;
  Replaced fReplaced;
  // A line whose first byte is known (-1: none), where the next change
  // (typing goes on where it was) starts its search.
  int32_t fHintLine = -1;
  uint32_t fHintStart = 0;
};
