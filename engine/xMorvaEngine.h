// xMorvaEngine: one flow of styled text (a document's body, or one of its
// headers and footers). It holds the element stream in one relocatable
// block, keeps a selection with its paragraph, its word and the properties
// in effect there, sets properties over runs of the text and edits it in
// undo steps; every byte inserted or deleted is reported to the undo
// history.
#pragma once

#include <cstdint>

#include "document/xMorvaProperties.h"
#include "document/xMorvaPropertiesStates.h"
#include "document/xMorvaTabs.h"
#include "document/xMorvaText.h"
#include "framework/core/VObject.h"

class xMorvaUndo;

// The error of stream bytes that are not a well-formed run of items.
constexpr int32_t kErrorBadStream = 1074;

class xMorvaEngine : public VObject, public xMorvaTextInterface {
 public:
  // Granules of the stream block: the body, and headers and footers.
  static constexpr uint16_t kBodyGranule = 16000;
  static constexpr uint16_t kPartGranule = 128;
  // The cache point is left this many positions behind a target, and kept
  // when it already lies within kCacheSlack of there.
  static constexpr int32_t kCacheDistance = 512;
  static constexpr int32_t kCacheSlack = 64;

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
  uint32_t FindParagraphEndFrom(uint32_t offset);
  void GetRecordStatesInRange(uint32_t offset, uint32_t n, xMorvaPropertiesStates& states,
                              bool& paragraphId);

  // Lines come with line composition; until then nothing to recompose.
  void RecomposeRange(int32_t firstOffset, int32_t lastOffset) override {}

  // ---- Selection.
  void SetSelection(int32_t start, int32_t end) override;
  bool TrySetSelection(int32_t start, int32_t end);
  void SelectAll() { SetSelection(0, fLength); }
  void SetCaretToStart() { SetSelection(0, 0); }
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
  void SetFieldDisplayMode(uint8_t mode) override { fFieldDisplayMode = mode; }
  uint8_t GetFieldDisplayMode() const override { return fFieldDisplayMode; }
  void GetFirstCharacterProperties(xMorvaProperties& properties);
  int32_t WriteParagraphTransition(uint32_t offset, uint32_t& count, const xMorvaProperties& from,
                                   const xMorvaProperties& to, const xMorvaTabs& fromTabs,
                                   const xMorvaTabs& toTabs);
  // Character sets: 0 Macintosh, others Windows (from); 1 Windows, others
  // Macintosh (to); -1 and -2 leave the text as it is.
  void ConvertCharacterSet(int16_t fromSet, int16_t toSet);

 private:
  // The item at position t (the position walk); its offset.
  uint32_t WalkToPosition(const uint8_t* stream, int32_t target);
  // From the selection start over the selected positions; the offset reached.
  uint32_t WalkSelection(const uint8_t* stream, uint32_t offset, int32_t count,
                         uint32_t& characterRecordBytes);
  uint32_t WalkToParagraphEnd(const uint8_t* stream, uint32_t offset);
  void DropCache() { fCachePosition = 0; }
  // An 8-byte record removed at `offset`: the offsets behind it move back.
  void RecordRemovedAt(uint32_t offset);
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

  VMemHandle fStream = 0;
  uint32_t fBytesInUse = 0;
  int32_t fLength = 0;
  uint32_t fFormat;
  uint8_t fFieldDisplayMode = 0;
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
  uint8_t fSpaceAtEnd = 0;
  uint32_t fTrailingRecordBytes = 0;
  // The cache point: the walk state at a position behind the last target.
  xMorvaProperties fCacheWalk;
  xMorvaProperties fCachePending;
  xMorvaTabs fCacheWalkTabs;
  xMorvaTabs fCachePendingTabs;
  uint32_t fCacheOffset = 0;
  uint32_t fCacheParaStartOffset = 0;
  int32_t fCacheParaStart = 0;
  int32_t fCacheWordStart = 0;
  int32_t fCachePosition = 0;
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
  // Edits in progress that hold the block grown ahead.
  int32_t fReserveDepth = 0;
};
